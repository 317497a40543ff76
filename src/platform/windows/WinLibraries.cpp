#include <windows.h>

#include "platform/Libraries.h"
#include "platform/windows/WideText.h"

namespace {

class WinLibraries final : public ILibraries {
public:
    void* Load(const String& path) override {
        HMODULE module = LoadLibraryW(Wide(path));
        // A handle below 32 is a failure code of old Windows, not a module.
        if (reinterpret_cast<UINT_PTR>(module) < 32) return nullptr;
        return module;
    }
    void* Symbol(void* module, const char* name) override {
        return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
    }
};

} // namespace

ILibraries& WindowsLibraries() {
    static WinLibraries instance;
    return instance;
}
