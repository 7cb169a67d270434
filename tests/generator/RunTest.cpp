#include "FakeHost.h"
#include "FakeIdentities.h"
#include "NamedInput.h"
#include "generator/Genfunc.h"
#include "generator/OperatorNames.h"
#include "generator/Run.h"
#include "generator/Translate.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>
#include <filesystem>

#include <chrono>
#include <functional>
#include <map>

using testsupport::Expected;
using testsupport::FirstDifference;
using testsupport::ListFiles;
using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

SchemaObject Object(const std::string& name, const ColumnList& columns)
{
    return NamedObject(name, columns);
}

ColumnList Staff()
{
    return {{"ID", "int"}, {"Name", "varchar"}, {"Joined", "datetime"}, {"Photo", "image"}};
}

// Tables Log and Staff, and the view V_Users relabelled Users.
RunInput SampleInput()
{
    RunInput in;
    in.DatabaseCount = 3;
    in.Schema.Tables = {Object("Log", {{"ID", "int"}}), Object("Staff", Staff())};
    in.Schema.Views = {Object("V_Users", {{"UserName", "nvarchar"}, {"Age", "int"}})};
    in.Schema.Views[0].Label = "Users";
    return in;
}

class Run : public ::testing::Test {
protected:
    Run() : tree(dir.Path()) { ids.Columns = {{"Log", {"ID"}}, {"Staff", {"ID"}}}; }

    std::string Out(const std::string& relative) { return dir.File("Output/" + relative); }
    RunResult Generate(const RunInput& in) { return GenerateAll(in, tree, ids, host); }

    TempDir dir;
    OutputTree tree;
    FakeIdentities ids;
    FakeHost host;
};

const std::vector<std::string> kSampleFiles = {
    "DBComm/DBComm.cpp",
    "DBComm/DBComm.h",
    "DBComm/DBStoredProc/DBStoredProc.cpp",
    "DBComm/DBStoredProc/DBStoredProc.h",
    "DBComm/DBTables/DBTableOperator.h",
    "DBComm/DBTables/LogOperator.cpp",
    "DBComm/DBTables/LogOperator.h",
    "DBComm/DBTables/StaffOperator.cpp",
    "DBComm/DBTables/StaffOperator.h",
    "DBComm/DBTables/UsersOperator.cpp",
    "DBComm/DBTables/UsersOperator.h",
};

}  // namespace

TEST_F(Run, WritesTheWholeTreeByteForByte)
{
    RunResult result = Generate(SampleInput());
    EXPECT_EQ(result.Outcome, RunOutcome::Done);
    EXPECT_FALSE(result.TypeRefused);
    EXPECT_EQ(ListFiles(dir.File("Output")), kSampleFiles);
    const auto& files = testsupport::kLogStaffUsersFiles;
    for (const auto& [file, expected] : files)
        EXPECT_EQ(FirstDifference(Expected(expected), ReadFile(Out(file))), "") << file;

    // Nothing earlier to clear: no question. The labels and the opened root.
    EXPECT_TRUE(host.Boxes.empty());
    EXPECT_EQ(host.TableEvents,
              (std::vector<std::string>{"started", "object 0", "object 1", "done"}));
    EXPECT_EQ(host.ViewEvents, (std::vector<std::string>{"started", "object 0", "done"}));
    // The files counted as they go to disk, and only then the trees done.
    ASSERT_EQ(host.Written.size(), kSampleFiles.size());
    std::string all = std::to_string(kSampleFiles.size());
    EXPECT_EQ(host.Written.front(), "1/" + all);
    EXPECT_EQ(host.Written.back(), all + "/" + all);
    EXPECT_EQ(std::vector<std::string>(host.Order.end() - 3, host.Order.end()),
              (std::vector<std::string>{"written", "done", "done"}));
    EXPECT_EQ(host.Opened, (std::vector<std::string>{dir.File("Output")}));
    // One identity question per table.
    EXPECT_EQ(ids.Questions, (std::map<std::string, int>{{"Log", 1}, {"Staff", 1}}));
}

TEST_F(Run, BeforeAnyLoginNothingIsMade)
{
    RunInput in;
    EXPECT_EQ(Generate(in).Outcome, RunOutcome::NotLoggedIn);
    ASSERT_EQ(host.Boxes.size(), 1u);
    EXPECT_EQ(host.Boxes[0].Text, "请先登录数据库");
    EXPECT_EQ(host.Boxes[0].What, RunNotice::NotLoggedIn);
    EXPECT_FALSE(platform::DirectoryExists(dir.File("Output")));
}

TEST_F(Run, AfterALoginWithoutADatabaseTheSharedFilesAreWritten)
{
    RunInput in;
    in.DatabaseCount = 1;
    EXPECT_EQ(Generate(in).Outcome, RunOutcome::Done);
    EXPECT_EQ(ListFiles(dir.File("Output")),
              (std::vector<std::string>{"DBComm/DBComm.cpp", "DBComm/DBComm.h",
                                        "DBComm/DBStoredProc/DBStoredProc.cpp",
                                        "DBComm/DBStoredProc/DBStoredProc.h",
                                        "DBComm/DBTables/DBTableOperator.h"}));
    EXPECT_EQ(FirstDifference(Expected("DBComm.cpp.Empty.expected"),
                              ReadFile(Out("DBComm/DBComm.cpp"))),
              "");
    EXPECT_EQ(host.TableEvents, (std::vector<std::string>{"started", "done"}));
    EXPECT_EQ(host.ViewEvents, (std::vector<std::string>{"started", "done"}));
    EXPECT_EQ(host.Opened.size(), 1u);
}

TEST_F(Run, APlainFileNamedOutputStopsTheRun)
{
    testsupport::WriteFile(dir.File("Output"), "not a folder");
    EXPECT_EQ(Generate(SampleInput()).Outcome, RunOutcome::FolderFailed);
    ASSERT_EQ(host.Boxes.size(), 1u);
    EXPECT_EQ(host.Boxes[0].Text, "创建输出目录出错");
    EXPECT_EQ(host.Boxes[0].What, RunNotice::FolderFailed);
    EXPECT_EQ(ReadFile(dir.File("Output")), "not a folder");
    EXPECT_TRUE(host.Opened.empty());
}

TEST_F(Run, AnsweringNoKeepsEarlierFilesAndYesLeavesOnlyThisRuns)
{
    Generate(SampleInput());
    testsupport::WriteFile(Out("DBComm/DBTables/GoneOperator.h"), "old");
    testsupport::WriteFile(Out("stray.txt"), "old");
    std::string staff = ReadFile(Out("DBComm/DBTables/StaffOperator.cpp"));
    testsupport::WriteFile(Out("DBComm/DBTables/StaffOperator.cpp"), staff + "longer old text");

    // The user's own files beside the generated ones.
    testsupport::WriteFile(Out("DBComm/Notes.txt"), "mine");
    testsupport::WriteFile(Out("DBComm/DBTables/Helper.cpp"), "mine");
    testsupport::WriteFile(Out("DBComm/Shop.cbproj"), "mine");

    Generate(SampleInput());  // No
    EXPECT_EQ(host.Clears, 0);
    // The question says how many files clearing would delete: GoneOperator.h.
    EXPECT_EQ(host.QuestionCounts, (std::vector<std::size_t>{1}));
    EXPECT_TRUE(platform::FileExists(Out("DBComm/DBTables/GoneOperator.h")));
    EXPECT_EQ(ReadFile(Out("DBComm/DBTables/StaffOperator.cpp")), staff);

    host.Answers = {platform::IDYES};
    Generate(SampleInput());
    EXPECT_EQ(host.Clears, 1);
    // Only what Pellam wrote before and does not write now is gone.
    std::vector<std::string> expected = kSampleFiles;
    expected.insert(expected.end(), {"DBComm/DBTables/Helper.cpp", "DBComm/Notes.txt",
                                     "DBComm/Shop.cbproj", "stray.txt"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListFiles(dir.File("Output")), expected);
    // Nothing left to clear: no question the next time.
    host.Boxes.clear();
    Generate(SampleInput());
    EXPECT_TRUE(host.Boxes.empty());
    EXPECT_FALSE(platform::FileExists(dir.File("output_clear.sh")));
    EXPECT_FALSE(platform::FileExists(dir.File("output_clear.bat")));
    EXPECT_TRUE(platform::DirectoryExists(Out("DBComm/DBStoredProc")));
}

TEST_F(Run, ARefusedRunListsEveryProblemAndLeavesTheEarlierOutputAsItWas)
{
    // An earlier output, and its bytes.
    ASSERT_EQ(Generate(SampleInput()).Outcome, RunOutcome::Done);
    std::map<std::string, std::string> before;
    for (const std::string& f : ListFiles(dir.File("Output")))
        before[f] = ReadFile(Out(f));
    host.Boxes.clear();
    host.Opened.clear();

    RunInput in = SampleInput();
    in.Schema.Tables = {Object("A", {{"x", "int"}}), Object("B", {{"y", "varchar"}}),
                        Object("C", {{"ok", "int"}, {"g", "uniqueidentifier"}}),
                        Object("Order Details", {{"Unit Price", "money"}}),
                        Object("D", {{"z", "int"}, {"h", "hierarchyid"}})};
    in.Schema.Views[0].Columns[0].Label = "9lives";
    for (int answer : {platform::IDNO, platform::IDYES}) {
        host.Answers = {answer};
        host.Boxes.clear();
        RunResult result = Generate(in);
        EXPECT_EQ(result.Outcome, RunOutcome::NameRefused);
        EXPECT_EQ(result.TablesWritten + result.ViewsWritten, 0);
        EXPECT_TRUE(result.FilesWritten.empty());
        // One report, no question: the first line as the checks say it,
        // then every problem with its reason.
        ASSERT_EQ(host.Boxes.size(), 1u);
        const FakeHost::Box& notice = host.Boxes[0];
        // The first line says how many problems, the next one per kind what
        // clears them, each kind in the words of the one who reads it.
        EXPECT_EQ(notice.Text
                      .rfind("5 处问题，没有生成也没有清除任何文件：\n"
                             "3 处名称含有空格或标点、为空或不以字母开头：加 "
                             "--translate，或在窗口中修改名称\n"
                             "2 个字段的数据类型不支持：加 --types extended，或用 --type 指定\n"
                             "C:g:",
                             0),
                  0u)
            << notice.Text;
        EXPECT_EQ(notice.Problems,
                  (std::vector<std::string>{
                      "C:g:数据类型 uniqueidentifier "
                      "不支持（加 --types extended，或用 --type 指定它的类型组后可生成）",
                      "Order Details:含有空格或标点“ ”（翻译或改名后可生成）",
                      "Order Details:Unit Price:字段含有空格或标点“ ”（翻译或改名后可生成）",
                      "D:h:数据类型 hierarchyid "
                      "不支持（加 --types extended，或用 --type 指定它的类型组后可生成）",
                      "Users:9lives:字段不以字母开头（翻译或改名后可生成）"}));
        EXPECT_TRUE(host.Opened.empty());
        EXPECT_EQ(host.Clears, 0);
        // Not a byte changed, nothing added, nothing cleared.
        std::map<std::string, std::string> after;
        for (const std::string& f : ListFiles(dir.File("Output")))
            after[f] = ReadFile(Out(f));
        EXPECT_EQ(after, before);
    }
    EXPECT_EQ(host.TableEvents.back(), "refused");

    // Types alone: the run is refused for its types.
    RunInput types = SampleInput();
    types.Schema.Tables[0].Columns[0].TypeName = "geography";
    host.Boxes.clear();
    RunResult result = Generate(types);
    EXPECT_EQ(result.Outcome, RunOutcome::Done);
    EXPECT_TRUE(result.TypeRefused);
    ASSERT_EQ(host.Boxes.size(), 1u);
    EXPECT_EQ(host.Boxes[0]
                  .Text.rfind("1 处问题，没有生成也没有清除任何文件：\n1 个字段的数据类型不支持",
                              0),
              0u)
        << host.Boxes[0].Text;
    EXPECT_EQ(host.Boxes[0].What, RunNotice::TypeUnsupported);
}

TEST_F(Run, ATableWithoutColumnsGetsEmptyParameterNames)
{
    RunInput in = SampleInput();
    in.Schema.Tables[0].Columns = {};
    EXPECT_EQ(Generate(in).Outcome, RunOutcome::Done);
    EXPECT_EQ(FirstDifference(Expected("LogOperator.cpp.expected"),
                              ReadFile(Out("DBComm/DBTables/LogOperator.cpp"))),
              "");
}

TEST_F(Run, ANameThatFailsTheRuleStopsBeforeAnythingIsMade)
{
    RunInput in = SampleInput();
    in.Schema.Tables[1].Columns[2].Label = "2nd";  // a column of Staff
    EXPECT_EQ(Generate(in).Outcome, RunOutcome::NameRefused);
    ASSERT_EQ(host.Boxes.size(), 1u);
    EXPECT_EQ(host.Boxes[0].Text.rfind("1 处问题，", 0), 0u);
    EXPECT_EQ(host.Boxes[0].What, RunNotice::NameRefused);
    EXPECT_EQ(host.Boxes[0].Problems,
              (std::vector<std::string>{"Staff:2nd:字段不以字母开头（翻译或改名后可生成）"}));
    EXPECT_FALSE(platform::DirectoryExists(dir.File("Output")));
    EXPECT_TRUE(host.Opened.empty());
}

TEST_F(Run, CheckTreeNamesReportsOnlyTheFirstFailureByItsTopLevelNode)
{
    auto tree = [](std::vector<std::pair<std::string, NameList>> nodes) {
        SchemaObjects objects;
        for (const auto& [label, columns] : nodes) {
            ColumnList entries;
            for (const std::string& c : columns)
                entries.push_back({c, "int"});
            objects.push_back(Object(label, entries));
        }
        return objects;
    };
    EXPECT_TRUE(CheckTreeNames({}, host, true));
    EXPECT_FALSE(CheckTreeNames(tree({{"1st", {}}, {"Good", {"_bad"}}}), host, true));
    EXPECT_FALSE(CheckTreeNames(tree({{"Good", {"ok", "名称"}}, {"9", {}}}), host, true));
    // A view's column names land nowhere in its files; a table's are its
    // operator's parameters.
    EXPECT_TRUE(CheckTreeNames(tree({{"V", {"nCount"}}}), host, false));
    EXPECT_FALSE(CheckTreeNames(tree({{"T", {"nCount"}}}), host, true));
    ASSERT_EQ(host.Boxes.size(), 3u);
    EXPECT_EQ(host.Boxes[0].Text.rfind("1st:", 0), 0u);
    EXPECT_EQ(host.Boxes[1].Text.rfind("Good:", 0), 0u);
    EXPECT_EQ(host.Boxes[2].Text.rfind("T:", 0), 0u);
}

TEST_F(Run, TwinNamesAreRefusedAtTheirSecondNode)
{
    struct Case {
        const char* what;
        std::function<void(RunInput&)> change;
        const char* refused;
        int tablesWritten;
    };
    const Case cases[] = {
        {"two tables equal but for case", [](RunInput& in) { in.Schema.Tables[1].Label = "LOG"; },
         "LOG:", 0},
        {"a view named as a table", [](RunInput& in) { in.Schema.Views[0].Label = "staff"; },
         "staff:", 0},
        {"twin parameter names", [](RunInput& in) { in.Schema.Tables[1].Columns[1].Label = "ID"; },
         "Staff:ID:", 0},
    };
    for (const Case& c : cases) {
        FakeHost fresh;
        RunInput in = SampleInput();
        c.change(in);
        RunResult result = GenerateAll(in, tree, ids, fresh);
        EXPECT_EQ(result.Outcome, RunOutcome::NameRefused) << c.what;
        EXPECT_EQ(result.TablesWritten, c.tablesWritten) << c.what;
        ASSERT_FALSE(fresh.Boxes.empty()) << c.what;
        ASSERT_FALSE(fresh.Boxes.back().Problems.empty()) << c.what;
        EXPECT_EQ(fresh.Boxes.back().Problems.front().rfind(c.refused, 0), 0u)
            << fresh.Boxes.back().Text;
        EXPECT_EQ(fresh.Boxes.back().What, RunNotice::NameRefused);
    }
}

TEST_F(Run, CatalogueNamesTheGeneratedSqlCannotNameAreRefused)
{
    struct Case {
        const char* what;
        std::function<void(RunInput&)> change;
    };
    const Case cases[] = {
        {"a NUL in a table name",
         [](RunInput& in) { in.Schema.Tables[1].Name = std::string("St\0aff", 6); }},
        {"a tab in a column name",
         [](RunInput& in) { in.Schema.Tables[1].Columns[2].Name = "Jo\tined"; }},
        {"a column name GBK cannot hold",
         [](RunInput& in) { in.Schema.Tables[1].Columns[1].Name = "N\xF0\x9F\x98\x80"; }},
    };
    for (const Case& c : cases) {
        FakeHost fresh;
        RunInput in = SampleInput();
        c.change(in);
        EXPECT_EQ(GenerateAll(in, tree, ids, fresh).Outcome, RunOutcome::NameRefused) << c.what;
        ASSERT_FALSE(fresh.Boxes.back().Problems.empty()) << c.what;
        EXPECT_EQ(fresh.Boxes.back().Problems.front().rfind("Staff:", 0), 0u) << c.what;
    }
    EXPECT_FALSE(platform::FileExists(Out("DBComm/DBTables/StaffOperator.h")));
}

TEST_F(Run, AFailedIdentityQuestionEndsTheWalkAndDBCommNamesOnlyWhatWasWritten)
{
    RunInput in = SampleInput();
    ids.Failing = {"Staff"};
    RunResult result = Generate(in);
    EXPECT_TRUE(result.IdentityFailed);
    EXPECT_EQ(result.TablesWritten, 1);
    EXPECT_EQ(result.ViewsWritten, 1);
    EXPECT_FALSE(platform::FileExists(Out("DBComm/DBTables/StaffOperator.h")));
    EXPECT_TRUE(host.Boxes.empty());  // the source tells; the run adds nothing
    std::string header = ReadFile(Out("DBComm/DBComm.h"));
    EXPECT_NE(header.find("\r\n   Log,Users\r\n"), std::string::npos) << header;
    EXPECT_EQ(ReadFile(Out("DBComm/DBComm.cpp")).find("Staff"), std::string::npos);
}

TEST_F(Run, ACatalogueNameThatNamesNoObjectIsRefusedEvenWhenRelabelled)
{
    RunInput in = SampleInput();
    in.Schema.Views[0].Name = "V\xF0\x9F\x98\x80";
    EXPECT_EQ(Generate(in).Outcome, RunOutcome::NameRefused);
    ASSERT_FALSE(host.Boxes.back().Problems.empty());
    EXPECT_EQ(host.Boxes.back().Problems.front().rfind("Users:", 0), 0u);
    EXPECT_FALSE(platform::FileExists(Out("DBComm/DBTables/UsersOperator.h")));
}

TEST_F(Run, AFileThatCannotBeCreatedEndsTheRunWithTheWritersError)
{
    testsupport::MakeDir(Out("DBComm/DBTables/StaffOperator.h"));
    try {
        Generate(SampleInput());
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message, "Cannot create file " + Out("DBComm/DBTables/StaffOperator.h"));
    }
    EXPECT_TRUE(platform::FileExists(Out("DBComm/DBTables/LogOperator.cpp")));
    EXPECT_FALSE(platform::FileExists(Out("DBComm/DBTables/UsersOperator.h")));
    EXPECT_EQ(ReadFile(Out("DBComm/DBComm.cpp")).find("Staff"), std::string::npos);
    // Neither tree is said to be done.
    EXPECT_EQ(std::count(host.Order.begin(), host.Order.end(), "done"), 0);
}

TEST(ClearOutput, DeletesOnlyEarlierGeneratedFilesButThoseKeptAndFollowsNoLink)
{
    TempDir dir;
    std::string folder = dir.File("my program");
    OutputTree tree(folder);
    testsupport::MakeDir(folder + "/Output/DBComm/DBTables");
    testsupport::MakeDir(folder + "/Output/DBComm/DBStoredProc");
    testsupport::MakeDir(folder + "/elsewhere");
    struct File {
        const char* path;  // below Output
        bool cleared;
    };
    const File files[] = {
        {"DBComm/DBTables/OldOperator.h", true},
        {"DBComm/DBTables/OldOperator.cpp", true},
        {"DBComm/DBTables/KeptOperator.h", false},
        {"DBComm/DBComm.h", false},  // kept: the run writes it
        {"DBComm/DBComm.cpp", true},
#ifdef _WIN32
        {"DBComm/DBComm.h.pellam-4242.tmp", true},  // a cut-short write's new file
#else
        {"DBComm/DBComm.h.pellam-a1b2c3", true},  // a cut-short write's new file
#endif
        {"DBComm/DBStoredProc/DBStoredProc.h", true},
        // The user's own: notes, a project, a helper beside the operators.
        {"DBComm/Notes.txt", false},
        {"DBComm/Shop.cbproj", false},
        {"DBComm/DBTables/Helper.cpp", false},
        {"DBComm/DBTables/Operator.h", false},  // no class before the suffix
        {"readme.txt", false},
    };
    for (const File& f : files)
        testsupport::WriteFile(folder + "/Output/" + f.path, "x");
    testsupport::WriteFile(folder + "/elsewhere/GoneOperator.h", "x");
#ifndef _WIN32
    std::filesystem::create_symlink(folder + "/elsewhere", folder + "/Output/DBComm/linked");
#endif
    std::vector<std::string> keep = {InFolder(tree.TablesFolder(), "KeptOperator.h"),
                                     InFolder(tree.DBCommFolder(), kDBCommHeader)};
    std::size_t doomed = 0;
    for (const File& f : files)
        doomed += f.cleared;
    EXPECT_EQ(EarlierGeneratedFiles(tree, keep).size(), doomed);
    ClearOutputExcept(tree, keep);
    for (const File& f : files)
        EXPECT_EQ(platform::FileExists(folder + "/Output/" + f.path), !f.cleared) << f.path;
    EXPECT_TRUE(platform::DirectoryExists(folder + "/Output/DBComm/DBTables"));
    EXPECT_EQ(ListFiles(folder + "/elsewhere"), (std::vector<std::string>{"GoneOperator.h"}));
}

TEST_F(Run, ObjectsOutsideDboAreNamedWithTheirSchemaAndUnwritableColumnsAreLeftOut)
{
    // Sales.Orders beside a dbo table of the same bare name would be a twin;
    // Website.V_Customers is a view. The unwritable columns come from the
    // schema, as pellam-gen reads them, except the timestamp column, which
    // its type leaves out.
    RunInput in;
    in.DatabaseCount = 1;
    SchemaObject orders = Object("Orders", {{"ID", "int"},
                                            {"Total", "money"},
                                            {"Version", "timestamp", "timestamp"},
                                            {"ValidFrom", "datetime"},
                                            {"ValidTo", "datetime"},
                                            {"Note", "varchar"},
                                            {"Amount", "money"}});
    orders.Schema = "Sales";
    orders.Identity = {"ID", "Total", "ValidFrom", "ValidTo"};
    SchemaObject customers = Object("V_Customers", {{"Name", "varchar"}});
    customers.Schema = "Website";
    in.Schema.Tables = {orders};
    in.Schema.Views = {customers};
    SchemaIdentities identities(in.Schema.Tables);
    RunResult result = GenerateAll(in, tree, identities, host);
    EXPECT_EQ(result.Outcome, RunOutcome::Done);
    for (const auto& [file, expected] : std::vector<
             std::pair<std::string, std::string>>{{"DBComm/DBTables/OrdersOperator.h",
                                                   "OrdersOperator.h.sales.expected"},
                                                  {"DBComm/DBTables/OrdersOperator.cpp",
                                                   "OrdersOperator.cpp.sales.expected"},
                                                  {"DBComm/DBTables/V_CustomersOperator.h",
                                                   "V_CustomersOperator.h.website.expected"},
                                                  {"DBComm/DBTables/V_CustomersOperator.cpp",
                                                   "V_CustomersOperator.cpp.website.expected"}})
        EXPECT_EQ(FirstDifference(Expected(expected), ReadFile(Out(file))), "") << file;

    // A twin in another schema is asked for by its own schema.
    SchemaObject dboOrders = Object("Orders", {{"Note", "varchar"}});
    SchemaObjects twins = {dboOrders, orders};
    SchemaIdentities both(twins);
    IdentityNames sales, dbo;
    both.GetIdentityColumns(orders, sales);
    both.GetIdentityColumns(dboOrders, dbo);
    EXPECT_EQ(sales.size(), 4u);
    EXPECT_TRUE(dbo.empty());
}

TEST(ObjectNames, SchemaAndNameEachKeepTheirBracketsDoubled)
{
    struct Case {
        const char* schema;
        const char* name;
        const char* inBrackets;
    };
    const Case cases[] = {
        {"", "T", "T"},
        {"dbo", "a]b", "a]]b"},
        {"Sa]les", "Or]ders", "Sa]]les].[Or]]ders"},
        {"DBO", "T", "DBO].[T"},  // only dbo itself goes bare
    };
    for (const Case& c : cases) {
        SchemaObject o;
        o.Name = c.name;
        o.Schema = c.schema;
        EXPECT_EQ(SqlObjectInBrackets(o), c.inBrackets) << c.schema << "." << c.name;
    }
    SchemaObject quoted;
    quoted.Name = "O'Brien]";
    quoted.Schema = "x";
    EXPECT_EQ(TwoPartName(quoted), "[x].[O'Brien]]]");
}

TEST_F(Run, ANameThatIsAlsoAnIncludeGuardIsRefusedBeforeAnyOperatorIsWritten)
{
    struct Case {
        const char* what;
        std::vector<std::string> tables, views;
        std::string column;  // of the first table
        bool refused;
    };
    const Case cases[] = {
        {"tables A and AH", {"A", "AH"}, {}, "x", true},
        {"a view AH beside a table A", {"A"}, {"AH"}, "x", true},
        {"a table A with a column AH", {"A"}, {}, "AH", true},
        {"a table named DBCommH", {"DBCommH"}, {}, "x", true},
        {"a table named DBStoredProcH", {"DBStoredProcH"}, {}, "x", true},
        {"a table named DBTableOperatorH", {"DBTableOperatorH"}, {}, "x", true},
        {"a column named DBTableOperatorH", {"T"}, {}, "DBTableOperatorH", true},
        {"a column named after its own table's guard", {"T"}, {}, "TH", true},
        {"guards are case-sensitive, as the preprocessor is", {"A", "Ah"}, {}, "x", false},
        {"a table A and a table AHH", {"A", "AHH"}, {}, "x", false},
    };
    for (const Case& c : cases) {
        RunInput in;
        in.DatabaseCount = 1;
        for (const std::string& t : c.tables)
            in.Schema.Tables.push_back(Object(t, {{"x", "int"}}));
        in.Schema.Tables[0].Columns[0].Label = c.column;
        for (const std::string& v : c.views)
            in.Schema.Views.push_back(Object(v, {}));
        QuietRunHost quiet;
        EXPECT_EQ(ChecksPass(in, quiet), !c.refused) << c.what;
        FakeHost fresh;
        RunResult result = GenerateAll(in, tree, ids, fresh);
        EXPECT_EQ(result.Outcome == RunOutcome::NameRefused, c.refused) << c.what;
        if (c.refused) {
            ASSERT_FALSE(fresh.Boxes.empty()) << c.what;
            EXPECT_NE(fresh.Boxes.back().Text.find("保护宏"), std::string::npos) << c.what;
            // The tree holding the name writes none of its operators.
            EXPECT_EQ(c.views.empty() ? result.TablesWritten : result.ViewsWritten, 0) << c.what;
        }
    }
}

TEST_F(Run, ARunTheChecksWillStopClearsNothing)
{
    // An earlier run's output; then a view relabelled as a table's class
    // name, which the twin check refuses. Yes to clearing keeps every file.
    ASSERT_EQ(Generate(SampleInput()).Outcome, RunOutcome::Done);
    std::vector<std::string> before = ListFiles(dir.File("Output"));
    RunInput twin = SampleInput();
    twin.Schema.Views[0].Label = "Staff";
    host.Answers = {platform::IDYES};
    EXPECT_EQ(Generate(twin).Outcome, RunOutcome::NameRefused);
    EXPECT_EQ(host.Clears, 0);
    EXPECT_EQ(ListFiles(dir.File("Output")), before);
    EXPECT_EQ(FirstDifference(Expected("UsersOperator.cpp.relabelled.expected"),
                              ReadFile(Out("DBComm/DBTables/UsersOperator.cpp"))),
              "");
    // A run that passes its checks clears as asked.
    testsupport::WriteFile(Out("DBComm/DBTables/GoneOperator.cpp"), "old");
    host.Answers = {platform::IDYES};
    EXPECT_EQ(Generate(SampleInput()).Outcome, RunOutcome::Done);
    EXPECT_EQ(host.Clears, 1);
    EXPECT_FALSE(platform::FileExists(Out("DBComm/DBTables/GoneOperator.cpp")));
}

TEST(RunChecks, AClassNameWhoseFilesTheFileSystemCannotHoldIsRefusedBeforeAnything)
{
    struct Case {
        std::size_t letters;
        std::string folder;
        bool passes;
    };
    // The writer's longest name is its new file beside "<Class>Operator.cpp":
    // ".pellam-XXXXXX" here, so the file name limit leaves 229 letters.
    const std::size_t longest = platform::kMaxFileNameLength - std::strlen("Operator.cpp") -
                                platform::kTemporarySuffixLength;
#ifndef _WIN32
    EXPECT_EQ(longest, 229u);
#endif
    // The full path counts, in the file system's units: from the working
    // folder for a relative one; UTF-16 units on Windows, bytes elsewhere.
    const std::string here = platform::FromFileSystemPath(std::filesystem::current_path());
    const std::size_t room = platform::kMaxPathLength - 120 - here.size() - 1;
    const std::string deepName(room, 'd');
    const std::string deep = here + platform::kPathSeparator + deepName;
    std::string chinese;
    for (std::size_t k = 0; k < room; ++k)
        chinese += "汉";
#ifdef _WIN32
    const bool chineseFits = true;
#else
    const bool chineseFits = false;
#endif
    const std::size_t inDeep =
        120 - 1 - std::strlen("Operator.cpp") - platform::kTemporarySuffixLength;
    const Case cases[] = {
        {longest, "", true},
        {longest + 1, "", false},
        {inDeep, deep, true},
        {inDeep + 1, deep, false},
        {inDeep, deepName, true},  // the same folder, named from here
        {inDeep + 1, deepName, false},
        {inDeep, here + platform::kPathSeparator + chinese, chineseFits},
    };
    for (const Case& c : cases) {
        RunInput in;
        in.DatabaseCount = 1;
        in.Schema.Tables = {NamedObject(std::string(c.letters, 'A'), {{"x", "int"}})};
        FakeHost host;
        EXPECT_EQ(ChecksPass(in, host, c.folder), c.passes) << c.letters;
        if (!c.passes) {
            ASSERT_EQ(host.Boxes.size(), 1u);
            EXPECT_NE(host.Boxes[0].Text.find("名称太长"), std::string::npos);
        }
    }
}

TEST(RunChecks, ClassNamesThatDBCommsEnumeratorsOrGuardsWouldHideAreRefused)
{
    struct Case {
        std::vector<std::string> tables, views;
        const char* says;
    };
    const Case cases[] = {
        {{"Log", "LogOperator"}, {}, "LogOperator:Log:DBComm"},
        {{"LogOperator"}, {"Log"}, "Log:LogOperator:DBComm"},
        {{"GOODS", "GOODSH"}, {}, "GOODSH:GOODSH:"},
        {{"DBCommH"}, {}, "DBCommH:DBCommH:"},
    };
    for (const Case& c : cases) {
        RunInput in = NamedInput(c.tables, c.views);
        FakeHost host;
        EXPECT_FALSE(ChecksPass(in, host, "")) << c.says;
        ASSERT_EQ(host.Boxes.size(), 1u) << c.says;
        ASSERT_FALSE(host.Boxes[0].Problems.empty()) << c.says;
        EXPECT_EQ(host.Boxes[0].Problems.front().rfind(c.says, 0), 0u) << host.Boxes[0].Text;
    }
}

TEST(RunChecks, AnUnpairedQuoteInANameTheSqlCarriesIsRefusedByName)
{
    struct Case {
        const char* table;
        const char* schema;
        const char* column;
        const char* viewColumn;
        const char* says;  // "" when the checks pass
    };
    const Case cases[] = {
        {"O'Brien", "dbo", "a", "a", "T:O'Brien:"},
        {"T", "Sa\"les", "a", "a", "T:架构 Sa\"les:"},
        {"T", "dbo", "it`s", "a", "T:字段 it`s:"},
        {"T", "dbo", "a'b\"", "a", ""},  // any two quotes pair up
        {"O''Brien", "dbo", "a", "it's", ""},  // a view's columns reach no SQL text
    };
    for (const Case& c : cases) {
        RunInput in;
        in.DatabaseCount = 1;
        SchemaObject t = NamedObject(c.table, {{c.column, "int"}});
        t.Label = "T";
        t.Columns[0].Label = "a";
        t.Schema = c.schema;
        SchemaObject v = NamedObject("V", {{c.viewColumn, "int"}});
        v.Columns[0].Label = "a";
        in.Schema.Tables = {t};
        in.Schema.Views = {v};
        FakeHost host;
        EXPECT_EQ(ChecksPass(in, host, ""), *c.says == '\0') << c.table << c.column;
        if (*c.says) {
            ASSERT_EQ(host.Boxes.size(), 1u);
            ASSERT_FALSE(host.Boxes[0].Problems.empty()) << c.says;
            EXPECT_EQ(host.Boxes[0].Problems.front().rfind(c.says, 0), 0u) << host.Boxes[0].Text;
        }
    }
    // A ":" outside a literal is doubled for the parameter scan; inside one
    // it stays.
    EXPECT_EQ(ColonsDoubled("[a:b]"), "[a::b]");
    EXPECT_EQ(ColonsDoubled("[a':b'::c]"), "[a':b'::::c]");
    // 乣 is 81 60 in GBK, its second byte '`' in the file: the VCL steps
    // over the pair whole, and the doubling, on UTF-8, never sees a quote.
    EXPECT_EQ(ColonsDoubled("[乣:]"), "[乣::]");
}

TEST_F(Run, ARegenerationRewritesOnlyWhatChangedWithOrWithoutClearing)
{
    namespace fs = std::filesystem;
    ASSERT_EQ(Generate(SampleInput()).FilesUnchanged.size(), 0u);
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365);
    auto age = [&] {
        for (const std::string& f : kSampleFiles)
            fs::last_write_time(Out(f), old);
    };
    auto rewritten = [&] {
        std::vector<std::string> files;
        for (const std::string& f : kSampleFiles)
            if (fs::last_write_time(Out(f)) > old + std::chrono::hours(1))
                files.push_back(f);
        return files;
    };
    for (int answer : {platform::IDNO, platform::IDYES}) {
        age();
        testsupport::WriteFile(Out("DBComm/DBTables/GoneOperator.h"), "old");
        host.Answers = {answer};
        // Staff gains a column: its two files change, and nothing else.
        RunInput in = SampleInput();
        in.Schema.Tables[1].Columns.push_back({"Note", "Note", "varchar", ""});
        in.Schema.Tables[1].Columns.back().Label = "Note" + std::to_string(answer);
        RunResult result = Generate(in);
        EXPECT_EQ(rewritten(), (std::vector<std::string>{"DBComm/DBTables/StaffOperator.cpp",
                                                         "DBComm/DBTables/StaffOperator.h"}))
            << answer;
        EXPECT_EQ(result.FilesWritten.size(), kSampleFiles.size());
        EXPECT_EQ(result.FilesUnchanged.size(), kSampleFiles.size() - 2);
        // Clearing still removes what the run does not write.
        EXPECT_EQ(platform::FileExists(Out("DBComm/DBTables/GoneOperator.h")),
                  answer == platform::IDNO);
    }
    // DBComm goes to disk last.
    RunResult result = Generate(SampleInput());
    ASSERT_GE(result.FilesWritten.size(), 2u);
    EXPECT_EQ(result.FilesWritten[result.FilesWritten.size() - 2],
              InFolder(tree.DBCommFolder(), "DBComm.h"));
    EXPECT_EQ(result.FilesWritten.back(), InFolder(tree.DBCommFolder(), "DBComm.cpp"));
}

TEST(RunChecks, OneReportNamesEveryProblemEachOnOneLineWithAWayPastThatWorks)
{
    RunInput in;
    in.DatabaseCount = 1;
    in.Schema.Tables = {
        // A label refused, and a catalogue name GBK cannot hold.
        ObjectInSchema("E😀表", "dbo", {"a"}),
        ObjectInSchema("Log", "dbo", {"a"}),
        // A twin, with a column whose quote is unpaired.
        ObjectInSchema("Log", "Sales", {"it's"}),
        // Two control characters, in the name and in the schema, and a
        // line feed in a column name (which a literal can carry).
        ObjectInSchema("T\x07", "S\x01", {"x\ny"}),
        // A right-to-left override.
        ObjectInSchema("abc\u202Etxt", "dbo", {"a"}),
    };
    in.Schema.Tables[2].Columns[0].Label = "its";
    const std::vector<std::string> expected = {
        "E😀表:含有汉字或其他非 ASCII 字符（翻译或改名后可生成）",
        "E😀表:E😀表:名称含有GBK无法表示的字符（加 --unicode 生成 C++Builder 2009 "
        "及以后的形式，或在数据库中改名）",
        "Log:与另一个数据表或视图（Log）的类名相同（翻译或改名后可生成）",
        "Log:字段 it's:名称含有不成对的引号 '，VCL 解析参数时会把其后的 SQL "
        "当作字符串（翻译或改名不能解决，须在数据库中改名）",
        "T\\x07:含有空格或标点“\\x07”（翻译或改名后可生成）",
        "T\\x07:x\\x0Ay:字段含有空格或标点“\\x0A”（翻译或改名后可生成）",
        "T\\x07:T\\x07:名称含有控制字符（翻译或改名不能解决，须在数据库中改名）",
        "T\\x07:架构 S\\x01:名称含有控制字符（翻译或改名不能解决，须在数据库中改名）",
        "abc\\u202Etxt:含有汉字或其他非 ASCII 字符（翻译或改名后可生成）",
        "abc\\u202Etxt:abc\\u202Etxt:"
        "名称含有GBK无法表示的字符（加 --unicode 生成 C++Builder 2009 "
        "及以后的形式，或在数据库中改名）",
    };
    EXPECT_EQ(RunProblems(in, ""), expected);
    FakeHost host;
    EXPECT_FALSE(ChecksPass(in, host, ""));
    ASSERT_EQ(host.Boxes.size(), 1u);
    // One problem to a line, and nothing a terminal would act on.
    std::size_t lines = std::count(host.Boxes[0].Text.begin(), host.Boxes[0].Text.end(), '\n');
    // A summary line, one line for each of the four kinds, then each problem.
    EXPECT_EQ(lines, 4 + expected.size());
    for (char c : host.Boxes[0].Text)
        EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\n');

    // Translation mends what the report said it would, and no more: the
    // next run names exactly the problems left.
    TranslateLabels(in.Schema);
    EXPECT_EQ(RunProblems(in, ""),
              (std::vector<std::string>{
                  in.Schema.Tables[0].Label + ":E😀表:名称含有GBK无法表示的字符（加 --unicode 生成 "
                                              "C++Builder 2009 及以后的形式，或在数据库中改名）",
                  in.Schema.Tables[2].Label +
                      ":字段 it's:名称含有不成对的引号 '，VCL 解析参数时会把其后的 SQL "
                      "当作字符串（翻译或改名不能解决，须在数据库中改名）",
                  in.Schema.Tables[3].Label +
                      ":T\\x07:名称含有控制字符（翻译或改名不能解决，须在数据库中改名）",
                  in.Schema.Tables[3].Label +
                      ":架构 S\\x01:名称含有控制字符（翻译或改名不能解决，须在数据库中改名）",
                  in.Schema.Tables[4].Label + ":abc\\u202Etxt:"
                                              "名称含有GBK无法表示的字符（加 --unicode 生成 "
                                              "C++Builder 2009 及以后的形式，或在数据库中改名）",
              }));
}
