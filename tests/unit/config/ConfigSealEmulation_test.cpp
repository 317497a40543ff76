// The integrity value is only right if the bytes it covers are exactly what the profile
// writer leaves: the seal's locator and writer are compared with the profile emulation's
// on many generated files.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "config/ConfigSeal.h"
#include "fakes/FakeSystem.h"
#include "platform/emulated/ProfileDocument.h"

namespace {

const char* const kLines[] = {
    "[CONFIG]", "[ config ]", "[CONFIG", "[CONFIG]ConfigID=1", "[OEM]", "[CONFIGS]", "\t[Config] x",
    "[\xD6\xD0]", "ConfigID=abc", " configid \t= x y ", "ConfigID", "ConfigID=", ";ConfigID=1",
    " ; c", "OEMID=\xB0\xA2", "A=b=c", "\xD6\xD0=1", "ConfigID=\"q\"", "CONFIGID='\xCE\xC4 '",
    "ConfigID = \"", "", "   ", "=v", "#ConfigID=2", "Config ID=3",
};
const char* const kEnds[] = {"\r\n", "\n", "\r", "\r\r\n"};

std::string Generate(std::mt19937& rng, ICodePage& cp) {
    std::uniform_int_distribution<std::size_t> line(0, std::size(kLines) - 1);
    std::uniform_int_distribution<std::size_t> end(0, std::size(kEnds) - 1);
    std::uniform_int_distribution<int> count(0, 9);
    std::string ansi;
    const int n = count(rng);
    for (int i = 0; i < n; ++i) {
        ansi += kLines[line(rng)];
        if (i + 1 < n || rng() % 3 != 0) ansi += kEnds[end(rng)];
    }
    if (rng() % 3 != 0) return ansi;
    std::string wide = "\xFF\xFE";
    for (char16_t c : cp.FromAnsi(ansi)) {
        wide += static_cast<char>(c & 0xFF);
        wide += static_cast<char>(c >> 8);
    }
    if (rng() % 8 == 0) wide += 'x'; // an odd last byte
    return wide;
}

} // namespace

TEST(ConfigSealAgainstProfileEmulation, SameKeySameValueSameWrites) {
    FakeSystem sys; // code page 936
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        const std::string file = Generate(rng, sys.codePage);
        const ProfileDocument doc(file, sys.codePage);
        const std::string shown = ::testing::PrintToString(file);
        for (const char16_t* key : {u"ConfigID", u"OEMID"}) {
            ASSERT_EQ(ReadProfileValue(file, u"CONFIG", key), doc.Value(u"CONFIG", key))
                << ToUtf8(key) << " in " << shown;
            ASSERT_EQ(WriteProfileValue(file, u"CONFIG", key, u"v1"), doc.WithValue(u"CONFIG", key, u"v1"))
                << ToUtf8(key) << " in " << shown;
        }
        const std::optional<std::string> blanked = BlankConfigID(file);
        ASSERT_EQ(blanked.has_value(), doc.Value(u"CONFIG", u"ConfigID").has_value()) << shown;
        if (blanked) {
            ASSERT_EQ(*blanked, doc.WithValue(u"CONFIG", u"ConfigID", u"")) << shown;
        }
    }
}
