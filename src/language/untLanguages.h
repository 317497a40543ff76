#pragma once
// The display language and the caption section every text is read from.
#include <cstdint>

#include "base/Text.h"

enum class TOSLanguage : std::uint8_t { EN = 0, CN = 1 };

// Set before any window exists from the user's locale; changed only by applying a language.
extern TOSLanguage OSLanguage;
// "CAPTION_CN" or "CAPTION_EN"; empty until a language is applied for the first time.
extern String LCaption;

// The language of the user's locale: Chinese for the language identifiers 0804, 0004 and
// 1004, English for every other one. A value that cannot be read or is not a hexadecimal
// number gives English, the language every kit is expected to carry.
TOSLanguage GetWindowsLanguage(std::uint32_t LCTYPE);
// The rule alone, on the locale's text.
TOSLanguage LanguageOfLocaleValue(const String& value);
