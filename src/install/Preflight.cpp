#include "install/Preflight.h"

#include "base/Errors.h"
#include "base/Paths.h"
#include "config/untIni.h"
#include "install/untInstall.h"
#include "install/untModels.h"
#include "platform/Files.h"
#include "printing/untFuction.h"
#include "usb/untUsbDLLinitalize.h"

bool ProgramKit::HasSettings() {
    return IniOptions->GetCheckIniFile();
}

bool ProgramKit::HasLibrary() {
    return CheckDLLFile();
}

bool ProgramKit::HasFile(const String& relative) {
    IFiles& files = Files::Get();
    return files.FileExists(ExtractFilePath(files.ModuleFileName()) + relative);
}

String ProgramKit::Value(const String& section, const String& key) {
    return IniOptions->GetIdentValue(section, key);
}

StringList ProgramKit::Values(const String& section) {
    return IniOptions->GetAllIdentValue(section);
}

std::optional<String> ProgramKit::SealFault() {
    const String computed = IniOptions->GetCheckIniMD5ID();
    if (IniOptions->GetIdentValue(u"CONFIG", u"ConfigID") == computed) return std::nullopt;
    return String(u"the seal of install.dat (ConfigID) does not match its content: the file was "
                  u"changed after it was sealed");
}

const char16_t* CheckName(PreflightCheck check) {
    switch (check) {
    case PreflightCheck::KitFiles:
        return u"files";
    case PreflightCheck::Seal:
        return u"seal";
    case PreflightCheck::Model:
        return u"model";
    case PreflightCheck::Address:
        return u"address";
    case PreflightCheck::Port:
        return u"port";
    case PreflightCheck::Driver:
        return u"driver";
    case PreflightCheck::Search:
        break;
    }
    return u"search";
}

String Finding::WizardText() const {
    if (refusal) return InDisplayLanguage(refusal->text);
    if (caption) return CaptionOrBuiltIn(*caption) + value;
    return error;
}

String Finding::Summary() const {
    return reason + u" (" + CheckName(check) + u" check, exit code " +
           IntToStr(static_cast<int>(exitCode)) + u" in the unattended mode)";
}

namespace {

String RemoveBlanks(const String& text) {
    String out;
    for (char16_t c : text)
        if (c != u' ') out += c;
    return out;
}

// Four decimal numbers of one to three digits between dots, blanks only around them:
// IsValidIP alone takes "-1" and "$FF" as numbers.
bool IsPlainAddress(const String& text) {
    const StringList pieces = Split(text, u'.');
    for (const String& raw : pieces) {
        const String piece = Trim(raw);
        if (piece.empty() || piece.size() > 3) return false;
        for (char16_t c : piece)
            if (c < u'0' || c > u'9') return false;
    }
    return pieces.size() == 4;
}

Finding Refused(PreflightCheck check, ExitCode code, String reason) {
    Finding f{check, code, std::move(reason), nullptr, String(), nullptr, String()};
    return f;
}

String InfKey(bool labelClass) {
    return labelClass ? u"LabelInfFileName" : u"POSInfFileName";
}

} // namespace

namespace preflight {

std::optional<Finding> KitFiles(IKitView& kit) {
    StringList missing;
    if (!kit.HasSettings()) missing.push_back(u"install.dat");
    if (!kit.HasProgram()) missing.push_back(kProgramFileName);
    if (!kit.HasLibrary()) missing.push_back(kUsbLibraryFileName);
    if (missing.empty()) return std::nullopt;
    Finding f = Refused(PreflightCheck::KitFiles, ExitCode::KitRefused,
                        Joined(missing) + u" missing from the kit folder");
    f.refusal = &kMissingFiles;
    return f;
}

std::optional<Finding> Seal(IKitView& kit) {
    std::optional<String> fault;
    try {
        fault = kit.SealFault();
    } catch (const Exception& e) {
        Finding f = Refused(PreflightCheck::Seal, ExitCode::KitRefused,
                            u"install.dat cannot be read: " + e.Message());
        f.error = e.Message();
        return f;
    }
    if (!fault) return std::nullopt;
    Finding f = Refused(PreflightCheck::Seal, ExitCode::KitRefused, *fault);
    f.refusal = &kIntegrity;
    return f;
}

Models ModelTableOf(IKitView& kit) {
    const StringList lines = kit.Values(u"model_POS");
    ModelTableBuild built = BuildModelTable(lines);
    Models models{std::move(built.models), std::nullopt};
    if (built.fault) {
        Finding f = Refused(PreflightCheck::Model, ExitCode::KitRefused,
                            u"[model_POS] " + Quoted(lines[built.faultLine]) +
                                u" is not a model line (name, VID, PID): the wizard's model list "
                                u"stops there");
        f.error = *built.fault;
        models.finding = f;
    }
    return models;
}

std::optional<Finding> UnsafeValue(const String& value, bool fileName, const String& subject,
                                   PreflightCheck check) {
    const CommandValueFault fault = CommandValueFaultOf(value, fileName);
    String why;
    switch (fault) {
    case CommandValueFault::None:
        return std::nullopt;
    case CommandValueFault::DoubleQuote:
        why = u"holds a double quote";
        break;
    case CommandValueFault::TrailingBackslash:
        why = u"ends in a backslash";
        break;
    case CommandValueFault::NotPlainFileName:
        why = u"is no plain file name";
        break;
    }
    Finding f = Refused(check, ExitCode::BadValue, subject + u" " + Quoted(value) + u" " + why);
    f.caption =
        fault == CommandValueFault::DoubleQuote ? &caption::kDoubleQuote : &caption::kUnsafeValue;
    f.value = value;
    return f;
}

std::optional<Finding> KnownModel(const std::vector<TPrintModelInfo>& table, const String& name,
                                  std::optional<TPrintModelInfo>& found) {
    found.reset();
    if (name.empty()) {
        if (!table.empty()) return std::nullopt;
        return Refused(PreflightCheck::Model, ExitCode::NoUsbPrinter,
                       u"the kit's [model_POS] lists no model for the USB search to pick");
    }
    if (auto unsafe = UnsafeValue(name, false, u"/model", PreflightCheck::Model)) return unsafe;
    StringList names;
    for (const TPrintModelInfo& m : table) {
        if (SameText(Trim(m.PrintName), Trim(name))) {
            found = m; // the printer is named as the kit spells it
            return std::nullopt;
        }
        names.push_back(m.PrintName);
    }
    return Refused(PreflightCheck::Model, ExitCode::BadValue,
                   u"/model " + Quoted(name) + u" is no model of the kit's [model_POS] (" +
                       (names.empty() ? String(u"it lists none") : Joined(names)) + u")");
}

std::optional<Finding> Address(const String& typed, String& cleaned, bool strict) {
    cleaned = RemoveBlanks(typed);
    bool valid = false;
    try {
        valid = IsValidIP(cleaned) && (!strict || IsPlainAddress(typed));
    } catch (const Exception&) {
        // A piece that is no number is no address either.
    }
    if (valid) return std::nullopt;
    Finding f = Refused(PreflightCheck::Address, ExitCode::BadValue,
                        u"/address " + Quoted(typed) + u" is no IPv4 address");
    f.caption = &caption::kInvalidAddress;
    return f;
}

std::optional<Finding> Port(const ConnectionType& type, const String& port,
                            const std::optional<StringList>& offered, String& listed) {
    listed = port;
    if (auto unsafe = UnsafeValue(port, false, u"/port", PreflightCheck::Port)) return unsafe;
    const String kind(type.switchName);
    Finding f = Refused(PreflightCheck::Port, ExitCode::BadValue, String());
    f.caption = &caption::kPortNotListed;
    f.value = port;
    if (!offered) {
        const StringView prefix(type.portPrefix);
        if (UpperCase(StringView(port).substr(0, prefix.size())) == prefix) return std::nullopt;
        f.reason = u"/port " + Quoted(port) + u" is no " + kind +
                   u" port (their names start with " + String(prefix) + u")";
        return f;
    }
    for (const String& p : *offered)
        if (SameText(p, port) || SameText(p, port + u":")) {
            listed = p;
            return std::nullopt;
        }
    f.reason = u"/port " + Quoted(port) + u": no such " + kind + u" port on this computer; its " +
               kind + u" ports are " + (offered->empty() ? String(u"none") : Joined(*offered));
    return f;
}

std::optional<Finding> Driver(IKitView& kit, bool labelClass,
                              const std::vector<const LanguageInfo*>& languages) {
    const String key = InfKey(labelClass);
    const String inf = kit.Value(u"CONFIG", key);
    const String where = u"[CONFIG] " + key;
    if (Trim(inf).empty())
        return Refused(PreflightCheck::Driver, ExitCode::SetupFailed,
                       where + u" is empty: the printer setup would fail");
    if (auto unsafe = UnsafeValue(inf, true, where, PreflightCheck::Driver)) return unsafe;
    StringList missing;
    for (const LanguageInfo* lang : languages) {
        const String relative = String(lang->kitFolder) + u"\\" + inf;
        if (!kit.HasFile(relative)) missing.push_back(relative);
    }
    if (missing.empty()) return std::nullopt;
    return Refused(PreflightCheck::Driver, ExitCode::SetupFailed,
                   Joined(missing) + u" missing from the kit: the printer setup would fail");
}

Finding SearchFirst() {
    Finding f = Refused(PreflightCheck::Search, ExitCode::NoUsbPrinter,
                        u"no USB printer was found by a search on this visit of the USB page");
    f.caption = &caption::kSearchFirst;
    return f;
}

} // namespace preflight

const Finding* PreflightResult::Failed() const {
    for (const CheckOutcome& c : checks)
        if (c.finding) return &*c.finding;
    return nullptr;
}

PreflightResult Preflight(IKitView& kit, const PreflightRequest& request) {
    PreflightResult result;
    auto record = [&](PreflightCheck check, std::optional<Finding> finding) {
        const bool failed = finding.has_value();
        result.checks.push_back({check, std::move(finding)});
        return failed && request.stopAtFirst;
    };
    if (record(PreflightCheck::KitFiles, preflight::KitFiles(kit))) return result;
    if (record(PreflightCheck::Seal, preflight::Seal(kit))) return result;

    preflight::Models models = preflight::ModelTableOf(kit);
    result.models = models.table;
    std::optional<Finding> model = std::move(models.finding);
    // A removal by the printer's own name needs no model.
    const bool byNameOnly = !request.connection && request.model.empty();
    if (!model && !byNameOnly)
        model = preflight::KnownModel(result.models, request.model, result.model);
    if (!model && !request.name.empty())
        model = preflight::UnsafeValue(request.name, false, u"/name", PreflightCheck::Model);
    if (record(PreflightCheck::Model, std::move(model))) return result;

    const ConnectionType* type = request.connection;
    if (!type) return result;
    if (!type->portList) {
        if (record(PreflightCheck::Address, preflight::Address(request.address, result.port, true)))
            return result;
    } else if (!request.port.empty()) {
        std::optional<StringList> offered;
        if (request.systemPorts) {
            result.ports = request.systemPorts();
            offered = PortsOf(*type, result.ports);
        }
        if (record(PreflightCheck::Port,
                   preflight::Port(*type, request.port, offered, result.port)))
            return result;
    }
    record(PreflightCheck::Driver, preflight::Driver(kit, request.labelClass, request.languages));
    return result;
}
