// pellam-gen with --relations and --rows: the files written, what a
// snapshot must hold for them, and what a server that will not answer
// does to them.

#include "PellamGenFixture.h"

namespace {

std::string ShopSnapshot()
{
    return std::string(PELLAM_EXPECTED_DIR) + "/../support/shop.json";
}

// A shop as the stand-in serves it: an order references its customer.
const char* const kRelatedShop = R"({"name": "RelShop", "objects": [
  {"name": "Customers", "key": ["ID"], "columns": [
    {"name": "ID", "type": "nchar", "length": 10}, {"name": "Name", "type": "nvarchar"}]},
  {"name": "Orders", "key": ["ID"], "columns": [
    {"name": "ID", "type": "int", "identity": true},
    {"name": "CustomerID", "type": "nchar", "length": 10},
    {"name": "Total", "type": "money", "nullable": false}],
   "foreignKeys": [{"name": "FK_Orders_Customers", "columns": ["CustomerID"],
                    "references": {"table": "Customers", "columns": ["ID"]}}]},
  {"name": "MSmerge_log", "shipped": true, "columns": [{"name": "c", "type": "nchar"}],
   "foreignKeys": [{"name": "FK_MSmerge_log", "columns": ["c"],
                    "references": {"table": "Customers", "columns": ["ID"]}}]}]})";

}  // namespace

TEST_F(PellamGen, RelationsAndRowsAreWrittenByteForByte)
{
    struct Case {
        const char* options;
        std::vector<std::pair<std::string, std::string>> files;  // file, expected
    };
    const Case cases[] = {
        {"--relations",
         {{"OrdersOperator.h", "OrdersOperator.h.relations.expected"},
          {"OrdersOperator.cpp", "OrdersOperator.cpp.relations.expected"},
          {"LineNotesOperator.cpp", "LineNotesOperator.cpp.relations.expected"},
          {"EmployeesOperator.cpp", "EmployeesOperator.cpp.relations.expected"},
          {"InvoicesOperator.cpp", "InvoicesOperator.cpp.relations.expected"},
          {"DBTableOperator.h", "DBTableOperator.h.relations.expected"}}},
        {"--keys --rows",
         {{"SamplesOperator.h", "SamplesOperator.h.rows.expected"},
          {"SamplesOperator.cpp", "SamplesOperator.cpp.rows.expected"},
          {"TagsOperator.h", "TagsOperator.h.rows.expected"},
          {"V_OrderTotalsOperator.h", "V_OrderTotalsOperator.h.rows.expected"},
          {"V_OrderTotalsOperator.cpp", "V_OrderTotalsOperator.cpp.rows.expected"},
          {"DBTableOperator.h", "DBTableOperator.h.rows.expected"}}},
    };
    for (const Case& c : cases) {
        std::string out = dir.File(std::string("o") + std::to_string(&c - cases));
        Outcome r = Run("generate --schema " + ShopSnapshot() + " --translate " + c.options +
                        " --output " + out);
        ASSERT_EQ(r.Code, 0) << c.options << "\n" << r.Err;
        for (const auto& [file, expected] : c.files)
            EXPECT_EQ(FirstDifference(Expected(expected),
                                      ReadFile(out + "/DBComm/DBTables/" + file)),
                      "")
                << c.options << ": " << file;
    }
    // The relation whose referenced column has a blank gets its lookup
    // alone, and the report says so in one line.
    Outcome r = Run("generate --schema " + ShopSnapshot() + " --translate --relations --output " +
                    dir.File("again"));
    EXPECT_EQ(r.Code, 0);
    EXPECT_NE(r.Err.find("1 个外键没有全部生成"), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find("数据表 LineNotes：外键 FK_LineNotes_Warehouses：被引用的字段 "
                         "Warehouse Code 的名称不能作为 VCL 的参数名"),
              std::string::npos)
        << r.Err;
}

TEST_F(PellamGen, WithoutTheOptionsNoFileDiffers)
{
    // The same snapshot with and without the options: the same files, and
    // without them none holds anything the options add.
    Outcome plain = Run("generate --schema " + ShopSnapshot() + " --translate --keys --output " +
                        dir.File("p"));
    ASSERT_EQ(plain.Code, 0) << plain.Err;
    Outcome both = Run("generate --schema " + ShopSnapshot() +
                       " --translate --keys --relations --rows --output " + dir.File("b"));
    ASSERT_EQ(both.Code, 0) << both.Err;
    EXPECT_EQ(ListFiles(dir.File("p")), ListFiles(dir.File("b")));
    EXPECT_EQ(FirstDifference(Expected("DBTableOperator.h.keys.expected"),
                              ReadFile(dir.File("p/DBComm/DBTables/DBTableOperator.h"))),
              "");
    for (const std::string& file : ListFiles(dir.File("p"))) {
        std::string text = ReadFile(dir.File("p/" + file));
        for (const char* added : {"OpenBy", "LinkBy", "Row&", "DBNullable", "DataSource=NULL"})
            EXPECT_EQ(text.find(added), std::string::npos) << file << ": " << added;
    }
    EXPECT_EQ(plain.Err.find("外键"), std::string::npos) << plain.Err;
}

TEST_F(PellamGen, RelationsAndRowsNeedASnapshotThatHoldsThem)
{
    struct Case {
        const char* what;
        const char* json;
        const char* options;
        int code;
        const char* said;
    };
    const Case cases[] = {
        {"no relations", R"({"tables": [{"name": "T", "columns": [
           {"name": "a", "type": "int", "nullable": true}]}], "views": []})",
         "--relations", 2, "快照没有外键信息"},
        {"no nullability", R"({"relations": true, "tables": [{"name": "T", "columns": [
           {"name": "a", "type": "int"}]}], "views": []})",
         "--rows", 2, "快照的字段没有 \"nullable\""},
        {"nullability of some columns", R"({"tables": [{"name": "T", "columns": [
           {"name": "a", "type": "int", "nullable": true}, {"name": "b", "type": "int"}]}],
           "views": []})",
         "", 2, "缺少 \"nullable\""},
        {"a key naming no column", R"({"relations": true, "tables": [{"name": "T",
           "columns": [{"name": "a", "type": "int"}], "foreignKeys": [{"name": "F",
           "columns": ["b"], "referencedTable": "U", "referencedColumns": ["x"]}]}],
           "views": []})",
         "--relations", 2, "tables[0].foreignKeys[0].columns[0]"},
        {"columns that do not pair", R"({"relations": true, "tables": [{"name": "T",
           "columns": [{"name": "a", "type": "int"}], "foreignKeys": [{"name": "F",
           "columns": ["a"], "referencedTable": "U", "referencedColumns": ["x", "y"]}]}],
           "views": []})",
         "--relations", 2, "个数应与 columns 相同"},
        {"a key on a view", R"({"relations": true, "tables": [], "views": [{"name": "V",
           "columns": [{"name": "a", "type": "int"}], "foreignKeys": []}]})",
         "--relations", 2, "视图没有外键"},
        {"keys without the flag", R"({"tables": [{"name": "T", "columns": [
           {"name": "a", "type": "int"}], "foreignKeys": [{"name": "F", "columns": ["a"],
           "referencedTable": "U", "referencedColumns": ["x"]}]}], "views": []})",
         "", 2, "relations: "},
        {"a key to a table left out", R"({"relations": true, "tables": [{"name": "T",
           "columns": [{"name": "a", "type": "int", "nullable": false}], "foreignKeys": [
           {"name": "F", "columns": ["a"], "referencedTable": "Gone", "referencedColumns":
           ["x"]}]}], "views": []})",
         "--relations --rows", 0, ""},
    };
    for (const Case& c : cases) {
        testsupport::WriteFile(dir.File("s.json"), c.json);
        std::filesystem::remove_all(dir.File("o"));
        Outcome r = Run("generate --schema " + dir.File("s.json") + " " + c.options + " --output " +
                        dir.File("o"));
        EXPECT_EQ(r.Code, c.code) << c.what << ": " << r.Err;
        EXPECT_NE(r.Err.find(c.said), std::string::npos) << c.what << ": " << r.Err;
        EXPECT_EQ(std::filesystem::exists(dir.File("o")), c.code == 0) << c.what;
    }
    // The lookup of a key to a table left out is there; the row's NOT NULL
    // column has no NULL.
    std::string header = ReadFile(dir.File("o/DBComm/DBTables/TOperator.h"));
    EXPECT_NE(header.find("   bool OpenBya(int a);"), std::string::npos) << header;
    EXPECT_NE(header.find("TDataSource* LinkBya(TDataSource* master);"), std::string::npos)
        << header;
    EXPECT_NE(header.find("   int a;"), std::string::npos) << header;
}

TEST_F(PellamGen, RelationsAndRowsFromTheServerAndAServerThatWillNotSay)
{
    StandIn shop(Fixture(kRelatedShop));
    std::string connection = "--host " + shop.Host() + " --password-env PW --database RelShop";
    Outcome r =
        Run("generate " + connection + " --keys --relations --rows --output " + dir.File("o"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    std::string orders = ReadFile(dir.File("o/DBComm/DBTables/OrdersOperator.h"));
    // The server's own table and its key are none of the run's.
    EXPECT_FALSE(std::filesystem::exists(dir.File("o/DBComm/DBTables/MSmerge_logOperator.h")));
    // The key's column is NOT NULL; the others allow NULL unless declared.
    for (const char* line : {"   int ID;", "   DBNullable<String> CustomerID;", "   double Total;",
                             "   bool OpenByCustomerID(String CustomerID);",
                             "   TDataSource* LinkByCustomerID(TDataSource* master);"})
        EXPECT_NE(orders.find(line), std::string::npos) << line << "\n" << orders;
    EXPECT_NE(ReadFile(dir.File("o/DBComm/DBTables/OrdersOperator.cpp"))
                  .find("WHERE [CustomerID]=:ID\""),
              std::string::npos);

    // The schema's snapshot holds them, and generates the same files.
    r = Run("schema " + connection + " --to " + dir.File("s.json"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    r = Run("generate --schema " + dir.File("s.json") + " --keys --relations --rows --output " +
            dir.File("s"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    for (const std::string& file : ListFiles(dir.File("o")))
        EXPECT_EQ(ReadFile(dir.File("o/" + file)), ReadFile(dir.File("s/" + file))) << file;

    // A server that will not answer one: a failed read with the option,
    // nothing asked without it.
    struct Case {
        const char* denied;
        const char* option;
        const char* said;
    };
    const Case cases[] = {
        {"sysforeignkeys", "--relations", "读不到数据表的外键，没有生成"},
        {"isnullable", "--rows", "读不到字段是否允许 NULL，没有生成"},
    };
    for (const Case& c : cases) {
        StandIn denying(Fixture(kRelatedShop), {"--deny", c.denied});
        std::string at = "--host " + denying.Host() + " --password-env PW --database RelShop";
        std::string out = dir.File(std::string("d-") + c.denied);
        r = Run("generate " + at + " " + c.option + " --output " + out);
        EXPECT_EQ(r.Code, 3) << c.denied << ": " << r.Err;
        EXPECT_NE(r.Err.find(c.said), std::string::npos) << c.denied << ": " << r.Err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.denied;
        r = Run("generate " + at + " --keys --output " + out);
        EXPECT_EQ(r.Code, 0) << c.denied << ": " << r.Err;
    }
}

// A table whose schema is dropped while the catalogue is read: its rows in
// the foreign keys' and the nullability's answers hold NULL, and the read
// fails, naming it.
TEST_F(PellamGen, AnAnswerWithANullIsAFailedReadNamed)
{
    StandIn lost(Fixture(R"({"name": "NOLK", "objects": [
        {"name": "Twin", "key": ["a"], "columns": [{"name": "a", "type": "int"}]},
        {"name": "Lost", "schema": null, "columns": [{"name": "b", "type": "int"}],
         "foreignKeys": [{"name": "FK_Lost", "columns": ["b"],
                          "references": {"table": "Twin", "columns": ["a"]}}]}]})"));
    struct Case {
        const char* option;
        const char* said;
    };
    const Case cases[] = {
        {"--relations", "外键的回答中有一行含 NULL（NULL.Lost.b → dbo.Twin.a，约束 FK_Lost"},
        {"--rows", "字段可否为 NULL 的回答中有一行含 NULL（NULL.Lost.b"},
    };
    for (const Case& c : cases) {
        std::string out = dir.File(std::string("o") + c.option);
        Outcome r = Run("generate --host " + lost.Host() + " --password-env PW --database NOLK " +
                        c.option + " --output " + out);
        EXPECT_EQ(r.Code, 3) << c.option << ": " << r.Err;
        EXPECT_NE(r.Err.find(c.said), std::string::npos) << c.option << ": " << r.Err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}
