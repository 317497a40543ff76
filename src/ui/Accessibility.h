#pragma once
// What assistive technology (a screen reader, UI Automation) learns about a control: its
// role, name, value, state and access key, and for a check list each item as a child of its
// own. Read from the model, so the window backend only translates it and tests read it too.
#include <optional>

#include "ui/Controls.h"

namespace ui {

// The character a caption marks as its access key: the one after a single '&' ("&&" is a
// plain '&'). `key` is 0 when the '&' ends the caption.
struct AccessKeyMark {
    size_t at = 0; // of the marked character
    char16_t key = 0;
};
std::optional<AccessKeyMark> AccessKeyOf(StringView caption);
// A key Alt can press: an ASCII letter or digit.
bool IsTypableAccessKey(char16_t key);
// The caption as read aloud: without the access key's '&', "&&" as '&'.
String WithoutAccessKey(StringView caption);

enum class AccessibleRole : std::uint8_t {
    Window, // a form
    Pane,   // a page, panel or other container
    PushButton,
    RadioButton,
    CheckButton, // an item of a check list: checked or not
    Text,        // an edit field
    List,
    ComboBox,
    Graphic,
    StaticText,
    Grouping,
    ProgressBar,
    StatusBar,
    Link, // a label that opens a web page or file when clicked
};

struct AccessibleState {
    bool focusable = false;
    bool focused = false;
    bool checked = false;
    bool selectable = false;
    bool selected = false;
    bool unavailable = false; // disabled
    bool invisible = false;   // it or a control holding it is hidden
    bool readOnly = false;
    bool linked = false; // a link
};

struct AccessibleInfo {
    AccessibleRole role = AccessibleRole::Pane;
    String name;
    std::optional<String> value; // an edit's text, a drop-down list's choice
    AccessibleState state;
    String shortcut;      // "Alt+N" for an access key, else empty
    String defaultAction; // what activating it does ("Check", "Uncheck"), else empty
};

// Children that are items of the control itself (a check list's models), not windows.
int AccessibleItemCount(const Control& control);
// The control (child 0) or its item `child` (1 to AccessibleItemCount); nullopt for a child
// it has not.
std::optional<AccessibleInfo> Describe(const Control& control, int child = 0);
// The default action of an item, as a user's key would do it (Space on a check list's item:
// it becomes current and its mark goes through the list's handlers). False when it has none.
bool DoItemDefaultAction(Control& control, int child);

} // namespace ui
