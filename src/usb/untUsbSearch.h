#pragma once
// The search for a connected USB printer of a known model.
#include <optional>
#include <vector>

#include "base/Text.h"
#include "session/PrintModel.h"
#include "session/Report.h"

struct UsbSearchResult {
    // The last printer found on a listed port whose VID and PID name a model: the index of its
    // port in the list searched, and that model with the port; none when no printer matched.
    std::optional<int> portIndex;
    TPrintModelInfo model;
    // That model is the one to install: the settings' default model, or with no default the
    // kit lets the user take whatever model was found.
    bool accepted = false;
};

// Asks the USB library which printers are connected and matches them against the system's USB
// ports `ports` (in their order) and the model table, showing each step through `progress`,
// whose window it opens and leaves open for the caller to show the outcome. Without the
// library's port-list entry point nothing is found.
UsbSearchResult SearchUsbPrinter(const StringList& ports,
                                 const std::vector<TPrintModelInfo>& models, IReport& progress);
