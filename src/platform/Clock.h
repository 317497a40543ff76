#pragma once
#include <cstdint>

#include "platform/Service.h"

// Milliseconds since start of the system, wrapping at 2^32, and sleeping.
class IClock {
public:
    virtual ~IClock() = default;
    virtual std::uint32_t GetTickCount() = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};
using Clock = Service<IClock>;
