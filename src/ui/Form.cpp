#include "ui/Form.h"

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

} // namespace ui
