#pragma once
// The progress window of the long operations. Never modal; cancelling only hides it.
#include "config/CaptionKeys.h"
#include "ui/Form.h"

class TfrmWait : public ui::Form {
public:
    TfrmWait();

    ui::Label* Label1;
    ui::Memo* mmoWait;
    ui::ProgressBar* pbWait;
    ui::Button* BitBtn1;
    // A link that opens the install log file, shown while there is such a file; or, when the
    // log may not be written, why not.
    ui::Label* lblLog;

    // Clears the log on the change from hidden to visible.
    void FormShow(ui::Control* Sender);
    void BitBtn1Click(ui::Control* Sender);
    void lblLogClick(ui::Control* Sender);

  private:
    ui::Font plain_, link_;
};

extern TfrmWait* frmWait;
