#pragma once
#include "base/Text.h"
#include "platform/Service.h"

// A system service's state as the service control manager reports it (SERVICE_STOPPED ...
// SERVICE_PAUSED), and Unknown when it could not be read.
enum class ServiceState {
    Unknown,
    Stopped,
    StartPending,
    StopPending,
    Running,
    ContinuePending,
    PausePending,
    Paused
};

// The local service control manager, asked about a service's state only: starting and
// stopping go through the system's own commands.
class IServiceControl {
  public:
    virtual ~IServiceControl() = default;
    // OpenSCManagerW, OpenServiceW and QueryServiceStatus; Unknown when any of them fails
    // (no such service, access refused).
    virtual ServiceState QueryState(const String& serviceName) = 0;
};
using ServiceControl = Service<IServiceControl>;
