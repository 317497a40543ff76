#include "session/Connections.h"

#include <stdexcept>

const std::vector<ConnectionType>& ConnectionTypes() {
    // clang-format off
    static const std::vector<ConnectionType> rows = {
        {TEnumPort::NET, u"rbNet", &caption::kNetworkRadio, {75, 66, 509, 17}, u"tbsNet", 2, u"lblNetIP",
         &caption::kAddressLabel, nullptr, nullptr, nullptr, false, 0, u"network"},
        {TEnumPort::USB, u"rbUsb", &caption::kUsbRadio, {75, 101, 525, 17}, u"tbsUSB", 3, u"lblUSBTitle",
         &caption::kUsbPortLabel, u"cbUSB", u"USB", u"USBPortSelect", true, 1, u"usb"},
        {TEnumPort::RS232, u"rbRs232", &caption::kSerialRadio, {75, 137, 525, 17}, u"tbsRs232", 4,
         u"lblRs232", &caption::kSerialPortLabel, u"cbRs232", u"COM", nullptr, false, 2, u"serial"},
        {TEnumPort::LPT, u"rbLPT", &caption::kParallelRadio, {75, 178, 535, 17}, u"tbsLpt", 5, u"lblLpt",
         &caption::kParallelPortLabel, u"cbLpt", u"LPT", nullptr, false, 3, u"parallel"},
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

StringList PortsOf(const ConnectionType& type, const StringList& ports) {
    StringList out;
    if (!type.portPrefix) return out;
    const StringView prefix(type.portPrefix);
    for (const String& name : ports)
        if (UpperCase(StringView(name).substr(0, prefix.size())) == prefix) out.push_back(name);
    return out;
}
