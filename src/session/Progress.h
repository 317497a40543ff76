#pragma once
// How a long operation (the installation run, the port creation, the USB search) shows what it
// does and asks the user, without knowing which windows show it: the main window puts it on
// the wait dialog and the status bar, a test records it.
#include <cstdint>
#include <optional>

#include "base/Text.h"

class IProgress {
  public:
    virtual ~IProgress() = default;

    // The progress window: shown (one that was hidden starts with an empty log) and titled;
    // the button keeps its text unless one is given.
    virtual void Open(const String& caption, const String& heading,
                      const std::optional<String>& button) = 0;
    virtual void Close() = 0;
    virtual void ClearLog() = 0;
    virtual void Log(const String& line) = 0;
    // The bar starts again at 0 of `count` steps.
    virtual void Steps(int count) = 0;
    virtual void Step() = 0;
    // The bar at its end.
    virtual void Finish() = 0;
    // Whether the progress window's button may be used.
    virtual void Cancellable(bool enabled) = 0;

    // The status line the user reads beside the wizard.
    virtual void Status(const String& text) = 0;
    // A message box; the answer is the button pressed (mb::ID_...).
    virtual int Ask(const String& title, const String& text, std::uint32_t flags) = 0;

    // The user's windows held still while the operation works (and the progress window's
    // button with them), or usable again.
    virtual void Busy(bool busy) = 0;
    // The user chose to leave at the end of the run: the program's own way out.
    virtual void Quit() = 0;
};
