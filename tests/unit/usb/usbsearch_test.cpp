#include <gtest/gtest.h>

#include "fakes/WizardFixture.h"
#include "usb/UsbAnswer.h"

namespace {

std::string Settings(const std::string& printName, const std::string& modelWindow) {
    std::string s = WizardFixture::DefaultSettings();
    s = With(s, "PrintName=Model-2", "PrintName=" + printName);
    s = With(s, "USBModelWindow=1", "USBModelWindow=" + modelWindow);
    return s;
}

struct UsbWizard : WizardFixture {
    explicit UsbWizard(const std::string& settings = WizardFixture::DefaultSettings())
        : WizardFixture(settings) {
        spooler.ports = {u"COM1:", u"USB001", u"USB002", u"USB003"};
        Start();
        Click(frmMain->btnNext);
        Click(frmMain->rbUsb);
        Click(frmMain->btnNext);
        dialogs.boxes.clear();
    }
    void Search(const std::string& answer, int count) {
        fakeusb::answer = answer;
        fakeusb::count = count;
        Click(frmMain->btnFindUSB);
    }
};

} // namespace

TEST(UsbSearch, NoPrinterFound) {
    UsbWizard w;
    w.Search("", 0);
    EXPECT_EQ(frmWait->mmoWait->Lines(), (StringList{u"en41", u"en40", u"en35", u"en25"}));
    EXPECT_EQ(frmWait->pbWait->History(), (std::vector<int>{0, 1, 2, 8})); // its first user
    ASSERT_EQ(w.dialogs.boxes.size(), 1u);
    EXPECT_EQ(w.dialogs.boxes[0].text, u"en25");
    EXPECT_EQ(w.dialogs.boxes[0].flags, mb::OK | mb::ICONINFORMATION);
    EXPECT_EQ(frmMain->StatusBar1->PanelText(1), u"en24");
    EXPECT_EQ(frmMain->lblUSBPrompt->Caption(), u"en23");
    EXPECT_FALSE(frmMain->btnStartInstall->Enabled());
    EXPECT_TRUE(frmMain->Enabled());
    EXPECT_TRUE(frmMain->btnFindUSB->Enabled());
    EXPECT_FALSE(frmWait->Visible());
    EXPECT_FALSE(frmWait->BitBtn1->Enabled());
    EXPECT_EQ(frmWait->Caption(), u"en17");
    EXPECT_EQ(frmWait->Label1->Caption(), u"en28");
}

TEST(UsbSearch, APrinterOnAListedPortWithAKnownModelIsAccepted) {
    UsbWizard w;
    w.Search("USB002,VID_1A2B,PID_3C4E", 1);
    EXPECT_EQ(frmMain->cbUSB->Text(), u"USB002");
    EXPECT_EQ(PrintSetupInfo.PrintName, u"Model-2");
    EXPECT_EQ(PrintSetupInfo.PrintPort, u"USB002");
    EXPECT_EQ(frmWait->mmoWait->Lines(),
              (StringList{u"en41", u"en40", u"en39", u"   USB002,VID_1A2B,PID_3C4E",
                          u"   USB002,VID_1A2B,PID_3C4E,USB002,VID_1A2B,PID_3C4E,USB002,VID_1A2B,PID_3C4E",
                          u"en38", u"en37Model-2", u"en36Model-2", u"en35", u"en27Model-2,USB002"}));
    EXPECT_EQ(frmMain->StatusBar1->PanelText(1), u"en27Model-2:USB002");
    EXPECT_EQ(w.BoxTexts(), std::vector<String>{u"en27Model-2,USB002"});
    EXPECT_EQ(frmMain->lblUSBPrompt->Caption(), u"en27Model-2,USB002");
    EXPECT_TRUE(frmMain->btnStartInstall->Enabled());
    EXPECT_EQ(frmWait->pbWait->Position(), 8);
}

TEST(UsbSearch, APrinterOnAPortNotInTheListIsNeverAccepted) {
    UsbWizard w;
    w.Search("USB009,VID_1A2B,PID_3C4D", 1);
    EXPECT_EQ(w.BoxTexts(), std::vector<String>{u"en25"});
    EXPECT_FALSE(frmMain->btnStartInstall->Enabled());
}

TEST(UsbSearch, WithoutADefaultNameOnlyTheModelWindowSwitchAccepts) {
    UsbWizard w(Settings("", "0"));
    w.Search("USB003,VID_1A2B,PID_3C4D", 1);
    EXPECT_EQ(w.BoxTexts(), std::vector<String>{u"en25"});
    EXPECT_EQ(frmMain->cbUSB->Text(), u"USB003"); // it still moved to the matched port
    EXPECT_EQ(PrintSetupInfo.PrintName, u"Model-1");
    const auto& lines = frmWait->mmoWait->Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), u"en37Model-1"), lines.end());
    EXPECT_FALSE(frmMain->btnStartInstall->Enabled());
}

TEST(UsbSearch, TheDefaultNameMatchesWhateverItsCaseAndBlanks) {
    UsbWizard w(Settings("\"  model-2 \"", "0"));
    w.Search("USB001,VID_1A2B,PID_3C4E", 1);
    EXPECT_EQ(w.BoxTexts(), std::vector<String>{u"en27Model-2,USB001"});
}

TEST(UsbSearch, ThePortListOrderWinsOverTheLibrarysOrder) {
    UsbWizard w(Settings("", "1"));
    w.Search("USB003,VID_1A2B,PID_3C4D;USB001,VID_1A2B,PID_3C4E", 2);
    EXPECT_EQ(frmMain->cbUSB->Text(), u"USB001");
    EXPECT_EQ(PrintSetupInfo.PrintName, u"Model-2");
}

TEST(UsbAnswer, Pieces) {
    const auto entries = ParseUsbAnswer(u"  USB001 no ids here;;USB002:PID_0002&VID_0001", 5);
    ASSERT_EQ(entries.size(), 2u); // a count of 5 with two entries uses the two
    EXPECT_EQ(entries[0].port, u"USB001");
    EXPECT_EQ(entries[0].vid, u"USB001 n"); // no "VID": the entry's first eight characters
    EXPECT_EQ(entries[1].vid, u"VID_0001");
    EXPECT_EQ(entries[1].pid, u"PID_0002");
    EXPECT_EQ(ParseUsbAnswer(u"USB1;USB2;USB3", 2).size(), 2u);
    EXPECT_TRUE(ParseUsbAnswer(u"USB1", 0).empty());
    EXPECT_TRUE(ParseUsbAnswer(u"USB1", -3).empty());
    EXPECT_EQ(ParseUsbAnswer(u"VI", 1)[0].vid, u"VI");
}

TEST(UsbSearch, ACountLargerThanTheEntriesUsesTheEntriesThatExist) {
    UsbWizard w;
    w.Search("USB001,VID_1A2B,PID_3C4E;USB002,VID_0000,PID_0000", 5);
    EXPECT_EQ(w.BoxTexts(), std::vector<String>{u"en27Model-2,USB001"});
}

TEST(UsbSearch, AnAnswerFillingAllItsBytesIsReadNoFurther) {
    UsbWizard w;
    std::string answer = "USB001,VID_1A2B,PID_3C4E;";
    while (answer.size() < 255) answer += 'x';
    answer += "USB002,VID_1A2B,PID_3C4D"; // past the 255 bytes: never read
    w.Search(answer, 3);
    EXPECT_EQ(w.BoxTexts(), std::vector<String>{u"en27Model-2,USB001"});
    for (const auto& line : frmWait->mmoWait->Lines()) EXPECT_EQ(line.find(u"USB002"), String::npos);
}

TEST(UsbSearch, WithoutTheLibrarysEntryPointNothingIsFound) {
    UsbWizard w;
    Fuc_GetUSBPortNameList = nullptr;
    w.Search("USB001,VID_1A2B,PID_3C4E", 1);
    EXPECT_EQ(w.BoxTexts(), std::vector<String>{u"en25"});
    EXPECT_TRUE(frmMain->Enabled());
    EXPECT_FALSE(frmWait->Visible());
}

TEST(UsbSearch, AnErrorInTheMiddleLeavesEverythingUsable) {
    UsbWizard w;
    w.spooler.failWith = 5;
    w.Search("", 0);
    ASSERT_EQ(w.dialogs.boxes.size(), 1u);
    EXPECT_EQ(w.dialogs.boxes[0].flags, mb::OK | mb::ICONERROR);
    EXPECT_TRUE(frmMain->Enabled());
    EXPECT_TRUE(frmMain->btnFindUSB->Enabled());
    EXPECT_FALSE(frmWait->Visible());
}

TEST(UsbSearch, AClickWhileTheSearchRunsDoesNothing) {
    UsbWizard w;
    int nested = 0;
    w.sys.pump.onPump = [&] {
        if (nested++ == 0) w.Click(frmMain->btnFindUSB); // the user clicks again meanwhile
    };
    w.Search("", 0);
    EXPECT_EQ(fakeusb::calls, 1);
    EXPECT_EQ(w.dialogs.boxes.size(), 1u);
}
