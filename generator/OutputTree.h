#ifndef GeneratorOutputTreeH
#define GeneratorOutputTreeH

// The output tree beside the executable and the one writer of its files.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "OutputForm.h"
#include "platform/Exception.h"

// Raised when a generated file cannot be created or written; its message
// names the path ("Cannot create file %s", "Cannot write file %s").
class EFCreateError : public platform::Exception {
public:
    EFCreateError(const std::string& path, bool created)
        : platform::Exception((created ? "Cannot write file " : "Cannot create file ") + path),
          Path(path), Created(created)
    {
    }

    std::string Path;
    bool Created;  // the file was made but could not be written whole
};

// Writes the text (UTF-8) as the form's bytes (GBK, or UTF-8 after its
// mark), creating or replacing the file; raises TextConversionError for a
// character GBK cannot hold (the run's checks refuse such names before
// anything is written).
void WriteTextFile(const std::string& path, const std::string& text,
                   const OutputForm& form = OutputForm::Ansi());
// Writes the bytes exactly (those WriteTextFile made, rendered earlier);
// with a staging folder, the new file is made there and moved into place.
void WriteFileBytes(const std::string& path, const std::string& bytes,
                    const std::string& stagingFolder = std::string());
// Two files that must change together (DBComm's header and source), as
// bytes: both are replaced, or neither. The error names the one that could
// not be written.
void WriteFileBytesTogether(const std::vector<std::pair<std::string, std::string>>& files);

// While one is alive, a run renders without touching the disk: each file
// WriteTextFile is given keeps its GBK bytes here (the last write of a path
// wins), and the output folders are taken as made. One at a time.
class RenderedFiles {
public:
    RenderedFiles();
    ~RenderedFiles();
    RenderedFiles(const RenderedFiles&) = delete;
    RenderedFiles& operator=(const RenderedFiles&) = delete;

    // The one alive, or null.
    static RenderedFiles* Active();
    // Keeps a file's bytes; a path rendered again keeps its first place.
    void Add(const std::string& path, const std::string& text);

    std::map<std::string, std::string> Files;  // by path as the run names it
    std::vector<std::string> Order;  // the paths, first rendered first
};

// A file in a folder: the folder's path, a separator and the file name,
// whatever the folder's path ends with.
std::string InFolder(const std::string& folder, const std::string& fileName);

// Every path of the output tree is made here.

// A class's two files.
struct OperatorFilePaths {
    std::string Header;
    std::string Source;
};

// The header and source paths for a class name. A class name that would
// reach outside the folder (one holding '/' or '\', or "." or "..") is
// refused with the writer's own error before anything is written.
OperatorFilePaths OperatorPaths(const std::string& tablesFolder, const std::string& className);
// The same for a stored procedure's class: "<label>Procedure.h" and ".cpp".
OperatorFilePaths ProcedurePaths(const std::string& proceduresFolder, const std::string& label);

// The runtime's files: DBComm's in the DBComm folder, the stored
// procedure's in DBStoredProc, the operators' base class among the operators.
inline constexpr char kDBCommHeader[] = "DBComm.h";
inline constexpr char kDBCommSource[] = "DBComm.cpp";
inline constexpr char kStoredProcHeader[] = "DBStoredProc.h";
inline constexpr char kStoredProcSource[] = "DBStoredProc.cpp";
inline constexpr char kTableOperatorBase[] = "DBTableOperator.h";
OperatorFilePaths DBCommPaths(const std::string& dbCommFolder);
OperatorFilePaths StoredProcPaths(const std::string& storedProcFolder);
std::string TableOperatorBasePath(const std::string& tablesFolder);
// The procedures' folder of the tree whose operators' folder this is.
std::string ProceduresFolderBeside(const std::string& tablesFolder);

// Paths under a program folder. Each joins the folder with a fixed suffix.
struct OutputTree {
    // The tree beside a program: its root is the program folder's "Output".
    explicit OutputTree(std::string programFolder);
    // A tree whose root is the given folder, scripts going beside it.
    static OutputTree WithRoot(const std::string& root, const std::string& scriptFolder);

    std::string OutputRoot() const;  // "\Output"
    std::string DBCommFolder() const;  // "\Output\DBComm\" (ends with a separator)
    std::string TablesFolder() const;  // "\Output\DBComm\DBTables"
    std::string StoredProcFolder() const;  // "\Output\DBComm\DBStoredProc"
    std::string ProceduresFolder() const;  // "\Output\DBComm\DBProcedures"
    // The runtime's files where the tree keeps them.
    OperatorFilePaths DBCommFiles() const { return DBCommPaths(DBCommFolder()); }
    OperatorFilePaths StoredProcFiles() const { return StoredProcPaths(StoredProcFolder()); }
    std::string TableOperatorBaseFile() const { return TableOperatorBasePath(TablesFolder()); }

    std::string ProgramFolder;
    std::string Root;
};

// The tree beside the running executable.
OutputTree ProgramOutputTree();

#endif
