#pragma once
// The system's text for an error code, as FormatMessageW gives it (with its line break);
// empty when the system has none.
#include <windows.h>

#include "platform/windows/WideText.h"

inline String WindowsErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    String result;
    if (n && text) result = FromWide(std::wstring_view(text, n));
    if (text) LocalFree(text);
    return result;
}
