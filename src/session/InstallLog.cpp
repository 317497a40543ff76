#include "session/InstallLog.h"

#include <cstdio>
#include <memory>
#include <string>

#include "base/Paths.h"
#include "language/Languages.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/LogFiles.h"
#include "platform/SystemInfo.h"
#include "version.h"

namespace installlog {

namespace {

String chosenFile; // empty: the default place
// The path a run may not write to, and why.
String refusedPath;
String refusal;
// Entries lost since the last one written, and why the last of them was lost.
unsigned lostEntries = 0;
std::uint32_t lostError = 0;

std::string Stamp(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    return text;
}

LogFormat currentFormat = LogFormat::Text;

// One entry in the format CMTrace and its peers read: the text (its lines as they are), then
// the time with Windows' time zone bias (the minutes UTC is ahead: "-480" in China), the date,
// the component, the severity and the process (the program has one thread that logs).
std::string CMTraceEntry(const String& text, Severity severity) {
    const LocalTime t = Clock::Get().Now();
    // The entry's end marker inside the text would end the entry early for a reader.
    static const String kMarker = u"]LOG]!>";
    String shown;
    shown.reserve(text.size());
    for (size_t from = 0;;) {
        const size_t at = text.find(kMarker, from);
        shown.append(text, from, at == String::npos ? String::npos : at - from);
        if (at == String::npos) break;
        shown += u"]LOG] !>";
        from = at + kMarker.size();
    }
    const int bias = -t.utcOffsetMinutes;
    char when[96];
    std::snprintf(when, sizeof when, "<time=\"%02d:%02d:%02d.%03d%c%03d\" date=\"%02d-%02d-%04d\" ",
                  t.hour, t.minute, t.second, t.millisecond, bias < 0 ? '-' : '+',
                  bias < 0 ? -bias : bias, t.month, t.day, t.year);
    const unsigned process = SystemInfo::Installed() ? SystemInfo::Get().ProcessId() : 0;
    return "<![LOG[" + ToUtf8(shown) + "]LOG]!>" + when +
           "component=\"ODAXPrintDrive\" context=\"\" type=\"" +
           std::to_string(static_cast<int>(severity)) + "\" thread=\"" + std::to_string(process) +
           "\" file=\"\">\r\n";
}

std::string EntryText(const String& text, Severity severity) {
    if (currentFormat == LogFormat::CMTrace) return CMTraceEntry(text, severity);
    return Stamp(Clock::Get().Now()) + " " + EntryLines(text);
}

String Offset(int minutes) {
    char text[16];
    const int magnitude = minutes < 0 ? -minutes : minutes;
    std::snprintf(text, sizeof text, "%c%02d:%02d", minutes < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return FromUtf8(text);
}

} // namespace

std::string EntryLines(const String& text) {
    const std::string indent = "    ";
    std::string out;
    size_t start = 0;
    bool first = true;
    const size_t n = text.size();
    do {
        size_t end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        if (!first) out += indent;
        out += ToUtf8(StringView(text).substr(start, end - start));
        out += "\r\n";
        first = false;
        if (end < n && text[end] == u'\r') ++end;
        if (end < n && text[end] == u'\n') ++end;
        start = end;
    } while (start < n);
    return out;
}

String MarkedOutput(const String& output) {
    String out = u"| ";
    for (size_t i = 0; i < output.size(); ++i) {
        const char16_t c = output[i];
        if (c == u'\r' && i + 1 < output.size() && output[i + 1] == u'\n') continue;
        if (c == u'\r' || c == u'\n') {
            out += u"\r\n| ";
            continue;
        }
        out += c;
    }
    return out;
}

namespace {

// Why no log may be written in the folder of `path` (a link, a folder someone else could have
// prepared), or nothing. The default folder is made when missing, with an access list of its
// own: ProgramData lets every user make folders, and a user's folder would be theirs to swap.
String FolderRefusal(const String& path, bool ownFolder) {
    ILogFiles& files = LogFiles::Get();
    String folder = ExtractFilePath(path);
    while (folder.size() > 3 && (folder.back() == u'\\' || folder.back() == u'/'))
        folder.pop_back();
    const PathFacts facts = files.Inspect(folder);
    if (!facts.exists) {
        if (!ownFolder) return u"the folder " + folder + u" does not exist";
        std::uint32_t error = 0;
        files.CreateProtectedFolder(folder, error); // a failure shows in the write
        return {};
    }
    if (!facts.directory) return folder + u" is no folder";
    if (facts.reparsePoint) return u"the folder " + folder + u" is a link";
    if (ownFolder && !facts.trustedOwner)
        return u"the folder " + folder +
               u" belongs to a user, not to the system or the administrators";
    return {};
}

void Write(const std::string& entry) {
    if (!LogFiles::Installed() || !Clock::Installed()) return;
    ILogFiles& files = LogFiles::Get();
    const String path = FilePath();
    if (path.empty()) {
        ++lostEntries;
        return;
    }
    // A path found unsafe stays refused for the run; the run says so once.
    if (path == refusedPath) return;
    String why = FolderRefusal(path, chosenFile.empty());
    std::uint32_t error = 0;
    std::unique_ptr<ILogFile> file;
    if (why.empty()) file = files.Open(path, error, why);
    if (!why.empty()) {
        refusedPath = path;
        refusal = why;
        return;
    }
    if (!file) {
        ++lostEntries;
        lostError = error;
        return;
    }
    std::string bytes;
    if (lostEntries) {
        String lost = u"(";
        lost += IntToStr(static_cast<std::int64_t>(lostEntries));
        lost += u" earlier entries could not be written, system error ";
        lost += IntToStr(static_cast<std::int64_t>(lostError));
        lost += u")";
        bytes = EntryText(lost, Severity::Warning);
    }
    bytes += entry;

    const std::uint64_t size = file->Size();
    // The full file is renamed through its handle, so a link planted at either name is
    // never followed. A failed rename leaves the entry going to the full file: an entry lost
    // is worse.
    if (size > 0 && size + bytes.size() > kMaxFileBytes) {
        const String old = OldFilePath(path);
        if (file->RenameTo(old.substr(ExtractFilePath(old).size()), error)) {
            String reopened;
            file = files.Open(path, error, reopened);
            if (!file) {
                ++lostEntries;
                lostError = error;
                return;
            }
        }
    }
    if (file->Append(bytes, error)) {
        lostEntries = 0;
    } else {
        ++lostEntries;
        lostError = error;
    }
}

void Entry(const String& text, Severity severity = Severity::Info) {
    if (!LogFiles::Installed() || !Clock::Installed()) return;
    Write(EntryText(text, severity));
}

String ExitCodeText(std::uint32_t code) {
    String text = IntToStr(code);
    if (code > 0xFFFF) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
        text += u" (" + FromUtf8(hex) + u")";
    }
    return text;
}

} // namespace

void UseFile(const String& path) {
    chosenFile = path;
    lostEntries = 0; // they were another file's
    refusedPath.clear();
    refusal.clear();
}

String Refusal() {
    return refusedPath == FilePath() ? refusal : String();
}

String FilePath() {
    if (!chosenFile.empty()) return chosenFile;
    if (!LogFiles::Installed()) return {};
    const String folder = LogFiles::Get().ProgramDataFolder();
    if (folder.empty()) return {};
    return folder + u"\\ODAXPrintDrive\\install.log";
}

String OldFilePath(const String& path) {
    const size_t name = path.find_last_of(u"\\/:");
    const size_t dot = path.find_last_of(u'.');
    const bool hasExtension = dot != String::npos && (name == String::npos || dot > name + 1);
    if (!hasExtension) return path + u".old";
    return path.substr(0, dot) + u".old" + path.substr(dot);
}

void BeginRun(const String& how, const String& kit) {
    if (!LogFiles::Installed() || !Clock::Installed()) return;
    String text = u"==== Run started: " + how;
    text += u"\r\nProgram: ODAXPrintDrive " + FromUtf8(WIZ_VERSION_STRING);
    if (Files::Installed()) text += u" (" + Files::Get().ModuleFileName() + u")";
    text += u"\r\nKit: " + kit;
    text += u"\r\nLanguage: " + String(DisplayLanguage().name);
    // Who ran it where and when: what support asks first about a run on a PC of a fleet.
    if (SystemInfo::Installed()) {
        ISystemInfo& system = SystemInfo::Get();
        text += u"\r\nAccount: " + system.AccountName() + u" (" + system.AccountSid() + u")";
        text += u"\r\nSystem: Windows " + system.OsVersion() + u", " +
                String(ArchitectureName(system.SystemArchitecture())) + u" (the program " +
                String(ArchitectureName(system.ProcessArchitecture())) + u")";
        text += u"\r\nProcess: " + IntToStr(static_cast<std::int64_t>(system.ProcessId()));
    }
    const LocalTime t = Clock::Get().Now();
    text += u"\r\nTime: " + FromUtf8(Stamp(t)) + u" UTC" + Offset(t.utcOffsetMinutes);
    // A blank line sets the runs apart for a reader of the text form.
    Write((currentFormat == LogFormat::Text ? "\r\n" : "") + EntryText(text, Severity::Info));
}

void Line(const String& text, Severity severity) {
    Entry(text, severity);
}

void UseFormat(LogFormat format) {
    currentFormat = format;
}

void Command(const String& commandLine, std::uint32_t exitCode, const String& output) {
    String text = u"Command: " + commandLine + u"\r\nExit code: " + ExitCodeText(exitCode);
    String shown = output;
    while (!shown.empty() && (shown.back() == u'\r' || shown.back() == u'\n'))
        shown.pop_back();
    if (shown.empty()) {
        text += u"\r\nOutput: none";
    } else {
        String left;
        if (shown.size() > kMaxOutputChars) {
            left = u"\r\n(" + IntToStr(static_cast<std::int64_t>(shown.size() - kMaxOutputChars)) +
                   u" more characters left out)";
            shown.resize(kMaxOutputChars);
        }
        text += u"\r\nOutput:\r\n";
        text += MarkedOutput(shown) + left;
    }
    Entry(text, exitCode == 0 ? Severity::Info : Severity::Warning);
}

void EndRun(const String& outcome, Severity severity) {
    Entry(u"==== Run ended: " + outcome, severity);
}

} // namespace installlog
