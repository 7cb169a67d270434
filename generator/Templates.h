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
#include <vector>

#include "OperatorExtras.h"
#include "platform/Text.h"

const std::string& StoredProcHeaderText();
const std::string& StoredProcSourceText();
const std::string& TableOperatorBaseText();
const std::string& DBCommHeaderTemplate();
const std::string& DBCommSourceTemplate();
// A table with no column to set has an Update that sends nothing.
const std::string& TableHeaderTemplate(bool hasColumnsToSet);
const std::string& TableSourceTemplate(bool hasColumnsToSet);
// The base with the helpers the key methods call.
const std::string& TableOperatorBaseWithKeysText();

// Which key methods a table's operator class has: FindByKey and DeleteByKey
// (a primary key), UpdateByKey (a key and a column to set besides it) and
// NewWithIdentity (an IDENTITY column). Their fields: KeyParameters,
// KeyCondition, KeyBinding, DeleteByKeyText; UpdateByKeyText, UpdateByKeyBinding;
// IdentityParameters, IdentityInsertText, IdentityBinding, IdentityLabel.
struct KeyMethods {
    bool FindAndDelete = false, UpdateByKey = false, NewWithIdentity = false;
};
// The templates with those methods between the writing members and the
// read side; the plain ones when there are none.
std::string TableHeaderTemplate(bool hasColumnsToSet, const KeyMethods& methods);
std::string TableSourceTemplate(bool hasColumnsToSet, const KeyMethods& methods);
// A class's template with lines for the extras put in: "${TypesBefore}"
// before the class, "${ExtraMembers}" (a header's) or "${ExtraDefinitions}"
// (a source's) before the read side, each only where there is text; their
// fields join `fields`.
std::string WithExtras(const std::string& plain, bool header, const OperatorExtras& extras,
                       std::vector<platform::Field>& fields);
// The runtime's base class with the helpers the options' methods call.
struct BaseHelpers {
    bool Keys = false, Relations = false, Rows = false;
};
std::string TableOperatorBaseText(const BaseHelpers& helpers);
const std::string& ViewHeaderTemplate();
const std::string& ViewSourceTemplate();

#endif
