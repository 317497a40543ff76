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

// The start-up refusals: shown when the kit cannot be trusted, so their texts are built in.
struct Refusal {
    BuiltInText title;
    BuiltInText text;
};
// install.dat or the USB library is missing.
extern const Refusal kMissingFiles;
// The settings' seal does not match their content.
extern const Refusal kIntegrity;

// Said instead of the install log's link when the log may not be written; the reason follows.
extern const BuiltInText kNoInstallLog;
// The default printer left alone under the system account, which has none of its own.
extern const BuiltInText kDefaultPrinterPerUser;
