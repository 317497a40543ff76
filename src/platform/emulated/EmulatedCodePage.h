#pragma once
// The ANSI code page on Linux, through the C library's converters. The code page is
// chosen when the object is made; 936 (simplified Chinese, a superset of ASCII) is the
// default because kits carry Chinese captions in it.
#include "platform/CodePage.h"

class EmulatedCodePage final : public ICodePage {
public:
    explicit EmulatedCodePage(unsigned codePage = 936);
    unsigned AnsiCodePage() override { return codePage_; }
    std::string ToAnsi(StringView text) override;
    String FromAnsi(std::string_view bytes) override;
    std::string ToCodePage(unsigned codePage, StringView text) override;

private:
    unsigned codePage_;
    std::string charset_;
};
