#pragma once
#include <functional>

#include "base/Text.h"

namespace ui {

// Runs an event that came from the user or the window system. An error ends the event and
// is shown in the standard error box; the program goes on. Handlers called by the program
// itself are called directly, so their errors reach their caller.
void DispatchEvent(const std::function<void()>& event);

// The program's message box for an error nobody caught: the program's title, OK, the stop
// icon, the message with a full stop after a final letter.
void ShowStandardErrorBox(const String& message);

// The executable's file name up to its first point, all but the first character in lower
// case (ODAXPrintDrive.exe gives Odaxprintdrive).
String ApplicationTitle();
String ApplicationTitleFrom(StringView modulePath);

} // namespace ui
