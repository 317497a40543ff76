#pragma once
// An unattended command written for the places an administrator puts it: cmd (a batch file or
// the prompt) and PowerShell, each so that the program receives exactly the arguments of the
// raw command line; and the PowerShell script a deployment tool runs to detect the printer.
#include "base/Text.h"

namespace kit {

// Where cmd reads a line: a batch file expands %...% before anything else and takes %% for
// one %; the prompt keeps a % whose name is no variable, and has no escape for it at all.
enum class CmdPlace { BatchFile, Prompt };

// `line` (a program and its arguments, quoted as the program's command-line splitter reads
// them back) as cmd must be given it to pass that line on unchanged.
String ForCmd(StringView line, CmdPlace place);

// A text as a PowerShell string literal: in single quotes, each single quote (PowerShell also
// takes the typographic ones for it) doubled.
String PowerShellLiteral(StringView text);

// The same text in ASCII only, as an expression ('' + [char]0x4E2D ...) when it holds more:
// Windows PowerShell reads a script file without a byte-order mark in the ANSI code page.
String PowerShellAsciiText(StringView text);

// The program in the current folder with `args` (the raw line taken apart), each argument a
// literal; piped so that PowerShell waits for the windowed program and sets $LASTEXITCODE.
String ForPowerShell(StringView program, const StringList& args);

// What the detection script looks for: a printer of one of `printers` whose driver has its
// name (or, for a printer named on its own with /name, is one of `drivers`), on one of `ports`
// (each spelling Windows may give the port) or, with no ports, on a port whose name starts with
// `portPrefix`.
struct DetectionTarget {
    StringList printers = {};
    StringList ports = {};
    String portPrefix = {};
    StringList drivers = {};
};

// A PowerShell script for Intune's custom detection and Configuration Manager's script
// detection: it writes a line and exits 0 when the printer is there, writes nothing and exits 0
// when it is not (both tools read that as "not installed"), in ASCII only.
StringList DetectionScript(const DetectionTarget& target);

} // namespace kit
