#include "base/ProfileText.h"

#include <gtest/gtest.h>

#include "config/ConfigSeal.h"
#include "fakes/FakeSystem.h"
#include "platform/emulated/ProfileDocument.h"

namespace {

std::string Utf16File(const String& text) {
    return "\xFF\xFE" + ToUtf16Le(text);
}

} // namespace

// Windows' letter-case rule for names: its upper-case table, which leaves dotless i alone and
// has no one-to-many mappings.
TEST(ProfileText, NamesMatchWithWindowsLetterCaseRule) {
    struct Case {
        String a, b;
        bool same;
    } cases[] = {
        {u"Config", u"CONFIG", true},
        {u"caf\u00E9", u"CAF\u00C9", true},       // Latin-1
        {u"\u00FF", u"\u0178", true},             // y with diaeresis
        {u"\u0142\u0105", u"\u0141\u0104", true}, // Latin Extended-A
        {u"\u01C6", u"\u01C5", true},             // dz digraph, title case
        {u"\u03C3\u03C2", u"\u03A3\u03A3", true}, // Greek, final sigma
        {u"\u00B5", u"\u039C", true},             // micro sign, capital mu
        {u"\u0434\u0451", u"\u0414\u0401", true}, // Cyrillic
        {u"\u0561", u"\u0531", true},             // Armenian
        {u"\uFF41", u"\uFF21", true},             // full-width a
        {u"\u0131", u"I", false},                 // dotless i stays
        {u"i", u"\u0130", false},                 // dotted capital I
        {u"\u00DF", u"SS", false},                // sharp s
        {u"\uFF21", u"A", false},                 // full-width is not ASCII
        {u"\u4E2D", u"\u4E2D", true},
        {u"ab", u"abc", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProfileText::SameName(c.a, c.b), c.same) << ToUtf8(c.a) << " / " << ToUtf8(c.b);
        EXPECT_EQ(ProfileText::SameName(c.b, c.a), c.same) << ToUtf8(c.b) << " / " << ToUtf8(c.a);
    }
}

// The seal and the profile emulation read through the one parser, so non-ASCII names that
// differ in case are found by both alike.
TEST(ProfileText, TheSealAndTheEmulationFindTheSameNames) {
    FakeSystem sys; // code page 936
    struct Case {
        std::string file;
        String section, key;
        std::optional<String> value;
    } cases[] = {
        {Utf16File(u"[\u00C9T\u00C9]\r\nCl\u00C9=v\r\n"), u"\u00E9t\u00E9", u"cl\u00E9", u"v"},
        {Utf16File(u"[\u0131]\r\nk=v\r\n"), u"I", u"k", std::nullopt},
        {"[\xA6\xA1]\r\n\xA7\xA1=v\r\n", u"\u03B1", u"\u0430", u"v"}, // capital alpha, A in 936
        {"[\xA3\xC1]\r\nk=v\r\n", u"\uFF41", u"K", u"v"},             // full-width A in 936
    };
    for (const auto& c : cases) {
        const std::string shown = ::testing::PrintToString(c.file);
        EXPECT_EQ(ReadProfileValue(c.file, c.section, c.key), c.value) << shown;
        EXPECT_EQ(ProfileDocument(c.file, sys.codePage).Value(c.section, c.key), c.value) << shown;
    }
}
