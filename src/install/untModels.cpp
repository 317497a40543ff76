#include "base/Errors.h"
#include "config/ValueForms.h"
#include "config/untIni.h"
#include "install/PrintModel.h"
#include "shell/untMain.h"

std::vector<TPrintModelInfo> PrintModelInfo;
StringList PrintModel;
TPrintModelInfo PrintSetupInfo;
int listCheckNum = 0;

StringList CutModelLine(StringView line) {
    StringList pieces;
    const size_t n = line.size();
    size_t i = 0;
    auto separates = [](char16_t c) { return c == u',' || c == u'\r' || c == u'\n'; };
    while (i < n) {
        while (i < n && (line[i] == u' ' || line[i] == u'\r' || line[i] == u'\n')) ++i;
        if (i >= n) break;
        String piece;
        while (i < n && !separates(line[i])) {
            const char16_t c = line[i];
            if (c == u'"' || c == u'\'') {
                // A quoted stretch keeps its quotes and its commas.
                const size_t close = line.find(c, i + 1);
                const size_t end = close == StringView::npos ? n : close + 1;
                piece.append(line.substr(i, end - i));
                i = end;
            } else {
                piece += c;
                ++i;
            }
        }
        if (i < n) ++i; // the separator
        if (!piece.empty()) pieces.push_back(std::move(piece));
    }
    return pieces;
}

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
