#include <gtest/gtest.h>

#include "base/Errors.h"
#include "install/InstallWorld.h"
#include "printing/untFuction.h"

namespace {

const String k001 =
    u"SYSTEM\\ControlSet001\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\192.168.1.100";
const String kCurrent =
    u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\"
    u"192.168.1.100";
const String kIp = u"192.168.1.100";

// The ten values in their order, with the bytes the system must hold.
struct Expected {
    const char16_t* name;
    std::uint32_t type;
    std::string bytes;
    const char16_t* memo;
};
std::vector<Expected> TenValues() {
    using namespace std::string_literals;
    return {
        {u"HostName", 1, "1\0009\0002\000.\0001\0006\0008\000.\0001\000.\0001\0000\0000\000\0\0"s,
         u"HostName\uFF1A192.168.1.100"},
        {u"IPAddress", 1, "\0\0"s, u"IPAddress\uFF1A"},
        {u"HWAddress", 1, "\0\0"s, u"HWAddress\uFF1A"},
        {u"SNMP Community", 1, "p\0u\0b\0l\0i\0c\0\0\0"s, u"SNMP Community\uFF1Apublic"},
        {u"Protocol", 4, "\1\0\0\0"s, u"Protocol\uFF1A1"},
        {u"Version", 4, "\2\0\0\0"s, u"Version\uFF1A2"},
        {u"PortNumber", 4, "\x8C\x23\0\0"s, u"PortNumber\uFF1A9100"},
        {u"SNMP Enabled", 4, "\0\0\0\0"s, u"SNMP Enabled\uFF1A0"},
        {u"SNMP Index", 4, "\1\0\0\0"s, u"SNMP Index\uFF1A1"},
        {u"PortMonMibPortIndex", 4, "\0\0\0\0"s, u"PortMonMibPortIndex\uFF1A0"},
    };
}

StringList ExpectedLog(size_t valuesOfSecondKey, bool finished) {
    StringList log{En(56), En(57), En(58)};
    for (const auto& v : TenValues())
        log.push_back(v.memo);
    for (size_t i = 0; i < valuesOfSecondKey; ++i)
        log.push_back(TenValues()[i].memo);
    if (finished) log.push_back(En(59) + kIp + En(60));
    return log;
}

// Refuses the n-th start of one command line and lets every other call through.
class RefuseNthStart final : public IProcesses {
  public:
    RefuseNthStart(IProcesses& inner, String command, std::vector<int> refused)
        : inner_(inner), command_(std::move(command)), refused_(std::move(refused)) {}
    bool RunHidden(const String& commandLine, std::string& output,
                   std::uint32_t timeLimitMs) override {
        if (commandLine == command_) {
            ++seen_;
            for (int n : refused_)
                if (n == seen_) {
                    refusedCalls.push_back(commandLine);
                    return false;
                }
        }
        return inner_.RunHidden(commandLine, output, timeLimitMs);
    }
    std::uint32_t LastError() override { return 2; }
    std::uint32_t LastExitCode() override { return inner_.LastExitCode(); }
    String SystemErrorText(std::uint32_t code) override { return inner_.SystemErrorText(code); }
    StringList refusedCalls;

  private:
    IProcesses& inner_;
    String command_;
    std::vector<int> refused_;
    int seen_ = 0;
};

} // namespace

TEST(IsValidIP, AcceptsFourPiecesNotAllZeroNoneAbove255) {
    struct Case {
        const char16_t* ip;
        bool valid;
    } cases[] = {
        {u"192.168.1.100", true},
        {u"0.0.0.0", false},
        {u"0.0.0.1", true},
        {u"255.255.255.255", true},
        {u"256.1.1.1", false},
        {u"1.2.3.256", false},
        {u"0.0.0.256", false},
        {u"999.999.999.999", false},
        {u"1.2.3", false},
        {u"1.2.3.4.5", false},
        {u"...", false},
        {u"", false},
        {u"1..2.3.4", true},
        {u".1.2.3.4.", true},
        {u"010.001.000.001", true},
        {u" 1. 2.  3.4", true},
        {u"1.2. .3", false},
        {u"0.10.0.0", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidIP(c.ip), c.valid) << ToUtf8(c.ip);
}

TEST(IsValidIP, ANonNumericPieceRaisesUnlessAnEarlierPieceDecided) {
    struct Case {
        const char16_t* ip;
        const char16_t* error; // nullptr: false without an error
    } cases[] = {
        {u"x.1.1.1", u"'x' is not a valid integer value"},
        {u"0.0.a.1", u"'a' is not a valid integer value"},
        {u"1.2.3.b", u"'b' is not a valid integer value"},   // reached by the range test
        {u"1 .2.3.4", u"'1 ' is not a valid integer value"}, // a trailing blank stays
        {u"256.x.1.1", nullptr},                             // the range test stops at 256
    };
    for (const auto& c : cases) {
        if (!c.error) {
            EXPECT_FALSE(IsValidIP(c.ip)) << ToUtf8(c.ip);
            continue;
        }
        try {
            IsValidIP(c.ip);
            ADD_FAILURE() << "no error for " << ToUtf8(c.ip);
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), c.error) << ToUtf8(c.ip);
        }
    }
}

TEST(CreateNewIpPort, WritesBothKeysByteForByteBetweenStopAndStartOfTheSpooler) {
    InstallWorld w;
    int commandsAtRelease = -1;
    w.registry.onRelease = [&] {
        commandsAtRelease = static_cast<int>(w.sys.processes.commands.size());
    };
    bool buttonDuringStop = true;
    w.duringRun = [&](const String&) { buttonDuringStop = w.wait->BitBtn1->Enabled(); };

    ASSERT_TRUE(CreateNewIpPort(kIp, w.main->Progress()));

    const auto values = TenValues();
    ASSERT_EQ(w.registry.writes.size(), 20u);
    for (size_t i = 0; i < 20; ++i) {
        const auto& write = w.registry.writes[i];
        const auto& want = values[i % 10];
        EXPECT_EQ(write.path, i < 10 ? k001 : kCurrent) << i;
        EXPECT_EQ(write.name, want.name) << i;
        EXPECT_EQ(write.value.type, want.type) << i;
        EXPECT_EQ(write.value.data, want.bytes) << ToUtf8(want.name);
    }
    EXPECT_EQ(w.sys.processes.commands, (StringList{kNetStopSpooler, kNetStartSpooler}));
    EXPECT_EQ(w.writesAtRun, (std::vector<size_t>{0, 20}));
    EXPECT_FALSE(buttonDuringStop);
    EXPECT_EQ(w.registry.accessesReleased, 1);
    EXPECT_EQ(commandsAtRelease, 1); // released before the spooler starts again
    EXPECT_EQ(w.registry.keysClosed, 2);

    EXPECT_EQ(w.Log(), ExpectedLog(10, true));
    EXPECT_EQ(w.wait->pbWait->Max(), 22);
    const std::vector<int> bar{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 22};
    EXPECT_EQ(w.wait->pbWait->History(), bar);
    EXPECT_EQ(w.wait->Caption(), En(48));
    EXPECT_EQ(w.wait->Label1->Caption(), En(50));
    EXPECT_EQ(w.wait->BitBtn1->Caption(), En(51));
    EXPECT_TRUE(w.wait->BitBtn1->Enabled());
    EXPECT_TRUE(w.wait->Visible());
    ASSERT_EQ(w.dialogs.boxes.size(), 1u);
    EXPECT_EQ(w.dialogs.boxes[0].title, En(8));
    EXPECT_EQ(w.dialogs.boxes[0].text, En(59) + kIp + u"," + En(32));
    EXPECT_EQ(w.dialogs.boxes[0].flags, 0x40u);
}

TEST(CreateNewIpPort, OverwritesAnExistingKeyValueByValueAndKeepsForeignValues) {
    InstallWorld w;
    w.registry.keys[k001][u"HostName"] = {1, RegSzBytes(u"10.0.0.1")};
    w.registry.keys[k001][u"Foreign"] = {4, RegDwordBytes(7)};
    ASSERT_TRUE(CreateNewIpPort(kIp, w.main->Progress()));
    EXPECT_EQ(w.registry.Find(k001, u"HostName")->data, RegSzBytes(kIp));
    ASSERT_NE(w.registry.Find(k001, u"Foreign"), nullptr);
    EXPECT_EQ(w.registry.Find(k001, u"Foreign")->data, RegDwordBytes(7));
    EXPECT_EQ(w.registry.keys[k001].size(), 11u);
}

TEST(CreateNewIpPort, AFailedWriteKeepsWhatWasWrittenAndRestartsTheSpooler) {
    struct Case {
        std::uint32_t refused; // number of the write that fails
        size_t firstKeyValues, secondKeyValues;
        int lastBar;
    } cases[] = {{1, 0, 0, 3}, {10, 9, 0, 12}, {11, 10, 0, 13}, {13, 10, 2, 13}, {20, 10, 9, 13}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refused);
        InstallWorld w;
        w.registry.refuseWrite = c.refused;
        EXPECT_FALSE(CreateNewIpPort(kIp, w.main->Progress()));
        EXPECT_EQ(w.registry.keys[k001].size(), c.firstKeyValues);
        EXPECT_EQ(w.registry.keys.count(kCurrent) ? w.registry.keys[kCurrent].size() : 0,
                  c.secondKeyValues);
        EXPECT_EQ(w.sys.processes.commands, (StringList{kNetStopSpooler, kNetStartSpooler}));
        EXPECT_EQ(w.registry.accessesReleased, 1);
        EXPECT_EQ(w.registry.keysOpened, w.registry.keysClosed);
        EXPECT_TRUE(w.wait->BitBtn1->Enabled());
        EXPECT_TRUE(w.dialogs.boxes.empty());
        EXPECT_EQ(w.wait->pbWait->Position(), c.lastBar);
        // No line for the failed write, nothing after it.
        StringList log{En(56), En(57), En(58)};
        for (size_t i = 0; i < c.firstKeyValues; ++i)
            log.push_back(TenValues()[i].memo);
        for (size_t i = 0; i < c.secondKeyValues; ++i)
            log.push_back(TenValues()[i].memo);
        EXPECT_EQ(w.Log(), log);
    }
}

TEST(CreateNewIpPort, AKeyThatCannotBeOpenedFailsAtItsFirstWrite) {
    InstallWorld w;
    w.registry.refuseOpen.insert(kCurrent);
    EXPECT_FALSE(CreateNewIpPort(kIp, w.main->Progress()));
    EXPECT_EQ(w.registry.keys[k001].size(), 10u);
    EXPECT_EQ(w.registry.keys.count(kCurrent), 0u);
    EXPECT_EQ(w.sys.processes.commands.back(), kNetStartSpooler);
    EXPECT_EQ(w.registry.accessesReleased, 1);
}

TEST(CreateNewIpPort, ASpoolerThatCannotBeStoppedWritesNothingAndStartsItAgain) {
    FakeProcesses::Result cannotStart{false, "", 2}, neverEnds;
    neverEnds.neverEnds = true; // ended at its time limit
    for (const auto& stop : {cannotStart, neverEnds}) {
        SCOPED_TRACE(stop.neverEnds);
        InstallWorld w;
        w.sys.processes.scripted[kNetStopSpooler] = stop;
        EXPECT_FALSE(CreateNewIpPort(kIp, w.main->Progress()));
        EXPECT_EQ(w.sys.processes.commands, (StringList{kNetStopSpooler, kNetStartSpooler}));
        EXPECT_EQ(w.registry.accessesOpened, 0);
        EXPECT_TRUE(w.registry.writes.empty());
        EXPECT_FALSE(w.wait->BitBtn1->Enabled()); // the caller closes the dialog
        EXPECT_EQ(w.Log(), StringList{En(56)});
        EXPECT_TRUE(w.dialogs.boxes.empty());
    }
}

TEST(CreateNewIpPort, ARestartThatCannotBeStartedIsTriedOnceMore) {
    struct Case {
        std::uint32_t refusedWrite;
        std::vector<int> refusedStarts;
        bool raises;
    } cases[] = {
        {0, {1}, false},   // the normal end's restart fails, the second try works
        {0, {1, 2}, true}, // both fail: the caller hears of it
        {3, {1}, false},   // path A's restart fails, path B's works
        {3, {1, 2}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.refusedWrite << " " << c.refusedStarts.size());
        InstallWorld w;
        w.registry.refuseWrite = c.refusedWrite;
        RefuseNthStart processes(w.sys.processes, kNetStartSpooler, c.refusedStarts);
        ScopedService<IProcesses> use(processes);
        if (c.raises) {
            EXPECT_THROW(CreateNewIpPort(kIp, w.main->Progress()), EOSError);
        } else {
            EXPECT_FALSE(CreateNewIpPort(kIp, w.main->Progress()));
            EXPECT_EQ(w.sys.processes.commands.back(), kNetStartSpooler);
        }
        EXPECT_EQ(processes.refusedCalls.size(), c.refusedStarts.size());
        EXPECT_EQ(w.registry.accessesReleased, 1);
        EXPECT_TRUE(w.dialogs.boxes.empty());
    }
}

TEST(CreateNewIpPort, ClosingTheDialogMeanwhileChangesNothing) {
    InstallWorld w;
    w.sys.pump.onPump = [&] { w.wait->Close(); };
    ASSERT_TRUE(CreateNewIpPort(kIp, w.main->Progress()));
    EXPECT_EQ(w.registry.writes.size(), 20u);
    EXPECT_EQ(w.Log(), ExpectedLog(10, true));
    EXPECT_EQ(w.dialogs.boxes.size(), 1u);
    EXPECT_FALSE(w.wait->Visible());
}
