#pragma once
// The About and wait dialogs' controls: name, parent and 96-DPI geometry, one table per form.
#include "ui/Layout.h"

constexpr int kAboutClientWidth = 573;
constexpr int kAboutClientHeight = 338;
const ui::ControlPlace& AboutPlace(StringView name);

constexpr int kWaitClientWidth = 527;
constexpr int kWaitClientHeight = 345;
const ui::ControlPlace& WaitPlace(StringView name);
