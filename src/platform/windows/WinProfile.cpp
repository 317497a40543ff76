#include "platform/Profile.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinServices.h"

namespace {

const wchar_t* ArgOf(const ProfileArg& arg) {
    return arg ? Wide(*arg) : nullptr;
}

class WinProfile final : public IProfile {
  public:
    std::uint32_t GetPrivateProfileStringW(const ProfileArg& appName, const ProfileArg& keyName,
                                           const ProfileArg& defaultValue, char16_t* returnedString,
                                           std::uint32_t size, const String& fileName) override {
        if (returnedString == nullptr) return 0;
        return ::GetPrivateProfileStringW(ArgOf(appName), ArgOf(keyName), ArgOf(defaultValue),
                                          reinterpret_cast<wchar_t*>(returnedString), size,
                                          Wide(fileName));
    }

    bool WritePrivateProfileStringW(const ProfileArg& appName, const ProfileArg& keyName,
                                    const ProfileArg& value, const String& fileName) override {
        return ::WritePrivateProfileStringW(ArgOf(appName), ArgOf(keyName), ArgOf(value),
                                            Wide(fileName)) != FALSE;
    }
};

} // namespace

IProfile& WindowsProfile() {
    static WinProfile instance;
    return instance;
}
