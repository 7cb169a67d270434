#include "TypeRules.h"

#include "platform/Text.h"

#include <vector>

bool ContainsDoubleByteChar(const std::string& name)
{
    for (std::size_t i = 0; i + 1 < name.size(); ++i)
        if (platform::IsLeadByte(static_cast<unsigned char>(name[i])))
            return true;
    return false;
}

bool IsValidIdentifier(const std::string& name)
{
    if (!name.empty() && !platform::IsCharAlphaA(name[0]))
        return false;
    return !ContainsDoubleByteChar(name);
}

namespace {

const std::vector<std::string>& TypeTable()
{
    static const std::vector<std::string> table = {
        "image",    "text",     "uniqueidentifier", "tinyint",   "smallint", "int",
        "smalldatetime", "real", "money",           "datetime",  "float",    "sql_variant",
        "ntext",    "bit",      "decimal",          "numeric",   "smallmoney", "bigint",
        "varbinary", "varchar", "binary",           "char",      "timestamp", "nvarchar",
        "nchar",    "sysname",
    };
    return table;
}

const std::int32_t kIntegerTypes[] = {3, 4, 5, 13, 17};
const std::int32_t kStringTypes[] = {1, 6, 9, 12, 19, 21, 23, 24, 25};
const std::int32_t kFloatTypes[] = {7, 8, 10, 14, 15, 16};
const std::int32_t kBlobTypes[] = {0, 18, 20, 22};

template <std::size_t N>
bool InGroup(const std::string& typeName, const std::int32_t (&set)[N])
{
    return IsTypeInGroup(typeName, set, static_cast<int>(N));
}

}  // namespace

int GetTypeIndex(const std::string& typeName)
{
    const std::vector<std::string>& table = TypeTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (platform::SameTextIgnoreCase(table[i], typeName))
            return static_cast<int>(i);
    return -1;
}

bool IsTypeInGroup(const std::string& typeName, const std::int32_t* indexSet, int count)
{
    for (int i = 0; i < count; ++i)
        if (GetTypeIndex(typeName) == indexSet[i])
            return true;
    return false;
}

bool IsIntegerType(const std::string& typeName) { return InGroup(typeName, kIntegerTypes); }
bool IsStringType(const std::string& typeName) { return InGroup(typeName, kStringTypes); }
bool IsFloatType(const std::string& typeName) { return InGroup(typeName, kFloatTypes); }
bool IsBlobType(const std::string& typeName) { return InGroup(typeName, kBlobTypes); }

bool IsSupportedType(const std::string& typeName)
{
    return IsIntegerType(typeName) || IsStringType(typeName) || IsFloatType(typeName) ||
           IsBlobType(typeName);
}

std::string ParameterTypeText(const std::string& typeName)
{
    if (IsIntegerType(typeName))
        return "int ";
    if (IsStringType(typeName))
        return "String ";
    if (IsFloatType(typeName))
        return "float ";
    if (IsBlobType(typeName))
        return "TStream *";
    return std::string();
}
