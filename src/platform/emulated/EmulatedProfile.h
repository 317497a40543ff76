#pragma once
// The profile functions on Linux, behaving as Windows' do (see ProfileDocument for the file
// form). ANSI files are read and written in the code page of the installed ICodePage; on
// Linux that is EmulatedCodePage, whose default 936 matches the Chinese systems the kits are
// made for. Every call reads the file anew; a write reaches the disk before it returns.
#include <string>

#include "platform/Profile.h"

class EmulatedProfile final : public IProfile {
  public:
    // `winIni` is the Linux file that stands for "win.ini"; other file names without a path
    // are looked up in its folder, as Windows looks them up in its own folder.
    explicit EmulatedProfile(std::string winIni);

    std::uint32_t GetPrivateProfileStringW(const ProfileArg& appName, const ProfileArg& keyName,
                                           const ProfileArg& defaultValue, char16_t* returnedString,
                                           std::uint32_t size, const String& fileName) override;
    bool WritePrivateProfileStringW(const ProfileArg& appName, const ProfileArg& keyName,
                                    const ProfileArg& value, const String& fileName) override;

    // The Linux file a profile file name stands for.
    std::string PathOf(const String& fileName) const;

  private:
    std::string winIni_;
};
