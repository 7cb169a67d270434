// pellam-gen: the generation from a terminal, for scripts and CI.
//
//   pellam-gen databases  CONNECTION
//   pellam-gen schema     CONNECTION [--database NAME] [--to FILE] [--translate]
//   pellam-gen generate   (CONNECTION [--database NAME] | --schema FILE)
//                         [--output DIR] [--clear]
//
//   CONNECTION: --windows-auth | --host H [--password-env NAME]
//   (without --password-env the password is read from standard input)

#include "Snapshot.h"
#include "catalog/CatalogReader.h"
#include "catalog/Dbmodule.h"
#include "generator/Genfunc.h"
#include "generator/Run.h"
#include "generator/Translate.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

using platform::Gbk;

namespace {

enum ExitCode { kDone = 0, kRefused = 1, kUsage = 2, kConnection = 3, kFile = 4 };

// Writes to standard output; false when the bytes did not all get there.
bool WriteOut(const std::string& bytes)
{
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    return std::fflush(stdout) == 0 && ok && !std::ferror(stdout);
}

int StandardOutputFailed()
{
    std::fprintf(stderr, "%s\n", "写入标准输出出错");
    return kFile;
}

const char* const kUsageText =
    "usage:\n"
    "  pellam-gen databases CONNECTION\n"
    "  pellam-gen schema    CONNECTION [--database NAME] [--to FILE] [--translate]\n"
    "  pellam-gen generate  (CONNECTION [--database NAME] | --schema FILE) [--output DIR] [--clear]\n"
    "CONNECTION: --windows-auth | --host H [--password-env NAME]\n"
    "  without --password-env the password is read from standard input\n";

struct UsageError {
    std::string Message;
};

// GBK text for the terminal.
std::string Say(const std::string& gbk)
{
    std::string utf8;
    return platform::TryGbkToUtf8(gbk, utf8) ? utf8 : gbk;
}

// Message boxes become lines on standard error; nothing asks a question.
class TerminalMessages : public platform::MessageBoxService {
public:
    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        std::fprintf(stderr, "%s: %s\n", Say(caption).c_str(), Say(text).c_str());
        return (flags & 0x0F) == platform::MB_YESNO ? platform::IDNO : platform::IDOK;
    }
};

// A failed login or statement: a line on standard error, and the run ends
// with exit 3.
class TerminalErrors : public CatalogErrorSink {
public:
    void Failed(const std::string& message) override
    {
        std::fprintf(stderr, "%s: %s\n", Say(Gbk("ExecSQL执行出错")).c_str(), Say(message).c_str());
        Any = true;
    }
    bool Any = false;
};

struct Options {
    std::string Command;
    bool WindowsAuth = false;
    bool HasHost = false;
    std::string Host, PasswordEnv, Database, To, Schema, Output;
    bool Clear = false;
    bool Translate = false;
};

Options Parse(int argc, char** argv)
{
    Options o;
    if (argc < 2)
        throw UsageError{"no command"};
    o.Command = argv[1];
    if (o.Command != "databases" && o.Command != "schema" && o.Command != "generate")
        throw UsageError{"unknown command: " + o.Command};
    std::map<std::string, std::string*> valued = {
        {"--host", &o.Host},     {"--password-env", &o.PasswordEnv}, {"--database", &o.Database},
        {"--to", &o.To},         {"--schema", &o.Schema},            {"--output", &o.Output}};
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--windows-auth") {
            o.WindowsAuth = true;
        } else if (arg == "--clear") {
            o.Clear = true;
        } else if (arg == "--translate") {
            o.Translate = true;
        } else if (valued.count(arg)) {
            if (i + 1 >= argc)
                throw UsageError{arg + " needs a value"};
            *valued[arg] = argv[++i];
            if (arg == "--host")
                o.HasHost = true;
        } else {
            throw UsageError{"unknown option: " + arg};
        }
    }
    bool fromServer = o.Schema.empty();
    if (!fromServer && o.Command != "generate")
        throw UsageError{"--schema goes with generate"};
    if (fromServer && o.WindowsAuth == o.HasHost)
        throw UsageError{"give either --windows-auth or --host"};
    if (!fromServer && (o.WindowsAuth || o.HasHost || !o.Database.empty()))
        throw UsageError{"--schema takes no connection options"};
    if (o.WindowsAuth && !o.PasswordEnv.empty())
        throw UsageError{"--windows-auth takes no password"};
    if (o.Translate && o.Command != "schema")
        throw UsageError{"--translate goes with schema"};
    if (!o.To.empty() && o.Command != "schema")
        throw UsageError{"--to goes with schema"};
    if ((!o.Output.empty() || o.Clear) && o.Command != "generate")
        throw UsageError{"--output and --clear go with generate"};
    return o;
}

std::string FromTerminal(const std::string& utf8, const char* what)
{
    std::string gbk;
    if (!platform::TryUtf8ToGbk(utf8, gbk))
        throw UsageError{std::string(what) + " holds a character GBK cannot hold"};
    return gbk;
}

std::string Password(const Options& o)
{
    if (o.WindowsAuth)
        return std::string();
    std::string password;
    if (!o.PasswordEnv.empty()) {
        const char* value = std::getenv(o.PasswordEnv.c_str());
        if (!value)
            throw UsageError{"the variable " + o.PasswordEnv + " is not set"};
        password = value;
    } else {
        std::getline(std::cin, password);
        if (!password.empty() && password.back() == '\r')
            password.pop_back();
    }
    return FromTerminal(password, "the password");
}

// Logs in and chooses the database: the one named, else NOLK in any case.
// Returns false after the error has been told.
bool Open(TDBData& data, const Options& o, TerminalErrors& errors, std::string& database,
          NameList& databases)
{
    std::string host = FromTerminal(o.Host, "the host");
    std::string password = Password(o);
    if (!data.Connect(!o.WindowsAuth, host, password, "master"))
        return false;
    if (!data.GetDatabaseList(databases) || errors.Any)
        return false;
    if (o.Command == "databases")
        return true;
    std::string wanted = o.Database.empty() ? std::string("NOLK") : FromTerminal(o.Database, "--database");
    database.clear();
    for (const std::string& name : databases)
        if (platform::SameTextIgnoreCase(name, wanted)) {
            database = name;
            break;
        }
    if (database.empty()) {
        std::fprintf(stderr, "%s: %s\n", Say(Gbk("提示")).c_str(),
                     (Say(wanted) + Say(Gbk(": 服务器上没有这个数据库"))).c_str());
        return false;
    }
    return data.Connect(!o.WindowsAuth, host, password, database);
}

// The run as the terminal sees it: progress on standard error when it is a
// terminal, the clearing done in place.
class TerminalRun : public RunHost {
public:
    TerminalRun(bool clear, std::size_t tables, std::size_t views)
        : clear_(clear), tables_(tables), views_(views), progress_(isatty(fileno(stderr)) != 0)
    {
    }
    ~TerminalRun() override
    {
        if (progress_ && shown_)
            std::fprintf(stderr, "\n");
    }

    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        if ((flags & 0x0F) == platform::MB_YESNO)
            return clear_ ? platform::IDYES : platform::IDNO;
        if (progress_ && shown_)
            std::fprintf(stderr, "\n");
        shown_ = false;
        std::fprintf(stderr, "%s: %s\n", Say(caption).c_str(), Say(text).c_str());
        return platform::IDOK;
    }
    void Progress(const RunEvent& event) override
    {
        if (event.What != RunEvent::ObjectStarted)
            return;
        (event.Tree == ProgressLabel::Tables ? tablesDone_ : viewsDone_)++;
        if (progress_) {
            std::fprintf(stderr, "\r%s %zu/%zu  %s %zu/%zu", Say(Gbk("数据表")).c_str(), tablesDone_,
                         tables_, Say(Gbk("视图")).c_str(), viewsDone_, views_);
            shown_ = true;
        }
    }
    // Deletes the files of the generated tree only: the output folder may
    // be the user's own, with files of theirs beside it.
    void ClearOutput(const OutputTree& tree) override
    {
        for (const std::string& folder :
             {tree.DBCommFolder(), tree.TablesFolder(), tree.StoredProcFolder()}) {
            std::error_code ec;
            std::filesystem::path path(platform::FileSystemPath(folder));
            for (auto it = std::filesystem::directory_iterator(path, ec);
                 !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
                if (it->is_regular_file(ec) || it->is_symlink(ec))
                    std::filesystem::remove(it->path(), ec);
        }
    }
    void OpenOutputRoot(const std::string&) override {}

    // Answers No to clearing from now on.
    void KeepOldFiles() { clear_ = false; }

private:
    bool clear_;
    std::size_t tables_, views_, tablesDone_ = 0, viewsDone_ = 0;
    bool progress_, shown_ = false;
};

int Generate(const DatabaseSchema& snapshot, const Options& o)
{
    // With --output the program's folder is never used, so it need not be
    // a path GBK can hold.
    OutputTree tree = o.Output.empty()
                          ? OutputTree(platform::ProgramFolder())
                          : OutputTree::WithRoot(FromTerminal(o.Output, "--output"), std::string());
    SchemaIdentities identities(snapshot.Tables);
    TerminalRun host(o.Clear, snapshot.Tables.size(), snapshot.Views.size());
    RunInput input{1, snapshot};
    // Clearing waits for the checks: a run that would be refused deletes
    // nothing.
    QuietRunHost quiet;
    if (o.Clear && !ChecksPass(input, quiet))
        host.KeepOldFiles();
    try {
        RunResult result = GenerateAll(input, tree, identities, host);
        if (result.Outcome == RunOutcome::FolderFailed)
            return kFile;
        if (result.Outcome == RunOutcome::NameRefused || result.TypeRefused)
            return kRefused;
        if (result.IdentityFailed)
            return kConnection;
        return kDone;
    } catch (const EFCreateError& e) {
        std::fprintf(stderr, "%s\n", Say(e.Message).c_str());
        return kFile;
    }
}

int Main(int argc, char** argv)
{
    Options o = Parse(argc, argv);
    TerminalMessages messages;
    platform::Application.SetMessageBoxService(&messages);

    DatabaseSchema snapshot;
    if (!o.Schema.empty()) {
        std::string text;
        if (!platform::ReadWholeFile(FromTerminal(o.Schema, "--schema"), text)) {
            std::fprintf(stderr, "cannot read %s\n", o.Schema.c_str());
            return kUsage;
        }
        try {
            snapshot = ReadSnapshot(text);
        } catch (const SnapshotError& e) {
            std::fprintf(stderr, "%s: %s\n", o.Schema.c_str(), Say(e.Message).c_str());
            return kUsage;
        }
        return Generate(snapshot, o);
    }

    TDBData data;
    TerminalErrors errors;
    data.SetErrorSink(&errors);
    std::string database;
    NameList databases;
    if (!Open(data, o, errors, database, databases))
        return kConnection;
    if (o.Command == "databases") {
        std::string list;
        for (const std::string& name : databases)
            list += Say(name) + "\n";
        return WriteOut(list) ? kDone : StandardOutputFailed();
    }
    if (!ReadCatalog(data, database, CatalogReadOptions{true}, snapshot) || errors.Any)
        return kConnection;
    if (o.Command == "generate")
        return Generate(snapshot, o);

    if (o.Translate)
        TranslateLabels(snapshot);
    std::string json = WriteSnapshot(snapshot);
    if (o.To.empty())
        return WriteOut(json) ? kDone : StandardOutputFailed();
    if (platform::WriteWholeFile(FromTerminal(o.To, "--to"), json) != 0) {
        std::fprintf(stderr, "Cannot create file %s\n", o.To.c_str());
        return kFile;
    }
    return kDone;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return Main(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "pellam-gen: %s\n%s", e.Message.c_str(), kUsageText);
        return kUsage;
    } catch (const platform::Exception& e) {
        std::fprintf(stderr, "%s\n", Say(e.Message).c_str());
        return kConnection;
    }
}
