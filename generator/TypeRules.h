#ifndef GeneratorTypeRulesH
#define GeneratorTypeRulesH

// Column type groups and the identifier rule for names in generated code.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Whether the name holds a character outside ASCII (a Chinese one, say).
bool ContainsNonAsciiChar(const std::string& name);
// A C++ identifier of ASCII letters, digits and '_', starting with a letter,
// that is no keyword and no macro of the Windows headers.
bool IsValidIdentifier(const std::string& name);
// A macro that <windows.h> defines (mingw-w64's, which the VCL's matches):
// a class or parameter of that name would be replaced by the preprocessor.
bool IsWindowsHeaderMacro(const std::string& name);
// An identifier that may name an operator class: one that clashes with
// nothing the runtime library declares or writes, nor with a macro of
// <windows.h>.
bool IsValidClassName(const std::string& name);
// An identifier that may name a parameter of a table operator's New and
// Update without clashing with what their bodies use.
bool IsValidParameterName(const std::string& name);

// Whether a column's label may stand in an object's typed row and its
// methods: no type the row's members are declared with, and, for a table,
// none of the names the row methods take or call. The row's own type name
// is checked apart.
bool IsValidRowColumnName(const std::string& name, bool tableTree);

// An identifier that may name a parameter of a stored procedure's class:
// none of the names its bodies use (the VCL's data types and directions
// among them).
bool IsValidProcedureParameterName(const std::string& name);
// The longest label whose procedure class files the file system can name.
std::size_t MaxProcedureNameLength();

// The include guards of the runtime's own headers ("DBCommH" and the like).
bool IsRuntimeGuard(const std::string& name);
// The longest class name whose operator files, and the writer's new file
// beside each, the file system can name.
std::size_t MaxClassNameLength();

// How two class names of one generated library clash: equal ignoring case
// (their files would share names on Windows), one the other's include guard
// ("<Class>H"), or one the other's operator class ("<Class>Operator"), which
// DBComm's enumerator of that name would hide.
enum class ClassClash { None, Twin, Guard, Enumerator };
ClassClash ClassNamesClash(const std::string& a, const std::string& b);

// Index of a type name in the type table (0 to 25), or -1.
int GetTypeIndex(const std::string& typeName);
bool IsTypeInGroup(const std::string& typeName, const std::int32_t* indexSet, int count);

bool IsIntegerType(const std::string& typeName);
bool IsStringType(const std::string& typeName);
bool IsFloatType(const std::string& typeName);
bool IsBlobType(const std::string& typeName);
// decimal, numeric and money: numbers a double does not hold exactly.
bool IsExactNumberType(const std::string& typeName);

// True when one of the four groups holds the type.
bool IsSupportedType(const std::string& typeName);

// The generated parameter type ("int ", "__int64 " for bigint, "String ",
// "double ", "TStream *"), or an empty text for an unsupported type.
std::string ParameterTypeText(const std::string& typeName);

// Type rules beyond the type table, chosen at generation (pellam-gen's
// --types extended and --type NAME=GROUP): the window keeps the table.
enum class TypeGroup { Integer, String, Float, Blob };

struct TypeOptions {
    // Alias types taken as their base types; the date and time types,
    // uniqueidentifier, xml and sql_variant passed as strings; hierarchyid,
    // geometry and geography as blobs.
    bool Extended = false;
    // Type names (as the catalogue gives them, alias names included) and
    // their groups, matched without regard to case; they win over Extended.
    std::vector<std::pair<std::string, TypeGroup>> Overrides;
};

// "integer", "string", "float" or "blob" (any case); false for another word.
bool ParseTypeGroup(const std::string& word, TypeGroup& group);

// Why a NAME=GROUP text was not taken, when it was not.
enum class TypeOverrideFault {
    None,
    NotNameEqualsGroup,  // no '=', no name, or no group word after it
    BlankOrControlInName,  // a blank at either end of the name, or a control character
    TwoGroups,  // the type (in any case) was given another group before
};
// Adds NAME=GROUP to the options' overrides (the same again is no fault).
// On TwoGroups, earlierName is the name as it was given first.
TypeOverrideFault AddTypeOverride(const std::string& text, TypeOptions& options,
                                  std::string& earlierName);
// Several NAME=GROUP entries in one line, as the window takes them: apart
// by ';' or ',' (or their full-width forms), with blanks around an entry
// and around its '=' left out. "" when every entry was taken; otherwise
// what is wrong, in the window's words, and the options keep the entries
// before it.
std::string AddTypeOverrideList(const std::string& list, TypeOptions& options);

// The type name the type table knows for a column under the options: the
// column's own when no option applies; the base type (a table type) or a
// type of the table standing for the chosen group otherwise.
std::string ResolvedTypeName(const std::string& typeName, const std::string& baseType,
                             const TypeOptions& options);

#endif
