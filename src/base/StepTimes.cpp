#include "base/StepTimes.h"

#include <cstdio>

namespace steptimes {
namespace {

Clock clock_ = nullptr;
std::vector<Step> steps_;

} // namespace

void Enable(Clock clock) {
    clock_ = clock;
    steps_.clear();
}

bool Enabled() {
    return clock_ != nullptr;
}

double Now() {
    return clock_ ? clock_() : 0.0;
}

const std::vector<Step>& Steps() {
    return steps_;
}

std::string Report() {
    std::string text;
    char line[160];
    for (const Step& s : steps_) {
        std::snprintf(line, sizeof line, "%s %.6f %.6f\n", s.name, s.begin, s.end);
        text += line;
    }
    return text;
}

} // namespace steptimes

TimedStep::TimedStep(const char* name) {
    if (!steptimes::Enabled()) return;
    const double now = steptimes::Now();
    index_ = static_cast<long>(steptimes::steps_.size());
    steptimes::steps_.push_back({name, now, now});
}

TimedStep::~TimedStep() {
    if (index_ >= 0 && static_cast<std::size_t>(index_) < steptimes::steps_.size())
        steptimes::steps_[static_cast<std::size_t>(index_)].end = steptimes::Now();
}
