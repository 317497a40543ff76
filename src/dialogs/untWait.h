#pragma once
// The progress window of the long operations. Never modal; cancelling only hides it.
#include "ui/Form.h"

class TfrmWait : public ui::Form {
public:
    TfrmWait();

    ui::Label* Label1;
    ui::Memo* mmoWait;
    ui::ProgressBar* pbWait;
    ui::Button* BitBtn1;

    // Clears the log on the change from hidden to visible.
    void FormShow(ui::Control* Sender);
    void BitBtn1Click(ui::Control* Sender);
};

extern TfrmWait* frmWait;
