#include "catalog/CatalogReader.h"
#include "catalog/Dbmodule.h"
#include "platform/Text.h"
#include "support/StandIn.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

using testsupport::Fixture;
using testsupport::RecordingMessageBoxes;
using testsupport::StandIn;

namespace {

const char* const kNolk = R"({"name": "NOLK", "objects": [
  {"name": "Staff", "columns": [
    {"name": "ID", "type": "int", "identity": {"seed": 1, "incr": 1, "current": 9}},
    {"name": "Name", "type": "varchar", "length": 50},
    {"name": "Joined", "type": "datetime"},
    {"name": "Photo", "type": "image"}]},
  {"name": "orders", "columns": [{"name": "No", "type": "int"}]},
  {"name": "O'Brien", "columns": [{"name": "Pub", "type": "nvarchar"}]},
  {"name": "Odd", "columns": [{"name": "x", "xusertype": 9999}]},
  {"name": "Twice", "owner": "dbo", "columns": [{"name": "a", "type": "int"}]},
  {"name": "Twice", "owner": "sales", "columns": [{"name": "b", "type": "int"}]},
  {"name": "dtproperties", "status": -1073741823, "columns": [{"name": "id", "type": "int"}]},
  {"name": "用户表", "columns": [{"name": "编号", "type": "int", "identity": true}]},
  {"name": "Emoji", "columns": [{"name": "face😀", "type": "int"}]},
  {"name": "V_Staff", "xtype": "V", "columns": [{"name": "Name", "type": "varchar"}]},
  {"name": "A_View", "xtype": "V", "columns": []}
]})";

// An object as the lists name it.
SchemaObject Obj(const std::string& name, const std::string& schema = "dbo")
{
    SchemaObject o;
    o.Name = o.Label = name;
    o.Schema = schema;
    return o;
}

// "schema.name" of each object listed.
NameList Qualified(const SchemaObjects& objects)
{
    NameList names;
    for (const SchemaObject& o : objects)
        names.push_back(o.Schema + "." + o.Name);
    return names;
}

const char* const kOthers = R"({"name": "model"}, {"name": "Empty"}, {"name": "we]ird",
  "objects": [{"name": "T1", "columns": []}]})";

class Catalogue : public ::testing::Test {
protected:
    Catalogue() : server(Fixture(std::string(kNolk) + "," + kOthers)) { }

    bool LogIn(const std::string& catalog = "NOLK")
    {
        return data.Connect(true, server.Host(), "Pellam#2026", catalog);
    }

    StandIn server;
    RecordingMessageBoxes boxes;
    TDBData data;
};

}  // namespace

TEST_F(Catalogue, BeforeAnyLoginEveryQuestionFailsWithOneBoxAndAddsNothing)
{
    NameList databases = {"kept"};
    SchemaObjects tables;
    ColumnList columns;
    EXPECT_FALSE(data.GetDatabaseList(databases));
    EXPECT_FALSE(data.GetTableList("NOLK", tables));
    EXPECT_FALSE(data.GetColumnList(Obj("Staff"), columns));
    EXPECT_EQ(databases, (NameList{"kept"}));
    EXPECT_TRUE(tables.empty());
    EXPECT_TRUE(columns.empty());
    EXPECT_FALSE(data.Available());
    // Told once: the connection is not there, and every later question
    // fails quietly until a login.
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Caption, "ExecSQL执行出错");
    ASSERT_TRUE(LogIn());
    EXPECT_TRUE(data.Available());
    EXPECT_TRUE(data.GetColumnList(Obj("Staff"), columns));
    EXPECT_EQ(columns.size(), 4u);
}

TEST_F(Catalogue, ConnectionStringsOfBothLogins)
{
    EXPECT_EQ(TDBData::WindowsConnectionString("NOLK"),
              "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
              "Initial Catalog=NOLK;Data Source=.");
    EXPECT_EQ(TDBData::SqlServerConnectionString("pw", "NOLK", "10.0.0.1"),
              "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;"
              "Initial Catalog=NOLK;Data Source=10.0.0.1");
    // A value holding ';' keeps its meaning.
    EXPECT_EQ(TDBData::SqlServerConnectionString("x;Data Source=elsewhere", "a\"b", "h"),
              "Provider=SQLOLEDB.1;Password=\"x;Data Source=elsewhere\";Persist Security "
              "Info=True;User ID=sa;Initial Catalog=\"a\"\"b\";Data Source=h");

    // Windows login ignores the host: the local default instance.
    EXPECT_FALSE(data.Connect(false, server.Host(), "", "master"));
    EXPECT_EQ(data.ADOConnection1->ConnectionString, TDBData::WindowsConnectionString("master"));
    EXPECT_NE(platform::OdbcConnectionString(
                  platform::TranslateConnectionString(data.ADOConnection1->ConnectionString))
                  .find("Server=127.0.0.1;Port=1433;Trusted_Connection=Yes"),
              std::string::npos);
}

TEST_F(Catalogue, ListsDatabasesTablesAndViewsInNameOrder)
{
    ASSERT_TRUE(LogIn("master"));
    NameList databases = {"kept"};
    data.GetDatabaseList(databases);
    EXPECT_EQ(databases, (NameList{"kept", "Empty", "master", "model", "NOLK", "we]ird"}));

    SchemaObjects tables, views;
    data.GetTableList("nolk", tables);
    EXPECT_EQ(Qualified(tables), (NameList{"dbo.Emoji", "dbo.O'Brien", "dbo.Odd", "dbo.orders",
                                           "dbo.Staff", "dbo.Twice", "sales.Twice", "dbo.用户表"}));
    data.GetViewList("NOLK", views);
    EXPECT_EQ(Qualified(views), (NameList{"dbo.A_View", "dbo.V_Staff"}));

    SchemaObjects none;
    data.GetTableList("Empty", none);
    data.GetViewList("Empty", none);
    EXPECT_TRUE(none.empty());
    data.GetTableList("we]ird", none);
    EXPECT_EQ(Qualified(none), (NameList{"dbo.T1"}));
    EXPECT_TRUE(boxes.Shown.empty());
}

TEST_F(Catalogue, ColumnsComeInServerOrderWithTheirTypes)
{
    ASSERT_TRUE(LogIn());
    ColumnList columns = {{"kept", "int"}};
    EXPECT_TRUE(data.GetColumnList(Obj("Staff"), columns));
    EXPECT_EQ(columns, (ColumnList{{"kept", "int"},
                                   {"ID", "int", "int"},
                                   {"Name", "varchar", "varchar"},
                                   {"Joined", "datetime", "datetime"},
                                   {"Photo", "image", "image"}}));
    // The name compares as the server's collation does.
    ColumnList lower;
    EXPECT_TRUE(data.GetColumnList(Obj("STAFF"), lower));
    EXPECT_EQ(lower.size(), 4u);
    // No such object: no rows, and the statement still ran.
    ColumnList nothing;
    EXPECT_TRUE(data.GetColumnList(Obj("Nope"), nothing));
    EXPECT_TRUE(nothing.empty());
    // No type row: an empty type name.
    ColumnList odd;
    EXPECT_TRUE(data.GetColumnList(Obj("Odd"), odd));
    EXPECT_EQ(odd, (ColumnList{{"x", "", ""}}));
    EXPECT_TRUE(boxes.Shown.empty());
}

TEST_F(Catalogue, QuotesInNamesAreDoubledSoTheStatementsStayIntact)
{
    ASSERT_TRUE(LogIn());
    ColumnList columns;
    EXPECT_TRUE(data.GetColumnList(Obj("O'Brien"), columns));
    ASSERT_EQ(columns.size(), 1u);
    EXPECT_EQ(columns[0].Name, "Pub");
    // Crafted names stay names, in the literal and in the brackets.
    for (const char* crafted : {"x') OR 1=1 --", "x]') OR 1=1 --", "x]].[y"}) {
        ColumnList none;
        EXPECT_TRUE(data.GetColumnList(Obj(crafted), none)) << crafted;
        EXPECT_TRUE(none.empty()) << crafted;
        EXPECT_TRUE(data.GetColumnList(Obj("Staff", crafted), none)) << crafted;
        EXPECT_TRUE(none.empty()) << crafted;
    }
    IdentityNames ids;
    data.GetIdentityColumns(Obj("O'Brien"), ids);
    EXPECT_TRUE(ids.empty());
    EXPECT_TRUE(boxes.Shown.empty());
}

TEST_F(Catalogue, TwoObjectsOfOneNameInTwoSchemasEachGetTheirOwnColumns)
{
    ASSERT_TRUE(LogIn());
    ColumnList dbo, sales;
    EXPECT_TRUE(data.GetColumnList(Obj("Twice"), dbo));
    EXPECT_TRUE(data.GetColumnList(Obj("Twice", "sales"), sales));
    ASSERT_EQ(dbo.size(), 1u);
    ASSERT_EQ(sales.size(), 1u);
    EXPECT_EQ(dbo[0].Name, "a");
    EXPECT_EQ(sales[0].Name, "b");
    EXPECT_TRUE(boxes.Shown.empty());
}

TEST_F(Catalogue, IdentityColumnsIgnoreLetterCase)
{
    ASSERT_TRUE(LogIn());
    IdentityNames ids;
    data.GetIdentityColumns(Obj("sTaFf"), ids);
    EXPECT_EQ(ids, (IdentityNames{"ID"}));
    IdentityNames none;
    data.GetIdentityColumns(Obj("orders"), none);
    EXPECT_TRUE(none.empty());
}

TEST_F(Catalogue, NamesArriveExactlyAsTheServerSentThem)
{
    ASSERT_TRUE(LogIn());
    ColumnList columns;
    EXPECT_TRUE(data.GetColumnList(Obj("用户表"), columns));
    EXPECT_EQ(columns, (ColumnList{{"编号", "int", "int"}}));
    IdentityNames ids;
    data.GetIdentityColumns(Obj("用户表"), ids);
    EXPECT_EQ(ids, (IdentityNames{"编号"}));

    ColumnList emoji;
    EXPECT_TRUE(data.GetColumnList(Obj("Emoji"), emoji));
    ASSERT_EQ(emoji.size(), 1u);
    // A name GBK cannot hold arrives whole; only the generated files'
    // encoding cannot hold it.
    EXPECT_EQ(emoji[0].Name, "face\xF0\x9F\x98\x80");
    EXPECT_FALSE(platform::GbkCanHold(emoji[0].Name));
    EXPECT_TRUE(platform::GbkCanHold(columns[0].Name));
}

TEST_F(Catalogue, FailedLoginsShowAChineseLineThenTheDriversMessage)
{
    struct Case {
        const char* what;
        std::string host, password, catalog;
        const char* hint;  // the first line
        const char* driver;  // the driver's words that follow it
    };
    const Case cases[] = {
        {"a wrong password", server.Host(), "wrong", "master", "登录失败：",
         "[FreeTDS][SQL Server]Login failed for user 'sa'."},
        {"a database that cannot be opened", server.Host(), "Pellam#2026", "Nope",
         "无法打开数据库：", "Cannot open database \"Nope\""},
        {"nothing listening", "127.0.0.1,1", "x", "master", "无法连接到服务器：",
         "[FreeTDS][SQL Server]Unable to connect"},
    };
    for (const Case& c : cases) {
        boxes.Shown.clear();
        auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(data.Connect(true, c.host, c.password, c.catalog)) << c.what;
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                  5.0);
        ASSERT_EQ(boxes.Shown.size(), 1u) << c.what;
        const std::string& text = boxes.Shown[0].Text;
        EXPECT_EQ(text.rfind(c.hint, 0), 0u) << c.what << ": " << text;
        std::size_t line = text.find('\n');
        ASSERT_NE(line, std::string::npos) << text;
        EXPECT_EQ(text.find('\n', 0), line);
        EXPECT_NE(text.find(c.driver, line), std::string::npos) << text;
        EXPECT_EQ(boxes.Shown[0].Caption, "登录失败");
        EXPECT_EQ(boxes.Shown[0].Flags, 16);
        EXPECT_FALSE(data.ADOConnection1->Connected());
    }
    // A statement without a connection fails with one box.
    EXPECT_EQ(data.ExecSQL("SELECT 1"), nullptr);
    EXPECT_EQ(boxes.Shown.size(), 2u);
}

TEST(CataloguePasswords, EveryCharacterReachesTheServer)
{
    for (std::string password : {"p;w}d'x\"y", "x;Data Source=elsewhere", " a}};b}", "{br}", "=x",
                                 "===", "==", "\tpw", "pw\r\n", "\n"}) {
        StandIn server(Fixture("{\"name\": \"NOLK\"}", password));
        RecordingMessageBoxes boxes;
        TDBData data;
        EXPECT_TRUE(data.Connect(true, server.Host(), password, "NOLK")) << password;
        EXPECT_TRUE(boxes.Shown.empty()) << password;
    }
    // A Chinese database name travels as typed; the driver sends passwords as
    // ISO 8859-1, so a Chinese one is refused with a clear message.
    StandIn server(Fixture("{\"name\": \"中文库\"}", "péssü"));
    RecordingMessageBoxes boxes;
    TDBData data;
    EXPECT_TRUE(data.Connect(true, server.Host(), "péssü", "中文库"));
    EXPECT_TRUE(boxes.Shown.empty()) << (boxes.Shown.empty() ? "" : boxes.Shown[0].Text);
    EXPECT_FALSE(data.Connect(true, server.Host(), "密码", "中文库"));
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_NE(boxes.Shown[0].Text.find("ISO 8859-1"), std::string::npos);
}

TEST(CatalogueNames, ADatabaseNameWithAnOuterBlankOpensThatDatabase)
{
    StandIn server(Fixture(
        R"({"name": "Lead", "objects": [{"name": "T", "columns": [{"name": "a", "type": "int"}]}]},
        {"name": " Lead", "objects": [{"name": "T", "columns": [{"name": "b", "type": "int"}]}]})"));
    RecordingMessageBoxes boxes;
    TDBData data;
    ASSERT_TRUE(data.Connect(true, server.Host(), "Pellam#2026", " Lead"));
    ColumnList columns;
    EXPECT_TRUE(data.GetColumnList(Obj("T"), columns));
    ASSERT_EQ(columns.size(), 1u);
    EXPECT_EQ(columns[0].Name, "b");
}

TEST(CatalogueFaults, ADroppedConnectionShowsOneBoxAndTheNextConnectWorks)
{
    StandIn server(Fixture(kNolk), {"--close-after", "1"});
    RecordingMessageBoxes boxes;
    TDBData data;
    ASSERT_TRUE(data.Connect(true, server.Host(), "Pellam#2026", "NOLK"));
    SchemaObjects tables;
    data.GetTableList("NOLK", tables);
    EXPECT_FALSE(tables.empty());
    ColumnList columns;
    EXPECT_FALSE(data.GetColumnList(Obj("Staff"), columns));
    EXPECT_TRUE(columns.empty());
    // Every later statement fails too, without a box of its own.
    EXPECT_FALSE(data.GetColumnList(Obj("orders"), columns));
    IdentityNames ids;
    EXPECT_FALSE(data.GetIdentityColumns(Obj("Staff"), ids));
    EXPECT_EQ(boxes.Shown.size(), 1u);
    ASSERT_TRUE(data.Connect(true, server.Host(), "Pellam#2026", "NOLK"));
    EXPECT_TRUE(data.GetColumnList(Obj("Staff"), columns));
    EXPECT_EQ(columns.size(), 4u);
}

TEST(CatalogueScale, TwoThousandTablesListInNameOrder)
{
    std::string objects;
    for (int i = 1999; i >= 0; --i) {
        char name[16];
        std::snprintf(name, sizeof name, "T%04d", i);
        objects += std::string(objects.empty() ? "" : ",") + "{\"name\": \"" + name + "\"}";
    }
    StandIn server(Fixture("{\"name\": \"Big\", \"objects\": [" + objects + "]}"));
    RecordingMessageBoxes boxes;
    TDBData data;
    ASSERT_TRUE(data.Connect(true, server.Host(), "Pellam#2026", "Big"));
    SchemaObjects tables;
    data.GetTableList("Big", tables);
    NameList names = ObjectNames(tables);
    ASSERT_EQ(names.size(), 2000u);
    EXPECT_EQ(names.front(), "T0000");
    EXPECT_EQ(names.back(), "T1999");
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

namespace {

// What a run of questions gave: the answers, which were answered, and the
// boxes shown, as texts.
struct Answers {
    std::vector<std::vector<std::string>> Lists;
    std::vector<bool> Answered;
    std::vector<std::string> Boxes;
    bool operator==(const Answers& o) const
    {
        return Lists == o.Lists && Answered == o.Answered && Boxes == o.Boxes;
    }
};

}  // namespace

TEST(CatalogueBatches, AnswerExactlyAsOneStatementAtATime)
{
    // 450 tables, every third with an identity column: three batches.
    std::string objects;
    SchemaObjects names;
    for (int i = 0; i < 450; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "T%03d", i);
        names.push_back(Obj(name));
        objects += std::string(i ? "," : "") + R"({"name": ")" + name +
                   R"(", "columns": [{"name": "c)" + std::to_string(i) +
                   R"(", "type": "int", "identity": )" + (i % 3 ? "false" : "true") + "}]}";
    }
    std::string fixture = Fixture(R"({"name": "NOLK", "objects": [)" + objects + "]}");

    // Batched: in one batch (the bound), or in three of about 60 KiB.
    std::size_t bound = 0;
    auto ask = [&](const std::vector<std::string>& options, bool identity, bool batched) {
        StandIn server(fixture, options);
        RecordingMessageBoxes boxes;
        TDBData data;
        data.SetBatchBytes(bound);
        EXPECT_TRUE(data.Connect(true, server.Host(), "Pellam#2026", "NOLK"));
        Answers a;
        std::vector<ColumnList> columns;
        std::vector<IdentityNames> ids;
        if (batched)
            a.Answered = identity ? data.GetIdentityColumnLists(names, ids)
                                  : data.GetColumnLists(names, columns);
        for (std::size_t k = 0; k < names.size(); ++k) {
            if (!batched) {
                columns.emplace_back();
                ids.emplace_back();
                a.Answered.push_back(identity ? data.GetIdentityColumns(names[k], ids[k])
                                              : data.GetColumnList(names[k], columns[k]));
            }
            std::vector<std::string> texts = identity ? ids[k] : NameList{};
            if (!identity)
                for (const ColumnEntry& c : columns[k])
                    texts.push_back(c.Name + ":" + c.TypeName);
            a.Lists.push_back(texts);
        }
        for (const auto& box : boxes.Shown)
            a.Boxes.push_back(box.Caption + "|" + box.Text);
        return a;
    };

    struct Case {
        const char* what;
        std::vector<std::string> options;
        std::size_t unanswered;
        bool sameWords;
    };
    const Case cases[] = {
        {"every statement answered", {}, 0, true},
        {"two statements failing, in the first and the last of three batches",
         {"--deny", "[T007]", "--deny", "[T420]"},
         2,
         true},
        {"a batch refused as a whole", {"--uncompilable", "[T250]"}, 1, true},
        {"the connection closing after 301 statements", {"--close-after", "301"}, 149, false},
    };
    for (std::size_t batchBytes : {std::size_t(0), std::size_t(60 * 1024)})
        for (const Case& c : cases)
            for (bool identity : {false, true}) {
                bound = batchBytes;
                Answers single = ask(c.options, identity, false);
                Answers batched = ask(c.options, identity, true);
                EXPECT_EQ(std::count(single.Answered.begin(), single.Answered.end(), false),
                          static_cast<long>(c.unanswered))
                    << c.what;
                const char* question = identity ? ", identity" : ", columns";
                if (c.sameWords) {
                    EXPECT_TRUE(batched == single) << c.what << question;
                    continue;
                }
                // The loss shows where the driver met it: between two replies,
                // or inside one. Its words differ; its one box does not.
                EXPECT_EQ(batched.Lists, single.Lists) << c.what << question;
                EXPECT_EQ(batched.Answered, single.Answered) << c.what << question;
                ASSERT_EQ(batched.Boxes.size(), 1u) << c.what << question;
                EXPECT_EQ(batched.Boxes[0].rfind("ExecSQL执行出错|[FreeTDS]", 0), 0u)
                    << batched.Boxes[0];
            }
}

namespace {

// A database as SQL Server 2005 and later hold it: schemas, a shipped
// table, a constraint named as a table of another schema, a view and a
// table of one name in two schemas, and every kind of unwritable column.
const char* const kShop = R"({"name": "Shop", "objects": [
  {"name": "Orders", "key": ["ID"], "columns": [
    {"name": "ID", "type": "int", "identity": true},
    {"name": "Total", "type": "money", "computed": true},
    {"name": "Version", "type": "timestamp"},
    {"name": "ValidFrom", "type": "datetime2", "generated": 1},
    {"name": "ValidTo", "type": "datetime2", "generated": 2},
    {"name": "Note", "type": "Memo"}]},
  {"name": "Orders", "schema": "Sales", "xtype": "PK"},
  {"name": "Customers", "schema": "Sales", "key": ["a"], "columns": [{"name": "a", "type": "int"}]},
  {"name": "Customers", "schema": "Website", "xtype": "V", "columns": [{"name": "b", "type": "int"}]},
  {"name": "sysdiagrams", "shipped": true, "columns": [{"name": "name", "type": "sysname"}]},
  {"name": "E😀", "key": ["b", "a"], "columns": [{"name": "a", "type": "int"}, {"name": "b", "type": "int"}]},
  {"name": "E😁", "columns": [{"name": "c", "type": "int"}]},
  {"name": "E？", "columns": [{"name": "d", "type": "int"}, {"name": "x？", "type": "int"},
                             {"name": "x😀", "type": "int", "identity": true}]}
], "types": [{"name": "Memo", "xusertype": 257, "base": "nvarchar"}]})";

}  // namespace

TEST(CatalogueVersions, ListsEveryUserObjectWithItsSchemaAndNothingShipped)
{
    // Three names that GBK would show alike stay three objects, each exact.
    const NameList tables2022 = {"Sales.Customers", "dbo.E？", "dbo.E😀", "dbo.E😁", "dbo.Orders"};
    struct Case {
        const char* what;
        std::vector<std::string> options;
        int major;
    };
    const Case cases[] = {
        {"SQL Server 2022", {}, 16},
        {"SQL Server 2000", {"--version", "2000"}, 8},
        {"a case-sensitive collation", {"--case-sensitive"}, 16},
        {"encryption required", {"--encrypt", "required"}, 16},
    };
    for (const Case& c : cases) {
        StandIn server(Fixture(kShop), c.options);
        RecordingMessageBoxes boxes;
        TDBData data;
        ASSERT_TRUE(data.Connect(true, server.Host(), "Pellam#2026", "Shop")) << c.what;
        EXPECT_EQ(data.ADOConnection1->ServerMajorVersion(), c.major) << c.what;
        NameList databases;
        EXPECT_TRUE(data.GetDatabaseList(databases)) << c.what;
        EXPECT_EQ(databases, (NameList{"master", "Shop"})) << c.what;
        SchemaObjects tables, views, master;
        EXPECT_TRUE(data.GetTableList("Shop", tables)) << c.what;
        EXPECT_EQ(Qualified(tables), tables2022) << c.what;
        EXPECT_TRUE(data.GetViewList("Shop", views)) << c.what;
        EXPECT_EQ(Qualified(views), (NameList{"Website.Customers"})) << c.what;
        // master's spt_ tables and spt_values are shipped.
        EXPECT_TRUE(data.GetTableList("master", master)) << c.what;
        EXPECT_TRUE(data.GetViewList("master", master)) << c.what;
        EXPECT_TRUE(master.empty()) << c.what;
        EXPECT_TRUE(boxes.Shown.empty()) << c.what << ": " << boxes.Shown[0].Text;
    }
}

TEST(CatalogueVersions, ObjectsAreFoundBySchemaAndExactNameWithTheirUnwritableColumns)
{
    StandIn server(Fixture(kShop));
    RecordingMessageBoxes boxes;
    TDBData data;
    ASSERT_TRUE(data.Connect(true, server.Host(), "Pellam#2026", "Shop"));
    SchemaObjects tables, views;
    data.GetTableList("Shop", tables);
    data.GetViewList("Shop", views);
    tables.insert(tables.end(), views.begin(), views.end());
    std::vector<ColumnList> columns;
    std::vector<IdentityNames> unwritable;
    std::vector<bool> read = data.GetColumnLists(tables, columns);
    std::vector<bool> asked = data.GetIdentityColumnLists(tables, unwritable);
    EXPECT_EQ(std::count(read.begin(), read.end(), false), 0);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), false), 0);
    EXPECT_TRUE(boxes.Shown.empty()) << boxes.Shown[0].Text;

    // Each object with its own columns, every name exactly as the server
    // sent it: "x？" and "x😀" are two columns, and only the second is
    // unwritable.
    struct Expect {
        std::string name, schema, columns, unwritable;
    };
    const Expect expected[] = {
        {"Customers", "Sales", "a:int:int,", ""},
        {"E？", "dbo", "d:int:int,x？:int:int,x😀:int:int,", "x😀,"},
        {"E😀", "dbo", "a:int:int,b:int:int,", ""},
        {"E😁", "dbo", "c:int:int,", ""},
        {"Orders", "dbo",
         "ID:int:int,Total:money:money,Version:timestamp:timestamp,ValidFrom:datetime2:datetime2,"
         "ValidTo:datetime2:datetime2,Note:Memo:nvarchar,",
         "ID,Total,Version,ValidFrom,ValidTo,"},
        {"Customers", "Website", "b:int:int,", ""},
    };
    ASSERT_EQ(tables.size(), std::size(expected));
    for (std::size_t k = 0; k < tables.size(); ++k) {
        EXPECT_EQ(tables[k].Name, expected[k].name) << k;
        EXPECT_EQ(tables[k].Schema, expected[k].schema) << k;
        std::string texts, names;
        for (const ColumnEntry& c : columns[k])
            texts += c.Name + ":" + c.TypeName + ":" + c.BaseType + ",";
        for (const std::string& n : unwritable[k])
            names += n + ",";
        EXPECT_EQ(texts, expected[k].columns) << k;
        EXPECT_EQ(names, expected[k].unwritable) << k;
    }
}

TEST(CatalogueVersions, KeysAndIdentityColumnsAreReadWithTheListsAndMatchedExactly)
{
    // Each table's key in key order, matched by schema and exact name ("E？"
    // and "E😀" are two tables); only one column is numbered by the server.
    const char* const expected[] = {"Sales.Customers:a:", "dbo.E？::x😀",
                                    "dbo.E😀:b,a:", "dbo.E😁::", "dbo.Orders:ID:ID"};
    const std::vector<std::string> versions[] = {{}, {"--version", "2000"}, {"--case-sensitive"}};
    for (const std::vector<std::string>& options : versions) {
        StandIn server(Fixture(kShop), options);
        RecordingMessageBoxes boxes;
        TDBData data;
        ASSERT_TRUE(data.Connect(true, server.Host(), "Pellam#2026", "Shop"));
        CatalogReadOptions read;
        read.Keys = true;
        DatabaseSchema schema;
        EXPECT_TRUE(ReadCatalog(data, "Shop", read, schema));
        EXPECT_TRUE(schema.KeysRead);
        EXPECT_TRUE(boxes.Shown.empty()) << boxes.Shown[0].Text;
        ASSERT_EQ(schema.Tables.size(), std::size(expected));
        for (std::size_t k = 0; k < schema.Tables.size(); ++k) {
            const SchemaObject& t = schema.Tables[k];
            std::string text = t.Schema + "." + t.Name + ":";
            for (std::size_t i = 0; i < t.Key.size(); ++i)
                text += (i ? "," : "") + t.Key[i];
            EXPECT_EQ(text + ":" + t.IdentityColumn, expected[k]);
        }
        // The window reads them later, from the schema it holds.
        DatabaseSchema later = schema;
        for (SchemaObject& t : later.Tables)
            t.Key = {"stale"};
        EXPECT_TRUE(ReadExtras(data, later, {true, false, false}));
        for (std::size_t k = 0; k < schema.Tables.size(); ++k)
            EXPECT_EQ(later.Tables[k].Key, schema.Tables[k].Key);
    }
}

TEST(CatalogueVersions, KeysAreAskedOnlyWhenWantedAndAFailedKeyReadFailsTheRead)
{
    // A server that refuses the key statement: without the option the read
    // never meets it; with it, the read fails and says why.
    StandIn server(Fixture(kShop), {"--deny", "INFORMATION_SCHEMA"});
    RecordingMessageBoxes boxes;
    TDBData data;
    ASSERT_TRUE(data.Connect(true, server.Host(), "Pellam#2026", "Shop"));
    DatabaseSchema schema;
    EXPECT_TRUE(ReadCatalog(data, "Shop", CatalogReadOptions(), schema));
    EXPECT_FALSE(schema.KeysRead);
    EXPECT_TRUE(boxes.Shown.empty());
    CatalogReadOptions read;
    read.Keys = true;
    EXPECT_FALSE(ReadCatalog(data, "Shop", read, schema));
    ASSERT_FALSE(boxes.Shown.empty());
    EXPECT_EQ(boxes.Shown.back().Text, "读不到数据表的主键，没有生成");
}

TEST(CatalogueVersions, TheLoginNeverCrossesTheWireInClear)
{
    struct Case {
        const char* encrypt;
        const char* recorded;
    };
    const Case cases[] = {{"off", "login user=sa tls=yes\n"},
                          {"required", "login user=sa tls=yes\n"},
                          {"none", "login user=sa tls=no\n"}};
    for (const Case& c : cases) {
        testsupport::TempDir dir;
        StandIn server(Fixture(kShop), {"--encrypt", c.encrypt, "--record", dir.File("logins")});
        RecordingMessageBoxes boxes;
        TDBData data;
        ASSERT_TRUE(data.Connect(true, server.Host(), "Pellam#2026", "Shop")) << c.encrypt;
        // The connection goes on, in clear or inside TLS.
        SchemaObjects tables;
        EXPECT_TRUE(data.GetTableList("Shop", tables)) << c.encrypt;
        EXPECT_EQ(tables.size(), 5u) << c.encrypt;
        EXPECT_EQ(testsupport::ReadFile(dir.File("logins")), c.recorded) << c.encrypt;
    }
}

TEST(CatalogueNames, ChineseNamesWithQuotesAndBracketsEachNameTheirOwnObject)
{
    // Every name mixes Chinese characters (whose last UTF-8 byte is above
    // 0x80) with the characters the statements must double.
    StandIn server(Fixture(R"({"name": "中]库", "objects": [
      {"name": "中]", "columns": [{"name": "列]", "type": "int", "identity": true}]},
      {"name": "客'户", "columns": [{"name": "名'称", "type": "int"}]},
      {"name": "客'+NCHAR(120)+NCHAR(93))--", "columns": [{"name": "注入", "type": "int"}]},
      {"name": "客x", "columns": [{"name": "x", "type": "int", "identity": true}]},
      {"name": "中]", "schema": "架'构]", "columns": [{"name": "乙']", "type": "int"}]},
      {"name": "视]'图", "schema": "架'构]", "xtype": "V", "columns": [{"name": "丙", "type": "int"}]}
    ]})"));
    RecordingMessageBoxes boxes;
    TDBData data;
    ASSERT_TRUE(data.Connect(true, server.Host(), "Pellam#2026", "中]库"));
    SchemaObjects tables, views;
    EXPECT_TRUE(data.GetTableList("中]库", tables));
    EXPECT_TRUE(data.GetViewList("中]库", views));
    tables.insert(tables.end(), views.begin(), views.end());
    std::vector<ColumnList> columns;
    std::vector<IdentityNames> unwritable;
    std::vector<bool> read = data.GetColumnLists(tables, columns);
    std::vector<bool> asked = data.GetIdentityColumnLists(tables, unwritable);
    EXPECT_TRUE(boxes.Shown.empty()) << boxes.Shown[0].Text;

    struct Expect {
        const char* schema;
        const char* name;
        const char* column;
        bool unwritable;
    };
    const Expect expected[] = {
        {"dbo", "中]", "列]", true},
        {"架'构]", "中]", "乙']", false},
        {"dbo", "客'+NCHAR(120)+NCHAR(93))--", "注入", false},
        {"dbo", "客'户", "名'称", false},
        {"dbo", "客x", "x", true},
        {"架'构]", "视]'图", "丙", false},
    };
    ASSERT_EQ(tables.size(), std::size(expected));
    for (std::size_t k = 0; k < tables.size(); ++k) {
        const Expect& e = expected[k];
        EXPECT_EQ(tables[k].Schema, e.schema) << k;
        EXPECT_EQ(tables[k].Name, e.name) << k;
        EXPECT_TRUE(read[k]) << e.name;
        EXPECT_TRUE(asked[k]) << e.name;
        EXPECT_EQ(columns[k], (ColumnList{{e.column, "int", "int"}})) << e.name;
        EXPECT_EQ(unwritable[k], e.unwritable ? IdentityNames{e.column} : IdentityNames{})
            << e.name;
    }
}
