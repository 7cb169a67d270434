#include "Genfunc.h"
#include "Templates.h"

void WriteStoredProcFiles(const std::string& storedProcFolder)
{
    WriteTextFile(InFolder(storedProcFolder, "DBStoredProc.h"), JoinLines(StoredProcHeaderLines()));
    WriteTextFile(InFolder(storedProcFolder, "DBStoredProc.cpp"),
                  JoinLines(StoredProcSourceLines()));
}

void WriteTableOperatorBase(const std::string& tablesFolder)
{
    WriteTextFile(InFolder(tablesFolder, "DBTableOperator.h"), JoinLines(TableOperatorBaseLines()));
}

std::string BuildEnumEntries(const NameList& operatorNames)
{
    return JoinItems(operatorNames, ",");
}

std::string BuildOperatorIncludes(const NameList& operatorNames)
{
    std::vector<std::string> items;
    for (const std::string& name : operatorNames)
        items.push_back(FillTemplate("#include \".\\DBTables\\%sOperator.h\"", {name}));
    return JoinItems(items, "\r\n");
}

std::string BuildOperatorRegistrations(const NameList& operatorNames)
{
    std::vector<std::string> items;
    for (const std::string& name : operatorNames)
        items.push_back(FillTemplate("m_mapOfOperator[%s]=new %sOperator;", {name, name}));
    return JoinItems(items, "\r\n  ");
}

void WriteDBCommFiles(const std::string& dbCommFolder, const NameList& tableNames,
                      const NameList& viewNames)
{
    NameList operatorNames = tableNames;
    operatorNames.insert(operatorNames.end(), viewNames.begin(), viewNames.end());

    std::string enumBody = BuildEnumEntries(operatorNames);
    std::string registrations = BuildOperatorRegistrations(operatorNames);
    std::string includes = BuildOperatorIncludes(operatorNames);

    WriteTextFile(InFolder(dbCommFolder, "DBComm.h"),
                  FillTemplate(JoinLines(DBCommHeaderLines()), {enumBody}));
    WriteTextFile(InFolder(dbCommFolder, "DBComm.cpp"),
                  FillTemplate(JoinLines(DBCommSourceLines()), {includes, registrations}) + "\r\n");
}
