#ifndef GeneratorRunH
#define GeneratorRunH

// The Generate command from end to end, apart from any window: what it reads
// comes in a RunInput, and it asks, tells and reports progress through a
// RunHost. The window and the command line run the same code.

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "OutputForm.h"
#include "OutputTree.h"
#include "TypeRules.h"
#include "schema/Schema.h"

// One problem the checks find, by kind: each kind has one way past it.
struct RunProblem {
    enum Kind {
        NonAscii,  // a label with a Chinese (or other non-ASCII) character
        Spelling,  // a label with a blank or punctuation, empty, or not starting with a letter
        Reserved,  // a label that is a C++ keyword, a <windows.h> macro or a name in use
        Clash,  // twins, include guards, DBComm's enumerators, repeated column labels
        TooLong,  // a class name whose files the file system cannot hold
        CatalogName,  // a name in the database the generated code cannot carry
        Type,  // a column type in no group
    };
    Kind What;
    std::string Text;  // "<object>:...": the line that names it, with its way past
};

// Who reads a report: the window's user (its menus and boxes) or
// pellam-gen's (its options).
enum class ReportReader { Window, Terminal };
// A kind's line in a report's summary: how many, and the one action that
// clears them all.
std::string ProblemGroupText(RunProblem::Kind kind, std::size_t count, ReportReader reader);

struct RunInput {
    std::size_t DatabaseCount = 0;
    // The chosen database, its labels the node texts of the two trees.
    DatabaseSchema Schema;
    // Each table's operator also finds, changes and deletes a row by its
    // primary key, and inserts giving back the IDENTITY value (the keys
    // must have been read into the schema).
    bool KeyMethods = false;
    // Each stored procedure of the schema also gets a class of its own.
    bool Procedures = false;
    // Each foreign key gets a lookup and a master-detail link on its
    // table's operator class (the foreign keys must have been read).
    bool Relations = false;
    // Each table and view gets a typed row and the methods that read and
    // write it (nullability must have been read).
    bool Rows = false;
    // Who reads a refusal: its ways past are said in their words.
    ReportReader Reader = ReportReader::Terminal;
    // The form the files are written in: for C++Builder 6's ANSI VCL, or
    // for the Unicode VCL of C++Builder 2009 and later.
    OutputForm Form = OutputForm::Ansi();
};

// The tree a run is walking.
enum class ProgressLabel { Tables, Views, Procedures };

// How far a run has come: a tree's walk started (before its checks), an
// object of it about to be written, the tree done (its files on disk); or
// the run refused by its checks, nothing written. Between the walks and
// the trees' ends, the files go to disk: FilesWritten counts them (Index
// of Total, those left as they were included; Tree is Tables).
struct RunEvent {
    enum Kind { TreeStarted, ObjectStarted, TreeDone, Refused, FilesWritten };
    Kind What;
    ProgressLabel Tree;
    std::size_t Index = 0;  // the object's position in its tree; files written
    std::size_t Total = 0;  // FilesWritten: the files the run writes
};

// What a run tells the user, as data: the kind says what happened, the text
// is the message to read; each caller shows it its own way (the window
// in the box the Parts give, pellam-gen on standard error).
struct RunNotice {
    enum Kind {
        NotLoggedIn,  // no database list yet
        ConnectionLost,  // the catalogue's connection is gone
        FolderFailed,  // an output folder could neither be found nor made
        NameRefused,  // a name, label or twin the checks refuse
        TypeUnsupported,  // a table or view holds a type in no group
        NoKeyMethods,  // tables that get no key methods (no usable primary key); written anyway
        ProceduresLeftOut,  // procedures whose parameters no class can take; the rest written
        RelationsLeftOut,  // foreign keys that get no lookup, or no link; the rest written
    };
    Kind What;
    std::string Object;  // the table's or view's label, where one is concerned
    std::string Text;
    // A refusal's problems, one line each (Text holds them too, after its
    // summary), and how many there are of each kind, in kind order.
    std::vector<std::string> Problems = {};
    std::vector<std::pair<RunProblem::Kind, std::size_t>> Groups = {};
};

class RunHost {
public:
    virtual ~RunHost() = default;
    // Whether the earlier output is to be cleared: asked only when clearing
    // would delete something, with the number of files it would delete.
    virtual bool ClearEarlierOutput(std::size_t files) = 0;
    virtual void Tell(const RunNotice& notice) = 0;
    virtual void Progress(const RunEvent& event) = 0;
    // Deletes the earlier generated files the run does not write again
    // (`keep`, as the run names their paths; EarlierGeneratedFiles), keeping
    // the folders, and returns when that is done.
    virtual void ClearOutput(const OutputTree& tree, const std::vector<std::string>& keep) = 0;
    virtual void OpenOutputRoot(const std::string& path) = 0;
};

// A host that tells nothing and clears nothing, for checking a run before
// it starts.
class QuietRunHost : public RunHost {
public:
    bool ClearEarlierOutput(std::size_t) override { return false; }
    void Tell(const RunNotice&) override { }
    void Progress(const RunEvent&) override { }
    void ClearOutput(const OutputTree&, const std::vector<std::string>&) override { }
    void OpenOutputRoot(const std::string&) override { }
};

enum class RunOutcome {
    Done,  // every step ran (a type stop may have ended a walk)
    NotLoggedIn,  // no database list yet
    ConnectionLost,  // the catalogue's connection is gone: nothing written
    FolderFailed,  // an output folder could neither be found nor made
    NameRefused,  // a name check failed
};

struct RunResult {
    RunOutcome Outcome = RunOutcome::Done;
    bool TypeRefused = false;  // a walk stopped at an unsupported column type
    bool IdentityFailed = false;  // a walk stopped where identity columns could not be learnt
    int TablesWritten = 0;
    int ViewsWritten = 0;
    // With key methods: the tables that got none.
    int TablesWithoutKeyMethods = 0;
    // With procedures: the classes written, and the procedures left out.
    int ProceduresWritten = 0;
    int ProceduresLeftOut = 0;
    // With relations: the foreign keys left out, in whole or their links.
    int RelationsLeftOut = 0;
    // The run's files, in the order written (DBComm last), and those of
    // them that were on disk with the same bytes already and were left as
    // they were.
    std::vector<std::string> FilesWritten;
    std::vector<std::string> FilesUnchanged;
};

// The Generate command. File errors (EFCreateError) pass to the caller.
RunResult GenerateAll(const RunInput& input, const OutputTree& tree, IdentitySource& identities,
                      RunHost& host);

// True when every check of the run passes: the names of both trees and the
// column types, and, with the folder of the operators given, the length of
// their paths. Otherwise one report of every problem is told to the host.
// For callers that must know before anything is deleted.
bool ChecksPass(const RunInput& input, RunHost& host, const std::string& tablesFolder = {},
                ReportReader reader = ReportReader::Terminal);

// Every problem the checks find in both trees, one line each: each object's
// and column's name with its reason (a blank or punctuation, a Chinese
// character, a leading digit, a keyword or macro), twins and guards, names
// the generated SQL cannot carry, and each column type in no group, each
// line saying what would let it pass. `first`, when given, gets the first
// failure as the checks meet it one at a time.
std::vector<RunProblem> RunProblemList(const RunInput& input, const std::string& tablesFolder);
// Their texts.
std::vector<std::string> RunProblems(const RunInput& input, const std::string& tablesFolder);
// A report's first line: how many problems, and that nothing was done.
std::string RefusalSummary(std::size_t problems);
// One notice of them all: a first line that says how many problems there
// are, a line for each kind (its count and way past), then every problem.
RunNotice RefusalReport(const std::vector<RunProblem>& problems,
                        ReportReader reader = ReportReader::Terminal);

// Each column's type as the options take it (an alias by its base type, a
// newer type in a group, an override), the names untouched; a rowversion
// column stays among a table's unwritable ones whatever its group.
void ApplyTypeOptions(DatabaseSchema& schema, const TypeOptions& types);

// True when the folder exists afterwards; tells the user otherwise.
bool MakeOutputDir(const std::string& path, RunHost& host);

// Every label of a tree, in tree order, against the name rules: class names
// for objects, parameter names for a table's columns; tells the user of the
// first that fails, naming its object's label.
bool CheckTreeNames(const SchemaObjects& tree, RunHost& host, bool tableTree);

// Writes one operator class per object until the first with an unsupported
// column type or unknown identity columns; returns the class names written
// and sets the result's stop marks when it stopped early.
// The input gives the options: key methods, relations, rows and the form.
NameList GenerateTreeFiles(const SchemaObjects& tree, ProgressLabel label,
                           const std::string& folder, bool tableTree, IdentitySource& identities,
                           RunHost& host, RunResult& result, const RunInput& input);

// The procedures a run writes (those it does not leave out for their
// parameters' types), in order.
std::vector<const SchemaObject*> WrittenProcedures(const RunInput& input);
// The line that tells of the procedures left out, each with its reason;
// "" when none is.
std::string ProceduresLeftOutText(const SchemaObjects& procedures);

// The tables that get no key methods: those without a primary key, and
// those whose key holds a binary column.
std::vector<const SchemaObject*> TablesWithoutKeyMethods(const SchemaObjects& tables);
// Why a table gets no key methods; "" when it gets them.
std::string NoKeyReason(const SchemaObject& table);

// The files clearing deletes: in the DBComm tree's three folders, those of
// the names Pellam writes (the runtime's five, "<Class>Operator.h" and
// ".cpp") and the new files a cut-short write left, but those in `keep`,
// which the run is about to write. A folder that is a symbolic link is not
// looked into; a file that is a link is listed as the link it is. Anything
// else (the user's own notes, projects, helpers) is never listed.
std::vector<std::string> EarlierGeneratedFiles(const OutputTree& tree,
                                               const std::vector<std::string>& keep);
// Clears the output as the Generate command does: deletes the files
// EarlierGeneratedFiles lists, so that one written again with the same
// bytes is never touched. The folders stay.
void ClearOutputExcept(const OutputTree& tree, const std::vector<std::string>& keep);
// The first folder of the DBComm tree that is a symbolic link, or "".
std::string LinkedTreeFolder(const OutputTree& tree);
// The paths as the file system names them, each in its normal form, for
// telling a file found in a folder from the ones a run keeps.
std::set<std::filesystem::path> NormalPaths(const std::vector<std::string>& paths);

#endif
