#include "Genfunc.h"
#include "Templates.h"

void WriteStoredProcFiles(const std::string& storedProcFolder, const OutputForm& form)
{
    OperatorFilePaths paths = StoredProcPaths(storedProcFolder);
    WriteTextFile(paths.Header, FillForm(StoredProcHeaderText(), {}, form), form);
    WriteTextFile(paths.Source, FillForm(StoredProcSourceText(), {}, form), form);
}

void WriteTableOperatorBase(const std::string& tablesFolder, bool keyHelpers,
                            const OutputForm& form)
{
    WriteTextFile(TableOperatorBasePath(tablesFolder),
                  FillForm(keyHelpers ? TableOperatorBaseWithKeysText() : TableOperatorBaseText(),
                           {}, form),
                  form);
}

void WriteTableOperatorBase(const std::string& tablesFolder, const BaseHelpers& helpers,
                            const OutputForm& form)
{
    WriteTextFile(TableOperatorBasePath(tablesFolder),
                  FillForm(TableOperatorBaseText(helpers), {}, form), form);
}

std::string BuildEnumEntries(const NameList& operatorNames)
{
    return JoinItems(operatorNames, ",");
}

std::string BuildOperatorIncludes(const NameList& operatorNames)
{
    std::vector<std::string> items;
    for (const std::string& name : operatorNames)
        items.push_back("#include \".\\DBTables\\" + name + "Operator.h\"");
    return JoinItems(items, "\r\n");
}

std::string BuildOperatorRegistrations(const NameList& operatorNames)
{
    std::vector<std::string> items;
    for (const std::string& name : operatorNames)
        items.push_back(std::string("m_mapOfOperator[")
                            .append(name)
                            .append("]=new ")
                            .append(name)
                            .append("Operator;"));
    return JoinItems(items, "\r\n  ");
}

void WriteDBCommFiles(const std::string& dbCommFolder, const NameList& tableNames,
                      const NameList& viewNames, bool connectionAccessor, const OutputForm& form)
{
    NameList operatorNames = tableNames;
    operatorNames.insert(operatorNames.end(), viewNames.begin(), viewNames.end());

    std::string enumBody = BuildEnumEntries(operatorNames);
    std::string registrations = BuildOperatorRegistrations(operatorNames);
    std::string includes = BuildOperatorIncludes(operatorNames);

    std::string header = FillForm(DBCommHeaderTemplate(), {{"EnumEntries", enumBody}}, form);
    if (connectionAccessor) {
        const std::string after = "   bool ConnectDB(const WideString& wstrConnString);\r\n";
        header.insert(header.find(after) + after.size(),
                      "\r\n   TADOConnection* GetConnection(){\r\n     return m_conn;\r\n   }\r\n");
    }
    // The header and the source name the same operators: they change
    // together or not at all.
    WriteFileBytesTogether(
        {{DBCommPaths(dbCommFolder).Header, form.Bytes(header)},
         {DBCommPaths(dbCommFolder).Source,
          form.Bytes(FillForm(DBCommSourceTemplate(),
                              {{"Includes", includes}, {"Registrations", registrations}}, form) +
                     "\r\n")}});
}
