#include "platform/Text.h"
#include "support/StandIn.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

using testsupport::Expected;
using testsupport::FirstDifference;
using testsupport::Fixture;
using testsupport::ListFiles;
using testsupport::ReadFile;
using testsupport::StandIn;
using testsupport::TempDir;

namespace {

const std::string kNolk = std::string(testsupport::kLogStaffViewDatabase) + R"(, {"name": "中文", "objects": [
  {"name": "用户表", "columns": [{"name": "编号", "type": "int", "identity": true},
    {"name": "姓名", "type": "nvarchar"}, {"name": "年龄", "type": "int"}]}]},
  {"name": "Alpha", "objects": [
  {"name": "A", "columns": [{"name": "x", "type": "int"}]},
  {"name": "B", "columns": [{"name": "g", "type": "uniqueidentifier"}]},
  {"name": "C", "columns": [{"name": "y", "type": "int"}]},
  {"name": "V", "xtype": "V", "columns": []}]})";

struct Outcome {
    int Code;
    std::string Out, Err;
};

class PellamGen : public ::testing::Test {
protected:
    PellamGen() : server(Fixture(kNolk)) {}

    // Runs pellam-gen with the arguments (a shell fragment) and the demo
    // password in PW.
    Outcome Run(const std::string& args, const std::string& input = "",
                const std::string& environment = "")
    {
        std::string command = environment + " PW='Pellam#2026' " + std::string(PELLAM_GEN) + " " + args + " > " +
                              dir.File("out") + " 2> " + dir.File("err");
        if (!input.empty())
            command = "printf '%s\\n' '" + input + "' | (" + command + ")";
        int status = std::system(command.c_str());
        return {WEXITSTATUS(status), ReadFile(dir.File("out")), ReadFile(dir.File("err"))};
    }
    std::string Connection() { return "--host " + server.Host() + " --password-env PW"; }

    StandIn server;
    TempDir dir;
};

const auto& kRelabelledFiles = testsupport::kLogStaffUsersFiles;

}  // namespace

TEST_F(PellamGen, ListsDatabasesInTheServersOrder)
{
    Outcome r = Run("databases " + Connection());
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Out, "Alpha\nmaster\nNOLK\n中文\n");
    // The password can come from standard input.
    r = Run("databases --host " + server.Host(), "Pellam#2026");
    EXPECT_EQ(r.Code, 0) << r.Err;
}

TEST_F(PellamGen, ASnapshotWithLabelsGeneratesWhatTheWindowWould)
{
    Outcome r = Run("schema " + Connection() + " --to " + dir.File("nolk.json"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    std::string json = ReadFile(dir.File("nolk.json"));
    std::string from = "\"name\": \"V_Users\",\n      \"label\": \"V_Users\"";
    ASSERT_NE(json.find(from), std::string::npos) << json;
    json.replace(json.find(from), from.size(), "\"name\": \"V_Users\",\n      \"label\": \"Users\"");
    testsupport::WriteFile(dir.File("nolk.json"), json);

    r = Run("generate --schema " + dir.File("nolk.json") + " --output " + dir.File("Output"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    std::vector<std::string> names;
    for (const auto& [file, expected] : kRelabelledFiles) {
        names.push_back(file);
        EXPECT_EQ(FirstDifference(Expected(expected), ReadFile(dir.File("Output/" + file))), "") << file;
    }
    EXPECT_EQ(ListFiles(dir.File("Output")), names);
}

TEST_F(PellamGen, TheSnapshotRoundTripGivesTheSameBytesAsTheServer)
{
    ASSERT_EQ(Run("generate " + Connection() + " --output " + dir.File("a")).Code, 0);
    ASSERT_EQ(Run("schema " + Connection() + " --to " + dir.File("s.json")).Code, 0);
    ASSERT_EQ(Run("generate --schema " + dir.File("s.json") + " --output " + dir.File("b")).Code, 0);
    std::vector<std::string> files = ListFiles(dir.File("a"));
    EXPECT_EQ(files, ListFiles(dir.File("b")));
    EXPECT_EQ(files.size(), 11u);
    for (const std::string& f : files)
        EXPECT_EQ(ReadFile(dir.File("a/" + f)), ReadFile(dir.File("b/" + f))) << f;
    EXPECT_EQ(FirstDifference(Expected("V_UsersOperator.cpp.expected"),
                              ReadFile(dir.File("a/DBComm/DBTables/V_UsersOperator.cpp"))), "");
}

TEST_F(PellamGen, AWrongPasswordExitsThreeAndWritesNothing)
{
    Outcome r = Run("generate --host " + server.Host() + " --output " + dir.File("Output"), "nope");
    EXPECT_EQ(r.Code, 3);
    EXPECT_NE(r.Err.find("[FreeTDS][SQL Server]Login failed for user 'sa'."), std::string::npos) << r.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("Output")));
    EXPECT_EQ(Run("generate " + Connection() + " --database Nowhere --output " + dir.File("Output")).Code, 3);
}

TEST_F(PellamGen, AFailedCatalogueStatementExitsThreeAndWritesNothing)
{
    // Each statement the server refuses: a table's columns, a view's
    // columns, a table's identity columns.
    for (const char* denied : {"WHERE [name]='Staff')", "WHERE [name]='V_Users')",
                               "upper('Log')"}) {
        StandIn denying(Fixture(kNolk), {"--deny", denied});
        std::string connection = "--host " + denying.Host() + " --password-env PW";
        Outcome r = Run("schema " + connection);
        EXPECT_EQ(r.Code, 3) << denied;
        EXPECT_EQ(r.Out, "") << denied;
        EXPECT_NE(r.Err.find("permission was denied"), std::string::npos) << r.Err;
        r = Run("generate " + connection + " --output " + dir.File("Output"));
        EXPECT_EQ(r.Code, 3) << denied;
        EXPECT_FALSE(std::filesystem::exists(dir.File("Output"))) << denied;
    }
}

TEST_F(PellamGen, AnUnsupportedTypeExitsOneAndTheViewsAreStillWritten)
{
    Outcome r = Run("generate " + Connection() + " --database alpha --output " + dir.File("Output"));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("B:数据类型不支持"), std::string::npos) << r.Err;
    EXPECT_TRUE(std::filesystem::exists(dir.File("Output/DBComm/DBTables/AOperator.h")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("Output/DBComm/DBTables/COperator.h")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("Output/DBComm/DBTables/VOperator.h")));
}

TEST_F(PellamGen, RefusedNamesBadSnapshotsAndUnwritableFiles)
{
    testsupport::WriteFile(dir.File("bad-name.json"),
                           R"({"tables": [{"name": "T", "label": "1T", "columns": []}], "views": []})");
    Outcome r = Run("generate --schema " + dir.File("bad-name.json") + " --output " + dir.File("o1"));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("1T:名称及字段名称不能包含汉字，必须以字母开头"), std::string::npos) << r.Err;

    testsupport::WriteFile(dir.File("malformed.json"),
                           R"({"tables": [{"name": "T", "columns": [{"name": 5}]}], "views": []})");
    r = Run("generate --schema " + dir.File("malformed.json") + " --output " + dir.File("o2"));
    EXPECT_EQ(r.Code, 2);
    EXPECT_NE(r.Err.find("tables[0].columns[0].name"), std::string::npos) << r.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("o2")));
    testsupport::WriteFile(dir.File("broken.json"), "{\"tables\": [");
    EXPECT_EQ(Run("generate --schema " + dir.File("broken.json") + " --output " + dir.File("o2")).Code, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("o2")));

    testsupport::WriteFile(dir.File("plain"), "x");
    EXPECT_EQ(Run("generate " + Connection() + " --output " + dir.File("plain")).Code, 4);
    testsupport::MakeDir(dir.File("o3/DBComm/DBTables/LogOperator.h"));
    r = Run("generate " + Connection() + " --output " + dir.File("o3"));
    EXPECT_EQ(r.Code, 4);
    EXPECT_NE(r.Err.find("Cannot create file"), std::string::npos);
}

TEST_F(PellamGen, ClearDeletesOnlyEarlierGeneratedFilesAndOnlyWhenTheRunIsNotRefused)
{
    // The output folder is the user's project: only the DBComm tree is ours.
    std::string out = dir.File("proj");
    ASSERT_EQ(Run("generate " + Connection() + " --output " + out).Code, 0);
    testsupport::WriteFile(out + "/DBComm/DBTables/OldOperator.h", "old");
    testsupport::MakeDir(out + "/src");
    testsupport::WriteFile(out + "/src/main.cpp", "mine");
    testsupport::WriteFile(out + "/README", "mine");
    testsupport::MakeDir(out + "/DBComm/mine");
    testsupport::WriteFile(out + "/DBComm/mine/notes.txt", "mine");
    ASSERT_EQ(Run("generate " + Connection() + " --output " + out).Code, 0);
    EXPECT_TRUE(std::filesystem::exists(out + "/DBComm/DBTables/OldOperator.h"));

    // A refused run deletes nothing.
    EXPECT_EQ(Run("generate " + Connection() + " --database alpha --clear --output " + out).Code, 1);
    EXPECT_TRUE(std::filesystem::exists(out + "/DBComm/DBTables/OldOperator.h"));
    EXPECT_TRUE(std::filesystem::exists(out + "/DBComm/DBTables/StaffOperator.h"));

    ASSERT_EQ(Run("generate " + Connection() + " --clear --output " + out).Code, 0);
    EXPECT_FALSE(std::filesystem::exists(out + "/DBComm/DBTables/OldOperator.h"));
    EXPECT_EQ(ReadFile(out + "/src/main.cpp"), "mine");
    EXPECT_EQ(ReadFile(out + "/README"), "mine");
    EXPECT_EQ(ReadFile(out + "/DBComm/mine/notes.txt"), "mine");
    EXPECT_EQ(ListFiles(out).size(), 11u + 3u);
}

TEST_F(PellamGen, OutputThatCannotBeWrittenExitsFour)
{
    for (const char* command : {"databases", "schema"}) {
        int status = std::system(("PW='Pellam#2026' " + std::string(PELLAM_GEN) + " " + command + " " +
                                  Connection() + " > /dev/full 2> " + dir.File("err"))
                                     .c_str());
        EXPECT_EQ(WEXITSTATUS(status), 4) << command;
        EXPECT_NE(ReadFile(dir.File("err")).find("标准输出"), std::string::npos) << command;
    }
}

TEST_F(PellamGen, SnapshotNamesGbkCannotHoldStayExactAndAreRefused)
{
    // The name as the server sent it survives the snapshot; a label cannot
    // make the operator name an object that does not exist.
    testsupport::WriteFile(dir.File("emoji.json"), R"({"tables": [{"name": "T", "columns": [
        {"name": "E😀", "label": "E", "type": "int"}]}], "views": []})");
    Outcome r = Run("generate --schema " + dir.File("emoji.json") + " --output " + dir.File("o"));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("T:E？:"), std::string::npos) << r.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("o/DBComm/DBTables/TOperator.h")));

    StandIn emoji(Fixture(R"({"name": "NOLK", "objects": [{"name": "T", "columns": [
        {"name": "E😀", "type": "int"}]}]})"));
    r = Run("schema --host " + emoji.Host() + " --password-env PW --translate");
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_NE(r.Out.find("\"name\": \"E😀\""), std::string::npos) << r.Out;

    // A number no double holds is a malformed snapshot with its place.
    testsupport::WriteFile(dir.File("huge.json"), R"({"tables":[],"views":[],"x":1e999})");
    r = Run("generate --schema " + dir.File("huge.json") + " --output " + dir.File("o"));
    EXPECT_EQ(r.Code, 2);
    EXPECT_NE(r.Err.find("第 29 字节"), std::string::npos) << r.Err;
}

TEST_F(PellamGen, TheOdbcDataSourceGoesUnderTmpdirAndStaleOnesAreRemoved)
{
    std::string tmp = dir.File("tmp");
    testsupport::MakeDir(tmp);
    testsupport::MakeDir(tmp + "/pellam-odbc-999999999-abc");
    testsupport::WriteFile(tmp + "/pellam-odbc-999999999-abc/Pellam1.ini", "[x]\n");
    Outcome r = Run("databases --host " + server.Host() + " --password-env PW", "", "TMPDIR=" + tmp);
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
}

TEST_F(PellamGen, TranslatedLabelsGenerateIdentifiersWithTheCataloguesSql)
{
    ASSERT_EQ(Run("schema " + Connection() + " --database 中文 --translate --to " + dir.File("t.json")).Code,
              0);
    std::string json = ReadFile(dir.File("t.json"));
    EXPECT_NE(json.find("\"label\": \"YongHuBiao\""), std::string::npos) << json;
    Outcome r = Run("generate --schema " + dir.File("t.json") + " --output " + dir.File("Output"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(FirstDifference(Expected("YongHuBiaoOperator.cpp.translated.expected"),
                              ReadFile(dir.File("Output/DBComm/DBTables/YongHuBiaoOperator.cpp"))), "");
    EXPECT_EQ(FirstDifference(Expected("DBComm.cpp.YongHuBiao.expected"),
                              ReadFile(dir.File("Output/DBComm/DBComm.cpp"))), "");
}

TEST_F(PellamGen, BadUsageExitsTwoWithTheUsage)
{
    for (const char* args : {"", "frobnicate", "generate", "databases --windows-auth --host x",
                             "schema --schema x.json", "generate --output"}) {
        Outcome r = Run(args);
        EXPECT_EQ(r.Code, 2) << args;
        EXPECT_NE(r.Err.find("usage:"), std::string::npos) << args;
    }
}
