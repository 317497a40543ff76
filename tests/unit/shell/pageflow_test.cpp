#include <gtest/gtest.h>

#include "fakes/WizardFixture.h"

namespace {

struct Step {
    ui::TabSheet* page;
    int progress;
    bool previous, next, install;
    ui::Control* focus; // the page's first input control; nullptr: a page without one
};

void Expect(const Step& s, const std::string& where) {
    EXPECT_EQ(frmMain->pcPage->ActivePage(), s.page) << where;
    EXPECT_EQ(frmMain->pbSchedule->Position(), s.progress) << where;
    EXPECT_EQ(pageNo, s.progress) << where;
    EXPECT_EQ(frmMain->btnPrevious->Enabled(), s.previous) << where;
    EXPECT_EQ(frmMain->btnNext->Enabled(), s.next) << where;
    EXPECT_EQ(frmMain->btnStartInstall->Enabled(), s.install) << where;
    if (s.focus) {
        EXPECT_EQ(frmMain->FocusedControl(), s.focus) << where;
    }
}

} // namespace

TEST(PageFlow, EveryConnectionTypeForwardAndBack) {
    struct Case {
        const char* name;
        ui::TabSheet* TfrmMain::*button_page;
    };
    for (int type = 0; type < 4; ++type) {
        WizardFixture w;
        w.Start();
        auto* f = frmMain;
        ui::RadioButton* buttons[] = {f->rbNet, f->rbUsb, f->rbRs232, f->rbLPT};
        ui::TabSheet* last[] = {f->tbsNet, f->tbsUSB, f->tbsRs232, f->tbsLpt};
        ui::Control* field[] = {f->meText, f->cbUSB, f->cbRs232, f->cbLpt};
        std::vector<Step> steps = {{f->tbsWelcome, 0, false, true, false, nullptr},
                                   {f->tbsPort, 1, true, true, false, nullptr}};
        if (type != 1)
            steps.push_back({f->tbsDriveNameSelect, 2, true, true, false, f->chkPrintSelect});
        steps.push_back({last[type], 3, true, false, true, field[type]});
        const std::string name = "type " + std::to_string(type);

        Expect(steps[0], name + " start");
        w.Click(f->btnNext);
        EXPECT_EQ(f->FocusedControl(), f->rbNet) << name << ": the default connection";
        w.Click(buttons[type]);
        Expect(steps[1], name + " connection page");
        for (size_t i = 2; i < steps.size(); ++i) {
            w.Click(f->btnNext);
            Expect(steps[i], name + " forward " + std::to_string(i));
        }
        for (size_t i = steps.size() - 1; i-- > 0;) {
            w.Click(f->btnPrevious);
            Expect(steps[i], name + " back " + std::to_string(i));
            // Back on the connection page, at the connection chosen.
            if (i == 1) {
                EXPECT_EQ(f->FocusedControl(), buttons[type]) << name;
            }
        }
        EXPECT_TRUE(w.dialogs.boxes.empty()) << name;
    }
}

TEST(PageFlow, TheModelPageNeedsAMarkedModelAndTakesTheFirst) {
    WizardFixture w(With(WizardFixture::DefaultSettings(), "PrintName=Model-2", "PrintName="));
    w.Start();
    w.Click(frmMain->btnNext);
    w.Click(frmMain->btnNext);
    ASSERT_EQ(frmMain->pcPage->ActivePage(), frmMain->tbsDriveNameSelect);
    for (int attempt = 0; attempt < 2; ++attempt) {
        frmMain->btnNext->SetFocus(); // as Alt+N leaves it
        w.Click(frmMain->btnNext);
        EXPECT_EQ(frmMain->pcPage->ActivePage(), frmMain->tbsDriveNameSelect);
        EXPECT_EQ(frmMain->pbSchedule->Position(), 2);
        EXPECT_EQ(frmMain->FocusedControl(), frmMain->chkPrintSelect); // where a model is marked
    }
    ASSERT_EQ(w.dialogs.boxes.size(), 2u);
    EXPECT_EQ(w.dialogs.boxes[0].text, u"en26");
    EXPECT_EQ(w.dialogs.boxes[0].title, u"en8");
    EXPECT_EQ(w.dialogs.boxes[0].flags, mb::ICONINFORMATION);

    frmMain->chkPrintSelect->SetChecked(1, true);
    frmMain->chkPrintSelect->SetChecked(2, true);
    w.Click(frmMain->btnNext);
    EXPECT_EQ(PrintSetupInfo.PrintName, u"Model-2");
    EXPECT_EQ(frmMain->pcPage->ActivePage(), frmMain->tbsNet);
}

TEST(PageFlow, ChangingTheConnectionOnItsPageChangesTheRoute) {
    WizardFixture w;
    w.Start();
    w.Click(frmMain->btnNext);
    w.Click(frmMain->rbUsb);
    w.Click(frmMain->rbRs232);
    w.Click(frmMain->btnNext);
    EXPECT_EQ(frmMain->pcPage->ActivePage(), frmMain->tbsDriveNameSelect);
}

TEST(PageFlow, EnteringTheUsbPageSearchesOnlyWhenAskedTo) {
    for (const char* autoInstall : {"1", "0", "2"}) {
        std::string s = WizardFixture::DefaultSettings();
        s = With(s, "USBPortAutoInstall=0", std::string("USBPortAutoInstall=") + autoInstall);
        WizardFixture w(s);
        w.Start();
        w.Click(frmMain->btnNext);
        w.Click(frmMain->rbUsb);
        w.Click(frmMain->btnNext);
        EXPECT_EQ(frmMain->pcPage->ActivePage(), frmMain->tbsUSB);
        EXPECT_EQ(fakeusb::calls, autoInstall[0] == '1' ? 1 : 0) << autoInstall;
        w.Click(frmMain->btnPrevious);
        w.Click(frmMain->btnNext);
        EXPECT_EQ(fakeusb::calls, autoInstall[0] == '1' ? 2 : 0) << autoInstall;
    }
}

TEST(PageFlow, UnconvertibleSwitchesStopTheirStep) {
    {
        std::string s = WizardFixture::DefaultSettings();
        s = With(s, "USBPortSelect=1", "USBPortSelect=");
        WizardFixture w(s);
        w.Start();
        w.Click(frmMain->btnNext);
        w.Click(frmMain->rbRs232);
        w.Click(frmMain->rbUsb);
        EXPECT_EQ(EnumPort, TEnumPort::RS232);
        ASSERT_EQ(w.dialogs.boxes.size(), 1u);
        EXPECT_EQ(w.dialogs.boxes[0].text, u"'' is not a valid boolean value.");
    }
    {
        std::string s = WizardFixture::DefaultSettings();
        s = With(s, "USBPortAutoInstall=0", "USBPortAutoInstall=on");
        WizardFixture w(s);
        w.Start();
        w.Click(frmMain->btnNext);
        w.Click(frmMain->rbUsb);
        w.Click(frmMain->btnNext);
        EXPECT_EQ(frmMain->pcPage->ActivePage(), frmMain->tbsUSB);
        EXPECT_EQ(frmMain->pbSchedule->Position(), 1); // the bar keeps its place
        EXPECT_EQ(fakeusb::calls, 0);
        ASSERT_EQ(w.dialogs.boxes.size(), 1u);
        EXPECT_EQ(w.dialogs.boxes[0].text, u"'on' is not a valid integer value.");
    }
}
