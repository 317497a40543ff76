#include "session/CommandLine.h"
#include <tuple>

#include <gtest/gtest.h>

namespace {

std::string Utf8(const String& s) {
    return ToUtf8(s);
}

ParsedCommandLine Parse(const char* line) {
    return ParseCommandLine(SplitCommandLine(FromUtf8(line)));
}

TEST(CommandLine, UnderstoodCommands) {
    struct Case {
        const char* line;
        bool quiet, remove, help;
        const char16_t* connection; // nullptr: none
        const char* address;
        const char* port;
        const char* model;
        bool label, replace, makeDefault;
        const char* log;
    };
    const Case cases[] = {
        {"", false, false, false, nullptr, "", "", "", false, false, false, ""},
        {"/?", false, false, true, nullptr, "", "", "", false, false, false, ""},
        {"/quiet /connection network /address 192.168.1.50 /model POS-80", true, false, false,
         u"network", "192.168.1.50", "", "POS-80", false, false, false, ""},
        // Letter case, '-' for '/', the switches in any order, quoted values with blanks.
        {"-QUIET /Model \"POS 80 Series\" /CONNECTION Serial /port COM2 /label /replace /default "
         "/log \"C:\\Logs dir\\x.log\"",
         true, false, false, u"serial", "", "COM2", "POS 80 Series", true, true, true,
         "C:\\Logs dir\\x.log"},
        {"/quiet /connection parallel /port LPT1 /model M", true, false, false, u"parallel", "",
         "LPT1", "M", false, false, false, ""},
        // USB: the search finds the port and picks the model when they are left out.
        {"/quiet /connection usb", true, false, false, u"usb", "", "", "", false, false, false, ""},
        {"/quiet /connection usb /port USB002 /model M", true, false, false, u"usb", "", "USB002",
         "M", false, false, false, ""},
        {"/quiet /remove /model M /log x.log", true, true, false, nullptr, "", "", "M", false,
         false, false, "x.log"},
        // Asking for the usage is never an error.
        {"/quiet /?", true, false, true, nullptr, "", "", "", false, false, false, ""},
        {"/model M /?", false, false, true, nullptr, "", "", "M", false, false, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ParsedCommandLine p = Parse(c.line);
        ASSERT_TRUE(p.ok()) << Utf8(p.error);
        const CommandLine& o = p.options;
        EXPECT_EQ(o.quiet, c.quiet);
        EXPECT_EQ(o.remove, c.remove);
        EXPECT_EQ(o.help, c.help);
        if (c.connection) {
            ASSERT_NE(o.connection, nullptr);
            EXPECT_EQ(String(o.connection->switchName), c.connection);
        } else {
            EXPECT_EQ(o.connection, nullptr);
        }
        EXPECT_EQ(Utf8(o.address), c.address);
        EXPECT_EQ(Utf8(o.port), c.port);
        EXPECT_EQ(Utf8(o.model), c.model);
        EXPECT_EQ(o.label, c.label);
        EXPECT_EQ(o.replace, c.replace);
        EXPECT_EQ(o.makeDefault, c.makeDefault);
        EXPECT_EQ(Utf8(o.logFile), c.log);
    }
}

TEST(CommandLine, RefusedCommandsNameTheArgumentAndTheReason) {
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"/fast", "unknown switch /fast"},
        {"/quiet /connection network /address 1.2.3.4 POS-80",
         "unexpected argument \"POS-80\" (values follow their switch)"},
        {"/quiet /connection wifi",
         "/connection must be network, usb, serial or parallel, not \"wifi\""},
        {"/quiet /connection usb /model", "/model needs a value"},
        {"/quiet /connection usb /model /label", "/model needs a value"},
        {"/quiet /connection usb /model \"  \"", "/model needs a value"},
        {"/quiet /quiet", "/quiet is given twice"},
        {"/quiet /connection usb /model A /MODEL B", "/model is given twice"},
        // Without /quiet the wizard starts, and would not use these.
        {"/connection network", "/connection is only used with /quiet"},
        {"/replace", "/replace is only used with /quiet"},
        {"/testprint", "/testprint is only used with /quiet"},
        {"/quiet /remove /model M /testprint",
         "/remove takes only /model, /log, /timeout and /allowwritablekit, not /testprint"},
        {"/quiet", "/quiet needs /connection (network, usb, serial or parallel) or /remove"},
        {"/quiet /model M",
         "/quiet needs /connection (network, usb, serial or parallel) or /remove"},
        {"/quiet /connection network /model M",
         "/connection network needs /address: the printer's IP address"},
        {"/quiet /connection network /address 1.2.3.4 /port P /model M",
         "/connection network takes /address, not /port"},
        {"/quiet /connection network /address 1.2.3.4",
         "/connection network needs /model: a model of the kit"},
        {"/quiet /connection serial /model M", "/connection serial needs /port"},
        {"/quiet /connection parallel /address 1.2.3.4 /port LPT1 /model M",
         "/connection parallel takes /port, not /address"},
        {"/quiet /connection usb /address 1.2.3.4", "/connection usb takes /port, not /address"},
        {"/quiet /remove", "/remove needs /model: the printer to remove"},
        {"/quiet /remove /model M /replace",
         "/remove takes only /model, /log, /timeout and /allowwritablekit, not /replace"},
        {"/quiet /remove /model M /connection usb",
         "/remove takes only /model, /log, /timeout and /allowwritablekit, not /connection"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const ParsedCommandLine p = Parse(c.line);
        EXPECT_FALSE(p.ok());
        EXPECT_EQ(Utf8(p.error), c.error);
    }
}

TEST(CommandLine, TestPrintIsAnInstallSwitch) {
    EXPECT_FALSE(Parse("/quiet /connection usb").options.testPrint);
    const ParsedCommandLine p = Parse("/quiet /connection usb /testprint");
    ASSERT_TRUE(p.ok()) << Utf8(p.error);
    EXPECT_TRUE(p.options.testPrint);
    EXPECT_EQ(Utf8(FormatCommandLine(p.options)), "/quiet /connection usb /testprint");
}

TEST(CommandLine, SplitsAsTheWindowsRuntime) {
    const struct {
        const char* line;
        std::vector<const char*> args;
    } cases[] = {
        {"", {}},
        {"  a\tb  ", {"a", "b"}},
        {"\"a b\" c", {"a b", "c"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\"", {""}},
        {"C:\\dir\\ x", {"C:\\dir\\", "x"}},       // backslashes not before a quote stay
        {"\"C:\\dir\\\\\" x", {"C:\\dir\\", "x"}}, // 2n before a quote: n
        {"a\\\"b", {"a\"b"}},                      // 2n+1: n and a literal quote
        {"\"a\"\"b\"", {"a\"b"}},                  // a doubled quote inside quotes
        {"\"open", {"open"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const StringList got = SplitCommandLine(FromUtf8(c.line));
        ASSERT_EQ(got.size(), c.args.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(Utf8(got[i]), c.args[i]);
    }
}

TEST(CommandLine, FormattedCommandReadsBackAsTheSameOptions) {
    for (const char* line : {
             "/quiet /connection network /address 10.0.0.7 /model \"POS 80\" /default /TestPrint",
             "/quiet /connection usb /label /replace /log \"C:\\Program Data\\\\\"",
             "/quiet /connection serial /port COM1 /model \"a\\\\\\\"b\" /log x",
             "/quiet /remove /model \"Label 58\"",
         }) {
        SCOPED_TRACE(line);
        const ParsedCommandLine first = Parse(line);
        ASSERT_TRUE(first.ok()) << Utf8(first.error);
        const String formatted = FormatCommandLine(first.options);
        const ParsedCommandLine again = ParseCommandLine(SplitCommandLine(formatted));
        ASSERT_TRUE(again.ok()) << Utf8(formatted) << ": " << Utf8(again.error);
        const CommandLine& a = first.options;
        const CommandLine& b = again.options;
        EXPECT_EQ(a.connection, b.connection);
        EXPECT_EQ(a.address, b.address);
        EXPECT_EQ(a.port, b.port);
        EXPECT_EQ(a.model, b.model);
        EXPECT_EQ(a.logFile, b.logFile);
        EXPECT_EQ(std::make_tuple(a.remove, a.label, a.replace, a.makeDefault, a.testPrint),
                  std::make_tuple(b.remove, b.label, b.replace, b.makeDefault, b.testPrint));
        EXPECT_EQ(FormatCommandLine(b), formatted);
    }
}

TEST(CommandLine, UsageListsEverySwitchAndExitCode) {
    const std::string usage = Utf8(UsageText());
    for (const char* s :
         {"/quiet", "/connection", "/address", "/port", "/model", "/label", "/replace", "/default",
          "/testprint", "/remove", "/log", "/?", "/qn", "/silent", "/verysilent", "/norestart",
          "/noreboot", "/timeout", "/allowwritablekit"})
        EXPECT_NE(usage.find(s), std::string::npos) << s;
    int expected = 0;
    for (const ExitCodeInfo& c : ExitCodes()) {
        EXPECT_EQ(static_cast<int>(c.code), expected++);
        EXPECT_NE(
            usage.find("  " + std::to_string(static_cast<int>(c.code)) + "  " + Utf8(c.meaning)),
            std::string::npos);
    }
    EXPECT_EQ(expected, 10);
}

} // namespace

// No deployment may wait for a user: /quiet anywhere makes the run quiet, also when another
// argument is wrong, so the error is printed instead of shown in a box nobody can click.
TEST(CommandLine, QuietAnywhereAndItsFormsMakeTheRunQuiet) {
    const StringList command = {u"/connection", u"serial", u"/port", u"COM1", u"/model", u"M"};
    for (const char16_t* quiet :
         {u"/quiet", u"-QUIET", u"/qn", u"/q", u"/s", u"/silent", u"/VerySilent"}) {
        for (std::size_t at = 0; at <= command.size(); at += 2) {
            StringList args = command;
            args.insert(args.begin() + static_cast<std::ptrdiff_t>(at), quiet);
            SCOPED_TRACE(Utf8(quiet) + " at " + std::to_string(at));
            const ParsedCommandLine p = ParseCommandLine(args);
            EXPECT_TRUE(p.ok()) << Utf8(p.error);
            EXPECT_TRUE(p.options.quiet);
            EXPECT_EQ(Utf8(FormatCommandLine(p.options)),
                      "/quiet /connection serial /port COM1 /model M");
        }
    }
    const struct {
        const char* line;
        const char* error;
    } wrong[] = {
        {"/connection netwrk /quiet",
         "/connection must be network, usb, serial or parallel, not \"netwrk\""},
        {"/bogus /connection usb /qn", "unknown switch /bogus"},
        {"/connection usb /model /s", "/model needs a value"},
        {"/connection usb /silent /timeout 29",
         "/timeout must be a number of seconds from 30 to 86400, not \"29\""},
    };
    for (const auto& c : wrong) {
        SCOPED_TRACE(c.line);
        const ParsedCommandLine p = Parse(c.line);
        EXPECT_TRUE(p.options.quiet);
        EXPECT_EQ(Utf8(p.error), c.error);
    }
    EXPECT_FALSE(Parse("/connection netwrk").options.quiet);
}

TEST(CommandLine, NoRestartChangesNothingAndTimeoutBoundsTheSetupCommand) {
    for (const char* line : {"/norestart", "/NOREBOOT /norestart", ""}) {
        SCOPED_TRACE(line);
        const ParsedCommandLine p = Parse(line);
        EXPECT_TRUE(p.ok()) << Utf8(p.error); // the wizard starts
        EXPECT_FALSE(p.options.quiet);
    }
    const ParsedCommandLine p = Parse("/norestart /quiet /remove /model M /timeout 30 /noreboot");
    ASSERT_TRUE(p.ok()) << Utf8(p.error);
    EXPECT_EQ(p.options.timeoutSeconds, 30u);
    EXPECT_EQ(Utf8(FormatCommandLine(p.options)), "/quiet /remove /model M /timeout 30");
    for (const char* seconds : {"86400", "600"})
        EXPECT_TRUE(
            Parse((std::string("/quiet /connection usb /timeout ") + seconds).c_str()).ok());
    for (const char* seconds : {"86401", "-60", "+60", "0x40", "1e3", "60s"}) {
        SCOPED_TRACE(seconds);
        EXPECT_FALSE(
            Parse((std::string("/quiet /connection usb /timeout ") + seconds).c_str()).ok());
    }
    EXPECT_EQ(Utf8(Parse("/timeout 60").error), "/timeout is only used with /quiet");
}

// An installer package passes its public properties as /set name=value after the options it
// was built with: a value replaces the option, an empty one leaves it as built.
TEST(CommandLine, SetReplacesAnOptionAndAnEmptyValueLeavesIt) {
    const struct {
        const char* line;
        const char* formatted; // empty: refused
    } cases[] = {
        {"/quiet /connection network /address 10.0.0.7 /model M /set address=10.0.0.9",
         "/quiet /connection network /address 10.0.0.9 /model M"},
        {"/quiet /connection network /address 10.0.0.7 /model M /set address= /set \"name= \"",
         "/quiet /connection network /address 10.0.0.7 /model M"},
        {"/quiet /connection network /set address=10.0.0.9 /set model=M /set \"name=Bar 1\"",
         "/quiet /connection network /address 10.0.0.9 /model M /name \"Bar 1\""},
        {"/quiet /connection serial /port COM1 /model M /default /set default=0 /set testprint=1 "
         "/set replace= /set \"log=C:\\logs\\a.log\"",
         "/quiet /connection serial /port COM1 /model M /testprint /log C:\\logs\\a.log"},
        {"/quiet /remove /model M /set name=Kitchen", "/quiet /remove /model M /name Kitchen"},
        {"/quiet /connection usb /set default=yes", ""},
        {"/quiet /connection usb /set colour=red", ""},
        {"/quiet /connection usb /set =1", ""},
        {"/quiet /remove /model M /set default=1", ""},
        {"/quiet /connection network /model M /set address=", ""}, // no address at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const ParsedCommandLine p = Parse(c.line);
        EXPECT_EQ(p.ok(), *c.formatted != '\0') << Utf8(p.error);
        if (p.ok()) {
            EXPECT_EQ(Utf8(FormatCommandLine(p.options)), c.formatted);
        }
    }
}
