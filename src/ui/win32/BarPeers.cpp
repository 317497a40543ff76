// Progress bars and status bars: the common controls' classes.
#include <vector>

#include "ui/win32/Peers.h"

namespace win32ui {

namespace {

class ProgressPeer final : public PeerOf<ui::ProgressBar> {
  public:
    using PeerOf::PeerOf;

  protected:
    WindowSpec Spec(HWND) const override { return {PROGRESS_CLASSW, WS_GROUP}; }

    void ApplyText() override {}

    void Apply(ui::Change what) override {
        if (what != ui::Change::Range && what != ui::Change::Position) return;
        if (what == ui::Change::Range)
            SendMessageW(hwnd, PBM_SETRANGE32, static_cast<WPARAM>(model.Min()), model.Max());
        SendMessageW(hwnd, PBM_SETPOS, static_cast<WPARAM>(model.Position()), 0);
    }
};

class StatusPeer final : public PeerOf<ui::StatusBar> {
  public:
    using PeerOf::PeerOf;

  protected:
    WindowSpec Spec(HWND) const override {
        return {STATUSCLASSNAMEW, CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | WS_GROUP};
    }

    void ApplyText() override {} // it shows its panels

    // The panels' edges are scaled too: a new DPI comes as a font change.
    void ApplyFont() override {
        NativeControl::ApplyFont();
        ApplyPanels();
    }

    void Apply(ui::Change what) override {
        if (what == ui::Change::Panels) ApplyPanels();
    }

  private:
    void ApplyPanels() {
        const int count = model.PanelCount();
        if (count == 0) return;
        // Each panel ends where its width says; the last one runs to the bar's end.
        std::vector<int> edges(static_cast<size_t>(count));
        int x = 0;
        for (int i = 0; i < count; ++i) {
            x += model.GetPanel(i).width;
            edges[static_cast<size_t>(i)] = i + 1 == count ? -1 : form.Scale(x);
        }
        SendMessageW(hwnd, SB_SETPARTS, static_cast<WPARAM>(count),
                     reinterpret_cast<LPARAM>(edges.data()));
        for (int i = 0; i < count; ++i) {
            const auto& panel = model.GetPanel(i);
            // The status bar's own convention: one tab centres the text, two align it right.
            String text = panel.alignment == ui::Alignment::Center  ? u"\t"
                          : panel.alignment == ui::Alignment::Right ? u"\t\t"
                                                                    : u"";
            text += panel.text;
            SendMessageW(hwnd, SB_SETTEXTW, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(Wide(text)));
        }
    }
};

} // namespace

std::unique_ptr<NativeControl> MakeProgressPeer(FormWindow& form, ui::Control& control) {
    return MakeFor<ProgressPeer, ui::ProgressBar>(form, control);
}
std::unique_ptr<NativeControl> MakeStatusPeer(FormWindow& form, ui::Control& control) {
    return MakeFor<StatusPeer, ui::StatusBar>(form, control);
}

} // namespace win32ui
