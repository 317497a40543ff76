#pragma once
// What the printing system holds, for checking an installation from outside.
#include <string>
#include <vector>

struct PrinterEntry {
    std::wstring name, port, driver;
};
std::vector<PrinterEntry> LocalPrinters();
std::vector<std::wstring> PrinterDrivers();
std::vector<std::wstring> PortNames();
