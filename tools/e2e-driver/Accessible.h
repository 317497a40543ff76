#pragma once
// The driver as an assistive technology client: what a screen reader learns about a window
// through its accessible object (AccessibleObjectFromWindow, IAccessible), and what UI
// Automation says where the system has it.
#include <windows.h>

#include "Protocol.h"

// Role, name, value, state and keyboard shortcut of the window's client object and of each
// of its element children ("items"), as the object answers them across processes.
protocol::Json DescribeAccessible(HWND hwnd);
// Name and control type of the window's UI Automation element, or why there is none.
protocol::Json DescribeAutomation(HWND hwnd);
// Whether the system reports a high-contrast theme (SPI_GETHIGHCONTRAST).
bool SystemHighContrast();
