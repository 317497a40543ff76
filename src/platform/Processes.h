#pragma once
#include <cstdint>
#include <string>

#include "base/Text.h"
#include "platform/Service.h"

// A command that may take as long as it takes.
constexpr std::uint32_t kNoTimeLimit = 0xFFFFFFFF;
// The system's code for "the timeout period expired" (ERROR_TIMEOUT).
constexpr std::uint32_t kErrorTimeout = 1460;

// Console commands and the system's error texts.
class IProcesses {
public:
    virtual ~IProcesses() = default;
    // Runs the command line hidden, with standard output and error going to one pipe, and
    // returns once the command has ended; `output` receives every byte it wrote. The pipe is
    // read while the command runs, so large output cannot stall it, and the caller's windows
    // keep being served through the message pump meanwhile. A command still running after
    // `timeLimitMs` is ended. False when the pipe or the process could not be created, or the
    // command was ended at its time limit (LastError() is then kErrorTimeout); the reason is
    // LastError().
    virtual bool RunHidden(const String& commandLine, std::string& output,
                           std::uint32_t timeLimitMs) = 0;
    virtual std::uint32_t LastError() = 0;
    // The exit code of the last command RunHidden saw to its end (true result).
    virtual std::uint32_t LastExitCode() = 0;
    // The system's text for an error code, as the system gives it (not trimmed); empty
    // when the system has none.
    virtual String SystemErrorText(std::uint32_t code) = 0;
};
using Processes = Service<IProcesses>;

// The system's text for an error code without its closing blanks, line breaks and full
// stops: the standard error box ends the whole message with its own full stop.
inline String SysErrorMessage(std::uint32_t code) {
    String text = Processes::Get().SystemErrorText(code);
    while (!text.empty() && (text.back() <= u' ' || text.back() == u'.')) text.pop_back();
    return text;
}
