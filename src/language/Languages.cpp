#include "language/Languages.h"

#include <stdexcept>

const std::vector<LanguageInfo>& Languages() {
    static const std::vector<LanguageInfo> table = {
        {TOSLanguage::CN,
         u"Chinese",
         u"CAPTION_CN",
         u"MESSAGE_CN",
         u"CompanyLogoCN",
         u"QRImageCN",
         u"AddrCN",
         u"CompanyNameCN",
         u"CompanyNameEN",
         u"CN",
         u"rbChinese",
         u"中文",
         {0x0804, 0x0004, 0x1004},
         &BuiltInText::cn},
        {TOSLanguage::EN,
         u"English",
         u"CAPTION_EN",
         u"MESSAGE_EN",
         u"CompanyLogoEN",
         u"QRImageEN",
         u"AddrEN",
         u"CompanyNameEN",
         nullptr,
         u"EN",
         u"rbEnglish",
         u"English",
         {},
         &BuiltInText::en},
    };
    return table;
}

const LanguageInfo& LanguageOf(TOSLanguage language) {
    for (const LanguageInfo& row : Languages())
        if (row.language == language) return row;
    throw std::logic_error("no row in the language table for language " +
                           std::to_string(static_cast<int>(language)));
}

const LanguageInfo& DisplayLanguage() {
    return LanguageOf(OSLanguage);
}

TOSLanguage LanguageOfLocaleId(std::uint32_t id) {
    for (const LanguageInfo& row : Languages())
        for (std::uint32_t listed : row.localeIds)
            if (listed == id) return row.language;
    return TOSLanguage::EN;
}
