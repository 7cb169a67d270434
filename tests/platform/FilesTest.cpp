#include "platform/Files.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
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
    EXPECT_FALSE(MakeDirectory(dir.File("a/b")));
    EXPECT_TRUE(MakeDirectory(dir.File("a")));
    EXPECT_TRUE(DirectoryExists(dir.File("a")));
    EXPECT_FALSE(MakeDirectory(dir.File("a")));
    // A plain file of the folder's name is not a folder.
    testsupport::WriteFile(dir.File("plain"), "x");
    EXPECT_FALSE(DirectoryExists(dir.File("plain")));
    EXPECT_FALSE(MakeDirectory(dir.File("plain")));
}

TEST(Files, ChinesePathsReachTheFileSystemAsTheyAreWritten)
{
    TempDir dir;
    std::string path = dir.File("输出");
    ASSERT_TRUE(MakeDirectory(path));
    EXPECT_TRUE(DirectoryExists(path));
    EXPECT_EQ(WriteWholeFile(path + kPathSeparator + "文件.txt", "x"), 0);
    std::string back;
    EXPECT_TRUE(ReadWholeFile(path + kPathSeparator + "文件.txt", back));
    EXPECT_EQ(back, "x");
    // The folder the file system holds has that name, read back through
    // its own calls (wide ones on Windows).
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(FileSystemPath(dir.Path())))
        names.push_back(FromFileSystemPath(entry.path().filename()));
    EXPECT_EQ(names, std::vector<std::string>{"输出"});
}

TEST(Files, WholeFileWriteReportsAFolderInTheWay)
{
    TempDir dir;
    testsupport::MakeDir(dir.File("taken"));
    EXPECT_EQ(WriteWholeFile(dir.File("taken"), "x"), 1);
    EXPECT_EQ(WriteWholeFile(dir.File("missing/file"), "x"), 1);
}

TEST(Files, AFoldersNamesAreReadOnceAndAnswerAsItsFileSystemCompares)
{
    TempDir dir;
    testsupport::WriteFile(dir.File("Users.h"), "x");
    testsupport::MakeDir(dir.File("DBTables"));
    testsupport::WriteFile(dir.File("用户.h"), "x");
    FolderNames names(dir.Path());
    FolderNames missing(dir.File("nowhere"));
    // A file written after the listing is not in it: the names are read once.
    testsupport::WriteFile(dir.File("Later.h"), "x");
    struct Case {
        const FolderNames& folder;
        const char* name;
        bool mayHold;
    } cases[] = {
        {names, "Users.h", true},
        {names, "DBTables", true},  // any entry, a folder too
        {names, "用户.h", true},
        {names, "Staff.h", false},
        {names, "Users.cpp", false},
        {names, "Later.h", false},
        // Windows' names ignore case; elsewhere they do not.
        {names, "users.h", kPathSeparator == '\\'},
        {missing, "Users.h", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.folder.MayHold(c.name), c.mayHold) << c.name;
}

TEST(Files, AStagedWriteMovesTheNewFileIntoPlaceOrWritesItBeside)
{
    struct Case {
        const char* what;
        const char* staging;  // relative to the test's folder
        bool folderInTheWay;
        int rc;
    } cases[] = {
        {"through the staging folder", "stage", false, 0},
        {"a staging folder that is not there", "nowhere", false, 0},
        {"no staging folder", "", false, 0},
        {"a folder where the file goes", "stage", true, 1},
    };
    for (const Case& c : cases) {
        TempDir dir;
        testsupport::MakeDir(dir.File("stage"));
        testsupport::MakeDir(dir.File("tables"));
        std::string target = dir.File("tables/Users.h");
        if (c.folderInTheWay)
            testsupport::MakeDir(target);
        else
            testsupport::WriteFile(target, "old");
        std::string staging = *c.staging ? dir.File(c.staging) : std::string();
        EXPECT_EQ(WriteWholeFileStaged(target, "new", staging), c.rc) << c.what;
        if (c.rc == 0) {
            EXPECT_EQ(testsupport::ReadFile(target), "new") << c.what;
        }
        // Nothing is left behind, in the staging folder or beside.
        EXPECT_EQ(testsupport::ListFiles(dir.File("stage")), std::vector<std::string>{}) << c.what;
        EXPECT_EQ(testsupport::ListFiles(dir.File("tables")),
                  c.folderInTheWay ? std::vector<std::string>{}
                                   : std::vector<std::string>{"Users.h"})
            << c.what;
    }
}

TEST(Files, TwoFilesWrittenTogetherChangeTogetherOrNotAtAll)
{
    TempDir dir;
    std::string header = dir.File("DBComm.h"), source = dir.File("DBComm.cpp");
    std::size_t failed = 9;
    ASSERT_EQ(WriteWholeFiles({{header, "old h"}, {source, "old cpp"}}, failed), 0);
    EXPECT_EQ(testsupport::ReadFile(header), "old h");
    EXPECT_EQ(testsupport::ReadFile(source), "old cpp");
    // The second cannot be written (a folder is in its way): the first,
    // whole beside its target already, does not take its name either.
    std::string blocked = dir.File("blocked.cpp");
    testsupport::MakeDir(blocked);
    EXPECT_EQ(WriteWholeFiles({{header, "new h"}, {blocked, "new cpp"}}, failed), 1);
    EXPECT_EQ(failed, 1u);
    EXPECT_EQ(testsupport::ReadFile(header), "old h");
    EXPECT_EQ(testsupport::ListFiles(dir.Path()),
              (std::vector<std::string>{"DBComm.cpp", "DBComm.h"}));
    ASSERT_EQ(WriteWholeFiles({{header, "new h"}, {source, "new cpp"}}, failed), 0);
    EXPECT_EQ(testsupport::ReadFile(header) + testsupport::ReadFile(source), "new hnew cpp");
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

#ifndef _WIN32
TEST(Files, AnEndingSignalDuringAWriteRemovesTheNewFileAndLeavesTheOldOne)
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        TempDir dir;
        std::string path = dir.File("Big.cpp");
        testsupport::WriteFile(path, "old text");
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RemoveTemporaryFileOnSignals();
            // Long enough to be caught in the middle.
            for (;;)
                WriteWholeFile(path, std::string(64 << 20, 'x'));
        }
        // Wait for the new file to appear, then end the writer.
        bool seen = false;
        for (int i = 0; i < 2000 && !seen; ++i) {
            for (const std::string& f : testsupport::ListFiles(dir.Path()))
                seen = seen || IsTemporaryFileName(f);
            if (!seen)
                usleep(1000);
        }
        kill(child, signal);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(seen) << signal;
        ASSERT_TRUE(WIFSIGNALED(status)) << signal;
        EXPECT_EQ(WTERMSIG(status), signal);
        std::vector<std::string> left = testsupport::ListFiles(dir.Path());
        EXPECT_EQ(left, std::vector<std::string>{"Big.cpp"}) << signal;
        std::string bytes = testsupport::ReadFile(path);
        EXPECT_TRUE(bytes == "old text" || bytes == std::string(64 << 20, 'x')) << signal;
    }
}
#endif

#ifndef _WIN32
// The window has several threads: a signal is taken by whichever does not
// hold it off, often another than the one writing. The new file being
// made is removed all the same.
TEST(Files, AnEndingSignalTakenByAnotherThreadStillRemovesTheNewFile)
{
    for (int round = 0; round < 12; ++round) {
        TempDir dir;
        std::string path = dir.File("Small.cpp");
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RemoveTemporaryFileOnSignals();
            for (int t = 0; t < 4; ++t)
                std::thread([] {
                    for (;;)
                        pause();
                }).detach();
            // Small files: most of the time goes to making each new file.
            for (;;)
                WriteWholeFile(path, "x");
        }
        usleep(20000 + 7000 * round);
        kill(child, SIGTERM);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << round;
        for (const std::string& f : testsupport::ListFiles(dir.Path()))
            EXPECT_FALSE(IsTemporaryFileName(f)) << round << ": " << f;
    }
}

// DBComm's two files change together: when the second cannot take its
// place (an immutable file here; one held open on Windows), the first
// takes its earlier bytes back.
TEST(Files, APairWhoseSecondCannotBePlacedKeepsItsFirstAsItWas)
{
    TempDir dir;
    std::string header = dir.File("DBComm.h"), source = dir.File("DBComm.cpp");
    testsupport::WriteFile(header, "old header");
    testsupport::WriteFile(source, "old source");
    if (std::system(("chattr +i '" + source + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "no immutable files here";
    std::size_t failed = 9;
    int rc = WriteWholeFiles({{header, "new header"}, {source, "new source"}}, failed);
    std::system(("chattr -i '" + source + "'").c_str());
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(failed, 1u);
    EXPECT_EQ(testsupport::ReadFile(header), "old header");
    EXPECT_EQ(testsupport::ReadFile(source), "old source");
    EXPECT_EQ(testsupport::ListFiles(dir.Path()),
              (std::vector<std::string>{"DBComm.cpp", "DBComm.h"}));
    // A pair that can be placed is, and nothing is left beside it.
    EXPECT_EQ(WriteWholeFiles({{header, "new header"}, {source, "new source"}}, failed), 0);
    EXPECT_EQ(testsupport::ReadFile(header), "new header");
    EXPECT_EQ(testsupport::ListFiles(dir.Path()),
              (std::vector<std::string>{"DBComm.cpp", "DBComm.h"}));
}
#endif

#ifdef _WIN32
// An editor, a scanner or an indexer may hold DBComm.cpp open without
// sharing: the header takes its earlier bytes back.
TEST(Files, APairWhoseSecondIsHeldOpenKeepsItsFirstAsItWas)
{
    TempDir dir;
    std::string header = dir.File("DBComm.h"), source = dir.File("DBComm.cpp");
    testsupport::WriteFile(header, "old header");
    testsupport::WriteFile(source, "old source");
    HANDLE held = CreateFileW(FileSystemPath(source).c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::size_t failed = 9;
    int rc = WriteWholeFiles({{header, "new header"}, {source, "new source"}}, failed);
    CloseHandle(held);
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(failed, 1u);
    EXPECT_EQ(testsupport::ReadFile(header), "old header");
    EXPECT_EQ(testsupport::ReadFile(source), "old source");
    EXPECT_EQ(testsupport::ListFiles(dir.Path()),
              (std::vector<std::string>{"DBComm.cpp", "DBComm.h"}));
}
#endif

TEST(Files, TemporaryFileNamesAreKnownByTheirMark)
{
    struct Case {
        const char* name;
        bool temporary;
    };
#ifdef _WIN32
    const Case cases[] = {{"A.cpp.pellam-1234.tmp", true},
                          {"A.cpp.pellam-12a4.tmp", false},
                          {"A.cpp.pellam-XXXXXX", false},
                          {".pellam-1.tmp", false},
                          {"A.cpp", false}};
#else
    const Case cases[] = {{"A.cpp.pellam-a1B2c3", true}, {"DBComm.h.pellam-XXXXXX", true},
                          {"A.cpp.pellam-a1B2c", false}, {"A.cpp.pellam-a1B2c3.x", false},
                          {".pellam-a1B2c3", false},     {"A.cpp", false}};
#endif
    for (const Case& c : cases)
        EXPECT_EQ(IsTemporaryFileName(c.name), c.temporary) << c.name;
}
