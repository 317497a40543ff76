#include "session/CommandLine.h"

#include <algorithm>
#include <array>

namespace {

enum class Switch {
    Quiet,
    Help,
    Remove,
    Connection,
    Address,
    Port,
    Model,
    Label,
    Replace,
    Default,
    TestPrint,
    Log,
    NoRestart,
    Timeout,
    AllowWritableKit,
    Name,
    LogFormat,
    Set,
};

struct SwitchInfo {
    Switch id;
    const char16_t* name; // without its leading '/'
    bool takesValue;
};

// clang-format off
constexpr std::array<SwitchInfo, 24> kSwitches = {{
    {Switch::Quiet, u"quiet", false},
    // What admins type from habit, after other installers.
    {Switch::Quiet, u"qn", false},
    {Switch::Quiet, u"q", false},
    {Switch::Quiet, u"s", false},
    {Switch::Quiet, u"silent", false},
    {Switch::Quiet, u"verysilent", false},
    // The program never restarts the PC: accepted, and nothing changes.
    {Switch::NoRestart, u"norestart", false},
    {Switch::NoRestart, u"noreboot", false},
    {Switch::Help, u"?", false},
    {Switch::Remove, u"remove", false},
    {Switch::Connection, u"connection", true},
    {Switch::Address, u"address", true},
    {Switch::Port, u"port", true},
    {Switch::Model, u"model", true},
    {Switch::Label, u"label", false},
    {Switch::Replace, u"replace", false},
    {Switch::Default, u"default", false},
    {Switch::TestPrint, u"testprint", false},
    {Switch::Log, u"log", true},
    {Switch::Timeout, u"timeout", true},
    {Switch::AllowWritableKit, u"allowwritablekit", false},
    {Switch::Name, u"name", true},
    {Switch::LogFormat, u"logformat", true},
    {Switch::Set, u"set", true},
}};
// clang-format on

const SwitchInfo* FindSwitch(StringView arg) {
    if (arg.size() < 2 || (arg[0] != u'/' && arg[0] != u'-')) return nullptr;
    for (const SwitchInfo& s : kSwitches)
        if (SameText(arg.substr(1), s.name)) return &s;
    return nullptr;
}

String Name(Switch id) {
    for (const SwitchInfo& s : kSwitches)
        if (s.id == id) return String(u"/") + s.name;
    return {};
}

// "/set name=value" as an installer's public property gives it: an empty value leaves the
// option as the rest of the command line has it; another replaces it. A flag takes 1 (on) or
// 0 (off). The error, or nothing.
String ApplySet(CommandLine& o, const String& pair, std::vector<Switch>& given) {
    const size_t equals = pair.find(u'=');
    if (equals == String::npos || equals == 0)
        return u"/set needs name=value, not \"" + pair + u"\"";
    const String name = pair.substr(0, equals);
    const String value = pair.substr(equals + 1);
    auto mark = [&](Switch id) {
        if (std::find(given.begin(), given.end(), id) == given.end()) given.push_back(id);
    };
    const struct {
        const char16_t* name;
        Switch id;
        String CommandLine::*text;
        bool CommandLine::*flag;
    } kSettable[] = {
        {u"address", Switch::Address, &CommandLine::address, nullptr},
        {u"port", Switch::Port, &CommandLine::port, nullptr},
        {u"model", Switch::Model, &CommandLine::model, nullptr},
        {u"name", Switch::Name, &CommandLine::name, nullptr},
        {u"log", Switch::Log, &CommandLine::logFile, nullptr},
        {u"default", Switch::Default, nullptr, &CommandLine::makeDefault},
        {u"testprint", Switch::TestPrint, nullptr, &CommandLine::testPrint},
        {u"replace", Switch::Replace, nullptr, &CommandLine::replace},
    };
    for (const auto& s : kSettable) {
        if (!SameText(name, s.name)) continue;
        if (Trim(value).empty()) return {};
        if (s.text) {
            o.*s.text = value;
        } else if (value == u"1" || value == u"0") {
            o.*s.flag = value == u"1";
        } else {
            return u"/set " + name + u"= takes 1 or 0, not \"" + value + u"\"";
        }
        mark(s.id);
        return {};
    }
    return u"/set cannot set \"" + name +
           u"\" (address, port, model, name, log, default, testprint or replace)";
}

// Decimal digits only: no sign, no hexadecimal, no blanks.
bool TryDecimal(const String& text, std::int32_t& value) {
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return false;
        value = value * 10 + (c - u'0');
    }
    return true;
}

String ConnectionNames() {
    String names;
    const auto& types = ConnectionTypes();
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (i) names += i + 1 == types.size() ? u" or " : u", ";
        names += types[i].switchName;
    }
    return names;
}

// What the switches given say, checked against each other once all are read.
String CheckCombination(const CommandLine& o, const std::vector<Switch>& given) {
    auto has = [&](Switch id) {
        for (Switch g : given)
            if (g == id) return true;
        return false;
    };
    if (!o.quiet) {
        // Without /quiet the wizard starts; an option it would not use is an error, not
        // something to ignore.
        for (Switch g : given)
            if (g != Switch::Help && g != Switch::NoRestart)
                return Name(g) + u" is only used with /quiet";
        return {};
    }
    if (o.remove) {
        for (Switch g : given)
            if (g != Switch::Quiet && g != Switch::Remove && g != Switch::Model &&
                g != Switch::Name && g != Switch::Log && g != Switch::LogFormat &&
                g != Switch::Help && g != Switch::NoRestart && g != Switch::Timeout &&
                g != Switch::AllowWritableKit && g != Switch::Set)
                return u"/remove takes only /model, /log, /timeout and /allowwritablekit, not " +
                       Name(g);
        if (!has(Switch::Model) && !has(Switch::Name))
            return u"/remove needs /model: the printer to remove";
        return {};
    }
    if (!o.connection) return u"/quiet needs /connection (" + ConnectionNames() + u") or /remove";
    const bool typed = o.connection->portList == nullptr;
    const String type = String(u"/connection ") + o.connection->switchName;
    if (typed) {
        if (!has(Switch::Address)) return type + u" needs /address: the printer's IP address";
        if (has(Switch::Port)) return type + u" takes /address, not /port";
    } else {
        if (has(Switch::Address)) return type + u" takes /port, not /address";
        if (!o.connection->modelFromSearch && !has(Switch::Port)) return type + u" needs /port";
    }
    if (!o.connection->modelFromSearch && !has(Switch::Model))
        return type + u" needs /model: a model of the kit";
    return {};
}

} // namespace

std::optional<LogFormat> ParseLogFormat(StringView name) {
    if (SameText(name, u"cmtrace")) return LogFormat::CMTrace;
    if (SameText(name, u"text")) return LogFormat::Text;
    return std::nullopt;
}

const std::vector<ExitCodeInfo>& ExitCodes() {
    static const std::vector<ExitCodeInfo> codes = {
        {ExitCode::Done, u"installed, removed, or already as asked"},
        {ExitCode::Usage, u"the command line is not understood"},
        {ExitCode::KitRefused,
         u"a kit file is missing, the settings file's seal does not match, or a model line is "
         u"broken"},
        {ExitCode::BadValue, u"the address, port or model cannot be used"},
        {ExitCode::PortFailed, u"the network port could not be created"},
        {ExitCode::SetupFailed, u"the printer setup did not leave the printer as asked"},
        {ExitCode::NoUsbPrinter, u"no USB printer was found, or none is a model of the kit"},
        {ExitCode::NotAdmin, u"the program does not run with administrator rights"},
        {ExitCode::TestPrintFailed, u"installed, but the test receipt did not print"},
        {ExitCode::InternalError, u"internal error: the install log's last entry says which"},
    };
    return codes;
}

ParsedCommandLine ParseCommandLine(const StringList& args) {
    ParsedCommandLine parsed;
    CommandLine& o = parsed.options;
    // /quiet anywhere makes the run quiet, whatever else is wrong: a usage box that no one at
    // a deployment can see would keep the deployment waiting.
    for (const String& arg : args)
        if (const SwitchInfo* s = FindSwitch(arg); s && s->id == Switch::Quiet) o.quiet = true;
    std::vector<Switch> given;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const String& arg = args[i];
        const SwitchInfo* s = FindSwitch(arg);
        if (!s) {
            parsed.error =
                (!arg.empty() && (arg[0] == u'/' || arg[0] == u'-'))
                    ? u"unknown switch " + arg
                    : u"unexpected argument \"" + arg + u"\" (values follow their switch)";
            return parsed;
        }
        for (Switch g : given)
            if (g == s->id && g != Switch::NoRestart && g != Switch::Set) {
                parsed.error = Name(s->id) + u" is given twice";
                return parsed;
            }
        given.push_back(s->id);
        String value;
        if (s->takesValue) {
            // A switch in the place of the value means the value was left out.
            if (i + 1 >= args.size() || FindSwitch(args[i + 1]) || Trim(args[i + 1]).empty()) {
                parsed.error = Name(s->id) + u" needs a value";
                return parsed;
            }
            value = args[++i];
        }
        switch (s->id) {
        case Switch::Quiet:
        case Switch::NoRestart:
            break;
        case Switch::AllowWritableKit:
            o.allowWritableKit = true;
            break;
        case Switch::Timeout: {
            std::int32_t seconds = 0;
            if (!TryDecimal(value, seconds) || seconds < kMinTimeoutSeconds ||
                seconds > kMaxTimeoutSeconds) {
                parsed.error = u"/timeout must be a number of seconds from " +
                               IntToStr(kMinTimeoutSeconds) + u" to " +
                               IntToStr(kMaxTimeoutSeconds) + u", not \"" + value + u"\"";
                return parsed;
            }
            o.timeoutSeconds = static_cast<std::uint32_t>(seconds);
            break;
        }
        case Switch::Help:
            o.help = true;
            break;
        case Switch::Remove:
            o.remove = true;
            break;
        case Switch::Label:
            o.label = true;
            break;
        case Switch::Replace:
            o.replace = true;
            break;
        case Switch::Default:
            o.makeDefault = true;
            break;
        case Switch::TestPrint:
            o.testPrint = true;
            break;
        case Switch::Address:
            o.address = value;
            break;
        case Switch::Port:
            o.port = value;
            break;
        case Switch::Model:
            o.model = value;
            break;
        case Switch::Log:
            o.logFile = value;
            break;
        case Switch::Name:
            o.name = value;
            break;
        case Switch::Set:
            if (String why = ApplySet(o, value, given); !why.empty()) {
                parsed.error = why;
                return parsed;
            }
            break;
        case Switch::LogFormat:
            o.logFormat = ParseLogFormat(value);
            if (!o.logFormat) {
                parsed.error = u"/logformat must be text or cmtrace, not \"" + value + u"\"";
                return parsed;
            }
            break;
        case Switch::Connection:
            o.connection = ConnectionOfSwitchName(value);
            if (!o.connection) {
                parsed.error =
                    u"/connection must be " + ConnectionNames() + u", not \"" + value + u"\"";
                return parsed;
            }
            break;
        }
    }
    // Asking for the usage is never an error, whatever else is given.
    if (o.help) return parsed;
    parsed.error = CheckCombination(o, given);
    return parsed;
}

StringList SplitCommandLine(StringView line) {
    StringList args;
    String current;
    bool inArgument = false, quoted = false;
    std::size_t i = 0;
    while (i < line.size()) {
        const char16_t c = line[i];
        if (!quoted && (c == u' ' || c == u'\t')) {
            if (inArgument) args.push_back(current);
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == u'\\') {
            std::size_t n = 0;
            while (i < line.size() && line[i] == u'\\')
                ++n, ++i;
            if (i < line.size() && line[i] == u'"') {
                // 2n backslashes before a quote are n; 2n+1 are n and a literal quote.
                current.append(n / 2, u'\\');
                if (n % 2) {
                    current += u'"';
                    ++i;
                }
            } else {
                current.append(n, u'\\');
            }
            continue;
        }
        if (c == u'"') {
            // Inside quotes, a doubled quote is one literal quote.
            if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
                current += u'"';
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        current += c;
        ++i;
    }
    if (inArgument) args.push_back(current);
    return args;
}

String QuoteArgument(const String& arg) {
    if (!arg.empty() && arg.find_first_of(u" \t\"") == String::npos) return arg;
    String out = u"\"";
    std::size_t backslashes = 0;
    for (char16_t c : arg) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote is escaped.
        out.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
        backslashes = 0;
        out += c;
    }
    // Those before the closing quote are doubled too.
    out.append(backslashes * 2, u'\\');
    return out + u"\"";
}

String FormatCommandLine(const CommandLine& o) {
    String line = u"/quiet";
    auto flag = [&](const char16_t* name) { line += String(u" /") + name; };
    auto value = [&](const char16_t* name, const String& v) {
        flag(name);
        line += u" " + QuoteArgument(v);
    };
    if (o.remove) {
        flag(u"remove");
        if (!o.model.empty()) value(u"model", o.model);
        if (!o.name.empty()) value(u"name", o.name);
    } else {
        if (o.connection) value(u"connection", o.connection->switchName);
        if (!o.address.empty()) value(u"address", o.address);
        if (!o.port.empty()) value(u"port", o.port);
        if (!o.model.empty()) value(u"model", o.model);
        if (!o.name.empty()) value(u"name", o.name);
        if (o.label) flag(u"label");
        if (o.replace) flag(u"replace");
        if (o.makeDefault) flag(u"default");
        if (o.testPrint) flag(u"testprint");
    }
    if (o.timeoutSeconds) value(u"timeout", IntToStr(*o.timeoutSeconds));
    if (o.allowWritableKit) flag(u"allowwritablekit");
    if (!o.logFile.empty()) value(u"log", o.logFile);
    if (o.logFormat) value(u"logformat", *o.logFormat == LogFormat::CMTrace ? u"cmtrace" : u"text");
    return line;
}

String UsageText() {
    String text =
        u"ODAXPrintDrive.exe                 starts the installation wizard\r\n"
        u"ODAXPrintDrive.exe /quiet /connection network /address A /model M [options]\r\n"
        u"ODAXPrintDrive.exe /quiet /connection usb [/port P] [/model M] [options]\r\n"
        u"ODAXPrintDrive.exe /quiet /connection serial|parallel /port P /model M [options]\r\n"
        u"ODAXPrintDrive.exe /quiet /remove /model M | /name N [/log F] [/timeout S]\r\n"
        u"\r\n"
        u"/quiet        install without any window; the outcome is the exit code; /qn, /q,\r\n"
        u"              /s, /silent and /verysilent mean the same\r\n"
        u"/connection   network, usb, serial or parallel\r\n"
        u"/address A    the network printer's IP address\r\n"
        u"/port P       the port (COM1, LPT1, USB001); for USB the search finds it if left out\r\n"
        u"/model M      a model of the kit; for USB the search picks it if left out\r\n"
        u"/name N       the printer's own name (default: the model's), so that several\r\n"
        u"              printers of one model can be installed; with /remove, the one to remove\r\n"
        u"/label        the label printer driver rather than the receipt printer driver\r\n"
        u"/replace      remove an installed printer of that name first\r\n"
        u"/default      make it the default printer\r\n"
        u"/testprint    print a test receipt after the installation\r\n"
        u"/remove       remove the printer named by /model\r\n"
        u"/log F        the install log's file, a full path on a local drive whose folder\r\n"
        u"              exists (default %ProgramData%\\ODAXPrintDrive\\install.log)\r\n"
        u"/logformat F  text (the default) or cmtrace, the format Configuration Manager's\r\n"
        u"              log viewer reads\r\n"
        u"/timeout S    end the printer-setup command after S seconds, 30 to 86400\r\n"
        u"              (default 600)\r\n"
        u"/allowwritablekit  run as the system account from a kit folder that others can\r\n"
        u"              change (a warning in the log instead of exit code 2)\r\n"
        u"/norestart    accepted, as /noreboot: the program never restarts the PC\r\n"
        u"/set N=V      as an installer's property sets it: V replaces the option N (address,\r\n"
        u"              port, model, name, log; default, testprint, replace take 1 or 0); an\r\n"
        u"              empty V leaves it as the command line has it\r\n"
        u"/?            this text\r\n"
        u"\r\n"
        u"Exit codes:\r\n";
    for (const ExitCodeInfo& c : ExitCodes())
        text += u"  " + IntToStr(static_cast<int>(c.code)) + u"  " + c.meaning + u"\r\n";
    return text;
}
