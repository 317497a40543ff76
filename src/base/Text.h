#pragma once
// One text type everywhere: UTF-16 code units, as the wizard counts characters.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using String = std::u16string;
using StringView = std::u16string_view;
using StringList = std::vector<String>;

// Conversions at the edges (tests, file names on Linux, diagnostics).
std::string ToUtf8(StringView text);
String FromUtf8(std::string_view utf8);
// ASCII-only widening of literals and numbers; no decoding.
String FromAscii(std::string_view ascii);
// UTF-16LE bytes of a text (no byte-order mark, no closing zero), and a text from such bytes;
// an odd last byte is no code unit and is dropped.
std::string ToUtf16Le(StringView text);
String FromUtf16Le(std::string_view bytes);

// Removes every character up to U+0020 (blanks and control characters) at both ends.
String Trim(StringView text);
String TrimLeft(StringView text);
String TrimRight(StringView text);
// Only U+0020 at both ends, as the profile functions trim their section and key arguments.
String TrimSpaces(StringView text);
// Only the ASCII letters a-z change.
String UpperCase(StringView text);
String LowerCase(StringView text);
bool SameText(StringView a, StringView b); // ASCII case-insensitive

// The pieces between each `separator`, empty ones kept: "a,,b" gives "a", "", "b"; "" gives "".
StringList Split(StringView text, char16_t separator);
// The items with `separator` between them.
String Joined(const StringList& items, StringView separator = u", ");
// The text in double quotes, for messages and command lines that need no escaping.
String Quoted(StringView text);

String IntToStr(std::int64_t value);
bool StartsWith(StringView text, StringView prefix);
