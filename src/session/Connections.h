#pragma once
// The ways a printer can be connected, one row each: everything about a connection type that
// the main window, the installation run and the kit check need.
#include <cstdint>
#include <vector>

#include "base/Text.h"
#include "config/CaptionKeys.h"
#include "ui/Controls.h"

enum class TEnumPort : std::uint8_t { NET = 0, USB = 1, RS232 = 2, LPT = 3 };

struct ConnectionType {
    TEnumPort kind;
    // The radio button on the connection page and the caption key of its text.
    const char16_t* radio;
    const CaptionKey* radioCaption;
    ui::Rect radioBounds;
    // The page where the port is chosen, its index in the page control, its title label and
    // that label's caption key.
    const char16_t* page;
    std::int32_t pageIndex;
    const char16_t* label;
    const CaptionKey* labelCaption;
    // The list of ports offered on that page and the prefix (compared without regard to letter
    // case) of the system's port names it shows; nullptr: the port is made from an address
    // the user types.
    const char16_t* portList;
    const char16_t* portPrefix;
    // CONFIG switch whose value enables the port list when the type is chosen; nullptr: the
    // list keeps its state.
    const char16_t* portListSwitch;
    // The model comes from a search on the port page, not from the model page, which is
    // skipped; the installation needs an accepted search.
    bool modelFromSearch;
    // The value of CONFIG DefaultPort that preselects this type.
    std::int32_t defaultPort;
    // Its name after /connection on the command line.
    const char16_t* switchName;
};

// Every connection type, in the order of their radio buttons.
const std::vector<ConnectionType>& ConnectionTypes();

// The row of a type, of the radio button or port page of that name, of a DefaultPort value,
// of a page index, of a command-line name; nullptr when none has it.
const ConnectionType& ConnectionOf(TEnumPort kind);
const ConnectionType* ConnectionOfRadio(StringView radio);
const ConnectionType* ConnectionOfDefaultPort(std::int32_t value);
const ConnectionType* ConnectionOfPage(std::int32_t pageIndex);
const ConnectionType* ConnectionOfSwitchName(StringView name); // without regard to letter case

// The system's ports of a connection type, in the system's order: those whose names start
// with its prefix, without regard to letter case; none for a type without a port list.
StringList PortsOf(const ConnectionType& type, const StringList& ports);
