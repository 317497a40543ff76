#include "printing/untFuction.h"

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "base/Paths.h"
#include "fakes/FakeSystem.h"

TEST(ExtractFilePath, KeepsEverythingUpToTheLastSeparator) {
    struct Case {
        const char16_t* path;
        const char16_t* folder;
    } cases[] = {
        {u"C:\\a\\b.inf", u"C:\\a\\"}, {u"b.inf", u""},          {u"C:b.inf", u"C:"},
        {u"C:/a/b.inf", u"C:/a/"},     {u"C:\\a/b\\c", u"C:\\a/b\\"}, {u"", u""},
        {u"\\\\srv\\share\\x.exe", u"\\\\srv\\share\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExtractFilePath(c.path), c.folder) << ToUtf8(c.path);
}

TEST(WaitTime, SleepsAndPumpsAtLeastOnceForZeroAndNegativeWaits) {
    for (int ms : {0, -5}) {
        FakeSystem sys;
        sys.clock.stepPerRead = 0; // time stands still: only the at-least-once rule ends it
        WaitTime(ms);
        EXPECT_EQ(sys.pump.count, 1) << ms;
        EXPECT_EQ(sys.clock.sleeps, std::vector<std::uint32_t>{1}) << ms;
    }
}

TEST(WaitTime, WaitsUntilTheElapsedTimeIsReached) {
    FakeSystem sys;
    sys.clock.now = 1000;
    sys.clock.stepPerRead = 10;
    WaitTime(100);
    // Reads at 1000 (start), then 1010 ... 1100: ten rounds of sleep and pump.
    EXPECT_EQ(sys.pump.count, 10);
}

TEST(WaitTime, StopsEarlyWhenTheTickCountTurnsNegative) {
    FakeSystem sys;
    sys.clock.now = 0x7FFFFFF0u;
    sys.clock.stepPerRead = 0x10;
    WaitTime(1000000);
    // The second read is 0x80000000, below the start when read as signed numbers.
    EXPECT_EQ(sys.pump.count, 1);
}

TEST(WaitTime, KeepsCountingAcrossTheWrapToZero) {
    FakeSystem sys;
    sys.clock.now = 0xFFFFFFF0u;
    sys.clock.stepPerRead = 0x10;
    WaitTime(0x40);
    // Reads 0x0, 0x10, 0x20, 0x30 are 0x10 ... 0x40 after the start: the wrapped
    // difference counts on and the wait ends at the fourth round, not the first.
    EXPECT_EQ(sys.pump.count, 4);
}

TEST(WaitTime, HandlesEventsWhileWaiting) {
    FakeSystem sys;
    sys.clock.stepPerRead = 1;
    int events = 0;
    sys.pump.onPump = [&] { ++events; };
    WaitTime(3);
    EXPECT_EQ(events, 3);
}

TEST(CheckResult, RaisesTheSystemTextForTheLastErrorWithoutItsEnding) {
    FakeSystem sys;
    EXPECT_NO_THROW(CheckResult(true));
    sys.processes.lastError = 2;
    try {
        CheckResult(false);
        FAIL() << "no error raised";
    } catch (const EOSError& e) {
        EXPECT_EQ(e.Message(), u"The system cannot find the file specified");
        EXPECT_EQ(e.ErrorCode(), 2u);
    }
}

TEST(RunDOS, ReturnsTheOutputLinesEachEndedByCrLf) {
    FakeSystem sys;
    using namespace std::string_literals;
    struct Case {
        std::string output;
        const char16_t* text;
    } cases[] = {
        {"", u""},
        {"one", u"one\r\n"},
        {"a\r\nb\r\n", u"a\r\nb\r\n"},
        {"a\nb", u"a\r\nb\r\n"},
        {"a\rb\r", u"a\r\nb\r\n"},
        {"a\n\nb\r\r\n", u"a\r\n\r\nb\r\n\r\n"},
        {"\xEF\xBB\xBFzh \xE4\xB8\xAD\n", u"zh \u4E2D\r\n"},       // UTF-8 with its mark
        {"\xFF\xFEo\0k\0\n\0"s, u"ok\r\n"},                          // UTF-16 with its mark
        {"\xD6\xD0\xCE\xC4\r\n", u"\u4E2D\u6587\r\n"},               // code page 936
    };
    for (const auto& c : cases) {
        sys.processes.scripted[u"cmd"] = {true, c.output, 0};
        EXPECT_EQ(RunDOS(u"cmd"), c.text) << c.output;
    }
    EXPECT_EQ(sys.processes.commands.size(), std::size(cases));
}

TEST(RunDOS, RaisesTheSystemTextWhenTheCommandCannotStart) {
    FakeSystem sys;
    sys.processes.scripted[u"nosuch"] = {false, "", 2};
    try {
        RunDOS(u"nosuch");
        FAIL() << "no error raised";
    } catch (const EOSError& e) {
        EXPECT_EQ(e.Message(), u"The system cannot find the file specified");
    }
}

TEST(RunDOS, PassesTheCommandLineUnchangedAsUtf16) {
    FakeSystem sys;
    const String line = u"rundll32 printui.dll,PrintUIEntry /if /b \"\u6A21\u578B\u2122\"";
    RunDOS(line);
    ASSERT_EQ(sys.processes.commands.size(), 1u);
    EXPECT_EQ(sys.processes.commands[0], line);
    EXPECT_EQ(sys.processes.timeLimits, std::vector<std::uint32_t>{kNoTimeLimit});
}

TEST(RunDOS, ACommandEndedAtItsTimeLimitRaisesAndNamesIt) {
    FakeSystem sys;
    sys.processes.scripted[u"net stop spooler"] = {true, "Stopping...", 0, true};
    try {
        RunDOS(u"net stop spooler", 45000);
        FAIL() << "no error raised";
    } catch (const EOSError& e) {
        EXPECT_EQ(e.ErrorCode(), kErrorTimeout);
        EXPECT_EQ(e.Message(), u"This operation returned because the timeout period expired: "
                               u"net stop spooler");
    }
    EXPECT_EQ(sys.processes.timeLimits, std::vector<std::uint32_t>{45000});
}
