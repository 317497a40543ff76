#include "config/CaptionKeys.h"
#include "language/Languages.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

// A language added by copying a row must get kit entries of its own, a locale identifier no
// other language claims and a built-in text for every caption key that has them; otherwise
// two languages would read each other's texts or a kit without the new keys would show nothing.
TEST(LanguageTable, EveryLanguageHasItsOwnKitEntriesLocalesAndBuiltInTexts) {
    const struct {
        const char* what;
        const char16_t* LanguageInfo::*field;
    } entries[] = {
        {"caption section", &LanguageInfo::captionSection},
        {"message section", &LanguageInfo::messageSection},
        {"logo key", &LanguageInfo::logoKey},
        {"QR picture key", &LanguageInfo::qrKey},
        {"address key", &LanguageInfo::addressKey},
        {"company name key", &LanguageInfo::companyNameKey},
        {"kit folder", &LanguageInfo::kitFolder},
    };
    std::map<std::uint32_t, const char16_t*> localeOwner;
    std::set<String> seen;
    for (const LanguageInfo& row : Languages()) {
        SCOPED_TRACE(ToUtf8(row.name));
        EXPECT_EQ(&LanguageOf(row.language), &row);
        for (const auto& entry : entries) {
            const char16_t* value = row.*entry.field;
            ASSERT_NE(value, nullptr) << entry.what;
            EXPECT_TRUE(seen.insert(UpperCase(value)).second) << entry.what << " used twice";
        }
        for (std::uint32_t id : row.localeIds) {
            EXPECT_TRUE(localeOwner.emplace(id, row.name).second) << "locale " << id;
            EXPECT_EQ(LanguageOfLocaleId(id), row.language) << "locale " << id;
        }
        for (const CaptionKey& caption : CaptionKeys()) {
            if (!caption.HasBuiltInText()) continue;
            const char16_t* text = caption.Text().*row.builtInText;
            EXPECT_TRUE(text && *text) << ToUtf8(caption.key);
        }
    }
    // Identifiers no row lists start the wizard in English.
    for (std::uint32_t id : {0x0409u, 0x0404u, 0x0C04u, 0x0u})
        EXPECT_EQ(LanguageOfLocaleId(id), TOSLanguage::EN) << id;
}
