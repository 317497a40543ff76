#include <gtest/gtest.h>

#include "base/Errors.h"
#include "fakes/FakeDialogs.h"
#include "platform/Files.h"
#include "ui/Dispatch.h"
#include "ui/Form.h"
#include "ui/headless/HeadlessBackend.h"

using namespace ui;

namespace {

struct Fixture {
    Form form{u"frm", 200, 100};
    RadioGroup pair, other;
    RadioButton* a = form.Add<RadioButton>(u"a", &form, Rect{}, pair);
    RadioButton* b = form.Add<RadioButton>(u"b", &form, Rect{}, pair);
    RadioButton* c = form.Add<RadioButton>(u"c", &form, Rect{}, other);
    std::vector<String> clicks;
    Fixture() {
        for (auto* r : {a, b, c}) r->OnClick = [this](Control* s) { clicks.push_back(s->Name()); };
    }
};

} // namespace

TEST(RadioButton, CheckingByProgramActsAsAClickWithinItsGroupOnly) {
    Fixture f;
    f.a->SetChecked(true);
    f.c->SetChecked(true);
    f.b->SetChecked(true);
    EXPECT_FALSE(f.a->Checked());
    EXPECT_TRUE(f.b->Checked());
    EXPECT_TRUE(f.c->Checked()); // the other group is untouched
    EXPECT_EQ(f.clicks, (std::vector<String>{u"a", u"c", u"b"}));

    f.b->SetChecked(true); // already checked: nothing runs
    f.b->Click();          // a user's click on the checked button: nothing either
    EXPECT_EQ(f.clicks.size(), 3u);

    f.b->SetChecked(false); // unchecking runs nothing and checks nothing else
    EXPECT_FALSE(f.a->Checked());
    EXPECT_EQ(f.clicks.size(), 3u);
}

TEST(RadioButton, AnErrorInTheHandlerReachesTheProgramCaller) {
    Fixture f;
    f.a->OnClick = [](Control*) { throw EConvertError(u"'x' is not a valid boolean value"); };
    EXPECT_THROW(f.a->SetChecked(true), EConvertError);
    EXPECT_TRUE(f.a->Checked()); // checked before the handler ran
}

TEST(CheckListBox, MouseClickOnAnItemAndOnItsCheckBox) {
    Form form{u"frm", 10, 10};
    auto* list = form.Add<CheckListBox>(u"lst", &form, Rect{});
    for (auto t : {u"A", u"B", u"C"}) list->AddItem(t);
    std::vector<std::string> events;
    list->OnClick = [&](Control*) {
        events.push_back("click " + std::to_string(list->ItemIndex()) +
                         (list->Checked(list->ItemIndex()) ? " marked" : " unmarked"));
    };
    list->OnClickCheck = [&](Control*) {
        events.push_back("check " + std::to_string(list->ItemIndex()) +
                         (list->Checked(list->ItemIndex()) ? " marked" : " unmarked"));
    };
    list->UserClickItem(1, false);
    list->UserClickItem(2, true);
    list->UserToggleCurrent();
    list->UserClickItem(7, true); // outside the list: nothing
    EXPECT_EQ(events,
              (std::vector<std::string>{"click 1 unmarked", "check 2 marked", "click 2 marked",
                                        "check 2 unmarked", "click 2 unmarked"}));
}

TEST(PageControl, ShowingAPageRunsItsShowHandlerOnlyOnChange) {
    Form form{u"frm", 10, 10};
    auto* pc = form.Add<PageControl>(u"pc", &form, Rect{});
    auto* p0 = form.Add<TabSheet>(u"p0", pc, Rect{});
    auto* p1 = form.Add<TabSheet>(u"p1", pc, Rect{});
    pc->AddPage(p0);
    pc->AddPage(p1);
    int shown = 0;
    p1->OnShow = [&](Control*) { ++shown; };
    pc->SetActivePageIndex(0);
    pc->SetActivePageIndex(1);
    pc->SetActivePageIndex(1);
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(p0->Visible());
    EXPECT_TRUE(p1->Visible());
    pc->SetActivePageIndex(9);
    EXPECT_EQ(pc->ActivePageIndex(), 1);
}

TEST(ProgressBar, KeepsThePositionInRangeAndRecordsWhatItShowed) {
    Form form{u"frm", 10, 10};
    auto* pb = form.Add<ProgressBar>(u"pb", &form, Rect{});
    pb->SetMax(3);
    pb->SetStep(1);
    pb->StepIt();
    pb->SetPosition(7);
    EXPECT_EQ(pb->Position(), 3);
    pb->SetMax(2);
    EXPECT_EQ(pb->Position(), 2);
    EXPECT_EQ(pb->History(), (std::vector<int>{0, 1, 3, 2}));
}

TEST(Form, ShowRunsTheShowHandlerBeforeItIsVisibleAndOnlyFromHidden) {
    Form form{u"frm", 10, 10};
    std::vector<bool> visibleDuringShow;
    form.OnShow = [&](Control*) { visibleDuringShow.push_back(form.Visible()); };
    form.Show();
    form.Show();
    form.Hide();
    form.Show();
    EXPECT_EQ(visibleDuringShow, (std::vector<bool>{false, false}));
}

TEST(Form, ModalFormsRunThroughTheBackend) {
    HeadlessBackend backend;
    ScopedService<IWindowBackend> installed(backend);
    Form dialog{u"dlg", 10, 10};
    int shows = 0;
    dialog.OnShow = [&](Control*) { ++shows; };
    backend.onModal = [](Form& f) { f.SetModalResult(1); };
    EXPECT_EQ(dialog.ShowModal(), 1);
    backend.onModal = nullptr; // the user closes it with the close box
    EXPECT_EQ(dialog.ShowModal(), 2);
    EXPECT_EQ(shows, 2);
    EXPECT_FALSE(dialog.Visible());
}

namespace {
class ModuleOnly final : public IFiles {
public:
    bool FileExists(const String&) override { return false; }
    bool ReadExclusive(const String&, std::string&, std::uint32_t&) override { return false; }
    String FullPath(const String& p) override { return p; }
    String ModuleFileName() override { return u"C:\\Kit\\ODAXPrintDrive.exe"; }
};
} // namespace

TEST(StandardErrorBox, TitleFromTheProgramAndAFullStopAfterAFinalLetter) {
    EXPECT_EQ(ApplicationTitleFrom(u"C:\\Kit\\ODAXPrintDrive.exe"), u"Odaxprintdrive");
    EXPECT_EQ(ApplicationTitleFrom(u"Setup.v2.exe"), u"Setup");
    EXPECT_EQ(ApplicationTitleFrom(u"c:/x/abc"), u"abc");

    FakeDialogs dialogs;
    ModuleOnly files;
    ScopedService<IDialogs> d(dialogs);
    ScopedService<IFiles> f(files);
    for (auto message : {u"'x' is not a valid integer value", u"Done.", u"Stop!", u"code 5", u""})
        DispatchEvent([&] { throw Exception(message); });
    ASSERT_EQ(dialogs.boxes.size(), 5u);
    EXPECT_EQ(dialogs.boxes[0].text, u"'x' is not a valid integer value.");
    EXPECT_EQ(dialogs.boxes[1].text, u"Done.");
    EXPECT_EQ(dialogs.boxes[2].text, u"Stop!");
    EXPECT_EQ(dialogs.boxes[3].text, u"code 5.");
    EXPECT_EQ(dialogs.boxes[4].text, u"");
    EXPECT_EQ(dialogs.boxes[0].title, u"Odaxprintdrive");
    EXPECT_EQ(dialogs.boxes[0].flags, mb::OK | mb::ICONERROR);
}
