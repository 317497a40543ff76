#pragma once
#include "platform/Service.h"

// Handles every window message that is pending, once. Other event handlers may run
// inside; callers must expect re-entry.
class IMessagePump {
public:
    virtual ~IMessagePump() = default;
    virtual void ProcessMessages() = 0;
    // Asks the message loop to end with this exit code (PostQuitMessage).
    virtual void PostQuit(int exitCode) = 0;
};
using MessagePump = Service<IMessagePump>;

// The windows kept alive during a long operation: every pending message, once.
inline void Pump() {
    MessagePump::Get().ProcessMessages();
}
