#include "kit-tool/KitTool.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "base/Errors.h"
#include "config/ConfigSeal.h"
#include "config/untIni.h"
#include "kit-tool/KitMsi.h"
#include "platform/CodePage.h"

namespace fs = std::filesystem;

namespace kit {

namespace {

std::string Utf8(const fs::path& path) { return ToUtf8(TextOf(path)); }

std::string SystemReason(int error) { return std::strerror(error); }

bool IsAscii(StringView text) {
    for (char16_t c : text)
        if (c >= 0x80) return false;
    return true;
}

} // namespace

fs::path PathOf(const String& text) {
#ifdef _WIN32
    return fs::path(std::wstring(text.begin(), text.end()));
#else
    return fs::path(ToUtf8(text));
#endif
}

String TextOf(const fs::path& path) {
#ifdef _WIN32
    const std::wstring wide = path.wstring();
    return String(wide.begin(), wide.end());
#else
    return FromUtf8(path.string());
#endif
}

KitLocation LocateKit(const String& argument) {
    const fs::path given = PathOf(argument);
    std::error_code ec;
    KitLocation kit;
    if (fs::is_directory(given, ec)) {
        kit.folder = fs::absolute(given, ec);
        kit.settings = kit.folder / "install.dat";
        kit.shownName = TextOf(given / "install.dat");
        if (!fs::is_regular_file(kit.settings, ec))
            throw KitIOError(ToUtf8(kit.shownName) + ": no settings file in this kit folder");
        return kit;
    }
    if (!fs::is_regular_file(given, ec))
        throw KitIOError(ToUtf8(argument) + ": no such kit folder or settings file");
    kit.settings = fs::absolute(given, ec);
    kit.folder = kit.settings.parent_path();
    kit.shownName = argument;
    return kit;
}

std::string ReadBytes(const fs::path& file) {
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) throw KitIOError("cannot read " + Utf8(file) + ": " + SystemReason(errno));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw KitIOError("cannot read " + Utf8(file) + ": read error");
    return bytes;
}

void ReplaceBytes(const fs::path& file, const std::string& bytes) {
    std::error_code ec;
    const fs::perms perms = fs::status(file, ec).permissions();
    if (ec) throw KitIOError("cannot write " + Utf8(file) + ": " + ec.message());
    if ((perms & fs::perms::owner_write) == fs::perms::none)
        throw KitIOError("cannot write " + Utf8(file) + ": the file is read-only");

    fs::path temporary = file;
    temporary += ".odax-kit.tmp";
    {
        errno = 0;
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) throw KitIOError("cannot write " + Utf8(temporary) + ": " + SystemReason(errno));
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(temporary, ec);
            throw KitIOError("cannot write " + Utf8(temporary) + ": write error");
        }
    }
    fs::permissions(temporary, perms, ec);
    fs::rename(temporary, file, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw KitIOError("cannot replace " + Utf8(file) + ": " + ec.message());
    }
}

VerifyOutcome VerifyKit(const KitLocation& kit) {
    const std::string bytes = ReadBytes(kit.settings);
    // The wizard's own reading: the stored value and the OEMID through the profile functions.
    const TIniFile ini(TextOf(kit.settings));
    VerifyOutcome outcome;
    outcome.stored = ini.ReadString(u"CONFIG", u"ConfigID", u"");
    const String oemid = ini.ReadString(u"CONFIG", u"OEMID", u"");
    const std::optional<String> computed = ComputeConfigID(bytes, oemid);
    if (!computed) {
        outcome.reasons.push_back(FindProfileSection(bytes, u"CONFIG")
                                      ? u"[CONFIG] has no ConfigID key; the wizard refuses the file"
                                      : u"the file has no [CONFIG] section; the wizard refuses it");
        return outcome;
    }
    outcome.computed = *computed;
    outcome.accepted = outcome.stored == outcome.computed;
    if (outcome.accepted) return outcome;
    if (outcome.stored.empty()) {
        outcome.reasons.push_back(u"ConfigID is empty: the file is not sealed");
    } else if (SameText(outcome.stored, outcome.computed)) {
        outcome.reasons.push_back(
            u"ConfigID is written in upper case; the wizard compares letter case");
    } else {
        outcome.reasons.push_back(u"ConfigID does not match the content: the file was changed "
                                  u"after sealing, or sealed with another OEMID");
        if (!IsAscii(Trim(oemid)))
            outcome.reasons.push_back(
                u"the OEMID holds characters outside ASCII, so the value depends on the ANSI "
                u"code page (here " + IntToStr(CodePage::Get().AnsiCodePage()) + u")");
    }
    return outcome;
}

namespace {

// The wizard's reading of a file the tool has just written must accept it.
void RequireAccepted(const KitLocation& kit, const char* what) {
    const VerifyOutcome check = VerifyKit(kit);
    if (!check.accepted)
        throw KitIOError(std::string("the ") + what + " file is not accepted: " +
                         (check.reasons.empty() ? std::string() : ToUtf8(check.reasons.front())));
}

} // namespace

std::optional<String> NotASettingsFile(const std::string& bytes) {
    auto at = [](std::size_t offset) {
        return u" at byte " + IntToStr(static_cast<std::int64_t>(offset));
    };
    const ProfileText text = ReadProfileText(bytes);
    if (text.Utf16()) {
        if (bytes.size() % 2 != 0)
            return String(u"it starts as UTF-16 (FF FE) but has an odd number of bytes");
        auto unitAt = [&bytes](std::size_t i) {
            return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
        };
        const std::size_t count = bytes.size() / 2;
        for (std::size_t i = 1; i < count; ++i) {
            const char16_t c = unitAt(i);
            if (c == 0) return u"it holds a NUL character" + at(2 * i);
            const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
            const bool nextLow =
                i + 1 < count && unitAt(i + 1) >= 0xDC00 && unitAt(i + 1) <= 0xDFFF;
            if (low || (high && !nextLow))
                return u"it is no valid UTF-16: a lone surrogate" + at(2 * i);
            if (high) ++i;
        }
    } else {
        const std::size_t nul = bytes.find('\0');
        if (nul != std::string::npos)
            return u"it holds a NUL byte" + at(nul) + u": it is no text file";
    }
    if (text.SectionNames().empty())
        return String(u"it has no section (no line starting with '['): it is no settings file");
    return std::nullopt;
}

SealOutcome SealKit(const KitLocation& kit) {
    const std::string bytes = ReadBytes(kit.settings);
    if (std::optional<String> reason = NotASettingsFile(bytes)) {
        SealOutcome refused{};
        refused.refused = *reason;
        return refused;
    }
    const String oemid = TIniFile(TextOf(kit.settings)).ReadString(u"CONFIG", u"OEMID", u"");
    const std::string sealed = SealConfigID(bytes, oemid);
    SealOutcome outcome;
    outcome.value = StoredConfigID(sealed).value_or(String());
    outcome.keyAdded = !FindProfileKey(bytes, u"CONFIG", u"ConfigID");
    outcome.changed = sealed != bytes;
    if (outcome.changed) ReplaceBytes(kit.settings, sealed);
    RequireAccepted(kit, "sealed");
    return outcome;
}

ConvertOutcome ConvertKit(const KitLocation& kit) {
    const std::string bytes = ReadBytes(kit.settings);
    ConvertOutcome outcome;
    if (std::optional<String> reason = NotASettingsFile(bytes)) {
        outcome.refused = *reason;
        return outcome;
    }
    const String oemid = TIniFile(TextOf(kit.settings)).ReadString(u"CONFIG", u"OEMID", u"");
    if (ReadProfileText(bytes).Utf16()) {
        outcome.value = StoredConfigID(bytes).value_or(String());
        return outcome;
    }
    ICodePage& codePage = CodePage::Get();
    const String text = codePage.FromAnsi(bytes);
    // Bytes that are no text in this code page would not come back: refuse rather than lose them.
    const std::string back = codePage.ToAnsi(text);
    if (back != bytes) {
        std::size_t at = 0;
        while (at < bytes.size() && at < back.size() && bytes[at] == back[at])
            ++at;
        outcome.refused =
            u"line " + IntToStr(static_cast<std::int64_t>(ProfileLineNumber(bytes, at))) +
            u" holds bytes that are no text in code page " + IntToStr(codePage.AnsiCodePage()) +
            u"; give the kit's code page with --codepage";
        return outcome;
    }
    const std::string sealed = SealConfigID("\xFF\xFE" + ToUtf16Le(text), oemid);
    ReplaceBytes(kit.settings, sealed);
    outcome.changed = true;
    outcome.value = StoredConfigID(sealed).value_or(String());
    RequireAccepted(kit, "converted");
    return outcome;
}

String FormatFinding(const Finding& finding) {
    String text = finding.file;
    if (finding.line != 0) text += u":" + IntToStr(static_cast<std::int64_t>(finding.line));
    return text + (finding.warning ? u": warning: " : u": ") + finding.message;
}

String UsageText() {
    return u"usage: odax-kit [--codepage N] seal|convert|verify|lint <kit folder or install.dat>\n"
           u"       odax-kit [--codepage N] [--json] [--ports P,Q] deploy <kit folder> [/quiet]\n"
           u"                <options>\n"
           u"       odax-kit [--codepage N] msi <kit folder> [--out FILE.msi] [--arch x86|x64]\n"
           u"                [--wxs FILE.wxs] [/quiet] <options>\n"
           u"\n"
           u"  seal    write the integrity value into [CONFIG] ConfigID (adding the key when\n"
           u"          missing); every other byte of the file stays as it is\n"
           u"  convert rewrite an ANSI settings file as UTF-16LE (read the same on every\n"
           u"          system), with the same lines in the same order, and seal it afresh\n"
           u"  verify  say whether the wizard accepts the settings file, and why not\n"
           u"  lint    list what would make the wizard misbehave, as file:line: message, the\n"
           u"          driver packages (INF files) included; warnings (file:line: warning:\n"
           u"          message) alone leave the exit code 0\n"
           u"  deploy  check an unattended command line of the wizard against the kit (the\n"
           u"          model, the files, the seal, the address or port) and print what a\n"
           u"          deployment tool needs: the install and uninstall commands, the\n"
           u"          detection rule and the exit codes, the same commands for a batch file,\n"
           u"          the cmd prompt and PowerShell, and a PowerShell detection script; exit\n"
           u"          code 1 when the command would fail, naming the check and why\n"
           u"  msi     the same checks, then a Windows Installer package (built with wixl)\n"
           u"          that puts the kit under Program Files and runs that command from\n"
           u"          there; msiexec's properties ADDRESS, PORT, MODEL, PRINTERNAME,\n"
           u"          DEFAULT, TESTPRINT, REPLACE and LOGFILE override its options\n"
           u"\n"
           u"  --codepage N  the ANSI code page of the wizard's systems, and the one an ANSI\n"
           u"                file is read in (default 936)\n"
           u"  --json        deploy prints one JSON object\n"
           u"  --ports P,Q   deploy: the ports the target PCs have (COM1,LPT1), so that a /port\n"
           u"                is checked as the program checks it there; without it only the\n"
           u"                port's kind is checked\n"
           u"  --out F       msi: the package's file (default: \"<printer> <version>.msi\")\n"
           u"  --arch A      msi: x86 or x64 (default: the program's own)\n"
           u"  --wxs F       msi: keep the WiX source in F\n"
           u"\n"
           u"exit codes: 0 ok, 1 refused or findings, 2 usage or file error\n";
}

Command ParseArguments(const StringList& args) {
    Command command;
    StringList words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const String& arg = args[i];
        if (arg == u"--help" || arg == u"-h") {
            command.verb = u"help";
            return command;
        }
        String number;
        if (arg == u"--json") {
            command.json = true;
            continue;
        } else if (arg == u"--ports") {
            if (i + 1 >= args.size() || StartsWith(args[i + 1], u"-") || Trim(args[i + 1]).empty())
                throw UsageError("--ports needs the target PCs' ports, such as COM1,LPT1");
            StringList ports;
            for (const String& port : Split(args[++i], u','))
                if (!Trim(port).empty()) ports.push_back(Trim(port));
            command.targetPorts = ports;
            continue;
        } else if (arg == u"--out" || arg == u"--arch" || arg == u"--wxs") {
            if (i + 1 >= args.size() || Trim(args[i + 1]).empty())
                throw UsageError(ToUtf8(arg) + (arg == u"--arch" ? " needs x86 or x64" : " needs a file"));
            String& value = arg == u"--out" ? command.out : arg == u"--arch" ? command.arch : command.wxs;
            value = args[++i];
            if (arg == u"--arch" && value != u"x86" && value != u"x64")
                throw UsageError("--arch needs x86 or x64, not " + ToUtf8(value));
            continue;
        } else if (arg == u"--codepage") {
            if (i + 1 >= args.size()) throw UsageError("--codepage needs a number");
            number = args[++i];
        } else if (StartsWith(arg, u"--codepage=")) {
            number = arg.substr(11);
        } else if (words.size() >= 2 && (words[0] == u"deploy" || words[0] == u"msi")) {
            // After the kit, the words are the unattended command's own switches.
            command.wizardArgs.push_back(arg);
            continue;
        } else if (StartsWith(arg, u"-") && arg.size() > 1) {
            throw UsageError("unknown option " + ToUtf8(arg));
        } else {
            words.push_back(arg);
            continue;
        }
        unsigned value = 0;
        for (char16_t c : number) {
            if (c < u'0' || c > u'9' || value > 99999) throw UsageError("--codepage needs a number");
            value = value * 10 + (c - u'0');
        }
        if (number.empty() || value == 0) throw UsageError("--codepage needs a number");
        command.codePage = value;
    }
    if (words.size() == 1 && words[0] == u"help") {
        command.verb = u"help";
        return command;
    }
    if (words.empty()) throw UsageError("no command given");
    if (words[0] != u"seal" && words[0] != u"convert" && words[0] != u"verify" &&
        words[0] != u"lint" && words[0] != u"deploy" && words[0] != u"msi")
        throw UsageError("unknown command " + ToUtf8(words[0]));
    if (words.size() != 2) throw UsageError(ToUtf8(words[0]) + " needs one kit folder or settings file");
    if (command.json && words[0] != u"deploy") throw UsageError("--json is an option of deploy");
    if (command.targetPorts && words[0] != u"deploy")
        throw UsageError("--ports is an option of deploy");
    if ((!command.out.empty() || !command.arch.empty() || !command.wxs.empty()) && words[0] != u"msi")
        throw UsageError("--out, --arch and --wxs are options of msi");
    command.verb = words[0];
    command.target = words[1];
    return command;
}

Result Run(const Command& command) {
    Result result;
    if (command.verb == u"help") {
        result.out.push_back(UsageText());
        return result;
    }
    try {
        const KitLocation kit = LocateKit(command.target);
        if (command.verb == u"seal") {
            const SealOutcome sealed = SealKit(kit);
            if (!sealed.refused.empty()) {
                result.exitCode = kFindings;
                result.out.push_back(kit.shownName + u": not sealed, the file is left as it was: " +
                                     sealed.refused);
                return result;
            }
            result.out.push_back(
                (sealed.changed ? u"sealed " + kit.shownName : kit.shownName + u" was already sealed") +
                u": ConfigID=" + sealed.value + (sealed.keyAdded ? u" (key added)" : u""));
        } else if (command.verb == u"convert") {
            const ConvertOutcome converted = ConvertKit(kit);
            if (!converted.refused.empty()) {
                result.exitCode = kFindings;
                result.out.push_back(kit.shownName +
                                     u": not converted, the file is left as it was: " +
                                     converted.refused);
                return result;
            }
            result.out.push_back(converted.changed
                                     ? u"converted " + kit.shownName +
                                           u" to UTF-16LE, sealed: ConfigID=" + converted.value
                                     : kit.shownName + u" is UTF-16LE already");
        } else if (command.verb == u"deploy") {
            const DeployOutcome deployment =
                DeployKit(kit, command.wizardArgs, command.targetPorts);
            result.out = command.json ? StringList{DeploymentJson(kit, deployment)}
                                      : FormatDeployment(kit, deployment);
            if (deployment.Failed()) result.exitCode = kFindings;
        } else if (command.verb == u"msi") {
            result = RunMsi(kit, command);
        } else if (command.verb == u"verify") {
            const VerifyOutcome verified = VerifyKit(kit);
            if (verified.accepted) {
                result.out.push_back(kit.shownName + u": accepted (ConfigID matches)");
            } else {
                result.exitCode = kFindings;
                result.out.push_back(kit.shownName + u": refused");
                for (const String& reason : verified.reasons) result.out.push_back(u"  " + reason);
                if (!verified.computed.empty())
                    result.out.push_back(u"  stored:   \"" + verified.stored + u"\"\n  computed: \"" +
                                         verified.computed + u"\"");
            }
        } else {
            const std::vector<Finding> findings = LintKit(kit);
            for (const Finding& f : findings) result.out.push_back(FormatFinding(f));
            const auto warnings = static_cast<std::int64_t>(std::count_if(
                findings.begin(), findings.end(), [](const Finding& f) { return f.warning; }));
            const auto errors = static_cast<std::int64_t>(findings.size()) - warnings;
            if (findings.empty()) result.out.push_back(kit.shownName + u": no findings");
            if (errors > 0) {
                result.exitCode = kFindings;
                result.err.push_back(IntToStr(errors) + (errors == 1 ? u" finding" : u" findings"));
            }
            if (warnings > 0)
                result.err.push_back(IntToStr(warnings) +
                                     (warnings == 1 ? u" warning" : u" warnings"));
        }
    } catch (const KitIOError& e) {
        result = Result{kFailure, {}, {u"odax-kit: " + FromUtf8(e.what())}};
    } catch (const Exception& e) {
        result = Result{kFailure, {}, {u"odax-kit: " + e.Message()}};
    }
    return result;
}

} // namespace kit
