#include "usb/untUsbDLLinitalize.h"

#include "base/Paths.h"
#include "platform/Files.h"
#include "platform/Libraries.h"

TGetPrinterStatus Fuc_GetPrinterUSBStatus = nullptr;
TOpenPrinterPort fuc_OpenPrinterUSBPort = nullptr;
TClosePrinterPort Fuc_ClosePrinterUSBPort = nullptr;
TSendPrinterData Fuc_SendPrinterUSBData = nullptr;
TGetUSBPort Fuc_GetUSBPort = nullptr;
TGetUSBPortList Fuc_GetUSBPortList = nullptr;
TGetUSBPortNameList Fuc_GetUSBPortNameList = nullptr;
TGetPrinterLibVersion Fuc_GetPrinterLibVersion = nullptr;
TGetPrinterVIDList Fuc_GetPrinterVIDList = nullptr;

namespace {

// Beside the program, by its full path: a relative name would also be looked up in folders the
// program does not choose.
String LibraryPath() {
    const String folder = ExtractFilePath(Files::Get().ModuleFileName());
    return folder.empty() ? String() : folder + kUsbLibraryFileName;
}

template <class F> void Bind(void* module, const char* name, F& target) {
    target = reinterpret_cast<F>(Libraries::Get().Symbol(module, name));
}

} // namespace

bool CheckDLLFile() {
    const String path = LibraryPath();
    return !path.empty() && Files::Get().FileExists(path);
}

bool initUsbDLL() {
    if (!CheckDLLFile()) return false;
    void* module = Libraries::Get().Load(LibraryPath());
    if (!module) return false;
    Bind(module, "GetPrinterStatus", Fuc_GetPrinterUSBStatus);
    Bind(module, "OpenPrinterPort", fuc_OpenPrinterUSBPort);
    Bind(module, "ClosePrinterPort", Fuc_ClosePrinterUSBPort);
    Bind(module, "SendPrinterData", Fuc_SendPrinterUSBData);
    Bind(module, "GetUSBPort", Fuc_GetUSBPort);
    Bind(module, "GetUSBPortList", Fuc_GetUSBPortList);
    Bind(module, "GetUSBPortNameList", Fuc_GetUSBPortNameList);
    Bind(module, "GetPrinterLibVersion", Fuc_GetPrinterLibVersion);
    Bind(module, "GetPrinterVIDList", Fuc_GetPrinterVIDList);
    return true;
}

void ResetUsbDLL() {
    Fuc_GetPrinterUSBStatus = nullptr;
    fuc_OpenPrinterUSBPort = nullptr;
    Fuc_ClosePrinterUSBPort = nullptr;
    Fuc_SendPrinterUSBData = nullptr;
    Fuc_GetUSBPort = nullptr;
    Fuc_GetUSBPortList = nullptr;
    Fuc_GetUSBPortNameList = nullptr;
    Fuc_GetPrinterLibVersion = nullptr;
    Fuc_GetPrinterVIDList = nullptr;
}

std::int32_t UsbLibraryVersion() {
    std::int32_t tDllVer = 0;
    if (Fuc_GetPrinterLibVersion) Fuc_GetPrinterLibVersion(&tDllVer);
    return tDllVer;
}
