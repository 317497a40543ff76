#pragma once
// The model table and the chosen model.
#include <vector>

#include "base/Text.h"

struct TPrintModelInfo {
    String PrintName;
    String VID;
    String PID;
    String PrintPort;
};

// One entry per model line of [model_POS], in file order; entry i is item i of the model list.
extern std::vector<TPrintModelInfo> PrintModelInfo;
// The model lines the table was built from.
extern StringList PrintModel;
// The model and port chosen for the installation run; never cleared.
extern TPrintModelInfo PrintSetupInfo;
// Index of the item whose mark the single-choice rule set last (or the default item).
extern int listCheckNum;
