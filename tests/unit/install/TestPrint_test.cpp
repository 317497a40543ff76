// The test receipt at the end of an installation run: asked for only when the kit offers it,
// printed on the new queue, followed until the spooler tells, and never undoing the run.
#include <gtest/gtest.h>

#include "install/InstallWorld.h"
#include "install/TestPrint.h"
#include "install/untInstall.h"
#include "platform/emulated/EmulatedCodePage.h"
#include "printing/TestReceipt.h"
#include "session/Connections.h"
#include "version.h"

namespace {

const String kName = InstallWorld::kModel;

std::string Gb18030(StringView text) {
    static EmulatedCodePage cp(936);
    return cp.ToCodePage(kCodePageGb18030, text);
}

// The facts of the fixture's kit as a receipt on COM1 shows them, written out here.
ReceiptFacts KitFacts(bool chinese) {
    ReceiptFacts f;
    f.vendor = chinese ? u"演示公司" : u"Demo Ltd.";
    f.model = kName;
    f.port = u"COM1";
    f.dateTime = u"2026-03-07 09:05:02"; // the fake clock's
    f.wizardVersion = FromUtf8(WIZ_VERSION_STRING);
    f.kitVersion = u"2.5";
    f.line = chinese ? Cn(88) : En(88);
    f.chinese = chinese;
    return f;
}

// The end of a run as every installation shows it.
const StringList kEndBoxes{En(42) + u"|" + En(44), En(8) + u"|" + En(43)};
const String kQuestion = En(8) + u"|" + En(83);

// A run on the serial page with the kit's TestPrint set to `value` (nullptr: no such key).
void RunOnCom1(InstallWorld& w, const char16_t* value, std::deque<int> answers = {}) {
    if (value) w.Config(u"TestPrint", value);
    w.OnPortPage(4, w.main->cbRs232, {u"COM1"});
    w.dialogs.answers = std::move(answers);
    w.RunInstall();
}

} // namespace

TEST(TestPrint, OffUnlessTheKitSwitchesItOn) {
    struct Case {
        const char16_t* value;
        bool offered;
    } cases[] = {{nullptr, false}, {u"", false}, {u"0", false},   {u"False", false},
                 {u"yes", false},  {u"1", true}, {u"True", true}, {u" 2 ", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? ToUtf8(c.value) : "missing");
        InstallWorld w;
        RunOnCom1(w, c.value, {mb::ID_NO});
        StringList boxes = kEndBoxes;
        if (c.offered) boxes.insert(boxes.begin(), kQuestion);
        EXPECT_EQ(w.Boxes(), boxes);
        if (c.offered) {
            EXPECT_EQ(w.dialogs.boxes[0].flags, 0x24u);
        }
        EXPECT_TRUE(w.spooler.jobs.empty());
        EXPECT_EQ(w.spooler.jobReads, 0);
        EXPECT_EQ(w.Log().back(), En(44));
        EXPECT_EQ(w.Status(), En(18));
    }
}

TEST(TestPrint, YesPrintsAfterTheDefaultPrinterAndBeforeTheEnd) {
    InstallWorld w;
    w.Config(u"MrPrintSet", u"2");
    w.spooler.jobStates = {JobState{}, JobState{}, JobState{JobState::Printed, {}}};
    bool lockedWhilePrinting = false;
    w.sys.pump.onPump = [&] {
        if (!w.spooler.jobs.empty() && w.spooler.jobReads == 1)
            lockedWhilePrinting = !w.main->Enabled() && w.wait->Visible();
    };
    RunOnCom1(w, u"1", {mb::ID_NO, mb::ID_YES});

    const StringList boxes = w.Boxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].substr(0, En(8).size() + 1 + En(55).size()), En(8) + u"|" + En(55));
    EXPECT_EQ(boxes[1], kQuestion);
    EXPECT_EQ(StringList(boxes.begin() + 2, boxes.end()), kEndBoxes);

    ASSERT_EQ(w.spooler.jobs.size(), 1u);
    const auto& job = w.spooler.jobs[0];
    EXPECT_TRUE(job.rawJob);
    EXPECT_EQ(job.printer, kName);
    EXPECT_EQ(job.raw, ReceiptBytes(KitFacts(false), Gb18030));
    EXPECT_EQ(w.spooler.jobReads, 3);
    EXPECT_TRUE(lockedWhilePrinting);

    const StringList log = w.Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(StringList(log.end() - 3, log.end()), (StringList{En(84), En(85), En(44)}));
    EXPECT_EQ(w.Status(), En(18));
}

TEST(TestPrint, TheOutcomeIsReportedAndTheRunEndsAsInstalled) {
    struct Case {
        const char* name;
        std::deque<JobState> states;
        String sendError;
        String reported;
        bool boundReached;
    } cases[] = {
        {"printed at once", {JobState{JobState::Printed, {}}}, {}, En(85), false},
        {"error with the spooler's text",
         {JobState{}, JobState{JobState::Failed, u"Paper out"}},
         {},
         En(86) + u"Paper out",
         false},
        {"refused by the spooler",
         {},
         u"The printer name is invalid.",
         En(86) + u"The printer name is invalid.",
         false},
        {"still queued after the bound", {JobState{}}, {}, En(87), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        InstallWorld w;
        w.spooler.jobStates = c.states;
        w.spooler.sendError = c.sendError;
        w.sys.clock.stepPerRead = 10;
        RunOnCom1(w, u"1", {mb::ID_YES});

        const StringList log = w.Log();
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log[log.size() - 2], c.reported);
        // The end follows whatever the receipt did; the printer stays installed.
        EXPECT_EQ(w.Boxes(), (StringList{kQuestion, kEndBoxes[0], kEndBoxes[1]}));
        EXPECT_EQ(w.CommandsStarting(kRundll32 + u" printui.dll,PrintUIEntry /dd").size(), 0u);
        EXPECT_EQ(w.spooler.printers.back(), kName);
        EXPECT_EQ(w.Status(), En(18));
        if (c.boundReached) {
            // Read until the bound, not for ever: with 10 ms a tick read, at most one wait
            // more than the bound's worth of polls.
            EXPECT_GT(w.spooler.jobReads, 1);
            EXPECT_LE(w.spooler.jobReads, kTestPrintWaitMs / kTestPrintPollMs + 2);
        }
    }
}

TEST(TestPrint, TheStatusBarShowsTheOutcomeBeforeTheEndMessage) {
    InstallWorld w;
    w.spooler.jobStates = {JobState{}, JobState{JobState::Failed, u"Offline"}};
    StringList statuses; // as the user sees them change while the windows are painted
    w.sys.pump.onPump = [&] {
        if (statuses.empty() || statuses.back() != w.Status()) statuses.push_back(w.Status());
    };
    RunOnCom1(w, u"1", {mb::ID_YES});
    const StringList tail{En(84), En(86) + u"Offline", En(44)};
    ASSERT_GE(statuses.size(), tail.size());
    EXPECT_EQ(StringList(statuses.end() - 3, statuses.end()), tail);
}

TEST(TestPrint, ChineseKitsPrintInGb18030OnTheirPaperWidth) {
    InstallWorld w;
    w.Click(w.main->rbChinese);
    w.Config(u"PaperColumns", u"32");
    w.spooler.jobStates = {JobState{JobState::Printed, {}}};
    RunOnCom1(w, u"1", {mb::ID_YES});
    ASSERT_EQ(w.spooler.jobs.size(), 1u);
    ReceiptFacts facts = KitFacts(true);
    facts.columns = kPaperColumnsNarrow;
    EXPECT_EQ(w.spooler.jobs[0].raw, ReceiptBytes(facts, Gb18030));
    // 演示公司 in GB18030, centred.
    EXPECT_NE(w.spooler.jobs[0].raw.find("\x1B\x61\x01\xD1\xDD\xCA\xBE\xB9\xAB\xCB\xBE\n"),
              std::string::npos);
    EXPECT_EQ(w.dialogs.boxes[0].text, Cn(83));
    EXPECT_EQ(w.Log()[w.Log().size() - 2], Cn(85));
}

TEST(TestPrint, PaperColumnsIs32Or48) {
    struct Case {
        const char16_t* value;
        int columns;
    } cases[] = {{nullptr, 48}, {u"48", 48}, {u"32", 32}, {u"$20", 32},
                 {u"58", 48},   {u"", 48},   {u"x", 48}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? ToUtf8(c.value) : "missing");
        InstallWorld w;
        if (c.value) w.Config(u"PaperColumns", c.value);
        EXPECT_EQ(PaperColumns(), c.columns);
    }
}

TEST(TestPrint, LabelPrintersGetOnePageThroughTheirDriver) {
    InstallWorld w;
    w.main->rbLabel->SetChecked(true);
    w.spooler.jobStates = {JobState{JobState::Printed, {}}};
    RunOnCom1(w, u"1", {mb::ID_YES});
    ASSERT_EQ(w.spooler.jobs.size(), 1u);
    EXPECT_FALSE(w.spooler.jobs[0].rawJob);
    EXPECT_EQ(w.spooler.jobs[0].printer, kName);
    EXPECT_EQ(w.spooler.jobs[0].pageLines,
              (StringList{u"Demo Ltd.", kName, u"COM1", u"2026-03-07 09:05:02",
                          u"ODAXPrintDrive " + FromUtf8(WIZ_VERSION_STRING), u"install.dat 2.5",
                          En(88)}));
}

TEST(TestPrint, AKitWithoutTheTextsUsesTheBuiltInOnesInBothLanguages) {
    for (TOSLanguage language : {TOSLanguage::EN, TOSLanguage::CN}) {
        SCOPED_TRACE(static_cast<int>(language));
        InstallWorld w;
        const bool cn = language == TOSLanguage::CN;
        if (cn) w.Click(w.main->rbChinese);
        for (int key = 83; key <= 88; ++key)
            IniOptions->SetIdentValue(cn ? u"CAPTION_CN" : u"CAPTION_EN",
                                      u"CAPTION_" + IntToStr(key), u"");
        w.spooler.jobStates = {JobState{JobState::Printed, {}}};
        RunOnCom1(w, u"1", {mb::ID_YES});
        auto builtIn = [&](const CaptionKey& k) { return String(cn ? k.cn : k.en); };
        EXPECT_EQ(w.dialogs.boxes[0].text, builtIn(caption::kTestPrintQuestion));
        const StringList log = w.Log();
        ASSERT_GE(log.size(), 3u);
        EXPECT_EQ(log[log.size() - 3], builtIn(caption::kTestPrintSending));
        EXPECT_EQ(log[log.size() - 2], builtIn(caption::kTestPrintPrinted));
        ASSERT_EQ(w.spooler.jobs.size(), 1u);
        const String line = builtIn(caption::kTestPrintLine);
        const std::string encoded = cn ? Gb18030(line) : ToUtf8(line);
        EXPECT_NE(w.spooler.jobs[0].raw.find(encoded.substr(0, 20)), std::string::npos);
    }
    // Every text of the receipt has both built-ins.
    for (const CaptionKey* k :
         {&caption::kTestPrintQuestion, &caption::kTestPrintSending, &caption::kTestPrintPrinted,
          &caption::kTestPrintFailed, &caption::kTestPrintQueued, &caption::kTestPrintLine}) {
        ASSERT_TRUE(k->HasBuiltInText()) << ToUtf8(k->key);
        EXPECT_NE(String(k->cn), String(k->en)) << ToUtf8(k->key);
    }
}

// The unattended mode's choice: printed without a question, whatever the kit's switch.
TEST(TestPrint, PrintWithoutAskingForTheUnattendedRun) {
    InstallWorld w;
    w.spooler.jobStates = {JobState{JobState::Printed, {}}};
    w.Config(u"TestPrint", u"0");
    InstallChoices choices;
    choices.connection = ConnectionOfPage(4); // the serial page
    ASSERT_TRUE(choices.connection && choices.connection->portList);
    choices.port = u"COM1";
    choices.testPrint = InstallChoices::TestPrint::Print;
    TPrintModelInfo setup;
    setup.PrintName = kName;
    w.dialogs.answers = {};
    EXPECT_EQ(RunInstallation(choices, setup, w.main->Progress(), w.main->Progress()),
              InstallOutcome::Installed);
    EXPECT_EQ(w.Boxes(), kEndBoxes);
    ASSERT_EQ(w.spooler.jobs.size(), 1u);
    EXPECT_EQ(w.spooler.jobs[0].raw, ReceiptBytes(KitFacts(false), Gb18030));
}
