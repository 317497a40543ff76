#include "config/CaptionKeys.h"
#include "config/ValueForms.h"
#include "config/untIni.h"
#include "install/PrintModel.h"
#include "platform/Dialogs.h"
#include "shell/untMain.h"

const std::array<std::array<std::int32_t, 4>, 4> PagePort = {{
    {0, 1, 6, 2},  // NET: welcome, connection, model, address
    {0, 1, -1, 3}, // USB: welcome, connection, USB page
    {0, 1, 6, 4},  // RS232
    {0, 1, 6, 5},  // LPT
}};
TEnumPort EnumPort = TEnumPort::NET;
std::int32_t pageNo = 0;

namespace {
std::int32_t PageAt(std::int32_t step) {
    return PagePort[static_cast<size_t>(EnumPort)][static_cast<size_t>(step)];
}
} // namespace

void TfrmMain::rbNetClick(ui::Control* Sender) {
    if (Sender == rbNet) {
        EnumPort = TEnumPort::NET;
    } else if (Sender == rbUsb) {
        cbUSB->SetEnabled(StrToBool(IniOptions->GetIdentValue(u"CONFIG", u"USBPortSelect")));
        EnumPort = TEnumPort::USB;
    } else if (Sender == rbRs232) {
        EnumPort = TEnumPort::RS232;
    } else if (Sender == rbLPT) {
        EnumPort = TEnumPort::LPT;
    }
    PushPortListToList();
}

void TfrmMain::btnNextClick(ui::Control* Sender) {
    const bool forward = Sender == btnNext;
    if (forward) {
        btnPrevious->SetEnabled(true);
        if (pcPage->ActivePage() == tbsDriveNameSelect) {
            int chosen = -1;
            for (int i = 0; i < chkPrintSelect->Count() && chosen < 0; ++i)
                if (chkPrintSelect->Checked(i)) chosen = i;
            if (chosen < 0) {
                Dialogs::Get().MessageBox(CaptionText(LCaption, u"CAPTION_26"),
                                          CaptionText(LCaption, u"CAPTION_8"),
                                          mb::OK | mb::ICONINFORMATION);
                return;
            }
            PrintSetupInfo.PrintName = chkPrintSelect->Item(chosen);
        }
        ++pageNo;
        if (pageNo <= 3 && PageAt(pageNo) == -1) ++pageNo;
        if (pageNo >= 3) {
            pageNo = 3;
            btnNext->SetEnabled(false);
            btnStartInstall->SetEnabled(true);
        }
    } else {
        btnNext->SetEnabled(true);
        btnStartInstall->SetEnabled(false);
        --pageNo;
        if (pageNo >= 0 && PageAt(pageNo) == -1) --pageNo;
        if (pageNo <= 0) {
            pageNo = 0;
            btnPrevious->SetEnabled(false);
        }
    }
    ui::TabSheet* const left = pcPage->ActivePage();
    pcPage->SetActivePageIndex(PageAt(pageNo));
    // A search's result holds for the visit of the USB page it was made on.
    if (pcPage->ActivePage() != left) usbSearchAccepted_ = false;
    if (forward && pcPage->ActivePage() == tbsUSB &&
        StrToInt(IniOptions->GetIdentValue(u"CONFIG", u"USBPortAutoInstall")) == 1)
        btnFindUSBClick(nullptr);
    if (forward && pcPage->ActivePage() == tbsNet) meText->SetFocus();
    pbSchedule->SetPosition(pageNo);
}
