#include "FakeHost.h"
#include "Rendered.h"
#include "generator/Genfunc.h"
#include "generator/Run.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using testsupport::Expected;
using testsupport::FirstDifference;

namespace {

struct Table {
    std::string Class, Name, Schema;
    ColumnList Columns;
    NameList Labels;
    IdentityNames Unwritable;
    TableKeys Keys;
};

Table Staff()
{
    return {"Staff",
            "Staff",
            "",
            {{"ID", "int"}, {"Name", "varchar"}, {"Joined", "datetime"}, {"Photo", "image"}},
            {"ID", "Name", "Joined", "Photo"},
            {"ID"},
            {{"ID"}, "ID"}};
}

Table OrderDetails()
{
    return {"OrderDetails",
            "Order Details",
            "dbo",
            {{"OrderID", "int"},
             {"ProductID", "int"},
             {"Unit Price", "money"},
             {"Quantity", "smallint"}},
            {"OrderID", "ProductID", "UnitPrice", "Quantity"},
            {},
            {{"OrderID", "ProductID"}, ""}};
}

Table PriceList()
{
    return {"PriceList",
            "Price List",
            "Sales",
            {{"Item No", "nvarchar"}, {"Price", "decimal"}, {"Valid From", "datetime"}},
            {"ItemNo", "Price", "ValidFrom"},
            {},
            {{"Item No"}, ""}};
}

// Every column is the key, and the server numbers it.
Table Log()
{
    return {"Log", "Log", "", {{"LogID", "bigint"}}, {"LogID"}, {"LogID"}, {{"LogID"}, "LogID"}};
}

void Write(const Table& t, bool withKeys)
{
    WriteTableOperatorFiles("T", t.Class, t.Name, t.Columns, t.Labels, t.Unwritable, t.Schema,
                            withKeys ? &t.Keys : nullptr);
}

}  // namespace

TEST(KeyMethods, EachKindOfKeyIsWrittenByteForByte)
{
    struct Case {
        Table table;
        const char* expected;  // the files' names before ".h" or ".cpp"
    };
    const Case cases[] = {
        {Staff(), "StaffOperator"},  // one identity column
        {OrderDetails(), "OrderDetailsOperator"},  // two columns, a blank in the table's name
        {PriceList(), "PriceListOperator"},  // outside dbo, a blank in the key's name
        {Log(), "LogOperator"},  // the key is every column: nothing to update by it
    };
    for (const Case& c : cases) {
        RenderedFiles out;
        Write(c.table, true);
        for (const char* ext : {".h", ".cpp"}) {
            std::string name = std::string(c.expected) + ext;
            EXPECT_EQ(FirstDifference(Expected(name + ".keys.expected"), Rendered(out, name)), "")
                << name;
        }
    }
}

TEST(KeyMethods, WithoutTheOptionNothingChanges)
{
    // The same tables without the option are the files the plain expected
    // ones hold; keys or not in the schema.
    RenderedFiles out;
    Table staff = Staff();
    Write(staff, false);
    EXPECT_EQ(FirstDifference(Expected("StaffOperator.cpp.expected"),
                              Rendered(out, "StaffOperator.cpp")),
              "");
    WriteTableOperatorBase("T");
    EXPECT_EQ(FirstDifference(Expected("DBTableOperator.h.expected"),
                              Rendered(out, "DBTableOperator.h")),
              "");
    WriteTableOperatorBase("T", true);
    EXPECT_EQ(FirstDifference(Expected("DBTableOperator.h.keys.expected"),
                              Rendered(out, "DBTableOperator.h")),
              "");
}

TEST(KeyMethods, WhichMethodsATableGets)
{
    struct Case {
        const char* what;
        ColumnList columns;
        IdentityNames unwritable;
        TableKeys keys;
        bool find, updateByKey, newWithIdentity;
    };
    const Case cases[] = {
        {"no key", {{"a", "int"}, {"b", "int"}}, {}, {{}, ""}, false, false, false},
        {"no key, an identity", {{"a", "int"}, {"b", "int"}}, {"a"}, {{}, "a"}, false, false, true},
        {"a binary key", {{"a", "binary"}, {"b", "int"}}, {}, {{"a"}, ""}, false, false, false},
        {"a key column that is not there", {{"a", "int"}}, {}, {{"x"}, ""}, false, false, false},
        {"the key is every column",
         {{"a", "int"}, {"b", "int"}},
         {},
         {{"b", "a"}, ""},
         true,
         false,
         false},
        {"the rest is unwritable",
         {{"a", "int"}, {"b", "int"}},
         {"b"},
         {{"a"}, ""},
         true,
         false,
         false},
        {"a column to set", {{"a", "int"}, {"b", "int"}}, {}, {{"a"}, ""}, true, true, false},
        {"a decimal identity", {{"a", "decimal"}}, {"a"}, {{"a"}, "a"}, true, false, true},
    };
    for (const Case& c : cases) {
        NameList labels;
        for (const ColumnEntry& e : c.columns)
            labels.push_back(e.Name);
        KeyFills fills = KeyFillsOf("T", labels, c.columns, c.unwritable, "", c.keys);
        EXPECT_EQ(fills.Methods.FindAndDelete, c.find) << c.what;
        EXPECT_EQ(fills.Methods.UpdateByKey, c.updateByKey) << c.what;
        EXPECT_EQ(fills.Methods.NewWithIdentity, c.newWithIdentity) << c.what;
    }
}

TEST(KeyMethods, KeyOrderLabelsTypesAndTheParameterScan)
{
    // The key in its own order, not the columns'; labels as parameters,
    // catalogue names in the SQL; a ':' the parameter scan would read is
    // doubled, a quote pair left alone.
    ColumnList columns = {{"Line:No", "smallint"},
                          {"Order", "bigint"},
                          {"It's", "nvarchar"},
                          {"Qty", "int"}};
    NameList labels = {"LineNo", "OrderNo", "Its", "Qty"};
    KeyFills f = KeyFillsOf("Lines", labels, columns, {}, "", {{"Order", "Line:No"}, ""});
    EXPECT_EQ(f.KeyParameters, "__int64 OrderNo,int LineNo");
    EXPECT_EQ(f.KeyCondition, "[Order]=:OrderNo AND [Line::No]=:LineNo");
    EXPECT_EQ(f.SetParameters, "String Its,int Qty");
    // The count comes from the server's answer, whatever NOCOUNT the
    // connection has, and NOCOUNT is left as it was.
    EXPECT_EQ(f.UpdateByKeyText,
              "\"DECLARE @nocount int;SET @nocount=@@OPTIONS&512;SET NOCOUNT ON;"
              "UPDATE [Lines] SET [It's]=:Its,[Qty]=:Qty WHERE [Order]=:OrderNo AND "
              "[Line::No]=:LineNo;SELECT @@ROWCOUNT;IF @nocount=0 SET NOCOUNT OFF\"");
    EXPECT_EQ(f.DeleteByKeyText,
              "\"DECLARE @nocount int;SET @nocount=@@OPTIONS&512;SET NOCOUNT ON;"
              "DELETE FROM [Lines] WHERE [Order]=:OrderNo AND [Line::No]=:LineNo;"
              "SELECT @@ROWCOUNT;IF @nocount=0 SET NOCOUNT OFF\"");
    // Set columns bound first, then the key, as the markers stand.
    EXPECT_EQ(f.UpdateByKeyBinding, "   int nCount=0;\r\n"
                                    "   m_query->Parameters->Items[nCount++]->Value=Its;\r\n"
                                    "   m_query->Parameters->Items[nCount++]->Value=Qty;\r\n"
                                    "   m_query->Parameters->Items[nCount++]->Value=OrderNo;\r\n"
                                    "   m_query->Parameters->Items[nCount++]->Value=LineNo;");

    // A decimal or numeric key, or a money one, travels as its text, which
    // the server compares exactly: near 1.4e18 a double stands for 256 ids.
    // The columns it sets keep their types.
    struct Exact {
        const char* type;
        const char* keyParameters;
    };
    const Exact exact[] = {{"decimal", "String No"},
                           {"numeric", "String No"},
                           {"money", "String No"},
                           {"float", "double No"},
                           {"bigint", "__int64 No"}};
    for (const Exact& e : exact) {
        KeyFills k = KeyFillsOf("K", {"No", "Amount"}, {{"No", e.type}, {"Amount", "decimal"}}, {},
                                "", {{"No"}, ""});
        EXPECT_EQ(k.KeyParameters, e.keyParameters) << e.type;
        EXPECT_EQ(k.SetParameters, "double Amount") << e.type;
    }
    // A decimal IDENTITY comes back as its text, every digit of it.
    KeyFills d = KeyFillsOf("D", {"ID", "x"}, {{"ID", "numeric"}, {"x", "int"}}, {"ID"}, "Sales",
                            {{"ID"}, "ID"});
    EXPECT_EQ(d.IdentityParameters, "int x,String& ID");
    EXPECT_EQ(d.KeyParameters, "String ID");
    EXPECT_NE(d.IdentityInsertText.find("INSERT INTO [Sales].[D]([x]) VALUES(:x);SELECT "
                                        "CAST(SCOPE_IDENTITY() AS varchar(40));"),
              std::string::npos)
        << d.IdentityInsertText;
}

TEST(KeyMethods, TheRunWritesThemOnlyWhenAskedAndNamesTheTablesWithout)
{
    DatabaseSchema schema;
    SchemaObject staff = NamedObject("Staff", Staff().Columns);
    staff.Identity = {"ID"};
    staff.Key = {"ID"};
    staff.IdentityColumn = "ID";
    SchemaObject heap = NamedObject("Heap", {{"a", "int"}});
    SchemaObject blobKey = NamedObject("Blobs", {{"h", "binary"}, {"b", "int"}});
    blobKey.Key = {"h"};
    schema.Tables = {staff, heap, blobKey};
    schema.KeysRead = true;
    for (bool keys : {false, true}) {
        RenderedFiles out;
        FakeHost host;
        RunInput input{1, schema, keys};
        SchemaIdentities identities(input.Schema.Tables);
        RunResult result = GenerateAll(input, OutputTree::WithRoot("O", ""), identities, host);
        EXPECT_EQ(result.Outcome, RunOutcome::Done);
        std::string source =
            out.Files[InFolder(OutputTree::WithRoot("O", "").TablesFolder(), "StaffOperator.cpp")];
        EXPECT_EQ(source.find("FindByKey") != std::string::npos, keys);
        std::string base =
            out.Files[InFolder(OutputTree::WithRoot("O", "").TablesFolder(), "DBTableOperator.h")];
        EXPECT_EQ(base.find("OpenFound") != std::string::npos, keys);
        EXPECT_EQ(result.TablesWithoutKeyMethods, keys ? 2 : 0);
        int told = 0;
        for (const FakeHost::Box& box : host.Boxes)
            if (box.What == RunNotice::NoKeyMethods) {
                ++told;
                EXPECT_EQ(box.Text.rfind("2 个数据表没有可用的主键", 0), 0u) << box.Text;
                // Each named, with its reason.
                EXPECT_EQ(box.Problems,
                          (std::vector<
                              std::string>{"数据表 Heap：没有主键",
                                           "数据表 Blobs：主键含二进制字段 h，无法按它查找"}));
            }
        EXPECT_EQ(told, keys ? 1 : 0);
    }
}
