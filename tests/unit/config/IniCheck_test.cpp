#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "config/ConfigSeal.h"
#include "config/untIni.h"
#include "digest/ScriptedFiles.h"
#include "fakes/FakeSystem.h"
#include "platform/Profile.h"

namespace {

// Profile functions over the scripted files' bytes; records every write.
class RecordingProfile final : public IProfile {
public:
    explicit RecordingProfile(ScriptedFiles& files) : files_(files) {}
    struct Write {
        ProfileArg section, key, value;
        String file;
    };
    std::vector<Write> writes;

    std::uint32_t GetPrivateProfileStringW(const ProfileArg& appName, const ProfileArg& keyName,
                                           const ProfileArg& defaultValue, char16_t* out,
                                           std::uint32_t size, const String& fileName) override {
        if (!appName || !keyName || size == 0) return 0; // listings are not used here
        auto it = files_.files.find(fileName);
        std::optional<String> value;
        if (it != files_.files.end()) value = ReadProfileValue(it->second, *appName, *keyName);
        const String text = value.value_or(defaultValue.value_or(String()));
        const std::uint32_t n = std::min<std::uint32_t>(static_cast<std::uint32_t>(text.size()), size - 1);
        std::copy(text.begin(), text.begin() + n, out);
        out[n] = u'\0';
        return n;
    }
    bool WritePrivateProfileStringW(const ProfileArg& appName, const ProfileArg& keyName,
                                    const ProfileArg& value, const String& fileName) override {
        writes.push_back({appName, keyName, value, fileName});
        return appName.has_value();
    }
    // Writes other than the cache flush (all three arguments NULL).
    std::size_t ChangingWrites() const {
        return static_cast<std::size_t>(std::count_if(writes.begin(), writes.end(), [](const Write& w) {
            return w.section || w.key || w.value;
        }));
    }

private:
    ScriptedFiles& files_;
};

struct CheckFixture {
    FakeSystem sys;
    ScriptedFiles files;
    RecordingProfile profile{files};
    ScopedService<IFiles> f{files};
    ScopedService<IProfile> p{profile};
    TIniOptions options;
    std::string& file = files.files[u".\\install.dat"];

    // What the start-up compares: the stored value as read, and the computed one.
    bool Accepted() {
        const String stored = options.GetIdentValue(u"CONFIG", u"ConfigID");
        return stored == options.CheckID();
    }
};

const std::string kSettings = "[CONFIG]\r\nOEMID=ODAX-01\r\nConfigID=\r\nSoftVer=1\r\n"
                              "[CAPTION_EN]\r\nCAPTION_8=Notice\r\n";

} // namespace

TEST(GetCheckIniMD5ID, AcceptsASealedFileWithoutWritingIt) {
    CheckFixture fx;
    fx.file = SealConfigID(kSettings, u"ODAX-01");
    const std::string before = fx.file;
    EXPECT_TRUE(fx.Accepted());
    EXPECT_EQ(fx.options.CheckID(), StoredConfigID(fx.file));
    EXPECT_EQ(fx.file, before);
    EXPECT_EQ(fx.profile.ChangingWrites(), 0u);
    // The OEMID is read through the settings object, which keeps the last lookup.
    EXPECT_EQ(fx.options.Section(), u"CONFIG");
    EXPECT_EQ(fx.options.Ident(), u"OEMID");
}

TEST(GetCheckIniMD5ID, RefusesAnEditedFile) {
    CheckFixture fx;
    fx.file = SealConfigID(kSettings, u"ODAX-01");
    fx.file.replace(fx.file.find("Notice"), 6, "Notica");
    EXPECT_FALSE(fx.Accepted());
    fx.file = SealConfigID(kSettings, u"ODAX-01");
    fx.file.replace(fx.file.find("ODAX-01"), 7, "ODAX-02");
    EXPECT_FALSE(fx.Accepted());
}

TEST(GetCheckIniMD5ID, AFileWithoutTheKeyIsRefusedAndLeftAlone) {
    for (const std::string& settings :
         {std::string("[CONFIG]\r\nOEMID=ODAX-01\r\n"), std::string("[OEM]\r\nWeb=x\r\n"), std::string()}) {
        CheckFixture fx;
        fx.file = settings;
        const String computed = fx.options.CheckID();
        // The stored value reads as empty; the computed one holds a line break, which no
        // profile read can return.
        EXPECT_EQ(fx.options.GetIdentValue(u"CONFIG", u"ConfigID"), u"");
        EXPECT_NE(computed.find(u'\n'), String::npos);
        EXPECT_FALSE(fx.Accepted());
        EXPECT_EQ(fx.file, settings);
        EXPECT_EQ(fx.profile.ChangingWrites(), 0u);
    }
}

TEST(GetCheckIniMD5ID, AFileHeldOpenRaisesTheOpenErrorAndKeepsItsValue) {
    CheckFixture fx;
    fx.sys.processes.texts[ScriptedFiles::kSharingViolation] =
        u"The process cannot access the file because it is being used by another process.\r\n";
    fx.file = SealConfigID(kSettings, u"ODAX-01");
    const std::string before = fx.file;
    fx.files.heldOpen.insert(u".\\install.dat");
    try {
        fx.options.CheckID();
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), u"Cannot open file \"C:\\kit\\install.dat\". The process cannot access "
                               u"the file because it is being used by another process");
    }
    EXPECT_EQ(fx.file, before);
    EXPECT_EQ(fx.profile.ChangingWrites(), 0u);
}
