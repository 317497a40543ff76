#pragma once
// The main window's controls: name, parent and 96-DPI geometry, in one table.
#include "ui/Controls.h"

struct ControlPlace {
    const char16_t* name;
    const char16_t* parent; // nullptr: the window itself
    ui::Rect bounds;
};

// Client area of the main window.
constexpr int kMainClientWidth = 690;
constexpr int kMainClientHeight = 438;

const ControlPlace& MainPlace(StringView name);
