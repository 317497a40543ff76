// The installation run: the port, an optional removal of an installed driver, the printer-setup
// command, the default printer and the end of the run.
#include <exception>
#include <initializer_list>

#include "base/Errors.h"
#include "config/CaptionKeys.h"
#include "config/Languages.h"
#include "config/ValueForms.h"
#include "config/untIni.h"
#include "dialogs/untWait.h"
#include "install/PrintModel.h"
#include "install/untInstall.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/MessagePump.h"
#include "platform/Spooler.h"
#include "printing/SystemCommands.h"
#include "printing/untFuction.h"
#include "printing/untSystemPrinterInfo.h"
#include "shell/untMain.h"

const CaptionKey& kCaptionNotInstalled = CaptionKeyOf(u"CAPTION_77");
const CaptionKey& kCaptionNotInstalledHint = CaptionKeyOf(u"CAPTION_78");
const CaptionKey& kCaptionDoubleQuote = CaptionKeyOf(u"CAPTION_79");
const CaptionKey& kCaptionSearchFirst = CaptionKeyOf(u"CAPTION_80");
const CaptionKey& kCaptionUnsafeValue = CaptionKeyOf(u"CAPTION_81");

String CaptionOrBuiltIn(const CaptionKey& caption) {
    return CaptionText(LCaption, caption.key);
}

// The local computer's driver (no /c), for the architecture of the system's spooler, whatever
// the program's own.
String DeleteCommand(const String& name) {
    return PrinterSetupProgram() + u" printui.dll,PrintUIEntry /dd /m \"" + name + u"\" /h \"" +
           ArchitectureName(SystemInfo::Get().SystemArchitecture()) +
           u"\" /v \"Type 3 - User Mode\" ";
}

String InstallCommand(const String& name, const String& folder, const String& lang,
                      const String& inf, const String& port) {
    return PrinterSetupProgram() + u" printui.dll,PrintUIEntry /if /b \"" + name + u"\" /f \"" +
           folder + lang + u"\\" + inf + u"\" /r \"" + port + u"\" /m \"" + name + u"\"";
}

namespace {

String CaptionText(const char16_t* key) {
    return ::CaptionText(LCaption, key);
}

String Config(const char16_t* key) {
    return IniOptions->GetIdentValue(u"CONFIG", key);
}

void Pump() {
    MessagePump::Get().ProcessMessages();
}

int Ask(const String& title, const String& text, std::uint32_t flags) {
    return Dialogs::Get().MessageBox(text, title, flags);
}

// A value on the printer-setup command line: the INF name must also be a plain file name.
struct CommandValue {
    const String* value;
    bool fileName = false;
};

// Why a value cannot go on the printer-setup command line, or nullptr when it can. The
// command line has no way to escape a double quote, so one would end its argument and start
// new ones; a trailing backslash would escape the closing quote; an INF name with a folder
// or drive in it would take the driver from outside the kit's language folder.
const CaptionKey* Unsafe(const CommandValue& v) {
    const String& text = *v.value;
    if (text.find(u'"') != String::npos) return &kCaptionDoubleQuote;
    if (!text.empty() && text.back() == u'\\') return &kCaptionUnsafeValue;
    if (v.fileName &&
        (text.find_first_of(u"\\/:") != String::npos || text.find(u"..") != String::npos))
        return &kCaptionUnsafeValue;
    return nullptr;
}

// The refusal of the first unsafe value, or an empty text when all are safe.
String FirstRefusal(std::initializer_list<CommandValue> values) {
    for (const CommandValue& v : values)
        if (const CaptionKey* why = Unsafe(v)) return CaptionOrBuiltIn(*why) + *v.value;
    return {};
}

// The command lines are built only from safe values; a value that changed while messages
// were pumped is caught here, after the check at the start of the run.
void RequireSafe(std::initializer_list<CommandValue> values) {
    const String refusal = FirstRefusal(values);
    if (!refusal.empty()) throw Exception(refusal);
}

// The printer read back is what the run asked for: the port chosen and the model's driver
// (the command names the driver after the model). The spooler compares these names without
// regard to letter case.
bool IsAsAsked(const PrinterSetup& found, const TPrintModelInfo& asked) {
    return found.exists && SameText(found.port, asked.PrintPort) &&
           SameText(found.driver, asked.PrintName);
}

String RemoveBlanks(const String& text) {
    String out;
    for (char16_t c : text)
        if (c != u' ') out += c;
    return out;
}

} // namespace

void TfrmMain::btnStartInstallClick(ui::Control*) {
    // A click that arrives while a run pumps messages would start a run inside the run.
    if (installRunning_) return;
    installRunning_ = true;
    struct RunningFlag {
        bool& flag;
        ~RunningFlag() { flag = false; }
    } running{installRunning_};

    TfrmWait& wait = *frmWait;
    auto report = [&](const String& text) {
        StatusBar1->SetPanelText(1, text);
        wait.mmoWait->Append(StatusBar1->PanelText(1));
    };
    TPrintModelInfo& setup = PrintSetupInfo;

    // A USB printer is installed as a search found it; a model left from elsewhere would be
    // set up on a port it may not be on.
    if (pcPage->ActivePage() == tbsUSB && !usbSearchAccepted_) {
        Ask(CaptionText(u"CAPTION_8"), CaptionOrBuiltIn(kCaptionSearchFirst),
            mb::OK | mb::ICONINFORMATION);
        return;
    }

    // The values of the install command that are known now are checked before anything runs.
    const bool labelClass = rbLabel->Checked();
    const String inf = Config(labelClass ? u"LabelInfFileName" : u"POSInfFileName");
    {
        const String pagePort = pcPage->ActivePage() == tbsUSB     ? cbUSB->Text()
                                : pcPage->ActivePage() == tbsRs232 ? cbRs232->Text()
                                : pcPage->ActivePage() == tbsLpt   ? cbLpt->Text()
                                                                   : String();
        const String refusal = FirstRefusal({{&setup.PrintName}, {&inf, true}, {&pagePort}});
        if (!refusal.empty()) {
            Ask(CaptionText(u"CAPTION_8"), refusal, mb::OK | mb::ICONERROR);
            return;
        }
    }

    // When an error ends the run, the windows are left usable: the main window and the install
    // button enabled, so the user can correct the cause and start again; the wait dialog kept
    // on screen with the log up to the step that failed, and its button enabled so that it can
    // be closed. The error still reaches the standard error box.
    struct RestoreOnError {
        TfrmMain& main;
        TfrmWait& dialog;
        int pending = std::uncaught_exceptions();
        ~RestoreOnError() {
            if (std::uncaught_exceptions() == pending) return;
            main.btnStartInstall->SetEnabled(true);
            main.SetEnabled(true);
            dialog.BitBtn1->SetEnabled(true);
        }
    } restore{*this, wait};

    // The wait dialog, titled for the run.
    wait.Show();
    wait.mmoWait->Clear();
    StatusBar1->SetPanelText(1, CaptionText(u"Caption_47"));
    wait.Label1->SetCaption(StatusBar1->PanelText(1));
    wait.mmoWait->Append(StatusBar1->PanelText(1));
    wait.SetCaption(StatusBar1->PanelText(1));
    Pump();

    // The port, from the page that is shown.
    ui::TabSheet* page = pcPage->ActivePage();
    if (page == tbsNet) {
        String NewIp = RemoveBlanks(meText->Text());
        if (!IsValidIP(NewIp)) {
            Ask(CaptionText(u"CAPTION_8"), CaptionText(u"CAPTION_29"),
                mb::OK | mb::ICONINFORMATION);
            meText->SetFocus();
            wait.Close();
            return;
        }
        bool IP_SFCZ = false;
        const StringList ports = cbPortList->Items(); // a pump may refill the list
        for (const String& port : ports) {
            if (Trim(port) != NewIp) continue;
            report(CaptionText(u"CAPTION_30"));
            Pump();
            if (Ask(CaptionText(u"CAPTION_8"), CaptionText(u"CAPTION_30"),
                    mb::YESNO | mb::ICONWARNING) == mb::ID_YES) {
                meText->SetFocus();
                NewIp.clear();
                wait.Close();
                return;
            }
            IP_SFCZ = true;
            break;
        }
        if (!IP_SFCZ) {
            report(CaptionText(u"Caption_70"));
            if (!CreateNewIpPort(this, NewIp)) {
                report(CaptionText(u"CAPTION_71"));
                wait.Close();
                Ask(CaptionText(u"CAPTION_33"),
                    CaptionText(u"CAPTION_71") + CaptionText(u"CAPTION_72"),
                    mb::OK | mb::ICONERROR);
                return;
            }
            report(CaptionText(u"Caption_59") + NewIp + CaptionText(u"Caption_32"));
        }
        setup.PrintPort = NewIp;
    } else if (page == tbsUSB) {
        setup.PrintPort = cbUSB->Text();
    } else if (page == tbsRs232) {
        setup.PrintPort = cbRs232->Text();
    } else if (page == tbsLpt) {
        setup.PrintPort = cbLpt->Text();
    }

    // A printer of the same name may be removed first.
    if (StrToBool(Config(u"CheckPrinterRepeatedly"))) {
        const StringList printers = cbPrintList->Items();
        for (const String& printer : printers) {
            if (printer != setup.PrintName) continue;
            if (Ask(CaptionText(u"CAPTION_8"), CaptionText(u"CAPTION_34"),
                    mb::YESNO | mb::ICONWARNING) == mb::ID_YES) {
                RunSpoolerCommand(SpoolerAction::Start);
                WaitTime(1000);
                Pump();
                RequireSafe({{&setup.PrintName}});
                const String sCmd = DeleteCommand(setup.PrintName);
                report(CaptionText(u"Caption_68"));
                Pump();
                RunDOS(sCmd);
                WaitTime(1000);
                report(setup.PrintName + CaptionText(u"Caption_69"));
            }
            break;
        }
    }

    // From here to the end nothing on the main window may run.
    btnStartInstall->SetEnabled(false);
    SetEnabled(false);
    wait.BitBtn1->SetEnabled(false);
    Pump();

    // The spooler and the printer-setup command.
    report(CaptionText(u"Caption_49"));
    Pump();
    RunSpoolerCommand(SpoolerAction::Start);
    report(CaptionText(u"Caption_52"));
    Pump();
    report(CaptionText(u"Caption_53"));
    Pump();
    const String folder = ExtractFilePath(Files::Get().ModuleFileName());
    const String lang = DisplayLanguage().kitFolder;
    RequireSafe({{&setup.PrintName}, {&inf, true}, {&setup.PrintPort}});
    const String sCmd = InstallCommand(setup.PrintName, folder, lang, inf, setup.PrintPort);
    report(CaptionText(u"Caption_46"));
    Pump();
    RunDOS(sCmd);

    // The printer-setup command reports nothing we can trust: the printer must now be what
    // was asked for. A printer of that name from before (the user kept it, or an earlier run)
    // counts only when it has the chosen port and the model's driver.
    // An empty name would open the print server itself, so it is never asked about.
    const PrinterSetup found =
        setup.PrintName.empty() ? PrinterSetup{} : Spooler::Get().ReadPrinter(setup.PrintName);
    if (!IsAsAsked(found, setup)) {
        String failure = CaptionOrBuiltIn(kCaptionNotInstalled) + setup.PrintName;
        if (found.exists) failure += u" (" + found.port + u", " + found.driver + u")";
        report(failure);
        Pump();
        // The same state as after an error: the log stays on screen, everything usable.
        btnStartInstall->SetEnabled(true);
        SetEnabled(true);
        wait.BitBtn1->SetEnabled(true);
        Ask(CaptionText(u"CAPTION_8"),
            failure + u"\r\n" + CaptionOrBuiltIn(kCaptionNotInstalledHint), mb::OK | mb::ICONERROR);
        return;
    }
    report(CaptionText(u"Caption_45"));
    Pump();
    report(setup.PrintName + u" " + CaptionText(u"Caption_15"));
    Pump();

    // The default printer.
    switch (StrToInt(Config(u"MrPrintSet"))) {
    case 1:
        SysPrint->SetMRPrint(setup.PrintName);
        break;
    case 2: {
        String question = CaptionText(u"Caption_55");
        question += SysPrint->GetMRPrint();
        question += u",";
        question += CaptionText(u"Caption_54");
        if (Ask(CaptionText(u"Caption_8"), question, mb::YESNO | mb::ICONQUESTION) == mb::ID_YES)
            SysPrint->SetMRPrint(setup.PrintName);
        break;
    }
    default:
        break;
    }

    // The end of the run.
    report(CaptionText(u"Caption_44"));
    Pump();
    Ask(CaptionText(u"Caption_42"), StatusBar1->PanelText(1), mb::OK | mb::ICONINFORMATION);
    if (Config(u"SetupAutoQuit") == u"0") {
        if (Ask(CaptionText(u"Caption_8"), CaptionText(u"Caption_43"),
                mb::YESNO | mb::ICONQUESTION) == mb::ID_YES)
            btnQuitClick(nullptr);
    } else {
        Ask(CaptionText(u"Caption_8"), CaptionText(u"Caption_45") + CaptionText(u"Caption_76"),
            mb::OK | mb::ICONINFORMATION);
        btnQuitClick(nullptr);
    }
    Pump();
    btnStartInstall->SetEnabled(true);
    wait.Close();
    SetEnabled(true);
    wait.BitBtn1->SetEnabled(true);
    StatusBar1->SetPanelText(1, CaptionText(u"Caption_18"));
}
