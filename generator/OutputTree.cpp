#include "OutputTree.h"

#include "platform/Files.h"
#include "platform/Text.h"

namespace {

RenderedFiles* rendering = nullptr;

}  // namespace

RenderedFiles::RenderedFiles()
{
    rendering = this;
}

RenderedFiles::~RenderedFiles()
{
    rendering = nullptr;
}

RenderedFiles* RenderedFiles::Active()
{
    return rendering;
}

void RenderedFiles::Add(const std::string& path, const std::string& text)
{
    if (Files.emplace(path, text).second)
        Order.push_back(path);
    else
        Files[path] = text;
}

void WriteTextFile(const std::string& path, const std::string& text, const OutputForm& form)
{
    // The one place the generated files' bytes are made.
    WriteFileBytes(path, form.Bytes(text));
}

void WriteFileBytes(const std::string& path, const std::string& bytes,
                    const std::string& stagingFolder)
{
    if (rendering) {
        rendering->Add(path, bytes);
        return;
    }
    int rc = platform::WriteWholeFileStaged(path, bytes, stagingFolder);
    if (rc == 1)
        throw EFCreateError(path, false);
    if (rc != 0)
        throw EFCreateError(path, true);
}

void WriteFileBytesTogether(const std::vector<std::pair<std::string, std::string>>& files)
{
    if (rendering) {
        for (const auto& [path, bytes] : files)
            rendering->Add(path, bytes);
        return;
    }
    std::size_t failed = 0;
    int rc = platform::WriteWholeFiles(files, failed);
    if (rc != 0)
        throw EFCreateError(files[failed].first, rc != 1);
}

std::string InFolder(const std::string& folder, const std::string& fileName)
{
    return folder + platform::kPathSeparator + fileName;
}

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

}  // namespace

OperatorFilePaths OperatorPaths(const std::string& tablesFolder, const std::string& className)
{
    return ClassFilePaths(tablesFolder, className, "Operator");
}

OperatorFilePaths ProcedurePaths(const std::string& proceduresFolder, const std::string& label)
{
    return ClassFilePaths(proceduresFolder, label, "Procedure");
}

OperatorFilePaths DBCommPaths(const std::string& dbCommFolder)
{
    return {InFolder(dbCommFolder, kDBCommHeader), InFolder(dbCommFolder, kDBCommSource)};
}

OperatorFilePaths StoredProcPaths(const std::string& storedProcFolder)
{
    return {InFolder(storedProcFolder, kStoredProcHeader),
            InFolder(storedProcFolder, kStoredProcSource)};
}

std::string TableOperatorBasePath(const std::string& tablesFolder)
{
    return InFolder(tablesFolder, kTableOperatorBase);
}

std::string ProceduresFolderBeside(const std::string& tablesFolder)
{
    const std::string tables = "DBTables";
    if (tablesFolder.size() < tables.size())
        return std::string();
    return tablesFolder.substr(0, tablesFolder.size() - tables.size()) + "DBProcedures";
}

OutputTree::OutputTree(std::string programFolder)
    : ProgramFolder(std::move(programFolder)),
      Root(ProgramFolder + platform::NativeSuffix("\\Output"))
{
}

OutputTree OutputTree::WithRoot(const std::string& root, const std::string& scriptFolder)
{
    OutputTree tree(scriptFolder);
    tree.Root = root;
    return tree;
}

std::string OutputTree::OutputRoot() const
{
    return Root;
}

std::string OutputTree::DBCommFolder() const
{
    return Root + platform::NativeSuffix("\\DBComm\\");
}

std::string OutputTree::TablesFolder() const
{
    return Root + platform::NativeSuffix("\\DBComm\\DBTables");
}

std::string OutputTree::StoredProcFolder() const
{
    return Root + platform::NativeSuffix("\\DBComm\\DBStoredProc");
}

std::string OutputTree::ProceduresFolder() const
{
    return Root + platform::NativeSuffix("\\DBComm\\DBProcedures");
}

OutputTree ProgramOutputTree()
{
    return OutputTree(platform::ProgramFolder());
}
