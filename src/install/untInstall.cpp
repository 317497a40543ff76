// The installation run: the port, an optional removal of an installed driver, the printer-setup
// command, the default printer and the end of the run.
#include <initializer_list>

#include "base/Errors.h"
#include "base/Paths.h"
#include "base/Scoped.h"
#include "config/CaptionKeys.h"
#include "config/ValueForms.h"
#include "config/untIni.h"
#include "install/TestPrint.h"
#include "install/untInstall.h"
#include "language/Languages.h"
#include "language/untLanguages.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/MessagePump.h"
#include "platform/Spooler.h"
#include "printing/SystemCommands.h"
#include "printing/untFuction.h"
#include "printing/untSystemPrinterInfo.h"



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

String DeletePrinterCommand(const String& name) {
    return PrinterSetupProgram() + u" printui.dll,PrintUIEntry /dl /n \"" + name + u"\"";
}

namespace {

String CaptionText(const CaptionKey& key) {
    return ::CaptionText(LCaption, key);
}

String Config(const char16_t* key) {
    return IniOptions->GetIdentValue(u"CONFIG", key);
}

} // namespace

CommandValueFault CommandValueFaultOf(StringView value, bool fileName) {
    if (value.find(u'"') != StringView::npos) return CommandValueFault::DoubleQuote;
    if (!value.empty() && value.back() == u'\\') return CommandValueFault::TrailingBackslash;
    if (fileName &&
        (value.find_first_of(u"\\/:") != StringView::npos || value.find(u"..") != StringView::npos))
        return CommandValueFault::NotPlainFileName;
    return CommandValueFault::None;
}

namespace {

// A value on the printer-setup command line: the INF name must also be a plain file name.
struct CommandValue {
    const String* value;
    bool fileName = false;
};

// The message of a value that cannot go on the printer-setup command line, or nullptr when it
// can.
const CaptionKey* Unsafe(const CommandValue& v) {
    switch (CommandValueFaultOf(*v.value, v.fileName)) {
    case CommandValueFault::None:
        return nullptr;
    case CommandValueFault::DoubleQuote:
        return &caption::kDoubleQuote;
    case CommandValueFault::TrailingBackslash:
    case CommandValueFault::NotPlainFileName:
        break;
    }
    return &caption::kUnsafeValue;
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

String InfFileName(bool labelClass) {
    return Config(labelClass ? u"LabelInfFileName" : u"POSInfFileName");
}

} // namespace

String ValueRefusal(const String& model, bool labelClass, const String& port) {
    const String inf = InfFileName(labelClass);
    return FirstRefusal({{&model}, {&inf, true}, {&port}});
}

String NameRefusal(const String& name) {
    return FirstRefusal({{&name}});
}

InstallOutcome RunInstallation(const InstallChoices& choices, TPrintModelInfo& setup,
                               IProgress& progress) {
    auto report = [&](const String& text) {
        progress.Status(text);
        progress.Log(text);
    };
    const ConnectionType* const connection = choices.connection;
    const String quiet = choices.quietCommands ? kQuietSetupOption : String();

    // A printer found by a search is installed as the search found it; a model left from
    // elsewhere would be set up on a port it may not be on.
    if (connection && connection->modelFromSearch && !choices.searchAccepted) {
        progress.Ask(CaptionText(caption::kMessageTitle), CaptionOrBuiltIn(caption::kSearchFirst),
                     mb::OK | mb::ICONINFORMATION);
        return InstallOutcome::Refused;
    }

    // The values of the install command that are known now are checked before anything runs.
    const String inf = InfFileName(choices.labelClass);
    const bool typedAddress = connection && !connection->portList;
    const String chosenPort = connection && !typedAddress ? choices.port : String();
    {
        const String refusal = ValueRefusal(setup.PrintName, choices.labelClass, chosenPort);
        if (!refusal.empty()) {
            progress.Ask(CaptionText(caption::kMessageTitle), refusal, mb::OK | mb::ICONERROR);
            return InstallOutcome::Refused;
        }
    }

    // When an error ends the run, the windows are left usable, so the user can correct the
    // cause and start again; the wait dialog stays on screen with the log up to the step that
    // failed. The error still reaches the standard error box.
    OnError restore([&] { progress.Busy(false); });

    // The wait dialog, titled for the run.
    const String title = CaptionText(caption::kInstallHeading);
    progress.Open(title, title, std::nullopt);
    progress.ClearLog();
    report(title);
    Pump();

    // The port, from the page that is shown.
    if (typedAddress) {
        String NewIp = RemoveBlanks(choices.port);
        if (!IsValidIP(NewIp)) {
            progress.Ask(CaptionText(caption::kMessageTitle), CaptionText(caption::kInvalidAddress),
                         mb::OK | mb::ICONINFORMATION);
            progress.Close();
            return InstallOutcome::AddressRefused;
        }
        bool IP_SFCZ = false;
        for (const String& port : choices.ports) {
            if (Trim(port) != NewIp) continue;
            report(CaptionText(caption::kPortExists));
            Pump();
            const bool another =
                choices.keepExistingPort
                    ? !*choices.keepExistingPort
                    : progress.Ask(CaptionText(caption::kMessageTitle), CaptionText(caption::kPortExists),
                                   mb::YESNO | mb::ICONWARNING) == mb::ID_YES;
            if (another) {
                progress.Close();
                return InstallOutcome::AddressRefused;
            }
            IP_SFCZ = true;
            break;
        }
        if (!IP_SFCZ) {
            report(CaptionText(caption::kCreatingPort));
            if (!CreateNewIpPort(NewIp, progress)) {
                report(CaptionText(caption::kPortFailed));
                progress.Close();
                progress.Ask(CaptionText(caption::kPortFailedTitle),
                             CaptionText(caption::kPortFailed) + CaptionText(caption::kPortFailedHint),
                             mb::OK | mb::ICONERROR);
                return InstallOutcome::PortNotCreated;
            }
            report(CaptionText(caption::kPortLineStart) + NewIp + CaptionText(caption::kPortCreated));
        }
        setup.PrintPort = NewIp;
    } else if (connection) {
        setup.PrintPort = chosenPort;
    }

    // A printer of the same name may be removed first.
    if (StrToBool(Config(u"CheckPrinterRepeatedly"))) {
        for (const String& printer : choices.printers) {
            if (printer != setup.PrintName) continue;
            const bool remove =
                choices.removeInstalled
                    ? *choices.removeInstalled
                    : progress.Ask(CaptionText(caption::kMessageTitle), CaptionText(caption::kPrinterExists),
                                   mb::YESNO | mb::ICONWARNING) == mb::ID_YES;
            if (remove) {
                RunSpoolerCommand(SpoolerAction::Start);
                WaitTime(1000);
                Pump();
                RequireSafe({{&setup.PrintName}});
                const String sCmd = DeleteCommand(setup.PrintName) + quiet;
                report(CaptionText(caption::kRemovingDriver));
                Pump();
                RunDOS(sCmd);
                WaitTime(1000);
                report(setup.PrintName + CaptionText(caption::kDriverRemoved));
            }
            break;
        }
    }

    // From here to the end nothing on the main window may run.
    progress.Busy(true);
    Pump();

    // The spooler and the printer-setup command.
    report(CaptionText(caption::kSpoolerStarting));
    Pump();
    RunSpoolerCommand(SpoolerAction::Start);
    report(CaptionText(caption::kSpoolerStarted));
    Pump();
    report(CaptionText(caption::kSetupCommandPreparing));
    Pump();
    const String folder = ExtractFilePath(Files::Get().ModuleFileName());
    const String lang = DisplayLanguage().kitFolder;
    RequireSafe({{&setup.PrintName}, {&inf, true}, {&setup.PrintPort}});
    const String sCmd = InstallCommand(setup.PrintName, folder, lang, inf, setup.PrintPort) + quiet;
    report(CaptionText(caption::kSetupCommandRunning));
    Pump();
    RunDOS(sCmd);

    // The printer-setup command reports nothing we can trust: the printer must now be what
    // was asked for. A printer of that name from before (the user kept it, or an earlier run)
    // counts only when it has the chosen port and the model's driver.
    // An empty name would open the print server itself, so it is never asked about.
    const PrinterSetup found =
        setup.PrintName.empty() ? PrinterSetup{} : Spooler::Get().ReadPrinter(setup.PrintName);
    if (!IsAsAsked(found, setup)) {
        String failure = CaptionOrBuiltIn(caption::kNotInstalled) + setup.PrintName;
        if (found.exists) failure += u" (" + found.port + u", " + found.driver + u")";
        report(failure);
        Pump();
        // The same state as after an error: the log stays on screen, everything usable.
        progress.Busy(false);
        progress.Ask(CaptionText(caption::kMessageTitle),
                     failure + u"\r\n" + CaptionOrBuiltIn(caption::kNotInstalledHint),
                     mb::OK | mb::ICONERROR);
        return InstallOutcome::NotInstalled;
    }
    report(CaptionText(caption::kSetupCommandDone));
    Pump();
    report(setup.PrintName + u" " + CaptionText(caption::kInstallButton));
    Pump();

    // The default printer.
    const int mrPrintSet = StrToInt(Config(u"MrPrintSet"));
    switch (choices.makeDefault.value_or(false) ? 1 : mrPrintSet) {
    case 1:
        SysPrint->SetMRPrint(setup.PrintName);
        break;
    case 2: {
        if (choices.makeDefault) break; // answered No beforehand
        String question = CaptionText(caption::kDefaultQuestionStart);
        question += SysPrint->GetMRPrint();
        question += u",";
        question += CaptionText(caption::kDefaultQuestionEnd);
        if (progress.Ask(CaptionText(caption::kMessageTitle), question, mb::YESNO | mb::ICONQUESTION) ==
            mb::ID_YES)
            SysPrint->SetMRPrint(setup.PrintName);
        break;
    }
    default:
        break;
    }

    // The test receipt proves what the check above cannot: that the printer answers. Its
    // outcome is reported only; the end follows whatever it was.
    switch (choices.testPrint) {
    case InstallChoices::TestPrint::Print:
        PrintTestReceipt(setup, choices.labelClass, progress);
        break;
    case InstallChoices::TestPrint::AsKitOffers:
        OfferTestPrint(setup, choices.labelClass, progress);
        break;
    case InstallChoices::TestPrint::Skip:
        break;
    }

    // The end of the run.
    const String done = CaptionText(caption::kInstallDone);
    report(done);
    Pump();
    progress.Ask(CaptionText(caption::kInstallDoneTitle), done, mb::OK | mb::ICONINFORMATION);
    if (Config(u"SetupAutoQuit") == u"0") {
        const bool quit = choices.quitAtEnd
                              ? *choices.quitAtEnd
                              : progress.Ask(CaptionText(caption::kMessageTitle), CaptionText(caption::kQuitQuestion),
                                             mb::YESNO | mb::ICONQUESTION) == mb::ID_YES;
        if (quit) progress.Quit();
    } else {
        progress.Ask(CaptionText(caption::kMessageTitle),
                     CaptionText(caption::kSetupCommandDone) + CaptionText(caption::kAutoQuit),
                     mb::OK | mb::ICONINFORMATION);
        progress.Quit();
    }
    Pump();
    progress.Close();
    progress.Busy(false);
    progress.Status(CaptionText(caption::kStatusReady));
    return InstallOutcome::Installed;
}
