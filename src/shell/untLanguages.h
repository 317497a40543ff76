#pragma once
// The display language and the caption section every text is read from.
#include <cstdint>

#include "base/Text.h"

enum class TOSLanguage : std::uint8_t { EN = 0, CN = 1 };

// Set before any window exists from the user's locale; changed only by applying a language.
extern TOSLanguage OSLanguage;
// "CAPTION_CN" or "CAPTION_EN"; empty until a language is applied for the first time.
extern String LCaption;
