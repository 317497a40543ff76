#include "base/Errors.h"
#include "base/StepTimes.h"
#include "config/CaptionKeys.h"
#include "config/untIni.h"
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
    auto text = [](const CaptionKey& key) { return CaptionText(LCaption, key); };
    lblLanguage->SetCaption(text(caption::kLanguageLabel));
    for (const ConnectionType& type : ConnectionTypes()) {
        RadioOf(type)->SetCaption(text(*type.radioCaption));
        LabelOf(type)->SetCaption(text(*type.labelCaption));
    }
    gbUSBprompt->SetCaption(text(caption::kMessageTitle));
    lblUSBPrompt->SetCaption(text(caption::kUsbPrompt));
    btnAbout->SetCaption(text(caption::kAboutButton));
    btnPrevious->SetCaption(text(caption::kPreviousButton));
    btnNext->SetCaption(text(caption::kNextButton));
    btnStartInstall->SetCaption(text(caption::kInstallButton));
    btnQuit->SetCaption(text(caption::kQuitButton));
    btnFindUSB->SetCaption(text(caption::kFindUsbButton));
    StatusBar1->SetPanelText(0, text(caption::kMessageTitle));
    StatusBar1->SetPanelText(1, text(caption::kStatusReady));
    lblPrintModelSelect->SetCaption(text(caption::kModelLabel));

    SetCaption(text(caption::kWindowTitle) + u" DLL Ver:" + IntToStr(UsbLibraryVersion()) +
               u" Tool Ver: " + IniOptions->GetIdentValue(u"CONFIG", u"SoftVer"));

    lblWelcome->SetCaption(text(caption::kWelcome));
    lblWeb->SetCaption(text(caption::kWebLink));
    ImgCompanyLogo->SetAccessibleName(text(caption::kLogoName));

    // A logo that cannot be shown is hidden for the rest of the run; nothing is reported.
    try {
        const String logo = IniOptions->GetIdentValue(u"OEM", IniOptions->GetCompanyLOGO());
        TimedStep step("picture");
        ImgCompanyLogo->SetPicture(ui::LoadPictureFile(logo));
    } catch (const Exception&) {
        ImgCompanyLogo->SetVisible(false);
    }
}
