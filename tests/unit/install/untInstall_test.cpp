#include <gtest/gtest.h>

#include "base/Errors.h"
#include "install/InstallWorld.h"
#include "install/untInstall.h"
#include "printing/SystemCommands.h"
#include "ui/Dispatch.h"

namespace {

const String kName = InstallWorld::kModel;

String Install(const String& port, const String& inf = InstallWorld::kPosInf,
               const String& name = kName) {
    return kRundll32 + u" printui.dll,PrintUIEntry /if /b \"" + name + u"\" /f \"" + inf +
           u"\" /r \"" + port + u"\" /m \"" + name + u"\"";
}

// What the wait dialog shows for a run without a port creation.
StringList RunLog() {
    return {En(47), En(49), En(52), En(53), En(46), En(45), kName + u" " + En(15), En(44)};
}

// The state of the windows when a run is over or stopped.
void ExpectUsable(const InstallWorld& w) {
    EXPECT_TRUE(w.main->Enabled());
    EXPECT_TRUE(w.main->btnStartInstall->Enabled());
    EXPECT_TRUE(w.wait->BitBtn1->Enabled());
}

} // namespace

TEST(InstallRun, NetworkInstallCreatesThePortThenInstallsOnIt) {
    InstallWorld w;
    w.OnNetPage(u"192.168.1.100");
    ASSERT_EQ(w.main->meText->Text(), u"192.168.1  .100");
    bool lockedDuringInstall = false;
    w.duringRun = [&](const String& cmd) {
        if (StartsWith(cmd, kRundll32))
            lockedDuringInstall = !w.main->Enabled() && !w.main->btnStartInstall->Enabled() &&
                                  !w.wait->BitBtn1->Enabled() && w.wait->Visible();
    };

    w.RunInstall();

    EXPECT_EQ(w.sys.processes.commands, (StringList{kNetStopSpooler, kNetStartSpooler,
                                                    kNetStartSpooler, Install(u"192.168.1.100")}));
    EXPECT_EQ(w.registry.writes.size(), 20u);
    EXPECT_TRUE(lockedDuringInstall);
    // The port creation clears the log: the run's first two lines are gone.
    StringList log = w.Log();
    ASSERT_GE(log.size(), 24u);
    EXPECT_EQ(log[0], En(56));
    log.erase(log.begin(), log.begin() + 24);
    EXPECT_EQ(log, (StringList{En(59) + u"192.168.1.100" + En(32), En(49), En(52), En(53), En(46),
                               En(45), kName + u" " + En(15), En(44)}));
    EXPECT_EQ(w.Boxes(), (StringList{En(8) + u"|" + En(59) + u"192.168.1.100," + En(32),
                                     En(42) + u"|" + En(44), En(8) + u"|" + En(43)}));
    EXPECT_EQ(w.dialogs.boxes[1].flags, 0x40u);
    EXPECT_EQ(w.dialogs.boxes[2].flags, 0x24u);
    EXPECT_EQ(PrintSetupInfo.PrintPort, u"192.168.1.100");
    EXPECT_EQ(PrintSetupInfo.PrintName, kName);
    EXPECT_EQ(w.Status(), En(18));
    EXPECT_FALSE(w.wait->Visible());
    ExpectUsable(w);
}

TEST(InstallRun, SerialParallelAndUsbPagesInstallOnTheShownPort) {
    struct Case {
        int page;
        const char16_t* list;
        StringList ports;
        const char16_t* port;
    } cases[] = {
        {3, u"cbUSB", {u"USB001", u"USB002"}, u"USB001"},
        {4, u"cbRs232", {u"COM1"}, u"COM1"},
        {5, u"cbLpt", {u"LPT1", u"LPT2"}, u"LPT1"},
        {0, u"cbLpt", {u"LPT1"}, u"COM7"}, // any other page: the port stays as it was
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.list) + " " + ToUtf8(c.port));
        InstallWorld w;
        PrintSetupInfo.PrintPort = u"COM7";
        w.OnPortPage(c.page, static_cast<ui::ComboBox*>(w.main->FindControl(c.list)), c.ports);
        if (c.page == 3) w.AcceptedUsbSearch(ToUtf8(c.port));
        w.RunInstall();
        EXPECT_EQ(w.sys.processes.commands, (StringList{kNetStartSpooler, Install(c.port)}));
        EXPECT_EQ(PrintSetupInfo.PrintPort, c.port);
        EXPECT_EQ(w.Log(), RunLog());
        EXPECT_EQ(w.Boxes(), (StringList{En(42) + u"|" + En(44), En(8) + u"|" + En(43)}));
        EXPECT_TRUE(w.registry.writes.empty());
        EXPECT_EQ(w.wait->Caption(), En(47));
        EXPECT_EQ(w.wait->Label1->Caption(), En(47));
    }
}

TEST(InstallRun, AnExistingPortIsOfferedYesEndsTheRunNoUsesIt) {
    for (int answer : {mb::ID_YES, mb::ID_NO}) {
        SCOPED_TRACE(answer);
        InstallWorld w;
        w.OnNetPage(u"192.168.1.100");
        w.main->cbPortList->SetItems({u"COM1", u" 192.168.1.100\t", u"192.168.1.100"});
        PrintSetupInfo.PrintPort = u"USB001";
        w.dialogs.answers = {answer};
        w.RunInstall();
        ASSERT_GE(w.dialogs.boxes.size(), 1u);
        EXPECT_EQ(w.dialogs.boxes[0].text, En(30));
        EXPECT_EQ(w.dialogs.boxes[0].flags, 0x34u);
        EXPECT_TRUE(w.registry.writes.empty()); // never rewritten
        if (answer == mb::ID_YES) {
            EXPECT_EQ(w.dialogs.boxes.size(), 1u);
            EXPECT_TRUE(w.sys.processes.commands.empty());
            EXPECT_EQ(PrintSetupInfo.PrintPort, u"USB001");
            EXPECT_FALSE(w.wait->Visible());
            EXPECT_EQ(w.main->FocusedControl(), w.main->meText);
            EXPECT_EQ(w.Log(), (StringList{En(47), En(30)}));
        } else {
            EXPECT_EQ(w.sys.processes.commands,
                      (StringList{kNetStartSpooler, Install(u"192.168.1.100")}));
            StringList log = RunLog();
            log.insert(log.begin() + 1, En(30));
            EXPECT_EQ(w.Log(), log);
        }
    }
}

TEST(InstallRun, APortNamedWithPrefixIsAnotherPort) {
    InstallWorld w;
    w.OnNetPage(u"192.168.1.100");
    w.main->cbPortList->SetItems({u"IP_192.168.1.100"});
    w.RunInstall();
    EXPECT_EQ(w.registry.writes.size(), 20u);
    EXPECT_EQ(w.sys.processes.commands.back(), Install(u"192.168.1.100"));
}

TEST(InstallRun, AnInvalidAddressCreatesAndInstallsNothing) {
    InstallWorld w;
    w.OnNetPage(u"0.0.0.0");
    w.RunInstall();
    EXPECT_EQ(w.Boxes(), StringList{En(8) + u"|" + En(29)});
    EXPECT_EQ(w.dialogs.boxes[0].flags, 0x40u);
    EXPECT_TRUE(w.sys.processes.commands.empty());
    EXPECT_FALSE(w.wait->Visible());
    EXPECT_EQ(w.main->FocusedControl(), w.main->meText);
    ExpectUsable(w);
}

TEST(InstallRun, AFailedPortCreationIsReportedAndNothingIsInstalled) {
    InstallWorld w;
    w.OnNetPage(u"192.168.1.100");
    w.registry.refuseWrite = 5;
    w.RunInstall();
    EXPECT_EQ(w.sys.processes.commands, (StringList{kNetStopSpooler, kNetStartSpooler}));
    EXPECT_EQ(w.Log().back(), En(71));
    EXPECT_EQ(w.Status(), En(71));
    EXPECT_EQ(w.Boxes(), StringList{En(33) + u"|" + En(71) + En(72)});
    EXPECT_EQ(w.dialogs.boxes[0].flags, 0x10u);
    EXPECT_FALSE(w.wait->Visible());
    EXPECT_TRUE(w.main->Enabled());
    EXPECT_TRUE(w.main->btnStartInstall->Enabled());
}

TEST(InstallRun, AnInstalledPrinterOfTheSameNameIsOfferedForRemoval) {
    const String remove = kRundll32 + u" printui.dll,PrintUIEntry /dd /m \"" + kName +
                          u"\" /h \"x64\" /v \"Type 3 - User Mode\" ";
    struct Case {
        const char16_t* listed;
        int answer;
        bool asked, removed;
    } cases[] = {
        {u"Model-1", mb::ID_YES, true, true},
        {u"Model-1", mb::ID_NO, true, false},
        {u"odax-80 receipt", mb::ID_YES, false, false}, // letter case counts
        {u"Model-1 ", mb::ID_YES, false, false},        // no trimming
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.listed) + " " + std::to_string(c.answer));
        InstallWorld w;
        w.Config(u"CheckPrinterRepeatedly", u"1");
        w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
        w.main->cbPrintList->SetItems({u"Other", c.listed});
        w.dialogs.answers = {c.answer};
        w.RunInstall();
        EXPECT_EQ(!w.dialogs.boxes.empty() && w.dialogs.boxes[0].text == En(34), c.asked);
        StringList commands{kNetStartSpooler, Install(u"COM1")};
        StringList log = RunLog();
        if (c.removed) {
            commands.insert(commands.begin(), {kNetStartSpooler, remove});
            log.insert(log.begin() + 1, {En(68), kName + En(69)});
        }
        EXPECT_EQ(w.sys.processes.commands, commands);
        EXPECT_EQ(w.Log(), log);
    }
}

TEST(InstallRun, OnlyTheSpoolerCommandsHaveATimeLimit) {
    InstallWorld w;
    w.Config(u"CheckPrinterRepeatedly", u"1");
    w.OnNetPage(u"192.168.1.100");
    w.main->cbPrintList->SetItems({kName});
    w.dialogs.answers = {mb::ID_OK, mb::ID_YES}; // the port's message, then remove the printer
    w.sys.processes.timeLimits.clear();
    w.RunInstall();
    const String remove = kRundll32 + u" printui.dll,PrintUIEntry /dd /m \"" + kName +
                          u"\" /h \"x64\" /v \"Type 3 - User Mode\" ";
    const StringList commands{kNetStopSpooler, kNetStartSpooler, kNetStartSpooler,
                              remove,          kNetStartSpooler, Install(u"192.168.1.100")};
    ASSERT_EQ(w.sys.processes.commands, commands);
    const std::uint32_t bound = kSpoolerTimeLimitMs, none = kNoTimeLimit;
    EXPECT_EQ(w.sys.processes.timeLimits,
              (std::vector<std::uint32_t>{bound, bound, bound, none, bound, none}));
    EXPECT_GE(kSpoolerTimeLimitMs, 30000u); // never below the service control timeout
}

TEST(InstallRun, DefaultPrinterPolicy) {
    struct Case {
        const char16_t* setting;
        int answer;
        bool asked;
        const char16_t* device; // [windows] device afterwards
    } cases[] = {
        {u"0", 0, false, u"Old,winspool,LPT1"},
        {u"3", 0, false, u"Old,winspool,LPT1"},
        {u"1", 0, false, u"Model-1,winspool,COM1"},
        {u"$1", 0, false, u"Model-1,winspool,COM1"},
        {u"2", mb::ID_YES, true, u"Model-1,winspool,COM1"},
        {u"2", mb::ID_NO, true, u"Old,winspool,LPT1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.setting) + " " + std::to_string(c.answer));
        InstallWorld w;
        w.Config(u"MrPrintSet", c.setting);
        w.profile.WriteProfileStringW(String(u"windows"), String(u"device"),
                                      String(u"Old,winspool,LPT1"));
        w.profile.WriteProfileStringW(String(u"Devices"), kName, String(u"winspool,COM1"));
        w.spooler.printers.push_back(u"Old");
        w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
        if (c.asked) w.dialogs.answers = {c.answer};
        w.RunInstall();
        EXPECT_EQ(w.WinIniDevice(), c.device);
        const String question = En(8) + u"|" + En(55) + u"Old," + En(54);
        EXPECT_EQ(w.Boxes().front() == question, c.asked);
        EXPECT_EQ(w.Boxes().back(), En(8) + u"|" + En(43)); // the end follows in every case
    }
}

TEST(InstallRun, TheDefaultPrinterQuestionWithoutAUsableDefault) {
    InstallWorld w;
    w.Config(u"MrPrintSet", u"2");
    w.profile.WriteProfileStringW(String(u"windows"), String(u"device"),
                                  String(u"Gone,winspool,LPT1"));
    w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
    w.RunInstall();
    EXPECT_EQ(w.Boxes().front(), En(8) + u"|" + En(55) + u"," + En(54));
    EXPECT_EQ(w.dialogs.boxes.front().flags, 0x24u);
}

TEST(InstallRun, TheEndAnnouncesAndOffersToQuit) {
    struct Case {
        const char16_t* autoQuit;
        std::deque<int> answers;
        StringList boxes;
        bool closed;
    } cases[] = {
        {u"0", {}, {En(42) + u"|" + En(44), En(8) + u"|" + En(43)}, false},
        {u"0",
         {mb::ID_OK, mb::ID_YES, mb::ID_NO},
         {En(42) + u"|" + En(44), En(8) + u"|" + En(43), En(8) + u"|" + En(43)},
         false},
        {u"0",
         {mb::ID_OK, mb::ID_YES, mb::ID_YES},
         {En(42) + u"|" + En(44), En(8) + u"|" + En(43), En(8) + u"|" + En(43)},
         true},
        {u"1",
         {mb::ID_OK, mb::ID_OK, mb::ID_YES},
         {En(42) + u"|" + En(44), En(8) + u"|" + En(45) + En(76), En(8) + u"|" + En(43)},
         true},
        // Quoted in the file so that the blank survives the read.
        {u"\" 0\"",
         {},
         {En(42) + u"|" + En(44), En(8) + u"|" + En(45) + En(76), En(8) + u"|" + En(43)},
         false},
        {u"",
         {},
         {En(42) + u"|" + En(44), En(8) + u"|" + En(45) + En(76), En(8) + u"|" + En(43)},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + ToUtf8(c.autoQuit) + "' " + std::to_string(c.answers.size()));
        InstallWorld w;
        w.Config(u"SetupAutoQuit", c.autoQuit);
        w.OnPortPage(5, w.main->cbLpt, {u"LPT1"});
        w.dialogs.answers = c.answers;
        bool lockedAtEnd = false;
        w.dialogs.onBox = [&](const FakeDialogs::Box& b) {
            if (b.title == En(42)) lockedAtEnd = !w.main->Enabled();
        };
        w.RunInstall();
        EXPECT_EQ(w.Boxes(), c.boxes);
        EXPECT_TRUE(lockedAtEnd);
        EXPECT_EQ(!w.sys.pump.quits.empty(), c.closed); // closing the window ends the program
        // The end of the run is reached also after the window was closed.
        EXPECT_EQ(w.Status(), En(18));
        EXPECT_FALSE(w.wait->Visible());
        ExpectUsable(w);
    }
}

TEST(InstallRun, TheInstallCommandTakesTheClassesFileFromTheLanguagesFolder) {
    struct Case {
        bool label;
        TOSLanguage language;
        const char16_t* inf;
    } cases[] = {
        {false, TOSLanguage::EN, u"C:\\Setup\\EN\\pos.inf"},
        {true, TOSLanguage::EN, u"C:\\Setup\\EN\\label.inf"},
        {false, TOSLanguage::CN, u"C:\\Setup\\CN\\pos.inf"},
        {true, TOSLanguage::CN, u"C:\\Setup\\CN\\label.inf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.inf));
        InstallWorld w;
        w.Click(c.language == TOSLanguage::CN ? w.main->rbChinese : w.main->rbEnglish);
        ASSERT_EQ(OSLanguage, c.language);
        (c.label ? w.main->rbLabel : w.main->rbPOS)->SetChecked(true);
        w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
        w.RunInstall();
        EXPECT_EQ(w.sys.processes.commands.back(), Install(u"COM1", c.inf));
        const String end = c.language == TOSLanguage::CN ? Cn(44) : En(44);
        EXPECT_EQ(w.Log().back(), end);
    }
}

TEST(InstallRun, AProgramBesideAnotherFolderTakesTheInfFromThere) {
    InstallWorld w;
    w.files.module = u"D:\\Vendor Kit\\v2\\ODAXPrintDrive.exe";
    w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
    w.RunInstall();
    EXPECT_EQ(w.sys.processes.commands.back(),
              Install(u"COM1", u"D:\\Vendor Kit\\v2\\EN\\pos.inf"));
}

TEST(InstallRun, APrinterThatWasNotCreatedIsReportedAsAFailure) {
    for (bool kitHasKeys : {false, true}) {
        SCOPED_TRACE(kitHasKeys);
        InstallWorld w;
        w.installCreatesPrinter = false;
        w.Config(u"MrPrintSet", u"1");
        if (!kitHasKeys) {
            w.CaptionEN(77, u"");
            w.CaptionEN(78, u"");
        }
        w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
        w.RunInstall();
        const String failure = (kitHasKeys ? En(77) : String(caption::kNotInstalled.en)) + kName;
        const String hint = kitHasKeys ? En(78) : String(caption::kNotInstalledHint.en);
        EXPECT_EQ(w.Log(), (StringList{En(47), En(49), En(52), En(53), En(46), failure}));
        EXPECT_EQ(w.Status(), failure);
        EXPECT_EQ(w.Boxes(), StringList{En(8) + u"|" + failure + u"\r\n" + hint});
        EXPECT_EQ(w.dialogs.boxes[0].flags, 0x10u);
        EXPECT_EQ(w.spooler.opened, StringList{kName});
        EXPECT_EQ(w.WinIniDevice(), u""); // the default printer is left alone
        EXPECT_TRUE(w.sys.pump.quits.empty());
        EXPECT_TRUE(w.wait->Visible()); // the log stays for the user to read
        ExpectUsable(w);
    }
}

TEST(InstallRun, TheFailureTextsFollowTheDisplayLanguage) {
    InstallWorld w;
    w.Click(w.main->rbChinese);
    w.installCreatesPrinter = false;
    w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
    w.RunInstall();
    EXPECT_EQ(w.Status(), Cn(77) + kName);
    IniOptions->SetIdentValue(u"CAPTION_CN", u"Caption_77", u"");
    w.RunInstall();
    EXPECT_EQ(w.Status(), String(caption::kNotInstalled.cn) + kName);
}

TEST(InstallRun, AnEmptyModelNameIsInstalledAsGivenAndNeverCountsAsInstalled) {
    InstallWorld w;
    PrintSetupInfo.PrintName.clear();
    w.OnPortPage(5, w.main->cbLpt, {u"LPT1"});
    w.RunInstall();
    EXPECT_EQ(w.sys.processes.commands.back(), Install(u"LPT1", InstallWorld::kPosInf, u""));
    EXPECT_EQ(w.Status(), En(77));
    EXPECT_TRUE(w.spooler.opened.empty()); // the print server itself is not asked
}

TEST(InstallRun, AnUnsafeNameIsRefusedBeforeItsCommand) {
    // When the model name changes while messages are pumped, after the check at the start.
    enum class Race { None, RemovalQuestion, Pump };
    struct Case {
        const char16_t* name;
        const char16_t* inf;
        const char16_t* port;
        int key; // the refusal's caption
        const char16_t* refused;
        Race race = Race::None;
    } cases[] = {
        {u"Model \"1\"", u"pos.inf", u"COM1", 79, u"Model \"1\""},
        {u"Model-1", u"pos\" /x.inf", u"COM1", 79, u"pos\" /x.inf"},
        {u"Model-1", u"pos.inf", u"COM\"1", 79, u"COM\"1"},
        // A trailing backslash would swallow the closing quote.
        {u"Model-1\\", u"pos.inf", u"COM1", 81, u"Model-1\\"},
        {u"Model-1", u"pos.inf", u"COM1\\", 81, u"COM1\\"},
        {u"Model-1", u"pos.inf\\", u"COM1", 81, u"pos.inf\\"},
        // The INF file is a plain name in the language folder.
        {u"Model-1", u"..\\pos.inf", u"COM1", 81, u"..\\pos.inf"},
        {u"Model-1", u"sub/pos.inf", u"COM1", 81, u"sub/pos.inf"},
        {u"Model-1", u"C:pos.inf", u"COM1", 81, u"C:pos.inf"},
        {u"Model-1", u"\\\\host\\share\\pos.inf", u"COM1", 81, u"\\\\host\\share\\pos.inf"},
        {u"Model-1", u"..", u"COM1", 81, u".."},
        {u"Model-1", u"pos.inf", u"COM1", 81, u"Model-1\\", Race::RemovalQuestion},
        {u"Model-1", u"pos.inf", u"COM1", 79, u"Model\"1", Race::Pump},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.refused) + " race " + std::to_string(static_cast<int>(c.race)));
        InstallWorld w;
        PrintSetupInfo.PrintName = c.name;
        w.Config(u"POSInfFileName", c.inf);
        w.Config(u"CheckPrinterRepeatedly", u"1");
        // Offered for removal, and removed when the name is safe; not in the pump's race,
        // whose name must change before the command it would run.
        if (c.race != Race::Pump) w.main->cbPrintList->SetItems({c.name});
        w.dialogs.answers = {mb::ID_YES};
        w.OnPortPage(4, w.main->cbRs232, {c.port});
        if (c.race == Race::RemovalQuestion)
            w.dialogs.onBox = [&](const FakeDialogs::Box& b) {
                if (b.text == En(34)) PrintSetupInfo.PrintName = c.refused;
            };
        if (c.race == Race::Pump)
            w.sys.pump.onPump = [&] {
                if (!w.main->Enabled()) PrintSetupInfo.PrintName = c.refused; // after the lock
            };
        ui::DispatchEvent([&] { w.RunInstall(); });
        EXPECT_TRUE(w.CommandsStarting(kRundll32).empty());
        if (c.race == Race::None) {
            EXPECT_TRUE(w.sys.processes.commands.empty());
            EXPECT_EQ(w.Boxes(), StringList{En(8) + u"|" + En(c.key) + c.refused});
            EXPECT_FALSE(w.wait->Visible());
            EXPECT_EQ(w.main->FocusedControl(), w.main->cbRs232); // the page's field
        } else {
            // Caught where the command line is built: the standard error box.
            ASSERT_FALSE(w.dialogs.boxes.empty());
            EXPECT_EQ(w.dialogs.boxes.back().text, En(c.key) + c.refused + u".");
            EXPECT_TRUE(w.wait->Visible());
        }
        EXPECT_EQ(w.dialogs.boxes.back().flags, 0x10u);
        ExpectUsable(w);
    }
}

TEST(InstallRun, AQuoteInTheOtherClassesFileDoesNotMatter) {
    InstallWorld w;
    w.Config(u"LabelInfFileName", u"label\".inf");
    w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
    w.RunInstall();
    EXPECT_EQ(w.sys.processes.commands.back(), Install(u"COM1"));
}

TEST(InstallRun, ASecondClickDuringARunDoesNothing) {
    InstallWorld w;
    w.Config(u"CheckPrinterRepeatedly", u"1");
    w.main->cbPrintList->SetItems({kName});
    w.dialogs.answers = {mb::ID_YES};
    w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
    int clicks = 0;
    // The user clicks again whenever messages are handled while the button is enabled.
    w.sys.pump.onPump = [&] {
        if (w.main->btnStartInstall->Enabled()) {
            ++clicks;
            w.main->btnStartInstall->Click();
        }
    };
    w.RunInstall();
    EXPECT_GT(clicks, 0);
    EXPECT_EQ(w.CommandsStarting(kRundll32 + u" printui.dll,PrintUIEntry /if").size(), 1u);
    EXPECT_EQ(w.CommandsStarting(kRundll32 + u" printui.dll,PrintUIEntry /dd").size(), 1u);
    // After the run a click starts the next one.
    w.sys.pump.onPump = nullptr;
    w.dialogs.answers = {mb::ID_NO};
    w.RunInstall();
    EXPECT_EQ(w.CommandsStarting(kRundll32 + u" printui.dll,PrintUIEntry /if").size(), 2u);
}

TEST(InstallRun, AnUnconvertibleCheckSettingStopsBeforeAnythingIsLocked) {
    InstallWorld w;
    w.Config(u"CheckPrinterRepeatedly", u"");
    w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
    try {
        w.RunInstall();
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), u"'' is not a valid boolean value");
    }
    EXPECT_TRUE(w.sys.processes.commands.empty());
    EXPECT_EQ(PrintSetupInfo.PrintPort, u"COM1");
    EXPECT_TRUE(w.wait->Visible());
    ExpectUsable(w);
}

TEST(InstallRun, AnErrorAfterTheLockLeavesTheWindowsUsableAndReachesTheErrorBox) {
    struct Case {
        const char* what;
        const char16_t* mrPrintSet;
        bool startFails, writeFails;
        const char16_t* message;
        size_t commands;
        bool startNeverEnds = false;
    } cases[] = {
        {"MrPrintSet", u"", false, false, u"'' is not a valid integer value", 2},
        {"MrPrintSet", u"one", false, false, u"'one' is not a valid integer value", 2},
        {"spooler", u"0", true, false, u"The system cannot find the file specified", 1},
        {"spooler past its time limit", u"0", false, false,
         u"This operation returned because the timeout period expired: "
         u"\"C:\\Windows\\system32\\net.exe\" start spooler",
         1, true},
        {"win.ini", u"1", false, true, u"Unable to write to win.ini", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InstallWorld w;
        w.Config(u"MrPrintSet", c.mrPrintSet);
        if (c.startFails) w.sys.processes.scripted[kNetStartSpooler] = {false, "", 2};
        if (c.startNeverEnds) w.sys.processes.scripted[kNetStartSpooler].neverEnds = true;
        w.winIni.refuseWinIni = c.writeFails;
        w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
        ui::DispatchEvent([&] { w.RunInstall(); });
        EXPECT_EQ(w.sys.processes.commands.size(), c.commands);
        ASSERT_EQ(w.dialogs.boxes.size(), 1u); // the standard error box, no end message
        EXPECT_EQ(w.dialogs.boxes[0].text, String(c.message) + u".");
        EXPECT_EQ(w.dialogs.boxes[0].flags, 0x10u);
        EXPECT_TRUE(w.wait->Visible());
        ExpectUsable(w);
        // The next click runs again.
        w.Config(u"MrPrintSet", u"0");
        w.sys.processes.scripted.clear();
        w.RunInstall();
        EXPECT_EQ(w.Status(), En(18));
    }
}

TEST(InstallRun, CommandLinesAreKeptAsUnicodeText) {
    InstallWorld w;
    PrintSetupInfo.PrintName = u"收据打印机 ✓";
    w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
    w.RunInstall();
    EXPECT_EQ(w.sys.processes.commands.back(),
              Install(u"COM1", InstallWorld::kPosInf, u"收据打印机 ✓"));
    EXPECT_EQ(w.Log().back(), En(44));
}

TEST(InstallRun, TheRefusalsHaveBuiltInTextsForKitsWithoutThem) {
    struct Case {
        const char16_t* name;
        int key;
        const CaptionKey& builtIn;
    } cases[] = {{u"A\"B", 79, caption::kDoubleQuote}, {u"A\\", 81, caption::kUnsafeValue}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        InstallWorld w;
        w.CaptionEN(c.key, u"");
        PrintSetupInfo.PrintName = c.name;
        w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
        w.RunInstall();
        EXPECT_EQ(w.Boxes(), StringList{En(8) + u"|" + String(c.builtIn.en) + c.name});
    }
}

TEST(InstallRun, OnlyAPrinterWithTheChosenPortAndTheModelsDriverCountsAsInstalled) {
    // A printer of the model's name may be there before the run (the user kept it, removal is
    // off, an earlier run); the setup command then creates or changes it, or does nothing.
    struct Before {
        const char* what;
        bool exists;
        const char16_t* port;
        const char16_t* driver;
    } befores[] = {
        {"none", false, u"", u""},
        {"same port and driver", true, u"COM1", kName.c_str()},
        {"same, other letter case", true, u"com1", u"MODEL-1"},
        {"other port", true, u"LPT1:", kName.c_str()},
        {"other driver", true, u"COM1", u"Generic / Text Only"},
    };
    for (const Before& b : befores) {
        for (bool commandWorks : {true, false}) {
            SCOPED_TRACE(std::string(b.what) +
                         (commandWorks ? ", command works" : ", does nothing"));
            InstallWorld w;
            w.Config(u"CheckPrinterRepeatedly", u"0");
            if (b.exists) w.ExistingPrinter(b.port, b.driver);
            w.installCreatesPrinter = commandWorks;
            w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
            w.RunInstall();
            EXPECT_EQ(w.CommandsStarting(kRundll32).size(), 1u);
            const bool asAsked = commandWorks || (b.exists && SameText(b.port, u"COM1") &&
                                                  SameText(b.driver, kName));
            if (asAsked) {
                EXPECT_EQ(w.Log(), RunLog());
                EXPECT_EQ(w.Boxes().front(), En(42) + u"|" + En(44));
                continue;
            }
            String failure = En(77) + kName;
            if (b.exists) failure += u" (" + String(b.port) + u", " + b.driver + u")";
            EXPECT_EQ(w.Log().back(), failure);
            EXPECT_EQ(w.Status(), failure);
            EXPECT_EQ(w.Boxes(), StringList{En(8) + u"|" + failure + u"\r\n" + En(78)});
            EXPECT_EQ(w.dialogs.boxes[0].flags, 0x10u);
            EXPECT_TRUE(w.wait->Visible());
            ExpectUsable(w);
        }
    }
}

TEST(InstallRun, TheUsbPageInstallsOnlyWhatASearchOnThisVisitFound) {
    enum Step { Found, NotFound, LeaveAndReturn };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        bool installs;
    } cases[] = {
        {"no search", {}, false},
        {"a search that found nothing", {NotFound}, false},
        {"a search that found the model", {Found}, true},
        {"found, then a search that found nothing", {Found, NotFound}, false},
        {"found, then the page left and shown again", {Found, LeaveAndReturn}, false},
        {"the page shown again, then found", {LeaveAndReturn, Found}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InstallWorld w;
        w.Config(u"PrintName", kName);
        w.spooler.ports = {u"COM1:", u"USB001"};
        // Model-2 is left over from the model page; the USB page must not install it.
        PrintSetupInfo.PrintName = u"Model-2";
        w.Click(w.main->btnNext);
        w.Click(w.main->rbUsb);
        w.Click(w.main->btnNext);
        ASSERT_EQ(w.main->pcPage->ActivePage(), w.main->tbsUSB);
        for (Step step : c.steps) {
            fakeusb::answer = step == Found ? "USB001,VID_1A2B,PID_3C4D" : "";
            fakeusb::count = step == Found ? 1 : 0;
            if (step == LeaveAndReturn) {
                w.Click(w.main->btnPrevious);
                w.Click(w.main->btnNext);
                ASSERT_EQ(w.main->pcPage->ActivePage(), w.main->tbsUSB);
            } else {
                w.Click(w.main->btnFindUSB);
            }
        }
        // Keys go on with the next step: Install after a search that found the model, another
        // search after one that found none.
        if (!c.steps.empty() && c.steps.back() != LeaveAndReturn) {
            EXPECT_EQ(w.main->FocusedControl(),
                      c.steps.back() == Found ? static_cast<ui::Control*>(w.main->btnStartInstall)
                                              : w.main->btnFindUSB);
        }
        w.dialogs.boxes.clear();
        w.sys.processes.commands.clear();
        w.RunInstall();
        if (c.installs) {
            EXPECT_EQ(w.sys.processes.commands,
                      (StringList{kNetStartSpooler, Install(u"USB001")}));
            continue;
        }
        EXPECT_TRUE(w.sys.processes.commands.empty());
        EXPECT_EQ(w.Boxes(), StringList{En(8) + u"|" + En(80)});
        EXPECT_EQ(w.dialogs.boxes[0].flags, 0x40u);
        EXPECT_FALSE(w.wait->Visible());
        EXPECT_TRUE(w.main->Enabled());
        EXPECT_EQ(w.main->FocusedControl(), w.main->btnFindUSB); // what the refusal asks for
    }
}

TEST(InstallRun, TheSearchFirstMessageHasBuiltInTextsForKitsWithoutIt) {
    for (bool chinese : {false, true}) {
        InstallWorld w;
        if (chinese) w.Click(w.main->rbChinese);
        IniOptions->SetIdentValue(chinese ? u"CAPTION_CN" : u"CAPTION_EN", u"CAPTION_80", u"");
        w.OnPortPage(3, w.main->cbUSB, {u"USB001"});
        w.RunInstall();
        ASSERT_EQ(w.dialogs.boxes.size(), 1u);
        EXPECT_EQ(w.dialogs.boxes[0].text,
                  chinese ? caption::kSearchFirst.cn : caption::kSearchFirst.en);
        EXPECT_TRUE(w.sys.processes.commands.empty());
    }
}
