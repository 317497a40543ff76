#include <windows.h>

#include "platform/Libraries.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinServices.h"

namespace {

HMODULE Checked(HMODULE module) {
    // A handle below 32 is a failure code of old Windows, not a module.
    return reinterpret_cast<UINT_PTR>(module) < 32 ? nullptr : module;
}

class WinLibraries final : public ILibraries {
public:
    void* Load(const String& fullPath) override {
        if (!IsFullPath(fullPath)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        return Checked(LoadLibraryW(Wide(fullPath)));
    }
    void* LoadSystem(const String& fileName) override {
        if (!IsLibraryFileName(fileName)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        return LoadSystemLibrary(Wide(fileName));
    }
    void* Symbol(void* module, const char* name) override {
        return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
    }
};

} // namespace

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    // By its full path: LOAD_LIBRARY_SEARCH_SYSTEM32 is missing on systems without the
    // KB2533623 update, a full path works everywhere.
    const String folder = WindowsSystemInfo().SystemFolder();
    if (folder.empty()) return nullptr;
    const String path = folder + u"\\" + FromWide(fileName);
    return Checked(LoadLibraryW(Wide(path)));
}

ILibraries& WindowsLibraries() {
    static WinLibraries instance;
    return instance;
}
