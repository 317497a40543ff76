#include "session/InstallLog.h"

#include <cstdio>
#include <string>

#include "language/Languages.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/LogFiles.h"
#include "version.h"

namespace installlog {

namespace {

String chosenFile; // empty: the default place
// Entries lost since the last one written, and why the last of them was lost.
unsigned lostEntries = 0;
std::uint32_t lostError = 0;

std::string Stamp(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    return text;
}

// The text's lines, each ended by CR LF; lines after the first indented, so that every line
// that starts at the margin starts an entry with its time.
std::string Lines(const String& text, const std::string& indent = "    ") {
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

// The command's own lines, each marked so that none reads as a line of the log's own.
String Marked(const String& output) {
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

void Write(const std::string& entry) {
    if (!LogFiles::Installed() || !Clock::Installed()) return;
    ILogFiles& files = LogFiles::Get();
    const String path = FilePath();
    if (path.empty()) {
        ++lostEntries;
        return;
    }
    std::string bytes;
    if (lostEntries)
        bytes = Stamp(Clock::Get().Now()) + " (" + std::to_string(lostEntries) +
                " earlier entries could not be written, system error " + std::to_string(lostError) +
                ")\r\n";
    bytes += entry;

    const std::uint64_t size = files.FileSize(path).value_or(0);
    std::uint32_t error = 0;
    // A failed move leaves the entry going to the full file: an entry lost is worse.
    if (size > 0 && size + bytes.size() > kMaxFileBytes)
        files.Replace(path, OldFilePath(path), error);
    if (files.Append(path, bytes, error)) {
        lostEntries = 0;
    } else {
        ++lostEntries;
        lostError = error;
    }
}

void Entry(const String& text) {
    if (!LogFiles::Installed() || !Clock::Installed()) return;
    Write(Stamp(Clock::Get().Now()) + " " + Lines(text));
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
    // A blank line sets the runs apart for a reader.
    Write("\r\n" + Stamp(Clock::Get().Now()) + " " + Lines(text));
}

void Line(const String& text) {
    Entry(text);
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
        text += Marked(shown) + left;
    }
    Entry(text);
}

void EndRun(const String& outcome) {
    Entry(u"==== Run ended: " + outcome);
}

} // namespace installlog
