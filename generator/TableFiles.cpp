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

std::string ParameterListOf(const std::vector<IncludedColumn>& included)
{
    std::vector<std::string> items;
    items.reserve(included.size());
    for (const IncludedColumn& c : included)
        items.push_back(ParameterTypeText(c.Column->TypeName) + *c.Parameter);
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

std::string BindingLinesOf(const std::vector<IncludedColumn>& included)
{
    std::vector<std::string> lines;
    if (!included.empty())
        lines.push_back("   int nCount=0;");
    for (const IncludedColumn& c : included)
        lines.push_back(IsBlobType(c.Column->TypeName)
                            ? "   m_query->Parameters->Items[nCount++]->LoadFromStream(" +
                                  *c.Parameter + ",ftBlob);"
                            : "   m_query->Parameters->Items[nCount++]->Value=" + *c.Parameter +
                                  ";");
    lines.push_back("   return ExecSQLNonQuery();");
    return JoinLines(lines);
}

}  // namespace

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

void WriteTableOperatorFiles(const std::string& tablesFolder, const std::string& className,
                             const std::string& catalogName, const ColumnList& columns,
                             const NameList& parameterNames, const IdentityNames& identity,
                             const std::string& schema)
{
    OperatorFilePaths paths = OperatorPaths(tablesFolder, className);
    TableFills fills = TableFillsOf(catalogName, parameterNames, columns, identity, schema);
    std::vector<platform::Field> fields = {
        {"Class", className},
        {"Parameters", fills.Parameters},
        {"NameInLiteral", ObjectInLiteral(schema, catalogName)},
        {"NameInFormat", ObjectInFormatLiteral(schema, catalogName)},
        {"InsertText", fills.InsertText},
        {"NewBinding", fills.Binding},
        {"UpdateText", fills.UpdateText},
        {"UpdateBinding", fills.Binding},
    };
    WriteTextFile(paths.Header, FillFields(TableHeaderTemplate(fills.HasColumnsToSet), fields));
    WriteTextFile(paths.Source, FillFields(TableSourceTemplate(fills.HasColumnsToSet), fields));
}
