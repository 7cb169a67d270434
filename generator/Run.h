#ifndef GeneratorRunH
#define GeneratorRunH

// The Generate command from end to end, apart from any window: what it reads
// comes in a RunInput, and it asks, tells and shows progress through a
// RunHost. The window and the command line run the same code.

#include <string>
#include <vector>

#include "OutputTree.h"
#include "platform/Application.h"
#include "Schema.h"

// One top-level node of a schema tree: its text and its children's texts.
struct TreeNode {
    std::string Text;
    NameList Children;
};
using TreeTexts = std::vector<TreeNode>;

struct RunInput {
    std::size_t DatabaseCount = 0;
    TreeTexts TableTree, ViewTree;
    NameList TableNames, ViewNames;
    std::vector<ColumnList> TableColumns, ViewColumns;
};

enum class ProgressLabel { Tables, Views };

class RunHost {
public:
    virtual ~RunHost() = default;
    // A modal message; the pressed button's ID.
    virtual int MessageBox(const std::string& text, const std::string& caption, int flags) = 0;
    virtual void SetProgress(ProgressLabel label, const std::string& caption) = 0;
    // Lets the window repaint between nodes.
    virtual void ProcessMessages() = 0;
    // Deletes every file of the previous output, keeping the folders, and
    // returns when that is done.
    virtual void ClearOutput(const OutputTree& tree) = 0;
    virtual void OpenOutputRoot(const std::string& path) = 0;
    // True for a catalogue name that names no object (it held a character
    // GBK cannot hold); such a table or view is refused.
    virtual bool IsUnholdableName(const std::string&) { return false; }
};

// A host that tells nothing and answers every question with its default,
// for checking a run before it starts; names GBK cannot hold are those the
// given host knows, if any.
class QuietRunHost : public RunHost {
public:
    explicit QuietRunHost(RunHost* names = nullptr) : names_(names) {}
    int MessageBox(const std::string&, const std::string&, int) override { return platform::IDOK; }
    void SetProgress(ProgressLabel, const std::string&) override {}
    void ProcessMessages() override {}
    void ClearOutput(const OutputTree&) override {}
    void OpenOutputRoot(const std::string&) override {}
    bool IsUnholdableName(const std::string& name) override
    {
        return names_ && names_->IsUnholdableName(name);
    }

private:
    RunHost* names_;
};

enum class RunOutcome {
    Done,           // every step ran (a type stop may have ended a walk)
    NotLoggedIn,    // no database list yet
    FolderFailed,   // an output folder could neither be found nor made
    NameRefused,    // a name check failed
};

struct RunResult {
    RunOutcome Outcome = RunOutcome::Done;
    bool TypeRefused = false;     // a walk stopped at an unsupported column type
    bool IdentityFailed = false;  // a walk stopped where identity columns could not be learnt
    int TablesWritten = 0;
    int ViewsWritten = 0;
};

// The Generate command. File errors (EFCreateError) pass to the caller.
RunResult GenerateAll(const RunInput& input, const OutputTree& tree, IdentitySource& identities,
                      RunHost& host);

// True when every check of the run passes: the names of both trees and the
// column types. The first failure is told to the host. For callers that
// must know before anything is deleted.
bool ChecksPass(const RunInput& input, RunHost& host);

// True when the folder exists afterwards; tells the user otherwise.
bool MakeOutputDir(const std::string& path, RunHost& host);

// Every node text of a tree, in tree order, against the name rules: class
// names for top-level nodes, parameter names for a table's columns; tells
// the user of the first that fails, naming its top-level node.
bool CheckTreeNames(const TreeTexts& tree, RunHost& host, bool tableTree);

// Writes one operator class per top-level node until the first node with an
// unsupported column type or unknown identity columns; returns the class
// names written and sets the result's stop marks when it stopped early.
NameList GenerateTreeFiles(const TreeTexts& tree, ProgressLabel label, const std::string& folder,
                           bool tableTree, const NameList& names,
                           const std::vector<ColumnList>& columnLists, IdentitySource& identities,
                           RunHost& host, RunResult& result);

// The clearing batch, byte for byte.
std::string ClearBatchText();
void WriteClearBatch(const std::string& path);

// The clearing script of POSIX shells: the batch's steps, without its pauses.
std::string ClearScriptText();

// Clears the output beside the program as the Generate command does: the
// self-deleting batch through cmd.exe on Windows, the self-deleting shell
// script through /bin/sh elsewhere; waits for it. Nothing happens when it
// cannot start.
void RunClearingScript(const OutputTree& tree);

#endif
