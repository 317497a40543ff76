// Whole settings files through the profile parser: every listed key can be read, and a write
// or deletion changes exactly what it names and nothing else a reader can see.
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "FuzzCommon.h"
#include "platform/emulated/ProfileDocument.h"

namespace {

constexpr std::size_t kMaxSections = 16;
constexpr std::size_t kMaxKeys = 32;

struct Entry {
    String section, key;
    String value;
};

// Every (section, key) the listings show with its value; a bounded number of them.
std::vector<Entry> Readable(const ProfileDocument& doc) {
    std::vector<Entry> out;
    StringList sections = doc.SectionNames();
    if (sections.size() > kMaxSections) sections.resize(kMaxSections);
    for (const String& section : sections) {
        const std::optional<StringList> keys = doc.KeyNames(section);
        FUZZ_CHECK(keys.has_value());
        for (std::size_t i = 0; i < keys->size() && i < kMaxKeys; ++i) {
            const std::optional<String> value = doc.Value(section, (*keys)[i]);
            FUZZ_CHECK(value.has_value()); // a listed key is always found
            out.push_back({section, (*keys)[i], *value});
        }
    }
    return out;
}

std::size_t CountNamed(const StringList& names, StringView name) {
    return static_cast<std::size_t>(std::count_if(names.begin(), names.end(), [&](const String& n) {
        return ProfileDocument::SameName(n, name);
    }));
}

bool Same(StringView a, StringView b) {
    return ProfileDocument::SameName(a, b);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InstallCodePage();
    FuzzedDataProvider in(data, size);
    // The operation comes from the input's last bytes; the file is everything before them.
    const auto op = in.ConsumeIntegralInRange<int>(0, 2);
    const auto sectionChoice = in.ConsumeIntegral<std::uint16_t>();
    const auto keyChoice = in.ConsumeIntegral<std::uint16_t>();
    const String value = fuzz::PlainValue(in, 12);
    const ProfileDocument doc(in.ConsumeRemainingBytesAsString(), CodePage::Get());

    const std::vector<Entry> before = Readable(doc);
    const StringList sectionsBefore = doc.SectionNames();

    // A section and key the file has, or one it may lack (names any encoding here carries).
    StringList sectionPool = sectionsBefore;
    if (sectionPool.size() > kMaxSections) sectionPool.resize(kMaxSections);
    sectionPool.insert(sectionPool.end(), {u"CONFIG", u"model_POS", u"\u4E2D\u6587"});
    const String section = sectionPool[sectionChoice % sectionPool.size()];
    StringList keyPool = doc.KeyNames(section).value_or(StringList{});
    if (keyPool.size() > kMaxKeys) keyPool.resize(kMaxKeys);
    keyPool.insert(keyPool.end(), {u"ConfigID", u"k 1", u"\u6587"});
    const String key = keyPool[keyChoice % keyPool.size()];

    if (op == 0) {
        const std::string written = doc.WithValue(section, key, value);
        const ProfileDocument after(written, CodePage::Get());
        const std::optional<String> read = after.Value(section, key);
        FUZZ_CHECK(read.has_value());
        FUZZ_CHECK_TEXT(*read, value);
        for (const Entry& e : before)
            if (!(Same(e.section, section) && Same(e.key, key))) {
                const std::optional<String> still = after.Value(e.section, e.key);
                FUZZ_CHECK(still.has_value());
                FUZZ_CHECK_TEXT(*still, e.value);
            }
        const bool existed = CountNamed(sectionsBefore, section) > 0;
        FUZZ_CHECK(after.SectionNames().size() == sectionsBefore.size() + (existed ? 0 : 1));
        // Writing the same value again changes nothing.
        FUZZ_CHECK(after.WithValue(section, key, value) == written);
    } else if (op == 1) {
        const StringList keysBefore = doc.KeyNames(section).value_or(StringList{});
        const ProfileDocument after(doc.WithoutKey(section, key), CodePage::Get());
        const StringList keysAfter = after.KeyNames(section).value_or(StringList{});
        const std::size_t had = CountNamed(keysBefore, key);
        FUZZ_CHECK(CountNamed(keysAfter, key) == (had > 0 ? had - 1 : 0));
        FUZZ_CHECK(keysAfter.size() == keysBefore.size() - (had > 0 ? 1 : 0));
        for (const Entry& e : before)
            if (!Same(e.section, section)) {
                const std::optional<String> still = after.Value(e.section, e.key);
                FUZZ_CHECK(still.has_value());
                FUZZ_CHECK_TEXT(*still, e.value);
            }
    } else {
        const ProfileDocument after(doc.WithoutSection(section), CodePage::Get());
        const std::size_t had = CountNamed(sectionsBefore, section);
        const StringList sectionsAfter = after.SectionNames();
        FUZZ_CHECK(CountNamed(sectionsAfter, section) == (had > 0 ? had - 1 : 0));
        FUZZ_CHECK(sectionsAfter.size() == sectionsBefore.size() - (had > 0 ? 1 : 0));
        for (const Entry& e : before)
            if (!Same(e.section, section)) {
                const std::optional<String> still = after.Value(e.section, e.key);
                FUZZ_CHECK(still.has_value());
                FUZZ_CHECK_TEXT(*still, e.value);
            }
    }
    return 0;
}
