#pragma once
// Which captions with access keys a user sees together: Alt+letter reaches one control of a
// window, so two captions shown at once must not mark the same letter. The kit lint checks
// kits against this; it follows where the wizard puts each caption.
#include <vector>

#include "base/Text.h"
#include "config/CaptionKeys.h"

struct AccessKeyScreen {
    const char16_t* name; // as the lint says it: "the connection page"
    // Caption keys of the buttons and radio buttons shown together (labels draw '&' as it is).
    std::vector<const CaptionKey*> keys;
};

// The main window's button row first (it is on every page), then each page that adds
// captions to it, then the wait dialog.
const std::vector<AccessKeyScreen>& AccessKeyScreens();
