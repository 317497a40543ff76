#include "kit-tool/KitCommands.h"

#include <gtest/gtest.h>

#include <map>

#include "session/CommandLine.h"

namespace {

// cmd's reading of a line, as far as a printed command meets it: the percent signs first (a
// batch file takes %% for %, and a %name% it does not know for nothing; the prompt leaves an
// unknown one as it is), then the carets outside quotes. `variables` are upper-case names.
String CmdReads(StringView line, kit::CmdPlace place, const std::map<String, String>& variables) {
    const bool batch = place == kit::CmdPlace::BatchFile;
    String expanded;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != u'%') {
            expanded += line[i];
            continue;
        }
        if (batch && i + 1 < line.size() && line[i + 1] == u'%') {
            expanded += u'%';
            ++i;
            continue;
        }
        const std::size_t close = line.find(u'%', i + 1);
        if (close == StringView::npos) {
            if (!batch) expanded += u'%'; // a batch file drops a lone one
            continue;
        }
        const auto known = variables.find(UpperCase(line.substr(i + 1, close - i - 1)));
        if (known != variables.end()) {
            expanded += known->second;
            i = close;
        } else if (batch) {
            i = close;
        } else {
            expanded += u'%'; // the name stays, and its closing % may open the next one
        }
    }
    String out;
    bool quoted = false;
    for (std::size_t i = 0; i < expanded.size(); ++i) {
        const char16_t c = expanded[i];
        if (c == u'"') quoted = !quoted;
        if (!quoted && c == u'^' && i + 1 < expanded.size()) {
            out += expanded[++i];
            continue;
        }
        if (!quoted && (c == u'&' || c == u'|' || c == u'<' || c == u'>'))
            ADD_FAILURE() << "cmd would take '" << static_cast<char>(c) << "' as an operator in "
                          << ToUtf8(line);
        out += c;
    }
    return out;
}

String Removal(const String& model) {
    CommandLine removal;
    removal.quiet = true;
    removal.remove = true;
    removal.model = model;
    return u"ODAXPrintDrive.exe " + FormatCommandLine(removal);
}

} // namespace

// Each name as the removal command writes it after /model, for each place. Whatever cmd
// does to the line, the program's own splitter must read the name back, also on a PC whose
// environment holds variables of the names between the percent signs.
TEST(KitCommands, CmdAndPowerShellFormsGiveTheProgramTheName) {
    const struct {
        const char16_t* name;
        const char16_t* batch; // after "ODAXPrintDrive.exe /quiet /remove /model "
        const char16_t* prompt;
        const char16_t* powerShell; // after ".\ODAXPrintDrive.exe '/quiet' '/remove' '/model' "
    } cases[] = {
        {u"ODAX-80", u"ODAX-80", u"ODAX-80", u"'ODAX-80'"},
        {u"R&D-80 50%", u"\"R&D-80 50%%\"", u"\"R&D-80 50%\"", u"'R&D-80 50%'"},
        {u"R&D-80", u"R^&D-80", u"R^&D-80", u"'R&D-80'"},
        {u"A|B<C>D^E", u"A^|B^<C^>D^^E", u"A^|B^<C^>D^^E", u"'A|B<C>D^E'"},
        {u"ODAX(80)", u"ODAX^(80^)", u"ODAX^(80^)", u"'ODAX(80)'"},
        {u"50% of %PATH%", u"\"50%% of %%PATH%%\"", u"\"50\"%\" of \"%\"PATH%\"",
         u"'50% of %PATH%'"},
        {u"%CD%", u"%%CD%%", u"\"%\"CD%", u"'%CD%'"},
        {u"O'Brien (80)", u"\"O'Brien (80)\"", u"\"O'Brien (80)\"", u"'O''Brien (80)'"},
        {u"It\u2019s $HOME", u"\"It\u2019s $HOME\"", u"\"It\u2019s $HOME\"",
         u"'It\u2019\u2019s $HOME'"},
        {u"小票 80", u"\"小票 80\"", u"\"小票 80\"", u"'小票 80'"},
    };
    const std::map<String, String> variables = {
        {u"PATH", u"C:\\Windows"}, {u"CD", u"C:\\kit"}, {u" OF ", u"x"}, {u"D-80 50", u"y"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        const String raw = Removal(c.name);
        const StringList expected = SplitCommandLine(raw);
        ASSERT_EQ(expected.back(), c.name);
        const String head = u"ODAXPrintDrive.exe /quiet /remove /model ";
        const String batch = kit::ForCmd(raw, kit::CmdPlace::BatchFile);
        const String prompt = kit::ForCmd(raw, kit::CmdPlace::Prompt);
        EXPECT_EQ(batch, head + c.batch);
        EXPECT_EQ(prompt, head + c.prompt);
        EXPECT_EQ(SplitCommandLine(CmdReads(batch, kit::CmdPlace::BatchFile, variables)), expected);
        EXPECT_EQ(SplitCommandLine(CmdReads(prompt, kit::CmdPlace::Prompt, variables)), expected);
        EXPECT_EQ(kit::ForPowerShell(u"ODAXPrintDrive.exe", SplitCommandLine(raw.substr(19))),
                  String(u".\\ODAXPrintDrive.exe '/quiet' '/remove' '/model' ") + c.powerShell +
                      u" | Out-Host");
    }
}

TEST(KitCommands, PowerShellTextOutsideAsciiIsBuiltFromCharacterCodes) {
    const struct {
        const char16_t* text;
        const char16_t* ascii;
    } cases[] = {
        {u"ODAX-80 Receipt", u"'ODAX-80 Receipt'"},
        {u"O'Brien", u"'O''Brien'"},
        {u"ODAX 小票", u"('ODAX ' + [char]0x5C0F + [char]0x7968)"},
        {u"小票-80", u"('' + [char]0x5C0F + [char]0x7968 + '-80')"},
        {u"It\u2019s", u"('It' + [char]0x2019 + 's')"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kit::PowerShellAsciiText(c.text), c.ascii) << ToUtf8(c.text);
}

// The detection script asks Get-Printer for the printer, its driver and its port, in ASCII.
TEST(KitCommands, TheDetectionScriptChecksNameDriverAndPort) {
    const StringList network = kit::DetectionScript({{u"R&D-80 50%"}, {u"192.168.1.50"}, {}});
    const StringList expected = {
        u"# Installed when a printer of these names has the driver of its name and the port asked.",
        u"# Writes a line and exits 0 when it is there; writes nothing and exits 0 when not.",
        u"$names = @('R&D-80 50%')",
        u"$found = @(Get-Printer -ErrorAction SilentlyContinue | Where-Object {",
        u"    ($names -contains $_.Name) -and ($_.DriverName -eq $_.Name) -and",
        u"    (@('192.168.1.50') -contains $_.PortName) })",
        u"if ($found.Count -gt 0) { Write-Output \"$($found[0].Name) is installed on "
        u"$($found[0].PortName)\" }",
        u"exit 0",
    };
    EXPECT_EQ(network, expected);

    const struct {
        kit::DetectionTarget target;
        const char16_t* names; // the script's third line
        const char16_t* port;  // its sixth
    } cases[] = {
        {{{u"ODAX-58"}, {u"COM1", u"COM1:"}, {}},
         u"$names = @('ODAX-58')",
         u"    (@('COM1', 'COM1:') -contains $_.PortName) })"},
        {{{u"ODAX-80", u"ODAX-58", u"O'Label"}, {}, u"USB"},
         u"$names = @('ODAX-80', 'ODAX-58', 'O''Label')",
         u"    ($_.PortName -like 'USB*') })"},
        {{{u"小票 80"}, {u"USB001"}, {}},
         u"$names = @(('' + [char]0x5C0F + [char]0x7968 + ' 80'))",
         u"    (@('USB001') -contains $_.PortName) })"},
    };
    for (const auto& c : cases) {
        const StringList script = kit::DetectionScript(c.target);
        ASSERT_EQ(script.size(), expected.size());
        EXPECT_EQ(script[2], c.names);
        EXPECT_EQ(script[5], c.port);
        for (const String& line : script)
            for (char16_t ch : line)
                EXPECT_LT(ch, 0x80) << ToUtf8(line);
    }
}
