#include "kit-tool/KitCommands.h"

#include <cstdio>

namespace kit {

namespace {

// Outside quotes cmd reads these as operators (parentheses close a block the line may be
// pasted into); a caret makes each one a plain character and is itself removed.
bool CmdSpecial(char16_t c) {
    return c == u'&' || c == u'|' || c == u'<' || c == u'>' || c == u'^' || c == u'(' || c == u')';
}

bool PowerShellQuote(char16_t c) {
    return c == u'\'' || c == u'\u2018' || c == u'\u2019' || c == u'\u201A' || c == u'\u201B';
}

String Hex(char16_t c) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(c));
    return FromAscii(digits);
}

} // namespace

String ForCmd(StringView line, CmdPlace place) {
    // Percent signs first: cmd expands them before it looks at quotes or carets.
    String expanded;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != u'%') {
            expanded += line[i];
        } else if (place == CmdPlace::BatchFile) {
            expanded += u"%%";
        } else if (line.find(u'%', i + 1) == StringView::npos) {
            expanded += u'%'; // with no % after it, it starts no variable name
        } else {
            // Out of the quotes and followed by one: a name starting with a quote is no
            // variable, and the splitter joins the pieces into the same argument again.
            expanded += u"\"%\"";
        }
    }
    String out;
    bool quoted = false; // cmd's own view: every quote opens or closes
    for (char16_t c : expanded) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && CmdSpecial(c))
            out += u'^';
        out += c;
    }
    return out;
}

String PowerShellLiteral(StringView text) {
    String out = u"'";
    for (char16_t c : text) {
        if (PowerShellQuote(c)) out += c;
        out += c;
    }
    return out + u"'";
}

String PowerShellAsciiText(StringView text) {
    String ascii;
    String expression;
    bool plain = true;
    for (char16_t c : text) {
        if (c < 0x80) {
            ascii += c;
            continue;
        }
        plain = false;
        // A string first, so that each + joins text and never adds numbers.
        if (!ascii.empty() || expression.empty()) {
            if (!expression.empty()) expression += u" + ";
            expression += PowerShellLiteral(ascii);
            ascii.clear();
        }
        expression += u" + [char]0x" + Hex(c);
    }
    if (plain) return PowerShellLiteral(text);
    if (!ascii.empty()) expression += u" + " + PowerShellLiteral(ascii);
    return u"(" + expression + u")";
}

String ForPowerShell(StringView program, const StringList& args) {
    String line = u".\\" + String(program);
    for (const String& arg : args)
        line += u" " + PowerShellLiteral(arg);
    return line + u" | Out-Host";
}

StringList DetectionScript(const DetectionTarget& target) {
    auto list = [](const StringList& items) {
        String text = u"@(";
        for (std::size_t i = 0; i < items.size(); ++i)
            text += (i ? u", " : u"") + PowerShellAsciiText(items[i]);
        return text + u")";
    };
    String portTest;
    if (target.ports.empty()) {
        portTest = u"$_.PortName -like " + PowerShellAsciiText(target.portPrefix + u"*");
    } else {
        portTest = list(target.ports) + u" -contains $_.PortName";
    }
    if (!target.drivers.empty())
        return {
            u"# Installed when a printer of this name has a driver of these and the port asked.",
            u"# Writes a line and exits 0 when it is there; writes nothing and exits 0 when not.",
            u"$names = " + list(target.printers),
            u"$drivers = " + list(target.drivers),
            u"$found = @(Get-Printer -ErrorAction SilentlyContinue | Where-Object {",
            u"    ($names -contains $_.Name) -and ($drivers -contains $_.DriverName) -and",
            u"    (" + portTest + u") })",
            String(u"if ($found.Count -gt 0) { Write-Output ") +
                u"\"$($found[0].Name) is installed on $($found[0].PortName)\" }",
            u"exit 0",
        };
    return {
        u"# Installed when a printer of these names has the driver of its name and the port asked.",
        u"# Writes a line and exits 0 when it is there; writes nothing and exits 0 when not.",
        u"$names = " + list(target.printers),
        u"$found = @(Get-Printer -ErrorAction SilentlyContinue | Where-Object {",
        u"    ($names -contains $_.Name) -and ($_.DriverName -eq $_.Name) -and",
        u"    (" + portTest + u") })",
        String(u"if ($found.Count -gt 0) { Write-Output ") +
            u"\"$($found[0].Name) is installed on $($found[0].PortName)\" }",
        u"exit 0",
    };
}

} // namespace kit
