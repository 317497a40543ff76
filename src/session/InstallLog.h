#pragma once
// The install log: every run, the wizard's or an unattended one, appends what it did to a
// text file that support can ask for (UTF-8, CRLF line ends, each entry starting with the
// local time). Writing it never stops a run and never shows anything: a write that fails is
// mentioned by the next entry that can be written. The program often runs as the system
// account, so a log is never written through a link, nor into a folder another user could
// have prepared (see Refusal).
#include <cstdint>

#include "base/Text.h"
#include "session/CommandLine.h"

namespace installlog {

// How an entry reads to a log viewer that colours them (CMTrace: types 1, 2, 3).
enum class Severity { Info = 1, Warning = 2, Error = 3 };

// The form the entries are written in from now on: plain text (the default), or the form
// Configuration Manager's log viewer and its peers read.
void UseFormat(LogFormat format);

// A file that an entry would take past this size is first renamed to OldFilePath (replacing
// the older one there) through its open handle: the log and one old file, no more.
constexpr std::uint64_t kMaxFileBytes = 1024 * 1024;
// Command output beyond this many characters is left out of the log (and said so).
constexpr std::size_t kMaxOutputChars = 64 * 1024;

// The file to append to; empty: %ProgramData%\ODAXPrintDrive\install.log. Entries lost
// before are forgotten.
void UseFile(const String& path);
// A run begins: the local time, the program's version, the kit's version as the caller names
// it (KitVersionForLog), the display language, how the run was started (`how`: "wizard" or
// the quiet command line), the account it runs as, the system's version and architecture, the
// process and the time with its offset from UTC.
void BeginRun(const String& how, const String& kit);
// A step's text as the wait dialog shows it.
void Line(const String& text, Severity severity = Severity::Info);
void Command(const String& commandLine, std::uint32_t exitCode, const String& output);
void EndRun(const String& outcome, Severity severity = Severity::Info);
String FilePath(); // the file in use (for the wait dialog's link); empty when there is none
// Why the run writes no log at all, once the first entry found out: the folder is a link, or
// (for the default folder) belongs to someone other than the system, the administrators or
// this account; the file is a link or has a second name. Empty while the log is written.
String Refusal();

// A text as lines of one entry: each ended by CR LF (a lone CR or LF ends a line too), the
// lines after the first indented, so that every line at the margin starts an entry.
std::string EntryLines(const String& text);
// A command's output with each line marked "| ", so that none reads as a line of the log's own.
String MarkedOutput(const String& output);

// Where the file goes at the cap: "install.old.log" for "install.log", "x.old" for "x".
String OldFilePath(const String& path);

} // namespace installlog
