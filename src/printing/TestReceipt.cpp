#include "printing/TestReceipt.h"

namespace {

constexpr char kEsc = '\x1B', kFs = '\x1C', kGs = '\x1D', kLf = '\x0A';

String TwoDigits(int n) {
    String s = IntToStr(n);
    return s.size() < 2 ? u"0" + s : s;
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The line as the printer gets it, cut after as many characters as fit in `columns`.
std::string Printed(const String& line, const ReceiptFacts& facts, const Gb18030Encoder& gb18030) {
    std::string out;
    int used = 0;
    for (size_t i = 0; i < line.size();) {
        // A character is one code point: a surrogate pair stays whole.
        size_t units = 1;
        if (IsHighSurrogate(line[i]) && i + 1 < line.size() && IsLowSurrogate(line[i + 1]))
            units = 2;
        const StringView ch = StringView(line).substr(i, units);
        i += units;
        std::string bytes;
        if (ch.size() == 1 && ch[0] < 0x80) {
            // Control characters would be taken as printer commands.
            bytes = ch[0] < 0x20 || ch[0] == 0x7F ? "?" : std::string(1, static_cast<char>(ch[0]));
        } else {
            bytes = facts.chinese ? gb18030(ch) : "?";
        }
        const int width = bytes.size() > 1 ? 2 : 1;
        if (used + width > facts.columns) break;
        used += width;
        out += bytes;
    }
    return out;
}

} // namespace

String ReceiptDateTime(int year, int month, int day, int hour, int minute, int second) {
    return IntToStr(year) + u"-" + TwoDigits(month) + u"-" + TwoDigits(day) + u" " +
           TwoDigits(hour) + u":" + TwoDigits(minute) + u":" + TwoDigits(second);
}

StringList ReceiptLines(const ReceiptFacts& facts) {
    return {facts.vendor,
            facts.model,
            facts.port,
            facts.dateTime,
            u"ODAXPrintDrive " + facts.wizardVersion,
            u"install.dat " + facts.kitVersion,
            facts.line};
}

std::string ReceiptBytes(const ReceiptFacts& facts, const Gb18030Encoder& gb18030) {
    std::string out{kEsc, '@'};
    if (facts.chinese) out += {kFs, '&'};
    const StringList lines = ReceiptLines(facts);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i == 0) out += {kEsc, 'a', '\x01'};
        out += Printed(lines[i], facts, gb18030);
        out += kLf;
        if (i == 0) out += {kEsc, 'a', '\x00'};
    }
    // Feed the last line past the cutter, then cut leaving a hinge.
    out += {kEsc, 'd', '\x04', kGs, 'V', 'B', '\x00'};
    return out;
}
