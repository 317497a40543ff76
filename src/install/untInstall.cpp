#include "install/untInstall.h"

#include <initializer_list>

#include "base/Errors.h"
#include "base/Paths.h"
#include "base/Scoped.h"
#include "config/CaptionKeys.h"
#include "config/ValueForms.h"
#include "config/untIni.h"
#include "language/BuiltInText.h"
#include "language/Languages.h"
#include "language/untLanguages.h"
#include "platform/Files.h"
#include "platform/MessagePump.h"
#include "platform/SystemInfo.h"
#include "printing/SystemCommands.h"
#include "printing/untFuction.h"
#include "printing/untSystemPrinterInfo.h"

CommandValueFault CommandValueFaultOf(StringView value, bool fileName) {
    if (value.find(u'"') != StringView::npos) return CommandValueFault::DoubleQuote;
    if (!value.empty() && value.back() == u'\\') return CommandValueFault::TrailingBackslash;
    if (fileName &&
        (value.find_first_of(u"\\/:") != StringView::npos || value.find(u"..") != StringView::npos))
        return CommandValueFault::NotPlainFileName;
    return CommandValueFault::None;
}

bool IsAsAsked(const PrinterSetup& found, const String& name, const String& port) {
    return found.exists && SameText(found.port, port) && SameText(found.driver, name);
}

namespace {

String Text(const CaptionKey& key) {
    return CaptionText(LCaption, key);
}

String Config(const char16_t* key) {
    return IniOptions->GetIdentValue(u"CONFIG", key);
}

// A value of a command line: the INF name must also be a plain file name.
struct CommandValue {
    const String* value;
    PreflightCheck check = PreflightCheck::Model;
    const char16_t* subject = u"the model";
    bool fileName = false;
};

// The refusal of the first unsafe value.
std::optional<Finding> FirstUnsafe(std::initializer_list<CommandValue> values) {
    for (const CommandValue& v : values)
        if (auto f = preflight::UnsafeValue(*v.value, v.fileName, v.subject, v.check)) return f;
    return std::nullopt;
}

CommandValue Model(const String& name) {
    return {&name};
}
CommandValue Inf(const String& inf) {
    return {&inf, PreflightCheck::Driver, u"the INF file", true};
}
CommandValue PortName(const String& port) {
    return {&port, PreflightCheck::Port, u"the port"};
}
CommandValue QueueName(const String& name) {
    return {&name, PreflightCheck::Model, u"/name"};
}

// The command lines are built only from safe values; a value that changed while messages
// were pumped is caught here, after the check at the start of the run.
void RequireSafe(std::initializer_list<CommandValue> values) {
    if (const auto f = FirstUnsafe(values)) throw Exception(f->WizardText());
}

String InfFileName(bool labelClass) {
    return Config(labelClass ? u"LabelInfFileName" : u"POSInfFileName");
}

} // namespace

RunContext::RunContext(const InstallChoices& c, TPrintModelInfo& s, IReport& r, IQuestions& q)
    : choices(c), setup(s), report(r), questions(q), inf(InfFileName(c.labelClass)),
      quietOption(c.quietCommands ? kQuietSetupOption : String()) {}

void RunContext::Say(const String& text) const {
    report.Status(text);
    report.Log(text);
}

const String& RunContext::Queue() const {
    return choices.queueName.empty() ? setup.PrintName : choices.queueName;
}

bool RunContext::PortFromList() const {
    return choices.connection && choices.connection->portList;
}

namespace runstep {

std::optional<InstallOutcome> Refusals(RunContext& run) {
    const InstallChoices& choices = run.choices;
    // A printer found by a search is installed as the search found it; a model left from
    // elsewhere would be set up on a port it may not be on.
    if (choices.connection && choices.connection->modelFromSearch && !choices.searchAccepted) {
        run.finding = preflight::SearchFirst();
        run.report.Message(Text(caption::kMessageTitle), run.finding->WizardText(),
                           Notice::Information);
        return InstallOutcome::Refused;
    }
    // The values of the install command that are known now, before anything runs.
    const String chosenPort = run.PortFromList() ? choices.port : String();
    run.finding = FirstUnsafe({Model(run.setup.PrintName), QueueName(run.choices.queueName),
                               Inf(run.inf), PortName(chosenPort)});
    if (!run.finding && run.PortFromList() && choices.offeredPorts) {
        String listed;
        run.finding =
            preflight::Port(*choices.connection, chosenPort, choices.offeredPorts, listed);
    }
    if (!run.finding) return std::nullopt;
    run.report.Message(Text(caption::kMessageTitle), run.finding->WizardText(), Notice::Error);
    return InstallOutcome::Refused;
}

void Open(RunContext& run) {
    const String title = Text(caption::kInstallHeading);
    run.report.Begin(title, title, std::nullopt);
    run.report.ClearLog();
    run.Say(title);
    Pump();
}

std::optional<InstallOutcome> Port(RunContext& run) {
    const InstallChoices& choices = run.choices;
    if (!choices.connection) return std::nullopt; // no port page: the port stays as it was
    if (run.PortFromList()) {
        run.setup.PrintPort = choices.port;
        return std::nullopt;
    }
    String address;
    run.finding = preflight::Address(choices.port, address);
    if (run.finding) {
        run.report.Message(Text(caption::kMessageTitle), run.finding->WizardText(),
                           Notice::Information);
        run.report.End();
        return InstallOutcome::AddressRefused;
    }
    bool existing = false;
    for (const String& port : choices.ports)
        existing = existing || Trim(port) == address;
    if (existing) {
        run.Say(Text(caption::kPortExists));
        Pump();
        if (run.questions.Ask({QuestionKind::ExistingPort, Text(caption::kMessageTitle),
                               Text(caption::kPortExists)})) {
            run.report.End();
            return InstallOutcome::AddressRefused;
        }
    } else {
        run.Say(Text(caption::kCreatingPort));
        if (!CreateNewIpPort(address, run.report)) {
            run.Say(Text(caption::kPortFailed));
            run.report.End();
            run.report.Message(Text(caption::kPortFailedTitle),
                               Text(caption::kPortFailed) + Text(caption::kPortFailedHint),
                               Notice::Error);
            return InstallOutcome::PortNotCreated;
        }
        run.Say(Text(caption::kPortLineStart) + address + Text(caption::kPortCreated));
    }
    run.setup.PrintPort = address;
    return std::nullopt;
}

void Removal(RunContext& run) {
    if (!StrToBool(Config(u"CheckPrinterRepeatedly"))) return;
    const String& name = run.setup.PrintName;
    bool listed = false;
    for (const String& printer : run.choices.printers)
        listed = listed || printer == name;
    if (!listed) return;
    if (!run.questions.Ask({QuestionKind::RemovePrinter, Text(caption::kMessageTitle),
                            Text(caption::kPrinterExists)}))
        return;
    RunSpoolerCommand(SpoolerAction::Start);
    WaitTime(1000);
    Pump();
    RequireSafe({Model(name)});
    const String command = DeleteCommand(name) + run.quietOption;
    run.Say(Text(caption::kRemovingDriver));
    Pump();
    RunDOS(command, run.choices.setupTimeLimitMs);
    WaitTime(1000);
    run.Say(name + Text(caption::kDriverRemoved));
}

void Spooler(RunContext& run) {
    // From here to the end nothing else may start.
    run.report.Phase(RunPhase::Changing);
    Pump();
    run.Say(Text(caption::kSpoolerStarting));
    Pump();
    RunSpoolerCommand(SpoolerAction::Start);
    run.Say(Text(caption::kSpoolerStarted));
    Pump();
}

void PrinterSetup(RunContext& run) {
    run.Say(Text(caption::kSetupCommandPreparing));
    Pump();
    const TPrintModelInfo& setup = run.setup;
    const String folder = ExtractFilePath(Files::Get().ModuleFileName());
    const String lang = DisplayLanguage().kitFolder;
    RequireSafe(
        {Model(setup.PrintName), QueueName(run.Queue()), Inf(run.inf), PortName(setup.PrintPort)});
    const String command =
        InstallCommand(run.Queue(), folder, lang, run.inf, setup.PrintPort, setup.PrintName) +
        run.quietOption;
    run.Say(Text(caption::kSetupCommandRunning));
    Pump();
    RunDOS(command, run.choices.setupTimeLimitMs);
}

std::optional<InstallOutcome> Verification(RunContext& run) {
    const TPrintModelInfo& setup = run.setup;
    // The printer-setup command reports nothing we can trust: the printer must now be what
    // was asked for. A printer of that name from before (the user kept it, or an earlier run)
    // counts only when it has the chosen port and the model's driver. An empty name would open
    // the print server itself, so it is never asked about.
    const String& queue = run.Queue();
    const ::PrinterSetup found =
        queue.empty() ? ::PrinterSetup{} : ::Spooler::Get().ReadPrinter(queue);
    if (IsAsAsked(found, setup.PrintName, setup.PrintPort)) {
        run.Say(Text(caption::kSetupCommandDone));
        Pump();
        run.Say(queue + u" " + Text(caption::kInstallButton));
        Pump();
        return std::nullopt;
    }
    String failure = CaptionOrBuiltIn(caption::kNotInstalled) + queue;
    if (found.exists) failure += u" (" + found.port + u", " + found.driver + u")";
    run.Say(failure);
    Pump();
    // The same state as after an error: the log stays on screen, everything usable.
    run.report.Phase(RunPhase::Done);
    run.report.Message(Text(caption::kMessageTitle),
                       failure + u"\r\n" + CaptionOrBuiltIn(caption::kNotInstalledHint),
                       Notice::Error);
    // The kit's driver file is the cause the checks can name.
    ProgramKit kit;
    run.finding = preflight::Driver(kit, run.choices.labelClass, {&DisplayLanguage()});
    return InstallOutcome::NotInstalled;
}

void DefaultPrinter(RunContext& run) {
    const String& name = run.Queue();
    const int mrPrintSet = StrToInt(Config(u"MrPrintSet"));
    const int policy = run.choices.makeDefault ? 1 : mrPrintSet;
    // The default printer is the user's own (their win.ini): the system account's helps no one.
    if ((policy == 1 || policy == 2) && SystemInfo::Get().IsSystemAccount()) {
        run.Say(InDisplayLanguage(kDefaultPrinterPerUser));
        return;
    }
    switch (policy) {
    case 1:
        SysPrint->SetMRPrint(name);
        break;
    case 2: {
        const String question = Text(caption::kDefaultQuestionStart) + SysPrint->GetMRPrint() +
                                u"," + Text(caption::kDefaultQuestionEnd);
        if (run.questions.Ask({QuestionKind::MakeDefault, Text(caption::kMessageTitle), question}))
            SysPrint->SetMRPrint(name);
        break;
    }
    default:
        break;
    }
}

void TestReceipt(RunContext& run) {
    // The test receipt proves what the check cannot: that the printer answers. Its outcome
    // is reported only; the end follows whatever it was.
    switch (run.choices.testPrint) {
    case InstallChoices::TestPrint::Print:
        run.testReceipt =
            PrintTestReceipt(run.setup, run.Queue(), run.choices.labelClass, run.report);
        break;
    case InstallChoices::TestPrint::AsKitOffers:
        run.testReceipt = OfferTestPrint(run.setup, run.Queue(), run.choices.labelClass, run.report,
                                         run.questions);
        break;
    case InstallChoices::TestPrint::Skip:
        break;
    }
}

void End(RunContext& run) {
    const String done = Text(caption::kInstallDone);
    run.Say(done);
    Pump();
    run.report.Message(Text(caption::kInstallDoneTitle), done, Notice::Information);
    // The front end leaves the program on Yes (or after telling, where the kit quits by itself).
    if (Config(u"SetupAutoQuit") == u"0")
        run.questions.Ask(
            {QuestionKind::QuitAtEnd, Text(caption::kMessageTitle), Text(caption::kQuitQuestion)});
    else
        run.questions.Ask({QuestionKind::AutoQuit, Text(caption::kMessageTitle),
                           Text(caption::kSetupCommandDone) + Text(caption::kAutoQuit)});
    Pump();
    run.report.End();
    run.report.Phase(RunPhase::Done);
    run.report.Status(Text(caption::kStatusReady));
}

} // namespace runstep

InstallOutcome RunInstallation(const InstallChoices& choices, TPrintModelInfo& setup,
                               IReport& report, IQuestions& questions, RunDetails* details) {
    RunContext run(choices, setup, report, questions);
    auto ended = [&](InstallOutcome outcome) {
        if (details) *details = {run.finding, run.testReceipt};
        return outcome;
    };
    if (auto end = runstep::Refusals(run)) return ended(*end);
    // When an error ends the run, the windows are left usable, so the user can correct the
    // cause and start again; the report stays with the log up to the step that failed.
    OnError restore([&] { report.Phase(RunPhase::Done); });
    runstep::Open(run);
    if (auto end = runstep::Port(run)) return ended(*end);
    runstep::Removal(run);
    runstep::Spooler(run);
    runstep::PrinterSetup(run);
    if (auto end = runstep::Verification(run)) return ended(*end);
    runstep::DefaultPrinter(run);
    runstep::TestReceipt(run);
    runstep::End(run);
    return ended(InstallOutcome::Installed);
}
