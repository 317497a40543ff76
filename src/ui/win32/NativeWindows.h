#pragma once
// Inside the Windows backend: the native side of a form and of each of its controls.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"
#include "ui/Form.h"

namespace win32ui {

// The window property "WizName": a counted global atom holding the control's name, by which
// the end-to-end driver finds windows across processes. Given back when the window goes.
class WindowName {
  public:
    WindowName(HWND hwnd, const String& name);
    ~WindowName();
    WindowName(const WindowName&) = delete;
    WindowName& operator=(const WindowName&) = delete;

  private:
    HWND hwnd_;
    ATOM atom_;
};

struct IconCloser {
    void operator()(HICON h) const { ::DestroyIcon(h); }
};
using Icon = UniqueHandle<HICON, IconCloser, nullptr>;

class FormWindow;

// What a control's window is made of: a system class (subclassed) or one of ours.
struct WindowSpec {
    const wchar_t* windowClass;
    DWORD style = 0;
    DWORD exStyle = 0;
};

// The native window of one control, the part every kind shares. Each kind of control has its
// own peer (Peers.h) that adds its window's class and style, the model's changes it shows and
// the input it turns into calls on the model. Owned by its control; the window itself goes
// with the form's top-level window.
class NativeControl : public ui::Peer {
  public:
    NativeControl(FormWindow& form, ui::Control& control);
    ~NativeControl() override;
    NativeControl(const NativeControl&) = delete;
    NativeControl& operator=(const NativeControl&) = delete;

    void Create(HWND parent, int id);
    // Font changes also bring the sizes that depend on the font (and on the DPI) up to date.
    void Changed(ui::Change what) final;

    // A message to the control's own window; true when handled, with `result` set.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A notification the control sent to its parent (WM_COMMAND code).
    virtual void OnCommand(WORD /*code*/) {}
    HBRUSH OnColor(HDC dc);
    // WM_DRAWITEM of an owner-drawn control; false when the control draws itself.
    virtual bool DrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
    // The window went away before the peer (the system destroyed it).
    void WindowGone();
    // Runs `make` when the control is first shown, before it appears: a control hidden when
    // its form was realized gets its window (or its children theirs) only then.
    void WhenFirstShown(std::function<void()> make) { whenShown_ = std::move(make); }

    // Enter or Esc that the focused control needs for itself, not for the dialog.
    virtual bool KeepsKey(WPARAM /*key*/) const { return false; }
    // A push button: Enter on it presses it.
    virtual bool IsPushButton() const { return false; }
    virtual bool IsDefaultButton() const { return false; }
    // The group of a radio button, whose run of buttons is one dialog group.
    virtual const ui::RadioGroup* RadioGroupOf() const { return nullptr; }

    HWND hwnd = nullptr;
    ui::Control& control;
    FormWindow& form;

  protected:
    virtual WindowSpec Spec(HWND parent) const = 0;
    // Right after the window is made, before the model's state is applied.
    virtual void Created() {}
    // The changes only some kinds show (items, marks, range, lines ...).
    virtual void Apply(ui::Change /*what*/) {}
    virtual void ApplyText();
    virtual void ApplyFont();
    virtual void ApplyEnabled();
    // The window's rectangle in its parent at the form's DPI.
    virtual RECT TargetRect();
    virtual bool OnOwnMessage(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                              LRESULT& /*result*/) {
        return false;
    }
    void ApplyBounds();
    RECT ScaledBounds(const ui::Rect& b) const;
    // A new window taking the model's whole state: its bounds come last, after everything
    // they depend on.
    bool ApplyingAll() const { return applyingAll_; }

  private:
    void ApplyAll();
    void ApplyVisible();
    void MoveFocusAway();

    std::unique_ptr<WindowName> name_;
    std::function<void()> whenShown_;
    bool subclassed_ = false;
    bool applyingAll_ = false; // the new window takes the model's state
};

// A peer that knows its model's own type.
template <class Model> class PeerOf : public NativeControl {
  public:
    PeerOf(FormWindow& f, Model& m) : NativeControl(f, m), model(m) {}

  protected:
    Model& model;
};

// The peer of a control, of the control's own kind.
std::unique_ptr<NativeControl> MakePeer(FormWindow& form, ui::Control& control);

// The top-level window of a form: its fonts, its DPI and its controls.
class FormWindow final : public ui::Peer {
  public:
    explicit FormWindow(ui::Form& form);
    ~FormWindow() override;

    void Create(HWND owner);
    void Changed(ui::Change what) override;

    int Scale(int value) const { return MulDiv(value, dpi, 96); }
    // The model's font of a control, resolved against the form's font and scaled.
    HFONT FontOf(const ui::Control& control);
    void Rescale(int newDpi, const RECT* suggested);
    // The window of the model's focused control while the user can focus it, else null.
    HWND ModelFocusWindow() const;
    bool ModelFocusDiffersFrom(HWND focus) const;
    // Puts the focus where the model has it, or on the first tab stop.
    void RestoreFocus();
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void WindowGone();
    // Runs `make` when the form is first shown, before it appears (its controls' windows).
    void WhenFirstShown(std::function<void()> make) { whenShown_ = std::move(make); }

    ui::Form& form;
    HWND hwnd = nullptr;
    int dpi = 96;
    std::vector<NativeControl*> controls; // in creation order; owned by their controls
    int nextId = 100;                     // of the next control's window
    bool hasDefaultButton = false;

  private:
    void Center();
    SIZE WindowSizeForClient() const;
    // The window resized (not moved) to hold the model's client size at the current DPI.
    void FitToClient();

    std::unique_ptr<WindowName> name_;
    std::function<void()> whenShown_;
    using FontKey = std::tuple<String, int, bool, bool>;
    std::map<FontKey, GdiObject> fonts_;
};

// Lookup of our windows by handle (one user-interface thread).
NativeControl* ControlOf(HWND hwnd);
FormWindow* FormOf(HWND hwnd);
void Register(HWND hwnd, NativeControl* control);
void Register(HWND hwnd, FormWindow* form);
void Unregister(HWND hwnd);

// A window procedure's own handling of a message, `handle(result)` returning whether it handled
// it. An error ends the message (handled, with 0) and shows the standard error box, as an
// event's error does: no exception may cross into the system's code that called the procedure.
bool HandleGuarded(const std::function<bool(LRESULT&)>& handle, LRESULT& result);

// WM_COMMAND, WM_DRAWITEM and WM_CTLCOLOR* that controls send to whichever window holds
// them: the form, a page, a panel or a group box.
bool OnChildNotification(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

int SystemDpi();
int WindowDpi(HWND hwnd);

// Assistive technology (AccessibleObject.cpp): the answer to WM_GETOBJECT for the control's
// client object, 0 where the system's accessibility library is missing; an event about one
// of the control's items (a check list's model), `item` counted from 0.
LRESULT AnswerGetObject(NativeControl& control, WPARAM wParam);
void NotifyItemEvent(HWND hwnd, DWORD event, int item);

// With a high-contrast theme on, the colours the program chose give way to the system's.
bool HighContrast();
// The colour to draw a control's text in: its own, or the system's `systemColor`; in high
// contrast always the system's (the link colour for an underlined, clickable text).
COLORREF TextColorOf(const ui::Control& control, int systemColor);

// Drawing helpers (Drawing.cpp).
void DrawCheckBox(HWND hwnd, HDC dc, const RECT& box, bool checked, bool enabled);
// The picture scaled to `width` x `height` (area average) and laid over `background`
// (0x00RRGGBB); a picture without any alpha counts its bottom-left colour (and colours very
// near it) as transparent when `keyBottomLeft`.
std::vector<std::uint32_t> ComposePicture(const ui::Bitmap& picture, int width, int height,
                                          std::uint32_t background, bool keyBottomLeft);
Icon MakeCancelGlyph(int size);

extern const wchar_t kFormClass[];
extern const wchar_t kContainerClass[];
extern const wchar_t kImageClass[];

} // namespace win32ui
