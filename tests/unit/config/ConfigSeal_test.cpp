#include "config/ConfigSeal.h"

#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <optional>
#include <string>

#include "digest/untMD5.h"
#include "fakes/FakeSystem.h"

namespace {

std::string Utf16(const std::u16string& text, bool bom = true) {
    std::string out = bom ? std::string("\xFF\xFE") : std::string();
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

std::string HexMD5(const std::string& bytes) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    EVP_Digest(bytes.data(), bytes.size(), out, &len, EVP_md5(), nullptr);
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned i = 0; i < len; ++i) {
        hex += digits[out[i] >> 4];
        hex += digits[out[i] & 15];
    }
    return hex;
}

// A kit file in the usual shape: text before [CONFIG], captions with Chinese (code page 936)
// in both sections, a blank line and a comment.
const std::string kKit = "; ODAX kit\r\n"
                         "[CONFIG]\r\n"
                         "OEMID=ODAX-01\r\n"
                         "ConfigID=\r\n"
                         "SoftVer=2.1\r\n"
                         "\r\n"
                         "[CAPTION_CN]\r\n"
                         "CAPTION_8=\xCC\xE1\xCA\xBE\r\n" // 提示
                         "[CAPTION_EN]\r\n"
                         "CAPTION_8=Notice\r\n";

bool Passes(const std::string& file, const String& oemid) {
    const std::optional<String> computed = ComputeConfigID(file, oemid);
    const std::optional<String> stored = StoredConfigID(file);
    return computed && stored && *computed == *stored;
}

} // namespace

TEST(ConfigSeal, ValueIsTheSaltedDigestOfTheBlankedBytes) {
    FakeSystem sys; // code page 936
    // Computed by hand: MD5 of the bytes with the value removed, then the salted text digest.
    // The OEMID's Chinese characters are cut as MD5String cuts them: 4 characters, 4 bytes.
    const std::string file = "[CONFIG]\r\nOEMID= \xB0\xA2\xC0\xAD-1 \r\nConfigID=0123\r\n";
    const std::string blanked = "[CONFIG]\r\nOEMID= \xB0\xA2\xC0\xAD-1 \r\nConfigID=\r\n";
    const String oemid = u" 阿拉-1 ";
    // 42 characters, 44 bytes in code page 936: the last two bytes are not digested.
    const std::string joinedAnsi = "\xB0\xA2\xC0\xAD-1" + HexMD5(blanked) + "Dornel";
    const std::string expectedUpper = HexMD5(joinedAnsi.substr(0, 42));
    EXPECT_EQ(ComputeConfigID(file, oemid), LowerCase(FromAscii(expectedUpper)));
}

TEST(ConfigSeal, SealedFilePassesAndDiffersOnlyInTheValue) {
    FakeSystem sys;
    const std::string sealed = SealConfigID(kKit, u"ODAX-01");
    EXPECT_TRUE(Passes(sealed, u"ODAX-01"));
    const std::optional<String> value = StoredConfigID(sealed);
    ASSERT_TRUE(value);
    ASSERT_EQ(value->size(), 32u);
    EXPECT_EQ(*value, LowerCase(*value));
    const std::size_t at = sealed.find("ConfigID=") + 9;
    EXPECT_EQ(sealed.substr(0, at) + sealed.substr(at + 32), kKit);
    // Sealing again changes nothing.
    EXPECT_EQ(SealConfigID(sealed, u"ODAX-01"), sealed);
}

TEST(ConfigSeal, EveryChangeOutsideTheValueFails) {
    FakeSystem sys;
    const std::string sealed = SealConfigID(kKit, u"ODAX-01");
    const std::size_t valueBegin = sealed.find("ConfigID=") + 9;
    const std::size_t valueEnd = valueBegin + 32;
    for (std::size_t i = 0; i < sealed.size(); ++i) {
        if (i >= valueBegin && i < valueEnd) continue;
        std::string replaced = sealed;
        replaced[i] = replaced[i] == 'x' ? 'y' : 'x';
        EXPECT_FALSE(Passes(replaced, u"ODAX-01")) << "byte " << i << " replaced";
        std::string removed = sealed;
        removed.erase(i, 1);
        EXPECT_FALSE(Passes(removed, u"ODAX-01")) << "byte " << i << " removed";
        if (i == valueEnd) continue; // a blank after the value is not part of it
        std::string inserted = sealed;
        inserted.insert(i, 1, ' ');
        EXPECT_FALSE(Passes(inserted, u"ODAX-01")) << "blank inserted at " << i;
    }
    // A blank line more or less.
    std::string extraLine = sealed;
    extraLine.insert(extraLine.find("[CAPTION_CN]"), "\r\n");
    EXPECT_FALSE(Passes(extraLine, u"ODAX-01"));
    std::string lessLine = sealed;
    lessLine.erase(lessLine.find("\r\n\r\n"), 2);
    EXPECT_FALSE(Passes(lessLine, u"ODAX-01"));
}

TEST(ConfigSeal, StoredValueIsReadAsTheProfileFunctionsReadIt) {
    FakeSystem sys;
    const std::string sealed = SealConfigID(kKit, u"ODAX-01");
    const std::size_t at = sealed.find("ConfigID=") + 9;
    const std::string value = sealed.substr(at, 32);
    auto withValue = [&](const std::string& stored) {
        return sealed.substr(0, at) + stored + sealed.substr(at + 32);
    };
    std::string upper = value;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const struct {
        std::string stored;
        bool passes;
    } cases[] = {
        {value, true},
        {"  " + value + " \t", true},   // blanks at both ends are not part of the value
        {"\"" + value + "\"", true},     // nor is one pair of enclosing quotes
        {"'" + value + "'", true},
        {upper, false},                  // the comparison keeps letter case
        {"\"" + value + "'", false},     // quotes that do not pair stay
        {value + "0", false},
        {value.substr(1), false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(Passes(withValue(c.stored), u"ODAX-01"), c.passes) << c.stored;
}

TEST(ConfigSeal, AnotherOemidFails) {
    FakeSystem sys;
    const std::string sealed = SealConfigID(kKit, u"ODAX-01");
    EXPECT_FALSE(Passes(sealed, u"ODAX-02"));
    // Blanks around the OEMID do not count.
    EXPECT_TRUE(Passes(sealed, u"  ODAX-01\t"));
    std::string edited = sealed;
    edited.replace(edited.find("ODAX-01"), 7, "ODAX-02");
    EXPECT_FALSE(Passes(edited, u"ODAX-02"));
}

TEST(ConfigSeal, FindsTheKeyAsTheProfileFunctionsDo) {
    FakeSystem sys;
    const struct {
        const char* name;
        std::string file;
        std::optional<std::string> blanked; // nullopt: refused
    } cases[] = {
        {"first key", "[CONFIG]\r\nConfigID=abc\r\nOEMID=1\r\n", "[CONFIG]\r\nConfigID=\r\nOEMID=1\r\n"},
        {"middle key", "[CONFIG]\r\nA=1\r\nConfigID=abc\r\nB=2\r\n", "[CONFIG]\r\nA=1\r\nConfigID=\r\nB=2\r\n"},
        {"last line without a line end gets CR LF", "[CONFIG]\r\nA=1\r\nConfigID=abc",
         "[CONFIG]\r\nA=1\r\nConfigID=\r\n"},
        {"LF line ends", "[CONFIG]\nConfigID=abc\nA=1\n", "[CONFIG]\nConfigID=\nA=1\n"},
        {"CR line ends", "[CONFIG]\rConfigID=abc\rA=1\r", "[CONFIG]\rConfigID=\rA=1\r"},
        {"names in any case, blanks around them", "  [ config ]\r\n\t configid \t= abc \r\n",
         "  [ config ]\r\n\t configid \t=\r\n"},
        {"everything after the first '='", "[CONFIG]\r\nConfigID=a=b ; c\r\n", "[CONFIG]\r\nConfigID=\r\n"},
        {"first of duplicate keys", "[CONFIG]\r\nConfigID=1\r\nConfigID=2\r\n",
         "[CONFIG]\r\nConfigID=\r\nConfigID=2\r\n"},
        {"comment lines are not keys", "[CONFIG]\r\n;ConfigID=1\r\n ; x\r\nConfigID=2\r\n",
         "[CONFIG]\r\n;ConfigID=1\r\n ; x\r\nConfigID=\r\n"},
        {"header with trailing text, missing bracket", "[CONFIG\r\nConfigID=1\r\n", "[CONFIG\r\nConfigID=\r\n"},
        {"text after ']' is no key", "[CONFIG]ConfigID=1\r\n", std::nullopt},
        {"only the first copy of a section", "[CONFIG]\r\nA=1\r\n[X]\r\n[CONFIG]\r\nConfigID=1\r\n", std::nullopt},
        {"before any section", "ConfigID=1\r\n[CONFIG]\r\nA=1\r\n", std::nullopt},
        {"another section", "[CONFIGS]\r\nConfigID=1\r\n[OEM]\r\nConfigID=1\r\n", std::nullopt},
        {"a line without '='", "[CONFIG]\r\nConfigID\r\n", std::nullopt},
        {"no [CONFIG]", "OEMID=1\r\n", std::nullopt},
        {"empty file", "", std::nullopt},
        {"only the value goes, Chinese bytes around stay",
         "[\xC5\xE4\xD6\xC3]\r\nA=\xD6\xD0\r\n[CONFIG]\r\nConfigID=\xD6\xD0\r\nB=\xCE\xC4",
         "[\xC5\xE4\xD6\xC3]\r\nA=\xD6\xD0\r\n[CONFIG]\r\nConfigID=\r\nB=\xCE\xC4"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BlankConfigID(c.file), c.blanked) << c.name;
        EXPECT_EQ(ComputeConfigID(c.file, u"X").has_value(), c.blanked.has_value()) << c.name;
    }
}

TEST(ConfigSeal, SealingAddsAMissingKeyOrSectionLikeTheProfileWriter) {
    FakeSystem sys;
    const struct {
        const char* name;
        std::string file;
        std::string withEmptyKey; // the sealed file with its value removed
    } cases[] = {
        {"after the last key line, before comments and blank lines",
         "[CONFIG]\r\nA=1\r\nB=2\r\n; note\r\n\r\n[OEM]\r\nW=1\r\n",
         "[CONFIG]\r\nA=1\r\nB=2\r\nConfigID=\r\n; note\r\n\r\n[OEM]\r\nW=1\r\n"},
        {"directly after a header without keys", "[CONFIG]\r\n[OEM]\r\n",
         "[CONFIG]\r\nConfigID=\r\n[OEM]\r\n"},
        {"a last key line without a line end", "[CONFIG]\nA=1", "[CONFIG]\nA=1\r\nConfigID=\r\n"},
        {"section appended", "[OEM]\r\nW=1\r\n", "[OEM]\r\nW=1\r\n[CONFIG]\r\nConfigID=\r\n"},
        {"section appended after a line end", "[OEM]\nW=1", "[OEM]\nW=1\r\n[CONFIG]\r\nConfigID=\r\n"},
        {"empty file", "", "[CONFIG]\r\nConfigID=\r\n"},
    };
    for (const auto& c : cases) {
        const std::string sealed = SealConfigID(c.file, u"");
        EXPECT_TRUE(Passes(sealed, u"")) << c.name;
        const std::size_t at = sealed.find("ConfigID=") + 9;
        EXPECT_EQ(sealed.substr(0, at) + sealed.substr(at + 32), c.withEmptyKey) << c.name;
    }
}

TEST(ConfigSeal, Utf16FilesAreReadAndWrittenAsUtf16) {
    FakeSystem sys;
    const std::string file = Utf16(u"[配置]\r\nA=中\r\n[CONFIG]\r\nOEMID=阿\r\nConfigID=\r\nB=1\r\n");
    EXPECT_EQ(BlankConfigID(Utf16(u"[CONFIG]\r\nConfigID= x\r\n")), Utf16(u"[CONFIG]\r\nConfigID=\r\n"));

    const std::string sealed = SealConfigID(file, u"阿");
    EXPECT_TRUE(Passes(sealed, u"阿"));
    const std::optional<String> value = StoredConfigID(sealed);
    ASSERT_TRUE(value);
    EXPECT_EQ(sealed, Utf16(u"[配置]\r\nA=中\r\n[CONFIG]\r\nOEMID=阿\r\nConfigID=" + *value + u"\r\nB=1\r\n"));
    // The same text without the mark is another file with another value.
    EXPECT_NE(ComputeConfigID(file, u"阿"), ComputeConfigID(file.substr(2), u"阿"));

    // A missing key is added in UTF-16 too.
    const std::string added = SealConfigID(Utf16(u"[CONFIG]\r\nA=1"), u"");
    EXPECT_EQ(added, Utf16(u"[CONFIG]\r\nA=1\r\nConfigID=" + StoredConfigID(added).value() + u"\r\n"));
}

TEST(ConfigSeal, ReadsValuesWithTheAnsiCodePage) {
    FakeSystem sys;
    const std::string file = "[CONFIG]\r\nOEMID = \"\xB0\xA2 \" \r\n";
    EXPECT_EQ(ReadProfileValue(file, u"config", u" OEMID "), String(u"阿 "));
    EXPECT_EQ(ReadProfileValue(file, u"CONFIG", u"Missing"), std::nullopt);
}

TEST(ConfigSeal, LocatesSectionsAndNumbersLines) {
    FakeSystem sys;
    const struct {
        std::string file;
        std::size_t sectionLine; // 0: no [CONFIG]
        std::size_t keyLine;     // 0: no ConfigID
    } cases[] = {
        {"a=1\r\n\r\n [config]\r\nX=1\r\nConfigID=2\r\n", 3, 5},
        {"\n\r\r\n[CONFIG]\rConfigID=\n", 4, 5}, // LF, CR and CR LF each end one line
        {Utf16(u"\r\n[CONFIG]\r\nConfigID=1"), 2, 3},
        {"[OEM]\r\nConfigID=1\r\n", 0, 0},
        {"[CONFIG]\r\n[CONFIG]\r\nConfigID=1\r\n", 1, 0},
    };
    for (const auto& c : cases) {
        const std::optional<std::size_t> section = FindProfileSection(c.file, u"CONFIG");
        EXPECT_EQ(section ? ProfileLineNumber(c.file, *section) : 0u, c.sectionLine) << c.file;
        const std::optional<ProfileKeyLocation> key = FindProfileKey(c.file, u"CONFIG", u"ConfigID");
        EXPECT_EQ(key ? ProfileLineNumber(c.file, key->valueBegin) : 0u, c.keyLine) << c.file;
    }
}
