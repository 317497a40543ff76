#include <windows.h>

#include "platform/ServiceControl.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinServices.h"

namespace {

struct CloseServiceHandleCloser {
    void operator()(SC_HANDLE h) const { ::CloseServiceHandle(h); }
};
using ServiceHandle = UniqueHandle<SC_HANDLE, CloseServiceHandleCloser, nullptr>;

ServiceState FromStatus(DWORD state) {
    switch (state) {
    case SERVICE_STOPPED:
        return ServiceState::Stopped;
    case SERVICE_START_PENDING:
        return ServiceState::StartPending;
    case SERVICE_STOP_PENDING:
        return ServiceState::StopPending;
    case SERVICE_RUNNING:
        return ServiceState::Running;
    case SERVICE_CONTINUE_PENDING:
        return ServiceState::ContinuePending;
    case SERVICE_PAUSE_PENDING:
        return ServiceState::PausePending;
    case SERVICE_PAUSED:
        return ServiceState::Paused;
    default:
        return ServiceState::Unknown;
    }
}

class WinServiceControl final : public IServiceControl {
  public:
    ServiceState QueryState(const String& serviceName) override {
        // Connecting and querying need no administrator rights.
        const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
        if (!manager) return ServiceState::Unknown;
        const ServiceHandle service(
            OpenServiceW(manager.get(), Wide(serviceName), SERVICE_QUERY_STATUS));
        if (!service) return ServiceState::Unknown;
        SERVICE_STATUS status{};
        if (!QueryServiceStatus(service.get(), &status)) return ServiceState::Unknown;
        return FromStatus(status.dwCurrentState);
    }
};

} // namespace

IServiceControl& WindowsServiceControl() {
    static WinServiceControl instance;
    return instance;
}
