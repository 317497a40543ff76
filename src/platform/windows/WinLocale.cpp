#include <windows.h>

#include <vector>

#include "platform/Locale.h"

namespace {

class WinLocale final : public ILocale {
public:
    std::optional<String> LocaleValue(std::uint32_t lcType) override {
        const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, lcType, nullptr, 0);
        if (length <= 0) return std::nullopt;
        std::vector<wchar_t> buffer(static_cast<size_t>(length));
        const int got = GetLocaleInfoW(LOCALE_USER_DEFAULT, lcType, buffer.data(), length);
        if (got <= 0) return std::nullopt;
        return String(buffer.data(), buffer.data() + (got - 1));
    }
};

} // namespace

ILocale& WindowsLocale() {
    static WinLocale instance;
    return instance;
}
