#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "fakes/WizardFixture.h"

namespace {

const String kMissingEN =
    u"Missing system core files, driver installation wizard cannot run, installation failed\uFF01\uFF01";
const String kIntegrityEN =
    u"The validation of the configuration file failed. The file may have been illegally "
    u"modified, and the installation tool will be forced to exit!";

} // namespace

TEST(StartUp, ReachesTheWelcomePageWithTheSettingsApplied) {
    WizardFixture w;
    w.spooler.printers = {u"Printer A", u"Printer B"};
    w.Start();
    EXPECT_TRUE(w.dialogs.boxes.empty());
    EXPECT_TRUE(frmShow);
    EXPECT_TRUE(frmMain->Visible());
    EXPECT_EQ(frmMain->pcPage->ActivePage(), frmMain->tbsWelcome);
    EXPECT_EQ(w.sys.processes.commands, std::vector<String>{kNetStartSpooler});
    EXPECT_TRUE(frmMain->btnAbout->Enabled());
    EXPECT_FALSE(frmMain->btnStartInstall->Enabled());
    EXPECT_FALSE(frmMain->btnPrevious->Enabled());
    EXPECT_TRUE(frmMain->rbNet->Checked());
    EXPECT_EQ(EnumPort, TEnumPort::NET);
    EXPECT_TRUE(frmMain->rbPOS->Checked());
    EXPECT_FALSE(frmMain->rbPOS->Visible());
    ASSERT_EQ(frmMain->chkPrintSelect->Count(), 3);
    EXPECT_EQ(frmMain->chkPrintSelect->Item(2), u"Label-3");
    EXPECT_TRUE(frmMain->rbEnglish->Checked());
    EXPECT_EQ(LCaption, u"CAPTION_EN");
    EXPECT_EQ(frmMain->Caption(), u"en20 DLL Ver:12 Tool Ver: 2.5");
    EXPECT_EQ(frmMain->cbPrintList->Items(), (StringList{u"Printer A", u"Printer B"}));
    EXPECT_EQ(frmMain->cbPrintList->ItemIndex(), 0);
    EXPECT_EQ(frmMain->cbRs232->Items(), (StringList{u"COM1:", u"COM2:"}));
    EXPECT_EQ(frmMain->pbSchedule->Max(), 3);
    EXPECT_EQ(frmMain->pbSchedule->Position(), 0);
}

// The window's set-up starts the spooler only when the service control manager does not
// report it running; the rest of the start-up is the same either way.
TEST(StartUp, StartsTheSpoolerUnlessItRuns) {
    struct Case {
        const char* name;
        std::optional<ServiceState> state; // none: the manager cannot tell
        bool started;
    } cases[] = {
        {"running", ServiceState::Running, false},
        {"stopped", ServiceState::Stopped, true},
        {"starting", ServiceState::StartPending, true},
        {"stopping", ServiceState::StopPending, true},
        {"paused", ServiceState::Paused, true},
        {"unknown to the manager", std::nullopt, true},
    };
    for (const auto& c : cases) {
        WizardFixture w;
        w.services = EmulatedServiceControl{};
        if (c.state) w.services.SetState(u"Spooler", *c.state);
        w.Start();
        EXPECT_EQ(w.sys.processes.commands, c.started ? StringList{kNetStartSpooler} : StringList{})
            << c.name;
        EXPECT_TRUE(w.dialogs.boxes.empty()) << c.name;
        EXPECT_TRUE(frmShow) << c.name;
        EXPECT_TRUE(frmMain->Enabled()) << c.name;
        EXPECT_TRUE(frmMain->btnNext->Enabled()) << c.name;
    }
}

namespace {

// The profile functions, counting the reads of install.dat that reach them.
class CountingProfile final : public IProfile {
  public:
    explicit CountingProfile(IProfile& real) : real_(real) {}
    int settingsReads = 0;
    std::uint32_t GetPrivateProfileStringW(const ProfileArg& section, const ProfileArg& key,
                                           const ProfileArg& defaultValue, char16_t* out,
                                           std::uint32_t size, const String& file) override {
        const String name = u"install.dat";
        if (file.size() >= name.size() &&
            file.compare(file.size() - name.size(), name.size(), name) == 0)
            ++settingsReads;
        return real_.GetPrivateProfileStringW(section, key, defaultValue, out, size, file);
    }
    bool WritePrivateProfileStringW(const ProfileArg& section, const ProfileArg& key,
                                    const ProfileArg& value, const String& file) override {
        return real_.WritePrivateProfileStringW(section, key, value, file);
    }

  private:
    IProfile& real_;
};

} // namespace

// One exclusive read of the settings file serves the integrity check and every setting the
// start-up applies, in either form of the file; afterwards lookups go to the file again.
TEST(StartUp, ReadsTheSettingsFileOnceForTheCheckAndTheSettings) {
    for (const bool utf16 : {false, true}) {
        SCOPED_TRACE(utf16 ? "UTF-16LE" : "code page 936");
        WizardFixture w;
        if (utf16) {
            const std::string bytes =
                "\xFF\xFE" + ToUtf16Le(FromUtf8(WizardFixture::DefaultSettings()));
            w.kit.Write("install.dat", SealConfigID(bytes, u"TEST"));
        }
        CountingProfile counting(w.profile);
        ScopedService<IProfile> use(counting);
        w.Start();
        EXPECT_TRUE(w.dialogs.boxes.empty());
        EXPECT_TRUE(frmShow);
        EXPECT_EQ(w.files.settingsReads, 1);
        EXPECT_EQ(counting.settingsReads, 0);
        EXPECT_EQ(frmMain->Caption(), u"en20 DLL Ver:12 Tool Ver: 2.5");
        EXPECT_EQ(frmMain->lblWelcome->Caption(), u"en21");
        EXPECT_EQ(PrintModel,
                  (StringList{u"Model-1,VID_1A2B,PID_3C4D", u"Model-2,VID_1A2B,PID_3C4E",
                              u"Label-3,VID_1A2B,PID_5E6F"}));
        EXPECT_TRUE(frmMain->ImgCompanyLogo->Visible());

        w.Click(frmMain->rbChinese);
        EXPECT_EQ(frmMain->lblWelcome->Caption(), u"中21");
        EXPECT_GT(counting.settingsReads, 0);
    }
}

TEST(StartUp, RefusesWithoutItsFilesAndEnds) {
    struct Case {
        const char* name;
        bool settings, library;
    } cases[] = {{"no settings", false, true}, {"no settings, no library", false, false},
                 {"no library", true, false}};
    for (const auto& c : cases) {
        WizardFixture w;
        if (!c.settings) std::filesystem::remove(w.kit / "install.dat");
        if (!c.library) std::filesystem::remove(w.kit / "USBPrinterlibary.dll");
        w.Start();
        ASSERT_EQ(w.dialogs.boxes.size(), 1u) << c.name;
        EXPECT_EQ(w.dialogs.boxes[0].text, kMissingEN) << c.name;
        EXPECT_EQ(w.dialogs.boxes[0].title, u"Warning") << c.name;
        EXPECT_EQ(w.dialogs.boxes[0].flags, 0x40010u) << c.name;
        EXPECT_EQ(w.sys.pump.quits, std::vector<int>{0}) << c.name;
        EXPECT_FALSE(frmMain->Visible()) << c.name;
        EXPECT_FALSE(frmShow) << c.name;
    }
}

TEST(StartUp, RefusalsSpeakChineseOnAChineseSystem) {
    WizardFixture w;
    w.locale.value = String(u"0804");
    OSLanguage = GetWindowsLanguage(1);
    std::filesystem::remove(w.kit / "install.dat");
    w.Start();
    ASSERT_EQ(w.dialogs.boxes.size(), 1u);
    EXPECT_EQ(w.dialogs.boxes[0].title, u"警告");
    EXPECT_EQ(w.dialogs.boxes[0].text, u"缺少系统核心文件，驱动安装向导无法运行，安装失败！！");
}

TEST(StartUp, RefusesAFileThatDoesNotMatchItsSealAndLeavesItAsItWas) {
    const std::string kinds[] = {"letter case", "one caption changed", "no key", "empty",
                                 "binary", "no sections"};
    for (const auto& kind : kinds) {
        WizardFixture w;
        std::string bytes = w.kit.Read("install.dat");
        if (kind == "letter case") {
            const size_t at = bytes.find("ConfigID=") + 9;
            for (size_t i = at; i < at + 32; ++i) bytes[i] = static_cast<char>(std::toupper(bytes[i]));
        } else if (kind == "one caption changed") {
            bytes = With(bytes, "en43", "en44");
        } else if (kind == "no key") {
            bytes = With(bytes, "ConfigID=", "Config=");
        } else if (kind == "empty") {
            bytes.clear();
        } else if (kind == "binary") {
            bytes = std::string("\x00\x01\xFF\xFE\x80[\x00]=", 10);
        } else {
            bytes = "just some words\r\nand more\r\n";
        }
        w.kit.Write("install.dat", bytes);
        w.Start();
        ASSERT_EQ(w.dialogs.boxes.size(), 1u) << kind;
        EXPECT_EQ(w.dialogs.boxes[0].text, kIntegrityEN) << kind;
        EXPECT_EQ(w.sys.pump.quits, std::vector<int>{0}) << kind;
        EXPECT_EQ(w.kit.Read("install.dat"), bytes) << kind;
    }
}

// The settings file in the ANSI code page or as UTF-16LE: the same start-up, the same refusals,
// and the seal computed on the file's own bytes.
TEST(StartUp, BothFormsOfTheSettingsFileStartAndAreRefusedAlike) {
    for (const bool utf16 : {false, true}) {
        SCOPED_TRACE(utf16 ? "UTF-16LE" : "code page 936");
        {
            WizardFixture w;
            w.WriteSettings(WizardFixture::DefaultSettings(), true, utf16);
            w.Start();
            EXPECT_TRUE(w.dialogs.boxes.empty());
            EXPECT_EQ(frmMain->pcPage->ActivePage(), frmMain->tbsWelcome);
            w.Click(frmMain->rbChinese);
            EXPECT_EQ(frmMain->Caption(), u"中20 DLL Ver:12 Tool Ver: 2.5");
        }
        {
            WizardFixture w;
            w.WriteSettings(WizardFixture::DefaultSettings(), true, utf16);
            // One Chinese caption changed after sealing, in the file's own encoding.
            auto encoded = [&](const String& text) {
                return utf16 ? ToUtf16Le(text) : w.sys.codePage.ToAnsi(text);
            };
            std::string bytes = w.kit.Read("install.dat");
            const std::size_t at = bytes.find(encoded(u"中43"));
            ASSERT_NE(at, std::string::npos);
            bytes.replace(at, encoded(u"中43").size(), encoded(u"中44"));
            w.kit.Write("install.dat", bytes);
            w.Start();
            ASSERT_EQ(w.dialogs.boxes.size(), 1u);
            EXPECT_EQ(w.dialogs.boxes[0].text, kIntegrityEN);
            EXPECT_EQ(w.sys.pump.quits, std::vector<int>{0});
            EXPECT_EQ(w.kit.Read("install.dat"), bytes);
        }
        {
            WizardFixture w;
            w.WriteSettings(WizardFixture::DefaultSettings(), true, utf16);
            std::filesystem::remove(w.kit / "USBPrinterlibary.dll");
            w.Start();
            ASSERT_EQ(w.dialogs.boxes.size(), 1u);
            EXPECT_EQ(w.dialogs.boxes[0].text, kMissingEN);
        }
    }
}

TEST(StartUp, ASettingsFolderInPlaceOfTheFileCountsAsMissing) {
    WizardFixture w;
    std::filesystem::remove(w.kit / "install.dat");
    std::filesystem::create_directory(w.kit / "install.dat");
    w.Start();
    ASSERT_EQ(w.dialogs.boxes.size(), 1u);
    EXPECT_EQ(w.dialogs.boxes[0].text, kMissingEN);
}

TEST(StartUp, AnUnconvertibleSwitchStopsTheSequenceWithTheWindowShown) {
    struct Case {
        const char* from;
        const char* to;
        const char16_t* message;
    } cases[] = {
        {"DefaultAbout=1", "DefaultAbout=yes", u"'yes' is not a valid boolean value."},
        {"DefaultAbout=1", "DefaultAbout=", u"'' is not a valid boolean value."},
        {"DefaultPort=0", "DefaultPort=1x", u"'1x' is not a valid integer value."},
    };
    for (const auto& c : cases) {
        WizardFixture w(With(WizardFixture::DefaultSettings(), c.from, c.to));
        w.Start();
        ASSERT_EQ(w.dialogs.boxes.size(), 1u) << c.to;
        EXPECT_EQ(w.dialogs.boxes[0].text, c.message);
        EXPECT_EQ(w.dialogs.boxes[0].title, u"Odaxprintdrive");
        EXPECT_EQ(w.dialogs.boxes[0].flags, mb::OK | mb::ICONERROR);
        EXPECT_TRUE(frmMain->Visible());
        EXPECT_FALSE(frmShow);
        EXPECT_EQ(frmMain->chkPrintSelect->Count(), 0); // later steps did not run
        EXPECT_EQ(frmMain->Caption(), u"ODAX打印机驱动安装");
        EXPECT_TRUE(w.sys.pump.quits.empty());
    }
}

TEST(StartUp, DefaultConnectionTypes) {
    {
        WizardFixture w(With(WizardFixture::DefaultSettings(), "DefaultPort=0", "DefaultPort=4"));
        w.Start();
        for (auto* rb : {frmMain->rbNet, frmMain->rbUsb, frmMain->rbRs232, frmMain->rbLPT})
            EXPECT_FALSE(rb->Checked()) << ToUtf8(rb->Name());
        EXPECT_TRUE(frmMain->cbRs232->Items().empty()); // no connection chosen: no lists
        w.Click(frmMain->btnNext);
        w.Click(frmMain->btnNext);
        EXPECT_EQ(frmMain->pcPage->ActivePage(), frmMain->tbsDriveNameSelect);
    }
    for (const char* select : {"1", "0"}) {
        WizardFixture w(With(With(WizardFixture::DefaultSettings(), "DefaultPort=0", "DefaultPort=1"),
                             "USBPortSelect=1", std::string("USBPortSelect=") + select));
        w.Start();
        EXPECT_TRUE(frmMain->rbUsb->Checked());
        EXPECT_EQ(EnumPort, TEnumPort::USB);
        EXPECT_EQ(frmMain->cbUSB->Enabled(), select[0] == '1');
        EXPECT_EQ(frmMain->cbUSB->Items(), StringList{u"USB001"});
    }
}

TEST(StartUp, PrinterClassFromTheUpperCasedSetting) {
    struct Case {
        const char* value;
        bool pos;
    } cases[] = {{"pos", true}, {"POS", true}, {"Label", false}, {"", false}, {"POS2", false}};
    for (const auto& c : cases) {
        WizardFixture w(With(WizardFixture::DefaultSettings(), "DefaultPrintClass=POS",
                             std::string("DefaultPrintClass=") + c.value));
        w.Start();
        EXPECT_EQ(frmMain->rbPOS->Checked(), c.pos) << c.value;
        EXPECT_EQ(frmMain->rbLabel->Checked(), !c.pos) << c.value;
        w.Click(frmMain->rbChinese); // the language does not change the class
        EXPECT_EQ(frmMain->rbPOS->Checked(), c.pos) << c.value;
    }
}

TEST(StartUp, AnEmptyModelSectionStillCompletes) {
    std::string s = WizardFixture::DefaultSettings();
    const size_t from = s.find("m1=");
    s.erase(from, s.find("[CAPTION_EN]") - from);
    WizardFixture w(s);
    w.Start();
    EXPECT_TRUE(frmShow);
    EXPECT_EQ(frmMain->chkPrintSelect->Count(), 0);
}

TEST(Quit, AsksAndOnlyYesCloses) {
    WizardFixture w;
    w.Start();
    w.dialogs.answers = {mb::ID_NO};
    w.Click(frmMain->btnQuit);
    ASSERT_EQ(w.dialogs.boxes.size(), 1u);
    EXPECT_EQ(w.dialogs.boxes[0].text, u"en43");
    EXPECT_EQ(w.dialogs.boxes[0].title, u"en8");
    EXPECT_EQ(w.dialogs.boxes[0].flags, 0x24u);
    EXPECT_TRUE(frmMain->Visible());
    EXPECT_TRUE(w.sys.pump.quits.empty());

    w.dialogs.answers = {mb::ID_YES};
    w.Click(frmMain->btnQuit);
    EXPECT_FALSE(frmMain->Visible());
    EXPECT_EQ(w.sys.pump.quits, std::vector<int>{0});
    EXPECT_FALSE(frmShow); // destroyed
}

TEST(Quit, TheCloseBoxEndsWithoutAsking) {
    WizardFixture w;
    w.Start();
    ui::DispatchEvent([] { frmMain->Close(); });
    EXPECT_TRUE(w.dialogs.boxes.empty());
    EXPECT_EQ(w.sys.pump.quits, std::vector<int>{0});
}

TEST(VendorLink, OnlyAWebAddressIsOpenedByTheLogoAndBothLinks) {
    struct Case {
        const char* value; // as written in the settings file
        bool opened;
    } cases[] = {
        {"https://example.com/", true},       {"HTTP://EXAMPLE.COM/odax", true},
        {"Https://example.com", true},        {"cmd.exe", false},
        {"\\\\host\\share\\x.exe", false},    {"file:///C:/Windows/System32/cmd.exe", false},
        {"file:example.html", false},         {"", false},
        {"\" https://example.com/\"", false}, // quoted to keep the leading blank
        {"http:/example.com", false},         {"httpx://example.com", false},
        {"www.example.com", false},           {"javascript:alert(1)", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        std::string s = With(WizardFixture::DefaultSettings(), "WEB=https://example.com/",
                             std::string("WEB=") + c.value);
        WizardFixture w(s);
        w.Start();
        const String web = IniOptions->GetIdentValue(u"OEM", u"WEB");
        w.backend.onModal = [&](ui::Form& form) {
            auto& about = static_cast<TfrmAbout&>(form);
            EXPECT_EQ(about.lblWeb->Caption(), web);
            about.lblWeb->Click();
            about.OKButton->Click();
        };
        w.Click(frmMain->ImgCompanyLogo);
        w.Click(frmMain->lblWeb);
        w.Click(frmMain->btnAbout);
        EXPECT_EQ(w.dialogs.opened, c.opened ? std::vector<String>(3, web) : std::vector<String>{});
        EXPECT_TRUE(w.dialogs.boxes.empty());
    }
}

TEST(StartUp, AnIntegrityCheckThatCannotFinishLeavesNothingInstallable) {
    // The settings file held open by another program, or its read refused.
    for (std::uint32_t error : {32u, 5u}) {
        SCOPED_TRACE(error);
        WizardFixture w;
        w.files.settingsReadError = error;
        w.Start();
        ASSERT_EQ(w.dialogs.boxes.size(), 1u);
        EXPECT_TRUE(StartsWith(w.dialogs.boxes[0].text, u"Cannot open file \""))
            << ToUtf8(w.dialogs.boxes[0].text);
        EXPECT_EQ(w.dialogs.boxes[0].flags, mb::OK | mb::ICONERROR);
        EXPECT_FALSE(frmShow);
        EXPECT_FALSE(frmMain->btnNext->Enabled());
        EXPECT_FALSE(frmMain->btnStartInstall->Enabled());
        EXPECT_FALSE(frmMain->btnPrevious->Enabled());
        EXPECT_EQ(frmMain->pcPage->ActivePage(), frmMain->tbsWelcome);
    }
}
