#pragma once
#include <cstdint>
#include <optional>

#include "base/Text.h"
#include "platform/Service.h"

// The user's default locale.
class ILocale {
public:
    virtual ~ILocale() = default;
    // GetLocaleInfoW(LOCALE_USER_DEFAULT, lcType): asked first for the length, then for the
    // value; nothing when either call fails.
    virtual std::optional<String> LocaleValue(std::uint32_t lcType) = 0;
};
using Locale = Service<ILocale>;

constexpr std::uint32_t LOCALE_ILANGUAGE_TYPE = 1;
