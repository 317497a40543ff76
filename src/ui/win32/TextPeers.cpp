// Labels, the masked address field and memos: the system's static and edit classes.
#include <algorithm>

#include "ui/win32/Peers.h"

namespace win32ui {

namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

String ClipboardText(HWND owner) {
    String text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const char16_t*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// The selection of an edit control as [start, end).
std::pair<int, int> Selection(HWND edit) {
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

class LabelPeer final : public PeerOf<ui::Label> {
  public:
    using PeerOf::PeerOf;

    void OnCommand(WORD code) override {
        if (code == STN_CLICKED) model.Click();
    }

  protected:
    WindowSpec Spec(HWND) const override {
        DWORD style = SS_NOTIFY | SS_NOPREFIX;
        if (model.alignment == ui::Alignment::Center)
            style |= SS_CENTER;
        else if (model.alignment == ui::Alignment::Right)
            style |= SS_RIGHT;
        else
            style |= model.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
        return {WC_STATICW, style};
    }

    void ApplyText() override {
        NativeControl::ApplyText();
        if (model.autoSize && !ApplyingAll()) ApplyBounds();
    }

    RECT TargetRect() override {
        RECT r = NativeControl::TargetRect();
        if (model.autoSize) {
            const SIZE s = TextSize(model.wordWrap ? r.right - r.left : 0);
            if (!model.wordWrap) r.right = r.left + s.cx;
            r.bottom = r.top + s.cy;
        }
        return r;
    }

  private:
    SIZE TextSize(int width) {
        // An empty label keeps a line's height.
        const String text = control.Caption().empty() ? String(1, u' ') : control.Caption();
        const WindowDC dc(hwnd);
        const SelectedObject font(dc.get(), form.FontOf(control));
        RECT r{0, 0, width, 0};
        DrawTextW(dc.get(), Wide(text), static_cast<int>(text.size()), &r,
                  DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (width > 0 ? DT_WORDBREAK : 0));
        return {r.right - r.left, r.bottom - r.top};
    }
};

class MaskEditPeer final : public PeerOf<ui::MaskEdit> {
  public:
    using PeerOf::PeerOf;

  protected:
    WindowSpec Spec(HWND) const override {
        return {WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE};
    }

    void Created() override {
        SendMessageW(hwnd, EM_SETLIMITTEXT, static_cast<WPARAM>(model.MaxLength()), 0);
    }

    void ApplyText() override {
        // Unfilled places show as the blank character only while the user edits the field.
        const String shown = GetFocus() == hwnd ? model.EditText() : model.Text();
        const auto [start, end] = Selection(hwnd);
        SetWindowTextW(hwnd, Wide(shown));
        SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(start), end);
    }

    bool OnOwnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    // Runs one editing step on the model and puts the caret where it says.
    template <class Operation> void Step(Operation operation) {
        const HWND self = hwnd;
        const int caret = operation(model);
        if (IsWindow(self)) SendMessageW(self, EM_SETSEL, static_cast<WPARAM>(caret), caret);
    }
};

bool MaskEditPeer::OnOwnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const HWND self = hwnd;
    switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        ApplyText();
        return false;
    case WM_CHAR: {
        const auto ch = static_cast<wchar_t>(wParam);
        if (ch < 0x20 && ch != L'\b') return false; // Ctrl+C, Ctrl+V ... come back as messages
        const auto [start, end] = Selection(self);
        if (ch == L'\b') {
            Step([start = start, end = end](ui::MaskEdit& e) {
                return start != end ? e.ClearRange(start, end) : e.Backspace(start);
            });
        } else {
            Step([start = start, end = end, ch](ui::MaskEdit& e) {
                if (IsDigit(ch) && start != end) e.ClearRange(start, end);
                return e.TypeChar(start, static_cast<char16_t>(ch));
            });
        }
        result = 0;
        return true;
    }
    case WM_KEYDOWN:
        if (wParam != VK_DELETE) return false;
        if (GetKeyState(VK_SHIFT) < 0) {
            SendMessageW(self, WM_CUT, 0, 0);
        } else {
            const auto [start, end] = Selection(self);
            Step([start = start, end = end](ui::MaskEdit& e) {
                return start != end ? e.ClearRange(start, end) : e.Delete(start);
            });
        }
        result = 0;
        return true;
    case WM_PASTE: {
        const String text = ClipboardText(self);
        const auto [start, end] = Selection(self);
        Step([start = start, end = end, &text](ui::MaskEdit& e) {
            if (start != end) e.ClearRange(start, end);
            return e.Paste(start, text);
        });
        result = 0;
        return true;
    }
    case WM_CUT:
    case WM_CLEAR: {
        if (msg == WM_CUT) DefSubclassProc(self, WM_COPY, 0, 0);
        const auto [start, end] = Selection(self);
        Step([start = start, end = end](ui::MaskEdit& e) { return e.ClearRange(start, end); });
        result = 0;
        return true;
    }
    case WM_UNDO:
    case EM_UNDO:
        result = FALSE; // the edit's own undo would bring back text the mask never had
        return true;
    case WM_GETTEXT: {
        // The field's text reads as the model's: blanks, not the placeholders on screen.
        const String& text = model.Text();
        const size_t capacity = static_cast<size_t>(wParam);
        if (capacity == 0 || !lParam) {
            result = 0;
            return true;
        }
        const size_t n = std::min(text.size(), capacity - 1);
        auto* out = reinterpret_cast<wchar_t*>(lParam);
        std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), out);
        out[n] = L'\0';
        result = static_cast<LRESULT>(n);
        return true;
    }
    case WM_GETTEXTLENGTH:
        result = static_cast<LRESULT>(model.Text().size());
        return true;
    default:
        return false;
    }
}

class MemoPeer final : public PeerOf<ui::Memo> {
  public:
    using PeerOf::PeerOf;

    // An editable memo takes Enter as a new line.
    bool KeepsKey(WPARAM key) const override { return key == VK_RETURN && !model.readOnly; }

  protected:
    WindowSpec Spec(HWND) const override {
        // Read-only too, it takes the focus: its lines can be selected and copied.
        return {WC_EDITW,
                static_cast<DWORD>(ES_MULTILINE | ES_AUTOVSCROLL | WS_GROUP | WS_TABSTOP |
                                   (model.readOnly ? ES_READONLY : 0)),
                model.border ? static_cast<DWORD>(WS_EX_CLIENTEDGE) : 0};
    }

    void Created() override {
        SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0); // the log has no limit
    }

    void ApplyText() override {} // it shows its lines

    void Apply(ui::Change what) override {
        if (what == ui::Change::Lines) ApplyLines();
    }

  private:
    void ApplyLines() {
        const StringList& lines = model.Lines();
        if (lines.empty() || lines.size() < shownLines_) {
            String all;
            for (size_t i = 0; i < lines.size(); ++i)
                all += (i ? u"\r\n" : u"") + lines[i];
            SetWindowTextW(hwnd, Wide(all));
            shownLines_ = lines.size();
            return;
        }
        // Appending at the end keeps the newest line in view, as a log should.
        String added;
        for (size_t i = shownLines_; i < lines.size(); ++i)
            added += (i ? u"\r\n" : u"") + lines[i];
        const int end = GetWindowTextLengthW(hwnd);
        SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(end), end);
        SendMessageW(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(added)));
        shownLines_ = lines.size();
    }

    size_t shownLines_ = 0; // lines already in the window
};

} // namespace

std::unique_ptr<NativeControl> MakeLabelPeer(FormWindow& form, ui::Control& control) {
    return MakeFor<LabelPeer, ui::Label>(form, control);
}
std::unique_ptr<NativeControl> MakeMaskEditPeer(FormWindow& form, ui::Control& control) {
    return MakeFor<MaskEditPeer, ui::MaskEdit>(form, control);
}
std::unique_ptr<NativeControl> MakeMemoPeer(FormWindow& form, ui::Control& control) {
    return MakeFor<MemoPeer, ui::Memo>(form, control);
}

} // namespace win32ui
