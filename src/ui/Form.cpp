#include "ui/Form.h"

#include <algorithm>
#include <climits>
#include <functional>

namespace ui {

Form::Form(String name, int clientWidth, int clientHeight)
    : Control(std::move(name), nullptr, {0, 0, clientWidth, clientHeight}) {
    Control::SetVisible(false);
    Font f;
    f.face = u"Tahoma";
    f.height = 11; // 8 points at 96 DPI
    SetFont(f);
}

Form::~Form() {
    // Peers refer to their controls: let them go first.
    for (auto& c : owned_) c->DetachPeer();
    DetachPeer();
}

std::vector<Control*> Form::AllControls() const {
    std::vector<Control*> all;
    all.reserve(owned_.size());
    for (const auto& c : owned_) all.push_back(c.get());
    return all;
}

Control* Form::FindControl(StringView name) const {
    for (const auto& c : owned_)
        if (c->Name() == name) return c.get();
    return nullptr;
}

void Form::Realize() {
    if (realized_) return;
    realized_ = true;
    if (WindowBackend::Installed()) WindowBackend::Get().Realize(*this);
    if (OnCreate) OnCreate(this);
}

void Form::Show() {
    if (Visible()) return;
    closeRequested_ = false;
    // The form appears even when its show handler fails; the error goes on to the caller.
    struct Appear {
        Form& f;
        ~Appear() {
            if (!f.closeRequested_ && !f.destroyed_) f.Control::SetVisible(true);
        }
    } appear{*this};
    if (OnShow) OnShow(this);
}

void Form::Hide() { Control::SetVisible(false); }

void Form::Close() {
    CloseAction action = CloseAction::Hide;
    if (OnClose) OnClose(this, action);
    if (action == CloseAction::None) return;
    closeRequested_ = true;
    if (modal_ && modalResult_ == 0) modalResult_ = 2 /* cancel */;
    Hide();
    if (action == CloseAction::Free) Destroy();
}

int Form::ShowModal() {
    modalResult_ = 0;
    modal_ = true;
    Realize();
    if (WindowBackend::Installed()) {
        WindowBackend::Get().RunModal(*this);
    } else {
        Show();
    }
    modal_ = false;
    Hide();
    return modalResult_;
}

void Form::SetModalResult(int result) {
    modalResult_ = result;
    Notify(Change::Visible);
}

void Form::Destroy() {
    if (destroyed_) return;
    destroyed_ = true;
    if (OnDestroy) OnDestroy(this);
    if (realized_ && WindowBackend::Installed()) WindowBackend::Get().Destroy(*this);
}

void Form::PressEscape() {
    for (const auto& c : owned_)
        if (auto* b = dynamic_cast<Button*>(c.get()); b && b->isCancel && b->Enabled() && b->Visible()) {
            b->Click();
            return;
        }
}

void Form::PressEnter() {
    for (const auto& c : owned_)
        if (auto* b = dynamic_cast<Button*>(c.get()); b && b->isDefault && b->Enabled() && b->Visible()) {
            b->Click();
            return;
        }
}

void Form::FocusChanged(Control* control) { focused_ = control; }

namespace {

bool TakesInput(const Control& c) {
    if (!c.Visible() || !c.Enabled()) return false;
    if (const auto* radio = dynamic_cast<const RadioButton*>(&c)) {
        // Tab enters a group at its checked button; with none checked, at its tab stop.
        bool anyChecked = false;
        for (const RadioButton* member : radio->Group().members)
            anyChecked = anyChecked || (member->Checked() && member->Visible());
        return anyChecked ? radio->Checked() : radio->TabStop();
    }
    return dynamic_cast<const Button*>(&c) || dynamic_cast<const MaskEdit*>(&c) ||
           dynamic_cast<const ComboBox*>(&c) || dynamic_cast<const CheckListBox*>(&c) ||
           (dynamic_cast<const Memo*>(&c) && c.TabStop());
}

Control* FirstInput(const Control& container) {
    // The backend's tab order: by tab order, then as made.
    std::vector<Control*> held = container.Children();
    auto key = [](const Control* c) { return c->TabOrder() >= 0 ? c->TabOrder() : INT_MAX; };
    std::stable_sort(held.begin(), held.end(),
                     [&key](const Control* a, const Control* b) { return key(a) < key(b); });
    for (Control* c : held) {
        if (TakesInput(*c)) return c;
        if (c->Visible() && c->Enabled())
            if (Control* inner = FirstInput(*c)) return inner;
    }
    return nullptr;
}

} // namespace

bool FocusFirstInput(Control& container) {
    Control* first = FirstInput(container);
    if (first) first->SetFocus();
    return first != nullptr;
}

} // namespace ui
