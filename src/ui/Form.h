#pragma once
// A top-level window that owns its controls.
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "ui/Controls.h"

namespace ui {

enum class CloseAction : std::uint8_t { None, Hide, Free };
enum class FormPosition : std::uint8_t { ScreenCenter, OwnerCenter };

class Form : public Control {
public:
    // `clientWidth` x `clientHeight` is the client area in 96-DPI pixels.
    Form(String name, int clientWidth, int clientHeight);
    ~Form() override;

    template <class T, class... Args> T* Add(Args&&... args) {
        auto control = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = control.get();
        owned_.push_back(std::move(control));
        return raw;
    }
    // Every control of the form, in creation order.
    std::vector<Control*> AllControls() const;
    Control* FindControl(StringView name) const;

    bool minimizeBox = false;
    FormPosition position = FormPosition::ScreenCenter;
    Form* owner = nullptr; // centred on it, kept above it

    // Creates the native windows through the installed backend (nothing without one), then
    // runs OnCreate while the form is still invisible.
    void Realize();

    // Becomes visible; OnShow runs just before, on the change from hidden only. A form the
    // show handler closed stays hidden.
    void Show();
    void Hide();
    // Asks to close: OnClose chooses what happens (hide by default).
    void Close();
    // Shown modally until ModalResult is set or the form is closed; returns the result.
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result);

    // Tells the backend to destroy the native windows; OnDestroy runs.
    void Destroy();

    // The Esc key: presses the form's cancel button, only while it is visible and enabled.
    void PressEscape();
    // The Enter key: presses the form's default button, likewise.
    void PressEnter();

    Control* FocusedControl() const { return focused_; }
    void FocusChanged(Control* control); // the backend reports the user's focus moves

    Event OnCreate;
    Event OnShow;
    std::function<void(Control* sender, CloseAction& action)> OnClose;
    Event OnDestroy;

private:
    friend class Control;
    std::vector<std::unique_ptr<Control>> owned_;
    Control* focused_ = nullptr;
    bool realized_ = false;
    bool modal_ = false;
    bool destroyed_ = false;
    bool closeRequested_ = false; // a close asked for while the show handler ran
    int modalResult_ = 0;
};

// Gives the focus to the first control inside `container`, in the tab order, that takes
// input (a radio group at its checked button); false when it holds none.
bool FocusFirstInput(Control& container);

// The window system's side of forms. The Windows backend makes real windows; the headless
// one keeps only the model.
class IWindowBackend {
public:
    virtual ~IWindowBackend() = default;
    virtual void Realize(Form& form) = 0;
    virtual void Destroy(Form& form) = 0;
    // Shows the form modally and returns once its ModalResult is set or it was closed.
    virtual void RunModal(Form& form) = 0;
};

} // namespace ui

#include "platform/Service.h"
using WindowBackend = Service<ui::IWindowBackend>;
