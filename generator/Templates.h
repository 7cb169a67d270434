#ifndef GeneratorTemplatesH
#define GeneratorTemplatesH

// The texts of every generated file, with CR LF between lines. A
// template's "${Name}" marks a field:
//   DBComm.h          EnumEntries
//   DBComm.cpp        Includes, Registrations
//   operator classes  Class, NameInFormat; a table's also Parameters,
//                     NameInLiteral, InsertText, NewBinding, UpdateText,
//                     UpdateBinding

#include <string>

const std::string& StoredProcHeaderText();
const std::string& StoredProcSourceText();
const std::string& TableOperatorBaseText();
const std::string& DBCommHeaderTemplate();
const std::string& DBCommSourceTemplate();
// A table with no column to set has an Update that sends nothing.
const std::string& TableHeaderTemplate(bool hasColumnsToSet);
const std::string& TableSourceTemplate(bool hasColumnsToSet);
const std::string& ViewHeaderTemplate();
const std::string& ViewSourceTemplate();

#endif
