#pragma once
// Inside the Windows backend: the native side of a form and of each of its controls.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"
#include "ui/Form.h"

namespace win32ui {

enum class Kind : std::uint8_t {
    Button,
    Label,
    Radio,
    Combo,
    CheckList,
    MaskEdit,
    Memo,
    Progress,
    Status,
    Image,
    Pages,
    Sheet,
    Group,
    Panel
};
Kind KindOf(const ui::Control& control);

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

// The native window of one control. Owned by its control (as its peer); the window itself
// goes with the form's top-level window.
class NativeControl final : public ui::Peer {
  public:
    NativeControl(FormWindow& form, ui::Control& control, Kind kind);
    ~NativeControl() override;

    void Create(HWND parent, int id);
    // Font changes also bring the sizes that depend on the font (and on the DPI) up to date.
    void Changed(ui::Change what) override;

    // A message to the control's own window; true when handled, with `result` set.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A notification the control sent to its parent (WM_COMMAND code).
    void OnCommand(WORD code);
    HBRUSH OnColor(HDC dc);
    void DrawItem(const DRAWITEMSTRUCT& item);
    // The window went away before the peer (the system destroyed it).
    void WindowGone();

    HWND hwnd = nullptr;
    ui::Control& control;
    FormWindow& form;
    const Kind kind;

  private:
    void ApplyAll();
    RECT TargetRect();
    SIZE LabelTextSize(int width);
    void ApplyText();
    void ApplyVisible();
    void ApplyEnabled();
    void ApplyFont();
    void ApplyBounds();
    void ApplyItems();
    void ApplyMarks();
    void ApplyPanels();
    void ApplyLines();
    void ApplyMaskText();
    void MoveFocusAway();
    bool OnMaskEditMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnCheckListMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void PaintImage(HDC dc);
    void PaintContainer(HDC dc);
    int CheckAreaWidth() const;

    std::unique_ptr<WindowName> name_;
    bool subclassed_ = false;
    Icon glyph_;            // the cancel glyph of a button
    size_t shownLines_ = 0; // memo lines already in the window
    int pressedItem_ = -1;  // check list item under a mouse press
    bool pressedOnBox_ = false;
    bool imagePressed_ = false;
    // The picture composed for the window's size: opaque 32-bit rows, top down.
    std::vector<std::uint32_t> composed_;
    SIZE composedSize_{0, 0};
};

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

    ui::Form& form;
    HWND hwnd = nullptr;
    int dpi = 96;
    std::vector<NativeControl*> controls; // in creation order; owned by their controls

  private:
    void Center();
    SIZE WindowSizeForClient() const;
    // The window resized (not moved) to hold the model's client size at the current DPI.
    void FitToClient();

    std::unique_ptr<WindowName> name_;
    using FontKey = std::tuple<String, int, bool, bool>;
    std::map<FontKey, GdiObject> fonts_;
};

// Lookup of our windows by handle (one user-interface thread).
NativeControl* ControlOf(HWND hwnd);
FormWindow* FormOf(HWND hwnd);
void Register(HWND hwnd, NativeControl* control);
void Register(HWND hwnd, FormWindow* form);
void Unregister(HWND hwnd);

// WM_COMMAND, WM_DRAWITEM and WM_CTLCOLOR* that controls send to whichever window holds
// them: the form, a page, a panel or a group box.
bool OnChildNotification(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

int SystemDpi();
int WindowDpi(HWND hwnd);

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
