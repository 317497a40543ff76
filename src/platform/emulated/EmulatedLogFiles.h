#pragma once
// The log files on Linux, for the wizard's Windows paths (see LinuxPathOf).
#include "platform/LogFiles.h"

class EmulatedLogFiles final : public ILogFiles {
  public:
    bool Append(const String& path, const std::string& bytes, std::uint32_t& error) override;
    std::optional<std::uint64_t> FileSize(const String& path) override;
    bool Replace(const String& from, const String& to, std::uint32_t& error) override;
    // $ProgramData when it is set, as Windows names the folder in the environment; else the
    // user's state folder ($XDG_STATE_HOME, or ~/.local/state).
    String ProgramDataFolder() override;
};
