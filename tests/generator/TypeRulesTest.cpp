#include "generator/TypeRules.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <cctype>

TEST(IdentifierRule, OnlyCppIdentifiersOfAsciiCharactersPass)
{
    for (const char* ok : {"Name1", "x_", "Z", "a1_b2", "Int", "Class"})
        EXPECT_TRUE(IsValidIdentifier(ok)) << ok;
    for (const char* bad : {"", "1abc", "_id", " x", "-a", "[a]", "a b", "a-b", "a'b", "a%b", "a]b",
                            "a\rb", "a\nb", "int", "class", "and", "NULL", "interface"})
        EXPECT_FALSE(IsValidIdentifier(bad)) << bad;
    EXPECT_FALSE(IsValidIdentifier(std::string("A\0B", 3)));
}

TEST(IdentifierRule, ClassAndParameterNamesMustNotClashWhereTheyLand)
{
    struct Row {
        const char* name;
        bool asClass, asParameter;
    };
    const Row rows[] = {
        {"Users", true, true},
        // The runtime's own class, enum and files; "dbtable" would name
        // DBTableOperator.h on a file system that ignores case.
        {"DBTable", false, true},
        {"dbtable", false, true},
        {"DBComm", false, true},
        {"Tables", false, true},
        // What New and Update declare and call.
        {"nCount", true, false},
        {"m_query", true, false},
        {"strSql", true, false},
        {"condition", true, false},
        {"String", false, false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(IsValidClassName(r.name), r.asClass) << r.name;
        EXPECT_EQ(IsValidParameterName(r.name), r.asParameter) << r.name;
    }
}

TEST(IdentifierRule, AnyCharacterOutsideAsciiFails)
{
    EXPECT_FALSE(IsValidIdentifier(std::string("ab").append("用户")));
    EXPECT_FALSE(IsValidIdentifier("用户表"));
    EXPECT_FALSE(IsValidIdentifier("café"));
    EXPECT_TRUE(ContainsNonAsciiChar(std::string("a").append("表").append("b")));
    EXPECT_TRUE(ContainsNonAsciiChar("é"));
    EXPECT_FALSE(ContainsNonAsciiChar("ab_9"));
    EXPECT_FALSE(ContainsNonAsciiChar(""));
}

TEST(TypeTable, LookupIgnoresCaseAndNeedsTheWholeName)
{
    for (const char* type : {"int", "image", "sysname", "sql_variant"}) {
        std::string upper = type;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_GE(GetTypeIndex(type), 0) << type;
        EXPECT_EQ(GetTypeIndex(upper), GetTypeIndex(type)) << type;
    }
    for (const char* absent : {"varchar(50)", " int", "int ", "xml", "date", ""})
        EXPECT_EQ(GetTypeIndex(absent), -1) << absent;
}

TEST(TypeTable, EveryTypeBelongsToAtMostOneGroupWithItsParameterType)
{
    struct Row {
        const char* type;
        const char* parameter;
    };
    const Row rows[] = {
        {"image", "TStream *"},
        {"text", "String "},
        {"uniqueidentifier", ""},
        {"tinyint", "int "},
        {"smallint", "int "},
        {"int", "int "},
        {"smalldatetime", "String "},
        {"real", "double "},
        {"money", "double "},
        {"datetime", "String "},
        {"float", "double "},
        {"sql_variant", ""},
        {"ntext", "String "},
        {"bit", "int "},
        {"decimal", "double "},
        {"numeric", "double "},
        {"smallmoney", "double "},
        {"bigint", "__int64 "},
        {"varbinary", "TStream *"},
        {"varchar", "String "},
        {"binary", "TStream *"},
        {"char", "String "},
        {"timestamp", "TStream *"},
        {"nvarchar", "String "},
        {"nchar", "String "},
        {"sysname", "String "},
        {"xml", ""},
    };
    for (const Row& r : rows) {
        int groups =
            IsIntegerType(r.type) + IsStringType(r.type) + IsFloatType(r.type) + IsBlobType(r.type);
        EXPECT_EQ(groups, *r.parameter ? 1 : 0) << r.type;
        EXPECT_EQ(IsSupportedType(r.type), *r.parameter != '\0') << r.type;
        EXPECT_EQ(ParameterTypeText(r.type), r.parameter) << r.type;
    }
    EXPECT_TRUE(IsIntegerType("BIT"));
    EXPECT_TRUE(IsBlobType("TimeStamp"));
}

TEST(IdentifierRule, MacrosOfWindowsHeadersNameNoClassAndNoParameter)
{
    // Once <windows.h> is in, as it is for the VCL, these are replaced by
    // the preprocessor; the lookalikes are not.
    struct Case {
        const char* name;
        bool macro;
    };
    const Case cases[] = {
        {"IGNORE", true},
        {"INFINITE", true},
        {"MAX_PATH", true},
        {"THIS", true},
        {"hyper", true},
        {"NO_ERROR", true},
        {"S_OK", true},
        {"PURE", true},
        {"IN", true},
        {"OPTIONAL", true},
        {"Ignore", false},
        {"Infinite", false},
        {"MAX_PATHS", false},
        {"This", false},
        {"S_O", false},
        {"Staff", false},
        // Defined only under a condition here, always by another SDK: the
        // resource compiler's "small", COBJMACROS' call macros.
        {"small", true},
        {"AsyncIAdviseSink_AddRef", true},
        {"Small", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsWindowsHeaderMacro(c.name), c.macro) << c.name;
        EXPECT_EQ(IsValidClassName(c.name), !c.macro) << c.name;
        EXPECT_EQ(IsValidParameterName(c.name), !c.macro) << c.name;
    }
}

TEST(TypeOptions, EachTypeGetsItsGroupUnderTheDefaultExtendedAndOverriddenRules)
{
    TypeOptions none, extended, overridden;
    extended.Extended = true;
    overridden.Extended = true;
    overridden.Overrides = {{"DATETIME2", TypeGroup::Float},
                            {"Flag", TypeGroup::String},
                            {"xml", TypeGroup::Blob}};
    // The parameter type text under each rule set; "" for an unsupported type.
    struct Case {
        const char* type;
        const char* base;
        const char* byDefault;
        const char* byExtended;
        const char* byOverride;
    };
    const Case cases[] = {
        {"int", "int", "int ", "int ", "int "},
        {"datetime", "datetime", "String ", "String ", "String "},
        {"timestamp", "timestamp", "TStream *", "TStream *", "TStream *"},
        {"date", "date", "", "String ", "String "},
        {"time", "time", "", "String ", "String "},
        {"datetime2", "datetime2", "", "String ", "double "},
        {"datetimeoffset", "datetimeoffset", "", "String ", "String "},
        {"uniqueidentifier", "uniqueidentifier", "", "String ", "String "},
        {"xml", "xml", "", "String ", "TStream *"},
        {"sql_variant", "sql_variant", "", "String ", "String "},
        {"hierarchyid", "", "", "TStream *", "TStream *"},
        {"geometry", "", "", "TStream *", "TStream *"},
        {"geography", "", "", "TStream *", "TStream *"},
        // Alias types: only the option takes them as their base types, and
        // an override names the alias itself.
        {"Name", "nvarchar", "", "String ", "String "},
        {"Flag", "bit", "", "int ", "String "},
        {"Stamp", "timestamp", "", "TStream *", "TStream *"},
        {"Money2", "money", "", "double ", "double "},
        // An alias of bigint keeps its upper half once taken as its base.
        {"Id64", "bigint", "", "__int64 ", "__int64 "},
        {"bigint", "bigint", "__int64 ", "__int64 ", "__int64 "},
        {"unknown", "", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParameterTypeText(ResolvedTypeName(c.type, c.base, none)), c.byDefault) << c.type;
        EXPECT_EQ(ParameterTypeText(ResolvedTypeName(c.type, c.base, extended)), c.byExtended)
            << c.type;
        EXPECT_EQ(ParameterTypeText(ResolvedTypeName(c.type, c.base, overridden)), c.byOverride)
            << c.type;
    }
    // Without an option a type name is left exactly as the catalogue gave it.
    EXPECT_EQ(ResolvedTypeName("Name", "nvarchar", none), "Name");
    TypeGroup group;
    EXPECT_TRUE(ParseTypeGroup("BLOB", group));
    EXPECT_EQ(group, TypeGroup::Blob);
    EXPECT_FALSE(ParseTypeGroup("text", group));
}

// The window's line of NAME=GROUP entries: separators half- or full-width,
// blanks around entries and '=' left out, the first fault reported with
// the entries before it kept.
TEST(TypeOptions, TheWindowsTypeGroupLineIsReadAsPellamGensTypeOptions)
{
    using Overrides = std::vector<std::pair<std::string, TypeGroup>>;
    struct Case {
        const char* line;
        Overrides taken;
        const char* fault;  // the start of the message, "" when none
    };
    const Case cases[] = {
        {"", {}, ""},
        {" ; ,, ", {}, ""},
        {"MyPoint=blob", {{"MyPoint", TypeGroup::Blob}}, ""},
        {" MyPoint = BLOB ;Money2=float,Flag=integer",
         {{"MyPoint", TypeGroup::Blob}, {"Money2", TypeGroup::Float}, {"Flag", TypeGroup::Integer}},
         ""},
        {"金额类型=float；坐标=blob，标记=string",
         {{"金额类型", TypeGroup::Float}, {"坐标", TypeGroup::Blob}, {"标记", TypeGroup::String}},
         ""},
        {"my type=string", {{"my type", TypeGroup::String}}, ""},
        {"Flag=integer; FLAG=integer",
         {{"Flag", TypeGroup::Integer}, {"FLAG", TypeGroup::Integer}},
         ""},
        {"Flag=integer; FLAG=string",
         {{"Flag", TypeGroup::Integer}},
         "类型分组给同一类型指定了两个组：Flag 与 FLAG=string"},
        {"Money2=float; Point", {{"Money2", TypeGroup::Float}}, "类型分组应为"},
        {"=blob", {}, "类型分组应为"},
        {"Point=blobs", {}, "类型分组应为"},
        {"Point=", {}, "类型分组应为"},
        {"Po\tint=blob", {}, "类型分组的类型名不能含控制字符"},
    };
    for (const Case& c : cases) {
        TypeOptions options;
        std::string fault = AddTypeOverrideList(c.line, options);
        EXPECT_EQ(options.Overrides, c.taken) << c.line;
        EXPECT_EQ(fault.substr(0, std::string(c.fault).size()), c.fault) << c.line << ": " << fault;
        EXPECT_EQ(fault.empty(), std::string(c.fault).empty()) << c.line;
    }
}
