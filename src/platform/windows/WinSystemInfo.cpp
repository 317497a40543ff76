#include <windows.h>

#include <sddl.h>

#include <memory>
#include <vector>

#include "platform/SystemInfo.h"
#include "platform/windows/Handles.h"
#include "platform/windows/TokenUser.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinServices.h"

namespace {

String Folder(UINT(WINAPI* get)(LPWSTR, UINT)) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const UINT n = get(&buffer[0], static_cast<UINT>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(n); // n is the size needed, with the closing zero
    }
    while (!buffer.empty() && buffer.back() == L'\\')
        buffer.pop_back();
    return String(buffer.begin(), buffer.end());
}

constexpr Architecture kBuiltFor =
#if defined(__aarch64__) || defined(_M_ARM64)
    Architecture::Arm64;
#elif defined(__x86_64__) || defined(_M_X64)
    Architecture::X64;
#else
    Architecture::X86;
#endif

// An architecture we do not know runs this program natively, so it is taken as the program's.
Architecture FromMachine(USHORT machine) {
    switch (machine) {
    case IMAGE_FILE_MACHINE_AMD64:
        return Architecture::X64;
    case 0xAA64: // IMAGE_FILE_MACHINE_ARM64
        return Architecture::Arm64;
    case IMAGE_FILE_MACHINE_I386:
        return Architecture::X86;
    default:
        return kBuiltFor;
    }
}

Architecture FromProcessorArchitecture(WORD architecture) {
    switch (architecture) {
    case PROCESSOR_ARCHITECTURE_AMD64:
        return Architecture::X64;
    case 12: // PROCESSOR_ARCHITECTURE_ARM64
        return Architecture::Arm64;
    case PROCESSOR_ARCHITECTURE_INTEL:
        return Architecture::X86;
    default:
        return kBuiltFor;
    }
}

class WinSystemInfo final : public ISystemInfo {
  public:
    String SystemFolder() override { return Folder(GetSystemDirectoryW); }
    String WindowsFolder() override { return Folder(GetSystemWindowsDirectoryW); }
    Architecture SystemArchitecture() override {
        // IsWow64Process2 (Windows 10) also names ARM64 for an x86 program emulated there.
        using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
        const auto isWow64Process2 =
            ProcAddress<IsWow64Process2Fn>(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process2");
        USHORT process = 0, native = 0;
        if (isWow64Process2 && isWow64Process2(GetCurrentProcess(), &process, &native))
            return FromMachine(native);
        // Older systems: GetNativeSystemInfo tells a WOW64 program the system's architecture.
        SYSTEM_INFO info{};
        GetNativeSystemInfo(&info);
        return FromProcessorArchitecture(info.wProcessorArchitecture);
    }
    Architecture ProcessArchitecture() override { return kBuiltFor; }
    bool IsAdministrator() override {
        // CheckTokenMembership counts only groups enabled in the token: without elevation an
        // administrator's filtered token holds the group for deny only.
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        PSID sid = nullptr;
        if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                                      0, 0, 0, 0, 0, 0, &sid))
            return false;
        const std::unique_ptr<void, PVOID(WINAPI*)(PSID)> administrators(sid, FreeSid);
        BOOL member = FALSE;
        return CheckTokenMembership(nullptr, administrators.get(), &member) && member;
    }
    bool IsSystemAccount() override {
        std::vector<DWORD> user = ProcessTokenUser();
        return !user.empty() && IsWellKnownSid(TokenUserSid(user), WinLocalSystemSid);
    }
    String AccountName() override {
        std::vector<DWORD> user = ProcessTokenUser();
        if (user.empty()) return {};
        wchar_t name[256], domain[256];
        DWORD nameSize = 256, domainSize = 256;
        SID_NAME_USE use{};
        if (!LookupAccountSidW(nullptr, TokenUserSid(user), name, &nameSize, domain, &domainSize,
                               &use))
            return {};
        return FromWide(domain) + u"\\" + FromWide(name);
    }
    String AccountSid() override {
        std::vector<DWORD> user = ProcessTokenUser();
        LPWSTR text = nullptr;
        if (user.empty() || !ConvertSidToStringSidW(TokenUserSid(user), &text)) return {};
        const String sid = FromWide(text);
        LocalFree(text);
        return sid;
    }
    String OsVersion() override {
        // RtlGetVersion tells the truth; GetVersionEx answers what the manifest declares.
        using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
        const auto get =
            ProcAddress<RtlGetVersionFn>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        if (!get || get(&info) != 0) return {};
        return IntToStr(static_cast<int>(info.dwMajorVersion)) + u"." +
               IntToStr(static_cast<int>(info.dwMinorVersion)) + u" build " +
               IntToStr(static_cast<int>(info.dwBuildNumber));
    }
    std::uint32_t ProcessId() override { return GetCurrentProcessId(); }
    bool HasInteractiveDesktop() override {
        DWORD session = 0;
        if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0) return false;
        if (IsSystemAccount()) return false;
        // A service's window station is never shown, whatever its session.
        USEROBJECTFLAGS flags{};
        DWORD size = 0;
        if (GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                      &size) &&
            !(flags.dwFlags & WSF_VISIBLE))
            return false;
        return true;
    }
};

} // namespace

ISystemInfo& WindowsSystemInfo() {
    static WinSystemInfo instance;
    return instance;
}
