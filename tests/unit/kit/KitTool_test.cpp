#include "kit-tool/KitTool.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <unistd.h>

#include "config/CaptionKeys.h"
#include "config/ConfigSeal.h"
#include "config/untIni.h"
#include "kit-tool/KitCommands.h"
#include "language/untLanguages.h"
#include "platform/emulated/EmulatedCodePage.h"
#include "platform/emulated/EmulatedProfile.h"
#include "session/CommandLine.h"
#include "kit/KitFixture.h"

namespace fs = std::filesystem;
using namespace kittest;

TEST(KitArguments, ParsesCommandsAndRefusesWrongLines) {
    const kit::Command lint = kit::ParseArguments({u"--codepage", u"1252", u"lint", u"kit"});
    EXPECT_EQ(lint.verb, u"lint");
    EXPECT_EQ(lint.target, u"kit");
    EXPECT_EQ(lint.codePage, 1252u);
    EXPECT_EQ(kit::ParseArguments({u"seal", u"--codepage=936", u"k"}).codePage, 936u);
    EXPECT_EQ(kit::ParseArguments({u"verify", u"x"}).codePage, std::nullopt);
    EXPECT_EQ(kit::ParseArguments({u"seal", u"--help"}).verb, u"help");
    EXPECT_EQ(kit::ParseArguments({u"help"}).verb, u"help");
    // After deploy's kit, the words are the wizard's own switches, '-' forms too.
    const kit::Command deploy = kit::ParseArguments(
        {u"deploy", u"--json", u"kit", u"/quiet", u"-connection", u"usb", u"--codepage", u"936"});
    EXPECT_EQ(deploy.verb, u"deploy");
    EXPECT_EQ(deploy.target, u"kit");
    EXPECT_TRUE(deploy.json);
    EXPECT_EQ(deploy.codePage, 936u);
    EXPECT_EQ(deploy.wizardArgs, (StringList{u"/quiet", u"-connection", u"usb"}));

    const StringList wrong[] = {
        {},
        {u"seal"},
        {u"seal", u"a", u"b"},
        {u"pack", u"a"},
        {u"--codepage"},
        {u"--codepage", u"x", u"seal", u"a"},
        {u"--codepage=0", u"seal", u"a"},
        {u"-q", u"seal", u"a"},
        {u"--json", u"lint", u"a"},
        {u"deploy"},
        {u"lint", u"a", u"/quiet"},
    };
    for (const StringList& args : wrong) EXPECT_THROW(kit::ParseArguments(args), kit::UsageError);
}

TEST_F(KitFixture, SealWritesOnlyTheValueAndVerifyAccepts) {
    const std::string before = Read(settings_);
    kit::Result refused = RunArgs({u"verify", Target()});
    EXPECT_EQ(refused.exitCode, kit::kFindings);

    kit::Result sealed = RunArgs({u"seal", Target()});
    ASSERT_EQ(sealed.exitCode, kit::kOk) << (sealed.err.empty() ? "" : ToUtf8(sealed.err[0]));
    const std::string after = Read(settings_);
    const std::optional<String> value = StoredConfigID(after);
    ASSERT_TRUE(value);
    const std::size_t at = after.find("ConfigID=") + 9;
    EXPECT_EQ(after.substr(0, at) + after.substr(at + 32), before);
    EXPECT_EQ(sealed.out, StringList{u"sealed " + Shown() + u": ConfigID=" + *value});

    const kit::Result accepted = RunArgs({u"verify", kit::TextOf(settings_)});
    EXPECT_EQ(accepted.exitCode, kit::kOk);
    // Sealing again leaves the file alone.
    EXPECT_EQ(RunArgs({u"seal", Target()}).exitCode, kit::kOk);
    EXPECT_EQ(Read(settings_), after);
    EXPECT_FALSE(fs::exists(root_ / "install.dat.odax-kit.tmp"));
}

TEST_F(KitFixture, SealRefusesWhatIsNoSettingsFileAndLeavesItAlone) {
    std::mt19937 random(14);
    std::string noise(100 * 1024, '\0');
    for (char& c : noise)
        c = static_cast<char>(random() & 0xFF);
    const std::string bom = "\xFF\xFE";
    auto utf16 = [&bom](const std::u16string& text) { return bom + ToUtf16Le(text); };
    const struct {
        std::string bytes;
        const char16_t* reason;
    } cases[] = {
        {noise, nullptr}, // some NUL byte of the noise: the reason names its place
        {"[CONFIG]\r\nOEMID=1\r\n" + std::string(2, '\0'),
         u"it holds a NUL byte at byte 19: it is no text file"},
        {"just some text\r\nkey=value\r\n",
         u"it has no section (no line starting with '['): it is no settings file"},
        {"", u"it has no section (no line starting with '['): it is no settings file"},
        {utf16(u"[CONFIG]\r\n") + "x",
         u"it starts as UTF-16 (FF FE) but has an odd number of bytes"},
        {utf16(u"[CONFIG]\r\nk=\xD800x\r\n"),
         u"it is no valid UTF-16: a lone surrogate at byte 26"},
        {utf16(u"[CONFIG]\r\nk=\xDC00\r\n"), u"it is no valid UTF-16: a lone surrogate at byte 26"},
        {utf16(std::u16string(u"[CONFIG]\r\nk=") + u'\0'), u"it holds a NUL character at byte 26"},
        {utf16(u"key=value only\r\n"),
         u"it has no section (no line starting with '['): it is no settings file"},
    };
    for (const auto& c : cases) {
        Write(settings_, c.bytes);
        const kit::Result result = RunArgs({u"seal", Target()});
        EXPECT_EQ(result.exitCode, kit::kFindings);
        ASSERT_EQ(result.out.size(), 1u);
        const String prefix = Shown() + u": not sealed, the file is left as it was: ";
        EXPECT_EQ(result.out[0].substr(0, prefix.size()), prefix);
        if (c.reason)
            EXPECT_EQ(result.out[0].substr(prefix.size()), c.reason);
        else
            EXPECT_EQ(result.out[0].substr(prefix.size(), 22), u"it holds a NUL byte at");
        EXPECT_EQ(Read(settings_), c.bytes);
    }
    // What the wizard reads is no reason for a refusal: a surrogate pair, a '[' after blanks.
    for (const std::string& good : {utf16(u"[CONFIG]\r\nOEMID=1\r\nNote=\xD83D\xDE00\r\n"),
                                    std::string(" \t[CONFIG]\r\nOEMID=1\r\n")}) {
        Write(settings_, good);
        const kit::Result sealed = RunArgs({u"seal", Target()});
        EXPECT_EQ(sealed.exitCode, kit::kOk) << (sealed.out.empty() ? "" : ToUtf8(sealed.out[0]));
    }
}

TEST_F(KitFixture, ConvertRewritesAnAnsiFileAsUtf16WithTheSameTextsSealedAfresh) {
    // Chinese in code page 936 ("中文"), which only a system with that code page decodes.
    Replace("Caption_1=text 1\r\n", "Caption_1=\xD6\xD0\xCE\xC4\r\n");
    auto everything = [this] {
        std::vector<std::pair<String, String>> all;
        const TIniFile ini(kit::TextOf(settings_));
        for (const String& section : ini.ReadSections())
            for (const String& key : ini.ReadSection(section))
                all.emplace_back(section + u"/" + key, ini.ReadString(section, key, u"?"));
        return all;
    };
    ASSERT_EQ(RunArgs({u"seal", Target()}).exitCode, kit::kOk);
    const std::string sealedAnsi = Read(settings_);
    auto before = everything();
    const kit::Result converted = RunArgs({u"convert", Target()});
    ASSERT_EQ(converted.exitCode, kit::kOk)
        << (converted.out.empty() ? "" : ToUtf8(converted.out[0]));
    const std::string after = Read(settings_);
    ASSERT_EQ(after.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(converted.out,
              StringList{u"converted " + Shown() + u" to UTF-16LE, sealed: ConfigID=" +
                         StoredConfigID(after).value()});
    // Line for line the same text, but for the seal's value.
    auto unsealed = [](String text) {
        const std::size_t at = text.find(u"ConfigID=") + 9;
        return text.erase(at, text.find(u'\r', at) - at);
    };
    EXPECT_EQ(unsealed(FromUtf16Le(after.substr(2))), unsealed(codePage_.FromAnsi(sealedAnsi)));
    EXPECT_NE(FromUtf16Le(after).find(u"Caption_1=中文\r\n"), String::npos);
    // Only the seal differs in what the wizard reads.
    auto now = everything();
    auto withoutSeal = [](std::vector<std::pair<String, String>> all) {
        for (auto& entry : all)
            if (entry.first == u"CONFIG/ConfigID") entry.second.clear();
        return all;
    };
    EXPECT_EQ(withoutSeal(now), withoutSeal(before));
    EXPECT_EQ(RunArgs({u"verify", Target()}).exitCode, kit::kOk);
    EXPECT_EQ(Lint(), std::vector<String>{});

    // A second run finds nothing to do.
    EXPECT_EQ(RunArgs({u"convert", Target()}).out, StringList{Shown() + u" is UTF-16LE already"});
    EXPECT_EQ(Read(settings_), after);
}

TEST_F(KitFixture, ConvertRefusesBytesTheCodePageCannotReadAndLeavesThemAlone) {
    Replace("Caption_2=text 2\r\n", "Caption_2=\xFF\xFF\r\n"); // no character of code page 936
    const std::string before = Read(settings_);
    const kit::Result refused = RunArgs({u"convert", Target()});
    EXPECT_EQ(refused.exitCode, kit::kFindings);
    EXPECT_EQ(refused.out,
              StringList{Shown() + u": not converted, the file is left as it was: line 26 "
                                   u"holds bytes that are no text in code page 936; give "
                                   u"the kit's code page with --codepage"});
    EXPECT_EQ(Read(settings_), before);
}

TEST_F(KitFixture, SealAddsAMissingKey) {
    Replace("ConfigID=\r\n", "");
    const kit::SealOutcome outcome = kit::SealKit(kit::LocateKit(Target()));
    EXPECT_TRUE(outcome.changed);
    EXPECT_TRUE(outcome.keyAdded);
    EXPECT_NE(Read(settings_).find("MrPrintSet=$2\r\nConfigID=" + ToUtf8(outcome.value) + "\r\n[OEM]"),
              std::string::npos);
    EXPECT_TRUE(kit::VerifyKit(kit::LocateKit(Target())).accepted);
}

TEST_F(KitFixture, VerifySaysWhyTheWizardRefuses) {
    kit::SealKit(kit::LocateKit(Target()));
    const std::string sealed = Read(settings_);
    const std::string value = ToUtf8(StoredConfigID(sealed).value());
    std::string upper = value;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    const struct {
        std::string from, to;
        const char16_t* reason;
    } cases[] = {
        {value, upper, u"ConfigID is written in upper case; the wizard compares letter case"},
        {"text 5\r\n", "text 5 \r\n",
         u"ConfigID does not match the content: the file was changed after sealing, or sealed "
         u"with another OEMID"},
        {"ConfigID=" + value + "\r\n", "", u"[CONFIG] has no ConfigID key; the wizard refuses the file"},
        {"[CONFIG]", "[CONFIGS]", u"the file has no [CONFIG] section; the wizard refuses it"},
    };
    for (const auto& c : cases) {
        Write(settings_, sealed);
        Replace(c.from, c.to);
        const kit::VerifyOutcome outcome = kit::VerifyKit(kit::LocateKit(Target()));
        EXPECT_FALSE(outcome.accepted) << c.to;
        ASSERT_FALSE(outcome.reasons.empty()) << c.to;
        EXPECT_EQ(outcome.reasons[0], c.reason);
        EXPECT_EQ(RunArgs({u"verify", Target()}).exitCode, kit::kFindings);
    }
    // Blanks around the stored value are no reason to refuse.
    Write(settings_, sealed);
    Replace("ConfigID=" + value, "ConfigID=  " + value + "\t");
    EXPECT_TRUE(kit::VerifyKit(kit::LocateKit(Target())).accepted);
}

TEST_F(KitFixture, FileErrorsExitWithTwo) {
    EXPECT_EQ(RunArgs({u"verify", kit::TextOf(root_ / "nothing")}).exitCode, kit::kFailure);
    fs::remove(settings_);
    const kit::Result noSettings = RunArgs({u"lint", Target()});
    EXPECT_EQ(noSettings.exitCode, kit::kFailure);
    EXPECT_EQ(noSettings.err, StringList{u"odax-kit: " + Shown() + u": no settings file in this kit folder"});

    // A read-only settings file is not replaced.
    Write(settings_, GoodSettings());
    fs::permissions(settings_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const kit::Result readOnly = RunArgs({u"seal", Target()});
    EXPECT_EQ(readOnly.exitCode, kit::kFailure);
    EXPECT_EQ(Read(settings_), GoodSettings());
}

TEST_F(KitFixture, AGoodKitHasNoFindings) {
    EXPECT_EQ(Lint(), std::vector<String>{});
    const kit::Result result = RunArgs({u"lint", Target()});
    EXPECT_EQ(result.exitCode, kit::kOk);
    EXPECT_EQ(result.out, StringList{Shown() + u": no findings"});
}

// Windows reads an ANSI file in the system's code page: text outside ASCII is a warning (the
// kit works where its code page is the system's), ASCII and UTF-16LE files raise nothing.
TEST_F(KitFixture, LintWarnsAboutTextOutsideAsciiInAnAnsiFile) {
    const String warning =
        Shown() + u":25: warning: text outside ASCII in an ANSI file (first on this line, 2 lines "
                  u"in all): Windows reads it in the system's code page, so it is garbled on a "
                  u"system with another one (Chinese captions on an English system); odax-kit "
                  u"convert rewrites the file as UTF-16LE, read the same everywhere";
    Replace("Caption_1=text 1\r\n", "Caption_1=\xD6\xD0\xCE\xC4\r\n"); // "中文" in 936
    Replace("Caption_5=text 5\r\n", "Caption_5=\xD6\xD0 \xCE\xC4\r\n");
    EXPECT_EQ(Lint(), std::vector<String>{warning});
    const kit::Result warned = RunArgs({u"lint", Target()});
    EXPECT_EQ(warned.exitCode, kit::kOk);
    EXPECT_EQ(warned.out, StringList{warning});
    EXPECT_EQ(warned.err, StringList{u"1 warning"});

    // With a finding beside it, the finding decides the exit code.
    Replace("DefaultAbout=True", "DefaultAbout=yes");
    const kit::Result failed = RunArgs({u"lint", Target()});
    EXPECT_EQ(failed.exitCode, kit::kFindings);
    EXPECT_EQ(failed.err, (StringList{u"1 finding", u"1 warning"}));

    // A UTF-8 byte-order mark is its own finding, not text outside ASCII.
    Write(settings_, "\xEF\xBB\xBF" + GoodSettings());
    EXPECT_EQ(Lint().size(), 1u);

    // The same text in UTF-16LE reads the same on every system.
    Write(settings_, GoodSettings());
    Replace("Caption_1=text 1\r\n", "Caption_1=\xD6\xD0\xCE\xC4\r\n");
    ASSERT_EQ(RunArgs({u"convert", Target()}).exitCode, kit::kOk);
    EXPECT_EQ(Lint(), std::vector<String>{});
}

TEST_F(KitFixture, LintFindsWhatMakesTheWizardMisbehave) {
    const std::string good = GoodSettings();
    const struct {
        std::string from, to;
        const char16_t* finding; // after "<settings>:"
    } cases[] = {
        {"Caption_27=text 27\r\n", "",
         u"24: [CAPTION_CN] CAPTION_27 is missing: the wizard shows an empty Chinese text"},
        {"[CAPTION_EN]\r\nCaption_1=text 1\r\n", "[CAPTION_EN]\r\nCaption_1=  \r\n",
         u"114: [CAPTION_EN] CAPTION_1 is empty: the wizard shows an empty English text"},
        {"Caption_78=text 78\r\n", "Caption_78=\r\n",
         u"102: [CAPTION_CN] CAPTION_78 is empty: the wizard uses its built-in Chinese text instead"},
        {"DefaultAbout=True", "DefaultAbout=yes",
         u"5: [CONFIG] DefaultAbout: 'yes' is not a valid boolean value; the wizard's start-up "
         u"stops with this error"},
        {"DefaultPort=1", "DefaultPort=4",
         u"6: [CONFIG] DefaultPort: 4 is none of 0 to 3: no connection type is preselected"},
        {"MrPrintSet=$2\r\n", "",
         u"2: [CONFIG] MrPrintSet: '' is not a valid integer value; every installation ends with "
         u"this error instead of its end message"},
        {"USBPortSelect=1", "USBPortSelect=on",
         u"8: [CONFIG] USBPortSelect: 'on' is not a valid boolean value; choosing a USB connection "
         u"shows this error"},
        {"m2=ODAX-58, VID_1A2B,PID_0001", "m2=ODAX-58,,PID_0001",
         u"22: model line 'ODAX-58,,PID_0001' has 2 of the 3 pieces name,VID,PID: the wizard stops "
         u"loading models here with \"List index out of bounds (2)\""},
        {"m2=ODAX-58, VID_1A2B,PID_0001", "m2=ODAX-58,VID_1a2b,PID_0001",
         u"22: 'VID_1a2b' is not of the form VID_xxxx (four upper-case hexadecimal digits, as the USB "
         u"search reports them): USB printers of ODAX-58 are never recognised"},
        {"m2=ODAX-58, VID_1A2B,PID_0001", "m2=ODAX-58,VID_1A2B,PID_0001 ,x",
         u"22: 'PID_0001 ' is not of the form PID_xxxx (four upper-case hexadecimal digits, as the USB "
         u"search reports them): USB printers of ODAX-58 are never recognised"},
        {"m2=ODAX-58,", "m2=odax-80,",
         u"22: model name odax-80 is listed before (line 21): the printer queues would share one name"},
        {"m2=ODAX-58,", "m2=\"ODAX-58\",",
         u"22: model name \"ODAX-58\" holds a double quote: the wizard refuses to install it"},
        {"PrintName= odax-80 ", "PrintName=ODAX-81",
         u"10: [CONFIG] PrintName 'ODAX-81' names no model of [model_POS]: the model page starts "
         u"with nothing marked"},
        {"POSInfFileName=pos.inf", "POSInfFileName=",
         u"13: [CONFIG] POSInfFileName is empty: installing a receipt printer (the default class) fails"},
        {"POSInfFileName=pos.inf", "POSInfFileName=other.inf",
         u"13: [CONFIG] POSInfFileName: EN/other.inf is missing from the kit: installing in English fails"},
        {"CompanyLogoCN=logo.jpg", "CompanyLogoCN=logo.png",
         u"16: [OEM] CompanyLogoCN 'logo.png': the wizard decodes only bmp, ico, wmf, emf, tif, tiff, "
         u"jpg and jpeg pictures; the picture is hidden"},
        {"QRImageEN=qr.jpg", "QRImageEN=pics\\logo.jpg",
         u"19: [OEM] QRImageEN 'pics\\logo.jpg' is missing from the kit: the picture is hidden"},
        {"CompanyLogoEN=pics\\logo.bmp", "CompanyLogoEN=",
         u"17: [OEM] CompanyLogoEN is empty: the picture is hidden"},
        {"CompanyLogoEN=pics\\logo.bmp", "CompanyLogoEN=C:\\kit\\logo.bmp",
         u"17: [OEM] CompanyLogoEN 'C:\\kit\\logo.bmp' is an absolute path: the picture must lie in "
         u"the kit folder"},
        {"MrPrintSet=$2\r\n", "MrPrintSet=$2\r\nTestPrint=ja\r\n",
         u"15: [CONFIG] TestPrint: 'ja' is not a valid boolean value; the test receipt is never "
         u"offered"},
        {"MrPrintSet=$2\r\n", "MrPrintSet=$2\r\nPaperColumns=58\r\n",
         u"15: [CONFIG] PaperColumns: '58' is neither 48 (80 mm paper) nor 32 (58 mm paper); the "
         u"test receipt is printed 48 characters wide"},
        {"MrPrintSet=$2\r\n", "MrPrintSet=$2\r\nPaperColumns=\r\n",
         u"15: [CONFIG] PaperColumns: '' is neither 48 (80 mm paper) nor 32 (58 mm paper); the "
         u"test receipt is printed 48 characters wide"},
        {"; demo", "\xEF\xBB\xBF; demo",
         u"1: starts with a UTF-8 byte-order mark, which the profile functions read as text: the "
         u"first line's section or key is lost; save the file without it"},
    };
    for (const auto& c : cases) {
        Write(settings_, good);
        Replace(c.from, c.to);
        const std::vector<String> findings = Lint();
        const String expected = Shown() + u":" + c.finding;
        const bool found = std::find(findings.begin(), findings.end(), expected) != findings.end();
        EXPECT_TRUE(found) << ToUtf8(expected) << "\n got:\n"
                           << [&] {
                                  std::string all;
                                  for (const String& f : findings) all += ToUtf8(f) + "\n";
                                  return all;
                              }();
    }
}

// Captions shown together must not share an access key, and a key must be one Alt presses.
// Each case edits the Chinese captions (line 24 + n holds Caption_n) and expects exactly
// these warnings; the exit code stays 0.
TEST_F(KitFixture, LintWarnsAboutAccessKeysAltCannotReach) {
    using Edits = std::vector<std::pair<std::string, std::string>>;
    const struct {
        Edits edits;
        std::vector<const char16_t*> warnings; // after "<settings>:"
    } cases[] = {
        // On every page, and so reported once, at the later caption.
        {{{"Caption_14=text 14", "Caption_14=&Next >"}, {"Caption_16=text 16", "Caption_16=&next"}},
         {u"40: warning: [CAPTION_CN] CAPTION_16 '&next': the access key N is CAPTION_14's too "
          u"(line 38), both on the main window's buttons: Alt+N reaches only one of them"}},
        {{{"Caption_15=text 15", "Caption_15=Install(&I)"},
          {"Caption_17=text 17", "Caption_17=&Items"}},
         {u"41: warning: [CAPTION_CN] CAPTION_17 '&Items': the access key I is CAPTION_15's too "
          u"(line 39), both on the USB page: Alt+I reaches only one of them"}},
        // The search button and the connection buttons are never shown together.
        {{{"Caption_3=text 3", "Caption_3=&USB"}, {"Caption_17=text 17", "Caption_17=&USB search"}},
         {}},
        {{{"Caption_13=text 13", "Caption_13=< Back(&<)"}},
         {u"37: warning: [CAPTION_CN] CAPTION_13 '< Back(&<)': the access key '<' is no letter or "
          u"digit, which Alt cannot press; mark a letter or digit (\"&&\" shows an '&')"}},
        {{{"Caption_51=text 51", "Caption_51=Cancel&"}},
         {u"75: warning: [CAPTION_CN] CAPTION_51 'Cancel&': the '&' marks no character; mark a "
          u"letter "
          u"or digit (\"&&\" shows an '&')"}},
        // "&&" is a plain '&'; labels draw theirs as they are.
        {{{"Caption_12=text 12", "Caption_12=R&&D &About"},
          {"Caption_19=text 19", "Caption_19=&A"}},
         {}},
    };
    for (const auto& c : cases) {
        Write(settings_, GoodSettings());
        for (const auto& [from, to] : c.edits)
            Replace(from, to);
        std::vector<String> expected;
        for (const char16_t* w : c.warnings)
            expected.push_back(Shown() + u":" + w);
        EXPECT_EQ(Lint(), expected) << c.edits.front().second;
        EXPECT_EQ(RunArgs({u"lint", Target()}).exitCode, kit::kOk);
    }
}

// The wizard reads its captions through the table the lint checks, so the two agree on every
// key: without a key every kit must carry the lint reports an empty text and the wizard shows
// one; without a key with built-in texts the lint reports the fallback and the wizard shows
// its own text; a key the table does not list is neither asked for nor readable.
TEST_F(KitFixture, TheLintAndTheWizardAgreeOnEveryCaptionKey) {
    struct InKit { // the wizard's settings object on this kit, its working folder
        std::string before = fs::current_path().string();
        explicit InKit(const fs::path& kit) {
            fs::current_path(kit);
            CreateIniOptions();
        }
        ~InKit() {
            FreeIniOptions();
            OSLanguage = TOSLanguage::EN;
            fs::current_path(before);
        }
    } wizard(root_);
    const struct {
        const char16_t* section;
        TOSLanguage language;
        const char16_t* name;
    } languages[] = {{u"CAPTION_CN", TOSLanguage::CN, u"Chinese"},
                     {u"CAPTION_EN", TOSLanguage::EN, u"English"}};
    auto captionFindings = [&] {
        std::vector<String> found;
        for (const String& f : Lint())
            if (f.find(u"] CAPTION_") != String::npos) found.push_back(f);
        return found;
    };
    // The settings without a key's line in both caption sections.
    auto without = [](const std::string& number) {
        std::string s = GoodSettings();
        for (std::size_t at; (at = s.find("\nCaption_" + number + "=")) != std::string::npos;)
            s.erase(at + 1, s.find('\n', at + 1) - at);
        return s;
    };

    for (const CaptionKey& caption : CaptionKeys()) {
        const std::string key = ToUtf8(caption.key);
        SCOPED_TRACE(key);
        const std::string number = key.substr(key.find('_') + 1);
        Write(settings_, GoodSettings());
        for (const auto& lang : languages)
            EXPECT_EQ(CaptionText(lang.section, caption.key), FromAscii("text " + number));

        Write(settings_, without(number));
        const std::vector<String> findings = captionFindings();
        ASSERT_EQ(findings.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            const auto& lang = languages[i];
            const String effect = caption.HasBuiltInText()
                                      ? String(u"uses its built-in ") + lang.name + u" text instead"
                                      : String(u"shows an empty ") + lang.name + u" text";
            const String finding = String(u"[") + lang.section + u"] " + caption.key +
                                   u" is missing: the wizard " + effect;
            EXPECT_EQ(findings[i].substr(findings[i].size() - finding.size()), finding);
            OSLanguage = lang.language;
            const String builtIn = !caption.HasBuiltInText()          ? String()
                                   : lang.language == TOSLanguage::CN ? caption.cn
                                                                      : caption.en;
            EXPECT_EQ(CaptionText(lang.section, caption.key), builtIn);
        }
    }

    // Keys some kits carry that no part of the wizard reads.
    for (const char* number : {"31", "67", "73", "74", "75"}) {
        SCOPED_TRACE(number);
        Write(settings_, without(number));
        EXPECT_EQ(captionFindings(), std::vector<String>{});
        EXPECT_THROW(CaptionText(u"CAPTION_EN", FromAscii(std::string("CAPTION_") + number)),
                     std::logic_error);
    }
}

TEST_F(KitFixture, LintChecksPicturesAndInfFilesByContent) {
    Write(root_ / "qr.jpg", Bmp());
    Write(root_ / "pics" / "logo.bmp", kJpeg);
    Write(root_ / "CN" / "label.inf", "[Models]\r\n\"Other\"=x\r\n");
    Write(settings_, GoodSettings() + "[model_POS]\r\nm4=ODAX-99,VID_0000,PID_0000\r\n");
    const std::vector<String> findings = Lint();
    const String s = Shown();
    const std::vector<String> expected = {
        kit::TextOf(root_ / "CN" / "label.inf") + u": names none of the models of [model_POS]",
        s + u":17: [OEM] CompanyLogoEN 'pics\\logo.bmp' is not a BMP file: the picture is hidden",
        s + u":19: [OEM] QRImageEN 'qr.jpg' is not a JPEG file: both pictures of the About dialog "
            u"are hidden",
        kit::TextOf(root_ / "CN" / "label.inf") +
            u": has no [Version] section: Windows takes it for no INF file",
        kit::TextOf(root_ / "CN" / "label.inf") +
            u": has no [Manufacturer] section: the printer setup finds no model in it",
    };
    for (const String& e : expected)
        EXPECT_NE(std::find(findings.begin(), findings.end(), e), findings.end()) << ToUtf8(e);
    // The second [model_POS] is never read, so its model raises nothing.
    for (const String& f : findings) EXPECT_EQ(f.find(u"ODAX-99"), String::npos) << ToUtf8(f);
    EXPECT_EQ(findings.size(), expected.size());
}

namespace {

const std::string kKey = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";

} // namespace

TEST_F(DeployFixture, AGoodCommandPrintsTheCommandsTheDetectionRuleAndTheExitCodes) {
    // The model as the kit spells it, whatever case the command gives.
    const StringList args = {u"/connection", u"network", u"/address", u"192.168.1.50",
                             u"/model",      u"odax-80", u"/log",     u"C:\\logs\\odax.log"};
    const kit::Result text = Deploy(args);
    EXPECT_EQ(text.exitCode, kit::kOk);
    StringList expected = {
        Shown() + u": the command passes every check",
        u"checks:",
        u"  command  ok",
        u"  files    ok",
        u"  seal     ok",
        u"  model    ok",
        u"  address  ok",
        u"  driver   ok",
        u"install command:",
        u"  ODAXPrintDrive.exe /quiet /connection network /address 192.168.1.50 /model ODAX-80 "
        u"/log C:\\logs\\odax.log",
        u"uninstall command:",
        u"  ODAXPrintDrive.exe /quiet /remove /model ODAX-80 /log C:\\logs\\odax.log",
        u"detection rule: the printer's registry key exists",
        u"  HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\ODAX-80",
        u"exit codes:",
    };
    for (const ExitCodeInfo& code : ExitCodes())
        expected.push_back(u"  " + IntToStr(static_cast<int>(code.code)) + u"  " + code.meaning);
    const StringList forScripts = {
        u"the commands above go as they are into a deployment tool's command field, which starts "
        u"the program with that command line; written into a script:",
        u"  install in a batch file (.cmd, .bat):",
        u"    ODAXPrintDrive.exe /quiet /connection network /address 192.168.1.50 /model ODAX-80 "
        u"/log C:\\logs\\odax.log",
        u"  install typed at a cmd prompt:",
        u"    ODAXPrintDrive.exe /quiet /connection network /address 192.168.1.50 /model ODAX-80 "
        u"/log C:\\logs\\odax.log",
        u"  install in PowerShell, from the kit folder (the exit code in $LASTEXITCODE):",
        u"    .\\ODAXPrintDrive.exe '/quiet' '/connection' 'network' '/address' '192.168.1.50' "
        u"'/model' 'ODAX-80' '/log' 'C:\\logs\\odax.log' | Out-Host",
        u"  uninstall in a batch file (.cmd, .bat):",
        u"    ODAXPrintDrive.exe /quiet /remove /model ODAX-80 /log C:\\logs\\odax.log",
        u"  uninstall typed at a cmd prompt:",
        u"    ODAXPrintDrive.exe /quiet /remove /model ODAX-80 /log C:\\logs\\odax.log",
        u"  uninstall in PowerShell, from the kit folder (the exit code in $LASTEXITCODE):",
        u"    .\\ODAXPrintDrive.exe '/quiet' '/remove' '/model' 'ODAX-80' '/log' "
        u"'C:\\logs\\odax.log' | Out-Host",
        u"detection script (PowerShell; Intune: custom detection script, Configuration Manager: "
        u"script detection):",
    };
    expected.insert(expected.end(), forScripts.begin(), forScripts.end());
    for (const String& line : kit::DetectionScript({{u"ODAX-80"}, {u"192.168.1.50"}, {}}))
        expected.push_back(u"  " + line);
    EXPECT_EQ(text.out, expected);

    const nlohmann::json json = Parsed(Deploy(args, true));
    EXPECT_EQ(json["ok"], true);
    EXPECT_TRUE(json["failed"].is_null());
    EXPECT_EQ(json["checks"].size(), 6u);
    EXPECT_EQ(json["install"], "ODAXPrintDrive.exe /quiet /connection network /address "
                               "192.168.1.50 /model ODAX-80 /log C:\\logs\\odax.log");
    EXPECT_EQ(json["uninstall"],
              nlohmann::json::array(
                  {"ODAXPrintDrive.exe /quiet /remove /model ODAX-80 /log C:\\logs\\odax.log"}));
    EXPECT_EQ(json["detection"]["printerKnown"], true);
    EXPECT_EQ(json["detection"]["registryKeys"], nlohmann::json::array({kKey + "ODAX-80"}));
    EXPECT_EQ(json["installCmd"], "ODAXPrintDrive.exe /quiet /connection network /address "
                                  "192.168.1.50 /model ODAX-80 /log C:\\logs\\odax.log");
    EXPECT_EQ(json["uninstallPowerShell"],
              nlohmann::json::array({".\\ODAXPrintDrive.exe '/quiet' '/remove' '/model' 'ODAX-80' "
                                     "'/log' 'C:\\logs\\odax.log' | Out-Host"}));
    std::string script;
    for (const String& line : kit::DetectionScript({{u"ODAX-80"}, {u"192.168.1.50"}, {}}))
        script += ToUtf8(line) + "\r\n";
    EXPECT_EQ(json["detection"]["script"], script);
    ASSERT_EQ(json["exitCodes"].size(), ExitCodes().size());
    for (std::size_t i = 0; i < ExitCodes().size(); ++i) {
        EXPECT_EQ(json["exitCodes"][i]["code"], static_cast<int>(ExitCodes()[i].code));
        EXPECT_EQ(json["exitCodes"][i]["meaning"], ToUtf8(ExitCodes()[i].meaning));
    }
}

// Without /model the USB search names the printer: one rule and one removal per model.
TEST_F(DeployFixture, AUsbCommandWithoutModelHasARulePerModel) {
    const kit::Result result = Deploy({u"/quiet", u"/connection", u"usb", u"/label"}, true);
    EXPECT_EQ(result.exitCode, kit::kOk);
    const nlohmann::json json = Parsed(result);
    EXPECT_EQ(json["install"], "ODAXPrintDrive.exe /quiet /connection usb /label");
    EXPECT_EQ(json["detection"]["printerKnown"], false);
    EXPECT_EQ(json["detection"]["registryKeys"],
              nlohmann::json::array({kKey + "ODAX-80", kKey + "ODAX-58"}));
    EXPECT_NE(json["detection"]["rule"].get<std::string>().find("not known in advance"),
              std::string::npos);
    EXPECT_EQ(json["uninstall"],
              nlohmann::json::array({"ODAXPrintDrive.exe /quiet /remove /model ODAX-80",
                                     "ODAXPrintDrive.exe /quiet /remove /model ODAX-58"}));
    // One script finds whichever model the search installed, on a USB port.
    std::string script;
    for (const String& line : kit::DetectionScript({{u"ODAX-80", u"ODAX-58"}, {}, u"USB"}))
        script += ToUtf8(line) + "\r\n";
    EXPECT_EQ(json["detection"]["script"], script);
    EXPECT_EQ(json["uninstallCmd"], json["uninstall"]);
}

// The commands for scripts and the detection script follow the connection's port, and hold
// a model whose name cmd and PowerShell would read as their own as the program must get it.
TEST_F(DeployFixture, ScriptFormsAndDetectionFollowTheCommand) {
    Replace("m1=ODAX-80,", "m1=R&D-80 50%,");
    ASSERT_EQ(RunArgs({u"seal", Target()}).exitCode, kit::kOk);
    const struct {
        StringList args;
        std::string installCmd, installPrompt, installPowerShell, portTest;
    } cases[] = {
        {{u"/connection", u"network", u"/address", u" 10.0.0.7 ", u"/model", u"r&d-80 50%"},
         "ODAXPrintDrive.exe /quiet /connection network /address \" 10.0.0.7 \" /model "
         "\"R&D-80 50%%\"",
         "ODAXPrintDrive.exe /quiet /connection network /address \" 10.0.0.7 \" /model "
         "\"R&D-80 50%\"",
         ".\\ODAXPrintDrive.exe '/quiet' '/connection' 'network' '/address' ' 10.0.0.7 ' "
         "'/model' 'R&D-80 50%' | Out-Host",
         "(@('10.0.0.7') -contains $_.PortName)"},
        {{u"/connection", u"serial", u"/port", u"com2", u"/model", u"ODAX-58"},
         "ODAXPrintDrive.exe /quiet /connection serial /port com2 /model ODAX-58",
         "ODAXPrintDrive.exe /quiet /connection serial /port com2 /model ODAX-58",
         ".\\ODAXPrintDrive.exe '/quiet' '/connection' 'serial' '/port' 'com2' '/model' "
         "'ODAX-58' | Out-Host",
         "(@('com2', 'com2:') -contains $_.PortName)"},
        {{u"/connection", u"usb", u"/model", u"ODAX-58", u"/log", u"C:\\logs\\a&b 100%.log"},
         "ODAXPrintDrive.exe /quiet /connection usb /model ODAX-58 /log \"C:\\logs\\a&b "
         "100%%.log\"",
         "ODAXPrintDrive.exe /quiet /connection usb /model ODAX-58 /log \"C:\\logs\\a&b "
         "100%.log\"",
         ".\\ODAXPrintDrive.exe '/quiet' '/connection' 'usb' '/model' 'ODAX-58' '/log' "
         "'C:\\logs\\a&b 100%.log' | Out-Host",
         "($_.PortName -like 'USB*')"},
        {{u"/connection", u"usb", u"/port", u"USB002", u"/model", u"ODAX-58"},
         "ODAXPrintDrive.exe /quiet /connection usb /port USB002 /model ODAX-58",
         "ODAXPrintDrive.exe /quiet /connection usb /port USB002 /model ODAX-58",
         ".\\ODAXPrintDrive.exe '/quiet' '/connection' 'usb' '/port' 'USB002' '/model' "
         "'ODAX-58' | Out-Host",
         "(@('USB002') -contains $_.PortName)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.installCmd);
        const kit::Result result = Deploy(c.args, true);
        ASSERT_EQ(result.exitCode, kit::kOk) << ToUtf8(result.out[0]);
        const nlohmann::json json = Parsed(result);
        EXPECT_EQ(json["installCmd"], c.installCmd);
        EXPECT_EQ(json["installCmdPrompt"], c.installPrompt);
        EXPECT_EQ(json["installPowerShell"], c.installPowerShell);
        const std::string script = json["detection"]["script"];
        EXPECT_NE(script.find("    " + c.portTest + " })\r\n"), std::string::npos) << script;
        // The removal's forms name the printer as the install gave it.
        const std::string model = json["detection"]["printers"][0];
        ASSERT_EQ(json["uninstallCmd"].size(), 1u);
        EXPECT_EQ(json["uninstallCmd"][0],
                  ToUtf8(kit::ForCmd(FromUtf8(json["uninstall"][0].get<std::string>()),
                                     kit::CmdPlace::BatchFile)));
        EXPECT_NE(json["uninstallPowerShell"][0].get<std::string>().find(
                      "'/model' " + ToUtf8(kit::PowerShellLiteral(FromUtf8(model)))),
                  std::string::npos);
    }

    // A command that would fail has no commands to print.
    const nlohmann::json failed = Parsed(
        Deploy({u"/connection", u"network", u"/address", u"1.2.3", u"/model", u"ODAX-58"}, true));
    for (const char* field : {"installCmd", "installCmdPrompt", "installPowerShell"})
        EXPECT_TRUE(failed[field].is_null()) << field;
    EXPECT_EQ(failed["uninstallCmd"], nlohmann::json::array());
    EXPECT_TRUE(failed["detection"]["script"].is_null());
}

TEST_F(DeployFixture, ACommandThatWouldFailNamesTheCheckAndTheProgramsExitCode) {
    const StringList network = {u"/connection",  u"network", u"/address",
                                u"192.168.1.50", u"/model",  u"ODAX-58"};
    const struct {
        const char* name;
        StringList args;
        std::function<void()> change;
        const char* check;
        int exitCode;
        const char* reason;
    } cases[] = {
        {"unknown model",
         {u"/connection", u"serial", u"/port", u"COM1", u"/model", u"ODAX-99"},
         nullptr,
         "model",
         3,
         "/model \"ODAX-99\" is no model of the kit's [model_POS] (ODAX-80, ODAX-58)"},
        {"bad address",
         {u"/connection", u"network", u"/address", u"10.0.0.256", u"/model", u"ODAX-58"},
         nullptr,
         "address",
         3,
         "/address \"10.0.0.256\" is no IPv4 address"},
        {"tampered kit", network, [this] { Replace("text 5\r\n", "text 6\r\n"); }, "seal", 2,
         "ConfigID does not match the content: the file was changed after sealing, or sealed "
         "with another OEMID"},
        {"no library", network, [this] { fs::remove(root_ / "USBPrinterlibary.dll"); }, "files", 2,
         "USBPrinterlibary.dll missing from the kit folder"},
        {"port ending in a backslash",
         {u"/connection", u"parallel", u"/port", u"LPT1\\", u"/model", u"ODAX-58"},
         nullptr,
         "port",
         3,
         "/port \"LPT1\\\" ends in a backslash"},
        {"model with a quote",
         {u"/connection", u"usb", u"/model", u"ODAX\"58"},
         nullptr,
         "model",
         3,
         "/model \"ODAX\"58\" holds a double quote"},
        {"driver missing", network, [this] { fs::remove(root_ / "CN" / "pos.inf"); }, "driver", 5,
         "CN\\pos.inf missing from the kit: the printer setup would fail"},
        {"unknown switch",
         {u"/connection", u"usb", u"/fast"},
         nullptr,
         "command",
         1,
         "unknown switch /fast"},
        {"a removal",
         {u"/remove", u"/model", u"ODAX-58"},
         nullptr,
         "command",
         1,
         "give the install command: its uninstall command (/remove) is printed with it"},
    };
    const std::string sealed = Read(settings_);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write(settings_, sealed);
        Write(root_ / "USBPrinterlibary.dll", "MZ");
        Write(root_ / "CN" / "pos.inf", Read(root_ / "EN" / "pos.inf"));
        if (c.change) c.change();
        const kit::Result text = Deploy(c.args);
        EXPECT_EQ(text.exitCode, kit::kFindings);
        ASSERT_FALSE(text.out.empty());
        EXPECT_EQ(text.out[0],
                  Shown() + u": the command would fail at the " + FromUtf8(c.check) + u" check");
        const String line = u"failed: " + FromUtf8(c.reason) + u" (the program would exit with " +
                            IntToStr(c.exitCode) + u")";
        EXPECT_NE(std::find_if(text.out.begin(), text.out.end(),
                               [&](const String& l) { return l.find(line) != String::npos; }),
                  text.out.end());
        EXPECT_EQ(std::find(text.out.begin(), text.out.end(), u"install command:"), text.out.end());

        const kit::Result result = Deploy(c.args, true);
        EXPECT_EQ(result.exitCode, kit::kFindings);
        const nlohmann::json json = Parsed(result);
        EXPECT_EQ(json["ok"], false);
        EXPECT_EQ(json["failed"]["check"], c.check);
        EXPECT_EQ(json["failed"]["exitCode"], c.exitCode);
        EXPECT_EQ(json["failed"]["reason"], c.reason);
        EXPECT_TRUE(json["install"].is_null());
    }
}

// Each INF the settings name is checked as the driver store and the printer setup read it:
// an edit of EN/pos.inf gives exactly these findings about that file, the others none.
TEST_F(KitFixture, LintChecksEachDriverPackage) {
    using Edits = std::vector<std::pair<std::string, std::string>>;
    const struct {
        Edits edits;
        std::vector<const char16_t*> findings; // after "<EN/pos.inf>:"
        std::vector<std::string> files = {};   // more files beside the INF
    } cases[] = {
        {{{"Signature=\"$Windows NT$\"", "Signature=$Windows 95$"}},
         {u"2: [Version] Signature '$Windows 95$' is neither $Windows NT$ nor $Chicago$: Windows "
          u"takes it for no INF file"}},
        {{{"Signature=\"$Windows NT$\"\r\n", ""}, {"DriverVer=12/01/2026,1.0.0.0\r\n", ""}},
         {u"1: [Version] has no Signature: Windows takes it for no INF file",
          u"1: [Version] has no DriverVer: the driver store refuses the package"}},
        {{{"Class=Printer", "Class=Image"}},
         {u"3: [Version] Class is 'Image', not Printer: the printer setup takes no driver from "
          u"it"}},
        {{{"DriverVer=12/01/2026", "DriverVer=2026-12-01"}},
         {u"4: [Version] DriverVer '2026-12-01' is no date mm/dd/yyyy: the driver store refuses "
          u"the package"}},
        // 64-bit Windows takes no undecorated or NTx86 section.
        {{{"%Vendor%=ODAX,NTx86,NTamd64", "%Vendor%=ODAX,NTx86"}},
         {u"6: no models section for 64-bit Windows (NTamd64 in [Manufacturer]) names the model "
          u"ODAX-80: installing it on 64-bit Windows fails",
          u"6: no models section for 64-bit Windows (NTamd64 in [Manufacturer]) names the model "
          u"ODAX-58: installing it on 64-bit Windows fails"}},
        {{{"\"ODAX-80\" = Install", "\"ODAX-81\" = Install"}},
         {u"6: no models section for 64-bit Windows (NTamd64 in [Manufacturer]) names the model "
          u"ODAX-80: installing it on 64-bit Windows fails"}},
        // 32-bit Windows takes the undecorated section when there is no NTx86 one.
        {{{"%Vendor%=ODAX,NTx86,NTamd64", "%Vendor%=ODAX,NTamd64"}},
         {u"6: warning: no models section for 32-bit Windows (NTx86 in [Manufacturer]) names the "
          u"model ODAX-80: installing it on 32-bit Windows fails",
          u"6: warning: no models section for 32-bit Windows (NTx86 in [Manufacturer]) names the "
          u"model ODAX-58: installing it on 32-bit Windows fails"}},
        {{{"%Vendor%=ODAX,NTx86,NTamd64", "%Vendor%=ODAX,NTamd64"}, {"[ODAX.NTx86]", "[ODAX]"}},
         {}},
        // Windows takes the section that fits it best: a model missing from one listed section
        // fails on the versions that take it.
        {{{"%Vendor%=ODAX,NTx86,NTamd64", "%Vendor%=ODAX,NTx86,NTamd64,NTamd64.6.0"},
          {"[SourceDisksNames]", "[ODAX.NTamd64.6.0]\r\n%M58%=Install\r\n[SourceDisksNames]"}},
         {u"14: [ODAX.NTamd64.6.0] does not name the model ODAX-80: installing it fails on the "
          u"64-bit Windows versions that take that section"}},
        {{{"%Vendor%=ODAX,NTx86,NTamd64", "%Vendor%=ODAX,NTx86,NTamd64,NTamd64.10.0"}},
         {u"7: [Manufacturer] names [ODAX.NTamd64.10.0], which the file lacks: Windows finds no "
          u"model there"}},
        {{{"odax.gpd=1", "odax.gpd=1\r\nodaxres.dll=1,res"}},
         {u"18: [SourceDisksFiles] odaxres.dll is missing beside the INF file: the printer setup "
          u"fails to copy it"}},
        // A disk's folder, a file's own subfolder, any letter case, a '\' joining two lines.
        {{{"1=%Disk%,,,", "1=%Disk%,,,\\drivers"},
          {"odax.gpd=1", "ODAX.GPD=1\r\nodaxres.dll=\\\r\n 1,res"}},
         {},
         {"drivers/odax.gpd", "drivers/res/OdaxRes.dll"}},
        {{{"CatalogFile=odax.cat\r\n", ""}},
         {u"1: warning: [Version] names no CatalogFile: the package is unsigned, which the "
          u"driver store of 64-bit Windows refuses"}},
        {{{"CatalogFile=odax.cat", "CatalogFile.NTx86=odax.cat\r\nCatalogFile.NTamd64=x64.cat"}},
         {u"6: warning: [Version] CatalogFile.NTamd64 x64.cat is missing beside the INF file: the "
          u"package is unsigned, which the driver store of 64-bit Windows refuses"}},
        {{{"CatalogFile=odax.cat", "CatalogFile.NTx86=odax.cat"}},
         {u"1: warning: [Version] names no CatalogFile: the package is unsigned, which the "
          u"driver store of 64-bit Windows refuses"}},
        {{{"[Version]", "[Versions]"}, {"[Manufacturer]\r\n", ""}},
         {u" has no [Version] section: Windows takes it for no INF file",
          u" has no [Manufacturer] section: the printer setup finds no model in it"}},
    };
    const fs::path inf = root_ / "EN" / "pos.inf";
    const String shown = kit::TextOf(inf);
    for (const auto& c : cases) {
        std::string text = kInf;
        for (const auto& [from, to] : c.edits) {
            const std::size_t at = text.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            text.replace(at, from.size(), to);
        }
        SCOPED_TRACE(text);
        Write(inf, text);
        fs::remove_all(root_ / "EN" / "drivers");
        for (const std::string& file : c.files)
            Write(root_ / "EN" / file, "x");
        std::vector<String> expected;
        for (const char16_t* f : c.findings)
            expected.push_back(shown + (f[0] == u' ' ? u":" + String(f + 1) : u":" + String(f)));
        for (String& e : expected)
            if (StartsWith(e, shown + u":has")) e = shown + u": " + e.substr(shown.size() + 1);
        EXPECT_EQ(Lint(), expected);
    }
}

// A name cmd or PowerShell reads as its own, or one that reads as a switch, is a warning: the
// kit works, but only with commands written for it.
TEST_F(KitFixture, LintWarnsAboutModelNamesShellsReadAsTheirOwn) {
    const struct {
        std::string name;
        std::vector<const char16_t*> warnings; // after "<settings>:22: warning: model name "
    } cases[] = {
        {"R&D-80 50%",
         {u"R&D-80 50% holds '&', '%', which cmd, batch files or PowerShell read as their own: "
          u"use the commands odax-kit deploy writes for each"}},
        // The model line keeps a pair of single quotes (a lone one cuts the line).
        {"A|B<C>D^E$F 'G'",
         {u"A|B<C>D^E$F 'G' holds '|', '<', '>', '^', '$', ''', which cmd, batch files or "
          u"PowerShell read as their own: use the commands odax-kit deploy writes for each"}},
        {"Wow!",
         {u"Wow! holds '!', which cmd, batch files or PowerShell read as their own: use the "
          u"commands odax-kit deploy writes for each, and no batch file that turns on delayed "
          u"expansion"}},
        {"-58",
         {u"-58 starts with '-', which reads as a switch on a command line: after /model "
          u"the program takes a switch's name for a missing value"}},
        {"/58%",
         {u"/58% holds '%', which cmd, batch files or PowerShell read as their own: use the "
          u"commands odax-kit deploy writes for each",
          u"/58% starts with '/', which reads as a switch on a command line: after /model the "
          u"program takes a switch's name for a missing value"}},
        {"ODAX-58 (58 mm) v2.0", {}},
    };
    for (const auto& c : cases) {
        Write(settings_, GoodSettings());
        Replace("m2=ODAX-58,", "m2=" + c.name + ",");
        std::string inInf; // an INF writes a % of its own text as %%
        for (char ch : c.name)
            inInf += ch == '%' ? std::string("%%") : std::string(1, ch);
        std::string inf = kInf;
        for (std::size_t at; (at = inf.find("%M58%")) != std::string::npos;)
            inf.replace(at, 5, "\"" + inInf + "\"");
        for (const char* lang : {"EN", "CN"})
            for (const char* name : {"pos.inf", "label.inf"})
                Write(root_ / lang / name, inf);
        std::vector<String> expected;
        for (const char16_t* w : c.warnings)
            expected.push_back(Shown() + u":22: warning: model name " + w);
        EXPECT_EQ(Lint(), expected) << c.name;
        EXPECT_EQ(RunArgs({u"lint", Target()}).exitCode, kit::kOk) << c.name;
    }
}

// A printer with a name of its own: its removal and detection go by that name, its driver is
// still the model's.
TEST_F(DeployFixture, APrinterNamedOnItsOwnIsRemovedAndDetectedByItsName) {
    const nlohmann::json json = Parsed(Deploy(
        {u"/connection", u"serial", u"/port", u"COM1", u"/model", u"odax-80", u"/name", u"Kitchen"},
        true));
    EXPECT_EQ(json["ok"], true);
    EXPECT_EQ(
        json["install"],
        "ODAXPrintDrive.exe /quiet /connection serial /port COM1 /model ODAX-80 /name Kitchen");
    EXPECT_EQ(json["uninstall"],
              nlohmann::json::array({"ODAXPrintDrive.exe /quiet /remove /name Kitchen"}));
    EXPECT_EQ(json["detection"]["registryKeys"], nlohmann::json::array({kKey + "Kitchen"}));
    std::string script;
    for (const auto& line : json["detection"]["script"])
        script += line.get<std::string>() + "\n";
    EXPECT_NE(script.find("$names = @('Kitchen')"), std::string::npos) << script;
    EXPECT_NE(script.find("$drivers = @('ODAX-80')"), std::string::npos) << script;
    EXPECT_NE(script.find("($drivers -contains $_.DriverName)"), std::string::npos) << script;

    // The name is checked as the program checks it.
    const kit::Result refused = Deploy(
        {u"/connection", u"serial", u"/port", u"COM1", u"/model", u"ODAX-80", u"/name", u"Bar\\"});
    EXPECT_EQ(refused.exitCode, kit::kFindings);
}
