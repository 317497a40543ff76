// The model page and the model table behind its list.
#include "base/Errors.h"
#include "config/untIni.h"
#include "install/Preflight.h"
#include "install/untModels.h"
#include "session/InstallLog.h"
#include "session/PrintModel.h"
#include "shell/untMain.h"

void TfrmMain::LoadModelTable() {
    PrintModel = IniOptions->GetAllIdentValue(u"model_POS");
    ProgramKit kit;
    preflight::Models models = preflight::ModelTableOf(kit);
    // The list shows the models up to a short line; the table keeps a place for every line.
    for (const TPrintModelInfo& entry : models.table)
        chkPrintSelect->AddItem(entry.PrintName);
    const std::size_t listed = models.table.size();
    PrintModelInfo = std::move(models.table);
    PrintModelInfo.resize(PrintModel.size());
    if (!models.finding) return;
    // The short line's entry has the pieces it has, as the table was filling it.
    const StringList pieces = CutModelLine(PrintModel[listed]);
    TPrintModelInfo& entry = PrintModelInfo[listed];
    if (!pieces.empty()) entry.PrintName = pieces[0];
    if (pieces.size() > 1) entry.VID = pieces[1];
    installlog::BeginRun(u"wizard (start-up)", KitVersionForLog());
    installlog::EndRun(u"the model list stops early: " + models.finding->Summary());
    throw EListError(models.finding->error);
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
