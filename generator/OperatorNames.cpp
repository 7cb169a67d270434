#include "OperatorNames.h"

#include "OutputTree.h"
#include "TextFill.h"
#include "platform/Text.h"

namespace {

bool LeavesFolder(const std::string& className)
{
    if (className == "." || className == "..")
        return true;
    for (std::size_t i = 0; i < className.size(); i += platform::CharLength(className, i)) {
        if (platform::CharLength(className, i) == 1 &&
            (className[i] == '/' || className[i] == '\\'))
            return true;
    }
    return false;
}

}  // namespace

OperatorFilePaths OperatorPaths(const std::string& tablesFolder, const std::string& className)
{
    OperatorFilePaths paths{InFolder(tablesFolder, className + "Operator.h"),
                            InFolder(tablesFolder, className + "Operator.cpp")};
    if (LeavesFolder(className))
        throw EFCreateError(paths.Header, false);
    return paths;
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
    for (std::size_t i = 0; i < sql.size();) {
        std::size_t len = platform::CharLength(sql, i);
        if (len == 1) {
            char c = sql[i];
            if (IsVclQuote(c))
                literal = !literal;
            else if (c == ':' && !literal)
                out += ':';
        }
        out.append(sql, i, len);
        i += len;
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
