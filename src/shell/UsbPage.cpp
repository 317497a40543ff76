// The USB page's search button: the search, and its outcome on the main window.
#include "base/Scoped.h"
#include "config/CaptionKeys.h"
#include "config/untIni.h"
#include "dialogs/untWait.h"
#include "printing/untFuction.h"
#include "session/PrintModel.h"
#include "shell/untMain.h"
#include "usb/untUsbSearch.h"

void TfrmMain::btnFindUSBClick(ui::Control*) {
    ReentryGuard running(usbSearchRunning_); // a click while the search pumps messages
    if (!running) return;
    progress_.LoggedRun(u"wizard (USB search)", [this] { return FindUsbPrinter(); });
}

String TfrmMain::FindUsbPrinter() {
    auto text = [](const CaptionKey& key) { return CaptionText(LCaption, key); };

    usbSearchAccepted_ = false;
    // Nothing may stay disabled or open after a failed search; the dispatcher shows why.
    OnError restore([this] {
        SetEnabled(true);
        btnFindUSB->SetEnabled(true);
        frmWait->Close();
    });
    SetEnabled(false);
    btnStartInstall->SetEnabled(false);
    rbUsb->SetChecked(true);
    btnFindUSB->SetEnabled(false);
    PushPortListToList();

    const UsbSearchResult found = SearchUsbPrinter(cbUSB->Items(), PrintModelInfo, progress_);
    if (found.portIndex) {
        cbUSB->SetItemIndex(*found.portIndex);
        PrintSetupInfo = found.model;
    }

    SetEnabled(true);
    progress_.Log(text(caption::kUsbSearchDone));
    progress_.Finish();
    btnFindUSB->SetEnabled(true);

    const String title = text(caption::kMessageTitle);
    if (!found.accepted) {
        progress_.Log(text(caption::kUsbNotFound));
        progress_.Status(text(caption::kUsbNotFoundStatus));
        progress_.Message(title, text(caption::kUsbNotFound), Notice::Information);
        lblUSBPrompt->SetCaption(text(caption::kUsbNotFoundPrompt));
        btnStartInstall->SetEnabled(false);
        btnFindUSB->SetFocus(); // the next step is another search
    } else {
        const String shown = text(caption::kUsbFound) + PrintSetupInfo.PrintName;
        const String P = cbUSB->Text();
        progress_.Log(shown + u"," + P);
        progress_.Status(shown + u":" + P);
        progress_.Message(title, shown + u"," + P, Notice::Information);
        lblUSBPrompt->SetCaption(shown + u"," + P);
        // The main window is usable while the box is up, so the user may have left the USB
        // page by now; the install button belongs to the last page only.
        btnStartInstall->SetEnabled(pcPage->ActivePage() == tbsUSB);
        usbSearchAccepted_ = pcPage->ActivePage() == tbsUSB;
        if (usbSearchAccepted_) btnStartInstall->SetFocus(); // Enter installs
    }
    WaitTime(200);
    progress_.End();
    return found.accepted ? u"found " + PrintSetupInfo.PrintName + u" on " + cbUSB->Text()
                          : String(u"no printer of the kit found");
}
