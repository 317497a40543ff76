#pragma once
#include <cstdint>
#include <string>

#include "base/Text.h"
#include "platform/Service.h"

// Console commands and the system's error texts.
class IProcesses {
public:
    virtual ~IProcesses() = default;
    // Runs the command line hidden, with standard output and error going to one pipe, and
    // returns once the command has ended; `output` receives every byte it wrote. The pipe is
    // read while the command runs, so large output cannot stall it. False when the pipe or
    // the process could not be created; the reason is then LastError().
    virtual bool RunHidden(const String& commandLine, std::string& output) = 0;
    virtual std::uint32_t LastError() = 0;
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
