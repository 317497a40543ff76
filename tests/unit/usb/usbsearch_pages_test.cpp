#include <gtest/gtest.h>

#include "fakes/WizardFixture.h"

namespace {

// The search re-enables the main window before it shows its result, so the user can leave the
// USB page while the result box is up.
struct LeavingDuringTheResult : WizardFixture {
    LeavingDuringTheResult() {
        spooler.ports = {u"COM1:", u"USB001"};
        Start();
        Click(frmMain->btnNext);
        Click(frmMain->rbUsb);
        Click(frmMain->btnNext);
        fakeusb::answer = "USB001,VID_1A2B,PID_3C4E";
        fakeusb::count = 1;
    }
};

} // namespace

TEST(UsbSearchPages, InstallStaysDisabledWhenTheUserLeftTheUsbPageDuringTheResult) {
    LeavingDuringTheResult w;
    w.dialogs.onBox = [&](const FakeDialogs::Box&) {
        w.dialogs.onBox = nullptr;
        w.Click(frmMain->btnPrevious);
    };
    w.Click(frmMain->btnFindUSB);
    ASSERT_EQ(w.BoxTexts().size(), 1u);
    EXPECT_EQ(frmMain->pcPage->ActivePage(), frmMain->tbsPort);
    // The connection page's buttons, as the page flow left them.
    EXPECT_TRUE(frmMain->btnPrevious->Enabled());
    EXPECT_TRUE(frmMain->btnNext->Enabled());
    EXPECT_FALSE(frmMain->btnStartInstall->Enabled());
    // The result itself is still shown and kept for a return to the USB page.
    EXPECT_EQ(frmMain->lblUSBPrompt->Caption(), u"en27Model-2,USB001");
    EXPECT_EQ(frmMain->cbUSB->Text(), u"USB001");
}

TEST(UsbSearchPages, InstallIsEnabledWhenTheUsbPageIsStillShown) {
    LeavingDuringTheResult w;
    w.Click(frmMain->btnFindUSB);
    ASSERT_EQ(w.BoxTexts().size(), 1u);
    EXPECT_EQ(frmMain->pcPage->ActivePage(), frmMain->tbsUSB);
    EXPECT_TRUE(frmMain->btnStartInstall->Enabled());
}
