#pragma once
// The vendor's About dialog, filled afresh from the settings each time it is shown.
#include "config/CaptionKeys.h"
#include "ui/Form.h"

class TfrmAbout : public ui::Form {
public:
    TfrmAbout();

    ui::Panel* Panel1;
    ui::Image* imgLogo;
    ui::Label* lblCompanyName;
    ui::Label* lblCompanyNameEN;
    ui::Image* imgQR;
    ui::Memo* Memo1;
    ui::Label* lblWeb;
    ui::Button* OKButton;

    void FormCreate(ui::Control* Sender);
    void FormShow(ui::Control* Sender);
    void lblWebClick(ui::Control* Sender);
};

// The pictures' names for assistive technology (the main window's logo too).
extern const CaptionKey& kCaptionLogoName;
extern const CaptionKey& kCaptionQrName;

extern TfrmAbout* frmAbout;
