#include "TypeRules.h"

#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <unordered_map>
#include <unordered_set>
#include <vector>

bool ContainsNonAsciiChar(const std::string& name)
{
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

namespace {

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Names in a set; every label is asked about, so each list is a hash set.
using NameSet = std::unordered_set<std::string>;

bool IsIn(const std::string& name, const NameSet& set)
{
    return set.count(name) != 0;
}

// The keywords and alternative tokens of C++, and macros of the Windows
// headers that the VCL brings in, which would replace a name.
const NameSet& NeverIdentifiers()
{
    static const NameSet names = {
        "alignas",       "alignof",     "and",
        "and_eq",        "asm",         "auto",
        "bitand",        "bitor",       "bool",
        "break",         "case",        "catch",
        "char",          "char8_t",     "char16_t",
        "char32_t",      "class",       "compl",
        "concept",       "const",       "consteval",
        "constexpr",     "constinit",   "const_cast",
        "continue",      "co_await",    "co_return",
        "co_yield",      "decltype",    "default",
        "delete",        "do",          "double",
        "dynamic_cast",  "else",        "enum",
        "explicit",      "export",      "extern",
        "false",         "float",       "for",
        "friend",        "goto",        "if",
        "inline",        "int",         "long",
        "mutable",       "namespace",   "new",
        "noexcept",      "not",         "not_eq",
        "nullptr",       "operator",    "or",
        "or_eq",         "private",     "protected",
        "public",        "register",    "reinterpret_cast",
        "requires",      "return",      "short",
        "signed",        "sizeof",      "static",
        "static_assert", "static_cast", "struct",
        "switch",        "template",    "this",
        "thread_local",  "throw",       "true",
        "try",           "typedef",     "typeid",
        "typename",      "union",       "unsigned",
        "using",         "virtual",     "void",
        "volatile",      "wchar_t",     "while",
        "xor",           "xor_eq",      "NULL",
        "TRUE",          "FALSE",       "DELETE",
        "ERROR",         "IN",          "OUT",
        "OPTIONAL",      "CONST",       "VOID",
        "NEAR",          "FAR",         "near",
        "far",           "interface",   "CALLBACK",
        "WINAPI",        "PASCAL",      "MessageBox",
        "MB_ICONERROR",
    };
    return names;
}

// Names a class name would clash with: it becomes an enumerator of the
// runtime's DBComm class and names the operator class, its files and its
// include guard.
const NameSet& RuntimeNames()
{
    static const NameSet names = {
        "DBComm",      "DBTable",         "DBTableOperator", "DBStoredProc",
        "Instance",    "ConnectDB",       "Tables",          "GetStoreProc",
        "ExecProc",    "m_mapOfOperator", "m_conn",          "m_proc",
        "std",         "String",          "WideString",      "Variant",
        "Exception",   "TADOConnection",  "TADOQuery",       "TADOStoredProc",
        "TDataSource", "TStream",         "ftBlob",
    };
    return names;
}

// Names a parameter would clash with in the operator's New and Update: the
// parameter types, the locals, members and helpers those bodies use.
const NameSet& OperatorBodyNames()
{
    static const NameSet names = {
        "String",  "TStream", "ftBlob",          "condition", "strSql",
        "nCount",  "m_query", "m_datasource",    "InitQuery", "ExecSQLNonQuery",
        "ExecSQL", "Get",     "DBTableOperator",
    };
    return names;
}

// Names a parameter would clash with in a procedure class's bodies: its
// members, the VCL types and the data types and directions it names.
const NameSet& ProcedureBodyNames()
{
    static const NameSet names = {
        "String",        "TStream",         "OleVariant",
        "Variant",       "Exception",       "e",
        "m_proc",        "Prepare",         "Exec",
        "Open",          "ReturnValue",     "Get",
        "SetConnection", "TADOStoredProc",  "TADOConnection",
        "TParameter",    "ftInteger",       "ftSmallint",
        "ftWord",        "ftBoolean",       "ftLargeint",
        "ftFloat",       "ftBCD",           "ftMemo",
        "ftWideMemo",    "ftBlob",          "ftBytes",
        "ftVarBytes",    "ftString",        "ftWideString",
        "ftFixedChar",   "ftFixedWideChar", "ftDateTime",
        "pdInput",       "pdInputOutput",   "pdReturnValue",
    };
    return names;
}

}  // namespace

bool IsValidProcedureParameterName(const std::string& name)
{
    return IsValidIdentifier(name) && !IsIn(name, ProcedureBodyNames()) &&
           !IsWindowsHeaderMacro(name);
}

std::size_t MaxProcedureNameLength()
{
    return platform::kMaxFileNameLength - std::strlen("Procedure.cpp") -
           platform::kTemporarySuffixLength;
}

bool IsValidIdentifier(const std::string& name)
{
    if (name.empty() || !IsAsciiLetter(name[0]))
        return false;
    for (char c : name)
        if (!IsAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '_')
            return false;
    return !IsIn(name, NeverIdentifiers());
}

bool IsWindowsHeaderMacro(const std::string& name)
{
    static const char* const kMacros[] = {
#include "data/WindowsMacros.inc"
    };
    auto less = [](const char* a, const char* b) { return std::strcmp(a, b) < 0; };
    return std::binary_search(std::begin(kMacros), std::end(kMacros), name.c_str(), less);
}

bool IsValidClassName(const std::string& name)
{
    if (!IsValidIdentifier(name) || IsIn(name, RuntimeNames()) || IsWindowsHeaderMacro(name))
        return false;
    // The operator's files must not be the runtime's own on a file system
    // that ignores case.
    return !platform::SameTextIgnoreCase(name + "Operator", "DBTableOperator");
}

bool IsRuntimeGuard(const std::string& name)
{
    return name == "DBCommH" || name == "DBStoredProcH" || name == "DBTableOperatorH";
}

std::size_t MaxClassNameLength()
{
    return platform::kMaxFileNameLength - std::strlen("Operator.cpp") -
           platform::kTemporarySuffixLength;
}

ClassClash ClassNamesClash(const std::string& a, const std::string& b)
{
    if (platform::SameTextIgnoreCase(a, b))
        return ClassClash::Twin;
    if (a == b + "H" || b == a + "H")
        return ClassClash::Guard;
    if (a == b + "Operator" || b == a + "Operator")
        return ClassClash::Enumerator;
    return ClassClash::None;
}

bool IsValidRowColumnName(const std::string& name, bool tableTree)
{
    // A member of one of these names would hide the type of the members
    // after it.
    static const NameSet types = {"String", "DBNullable", "DBBytes"};
    // A table's row methods take a row or a list of rows after the key's or
    // relation's columns (a list as std::vector), and call the methods
    // they wrap.
    static const NameSet methods = {"row", "rows", "std", "ReadRow", "ReadRows", "FindByKey"};
    return !IsIn(name, types) && !(tableTree && IsIn(name, methods));
}

bool IsValidParameterName(const std::string& name)
{
    return IsValidIdentifier(name) && !IsIn(name, OperatorBodyNames()) &&
           !IsWindowsHeaderMacro(name);
}

namespace {

const std::vector<std::string>& TypeTable()
{
    static const std::vector<std::string> table = {
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
    return table;
}

const std::int32_t kIntegerTypes[] = {3, 4, 5, 13, 17};
const std::int32_t kStringTypes[] = {1, 6, 9, 12, 19, 21, 23, 24, 25};
const std::int32_t kFloatTypes[] = {7, 8, 10, 14, 15, 16};
const std::int32_t kBlobTypes[] = {0, 18, 20, 22};

template <std::size_t N> bool InGroup(const std::string& typeName, const std::int32_t (&set)[N])
{
    return IsTypeInGroup(typeName, set, static_cast<int>(N));
}

}  // namespace

int GetTypeIndex(const std::string& typeName)
{
    // Asked for every column several times: found by its folded name.
    static const std::unordered_map<std::string, int> index = [] {
        std::unordered_map<std::string, int> byName;
        const std::vector<std::string>& table = TypeTable();
        for (std::size_t i = 0; i < table.size(); ++i)
            byName.emplace(platform::AsciiLower(table[i]), static_cast<int>(i));
        return byName;
    }();
    auto it = index.find(platform::AsciiLower(typeName));
    return it == index.end() ? -1 : it->second;
}

bool IsTypeInGroup(const std::string& typeName, const std::int32_t* indexSet, int count)
{
    int index = GetTypeIndex(typeName);
    for (int i = 0; i < count; ++i)
        if (index == indexSet[i])
            return true;
    return false;
}

bool IsIntegerType(const std::string& typeName)
{
    return InGroup(typeName, kIntegerTypes);
}
bool IsStringType(const std::string& typeName)
{
    return InGroup(typeName, kStringTypes);
}
bool IsFloatType(const std::string& typeName)
{
    return InGroup(typeName, kFloatTypes);
}
bool IsBlobType(const std::string& typeName)
{
    return InGroup(typeName, kBlobTypes);
}

bool IsExactNumberType(const std::string& typeName)
{
    for (const char* exact : {"decimal", "numeric", "money"})
        if (platform::SameTextIgnoreCase(typeName, exact))
            return true;
    return false;
}

bool IsSupportedType(const std::string& typeName)
{
    return IsIntegerType(typeName) || IsStringType(typeName) || IsFloatType(typeName) ||
           IsBlobType(typeName);
}

std::string ParameterTypeText(const std::string& typeName)
{
    // bigint's values reach 2^63; the other integer types fit an int.
    if (platform::SameTextIgnoreCase(typeName, "bigint"))
        return "__int64 ";
    if (IsIntegerType(typeName))
        return "int ";
    if (IsStringType(typeName))
        return "String ";
    // A double holds 15 significant digits exactly: money and decimal
    // amounts keep their cents.
    if (IsFloatType(typeName))
        return "double ";
    if (IsBlobType(typeName))
        return "TStream *";
    return std::string();
}

namespace {

// A type of the table that stands for each group.
const char* Representative(TypeGroup group)
{
    switch (group) {
    case TypeGroup::Integer:
        return "int";
    case TypeGroup::String:
        return "varchar";
    case TypeGroup::Float:
        return "float";
    case TypeGroup::Blob:
        break;
    }
    return "image";
}

}  // namespace

bool ParseTypeGroup(const std::string& word, TypeGroup& group)
{
    const std::pair<const char*, TypeGroup> words[] = {{"integer", TypeGroup::Integer},
                                                       {"string", TypeGroup::String},
                                                       {"float", TypeGroup::Float},
                                                       {"blob", TypeGroup::Blob}};
    for (const auto& [name, g] : words)
        if (platform::SameTextIgnoreCase(word, name)) {
            group = g;
            return true;
        }
    return false;
}

TypeOverrideFault AddTypeOverride(const std::string& text, TypeOptions& options,
                                  std::string& earlierName)
{
    std::size_t eq = text.find('=');
    TypeGroup group;
    if (eq == std::string::npos || eq == 0 || !ParseTypeGroup(text.substr(eq + 1), group))
        return TypeOverrideFault::NotNameEqualsGroup;
    std::string name = text.substr(0, eq);
    bool plain = name.front() != ' ' && name.back() != ' ';
    for (char c : name)
        plain = plain && static_cast<unsigned char>(c) >= 0x20 && c != 0x7F;
    if (!plain)
        return TypeOverrideFault::BlankOrControlInName;
    for (const auto& [earlier, earlierGroup] : options.Overrides)
        if (platform::SameTextIgnoreCase(earlier, name) && earlierGroup != group) {
            earlierName = earlier;
            return TypeOverrideFault::TwoGroups;
        }
    options.Overrides.emplace_back(name, group);
    return TypeOverrideFault::None;
}

std::string AddTypeOverrideList(const std::string& list, TypeOptions& options)
{
    // The full-width separators a Chinese input method types become the
    // ASCII ones; no byte of another UTF-8 character equals ';' or ','.
    std::string text;
    for (std::size_t i = 0; i < list.size(); ++i) {
        bool wide = list.compare(i, 3, "\xEF\xBC\x9B") == 0 ||  // ；
                    list.compare(i, 3, "\xEF\xBC\x8C") == 0;  // ，
        text += wide ? ';' : list[i];
        i += wide ? 2 : 0;
    }
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(";,", start);
        if (end == std::string::npos)
            end = text.size();
        std::string entry = platform::Trim(text.substr(start, end - start));
        start = end + 1;
        if (entry.empty())
            continue;
        std::size_t eq = entry.find('=');
        if (eq != std::string::npos)
            entry =
                platform::Trim(entry.substr(0, eq)) + "=" + platform::Trim(entry.substr(eq + 1));
        std::string earlier;
        switch (AddTypeOverride(entry, options, earlier)) {
        case TypeOverrideFault::None:
            break;
        case TypeOverrideFault::NotNameEqualsGroup:
            return "类型分组应为 类型名=integer、string、float 或 blob，多个之间用分号隔开：" +
                   entry;
        case TypeOverrideFault::BlankOrControlInName:
            return "类型分组的类型名不能含控制字符：" + entry;
        case TypeOverrideFault::TwoGroups:
            return std::string("类型分组给同一类型指定了两个组：")
                .append(earlier)
                .append(" 与 ")
                .append(entry);
        }
    }
    return std::string();
}

std::string ResolvedTypeName(const std::string& typeName, const std::string& baseType,
                             const TypeOptions& options)
{
    for (const auto& [name, group] : options.Overrides)
        if (platform::SameTextIgnoreCase(name, typeName))
            return Representative(group);
    if (!options.Extended)
        return typeName;
    // An alias type is stored as its base type; a system type's base is
    // itself.
    const std::string& type = baseType.empty() ? typeName : baseType;
    if (IsSupportedType(type))
        return type;
    for (const char* name :
         {"date", "time", "datetime2", "datetimeoffset", "uniqueidentifier", "xml", "sql_variant"})
        if (platform::SameTextIgnoreCase(type, name))
            return Representative(TypeGroup::String);
    for (const char* name : {"hierarchyid", "geometry", "geography"})
        if (platform::SameTextIgnoreCase(type, name))
            return Representative(TypeGroup::Blob);
    return typeName;
}
