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
};
using CodePage = Service<ICodePage>;
