#include "platform/emulated/EmulatedProfile.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/TempFolder.h"
#include "platform/emulated/EmulatedCodePage.h"
#include "platform/emulated/EmulatedFiles.h"
#include "platform/emulated/ProfileDocument.h"

using namespace std::string_literals;

namespace {

std::string Utf16File(const String& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

class EmulatedProfileTest : public ::testing::Test {
  protected:
    struct Result {
        std::uint32_t count;
        String text; // the buffer up to its terminating NUL(s); '#' marks untouched places
    };

    String FileName(const std::string& name = "t.ini") const { return FromUtf8(dir / name); }

    Result Get(const ProfileArg& section, const ProfileArg& key, const ProfileArg& def,
               std::uint32_t size, const std::string& name = "t.ini") {
        String buffer(size, u'#');
        const std::uint32_t n = profile.GetPrivateProfileStringW(section, key, def, buffer.data(),
                                                                 size, FileName(name));
        // A value and its NUL; a list and the two places after its count (the final NUL of a
        // complete list, and what follows it).
        const std::size_t shown = n + ((section && key) ? 1 : 2);
        return {n, buffer.substr(0, std::min<std::size_t>(shown, size))};
    }
    String Value(const String& section, const String& key, const std::string& name = "t.ini") {
        const Result r = Get(section, key, String(u"DEF"), 2048, name);
        return r.text.substr(0, r.count);
    }
    bool Write(const ProfileArg& section, const ProfileArg& key, const ProfileArg& value,
               const std::string& name = "t.ini") {
        return profile.WritePrivateProfileStringW(section, key, value, FileName(name));
    }

    TempFolder dir;
    EmulatedCodePage codePage{936};
    ScopedService<ICodePage> installed{codePage};
    EmulatedProfile profile{dir / "win.ini"};
};

TEST_F(EmulatedProfileTest, ReadsValuesAsWindowsDoes) {
    struct Case {
        std::string file;
        String section, key, expected;
    } cases[] = {
        // Names without regard to case; only spaces around the arguments are ignored.
        {"[Sec]\r\nKey=v\r\n", u"sEC", u"kEY", u"v"},
        {"[Sec]\r\nKey=v\r\n", u"  Sec  ", u" Key  ", u"v"},
        {"[Sec]\r\nKey=v\r\n", u"\tSec", u"Key", u"DEF"},
        {"[Sec]\r\nKey=v\r\n", u"Sec", u"Key\t", u"DEF"},
        // Blanks (space, tab, vertical tab) around names, values and before the header.
        {" \t[ \tSec\v ]\r\n \t Key \t= \t v w \t\r\n", u"Sec", u"Key", u"v w"},
        {"[S]\r\nk=   \t\r\n", u"S", u"k", u""},
        // The first '=' separates; no inline comments.
        {"[S]\r\nName=a=b\r\n", u"S", u"Name", u"a=b"},
        {"[S]\r\nk=v ; c\r\n", u"S", u"k", u"v ; c"},
        // One pair of the same quotes goes.
        {"[S]\r\nk=\" a \"\r\n", u"S", u"k", u" a "},
        {"[S]\r\nk= 'a b' \r\n", u"S", u"k", u"a b"},
        {"[S]\r\nk=\"x'\r\n", u"S", u"k", u"\"x'"},
        {"[S]\r\nk=\"\"x\"\"\r\n", u"S", u"k", u"\"x\""},
        {"[S]\r\nk=\"\r\n", u"S", u"k", u"\""},
        {"[S]\r\nk=\"\"\r\n", u"S", u"k", u""},
        {"[S]\r\n\"k\"=v\r\n", u"S", u"\"k\"", u"v"},
        // Lines that are no keys.
        {"[S]\r\nnoequals\r\n", u"S", u"noequals", u"DEF"},
        {"[S]\r\n;c=1\r\n", u"S", u";c", u"DEF"},
        {"[S]\r\n \t;c=1\r\n", u"S", u";c", u"DEF"},
        {"[S]\r\n#h=3\r\n", u"S", u"#h", u"3"},
        {"[S]\r\nk;x=3\r\n", u"S", u"k;x", u"3"},
        // Headers.
        {"[S]k=v\r\n", u"S", u"k", u"DEF"},
        {"[sec]x]\r\nk=v\r\n", u"sec", u"k", u"v"},
        {"[sec]x]\r\nk=v\r\n", u"sec]x", u"k", u"DEF"},
        {"[Three   \r\nk=v\r\n", u"Three", u"k", u"v"},
        {"Sec]\r\nk=v\r\n", u"Sec", u"k", u"DEF"},
        {"[[sec]\r\nk=v\r\n", u"[sec", u"k", u"v"},
        {"[;sec]\r\nk=v\r\n", u";sec", u"k", u"v"},
        // Lines before the first header belong to no section.
        {"k=v\r\n[S]\r\n", u"", u"k", u"DEF"},
        {"k=v\r\n[S]\r\n", u" ", u"k", u"DEF"},
        {"[]\r\nk=v\r\n", u"", u"k", u"v"},
        // The first key of a name, in the first copy of a section.
        {"[S]\r\nk=1\r\nK=2\r\n", u"S", u"k", u"1"},
        {"[S]\r\na=1\r\n[T]\r\n[s]\r\na=2\r\nb=3\r\n", u"S", u"a", u"1"},
        {"[S]\r\na=1\r\n[T]\r\n[s]\r\na=2\r\nb=3\r\n", u"S", u"b", u"DEF"},
        // Line ends.
        {"[S]\nk=v\nj=w\n", u"S", u"j", u"w"},
        {"[S]\rk=v\rj=w", u"S", u"j", u"w"},
        {"[S]\r\n\r\n\n\rj=w\r", u"S", u"j", u"w"},
        // A UTF-8 byte-order mark is three ANSI characters: the first header is lost.
        {"\xEF\xBB\xBF[S]\r\nk=v\r\n[T]\r\nk=w\r\n", u"S", u"k", u"DEF"},
        {"\xEF\xBB\xBF[S]\r\nk=v\r\n[T]\r\nk=w\r\n", u"T", u"k", u"w"},
        // Letters beyond ASCII match without regard to case as well.
        {"[\xA6\xA1]\r\nk=v\r\n", u"\u03B1", u"k", u"v"}, // capital alpha in the file
    };
    for (const auto& c : cases) {
        dir.Write("t.ini", c.file);
        EXPECT_EQ(Value(c.section, c.key), c.expected)
            << "file " << testing::PrintToString(c.file) << " [" << ToUtf8(c.section) << "] "
            << ToUtf8(c.key);
    }
}

TEST_F(EmulatedProfileTest, GivesTheDefaultWithoutItsTrailingSpaces) {
    dir.Write("t.ini", "[S]\r\nk=v\r\n");
    EXPECT_EQ(Get(u"S", u"x", u"  d  ", 100).text, u"  d\0"s);
    EXPECT_EQ(Get(u"S", u"x", u"d\t", 100).text, u"d\t\0"s);
    EXPECT_EQ(Get(u"S", u"x", std::nullopt, 100).text, u"\0"s);
    EXPECT_EQ(Get(u"nosuch", u"k", u"d", 100).text, u"d\0"s);
    EXPECT_EQ(Get(u"S", u"k", u"d", 100, "missing.ini").text, u"d\0"s);
    // An empty value is a value: not the default.
    dir.Write("t.ini", "[S]\r\nk=\r\n");
    const Result empty = Get(u"S", u"k", u"d", 100);
    EXPECT_EQ(empty.count, 0u);
    EXPECT_EQ(empty.text, u"\0"s);
}

TEST_F(EmulatedProfileTest, CutsAValueToTheBufferSize) {
    dir.Write("t.ini", "[S]\r\nk=abcdef\r\nlong=" + std::string(3000, 'x') + "\r\n");
    struct Case {
        std::uint32_t size, count;
        String text;
    } cases[] = {
        {0, 0, u""}, {1, 0, u"\0"s}, {4, 3, u"abc\0"s}, {6, 5, u"abcde\0"s}, {7, 6, u"abcdef\0"s},
    };
    for (const auto& c : cases) {
        const Result r = Get(u"S", u"k", u"", c.size);
        EXPECT_EQ(r.count, c.count) << c.size;
        EXPECT_EQ(r.text, c.text) << c.size;
    }
    const Result r = Get(u"S", u"long", u"", 2048);
    EXPECT_EQ(r.count, 2047u);
    EXPECT_EQ(r.text, String(2047, u'x') + u'\0');
    // The default is cut the same way.
    EXPECT_EQ(Get(u"S", u"none", u"defaults", 4).text, u"def\0"s);
}

TEST_F(EmulatedProfileTest, ListsSectionNamesWithTheSizeMinusTwoRule) {
    dir.Write("t.ini", "[section1]\r\n[section2]\r\n[section3]\r\n");
    const String all = u"section1\0section2\0section3\0"s;
    struct Case {
        std::uint32_t size, count;
        String text;
    } cases[] = {
        {100, 27, all + u"\0#"s},
        {29, 27, all + u"\0#"s},
        {28, 26, u"section1\0section2\0section3\0\0"s}, // an exact fit is too small
        {27, 25, u"section1\0section2\0section\0\0"s},
        {3, 1, u"s\0\0"s},
        {2, 0, u"\0\0"s},
        {1, 0, u"\0"s},
        {0, 0, u""},
    };
    for (const auto& c : cases) {
        const Result r = Get(std::nullopt, std::nullopt, std::nullopt, c.size);
        EXPECT_EQ(r.count, c.count) << c.size;
        EXPECT_EQ(r.text, c.text) << c.size;
    }
}

TEST_F(EmulatedProfileTest, ListsNamesInFileOrderWithDuplicates) {
    dir.Write("t.ini", "x=0\r\n [ One ] \r\na=1\r\n;c=2\r\nnoeq\r\n b =\r\nA=3\r\n=4\r\n"
                       "[Two]\r\nx=1\r\n[one]\r\nz=1\r\n");
    EXPECT_EQ(Get(std::nullopt, std::nullopt, std::nullopt, 100).text, u"One\0Two\0one\0\0#"s);
    // Keys of the first copy only, no comments or lines without '='; a default is ignored.
    const Result keys = Get(u"ONE", std::nullopt, u"dflt", 100);
    EXPECT_EQ(keys.text, u"a\0b\0A\0\0\0#"s);
    EXPECT_EQ(keys.count, 7u);
    // Empty lists: one NUL; a missing section gives two, as for an empty value.
    EXPECT_EQ(Get(u"Two", std::nullopt, std::nullopt, 100).text, u"x\0\0#"s);
    EXPECT_EQ(Get(u"Three", std::nullopt, std::nullopt, 100).text, u"\0\0"s);
    EXPECT_EQ(Get(u"Three", std::nullopt, std::nullopt, 100, "missing.ini").text, u"\0\0"s);
    EXPECT_EQ(Get(std::nullopt, std::nullopt, std::nullopt, 100, "missing.ini").text, u"\0#"s);
    dir.Write("t.ini", "[Empty]\r\n");
    EXPECT_EQ(Get(u"Empty", std::nullopt, std::nullopt, 100).text, u"\0#"s);
    dir.Write("t.ini", "");
    EXPECT_EQ(Get(std::nullopt, std::nullopt, std::nullopt, 100).text, u"\0#"s);
}

TEST_F(EmulatedProfileTest, ReadsUtf16AndTheAnsiCodePage) {
    dir.Write("u.ini", Utf16File(u"[S]\r\nk= \u00E9\u4E2D \r\n[\u4E2D\u6587]\nk=x\n"));
    EXPECT_EQ(Value(u"S", u"k", "u.ini"), u"\u00E9\u4E2D");
    EXPECT_EQ(Value(u"\u4E2D\u6587", u"k", "u.ini"), u"x");
    EXPECT_EQ(Get(std::nullopt, std::nullopt, std::nullopt, 100, "u.ini").text,
              u"S\0\u4E2D\u6587\0\0#"s);
    // Code page 936: 中文, and 乚 whose second byte is ']' (0x81 0x5D) inside a header.
    dir.Write("a.ini", "[S]\r\nk=\xD6\xD0\xCE\xC4\r\n[\x81\x5D]\r\nk=\x81\x5D\r\n");
    EXPECT_EQ(Value(u"S", u"k", "a.ini"), u"\u4E2D\u6587");
    EXPECT_EQ(Value(u"\u4E5A", u"k", "a.ini"), u"\u4E5A");
    // Another code page gives other characters for the same bytes: no guessing.
    EmulatedCodePage latin(1252);
    ScopedService<ICodePage> other(latin);
    EXPECT_EQ(Value(u"S", u"k", "a.ini"), u"\u00D6\u00D0\u00CE\u00C4");
}

TEST_F(EmulatedProfileTest, WritesChangeOnlyTheLinesConcerned) {
    struct Case {
        std::string before;
        ProfileArg section, key, value;
        std::string after;
    } cases[] = {
        // An existing key keeps its line's spelling up to the first '=' and its line end.
        {"[S]\r\nkey=v\r\nz=1\r\n", u"s", u"KEY", u"v2", "[S]\r\nkey=v2\r\nz=1\r\n"},
        {"[S]\r\n  Key  =  old  \r\n", u"S", u"Key", u"new", "[S]\r\n  Key  =new\r\n"},
        {"[S]\nk=v\nj=1\n", u"S", u"k", u"w", "[S]\nk=w\nj=1\n"},
        {"[S]\rk=a=b\r", u"S", u"k", u"c", "[S]\rk=c\r"},
        {"[S]\r\nk=v", u"S", u"k", u"w", "[S]\r\nk=w\r\n"},
        {"[S]\r\nk=v\r\n", u"S", u"k", u"", "[S]\r\nk=\r\n"},
        {"[S]\r\nk=1\r\nk=2\r\n", u"S", u"k", u"3", "[S]\r\nk=3\r\nk=2\r\n"},
        // The value as given: no trimming, no quotes; section and key lose their spaces.
        {"", u" T ", u"  k  ", u"  'x'  ", "[T]\r\nk=  'x'  \r\n"},
        // A missing key follows the last key line of the first copy, before comments.
        {"; top\r\n[S]\r\na=1\r\n; note\r\n\r\n[T]\r\n", u"S", u"b", u"2",
         "; top\r\n[S]\r\na=1\r\nb=2\r\n; note\r\n\r\n[T]\r\n"},
        {"[S]\r\n;k=1\r\n", u"S", u"k", u"2", "[S]\r\nk=2\r\n;k=1\r\n"},
        {"[S]\r\na=1\r\n[S]\r\nb=1\r\n", u"S", u"b", u"2", "[S]\r\na=1\r\nb=2\r\n[S]\r\nb=1\r\n"},
        {"[S]", u"S", u"b", u"2", "[S]\r\nb=2\r\n"},
        {"[S]\na=1", u"S", u"b", u"2", "[S]\na=1\r\nb=2\r\n"},
        // A missing section is appended, on a new line when the last has no line end.
        {"x\r\n[S]\r\na=1\r\n\r\n", u"T", u"k", u"v", "x\r\n[S]\r\na=1\r\n\r\n[T]\r\nk=v\r\n"},
        {"[S]\r\na=1", u"T", u"k", u"v", "[S]\r\na=1\r\n[T]\r\nk=v\r\n"},
        {"[S]\na=1\n", u"", u"k", u"v", "[S]\na=1\n[]\r\nk=v\r\n"},
        // NULL value: the key's line goes. NULL key: the header and keys go, comments stay.
        {"[S]\r\na=1\r\nb=2\r\n", u"S", u"A", std::nullopt, "[S]\r\nb=2\r\n"},
        {"[S]\r\na=1\r\nb=2", u"S", u"b", std::nullopt, "[S]\r\na=1\r\n"},
        {"[S]\r\na=1\r\n", u"S", u"x", std::nullopt, "[S]\r\na=1\r\n"},
        {"; c0\r\n[S]\r\na=1\r\n; c1\r\nb=2\r\n[T]\r\nx=1\r\n", u"s", std::nullopt, std::nullopt,
         "; c0\r\n; c1\r\n[T]\r\nx=1\r\n"},
        {"[T]\r\nx=1\r\n[S]\r\na=1", u"S", std::nullopt, std::nullopt, "[T]\r\nx=1\r\n"},
        // A line without '=' is the section's and goes with it; blank lines stay.
        {"[S]\r\na=1\r\nloose\r\n \t\r\n; c\r\n[T]\r\nx=1\r\n", u"S", std::nullopt, std::nullopt,
         " \t\r\n; c\r\n[T]\r\nx=1\r\n"},
        // Code page 936 for an ANSI file.
        {"[S]\r\nk=v\r\n", u"S", u"k", u"\u4E2D\u6587", "[S]\r\nk=\xD6\xD0\xCE\xC4\r\n"},
        {"[S]\r\nk=v\r\n", u"S", u"k", u"\u0E01", "[S]\r\nk=?\r\n"},
    };
    for (const auto& c : cases) {
        dir.Write("t.ini", c.before);
        EXPECT_TRUE(Write(c.section, c.key, c.value)) << testing::PrintToString(c.before);
        EXPECT_EQ(dir.Read("t.ini"), c.after) << testing::PrintToString(c.before);
    }
}

TEST_F(EmulatedProfileTest, KeepsAUtf16FileUtf16) {
    dir.Write("u.ini", Utf16File(u"[S]\r\nk=v\r\n"));
    ASSERT_TRUE(Write(u"S", u"k", u"\u4E2D"));
    ASSERT_TRUE(Write(u"T", u"j", u"\u00E9", "u.ini"));
    ASSERT_TRUE(Write(u"S", u"k", u"\u4E2D", "u.ini"));
    EXPECT_EQ(dir.Read("u.ini"), Utf16File(u"[S]\r\nk=\u4E2D\r\n[T]\r\nj=\u00E9\r\n"));
    EXPECT_EQ(Value(u"T", u"j", "u.ini"), u"\u00E9");
}

TEST_F(EmulatedProfileTest, CreatesAMissingFileAndRefusesWhatCannotBeWritten) {
    ASSERT_TRUE(Write(u"S", u"k", u"v", "new.ini"));
    EXPECT_EQ(dir.Read("new.ini"), "[S]\r\nk=v\r\n");
    // Deleting from a missing file creates nothing.
    EXPECT_TRUE(Write(u"S", u"k", std::nullopt, "none.ini"));
    EXPECT_FALSE(dir.Exists("none.ini"));

    dir.Write("ro.ini", "[S]\r\nk=v\r\n");
    dir.MakeReadOnly("ro.ini");
    EXPECT_FALSE(Write(u"S", u"k", u"w", "ro.ini"));
    EXPECT_EQ(dir.Read("ro.ini"), "[S]\r\nk=v\r\n");

    EXPECT_FALSE(Write(u"S", u"k", u"v", "nofolder/x.ini"));
    std::filesystem::create_directory(dir.Path() / "folder.ini");
    EXPECT_FALSE(Write(u"S", u"k", u"v", "folder.ini"));
    EXPECT_EQ(Value(u"S", u"k", "folder.ini"), u"DEF");
    // A pipe neither blocks nor counts as a file.
    ASSERT_EQ(::mkfifo((dir / "pipe.ini").c_str(), 0666), 0);
    EXPECT_EQ(Value(u"S", u"k", "pipe.ini"), u"DEF");
    EXPECT_FALSE(Write(u"S", u"k", u"v", "pipe.ini"));
}

TEST_F(EmulatedProfileTest, TheFlushReportsFalseAndChangesNothing) {
    dir.Write("t.ini", "[S]\r\nk=v\r\n");
    EXPECT_FALSE(Write(std::nullopt, std::nullopt, std::nullopt));
    EXPECT_FALSE(Write(std::nullopt, std::nullopt, std::nullopt, "missing.ini"));
    EXPECT_EQ(dir.Read("t.ini"), "[S]\r\nk=v\r\n");
    EXPECT_FALSE(dir.Exists("missing.ini"));
}

TEST_F(EmulatedProfileTest, FileNamesWithoutAPathAreInTheSystemFolder) {
    dir.Write("win.ini", "[windows]\r\ndevice=P1,winspool,Ne00:\r\n");
    String buffer(257, u'\0');
    const std::uint32_t n =
        profile.GetProfileStringW(u"windows", u"device", u"", buffer.data(), 257);
    EXPECT_EQ(buffer.substr(0, n), u"P1,winspool,Ne00:");
    ASSERT_TRUE(profile.WriteProfileStringW(u"windows", u"device", u"P2,winspool,Ne01:"));
    EXPECT_EQ(dir.Read("win.ini"), "[windows]\r\ndevice=P2,winspool,Ne01:\r\n");
    EXPECT_EQ(profile.PathOf(u"WIN.INI"), dir / "win.ini");
    EXPECT_EQ(profile.PathOf(u"system.ini"), dir / "system.ini");
    EXPECT_EQ(profile.PathOf(u".\\install.dat"), "./install.dat");
}

TEST_F(EmulatedProfileTest, OddFilesGiveTheDefaultAndNoCrash) {
    const std::string files[] = {
        "",
        "\xFF\xFE",
        "\xFF\xFE[",
        "\xFF",
        "no sections at all\r\nk=v\r\n",
        "[",
        "[S]\r\n=",
        std::string("\0[S]\0k=v\0\r\n", 11),
        "\x81",
        "[S]\r\nk=\x81",
    };
    for (const auto& bytes : files) {
        dir.Write("t.ini", bytes);
        EXPECT_EQ(Value(u"S", u"x"), u"DEF") << testing::PrintToString(bytes);
        EXPECT_TRUE(Write(u"S", u"x", u"1")) << testing::PrintToString(bytes);
        EXPECT_EQ(Value(u"S", u"x"), u"1") << testing::PrintToString(bytes);
    }
}

// Random files made of the characters that matter: whatever the file, a write is read back,
// and no other section's or key's value changes.
TEST(ProfileDocument, WritesAreReadBackAndTouchNothingElseOnRandomFiles) {
    EmulatedCodePage codePage(936);
    const char alphabet[] = {'[', ']', '=', ';',  ' ',    '\t',   '\v', '\r',   '\n',   'a',   'b',
                             'A', 'B', '"', '\'', '\x81', '\x5D', '\0', '\xFF', '\xFE', '\xD6'};
    std::mt19937 random(20240613);
    auto snapshot = [](const ProfileDocument& doc) {
        std::vector<std::pair<String, std::optional<String>>> values;
        for (const auto& section : doc.SectionNames())
            for (const auto& key : doc.KeyNames(section).value_or(StringList{}))
                values.emplace_back(section + u"/" + key, doc.Value(section, key));
        return values;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = (round % 4 == 0) ? "\xFF\xFE" : "";
        const int length = static_cast<int>(random() % 120);
        for (int i = 0; i < length; ++i)
            bytes += alphabet[random() % sizeof alphabet];
        const ProfileDocument doc(bytes, codePage);
        const auto before = snapshot(doc);

        const ProfileDocument written(doc.WithValue(u"a", u"b", u"v1"), codePage);
        ASSERT_EQ(written.Value(u"A", u"B"), String(u"v1")) << testing::PrintToString(bytes);
        const ProfileDocument removedKey(doc.WithoutKey(u"a", u"b"), codePage);
        const ProfileDocument removedSection(doc.WithoutSection(u"a"), codePage);
        for (const auto& [name, value] : before) {
            const auto slash = name.find(u'/');
            const String section = name.substr(0, slash), key = name.substr(slash + 1);
            const bool target = ProfileDocument::SameName(section, u"a");
            if (!target || !ProfileDocument::SameName(key, u"b")) {
                EXPECT_EQ(written.Value(section, key), value) << testing::PrintToString(bytes);
                EXPECT_EQ(removedKey.Value(section, key), value) << testing::PrintToString(bytes);
            }
            if (!target) {
                EXPECT_EQ(removedSection.Value(section, key), value)
                    << testing::PrintToString(bytes);
            }
        }
    }
}

// Found by fuzzing: removing the first section of an ANSI file left a line starting with the
// bytes FF FE at the start of the file, which then read as UTF-16LE with one section.
TEST(ProfileDocument, RemovingASectionKeepsAnAnsiFileAnsi) {
    EmulatedCodePage codePage(936);
    const std::string found(
        "[CONFIG]\r\nC@nfigID=01=OD\x01XM=1\r\xFF\xFE[\0\xFF\xFF\xFF\xF2\xFF\xF7"
        "\0\0\xFD\n\n[mode; cg\n  [ C[\nv=\nCO\x01\0l_M\nNF\x01\0ree\nk= ]O\rPv;\n"
        "co\0\0\0S2",
        98);
    const ProfileDocument doc(found, codePage);
    const ProfileDocument after(doc.WithoutSection(u"CONFIG"), codePage);
    EXPECT_EQ(after.SectionNames(), (StringList{u"mode; cg", u"C["}));
    EXPECT_EQ(after.Value(u"C[", u"v"), String());

    const ProfileDocument small("[S]\r\na=1\r\n\xFF\xFE[x\r\n\r\n[T]\r\nb=2\r\n", codePage);
    EXPECT_EQ(small.WithoutSection(u"S"), "\r\n[T]\r\nb=2\r\n");
}

TEST(EmulatedFiles, MapsWindowsPathsAndReportsWindowsErrors) {
    TempFolder dir;
    dir.Write("f.dat", "bytes");
    std::filesystem::create_directory(dir.Path() / "sub");
    EmulatedFiles files;
    EXPECT_TRUE(files.FileExists(FromUtf8(dir / "f.dat")));
    EXPECT_FALSE(files.FileExists(FromUtf8(dir / "sub")));
    EXPECT_FALSE(files.FileExists(FromUtf8(dir / "none")));

    std::string bytes;
    std::uint32_t error = 99;
    ASSERT_TRUE(files.ReadExclusive(FromUtf8(dir / "f.dat"), bytes, error));
    EXPECT_EQ(bytes, "bytes");
    EXPECT_EQ(error, 0u);
    EXPECT_FALSE(files.ReadExclusive(FromUtf8(dir / "none"), bytes, error));
    EXPECT_EQ(error, 2u); // ERROR_FILE_NOT_FOUND
    EXPECT_FALSE(files.ReadExclusive(FromUtf8(dir / "sub"), bytes, error));
    EXPECT_EQ(error, 5u); // ERROR_ACCESS_DENIED

    CurrentDirectory here(dir.Path());
    EXPECT_TRUE(files.FileExists(u".\\f.dat"));
    EXPECT_EQ(LinuxPathOf(u".\\sub\\x.ini"), "./sub/x.ini");
    EXPECT_EQ(LinuxPathOf(u"Z:\\tmp\\x.ini"), "/tmp/x.ini");
    const std::string real = std::filesystem::canonical(dir.Path()).string();
    EXPECT_EQ(files.FullPath(u".\\sub\\..\\f.dat"), FromUtf8(real + "/f.dat"));
    EXPECT_FALSE(files.ModuleFileName().empty());
}

} // namespace
