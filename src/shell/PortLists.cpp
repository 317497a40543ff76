// The main window's lists of the system's ports and printers.
#include "base/StepTimes.h"
#include "printing/untSystemPrinterInfo.h"
#include "shell/untMain.h"

void TfrmMain::PushPortListToList() {
    TimedStep step("ports");
    // Every port list is emptied, then given the system's ports of its prefix.
    for (const ConnectionType& type : ConnectionTypes())
        if (ui::ComboBox* list = PortListOf(type)) list->Clear();
    cbPortList->Clear();
    cbPortList->SetItems(SysPrint->GetSystemPrintPortList());
    for (const ConnectionType& type : ConnectionTypes()) {
        ui::ComboBox* list = PortListOf(type);
        if (!list) continue;
        list->SetItems(PortsOf(type, cbPortList->Items()));
        if (!list->Items().empty()) list->SetItemIndex(0);
    }
    if (!cbPortList->Items().empty()) cbPortList->SetItemIndex(0);
}

void TfrmMain::PushPrinterListToList() {
    cbPrintList->Clear();
    cbPrintList->SetItems(SysPrint->GetSystemPrintList());
    if (!cbPrintList->Items().empty()) cbPrintList->SetItemIndex(0);
}
