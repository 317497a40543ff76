#pragma once
// Writing keys under HKEY_LOCAL_MACHINE. Each open thing is an object: destroying a key
// closes it, destroying the access releases it, so no path can leak or release twice.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/Text.h"
#include "platform/Service.h"

// Value types, with the system's numbers.
namespace regtype {
constexpr std::uint32_t SZ = 1;
constexpr std::uint32_t DWORD = 4;
} // namespace regtype

// The exact bytes the system stores: UTF-16LE with the terminating zero, (length + 1) * 2
// bytes; and four bytes, little-endian.
std::string RegSzBytes(StringView text);
std::string RegDwordBytes(std::uint32_t value);

// One open key; destroying it closes it (RegCloseKey).
class IRegistryKey {
  public:
    virtual ~IRegistryKey() = default;
    // RegSetValueExW with exactly `data`. 0 on success, else the system's error code.
    virtual std::uint32_t SetValue(const String& name, std::uint32_t type,
                                   std::string_view data) = 0;
};

// The program's access to the local machine's registry; destroying it releases it.
class IRegistryAccess {
  public:
    virtual ~IRegistryAccess() = default;
    // Opens HKEY_LOCAL_MACHINE\`path` with create semantics (RegCreateKeyExW, non-volatile,
    // full access): missing keys on the path are created, an existing key is reused. 0 with
    // the key in `key`, else the system's error code and no key.
    virtual std::uint32_t CreateKey(const String& path, std::unique_ptr<IRegistryKey>& key) = 0;
};

class IRegistry {
  public:
    virtual ~IRegistry() = default;
    virtual std::unique_ptr<IRegistryAccess> OpenLocalMachine() = 0;
};
using Registry = Service<IRegistry>;
