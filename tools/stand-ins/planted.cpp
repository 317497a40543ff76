// A planted program: what someone could drop as net.exe or rundll32.exe beside the wizard or
// in the folder it is started from. It only leaves a marker file "<its name>.ran" beside
// itself, holding its command line, and fails, so a test sees that it was run.
#include "StandIn.h"

int wmain() {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    const std::wstring marker = std::wstring(path, n) + L".ran";
    const Handle f(CreateFileW(marker.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (f) {
        const std::string line = ToUtf8(GetCommandLineW()) + "\r\n";
        DWORD written = 0;
        WriteFile(f.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    return 9;
}
