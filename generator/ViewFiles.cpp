#include "Genfunc.h"
#include "OperatorNames.h"
#include "Templates.h"

void WriteViewOperatorFiles(const std::string& tablesFolder, const std::string& className,
                            const std::string& viewName, const std::string& schema,
                            const OutputForm& form, const OperatorExtras& extras)
{
    OperatorFilePaths paths = OperatorPaths(tablesFolder, className);
    std::vector<platform::Field> fields = {{"Class", className},
                                           {"NameInFormat",
                                            ObjectInFormatLiteral(schema, viewName)}};
    if (extras.Empty()) {
        WriteTextFile(paths.Header, FillForm(ViewHeaderTemplate(), fields, form), form);
        WriteTextFile(paths.Source, FillForm(ViewSourceTemplate(), fields, form), form);
        return;
    }
    std::string header = WithExtras(ViewHeaderTemplate(), true, extras, fields);
    std::string source = WithExtras(ViewSourceTemplate(), false, extras, fields);
    WriteTextFile(paths.Header, FillForm(header, fields, form), form);
    WriteTextFile(paths.Source, FillForm(source, fields, form), form);
}
