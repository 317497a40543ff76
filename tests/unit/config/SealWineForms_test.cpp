// Settings files in forms the real profile writer under Wine 8.0 rewrites as a whole (blank
// lines dropped, LF made CR LF, blanks trimmed around '=' and before comments), so the
// differential test under Wine cannot compare them: here they are held to the Windows rule that
// blanking ConfigID removes its value and changes no other byte. The same forms are listed in
// tests/e2e/test_seal_diff.py.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "config/ConfigSeal.h"
#include "fakes/FakeSystem.h"

TEST(SealWineForms, BlankingRemovesOnlyTheValue) {
    FakeSystem sys;
    const struct {
        const char* name;
        std::string file, valueOnly;
    } cases[] = {
        {"blank lines", "[CONFIG]\r\nOEMID=A\r\n\r\nConfigID=abc\r\n\r\n[OEM]\r\nName=\xD6\xD0\r\n",
         "[CONFIG]\r\nOEMID=A\r\n\r\nConfigID=\r\n\r\n[OEM]\r\nName=\xD6\xD0\r\n"},
        {"indented comments, blanks around '=' in them",
         "  ; \xC9\xE8\xD6\xC3\r\n[CONFIG]\r\n\t;ConfigID = old\r\nConfigID=abc\r\n; x = "
         "y\r\n[OEM]\r\n",
         "  ; \xC9\xE8\xD6\xC3\r\n[CONFIG]\r\n\t;ConfigID = old\r\nConfigID=\r\n; x = "
         "y\r\n[OEM]\r\n"},
        {"LF line ends", "[CONFIG]\nOEMID=A\nConfigID=abc\n[OEM]\nName=\xD6\xD0\n",
         "[CONFIG]\nOEMID=A\nConfigID=\n[OEM]\nName=\xD6\xD0\n"},
        {"blanks around '='", "[CONFIG]\r\nOEMID = A\r\nConfigID = abc \r\n[OEM]\r\n",
         "[CONFIG]\r\nOEMID = A\r\nConfigID =\r\n[OEM]\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BlankConfigID(c.file), c.valueOnly) << c.name;
        // Sealed, the file verifies and differs from the original in the value only.
        const std::string sealed = SealConfigID(c.file, u"A");
        const std::optional<String> stored = StoredConfigID(sealed);
        ASSERT_TRUE(stored) << c.name;
        EXPECT_EQ(ComputeConfigID(sealed, u"A"), stored) << c.name;
        EXPECT_EQ(BlankConfigID(sealed), c.valueOnly) << c.name;
    }
}
