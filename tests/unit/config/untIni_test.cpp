#include "config/untIni.h"

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "language/untLanguages.h"
#include "platform/TempFolder.h"
#include "platform/emulated/EmulatedCodePage.h"
#include "platform/emulated/EmulatedFiles.h"
#include "platform/emulated/EmulatedProfile.h"

namespace {

// Passes every call on and notes it: "get", "list <size>", "write", "flush".
class RecordingProfile final : public IProfile {
  public:
    explicit RecordingProfile(IProfile& inner) : inner_(inner) {}
    std::vector<std::string> calls;

    std::uint32_t GetPrivateProfileStringW(const ProfileArg& appName, const ProfileArg& keyName,
                                           const ProfileArg& defaultValue, char16_t* buffer,
                                           std::uint32_t size, const String& fileName) override {
        EXPECT_EQ(fileName, u".\\install.dat");
        calls.push_back(keyName ? "get " + std::to_string(size) : "list " + std::to_string(size));
        return inner_.GetPrivateProfileStringW(appName, keyName, defaultValue, buffer, size,
                                               fileName);
    }
    bool WritePrivateProfileStringW(const ProfileArg& appName, const ProfileArg& keyName,
                                    const ProfileArg& value, const String& fileName) override {
        EXPECT_EQ(fileName, u".\\install.dat");
        calls.push_back(appName ? "write" : "flush");
        return inner_.WritePrivateProfileStringW(appName, keyName, value, fileName);
    }

  private:
    IProfile& inner_;
};

class IniOptionsTest : public ::testing::Test {
  protected:
    TempFolder dir;
    CurrentDirectory here{dir.Path()};
    EmulatedCodePage codePage{936};
    EmulatedFiles files;
    EmulatedProfile emulated{dir / "win.ini"};
    RecordingProfile profile{emulated};
    ScopedService<ICodePage> s1{codePage};
    ScopedService<IFiles> s2{files};
    ScopedService<IProfile> s3{profile};
    TIniOptions ini;
};

TEST_F(IniOptionsTest, LooksUpValuesAsTheProfileFunctionsGiveThem) {
    dir.Write("install.dat", "[CAPTION_CN]\r\nCaption_8=\xD6\xD0\xCE\xC4\r\n"
                             "[CONFIG]\r\nName=a=b\r\nQuoted= \"  x  \" \r\nLong=" +
                                 std::string(3000, 'z') + "\r\n");
    EXPECT_EQ(ini.GetIdentValue(u"CAPTION_CN", u"Caption_8"), u"\u4E2D\u6587");
    EXPECT_EQ(ini.GetIdentValue(u"caption_cn", u"CAPTION_8"), u"\u4E2D\u6587");
    EXPECT_EQ(ini.GetIdentValue(u"CONFIG", u"Name"), u"a=b");
    EXPECT_EQ(ini.GetIdentValue(u"CONFIG", u"Quoted"), u"  x  ");
    EXPECT_EQ(ini.GetIdentValue(u"CONFIG", u"Long"), String(2047, u'z'));
    EXPECT_EQ(ini.GetIdentValue(u"CONFIG", u"Missing"), u"");
    EXPECT_EQ(ini.GetIdentValue(u"NOSECTION", u"Name"), u"");
    // The most recent lookup is remembered.
    EXPECT_EQ(ini.Section(), u"NOSECTION");
    EXPECT_EQ(ini.Ident(), u"Name");
}

TEST_F(IniOptionsTest, AMissingFileReadsAsEmpty) {
    EXPECT_EQ(ini.GetIdentValue(u"CONFIG", u"OEMID"), u"");
    EXPECT_TRUE(ini.GetAllIdentValue(u"model_POS").empty());
    EXPECT_TRUE(ini.GetSectionList().empty());
    EXPECT_FALSE(ini.GetCheckIniFile());
}

TEST_F(IniOptionsTest, EveryOperationFlushesAfterItsOneCall) {
    dir.Write("install.dat", "[CONFIG]\r\nA=1\r\n");
    ini.GetIdentValue(u"CONFIG", u"A");
    ini.SetIdentValue(u"CONFIG", u"A", u"2");
    ini.GetIdentList(u"CONFIG");
    ini.GetSectionList();
    EXPECT_EQ(profile.calls,
              (std::vector<std::string>{"get 2048", "flush", "write", "flush", "list 1024", "flush",
                                        "list 1024", "flush"}));
    // A refused write is flushed too.
    dir.MakeReadOnly("install.dat");
    profile.calls.clear();
    EXPECT_THROW(ini.SetIdentValue(u"CONFIG", u"A", u"3"), EIniFileException);
    EXPECT_EQ(profile.calls, (std::vector<std::string>{"write", "flush"}));
}

TEST_F(IniOptionsTest, LoadSettingsReadsTheRememberedKeyOrNothing) {
    struct Probe : TIniOptions {
        using TIniOptions::FValue;
    } probe;
    dir.Write("install.dat", "[CONFIG]\r\nOEMID=abc\r\n");
    probe.SetSection(u"CONFIG");
    probe.SetIdent(u"OEMID");
    const TIniFile file(u".\\install.dat");
    probe.LoadSettings(&file);
    EXPECT_EQ(probe.FValue, u"abc");
    probe.LoadSettings(nullptr);
    EXPECT_EQ(probe.FValue, u"");
}

TEST_F(IniOptionsTest, ListSectionsGiveTheirNonEmptyValuesInFileOrder) {
    dir.Write("install.dat", "[model_POS]\r\nM1=POS-58\r\nM2=   \r\nM3=\t POS-80\t\r\n; M4=x\r\n"
                             "M5=\r\nM6=a=b\r\nM7=\"\"\r\n[empty]\r\n[other]\r\nX=1\r\n");
    EXPECT_EQ(ini.GetAllIdentValue(u"MODEL_pos"), (StringList{u"POS-58", u"POS-80", u"a=b"}));
    EXPECT_TRUE(ini.GetAllIdentValue(u"empty").empty());
    EXPECT_TRUE(ini.GetAllIdentValue(u"missing").empty());
    EXPECT_EQ(ini.GetIdentList(u"model_POS"),
              (StringList{u"M1", u"M2", u"M3", u"M5", u"M6", u"M7"}));
    EXPECT_EQ(ini.GetSectionList(), (StringList{u"model_POS", u"empty", u"other"}));
    EXPECT_EQ(ini.SectionList(), ini.GetSectionList());
}

TEST_F(IniOptionsTest, LongListsGrowTheBufferFourfold) {
    std::string file = "[many]\r\n";
    StringList expected;
    for (int i = 0; i < 1000; ++i) { // 8000 characters of names
        const std::string key = "Key" + std::to_string(1000 + i);
        file += key + "=v" + std::to_string(i) + "\r\n";
        expected.push_back(FromAscii(key));
    }
    dir.Write("install.dat", file);
    EXPECT_EQ(ini.GetIdentList(u"many"), expected);
    EXPECT_EQ(profile.calls,
              (std::vector<std::string>{"list 1024", "list 4096", "list 16384", "flush"}));
    EXPECT_EQ(ini.GetAllIdentValue(u"many").size(), 1000u);
}

TEST_F(IniOptionsTest, SetIdentValueWritesTheKeyAndKeepsEverythingElse) {
    dir.Write("install.dat", "; kit\r\n[CONFIG]\r\nOEMID=x\r\n\r\n[OEM]\r\nWeb=w\r\n");
    ini.SetIdentValue(u"CONFIG", u"ConfigID", u"");
    ini.SetIdentValue(u"OEM", u"web", u"new");
    ini.SetIdentValue(u"CAPTION_EN", u"CAPTION_1", u"Next");
    EXPECT_EQ(dir.Read("install.dat"),
              "; kit\r\n[CONFIG]\r\nOEMID=x\r\nConfigID=\r\n\r\n[OEM]\r\nWeb=new\r\n"
              "[CAPTION_EN]\r\nCAPTION_1=Next\r\n");
    // An empty value keeps the key: it is listed, with nothing in it.
    ini.SetIdentValue(u"OEM", u"Web", u"");
    EXPECT_EQ(ini.GetIdentList(u"OEM"), StringList{u"Web"});
    EXPECT_EQ(ini.GetIdentValue(u"OEM", u"Web"), u"");
    // Seen by the next lookup.
    ini.SetIdentValue(u"CONFIG", u"OEMID", u"y");
    EXPECT_EQ(ini.GetIdentValue(u"CONFIG", u"OEMID"), u"y");
}

TEST_F(IniOptionsTest, ARefusedWriteNamesTheFileAndChangesNothing) {
    dir.Write("install.dat", "[CONFIG]\r\nConfigID=abc\r\n");
    dir.MakeReadOnly("install.dat");
    try {
        ini.SetIdentValue(u"CONFIG", u"ConfigID", u"");
        FAIL() << "no error";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), u"Unable to write to .\\install.dat");
    }
    EXPECT_EQ(dir.Read("install.dat"), "[CONFIG]\r\nConfigID=abc\r\n");
}

TEST_F(IniOptionsTest, OddSettingsFilesReadAsEmpty) {
    std::filesystem::create_directory(dir.Path() / "install.dat");
    EXPECT_FALSE(ini.GetCheckIniFile());
    EXPECT_EQ(ini.GetIdentValue(u"CONFIG", u"OEMID"), u"");
    EXPECT_TRUE(ini.GetSectionList().empty());
    EXPECT_THROW(ini.SetIdentValue(u"CONFIG", u"OEMID", u"x"), EIniFileException);
    std::filesystem::remove(dir.Path() / "install.dat");

    for (const std::string& bytes : {std::string(), std::string("OEMID=x\r\nno sections\r\n"),
                                     std::string("\x00\x01\xFF\xFE\x81[\x00=\r", 9)}) {
        dir.Write("install.dat", bytes);
        EXPECT_TRUE(ini.GetCheckIniFile());
        EXPECT_EQ(ini.GetIdentValue(u"CONFIG", u"OEMID"), u"");
        EXPECT_TRUE(ini.GetAllIdentValue(u"CONFIG").empty());
        EXPECT_TRUE(ini.GetSectionList().empty());
    }
}

TEST_F(IniOptionsTest, NamesFollowTheDisplayLanguage) {
    const TOSLanguage saved = OSLanguage;
    OSLanguage = TOSLanguage::CN;
    EXPECT_EQ(ini.OSCaption(), u"CAPTION_CN");
    EXPECT_EQ(ini.OSMessage(), u"MESSAGE_CN");
    EXPECT_EQ(ini.Logo(), u"CompanyLogoCN");
    OSLanguage = TOSLanguage::EN;
    EXPECT_EQ(ini.GetCaptionLanguage(), u"CAPTION_EN");
    EXPECT_EQ(ini.GetMessageLanguage(), u"MESSAGE_EN");
    EXPECT_EQ(ini.GetCompanyLOGO(), u"CompanyLogoEN");
    EXPECT_EQ(ini.FileName(), u".\\install.dat");
    OSLanguage = saved;
}

TEST(IniOptions, TheInstanceStartsAtConfigOemid) {
    CreateIniOptions();
    ASSERT_NE(IniOptions, nullptr);
    EXPECT_EQ(IniOptions->Section(), u"CONFIG");
    EXPECT_EQ(IniOptions->Ident(), u"OEMID");
    FreeIniOptions();
    EXPECT_EQ(IniOptions, nullptr);
}

} // namespace
