// Every name a generated function body uses must be refused as a label of
// its parameters: a parameter of that name would hide it, and the class
// would not compile (or would do something else).

#include "Rendered.h"
#include "generator/Genfunc.h"
#include "generator/TypeRules.h"

#include <gtest/gtest.h>

#include <set>

namespace {

bool IdentifierStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IdentifierPart(char c)
{
    return IdentifierStart(c) || (c >= '0' && c <= '9');
}

// The identifiers of a text that name something on their own: outside
// string literals, and not a member or a qualified name (after "->", "."
// or "::").
std::set<std::string> UnqualifiedIdentifiers(const std::string& text)
{
    std::set<std::string> names;
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i];
        if (c == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i)
                if (text[i] == '\\')
                    ++i;
            ++i;
            continue;
        }
        if (!IdentifierStart(c)) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && IdentifierPart(text[end]))
            ++end;
        std::size_t before = i;
        while (before > 0 && text[before - 1] == ' ')
            --before;
        bool qualified = (before >= 1 && text[before - 1] == '.') ||
                         (before >= 2 && (text.compare(before - 2, 2, "->") == 0 ||
                                          text.compare(before - 2, 2, "::") == 0));
        if (!qualified && (i == 0 || !IdentifierPart(text[i - 1])))
            names.insert(text.substr(i, end - i));
        i = end;
    }
    return names;
}

// The names used by each function of a source whose parameter list holds
// one of the labels: the parameter list's types and the body's names, less
// the labels themselves and the class's own name.
std::set<std::string> NamesBesideLabels(const std::string& source,
                                        const std::vector<std::string>& labels,
                                        const std::string& className)
{
    std::set<std::string> names;
    std::size_t at = 0;
    while (at < source.size()) {
        std::size_t end = source.find("\r\n}", at);
        if (end == std::string::npos)
            break;
        std::string function = source.substr(at, end - at);
        at = end + 3;
        std::size_t open = function.find('('), close = function.find(')');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        std::set<std::string> parameters =
            UnqualifiedIdentifiers(function.substr(open, close - open));
        bool takesLabels = false;
        for (const std::string& label : labels)
            takesLabels = takesLabels || parameters.count(label);
        if (!takesLabels)
            continue;
        for (const std::string& name : UnqualifiedIdentifiers(function))
            names.insert(name);
    }
    for (const std::string& label : labels)
        names.erase(label);
    names.erase(className);
    return names;
}

// A procedure with a parameter of every type, each in and OUTPUT.
SchemaObject EveryTypeProcedure()
{
    SchemaObject p{"EveryType", "EveryType", {}, {}, "dbo"};
    const char* const types[] = {
        "image",         "text",       "uniqueidentifier",
        "tinyint",       "smallint",   "int",
        "smalldatetime", "real",       "money",
        "datetime",      "float",      "sql_variant",
        "ntext",         "bit",        "decimal",
        "numeric",       "smallmoney", "bigint",
        "varbinary",     "varchar",    "binary",
        "char",          "timestamp",  "nvarchar",
        "nchar",         "sysname",
    };
    int k = 0;
    for (const char* type : types)
        for (bool output : {false, true}) {
            if (output && IsBlobType(type))
                continue;
            for (int length : {10, -1}) {
                std::string label = std::string("p").append(std::to_string(k++));
                SchemaColumn c{std::string("@").append(label), label, type, type};
                c.Shape = {length, output, 10, 2};
                p.Columns.push_back(c);
            }
        }
    return p;
}

}  // namespace

TEST(LabelRules, EveryNameAProcedureClassUsesBesideItsParametersIsRefused)
{
    SchemaObject procedure = EveryTypeProcedure();
    RenderedFiles out;
    WriteProcedureFiles("T", procedure);
    std::vector<std::string> labels;
    for (const SchemaColumn& c : procedure.Columns)
        labels.push_back(c.Label);
    std::set<std::string> used;
    for (const char* file : {"EveryTypeProcedure.h", "EveryTypeProcedure.cpp"})
        for (const std::string& name :
             NamesBesideLabels(Rendered(out, file), labels, "EveryTypeProcedure"))
            used.insert(name);
    // The bodies use the VCL's data types and directions, the class's
    // members and the runtime's names.
    EXPECT_TRUE(used.count("ftDateTime") && used.count("m_proc") && used.count("OleVariant"));
    for (const std::string& name : used)
        EXPECT_FALSE(IsValidProcedureParameterName(name)) << name;
}

TEST(LabelRules, EveryNameAnOperatorsWritingMethodsUseBesideTheirParametersIsRefused)
{
    ColumnList columns = {{"ID", "int"},     {"Code", "decimal"},  {"Name", "varchar"},
                          {"Big", "bigint"}, {"When", "datetime"}, {"Photo", "image"}};
    NameList labels = {"ID", "Code", "Name", "Big", "When", "Photo"};
    TableKeys keys{{"Code", "Name"}, "ID"};
    RenderedFiles out;
    WriteTableOperatorFiles("T", "Every", "Every", columns, labels, {"ID"}, "", &keys);
    std::set<std::string> used;
    for (const char* file : {"EveryOperator.h", "EveryOperator.cpp"})
        for (const std::string& name :
             NamesBesideLabels(Rendered(out, file), labels, "EveryOperator"))
            used.insert(name);
    EXPECT_TRUE(used.count("strSql") && used.count("m_query") && used.count("InitQuery"));
    for (const std::string& name : used)
        EXPECT_FALSE(IsValidParameterName(name)) << name;
}
