#include "FakeIdentities.h"
#include "Rendered.h"
#include "generator/Genfunc.h"
#include "platform/Files.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using testsupport::Expected;
using testsupport::FirstDifference;
using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

ColumnList StaffColumns()
{
    return {{"ID", "int"}, {"Name", "varchar"}, {"Joined", "datetime"}, {"Photo", "image"}};
}

NameList NamesOf(const ColumnList& columns)
{
    NameList names;
    for (const ColumnEntry& c : columns)
        names.push_back(c.Name);
    return names;
}

// Line n (from 1) of a CR LF text.
std::string Line(const std::string& text, int n)
{
    std::size_t start = 0;
    for (int i = 1; i < n; ++i)
        start = text.find("\r\n", start) + 2;
    return text.substr(start, text.find("\r\n", start) - start);
}

}  // namespace

TEST(TableOperator, StaffIsWrittenByteForByte)
{
    RenderedFiles out;
    FakeIdentities ids;
    ids.Columns["Staff"] = {"ID"};
    ColumnList columns = StaffColumns();
    WriteTableOperatorFiles("T", "Staff", "Staff", columns, NamesOf(columns), ids);
    EXPECT_EQ(FirstDifference(Expected("StaffOperator.h.expected"),
                              Rendered(out, "StaffOperator.h")),
              "");
    EXPECT_EQ(FirstDifference(Expected("StaffOperator.cpp.expected"),
                              Rendered(out, "StaffOperator.cpp")),
              "");
    // One identity question serves every piece.
    EXPECT_EQ(ids.Questions["Staff"], 1);
}

TEST(TableOperator, PiecesLeaveIdentityColumnsOutWhereverTheyStand)
{
    ColumnList columns = StaffColumns();
    NameList names = NamesOf(columns);
    IdentityNames identity = {"ID"};
    EXPECT_EQ(TableFillsOf("Staff", names, columns, identity).Parameters,
              "String Name,String Joined,TStream *Photo");
    EXPECT_EQ(TableFillsOf("Staff", names, columns, identity).InsertText,
              "\"INSERT INTO [Staff]([Name],[Joined],[Photo]) VALUES(:Name,:Joined,:Photo)\"");
    EXPECT_EQ(TableFillsOf("Staff", names, columns, identity).UpdateText,
              "\"UPDATE [Staff] SET [Name]=:Name,[Joined]=:Joined,[Photo]=:Photo\"");

    // Names match exactly: on a case-sensitive server "id" is another
    // column, which New and Update write.
    ColumnList twins = {{"ID", "int"}, {"id", "int"}};
    EXPECT_EQ(TableFillsOf("Twins", NamesOf(twins), twins, {"ID"}).InsertText,
              "\"INSERT INTO [Twins]([id]) VALUES(:id)\"");
    EXPECT_EQ(TableFillsOf("Twins", NamesOf(twins), twins, {"id"}).InsertText,
              "\"INSERT INTO [Twins]([ID]) VALUES(:ID)\"");

    // Identity last: no separator after the last included item.
    ColumnList member = {{"Name", "varchar"}, {"ID", "int"}};
    NameList memberNames = NamesOf(member);
    EXPECT_EQ(TableFillsOf("Member", memberNames, member, {"ID"}).Parameters, "String Name");
    EXPECT_EQ(TableFillsOf("Member", memberNames, member, {"ID"}).InsertText,
              "\"INSERT INTO [Member]([Name]) VALUES(:Name)\"");
    EXPECT_EQ(TableFillsOf("Member", memberNames, member, {"ID"}).UpdateText,
              "\"UPDATE [Member] SET [Name]=:Name\"");
    EXPECT_EQ(TableFillsOf("Member", memberNames, member, {"ID"}).Binding,
              "   int nCount=0;\r\n   m_query->Parameters->Items[nCount++]->Value=Name;"
              "\r\n   return ExecSQLNonQuery();");

    // No identity: every column is included.
    EXPECT_EQ(TableFillsOf("Member", memberNames, member, {}).Parameters, "String Name,int ID");
}

TEST(TableOperator, EachTypeGroupGetsItsParameterTypeAndBinding)
{
    ColumnList columns = {{"a", "tinyint"},   {"b", "money"},  {"c", "smalldatetime"},
                          {"d", "varbinary"}, {"e", "binary"}, {"g", "BIT"}};
    NameList names = NamesOf(columns);
    EXPECT_EQ(TableFillsOf("T", names, columns, {}).Parameters,
              "int a,double b,String c,TStream *d,TStream *e,int g");
    std::string block = TableFillsOf("T", names, columns, {}).Binding;
    EXPECT_NE(block.find("->Value=c;"), std::string::npos);
    EXPECT_NE(block.find("->LoadFromStream(d,ftBlob);"), std::string::npos);
    EXPECT_NE(block.find("->Value=g;"), std::string::npos);
}

TEST(TableOperator, TimestampColumnsAreLeftOutByTheirTypeWhateverTheListSays)
{
    // A snapshot written before unwritable columns were asked for names
    // none; the server alone writes a timestamp (rowversion), directly or
    // through an alias type.
    struct Case {
        ColumnEntry column;
        bool left;
    };
    const Case cases[] = {
        {{"v", "timestamp"}, true},  {{"v", "TIMESTAMP"}, true},
        {{"v", "rowversion"}, true}, {{"v", "Stamp", "timestamp"}, true},
        {{"v", "binary"}, false},    {{"v", "varbinary", "varbinary"}, false},
    };
    for (const Case& c : cases) {
        ColumnList columns = {{"a", "int"}, c.column};
        TableFills fills = TableFillsOf("T", {"a", "v"}, columns, {});
        EXPECT_EQ(fills.InsertText.find("[v]") == std::string::npos, c.left) << c.column.TypeName;
        EXPECT_EQ(fills.UpdateText.find("[v]") == std::string::npos, c.left) << c.column.TypeName;
    }
}

TEST(TableOperator, ParameterNamesAndCatalogueNamesStayApart)
{
    ColumnList columns = {{"Name", "varchar"}};
    NameList labels = {"UserName"};
    EXPECT_EQ(TableFillsOf("T", labels, columns, {}).Parameters, "String UserName");
    EXPECT_EQ(TableFillsOf("T", labels, columns, {}).InsertText,
              "\"INSERT INTO [T]([Name]) VALUES(:UserName)\"");
    EXPECT_EQ(TableFillsOf("T", labels, columns, {}).UpdateText,
              "\"UPDATE [T] SET [Name]=:UserName\"");
    EXPECT_THROW(TableFillsOf("T", {}, columns, {}).Parameters, platform::Exception);
}

TEST(TableOperator, AllIdentityTableInsertsDefaultsAndUpdatesNothing)
{
    RenderedFiles out;
    FakeIdentities ids;
    ids.Columns["Log"] = {"ID"};
    ColumnList columns = {{"ID", "int"}};
    WriteTableOperatorFiles("T", "Log", "Log", columns, {"ID"}, ids);
    EXPECT_EQ(FirstDifference(Expected("LogOperator.h.expected"), Rendered(out, "LogOperator.h")),
              "");
    EXPECT_EQ(FirstDifference(Expected("LogOperator.cpp.expected"),
                              Rendered(out, "LogOperator.cpp")),
              "");

    // A table without columns is written the same way.
    WriteTableOperatorFiles("T", "Log", "Log", {}, {}, ids);
    EXPECT_EQ(FirstDifference(Expected("LogOperator.cpp.expected"),
                              Rendered(out, "LogOperator.cpp")),
              "");
}

TEST(TableOperator, NamesAreQuotedForEachPlaceTheyGo)
{
    RenderedFiles out;
    FakeIdentities ids;
    std::string odd = "a]b%c\"d\\e";
    ColumnList columns = {{"x]y", "int"}};
    WriteTableOperatorFiles("T", "Odd", odd, columns, {"q\"r"}, ids);
    // Each one-column binding block takes three lines of the written file.
    std::string source = Rendered(out, "OddOperator.cpp");
    EXPECT_EQ(Line(source, 15),
              "   String strSql=\"INSERT INTO [a]]b%c\\\"d\\\\e]([x]]y]) VALUES(:q\\\"r)\";");
    EXPECT_EQ(Line(source, 23),
              "   String strSql=\"UPDATE [a]]b%c\\\"d\\\\e] SET [x]]y]=:q\\\"r\";");
    EXPECT_EQ(Line(source, 33), "   String strSql=\"DELETE FROM [a]]b%c\\\"d\\\\e]\";");
    EXPECT_EQ(Line(source, 40),
              "   String strSql=String().sprintf(\"SELECT * FROM [a]]b%%c\\\"d\\\\e]\");");
    EXPECT_EQ(Line(source, 46),
              "   String strSql=String().sprintf(\"SELECT %s FROM [a]]b%%c\\\"d\\\\e]\","
              "QueyFields.c_str());");
    EXPECT_EQ(Line(source, 54),
              "   String strSql=String().sprintf(\"SELECT %s FROM [a]]b%%c\\\"d\\\\e]\","
              "QueryFields.c_str());");
}

TEST(TableOperator, ClassNamesThatLeaveTheFolderAreRefusedBeforeWriting)
{
    TempDir dir;
    testsupport::MakeDir(dir.File("tables"));
    FakeIdentities ids;
    for (const char* name : {"../evil", "a/b", "a\\b", ".", ".."}) {
        try {
            WriteTableOperatorFiles(dir.File("tables"), name, name, {}, {}, ids);
            FAIL() << name << " was accepted";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message, "Cannot create file " + dir.File("tables/") + name + "Operator.h");
        }
    }
    EXPECT_TRUE(testsupport::ListFiles(dir.Path()).empty());
    EXPECT_TRUE(ids.Questions.empty());
}

TEST(TableOperator, AFailingHeaderKeepsTheSourceUnwritten)
{
    TempDir dir;
    testsupport::MakeDir(dir.File("StaffOperator.h"));
    FakeIdentities ids;
    ColumnList columns = StaffColumns();
    EXPECT_THROW(WriteTableOperatorFiles(dir.Path(), "Staff", "Staff", columns, NamesOf(columns),
                                         ids),
                 EFCreateError);
    EXPECT_FALSE(platform::FileExists(dir.File("StaffOperator.cpp")));
}
