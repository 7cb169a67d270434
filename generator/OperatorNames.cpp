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

std::string InLiteral(const std::string& objectName)
{
    return LiteralEscaped(SqlBracketed(objectName));
}

std::string InFormatLiteral(const std::string& objectName)
{
    return LiteralEscaped(FormatEscaped(SqlBracketed(objectName)));
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
    return LiteralEscaped(ObjectInBrackets(schema, objectName));
}

std::string ObjectInFormatLiteral(const std::string& schema, const std::string& objectName)
{
    return LiteralEscaped(FormatEscaped(ObjectInBrackets(schema, objectName)));
}
