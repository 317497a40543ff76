#include "ui/Accessibility.h"

#include <gtest/gtest.h>

#include "fakes/WizardFixture.h"

using namespace ui;

TEST(AccessKeys, TheMarkedCharacterAndTheCaptionAsReadAloud) {
    const struct {
        const char16_t* caption;
        char16_t key; // 0: none marked, or '&' at the end
        bool marked;
        const char16_t* spoken;
    } cases[] = {
        {u"&Next >", u'N', true, u"Next >"},        {u"下一步(&N) >", u'N', true, u"下一步(N) >"},
        {u"R&&D &About", u'A', true, u"R&D About"}, {u"Save &&", 0, false, u"Save &"},
        {u"Cancel&", 0, true, u"Cancel"},           {u"Plain", 0, false, u"Plain"},
    };
    for (const auto& c : cases) {
        const auto mark = AccessKeyOf(c.caption);
        EXPECT_EQ(mark.has_value(), c.marked) << ToUtf8(c.caption);
        EXPECT_EQ(mark ? mark->key : char16_t{0}, c.key) << ToUtf8(c.caption);
        EXPECT_EQ(WithoutAccessKey(c.caption), c.spoken);
    }
    for (char16_t k : {u'a', u'Z', u'7'})
        EXPECT_TRUE(IsTypableAccessKey(k));
    for (char16_t k : {u'<', u' ', u'步', char16_t{0}})
        EXPECT_FALSE(IsTypableAccessKey(k));
}

// Every control a keyboard reaches on each page of the wizard is named in the display
// language: fields by their labels (without the colon), pictures by what they show, buttons
// by their captions with the access key given as a shortcut.
TEST(AccessibleNames, EveryReachableControlOfTheWizardIsNamed) {
    WizardFixture w;
    w.Start();
    TfrmMain& f = *frmMain;
    f.btnNext->SetCaption(u"&Next >");
    EXPECT_EQ(Describe(*f.btnNext)->name, u"Next >");
    EXPECT_EQ(Describe(*f.btnNext)->shortcut, u"Alt+N");
    EXPECT_EQ(Describe(*f.btnNext)->role, AccessibleRole::PushButton);

    f.lblNetIP->SetCaption(u"IP:");
    f.lblRs232->SetCaption(u"串口：");
    const struct {
        Control* control;
        String name;
        AccessibleRole role;
    } named[] = {
        {f.meText, u"IP", AccessibleRole::Text},
        {f.cbRs232, u"串口", AccessibleRole::ComboBox},
        {f.cbUSB, u"en7", AccessibleRole::ComboBox},
        {f.cbLpt, u"en11", AccessibleRole::ComboBox},
        {f.chkPrintSelect, u"en19", AccessibleRole::List},
        {f.rbUsb, u"en3", AccessibleRole::RadioButton},
        {f.ImgCompanyLogo, u"Vendor logo", AccessibleRole::Graphic}, // the built-in text
        {f.lblWeb, u"en22", AccessibleRole::Link},
    };
    for (const auto& n : named) {
        const auto info = Describe(*n.control);
        EXPECT_EQ(info->name, n.name) << ToUtf8(n.control->Name());
        EXPECT_EQ(info->role, n.role) << ToUtf8(n.control->Name());
    }
    EXPECT_TRUE(Describe(*f.ImgCompanyLogo)->state.linked);

    // Nothing a keyboard reaches, on any page, is left without a name.
    int focusable = 0;
    for (Control* c : f.AllControls()) {
        if (!Describe(*c)->state.focusable || !c->Visible()) continue; // lists never shown
        ++focusable;
        EXPECT_FALSE(Describe(*c)->name.empty()) << ToUtf8(c->Name());
    }
    EXPECT_GT(focusable, 15);

    w.Click(f.rbChinese);
    EXPECT_EQ(Describe(*f.ImgCompanyLogo)->name, u"厂商标志");
    EXPECT_EQ(Describe(*f.chkPrintSelect)->name, u"中19");
}

// The model list's items are check buttons whose state follows the marks as the keyboard
// moves them: the current item is the focused one while the list has the focus.
TEST(AccessibleModelList, EachItemTellsItsMarkAndFocusAsSpaceMovesTheMark) {
    WizardFixture w;
    w.Start();
    TfrmMain& f = *frmMain;
    w.Click(f.btnNext);
    w.Click(f.btnNext);
    CheckListBox& list = *f.chkPrintSelect;
    ASSERT_EQ(f.FocusedControl(), &list);
    ASSERT_EQ(AccessibleItemCount(list), 3);
    auto checked = [&] {
        std::vector<bool> marks;
        for (int child = 1; child <= AccessibleItemCount(list); ++child)
            marks.push_back(Describe(list, child)->state.checked);
        return marks;
    };
    EXPECT_EQ(checked(), (std::vector<bool>{false, true, false})); // the kit's default, Model-2
    const auto second = Describe(list, 2);
    EXPECT_EQ(second->role, AccessibleRole::CheckButton);
    EXPECT_EQ(second->name, u"Model-2");
    EXPECT_EQ(second->defaultAction, u"Uncheck");
    EXPECT_FALSE(Describe(list, 4).has_value());

    list.SetItemIndex(2); // Down, twice
    EXPECT_TRUE(Describe(list, 3)->state.focused);
    EXPECT_FALSE(Describe(list, 2)->state.focused);
    list.UserToggleCurrent(); // Space
    EXPECT_EQ(checked(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(Describe(list, 3)->defaultAction, u"Uncheck");

    // A screen reader's "check" on an item goes the same way.
    EXPECT_TRUE(DoItemDefaultAction(list, 1));
    EXPECT_EQ(checked(), (std::vector<bool>{true, false, false}));
    EXPECT_TRUE(Describe(list, 1)->state.focused);
    EXPECT_FALSE(DoItemDefaultAction(list, 0));

    // Another page: the list is out of sight, and no item has the focus.
    w.Click(f.btnNext);
    EXPECT_TRUE(Describe(list)->state.invisible);
    EXPECT_FALSE(Describe(list, 1)->state.focused);
}
