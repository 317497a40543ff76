// The model page and the model table behind its list.
#include "base/Errors.h"
#include "config/untIni.h"
#include "install/untModels.h"
#include "session/PrintModel.h"
#include "shell/untMain.h"

void TfrmMain::LoadModelTable() {
    PrintModel = IniOptions->GetAllIdentValue(u"model_POS");
    PrintModelInfo.assign(PrintModel.size(), TPrintModelInfo{});
    for (size_t i = 0; i < PrintModel.size(); ++i) {
        const StringList pieces = CutModelLine(PrintModel[i]);
        auto piece = [&](size_t k) -> const String& {
            if (k >= pieces.size())
                throw EListError(u"List index out of bounds (" + IntToStr(static_cast<int>(k)) + u")");
            return pieces[k];
        };
        TPrintModelInfo& entry = PrintModelInfo[i];
        entry.PrintName = piece(0);
        entry.VID = piece(1);
        entry.PID = piece(2);
        chkPrintSelect->AddItem(entry.PrintName);
    }
}

void TfrmMain::tbsDriveNameSelectShow(ui::Control*) {
    for (int i = 0; i < chkPrintSelect->Count(); ++i) chkPrintSelect->SetChecked(i, false);
    listCheckNum = 0;
    const String wanted = UpperCase(Trim(IniOptions->GetIdentValue(u"CONFIG", u"PrintName")));
    if (wanted.empty()) return; // no default model
    for (int i = 0; i < chkPrintSelect->Count(); ++i) {
        if (UpperCase(Trim(chkPrintSelect->Item(i))) == wanted) {
            chkPrintSelect->SetChecked(i, true);
            listCheckNum = i;
        }
    }
}

void TfrmMain::lstCheck() {
    const int count = chkPrintSelect->Count();
    if (count == 0) return;
    if (chkPrintSelect->ItemIndex() < 0) chkPrintSelect->SetItemIndex(count - 1);
    const int c = chkPrintSelect->ItemIndex();
    const bool s = chkPrintSelect->Checked(c);
    if (listCheckNum >= 0 && listCheckNum < count) chkPrintSelect->SetChecked(listCheckNum, false);
    listCheckNum = c;
    chkPrintSelect->SetChecked(c, !s);
}

void TfrmMain::chkPrintSelectClick(ui::Control*) { lstCheck(); }
