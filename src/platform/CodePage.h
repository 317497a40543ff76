#pragma once
#include <string>
#include <string_view>

#include "base/Text.h"
#include "platform/Service.h"

// The system ANSI code page. On Windows it is the system's own; on Linux an emulation
// whose code page is chosen when it is made (936 by default: kits hold Chinese).
class ICodePage {
public:
    virtual ~ICodePage() = default;
    virtual unsigned AnsiCodePage() = 0;
    // Characters the code page lacks become its default character.
    virtual std::string ToAnsi(StringView text) = 0;
    virtual String FromAnsi(std::string_view bytes) = 0;
    // The text in another code page the system knows (54936, GB18030, for the receipt
    // printers of the field); characters it lacks become '?'.
    virtual std::string ToCodePage(unsigned codePage, StringView text) = 0;
};

constexpr unsigned kCodePageGb18030 = 54936;
using CodePage = Service<ICodePage>;

// Text from a file or a program's output: UTF-8 or UTF-16LE when it starts with their
// byte-order mark (which is dropped), else the ANSI code page.
inline String DecodeMarkedText(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return FromUtf8(bytes.substr(3));
    if (bytes.substr(0, 2) == "\xFF\xFE") return FromUtf16Le(bytes.substr(2));
    return CodePage::Get().FromAnsi(bytes);
}
