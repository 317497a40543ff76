// The unattended run: the same checks, the same installation run and USB search as the wizard,
// answering every question from the command line and reporting every text to the output.
#include "unattended/QuietRun.h"

#include <optional>
#include <stdexcept>
#include <vector>

#include "base/Errors.h"
#include "base/Paths.h"
#include "config/untIni.h"
#include "install/Preflight.h"
#include "install/untInstall.h"
#include "language/BuiltInText.h"
#include "language/Languages.h"
#include "language/untLanguages.h"
#include "platform/Files.h"
#include "platform/LogFiles.h"
#include "platform/Processes.h"
#include "platform/Security.h"
#include "platform/Spooler.h"
#include "platform/SystemInfo.h"
#include "printing/SystemCommands.h"
#include "printing/untFuction.h"
#include "printing/untSystemPrinterInfo.h"
#include "session/InstallLog.h"
#include "usb/untUsbDLLinitalize.h"
#include "usb/untUsbSearch.h"
#include "version.h"

QuietAnswers QuietAnswers::Of(const CommandLine& options) {
    auto by = [](bool given, const char16_t* yes, const char16_t* no) {
        return QuietAnswer{given, given ? yes : no};
    };
    QuietAnswers a;
    a.existingPort = QuietAnswer{false, u"the existing port is used"};
    a.removePrinter = by(options.replace, u"/replace", u"no /replace");
    a.makeDefault = by(options.makeDefault, u"/default", u"no /default");
    a.testReceipt = by(options.testPrint, u"/testprint", u"no /testprint");
    a.quitAtEnd = QuietAnswer{true, u"the run ends"};
    a.autoQuit = QuietAnswer{true, u"the run ends"};
    return a;
}

const std::optional<QuietAnswer>& QuietAnswers::For(QuestionKind kind) const {
    switch (kind) {
    case QuestionKind::ExistingPort:
        return existingPort;
    case QuestionKind::RemovePrinter:
        return removePrinter;
    case QuestionKind::MakeDefault:
        return makeDefault;
    case QuestionKind::TestReceipt:
        return testReceipt;
    case QuestionKind::QuitAtEnd:
        return quitAtEnd;
    case QuestionKind::AutoQuit:
        break;
    }
    return autoQuit;
}

namespace {

// How a run ends early: the exit code and the reason.
struct Stop {
    ExitCode code;
    String reason;
};

// A finding as the end of the run: the checks' plain words, and the wizard's own message
// where the kit's texts give it one.
Stop Refused(const Finding& f) {
    String reason = f.reason;
    if (f.caption) reason += u" (" + f.WizardText() + u")";
    return {f.exitCode, reason};
}

StringList Lines(const String& text) {
    StringList lines;
    size_t from = 0;
    while (from <= text.size()) {
        size_t end = text.find_first_of(u"\r\n", from);
        if (end == String::npos) end = text.size();
        if (end > from) lines.push_back(text.substr(from, end - from));
        if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() &&
            text[end + 1] == u'\n')
            ++end;
        from = end + 1;
    }
    return lines;
}

// The system's process runner, reporting every command the run starts and what it printed.
class ReportedProcesses final : public IProcesses {
  public:
    ReportedProcesses(IProcesses& inner, IQuietOutput& out) : inner_(inner), out_(out) {}
    bool RunHidden(const String& commandLine, std::string& output,
                   std::uint32_t timeLimitMs) override {
        const bool ran = inner_.RunHidden(commandLine, output, timeLimitMs);
        if (ran)
            out_.Command(commandLine, inner_.LastExitCode(), DecodeCommandOutput(output));
        else
            out_.Command(commandLine, std::nullopt, String());
        return ran;
    }
    std::uint32_t LastError() override { return inner_.LastError(); }
    std::uint32_t LastExitCode() override { return inner_.LastExitCode(); }
    String SystemErrorText(std::uint32_t code) override { return inner_.SystemErrorText(code); }

  private:
    IProcesses& inner_;
    IQuietOutput& out_;
};

// The system's ports; the spooler is started first only when it does not answer.
StringList SystemPorts() {
    try {
        return SysPrint->GetSystemPrintPortList();
    } catch (const Exception&) {
        RunSpoolerCommand(SpoolerAction::Start);
        return SysPrint->GetSystemPrintPortList();
    }
}

bool Listed(const StringList& printers, const String& name) {
    for (const String& p : printers)
        if (SameText(p, name)) return true;
    return false;
}

class QuietRun {
  public:
    QuietRun(const CommandLine& options, IQuietOutput& out)
        : options_(options), answers_(QuietAnswers::Of(options)), report_(out, answers_),
          out_(out) {}

    Stop Run() {
        if (!SystemInfo::Get().IsAdministrator())
            return {ExitCode::NotAdmin,
                    u"administrator rights are needed to install or remove a printer: run it "
                    u"elevated or as the system account"};
        if (options_.remove ? options_.model.empty() && options_.name.empty()
                            : !options_.connection)
            return {ExitCode::Usage, options_.remove
                                         ? u"/remove needs /model, the printer to remove"
                                         : u"/connection is needed to install a printer"};
        if (std::optional<Stop> unsafe = WritableKit()) return *unsafe;
        if (std::optional<Stop> refused = Check()) return *refused;
        if (options_.remove) return Remove();
        return options_.connection->kind == TEnumPort::USB ? InstallUsb() : InstallOnPort();
    }

  private:
    // As the system account, the program and the USB library it loads run with every right on
    // the PC: whoever can change them, or the folder they are in, could run anything as SYSTEM.
    // Checked before anything of the kit is read or loaded.
    std::optional<Stop> WritableKit() {
        if (!SystemInfo::Get().IsSystemAccount()) return std::nullopt;
        IFiles& files = Files::Get();
        const String program = files.ModuleFileName();
        const String folder = ExtractFilePath(program);
        StringList found;
        for (const String& path : {folder.size() > 3 ? folder.substr(0, folder.size() - 1) : folder,
                                   program, folder + kUsbLibraryFileName}) {
            const std::optional<StringList> writers = Security::Get().NonAdminWriters(path);
            if (!writers)
                found.push_back(path + u": its permissions cannot be read");
            else if (!writers->empty())
                found.push_back(path + u": " + Joined(*writers));
        }
        if (found.empty()) return std::nullopt;
        const String what = Joined(found, u"; ");
        if (options_.allowWritableKit) {
            out_.Line(u"Warning: the kit can be changed by users who are no administrators (" +
                      what + u"); /allowwritablekit runs it anyway");
            return std::nullopt;
        }
        return Stop{ExitCode::KitRefused,
                    u"the kit can be changed by users who are no administrators, and the system "
                    u"account would run it: " +
                        what +
                        u". Copy the kit into a folder only administrators can change (a "
                        u"deployment tool's cache is one), or give /allowwritablekit"};
    }

    // Every check before anything runs; the wizard's texts of the kit's refusals are printed.
    std::optional<Stop> Check() {
        PreflightRequest request;
        request.connection = options_.remove ? nullptr : options_.connection;
        request.address = options_.address;
        request.port = options_.port;
        request.model = options_.model;
        request.name = options_.name;
        request.labelClass = options_.label;
        request.systemPorts = &SystemPorts;
        request.languages = {&DisplayLanguage()};
        ProgramKit kit;
        checked_ = Preflight(kit, request);
        // The caption section is known once the seal holds (and the run's texts need it).
        if (checked_.checks.size() > 1 && !checked_.checks[1].finding)
            LCaption = IniOptions->GetCaptionLanguage();
        const Finding* failed = checked_.Failed();
        if (!failed) return std::nullopt;
        if (failed->refusal) out_.Line(failed->WizardText());
        return Refused(*failed);
    }

    // The printer's name: its own (/name), or its model's.
    String Queue(const String& model) const {
        return options_.name.empty() ? model : options_.name;
    }

    Stop Remove() {
        const String name = Queue(checked_.model ? checked_.model->PrintName : String());
        SystemPorts(); // the spooler answers
        if (!Listed(SysPrint->GetSystemPrintList(), name) && !Spooler::Get().CanOpenPrinter(name))
            return {ExitCode::Done,
                    u"no printer " + Quoted(name) + u" is installed: nothing to remove"};
        Stop removed = RemovePrinter(name);
        if (removed.code != ExitCode::Done) return removed;
        return {ExitCode::Done, u"the printer " + Quoted(name) + u" was removed"};
    }

    std::uint32_t SetupTimeLimitMs() const {
        return options_.timeoutSeconds.value_or(kDefaultTimeoutSeconds) * 1000u;
    }

    Stop RemovePrinter(const String& name) {
        RunDOS(DeletePrinterCommand(name) + kQuietSetupOption, SetupTimeLimitMs());
        if (Spooler::Get().CanOpenPrinter(name))
            return {ExitCode::SetupFailed,
                    u"the printer " + Quoted(name) + u" is still installed after its removal"};
        out_.Line(u"Removed the printer " + Quoted(name));
        return {ExitCode::Done, String()};
    }

    // Serial, parallel and network printers: the port is given or made from the address.
    Stop InstallOnPort() {
        if (!checked_.model)
            return {ExitCode::Usage, u"/model is needed for a " +
                                         String(options_.connection->switchName) + u" printer"};
        TPrintModelInfo setup = *checked_.model;
        return Install(checked_.port, setup);
    }

    // USB printers: the search finds the port and, without /model, the model.
    Stop InstallUsb() {
        const ConnectionType& type = *options_.connection;
        const StringList ports = SystemPorts();
        const StringList searched =
            options_.port.empty() ? PortsOf(type, ports) : StringList{checked_.port};
        if (!initUsbDLL())
            return {ExitCode::NoUsbPrinter,
                    u"the USB library USBPrinterlibary.dll could not be loaded"};
        const std::vector<TPrintModelInfo> wanted =
            checked_.model ? std::vector<TPrintModelInfo>{*checked_.model} : checked_.models;
        const UsbSearchResult found = SearchUsbPrinter(searched, wanted, report_);
        // As in the wizard, only what the kit accepts is installed.
        if (found.portIndex && !found.accepted)
            return {ExitCode::NoUsbPrinter,
                    u"the USB printer found on " + found.model.PrintPort + u" is " +
                        Quoted(found.model.PrintName) +
                        u", which the kit does not install (its [CONFIG] PrintName names another "
                        u"model, or USBModelWindow is off)"};
        if (!found.portIndex)
            return {ExitCode::NoUsbPrinter,
                    u"no USB printer of " +
                        (checked_.model ? u"the model " + Quoted(checked_.model->PrintName)
                                        : String(u"a model of the kit")) +
                        u" was found on the USB ports (" +
                        (searched.empty() ? String(u"none") : Joined(searched)) + u")"};
        TPrintModelInfo setup = found.model;
        out_.Line(u"Found " + setup.PrintName + u" on " + setup.PrintPort);
        return Install(setup.PrintPort, setup);
    }

    // A printer of the model's name that is there already: as asked, it is the end (a second
    // identical run changes nothing); otherwise /replace removes it, or the run ends.
    std::optional<Stop> Existing(const String& name, const String& model, const String& port,
                                 StringList& printers) {
        if (!Listed(printers, name)) return std::nullopt;
        const PrinterSetup existing = Spooler::Get().ReadPrinter(name);
        if (!existing.exists) return std::nullopt;
        if (options_.replace) {
            Stop removed = RemovePrinter(name);
            if (removed.code != ExitCode::Done) return removed;
            printers = SysPrint->GetSystemPrintList();
            return std::nullopt;
        }
        if (IsAsAsked(existing, model, port)) {
            if (options_.makeDefault && SysPrint->GetMRPrint() != name) SysPrint->SetMRPrint(name);
            return Stop{ExitCode::Done, u"the printer " + Quoted(name) +
                                            u" is already installed on " + port +
                                            u" with its driver: nothing to do"};
        }
        return Stop{ExitCode::SetupFailed,
                    u"a printer " + Quoted(name) + u" is already installed on port " +
                        Quoted(existing.port) + u" with the driver " + Quoted(existing.driver) +
                        u", not on " + Quoted(port) + u" with the driver " + Quoted(model) +
                        u"; add /replace to replace it"};
    }

    InstallChoices Choices(const String& port, const StringList& printers) {
        const ConnectionType& type = *options_.connection;
        InstallChoices choices;
        choices.connection = &type;
        choices.port = port;
        choices.searchAccepted = type.modelFromSearch;
        choices.labelClass = options_.label;
        choices.ports = checked_.ports.empty() ? SystemPorts() : checked_.ports;
        choices.printers = printers;
        choices.makeDefault = options_.makeDefault;
        choices.queueName = options_.name;
        choices.quietCommands = true;
        choices.setupTimeLimitMs = SetupTimeLimitMs();
        choices.testPrint =
            options_.testPrint ? InstallChoices::TestPrint::Print : InstallChoices::TestPrint::Skip;
        return choices;
    }

    Stop Install(const String& port, TPrintModelInfo& setup) {
        const String name = Queue(setup.PrintName);
        StringList printers = SysPrint->GetSystemPrintList();
        if (std::optional<Stop> done = Existing(name, setup.PrintName, port, printers))
            return *done;
        RunDetails details;
        const std::optional<Finding>& why = details.finding;
        switch (RunInstallation(Choices(port, printers), setup, report_, report_, &details)) {
        case InstallOutcome::Installed:
            if (details.testReceipt && *details.testReceipt != TestPrintOutcome::Printed)
                return {ExitCode::TestPrintFailed,
                        u"the printer " + Quoted(name) + u" is installed on " + setup.PrintPort +
                            u", but the test receipt did not print (" +
                            (*details.testReceipt == TestPrintOutcome::StillQueued
                                 ? String(u"still in the queue")
                                 : String(u"the spooler reports an error")) +
                            u"): check the printer, its cable and its paper"};
            return {ExitCode::Done,
                    u"the printer " + Quoted(name) + u" is installed on " + setup.PrintPort};
        case InstallOutcome::Refused:
        case InstallOutcome::AddressRefused:
            if (why) return Refused(*why);
            return {ExitCode::BadValue, u"the installation refused its values (see above)"};
        case InstallOutcome::PortNotCreated:
            return {ExitCode::PortFailed, u"the network port " + port + u" could not be made"};
        case InstallOutcome::NotInstalled:
            break;
        }
        return {ExitCode::SetupFailed, u"the printer-setup command did not install " +
                                           Quoted(name) + u" on " + setup.PrintPort +
                                           u" with its driver" +
                                           (why ? u" (" + why->reason + u")" : String())};
    }

    const CommandLine& options_;
    const QuietAnswers answers_;
    QuietFrontEnd report_;
    IQuietOutput& out_;
    PreflightResult checked_;
};

// Why /log cannot name the install log: a relative, network or device path, or a folder that
// is missing or a link. Nothing when it can.
String LogFileFault(const String& path) {
    if (!IsLocalDrivePath(path))
        return u"the install log needs a full path on a local drive, such as "
               u"C:\\Logs\\printer.log";
    String folder = ExtractFilePath(path);
    if (folder.size() > 3) folder.pop_back();
    const PathFacts facts = LogFiles::Get().Inspect(folder);
    if (!facts.exists || !facts.directory) return u"its folder " + folder + u" does not exist";
    if (facts.reparsePoint) return u"its folder " + folder + u" is a link";
    return {};
}

// The run's lines go to the install log as well; its commands reach the log through RunDOS.
class LoggedOutput final : public IQuietOutput {
  public:
    explicit LoggedOutput(IQuietOutput& out) : out_(out) {}
    void Line(const String& text) override {
        out_.Line(text);
        installlog::Line(text, StartsWith(text, u"Warning: ") ? installlog::Severity::Warning
                                                              : installlog::Severity::Info);
    }
    void Command(const String& commandLine, std::optional<std::uint32_t> exitCode,
                 const String& output) override {
        out_.Command(commandLine, exitCode, output);
    }
    // A failure says "error" plainly, for whoever searches the log for it.
    void End(ExitCode code, const String& outcome) override {
        out_.End(code, outcome);
        const String text = u"exit code " + IntToStr(static_cast<int>(code)) + u": " + outcome;
        if (code == ExitCode::Done)
            installlog::EndRun(text);
        else if (code == ExitCode::TestPrintFailed)
            installlog::EndRun(u"warning, " + text, installlog::Severity::Warning);
        else
            installlog::EndRun(u"error, " + text, installlog::Severity::Error);
    }

  private:
    IQuietOutput& out_;
};

} // namespace

void QuietFrontEnd::Message(const String&, const String& text, Notice) {
    for (const String& line : Lines(text))
        Write(line);
}

bool QuietFrontEnd::Ask(const Question& question) {
    const std::optional<QuietAnswer>& answer = answers_.For(question.kind);
    if (!answer)
        throw std::logic_error("the unattended mode has no answer to the question of the " +
                               ToUtf8(QuestionName(question.kind)));
    Message(question.title, question.text, Notice::Information);
    if (question.kind != QuestionKind::AutoQuit)
        Write(String(answer->yes ? u"Answer: Yes (" : u"Answer: No (") + answer->why + u")");
    return answer->yes;
}

void QuietFrontEnd::Write(const String& text) {
    if (text.empty() || text == last_) return;
    last_ = text;
    out_.Line(text);
}

ExitCode RunQuiet(const CommandLine& options, IQuietOutput& out) {
    if (!options.logFile.empty()) {
        if (const String fault = LogFileFault(options.logFile); !fault.empty()) {
            out.End(ExitCode::Usage, u"/log \"" + options.logFile + u"\": " + fault);
            return ExitCode::Usage;
        }
    }
    installlog::UseFile(options.logFile);
    installlog::UseFormat(
        options.logFormat.value_or(ParseLogFormat(KitLogFormat()).value_or(LogFormat::Text)));
    installlog::BeginRun(u"quiet: " + FormatCommandLine(options), KitVersionForLog());
    out.Line(u"ODAXPrintDrive " WIZ_VERSION_STRING u" " + FormatCommandLine(options));
    if (const String refused = installlog::Refusal(); !refused.empty())
        out.Line(InDisplayLanguage(kNoInstallLog) + refused);
    LoggedOutput logged(out);
    ReportedProcesses processes(Processes::Get(), logged);
    ScopedService<IProcesses> reported(processes);
    Stop end{ExitCode::SetupFailed, String()};
    try {
        end = QuietRun(options, logged).Run();
    } catch (const Exception& e) {
        // A failure of the system underneath (a command that cannot start or was ended at its
        // time limit, the spooler not answering): the printer is not as asked.
        end = {ExitCode::SetupFailed, e.Message()};
    } catch (const std::exception& e) {
        // A fault of the program itself: said, logged and ended, never an abort.
        end = {ExitCode::InternalError, u"internal error: " + FromUtf8(e.what())};
    } catch (...) {
        end = {ExitCode::InternalError, String(u"internal error of an unknown kind")};
    }
    logged.End(end.code, end.reason);
    return end.code;
}
