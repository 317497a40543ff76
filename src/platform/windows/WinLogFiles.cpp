#include <windows.h>

#include <shlobj.h> // after windows.h

#include <algorithm>

#include "platform/LogFiles.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinServices.h"

namespace {

String FullPathOf(const String& path) {
    const DWORD n = GetFullPathNameW(Wide(path), 0, nullptr, nullptr);
    if (n == 0) return path;
    String full(n, u'\0');
    const DWORD written =
        GetFullPathNameW(Wide(path), n, reinterpret_cast<wchar_t*>(full.data()), nullptr);
    if (written == 0 || written >= n) return path;
    full.resize(written);
    return full;
}

// The folders on the file's path, made where missing; the append reports what still fails.
void MakeFolderOf(const String& path) {
    const String full = FullPathOf(path);
    const size_t cut = full.find_last_of(u"\\/");
    if (cut == String::npos || cut == 0) return;
    SHCreateDirectoryExW(nullptr, Wide(full.substr(0, cut)), nullptr);
}

Handle OpenForAppend(const String& path) {
    // Readers and a second writer (another wizard) may have it open too.
    return Handle(CreateFileW(Wide(path), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class WinLogFiles final : public ILogFiles {
  public:
    bool Append(const String& path, const std::string& bytes, std::uint32_t& error) override {
        Handle file = OpenForAppend(path);
        if (!file && (GetLastError() == ERROR_PATH_NOT_FOUND)) {
            MakeFolderOf(path);
            file = OpenForAppend(path);
        }
        if (!file) {
            error = GetLastError();
            return false;
        }
        size_t done = 0;
        while (done < bytes.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
            DWORD written = 0;
            if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr)) {
                error = GetLastError();
                return false;
            }
            done += written;
        }
        error = 0;
        return true;
    }

    std::optional<std::uint64_t> FileSize(const String& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(Wide(path), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return std::nullopt;
        return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }

    bool Replace(const String& from, const String& to, std::uint32_t& error) override {
        if (!MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING)) {
            error = GetLastError();
            return false;
        }
        error = 0;
        return true;
    }

    String ProgramDataFolder() override {
        PWSTR found = nullptr;
        String folder;
        if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &found)))
            folder = FromWide(found);
        CoTaskMemFree(found); // also when the call failed
        while (!folder.empty() && folder.back() == u'\\')
            folder.pop_back();
        return folder;
    }
};

} // namespace

ILogFiles& WindowsLogFiles() {
    static WinLogFiles instance;
    return instance;
}
