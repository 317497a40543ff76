#pragma once
// What differs between the wizard's display languages, one row per language. A further
// language is a value of TOSLanguage, a row here and its texts: a built-in text for each
// caption key that has them, and in the kits a caption section, pictures, an address and an
// INF folder of its own.
#include <cstdint>
#include <vector>

#include "base/Text.h"
#include "language/BuiltInText.h"
#include "language/untLanguages.h"

struct LanguageInfo {
    TOSLanguage language;
    const char16_t* name;           // in the kit lint's messages
    const char16_t* captionSection; // the kit's texts in this language
    const char16_t* messageSection;
    const char16_t* logoKey;        // [OEM]: the logo of the welcome page and the About dialog
    const char16_t* qrKey;          // [OEM]: the About dialog's QR picture
    const char16_t* addressKey;     // [OEM]: the address line of the About dialog
    const char16_t* companyNameKey; // [OEM]: the About dialog's title and first name line
    const char16_t* secondNameKey;  // [OEM]: the About dialog's second name line; nullptr: hidden
    const char16_t* kitFolder;      // the INF packages installed in this language
    const char16_t* radio;          // the main window's button that chooses it
    const char16_t* radioCaption;   // that button's text, the language's own name for itself
    // The locale language identifiers that start the wizard in this language.
    std::vector<std::uint32_t> localeIds;
    const char16_t* BuiltInText::*builtInText; // the program's own texts in this language
};

// Every display language, in the order kits list their caption sections.
const std::vector<LanguageInfo>& Languages();
const LanguageInfo& LanguageOf(TOSLanguage language);
// The row of the display language, OSLanguage.
const LanguageInfo& DisplayLanguage();
// The language whose row lists the locale's language identifier; English, the language every
// kit is expected to carry, for any other identifier.
TOSLanguage LanguageOfLocaleId(std::uint32_t id);
