// The Unicode form (C++Builder 2009 and later) of the generated library:
// the same files but for their wide literals, their message box and their
// bytes, and names GBK cannot hold taken where the ANSI form refuses them.

#include "FakeHost.h"
#include "Rendered.h"
#include "generator/Genfunc.h"
#include "generator/Run.h"
#include "support/SampleProcedures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using testsupport::Expected;
using testsupport::ExpectedUnicode;
using testsupport::FirstDifference;

TEST(UnicodeForm, EachKindOfFileIsWrittenByteForByte)
{
    const OutputForm wide = OutputForm::Wide();
    RenderedFiles out;
    WriteTableOperatorFiles("T", "Log", "Log", {{"ID", "int"}}, {"ID"}, {"ID"}, "", nullptr, wide);
    WriteViewOperatorFiles("T", "V_Users", "V_Users", "", wide);
    WriteTableOperatorBase("T", false, wide);
    WriteStoredProcFiles("T", wide);
    WriteProcedureFiles("T", testsupport::SampleProcedures()[2], wide);
    for (const char* file : {"LogOperator.cpp", "V_UsersOperator.cpp", "DBTableOperator.h",
                             "DBStoredProc.cpp", "PlaceOrderProcedure.cpp"}) {
        std::string name = std::string(file) + ".unicode.expected";
        EXPECT_EQ(FirstDifference(ExpectedUnicode(name), Rendered(out, file)), "") << file;
    }
    // Without the option, the files are as they always were.
    RenderedFiles plain;
    WriteStoredProcFiles("T");
    WriteViewOperatorFiles("T", "V_Users", "V_Users", "");
    EXPECT_EQ(Rendered(plain, "DBStoredProc.cpp"), Expected("DBStoredProc.cpp.expected"));
    EXPECT_EQ(Rendered(plain, "V_UsersOperator.cpp"), Expected("V_UsersOperator.cpp.expected"));
}

// A catalogue name GBK cannot hold is refused in the ANSI form with the
// way past it (the Unicode form), and generates in the Unicode form; an
// unpaired surrogate no file holds is refused in both.
TEST(UnicodeForm, NamesGbkCannotHoldGenerateInTheUnicodeFormOnly)
{
    struct Case {
        const char* name;
        bool unicodeTakes;
    };
    const Case cases[] = {{"한국어", true}, {"E😀", true}, {"Façade", true},
                          {"Straße", true}, {"𠀀", true}, {"a\xED\xA0\x80", false}};
    for (const Case& c : cases)
        for (bool unicode : {false, true})
            for (ReportReader reader : {ReportReader::Window, ReportReader::Terminal}) {
                RunInput input;
                input.DatabaseCount = 1;
                input.Reader = reader;
                input.Form = unicode ? OutputForm::Wide() : OutputForm::Ansi();
                SchemaObject table = NamedObject(c.name, {{c.name, "int"}});
                table.Label = "T";
                table.Columns[0].Label = "a";
                table.Schema = c.name;
                input.Schema.Tables = {table};
                std::vector<std::string> problems = RunProblems(input, std::string());
                if (unicode && c.unicodeTakes) {
                    EXPECT_TRUE(problems.empty()) << c.name << ": " << problems.front();
                    continue;
                }
                // The table's name, its schema's and its column's.
                ASSERT_EQ(problems.size(), 3u) << c.name << unicode;
                const std::string way =
                    !c.unicodeTakes ? "名称含有不成对的 UTF-16 代理项，任何文件编码都写不出"
                    : reader == ReportReader::Window
                        ? "（勾选“Unicode”生成 C++Builder 2009 及以后的形式，或在数据库中改名）"
                        : "（加 --unicode 生成 C++Builder 2009 及以后的形式，或在数据库中改名）";
                for (const std::string& p : problems)
                    EXPECT_NE(p.find(way), std::string::npos) << p;
            }
}

// The run writes the Unicode form's bytes for every file, DBComm's pair too,
// and a Korean name reaches the SQL of its class as it is.
TEST(UnicodeForm, TheRunWritesEveryFileInTheUnicodeForm)
{
    DatabaseSchema schema;
    SchemaObject table = NamedObject("한국어", {{"번호", "int"}});
    table.Label = "HanGuk";
    table.Columns[0].Label = "No";
    schema.Tables = {table};
    RenderedFiles out;
    FakeHost host;
    RunInput input{1, schema};
    input.Form = OutputForm::Wide();
    SchemaIdentities identities(input.Schema.Tables);
    RunResult result = GenerateAll(input, OutputTree::WithRoot("O", ""), identities, host);
    ASSERT_EQ(result.Outcome, RunOutcome::Done);
    ASSERT_EQ(out.Files.size(), 7u);
    for (const auto& [path, bytes] : out.Files)
        EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF", 0), 0u) << path;
    std::string source =
        out.Files[InFolder(OutputTree::WithRoot("O", "").TablesFolder(), "HanGukOperator.cpp")];
    EXPECT_NE(source.find("String strSql=L\"INSERT INTO [한국어]([번호]) VALUES(:No)\";"),
              std::string::npos)
        << source;
}
