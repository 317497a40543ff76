#pragma once
// Our UTF-16 text as the wide-character Windows functions take and give it: wchar_t is 16
// bits on Windows, so no conversion is needed, only a cast.
#include <cwchar>

#include "base/Text.h"

inline const wchar_t* Wide(const String& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline String FromWide(const wchar_t* text) {
    return text ? String(reinterpret_cast<const char16_t*>(text), std::wcslen(text)) : String();
}
