#include <windows.h>

#include <shlobj.h> // after windows.h

#include <algorithm>

#include "platform/LogFiles.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinServices.h"

namespace {

// The folders on the file's path, made where missing, outermost first; the append reports
// what still fails. Kernel calls only: the shell's libraries would load with the program.
void MakeFolderOf(const String& path) {
    const String full = WindowsFiles().FullPath(path);
    const size_t cut = full.find_last_of(u"\\/");
    if (cut == String::npos || cut == 0) return;
    const String folder = full.substr(0, cut);
    for (size_t at = folder.find_first_of(u"\\/", 3); at != String::npos;
         at = folder.find_first_of(u"\\/", at + 1))
        CreateDirectoryW(Wide(folder.substr(0, at)), nullptr);
    CreateDirectoryW(Wide(folder), nullptr);
}

// The ProgramData folder as the shell knows it, for a process whose environment lacks it;
// the shell and COM are bound only then.
String KnownProgramData() {
    using KnownFolderFn = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
    using FreeFn = void(WINAPI*)(LPVOID);
    const auto knownFolder = ProcAddress<KnownFolderFn>(LoadSystemLibrary(L"shell32.dll"),
                                                        "SHGetKnownFolderPath");
    const auto free = ProcAddress<FreeFn>(LoadSystemLibrary(L"ole32.dll"), "CoTaskMemFree");
    if (!knownFolder || !free) return {};
    PWSTR found = nullptr;
    String folder;
    if (SUCCEEDED(knownFolder(FOLDERID_ProgramData, 0, nullptr, &found))) folder = FromWide(found);
    free(found); // also when the call failed
    return folder;
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
        wchar_t buffer[MAX_PATH];
        const DWORD n = GetEnvironmentVariableW(L"ProgramData", buffer, MAX_PATH);
        String folder = n > 0 && n < MAX_PATH ? FromWide(buffer) : KnownProgramData();
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
