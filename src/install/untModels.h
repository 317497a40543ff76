#pragma once
// The model table of the settings, taken apart.
#include "base/Text.h"

// Cuts a model line into its pieces: commas and line ends separate, quoted stretches keep
// commas and their quotes, leading blanks skipped, trailing blanks kept, empty pieces dropped.
StringList CutModelLine(StringView line);
