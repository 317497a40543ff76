// A command line of the unattended mode checked against a kit, and what a deployment tool
// needs to run it: the install and uninstall commands, the detection rule, the exit codes.
#include <algorithm>
#include <system_error>

#include <nlohmann/json.hpp>

#include "base/Paths.h"
#include "config/untIni.h"
#include "install/Preflight.h"
#include "kit-tool/KitCommands.h"
#include "kit-tool/KitTool.h"
#include "language/Languages.h"

namespace fs = std::filesystem;

namespace kit {

namespace {

const char16_t* const kPrintersKey = u"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";

int Code(::ExitCode code) {
    return static_cast<int>(code);
}

// A kit folder as the wizard would read it there: settings through the profile functions,
// files by their paths inside the folder.
class KitFolder final : public IKitView {
  public:
    explicit KitFolder(const KitLocation& kit) : kit_(kit), ini_(TextOf(kit.settings)) {}
    bool HasSettings() override { return Present(kit_.settings); }
    bool HasProgram() override { return Present(kit_.folder / PathOf(kProgramFileName)); }
    bool HasLibrary() override { return Present(kit_.folder / PathOf(kUsbLibraryFileName)); }
    bool HasFile(const String& relative) override {
        fs::path path = kit_.folder;
        for (const String& part : Split(relative, u'\\'))
            path /= PathOf(part);
        return Present(path);
    }
    String Value(const String& section, const String& key) override {
        return ini_.ReadString(section, key, String());
    }
    StringList Values(const String& section) override {
        return NonEmptyValues(ini_.ReadSectionValues(section));
    }
    std::optional<String> SealFault() override {
        const VerifyOutcome verified = VerifyKit(kit_);
        if (verified.accepted) return std::nullopt;
        return verified.reasons.empty() ? String(u"the seal does not match")
                                        : verified.reasons.front();
    }

  private:
    static bool Present(const fs::path& path) {
        std::error_code ec;
        return fs::is_regular_file(path, ec);
    }
    const KitLocation& kit_;
    const TIniFile ini_;
};

class Deployment {
  public:
    Deployment(const KitLocation& kit, const StringList& args,
               const std::optional<StringList>& targetPorts)
        : kit_(kit), args_(args), targetPorts_(targetPorts) {}

    DeployOutcome Run() {
        if (!Command()) return std::move(out_);
        // Every check the program makes before it runs, each shown; the PC's language is not
        // known here, so the driver file must be in every language folder.
        PreflightRequest request;
        request.connection = options_.connection;
        request.address = options_.address;
        request.port = options_.port;
        request.model = options_.model;
        request.name = options_.name;
        request.labelClass = options_.label;
        if (targetPorts_) request.systemPorts = [this] { return *targetPorts_; };
        for (const LanguageInfo& lang : Languages())
            request.languages.push_back(&lang);
        request.stopAtFirst = false;
        KitFolder folder(kit_);
        const PreflightResult checked = Preflight(folder, request);
        for (const CheckOutcome& check : checked.checks) {
            if (check.finding)
                Fail(CheckName(check.check), check.finding->reason, check.finding->exitCode);
            else
                Pass(CheckName(check.check));
        }
        if (out_.Failed()) return std::move(out_);
        if (checked.model) options_.model = checked.model->PrintName; // as the kit spells it
        port_ = checked.port;
        for (const TPrintModelInfo& m : checked.models)
            models_.push_back(m.PrintName);
        Commands();
        return std::move(out_);
    }

  private:
    void Pass(const char16_t* check) { out_.checks.push_back({check, true, {}, 0}); }
    void Fail(const char16_t* check, String reason, ::ExitCode code) {
        out_.checks.push_back({check, false, std::move(reason), Code(code)});
    }

    bool Command() {
        StringList args = args_;
        // The command is the unattended one whether or not /quiet is written.
        bool quiet = false;
        for (const String& arg : args)
            quiet = quiet || SameText(arg, u"/quiet") || SameText(arg, u"-quiet");
        if (!quiet) args.insert(args.begin(), u"/quiet");
        const ParsedCommandLine parsed = ParseCommandLine(args);
        if (!parsed.ok()) {
            Fail(u"command", parsed.error, ::ExitCode::Usage);
            return false;
        }
        if (parsed.options.help) {
            Fail(u"command", u"/? only shows the usage text: give the install command",
                 ::ExitCode::Usage);
            return false;
        }
        if (parsed.options.remove) {
            Fail(u"command",
                 u"give the install command: its uninstall command (/remove) is printed with it",
                 ::ExitCode::Usage);
            return false;
        }
        options_ = parsed.options;
        Pass(u"command");
        return true;
    }

    void Commands() {
        const String arguments = FormatCommandLine(options_);
        out_.install = String(kProgramFileName) + u" " + arguments;
        out_.installCmd = ForCmd(out_.install, CmdPlace::BatchFile);
        out_.installPrompt = ForCmd(out_.install, CmdPlace::Prompt);
        out_.installPowerShell = ForPowerShell(kProgramFileName, SplitCommandLine(arguments));
        // A printer named with /name is that name whatever the model; else the model's name.
        out_.printerKnown = !options_.model.empty() || !options_.name.empty();
        out_.printers = !options_.name.empty() ? StringList{options_.name}
                        : out_.printerKnown    ? StringList{options_.model}
                                               : models_;
        for (const String& printer : out_.printers) {
            CommandLine removal;
            removal.quiet = true;
            removal.remove = true;
            (options_.name.empty() ? removal.model : removal.name) = printer;
            removal.logFile = options_.logFile;
            const String removalArguments = FormatCommandLine(removal);
            const String uninstall = String(kProgramFileName) + u" " + removalArguments;
            out_.uninstall.push_back(uninstall);
            out_.uninstallCmd.push_back(ForCmd(uninstall, CmdPlace::BatchFile));
            out_.uninstallPrompt.push_back(ForCmd(uninstall, CmdPlace::Prompt));
            out_.uninstallPowerShell.push_back(
                ForPowerShell(kProgramFileName, SplitCommandLine(removalArguments)));
            out_.detection.push_back(kPrintersKey + printer);
        }
        out_.detectionScript = DetectionScript(Detected());
    }

    // The port the printer ends up on, in each spelling Windows may give it.
    DetectionTarget Detected() const {
        DetectionTarget target;
        target.printers = out_.printers;
        if (!options_.name.empty())
            target.drivers = options_.model.empty() ? models_ : StringList{options_.model};
        const ConnectionType& type = *options_.connection;
        if (port_.empty()) {
            target.portPrefix = type.portPrefix; // the USB search picks it
        } else if (!type.portList || type.modelFromSearch) {
            target.ports = {port_}; // a network port is named after its address
        } else {
            // The system lists COM1 and LPT1 as COM1: and LPT1:.
            const String bare = port_.back() == u':' ? port_.substr(0, port_.size() - 1) : port_;
            target.ports = {bare, bare + u":"};
        }
        return target;
    }

    const KitLocation& kit_;
    const StringList& args_;
    const std::optional<StringList>& targetPorts_;
    CommandLine options_;
    String port_; // as the checks found it: the address without blanks, the port as listed
    StringList models_;
    DeployOutcome out_;
};

} // namespace

const DeployCheck* DeployOutcome::Failed() const {
    for (const DeployCheck& check : checks)
        if (!check.ok) return &check;
    return nullptr;
}

DeployOutcome DeployKit(const KitLocation& kit, const StringList& args,
                        const std::optional<StringList>& targetPorts) {
    return Deployment(kit, args, targetPorts).Run();
}

namespace {

const char16_t* const kKeyRule = u"the printer's registry key exists";
const char16_t* const kUnknownPrinter =
    u"the printer is named after the model the USB search picks, which is not known in "
    u"advance: give /model for this rule, or use the detection script, which finds any model "
    u"of the kit on a USB port (a deployment tool requires every registry rule to match)";

String DetectionRule(const DeployOutcome& outcome) {
    return outcome.printerKnown ? String(kKeyRule) : String(kKeyRule) + u"; " + kUnknownPrinter;
}

} // namespace

StringList FormatDeployment(const KitLocation& kit, const DeployOutcome& outcome) {
    StringList lines;
    const DeployCheck* failed = outcome.Failed();
    lines.push_back(kit.shownName +
                    (failed ? u": the command would fail at the " + failed->name + u" check"
                            : String(u": the command passes every check")));
    lines.push_back(u"checks:");
    for (const DeployCheck& check : outcome.checks) {
        String line =
            u"  " + check.name + String(9 - std::min<std::size_t>(check.name.size(), 8), u' ');
        line += check.ok ? String(u"ok")
                         : u"failed: " + check.reason + u" (the program would exit with " +
                               IntToStr(check.exitCode) + u")";
        lines.push_back(line);
    }
    if (!failed) {
        lines.push_back(u"install command:");
        lines.push_back(u"  " + outcome.install);
        lines.push_back(outcome.printerKnown ? String(u"uninstall command:")
                                             : String(u"uninstall command, one per model:"));
        for (const String& command : outcome.uninstall)
            lines.push_back(u"  " + command);
        lines.push_back(u"detection rule: " + DetectionRule(outcome));
        for (const String& key : outcome.detection)
            lines.push_back(u"  " + key);
    }
    lines.push_back(u"exit codes:");
    for (const ExitCodeInfo& code : ExitCodes())
        lines.push_back(u"  " + IntToStr(static_cast<int>(code.code)) + u"  " + code.meaning);
    if (failed) return lines;
    lines.push_back(u"the commands above go as they are into a deployment tool's command field, "
                    u"which starts the program with that command line; written into a script:");
    auto forms = [&lines](const String& what, const String& cmd, const String& prompt,
                          const String& powerShell) {
        lines.push_back(u"  " + what + u" in a batch file (.cmd, .bat):");
        lines.push_back(u"    " + cmd);
        lines.push_back(u"  " + what + u" typed at a cmd prompt:");
        lines.push_back(u"    " + prompt);
        lines.push_back(u"  " + what +
                        u" in PowerShell, from the kit folder (the exit code in $LASTEXITCODE):");
        lines.push_back(u"    " + powerShell);
    };
    forms(u"install", outcome.installCmd, outcome.installPrompt, outcome.installPowerShell);
    for (std::size_t i = 0; i < outcome.uninstall.size(); ++i)
        forms(outcome.printerKnown ? String(u"uninstall") : u"uninstall of " + outcome.printers[i],
              outcome.uninstallCmd[i], outcome.uninstallPrompt[i], outcome.uninstallPowerShell[i]);
    lines.push_back(u"detection script (PowerShell; Intune: custom detection script, "
                    u"Configuration Manager: script detection):");
    for (const String& line : outcome.detectionScript)
        lines.push_back(u"  " + line);
    return lines;
}

String DeploymentJson(const KitLocation& kit, const DeployOutcome& outcome) {
    using Json = nlohmann::ordered_json;
    auto utf8 = [](StringView text) { return ToUtf8(text); };
    auto list = [&](const StringList& items) {
        Json array = Json::array();
        for (const String& item : items)
            array.push_back(utf8(item));
        return array;
    };
    Json json;
    json["kit"] = utf8(kit.shownName);
    json["ok"] = outcome.Failed() == nullptr;
    json["checks"] = Json::array();
    for (const DeployCheck& check : outcome.checks) {
        Json entry;
        entry["check"] = utf8(check.name);
        entry["ok"] = check.ok;
        if (!check.ok) {
            entry["reason"] = utf8(check.reason);
            entry["exitCode"] = check.exitCode;
        }
        json["checks"].push_back(entry);
    }
    // The check that fails first decides the program's exit code.
    const DeployCheck* failed = outcome.Failed();
    if (failed) {
        json["failed"] = {{"check", utf8(failed->name)},
                          {"reason", utf8(failed->reason)},
                          {"exitCode", failed->exitCode}};
        json["install"] = nullptr;
    } else {
        json["failed"] = nullptr;
        json["install"] = utf8(outcome.install);
    }
    json["uninstall"] = list(outcome.uninstall);
    // The same commands for scripts: cmd in a batch file, cmd typed, PowerShell.
    auto text = [&](const String& value) { return failed ? Json() : Json(utf8(value)); };
    json["installCmd"] = text(outcome.installCmd);
    json["installCmdPrompt"] = text(outcome.installPrompt);
    json["installPowerShell"] = text(outcome.installPowerShell);
    json["uninstallCmd"] = list(outcome.uninstallCmd);
    json["uninstallCmdPrompt"] = list(outcome.uninstallPrompt);
    json["uninstallPowerShell"] = list(outcome.uninstallPowerShell);
    Json detection;
    detection["printerKnown"] = outcome.printerKnown;
    detection["printers"] = list(outcome.printers);
    detection["registryKeys"] = list(outcome.detection);
    detection["rule"] = utf8(DetectionRule(outcome));
    String script;
    for (const String& line : outcome.detectionScript)
        script += line + u"\r\n";
    detection["script"] = text(script);
    json["detection"] = detection;
    json["exitCodes"] = Json::array();
    for (const ExitCodeInfo& code : ExitCodes())
        json["exitCodes"].push_back(
            Json{{"code", static_cast<int>(code.code)}, {"meaning", utf8(code.meaning)}});
    return FromUtf8(json.dump(2));
}

} // namespace kit
