#pragma once
// What both stand-ins share: recording their command line and reporting.
#include <windows.h>

#include <string>

#include "PrintUiArgs.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"

namespace standin {

inline std::wstring OwnFolder() {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L"\\/") + 1);
}

// Where the command lines go: the file that WIZ_COMMANDS_LOG names (the tests name one per
// kit; the program under test hands its environment on to the commands it runs), else
// commands.log beside the stand-in.
inline std::wstring LogPath() {
    wchar_t named[MAX_PATH * 4];
    const DWORD n = GetEnvironmentVariableW(L"WIZ_COMMANDS_LOG", named, MAX_PATH * 4);
    if (n > 0 && n < MAX_PATH * 4) return std::wstring(named, n);
    return OwnFolder() + L"commands.log";
}

// Appends the full command line as one UTF-8 line to the log. One write per line, so calls
// that overlap do not mix their lines.
inline void RecordCommandLine() {
    const std::string line = ToUtf8(GetCommandLineW()) + "\r\n";
    const std::wstring log = LogPath();
    for (int attempt = 0; attempt < 50; ++attempt) {
        const Handle f(CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (f) {
            DWORD written = 0;
            WriteFile(f.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            return;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION) return;
        Sleep(20);
    }
}

inline void Report(const std::wstring& text) {
    const std::string line = ToUtf8(text) + "\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()),
              &written, nullptr);
}

} // namespace standin
