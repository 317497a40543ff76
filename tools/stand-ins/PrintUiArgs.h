#pragma once
// The parts of the stand-ins that need no Windows: splitting a command line the way the
// printer-setup entry reads its arguments, and deciding whether an INF file names a model.
// Portable, so the host unit tests cover them.
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Text.h"

namespace standin {

using Text = String;
using TextView = StringView;

inline bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

// What follows the program name in a command line (the program name ends at its closing
// quote, or at the first blank when it is not quoted), without the blanks around it.
inline Text ArgumentTail(TextView line) {
    size_t i = 0;
    if (!line.empty() && line[0] == u'"') {
        const size_t close = line.find(u'"', 1);
        i = close == TextView::npos ? line.size() : close + 1;
    }
    while (i < line.size() && !IsBlank(line[i]))
        ++i;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    return Text(line.substr(i));
}

// Blank-separated tokens; double quotes group and are dropped ("" is an empty token).
// No backslash escapes: paths such as "C:\dir\" keep their final backslash.
inline std::vector<Text> Tokens(TextView s) {
    std::vector<Text> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && IsBlank(s[i]))
            ++i;
        if (i >= s.size()) break;
        Text token;
        bool quoted = false;
        while (i < s.size() && (quoted || !IsBlank(s[i]))) {
            if (s[i] == u'"')
                quoted = !quoted;
            else
                token += s[i];
            ++i;
        }
        out.push_back(token);
    }
    return out;
}

// Lines without their line breaks and the blanks around them; empty lines dropped.
inline std::vector<Text> Lines(TextView text) {
    std::vector<Text> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(u"\r\n", start);
        if (end == TextView::npos) end = text.size();
        TextView line = text.substr(start, end - start);
        while (!line.empty() && IsBlank(line.front()))
            line.remove_prefix(1);
        while (!line.empty() && IsBlank(line.back()))
            line.remove_suffix(1);
        if (!line.empty()) out.emplace_back(line);
        start = end + 1;
    }
    return out;
}

// rundll32's first argument "printui.dll,PrintUIEntry" (any folder, with or without
// ".dll"; the file name in any case, the entry name exactly, as GetProcAddress reads it).
inline bool IsPrintUiEntry(TextView first) {
    const size_t comma = first.find(u',');
    if (comma == TextView::npos || first.substr(comma + 1) != u"PrintUIEntry") return false;
    TextView dll = first.substr(0, comma);
    const size_t slash = dll.find_last_of(u"\\/");
    if (slash != TextView::npos) dll = dll.substr(slash + 1);
    return SameText(dll, u"printui.dll") || SameText(dll, u"printui");
}

// The printer-setup entry's options: flags such as /if or /dd, and one-letter options that
// take a value, written either attached (/c\\machine) or as the next token (/b "Queue").
struct PrintUiCall {
    std::vector<Text> flags;
    std::map<char16_t, Text> values;
    Text error; // empty when the arguments read well

    bool Has(TextView flag) const {
        for (const Text& f : flags)
            if (f == flag) return true;
        return false;
    }
    std::optional<Text> Value(char16_t option) const {
        const auto it = values.find(option);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
};

// `tail` is rundll32's whole argument text, starting with the entry.
inline std::optional<PrintUiCall> ParsePrintUi(TextView tail) {
    const std::vector<Text> tokens = Tokens(tail);
    if (tokens.empty() || !IsPrintUiEntry(tokens[0])) return std::nullopt;
    static constexpr TextView kValueOptions = u"abcfhjlmnrtv";
    PrintUiCall call;
    for (size_t i = 1; i < tokens.size(); ++i) {
        const Text& t = tokens[i];
        if (t.size() < 2 || t[0] != u'/') {
            call.error = u"unexpected argument: " + t;
            continue;
        }
        const char16_t letter = t[1];
        const Text rest = t.substr(1);
        const bool takesValue = kValueOptions.find(letter) != TextView::npos;
        if (!takesValue) {
            call.flags.push_back(rest);
        } else if (t.size() > 2) {
            call.values[letter] = t.substr(2);
        } else if (i + 1 < tokens.size()) {
            call.values[letter] = tokens[++i];
        } else {
            call.error = Text(u"no value for /") + letter;
        }
    }
    return call;
}

// An INF file's text: UTF-16LE or UTF-8 when it starts with that byte-order mark, UTF-16LE
// when it has none but reads as little-endian text, otherwise the ANSI code page through
// `fromAnsi`.
inline Text DecodeInf(std::string_view bytes,
                      const std::function<Text(std::string_view)>& fromAnsi) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
        return FromUtf16Le(bytes.substr(2));
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return FromUtf8(bytes.substr(3));
    // Without a mark: ASCII text in UTF-16LE has a zero in every second byte.
    if (bytes.size() >= 4 && bytes.size() % 2 == 0) {
        size_t zeros = 0, pairs = bytes.size() / 2;
        for (size_t i = 1; i < bytes.size(); i += 2)
            zeros += bytes[i] == '\0';
        if (zeros * 4 >= pairs * 3) return FromUtf16Le(bytes);
    }
    return fromAnsi(bytes);
}

// True when the INF text names `model`: the model appears (ASCII letters in any case)
// outside a comment, and not as part of a longer name ("Model-1" is not named by
// "Model-10"). An empty model is never named.
inline bool NamesModel(TextView inf, TextView model) {
    if (model.empty()) return false;
    auto namePart = [](char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
               c == u'-' || c == u'_' || c == u'.';
    };
    size_t lineStart = 0;
    while (lineStart <= inf.size()) {
        size_t lineEnd = inf.find_first_of(u"\r\n", lineStart);
        if (lineEnd == TextView::npos) lineEnd = inf.size();
        // A ';' outside quotes starts a comment.
        size_t end = lineStart;
        bool quoted = false;
        while (end < lineEnd && (quoted || inf[end] != u';')) {
            if (inf[end] == u'"') quoted = !quoted;
            ++end;
        }
        const TextView line = inf.substr(lineStart, end - lineStart);
        for (size_t at = 0; at + model.size() <= line.size(); ++at) {
            if (!SameText(line.substr(at, model.size()), model)) continue;
            const bool before = at > 0 && namePart(line[at - 1]) && namePart(model.front());
            const bool after = at + model.size() < line.size() &&
                               namePart(line[at + model.size()]) && namePart(model.back());
            if (!before && !after) return true;
        }
        lineStart = lineEnd + 1;
    }
    return false;
}

} // namespace standin
