#include "printing/untFuction.h"

#include "base/Errors.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/MessagePump.h"
#include "platform/Processes.h"

namespace {

String SystemMessage(std::uint32_t code) {
    String text = Processes::Get().SystemErrorText(code);
    // The system's texts end in a full stop and a line break; the error box adds its own.
    while (!text.empty() &&
           (text.back() == u' ' || text.back() == u'\r' || text.back() == u'\n' ||
            text.back() == u'.'))
        text.pop_back();
    return text;
}

String Utf16LeToString(std::string_view bytes) {
    String out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return out;
}

} // namespace

void CheckResult(bool b) {
    if (b) return;
    const std::uint32_t code = Processes::Get().LastError();
    throw EOSError(SystemMessage(code), code);
}

String DecodeCommandOutput(std::string_view bytes) {
    if (bytes.empty()) return {};
    String text;
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        text = FromUtf8(bytes.substr(3));
    else if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE")
        text = Utf16LeToString(bytes.substr(2));
    else
        text = CodePage::Get().FromAnsi(bytes);

    // A line list re-joined: a final line break does not make an extra empty line.
    String result;
    result.reserve(text.size() + text.size() / 16);
    size_t start = 0;
    const size_t n = text.size();
    while (start < n) {
        size_t end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n') ++end;
        result.append(text, start, end - start);
        result += u"\r\n";
        if (end < n && text[end] == u'\r') {
            ++end;
            if (end < n && text[end] == u'\n') ++end;
        } else if (end < n) {
            ++end;
        }
        start = end;
    }
    return result;
}

String RunDOS(const String& CommandLine) {
    std::string output;
    CheckResult(Processes::Get().RunHidden(CommandLine, output));
    return DecodeCommandOutput(output);
}

void WaitTime(std::int32_t MSecs) {
    IClock& clock = Clock::Get();
    const std::uint32_t start = clock.GetTickCount();
    for (;;) {
        clock.Sleep(1);
        MessagePump::Get().ProcessMessages();
        const std::uint32_t now = clock.GetTickCount();
        const auto elapsed = static_cast<std::int32_t>(now - start);
        if (elapsed >= MSecs || static_cast<std::int32_t>(now) < static_cast<std::int32_t>(start))
            break;
    }
}

String ExtractFilePath(StringView path) {
    for (size_t i = path.size(); i > 0; --i) {
        const char16_t c = path[i - 1];
        if (c == u'\\' || c == u'/' || c == u':') return String(path.substr(0, i));
    }
    return {};
}
