#include "Rendered.h"
#include "generator/Genfunc.h"
#include "generator/Run.h"
#include "generator/Translate.h"
#include "support/SampleProcedures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using testsupport::Expected;
using testsupport::FirstDifference;

namespace {

SchemaColumn Parameter(const std::string& name, const std::string& label, const std::string& type,
                       int length, bool output = false, int precision = 0, int scale = 0,
                       const std::string& base = "=")
{
    SchemaColumn c{name, label, type, base == "=" ? type : base};
    c.Shape = {length, output, precision, scale};
    return c;
}

SchemaObject Procedure(const std::string& name, const std::string& label,
                       std::vector<SchemaColumn> parameters, const std::string& schema = "dbo")
{
    return SchemaObject{name, label, parameters, {}, schema};
}

}  // namespace

TEST(ProcedureClass, EachSampleIsWrittenByteForByte)
{
    struct Case {
        SchemaObject Procedure;
        std::vector<std::string> Files;
    };
    // Each sample procedure, with the files written by hand for it.
    SchemaObjects samples = testsupport::SampleProcedures();
    const Case cases[] = {
        {samples[0], {"ListStaffProcedure.h", "ListStaffProcedure.cpp"}},
        {samples[1], {"AddOrderProcedure.cpp"}},
        {samples[2], {"PlaceOrderProcedure.h", "PlaceOrderProcedure.cpp"}},
        {samples[3], {"SalesMonthReportProcedure.cpp"}},
        {samples[4], {"TongJiXiaoShouProcedure.cpp"}},
    };
    for (const Case& c : cases) {
        RenderedFiles out;
        WriteProcedureFiles("T", c.Procedure);
        for (const std::string& file : c.Files)
            EXPECT_EQ(FirstDifference(Expected(file + ".expected"), Rendered(out, file)), "")
                << file;
    }
}

TEST(ProcedureClass, AParameterIsCreatedAsItsGroupPassesIt)
{
    struct Case {
        const char* what;
        SchemaColumn Parameter;
        TypeOptions Options;
        AdoParameter Want;
    };
    TypeOptions extended{true, {}};
    TypeOptions moneyAsText{false, {{"money", TypeGroup::String}}};
    const Case cases[] = {
        {"char keeps its bytes", Parameter("@c", "c", "char", 10), {}, {"ftFixedChar", 10, false}},
        {"nchar counts characters",
         Parameter("@c", "c", "nchar", 10),
         {},
         {"ftFixedWideChar", 5, false}},
        {"varchar(max)", Parameter("@c", "c", "varchar", -1), {}, {"ftMemo", -1, false}},
        {"nvarchar(max)", Parameter("@c", "c", "nvarchar", -1), {}, {"ftWideMemo", -1, false}},
        {"varbinary(n)", Parameter("@c", "c", "varbinary", 16), {}, {"ftVarBytes", 16, false}},
        {"tinyint", Parameter("@c", "c", "tinyint", 1), {}, {"ftWord", 0, false}},
        {"bit", Parameter("@c", "c", "bit", 1), {}, {"ftBoolean", 0, false}},
        {"numeric keeps precision",
         Parameter("@c", "c", "numeric", 9, false, 18, 4),
         {},
         {"ftBCD", 0, true}},
        {"an alias by its base",
         Parameter("@c", "c", "Phone", 40, false, 0, 0, "nvarchar"),
         extended,
         {"ftWideString", 20, false}},
        {"a date as ISO text",
         Parameter("@c", "c", "date", 3),
         extended,
         {"ftWideString", 10, false}},
        {"a GUID as text",
         Parameter("@c", "c", "uniqueidentifier", 16),
         extended,
         {"ftWideString", 38, false}},
        {"xml as long text", Parameter("@c", "c", "xml", -1), extended, {"ftWideMemo", -1, false}},
        {"geography as a stream",
         Parameter("@c", "c", "geography", -1, false, 0, 0, ""),
         extended,
         {"ftBlob", -1, false}},
        {"money given the string group",
         Parameter("@c", "c", "money", 8),
         moneyAsText,
         {"ftWideString", 4000, false}},
    };
    for (const Case& c : cases) {
        DatabaseSchema schema;
        schema.Procedures = {Procedure("P", "P", {c.Parameter})};
        ApplyTypeOptions(schema, c.Options);
        AdoParameter got = AdoParameterOf(schema.Procedures[0].Columns[0]);
        EXPECT_EQ(got.DataType, c.Want.DataType) << c.what;
        EXPECT_EQ(got.Size, c.Want.Size) << c.what;
        EXPECT_EQ(got.Precise, c.Want.Precise) << c.what;
    }
}

TEST(ProcedureChecks, OneReportForAllThreeTreesAndTranslationClearsIt)
{
    RunInput in;
    in.DatabaseCount = 1;
    in.Procedures = true;
    in.Schema.Tables = {NamedObject("XProcedure", {{"a", "int"}})};
    in.Schema.Procedures = {
        Procedure("X", "X", {Parameter("@v", "v", "int", 4)}),
        Procedure("Y", "Y", {Parameter("@ftInteger", "ftInteger", "int", 4)}),
        Procedure("x", "x", {Parameter("@a", "a", "int", 4), Parameter("@a b", "a", "int", 4)},
                  "Sales"),
        Procedure("Lines", "Lines", {Parameter("@l", "l", "Lines", -1, false, 0, 0, "")}),
        Procedure("存储", "存储", {Parameter("@值", "值", "int", 4)}),
    };
    std::vector<std::string> problems = RunProblems(in, "");
    const char* const expected[] = {
        "存储过程 Y:ftInteger:参数是 C++ 关键字、<windows.h> 的宏或生成的代码中已用的名称",
        "存储过程 x:与另一个存储过程（X）的类名相同",
        "存储过程 x:a:参数名称重复",
        "存储过程 存储:含有汉字或其他非 ASCII 字符",
        "存储过程 存储:值:参数含有汉字或其他非 ASCII 字符",
    };
    std::string all;
    for (const std::string& p : problems)
        all += p + "\n";
    for (const char* e : expected)
        EXPECT_NE(all.find(e), std::string::npos) << e << "\n" << all;
    // The table whose include guard the procedure X's would be.
    EXPECT_NE(all.find("数据表或视图 XProcedure 的头文件保护宏与它的相同"), std::string::npos)
        << all;
    // The table-valued one is left out, not refused.
    EXPECT_EQ(all.find("Lines"), std::string::npos) << all;
    EXPECT_NE(ProceduresLeftOutText(in.Schema.Procedures).find("存储过程 Lines:参数 @l"),
              std::string::npos);
    EXPECT_EQ(WrittenProcedures(in).size(), 4u);

    TranslateLabels(in.Schema);
    EXPECT_EQ(RunProblems(in, ""), std::vector<std::string>());
    DatabaseSchema again = in.Schema;
    TranslateLabels(again);
    for (std::size_t k = 0; k < again.Procedures.size(); ++k)
        EXPECT_EQ(again.Procedures[k].Label, in.Schema.Procedures[k].Label);
    EXPECT_EQ(in.Schema.Procedures[4].Label, "CunChu");
    EXPECT_EQ(in.Schema.Procedures[4].Columns[0].Label, "Zhi");
}
