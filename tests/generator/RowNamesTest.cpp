// The names typed rows add: each row type's, and the column labels the
// row and its methods carry; checked, and translated to pass.

#include "NamedInput.h"
#include "generator/Run.h"
#include "generator/Translate.h"

#include <gtest/gtest.h>

namespace {

RunInput WithColumns(const std::vector<std::string>& tables, const std::vector<std::string>& views,
                     const NameList& tableColumns, const NameList& viewColumns)
{
    RunInput in = NamedInput(tables, views);
    for (SchemaObject& t : in.Schema.Tables) {
        t.Columns.clear();
        for (const std::string& c : tableColumns)
            t.Columns.push_back({c, c, "int", "int"});
    }
    for (SchemaObject& v : in.Schema.Views) {
        v.Columns.clear();
        for (const std::string& c : viewColumns)
            v.Columns.push_back({c, c, "int", "int"});
    }
    return in;
}

}  // namespace

TEST(RowNames, RowTypesAndTheirColumnsAreCheckedOnlyWithRows)
{
    struct Case {
        const char* what;
        std::vector<std::string> tables, views;
        NameList tableColumns, viewColumns;
        std::vector<std::string> problems;  // with rows; none without
    };
    const Case cases[] = {
        {"a row type that is another object's label (DBComm's enumerator)",
         {"Orders", "OrdersRow"},
         {},
         {"a"},
         {},
         {"Orders:类型化行 OrdersRow:与 DBComm 中数据表或视图 OrdersRow 的枚举名相同"
          "（翻译或改名后可生成）"}},
        {"a view's row type the same",
         {"T"},
         {"TRow"},
         {"a"},
         {"b"},
         {"T:类型化行 TRow:与 DBComm 中数据表或视图 TRow 的枚举名相同（翻译或改名后可生成）"}},
        {"a column named as its own row type, or as the row's or its methods' names",
         {"T"},
         {},
         {"TRow", "row", "rows", "std", "ReadRow", "ReadRows", "FindByKey", "DBNullable",
          "DBBytes"},
         {},
         {"T:TRow:字段名称是类型化行的代码中已用的名称（翻译或改名后可生成）",
          "T:row:字段名称是类型化行的代码中已用的名称（翻译或改名后可生成）",
          "T:rows:字段名称是类型化行的代码中已用的名称（翻译或改名后可生成）",
          "T:std:字段名称是类型化行的代码中已用的名称（翻译或改名后可生成）",
          "T:ReadRow:字段名称是类型化行的代码中已用的名称（翻译或改名后可生成）",
          "T:ReadRows:字段名称是类型化行的代码中已用的名称（翻译或改名后可生成）",
          "T:FindByKey:字段名称是类型化行的代码中已用的名称（翻译或改名后可生成）",
          "T:DBNullable:字段名称是类型化行的代码中已用的名称（翻译或改名后可生成）",
          "T:DBBytes:字段名称是类型化行的代码中已用的名称（翻译或改名后可生成）"}},
        {"a view's columns take no parameters: only the member types matter",
         {},
         {"V"},
         {},
         {"row", "rows", "std", "DBBytes"},
         {"V:DBBytes:字段名称是类型化行的代码中已用的名称（翻译或改名后可生成）"}},
        {"nothing amiss", {"Orders", "OrderRows"}, {"V_Orders"}, {"a", "Row"}, {"row2"}, {}},
    };
    for (const Case& c : cases) {
        RunInput in = WithColumns(c.tables, c.views, c.tableColumns, c.viewColumns);
        EXPECT_EQ(RunProblems(in, ""), std::vector<std::string>()) << c.what;
        in.Rows = true;
        EXPECT_EQ(RunProblems(in, ""), c.problems) << c.what;
    }
}

TEST(RowNames, TranslationWithRowsGivesNamesTheRowsTake)
{
    struct Case {
        const char* what;
        std::vector<std::string> tables, views;
        NameList columns;  // every table's
    };
    const Case cases[] = {
        {"a label and its row type", {"Orders", "OrdersRow"}, {"OrdersRowRow"}, {"a"}},
        {"the row type first", {"TRow", "T"}, {}, {"a"}},
        {"columns the row's code uses",
         {"T"},
         {},
         {"TRow", "row", "rows", "std", "ReadRow", "DBNullable", "DBBytes", "FindByKey"}},
    };
    for (const Case& c : cases) {
        RunInput in = WithColumns(c.tables, c.views, c.columns, {"x"});
        in.Rows = true;
        RunInput plain = in;
        TranslateLabels(in.Schema, true);
        EXPECT_EQ(RunProblems(in, ""), std::vector<std::string>()) << c.what;
        // Without rows, translation leaves what only rows would refuse.
        TranslateLabels(plain.Schema);
        plain.Rows = false;
        EXPECT_EQ(RunProblems(plain, ""), std::vector<std::string>()) << c.what;
        plain.Rows = true;
        EXPECT_NE(RunProblems(plain, ""), std::vector<std::string>()) << c.what;
    }
}
