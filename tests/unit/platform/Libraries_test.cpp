// Which library names the library service accepts, and which libraries the wizard asks for.
#include <gtest/gtest.h>

#include "fakes/WizardFixture.h"
#include "platform/Libraries.h"

TEST(LibraryNames, OnlyFullPathsAndPlainSystemFileNames) {
    struct Case {
        const char16_t* name;
        bool fullPath, fileName;
    } cases[] = {
        {u"C:\\Kit\\USBPrinterlibary.dll", true, false},
        {u"c:/Kit/USBPrinterlibary.dll", true, false},
        {u"\\\\server\\share\\kit\\x.dll", true, false},
        {u"\\\\?\\C:\\Kit\\x.dll", true, false},
        {u"uxtheme.dll", false, true},
        {u"winspool.drv", false, true},
        {u".\\USBPrinterlibary.dll", false, false},  // the working folder's
        {u"Kit\\x.dll", false, false},               // relative to the working folder
        {u"C:x.dll", false, false},                  // the drive's current folder
        {u"\\Kit\\x.dll", false, false},             // the current drive's root
        {u"C:\\Kit\\..\\Temp\\x.dll", false, false}, // climbs out
        {u"\\\\\\x.dll", false, false},
        {u"C:\\", false, false},
        {u"..", false, false},
        {u"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsFullPath(c.name), c.fullPath) << ToUtf8(c.name);
        EXPECT_EQ(IsLibraryFileName(c.name), c.fileName) << ToUtf8(c.name);
    }
}

TEST(LibraryLoads, TheUsbLibraryIsLoadedByItsFullPathBesideTheProgram) {
    // Wherever the program lies, and whatever the working folder is.
    for (const char16_t* folder : {u"C:\\Setup\\", u"\\\\server\\kits\\Demo Kit\\"}) {
        SCOPED_TRACE(ToUtf8(folder));
        WizardFixture w;
        w.files.module = String(folder) + u"ODAXPrintDrive.exe";
        w.Start();
        ASSERT_TRUE(w.dialogs.boxes.empty());
        EXPECT_EQ(w.libraries.paths, StringList{String(folder) + u"USBPrinterlibary.dll"});
        for (const String& name : w.libraries.systemNames)
            EXPECT_TRUE(IsLibraryFileName(name)) << ToUtf8(name);
        EXPECT_EQ(UsbLibraryVersion(), 12); // bound from what was loaded
    }
}
