#pragma once
// The USB library's answer to "which printers are connected", taken apart.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Text.h"

struct UsbPrinterEntry {
    String text; // the whole entry
    String port; // its first six characters
    String vid;  // eight characters from the first "VID", else the entry's first eight
    String pid;  // likewise from "PID"
};

// The answer's text: its bytes up to the first zero byte, at most 255, in the ANSI code page.
String UsbAnswerText(const char* buffer, std::size_t size);
// Entries separated by ';', leading blanks skipped, empty entries dropped; at most `count`
// of them, and never more than the text holds.
std::vector<UsbPrinterEntry> ParseUsbAnswer(const String& text, std::int32_t count);
