#include "Genfunc.h"
#include "OperatorNames.h"
#include "Templates.h"

void WriteViewOperatorFiles(const std::string& tablesFolder, const std::string& className,
                            const std::string& viewName, const std::string& schema,
                            const OutputForm& form)
{
    OperatorFilePaths paths = OperatorPaths(tablesFolder, className);
    std::vector<platform::Field> fields = {{"Class", className},
                                           {"NameInFormat",
                                            ObjectInFormatLiteral(schema, viewName)}};
    WriteTextFile(paths.Header, FillForm(ViewHeaderTemplate(), fields, form), form);
    WriteTextFile(paths.Source, FillForm(ViewSourceTemplate(), fields, form), form);
}
