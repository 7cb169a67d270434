#include "generator/Genfunc.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using testsupport::Expected;
using testsupport::FirstDifference;
using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

void ExpectFile(const std::string& path, const std::string& expectedName)
{
    EXPECT_EQ(FirstDifference(Expected(expectedName), ReadFile(path)), "") << path;
}

}  // namespace

TEST(SharedFiles, FixedFilesAreWrittenByteForByte)
{
    TempDir dir;
    WriteStoredProcFiles(dir.Path());
    WriteTableOperatorBase(dir.Path());
    ExpectFile(dir.File("DBStoredProc.h"), "DBStoredProc.h.expected");
    ExpectFile(dir.File("DBStoredProc.cpp"), "DBStoredProc.cpp.expected");
    ExpectFile(dir.File("DBTableOperator.h"), "DBTableOperator.h.expected");

    // The captions are GBK bytes; none of the three ends with a line break.
    std::string proc = ReadFile(dir.File("DBStoredProc.cpp"));
    EXPECT_NE(proc.find("\"\xCC\xE1\xCA\xBE\",MB_ICONERROR"), std::string::npos);
    EXPECT_EQ(proc.substr(proc.size() - 3), "\r\n}");
    std::string base = ReadFile(dir.File("DBTableOperator.h"));
    EXPECT_NE(base.find("\"ExecSQL\xD6\xB4\xD0\xD0\xB3\xF6\xB4\xED\""), std::string::npos);
    EXPECT_EQ(base.substr(base.size() - 6), "#endif");
    std::string header = ReadFile(dir.File("DBStoredProc.h"));
    EXPECT_EQ(header.substr(header.size() - 8), "\r\n#endif");
}

TEST(SharedFiles, DBCommListsTablesThenViews)
{
    TempDir dir;
    NameList tables = {"Orders", "Users"};
    NameList views = {"V_Report"};
    WriteDBCommFiles(dir.Path() + "/", tables, views);
    ExpectFile(dir.File("DBComm.h"), "DBComm.h.OrdersUsersReport.expected");
    ExpectFile(dir.File("DBComm.cpp"), "DBComm.cpp.OrdersUsersReport.expected");
    EXPECT_EQ(tables, (NameList{"Orders", "Users"}));
    EXPECT_EQ(views, (NameList{"V_Report"}));

    // A second run over the same lists writes the same bytes.
    std::string first = ReadFile(dir.File("DBComm.cpp"));
    WriteDBCommFiles(dir.Path() + "/", tables, views);
    EXPECT_EQ(ReadFile(dir.File("DBComm.cpp")), first);
}

TEST(SharedFiles, DBCommForOneNameAndForNone)
{
    TempDir dir;
    WriteDBCommFiles(dir.Path(), {"Users"}, {});
    ExpectFile(dir.File("DBComm.cpp"), "DBComm.cpp.Users.expected");
    std::string header = ReadFile(dir.File("DBComm.h"));
    EXPECT_NE(header.find("\r\n   enum DBTable{\r\n   Users\r\n   };\r\n"), std::string::npos);

    WriteDBCommFiles(dir.Path(), {}, {});
    ExpectFile(dir.File("DBComm.cpp"), "DBComm.cpp.Empty.expected");
    header = ReadFile(dir.File("DBComm.h"));
    EXPECT_NE(header.find("\r\n   enum DBTable{\r\n   \r\n   };\r\n"), std::string::npos);
}

TEST(FileWriter, WritesExactlyTheTextAndReplacesLongerFiles)
{
    TempDir dir;
    std::string path = dir.File("out.txt");
    WriteTextFile(path, std::string(1000, 'x'));
    // The text is UTF-8; the file gets its GBK bytes.
    WriteTextFile(path, "提示\r\n执行出错");
    EXPECT_EQ(ReadFile(path), "\xCC\xE1\xCA\xBE\r\n\xD6\xB4\xD0\xD0\xB3\xF6\xB4\xED");
    // A character GBK cannot hold is never written as something else.
    EXPECT_THROW(WriteTextFile(path, "face😀"), platform::TextConversionError);
    EXPECT_EQ(ReadFile(path), "\xCC\xE1\xCA\xBE\r\n\xD6\xB4\xD0\xD0\xB3\xF6\xB4\xED");
    WriteTextFile(path, "");
    EXPECT_EQ(ReadFile(path).size(), 0u);
}

TEST(FileWriter, AFileThatCannotBeCreatedRaisesTheWritersError)
{
    TempDir dir;
    testsupport::MakeDir(dir.File("DBComm.h"));
    try {
        WriteDBCommFiles(dir.Path(), {"A"}, {});
        FAIL() << "no error raised";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message, "Cannot create file " + dir.File("DBComm.h"));
    }
    // The writer stops at the failing file.
    EXPECT_FALSE(platform::FileExists(dir.File("DBComm.cpp")));
}

TEST(OutputTreePaths, SuffixesJoinTheProgramFolder)
{
#ifdef _WIN32
    OutputTree tree("C:\\p");
    EXPECT_EQ(tree.OutputRoot(), "C:\\p\\Output");
    EXPECT_EQ(tree.DBCommFolder(), "C:\\p\\Output\\DBComm\\");
    EXPECT_EQ(tree.TablesFolder(), "C:\\p\\Output\\DBComm\\DBTables");
    EXPECT_EQ(tree.StoredProcFolder(), "C:\\p\\Output\\DBComm\\DBStoredProc");
    EXPECT_EQ(InFolder(tree.DBCommFolder(), "DBComm.h"), "C:\\p\\Output\\DBComm\\\\DBComm.h");
    // A program in a drive's root: a doubled backslash after the drive.
    EXPECT_EQ(OutputTree("C:\\").OutputRoot(), "C:\\\\Output");
#else
    OutputTree tree("/opt/p");
    EXPECT_EQ(tree.OutputRoot(), "/opt/p/Output");
    EXPECT_EQ(tree.DBCommFolder(), "/opt/p/Output/DBComm/");
    EXPECT_EQ(tree.TablesFolder(), "/opt/p/Output/DBComm/DBTables");
    EXPECT_EQ(tree.StoredProcFolder(), "/opt/p/Output/DBComm/DBStoredProc");
    // The DBComm folder keeps its separator, so its files get a doubled one.
    EXPECT_EQ(InFolder(tree.DBCommFolder(), "DBComm.h"), "/opt/p/Output/DBComm//DBComm.h");
    // A program in the root.
    EXPECT_EQ(OutputTree("/").OutputRoot(), "//Output");
#endif
    EXPECT_EQ(ProgramOutputTree().ProgramFolder, platform::ProgramFolder());
}
