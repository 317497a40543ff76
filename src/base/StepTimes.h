#pragma once
// Where the start-up's time goes, for the start-up benchmark. Off unless the program entry
// turns it on with a clock (only when the benchmark asks for it), so that the product pays one
// test of a flag per step. Steps may lie inside others; each is kept with its begin and end in
// the order the steps began.
#include <string>
#include <vector>

namespace steptimes {

// Seconds on the clock the report is read against.
using Clock = double (*)();

struct Step {
    const char* name;
    double begin;
    double end; // equal to begin while the step runs
};

void Enable(Clock clock);
bool Enabled();
double Now();
const std::vector<Step>& Steps();
// One line per step, "<name> <begin> <end>", seconds with microseconds; a name has no blanks.
std::string Report();

} // namespace steptimes

// Times its scope as one step when the step times are on.
class TimedStep {
  public:
    explicit TimedStep(const char* name);
    ~TimedStep();
    TimedStep(const TimedStep&) = delete;
    TimedStep& operator=(const TimedStep&) = delete;

  private:
    long index_ = -1;
};
