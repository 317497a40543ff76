#pragma once
// Our UTF-16 text as the wide-character Windows functions take and give it: wchar_t is 16
// bits on Windows, so no conversion is needed, only a cast.
#include <cwchar>
#include <string>
#include <string_view>

#include "base/Text.h"

inline const wchar_t* Wide(const String& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline String FromWide(const wchar_t* text) {
    return text ? String(reinterpret_cast<const char16_t*>(text), std::wcslen(text)) : String();
}

// The same for code that keeps its texts as std::wstring (the tools).
inline String FromWide(std::wstring_view text) {
    return String(reinterpret_cast<const char16_t*>(text.data()), text.size());
}
inline std::wstring ToWide(StringView text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}
inline std::string ToUtf8(std::wstring_view text) {
    return ToUtf8(FromWide(text));
}
