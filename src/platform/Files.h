#pragma once
#include <cstdint>
#include <string>

#include "base/Text.h"
#include "platform/Service.h"

// Files as the wizard sees them. Paths are Windows paths (".\install.dat" is relative to the
// working directory); the Linux emulation maps them onto its own file system.
class IFiles {
public:
    virtual ~IFiles() = default;
    // True for an existing file; a directory of that name does not count.
    virtual bool FileExists(const String& path) = 0;
    // Reads the whole file, opened for reading with no sharing (so it fails while another
    // process holds the file open). False on failure, with the system's error code in `error`.
    virtual bool ReadExclusive(const String& path, std::string& bytes, std::uint32_t& error) = 0;
    // The absolute form of a path, for messages.
    virtual String FullPath(const String& path) = 0;
    // The full path of the program's own executable.
    virtual String ModuleFileName() = 0;
};
using Files = Service<IFiles>;
