#include "base/Errors.h"
#include "base/StepTimes.h"
#include "config/CaptionKeys.h"
#include "config/untIni.h"
#include "dialogs/untAbout.h"
#include "shell/untMain.h"
#include "ui/PictureFile.h"
#include "usb/untUsbDLLinitalize.h"

void TfrmMain::rbChineseClick(ui::Control* Sender) {
    for (const LanguageInfo& language : Languages())
        if (Sender == &LanguageButton(language)) SetWindowsLanguage(language.language);
}

void TfrmMain::SetWindowsLanguage(TOSLanguage tLanguage) {
    OSLanguage = tLanguage;
    LCaption = IniOptions->GetCaptionLanguage();
    auto text = [](const char16_t* key) { return CaptionText(LCaption, key); };
    lblLanguage->SetCaption(text(u"CAPTION_1"));
    for (const ConnectionType& type : ConnectionTypes()) {
        RadioOf(type)->SetCaption(text(type.radioCaption));
        LabelOf(type)->SetCaption(text(type.labelCaption));
    }
    gbUSBprompt->SetCaption(text(u"CAPTION_8"));
    lblUSBPrompt->SetCaption(text(u"CAPTION_9"));
    btnAbout->SetCaption(text(u"CAPTION_12"));
    btnPrevious->SetCaption(text(u"CAPTION_13"));
    btnNext->SetCaption(text(u"CAPTION_14"));
    btnStartInstall->SetCaption(text(u"CAPTION_15"));
    btnQuit->SetCaption(text(u"CAPTION_16"));
    btnFindUSB->SetCaption(text(u"CAPTION_17"));
    StatusBar1->SetPanelText(0, text(u"CAPTION_8"));
    StatusBar1->SetPanelText(1, text(u"CAPTION_18"));
    lblPrintModelSelect->SetCaption(text(u"CAPTION_19"));

    SetCaption(text(u"CAPTION_20") + u" DLL Ver:" + IntToStr(UsbLibraryVersion()) +
               u" Tool Ver: " + IniOptions->GetIdentValue(u"CONFIG", u"SoftVer"));

    lblWelcome->SetCaption(text(u"CAPTION_21"));
    lblWeb->SetCaption(text(u"CAPTION_22"));
    ImgCompanyLogo->SetAccessibleName(text(kCaptionLogoName.key));

    // A logo that cannot be shown is hidden for the rest of the run; nothing is reported.
    try {
        const String logo = IniOptions->GetIdentValue(u"OEM", IniOptions->GetCompanyLOGO());
        TimedStep step("picture");
        ImgCompanyLogo->SetPicture(ui::LoadPictureFile(logo));
    } catch (const Exception&) {
        ImgCompanyLogo->SetVisible(false);
    }
}
