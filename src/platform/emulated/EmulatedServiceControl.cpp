#include "platform/emulated/EmulatedServiceControl.h"

void EmulatedServiceControl::SetState(const String& serviceName, ServiceState state) {
    states_[UpperCase(serviceName)] = state;
}

ServiceState EmulatedServiceControl::QueryState(const String& serviceName) {
    const auto found = states_.find(UpperCase(serviceName));
    return found == states_.end() ? ServiceState::Unknown : found->second;
}
