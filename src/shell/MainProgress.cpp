// The main window's side of the long operations: their progress on the wait dialog and the
// status bar, and the connection type the user chose.
#include <stdexcept>

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

namespace {

// A control the connection or language table names; the tables and the window are made
// together, so a name without its control is a fault of the program.
template <class T> T* Named(const ui::Form& form, const char16_t* name) {
    T* control = dynamic_cast<T*>(form.FindControl(name));
    if (!control) throw std::logic_error("no control " + ToUtf8(name));
    return control;
}

} // namespace

ui::RadioButton* TfrmMain::RadioOf(const ConnectionType& type) const {
    return Named<ui::RadioButton>(*this, type.radio);
}

ui::Label* TfrmMain::LabelOf(const ConnectionType& type) const {
    return Named<ui::Label>(*this, type.label);
}

ui::ComboBox* TfrmMain::PortListOf(const ConnectionType& type) const {
    return type.portList ? Named<ui::ComboBox>(*this, type.portList) : nullptr;
}

ui::RadioButton& TfrmMain::LanguageButton(const LanguageInfo& language) const {
    return *Named<ui::RadioButton>(*this, language.radio);
}

const ConnectionType* TfrmMain::ShownConnection() const {
    return ConnectionOfPage(pcPage->ActivePageIndex());
}

String TfrmMain::ChosenPort(const ConnectionType& type) const {
    const ui::ComboBox* list = PortListOf(type);
    return list ? list->Text() : meText->Text();
}
