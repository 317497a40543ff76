#pragma once
#include <cstdint>
#include <optional>

#include "base/Text.h"
#include "platform/Service.h"

// An argument of the profile functions that may be NULL. NULL and "" mean different things
// there (NULL section: list the sections; NULL value: delete the key), so they stay apart.
using ProfileArg = std::optional<String>;

// The platform's profile (INI) functions, with their Windows contract: the caller owns the
// buffer and gives its size in characters; the result is the count of characters copied
// without the final NUL. A NULL section lists the section names and a NULL key the key names
// of a section, each name NUL-terminated and one more NUL after the last. A file name without
// a path is looked up in the system folder ("win.ini").
class IProfile {
  public:
    virtual ~IProfile() = default;

    virtual std::uint32_t GetPrivateProfileStringW(const ProfileArg& appName,
                                                   const ProfileArg& keyName,
                                                   const ProfileArg& defaultValue,
                                                   char16_t* returnedString, std::uint32_t size,
                                                   const String& fileName) = 0;
    // A NULL value deletes the key, a NULL key the section; all three NULL flush the cache
    // and return false. The file on disk holds the change when this returns.
    virtual bool WritePrivateProfileStringW(const ProfileArg& appName, const ProfileArg& keyName,
                                            const ProfileArg& value, const String& fileName) = 0;

    // The user's profile (win.ini): the same functions on that file.
    std::uint32_t GetProfileStringW(const ProfileArg& appName, const ProfileArg& keyName,
                                    const ProfileArg& defaultValue, char16_t* returnedString,
                                    std::uint32_t size) {
        return GetPrivateProfileStringW(appName, keyName, defaultValue, returnedString, size,
                                        u"win.ini");
    }
    bool WriteProfileStringW(const ProfileArg& appName, const ProfileArg& keyName,
                             const ProfileArg& value) {
        return WritePrivateProfileStringW(appName, keyName, value, u"win.ini");
    }
};
using Profile = Service<IProfile>;
