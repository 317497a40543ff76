#pragma once
// The main window's controls: name, parent and 96-DPI geometry, in one table.
#include "ui/Layout.h"

using ui::ControlPlace;

// Client area of the main window.
constexpr int kMainClientWidth = 690;
constexpr int kMainClientHeight = 438;

const ControlPlace& MainPlace(StringView name);
