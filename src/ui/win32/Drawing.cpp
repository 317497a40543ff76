// Drawing the backend does itself: check list boxes, pictures, the cancel glyph.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/Libraries.h"
#include "ui/win32/NativeWindows.h"

namespace win32ui {

namespace {

// The visual-styles library is optional (absent on old systems, without a theme under Wine):
// check boxes fall back to the classic frame control.
class Themes {
  public:
    Themes() {
        ILibraries& libraries = Libraries::Get();
        void* module = libraries.LoadSystem(u"uxtheme.dll");
        if (!module) return;
        open_ = reinterpret_cast<Open>(libraries.Symbol(module, "OpenThemeData"));
        close_ = reinterpret_cast<Close>(libraries.Symbol(module, "CloseThemeData"));
        draw_ = reinterpret_cast<Draw>(libraries.Symbol(module, "DrawThemeBackground"));
    }
    bool DrawCheckBox(HWND hwnd, HDC dc, const RECT& box, int state) const {
        if (!open_ || !close_ || !draw_) return false;
        HANDLE theme = open_(hwnd, L"BUTTON");
        if (!theme) return false;
        const bool drawn = SUCCEEDED(draw_(theme, dc, kCheckBoxPart, state, &box, nullptr));
        close_(theme);
        return drawn;
    }
    static const Themes& Get() {
        static Themes instance;
        return instance;
    }

    static constexpr int kCheckBoxPart = 3; // BP_CHECKBOX
    static constexpr int kUnchecked = 1, kUncheckedDisabled = 4, kChecked = 5, kCheckedDisabled = 8;

  private:
    using Open = HANDLE(WINAPI*)(HWND, LPCWSTR);
    using Close = HRESULT(WINAPI*)(HANDLE);
    using Draw = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
    Open open_ = nullptr;
    Close close_ = nullptr;
    Draw draw_ = nullptr;
};

struct Tap {
    int index;
    float weight;
};

// For each target pixel, the source pixels it covers and how much (area average): crisp when
// enlarging, smooth when shrinking.
std::vector<std::vector<Tap>> Taps(int from, int to) {
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(to));
    const double scale = static_cast<double>(from) / to;
    for (int t = 0; t < to; ++t) {
        const double start = t * scale, end = (t + 1) * scale;
        const int first = static_cast<int>(std::floor(start));
        const int last = std::min(from - 1, static_cast<int>(std::ceil(end)) - 1);
        for (int s = first; s <= last; ++s) {
            const double overlap = std::min(end, s + 1.0) - std::max(start, static_cast<double>(s));
            if (overlap > 0)
                taps[static_cast<size_t>(t)].push_back({s, static_cast<float>(overlap / scale)});
        }
    }
    return taps;
}

// How opaque a pixel stays when the key colour is transparent: the key and colours close to
// it (a compressed picture's noise around its background) go, others stay, with a soft edge
// between.
float KeyedAlpha(std::uint32_t pixel, std::uint32_t key) {
    int distance = 0;
    for (int shift : {16, 8, 0})
        distance = std::max(distance, std::abs(static_cast<int>((pixel >> shift) & 0xFF) -
                                               static_cast<int>((key >> shift) & 0xFF)));
    constexpr float kGone = 24, kKept = 72;
    return std::clamp((static_cast<float>(distance) - kGone) / (kKept - kGone), 0.0f, 1.0f);
}

struct Premultiplied {
    float r = 0, g = 0, b = 0, a = 0;
};

} // namespace

void DrawCheckBox(HWND hwnd, HDC dc, const RECT& box, bool checked, bool enabled) {
    const int state = checked ? (enabled ? Themes::kChecked : Themes::kCheckedDisabled)
                              : (enabled ? Themes::kUnchecked : Themes::kUncheckedDisabled);
    if (Themes::Get().DrawCheckBox(hwnd, dc, box, state)) return;
    RECT r = box;
    DrawFrameControl(dc, &r, DFC_BUTTON,
                     DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0) |
                         (enabled ? 0 : DFCS_INACTIVE));
}

std::vector<std::uint32_t> ComposePicture(const ui::Bitmap& picture, int width, int height,
                                          std::uint32_t background, bool keyBottomLeft) {
    const size_t count =
        static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(std::max(height, 0));
    std::vector<std::uint32_t> out(count, background & 0xFFFFFFu);
    const int sw = picture.width, sh = picture.height;
    if (count == 0 || sw <= 0 || sh <= 0 || picture.pixels.size() < static_cast<size_t>(sw) * sh)
        return out;

    const bool hasAlpha = std::any_of(picture.pixels.begin(), picture.pixels.end(),
                                      [](std::uint32_t p) { return (p >> 24) != 0xFF; });
    const std::uint32_t key = picture.pixels[static_cast<size_t>(sh - 1) * sw] & 0xFFFFFFu;
    std::vector<Premultiplied> source(picture.pixels.size());
    for (size_t i = 0; i < source.size(); ++i) {
        const std::uint32_t p = picture.pixels[i];
        float a = static_cast<float>(p >> 24) / 255.0f;
        if (!hasAlpha && keyBottomLeft) a = KeyedAlpha(p, key);
        source[i] = {static_cast<float>((p >> 16) & 0xFF) * a,
                     static_cast<float>((p >> 8) & 0xFF) * a, static_cast<float>(p & 0xFF) * a, a};
    }

    const auto across = Taps(sw, width), down = Taps(sh, height);
    std::vector<Premultiplied> rows(static_cast<size_t>(width) * sh);
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < width; ++x) {
            Premultiplied sum;
            for (const Tap& t : across[static_cast<size_t>(x)]) {
                const Premultiplied& s = source[static_cast<size_t>(y) * sw + t.index];
                sum.r += s.r * t.weight, sum.g += s.g * t.weight, sum.b += s.b * t.weight,
                    sum.a += s.a * t.weight;
            }
            rows[static_cast<size_t>(y) * width + x] = sum;
        }

    const float br = static_cast<float>((background >> 16) & 0xFF),
                bg = static_cast<float>((background >> 8) & 0xFF),
                bb = static_cast<float>(background & 0xFF);
    auto channel = [](float v) {
        return static_cast<std::uint32_t>(std::clamp(v + 0.5f, 0.0f, 255.0f));
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Premultiplied sum;
            for (const Tap& t : down[static_cast<size_t>(y)]) {
                const Premultiplied& s = rows[static_cast<size_t>(t.index) * width + x];
                sum.r += s.r * t.weight, sum.g += s.g * t.weight, sum.b += s.b * t.weight,
                    sum.a += s.a * t.weight;
            }
            const float rest = 1.0f - std::min(sum.a, 1.0f);
            out[static_cast<size_t>(y) * width + x] = channel(sum.r + br * rest) << 16 |
                                                      channel(sum.g + bg * rest) << 8 |
                                                      channel(sum.b + bb * rest);
        }
    return out;
}

Icon MakeCancelGlyph(int size) {
    // A red cross with a darker rim, drawn smooth at any size.
    std::vector<std::uint32_t> pixels(static_cast<size_t>(size) * size, 0);
    const float margin = size * 0.2f, half = std::max(1.2f, size * 0.12f);
    const float a0 = margin, a1 = size - margin;
    auto distance = [](float px, float py, float x0, float y0, float x1, float y1) {
        const float dx = x1 - x0, dy = y1 - y0;
        const float t =
            std::clamp(((px - x0) * dx + (py - y0) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
        return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
    };
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float d =
                std::min(distance(px, py, a0, a0, a1, a1), distance(px, py, a1, a0, a0, a1));
            const float cover = std::clamp(half + 0.5f - d, 0.0f, 1.0f);
            if (cover <= 0) continue;
            const bool rim = d > half - 1.0f;
            const std::uint32_t rgb = rim ? 0x9A1B12u : 0xE0382Bu;
            pixels[static_cast<size_t>(y) * size + x] =
                static_cast<std::uint32_t>(cover * 255.0f + 0.5f) << 24 | rgb;
        }

    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = size;
    header.bV5Height = -size;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    GdiObject color(CreateDIBSection(WindowDC(nullptr).get(),
                                     reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                     nullptr, 0));
    if (!color || !bits) return Icon();
    std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
    const std::vector<BYTE> zeros(static_cast<size_t>((size + 15) / 16 * 2) * size, 0);
    GdiObject mask(CreateBitmap(size, size, 1, 1, zeros.data()));
    ICONINFO info{TRUE, 0, 0, static_cast<HBITMAP>(mask.get()), static_cast<HBITMAP>(color.get())};
    return Icon(CreateIconIndirect(&info));
}

} // namespace win32ui
