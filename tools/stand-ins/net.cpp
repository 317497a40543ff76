// net.exe stand-in, the system's net.exe of the test prefix: records its command line, then
// starts or stops a service itself through the service control manager (it cannot hand the
// call on: the system's net.exe is itself). Prints roughly what net prints; exit 0 when done,
// 2 when the service is already in that state or the call fails, as net does.
//   net start <service>    net stop <service>
// Anything else is refused on standard error with exit 1.
#include "StandIn.h"

#include <string>

namespace {

using standin::Report;

// Longer than the control manager's own wait for a service, so that its verdict comes first.
constexpr DWORD kStateBoundMs = 60 * 1000;

void Say(const std::wstring& text) {
    const std::string line = ToUtf8(text) + "\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()),
              &written, nullptr);
}

void HelpMessage(const std::wstring& text, int number) {
    Say(text);
    Say(L"");
    Say(L"More help is available by typing NET HELPMSG " + std::to_wstring(number) + L".");
    Say(L"");
}

struct CloseServiceHandleCloser {
    void operator()(SC_HANDLE h) const { ::CloseServiceHandle(h); }
};
using ServiceHandle = UniqueHandle<SC_HANDLE, CloseServiceHandleCloser, nullptr>;

std::wstring DisplayName(SC_HANDLE manager, const std::wstring& service) {
    wchar_t name[256];
    DWORD size = 256;
    return GetServiceDisplayNameW(manager, service.c_str(), name, &size) ? std::wstring(name)
                                                                         : service;
}

bool WaitForState(SC_HANDLE service, DWORD wanted) {
    const DWORD start = GetTickCount();
    SERVICE_STATUS status{};
    while (QueryServiceStatus(service, &status)) {
        if (status.dwCurrentState == wanted) return true;
        if (GetTickCount() - start > kStateBoundMs) return false;
        Sleep(100);
    }
    return false;
}

int Control(bool start, const std::wstring& name) {
    ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager.get()) {
        HelpMessage(L"System error " + std::to_wstring(GetLastError()) + L" has occurred.", 0);
        return 2;
    }
    ServiceHandle service(OpenServiceW(manager.get(), name.c_str(),
                                       SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS));
    if (!service.get()) {
        HelpMessage(L"The service name is invalid.", 2185);
        return 2;
    }
    const std::wstring shown = DisplayName(manager.get(), name);
    if (start) {
        Say(L"The " + shown + L" service is starting.");
        if (!StartServiceW(service.get(), 0, nullptr)) {
            if (GetLastError() == ERROR_SERVICE_ALREADY_RUNNING) {
                HelpMessage(L"The requested service has already been started.", 2182);
                return 2;
            }
            HelpMessage(L"The " + shown + L" service could not be started.", 3521);
            return 2;
        }
        if (!WaitForState(service.get(), SERVICE_RUNNING)) {
            HelpMessage(L"The " + shown + L" service could not be started.", 3521);
            return 2;
        }
        Say(L"The " + shown + L" service was started successfully.");
        Say(L"");
        return 0;
    }
    SERVICE_STATUS status{};
    if (!ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
        if (GetLastError() == ERROR_SERVICE_NOT_ACTIVE) {
            HelpMessage(L"The " + shown + L" service is not started.", 3521);
            return 2;
        }
        HelpMessage(L"The " + shown + L" service could not be stopped.", 2189);
        return 2;
    }
    Say(L"The " + shown + L" service is stopping.");
    if (!WaitForState(service.get(), SERVICE_STOPPED)) {
        HelpMessage(L"The " + shown + L" service could not be stopped.", 2189);
        return 2;
    }
    Say(L"The " + shown + L" service was stopped successfully.");
    Say(L"");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    standin::RecordCommandLine();
    if (argc == 3 && (lstrcmpiW(argv[1], L"start") == 0 || lstrcmpiW(argv[1], L"stop") == 0))
        return Control(lstrcmpiW(argv[1], L"start") == 0, argv[2]);
    Report(L"net stand-in: only \"net start <service>\" and \"net stop <service>\" are known");
    return 1;
}
