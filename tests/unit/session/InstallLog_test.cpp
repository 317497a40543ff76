#include "session/InstallLog.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/Errors.h"
#include "install/InstallWorld.h"
#include "language/BuiltInText.h"
#include "printing/untFuction.h"
#include "version.h"

namespace {

const String kLogPath = u"C:\\ProgramData\\ODAXPrintDrive\\install.log";
const String kOldPath = u"C:\\ProgramData\\ODAXPrintDrive\\install.old.log";
const std::string kTime = "2026-03-07 09:05:02.000 "; // the fake clock's

// The units without windows: the kit's settings, the fake log files and processes.
struct Units : WizardFixture {
    Units() : WizardFixture(DefaultSettings(), true, false) {}
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(InstallLog, EntriesCarryTheTimeAndAreUtf8WithCrLfLineEnds) {
    Units u;
    installlog::BeginRun(u"wizard (installation)", KitVersionForLog());
    u.sys.clock.now_local.millisecond = 5;
    installlog::Line(u"中文 step\r\nits second line");
    installlog::Command(u"\"C:\\Windows\\system32\\net.exe\" stop spooler", 2,
                        u"The service is stopping.\r\n\r\nDone.\r\n");
    installlog::Command(u"crash.exe", 0xC0000005u, u"");
    installlog::EndRun(u"installed");

    const std::string later = "2026-03-07 09:05:02.005 ";
    EXPECT_EQ(u.logFiles.Log(),
              "\r\n" + kTime + "==== Run started: wizard (installation)\r\n" +
                  "    Program: ODAXPrintDrive " WIZ_VERSION_STRING
                  " (C:\\Setup\\ODAXPrintDrive.exe)\r\n"
                  "    Kit: SoftVer 2.5, OEMID TEST\r\n"
                  "    Language: English\r\n"
                  "    Account: TILL\\admin (S-1-5-21-1-2-3-500)\r\n"
                  "    System: Windows 10.0 build 19045, x64 (the program x86)\r\n"
                  "    Process: 4242\r\n"
                  "    Time: 2026-03-07 09:05:02.000 UTC+00:00\r\n" +
                  later + "\xE4\xB8\xAD\xE6\x96\x87 step\r\n    its second line\r\n" + later +
                  "Command: \"C:\\Windows\\system32\\net.exe\" stop spooler\r\n"
                  "    Exit code: 2\r\n"
                  "    Output:\r\n"
                  "    | The service is stopping.\r\n"
                  "    | \r\n"
                  "    | Done.\r\n" +
                  later +
                  "Command: crash.exe\r\n"
                  "    Exit code: 3221225477 (0xC0000005)\r\n"
                  "    Output: none\r\n" +
                  later + "==== Run ended: installed\r\n");
    EXPECT_EQ(u.logFiles.files.size(), 1u);
}

TEST(InstallLog, TheDefaultFileIsInProgramDataAndAnotherCanBeChosen) {
    Units u;
    EXPECT_EQ(installlog::FilePath(), kLogPath);
    installlog::UseFile(u"D:\\deploy\\printer.log");
    installlog::Line(u"one");
    EXPECT_EQ(installlog::FilePath(), u"D:\\deploy\\printer.log");
    EXPECT_EQ(u.logFiles.files[u"D:\\deploy\\printer.log"], kTime + "one\r\n");
    installlog::UseFile({});
    EXPECT_EQ(installlog::FilePath(), kLogPath);

    // A system that names no ProgramData folder: no file, nothing written, nothing raised.
    u.logFiles.programData.clear();
    EXPECT_EQ(installlog::FilePath(), u"");
    installlog::Line(u"two");
    EXPECT_EQ(u.logFiles.appends, 1);
}

TEST(InstallLog, OldFileNameKeepsTheExtension) {
    const struct {
        const char16_t* path;
        const char16_t* old;
    } cases[] = {
        {u"C:\\ProgramData\\ODAXPrintDrive\\install.log",
         u"C:\\ProgramData\\ODAXPrintDrive\\install.old.log"},
        {u"D:\\logs.d\\printer", u"D:\\logs.d\\printer.old"},
        {u"run.txt", u"run.old.txt"},
        {u"C:\\logs\\.log", u"C:\\logs\\.log.old"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(installlog::OldFilePath(c.path), c.old) << ToUtf8(c.path);
}

TEST(InstallLog, AFileThatAnEntryWouldTakePastTheCapIsMovedAsideOneOldFileKept) {
    const std::string entry = kTime + "abc\r\n";
    const std::uint64_t cap = installlog::kMaxFileBytes;
    const struct {
        std::uint64_t size;
        bool moved;
    } cases[] = {{cap - entry.size(), false}, {cap - entry.size() + 1, true}, {cap + 10, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        Units u;
        const std::string full(static_cast<size_t>(c.size), 'x');
        u.logFiles.files[kLogPath] = full;
        u.logFiles.files[kOldPath] = "the older one";
        installlog::Line(u"abc");
        if (c.moved) {
            EXPECT_EQ(u.logFiles.files[kOldPath], full);
            EXPECT_EQ(u.logFiles.files[kLogPath], entry);
        } else {
            EXPECT_EQ(u.logFiles.files[kOldPath], "the older one");
            EXPECT_EQ(u.logFiles.files[kLogPath], full + entry);
        }
        EXPECT_EQ(u.logFiles.files.size(), 2u);
    }

    // A move that fails loses no entry: it goes to the full file.
    Units u;
    u.logFiles.files[kLogPath] = std::string(static_cast<size_t>(cap), 'x');
    u.logFiles.refuseReplace = true;
    installlog::Line(u"abc");
    EXPECT_EQ(u.logFiles.files[kLogPath].size(), cap + entry.size());
}

TEST(InstallLog, LongCommandOutputIsCut) {
    Units u;
    const String output(installlog::kMaxOutputChars + 7, u'a');
    installlog::Command(u"big", 0, output);
    const std::string& log = u.logFiles.Log();
    EXPECT_TRUE(Contains(log, "    | " + std::string(installlog::kMaxOutputChars, 'a') +
                                  "\r\n    (7 more characters left out)\r\n"));
    EXPECT_LT(log.size(), installlog::kMaxOutputChars + 200);
}

TEST(InstallLog, AnUnwritableLogStopsNothingAndTheNextWrittenEntrySaysSo) {
    InstallWorld w;
    w.logFiles.files.clear(); // the start-up's spooler command
    w.logFiles.refused.insert(kLogPath);
    const int before = w.logFiles.appends;
    w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
    w.RunInstall();
    EXPECT_EQ(w.Boxes(), (StringList{En(42) + u"|" + En(44), En(8) + u"|" + En(43)}));
    EXPECT_EQ(w.spooler.setups[InstallWorld::kModel].first, u"COM1");
    EXPECT_TRUE(w.logFiles.files.empty());
    EXPECT_FALSE(w.wait->lblLog->Visible()); // no file to open

    const int lost = w.logFiles.appends - before;
    ASSERT_GT(lost, 2);
    w.logFiles.refused.clear();
    installlog::Line(u"back");
    EXPECT_EQ(w.logFiles.Log(), kTime + "(" + std::to_string(lost) +
                                    " earlier entries could not be written, system error 5)\r\n" +
                                    kTime + "back\r\n");
    installlog::Line(u"again");
    EXPECT_FALSE(Contains(w.logFiles.Log().substr(w.logFiles.Log().find("back")), "earlier"));
}

TEST(InstallLog, RunDosLogsTheExitCodeAndOutputAndReturnsWhatItReturnedBefore) {
    Units u;
    u.sys.processes.scripted[u"tool /x"] = {true, "first\nsecond\n", 0, false, 3};
    EXPECT_EQ(RunDOS(u"tool /x"), u"first\r\nsecond\r\n");
    EXPECT_EQ(u.logFiles.Log(), kTime + "Command: tool /x\r\n    Exit code: 3\r\n    Output:\r\n"
                                        "    | first\r\n    | second\r\n");

    // A command that cannot start: the same error as before, and the reason in the log.
    u.sys.processes.scripted[u"nosuch"] = {false, "", 2, false, 0};
    EXPECT_THROW(RunDOS(u"nosuch"), EOSError);
    EXPECT_TRUE(Contains(u.logFiles.Log(), kTime +
                                               "Command: nosuch\r\n    Could not be started: "
                                               "The system cannot find the file specified\r\n"));
}

TEST(InstallLog, AWizardRunLogsItsStepsCommandsMessagesAndOutcome) {
    const struct {
        bool created;    // the setup command leaves the printer as asked
        const char* end; // the run's last entry
    } cases[] = {{true, "==== Run ended: installed"},
                 {false, "==== Run ended: failed: the printer is not set up as asked"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.end);
        InstallWorld w;
        w.installCreatesPrinter = c.created;
        w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
        w.RunInstall();
        const std::string log = w.logFiles.Log();
        // The entries in order: each of these after the one before.
        std::vector<std::string> expected{
            "==== Run started: wizard (installation)",
            kTime + "en47\r\n" + kTime + "en49\r\n",
            "Command: " + ToUtf8(kNetStartSpooler) + "\r\n    Exit code: 0\r\n",
            kTime + "en52\r\n" + kTime + "en53\r\n" + kTime + "en46\r\n",
            "Command: " + ToUtf8(kRundll32) + " printui.dll,PrintUIEntry /if /b \"Model-1\"",
        };
        if (c.created) {
            expected.push_back(kTime + "en45\r\n" + kTime + "Model-1 en15\r\n" + kTime +
                               "en44\r\n");
            expected.push_back("Message box (en42): en44\r\n    Answer: OK\r\n");
            expected.push_back("Message box (en8): en43\r\n    Answer: No\r\n");
            expected.push_back(kTime + "en18\r\n");
        } else {
            expected.push_back(kTime + "en77Model-1\r\n" + kTime +
                               "Message box (en8): en77Model-1\r\n    en78\r\n    Answer: OK\r\n");
        }
        expected.push_back(kTime + c.end + "\r\n");
        size_t at = 0;
        for (const std::string& part : expected) {
            const size_t found = log.find(part, at);
            ASSERT_NE(found, std::string::npos) << part << "\n--- in ---\n" << log.substr(at);
            at = found + part.size();
        }
        EXPECT_EQ(at, log.size());
    }
}

TEST(InstallLog, AnErrorThatEndsARunIsItsOutcome) {
    InstallWorld w;
    w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
    w.sys.processes.scripted[kNetStartSpooler] = {false, "", 2, false, 0};
    w.Click(w.main->btnStartInstall); // the dispatcher shows the error
    EXPECT_TRUE(Contains(w.logFiles.Log(), kTime + "==== Run ended: error: The system cannot "
                                                   "find the file specified\r\n"));
    EXPECT_EQ(w.BoxTexts().back(), u"The system cannot find the file specified.");
}

TEST(InstallLog, AUsbSearchIsARunOfItsOwn) {
    InstallWorld w;
    w.main->pcPage->SetActivePageIndex(3);
    w.AcceptedUsbSearch("USB001");
    const std::string& log = w.logFiles.Log();
    EXPECT_TRUE(Contains(log, "==== Run started: wizard (USB search)\r\n"));
    EXPECT_TRUE(Contains(log, kTime + "==== Run ended: found Model-1 on USB001\r\n"));
}

TEST(WaitDialog, TheLogLinkOpensTheLogInTheDisplayLanguage) {
    InstallWorld w;
    // A kit without the key (an empty value counts as none): the built-in texts.
    for (const char16_t* section : {u"CAPTION_EN", u"CAPTION_CN"})
        IniOptions->SetIdentValue(section, u"CAPTION_82", u"");
    EXPECT_FALSE(w.wait->lblLog->Visible()); // no log yet
    w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
    int seen = 0; // boxes shown over the wait dialog
    w.dialogs.onBox = [&](const FakeDialogs::Box&) {
        if (!w.wait->Visible()) return;
        ++seen;
        EXPECT_TRUE(w.wait->lblLog->Visible());
        EXPECT_EQ(w.wait->lblLog->Caption(), u"Open the install log"); // the kit lacks the key
    };
    w.RunInstall();
    w.dialogs.onBox = nullptr;
    EXPECT_GT(seen, 0);
    w.Click(w.wait->lblLog);
    EXPECT_EQ(w.dialogs.opened, StringList{kLogPath});

    w.Click(w.main->rbChinese);
    w.wait->Close();
    w.wait->Show();
    EXPECT_EQ(w.wait->lblLog->Caption(), u"打开安装日志");
    w.wait->Close();
    IniOptions->SetIdentValue(u"CAPTION_CN", u"CAPTION_82", u"查看日志");
    w.wait->Show();
    EXPECT_EQ(w.wait->lblLog->Caption(), u"查看日志");
}

// The log is never written through a link or into a folder another user could have made:
// refused once for the run, said by Refusal(), and the run goes on.
TEST(InstallLog, NoEntryGoesThroughALinkOrIntoAFolderAUserCouldHavePrepared) {
    const String folder = u"C:\\ProgramData\\ODAXPrintDrive";
    PathFacts link, theirs, file;
    link.exists = link.directory = link.reparsePoint = link.trustedOwner = true;
    theirs.exists = theirs.directory = true;
    file.exists = true;
    const struct {
        const char* what;
        std::function<void(FakeLogFiles&)> world;
        const char16_t* why;
    } cases[] = {
        {"the folder is a link", [&](FakeLogFiles& f) { f.folders[folder] = link; },
         u"the folder C:\\ProgramData\\ODAXPrintDrive is a link"},
        {"the folder is a user's", [&](FakeLogFiles& f) { f.folders[folder] = theirs; },
         u"the folder C:\\ProgramData\\ODAXPrintDrive belongs to a user, not to the system or "
         u"the administrators"},
        {"a file where the folder should be", [&](FakeLogFiles& f) { f.folders[folder] = file; },
         u"C:\\ProgramData\\ODAXPrintDrive is no folder"},
        {"the file is a link or a second name", [&](FakeLogFiles& f) { f.linked.insert(kLogPath); },
         u"the file is a link"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Units u;
        c.world(u.logFiles);
        installlog::Line(u"one");
        installlog::Line(u"two");
        EXPECT_TRUE(u.logFiles.files.empty());
        EXPECT_EQ(installlog::Refusal(), c.why);
        EXPECT_TRUE(u.logFiles.created.empty());
    }
    // Another file chosen: its folder need not be an administrator's, but no link.
    Units u;
    u.logFiles.folders[u"D:\\deploy"] = theirs;
    installlog::UseFile(u"D:\\deploy\\printer.log");
    installlog::Line(u"one");
    EXPECT_EQ(installlog::Refusal(), u"");
    EXPECT_EQ(u.logFiles.files[u"D:\\deploy\\printer.log"], kTime + "one\r\n");
    u.logFiles.folders[u"D:\\linked"] = link;
    installlog::UseFile(u"D:\\linked\\printer.log");
    installlog::Line(u"two");
    EXPECT_EQ(installlog::Refusal(), u"the folder D:\\linked is a link");
    EXPECT_EQ(u.logFiles.files.count(u"D:\\linked\\printer.log"), 0u);
}

TEST(InstallLog, TheWaitDialogSaysWhyThereIsNoLogWhereItsLinkWouldBe) {
    InstallWorld w;
    PathFacts link;
    link.exists = link.directory = link.reparsePoint = link.trustedOwner = true;
    w.logFiles.files.clear();
    w.logFiles.folders[u"C:\\ProgramData\\ODAXPrintDrive"] = link;
    w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
    w.RunInstall();
    EXPECT_EQ(w.spooler.setups[InstallWorld::kModel].first, u"COM1"); // installed all the same
    w.wait->Show();
    EXPECT_TRUE(w.wait->lblLog->Visible());
    EXPECT_EQ(w.wait->lblLog->Caption(),
              String(kNoInstallLog.en) + u"the folder C:\\ProgramData\\ODAXPrintDrive is a link");
    w.Click(w.wait->lblLog);
    EXPECT_TRUE(w.dialogs.opened.empty()); // nothing to open
}

// The form Configuration Manager's log viewer reads: one entry a line group, its severity as
// the viewer colours it, the time with Windows' zone bias.
TEST(InstallLog, CMTraceEntriesCarryTheirSeverityTimeAndProcess) {
    Units u;
    u.sys.clock.now_local = {2026, 12, 1, 16, 5, 7, 42, 480}; // China: UTC is 480 minutes behind
    installlog::UseFormat(LogFormat::CMTrace);
    installlog::Line(u"one step");
    installlog::Command(u"tool /x", 3, u"out\r\nput");
    installlog::EndRun(u"error, exit code 5: it failed", installlog::Severity::Error);
    installlog::Line(u"a ]LOG]!> in the text");
    installlog::UseFormat(LogFormat::Text);
    const std::string tail =
        "\" date=\"12-01-2026\" component=\"ODAXPrintDrive\" context=\"\" type=\"";
    EXPECT_EQ(
        u.logFiles.Log(),
        "<![LOG[one step]LOG]!><time=\"16:05:07.042-480" + tail +
            "1\" thread=\"4242\" file=\"\">\r\n"
            "<![LOG[Command: tool /x\r\nExit code: 3\r\nOutput:\r\n| out\r\n| put]LOG]!>"
            "<time=\"16:05:07.042-480" +
            tail +
            "2\" thread=\"4242\" file=\"\">\r\n"
            "<![LOG[==== Run ended: error, exit code 5: it failed]LOG]!><time=\"16:05:07.042-480" +
            tail +
            "3\" thread=\"4242\" file=\"\">\r\n"
            "<![LOG[a ]LOG] !> in the text]LOG]!><time=\"16:05:07.042-480" +
            tail + "1\" thread=\"4242\" file=\"\">\r\n");
}
