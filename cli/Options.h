#ifndef CliOptionsH
#define CliOptionsH

// pellam-gen's command line: the commands, their flags and the usage.

#include <string>
#include <vector>

#include "generator/TypeRules.h"

struct Options {
    std::string Command;  // databases, schema, generate; help, version
    bool WindowsAuth = false;
    bool HasHost = false;
    std::string Host, User = "sa", PasswordEnv, Database, To, Schema, Output;
    std::vector<std::string> Include, Exclude;  // globs, as typed
    bool Clear = false, Translate = false, Check = false, Verbose = false;
    // generate's --keys: the key methods of every table with a primary key.
    bool Keys = false;
    // schema's and generate's --procedures: the stored procedures too, each
    // a class of its own.
    bool Procedures = false;
    // generate's --unicode: the library for the Unicode VCL of C++Builder
    // 2009 and later (UTF-8 files, wide literals).
    bool Unicode = false;
    // generate's --relations: each foreign key's lookup and master-detail
    // link on its table's operator class.
    bool Relations = false;
    // generate's --rows: a typed row per table and view.
    bool Rows = false;
    TypeOptions Types;  // generate's --types extended and --type NAME=GROUP
};

// A command line that cannot be run; the message says why, in Chinese.
struct UsageError {
    std::string Message;
};

Options Parse(int argc, char** argv);

// The usage, UTF-8: every command and flag, and the exit codes.
extern const char* const kUsageText;

enum ExitCode { kDone = 0, kRefused = 1, kUsage = 2, kConnection = 3, kFile = 4, kStale = 5 };

// True when the name matches the glob: "*" any run of characters, "?" one
// character, ASCII letters without regard to case. Both are UTF-8.
bool MatchesGlob(const std::string& glob, const std::string& name);

// The --include and --exclude globs over catalogue names; remembers
// which includes matched something.
class NameFilter {
public:
    NameFilter(std::vector<std::string> include, std::vector<std::string> exclude);
    bool Wanted(const std::string& name);
    // The include globs that have matched no name so far.
    std::vector<std::string> UnusedIncludes() const;

private:
    std::vector<std::string> include_, exclude_;
    std::vector<bool> used_;
};

#endif
