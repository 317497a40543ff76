// The main window's controls that a row of the connection or language table names, and the
// connection and port the user chose with them.
#include <stdexcept>

#include "shell/untMain.h"

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
