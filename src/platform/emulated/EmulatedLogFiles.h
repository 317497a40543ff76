#pragma once
// The log files on Linux, for the wizard's Windows paths (see LinuxPathOf): links are
// refused as on Windows; the owner counts as trusted when it is root or this process's user.
#include "platform/LogFiles.h"

class EmulatedLogFiles final : public ILogFiles {
  public:
    PathFacts Inspect(const String& path) override;
    bool CreateProtectedFolder(const String& path, std::uint32_t& error) override;
    std::unique_ptr<ILogFile> Open(const String& path, std::uint32_t& error,
                                   String& refused) override;
    std::optional<std::uint64_t> FileSize(const String& path) override;
    // $ProgramData when it is set, as Windows names the folder; else the user's state folder
    // ($XDG_STATE_HOME, or ~/.local/state).
    String ProgramDataFolder() override;
};
