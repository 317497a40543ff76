#include <windows.h>

#include "platform/Registry.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinServices.h"

namespace {

class WinRegistryKey final : public IRegistryKey {
  public:
    explicit WinRegistryKey(RegKey key) : key_(std::move(key)) {}
    std::uint32_t SetValue(const String& name, std::uint32_t type, std::string_view data) override {
        return static_cast<std::uint32_t>(RegSetValueExW(
            key_.get(), Wide(name), 0, type,
            reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size())));
    }

  private:
    RegKey key_;
};

// A handle of our own for HKEY_LOCAL_MACHINE, so that releasing the access is a real close.
class WinRegistryAccess final : public IRegistryAccess {
  public:
    WinRegistryAccess() {
        connectError_ = static_cast<std::uint32_t>(
            RegConnectRegistryW(nullptr, HKEY_LOCAL_MACHINE, root_.put()));
    }
    std::uint32_t CreateKey(const String& path, std::unique_ptr<IRegistryKey>& key) override {
        key.reset();
        if (connectError_ != ERROR_SUCCESS) return connectError_;
        RegKey opened;
        DWORD disposition = 0;
        const LSTATUS status = RegCreateKeyExW(
            root_.get(), Wide(path), 0, nullptr,
            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, opened.put(), &disposition);
        if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
        key = std::make_unique<WinRegistryKey>(std::move(opened));
        return 0;
    }

  private:
    RegKey root_;
    std::uint32_t connectError_ = 0;
};

class WinRegistry final : public IRegistry {
  public:
    std::unique_ptr<IRegistryAccess> OpenLocalMachine() override {
        return std::make_unique<WinRegistryAccess>();
    }
};

} // namespace

IRegistry& WindowsRegistry() {
    static WinRegistry registry;
    return registry;
}
