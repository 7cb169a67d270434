#include "Genfunc.h"
#include "Templates.h"

void WriteStoredProcFiles(const std::string& storedProcFolder)
{
    WriteTextFile(InFolder(storedProcFolder, kStoredProcHeader), StoredProcHeaderText());
    WriteTextFile(InFolder(storedProcFolder, kStoredProcSource), StoredProcSourceText());
}

void WriteTableOperatorBase(const std::string& tablesFolder, bool keyHelpers)
{
    WriteTextFile(InFolder(tablesFolder, kTableOperatorBase),
                  keyHelpers ? TableOperatorBaseWithKeysText() : TableOperatorBaseText());
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
                      const NameList& viewNames, bool connectionAccessor)
{
    NameList operatorNames = tableNames;
    operatorNames.insert(operatorNames.end(), viewNames.begin(), viewNames.end());

    std::string enumBody = BuildEnumEntries(operatorNames);
    std::string registrations = BuildOperatorRegistrations(operatorNames);
    std::string includes = BuildOperatorIncludes(operatorNames);

    std::string header = platform::FillFields(DBCommHeaderTemplate(), {{"EnumEntries", enumBody}});
    if (connectionAccessor) {
        const std::string after = "   bool ConnectDB(const WideString& wstrConnString);\r\n";
        header.insert(header.find(after) + after.size(),
                      "\r\n   TADOConnection* GetConnection(){\r\n     return m_conn;\r\n   }\r\n");
    }
    // The header and the source name the same operators: they change
    // together or not at all.
    WriteFileBytesTogether(
        {{InFolder(dbCommFolder, kDBCommHeader), platform::Utf8ToGbk(header)},
         {InFolder(dbCommFolder, kDBCommSource),
          platform::Utf8ToGbk(
              platform::FillFields(DBCommSourceTemplate(),
                                   {{"Includes", includes}, {"Registrations", registrations}}) +
              "\r\n")}});
}
