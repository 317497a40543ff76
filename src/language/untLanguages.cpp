#include "language/untLanguages.h"

#include "language/Languages.h"
#include "platform/Locale.h"

TOSLanguage OSLanguage = TOSLanguage::EN;
String LCaption;

TOSLanguage LanguageOfLocaleValue(const String& value) {
    const String digits = Trim(value);
    if (digits.empty() || digits.size() > 8) return TOSLanguage::EN;
    std::uint32_t id = 0;
    for (char16_t c : digits) {
        std::uint32_t v;
        if (c >= u'0' && c <= u'9')
            v = c - u'0';
        else if (c >= u'a' && c <= u'f')
            v = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            v = c - u'A' + 10;
        else
            return TOSLanguage::EN;
        id = id * 16 + v;
    }
    return LanguageOfLocaleId(id);
}

TOSLanguage GetWindowsLanguage(std::uint32_t LCTYPE) {
    const auto value = Locale::Get().LocaleValue(LCTYPE);
    return value ? LanguageOfLocaleValue(*value) : TOSLanguage::EN;
}
