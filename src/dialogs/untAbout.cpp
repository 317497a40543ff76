#include "dialogs/untAbout.h"

#include "base/Errors.h"
#include "config/CaptionKeys.h"
#include "config/ValueForms.h"
#include "config/untIni.h"
#include "dialogs/DialogLayouts.h"
#include "language/Languages.h"
#include "language/untLanguages.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "ui/PictureFile.h"

TfrmAbout* frmAbout = nullptr;

TfrmAbout::TfrmAbout() : ui::Form(u"frmAbout", kAboutClientWidth, kAboutClientHeight) {
    position = ui::FormPosition::OwnerCenter;
    Panel1 = ui::AddPlaced<ui::Panel>(*this, AboutPlace(u"Panel1"));
    imgLogo = ui::AddPlaced<ui::Image>(*this, AboutPlace(u"imgLogo"));
    lblCompanyName = ui::AddPlaced<ui::Label>(*this, AboutPlace(u"lblCompanyName"));
    lblCompanyNameEN = ui::AddPlaced<ui::Label>(*this, AboutPlace(u"lblCompanyNameEN"));
    imgQR = ui::AddPlaced<ui::Image>(*this, AboutPlace(u"imgQR"));
    Memo1 = ui::AddPlaced<ui::Memo>(*this, AboutPlace(u"Memo1"));
    lblWeb = ui::AddPlaced<ui::Label>(*this, AboutPlace(u"lblWeb"));
    OKButton = ui::AddPlaced<ui::Button>(*this, AboutPlace(u"OKButton"));

    // Neutral design-time contents: showing the dialog replaces or hides every one of them.
    lblCompanyName->SetCaption(u"Company");
    lblCompanyNameEN->SetCaption(u"Company");
    lblWeb->SetCaption(u"Web");
    OKButton->SetCaption(u"OK");
    imgLogo->stretch = true;
    imgQR->transparent = true;
    lblCompanyName->autoSize = false;
    lblCompanyName->SetFont(ui::PixelFont(19));
    lblCompanyNameEN->SetFont(ui::PixelFont(19));
    Memo1->readOnly = true;
    Memo1->border = false;
    Memo1->SetFont(ui::PixelFont(13));
    lblWeb->autoSize = false;
    lblWeb->SetFont(ui::PixelFont(16));
    OKButton->isDefault = true;
    OKButton->SetTabStop(true);
    Memo1->labelledBy = lblCompanyName; // the vendor's contact lines

    OnCreate = [this](ui::Control* s) { FormCreate(s); };
    OnShow = [this](ui::Control* s) { FormShow(s); };
    OKButton->OnClick = [this](ui::Control*) { SetModalResult(1); };
    lblWeb->OnClick = [this](ui::Control* s) { lblWebClick(s); };
}

void TfrmAbout::FormCreate(ui::Control*) {
    lblWeb->SetCursor(ui::Cursor::HandPoint);
    ui::Font f = lblWeb->GetFont();
    f.underline = true;
    f.color = 0x0000FF;
    lblWeb->SetFont(f);
}

void TfrmAbout::FormShow(ui::Control*) {
    Memo1->Clear();
    const String tSection = IniOptions->OSCaption();
    auto oem = [](const String& key) { return IniOptions->GetIdentValue(u"OEM", key); };
    auto text = [&](const CaptionKey& key) { return CaptionText(tSection, key); };

    const LanguageInfo& language = DisplayLanguage();
    const String tQR = language.qrKey;
    const String tLogo = language.logoKey;
    const String tIdentAddr = language.addressKey;
    lblCompanyName->SetCaption(oem(language.companyNameKey));
    if (language.secondNameKey) lblCompanyNameEN->SetCaption(oem(language.secondNameKey));
    lblCompanyNameEN->SetVisible(language.secondNameKey != nullptr);

    // Either picture failing hides both; nothing is reported.
    try {
        for (auto [image, key] : {std::pair{imgQR, tQR}, std::pair{imgLogo, tLogo}}) {
            const String path = oem(key);
            const bool present = !path.empty() && Files::Get().FileExists(path);
            image->SetVisible(present);
            if (present) image->SetPicture(ui::LoadPictureFile(path));
        }
    } catch (const Exception&) {
        imgQR->SetVisible(false);
        imgLogo->SetVisible(false);
    }

    Memo1->Append(u"");
    Memo1->Append(text(caption::kAboutServiceTel) + oem(u"ServerTel"));
    Memo1->Append(u"");
    Memo1->Append(text(caption::kAboutQQ) + oem(u"QQ"));
    Memo1->Append(u"");
    Memo1->Append(text(caption::kAboutWeb) + oem(u"Web"));
    Memo1->Append(u"");
    Memo1->Append(text(caption::kAboutAddress) + oem(tIdentAddr));
    Memo1->Append(u"");
    Memo1->Append(text(caption::kAboutTel) + oem(u"Tel") + u"    " + text(caption::kAboutFax) +
                  oem(u"FAX"));

    imgLogo->SetAccessibleName(text(caption::kLogoName));
    imgQR->SetAccessibleName(text(caption::kQrName));
    OKButton->SetCaption(text(caption::kQuitButton));
    const String web = oem(u"Web");
    lblWeb->SetCaption(web);
    lblWeb->SetVisible(!web.empty());
    SetCaption(lblCompanyName->Caption());
    OKButton->SetFocus();
}

void TfrmAbout::lblWebClick(ui::Control*) {
    if (IsWebAddress(lblWeb->Caption())) Dialogs::Get().ShellOpen(lblWeb->Caption());
}
