#include <gtest/gtest.h>

#include "base/StepTimes.h"

namespace {

double ticks = 0;
double Tick() {
    return ticks += 0.5;
}

struct TimesOn {
    TimesOn() {
        ticks = 0;
        steptimes::Enable(&Tick);
    }
    ~TimesOn() { steptimes::Enable(nullptr); }
};

} // namespace

TEST(StepTimes, OffTheStepsCostNoClockAndLeaveNothing) {
    steptimes::Enable(nullptr);
    ticks = 0;
    { TimedStep step("windows"); }
    EXPECT_TRUE(steptimes::Steps().empty());
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(steptimes::Report(), "");
}

// The benchmark reads nested steps by their begin and end, in the order they began.
TEST(StepTimes, NestedStepsAreKeptInTheOrderTheyBeganWithTheirEnds) {
    TimesOn on;
    {
        TimedStep windows("windows");     // 0.5
        { TimedStep spooler("spooler"); } // 1.0 .. 1.5
    }                                     // 2.0
    { TimedStep show("show"); }           // 2.5 .. 3.0
    ASSERT_EQ(steptimes::Steps().size(), 3u);
    EXPECT_EQ(steptimes::Report(), "windows 0.500000 2.000000\n"
                                   "spooler 1.000000 1.500000\n"
                                   "show 2.500000 3.000000\n");
}
