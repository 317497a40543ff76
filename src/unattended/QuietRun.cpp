// The unattended run: the same checks, the same installation run and USB search as the wizard,
// answering every question from the command line and reporting every text to the output.
#include "unattended/QuietRun.h"
#include "base/Paths.h"

#include <optional>
#include <vector>

#include "base/Errors.h"
#include "config/CaptionKeys.h"
#include "config/untIni.h"
#include "install/untInstall.h"
#include "install/untModels.h"
#include "language/BuiltInText.h"
#include "language/untLanguages.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Spooler.h"
#include "platform/SystemInfo.h"
#include "printing/SystemCommands.h"
#include "printing/untFuction.h"
#include "printing/untSystemPrinterInfo.h"
#include "session/InstallLog.h"
#include "session/Progress.h"
#include "usb/untUsbDLLinitalize.h"
#include "usb/untUsbSearch.h"
#include "version.h"

namespace {

// How a run ends early: the exit code and the reason.
struct Stop {
    ExitCode code;
    String reason;
};

String Quoted(const String& value) {
    return u"\"" + value + u"\"";
}

String Joined(const StringList& items) {
    String out;
    for (const String& item : items)
        out += (out.empty() ? u"" : u", ") + item;
    return out.empty() ? String(u"none") : out;
}

// The long operations' reports as lines. The installation run shows most texts both as status
// and in the log; a text is written once.
class QuietProgress final : public IProgress {
  public:
    explicit QuietProgress(IQuietOutput& out) : out_(out) {}

    void Open(const String&, const String& heading, const std::optional<String>&) override {
        Write(heading);
    }
    void Close() override {}
    void ClearLog() override {}
    void Log(const String& line) override { Write(line); }
    void Steps(int) override {}
    void Step() override {}
    void Finish() override {}
    void Cancellable(bool) override {}
    void Status(const String& text) override { Write(text); }
    // Messages are taken as read; a question the run did not answer beforehand gets the
    // answer that changes nothing.
    int Ask(const String&, const String& text, std::uint32_t flags) override {
        const bool question = (flags & 0xF) == mb::YESNO;
        for (const String& line : Lines(text))
            Write(line);
        if (!question) return mb::ID_OK;
        out_.Line(u"(answered No)");
        last_.clear();
        return mb::ID_NO;
    }
    void Busy(bool) override {}
    void Quit() override {}

  private:
    static StringList Lines(const String& text) {
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
    void Write(const String& text) {
        if (text.empty() || text == last_) return;
        last_ = text;
        out_.Line(text);
    }

    IQuietOutput& out_;
    String last_;
};

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

String RemoveBlanks(const String& text) {
    String out;
    for (char16_t c : text)
        if (c != u' ') out += c;
    return out;
}

// The kit's files and seal, as the wizard checks them at its start.
std::optional<Stop> CheckKit(IQuietOutput& out) {
    const String folder = ExtractFilePath(Files::Get().ModuleFileName());
    StringList missing;
    if (!IniOptions->GetCheckIniFile()) missing.push_back(u"install.dat");
    if (!CheckDLLFile()) missing.push_back(u"USBPrinterlibary.dll");
    if (!missing.empty()) {
        out.Line(InDisplayLanguage(kMissingFiles.text));
        return Stop{ExitCode::KitRefused,
                    u"the kit is incomplete: " + Joined(missing) + u" missing in " + folder};
    }
    String computed;
    try {
        computed = IniOptions->GetCheckIniMD5ID();
    } catch (const Exception& e) {
        return Stop{ExitCode::KitRefused, u"install.dat cannot be read: " + e.Message()};
    }
    if (IniOptions->GetIdentValue(u"CONFIG", u"ConfigID") != computed) {
        out.Line(InDisplayLanguage(kIntegrity.text));
        return Stop{ExitCode::KitRefused,
                    u"the seal of install.dat (ConfigID) does not match its content: the file "
                    u"was changed after it was sealed"};
    }
    return std::nullopt;
}

// The model of the kit that /model names (letter case aside), in the kit's spelling.
std::optional<TPrintModelInfo> KitModel(const std::vector<TPrintModelInfo>& models,
                                        const String& name) {
    for (const TPrintModelInfo& m : models)
        if (SameText(Trim(m.PrintName), Trim(name))) return m;
    return std::nullopt;
}

StringList Names(const std::vector<TPrintModelInfo>& models) {
    StringList names;
    for (const TPrintModelInfo& m : models)
        names.push_back(m.PrintName);
    return names;
}

// The system's ports; the spooler is started first only when it does not answer.
StringList SystemPorts() {
    try {
        return SysPrint->GetSystemPrintPortList();
    } catch (const Exception&) {
        RunSpoolerCommand(SpoolerAction::Start);
        return SysPrint->GetSystemPrintPortList();
    }
}

// The system's ports of a connection type, in the system's order.
StringList PortsOf(const ConnectionType& type, const StringList& ports) {
    StringList out;
    const StringView prefix(type.portPrefix);
    for (const String& name : ports)
        if (UpperCase(StringView(name).substr(0, prefix.size())) == prefix) out.push_back(name);
    return out;
}

// The port of the list that /port names, in the system's spelling ("COM2" finds "COM2:").
std::optional<String> ListedPort(const StringList& ports, const String& wanted) {
    for (const String& p : ports)
        if (SameText(p, wanted) || SameText(p, wanted + u":")) return p;
    return std::nullopt;
}

bool Listed(const StringList& printers, const String& name) {
    for (const String& p : printers)
        if (SameText(p, name)) return true;
    return false;
}

class QuietRun {
  public:
    QuietRun(const CommandLine& options, IQuietOutput& out)
        : options_(options), out_(out), progress_(out) {}

    Stop Run() {
        if (!SystemInfo::Get().IsAdministrator())
            return {ExitCode::NotAdmin,
                    u"administrator rights are needed to install or remove a printer: run it "
                    u"elevated or as the system account"};
        if (auto refused = CheckKit(out_)) return *refused;
        LCaption = IniOptions->GetCaptionLanguage();

        models_ = ModelTable(IniOptions->GetAllIdentValue(u"model_POS"));
        if (!options_.model.empty()) {
            model_ = KitModel(models_, options_.model);
            if (!model_)
                return {ExitCode::BadValue, u"/model " + Quoted(options_.model) +
                                                u": no model of that name in the kit; its "
                                                u"models are " +
                                                Joined(Names(models_))};
        }
        if (options_.remove) return Remove();
        if (!options_.connection)
            return {ExitCode::Usage, u"/connection is needed to install a printer"};
        return options_.connection->kind == TEnumPort::USB ? InstallUsb() : InstallOnPort();
    }

  private:
    Stop Remove() {
        if (!model_) return {ExitCode::Usage, u"/remove needs /model, the printer to remove"};
        const String name = model_->PrintName;
        SystemPorts(); // the spooler answers
        if (!Listed(SysPrint->GetSystemPrintList(), name) && !Spooler::Get().CanOpenPrinter(name))
            return {ExitCode::Done, u"no printer " + Quoted(name) +
                                        u" is installed: nothing to "
                                        u"remove"};
        if (String refusal = NameRefusal(name); !refusal.empty())
            return {ExitCode::BadValue, refusal};
        Stop removed = RemovePrinter(name);
        if (removed.code != ExitCode::Done) return removed;
        return {ExitCode::Done, u"the printer " + Quoted(name) + u" was removed"};
    }

    Stop RemovePrinter(const String& name) {
        RunDOS(DeletePrinterCommand(name) + kQuietSetupOption);
        if (Spooler::Get().CanOpenPrinter(name))
            return {ExitCode::SetupFailed,
                    u"the printer " + Quoted(name) + u" is still installed after its removal"};
        out_.Line(u"Removed the printer " + Quoted(name));
        return {ExitCode::Done, String()};
    }

    // Serial, parallel and network printers: the port is given or made from the address.
    Stop InstallOnPort() {
        const ConnectionType& type = *options_.connection;
        if (!model_)
            return {ExitCode::Usage,
                    u"/model is needed for a " + String(type.switchName) + u" printer"};
        const StringList ports = SystemPorts();
        String port;
        if (!type.portList) {
            port = RemoveBlanks(options_.address);
            bool valid = false;
            try {
                valid = IsValidIP(port);
            } catch (const Exception&) {
            }
            if (!valid)
                return {ExitCode::BadValue,
                        u"/address " + Quoted(options_.address) +
                            u": not a network address (four numbers from 0 to 255 separated "
                            u"by dots, not all 0)"};
        } else {
            const StringList offered = PortsOf(type, ports);
            const std::optional<String> listed = ListedPort(offered, options_.port);
            if (!listed)
                return {ExitCode::BadValue, u"/port " + Quoted(options_.port) + u": no such " +
                                                String(type.switchName) +
                                                u" port on this computer; its ports "
                                                u"are " +
                                                Joined(offered)};
            port = *listed;
        }
        if (String refusal =
                ValueRefusal(model_->PrintName, options_.label, type.portList ? port : String());
            !refusal.empty())
            return {ExitCode::BadValue, refusal};
        TPrintModelInfo setup = *model_;
        return Install(type, port, ports, setup);
    }

    // USB printers: the search finds the port and, without /model, the model.
    Stop InstallUsb() {
        const ConnectionType& type = *options_.connection;
        const StringList ports = SystemPorts();
        StringList searched = PortsOf(type, ports);
        if (!options_.port.empty()) {
            const std::optional<String> listed = ListedPort(searched, options_.port);
            if (!listed)
                return {ExitCode::BadValue, u"/port " + Quoted(options_.port) +
                                                u": no such USB port on this computer; its "
                                                u"USB ports are " +
                                                Joined(searched)};
            searched = {*listed};
        }
        if (model_) {
            if (String refusal = ValueRefusal(model_->PrintName, options_.label, String());
                !refusal.empty())
                return {ExitCode::BadValue, refusal};
        }
        if (!initUsbDLL())
            return {ExitCode::NoUsbPrinter,
                    u"the USB library USBPrinterlibary.dll could not be loaded"};
        const std::vector<TPrintModelInfo> wanted =
            model_ ? std::vector<TPrintModelInfo>{*model_} : models_;
        const UsbSearchResult found = SearchUsbPrinter(searched, wanted, progress_);
        if (!found.portIndex)
            return {ExitCode::NoUsbPrinter, u"no USB printer of " +
                                                (model_ ? u"the model " + Quoted(model_->PrintName)
                                                        : String(u"a model of the kit")) +
                                                u" was found on the USB ports (" +
                                                Joined(searched) + u")"};
        TPrintModelInfo setup = found.model;
        out_.Line(u"Found " + setup.PrintName + u" on " + setup.PrintPort);
        if (String refusal = ValueRefusal(setup.PrintName, options_.label, setup.PrintPort);
            !refusal.empty())
            return {ExitCode::BadValue, refusal};
        return Install(type, setup.PrintPort, ports, setup);
    }

    Stop Install(const ConnectionType& type, const String& port, const StringList& ports,
                 TPrintModelInfo& setup) {
        const String name = setup.PrintName;
        StringList printers = SysPrint->GetSystemPrintList();
        if (Listed(printers, name)) {
            const PrinterSetup existing = Spooler::Get().ReadPrinter(name);
            if (existing.exists && !options_.replace) {
                if (SameText(existing.port, port) && SameText(existing.driver, name)) {
                    if (options_.makeDefault && SysPrint->GetMRPrint() != name)
                        SysPrint->SetMRPrint(name);
                    return {ExitCode::Done, u"the printer " + Quoted(name) +
                                                u" is already installed on " + port +
                                                u" with its driver: nothing to do"};
                }
                return {ExitCode::SetupFailed,
                        u"a printer " + Quoted(name) + u" is already installed on port " +
                            Quoted(existing.port) + u" with the driver " + Quoted(existing.driver) +
                            u", not on " + Quoted(port) + u" with the driver " + Quoted(name) +
                            u"; add /replace to replace it"};
            }
            if (existing.exists) {
                Stop removed = RemovePrinter(name);
                if (removed.code != ExitCode::Done) return removed;
                printers = SysPrint->GetSystemPrintList();
            }
        }

        InstallChoices choices;
        choices.connection = &type;
        choices.port = port;
        choices.searchAccepted = type.modelFromSearch;
        choices.labelClass = options_.label;
        choices.ports = ports;
        choices.printers = printers;
        choices.keepExistingPort = true;
        choices.removeInstalled = options_.replace;
        choices.makeDefault = options_.makeDefault;
        choices.quitAtEnd = true;
        choices.quietCommands = true;
        choices.testPrint = options_.testPrint ? InstallChoices::TestPrint::Print
                                               : InstallChoices::TestPrint::Skip;
        switch (RunInstallation(choices, setup, progress_)) {
        case InstallOutcome::Installed:
            return {ExitCode::Done,
                    u"the printer " + Quoted(name) + u" is installed on " + setup.PrintPort};
        case InstallOutcome::Refused:
        case InstallOutcome::AddressRefused:
            return {ExitCode::BadValue, u"the installation refused its values (see above)"};
        case InstallOutcome::PortNotCreated:
            return {ExitCode::PortFailed, u"the network port " + port + u" could not be made"};
        case InstallOutcome::NotInstalled:
            break;
        }
        return {ExitCode::SetupFailed, u"the printer-setup command did not install " +
                                           Quoted(name) + u" on " + setup.PrintPort +
                                           u" with its driver"};
    }

    const CommandLine& options_;
    IQuietOutput& out_;
    QuietProgress progress_;
    std::vector<TPrintModelInfo> models_;
    std::optional<TPrintModelInfo> model_;
};

// The run's lines go to the install log as well; its commands reach the log through RunDOS.
class LoggedOutput final : public IQuietOutput {
  public:
    explicit LoggedOutput(IQuietOutput& out) : out_(out) {}
    void Line(const String& text) override {
        out_.Line(text);
        installlog::Line(text);
    }
    void Command(const String& commandLine, std::optional<std::uint32_t> exitCode,
                 const String& output) override {
        out_.Command(commandLine, exitCode, output);
    }
    void End(ExitCode code, const String& outcome) override {
        out_.End(code, outcome);
        installlog::EndRun(u"exit code " + IntToStr(static_cast<int>(code)) + u": " + outcome);
    }

  private:
    IQuietOutput& out_;
};

} // namespace

ExitCode RunQuiet(const CommandLine& options, IQuietOutput& out) {
    installlog::UseFile(options.logFile);
    installlog::BeginRun(u"quiet: " + FormatCommandLine(options), KitVersionForLog());
    out.Line(u"ODAXPrintDrive " WIZ_VERSION_STRING u" " + FormatCommandLine(options));
    LoggedOutput logged(out);
    ReportedProcesses processes(Processes::Get(), logged);
    ScopedService<IProcesses> reported(processes);
    Stop end{ExitCode::SetupFailed, String()};
    try {
        end = QuietRun(options, logged).Run();
    } catch (const Exception& e) {
        // A failure of the system underneath (a command that cannot start, the spooler not
        // answering): the printer is not as asked.
        end = {ExitCode::SetupFailed, e.Message()};
    }
    logged.End(end.code, end.reason);
    return end.code;
}
