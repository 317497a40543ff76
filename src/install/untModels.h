#pragma once
// The model table of the settings, taken apart.
#include <optional>
#include <vector>

#include "base/Text.h"
#include "session/PrintModel.h"

// Cuts a model line into its pieces: commas and line ends separate, quoted stretches keep
// commas and their quotes, leading blanks skipped, trailing blanks kept, empty pieces dropped.
StringList CutModelLine(StringView line);

// The model table of [model_POS] lines, one entry per line in order: name, VID and PID
// (without a port). A line of fewer than three pieces ends it: the entries before that line
// are kept, and `fault` is the error the model page raises there ("List index out of bounds
// (1)" for a line of one piece).
struct ModelTableBuild {
    std::vector<TPrintModelInfo> models;
    std::optional<String> fault;
    std::size_t faultLine = 0; // the 0-based index of that line
};
ModelTableBuild BuildModelTable(const StringList& lines);
// The whole table, raising EListError with the fault.
std::vector<TPrintModelInfo> ModelTable(const StringList& lines);
