// pellam-gen: the generation from a terminal, for scripts and CI. The
// commands and flags are in the usage (Options.cpp).

#include "Options.h"
#include "OutputCheck.h"
#include "Snapshot.h"
#include "Terminal.h"
#include "catalog/CatalogReader.h"
#include "catalog/Dbmodule.h"
#include "generator/Run.h"
#include "generator/Translate.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#ifndef PELLAM_VERSION
#define PELLAM_VERSION "0"
#endif

namespace {

int StandardOutputFailed()
{
    ErrorPrintf("%s\n", "写入标准输出出错");
    return kFile;
}

// Message boxes become lines on standard error; nothing asks a question.
class TerminalMessages : public platform::MessageBoxService {
public:
    int MessageBox(const std::string& text, const std::string& caption, int) override
    {
        ErrorPrintf("%s: %s\n", caption.c_str(), text.c_str());
        return platform::IDOK;
    }
};

// A failed login or statement: a line on standard error, and the command
// ends with exit 3.
class TerminalErrors : public CatalogErrorSink {
public:
    void Failed(const std::string& message) override
    {
        ErrorPrintf("pellam-gen: %s\n", message.c_str());
        Any = true;
    }
    bool Any = false;
};

// Logs in and chooses the database: the one named (logged into), else NOLK
// in any case (found by the login to master, which then reads it too:
// useDatabase is set for the reader to switch to it). Returns false after
// the error has been told.
bool Open(TDBData& data, const Options& o, TerminalErrors& errors, std::string& database,
          NameList& databases, bool& useDatabase)
{
    std::string host = o.Host;
    std::string user = o.User;
    std::string password;
    if (!o.WindowsAuth) {
        if (o.PasswordEnv.empty()) {
            password = ReadPassword();
        } else {
            if (!platform::EnvironmentValue(o.PasswordEnv, password))
                throw UsageError{"环境变量 " + o.PasswordEnv + " 未设置"};
        }
    }
    // A database named on the command line: one login, straight into it.
    if (o.Command != "databases" && !o.Database.empty()) {
        std::string wanted = o.Database;
        if (!data.Connect(!o.WindowsAuth, host, password, wanted, user))
            return false;
        database = data.ADOConnection1->CurrentCatalog();
        if (database.empty())
            database = wanted;
        return true;
    }
    if (!data.Connect(!o.WindowsAuth, host, password, "master", user))
        return false;
    if (!data.GetDatabaseList(databases) || errors.Any)
        return false;
    if (o.Command == "databases")
        return true;
    std::string wanted = "NOLK";
    database.clear();
    for (const std::string& name : databases)
        if (platform::SameTextIgnoreCase(name, wanted)) {
            database = name;
            break;
        }
    if (database.empty()) {
        ErrorPrintf("pellam-gen: %s\n", (wanted + ": 服务器上没有这个数据库").c_str());
        return false;
    }
    // The connection to master reads the database too: the reader switches
    // to it in its first batch.
    useDatabase = true;
    return true;
}

// The run as the terminal sees it: progress on standard error when it is a
// terminal, the clearing done in place.
class TerminalRun : public RunHost {
public:
    TerminalRun(bool clear, bool quiet, std::size_t tables, std::size_t views,
                std::size_t procedures = 0)
        : clear_(clear), tables_(tables), views_(views), procedures_(procedures),
          progress_(!quiet && ErrorIsTerminal())
    {
    }
    ~TerminalRun() override { EndLine(); }

    bool ClearEarlierOutput(std::size_t) override { return clear_; }
    void Tell(const RunNotice& notice) override
    {
        EndLine();
        // One line per problem.
        std::size_t at = 0;
        while (at <= notice.Text.size()) {
            std::size_t end = notice.Text.find('\n', at);
            if (end == std::string::npos)
                end = notice.Text.size();
            ErrorPrintf("pellam-gen: %s\n", notice.Text.substr(at, end - at).c_str());
            at = end + 1;
        }
    }
    void Progress(const RunEvent& event) override
    {
        if (event.What == RunEvent::FilesWritten) {
            filesDone_ = event.Index;
            files_ = event.Total;
        } else if (event.What == RunEvent::ObjectStarted) {
            (event.Tree == ProgressLabel::Tables  ? tablesDone_
             : event.Tree == ProgressLabel::Views ? viewsDone_
                                                  : proceduresDone_)++;
        } else {
            return;
        }
        if (progress_) {
            ErrorPrintf("\r%s %zu/%zu  %s %zu/%zu", "数据表", tablesDone_, tables_, "视图",
                        viewsDone_, views_);
            if (procedures_ > 0)
                ErrorPrintf("  %s %zu/%zu", "存储过程", proceduresDone_, procedures_);
            if (files_ > 0)
                ErrorPrintf("  %s %zu/%zu", "文件", filesDone_, files_);
            shown_ = true;
        }
    }
    // Deletes the earlier generated files this run does not write again,
    // and no other (the folders have been checked to be real folders).
    void ClearOutput(const OutputTree& tree, const std::vector<std::string>& keep) override
    {
        ClearOutputExcept(tree, keep);
    }
    void OpenOutputRoot(const std::string&) override { }

    // Answers No to clearing from now on.
    void KeepOldFiles() { clear_ = false; }
    void EndLine()
    {
        if (progress_ && shown_)
            ErrorPrintf("\n");
        shown_ = false;
    }

private:
    bool clear_;
    std::size_t tables_, views_, procedures_, tablesDone_ = 0, viewsDone_ = 0, proceduresDone_ = 0,
                                              filesDone_ = 0, files_ = 0;
    bool progress_, shown_ = false;
};

// The schema as generate's options take it: labels translated into
// identifiers, and types by the chosen rules. Catalogue names stay exact.
DatabaseSchema AsGenerated(const DatabaseSchema& snapshot, const Options& o)
{
    DatabaseSchema schema = snapshot;
    // Without --procedures none is generated, whatever the snapshot holds.
    if (!o.Procedures) {
        schema.Procedures.clear();
        schema.ProceduresRead = false;
    }
    if (o.Translate)
        TranslateLabels(schema, o.Rows);
    ApplyTypeOptions(schema, o.Types);
    return schema;
}

int Generate(const DatabaseSchema& snapshot, const Options& o)
{
    std::string root = o.Output.empty() ? std::string("Output") : o.Output;
    DatabaseSchema schema = AsGenerated(snapshot, o);
    SchemaIdentities identities(schema.Tables);
    RunInput input{1, schema, o.Keys};
    input.Procedures = o.Procedures;
    input.Form = o.Unicode ? OutputForm::Wide() : OutputForm::Ansi();
    input.Relations = o.Relations;
    input.Rows = o.Rows;
    if (!o.Check) {
        // Missing parent folders are made; the run makes the tree below.
        std::error_code ec;
        std::filesystem::create_directories(platform::FileSystemPath(root), ec);
        if (ec) {
            ErrorPrintf("%s%s\n", "创建输出目录出错：", root.c_str());
            return kFile;
        }
    }
    // A check renders the run without touching the disk.
    std::optional<RenderedFiles> rendered;
    if (o.Check)
        rendered.emplace();

    // The program's folder is never used: clearing is done in place.
    OutputTree tree = OutputTree::WithRoot(root, std::string());
    TerminalRun host(o.Clear, o.Check, snapshot.Tables.size(), snapshot.Views.size(),
                     WrittenProcedures(input).size());
    // Clearing waits for the checks: a run that would be refused deletes
    // nothing.
    QuietRunHost quiet;
    if (o.Clear && !ChecksPass(input, quiet, tree.TablesFolder()))
        host.KeepOldFiles();
    if (o.Clear) {
        std::string linked = LinkedTreeFolder(tree);
        if (!linked.empty()) {
            ErrorPrintf("%s%s\n", "不清除：这个目录是符号链接：", linked.c_str());
            return kFile;
        }
    }
    RunResult result;
    // Stopped while writing, the run leaves each file old or new.
    platform::RemoveTemporaryFileOnSignals();
    try {
        result = GenerateAll(input, tree, identities, host);
    } catch (const EFCreateError& e) {
        host.EndLine();
        ErrorPrintf("%s%s\n", e.Created ? "无法写入文件：" : "无法创建文件：", e.Path.c_str());
        return kFile;
    }
    host.EndLine();
    if (result.Outcome == RunOutcome::ConnectionLost)
        return kConnection;
    if (result.Outcome == RunOutcome::FolderFailed)
        return kFile;
    if (result.Outcome == RunOutcome::NameRefused || result.TypeRefused)
        return kRefused;
    if (result.IdentityFailed)
        return kConnection;
    if (o.Check) {
        std::vector<OutputDifference> differences = CompareOutput(rendered->Files, root);
        std::string report;
        for (const OutputDifference& d : differences) {
            static const char* const kinds[] = {"已更改", "缺少", "多余"};
            report += std::string(kinds[d.What]) + "：" + d.File + "\n";
        }
        if (!WriteOut(report))
            return StandardOutputFailed();
        ErrorPrintf(differences.empty() ? "%s%s\n" : "%s%s\n",
                    differences.empty() ? "输出与将要生成的一致：" : "输出已过期：", root.c_str());
        return differences.empty() ? kDone : kStale;
    }
    const std::vector<std::string>& same = result.FilesUnchanged;
    if (o.Verbose)
        for (const std::string& file : result.FilesWritten)
            if (std::find(same.begin(), same.end(), file) == same.end())
                ErrorPrintf("%s\n", Relative(file, root).c_str());
    std::string unchanged =
        same.empty() ? std::string()
                     : "（其中 " + std::to_string(same.size()) + " 个与磁盘上的相同，未重写）";
    ErrorPrintf("%s%zu%s%s%s\n", "已生成 ", result.FilesWritten.size(), " 个文件：", root.c_str(),
                unchanged.c_str());
    return kDone;
}

// Only the objects the filters want; exit 2 when an --include matched none.
bool Filter(DatabaseSchema& schema, NameFilter& filter)
{
    for (SchemaObjects* objects : {&schema.Tables, &schema.Views, &schema.Procedures}) {
        SchemaObjects kept;
        for (SchemaObject& o : *objects)
            if (filter.Wanted(o.Name))
                kept.push_back(std::move(o));
        *objects = std::move(kept);
    }
    for (const std::string& glob : filter.UnusedIncludes())
        ErrorPrintf("%s%s\n", "--include 没有匹配任何数据表或视图：", glob.c_str());
    return filter.UnusedIncludes().empty();
}

int Main(int argc, char** argv)
{
    Options o = Parse(argc, argv);
    if (o.Command == "help")
        return WriteOut(kUsageText) ? kDone : StandardOutputFailed();
    if (o.Command == "version")
        return WriteOut(std::string("pellam-gen ") + PELLAM_VERSION + "\n")
                   ? kDone
                   : StandardOutputFailed();
    TerminalMessages messages;
    platform::Application.SetMessageBoxService(&messages);
    NameFilter filter(o.Include, o.Exclude);

    DatabaseSchema snapshot;
    if (!o.Schema.empty()) {
        std::string text;
        if (!platform::ReadWholeFile(o.Schema, text)) {
            ErrorPrintf("%s%s\n", "无法读取文件：", o.Schema.c_str());
            return kUsage;
        }
        try {
            snapshot = ReadSnapshot(text);
        } catch (const SnapshotError& e) {
            ErrorPrintf("%s: %s\n", o.Schema.c_str(), e.Message.c_str());
            return kUsage;
        }
        if (!Filter(snapshot, filter))
            return kUsage;
        if (o.Keys && !snapshot.KeysRead) {
            ErrorPrintf("%s: %s\n", o.Schema.c_str(),
                        "快照没有主键信息（由较早的 pellam-gen 生成）；"
                        "请用 pellam-gen schema 重新生成快照后再使用 --keys");
            return kUsage;
        }
        if (o.Relations && !snapshot.RelationsRead) {
            ErrorPrintf("%s: %s\n", o.Schema.c_str(),
                        "快照没有外键信息（由较早的 pellam-gen 生成）；"
                        "请用 pellam-gen schema 重新生成快照后再使用 --relations");
            return kUsage;
        }
        if (o.Rows && !snapshot.NullabilityRead) {
            ErrorPrintf("%s: %s\n", o.Schema.c_str(),
                        "快照的字段没有 \"nullable\"（由较早的 pellam-gen 生成）；"
                        "请用 pellam-gen schema 重新生成快照后再使用 --rows");
            return kUsage;
        }
        if (o.Procedures && !snapshot.ProceduresRead) {
            ErrorPrintf("%s: %s\n", o.Schema.c_str(),
                        "快照没有存储过程（由较早的 pellam-gen 生成，或生成时没有加 "
                        "--procedures）；请用 pellam-gen schema --procedures 重新生成快照");
            return kUsage;
        }
        return Generate(snapshot, o);
    }

    TDBData data;
    TerminalErrors errors;
    data.SetErrorSink(&errors);
    std::string database;
    NameList databases;
    bool useDatabase = false;
    if (!Open(data, o, errors, database, databases, useDatabase))
        return kConnection;
    if (o.Command == "databases") {
        std::string list;
        // One line each, however a name is spelt: shown as messages show it.
        for (const std::string& name : databases)
            list += platform::Printable(name) + "\n";
        return WriteOut(list) ? kDone : StandardOutputFailed();
    }
    CatalogReadOptions read;
    read.Identity = true;
    read.UseDatabase = useDatabase;
    // A snapshot holds the keys, so that it can generate with --keys.
    read.Keys = o.Keys || o.Command == "schema";
    // And its foreign keys and nullability, for --relations and --rows.
    read.Relations = o.Relations || o.Command == "schema";
    read.Nullability = o.Rows || o.Command == "schema";
    read.Procedures = o.Procedures;
    read.Wanted = [&filter](const std::string& name) { return filter.Wanted(name); };
    if (!ReadCatalog(data, database, read, snapshot) || errors.Any)
        return kConnection;
    if (!Filter(snapshot, filter))
        return kUsage;
    if (o.Command == "generate")
        return Generate(snapshot, o);

    if (o.Translate)
        TranslateLabels(snapshot);
    std::string json = WriteSnapshot(snapshot);
    if (o.To.empty())
        return WriteOut(json) ? kDone : StandardOutputFailed();
    if (platform::WriteWholeFile(o.To, json) != 0) {
        ErrorPrintf("%s%s\n", "无法创建文件：", o.To.c_str());
        return kFile;
    }
    return kDone;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        // The arguments in UTF-8 on every platform.
        std::vector<std::string> arguments = platform::CommandLineArguments(argc, argv);
        std::vector<char*> pointers;
        pointers.reserve(arguments.size() + 1);
        for (std::string& a : arguments)
            pointers.push_back(a.data());
        pointers.push_back(nullptr);
        return Main(static_cast<int>(arguments.size()), pointers.data());
    } catch (const UsageError& e) {
        // The whole usage when nothing was asked; else one line and where
        // to read more.
        if (argc < 2)
            ErrorPrintf("pellam-gen: %s\n%s", e.Message.c_str(), kUsageText);
        else
            ErrorPrintf("pellam-gen: %s\n%s\n", e.Message.c_str(), "用法见 pellam-gen --help");
        return kUsage;
    } catch (const platform::Exception& e) {
        ErrorPrintf("%s\n", e.Message.c_str());
        return kConnection;
    }
}
