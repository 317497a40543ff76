// Combo boxes and check list boxes: the system's combo box and an owner-drawn list box.
#include <windowsx.h>

#include <algorithm>

#include "ui/win32/Peers.h"

namespace win32ui {

namespace {

constexpr int kComboListHeight = 160; // the drop-down list below a combo box's field
constexpr int kCheckArea = 19;        // a check list item's box area, from its left edge
constexpr int kCheckBoxSide = 13;

class ComboPeer final : public PeerOf<ui::ComboBox> {
  public:
    using PeerOf::PeerOf;

    // An open drop-down list closes on Enter and Esc.
    bool KeepsKey(WPARAM) const override {
        return SendMessageW(hwnd, CB_GETDROPPEDSTATE, 0, 0) != 0;
    }

    void OnCommand(WORD code) override {
        if (code != CBN_SELCHANGE) return;
        model.SetItemIndex(static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0)));
    }

  protected:
    WindowSpec Spec(HWND) const override {
        return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP};
    }

    void ApplyText() override {} // it shows its items

    void Apply(ui::Change what) override {
        if (what == ui::Change::Items) {
            SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
            for (const String& item : model.Items())
                SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item)));
        }
        if (what == ui::Change::Items || what == ui::Change::ItemIndex)
            SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(model.ItemIndex()), 0);
    }

    RECT TargetRect() override {
        RECT r = NativeControl::TargetRect();
        r.bottom += form.Scale(kComboListHeight);
        return r;
    }
};

class CheckListPeer final : public PeerOf<ui::CheckListBox> {
  public:
    using PeerOf::PeerOf;

    void OnCommand(WORD code) override {
        if (code != LBN_SELCHANGE) return;
        model.SetItemIndex(static_cast<int>(SendMessageW(hwnd, LB_GETCURSEL, 0, 0)));
    }

    bool DrawItem(const DRAWITEMSTRUCT& item) override;

  protected:
    WindowSpec Spec(HWND) const override {
        return {WC_LISTBOXW,
                LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                    WS_VSCROLL | WS_TABSTOP | WS_GROUP,
                WS_EX_CLIENTEDGE};
    }

    void ApplyText() override {} // it shows its items

    void ApplyEnabled() override {
        NativeControl::ApplyEnabled();
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    void ApplyFont() override {
        NativeControl::ApplyFont();
        int height = model.itemHeight;
        if (height > 0) {
            height = form.Scale(height);
        } else {
            TEXTMETRICW tm{};
            const WindowDC dc(hwnd);
            const SelectedObject font(dc.get(), form.FontOf(control));
            GetTextMetricsW(dc.get(), &tm);
            height = tm.tmHeight + form.Scale(2);
        }
        SendMessageW(hwnd, LB_SETITEMHEIGHT, 0, std::max(height, form.Scale(kCheckBoxSide) + 2));
    }

    void Apply(ui::Change what) override {
        switch (what) {
        case ui::Change::Items:
            SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
            SendMessageW(hwnd, LB_RESETCONTENT, 0, 0);
            for (int i = 0; i < model.Count(); ++i) {
                SendMessageW(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(model.Item(i))));
                SendMessageW(hwnd, LB_SETITEMDATA, static_cast<WPARAM>(i),
                             model.Checked(i) ? 1 : 0);
            }
            SendMessageW(hwnd, LB_SETCURSEL, static_cast<WPARAM>(model.ItemIndex()), 0);
            SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(hwnd, nullptr, TRUE);
            break;
        case ui::Change::ItemIndex:
            SendMessageW(hwnd, LB_SETCURSEL, static_cast<WPARAM>(model.ItemIndex()), 0);
            // A screen reader follows the current model, as in a list of its own.
            if (GetFocus() == hwnd && model.ItemIndex() >= 0)
                NotifyItemEvent(hwnd, EVENT_OBJECT_FOCUS, model.ItemIndex());
            break;
        case ui::Change::Marks:
            // Each item's mark lives in its item data too, where a test driver reads it.
            for (int i = 0; i < model.Count(); ++i) {
                const LRESULT mark = model.Checked(i) ? 1 : 0;
                const bool changed =
                    SendMessageW(hwnd, LB_GETITEMDATA, static_cast<WPARAM>(i), 0) != mark;
                SendMessageW(hwnd, LB_SETITEMDATA, static_cast<WPARAM>(i), mark);
                if (changed) NotifyItemEvent(hwnd, EVENT_OBJECT_STATECHANGE, i);
            }
            InvalidateRect(hwnd, nullptr, TRUE);
            break;
        default:
            break;
        }
    }

    bool OnOwnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    int CheckAreaWidth() const { return form.Scale(kCheckArea); }

    int pressedItem_ = -1; // the item under a mouse press
    bool pressedOnBox_ = false;
};

bool CheckListPeer::OnOwnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const HWND self = hwnd;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const auto hit = static_cast<DWORD>(SendMessageW(self, LB_ITEMFROMPOINT, 0, lParam));
        pressedItem_ = HIWORD(hit) ? -1 : static_cast<int>(LOWORD(hit));
        RECT item{};
        SendMessageW(self, LB_GETITEMRECT, LOWORD(hit), reinterpret_cast<LPARAM>(&item));
        pressedOnBox_ = GET_X_LPARAM(lParam) < item.left + CheckAreaWidth();
        return false; // the list takes the focus and selects the item itself
    }
    case WM_LBUTTONUP: {
        // A click is a press and release on the same item; it goes to the model then.
        const int pressed = pressedItem_;
        const bool onBox = pressedOnBox_;
        pressedItem_ = -1;
        result = DefSubclassProc(self, msg, wParam, lParam);
        if (pressed < 0 || !IsWindow(self)) return true;
        const auto hit = static_cast<DWORD>(SendMessageW(self, LB_ITEMFROMPOINT, 0, lParam));
        if (!HIWORD(hit) && static_cast<int>(LOWORD(hit)) == pressed)
            model.UserClickItem(pressed, onBox);
        return true;
    }
    case WM_CHAR:
        if (wParam != L' ') return false;
        model.UserToggleCurrent();
        result = 0;
        return true;
    default:
        return false;
    }
}

bool CheckListPeer::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) return true;
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool marked = SendMessageW(hwnd, LB_GETITEMDATA, item.itemID, 0) != 0;

    const int area = CheckAreaWidth(), side = form.Scale(kCheckBoxSide);
    RECT boxArea{r.left, r.top, std::min<LONG>(r.left + area, r.right), r.bottom};
    FillRect(dc, &boxArea, GetSysColorBrush(COLOR_WINDOW));
    const int top = r.top + (r.bottom - r.top - side) / 2, left = r.left + (area - side) / 2;
    DrawCheckBox(hwnd, dc, RECT{left, top, left + side, top + side}, marked, enabled);

    RECT text{boxArea.right, r.top, r.right, r.bottom};
    FillRect(dc, &text, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(dc, !enabled   ? GetSysColor(COLOR_GRAYTEXT)
                     : selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                : TextColorOf(control, COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    const auto length = static_cast<int>(SendMessageW(hwnd, LB_GETTEXTLEN, item.itemID, 0));
    String caption(static_cast<size_t>(std::max(length, 0)) + 1, u'\0');
    SendMessageW(hwnd, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(caption.data()));
    caption.resize(static_cast<size_t>(std::max(length, 0)));
    {
        const SelectedObject font(dc, form.FontOf(control));
        RECT words = text;
        words.left += form.Scale(2);
        DrawTextW(dc, Wide(caption), static_cast<int>(caption.size()), &words,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &text);
    return true;
}

} // namespace

std::unique_ptr<NativeControl> MakeComboPeer(FormWindow& form, ui::Control& control) {
    return MakeFor<ComboPeer, ui::ComboBox>(form, control);
}
std::unique_ptr<NativeControl> MakeCheckListPeer(FormWindow& form, ui::Control& control) {
    return MakeFor<CheckListPeer, ui::CheckListBox>(form, control);
}

} // namespace win32ui
