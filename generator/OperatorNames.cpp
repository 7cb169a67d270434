#include "OperatorNames.h"

#include "OutputTree.h"
#include "TextFill.h"
#include "platform/Text.h"

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
