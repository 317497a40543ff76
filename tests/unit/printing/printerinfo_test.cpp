#include <gtest/gtest.h>

#include "fakes/WizardFixture.h"

TEST(PortLists, PortsAreSortedByTheirFirstThreeLetters) {
    WizardFixture w;
    w.spooler.ports = {u"COM1", u"LPT1", u"USB001", u"usb002", u"IP_192.168.1.100",
                       u"192.168.1.101", u"FILE:", u"CO"};
    w.Start();
    frmMain->PushPortListToList();
    EXPECT_EQ(frmMain->cbUSB->Items(), (StringList{u"USB001", u"usb002"}));
    EXPECT_EQ(frmMain->cbRs232->Items(), StringList{u"COM1"});
    EXPECT_EQ(frmMain->cbLpt->Items(), StringList{u"LPT1"});
    EXPECT_EQ(frmMain->cbPortList->Items(), w.spooler.ports);
    for (auto* list : {frmMain->cbUSB, frmMain->cbRs232, frmMain->cbLpt, frmMain->cbPortList})
        EXPECT_EQ(list->ItemIndex(), 0);
}

TEST(PortLists, ARefreshSelectsTheFirstPortAgain) {
    WizardFixture w;
    w.Start();
    w.Click(frmMain->btnNext);
    w.Click(frmMain->rbRs232);
    frmMain->cbRs232->SetItemIndex(1);
    w.Click(frmMain->rbNet);
    w.Click(frmMain->rbRs232);
    EXPECT_EQ(frmMain->cbRs232->Text(), u"COM1:");
}

TEST(PortLists, NoPortsGiveEmptyListsWithoutSelection) {
    WizardFixture w;
    w.spooler.ports.clear();
    w.Start();
    EXPECT_TRUE(frmMain->cbPortList->Items().empty());
    EXPECT_EQ(frmMain->cbPortList->ItemIndex(), -1);
}

TEST(PortLists, AFailingEnumerationShowsTheSystemErrorAndLeavesTheListsEmpty) {
    WizardFixture w;
    w.Start();
    w.sys.processes.texts[5] = u"Access is denied.\r\n";
    w.spooler.failWith = 5;
    w.Click(frmMain->btnNext);
    w.Click(frmMain->rbRs232);
    ASSERT_EQ(w.dialogs.boxes.size(), 1u);
    EXPECT_EQ(w.dialogs.boxes[0].text, u"System Error.  Code: 5.\r\nAccess is denied.");
    EXPECT_TRUE(frmMain->cbRs232->Items().empty());
    try {
        RaiseLastOSError(0);
        FAIL();
    } catch (const EOSError& e) {
        EXPECT_EQ(e.Message(), u"A call to an OS function failed");
    }
}

TEST(DefaultPrinter, ReadFromTheDeviceEntryWhenThePrinterOpens) {
    WizardFixture w;
    w.spooler.printers = {u"Model-1"};
    struct Case {
        const char* device;
        const char16_t* result;
        bool opens;
    } cases[] = {{"Model-1,winspool,USB001", u"Model-1", true},
                 {"Gone,winspool,USB001", u"", true},
                 {"ab", u"", false},
                 {"NoComma", u"", true},
                 {",x,y", u"", true}};
    for (const auto& c : cases) {
        w.kit.Write("win.ini", std::string("[windows]\r\ndevice=") + c.device + "\r\n");
        w.spooler.opened.clear();
        EXPECT_EQ(SysPrint->GetMRPrint(), c.result) << c.device;
        EXPECT_EQ(!w.spooler.opened.empty(), c.opens) << c.device;
    }
}

TEST(DefaultPrinter, SetWritesTheNameAndItsDevicesEntry) {
    WizardFixture w;
    w.kit.Write("win.ini", "[Devices]\r\nModel-1=winspool,USB001\r\n[windows]\r\ndevice=Old,winspool,LPT1:\r\n");
    SysPrint->SetMRPrint(u"Model-1");
    EXPECT_NE(w.kit.Read("win.ini").find("device=Model-1,winspool,USB001\r\n"), std::string::npos);
    // No cut at the letters "on": the name is used as given.
    SysPrint->SetMRPrint(u"Monochrome 80");
    EXPECT_NE(w.kit.Read("win.ini").find("device=Monochrome 80,\r\n"), std::string::npos);
}
