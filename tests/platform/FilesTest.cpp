#include "platform/Files.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using namespace platform;
using testsupport::TempDir;

#ifdef _WIN32
TEST(Files, FolderOfPathCutsAtTheLastSeparatorAndKeepsADriveRoot)
{
    EXPECT_EQ(FolderOfPath("C:\\Tools\\Pellam\\pellam.exe"), "C:\\Tools\\Pellam");
    EXPECT_EQ(FolderOfPath("C:\\pellam.exe"), "C:\\");
    EXPECT_EQ(FolderOfPath("C:pellam.exe"), "C");
    // A GBK character whose trail byte is 0x5C is not a separator.
    EXPECT_EQ(FolderOfPath("C:\\\x81\x5C"
                           "x\\pellam.exe"),
              "C:\\\x81\x5C"
              "x");
}
#else
TEST(Files, FolderOfPathCutsAtTheLastSeparatorAndKeepsARoot)
{
    EXPECT_EQ(FolderOfPath("/opt/pellam/pellam"), "/opt/pellam");
    EXPECT_EQ(FolderOfPath("/pellam"), "/");
    EXPECT_EQ(FolderOfPath("pellam"), "");
    // A GBK character whose trail byte is 0x5C is not a separator.
    std::string name = "/opt/\x81\x5C"
                       "x/pellam";
    EXPECT_EQ(FolderOfPath(name), "/opt/\x81\x5C"
                                  "x");
}
#endif

TEST(Files, ProgramFolderHoldsTheRunningExecutable)
{
    std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(DirectoryExists(folder));
    EXPECT_TRUE(FileExists(ExecutablePath()));
    EXPECT_EQ(FolderOfPath(ExecutablePath()), folder);
}

TEST(Files, NativeSuffixUsesThisPlatformsSeparator)
{
#ifdef _WIN32
    EXPECT_EQ(NativeSuffix("\\Output\\DBComm\\"), "\\Output\\DBComm\\");
#else
    EXPECT_EQ(NativeSuffix("\\Output\\DBComm\\"), "/Output/DBComm/");
#endif
}

TEST(Files, DirectoriesAreMadeOneLevelAtATime)
{
    TempDir dir;
    EXPECT_FALSE(CreateDirectoryA(dir.File("a/b")));
    EXPECT_TRUE(CreateDirectoryA(dir.File("a")));
    EXPECT_TRUE(DirectoryExists(dir.File("a")));
    EXPECT_FALSE(CreateDirectoryA(dir.File("a")));
    // A plain file of the folder's name is not a folder.
    testsupport::WriteFile(dir.File("plain"), "x");
    EXPECT_FALSE(DirectoryExists(dir.File("plain")));
    EXPECT_FALSE(CreateDirectoryA(dir.File("plain")));
}

TEST(Files, PathsInGbkReachTheFileSystemAsUtf8)
{
    TempDir dir;
    std::string gbkPath = Gbk(dir.File("输出"));
    ASSERT_TRUE(CreateDirectoryA(gbkPath));
    EXPECT_TRUE(DirectoryExists(gbkPath));
    EXPECT_EQ(WriteWholeFile(gbkPath + kPathSeparator + "f.txt", "x"), 0);
    std::string back;
    EXPECT_TRUE(ReadWholeFile(gbkPath + kPathSeparator + "f.txt", back));
    EXPECT_EQ(back, "x");
#ifndef _WIN32
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("输出")));
#endif
}

TEST(Files, WholeFileWriteReportsAFolderInTheWay)
{
    TempDir dir;
    testsupport::MakeDir(dir.File("taken"));
    EXPECT_EQ(WriteWholeFile(dir.File("taken"), "x"), 1);
    EXPECT_EQ(WriteWholeFile(dir.File("missing/file"), "x"), 1);
}

#ifndef _WIN32
TEST(Files, AWriteThatRunsOutOfRoomLeavesTheOldFileWhole)
{
    // A file size limit stands for a full disk: writes past it fail.
    TempDir dir;
    std::string path = dir.File("Operator.cpp");
    ASSERT_EQ(WriteWholeFile(path, "old text"), 0);
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    int rc = WriteWholeFile(path, std::string(100000, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(rc, 2);
    EXPECT_EQ(testsupport::ReadFile(path), "old text");
    EXPECT_EQ(testsupport::ListFiles(dir.Path()), std::vector<std::string>{"Operator.cpp"});
}
#endif

TEST(Files, ScriptRunsInItsFolderAndIsWaitedFor)
{
    TempDir dir;
    testsupport::MakeDir(dir.File("with blank"));
#ifdef _WIN32
    std::string script = dir.File("with blank/run me.bat");
    testsupport::WriteFile(script, "@echo done> marker\r\n@del /q /f %0\r\n");
    ASSERT_TRUE(RunScriptAndWait(script, dir.File("with blank")));
    EXPECT_EQ(testsupport::ReadFile(dir.File("with blank/marker")), "done\r\n");
#else
    std::string script = dir.File("with blank/run me.sh");
    testsupport::WriteFile(script, "sleep 0.2\necho done > marker\nrm -f \"$0\"\n");
    ASSERT_TRUE(RunScriptAndWait(script, dir.File("with blank")));
    EXPECT_EQ(testsupport::ReadFile(dir.File("with blank/marker")), "done\n");
#endif
    EXPECT_FALSE(FileExists(script));
    EXPECT_FALSE(RunScriptAndWait(dir.File("absent.sh"), dir.Path()));
}
