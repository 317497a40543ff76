#pragma once
#include <cstdint>

#include "base/Text.h"
#include "platform/Service.h"

// Message box flags and answers, with the system's values.
namespace mb {
constexpr std::uint32_t OK = 0x0, YESNO = 0x4;
constexpr std::uint32_t ICONHAND = 0x10, ICONERROR = 0x10, ICONQUESTION = 0x20,
                        ICONWARNING = 0x30, ICONINFORMATION = 0x40;
constexpr std::uint32_t TOPMOST = 0x40000;
constexpr int ID_OK = 1, ID_CANCEL = 2, ID_YES = 6, ID_NO = 7;
} // namespace mb

// Modal message boxes owned by the active window, and the shell's "open this".
class IDialogs {
public:
    virtual ~IDialogs() = default;
    virtual int MessageBox(const String& text, const String& title, std::uint32_t flags) = 0;
    // Opens a file or address with the user's default handler; the outcome is not examined.
    virtual void ShellOpen(const String& target) = 0;
};
using Dialogs = Service<IDialogs>;
