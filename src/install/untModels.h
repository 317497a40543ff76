#pragma once
// The model table of the settings, taken apart.
#include <vector>

#include "base/Text.h"
#include "session/PrintModel.h"

// Cuts a model line into its pieces: commas and line ends separate, quoted stretches keep
// commas and their quotes, leading blanks skipped, trailing blanks kept, empty pieces dropped.
StringList CutModelLine(StringView line);

// The model table of [model_POS] lines, one entry per line in order: name, VID and PID
// (without a port). A line of fewer than three pieces raises EListError, as the model page
// does.
std::vector<TPrintModelInfo> ModelTable(const StringList& lines);
