#pragma once
// What every fuzz target shares: the code page the kits are read in, a property check that
// stops the run with a readable reason, and ways to turn raw bytes into texts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "base/Text.h"
#include "platform/CodePage.h"
#include "platform/emulated/EmulatedCodePage.h"

namespace fuzz {

// Kits are written in code page 936; the parsers decode through the installed service.
inline void InstallCodePage() {
    static EmulatedCodePage codePage(936);
    static ScopedService<ICodePage> installed(codePage);
}

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "\nproperty broken at %s:%d: %s\n", file, line, what);
    std::abort();
}

// Texts for failure messages: printable ASCII as is, other units as \uXXXX.
inline std::string Show(StringView text) {
    std::string out;
    char hex[8];
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}

[[noreturn]] inline void FailText(const char* what, StringView a, StringView b, const char* file,
                                  int line) {
    std::fprintf(stderr, "\nproperty broken at %s:%d: %s\n  got:      \"%s\"\n  expected: \"%s\"\n",
                 file, line, what, Show(a).c_str(), Show(b).c_str());
    std::abort();
}

// Every byte one character, with a few bytes standing for characters the parsers must carry
// through untouched (Chinese in code page 936, a character 936 lacks).
inline String Latin1Text(std::string_view bytes) {
    String out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) {
        switch (b) {
        case 0xFD:
            out += u'\u4E2D';
            break; // 中
        case 0xFE:
            out += u'\u6587';
            break; // 文
        case 0xFF:
            out += u'\u20AC';
            break; // €
        default:
            out += static_cast<char16_t>(b);
        }
    }
    return out;
}

// A short text of characters that every file encoding here carries exactly, with no blanks at
// its ends and no enclosing quotes: what a profile read gives back unchanged.
inline String PlainValue(FuzzedDataProvider& in, std::size_t maxLength) {
    static const char16_t kAlphabet[] = u"aZ09_-.=;[]#\"'\u4E2D\u6587 ";
    const std::size_t letters = sizeof kAlphabet / sizeof kAlphabet[0] - 1;
    String out;
    const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, maxLength);
    for (std::size_t i = 0; i < length; ++i)
        out += kAlphabet[in.ConsumeIntegralInRange<std::size_t>(0, letters - 1)];
    while (!out.empty() && out.back() == u' ')
        out.pop_back();
    while (!out.empty() && out.front() == u' ')
        out.erase(0, 1);
    if (out.size() >= 2 && out.front() == out.back() &&
        (out.front() == u'"' || out.front() == u'\''))
        out.back() = u'x';
    return out;
}

} // namespace fuzz

#define FUZZ_CHECK(cond) ((cond) ? (void)0 : ::fuzz::Fail(#cond, __FILE__, __LINE__))
#define FUZZ_CHECK_TEXT(got, expected)                                                             \
    (((got) == (expected))                                                                         \
         ? (void)0                                                                                 \
         : ::fuzz::FailText(#got " == " #expected, (got), (expected), __FILE__, __LINE__))
