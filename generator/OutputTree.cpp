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
