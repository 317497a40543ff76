#pragma once
// The main wizard window.
#include <cstdint>
#include <functional>
#include <memory>

#include "language/Languages.h"
#include "language/untLanguages.h"
#include "session/Connections.h"
#include "session/Questions.h"
#include "session/Report.h"
#include "ui/Form.h"

extern TEnumPort EnumPort;
extern std::int32_t pageNo;
extern bool frmShow;

class TfrmMain;

// How the operations the main window starts report and ask: on the wait dialog, the main
// window's status bar and in message boxes, with every text in the install log. The phases of
// a run hold the main window and its install button; leaving at the end is the quit action.
class MainWindowProgress final : public IReport, public IQuestions {
  public:
    explicit MainWindowProgress(TfrmMain& main) : main_(main) {}
    void Begin(const String& title, const String& heading,
               const std::optional<String>& button) override;
    void End() override;
    void ClearLog() override;
    void Log(const String& line) override;
    void Steps(int count) override;
    void Step() override;
    void Finish() override;
    void Cancellable(bool enabled) override;
    void Status(const String& text) override;
    void Message(const String& title, const String& text, Notice notice) override;
    void Phase(RunPhase phase) override;
    bool Ask(const Question& question) override;

    // The main window held still while an operation works (and the wait dialog's button with
    // it), or usable again.
    void Busy(bool busy);

    // One run in the install log: begun as `how`, ended with the outcome `run` returns, or
    // with the error that ends it (which goes on to the event dispatch as before).
    void LoggedRun(const String& how, const std::function<String()>& run);

private:
  // A message box, recorded in the install log with its answer.
  int Box(const String& title, const String& text, std::uint32_t flags);
  // Into the install log, unless it is the text written there last (a step shown on the
  // wait dialog and the status bar at once is one step).
  void Record(const String& text);
  TfrmMain& main_;
  String lastRecorded_;
};

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

    // What the operations started here report and ask through.
    MainWindowProgress& Progress() { return progress_; }

  private:
    // The USB search and its outcome on the main window; returns the outcome for the log.
    String FindUsbPrinter();
    // The controls of a connection type's row.
    ui::RadioButton* RadioOf(const ConnectionType& type) const;
    ui::Label* LabelOf(const ConnectionType& type) const;
    ui::ComboBox* PortListOf(const ConnectionType& type) const;
    // The button of a display language.
    ui::RadioButton& LanguageButton(const LanguageInfo& language) const;
    // The connection type whose port page is shown, nullptr on any other page, and the port
    // chosen there (for the network, the address as typed).
    const ConnectionType* ShownConnection() const;
    String ChosenPort(const ConnectionType& type) const;

    ui::RadioGroup connectionGroup_, languageGroup_, classGroup_;
    MainWindowProgress progress_{*this};
    bool installRunning_ = false; // a second click during a run does nothing
    bool usbSearchRunning_ = false;
    // A search on this visit of the USB page found the model to install.
    bool usbSearchAccepted_ = false;
};

extern TfrmMain* frmMain;
