#include "config/CaptionKeys.h"
#include "config/ValueForms.h"
#include "config/untIni.h"
#include "platform/Dialogs.h"
#include "session/PrintModel.h"
#include "shell/untMain.h"

TEnumPort EnumPort = TEnumPort::NET;
std::int32_t pageNo = 0;

namespace {

// The page shown at a step of the chosen connection type: welcome, connection, model (skipped,
// -1, where a search chooses the model) and the type's port page.
std::int32_t PageAt(std::int32_t step) {
    const ConnectionType& type = ConnectionOf(EnumPort);
    switch (step) {
    case 0:
        return 0;
    case 1:
        return 1;
    case 2:
        return type.modelFromSearch ? -1 : 6;
    default:
        return type.pageIndex;
    }
}

} // namespace

void TfrmMain::rbNetClick(ui::Control* Sender) {
    if (const ConnectionType* type = Sender ? ConnectionOfRadio(Sender->Name()) : nullptr) {
        if (type->portListSwitch)
            PortListOf(*type)->SetEnabled(
                StrToBool(IniOptions->GetIdentValue(u"CONFIG", type->portListSwitch)));
        EnumPort = type->kind;
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
                Dialogs::Get().MessageBox(CaptionText(LCaption, caption::kNoModelChosen),
                                          CaptionText(LCaption, caption::kMessageTitle),
                                          mb::OK | mb::ICONINFORMATION);
                chkPrintSelect->SetFocus(); // where a model is marked
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
    // Keys go on where the page asks for input; before the search, which moves it itself.
    if (pcPage->ActivePage() != left) ui::FocusFirstInput(*pcPage->ActivePage());
    if (forward && pcPage->ActivePage() == tbsUSB &&
        StrToInt(IniOptions->GetIdentValue(u"CONFIG", u"USBPortAutoInstall")) == 1)
        btnFindUSBClick(nullptr);
    pbSchedule->SetPosition(pageNo);
}
