#include "session/Connections.h"

#include <stdexcept>

const std::vector<ConnectionType>& ConnectionTypes() {
    // clang-format off
    static const std::vector<ConnectionType> rows = {
        {TEnumPort::NET, u"rbNet", u"CAPTION_2", {75, 66, 509, 17}, u"tbsNet", 2, u"lblNetIP",
         u"CAPTION_6", nullptr, nullptr, nullptr, false, 0, u"network"},
        {TEnumPort::USB, u"rbUsb", u"CAPTION_3", {75, 101, 525, 17}, u"tbsUSB", 3, u"lblUSBTitle",
         u"CAPTION_7", u"cbUSB", u"USB", u"USBPortSelect", true, 1, u"usb"},
        {TEnumPort::RS232, u"rbRs232", u"CAPTION_4", {75, 137, 525, 17}, u"tbsRs232", 4,
         u"lblRs232", u"CAPTION_10", u"cbRs232", u"COM", nullptr, false, 2, u"serial"},
        {TEnumPort::LPT, u"rbLPT", u"CAPTION_5", {75, 178, 535, 17}, u"tbsLpt", 5, u"lblLpt",
         u"CAPTION_11", u"cbLpt", u"LPT", nullptr, false, 3, u"parallel"},
    };
    // clang-format on
    return rows;
}

const ConnectionType& ConnectionOf(TEnumPort kind) {
    for (const ConnectionType& c : ConnectionTypes())
        if (c.kind == kind) return c;
    throw std::logic_error("no row for a connection type");
}

const ConnectionType* ConnectionOfRadio(StringView radio) {
    for (const ConnectionType& c : ConnectionTypes())
        if (radio == c.radio) return &c;
    return nullptr;
}

const ConnectionType* ConnectionOfDefaultPort(std::int32_t value) {
    for (const ConnectionType& c : ConnectionTypes())
        if (c.defaultPort == value) return &c;
    return nullptr;
}

const ConnectionType* ConnectionOfPage(std::int32_t pageIndex) {
    for (const ConnectionType& c : ConnectionTypes())
        if (c.pageIndex == pageIndex) return &c;
    return nullptr;
}

const ConnectionType* ConnectionOfSwitchName(StringView name) {
    for (const ConnectionType& c : ConnectionTypes())
        if (SameText(name, c.switchName)) return &c;
    return nullptr;
}
