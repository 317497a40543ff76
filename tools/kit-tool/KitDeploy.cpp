// A command line of the unattended mode checked against a kit, and what a deployment tool
// needs to run it: the install and uninstall commands, the detection rule, the exit codes.
#include <algorithm>
#include <system_error>

#include <nlohmann/json.hpp>

#include "config/untIni.h"
#include "install/untInstall.h"
#include "install/untModels.h"
#include "kit-tool/KitTool.h"
#include "language/Languages.h"
#include "printing/untFuction.h"

namespace fs = std::filesystem;

namespace kit {

namespace {

const char16_t* const kProgram = u"ODAXPrintDrive.exe";
const char16_t* const kLibrary = u"USBPrinterlibary.dll";
const char16_t* const kPrintersKey = u"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";

int Code(::ExitCode code) {
    return static_cast<int>(code);
}

// The installation run's rule for a value on the printer-setup command line, in plain words.
String UnsafeReason(const String& value, bool fileName = false) {
    switch (CommandValueFaultOf(value, fileName)) {
    case CommandValueFault::None:
        break;
    case CommandValueFault::DoubleQuote:
        return u"holds a double quote";
    case CommandValueFault::TrailingBackslash:
        return u"ends in a backslash";
    case CommandValueFault::NotPlainFileName:
        return u"is no plain file name";
    }
    return {};
}

// The models the wizard lists, in file order: the first piece of each [model_POS] line, up to
// a line without its three pieces, where the wizard stops loading.
StringList KitModels(const TIniFile& ini) {
    StringList models;
    for (const String& line : ini.ReadSectionValues(u"model_POS")) {
        const std::size_t equals = line.find(u'=');
        const String value =
            Trim(StringView(line).substr(equals == String::npos ? line.size() : equals + 1));
        if (value.empty()) continue;
        const StringList pieces = CutModelLine(value);
        if (pieces.size() < 3) break;
        models.push_back(pieces[0]);
    }
    return models;
}

String Joined(const StringList& items) {
    String text;
    for (const String& item : items)
        text += (text.empty() ? u"" : u", ") + item;
    return text;
}

class Deployment {
  public:
    Deployment(const KitLocation& kit, const StringList& args) : kit_(kit), args_(args) {}

    DeployOutcome Run() {
        if (!Command()) return std::move(out_);
        Files();
        Seal();
        const TIniFile ini(TextOf(kit_.settings));
        Model(ini);
        Port();
        Driver(ini);
        if (out_.Failed()) return std::move(out_);
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

    bool Present(const fs::path& relative) const {
        std::error_code ec;
        return fs::is_regular_file(kit_.folder / relative, ec);
    }

    // What the program needs beside it before it reads anything else (the settings file is
    // there, or the tool would not have got this far).
    void Files() {
        StringList missing;
        for (const char16_t* file : {kProgram, kLibrary})
            if (!Present(PathOf(file))) missing.push_back(file);
        if (missing.empty())
            Pass(u"files");
        else
            Fail(u"files", Joined(missing) + u" missing from the kit folder",
                 ::ExitCode::KitRefused);
    }

    void Seal() {
        const VerifyOutcome verified = VerifyKit(kit_);
        if (verified.accepted)
            Pass(u"seal");
        else
            Fail(u"seal",
                 verified.reasons.empty() ? String(u"the seal does not match")
                                          : verified.reasons.front(),
                 ::ExitCode::KitRefused);
    }

    // The INF file of the printer class, in every language folder: the run's language is the
    // target system's, not known here.
    void Driver(const TIniFile& ini) {
        const char16_t* key = options_.label ? u"LabelInfFileName" : u"POSInfFileName";
        const String inf = ini.ReadString(u"CONFIG", key, u"");
        const String where = String(u"[CONFIG] ") + key;
        if (Trim(inf).empty()) {
            Fail(u"driver", where + u" is empty: the printer setup would fail",
                 ::ExitCode::SetupFailed);
            return;
        }
        const String unsafe = UnsafeReason(inf, true);
        if (!unsafe.empty()) {
            Fail(u"driver", where + u" \"" + inf + u"\" " + unsafe, ::ExitCode::BadValue);
            return;
        }
        StringList missing;
        for (const LanguageInfo& lang : Languages()) {
            const String relative = String(lang.kitFolder) + u"\\" + inf;
            if (!Present(PathOf(lang.kitFolder) / PathOf(inf))) missing.push_back(relative);
        }
        if (missing.empty())
            Pass(u"driver");
        else
            Fail(u"driver",
                 Joined(missing) + u" missing from the kit: the printer setup would fail",
                 ::ExitCode::SetupFailed);
    }

    void Model(const TIniFile& ini) {
        models_ = KitModels(ini);
        if (options_.model.empty()) {
            // A USB run: the search picks the model by the printer's identifiers.
            if (models_.empty())
                Fail(u"model", u"the kit's [model_POS] lists no model for the USB search to pick",
                     ::ExitCode::NoUsbPrinter);
            else
                Pass(u"model");
            return;
        }
        const String unsafe = UnsafeReason(options_.model);
        if (!unsafe.empty()) {
            Fail(u"model", u"/model \"" + options_.model + u"\" " + unsafe, ::ExitCode::BadValue);
            return;
        }
        for (const String& model : models_)
            if (SameText(model, options_.model)) {
                options_.model = model; // the printer is named as the kit spells it
                Pass(u"model");
                return;
            }
        Fail(u"model",
             u"/model \"" + options_.model + u"\" is no model of the kit's [model_POS] (" +
                 (models_.empty() ? String(u"it lists none") : Joined(models_)) + u")",
             ::ExitCode::BadValue);
    }

    void Port() {
        if (!options_.connection->portList) { // an address the user types: the network
            if (IsValidIP(options_.address))
                Pass(u"address");
            else
                Fail(u"address", u"/address \"" + options_.address + u"\" is no IPv4 address",
                     ::ExitCode::BadValue);
            return;
        }
        if (options_.port.empty()) return; // a USB run: the search finds the port
        const String unsafe = UnsafeReason(options_.port);
        if (unsafe.empty())
            Pass(u"port");
        else
            Fail(u"port", u"/port \"" + options_.port + u"\" " + unsafe, ::ExitCode::BadValue);
    }

    void Commands() {
        out_.install = String(kProgram) + u" " + FormatCommandLine(options_);
        out_.printerKnown = !options_.model.empty();
        out_.printers = out_.printerKnown ? StringList{options_.model} : models_;
        for (const String& printer : out_.printers) {
            CommandLine removal;
            removal.quiet = true;
            removal.remove = true;
            removal.model = printer;
            removal.logFile = options_.logFile;
            out_.uninstall.push_back(String(kProgram) + u" " + FormatCommandLine(removal));
            out_.detection.push_back(kPrintersKey + printer);
        }
    }

    const KitLocation& kit_;
    const StringList& args_;
    CommandLine options_;
    StringList models_;
    DeployOutcome out_;
};

} // namespace

const DeployCheck* DeployOutcome::Failed() const {
    for (const DeployCheck& check : checks)
        if (!check.ok) return &check;
    return nullptr;
}

DeployOutcome DeployKit(const KitLocation& kit, const StringList& args) {
    return Deployment(kit, args).Run();
}

namespace {

const char16_t* const kKeyRule = u"the printer's registry key exists";
const char16_t* const kUnknownPrinter =
    u"the printer is named after the model the USB search picks, which is not known in "
    u"advance: give /model, or use one rule per model of the kit";

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
    if (const DeployCheck* failed = outcome.Failed()) {
        json["failed"] = {{"check", utf8(failed->name)},
                          {"reason", utf8(failed->reason)},
                          {"exitCode", failed->exitCode}};
        json["install"] = nullptr;
    } else {
        json["failed"] = nullptr;
        json["install"] = utf8(outcome.install);
    }
    json["uninstall"] = list(outcome.uninstall);
    Json detection;
    detection["printerKnown"] = outcome.printerKnown;
    detection["printers"] = list(outcome.printers);
    detection["registryKeys"] = list(outcome.detection);
    detection["rule"] = utf8(DetectionRule(outcome));
    json["detection"] = detection;
    json["exitCodes"] = Json::array();
    for (const ExitCodeInfo& code : ExitCodes())
        json["exitCodes"].push_back(
            Json{{"code", static_cast<int>(code.code)}, {"meaning", utf8(code.meaning)}});
    return FromUtf8(json.dump(2));
}

} // namespace kit
