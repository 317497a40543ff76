#pragma once
// The program's command line: the unattended mode that deployment tools run, and its exit
// codes. Only the form of the command is checked here; what needs the kit (the model known,
// the address valid, the files present) is checked by the run.
#include <cstdint>
#include <optional>
#include <vector>

#include "base/Text.h"
#include "session/Connections.h"

// What an unattended run ends with; deployment tools judge a run by it alone.
enum class ExitCode : int {
    Done = 0,            // installed, removed, or already as asked
    Usage = 1,           // the command line is not understood
    KitRefused = 2,      // a kit file is missing, the settings' seal does not match, or a model
                         // line is broken
    BadValue = 3,        // the address, port or model cannot be used
    PortFailed = 4,      // the network port could not be made
    SetupFailed = 5,     // the printer-setup command did not leave the printer as asked
    NoUsbPrinter = 6,    // no USB printer was found, or none has a model of the kit
    NotAdmin = 7,        // the program does not run with administrator rights
    TestPrintFailed = 8, // installed, but the test receipt did not print
    InternalError = 9,   // an error of the program itself; the log's end entry says which
};

// The exit codes with what each means, in order, for the usage text and the deployment tools.
struct ExitCodeInfo {
    ExitCode code;
    const char16_t* meaning;
};
const std::vector<ExitCodeInfo>& ExitCodes();

// The install log's form: plain text lines, or the lines CMTrace and its peers read.
enum class LogFormat { Text, CMTrace };

// "text" or "cmtrace" (letter case aside), as /logformat and the kit's [CONFIG] LogFormat
// name them; nothing for any other text.
std::optional<LogFormat> ParseLogFormat(StringView name);

struct CommandLine {
    bool quiet = false;  // /quiet: no window, the outcome in the exit code
    bool help = false;   // /?
    bool remove = false; // /remove: remove the printer named by /model
    // /connection; nullptr when not given.
    const ConnectionType* connection = nullptr;
    String address;     // /address (network)
    String port;        // /port (serial, parallel, or a given USB port)
    String model;       // /model; empty for a USB install that lets the search pick it
    bool label = false; // /label: the label driver file rather than the receipt one
    bool replace = false;
    bool makeDefault = false; // /default
    bool testPrint = false;   // /testprint: a test receipt after the installation
    String logFile;           // /log; empty: the default place
    // /timeout: how long the printer-setup command may run; unset: the default.
    std::optional<std::uint32_t> timeoutSeconds;
    bool allowWritableKit = false; // /allowwritablekit
    // /name: the printer's own name; empty: the model's. With /remove, the printer to remove.
    String name;
    std::optional<LogFormat> logFormat; // /logformat; unset: the kit's [CONFIG] LogFormat
};

// The printer-setup command's bound in an unattended run, and what /timeout may set.
constexpr std::int32_t kDefaultTimeoutSeconds = 600;
constexpr std::int32_t kMinTimeoutSeconds = 30;
constexpr std::int32_t kMaxTimeoutSeconds = 86400;

struct ParsedCommandLine {
    CommandLine options;
    // Empty when the command line is understood; otherwise why not, naming the argument.
    String error;
    bool ok() const { return error.empty(); }
};

// The program's arguments (without the program's own name). Switches are compared without
// regard to letter case and may start with '/' or '-'. With no arguments the wizard starts;
// any argument without /quiet other than /? (and /norestart, which changes nothing) is an
// error, as nothing may be ignored silently. `options.quiet` is set when /quiet (or a form of
// it) is anywhere among the arguments, even when the command line is not understood.
ParsedCommandLine ParseCommandLine(const StringList& args);

// A command line split into arguments as the Windows C runtime does (quotes, backslashes).
StringList SplitCommandLine(StringView line);

// One argument quoted (where it must be) so that SplitCommandLine, and the Windows C runtime,
// read it back as it is.
String QuoteArgument(const String& arg);

// The usage text: every switch, the two forms of the command and the exit codes.
String UsageText();

// The arguments of a run, quoted where needed, as a deployment tool would pass them;
// `options.quiet` is always written.
String FormatCommandLine(const CommandLine& options);
