// One table of kits and unattended command lines, each run through the wizard's checks (driven
// as a user would, its verdict read from the install log), the unattended run and odax-kit
// deploy: all three must reach the same verdict with the same exit code, and the wizard and
// deploy must name the same check.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <regex>

#include "fakes/FakeRegistry.h"
#include "fakes/WizardFixture.h"
#include "kit-tool/KitTool.h"
#include "unattended/QuietRun.h"

namespace {

struct Row {
    const char* name = "";
    StringList args = {};                                  // the unattended command, no /quiet
    std::function<std::string(std::string)> settings = {}; // the kit's settings, changed
    bool seal = true;
    std::vector<std::string> removed = {};       // kit files taken away
    std::function<void(StringList&)> ports = {}; // the system's ports, changed
    int code = 0;                                // 0: it installs
    const char16_t* check = nullptr;             // the check that refuses
    const char16_t* wizardCheck = nullptr;       // where the wizard names another one
    bool wizard = true; // false: the wizard's lists do not let a user give this command
};

// What a front end concluded: the exit code it gives (or would give) and the check it names.
struct Verdict {
    int code = -1;
    String check;
};

// The value after a switch of the command, or empty.
String Value(const StringList& args, const char16_t* name) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (SameText(args[i], name)) return args[i + 1];
    return {};
}
bool Has(const StringList& args, const char16_t* name) {
    return std::any_of(args.begin(), args.end(),
                       [&](const String& a) { return SameText(a, name); });
}

// A kit of the row's, with the program file and a USB printer of Model-1 on USB001, and setup
// commands that do to the fake spooler what a driver package does: set up the queue when its
// INF file is there.
struct World : WizardFixture {
    FakeRegistry registry;
    ScopedService<IRegistry> useRegistry{registry};

    World(const Row& row, bool windows)
        : WizardFixture(row.settings ? row.settings(DefaultSettings()) : DefaultSettings(),
                        row.seal, windows) {
        kit.Write("ODAXPrintDrive.exe", "MZ");
        for (const std::string& file : row.removed)
            std::filesystem::remove(kit / file);
        if (row.ports) row.ports(spooler.ports);
        fakeusb::answer = "USB001,VID_1A2B,PID_3C4D";
        fakeusb::count = 1;
        sys.processes.onRun = [this](const String& cmd) {
            if (!StartsWith(cmd, kRundll32 + u" printui.dll,PrintUIEntry /if")) return;
            if (!files.FileExists(Argument(cmd, u" /f \""))) return;
            const String name = Argument(cmd, u" /b \"");
            spooler.printers.push_back(name);
            spooler.setups[name] = {Argument(cmd, u" /r \""), Argument(cmd, u" /m \"")};
        };
    }
    static String Argument(const String& cmd, const String& option) {
        const size_t at = cmd.find(option);
        if (at == String::npos) return {};
        const size_t from = at + option.size();
        return cmd.substr(from, cmd.find(u'"', from) - from);
    }
    // The last run's end in the install log, as the unattended mode's verdict.
    Verdict Logged() {
        const std::string log = logFiles.Log();
        const size_t at = log.rfind("==== Run ended: ");
        if (at == std::string::npos) return {};
        const std::string end = log.substr(at, log.find("\r\n", at) - at);
        std::smatch m;
        if (std::regex_search(
                end, m, std::regex(R"(\((\w+) check, exit code (\d+) in the unattended mode\)$)")))
            return {std::stoi(m[2]), FromUtf8(m[1].str())};
        if (end == "==== Run ended: installed") return {0, {}};
        if (end.find("not set up as asked") != std::string::npos)
            return {static_cast<int>(ExitCode::SetupFailed), {}};
        ADD_FAILURE() << "an end the table does not know: " << end;
        return {};
    }
};

Verdict ThroughTheWizard(const Row& row) {
    World w(row, true);
    w.Start();
    if (!w.dialogs.boxes.empty()) return w.Logged(); // refused at its start
    TfrmMain& main = *frmMain;
    const ConnectionType* type = ConnectionOfSwitchName(Value(row.args, u"/connection"));
    if (!type) return {};
    w.Click(main.FindControl(type->radio));
    if (Has(row.args, u"/label")) main.rbLabel->SetChecked(true);
    // The model as the model page would give it.
    const String model = Value(row.args, u"/model");
    if (!model.empty()) {
        int found = -1;
        for (int i = 0; i < main.chkPrintSelect->Count(); ++i)
            if (SameText(Trim(main.chkPrintSelect->Item(i)), Trim(model))) found = i;
        if (found < 0) return {};
        PrintSetupInfo.PrintName = main.chkPrintSelect->Item(found);
    }
    main.pcPage->SetActivePageIndex(type->pageIndex);
    if (!type->portList) {
        main.meText->SetText(Value(row.args, u"/address"));
    } else if (auto* list = static_cast<ui::ComboBox*>(main.FindControl(type->portList));
               !type->modelFromSearch) {
        const String port = Value(row.args, u"/port");
        const StringList& items = list->Items();
        const auto it = std::find_if(items.begin(), items.end(), [&](const String& p) {
            return SameText(p, port) || SameText(p, port + u":");
        });
        if (it != items.end()) list->SetItemIndex(static_cast<int>(it - items.begin()));
    } else {
        w.Click(main.btnFindUSB);
    }
    w.dialogs.boxes.clear();
    main.btnStartInstall->SetEnabled(true);
    w.Click(main.btnStartInstall);
    return w.Logged();
}

Verdict ThroughTheQuietRun(const Row& row) {
    World w(row, false);
    StringList args = row.args;
    args.insert(args.begin(), u"/quiet");
    const ParsedCommandLine parsed = ParseCommandLine(args);
    EXPECT_TRUE(parsed.ok()) << ToUtf8(parsed.error);
    struct : IQuietOutput {
        void Line(const String&) override {}
        void Command(const String&, std::optional<std::uint32_t>, const String&) override {}
        void End(ExitCode, const String&) override {}
    } out;
    return {static_cast<int>(RunQuiet(parsed.options, out)), {}};
}

Verdict ThroughDeploy(const Row& row) {
    World w(row, false);
    const kit::KitLocation location{w.kit.Path(), w.kit.Path() / "install.dat", u"install.dat"};
    const kit::DeployOutcome outcome = kit::DeployKit(location, row.args, w.spooler.ports);
    const kit::DeployCheck* failed = outcome.Failed();
    return failed ? Verdict{failed->exitCode, failed->name} : Verdict{0, {}};
}

std::string Replaced(std::string settings, const std::string& from, const std::string& to) {
    const size_t at = settings.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? settings : settings.replace(at, from.size(), to);
}

auto Setting(const std::string& from, const std::string& to) {
    return [=](std::string s) { return Replaced(std::move(s), from, to); };
}

StringList Network(const char16_t* address, const char16_t* model = u"Model-1") {
    return {u"/connection", u"network", u"/address", address, u"/model", model};
}
StringList OnPort(const char16_t* kind, const char16_t* port, const char16_t* model = u"Model-1") {
    return {u"/connection", kind, u"/port", port, u"/model", model};
}

} // namespace

TEST(ThreeFrontEnds, AgreeOnEveryKitAndCommand) {
    const Row rows[] = {
        {"network", Network(u"192.168.1.50")},
        {"a blank in the address", Network(u"192.168.1. 50")},
        {"the address is a port already",
         Network(u"192.168.1.50"),
         nullptr,
         true,
         {},
         [](StringList& p) { p.push_back(u"192.168.1.50"); }},
        {"letters in the address", Network(u"10.0.x.7"), nullptr, true, {}, nullptr, 3, u"address"},
        {"a number past 255", Network(u"10.0.0.256"), nullptr, true, {}, nullptr, 3, u"address"},
        {"serial, the model in other letter case", OnPort(u"serial", u"COM1", u"model-2")},
        {"parallel, the system's name has a colon", OnPort(u"parallel", u"LPT1")},
        {"the label class",
         {u"/connection", u"serial", u"/port", u"COM2", u"/model", u"Label-3", u"/label"}},
        {"USB, the search picks the model",
         {u"/connection", u"usb"},
         Setting("PrintName=Model-2\r\n", "PrintName=\r\n")},
        {"USB, the kit has no model",
         {u"/connection", u"usb"},
         [](std::string s) {
             s = Replaced(s, "m1=Model-1,VID_1A2B,PID_3C4D\r\n", "");
             s = Replaced(s, "m2=Model-2,VID_1A2B,PID_3C4E\r\n", "");
             return Replaced(s, "m3=Label-3,VID_1A2B,PID_5E6F\r\n", "");
         },
         true,
         {},
         nullptr,
         6,
         u"model",
         u"search"},
        {"a short model line",
         Network(u"192.168.1.50"),
         Setting("m3=Label-3,VID_1A2B,PID_5E6F", "m3=Label-3,VID_1A2B"),
         true,
         {},
         nullptr,
         2,
         u"model"},
        {"the seal does not match",
         Network(u"192.168.1.50"),
         nullptr,
         false,
         {},
         nullptr,
         2,
         u"seal"},
        {"no USB library",
         Network(u"192.168.1.50"),
         nullptr,
         true,
         {"USBPrinterlibary.dll"},
         nullptr,
         2,
         u"files"},
        {"the driver file is missing",
         OnPort(u"serial", u"COM1"),
         nullptr,
         true,
         {"EN/pos.inf", "CN/pos.inf"},
         nullptr,
         5,
         u"driver"},
        {"no driver file named",
         OnPort(u"serial", u"COM1"),
         Setting("POSInfFileName=pos.inf", "POSInfFileName="),
         true,
         {},
         nullptr,
         5,
         u"driver"},
        {"a quote in the driver file's name",
         OnPort(u"serial", u"COM1"),
         Setting("POSInfFileName=pos.inf", "POSInfFileName=pos\".inf"),
         true,
         {},
         nullptr,
         3,
         u"driver"},
        {"a quote in a model name",
         OnPort(u"serial", u"COM1", u"'Mod\"el'"),
         Setting("m1=Model-1,", "m1='Mod\"el',"),
         true,
         {},
         nullptr,
         3,
         u"model"},
        {"a model the kit does not have",
         Network(u"192.168.1.50", u"Model-9"),
         nullptr,
         true,
         {},
         nullptr,
         3,
         u"model",
         nullptr,
         false},
        {"no serial port on the system",
         OnPort(u"serial", u"COM1"),
         nullptr,
         true,
         {},
         [](StringList& p) {
             p = {u"LPT1:", u"USB001"};
         },
         3,
         u"port"},
        {"a port of another kind",
         OnPort(u"serial", u"LPT1"),
         nullptr,
         true,
         {},
         nullptr,
         3,
         u"port",
         nullptr,
         false},
        {"a port name no command line carries",
         OnPort(u"serial", u"COM3\\"),
         nullptr,
         true,
         {},
         [](StringList& p) { p.push_back(u"COM3\\"); },
         3,
         u"port"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Verdict quiet = ThroughTheQuietRun(row);
        const Verdict deploy = ThroughDeploy(row);
        EXPECT_EQ(quiet.code, row.code);
        EXPECT_EQ(deploy.code, row.code);
        EXPECT_EQ(deploy.check, row.check ? String(row.check) : String());
        if (!row.wizard) continue;
        const Verdict wizard = ThroughTheWizard(row);
        EXPECT_EQ(wizard.code, row.code);
        const char16_t* check = row.wizardCheck ? row.wizardCheck : row.check;
        EXPECT_EQ(wizard.check, check ? String(check) : String());
    }
}
