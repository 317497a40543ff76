#pragma once
#include <cstdint>

#include "platform/Service.h"

// A moment of the user's local time, as the system's clock reads it.
struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    // How far the local time is ahead of UTC, in minutes (480 in China, -300 in New York).
    int utcOffsetMinutes = 0;
};

// Milliseconds since start of the system, wrapping at 2^32, sleeping, and the local time.
class IClock {
public:
    virtual ~IClock() = default;
    virtual std::uint32_t GetTickCount() = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    virtual LocalTime Now() = 0;
};
using Clock = Service<IClock>;
