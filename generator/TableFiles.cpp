#include "Genfunc.h"
#include "OperatorNames.h"
#include "Templates.h"
#include "platform/Text.h"

#include <algorithm>

using platform::FillFields;

namespace {

// A column that takes part in inserts and updates, with its parameter name.
struct IncludedColumn {
    const ColumnEntry* Column;
    const std::string* Parameter;
};

// A column is unwritable when the list names it exactly: on a case-sensitive
// server "ID" and "id" are two columns.
std::vector<IncludedColumn> IncludedColumns(const NameList& parameterNames,
                                            const ColumnList& columns,
                                            const IdentityNames& identity)
{
    if (parameterNames.size() != columns.size())
        throw platform::Exception("The column nodes do not match the columns of the table");
    std::vector<IncludedColumn> included;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (!IsRowVersionColumn(columns[i].TypeName, columns[i].BaseType) &&
            std::find(identity.begin(), identity.end(), columns[i].Name) == identity.end())
            included.push_back({&columns[i], &parameterNames[i]});
    }
    return included;
}

std::string ParameterType(const ColumnEntry& column, bool findsRows)
{
    return ParameterTypeOf(column.TypeName, findsRows);
}

std::string ParameterListOf(const std::vector<IncludedColumn>& included, bool findsRows = false)
{
    std::vector<std::string> items;
    items.reserve(included.size());
    for (const IncludedColumn& c : included)
        items.push_back(ParameterType(*c.Column, findsRows) + *c.Parameter);
    return JoinItems(items, ",");
}

std::string InsertTextOf(const std::string& table, const std::vector<IncludedColumn>& included)
{
    if (included.empty())
        return "\"INSERT INTO [" + table + "] DEFAULT VALUES\"";
    std::vector<std::string> names, markers;
    for (const IncludedColumn& c : included) {
        names.push_back(std::string("[").append(InLiteral(c.Column->Name)).append("]"));
        markers.push_back(std::string(":").append(LiteralEscaped(*c.Parameter)));
    }
    return "\"INSERT INTO [" + table + "](" + JoinItems(names, ",") + ") VALUES(" +
           JoinItems(markers, ",") + ")\"";
}

std::string UpdateTextOf(const std::string& table, const std::vector<IncludedColumn>& included)
{
    std::vector<std::string> assignments;
    assignments.reserve(included.size());
    for (const IncludedColumn& c : included)
        assignments.push_back(std::string("[")
                                  .append(InLiteral(c.Column->Name))
                                  .append("]=:")
                                  .append(LiteralEscaped(*c.Parameter)));
    return "\"UPDATE [" + table + "] SET " + JoinItems(assignments, ",") + "\"";
}

// The statements that bind each column's parameter, by position.
std::vector<std::string> BindingStatements(const std::vector<IncludedColumn>& included)
{
    std::vector<std::string> lines;
    if (!included.empty())
        lines.push_back("   int nCount=0;");
    for (const IncludedColumn& c : included)
        lines.push_back(BindingLineOf(c.Column->TypeName, *c.Parameter));
    return lines;
}

std::string BindingLinesOf(const std::vector<IncludedColumn>& included)
{
    std::vector<std::string> lines = BindingStatements(included);
    lines.push_back("   return ExecSQLNonQuery();");
    return JoinLines(lines);
}

// The key's columns with their parameter names, in key order; empty when a
// key column is not among the columns.
std::vector<IncludedColumn> KeyColumns(const NameList& parameterNames, const ColumnList& columns,
                                       const NameList& key)
{
    std::vector<IncludedColumn> keyColumns;
    for (const std::string& name : key) {
        auto it = std::find_if(columns.begin(), columns.end(),
                               [&](const ColumnEntry& c) { return c.Name == name; });
        if (it == columns.end())
            return {};
        std::size_t i = static_cast<std::size_t>(it - columns.begin());
        keyColumns.push_back({&columns[i], &parameterNames[i]});
    }
    return keyColumns;
}

// "[k1]=:k1 AND [k2]=:k2", inside a plain literal.
std::string KeyConditionOf(const std::vector<IncludedColumn>& keyColumns)
{
    std::vector<std::string> terms;
    terms.reserve(keyColumns.size());
    for (const IncludedColumn& c : keyColumns)
        terms.push_back(std::string("[")
                            .append(InLiteral(c.Column->Name))
                            .append("]=:")
                            .append(LiteralEscaped(*c.Parameter)));
    return JoinItems(terms, " AND ");
}

// A statement's text as the literal that holds it.
std::string InQuotes(const std::string& text)
{
    return std::string(1, '"').append(text).append(1, '"');
}

// A batch whose row counts are kept out of its answer, so that its first
// result is the rows it selects, whatever NOCOUNT the connection has; the
// connection's NOCOUNT is as it was afterwards.
std::string WithoutRowCounts(const std::string& statements)
{
    return "DECLARE @nocount int;SET @nocount=@@OPTIONS&512;SET NOCOUNT ON;" + statements +
           ";IF @nocount=0 SET NOCOUNT OFF";
}

}  // namespace

std::string ParameterTypeOf(const std::string& typeName, bool findsRows)
{
    // Where the column finds rows (a key), exactly: a decimal or numeric
    // key, and a money one, go as their text, which the server compares
    // without rounding (a double holds 15 digits; ids past 2^53 would
    // share one and match together).
    if (findsRows && IsExactNumberType(typeName))
        return "String ";
    return ParameterTypeText(typeName);
}

std::string BindingLineOf(const std::string& typeName, const std::string& value)
{
    return IsBlobType(typeName)
               ? "   m_query->Parameters->Items[nCount++]->LoadFromStream(" + value + ",ftBlob);"
               : "   m_query->Parameters->Items[nCount++]->Value=" + value + ";";
}

std::string CountedBatch(const std::string& statement)
{
    // The count is read from the answer, never from the connection's row
    // counts, which a NOCOUNT left on (by a batch cut short, or by the
    // program) would hide.
    return WithoutRowCounts(statement + ";SELECT @@ROWCOUNT");
}

bool KeyUsable(const ColumnList& columns, const NameList& key)
{
    if (key.empty())
        return false;
    for (const std::string& name : key) {
        auto it = std::find_if(columns.begin(), columns.end(),
                               [&](const ColumnEntry& c) { return c.Name == name; });
        // A binary value cannot be compared as the blob it is bound as.
        if (it == columns.end() || IsBlobType(it->TypeName))
            return false;
    }
    return true;
}

TableFills TableFillsOf(const std::string& catalogName, const NameList& parameterNames,
                        const ColumnList& columns, const IdentityNames& identity,
                        const std::string& schema)
{
    // Every piece walks the same included columns.
    std::vector<IncludedColumn> included = IncludedColumns(parameterNames, columns, identity);
    std::string table = ObjectInLiteral(schema, catalogName);
    return {ParameterListOf(included), InsertTextOf(table, included), UpdateTextOf(table, included),
            BindingLinesOf(included), !included.empty()};
}

bool WriteTableOperatorFiles(const std::string& tablesFolder, const std::string& className,
                             const std::string& catalogName, const ColumnList& columns,
                             const NameList& parameterNames, IdentitySource& identities,
                             const std::string& schema)
{
    // A name that would leave the folder is refused before anything is asked.
    OperatorPaths(tablesFolder, className);
    SchemaObject table;
    table.Name = catalogName;
    table.Label = className;
    table.Schema = schema;
    IdentityNames identity;
    if (!identities.GetIdentityColumns(table, identity))
        return false;
    WriteTableOperatorFiles(tablesFolder, className, catalogName, columns, parameterNames, identity,
                            schema);
    return true;
}

KeyFills KeyFillsOf(const std::string& catalogName, const NameList& parameterNames,
                    const ColumnList& columns, const IdentityNames& identity,
                    const std::string& schema, const TableKeys& keys)
{
    KeyFills fills;
    std::string table = ObjectInLiteral(schema, catalogName);
    std::vector<IncludedColumn> included = IncludedColumns(parameterNames, columns, identity);
    if (KeyUsable(columns, keys.Key)) {
        std::vector<IncludedColumn> keyColumns = KeyColumns(parameterNames, columns, keys.Key);
        fills.Methods.FindAndDelete = true;
        fills.KeyParameters = ParameterListOf(keyColumns, true);
        fills.KeyCondition = KeyConditionOf(keyColumns);
        fills.KeyBinding = JoinLines(BindingStatements(keyColumns));
        fills.DeleteByKeyText =
            InQuotes(CountedBatch("DELETE FROM [" + table + "] WHERE " + fills.KeyCondition));
        // UpdateByKey sets what Update sets, but the key.
        std::vector<IncludedColumn> set;
        for (const IncludedColumn& c : included)
            if (std::find(keys.Key.begin(), keys.Key.end(), c.Column->Name) == keys.Key.end())
                set.push_back(c);
        if (!set.empty()) {
            fills.Methods.UpdateByKey = true;
            fills.SetParameters = ParameterListOf(set);
            std::string text = UpdateTextOf(table, set);
            text.insert(text.size() - 1, " WHERE " + fills.KeyCondition);
            fills.UpdateByKeyText = InQuotes(CountedBatch(text.substr(1, text.size() - 2)));
            std::vector<IncludedColumn> bound = set;
            bound.insert(bound.end(), keyColumns.begin(), keyColumns.end());
            fills.UpdateByKeyBinding = JoinLines(BindingStatements(bound));
        }
    }
    auto identityColumn = std::find_if(columns.begin(), columns.end(), [&](const ColumnEntry& c) {
        return c.Name == keys.IdentityColumn;
    });
    // The IDENTITY column is one the server writes: New leaves it out.
    bool unwritable =
        std::find(identity.begin(), identity.end(), keys.IdentityColumn) != identity.end();
    if (!keys.IdentityColumn.empty() && identityColumn != columns.end() && unwritable &&
        (IsIntegerType(identityColumn->TypeName) || IsFloatType(identityColumn->TypeName))) {
        const std::string& label =
            parameterNames[static_cast<std::size_t>(identityColumn - columns.begin())];
        fills.Methods.NewWithIdentity = true;
        fills.IdentityLabel = label;
        // The value comes back through a reference of the column's own type
        // (a decimal one as its text, every digit kept).
        std::string type = ParameterType(*identityColumn, true);
        std::string reference = platform::Trim(type) + "& " + label;
        std::string parameters = ParameterListOf(included);
        fills.IdentityParameters = parameters.empty() ? reference : parameters + "," + reference;
        // One batch: the insert, then the value the server gave this row
        // (SCOPE_IDENTITY, which a trigger's insert does not change). Row
        // counts are kept out of it, so that the value is its first result,
        // and the connection's NOCOUNT is left as it was.
        std::string insert = InsertTextOf(table, included);
        std::string value = IsIntegerType(identityColumn->TypeName)
                                ? "SELECT CAST(SCOPE_IDENTITY() AS bigint)"
                            : IsExactNumberType(identityColumn->TypeName)
                                ? "SELECT CAST(SCOPE_IDENTITY() AS varchar(40))"
                                : "SELECT SCOPE_IDENTITY()";
        fills.IdentityInsertText =
            InQuotes(WithoutRowCounts(insert.substr(1, insert.size() - 2) + ";" + value));
        std::vector<std::string> lines = BindingStatements(included);
        lines.push_back("   if(!DBTableOperator::OpenFound())");
        lines.push_back("      return false;");
        fills.IdentityBinding = JoinLines(lines);
    }
    return fills;
}

void WriteTableOperatorFiles(const std::string& tablesFolder, const std::string& className,
                             const std::string& catalogName, const ColumnList& columns,
                             const NameList& parameterNames, const IdentityNames& identity,
                             const std::string& schema, const TableKeys* keys,
                             const OutputForm& form, const OperatorExtras& extras)
{
    OperatorFilePaths paths = OperatorPaths(tablesFolder, className);
    TableFills fills = TableFillsOf(catalogName, parameterNames, columns, identity, schema);
    KeyFills keyFills;
    if (keys)
        keyFills = KeyFillsOf(catalogName, parameterNames, columns, identity, schema, *keys);
    std::vector<platform::Field> fields = {
        {"Class", className},
        {"Parameters", fills.Parameters},
        {"NameInLiteral", ObjectInLiteral(schema, catalogName)},
        {"NameInFormat", ObjectInFormatLiteral(schema, catalogName)},
        {"InsertText", fills.InsertText},
        {"NewBinding", fills.Binding},
        {"UpdateText", fills.UpdateText},
        {"UpdateBinding", fills.Binding},
        {"KeyParameters", keyFills.KeyParameters},
        {"KeyCondition", keyFills.KeyCondition},
        {"DeleteByKeyText", keyFills.DeleteByKeyText},
        {"KeyBinding", keyFills.KeyBinding},
        {"UpdateByKeyText", keyFills.UpdateByKeyText},
        {"UpdateByKeyBinding", keyFills.UpdateByKeyBinding},
        {"IdentityParameters", keyFills.IdentityParameters},
        {"IdentityInsertText", keyFills.IdentityInsertText},
        {"IdentityBinding", keyFills.IdentityBinding},
        {"IdentityLabel", keyFills.IdentityLabel},
        {"SetParameters", keyFills.SetParameters},
    };
    // Without key methods the plain templates, as they are kept.
    const KeyMethods& methods = keyFills.Methods;
    bool plain = !methods.FindAndDelete && !methods.UpdateByKey && !methods.NewWithIdentity;
    std::string keyedHeader, keyedSource;
    const std::string* header = &TableHeaderTemplate(fills.HasColumnsToSet);
    const std::string* source = &TableSourceTemplate(fills.HasColumnsToSet);
    if (!plain) {
        keyedHeader = TableHeaderTemplate(fills.HasColumnsToSet, methods);
        keyedSource = TableSourceTemplate(fills.HasColumnsToSet, methods);
        header = &keyedHeader;
        source = &keyedSource;
    }
    if (!extras.Empty()) {
        keyedHeader = WithExtras(*header, true, extras, fields);
        keyedSource = WithExtras(*source, false, extras, fields);
        header = &keyedHeader;
        source = &keyedSource;
    }
    WriteTextFile(paths.Header, FillForm(*header, fields, form), form);
    WriteTextFile(paths.Source, FillForm(*source, fields, form), form);
}
