#include "platform/Files.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinServices.h"

namespace {

class WinFiles final : public IFiles {
  public:
    bool FileExists(const String& path) override {
        const DWORD attributes = GetFileAttributesW(Wide(path));
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    bool ReadExclusive(const String& path, std::string& bytes, std::uint32_t& error) override {
        bytes.clear();
        Handle file(CreateFileW(Wide(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            error = GetLastError();
            return false;
        }
        char buffer[65536];
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
                error = GetLastError();
                bytes.clear();
                return false;
            }
            if (got == 0) break;
            bytes.append(buffer, got);
        }
        error = 0;
        return true;
    }

    String FullPath(const String& path) override {
        const DWORD n = GetFullPathNameW(Wide(path), 0, nullptr, nullptr);
        if (n == 0) return path;
        String full(n, u'\0');
        const DWORD written =
            GetFullPathNameW(Wide(path), n, reinterpret_cast<wchar_t*>(full.data()), nullptr);
        if (written == 0 || written >= n) return path;
        full.resize(written);
        return full;
    }

    String ModuleFileName() override {
        // The path may be longer than MAX_PATH: grow until it fits.
        String name(MAX_PATH, u'\0');
        for (;;) {
            const DWORD n = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(name.data()),
                                               static_cast<DWORD>(name.size()));
            if (n == 0) return {};
            if (n < name.size()) {
                name.resize(n);
                return name;
            }
            name.resize(name.size() * 2);
        }
    }
};

} // namespace

IFiles& WindowsFiles() {
    static WinFiles instance;
    return instance;
}
