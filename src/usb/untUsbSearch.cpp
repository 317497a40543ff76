#include "config/CaptionKeys.h"
#include "config/untIni.h"
#include "dialogs/untWait.h"
#include "install/PrintModel.h"
#include "platform/Dialogs.h"
#include "platform/MessagePump.h"
#include "printing/untFuction.h"
#include "shell/untMain.h"
#include "usb/UsbAnswer.h"
#include "usb/untUsbDLLinitalize.h"

namespace {

void Pump() { MessagePump::Get().ProcessMessages(); }

} // namespace

void TfrmMain::btnFindUSBClick(ui::Control*) {
    if (usbSearchRunning_) return; // a click while the search pumps messages
    usbSearchRunning_ = true;
    struct Running {
        bool& flag;
        ~Running() { flag = false; }
    } running{usbSearchRunning_};

    const String own = IniOptions->GetCaptionLanguage();
    auto text = [](const char16_t* key) { return CaptionText(LCaption, key); };
    auto log = [](const String& line) { frmWait->mmoWait->Append(line); };
    auto step = [] { frmWait->pbWait->StepIt(); };

    usbSearchAccepted_ = false;
    try {
        SetEnabled(false);
        btnStartInstall->SetEnabled(false);

        frmWait->Show();
        frmWait->SetCaption(CaptionText(own, u"Caption_17"));
        frmWait->Label1->SetCaption(CaptionText(own, u"Caption_28"));
        frmWait->BitBtn1->SetCaption(CaptionText(own, u"Caption_51"));
        Pump();
        frmWait->BitBtn1->SetEnabled(false);
        frmWait->pbWait->SetMax(8);
        frmWait->pbWait->SetStep(1);
        frmWait->pbWait->SetMin(0);
        frmWait->pbWait->SetPosition(0);

        rbUsb->SetChecked(true);
        StatusBar1->SetPanelText(1, CaptionText(own, u"Caption_38"));
        rbUsb->SetChecked(true);
        btnFindUSB->SetEnabled(false);

        PushPortListToList();
        Pump();

        log(text(u"CAPTION_41"));
        step();
        // Room past the 255 bytes the library is promised, so a library that writes too much
        // cannot overwrite anything of ours; only the first 255 bytes are read.
        std::string UsbName(4096, '\0');
        std::int32_t tCount = 0;
        log(text(u"CAPTION_40"));
        step();

        // Without the entry point nothing can be found: the same as no printer.
        if (Fuc_GetUSBPortNameList) Fuc_GetUSBPortNameList(UsbName.data(), &tCount);
        bool FindOk = false;
        const String tstr = UsbAnswerText(UsbName.data(), 255);

        if (tCount > 0) {
            log(text(u"CAPTION_39"));
            step();
            Pump();
            const std::vector<UsbPrinterEntry> printers = ParseUsbAnswer(tstr, tCount);
            for (const UsbPrinterEntry& p : printers) {
                log(u"   " + p.port + u"," + p.vid + u"," + p.pid);
                log(u"   " + p.text + u"," + p.text + u"," + p.text);
            }
            log(text(u"CAPTION_38"));
            step();

            for (int item = 0; item < static_cast<int>(cbUSB->Items().size()) && !FindOk; ++item) {
                const String port = cbUSB->Items()[static_cast<size_t>(item)];
                for (const UsbPrinterEntry& p : printers) {
                    if (FindOk) break;
                    if (p.port != port) continue;
                    for (const TPrintModelInfo& model : PrintModelInfo) {
                        if (model.VID != p.vid || model.PID != p.pid) continue;
                        cbUSB->SetItemIndex(item);
                        PrintSetupInfo = model;
                        PrintSetupInfo.PrintPort = cbUSB->Text();
                        const String wanted =
                            UpperCase(Trim(IniOptions->GetIdentValue(u"CONFIG", u"PrintName")));
                        log(text(u"CAPTION_37") + PrintSetupInfo.PrintName);
                        const bool accepted =
                            wanted.empty()
                                ? IniOptions->GetIdentValue(u"CONFIG", u"USBModelWindow") == u"1"
                                : UpperCase(model.PrintName) == wanted;
                        if (accepted) {
                            log(text(u"CAPTION_36") + PrintSetupInfo.PrintName);
                            FindOk = true;
                            break;
                        }
                    }
                }
            }
        }

        SetEnabled(true);
        log(text(u"CAPTION_35"));
        frmWait->pbWait->SetPosition(frmWait->pbWait->Max());
        btnFindUSB->SetEnabled(true);

        const String title = text(u"CAPTION_8");
        if (!FindOk) {
            log(text(u"CAPTION_25"));
            StatusBar1->SetPanelText(1, text(u"CAPTION_24"));
            Dialogs::Get().MessageBox(text(u"CAPTION_25"), title, mb::OK | mb::ICONINFORMATION);
            lblUSBPrompt->SetCaption(text(u"CAPTION_23"));
            btnStartInstall->SetEnabled(false);
        } else {
            const String found = text(u"CAPTION_27") + PrintSetupInfo.PrintName;
            const String P = cbUSB->Text();
            log(found + u"," + P);
            StatusBar1->SetPanelText(1, found + u":" + P);
            Dialogs::Get().MessageBox(found + u"," + P, title, mb::OK | mb::ICONINFORMATION);
            lblUSBPrompt->SetCaption(found + u"," + P);
            // The main window is usable while the box is up, so the user may have left the USB
            // page by now; the install button belongs to the last page only.
            btnStartInstall->SetEnabled(pcPage->ActivePage() == tbsUSB);
            usbSearchAccepted_ = pcPage->ActivePage() == tbsUSB;
        }
        WaitTime(200);
        frmWait->Close();
    } catch (...) {
        // Nothing may stay disabled or open after a failed search; the dispatcher shows why.
        SetEnabled(true);
        btnFindUSB->SetEnabled(true);
        frmWait->Close();
        throw;
    }
}
