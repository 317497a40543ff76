#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/Text.h"
#include "platform/Service.h"

// What the system says of a path before a log is written there.
struct PathFacts {
    bool exists = false;
    bool directory = false;
    // A link of any kind (symbolic link, junction, mount point): writing through it would
    // write somewhere else.
    bool reparsePoint = false;
    // Owned by the system account, the Administrators group or the account this program runs
    // as: no one else can have prepared it.
    bool trustedOwner = false;
};

// A log file opened for appending, never through a link.
class ILogFile {
  public:
    virtual ~ILogFile() = default;
    // The size of the file this handle holds, not of whatever its name now names.
    virtual std::uint64_t Size() = 0;
    // Writes the bytes at the end. False with the system's error code in `error`.
    virtual bool Append(const std::string& bytes, std::uint32_t& error) = 0;
    // Gives the open file another name in its own folder (a plain file name), replacing a
    // file of that name; a link of that name is replaced, never followed.
    virtual bool RenameTo(const String& fileName, std::uint32_t& error) = 0;
};

// What a log file that grows over many runs needs from the system. Paths are Windows paths.
class ILogFiles {
  public:
    virtual ~ILogFiles() = default;
    virtual PathFacts Inspect(const String& path) = 0;
    // Makes the folder with a protected access list of its own: the system account and the
    // Administrators full control, Users read. False with the system's error code.
    virtual bool CreateProtectedFolder(const String& path, std::uint32_t& error) = 0;
    // Opens the file for appending, creating it when missing, without following a link. A file
    // that is a link or has more than one name (a hard link) is refused: nothing is opened and
    // `refused` says why. Otherwise nullptr with the system's error code in `error`. Others may
    // read the file meanwhile (support opens it while the wizard runs).
    virtual std::unique_ptr<ILogFile> Open(const String& path, std::uint32_t& error,
                                           String& refused) = 0;
    // The file's size in bytes; nothing when there is no such file or it cannot be asked.
    virtual std::optional<std::uint64_t> FileSize(const String& path) = 0;
    // The folder for data of all users as the system names it (not as the environment says:
    // anyone who starts the program could set that), without a closing backslash; empty when
    // the system names none.
    virtual String ProgramDataFolder() = 0;
};
using LogFiles = Service<ILogFiles>;
