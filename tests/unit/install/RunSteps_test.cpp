// The installation run's steps one by one, each on the units with fake system services and a
// recording front end: what each step reports, asks, runs and leaves in the run's context.
#include <gtest/gtest.h>

#include <filesystem>

#include "fakes/FakeRegistry.h"
#include "fakes/RecordingReport.h"
#include "fakes/WizardFixture.h"
#include "install/untInstall.h"
#include "printing/SystemCommands.h"

namespace {

String E(int n) {
    return u"en" + IntToStr(n);
}

struct Steps : WizardFixture {
    FakeRegistry registry;
    ScopedService<IRegistry> useRegistry{registry};
    RecordingProgress front;
    TPrintModelInfo setup;
    InstallChoices choices;

    Steps() : WizardFixture(DefaultSettings(), true, false) {
        LCaption = IniOptions->GetCaptionLanguage();
        setup.PrintName = u"Model-1";
    }
    void On(TEnumPort kind, const String& port) {
        choices.connection = &ConnectionOf(kind);
        choices.port = port;
    }
    void Config(const String& key, const String& value) {
        IniOptions->SetIdentValue(u"CONFIG", key, value);
    }
    // A fresh context: the INF name and the command option are taken when it is made.
    RunContext Run() { return RunContext(choices, setup, front, front); }
};

} // namespace

TEST(RunSteps, RefusalsComeBeforeAnythingAndNameTheirCheck) {
    const struct {
        const char* what;
        TEnumPort kind;
        const char16_t* port;
        const char16_t* model;
        std::optional<StringList> offered;
        std::optional<PreflightCheck> check;
        String message; // "ask title|text"
    } cases[] = {
        {"no search", TEnumPort::USB, u"USB001", u"Model-1", std::nullopt, PreflightCheck::Search,
         u"ask " + E(8) + u"|" + E(80)},
        {"quote in the model", TEnumPort::RS232, u"COM1", u"A\"B", std::nullopt,
         PreflightCheck::Model, u"ask " + E(8) + u"|" + E(79) + u"A\"B"},
        {"backslash after the port", TEnumPort::RS232, u"COM1\\", u"Model-1", std::nullopt,
         PreflightCheck::Port, u"ask " + E(8) + u"|" + E(81) + u"COM1\\"},
        {"a port the page did not offer", TEnumPort::LPT, u"", u"Model-1", StringList{},
         PreflightCheck::Port, u"ask " + E(8) + u"|" + String(caption::kPortNotListed.en)},
        {"all well", TEnumPort::RS232, u"COM1", u"Model-1", StringList{u"COM1"}, std::nullopt, u""},
        {"a typed address is checked later", TEnumPort::NET, u"x", u"Model-1", std::nullopt,
         std::nullopt, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Steps s;
        s.On(c.kind, c.port);
        s.choices.offeredPorts = c.offered;
        s.setup.PrintName = c.model;
        RunContext run = s.Run();
        const std::optional<InstallOutcome> end = runstep::Refusals(run);
        EXPECT_EQ(end.has_value(), c.check.has_value());
        EXPECT_EQ(run.finding ? std::optional<PreflightCheck>(run.finding->check) : std::nullopt,
                  c.check);
        EXPECT_EQ(s.front.events, c.message.empty() ? StringList{} : StringList{c.message});
        EXPECT_TRUE(s.sys.processes.commands.empty());
    }
}

TEST(RunSteps, PortMakesTheTypedAddressAPortOrUsesTheChosenOne) {
    {
        Steps s; // a port list: taken as chosen
        s.On(TEnumPort::LPT, u"LPT1:");
        RunContext run = s.Run();
        EXPECT_FALSE(runstep::Port(run));
        EXPECT_EQ(s.setup.PrintPort, u"LPT1:");
        EXPECT_TRUE(s.front.events.empty());
    }
    {
        Steps s; // no address
        s.On(TEnumPort::NET, u"1.2.3");
        RunContext run = s.Run();
        EXPECT_EQ(runstep::Port(run), InstallOutcome::AddressRefused);
        EXPECT_EQ(run.finding->check, PreflightCheck::Address);
        EXPECT_EQ(s.front.events, (StringList{u"ask " + E(8) + u"|" + E(29), u"close"}));
    }
    for (const int answer : {mb::ID_YES, mb::ID_NO}) {
        SCOPED_TRACE(answer);
        Steps s; // the address is a port already: Yes types another one
        s.On(TEnumPort::NET, u"10.0.0. 7");
        s.choices.ports = {u" 10.0.0.7"};
        s.front.answers = {answer};
        RunContext run = s.Run();
        const std::optional<InstallOutcome> end = runstep::Port(run);
        EXPECT_EQ(s.front.asked, std::vector<QuestionKind>{QuestionKind::ExistingPort});
        EXPECT_EQ(end.has_value(), answer == mb::ID_YES);
        EXPECT_EQ(s.setup.PrintPort, answer == mb::ID_YES ? u"" : u"10.0.0.7");
        EXPECT_TRUE(s.registry.writes.empty());
    }
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "refused" : "written");
        Steps s;
        s.On(TEnumPort::NET, u"10.0.0.7");
        if (refused) s.registry.refuseWrite = 5;
        RunContext run = s.Run();
        const std::optional<InstallOutcome> end = runstep::Port(run);
        const StringList logs = s.front.Of(u"log");
        if (refused) {
            EXPECT_EQ(end, InstallOutcome::PortNotCreated);
            EXPECT_EQ(logs.back(), E(71));
            EXPECT_EQ(s.front.events.back(), u"ask " + E(33) + u"|" + E(71) + E(72));
        } else {
            EXPECT_FALSE(end);
            EXPECT_EQ(s.registry.writes.size(), 20u);
            EXPECT_EQ(logs.back(), E(59) + u"10.0.0.7" + E(32));
            EXPECT_EQ(s.setup.PrintPort, u"10.0.0.7");
        }
    }
}

TEST(RunSteps, RemovalAsksOnlyForAListedPrinterWhenTheKitChecks) {
    const String remove = kRundll32 + u" printui.dll,PrintUIEntry /dd /m \"Model-1\" /h \"x64\" "
                                      u"/v \"Type 3 - User Mode\"  /q";
    const struct {
        const char16_t* check;
        StringList printers;
        int answer;
        bool asked, removed;
    } cases[] = {
        {u"1", {u"Other"}, mb::ID_YES, false, false},
        {u"1", {u"Model-1"}, mb::ID_NO, true, false},
        {u"1", {u"Model-1"}, mb::ID_YES, true, true},
        {u"0", {u"Model-1"}, mb::ID_YES, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.check) + " " + std::to_string(c.answer));
        Steps s;
        s.Config(u"CheckPrinterRepeatedly", c.check);
        s.choices.printers = c.printers;
        s.choices.quietCommands = true;
        s.front.answers = {c.answer};
        RunContext run = s.Run();
        runstep::Removal(run);
        EXPECT_EQ(s.front.asked.size(), c.asked ? 1u : 0u);
        const StringList commands = c.removed ? StringList{kNetStartSpooler, remove} : StringList{};
        EXPECT_EQ(s.sys.processes.commands, commands);
        if (c.removed) {
            EXPECT_EQ(s.front.Of(u"log"), (StringList{E(68), u"Model-1" + E(69)}));
        }
    }
}

TEST(RunSteps, SpoolerAndPrinterSetupChangeTheSystemInThatOrder) {
    Steps s;
    s.On(TEnumPort::RS232, u"COM2:");
    s.setup.PrintPort = u"COM2:";
    s.choices.labelClass = true;
    RunContext run = s.Run();
    runstep::Spooler(run);
    EXPECT_EQ(s.front.events.front(), u"busy"); // before anything changes
    EXPECT_EQ(s.sys.processes.commands, StringList{kNetStartSpooler});
    runstep::PrinterSetup(run);
    EXPECT_EQ(s.sys.processes.commands.back(),
              kRundll32 + u" printui.dll,PrintUIEntry /if /b \"Model-1\" /f "
                          u"\"C:\\Setup\\EN\\label.inf\" /r \"COM2:\" /m \"Model-1\"");
    EXPECT_EQ(s.front.Of(u"log"), (StringList{E(49), E(52), E(53), E(46)}));
}

TEST(RunSteps, VerificationReadsThePrinterBackAndNamesAMissingDriverFile) {
    for (const bool asAsked : {true, false}) {
        SCOPED_TRACE(asAsked);
        Steps s;
        s.setup.PrintPort = u"COM2:";
        s.spooler.printers = {u"Model-1"};
        s.spooler.setups[u"Model-1"] = {asAsked ? u"COM2:" : u"COM1:", u"Model-1"};
        RunContext run = s.Run();
        const std::optional<InstallOutcome> end = runstep::Verification(run);
        if (asAsked) {
            EXPECT_FALSE(end);
            EXPECT_EQ(s.front.Of(u"log"), (StringList{E(45), u"Model-1 " + E(15)}));
            continue;
        }
        EXPECT_EQ(end, InstallOutcome::NotInstalled);
        const String failure = E(77) + u"Model-1 (COM1:, Model-1)";
        // The windows are usable again before the message, which the user reads at leisure.
        EXPECT_EQ(s.front.events, (StringList{u"status " + failure, u"log " + failure, u"usable",
                                              u"ask " + E(8) + u"|" + failure + u"\r\n" + E(78)}));
        EXPECT_FALSE(run.finding); // the driver file is there: the checks cannot say more
    }
    Steps s;
    std::filesystem::remove(s.kit / "EN/pos.inf");
    RunContext run = s.Run();
    EXPECT_EQ(runstep::Verification(run), InstallOutcome::NotInstalled);
    ASSERT_TRUE(run.finding);
    EXPECT_EQ(run.finding->check, PreflightCheck::Driver);
    EXPECT_EQ(run.finding->exitCode, ExitCode::SetupFailed);
}

TEST(RunSteps, DefaultPrinterFollowsTheKitOrTheChoice) {
    const struct {
        const char16_t* mrPrintSet;
        bool makeDefault;
        int answer;
        bool asked, isDefault;
    } cases[] = {
        {u"0", false, 0, false, false},        {u"0", true, 0, false, true},
        {u"1", false, 0, false, true},         {u"2", false, mb::ID_YES, true, true},
        {u"2", false, mb::ID_NO, true, false}, {u"2", true, 0, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.mrPrintSet) + (c.makeDefault ? " always" : ""));
        Steps s;
        s.Config(u"MrPrintSet", c.mrPrintSet);
        s.choices.makeDefault = c.makeDefault;
        if (c.answer) s.front.answers = {c.answer};
        RunContext run = s.Run();
        runstep::DefaultPrinter(run);
        EXPECT_EQ(s.front.asked, c.asked ? std::vector<QuestionKind>{QuestionKind::MakeDefault}
                                         : std::vector<QuestionKind>{});
        EXPECT_EQ(StartsWith(s.WinIniDevice(), u"Model-1,"), c.isDefault);
    }
}

TEST(RunSteps, TestReceiptIsAskedWhereTheKitOffersItOrDecidedBeforehand) {
    using TP = InstallChoices::TestPrint;
    const struct {
        TP mode;
        int answer;
        bool asked;
        size_t jobs;
    } cases[] = {
        {TP::AsKitOffers, mb::ID_YES, true, 1},
        {TP::AsKitOffers, mb::ID_NO, true, 0},
        {TP::Print, 0, false, 1},
        {TP::Skip, 0, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        Steps s;
        s.Config(u"TestPrint", u"1");
        s.spooler.jobStates = {JobState{JobState::Printed, {}}};
        s.choices.testPrint = c.mode;
        if (c.answer) s.front.answers = {c.answer};
        RunContext run = s.Run();
        runstep::TestReceipt(run);
        EXPECT_EQ(s.front.asked.size(), c.asked ? 1u : 0u);
        EXPECT_EQ(s.spooler.jobs.size(), c.jobs);
    }
}

TEST(RunSteps, EndAnnouncesAsksToLeaveAndClosesTheReport) {
    for (const char16_t* autoQuit : {u"0", u"1"}) {
        SCOPED_TRACE(ToUtf8(autoQuit));
        Steps s;
        s.Config(u"SetupAutoQuit", autoQuit);
        RunContext run = s.Run();
        runstep::End(run);
        const bool choice = String(autoQuit) == u"0";
        EXPECT_EQ(s.front.asked, std::vector<QuestionKind>{choice ? QuestionKind::QuitAtEnd
                                                                  : QuestionKind::AutoQuit});
        const StringList tail(s.front.events.end() - 3, s.front.events.end());
        EXPECT_EQ(tail, (StringList{u"close", u"usable", u"status " + E(18)}));
        EXPECT_EQ(s.front.Of(u"ask").front(), E(42) + u"|" + E(44));
    }
}
