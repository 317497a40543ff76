#pragma once
// Every caption key the wizard reads from a kit's caption sections, in one table that the
// wizard's lookups and the kit lint share: the wizard cannot read a key the table does not
// list, so the lint checks exactly the texts the wizard shows.
#include <vector>

#include "base/Text.h"
#include "language/BuiltInText.h"

struct CaptionKey {
    const char16_t* key;
    // The texts shown when a kit lacks the key or leaves it empty; nullptr for a key every kit
    // must carry (the wizard then shows an empty text).
    const char16_t* en = nullptr;
    const char16_t* cn = nullptr;

    bool HasBuiltInText() const { return en != nullptr; }
    BuiltInText Text() const { return {en, cn}; }
};

// The table, in the order of the key numbers.
const std::vector<CaptionKey>& CaptionKeys();
// The row of a key, letter case ignored as the profile functions ignore it. A key the table
// does not list raises std::logic_error: a lookup of it is a fault of the program.
const CaptionKey& CaptionKeyOf(StringView key);

// The text of a listed key in a caption section of the settings; for a key with built-in
// texts, the display language's built-in text when the kit's text is missing or empty.
String CaptionText(const String& section, StringView key);
