#include "Genfunc.h"
#include "OperatorNames.h"
#include "Templates.h"

void WriteViewOperatorFiles(const std::string& tablesFolder, const std::string& className,
                            const std::string& viewName, const ColumnList& /*columns*/,
                            const NameList& /*parameterNames*/)
{
    OperatorFilePaths paths = OperatorPaths(tablesFolder, className);

    const std::string& c = className;
    std::string inFormat = InFormatLiteral(viewName);

    WriteTextFile(paths.Header, FillTemplate(JoinLines(ViewHeaderLines()), {c, c, c, c, c}));
    WriteTextFile(paths.Source,
                  FillTemplate(JoinLines(ViewSourceLines()),
                               {c, c, c, c, c, c, inFormat, c, inFormat, c, inFormat, c, c}));
}
