// reg-lock.exe lock|unlock <key under HKLM>: makes a registry key refuse writes, for the
// fault tests of the wizard, and gives the key back.
//
// lock creates the key if needed and sets a protected DACL: Everyone may read it, nobody may
// set a value in it or create a subkey (a deny entry, which wins over any grant). unlock puts
// a DACL back that grants Everyone full access, so the key can be deleted again. Either is
// checked by opening the key for writing afterwards. Exit code 0 on success; otherwise the
// Windows error code, also printed.
//
// Wine keeps a key's security only in the running server: its registry files do not hold
// it, so a lock lasts while some program of the prefix keeps the server alive.
#include <windows.h>

#include <aclapi.h>

#include <cstdio>
#include <cwchar>

#include "platform/windows/Handles.h"

namespace {

int Fail(const char* what, DWORD code) {
    std::fprintf(stderr, "reg-lock: %s failed: %lu\n", what, code);
    return code ? static_cast<int>(code) : 1;
}

int SetAccess(const wchar_t* path, bool lock) {
    RegKey key;
    const LSTATUS status =
        lock ? RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, READ_CONTROL | WRITE_DAC,
                               nullptr, key.put(), nullptr)
             : RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, WRITE_DAC, key.put());
    if (status != ERROR_SUCCESS)
        return Fail(lock ? "RegCreateKeyEx" : "RegOpenKeyEx", static_cast<DWORD>(status));

    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
        return Fail("AllocateAndInitializeSid", GetLastError());
    EXPLICIT_ACCESSW entries[2] = {};
    for (EXPLICIT_ACCESSW& e : entries) {
        e.Trustee.TrusteeForm = TRUSTEE_IS_SID;
        e.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
        e.Trustee.ptstrName = static_cast<LPWSTR>(everyone);
    }
    entries[0].grfAccessMode = lock ? DENY_ACCESS : GRANT_ACCESS;
    entries[0].grfAccessPermissions = lock ? KEY_SET_VALUE | KEY_CREATE_SUB_KEY : KEY_ALL_ACCESS;
    entries[1].grfAccessMode = GRANT_ACCESS;
    entries[1].grfAccessPermissions = KEY_READ | READ_CONTROL | WRITE_DAC | DELETE;
    PACL acl = nullptr;
    DWORD result = SetEntriesInAclW(2, entries, nullptr, &acl);
    if (result == ERROR_SUCCESS)
        result = SetSecurityInfo(key.get(), SE_REGISTRY_KEY,
                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                 nullptr, nullptr, acl, nullptr);
    LocalFree(acl);
    FreeSid(everyone);
    return result == ERROR_SUCCESS ? 0 : Fail("SetSecurityInfo", result);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 || (std::wcscmp(argv[1], L"lock") != 0 && std::wcscmp(argv[1], L"unlock") != 0)) {
        std::fprintf(stderr, "usage: reg-lock lock|unlock <key under HKLM>\n");
        return 2;
    }
    const bool lock = std::wcscmp(argv[1], L"lock") == 0;
    const wchar_t* path = argv[2];
    if (_wcsnicmp(path, L"HKLM\\", 5) == 0) path += 5;

    if (const int result = SetAccess(path, lock)) return result;
    RegKey probe;
    const LSTATUS opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_SET_VALUE, probe.put());
    if ((opened == ERROR_ACCESS_DENIED) != lock)
        return Fail("the check of the new access", static_cast<DWORD>(opened));
    return 0;
}
