// The installation run and the USB search called as operations of their units: no window
// exists, the choices are handed over as values and everything the user would see arrives at a
// recording progress.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "base/Errors.h"
#include "fakes/FakeRegistry.h"
#include "fakes/RecordingReport.h"
#include "fakes/WizardFixture.h"
#include "install/untInstall.h"
#include "install/untModels.h"
#include "usb/untUsbSearch.h"

namespace {

String E(int n) {
    return u"en" + IntToStr(n);
}

// The units as the program sets them up, and no window at all.
struct Operations : WizardFixture {
    FakeRegistry registry;
    ScopedService<IRegistry> useRegistry{registry};
    RecordingProgress progress;
    TPrintModelInfo setup;

    Operations() : WizardFixture(DefaultSettings(), true, false) {
        LCaption = IniOptions->GetCaptionLanguage();
        setup.PrintName = u"Model-1";
        // A working driver package: the setup command creates the queue it names.
        sys.processes.onRun = [this](const String& cmd) {
            if (!StartsWith(cmd, kRundll32 + u" printui.dll,PrintUIEntry /if")) return;
            spooler.printers.push_back(setup.PrintName);
            spooler.setups[setup.PrintName] = {setup.PrintPort, setup.PrintName};
        };
    }
    void Config(const String& key, const String& value) {
        IniOptions->SetIdentValue(u"CONFIG", key, value);
    }
    static InstallChoices On(TEnumPort kind, const String& port) {
        InstallChoices c;
        c.connection = &ConnectionOf(kind);
        c.port = port;
        return c;
    }
};

String Install(const String& port) {
    return kRundll32 +
           u" printui.dll,PrintUIEntry /if /b \"Model-1\" /f \"C:\\Setup\\EN\\pos.inf\" /r \"" +
           port + u"\" /m \"Model-1\"";
}

std::vector<TPrintModelInfo> Models() {
    return {{u"Model-1", u"VID_1A2B", u"PID_3C4D", u""},
            {u"Model-2", u"VID_1A2B", u"PID_3C4E", u""}};
}

} // namespace

TEST(Operations, NoWindowExists) {
    Operations o;
    EXPECT_EQ(frmMain, nullptr);
    EXPECT_EQ(frmWait, nullptr);
}

TEST(Operations, AnInstallationOnASerialPortReportsEveryStepInOrder) {
    Operations o;
    InstallChoices choices = Operations::On(TEnumPort::RS232, u"COM2:");
    choices.printers = {u"Other", u"Model-1"};
    o.progress.answers = {mb::ID_NO, mb::ID_OK, mb::ID_YES}; // keep the old one; leave at the end

    EXPECT_EQ(RunInstallation(choices, o.setup, o.progress, o.progress), InstallOutcome::Installed);

    EXPECT_EQ(o.setup.PrintPort, u"COM2:");
    EXPECT_EQ(o.sys.processes.commands, (StringList{kNetStartSpooler, Install(u"COM2:")}));
    EXPECT_EQ(o.progress.events, (StringList{u"open " + E(47) + u"|" + E(47) + u"|-",
                                             u"clear",
                                             u"status " + E(47),
                                             u"log " + E(47),
                                             u"ask " + E(8) + u"|" + E(34),
                                             u"busy",
                                             u"status " + E(49),
                                             u"log " + E(49),
                                             u"status " + E(52),
                                             u"log " + E(52),
                                             u"status " + E(53),
                                             u"log " + E(53),
                                             u"status " + E(46),
                                             u"log " + E(46),
                                             u"status " + E(45),
                                             u"log " + E(45),
                                             u"status Model-1 " + E(15),
                                             u"log Model-1 " + E(15),
                                             u"status " + E(44),
                                             u"log " + E(44),
                                             u"ask " + E(42) + u"|" + E(44),
                                             u"ask " + E(8) + u"|" + E(43),
                                             u"quit",
                                             u"close",
                                             u"usable",
                                             u"status " + E(18)}));
}

TEST(Operations, TheNetworkPortIsMadeFromTheTypedAddressBeforeTheInstallation) {
    Operations o;
    EXPECT_EQ(RunInstallation(Operations::On(TEnumPort::NET, u"10.0.0. 7"), o.setup, o.progress,
                              o.progress),
              InstallOutcome::Installed);
    EXPECT_EQ(o.setup.PrintPort, u"10.0.0.7");
    EXPECT_EQ(o.registry.writes.size(), 20u);
    EXPECT_EQ(o.sys.processes.commands, (StringList{kNetStopSpooler, kNetStartSpooler,
                                                    kNetStartSpooler, Install(u"10.0.0.7")}));
    // The port creation titles the window for itself and counts its own 22 steps.
    const StringList opened = o.progress.Of(u"open");
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], E(48) + u"|" + E(50) + u"|" + E(51));
    EXPECT_EQ(o.progress.Of(u"steps"), StringList{u"22"});
}

TEST(Operations, AnAddressThatIsNoneOrAlreadyAPortIsGivenBack) {
    struct Case {
        const char16_t* typed;
        StringList ports;
        int answer;
        StringList asked;
    } cases[] = {
        {u"1.2.3", {}, mb::ID_OK, {E(8) + u"|" + E(29)}},
        {u"10.0.0.7", {u"COM1:", u" 10.0.0.7 "}, mb::ID_YES, {E(8) + u"|" + E(30)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.typed));
        Operations o;
        InstallChoices choices = Operations::On(TEnumPort::NET, c.typed);
        choices.ports = c.ports;
        o.progress.answers = {c.answer};
        EXPECT_EQ(RunInstallation(choices, o.setup, o.progress, o.progress),
                  InstallOutcome::AddressRefused);
        EXPECT_EQ(o.progress.Of(u"ask"), c.asked);
        EXPECT_EQ(o.progress.events.back(), u"close");
        EXPECT_TRUE(o.sys.processes.commands.empty());
        EXPECT_TRUE(o.setup.PrintPort.empty());
    }
}

TEST(Operations, AnInstallationNeedsTheSearchWhereTheSearchChoosesTheModel) {
    Operations o;
    EXPECT_EQ(
        RunInstallation(Operations::On(TEnumPort::USB, u"USB001"), o.setup, o.progress, o.progress),
        InstallOutcome::Refused);
    EXPECT_EQ(o.progress.events, StringList{u"ask " + E(8) + u"|" + E(80)});
    EXPECT_TRUE(o.sys.processes.commands.empty());
}

TEST(Operations, AnErrorAfterTheLockLeavesTheWindowsUsableAndGoesToTheCaller) {
    Operations o;
    o.Config(u"MrPrintSet", u"one");
    EXPECT_THROW(
        RunInstallation(Operations::On(TEnumPort::LPT, u"LPT1:"), o.setup, o.progress, o.progress),
        EConvertError);
    EXPECT_EQ(o.sys.processes.commands, (StringList{kNetStartSpooler, Install(u"LPT1:")}));
    EXPECT_EQ(o.progress.events.back(), u"usable");
}

TEST(Operations, TheUsbSearchMatchesPortsAndModelsAndLeavesTheOutcomeToTheCaller) {
    struct Case {
        const char* answer;
        std::int32_t count;
        std::optional<int> port;
        const char16_t* model;
        bool accepted;
    } cases[] = {
        {"USB002,VID_1A2B,PID_3C4E", 1, 1, u"Model-2", true},
        // A known model that is not the settings' default is found but not accepted.
        {"USB001,VID_1A2B,PID_3C4D", 1, 0, u"Model-1", false},
        {"USB009,VID_1A2B,PID_3C4E", 1, std::nullopt, u"", false},
        {"", 0, std::nullopt, u"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        Operations o;
        initUsbDLL();
        fakeusb::answer = c.answer;
        fakeusb::count = c.count;
        const UsbSearchResult r = SearchUsbPrinter({u"USB001", u"USB002"}, Models(), o.progress);
        EXPECT_EQ(r.portIndex, c.port);
        EXPECT_EQ(r.model.PrintName, c.model);
        if (c.port) {
            EXPECT_EQ(r.model.PrintPort, c.port == 0 ? u"USB001" : u"USB002");
        }
        EXPECT_EQ(r.accepted, c.accepted);
        EXPECT_EQ(fakeusb::calls, 1);
        const StringList start{u"open " + E(17) + u"|" + E(28) + u"|" + E(51),
                               u"not cancellable",
                               u"steps 8",
                               u"status " + E(38),
                               u"log " + E(41),
                               u"step",
                               u"log " + E(40),
                               u"step"};
        ASSERT_GE(o.progress.events.size(), start.size());
        EXPECT_EQ(StringList(o.progress.events.begin(), o.progress.events.begin() + 8), start);
        // The window stays open for the outcome; the outcome itself is the caller's.
        EXPECT_EQ(std::count(o.progress.events.begin(), o.progress.events.end(), u"close"), 0);
        EXPECT_TRUE(o.progress.Of(u"ask").empty());
        EXPECT_EQ(o.progress.Of(u"log").back(), c.accepted ? E(36) + c.model
                                                : c.port   ? E(37) + c.model
                                                : c.count  ? E(38)
                                                           : E(40));
    }
}

TEST(Operations, WithoutTheLibrarysPortListNothingIsFound) {
    Operations o; // the library is never loaded
    fakeusb::answer = "USB001,VID_1A2B,PID_3C4D";
    fakeusb::count = 1;
    const UsbSearchResult r = SearchUsbPrinter({u"USB001"}, Models(), o.progress);
    EXPECT_FALSE(r.portIndex);
    EXPECT_EQ(fakeusb::calls, 0);
}
