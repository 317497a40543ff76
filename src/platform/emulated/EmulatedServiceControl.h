#pragma once
// Linux has no service control manager: the services and their states are whatever the
// program using it sets. A service never set is Unknown, as one the manager cannot open.
#include <map>

#include "platform/ServiceControl.h"

class EmulatedServiceControl final : public IServiceControl {
  public:
    // Names compare as the manager compares them, without regard to letter case.
    void SetState(const String& serviceName, ServiceState state);
    ServiceState QueryState(const String& serviceName) override;

  private:
    std::map<String, ServiceState> states_; // by upper-case name
};
