// The main window's side of the long operations: their progress on the wait dialog and the
// status bar.
#include "dialogs/untWait.h"
#include "platform/Dialogs.h"
#include "shell/untMain.h"

void MainWindowProgress::Open(const String& caption, const String& heading,
                              const std::optional<String>& button) {
    frmWait->Show();
    frmWait->SetCaption(caption);
    frmWait->Label1->SetCaption(heading);
    if (button) frmWait->BitBtn1->SetCaption(*button);
}

void MainWindowProgress::Close() {
    frmWait->Close();
}

void MainWindowProgress::ClearLog() {
    frmWait->mmoWait->Clear();
}

void MainWindowProgress::Log(const String& line) {
    frmWait->mmoWait->Append(line);
}

void MainWindowProgress::Steps(int count) {
    ui::ProgressBar& bar = *frmWait->pbWait;
    bar.SetMax(count);
    bar.SetStep(1);
    bar.SetMin(0);
    bar.SetPosition(0);
}

void MainWindowProgress::Step() {
    frmWait->pbWait->StepIt();
}

void MainWindowProgress::Finish() {
    frmWait->pbWait->SetPosition(frmWait->pbWait->Max());
}

void MainWindowProgress::Cancellable(bool enabled) {
    frmWait->BitBtn1->SetEnabled(enabled);
}

void MainWindowProgress::Status(const String& text) {
    main_.StatusBar1->SetPanelText(1, text);
}

int MainWindowProgress::Ask(const String& title, const String& text, std::uint32_t flags) {
    return Dialogs::Get().MessageBox(text, title, flags);
}

void MainWindowProgress::Busy(bool busy) {
    main_.btnStartInstall->SetEnabled(!busy);
    main_.SetEnabled(!busy);
    frmWait->BitBtn1->SetEnabled(!busy);
}

void MainWindowProgress::Quit() {
    main_.btnQuitClick(nullptr);
}
