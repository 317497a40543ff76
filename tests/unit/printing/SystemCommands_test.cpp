// The system commands by full path, for each architecture of system and program.
#include <gtest/gtest.h>

#include "base/Errors.h"
#include "fakes/FakeSystem.h"
#include "install/untInstall.h"
#include "printing/SystemCommands.h"

TEST(SystemCommands, RunBySystemPathForTheSystemsArchitecture) {
    struct Case {
        const char* name;
        Architecture system, process;
        const char16_t* rundll32;
        const char16_t* h;
    } cases[] = {
        {"32-bit Windows", Architecture::X86, Architecture::X86,
         u"\"D:\\WINNT\\System32\\rundll32.exe\"", u"x86"},
        {"64-bit program on 64-bit Windows", Architecture::X64, Architecture::X64,
         u"\"D:\\WINNT\\System32\\rundll32.exe\"", u"x64"},
        {"32-bit program on 64-bit Windows", Architecture::X64, Architecture::X86,
         u"\"D:\\WINNT\\Sysnative\\rundll32.exe\"", u"x64"},
        {"32-bit program on ARM64", Architecture::Arm64, Architecture::X86,
         u"\"D:\\WINNT\\Sysnative\\rundll32.exe\"", u"arm64"},
        {"x64 program on ARM64", Architecture::Arm64, Architecture::X64,
         u"\"D:\\WINNT\\System32\\rundll32.exe\"", u"arm64"},
        {"ARM64 program on ARM64", Architecture::Arm64, Architecture::Arm64,
         u"\"D:\\WINNT\\System32\\rundll32.exe\"", u"arm64"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem sys;
        sys.systemInfo.systemFolder = u"D:\\WINNT\\System32";
        sys.systemInfo.windowsFolder = u"D:\\WINNT";
        sys.systemInfo.system = c.system;
        sys.systemInfo.process = c.process;
        const String rundll32 = c.rundll32;
        EXPECT_EQ(DeleteCommand(u"POS-80 Printer"),
                  rundll32 + u" printui.dll,PrintUIEntry /dd /m \"POS-80 Printer\" /h \"" + c.h +
                      u"\" /v \"Type 3 - User Mode\" ");
        EXPECT_EQ(InstallCommand(u"POS-80", u"E:\\Kit\\", u"CN", u"pos.inf", u"IP_10.0.0.9"),
                  rundll32 + u" printui.dll,PrintUIEntry /if /b \"POS-80\" /f "
                             u"\"E:\\Kit\\CN\\pos.inf\" /r \"IP_10.0.0.9\" /m \"POS-80\"");
        // net.exe of either architecture serves; the system folder is the process's own.
        EXPECT_EQ(SpoolerCommand(SpoolerAction::Start),
                  u"\"D:\\WINNT\\System32\\net.exe\" start spooler");
        EXPECT_EQ(SpoolerCommand(SpoolerAction::Stop),
                  u"\"D:\\WINNT\\System32\\net.exe\" stop spooler");
    }
}

TEST(SystemCommands, AnUnknownSystemFolderRunsNothing) {
    FakeSystem sys;
    sys.systemInfo.systemFolder.clear();
    sys.systemInfo.windowsFolder.clear();
    EXPECT_THROW(RunSpoolerCommand(SpoolerAction::Start), Exception);
    EXPECT_THROW(InstallCommand(u"M", u"C:\\Kit\\", u"EN", u"pos.inf", u"COM1"), Exception);
    EXPECT_TRUE(sys.processes.commands.empty());
}
