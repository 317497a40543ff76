// The unattended run on a sealed kit with fake system services: no window exists, no message
// box may appear, and the outcome is the exit code and the lines it wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>

#include "fakes/FakeRegistry.h"
#include "fakes/WizardFixture.h"
#include "install/untInstall.h"
#include "unattended/QuietRun.h"

namespace {

class RecordingOutput final : public IQuietOutput {
  public:
    StringList lines;
    StringList commands;
    std::optional<ExitCode> end;
    String reason;
    void Line(const String& text) override { lines.push_back(text); }
    void Command(const String& commandLine, std::optional<std::uint32_t>, const String&) override {
        commands.push_back(commandLine);
    }
    void End(ExitCode code, const String& outcome) override {
        EXPECT_FALSE(end) << "the run ended twice";
        end = code;
        reason = outcome;
    }
};

// The quoted value after `option` (such as ` /r "`) in a command line.
String Argument(const String& cmd, const String& option) {
    const size_t at = cmd.find(option);
    if (at == String::npos) return {};
    const size_t from = at + option.size();
    return cmd.substr(from, cmd.find(u'"', from) - from);
}

String InstallCommandFor(const String& model, const String& port) {
    return kRundll32 + u" printui.dll,PrintUIEntry /if /b \"" + model +
           u"\" /f \"C:\\Setup\\EN\\pos.inf\" /r \"" + port + u"\" /m \"" + model + u"\" /q";
}

String RemoveCommandFor(const String& name) {
    return kRundll32 + u" printui.dll,PrintUIEntry /dl /n \"" + name + u"\" /q";
}

// The units as the program sets them up for a quiet run, no window at all, and printer-setup
// commands that do to the fake spooler what they do on Windows.
struct Quiet : WizardFixture {
    FakeRegistry registry;
    ScopedService<IRegistry> useRegistry{registry};
    bool installCreatesPrinter = true;
    bool removeDeletesPrinter = true;

    explicit Quiet(const std::string& settings = DefaultSettings())
        : WizardFixture(settings, true, false) {
        sys.processes.onRun = [this](const String& cmd) {
            if (installCreatesPrinter &&
                StartsWith(cmd, kRundll32 + u" printui.dll,PrintUIEntry /if")) {
                const String name = Argument(cmd, u" /b \"");
                spooler.printers.push_back(name);
                spooler.setups[name] = {Argument(cmd, u" /r \""), Argument(cmd, u" /m \"")};
            }
            if (removeDeletesPrinter &&
                StartsWith(cmd, kRundll32 + u" printui.dll,PrintUIEntry /dl")) {
                const String name = Argument(cmd, u" /n \"");
                spooler.printers.erase(
                    std::remove(spooler.printers.begin(), spooler.printers.end(), name),
                    spooler.printers.end());
                spooler.setups.erase(name);
            }
        };
    }
    void Printer(const String& name, const String& port, const String& driver) {
        spooler.printers.push_back(name);
        spooler.setups[name] = {port, driver};
    }
    ExitCode Run(const CommandLine& options) {
        out = RecordingOutput{};
        const ExitCode code = RunQuiet(options, out);
        EXPECT_EQ(out.end, code);
        // Nothing of the quiet mode may ever wait for a user.
        EXPECT_TRUE(dialogs.boxes.empty()) << ToUtf8(dialogs.boxes.front().text);
        return code;
    }
    RecordingOutput out;
};

CommandLine Network(const String& address, const String& model = u"Model-1") {
    CommandLine c;
    c.quiet = true;
    c.connection = &ConnectionOf(TEnumPort::NET);
    c.address = address;
    c.model = model;
    return c;
}

CommandLine OnPort(TEnumPort kind, const String& port, const String& model = u"Model-1") {
    CommandLine c;
    c.quiet = true;
    c.connection = &ConnectionOf(kind);
    c.port = port;
    c.model = model;
    return c;
}

CommandLine Usb(const String& model = {}) {
    CommandLine c;
    c.quiet = true;
    c.connection = &ConnectionOf(TEnumPort::USB);
    c.model = model;
    return c;
}

CommandLine Remove(const String& model) {
    CommandLine c;
    c.quiet = true;
    c.remove = true;
    c.model = model;
    return c;
}

bool Contains(const String& text, const String& part) {
    return text.find(part) != String::npos;
}

} // namespace

TEST(QuietRun, EveryExitCodeIsReachedAndNothingRunsBeforeTheChecksPass) {
    struct Case {
        const char* name;
        std::function<void(Quiet&)> world;
        CommandLine options;
        ExitCode code;
        const char16_t* reason; // a part of the reason given
        bool commandsRun;
    } cases[] = {
        {"installed", nullptr, Network(u"10.0.0.7"), ExitCode::Done, u"is installed", true},
        {"no connection", nullptr,
         [] {
             auto c = Network(u"");
             c.connection = nullptr;
             return c;
         }(),
         ExitCode::Usage, u"/connection", false},
        {"library missing",
         [](Quiet& q) { std::filesystem::remove(q.kit / "USBPrinterlibary.dll"); },
         Network(u"10.0.0.7"), ExitCode::KitRefused, u"USBPrinterlibary.dll", false},
        {"settings missing", [](Quiet& q) { std::filesystem::remove(q.kit / "install.dat"); },
         Network(u"10.0.0.7"), ExitCode::KitRefused, u"install.dat", false},
        {"seal broken",
         [](Quiet& q) {
             q.WriteSettings(With(WizardFixture::DefaultSettings(), "MrPrintSet=0", "MrPrintSet=1"),
                             false);
         },
         Network(u"10.0.0.7"), ExitCode::KitRefused, u"seal", false},
        {"unknown model", nullptr, Network(u"10.0.0.7", u"Model-9"), ExitCode::BadValue,
         u"/model \"Model-9\"", false},
        {"no address", nullptr, Network(u"1.2.3"), ExitCode::BadValue, u"/address \"1.2.3\"",
         false},
        {"letters in the address", nullptr, Network(u"10.0.x.7"), ExitCode::BadValue, u"/address",
         false},
        {"no such port", nullptr, OnPort(TEnumPort::RS232, u"COM9"), ExitCode::BadValue,
         u"/port \"COM9\"", false},
        {"quote in the model",
         [](Quiet& q) {
             q.WriteSettings(
                 With(WizardFixture::DefaultSettings(), "m1=Model-1,", "m1='Mod\"el',"));
         },
         Network(u"10.0.0.7", u"'Mod\"el'"), ExitCode::BadValue, u"en79", false},
        {"port refused", [](Quiet& q) { q.registry.refuseWrite = 5; }, Network(u"10.0.0.7"),
         ExitCode::PortFailed, u"10.0.0.7", true},
        {"setup leaves no printer", [](Quiet& q) { q.installCreatesPrinter = false; },
         OnPort(TEnumPort::LPT, u"LPT1:"), ExitCode::SetupFailed, u"did not install", true},
        {"another printer of the name",
         [](Quiet& q) { q.Printer(u"Model-1", u"COM1:", u"Model-1"); },
         OnPort(TEnumPort::LPT, u"LPT1:"), ExitCode::SetupFailed, u"/replace", false},
        {"removal that leaves it",
         [](Quiet& q) {
             q.Printer(u"Model-1", u"COM1:", u"Model-1");
             q.removeDeletesPrinter = false;
         },
         Remove(u"Model-1"), ExitCode::SetupFailed, u"still installed", true},
        {"no USB printer", nullptr, Usb(), ExitCode::NoUsbPrinter, u"USB001", false},
        {"not an administrator", [](Quiet& q) { q.sys.systemInfo.administrator = false; },
         Network(u"10.0.0.7"), ExitCode::NotAdmin, u"administrator", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Quiet q;
        if (c.world) c.world(q);
        EXPECT_EQ(q.Run(c.options), c.code);
        EXPECT_TRUE(Contains(q.out.reason, c.reason)) << ToUtf8(q.out.reason);
        EXPECT_EQ(!q.sys.processes.commands.empty(), c.commandsRun);
        // Every command run is in the output.
        EXPECT_EQ(q.out.commands, q.sys.processes.commands);
        if (!c.commandsRun) {
            EXPECT_TRUE(q.registry.writes.empty());
        }
    }
}

TEST(QuietRun, ANetworkInstallMakesThePortAndTheQueueAndReportsEveryText) {
    Quiet q;
    ASSERT_EQ(q.Run(Network(u"10.0.0.7")), ExitCode::Done);
    EXPECT_EQ(q.sys.processes.commands,
              (StringList{kNetStopSpooler, kNetStartSpooler, kNetStartSpooler,
                          InstallCommandFor(u"Model-1", u"10.0.0.7")}));
    EXPECT_EQ(q.spooler.setups[u"Model-1"],
              std::make_pair(String(u"10.0.0.7"), String(u"Model-1")));
    // The wizard's texts, each once, up to its end message.
    const StringList& lines = q.out.lines;
    for (const char16_t* text : {u"en47", u"en70", u"en46", u"en45", u"en44"})
        EXPECT_EQ(std::count(lines.begin(), lines.end(), String(text)), 1) << ToUtf8(text);
    EXPECT_NE(std::find(lines.begin(), lines.end(), String(u"Model-1 en15")), lines.end());
    // Every question of the run (here: leave at the end) was answered beforehand.
    EXPECT_EQ(std::find(lines.begin(), lines.end(), String(u"(answered No)")), lines.end());
}

TEST(QuietRun, AnAddressThatIsAlreadyAPortIsUsedAsItIs) {
    Quiet q;
    q.spooler.ports.push_back(u"10.0.0.7");
    EXPECT_EQ(q.Run(Network(u"10.0.0.7")), ExitCode::Done);
    EXPECT_EQ(q.sys.processes.commands,
              (StringList{kNetStartSpooler, InstallCommandFor(u"Model-1", u"10.0.0.7")}));
    EXPECT_TRUE(q.registry.writes.empty());
    EXPECT_EQ(std::find(q.out.lines.begin(), q.out.lines.end(), String(u"(answered No)")),
              q.out.lines.end());
}

TEST(QuietRun, TheSecondIdenticalRunChangesNothing) {
    Quiet q;
    ASSERT_EQ(q.Run(Network(u"10.0.0.7")), ExitCode::Done);
    q.sys.processes.commands.clear();
    const size_t writes = q.registry.writes.size();

    EXPECT_EQ(q.Run(Network(u"10.0.0.7")), ExitCode::Done);
    EXPECT_TRUE(q.sys.processes.commands.empty());
    EXPECT_EQ(q.registry.writes.size(), writes);
    EXPECT_TRUE(Contains(q.out.reason, u"already installed")) << ToUtf8(q.out.reason);
}

TEST(QuietRun, ReplaceRemovesTheInstalledPrinterFirst) {
    Quiet q;
    q.Printer(u"Model-1", u"COM1:", u"Other driver");
    CommandLine options = OnPort(TEnumPort::LPT, u"LPT1");
    options.replace = true;
    EXPECT_EQ(q.Run(options), ExitCode::Done);
    EXPECT_EQ(q.sys.processes.commands, (StringList{RemoveCommandFor(u"Model-1"), kNetStartSpooler,
                                                    InstallCommandFor(u"Model-1", u"LPT1:")}));
    EXPECT_EQ(q.spooler.setups[u"Model-1"], std::make_pair(String(u"LPT1:"), String(u"Model-1")));
}

TEST(QuietRun, RemoveRemovesOnlyThatPrinterAndAnAbsentOneIsSuccess) {
    Quiet q;
    q.Printer(u"Model-1", u"COM1:", u"Model-1");
    q.Printer(u"Model-2", u"COM2:", u"Model-2");
    EXPECT_EQ(q.Run(Remove(u"model-1")), ExitCode::Done);
    EXPECT_EQ(q.sys.processes.commands, StringList{RemoveCommandFor(u"Model-1")});
    EXPECT_EQ(q.spooler.printers, StringList{u"Model-2"});

    q.sys.processes.commands.clear();
    EXPECT_EQ(q.Run(Remove(u"Model-1")), ExitCode::Done);
    EXPECT_TRUE(q.sys.processes.commands.empty());
    EXPECT_TRUE(Contains(q.out.reason, u"nothing to remove")) << ToUtf8(q.out.reason);
}

TEST(QuietRun, AUsbInstallWithoutAModelTakesTheModelTheSearchFinds) {
    // A kit without a default model takes whatever model the search finds (USBModelWindow):
    // the identifiers decide.
    Quiet q(With(WizardFixture::DefaultSettings(), "PrintName=Model-2", "PrintName="));
    q.spooler.ports.push_back(u"USB002");
    fakeusb::answer = "USB002,VID_1A2B,PID_3C4D";
    fakeusb::count = 1;
    EXPECT_EQ(q.Run(Usb()), ExitCode::Done);
    EXPECT_EQ(q.sys.processes.commands,
              (StringList{kNetStartSpooler, InstallCommandFor(u"Model-1", u"USB002")}));
    EXPECT_NE(std::find(q.out.lines.begin(), q.out.lines.end(), String(u"en37Model-1")),
              q.out.lines.end());

    // With /model, a printer of another model is no match.
    Quiet other;
    fakeusb::answer = "USB001,VID_1A2B,PID_3C4D";
    fakeusb::count = 1;
    EXPECT_EQ(other.Run(Usb(u"Model-2")), ExitCode::NoUsbPrinter);
    EXPECT_TRUE(other.sys.processes.commands.empty());

    // As in the wizard, a printer the kit does not accept (its default model is another) is
    // found but not installed.
    Quiet notDefault;
    fakeusb::answer = "USB001,VID_1A2B,PID_3C4D";
    fakeusb::count = 1;
    EXPECT_EQ(notDefault.Run(Usb()), ExitCode::NoUsbPrinter);
    EXPECT_TRUE(Contains(notDefault.out.reason, u"\"Model-1\"")) << ToUtf8(notDefault.out.reason);
    EXPECT_TRUE(notDefault.sys.processes.commands.empty());
}

TEST(QuietRun, TheDefaultPrinterIsSetWhenAskedOrWhenTheKitAlwaysSetsIt) {
    struct Case {
        const char* mrPrintSet;
        bool makeDefault;
        bool isDefault;
    } cases[] = {{"0", false, false},
                 {"0", true, true},
                 {"1", false, true},
                 {"2", false, false},
                 {"2", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mrPrintSet) + (c.makeDefault ? " /default" : ""));
        Quiet q(With(WizardFixture::DefaultSettings(), "MrPrintSet=0",
                     std::string("MrPrintSet=") + c.mrPrintSet));
        CommandLine options = OnPort(TEnumPort::RS232, u"COM2:");
        options.makeDefault = c.makeDefault;
        EXPECT_EQ(q.Run(options), ExitCode::Done);
        EXPECT_EQ(StartsWith(q.WinIniDevice(), u"Model-1,"), c.isDefault)
            << ToUtf8(q.WinIniDevice());
    }
}

TEST(QuietRun, TheRunGoesToTheInstallLogThatLogNames) {
    for (const char16_t* logFile : {u"", u"D:\\logs\\printer.log"}) {
        Quiet q;
        CommandLine c = Network(u"192.168.1.50");
        c.logFile = logFile;
        ASSERT_EQ(q.Run(c), ExitCode::Done);
        const String path = *logFile ? String(logFile) : u"C:\\ProgramData\\ODAXPrintDrive\\install.log";
        ASSERT_EQ(q.logFiles.files.size(), 1u) << ToUtf8(path);
        const std::string log = q.logFiles.files[path];
        SCOPED_TRACE(log);
        // How it was started, each line the run printed, each command with its exit code, the end.
        EXPECT_NE(log.find("quiet: /quiet /connection network /address 192.168.1.50 /model Model-1"),
                  std::string::npos);
        // A text of several lines goes on as indented lines of its entry. The first line, the
        // program's version and the command, is the log's run header in its own form.
        ASSERT_FALSE(q.out.lines.empty());
        for (auto text = std::next(q.out.lines.begin()); text != q.out.lines.end(); ++text)
            for (size_t from = 0; from < text->size();) {
                const size_t end = std::min(text->find(u"\r\n", from), text->size());
                EXPECT_NE(log.find(ToUtf8(text->substr(from, end - from))), std::string::npos)
                    << ToUtf8(*text);
                from = end + 2;
            }
        ASSERT_FALSE(q.out.commands.empty());
        for (const String& command : q.out.commands)
            EXPECT_NE(log.find(ToUtf8(command)), std::string::npos);
        EXPECT_NE(log.find("Exit code: 0"), std::string::npos);
        EXPECT_NE(log.find("exit code 0: " + ToUtf8(q.out.reason)), std::string::npos);
    }
}

TEST(QuietRun, ATestReceiptIsPrintedOnlyWhenTestprintAsksForIt) {
    for (const bool asked : {false, true}) {
        SCOPED_TRACE(asked ? "/testprint" : "no /testprint");
        // The kit offers the receipt; with no one to ask, the command line decides.
        Quiet q(With(WizardFixture::DefaultSettings(), "MrPrintSet=0",
                     "MrPrintSet=0\r\nTestPrint=1"));
        q.spooler.jobStates = {JobState{JobState::Printed, {}}};
        CommandLine options = OnPort(TEnumPort::RS232, u"COM2:");
        options.testPrint = asked;
        EXPECT_EQ(q.Run(options), ExitCode::Done);
        ASSERT_EQ(q.spooler.jobs.size(), asked ? 1u : 0u);
        if (asked) {
            EXPECT_EQ(q.spooler.jobs[0].printer, u"Model-1");
            EXPECT_NE(std::find(q.out.lines.begin(), q.out.lines.end(), u"en85"), q.out.lines.end())
                << "the printed outcome";
        }
    }
}

TEST(QuietRun, EveryQuestionHasAnAnswerFromTheCommandLineAndNoneIsGuessed) {
    CommandLine options = OnPort(TEnumPort::RS232, u"COM1");
    options.replace = true;
    const QuietAnswers answers = QuietAnswers::Of(options);
    RecordingOutput out;
    QuietFrontEnd front(out, answers);
    for (const QuestionKind kind : QuestionKinds()) {
        SCOPED_TRACE(ToUtf8(QuestionName(kind)));
        ASSERT_TRUE(answers.For(kind));
        const bool yes = front.Ask({kind, u"title", u"text of " + String(QuestionName(kind))});
        EXPECT_EQ(yes, kind != QuestionKind::ExistingPort && kind != QuestionKind::MakeDefault &&
                           kind != QuestionKind::TestReceipt);
    }
    // Each question is printed with the answer and what decided it.
    EXPECT_NE(std::find(out.lines.begin(), out.lines.end(), u"Answer: Yes (/replace)"),
              out.lines.end());
    EXPECT_NE(std::find(out.lines.begin(), out.lines.end(), u"Answer: No (no /default)"),
              out.lines.end());

    // A question without an answer is a fault of the program, never a silent No.
    QuietAnswers partial = answers;
    partial.makeDefault.reset();
    QuietFrontEnd unanswered(out, partial);
    EXPECT_THROW(unanswered.Ask({QuestionKind::MakeDefault, u"t", u"x"}), std::logic_error);
}

// What a deployment as the system account needs to be true: the exit code tells what happened,
// and nothing waits, guesses or writes where it should not.
TEST(QuietRun, AnAddressOnTheCommandLineIsFourPlainNumbers) {
    const struct {
        const char16_t* address;
        bool valid;
    } cases[] = {
        {u"10.0.0.7", true},    {u"192.168.1. 50", true}, {u" 10.0.0.7 ", true},
        {u"010.0.0.7", true},   {u"-1.-1.-1.-1", false},  {u"$FF.0.0.1", false},
        {u"0x0A.0.0.1", false}, {u"1 0.0.0.7", false},    {u"+10.0.0.7", false},
        {u"1.2.3.4.5", false},  {u"256.1.1.1", false},    {u"0.0.0.0", false},
        {u"0010.0.0.7", false}, {u"10..0.7", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.address));
        Quiet q;
        EXPECT_EQ(q.Run(Network(c.address)), c.valid ? ExitCode::Done : ExitCode::BadValue);
        EXPECT_EQ(q.registry.writes.empty(), !c.valid); // no dead port is made
    }
}

TEST(QuietRun, LogNamesAFullLocalPathWhoseFolderExists) {
    const struct {
        const char16_t* log;
        bool accepted;
    } cases[] = {
        {u"C:\\Logs\\printer.log", true},
        {u"printer.log", false}, // relative: whose folder?
        {u"Logs\\printer.log", false},
        {u"C:printer.log", false},                // the drive's current folder
        {u"\\Logs\\printer.log", false},          // the current drive
        {u"\\\\host\\share\\printer.log", false}, // a network path
        {u"\\\\.\\C:\\printer.log", false},       // device paths
        {u"\\\\?\\C:\\Logs\\printer.log", false},
        {u"C:\\Logs\\..\\Windows\\printer.log", false},
        {u"C:\\Missing\\printer.log", false}, // its folder is missing
        {u"C:\\Linked\\printer.log", false},  // its folder is a link
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.log));
        Quiet q;
        q.logFiles.folders[u"C:\\Missing"] = PathFacts{};
        PathFacts link;
        link.exists = link.directory = link.reparsePoint = link.trustedOwner = true;
        q.logFiles.folders[u"C:\\Linked"] = link;
        CommandLine options = Network(u"10.0.0.7");
        options.logFile = c.log;
        EXPECT_EQ(q.Run(options), c.accepted ? ExitCode::Done : ExitCode::Usage);
        if (c.accepted) continue;
        EXPECT_TRUE(Contains(q.out.reason, String(u"/log \"") + c.log + u"\""))
            << ToUtf8(q.out.reason);
        EXPECT_TRUE(q.sys.processes.commands.empty());
        EXPECT_TRUE(q.logFiles.files.empty());
    }
}

TEST(QuietRun, ALogFolderSomeoneCouldHavePreparedGetsNothingAndTheRunGoesOn) {
    const String folder = u"C:\\ProgramData\\ODAXPrintDrive";
    PathFacts link;
    link.exists = link.directory = link.reparsePoint = link.trustedOwner = true;
    PathFacts theirs;
    theirs.exists = theirs.directory = true;
    for (const PathFacts& facts : {link, theirs}) {
        SCOPED_TRACE(facts.reparsePoint ? "a link" : "a user's folder");
        Quiet q;
        q.logFiles.folders[folder] = facts;
        EXPECT_EQ(q.Run(Network(u"10.0.0.7")), ExitCode::Done);
        EXPECT_TRUE(q.logFiles.files.empty());
        EXPECT_TRUE(q.logFiles.created.empty());
        // Said once, on the output.
        const auto said =
            std::count_if(q.out.lines.begin(), q.out.lines.end(), [](const String& l) {
                return StartsWith(
                    l, u"No install log is written: the folder C:\\ProgramData\\ODAXPrintDrive");
            });
        EXPECT_EQ(said, 1);
    }
    // Missing, it is made with an access list of its own.
    Quiet q;
    q.logFiles.folders[folder] = PathFacts{};
    EXPECT_EQ(q.Run(Network(u"10.0.0.7")), ExitCode::Done);
    EXPECT_EQ(q.logFiles.created, StringList{folder});
    EXPECT_FALSE(q.logFiles.Log().empty());
}

TEST(QuietRun, ThePrinterSetupCommandHasABoundAndPastItTheRunExits5) {
    for (const std::optional<std::uint32_t> seconds :
         {std::optional<std::uint32_t>(), std::optional<std::uint32_t>(45)}) {
        Quiet q;
        CommandLine options = OnPort(TEnumPort::RS232, u"COM1");
        options.timeoutSeconds = seconds;
        const String install = InstallCommandFor(u"Model-1", u"COM1:");
        q.sys.processes.scripted[install].neverEnds = true;
        EXPECT_EQ(q.Run(options), ExitCode::SetupFailed);
        EXPECT_TRUE(Contains(q.out.reason, u"timeout")) << ToUtf8(q.out.reason);
        ASSERT_EQ(q.sys.processes.commands.back(), install);
        EXPECT_EQ(q.sys.processes.timeLimits.back(), seconds.value_or(600) * 1000);
        EXPECT_NE(q.logFiles.Log().find("Ended at its time limit"), std::string::npos);
    }
}

TEST(QuietRun, ATestReceiptThatDidNotPrintExits8AndThePrinterStays) {
    const struct {
        JobState state;
        ExitCode code;
    } cases[] = {{JobState{JobState::Printed, {}}, ExitCode::Done},
                 {JobState{JobState::Failed, u"Paper out"}, ExitCode::TestPrintFailed},
                 {JobState{JobState::Queued, {}}, ExitCode::TestPrintFailed}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.state.kind));
        Quiet q;
        q.spooler.jobStates = {c.state};
        CommandLine options = OnPort(TEnumPort::RS232, u"COM2");
        options.testPrint = true;
        EXPECT_EQ(q.Run(options), c.code);
        EXPECT_EQ(q.spooler.setups[u"Model-1"].first, u"COM2:"); // installed either way
    }
}

TEST(QuietRun, AsTheSystemAccountNoDefaultPrinterIsSetAndAWritableKitIsRefused) {
    {
        Quiet q(With(WizardFixture::DefaultSettings(), "MrPrintSet=0", "MrPrintSet=1"));
        q.sys.systemInfo.systemAccount = true;
        CommandLine options = OnPort(TEnumPort::RS232, u"COM2");
        options.makeDefault = true;
        EXPECT_EQ(q.Run(options), ExitCode::Done);
        EXPECT_EQ(q.WinIniDevice(), u"");
        EXPECT_NE(
            std::find(q.out.lines.begin(), q.out.lines.end(), String(kDefaultPrinterPerUser.en)),
            q.out.lines.end());
    }
    for (const bool allowed : {false, true}) {
        SCOPED_TRACE(allowed ? "allowed" : "refused");
        Quiet q;
        q.sys.systemInfo.systemAccount = true;
        q.sys.security.writers[u"C:\\Setup\\USBPrinterlibary.dll"] = {u"Users (write)"};
        CommandLine options = Network(u"10.0.0.7");
        options.allowWritableKit = allowed;
        EXPECT_EQ(q.Run(options), allowed ? ExitCode::Done : ExitCode::KitRefused);
        const String named = u"C:\\Setup\\USBPrinterlibary.dll: Users (write)";
        if (allowed) {
            EXPECT_TRUE(std::any_of(q.out.lines.begin(), q.out.lines.end(), [&](const String& l) {
                return StartsWith(l, u"Warning: ") && Contains(l, named);
            }));
        } else {
            EXPECT_TRUE(Contains(q.out.reason, named)) << ToUtf8(q.out.reason);
            EXPECT_TRUE(q.sys.processes.commands.empty());
            EXPECT_EQ(q.libraries.loads, 0); // nothing of the kit was loaded
        }
    }
    // Not the system account: whoever runs it could change the kit anyway.
    Quiet q;
    q.sys.security.writers[u"C:\\Setup\\USBPrinterlibary.dll"] = {u"Users (write)"};
    EXPECT_EQ(q.Run(Network(u"10.0.0.7")), ExitCode::Done);
}

TEST(QuietRun, AnErrorOfTheProgramItselfEndsWithExitCode9AndTheLogsEnd) {
    Quiet q;
    q.sys.systemInfo.systemAccount = true;
    struct : ISecurity {
        std::optional<StringList> NonAdminWriters(const String&) override {
            throw std::bad_alloc();
        }
    } failing;
    ScopedService<ISecurity> useFailing(failing);
    EXPECT_EQ(q.Run(Network(u"10.0.0.7")), ExitCode::InternalError);
    EXPECT_TRUE(Contains(q.out.reason, u"internal error")) << ToUtf8(q.out.reason);
    EXPECT_NE(q.logFiles.Log().find("==== Run ended: error, exit code 9: internal error"),
              std::string::npos);
}

// Several printers of one model, each with a name of its own: a kitchen and a counter printer.
TEST(QuietRun, NameGivesThePrinterItsOwnNameThroughTheWholeRun) {
    Quiet q(With(WizardFixture::DefaultSettings(), "MrPrintSet=0", "MrPrintSet=1\r\nTestPrint=1"));
    q.spooler.jobStates = {JobState{JobState::Printed, {}}};
    CommandLine kitchen = OnPort(TEnumPort::RS232, u"COM1");
    kitchen.name = u"Kitchen";
    kitchen.testPrint = true;
    CommandLine counter = OnPort(TEnumPort::RS232, u"COM2");
    counter.name = u"Counter";
    ASSERT_EQ(q.Run(kitchen), ExitCode::Done) << ToUtf8(q.out.reason);
    ASSERT_EQ(q.Run(counter), ExitCode::Done) << ToUtf8(q.out.reason);
    EXPECT_EQ(q.spooler.setups[u"Kitchen"], std::make_pair(String(u"COM1:"), String(u"Model-1")));
    EXPECT_EQ(q.spooler.setups[u"Counter"], std::make_pair(String(u"COM2:"), String(u"Model-1")));
    EXPECT_EQ(Argument(q.sys.processes.commands.back(), u" /b \""), u"Counter");
    EXPECT_EQ(Argument(q.sys.processes.commands.back(), u" /m \""), u"Model-1");
    EXPECT_TRUE(StartsWith(q.WinIniDevice(), u"Counter,")) << ToUtf8(q.WinIniDevice());
    ASSERT_EQ(q.spooler.jobs.size(), 1u);
    EXPECT_EQ(q.spooler.jobs[0].printer, u"Kitchen");

    // Again: as asked by its own name, nothing runs; on another port it differs.
    q.sys.processes.commands.clear();
    EXPECT_EQ(q.Run(kitchen), ExitCode::Done);
    EXPECT_TRUE(q.sys.processes.commands.empty());
    kitchen.port = u"COM2";
    EXPECT_EQ(q.Run(kitchen), ExitCode::SetupFailed);
    kitchen.replace = true;
    EXPECT_EQ(q.Run(kitchen), ExitCode::Done);
    EXPECT_EQ(q.sys.processes.commands.front(), RemoveCommandFor(u"Kitchen")); // that one only
    EXPECT_EQ(q.spooler.setups[u"Counter"].first, u"COM2:");

    // Removed by its name; the other stays.
    CommandLine removal;
    removal.quiet = removal.remove = true;
    removal.name = u"Kitchen";
    EXPECT_EQ(q.Run(removal), ExitCode::Done);
    EXPECT_EQ(q.spooler.printers, StringList{u"Counter"});

    // The name is refused as a model's name would be, before anything runs.
    Quiet other;
    CommandLine quoted = OnPort(TEnumPort::RS232, u"COM1");
    quoted.name = u"Bar \"2\"";
    EXPECT_EQ(other.Run(quoted), ExitCode::BadValue);
    EXPECT_TRUE(Contains(other.out.reason, u"/name \"Bar \"2\"\" holds a double quote"))
        << ToUtf8(other.out.reason);
    EXPECT_TRUE(other.sys.processes.commands.empty());
}

TEST(QuietRun, TheLogIsInCMTracesFormWhenTheSwitchOrTheKitAsks) {
    const struct {
        const char* what;
        const char* kit; // [CONFIG] LogFormat
        std::optional<LogFormat> asked;
        bool cmtrace;
    } cases[] = {{"the default", nullptr, std::nullopt, false},
                 {"/logformat cmtrace", nullptr, LogFormat::CMTrace, true},
                 {"the kit's", "CMTrace", std::nullopt, true},
                 {"/logformat text over the kit's", "cmtrace", LogFormat::Text, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Quiet q(c.kit ? With(WizardFixture::DefaultSettings(), "MrPrintSet=0",
                             std::string("MrPrintSet=0\r\nLogFormat=") + c.kit)
                      : WizardFixture::DefaultSettings());
        CommandLine options = OnPort(TEnumPort::RS232, u"COM9");
        options.logFormat = c.asked;
        EXPECT_EQ(q.Run(options), ExitCode::BadValue);
        const std::string log = q.logFiles.Log();
        EXPECT_EQ(log.rfind("<![LOG[==== Run started", 0) == 0, c.cmtrace) << log.substr(0, 80);
        // A failure's end is an error the viewer shows as one.
        const std::string end = c.cmtrace ? "<![LOG[==== Run ended: error, exit code 3: "
                                          : " ==== Run ended: error, exit code 3: ";
        EXPECT_NE(log.find(end), std::string::npos) << log;
    }
}
