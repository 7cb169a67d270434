#include "Run.h"

#include "Genfunc.h"
#include "OperatorNames.h"
#include "Rows.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace {

// A name as messages show it.
std::string Shown(const std::string& name)
{
    return platform::Printable(name);
}

std::vector<std::string> ClassNames(const SchemaObjects& tree)
{
    std::vector<std::string> names;
    for (const SchemaObject& o : tree)
        names.push_back(o.Label);
    return names;
}

bool TypesSupported(const SchemaObject& object)
{
    for (const SchemaColumn& column : object.Columns)
        if (!IsSupportedType(column.TypeName))
            return false;
    return true;
}

// True, after telling the user, when a column's type is in no group.
bool RefuseColumnTypes(const SchemaObject& object, RunHost& host)
{
    if (TypesSupported(object))
        return false;
    host.Tell({RunNotice::TypeUnsupported, object.Label, Shown(object.Label) + ":数据类型不支持"});
    return true;
}

// Notes an operator's two files as written.
void NoteOperatorFiles(const std::string& folder, const std::string& className, RunResult& result)
{
    OperatorFilePaths paths = OperatorPaths(folder, className);
    result.FilesWritten.push_back(paths.Header);
    result.FilesWritten.push_back(paths.Source);
}

}  // namespace

void ApplyTypeOptions(DatabaseSchema& schema, const TypeOptions& types)
{
    for (SchemaObjects* tree : {&schema.Tables, &schema.Views})
        for (SchemaObject& object : *tree)
            for (SchemaColumn& c : object.Columns) {
                // The server alone writes a rowversion, whatever group its
                // values are read in.
                if (tree == &schema.Tables && IsRowVersionColumn(c.TypeName, c.BaseType) &&
                    std::find(object.Identity.begin(), object.Identity.end(), c.Name) ==
                        object.Identity.end())
                    object.Identity.push_back(c.Name);
                c.TypeName = ResolvedTypeName(c.TypeName, c.BaseType, types);
            }
    // A procedure's parameters take the same groups.
    for (SchemaObject& procedure : schema.Procedures)
        for (SchemaColumn& p : procedure.Columns)
            p.TypeName = ResolvedTypeName(p.TypeName, p.BaseType, types);
}

bool MakeOutputDir(const std::string& path, RunHost& host)
{
    if (RenderedFiles::Active() || platform::DirectoryExists(path))
        return true;
    if (platform::MakeDirectory(path))
        return true;
    host.Tell({RunNotice::FolderFailed, {}, "创建输出目录出错"});
    return false;
}
std::vector<const SchemaObject*> WrittenProcedures(const RunInput& input)
{
    std::vector<const SchemaObject*> written;
    if (input.Procedures)
        for (const SchemaObject& p : input.Schema.Procedures)
            if (ProcedureLeftOutReason(p).empty())
                written.push_back(&p);
    return written;
}

std::string ProceduresLeftOutText(const SchemaObjects& procedures)
{
    std::vector<std::string> lines;
    for (const SchemaObject& p : procedures) {
        std::string why = ProcedureLeftOutReason(p);
        if (!why.empty())
            lines.push_back("存储过程 " + Shown(p.InDbo() ? p.Name : p.Schema + "." + p.Name) +
                            ":" + why + "，没有生成");
    }
    if (lines.empty())
        return std::string();
    std::string text = std::to_string(lines.size()) + " 个存储过程的参数类型无法生成，已略过：";
    for (const std::string& line : lines)
        text.append("\n").append(line);
    return text;
}

std::string NoKeyReason(const SchemaObject& table)
{
    if (table.Key.empty())
        return "没有主键";
    for (const std::string& name : table.Key) {
        auto column = std::find_if(table.Columns.begin(), table.Columns.end(),
                                   [&](const SchemaColumn& c) { return c.Name == name; });
        if (column == table.Columns.end())
            return "主键字段 " + Shown(name) + " 不在读到的字段中";
        if (IsBlobType(column->TypeName))
            return "主键含二进制字段 " + Shown(name) + "，无法按它查找";
    }
    return std::string();
}

std::vector<const SchemaObject*> TablesWithoutKeyMethods(const SchemaObjects& tables)
{
    std::vector<const SchemaObject*> without;
    for (const SchemaObject& t : tables)
        if (!KeyUsable(t.Entries(), t.Key))
            without.push_back(&t);
    return without;
}

namespace {

// What the options add to an object's class: its relations' methods and
// its row's.
OperatorExtras ExtrasOf(const SchemaObject& o, bool table, const IdentityNames& identity,
                        const RunInput& input)
{
    OperatorExtras extras;
    std::vector<RelationPlan> plans;
    if (table && input.Relations) {
        plans = RelationPlans(o, input.Form);
        AddRelationMethods(o, plans, input.Form, extras);
    }
    if (!input.Rows)
        return extras;
    SchemaObject object = o;
    object.Identity = identity;
    RowShape shape;
    if (table && input.KeyMethods) {
        if (KeyUsable(o.Entries(), o.Key))
            shape.Key = o.Key;
        shape.IdentityColumn = o.IdentityColumn;
    }
    if (!table) {
        AddRowMethods(object, false, shape, nullptr, nullptr, plans, input.Form, extras);
        return extras;
    }
    TableFills fills = TableFillsOf(o.Name, o.ColumnLabels(), o.Entries(), identity, o.Schema);
    KeyFills keys;
    if (input.KeyMethods)
        keys = KeyFillsOf(o.Name, o.ColumnLabels(), o.Entries(), identity, o.Schema,
                          {o.Key, o.IdentityColumn});
    AddRowMethods(object, true, shape, input.KeyMethods ? &keys : nullptr, &fills, plans,
                  input.Form, extras);
    return extras;
}

}  // namespace

NameList GenerateTreeFiles(const SchemaObjects& tree, ProgressLabel label,
                           const std::string& folder, bool tableTree, IdentitySource& identities,
                           RunHost& host, RunResult& result, const RunInput& input)
{
    const OutputForm& form = input.Form;
    NameList written;
    // The identity columns of every table the walk will reach (it stops at
    // the first unsupported type), asked at once.
    std::vector<IdentityNames> identity;
    std::size_t answered = 0;
    if (tableTree) {
        std::size_t reachable = 0;
        while (reachable < tree.size() && TypesSupported(tree[reachable]))
            ++reachable;
        // Copied only when the walk will stop short of the end.
        answered =
            reachable == tree.size()
                ? identities.GetIdentityColumnsUntilFailure(tree, identity)
                : identities
                      .GetIdentityColumnsUntilFailure(SchemaObjects(tree.begin(),
                                                                    tree.begin() +
                                                                        static_cast<std::ptrdiff_t>(
                                                                            reachable)),
                                                      identity);
    }
    for (std::size_t position = 0; position < tree.size(); ++position) {
        const SchemaObject& o = tree[position];
        host.Progress({RunEvent::ObjectStarted, label, position});
        if (RefuseColumnTypes(o, host)) {
            result.TypeRefused = true;
            return written;
        }
        if (tableTree) {
            if (position >= answered) {
                result.IdentityFailed = true;
                return written;
            }
            TableKeys keys{o.Key, o.IdentityColumn};
            WriteTableOperatorFiles(folder, o.Label, o.Name, o.Entries(), o.ColumnLabels(),
                                    identity[position], o.Schema,
                                    input.KeyMethods ? &keys : nullptr, form,
                                    ExtrasOf(o, true, identity[position], input));
        } else {
            WriteViewOperatorFiles(folder, o.Label, o.Name, o.Schema, form,
                                   ExtrasOf(o, false, {}, input));
        }
        NoteOperatorFiles(folder, o.Label, result);
        written.push_back(o.Label);
    }
    return written;
}
namespace {

// Everything a run writes after its question, rendered (or written, when
// nothing renders): the runtime, then each tree checked and walked.
void RenderRun(const RunInput& input, const OutputTree& tree, IdentitySource& identities,
               RunHost& host, RunResult& result)
{
    const OutputForm& form = input.Form;
    WriteStoredProcFiles(tree.StoredProcFolder(), form);
    for (const std::string& path : {tree.StoredProcFiles().Header, tree.StoredProcFiles().Source})
        result.FilesWritten.push_back(path);
    // DBComm names each operator after the files actually written: the
    // class names, which differ from the catalogue names for a relabelled
    // view.
    WriteDBCommFiles(tree.DBCommFolder(), ClassNames(input.Schema.Tables),
                     ClassNames(input.Schema.Views), input.Procedures, form);
    for (const std::string& path : {tree.DBCommFiles().Header, tree.DBCommFiles().Source})
        result.FilesWritten.push_back(path);
    WriteTableOperatorBase(tree.TablesFolder(), {input.KeyMethods, input.Relations, input.Rows},
                           form);
    result.FilesWritten.push_back(tree.TableOperatorBaseFile());

    // The table tree, then the view tree, walked (the checks have passed
    // before anything was rendered). A run that stops early writes DBComm
    // again, naming only what it wrote.
    NameList writtenTables, writtenViews;
    bool stopped = false;
    auto nameOnlyWritten = [&] {
        WriteDBCommFiles(tree.DBCommFolder(), writtenTables, writtenViews, input.Procedures, form);
    };
    struct Walk {
        const SchemaObjects& Tree;
        ProgressLabel Label;
        bool TableTree;
        NameList& Written;
        int& Count;
    };
    const Walk walks[] = {
        {input.Schema.Tables, ProgressLabel::Tables, true, writtenTables, result.TablesWritten},
        {input.Schema.Views, ProgressLabel::Views, false, writtenViews, result.ViewsWritten},
    };
    try {
        for (const Walk& walk : walks) {
            host.Progress({RunEvent::TreeStarted, walk.Label});
            walk.Written = GenerateTreeFiles(walk.Tree, walk.Label, tree.TablesFolder(),
                                             walk.TableTree, identities, host, result, input);
            walk.Count = static_cast<int>(walk.Written.size());
            if (walk.Written.size() != walk.Tree.size())
                stopped = true;
            host.Progress({RunEvent::TreeDone, walk.Label});
        }
    } catch (const EFCreateError&) {
        try {
            nameOnlyWritten();
        } catch (const EFCreateError&) {
            // The first error is the one to report.
        }
        throw;
    }
    if (stopped)
        nameOnlyWritten();
    if (input.Procedures) {
        host.Progress({RunEvent::TreeStarted, ProgressLabel::Procedures});
        std::vector<const SchemaObject*> procedures = WrittenProcedures(input);
        for (std::size_t k = 0; k < procedures.size(); ++k) {
            host.Progress({RunEvent::ObjectStarted, ProgressLabel::Procedures, k});
            WriteProcedureFiles(tree.ProceduresFolder(), *procedures[k], form);
            OperatorFilePaths paths = ProcedurePaths(tree.ProceduresFolder(), procedures[k]->Label);
            result.FilesWritten.push_back(paths.Header);
            result.FilesWritten.push_back(paths.Source);
            ++result.ProceduresWritten;
        }
        host.Progress({RunEvent::TreeDone, ProgressLabel::Procedures});
    }
}

// Passes a run's events and notices on, all but the trees' ends, which
// wait until the files are on disk (TellDone): a run that cannot write
// them never says a tree is done.
class DoneWhenWritten : public RunHost {
public:
    explicit DoneWhenWritten(RunHost& host) : host_(host) { }
    bool ClearEarlierOutput(std::size_t files) override { return host_.ClearEarlierOutput(files); }
    void Tell(const RunNotice& notice) override { host_.Tell(notice); }
    void Progress(const RunEvent& event) override
    {
        if (event.What == RunEvent::TreeDone)
            done_.push_back(event);
        else
            host_.Progress(event);
    }
    void ClearOutput(const OutputTree& tree, const std::vector<std::string>& keep) override
    {
        host_.ClearOutput(tree, keep);
    }
    void OpenOutputRoot(const std::string& path) override { host_.OpenOutputRoot(path); }
    void TellDone()
    {
        for (const RunEvent& event : done_)
            host_.Progress(event);
        done_.clear();
    }

private:
    RunHost& host_;
    std::vector<RunEvent> done_;
};

// The rendered files in the order they go to disk: DBComm last, so that
// until the very end the DBComm on disk is the earlier one, which names
// operators that are there.
std::vector<std::pair<std::string, std::string>> WriteOrder(
    std::vector<std::pair<std::string, std::string>> files, const OutputTree& tree)
{
    const std::string header = tree.DBCommFiles().Header;
    const std::string source = tree.DBCommFiles().Source;
    std::stable_partition(files.begin(), files.end(), [&](const auto& file) {
        return file.first != header && file.first != source;
    });
    return files;
}

// Whether the file on disk holds exactly these bytes already. Each folder
// is listed once, and only a file it holds is read: a fresh output asks
// the file system nothing per file.
class OnDisk {
public:
    bool Unchanged(const std::string& path, const std::string& bytes)
    {
        std::size_t cut = path.rfind(platform::kPathSeparator);
        std::string folder = cut == std::string::npos ? "." : path.substr(0, cut);
        auto listed = folders_.find(folder);
        if (listed == folders_.end())
            listed = folders_.emplace(folder, platform::FolderNames(folder)).first;
        if (!listed->second.MayHold(path.substr(cut == std::string::npos ? 0 : cut + 1)))
            return false;
        std::string onDisk;
        return platform::ReadWholeFile(path, onDisk) && onDisk == bytes;
    }

private:
    std::unordered_map<std::string, platform::FolderNames> folders_;
};

// Writes the rendered files in order, each one whose bytes would change:
// one that would not keeps its time stamp, and the user's build does not
// compile it again. Each new file is made in DBComm's own folder, which
// stays small, and moved to its place. When one cannot be written, DBComm is written naming
// only the operators whose files are on disk, and the writer's error goes
// on to the caller.
void WriteRendered(const std::vector<std::pair<std::string, std::string>>& files,
                   const RunInput& input, const OutputTree& tree, RunHost& host, RunResult& result)
{
    result.FilesWritten.clear();
    const std::string header = tree.DBCommFiles().Header;
    const std::string source = tree.DBCommFiles().Source;
    try {
        // DBComm's two files come last and change together.
        std::vector<std::pair<std::string, std::string>> dbComm;
        OnDisk disk;
        std::size_t done = 0;
        auto count = [&] {
            host.Progress({RunEvent::FilesWritten, ProgressLabel::Tables, ++done, files.size()});
        };
        for (const auto& [path, bytes] : files) {
            bool pair = path == header || path == source;
            if (disk.Unchanged(path, bytes))
                result.FilesUnchanged.push_back(path);
            else if (pair)
                dbComm.emplace_back(path, bytes);
            else
                WriteFileBytes(path, bytes, tree.DBCommFolder());
            if (!pair) {
                result.FilesWritten.push_back(path);
                count();
            }
        }
        if (!dbComm.empty())
            WriteFileBytesTogether(dbComm);
        while (done < files.size())
            count();
        for (const auto& file : files)
            if (file.first == header || file.first == source)
                result.FilesWritten.push_back(file.first);
    } catch (const EFCreateError&) {
        auto onDisk = [&](const SchemaObjects& objects) {
            NameList names;
            for (const SchemaObject& o : objects) {
                OperatorFilePaths paths = OperatorPaths(tree.TablesFolder(), o.Label);
                if (platform::FileExists(paths.Header) && platform::FileExists(paths.Source))
                    names.push_back(o.Label);
            }
            return names;
        };
        try {
            WriteDBCommFiles(tree.DBCommFolder(), onDisk(input.Schema.Tables),
                             onDisk(input.Schema.Views), input.Procedures, input.Form);
        } catch (const EFCreateError&) {
            // The first error is the one to report; the earlier DBComm stays.
        }
        throw;
    }
}

}  // namespace

RunResult GenerateAll(const RunInput& input, const OutputTree& tree, IdentitySource& identities,
                      RunHost& host)
{
    RunResult result;
    if (input.DatabaseCount == 0) {
        host.Tell({RunNotice::NotLoggedIn, {}, "请先登录数据库"});
        result.Outcome = RunOutcome::NotLoggedIn;
        return result;
    }
    // The trees shown belong to a connection that is gone (a login failed
    // since): nothing is written from them.
    if (!identities.Available()) {
        host.Tell(
            {RunNotice::ConnectionLost, {}, "与数据库服务器的连接已断开，请重新登录后再生成"});
        result.Outcome = RunOutcome::ConnectionLost;
        return result;
    }
    // Every check first, over both trees: a refused run says every problem
    // at once, and writes and clears nothing.
    std::vector<RunProblem> problems = RunProblemList(input, tree.TablesFolder());
    if (!problems.empty()) {
        RunNotice report = RefusalReport(problems, input.Reader);
        host.Tell(report);
        host.Progress({RunEvent::Refused, ProgressLabel::Tables});
        if (report.What == RunNotice::TypeUnsupported)
            result.TypeRefused = true;
        else
            result.Outcome = RunOutcome::NameRefused;
        return result;
    }
    std::vector<std::string> folders = {tree.OutputRoot(), tree.DBCommFolder(), tree.TablesFolder(),
                                        tree.StoredProcFolder()};
    if (input.Procedures)
        folders.push_back(tree.ProceduresFolder());
    for (const std::string& folder : folders) {
        if (!MakeOutputDir(folder, host)) {
            result.Outcome = RunOutcome::FolderFailed;
            return result;
        }
    }
    if (input.KeyMethods) {
        std::vector<const SchemaObject*> without = TablesWithoutKeyMethods(input.Schema.Tables);
        result.TablesWithoutKeyMethods = static_cast<int>(without.size());
        if (!without.empty()) {
            // Every one named, with its reason, a line each.
            RunNotice notice{RunNotice::NoKeyMethods,
                             {},
                             std::to_string(without.size()) +
                                 " 个数据表没有可用的主键（没有主键，或主键含二进制字段），"
                                 "没有生成主键方法："};
            for (const SchemaObject* t : without) {
                notice.Problems.push_back("数据表 " + Shown(t->Label) + "：" + NoKeyReason(*t));
                notice.Text.append("\n").append(notice.Problems.back());
            }
            host.Tell(notice);
        }
    }

    if (input.Relations) {
        std::vector<std::string> leftOut = RelationsLeftOut(input.Schema.Tables, input.Form);
        result.RelationsLeftOut = static_cast<int>(leftOut.size());
        if (!leftOut.empty()) {
            RunNotice notice{RunNotice::RelationsLeftOut,
                             {},
                             std::to_string(leftOut.size()) +
                                 " 个外键没有全部生成（其余的已生成）："};
            for (const std::string& line : leftOut) {
                notice.Problems.push_back(line);
                notice.Text.append("\n").append(line);
            }
            host.Tell(notice);
        }
    }

    if (input.Procedures) {
        std::string leftOut = ProceduresLeftOutText(input.Schema.Procedures);
        result.ProceduresLeftOut =
            static_cast<int>(input.Schema.Procedures.size() - WrittenProcedures(input).size());
        if (!leftOut.empty()) {
            RunNotice notice{RunNotice::ProceduresLeftOut, {}, leftOut};
            for (std::size_t at = leftOut.find('\n'); at != std::string::npos;) {
                std::size_t end = leftOut.find('\n', at + 1);
                notice.Problems.push_back(leftOut.substr(at + 1, end - at - 1));
                at = end;
            }
            host.Tell(notice);
        }
    }

    if (RenderedFiles::Active()) {
        // A caller that only renders (a check against the disk).
        RenderRun(input, tree, identities, host, result);
    } else {
        // Every file is rendered first; one step then writes them, in order.
        // A tree is done when its files are on disk: its end is told then.
        std::vector<std::pair<std::string, std::string>> files;
        std::optional<EFCreateError> failed;
        DoneWhenWritten walking(host);
        {
            RenderedFiles rendered;
            try {
                RenderRun(input, tree, identities, walking, result);
            } catch (const EFCreateError& e) {
                failed = e;  // a name that would leave the folder: what came before is written
            }
            for (const std::string& path : rendered.Order)
                files.emplace_back(path, std::move(rendered.Files[path]));
        }
        files = WriteOrder(std::move(files), tree);
        // Clearing spares what the run writes: a file written again with
        // the same bytes is never touched. The question comes only when
        // there is something to clear, before anything is written; the
        // clearing itself waits until the new DBComm is in place, so that
        // nothing the DBComm on disk includes is ever missing (a DBComm
        // that cannot be replaced leaves the earlier files all there).
        std::vector<std::string> keep;
        keep.reserve(files.size());
        for (const auto& file : files)
            keep.push_back(file.first);
        std::size_t earlier = EarlierGeneratedFiles(tree, keep).size();
        bool clear = earlier > 0 && host.ClearEarlierOutput(earlier);
        WriteRendered(files, input, tree, host, result);
        if (failed)
            throw *failed;
        if (clear)
            host.ClearOutput(tree, keep);
        walking.TellDone();
    }
    host.OpenOutputRoot(tree.OutputRoot());
    return result;
}

std::set<std::filesystem::path> NormalPaths(const std::vector<std::string>& paths)
{
    std::set<std::filesystem::path> normal;
    for (const std::string& path : paths)
        normal.insert(platform::FileSystemPath(path).lexically_normal());
    return normal;
}

namespace {

// A file name that Pellam writes into one folder of the tree: one of the
// runtime's, or "<Class>Operator.h" and ".cpp" among the operators, or
// "<Label>Procedure.h" and ".cpp" among the procedures.
bool IsGeneratedName(const std::string& name, const std::vector<std::string>& runtime,
                     const char* classSuffix)
{
    if (std::find(runtime.begin(), runtime.end(), name) != runtime.end())
        return true;
    if (!classSuffix)
        return false;
    for (const std::string& suffix :
         {std::string(classSuffix) + ".h", std::string(classSuffix) + ".cpp"})
        if (name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            return true;
    return false;
}

// Whether the path names a symbolic link itself (a separator at its end
// would reach through the link).
bool IsLink(std::string path)
{
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    std::error_code ec;
    return std::filesystem::is_symlink(
        std::filesystem::symlink_status(platform::FileSystemPath(path), ec));
}

}  // namespace

std::string LinkedTreeFolder(const OutputTree& tree)
{
    for (const std::string& folder : {tree.DBCommFolder(), tree.TablesFolder(),
                                      tree.StoredProcFolder(), tree.ProceduresFolder()})
        if (IsLink(folder))
            return folder;
    return std::string();
}

std::vector<std::string> EarlierGeneratedFiles(const OutputTree& tree,
                                               const std::vector<std::string>& keep)
{
    namespace fs = std::filesystem;
    // A folder's path in its normal form, whatever separators end it.
    auto normalFolder = [](std::string folder) {
        while (folder.size() > 1 &&
               (folder.back() == '/' || folder.back() == platform::kPathSeparator))
            folder.pop_back();
        return platform::FileSystemPath(folder).lexically_normal();
    };
    // The files kept, by folder (each folder's path in its normal form,
    // made once) and name.
    std::map<fs::path, std::unordered_set<std::string>> kept;
    {
        std::unordered_map<std::string, fs::path> normalFolders;
        for (const std::string& path : keep) {
            std::size_t cut = path.rfind(platform::kPathSeparator);
            std::string folder = cut == std::string::npos ? std::string(".") : path.substr(0, cut);
            auto normal = normalFolders.find(folder);
            if (normal == normalFolders.end())
                normal = normalFolders.emplace(folder, normalFolder(folder)).first;
            kept[normal->second].insert(cut == std::string::npos ? path : path.substr(cut + 1));
        }
    }
    const std::pair<std::string, std::vector<std::string>> folders[] = {
        {tree.DBCommFolder(), {kDBCommHeader, kDBCommSource}},
        {tree.StoredProcFolder(), {kStoredProcHeader, kStoredProcSource}},
        {tree.TablesFolder(), {kTableOperatorBase}},
        {tree.ProceduresFolder(), {}},
    };
    std::vector<std::string> doomed;
    for (const auto& [folder, runtime] : folders) {
        if (IsLink(folder))
            continue;
        const char* classes = folder == tree.TablesFolder()       ? "Operator"
                              : folder == tree.ProceduresFolder() ? "Procedure"
                                                                  : nullptr;
        std::error_code ec;
        fs::path here = platform::FileSystemPath(folder);
        auto keptHere = kept.find(normalFolder(folder));
        for (auto it = fs::directory_iterator(here, ec); !ec && it != fs::directory_iterator();
             it.increment(ec)) {
            fs::file_status status = it->symlink_status(ec);
            if (!fs::is_regular_file(status) && !fs::is_symlink(status))
                continue;
            std::string name = platform::FromFileSystemPath(it->path().filename());
            if ((IsGeneratedName(name, runtime, classes) || platform::IsTemporaryFileName(name)) &&
                !(keptHere != kept.end() && keptHere->second.count(name)))
                doomed.push_back(platform::FromFileSystemPath(it->path()));
        }
    }
    std::sort(doomed.begin(), doomed.end());
    return doomed;
}

void ClearOutputExcept(const OutputTree& tree, const std::vector<std::string>& keep)
{
    std::error_code ec;
    // A link is removed as the link it is, never followed.
    for (const std::string& path : EarlierGeneratedFiles(tree, keep))
        std::filesystem::remove(platform::FileSystemPath(path), ec);
}
