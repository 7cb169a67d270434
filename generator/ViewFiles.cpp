#include "Genfunc.h"
#include "OperatorNames.h"
#include "Templates.h"

void WriteViewOperatorFiles(const std::string& tablesFolder, const std::string& className,
                            const std::string& viewName, const std::string& schema)
{
    OperatorFilePaths paths = OperatorPaths(tablesFolder, className);
    std::vector<platform::Field> fields = {{"Class", className},
                                           {"NameInFormat",
                                            ObjectInFormatLiteral(schema, viewName)}};
    WriteTextFile(paths.Header, platform::FillFields(ViewHeaderTemplate(), fields));
    WriteTextFile(paths.Source, platform::FillFields(ViewSourceTemplate(), fields));
}
