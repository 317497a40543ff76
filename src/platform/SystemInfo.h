#pragma once
#include <cstdint>

#include "base/Text.h"
#include "platform/Service.h"

// The processor architectures a Windows program or a Windows system can have here.
enum class Architecture { X86, X64, Arm64 };

// The architecture as Windows names it: "x86", "x64" or "arm64" (the printer-setup command's
// /h takes these names).
inline const char16_t* ArchitectureName(Architecture architecture) {
    switch (architecture) {
    case Architecture::X64:
        return u"x64";
    case Architecture::Arm64:
        return u"arm64";
    case Architecture::X86:
        break;
    }
    return u"x86";
}

// Where the system keeps its programs, and which architecture runs what.
class ISystemInfo {
  public:
    virtual ~ISystemInfo() = default;
    // The system folder as this process names it (GetSystemDirectoryW): "C:\Windows\system32",
    // which a 32-bit program on 64-bit Windows is redirected from to SysWOW64.
    virtual String SystemFolder() = 0;
    // The shared Windows folder (GetSystemWindowsDirectoryW), without a closing backslash.
    virtual String WindowsFolder() = 0;
    // The architecture of the system itself, also when this program runs emulated on it.
    virtual Architecture SystemArchitecture() = 0;
    // The architecture this program was built for.
    virtual Architecture ProcessArchitecture() = 0;
    // The program runs with administrator rights: its token holds the Administrators group
    // enabled (an elevated administrator, or the system account a deployment tool uses; not
    // an administrator's filtered token without elevation).
    virtual bool IsAdministrator() = 0;
    // The program runs as the system account (LOCAL SYSTEM), as deployment tools run it.
    virtual bool IsSystemAccount() = 0;
    // Someone can see the program's windows: it runs on the interactive window station of a
    // user's session, not in session 0, as a service or as the system account.
    virtual bool HasInteractiveDesktop() = 0;
    // The account this program runs as, as "DOMAIN\name", and its SID ("S-1-5-18"); empty when
    // the system cannot say.
    virtual String AccountName() = 0;
    virtual String AccountSid() = 0;
    // The system's version as "10.0 build 19045" (the real one, whatever the program declares).
    virtual String OsVersion() = 0;
    virtual std::uint32_t ProcessId() = 0;
};
using SystemInfo = Service<ISystemInfo>;
