#pragma once
// Files on Linux for the wizard's Windows paths: '\' separates folders, ".\x" is relative to
// the current directory and Wine's drive Z: is the root.
#include <cstdint>
#include <string>

#include "platform/Files.h"

// The Linux path (UTF-8) for a Windows path.
std::string LinuxPathOf(const String& windowsPath);

// The Windows error code closest to a C library error number (ENOENT gives
// ERROR_FILE_NOT_FOUND ...), so that messages read as they would on Windows.
std::uint32_t WindowsErrorOf(int errnoValue);

class EmulatedFiles final : public IFiles {
  public:
    bool FileExists(const String& path) override;
    // Linux has no share modes: the file is read as it is, only the open's errors count.
    bool ReadExclusive(const String& path, std::string& bytes, std::uint32_t& error) override;
    // The absolute Linux path, the folders "." and ".." resolved by name.
    String FullPath(const String& path) override;
    String ModuleFileName() override;
};
