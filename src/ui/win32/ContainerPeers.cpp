// Windows of our own classes: pictures, and the containers that hold other controls (page
// controls, their sheets, panels).
#include <windowsx.h>

#include <typeinfo>
#include <vector>

#include "ui/win32/Peers.h"

namespace win32ui {

namespace {

constexpr int kSheetInset = 4; // the page area inside a page control's frame

std::uint32_t FaceColor() {
    const COLORREF c = GetSysColor(COLOR_BTNFACE);
    return static_cast<std::uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

// Paints `paint` on a WM_PAINT's device context or on the one WM_PRINTCLIENT brings.
template <class Paint> void PaintMessage(HWND hwnd, UINT msg, WPARAM wParam, Paint paint) {
    if (msg == WM_PAINT) {
        const PaintDC dc(hwnd);
        paint(dc.get());
    } else {
        paint(reinterpret_cast<HDC>(wParam));
    }
}

class ImagePeer final : public PeerOf<ui::Image> {
  public:
    using PeerOf::PeerOf;

  protected:
    WindowSpec Spec(HWND) const override { return {kImageClass, WS_GROUP}; }

    void ApplyText() override {} // it shows its picture

    void Apply(ui::Change what) override {
        if (what != ui::Change::Picture) return;
        composed_.clear();
        composedSize_ = {0, 0};
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    bool OnOwnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        switch (msg) {
        case WM_ERASEBKGND:
            result = 1; // painted whole in WM_PAINT
            return true;
        case WM_PAINT:
        case WM_PRINTCLIENT:
            PaintMessage(hwnd, msg, wParam, [this](HDC dc) { Paint(dc); });
            result = 0;
            return true;
        case WM_LBUTTONDOWN:
            SetCapture(hwnd);
            pressed_ = true;
            result = 0;
            return true;
        case WM_LBUTTONUP: {
            const bool pressed = pressed_;
            pressed_ = false;
            if (GetCapture() == hwnd) ReleaseCapture();
            RECT client;
            GetClientRect(hwnd, &client);
            const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            result = 0;
            if (pressed && PtInRect(&client, at)) model.Click();
            return true;
        }
        case WM_CAPTURECHANGED:
            pressed_ = false;
            return false;
        default:
            return false;
        }
    }

  private:
    void Paint(HDC dc) {
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        const auto& picture = model.Picture();
        if (!picture || picture->width <= 0 || picture->height <= 0) return;
        // A picture that is not stretched keeps its size in 96-DPI pixels, so it looks the same
        // beside the scaled controls.
        const int width = model.stretch ? client.right : form.Scale(picture->width);
        const int height = model.stretch ? client.bottom : form.Scale(picture->height);
        if (width <= 0 || height <= 0) return;
        if (composedSize_.cx != width || composedSize_.cy != height) {
            composed_ = ComposePicture(*picture, width, height, FaceColor(), model.transparent);
            composedSize_ = {width, height};
        }
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                          static_cast<UINT>(height), composed_.data(), &info, DIB_RGB_COLORS);
    }

    bool pressed_ = false; // a mouse press began on the picture
    // The picture composed for the window's size: opaque 32-bit rows, top down.
    std::vector<std::uint32_t> composed_;
    SIZE composedSize_{0, 0};
};

// A window holding other controls: it paints its background and what PaintOver adds, and
// passes its children's notifications on to their peers.
template <class Model> class ContainerPeer : public PeerOf<Model> {
  public:
    using PeerOf<Model>::PeerOf;

  protected:
    WindowSpec Spec(HWND) const override {
        return {kContainerClass, WS_CLIPCHILDREN | WS_GROUP, WS_EX_CONTROLPARENT};
    }

    virtual void PaintOver(HDC /*dc*/, const RECT& /*client*/) {}

    bool OnOwnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        const HWND self = this->hwnd;
        switch (msg) {
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(self, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
            result = 1;
            return true;
        }
        case WM_PAINT:
        case WM_PRINTCLIENT:
            PaintMessage(self, msg, wParam, [this, self](HDC dc) {
                RECT client;
                GetClientRect(self, &client);
                PaintOver(dc, client);
            });
            result = 0;
            return true;
        default:
            return OnChildNotification(msg, wParam, lParam, result);
        }
    }
};

class PagesPeer final : public ContainerPeer<ui::PageControl> {
  public:
    using ContainerPeer::ContainerPeer;

  protected:
    void PaintOver(HDC dc, const RECT& client) override {
        // The frame a page control draws around its pages when it shows no tabs.
        RECT frame = client;
        DrawEdge(dc, &frame, EDGE_RAISED, BF_RECT | BF_SOFT);
    }
};

class SheetPeer final : public ContainerPeer<ui::TabSheet> {
  public:
    using ContainerPeer::ContainerPeer;

  protected:
    RECT TargetRect() override {
        // Pages fill the page control's frame; their own origin is inside it.
        ui::Rect b = control.Bounds();
        if ((b.width <= 0 || b.height <= 0) && control.Parent()) {
            const ui::Rect& pages = control.Parent()->Bounds();
            b = {0, 0, pages.width - 2 * kSheetInset, pages.height - 2 * kSheetInset};
        }
        b.left += kSheetInset;
        b.top += kSheetInset;
        return ScaledBounds(b);
    }
};

// A panel, or a plain control holding others (`panel` null: no bevel).
class PanelPeer final : public ContainerPeer<ui::Control> {
  public:
    PanelPeer(FormWindow& f, ui::Control& c, const ui::Panel* panel)
        : ContainerPeer(f, c), panel_(panel) {}

  protected:
    void ApplyText() override {
        NativeControl::ApplyText();
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    void PaintOver(HDC dc, const RECT& client) override {
        RECT area = client;
        if (panel_ && panel_->bevel)
            DrawEdge(dc, &area, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
        const String& caption = control.Caption();
        if (caption.empty()) return;
        const SelectedObject font(dc, form.FontOf(control));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawTextW(dc, Wide(caption), static_cast<int>(caption.size()), &area,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }

  private:
    const ui::Panel* panel_;
};

} // namespace

std::unique_ptr<NativeControl> MakeImagePeer(FormWindow& form, ui::Control& control) {
    return MakeFor<ImagePeer, ui::Image>(form, control);
}
std::unique_ptr<NativeControl> MakePagesPeer(FormWindow& form, ui::Control& control) {
    return MakeFor<PagesPeer, ui::PageControl>(form, control);
}
std::unique_ptr<NativeControl> MakeSheetPeer(FormWindow& form, ui::Control& control) {
    return MakeFor<SheetPeer, ui::TabSheet>(form, control);
}
std::unique_ptr<NativeControl> MakePanelPeer(FormWindow& form, ui::Control& control) {
    const bool panel = typeid(control) == typeid(ui::Panel);
    return std::make_unique<PanelPeer>(form, control,
                                       panel ? &static_cast<const ui::Panel&>(control) : nullptr);
}

} // namespace win32ui
