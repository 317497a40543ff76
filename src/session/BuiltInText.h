#pragma once
// Texts the program carries itself, in both display languages, for when the settings cannot
// give them.
#include "base/Text.h"

struct BuiltInText {
    const char16_t* en;
    const char16_t* cn;
};

// The text in the display language.
String InDisplayLanguage(const BuiltInText& text);
