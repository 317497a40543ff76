// The USB library's answer read by the wizard: every printer the library reports must come
// back with its own port and identifiers from the wizard's parser, which takes them from the
// entry's first six characters and its first "VID" and "PID".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UsbPrinterList.h"
#include "fakes/FakeSystem.h"
#include "usb/UsbAnswer.h"

TEST(UsbAnswerRoundTrip, PortNamesHoldingVidOrPidAreRefusedByTheLibrary) {
    for (const char* misread : {"USBPID", "VID001", "aPIDb1", "XXVIDX"})
        EXPECT_FALSE(usblib::IsPortName(misread)) << misread;
    for (const char* fine : {"USB001", "usbpid", "VIP001"})
        EXPECT_TRUE(usblib::IsPortName(fine)) << fine;
}

TEST(UsbAnswerRoundTrip, ReportedPrintersReadBackWithTheirOwnIdentifiers) {
    FakeSystem sys;
    const usblib::SimulationFile file = usblib::ParseSimulationFile(
        "USBPID,VID_EF60,PID_8100\n" // the wizard would read "PID,VID_" as its PID
        "VIDUSB 1A2B 3C4D\n"         // and "VIDUSB 1" as its VID
        "USB001 0FE6 811E receipt\n"
        "USB002,vid_04b8,pid_0202\n");
    ASSERT_EQ(file.printers.size(), 2u);
    EXPECT_EQ(file.problems.size(), 2u);

    std::vector<std::string> names;
    for (const usblib::UsbPrinter& p : file.printers)
        names.push_back(usblib::NameListEntry(p));
    char answer[usblib::kAnswerBufferSize];
    const int count = usblib::WriteEntries(names, ';', answer, sizeof answer);
    const std::vector<UsbPrinterEntry> entries =
        ParseUsbAnswer(UsbAnswerText(answer, sizeof answer), count);
    ASSERT_EQ(entries.size(), 2u);
    const char16_t* expected[][3] = {{u"USB001", u"VID_0FE6", u"PID_811E"},
                                     {u"USB002", u"VID_04B8", u"PID_0202"}};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].port, expected[i][0]);
        EXPECT_EQ(entries[i].vid, expected[i][1]);
        EXPECT_EQ(entries[i].pid, expected[i][2]);
    }
}
