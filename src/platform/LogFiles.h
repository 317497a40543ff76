#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "base/Text.h"
#include "platform/Service.h"

// What a log file that grows over many runs needs from the system. Paths are Windows paths.
class ILogFiles {
  public:
    virtual ~ILogFiles() = default;
    // Writes the bytes at the end of the file, creating the file and any missing folder on
    // its path. False on failure, with the system's error code in `error`. Others may read
    // the file meanwhile (support opens it in a text editor while the wizard runs).
    virtual bool Append(const String& path, const std::string& bytes, std::uint32_t& error) = 0;
    // The file's size in bytes; nothing when there is no such file or it cannot be asked.
    virtual std::optional<std::uint64_t> FileSize(const String& path) = 0;
    // Moves `from` to `to`, replacing a file that is there. False on failure, as Append.
    virtual bool Replace(const String& from, const String& to, std::uint32_t& error) = 0;
    // The folder for data of all users (%ProgramData%: C:\ProgramData), without a closing
    // backslash; empty when the system names none.
    virtual String ProgramDataFolder() = 0;
};
using LogFiles = Service<ILogFiles>;
