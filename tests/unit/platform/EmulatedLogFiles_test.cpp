#include "platform/emulated/EmulatedLogFiles.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/TempFolder.h"

TEST(EmulatedLogFiles, AppendsRenamesThroughTheFileAndRefusesLinks) {
    TempFolder root;
    EmulatedLogFiles files;
    const String folder = FromUtf8(root / "a");
    const String log = folder + u"\\install.log";
    std::uint32_t error = 99;
    String refused;

    EXPECT_FALSE(files.Inspect(folder).exists);
    ASSERT_TRUE(files.CreateProtectedFolder(folder, error));
    const PathFacts made = files.Inspect(folder);
    EXPECT_TRUE(made.exists && made.directory && made.trustedOwner && !made.reparsePoint);

    std::unique_ptr<ILogFile> file = files.Open(log, error, refused);
    ASSERT_TRUE(file) << ToUtf8(refused);
    ASSERT_TRUE(file->Append("one\r\n", error));
    ASSERT_TRUE(file->Append("two\r\n", error));
    EXPECT_EQ(file->Size(), 10u);
    root.Write("a/install.old.log", "older");
    ASSERT_TRUE(file->RenameTo(u"install.old.log", error));
    EXPECT_EQ(root.Read("a/install.old.log"), "one\r\ntwo\r\n");
    EXPECT_FALSE(files.FileSize(log));

    // A link where the file or the folder would be is never written through.
    root.Write("elsewhere", "theirs");
    ASSERT_EQ(::symlink((root / "elsewhere").c_str(), (root / "a/install.log").c_str()), 0);
    EXPECT_FALSE(files.Open(log, error, refused));
    EXPECT_NE(refused.find(u"is a link"), String::npos);
    EXPECT_EQ(root.Read("elsewhere"), "theirs");
    ASSERT_EQ(::symlink((root / "a").c_str(), (root / "b").c_str()), 0);
    EXPECT_TRUE(files.Inspect(FromUtf8(root / "b")).reparsePoint);
    // A second name: writing would change the file it also names.
    ASSERT_EQ(::link((root / "elsewhere").c_str(), (root / "a/hard.log").c_str()), 0);
    refused.clear();
    EXPECT_FALSE(files.Open(folder + u"\\hard.log", error, refused));
    EXPECT_NE(refused.find(u"hard link"), String::npos);

    // A file where a folder should be: the open fails, with the system's kind of reason.
    root.Write("plain", "x");
    EXPECT_FALSE(files.Open(FromUtf8(root / "plain") + u"\\install.log", error, refused));
    EXPECT_EQ(error, 3u); // ERROR_PATH_NOT_FOUND
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
