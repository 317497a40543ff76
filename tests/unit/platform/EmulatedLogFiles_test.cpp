#include "platform/emulated/EmulatedLogFiles.h"

#include <gtest/gtest.h>

#include "platform/TempFolder.h"

TEST(EmulatedLogFiles, AppendsMakingFoldersMovesAsideAndReportsWindowsErrors) {
    TempFolder root;
    EmulatedLogFiles files;
    const String log = FromUtf8(root / "a") + u"\\b\\install.log";
    const String old = FromUtf8(root / "a") + u"\\b\\install.old.log";
    std::uint32_t error = 99;

    EXPECT_FALSE(files.FileSize(log));
    ASSERT_TRUE(files.Append(log, "one\r\n", error)); // the folders a and b are made
    EXPECT_EQ(error, 0u);
    ASSERT_TRUE(files.Append(log, "two\r\n", error));
    EXPECT_EQ(root.Read("a/b/install.log"), "one\r\ntwo\r\n");
    EXPECT_EQ(files.FileSize(log), 10u);

    root.Write("a/b/install.old.log", "older");
    ASSERT_TRUE(files.Replace(log, old, error));
    EXPECT_EQ(root.Read("a/b/install.old.log"), "one\r\ntwo\r\n");
    EXPECT_FALSE(files.FileSize(log));
    EXPECT_FALSE(files.Replace(log, old, error));
    EXPECT_EQ(error, 2u); // ERROR_FILE_NOT_FOUND

    // A file where a folder should be: the append fails, with the system's kind of reason.
    root.Write("plain", "x");
    EXPECT_FALSE(files.Append(FromUtf8(root / "plain") + u"\\install.log", "x", error));
    EXPECT_EQ(error, 3u);                                         // ERROR_PATH_NOT_FOUND
    EXPECT_FALSE(files.FileSize(FromUtf8(root.Path().string()))); // a folder has no size
}

TEST(EmulatedLogFiles, ProgramDataComesFromTheEnvironment) {
    const char* saved = std::getenv("ProgramData");
    const std::string keep = saved ? saved : "";
    ::setenv("ProgramData", "/srv/data/", 1);
    EmulatedLogFiles files;
    EXPECT_EQ(files.ProgramDataFolder(), u"/srv/data");
    if (saved)
        ::setenv("ProgramData", keep.c_str(), 1);
    else
        ::unsetenv("ProgramData");
}
