#include <windows.h>

#include <aclapi.h> // after windows.h
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "platform/LogFiles.h"
#include "platform/windows/Handles.h"
#include "platform/windows/TokenUser.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinServices.h"

namespace {

// The ProgramData folder as the shell knows it; the shell and COM are bound only when the log
// is first written, not with every start.
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

bool TrustedOwner(const String& path) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetNamedSecurityInfoW(Wide(path), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                              nullptr, nullptr, nullptr, &sd) != ERROR_SUCCESS)
        return false;
    bool trusted = owner && (IsWellKnownSid(owner, WinLocalSystemSid) ||
                             IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
    if (owner && !trusted) {
        static std::vector<DWORD> self = ProcessTokenUser();
        trusted = !self.empty() && EqualSid(owner, TokenUserSid(self));
    }
    LocalFree(sd);
    return trusted;
}

class WinLogFile final : public ILogFile {
  public:
    WinLogFile(Handle file, String path) : file_(std::move(file)), path_(std::move(path)) {}

    std::uint64_t Size() override {
        LARGE_INTEGER size{};
        return GetFileSizeEx(file_.get(), &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
    }

    bool Append(const std::string& bytes, std::uint32_t& error) override {
        size_t done = 0;
        while (done < bytes.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
            DWORD written = 0;
            if (!WriteFile(file_.get(), bytes.data() + done, chunk, &written, nullptr)) {
                error = GetLastError();
                return false;
            }
            done += written;
        }
        error = 0;
        return true;
    }

    // Through the handle: the file renamed is the one written, whatever its name names now.
    bool RenameTo(const String& fileName, std::uint32_t& error) override {
        const size_t cut = path_.find_last_of(u"\\/");
        const std::wstring to =
            ToWide((cut == String::npos ? String() : path_.substr(0, cut + 1)) + fileName);
        std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t));
        auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        info->ReplaceIfExists = TRUE;
        info->RootDirectory = nullptr;
        info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
        std::copy(to.begin(), to.end(), info->FileName);
        if (!SetFileInformationByHandle(file_.get(), FileRenameInfo, info,
                                        static_cast<DWORD>(buffer.size()))) {
            error = GetLastError();
            return false;
        }
        error = 0;
        return true;
    }

  private:
    Handle file_;
    String path_;
};

class WinLogFiles final : public ILogFiles {
  public:
    PathFacts Inspect(const String& path) override {
        PathFacts facts;
        const DWORD attributes = GetFileAttributesW(Wide(path));
        if (attributes == INVALID_FILE_ATTRIBUTES) return facts;
        facts.exists = true;
        facts.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        facts.reparsePoint = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        facts.trustedOwner = TrustedOwner(path);
        return facts;
    }

    bool CreateProtectedFolder(const String& path, std::uint32_t& error) override {
        // Protected: nothing is inherited from ProgramData, where Users may create and own.
        PSECURITY_DESCRIPTOR sd = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
                L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", SDDL_REVISION_1, &sd,
                nullptr)) {
            error = GetLastError();
            return false;
        }
        SECURITY_ATTRIBUTES attributes{sizeof attributes, sd, FALSE};
        const BOOL made = CreateDirectoryW(Wide(path), &attributes);
        error = made ? 0 : GetLastError();
        LocalFree(sd);
        return made != FALSE;
    }

    std::unique_ptr<ILogFile> Open(const String& path, std::uint32_t& error,
                                   String& refused) override {
        // The name is looked at first as well: a system that opens a link's target despite
        // the flag still shows the link here.
        const DWORD attributes = GetFileAttributesW(Wide(path));
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            refused = u"the file " + path + u" is a link";
            return nullptr;
        }
        // Readers and a second writer (another wizard) may have it open too; DELETE lets the
        // handle rename the file.
        Handle file(CreateFileW(
            Wide(path), FILE_APPEND_DATA | DELETE | SYNCHRONIZE | FILE_READ_ATTRIBUTES,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!file) {
            error = GetLastError();
            return nullptr;
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(file.get(), &info)) {
            error = GetLastError();
            return nullptr;
        }
        if (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) {
            refused = u"the file " + path + u" is a link";
            return nullptr;
        }
        if (info.nNumberOfLinks > 1) {
            refused = u"the file " + path + u" has another name (a hard link)";
            return nullptr;
        }
        error = 0;
        return std::make_unique<WinLogFile>(std::move(file), path);
    }

    std::optional<std::uint64_t> FileSize(const String& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(Wide(path), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return std::nullopt;
        return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }

    String ProgramDataFolder() override {
        String folder = KnownProgramData();
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
