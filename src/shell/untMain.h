#pragma once
// The main wizard window.
#include <array>
#include <cstdint>
#include <memory>

#include "shell/untLanguages.h"
#include "ui/Form.h"

enum class TEnumPort : std::uint8_t { NET = 0, USB = 1, RS232 = 2, LPT = 3 };

// Page shown at each step of each connection type; -1 marks a skipped step.
extern const std::array<std::array<std::int32_t, 4>, 4> PagePort;
extern TEnumPort EnumPort;
extern std::int32_t pageNo;
extern bool frmShow;

class TfrmMain : public ui::Form {
public:
    TfrmMain();
    ~TfrmMain() override;

    // Controls, in the order the window declares them.
    ui::Label* lblLanguage;
    ui::ProgressBar* pbSchedule;
    ui::Button* btnPrevious;
    ui::Button* btnNext;
    ui::Button* btnQuit;
    ui::Button* btnStartInstall;
    ui::PageControl* pcPage;
    ui::TabSheet* tbsWelcome;
    ui::Label* lblWelcome;
    ui::Image* ImgCompanyLogo;
    ui::TabSheet* tbsPort;
    ui::RadioButton* rbNet;
    ui::RadioButton* rbUsb;
    ui::RadioButton* rbRs232;
    ui::RadioButton* rbLPT;
    ui::TabSheet* tbsNet;
    ui::Label* lblNetIP;
    ui::MaskEdit* meText;
    ui::TabSheet* tbsUSB;
    ui::Label* lblUSBTitle;
    ui::ComboBox* cbUSB;
    ui::Button* btnFindUSB;
    ui::GroupBox* gbUSBprompt;
    ui::Label* lblUSBPrompt;
    ui::TabSheet* tbsRs232;
    ui::Label* lblRs232;
    ui::ComboBox* cbRs232;
    ui::TabSheet* tbsLpt;
    ui::Label* lblLpt;
    ui::ComboBox* cbLpt;
    ui::TabSheet* tbsDriveNameSelect;
    ui::Label* lblPrintModelSelect;
    ui::CheckListBox* chkPrintSelect;
    ui::RadioButton* rbChinese;
    ui::RadioButton* rbEnglish;
    ui::StatusBar* StatusBar1;
    ui::ComboBox* cbPortList;
    ui::ComboBox* cbPrintList;
    ui::Button* btnAbout;
    ui::Label* lblWeb;
    ui::RadioButton* rbPOS;
    ui::RadioButton* rbLabel;

    // Handlers and methods, in declaration order.
    void btnQuitClick(ui::Control* Sender);
    void btnAboutClick(ui::Control* Sender);
    void FormCreate(ui::Control* Sender);
    void btnNextClick(ui::Control* Sender);
    void rbChineseClick(ui::Control* Sender);
    void SetWindowsLanguage(TOSLanguage tLanguage);
    void ImgCompanyLogoClick(ui::Control* Sender);
    void btnStartInstallClick(ui::Control* Sender);
    void FormShow(ui::Control* Sender);
    void PushPrinterListToList();
    void PushPortListToList();
    void lstCheck();
    void chkPrintSelectClick(ui::Control* Sender);
    void rbNetClick(ui::Control* Sender);
    void btnFindUSBClick(ui::Control* Sender);
    void FormDestroy(ui::Control* Sender);
    void tbsDriveNameSelectShow(ui::Control* Sender);
    void FormClose(ui::Control* Sender, ui::CloseAction& Action);

    // The model-table load of the start-up sequence.
    void LoadModelTable();

private:
    ui::RadioGroup connectionGroup_, languageGroup_, classGroup_;
    bool installRunning_ = false; // a second click during a run does nothing
    bool usbSearchRunning_ = false;
    // A search on this visit of the USB page found the model to install.
    bool usbSearchAccepted_ = false;
    friend struct MainWindowInternals;
};

extern TfrmMain* frmMain;
