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
    for (const String& name : cbPortList->Items()) {
        for (const ConnectionType& type : ConnectionTypes()) {
            if (!type.portPrefix) continue;
            const StringView prefix(type.portPrefix);
            if (UpperCase(StringView(name).substr(0, prefix.size())) != prefix) continue;
            ui::ComboBox* list = PortListOf(type);
            list->AddItem(name);
            list->SetItemIndex(0);
            break;
        }
    }
    if (!cbPortList->Items().empty()) cbPortList->SetItemIndex(0);
}

void TfrmMain::PushPrinterListToList() {
    cbPrintList->Clear();
    cbPrintList->SetItems(SysPrint->GetSystemPrintList());
    if (!cbPrintList->Items().empty()) cbPrintList->SetItemIndex(0);
}
