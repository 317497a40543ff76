// Push buttons, radio buttons and group boxes: the system's button class.
#include "ui/win32/Peers.h"

namespace win32ui {

namespace {

constexpr int kGlyphSide = 16;

class ButtonPeer final : public PeerOf<ui::Button> {
  public:
    using PeerOf::PeerOf;

    bool IsPushButton() const override { return true; }
    bool IsDefaultButton() const override { return model.isDefault; }

    void OnCommand(WORD code) override {
        if (code == BN_CLICKED) model.Click();
    }

  protected:
    WindowSpec Spec(HWND) const override {
        return {WC_BUTTONW, static_cast<DWORD>(
                                WS_TABSTOP | (model.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON))};
    }

    void ApplyFont() override {
        NativeControl::ApplyFont();
        if (!model.cancelGlyph) return;
        Icon glyph = MakeCancelGlyph(form.Scale(kGlyphSide));
        SendMessageW(hwnd, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyph.get()));
        glyph_ = std::move(glyph); // the button has let go of the old one
    }

  private:
    Icon glyph_; // the cancel glyph
};

class RadioPeer final : public PeerOf<ui::RadioButton> {
  public:
    using PeerOf::PeerOf;

    const ui::RadioGroup* RadioGroupOf() const override { return &model.Group(); }

    // The model checks it and unchecks the rest of its group.
    void OnCommand(WORD code) override {
        if (code == BN_CLICKED) model.Click();
    }

  protected:
    WindowSpec Spec(HWND parent) const override {
        // A run of radio buttons of one group is one dialog group: arrows move within it.
        HWND first = GetWindow(parent, GW_CHILD);
        HWND previous = first ? GetWindow(first, GW_HWNDLAST) : nullptr;
        const NativeControl* before = previous ? ControlOf(previous) : nullptr;
        const bool sameRun = before && before->RadioGroupOf() == &model.Group();
        return {WC_BUTTONW, static_cast<DWORD>(BS_RADIOBUTTON | (sameRun ? 0 : WS_GROUP))};
    }

    void Apply(ui::Change what) override {
        if (what != ui::Change::Checked) return;
        const bool checked = model.Checked();
        SendMessageW(hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        // Tab enters a group at its checked button only.
        LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
        style = (checked || control.TabStop()) ? (style | WS_TABSTOP)
                                               : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        SetWindowLongPtrW(hwnd, GWL_STYLE, style);
    }
};

class GroupPeer final : public PeerOf<ui::GroupBox> {
  public:
    using PeerOf::PeerOf;

  protected:
    WindowSpec Spec(HWND) const override {
        return {WC_BUTTONW, BS_GROUPBOX | WS_CLIPCHILDREN | WS_GROUP, WS_EX_CONTROLPARENT};
    }

    bool OnOwnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg == WM_ERASEBKGND) {
            // A group box paints only its frame; with children inside, the rest is ours.
            RECT client;
            GetClientRect(hwnd, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
            result = 1;
            return true;
        }
        return OnChildNotification(msg, wParam, lParam, result);
    }
};

} // namespace

std::unique_ptr<NativeControl> MakeButtonPeer(FormWindow& form, ui::Control& control) {
    return MakeFor<ButtonPeer, ui::Button>(form, control);
}
std::unique_ptr<NativeControl> MakeRadioPeer(FormWindow& form, ui::Control& control) {
    return MakeFor<RadioPeer, ui::RadioButton>(form, control);
}
std::unique_ptr<NativeControl> MakeGroupPeer(FormWindow& form, ui::Control& control) {
    return MakeFor<GroupPeer, ui::GroupBox>(form, control);
}

} // namespace win32ui
