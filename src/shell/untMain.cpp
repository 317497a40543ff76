#include "shell/untMain.h"

#include <optional>

#include "base/Errors.h"
#include "base/StepTimes.h"
#include "config/CaptionKeys.h"
#include "config/ValueForms.h"
#include "config/untIni.h"
#include "dialogs/untAbout.h"
#include "install/Preflight.h"
#include "language/BuiltInText.h"
#include "platform/Dialogs.h"
#include "platform/MessagePump.h"
#include "printing/SystemCommands.h"
#include "printing/untFuction.h"
#include "session/InstallLog.h"
#include "shell/MainLayout.h"
#include "ui/Dispatch.h"
#include "usb/untUsbDLLinitalize.h"

TfrmMain* frmMain = nullptr;
bool frmShow = false;

namespace {

// A start-up refusal: its built-in texts, since the kit cannot be trusted; its reason in the
// install log, for whoever asks why the wizard closed.
void Refuse(const Finding& finding) {
    const Refusal& r = *finding.refusal;
    Dialogs::Get().MessageBox(InDisplayLanguage(r.text), InDisplayLanguage(r.title),
                              mb::OK | mb::ICONHAND | mb::TOPMOST);
    installlog::BeginRun(u"wizard (start-up)", KitVersionForLog());
    installlog::EndRun(u"refused: " + finding.Summary());
}

template <class T, class... Extra> T* Place(ui::Form& form, const char16_t* name, Extra&&... extra) {
    return ui::AddPlaced<T>(form, MainPlace(name), std::forward<Extra>(extra)...);
}


} // namespace

TfrmMain::TfrmMain() : ui::Form(u"frmMain", kMainClientWidth, kMainClientHeight) {
    SetCaption(u"ODAX打印机驱动安装");
    minimizeBox = true;

    lblLanguage = Place<ui::Label>(*this, u"lblLanguage");
    pbSchedule = Place<ui::ProgressBar>(*this, u"pbSchedule");
    btnPrevious = Place<ui::Button>(*this, u"btnPrevious");
    btnNext = Place<ui::Button>(*this, u"btnNext");
    btnQuit = Place<ui::Button>(*this, u"btnQuit");
    btnStartInstall = Place<ui::Button>(*this, u"btnStartInstall");
    pcPage = Place<ui::PageControl>(*this, u"pcPage");
    tbsWelcome = Place<ui::TabSheet>(*this, u"tbsWelcome");
    lblWelcome = Place<ui::Label>(*this, u"lblWelcome");
    ImgCompanyLogo = Place<ui::Image>(*this, u"ImgCompanyLogo");
    tbsPort = Place<ui::TabSheet>(*this, u"tbsPort");
    rbNet = Place<ui::RadioButton>(*this, u"rbNet", connectionGroup_);
    rbUsb = Place<ui::RadioButton>(*this, u"rbUsb", connectionGroup_);
    rbRs232 = Place<ui::RadioButton>(*this, u"rbRs232", connectionGroup_);
    rbLPT = Place<ui::RadioButton>(*this, u"rbLPT", connectionGroup_);
    tbsNet = Place<ui::TabSheet>(*this, u"tbsNet");
    lblNetIP = Place<ui::Label>(*this, u"lblNetIP");
    meText = Place<ui::MaskEdit>(*this, u"meText", String(u"999\\.999\\.999\\.999;1;_"));
    tbsUSB = Place<ui::TabSheet>(*this, u"tbsUSB");
    lblUSBTitle = Place<ui::Label>(*this, u"lblUSBTitle");
    cbUSB = Place<ui::ComboBox>(*this, u"cbUSB");
    btnFindUSB = Place<ui::Button>(*this, u"btnFindUSB");
    gbUSBprompt = Place<ui::GroupBox>(*this, u"gbUSBprompt");
    lblUSBPrompt = Place<ui::Label>(*this, u"lblUSBPrompt");
    tbsRs232 = Place<ui::TabSheet>(*this, u"tbsRs232");
    lblRs232 = Place<ui::Label>(*this, u"lblRs232");
    cbRs232 = Place<ui::ComboBox>(*this, u"cbRs232");
    tbsLpt = Place<ui::TabSheet>(*this, u"tbsLpt");
    lblLpt = Place<ui::Label>(*this, u"lblLpt");
    cbLpt = Place<ui::ComboBox>(*this, u"cbLpt");
    tbsDriveNameSelect = Place<ui::TabSheet>(*this, u"tbsDriveNameSelect");
    lblPrintModelSelect = Place<ui::Label>(*this, u"lblPrintModelSelect");
    chkPrintSelect = Place<ui::CheckListBox>(*this, u"chkPrintSelect");
    rbChinese = Place<ui::RadioButton>(*this, u"rbChinese", languageGroup_);
    rbEnglish = Place<ui::RadioButton>(*this, u"rbEnglish", languageGroup_);
    StatusBar1 = Place<ui::StatusBar>(*this, u"StatusBar1");
    cbPortList = Place<ui::ComboBox>(*this, u"cbPortList");
    cbPrintList = Place<ui::ComboBox>(*this, u"cbPrintList");
    btnAbout = Place<ui::Button>(*this, u"btnAbout");
    lblWeb = Place<ui::Label>(*this, u"lblWeb");
    rbPOS = Place<ui::RadioButton>(*this, u"rbPOS", classGroup_);
    rbLabel = Place<ui::RadioButton>(*this, u"rbLabel", classGroup_);

    for (ui::TabSheet* page :
         {tbsWelcome, tbsPort, tbsNet, tbsUSB, tbsRs232, tbsLpt, tbsDriveNameSelect})
        pcPage->AddPage(page);

    // Texts until a language is applied; only the language buttons keep theirs.
    lblLanguage->SetCaption(u"Language");
    btnAbout->SetCaption(u"About");
    btnPrevious->SetCaption(u"Previous");
    btnNext->SetCaption(u"Next");
    btnStartInstall->SetCaption(u"Install");
    btnQuit->SetCaption(u"Quit");
    rbNet->SetCaption(u"Network");
    rbUsb->SetCaption(u"USB");
    rbRs232->SetCaption(u"Serial port");
    rbLPT->SetCaption(u"Parallel port");
    lblNetIP->SetCaption(u"IP");
    lblUSBTitle->SetCaption(u"USB port");
    btnFindUSB->SetCaption(u"Find");
    lblRs232->SetCaption(u"Port");
    lblLpt->SetCaption(u"Port");
    lblPrintModelSelect->SetCaption(u"Model");
    for (const LanguageInfo& language : Languages())
        LanguageButton(language).SetCaption(language.radioCaption);

    lblWelcome->autoSize = false;
    lblWelcome->alignment = ui::Alignment::Center;
    lblWelcome->SetFont(ui::PixelFont(21));
    lblWeb->autoSize = false;
    lblWeb->alignment = ui::Alignment::Center;
    ImgCompanyLogo->stretch = true;
    meText->SetFont(ui::PixelFont(19));
    chkPrintSelect->SetFont(ui::PixelFont(16));
    chkPrintSelect->itemHeight = 19;
    StatusBar1->AddPanel(70, ui::Alignment::Center);
    StatusBar1->AddPanel(300, ui::Alignment::Left);
    cbPortList->SetVisible(false);
    cbPrintList->SetVisible(false);
    rbPOS->SetChecked(true); // no handler bound yet: the initial class, no event
    // Fields are named by the label beside them, for assistive technology.
    for (const ConnectionType& type : ConnectionTypes()) {
        ui::Control* field = PortListOf(type);
        (field ? field : static_cast<ui::Control*>(meText))->labelledBy = LabelOf(type);
    }
    chkPrintSelect->labelledBy = lblPrintModelSelect;

    // Tab order on the window itself.
    int order = 0;
    for (ui::Control* c : std::initializer_list<ui::Control*>{
             pbSchedule, btnPrevious, btnNext, btnQuit, btnStartInstall, pcPage, rbChinese,
             rbEnglish, btnAbout})
        c->SetTabOrder(order++);
    for (ui::Control* c : std::initializer_list<ui::Control*>{
             btnPrevious, btnNext, btnQuit, btnStartInstall, rbChinese, btnAbout, rbNet, meText,
             cbUSB, btnFindUSB, cbRs232, cbLpt, chkPrintSelect})
        c->SetTabStop(true);

    OnCreate = [this](ui::Control* s) { FormCreate(s); };
    OnShow = [this](ui::Control* s) { FormShow(s); };
    OnClose = [this](ui::Control* s, ui::CloseAction& a) { FormClose(s, a); };
    OnDestroy = [this](ui::Control* s) { FormDestroy(s); };
    btnPrevious->OnClick = [this](ui::Control* s) { btnNextClick(s); };
    btnNext->OnClick = [this](ui::Control* s) { btnNextClick(s); };
    for (const ConnectionType& type : ConnectionTypes())
        RadioOf(type)->OnClick = [this](ui::Control* s) { rbNetClick(s); };
    rbChinese->OnClick = [this](ui::Control* s) { rbChineseClick(s); };
    rbEnglish->OnClick = [this](ui::Control* s) { rbChineseClick(s); };
    btnQuit->OnClick = [this](ui::Control* s) { btnQuitClick(s); };
    btnAbout->OnClick = [this](ui::Control* s) { btnAboutClick(s); };
    ImgCompanyLogo->OnClick = [this](ui::Control* s) { ImgCompanyLogoClick(s); };
    lblWeb->OnClick = [this](ui::Control* s) { ImgCompanyLogoClick(s); };
    btnFindUSB->OnClick = [this](ui::Control* s) { btnFindUSBClick(s); };
    tbsDriveNameSelect->OnShow = [this](ui::Control* s) { tbsDriveNameSelectShow(s); };
    chkPrintSelect->OnClick = [this](ui::Control* s) { chkPrintSelectClick(s); };
    chkPrintSelect->OnClickCheck = [this](ui::Control* s) { chkPrintSelectClick(s); };
    btnStartInstall->OnClick = [this](ui::Control* s) { btnStartInstallClick(s); };
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::FormCreate(ui::Control*) {
    SetEnabled(false);
    Pump();
    try {
        TimedStep step("spooler");
        StartSpoolerUnlessRunning();
    } catch (const Exception& e) {
        // The window set-up does not depend on the spooler command; say why it failed.
        ui::ShowStandardErrorBox(e.Message());
    }
    SetEnabled(true);
    pcPage->tabsVisible = false;
    ImgCompanyLogo->SetCursor(ui::Cursor::HandPoint);
    lblWeb->SetCursor(ui::Cursor::HandPoint);
    ui::Font web = lblWeb->GetFont();
    web.underline = true;
    web.color = 0x0000FF;
    lblWeb->SetFont(web);
    pcPage->SetActivePageIndex(0);
    btnPrevious->SetEnabled(false);
    btnStartInstall->SetEnabled(true);
    pbSchedule->SetMin(0);
    pbSchedule->SetMax(3);
    pbSchedule->SetStep(1);
    pbSchedule->SetPosition(0);
    pageNo = 0;
    rbLabel->SetVisible(false);
    rbPOS->SetVisible(false);
    frmShow = false;
}

void TfrmMain::FormShow(ui::Control*) {
    if (frmShow) return;
    std::optional<TimedStep> step(std::in_place, "library");
    ProgramKit kit;
    if (const std::optional<Finding> missing = preflight::KitFiles(kit)) {
        Refuse(*missing);
        Close();
        return;
    }
    initUsbDLL();
    step.emplace("seal");
    // Nothing may lead to an installation until the settings are known to be intact: a check
    // that cannot finish (the file held open by another program, its read refused) raises
    // past here to the error box and leaves both buttons disabled.
    btnNext->SetEnabled(false);
    btnStartInstall->SetEnabled(false);
    // One read of the file serves the check and every setting applied below.
    const HeldSettings held(*IniOptions);
    if (const std::optional<Finding> broken = preflight::Seal(kit)) {
        if (!broken->error.empty()) throw Exception(broken->error);
        Refuse(*broken);
        Close();
        return;
    }
    step.emplace("settings");
    btnNext->SetEnabled(true);
    btnAbout->SetEnabled(StrToBool(IniOptions->GetIdentValue(u"CONFIG", u"DefaultAbout")));
    btnStartInstall->SetEnabled(false);
    if (const ConnectionType* type = ConnectionOfDefaultPort(
            StrToInt(IniOptions->GetIdentValue(u"CONFIG", u"DefaultPort")))) {
        RadioOf(*type)->SetChecked(true);
        EnumPort = type->kind;
    }
    if (UpperCase(IniOptions->GetIdentValue(u"CONFIG", u"DefaultPrintClass")) == u"POS")
        rbPOS->SetChecked(true);
    else
        rbLabel->SetChecked(true);
    LoadModelTable();
    step.emplace("language");
    LanguageButton(DisplayLanguage()).SetChecked(true);
    step.emplace("printers");
    PushPrinterListToList();
    frmShow = true;
}

void TfrmMain::btnQuitClick(ui::Control*) {
    const int answer = Dialogs::Get().MessageBox(CaptionText(LCaption, caption::kQuitQuestion),
                                                 CaptionText(LCaption, caption::kMessageTitle),
                                                 mb::YESNO | mb::ICONQUESTION);
    if (answer == mb::ID_YES) Close();
}

void TfrmMain::btnAboutClick(ui::Control*) {
    TfrmAbout about;
    about.ShowModal();
    about.Destroy();
}

void TfrmMain::ImgCompanyLogoClick(ui::Control*) {
    const String web = IniOptions->GetIdentValue(u"OEM", u"WEB");
    if (IsWebAddress(web)) Dialogs::Get().ShellOpen(web);
}

void TfrmMain::FormClose(ui::Control*, ui::CloseAction& Action) {
    Action = ui::CloseAction::Free;
    MessagePump::Get().PostQuit(0);
    Pump();
}

void TfrmMain::FormDestroy(ui::Control*) { frmShow = false; }
