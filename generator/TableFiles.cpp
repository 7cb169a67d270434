#include "Genfunc.h"
#include "OperatorNames.h"
#include "Templates.h"
#include "platform/Text.h"

namespace {

// A column that takes part in inserts and updates, with its parameter name.
struct IncludedColumn {
    const ColumnEntry* Column;
    const std::string* Parameter;
};

std::vector<IncludedColumn> IncludedColumns(const NameList& parameterNames,
                                            const ColumnList& columns,
                                            const IdentityNames& identity)
{
    if (parameterNames.size() != columns.size())
        throw platform::Exception("The column nodes do not match the columns of the table");
    std::vector<IncludedColumn> included;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        bool isIdentity = false;
        for (const std::string& name : identity)
            if (platform::SameTextIgnoreCase(columns[i].Name, name))
                isIdentity = true;
        if (!isIdentity)
            included.push_back({&columns[i], &parameterNames[i]});
    }
    return included;
}

std::string ParameterListOf(const std::vector<IncludedColumn>& included)
{
    std::vector<std::string> items;
    for (const IncludedColumn& c : included)
        items.push_back(ParameterTypeText(c.Column->TypeName) + *c.Parameter);
    return JoinItems(items, ",");
}

std::string InsertTextOf(const std::string& catalogName, const std::vector<IncludedColumn>& included)
{
    if (included.empty())
        return FillTemplate("\"INSERT INTO [%s] DEFAULT VALUES\"", {InLiteral(catalogName)});
    std::vector<std::string> names, markers;
    for (const IncludedColumn& c : included) {
        names.push_back(std::string("[").append(InLiteral(c.Column->Name)).append("]"));
        markers.push_back(std::string(":").append(LiteralEscaped(*c.Parameter)));
    }
    return FillTemplate("\"INSERT INTO [%s](%s) VALUES(%s)\"",
                        {InLiteral(catalogName), JoinItems(names, ","), JoinItems(markers, ",")});
}

std::string UpdateTextOf(const std::string& catalogName, const std::vector<IncludedColumn>& included)
{
    std::vector<std::string> assignments;
    for (const IncludedColumn& c : included)
        assignments.push_back(std::string("[")
                                  .append(InLiteral(c.Column->Name))
                                  .append("]=:")
                                  .append(LiteralEscaped(*c.Parameter)));
    return FillTemplate("\"UPDATE [%s] SET %s\"",
                        {InLiteral(catalogName), JoinItems(assignments, ",")});
}

std::string BindingLinesOf(const std::vector<IncludedColumn>& included)
{
    if (included.empty())
        return "   return ExecSQLNonQuery();";
    std::string block = "   int nCount=0;";
    for (const IncludedColumn& c : included) {
        block += "\r\n   ";
        if (IsBlobType(c.Column->TypeName))
            block += FillTemplate("m_query->Parameters->Items[nCount++]->LoadFromStream(%s,ftBlob);",
                                  {*c.Parameter});
        else
            block += FillTemplate("m_query->Parameters->Items[nCount++]->Value=%s;", {*c.Parameter});
    }
    block += "\r\n   return ExecSQLNonQuery();";
    return block;
}

}  // namespace

std::string BuildParameterList(const std::string& /*catalogName*/, const NameList& parameterNames,
                               const ColumnList& columns, const IdentityNames& identity)
{
    return ParameterListOf(IncludedColumns(parameterNames, columns, identity));
}

std::string BuildInsertText(const std::string& catalogName, const NameList& parameterNames,
                            const ColumnList& columns, const IdentityNames& identity)
{
    return InsertTextOf(catalogName, IncludedColumns(parameterNames, columns, identity));
}

std::string BuildUpdateText(const std::string& catalogName, const NameList& parameterNames,
                            const ColumnList& columns, const IdentityNames& identity)
{
    return UpdateTextOf(catalogName, IncludedColumns(parameterNames, columns, identity));
}

std::string BuildBindingLines(const std::string& /*catalogName*/, const NameList& parameterNames,
                              const ColumnList& columns, const IdentityNames& identity)
{
    return BindingLinesOf(IncludedColumns(parameterNames, columns, identity));
}

bool WriteTableOperatorFiles(const std::string& tablesFolder, const std::string& className,
                             const std::string& catalogName, const ColumnList& columns,
                             const NameList& parameterNames, IdentitySource& identities)
{
    OperatorFilePaths paths = OperatorPaths(tablesFolder, className);

    IdentityNames identity;
    if (!identities.GetIdentityColumns(catalogName, identity))
        return false;

    // Every piece walks the same included columns.
    std::vector<IncludedColumn> included = IncludedColumns(parameterNames, columns, identity);
    std::string insertText = InsertTextOf(catalogName, included);
    std::string newBinding = BindingLinesOf(included);
    std::string updateText = UpdateTextOf(catalogName, included);
    const std::string& updateBinding = newBinding;
    std::string parameters = ParameterListOf(included);
    bool nothingToSet = included.empty();

    const std::string& c = className;
    std::vector<std::string> header = TableHeaderLines();
    std::vector<std::string> headerFills = {c, c, c, c, c, parameters};
    if (nothingToSet)
        header[11] = "   bool Update(const String& condition);";
    else
        headerFills.push_back(parameters);
    WriteTextFile(paths.Header, FillTemplate(JoinLines(header), headerFills));

    std::vector<std::string> source = TableSourceLines();
    std::vector<std::string> sourceFills = {c, c, c, c, c, c, parameters, insertText, newBinding, c};
    if (nothingToSet) {
        // An Update that has no column to set sends nothing.
        source.erase(source.begin() + 19, source.begin() + 26);
        source.insert(source.begin() + 19, {"bool %sOperator::Update(const String& condition){",
                                            "   return false;", "}"});
    } else {
        sourceFills.insert(sourceFills.end(), {parameters, updateText, updateBinding});
    }
    std::string inLiteral = InLiteral(catalogName);
    std::string inFormat = InFormatLiteral(catalogName);
    sourceFills.insert(sourceFills.end(),
                       {c, inLiteral, c, inFormat, c, inFormat, c, inFormat, c, c});
    WriteTextFile(paths.Source, FillTemplate(JoinLines(source), sourceFills));
    return true;
}
