#include "OperatorNames.h"

#include "OutputTree.h"
#include "TextFill.h"
#include "platform/Text.h"

namespace {

bool LeavesFolder(const std::string& className)
{
    if (className == "." || className == "..")
        return true;
    for (char c : className)
        if (c == '/' || c == '\\')
            return true;
    return false;
}

}  // namespace

// A class's header and source, "<label><suffix>.h" and ".cpp", in a folder.
OperatorFilePaths ClassFilePaths(const std::string& folder, const std::string& label,
                                 const std::string& suffix)
{
    OperatorFilePaths paths{InFolder(folder, label + suffix + ".h"),
                            InFolder(folder, label + suffix + ".cpp")};
    if (LeavesFolder(label))
        throw EFCreateError(paths.Header, false);
    return paths;
}

OperatorFilePaths OperatorPaths(const std::string& tablesFolder, const std::string& className)
{
    return ClassFilePaths(tablesFolder, className, "Operator");
}

OperatorFilePaths ProcedurePaths(const std::string& proceduresFolder, const std::string& label)
{
    return ClassFilePaths(proceduresFolder, label, "Procedure");
}

bool IsVclQuote(char c)
{
    return c == '\'' || c == '"' || c == '`';
}

std::string ColonsDoubled(const std::string& sql)
{
    std::string out;
    out.reserve(sql.size());
    bool literal = false;
    // Byte by byte on UTF-8; in the file's GBK the VCL steps over each
    // double-byte character whole, so it sees the same quotes and colons.
    for (char c : sql) {
        if (IsVclQuote(c))
            literal = !literal;
        else if (c == ':' && !literal)
            out += ':';
        out += c;
    }
    return out;
}

std::string InLiteral(const std::string& objectName)
{
    return LiteralEscaped(ColonsDoubled(SqlBracketed(objectName)));
}

std::string InFormatLiteral(const std::string& objectName)
{
    return LiteralEscaped(FormatEscaped(ColonsDoubled(SqlBracketed(objectName))));
}

namespace {

std::string ObjectInBrackets(const std::string& schema, const std::string& objectName)
{
    SchemaObject object;
    object.Name = objectName;
    object.Schema = schema;
    return SqlObjectInBrackets(object);
}

}  // namespace

std::string ObjectInLiteral(const std::string& schema, const std::string& objectName)
{
    return LiteralEscaped(ColonsDoubled(ObjectInBrackets(schema, objectName)));
}

std::string ObjectInFormatLiteral(const std::string& schema, const std::string& objectName)
{
    return LiteralEscaped(FormatEscaped(ColonsDoubled(ObjectInBrackets(schema, objectName))));
}
