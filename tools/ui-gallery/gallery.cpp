// Every kind of control the wizard uses, on one form, drawn by the Windows backend. The
// label `lblState` spells out the model's state after each event, so a test driving the
// windows from outside can check that what it did reached the model.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "base/Errors.h"
#include "platform/windows/WinDialogs.h"
#include "platform/windows/WinServices.h"
#include "ui/Dispatch.h"
#include "ui/Form.h"
#include "ui/win32/Win32Backend.h"

namespace {

using ui::Rect;

ui::Font Pixels(int height, bool bold = false) {
    ui::Font f;
    f.height = height;
    f.bold = bold;
    return f;
}

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, double t) {
    auto channel = [&](int shift) {
        const double v = ((a >> shift) & 0xFF) * (1 - t) + ((b >> shift) & 0xFF) * t;
        return static_cast<std::uint32_t>(std::clamp(v + 0.5, 0.0, 255.0)) << shift;
    };
    return channel(24) | channel(16) | channel(8) | channel(0);
}

// An opaque landscape: sky, sun and hills.
ui::Bitmap Landscape(int width, int height) {
    ui::Bitmap b{width, height, std::vector<std::uint32_t>(static_cast<size_t>(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint32_t c = Mix(0xFF2E6FD8, 0xFFBFE3FF, static_cast<double>(y) / height);
            if (std::hypot(x - width * 0.72, y - height * 0.3) < height * 0.16) c = 0xFFFFD34A;
            if (y > height * (0.68 + 0.1 * std::sin(x * 6.28 / width)))
                c = Mix(0xFF3C9A3C, 0xFF1E5E24, static_cast<double>(y) / height);
            b.pixels[static_cast<size_t>(y) * width + x] = c;
        }
    return b;
}

// A round badge whose corners are fully transparent and whose rim fades out.
ui::Bitmap Badge(int size) {
    ui::Bitmap b{size, size, std::vector<std::uint32_t>(static_cast<size_t>(size) * size)};
    const double r = size / 2.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x + 0.5 - r, y + 0.5 - r);
            const double alpha = std::clamp(r - d, 0.0, 1.0);
            const std::uint32_t rgb = d < r * 0.55 ? 0xFFFFFF : 0xD23C2C;
            b.pixels[static_cast<size_t>(y) * size + x] =
                static_cast<std::uint32_t>(alpha * 255 + 0.5) << 24 | rgb;
        }
    return b;
}

// An opaque picture on white: drawn transparently, the white (its bottom-left colour) goes.
ui::Bitmap Stamp(int size) {
    ui::Bitmap b{size, size,
                 std::vector<std::uint32_t>(static_cast<size_t>(size) * size, 0xFFFFFFFF)};
    for (int y = size / 4; y < size * 3 / 4; ++y)
        for (int x = size / 4; x < size * 3 / 4; ++x)
            b.pixels[static_cast<size_t>(y) * size + x] =
                ((x / 4 + y / 4) % 2) ? 0xFF202020 : 0xFF2A7F62;
    return b;
}

class QuestionForm final : public ui::Form {
  public:
    QuestionForm() : ui::Form(u"frmQuestion", 300, 110) {
        SetCaption(u"Question");
        position = ui::FormPosition::OwnerCenter;
        auto* text = Add<ui::Label>(u"lblQuestion", this, Rect{16, 18, 0, 0});
        text->SetCaption(u"Keep going? Esc answers Cancel, Enter answers OK.");
        auto* ok = Add<ui::Button>(u"btnOK", this, Rect{112, 64, 84, 28});
        ok->SetCaption(u"OK");
        ok->isDefault = true;
        auto* cancel = Add<ui::Button>(u"btnNo", this, Rect{204, 64, 84, 28});
        cancel->SetCaption(u"Cancel");
        cancel->isCancel = true;
        ok->OnClick = [this](ui::Control*) { SetModalResult(1); };
        cancel->OnClick = [this](ui::Control*) { SetModalResult(2); };
    }
};

class Gallery final : public ui::Form {
  public:
    Gallery() : ui::Form(u"frmGallery", 640, 470) {
        SetCaption(u"Control gallery");
        minimizeBox = true;

        auto* title = Add<ui::Label>(u"lblTitle", this, Rect{12, 8, 0, 0});
        title->SetCaption(u"Every control of the window backend");
        title->SetFont(Pixels(19, true));

        // Left: choices and input.
        auto* group = Add<ui::GroupBox>(u"gbChoice", this, Rect{12, 40, 200, 74});
        group->SetCaption(u"Choice (in a group box)");
        rbOne = Add<ui::RadioButton>(u"rbOne", group, Rect{12, 22, 170, 17}, choice);
        rbOne->SetCaption(u"One");
        rbTwo = Add<ui::RadioButton>(u"rbTwo", group, Rect{12, 46, 170, 17}, choice);
        rbTwo->SetCaption(u"Two");
        rbRed = Add<ui::RadioButton>(u"rbRed", this, Rect{20, 122, 80, 17}, colour);
        rbRed->SetCaption(u"Red");
        rbBlue = Add<ui::RadioButton>(u"rbBlue", this, Rect{110, 122, 80, 17}, colour);
        rbBlue->SetCaption(u"中文 Blue");
        chkList = Add<ui::CheckListBox>(u"chkList", this, Rect{12, 148, 200, 100});
        chkList->SetFont(Pixels(16));
        chkList->itemHeight = 19;
        for (auto item : {u"Model-1", u"Model-2", u"Model-3", u"型号-4"})
            chkList->AddItem(item);
        auto* address = Add<ui::Label>(u"lblAddress", this, Rect{12, 258, 0, 0});
        address->SetCaption(u"Printer address:");
        meText = Add<ui::MaskEdit>(u"meText", this, Rect{12, 276, 168, 31},
                                   u"999\\.999\\.999\\.999;1;_");
        meText->SetFont(Pixels(19));
        cbPick = Add<ui::ComboBox>(u"cbPick", this, Rect{12, 318, 200, 21});
        cbPick->SetItems({u"Alpha", u"Beta", u"Gamma"});
        cbPick->SetItemIndex(0);
        auto* hidden = Add<ui::ComboBox>(u"cbHidden", this, Rect{0, 0, 0, 0});
        hidden->SetVisible(false);
        hidden->AddItem(u"never shown");
        // Hidden at first: its window is made when Reveal shows it, in its place in the tab
        // order (after Reveal), with the caption it was given while it had none.
        auto* reveal = Add<ui::Button>(u"btnReveal", this, Rect{12, 352, 96, 28});
        reveal->SetCaption(u"&Reveal");
        auto* late = Add<ui::Button>(u"btnLate", this, Rect{116, 352, 96, 28});
        late->SetCaption(u"Late");
        late->SetVisible(false);

        // Middle: pages, pictures, panel, log, progress.
        pcPages = Add<ui::PageControl>(u"pcPages", this, Rect{228, 40, 250, 150});
        auto* first = Add<ui::TabSheet>(u"tbsFirst", pcPages, Rect{0, 0, 242, 142});
        auto* second = Add<ui::TabSheet>(u"tbsSecond", pcPages, Rect{0, 0, 242, 142});
        pcPages->AddPage(first);
        pcPages->AddPage(second);
        Add<ui::Label>(u"lblFirst", first, Rect{8, 6, 0, 0})
            ->SetCaption(u"First page: a stretched picture");
        auto* landscape = Add<ui::Image>(u"imgLandscape", first, Rect{8, 26, 141, 100});
        landscape->stretch = true;
        landscape->SetPicture(Landscape(64, 40));
        auto* link = Add<ui::Label>(u"lblLink", first, Rect{158, 60, 0, 0});
        link->SetCaption(u"Open link");
        ui::Font blue;
        blue.underline = true;
        blue.color = 0x0000FF;
        link->SetFont(blue);
        link->SetCursor(ui::Cursor::HandPoint);
        Add<ui::Label>(u"lblSecond", second, Rect{8, 6, 0, 0})
            ->SetCaption(u"Second page: transparent pictures");
        auto* badge = Add<ui::Image>(u"imgBadge", second, Rect{8, 30, 64, 64});
        badge->transparent = true;
        badge->SetPicture(Badge(64));
        auto* stamp = Add<ui::Image>(u"imgStamp", second, Rect{90, 30, 64, 64});
        stamp->transparent = true;
        stamp->SetPicture(Stamp(64));
        pcPages->SetActivePageIndex(0);
        btnPage = Add<ui::Button>(u"btnPage", this, Rect{228, 196, 120, 30});
        btnPage->SetCaption(u"&Next page");

        auto* panel = Add<ui::Panel>(u"pnlFrame", this, Rect{228, 236, 250, 54});
        auto* inPanel = Add<ui::Label>(u"lblInPanel", panel, Rect{8, 8, 234, 38});
        inPanel->autoSize = false;
        inPanel->wordWrap = true;
        inPanel->alignment = ui::Alignment::Center;
        inPanel->SetCaption(
            u"A panel with an etched bevel; this label wraps its words and is centred.");
        mmoLog = Add<ui::Memo>(u"mmoLog", this, Rect{228, 298, 250, 92});
        mmoLog->readOnly = true;
        mmoLog->Append(u"Log:");
        pbGallery = Add<ui::ProgressBar>(u"pbGallery", this, Rect{228, 400, 250, 17});
        pbGallery->SetMax(5);
        pbGallery->SetStep(1);

        // Right: the model's state and the buttons.
        lblState = Add<ui::Label>(u"lblState", this, Rect{494, 40, 134, 196});
        lblState->autoSize = false;
        lblState->wordWrap = true;
        lblState->opaque = true;
        auto* apply = Add<ui::Button>(u"btnApply", this, Rect{494, 244, 134, 30});
        apply->SetCaption(u"&Apply");
        apply->isDefault = true;
        auto* modal = Add<ui::Button>(u"btnModal", this, Rect{494, 280, 134, 30});
        modal->SetCaption(u"&Dialog...");
        btnToggle = Add<ui::Button>(u"btnToggle", this, Rect{494, 316, 134, 30});
        btnToggle->SetCaption(u"Disable cancel");
        btnCancel = Add<ui::Button>(u"btnCancel", this, Rect{494, 360, 134, 30});
        btnCancel->SetCaption(u"取消(&C)");
        btnCancel->isCancel = true;
        btnCancel->cancelGlyph = true;

        // Its handler fails: the window procedure shows the standard error box and goes on.
        auto* fail = Add<ui::Button>(u"btnFail", this, Rect{494, 400, 134, 30});
        fail->SetCaption(u"Fail");

        sbGallery = Add<ui::StatusBar>(u"sbGallery", this, Rect{0, 446, 640, 24});
        sbGallery->AddPanel(70, ui::Alignment::Center);
        sbGallery->AddPanel(300, ui::Alignment::Left);
        sbGallery->SetPanelText(0, u"Ready");
        sbGallery->SetPanelText(1, u"Nothing applied yet");

        rbOne->SetChecked(true);
        rbRed->SetChecked(true);

        auto refresh = [this](ui::Control* sender) { Report(sender); };
        for (ui::Control* c :
             {static_cast<ui::Control*>(rbOne), static_cast<ui::Control*>(rbTwo),
              static_cast<ui::Control*>(rbRed), static_cast<ui::Control*>(rbBlue),
              static_cast<ui::Control*>(chkList), static_cast<ui::Control*>(landscape)})
            c->OnClick = refresh;
        chkList->OnClickCheck = refresh;
        link->OnClick = [this](ui::Control* s) {
            ++links;
            Report(s);
        };
        apply->OnClick = [this](ui::Control* s) {
            pbGallery->StepIt();
            ++applied;
            sbGallery->SetPanelText(1, u"Applied " + IntToStr(applied));
            Report(s);
        };
        btnPage->OnClick = [this](ui::Control* s) {
            pcPages->SetActivePageIndex(1 - pcPages->ActivePageIndex());
            Report(s);
        };
        btnToggle->OnClick = [this](ui::Control* s) {
            btnCancel->SetEnabled(!btnCancel->Enabled());
            btnToggle->SetCaption(btnCancel->Enabled() ? u"Disable cancel" : u"Enable cancel");
            Report(s);
        };
        btnCancel->OnClick = [this](ui::Control* s) {
            ++cancels;
            Report(s);
        };
        reveal->OnClick = [this, late](ui::Control* s) {
            late->SetCaption(u"Made when shown");
            late->SetVisible(true);
            Report(s);
        };
        fail->OnClick = [this](ui::Control* s) {
            Report(s);
            throw Exception(u"The gallery failed on purpose");
        };
        modal->OnClick = [this](ui::Control* s) {
            auto question = std::make_unique<QuestionForm>();
            question->owner = this;
            answer = question->ShowModal();
            question->Destroy();
            Report(s);
        };
        OnClose = [](ui::Control*, ui::CloseAction&) { PostQuitMessage(0); };
        Report(nullptr);
    }

  private:
    void Report(ui::Control* sender) {
        if (sender) mmoLog->Append(sender->Name());
        String marks;
        for (int i = 0; i < chkList->Count(); ++i)
            marks += chkList->Checked(i) ? u'1' : u'0';
        auto checked = [](ui::RadioGroup& g) -> String {
            for (ui::RadioButton* r : g.members)
                if (r->Checked()) return r->Name();
            return u"-";
        };
        lblState->SetCaption(
            u"choice: " + checked(choice) + u"\r\ncolour: " + checked(colour) + u"\r\nmarks: " +
            marks + u"\r\nitem: " + IntToStr(chkList->ItemIndex()) + u"\r\npick: " +
            cbPick->Text() + u"\r\naddress: [" + meText->Text() + u"]\r\npage: " +
            IntToStr(pcPages->ActivePageIndex()) + u"\r\ncancel: " + IntToStr(cancels) +
            u"\r\nlink: " + IntToStr(links) + u"\r\nmodal: " + IntToStr(answer));
    }

    ui::RadioGroup choice, colour;
    ui::RadioButton *rbOne, *rbTwo, *rbRed, *rbBlue;
    ui::CheckListBox* chkList;
    ui::MaskEdit* meText;
    ui::ComboBox* cbPick;
    ui::PageControl* pcPages;
    ui::Button *btnPage, *btnToggle, *btnCancel;
    ui::Memo* mmoLog;
    ui::ProgressBar* pbGallery;
    ui::Label* lblState;
    ui::StatusBar* sbGallery;
    int cancels = 0, links = 0, applied = 0, answer = -1;
};

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MessagePump::Install(&WindowsMessagePump());
    Libraries::Install(&WindowsLibraries());
    InstallWindowsDialogs();
    InstallWin32Backend({&SetApplicationWindow, &QuitRequested});
    SetMessageFilter(&Win32FilterMessage);
    Gallery gallery;
    ui::DispatchEvent([&] { gallery.Realize(); });
    ui::DispatchEvent([&] { gallery.Show(); });
    const int code = RunMessageLoop();
    gallery.Destroy();
    return code;
}
