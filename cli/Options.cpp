#include "Options.h"

#include "platform/Text.h"

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

const char* const kUsageText =
    "用法：\n"
    "  pellam-gen databases CONNECTION\n"
    "  pellam-gen schema    CONNECTION [--database NAME] [FILTERS] [--to FILE] [--translate]\n"
    "                       [--procedures]\n"
    "  pellam-gen generate  (CONNECTION [--database NAME] | --schema FILE) [FILTERS]\n"
    "                       [--output DIR] [--clear] [--check] [--verbose] [--translate]\n"
    "                       [--types extended] [--type NAME=GROUP]... [--keys] [--procedures]\n"
    "                       [--unicode] [--relations] [--rows]\n"
    "  pellam-gen help | --help | -h       显示本说明\n"
    "  pellam-gen --version                显示版本\n"
    "\n"
    "CONNECTION:\n"
    "  --windows-auth                      Windows 身份验证（本机默认实例）\n"
    "  --host H [--user NAME] [--password-env VAR]\n"
    "                                      SQL Server 身份验证；用户默认为 sa；\n"
    "                                      没有 --password-env 时从终端或标准输入读取密码\n"
    "  --database NAME                     数据库，默认为 NOLK\n"
    "FILTERS（可重复，按目录名称匹配，不分大小写，* 与 ? 为通配符）:\n"
    "  --include GLOB                      只要匹配的数据表和视图（及存储过程）\n"
    "  --exclude GLOB                      去掉匹配的数据表和视图（及存储过程）\n"
    "schema 与 generate:\n"
    "  --procedures                        也读取存储过程及其参数，每个存储过程生成一个类\n"
    "                                      （DBComm\\DBProcedures\\<名称>Procedure.h/.cpp）\n"
    "schema:\n"
    "  --to FILE                           快照写入文件（默认写到标准输出）\n"
    "  --translate                         标签翻译为拼音标识符\n"
    "generate:\n"
    "  --schema FILE                       从快照文件生成，不连接服务器\n"
    "  --output DIR                        输出目录，默认为当前目录下的 "
    "Output；缺少的上级目录会被创建\n"
    "  --clear                             删除 DBComm 目录树中以前生成、这次不再生成的文件\n"
    "                                      （用户自己的文件不动）\n"
    "  --check                             不写文件，只比较输出目录是否与将要生成的一致\n"
    "  --verbose                           列出写入的每个文件\n"
    "  --translate                         标签翻译为标识符后再生成\n"
    "  --types extended                    "
    "别名类型按其基础类型；日期时间、uniqueidentifier、xml、\n"
    "                                      sql_variant 作为字符串，hierarchyid、geometry、\n"
    "                                      geography 作为二进制流\n"
    "  --type NAME=GROUP                   类型 NAME 归入 GROUP（integer、string、float、blob），\n"
    "                                      可重复，优先于 --types\n"
    "  --keys                              有主键的数据表另生成 FindByKey、UpdateByKey、\n"
    "                                      DeleteByKey，有标识列的另生成 NewWithIdentity\n"
    "  --unicode                           为 C++Builder 2009 及以后（String 为 UnicodeString）\n"
    "                                      生成：UTF-8 文件、宽字符串，数据库中的任何名称都可用\n"
    "  --relations                         每个外键在其数据表的操作类中生成按外键查找的\n"
    "                                      OpenBy...，以及 VCL 主从表联动的 LinkBy...\n"
    "  --rows                              每个数据表和视图生成一个类型化的行（<类名>Row），\n"
    "                                      可按字段名读写整行，NULL 与 0、空串分开\n"
    "\n"
    "退出码：0 完成；1 名称或类型被拒绝；2 用法错误或快照有误；3 连接或语句失败；\n"
    "        4 文件无法写入；5 --check 发现输出已过期\n";

namespace {

// A UTF-8 text as a list of its characters, ASCII letters in lower case.
std::vector<std::string> Characters(const std::string& text)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = platform::Utf8CharLength(text, i);
        std::string c = text.substr(i, len);
        out.push_back(len == 1 ? platform::AsciiLower(c) : c);
        i += len;
    }
    return out;
}

}  // namespace

bool MatchesGlob(const std::string& glob, const std::string& name)
{
    std::vector<std::string> g = Characters(glob), n = Characters(name);
    // The classic two-pointer match with one star to return to.
    std::size_t gi = 0, ni = 0, star = std::string::npos, mark = 0;
    while (ni < n.size()) {
        if (gi < g.size() && (g[gi] == "?" || g[gi] == n[ni])) {
            ++gi;
            ++ni;
        } else if (gi < g.size() && g[gi] == "*") {
            star = gi++;
            mark = ni;
        } else if (star != std::string::npos) {
            gi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (gi < g.size() && g[gi] == "*")
        ++gi;
    return gi == g.size();
}

NameFilter::NameFilter(std::vector<std::string> include, std::vector<std::string> exclude)
    : include_(std::move(include)), exclude_(std::move(exclude)), used_(include_.size(), false)
{
}

bool NameFilter::Wanted(const std::string& name)
{
    bool included = include_.empty();
    for (std::size_t i = 0; i < include_.size(); ++i)
        if (MatchesGlob(include_[i], name))
            included = used_[i] = true;
    if (!included)
        return false;
    for (const std::string& glob : exclude_)
        if (MatchesGlob(glob, name))
            return false;
    return true;
}

std::vector<std::string> NameFilter::UnusedIncludes() const
{
    std::vector<std::string> unused;
    for (std::size_t i = 0; i < include_.size(); ++i)
        if (!used_[i])
            unused.push_back(include_[i]);
    return unused;
}

namespace {

// The edit distance of two short texts.
std::size_t Distance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            row[j] =
                std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0u : 1u)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// "；是否要用 X？" for the known word closest to what was typed (one that
// begins with it, or within two edits), else "".
std::string Suggestion(const std::string& typed, const std::vector<std::string>& known)
{
    std::string best;
    std::size_t bestDistance = 3;
    for (const std::string& k : known) {
        std::size_t d =
            k.compare(0, typed.size(), typed) == 0 && typed.size() > 2 ? 1 : Distance(typed, k);
        if (d < bestDistance) {
            bestDistance = d;
            best = k;
        }
    }
    return best.empty() ? std::string() : "；是否要用 " + best + "？";
}

void ParseTypes(const std::string& value, Options& o)
{
    if (value != "extended")
        throw UsageError{"--types 只接受 extended：" + value};
    o.Types.Extended = true;
}

// NAME=GROUP, GROUP one of integer, string, float, blob.
void ParseTypeOverride(const std::string& value, Options& o)
{
    std::string earlier;
    switch (AddTypeOverride(value, o.Types, earlier)) {
    case TypeOverrideFault::None:
        break;
    case TypeOverrideFault::NotNameEqualsGroup:
        throw UsageError{"--type 应为 类型名=integer|string|float|blob：" + value};
    case TypeOverrideFault::BlankOrControlInName:
        throw UsageError{"--type 的类型名不能以空格开头或结尾，也不能含控制字符：\"" +
                         value.substr(0, value.find('=')) + "\""};
    case TypeOverrideFault::TwoGroups:
        throw UsageError{std::string("--type 给同一类型指定了两个组：")
                             .append(earlier)
                             .append(" 与 ")
                             .append(value)};
    }
}

const std::vector<std::string> kCommands = {"databases", "schema", "generate", "help"};
// Every option, in the order that settles a tie between two suggestions.
const std::vector<std::string> kOptions = {"--windows-auth", "--host",       "--user",
                                           "--password-env", "--database",   "--include",
                                           "--exclude",      "--to",         "--translate",
                                           "--schema",       "--output",     "--clear",
                                           "--check",        "--verbose",    "--help",
                                           "--version",      "--types",      "--type",
                                           "--keys",         "--procedures", "--unicode",
                                           "--relations",    "--rows"};

}  // namespace

Options Parse(int argc, char** argv)
{
    Options o;
    if (argc < 2)
        throw UsageError{"缺少命令"};
    o.Command = argv[1];
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h" || (i == 1 && arg == "help")) {
            o.Command = "help";
            return o;
        }
        if (arg == "--version") {
            o.Command = "version";
            return o;
        }
    }
    if (o.Command != "databases" && o.Command != "schema" && o.Command != "generate")
        throw UsageError{"未知命令：" + o.Command + Suggestion(o.Command, kCommands)};
    bool hasUser = false, typed = false;
    auto set = [](std::string& field) { return [&field](const std::string& v) { field = v; }; };
    auto add = [](std::vector<std::string>& list) {
        return [&list](const std::string& v) { list.push_back(v); };
    };
    // Each option that takes a value, and what its value does.
    const std::map<std::string, std::function<void(const std::string&)>> valued =
        {{"--host",
          [&](const std::string& v) {
              o.Host = v;
              o.HasHost = true;
          }},
         {"--password-env",
          [&](const std::string& v) {
              if (v.empty())
                  throw UsageError{"--password-env 需要一个环境变量名"};
              o.PasswordEnv = v;
          }},
         {"--user",
          [&](const std::string& v) {
              o.User = v;
              hasUser = true;
          }},
         {"--database", set(o.Database)},
         {"--to", set(o.To)},
         {"--schema", set(o.Schema)},
         {"--output", set(o.Output)},
         {"--include", add(o.Include)},
         {"--exclude", add(o.Exclude)},
         {"--types",
          [&](const std::string& v) {
              ParseTypes(v, o);
              typed = true;
          }},
         {"--type", [&](const std::string& v) {
              ParseTypeOverride(v, o);
              typed = true;
          }}};
    const std::map<std::string, bool*> flags =
        {{"--windows-auth", &o.WindowsAuth}, {"--clear", &o.Clear},
         {"--translate", &o.Translate},      {"--check", &o.Check},
         {"--verbose", &o.Verbose},          {"--keys", &o.Keys},
         {"--procedures", &o.Procedures},    {"--unicode", &o.Unicode},
         {"--relations", &o.Relations},      {"--rows", &o.Rows}};
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (auto flag = flags.find(arg); flag != flags.end()) {
            *flag->second = true;
        } else if (auto option = valued.find(arg); option != valued.end()) {
            if (i + 1 >= argc)
                throw UsageError{arg + " 需要一个值"};
            option->second(argv[++i]);
        } else {
            throw UsageError{"未知选项：" + arg + Suggestion(arg, kOptions)};
        }
    }
    bool fromServer = o.Schema.empty();
    auto only = [&](bool given, const char* flags, const char* command) {
        if (given && o.Command != command)
            throw UsageError{std::string(flags) + " 只能与 " + command + " 一起使用"};
    };
    only(!fromServer, "--schema", "generate");
    if (o.Translate && o.Command == "databases")
        throw UsageError{"--translate 只能与 schema 或 generate 一起使用"};
    only(typed, "--types 和 --type", "generate");
    only(!o.To.empty(), "--to", "schema");
    only(!o.Output.empty() || o.Clear || o.Check || o.Verbose,
         "--output、--clear、--check 和 --verbose", "generate");
    only(o.Keys, "--keys", "generate");
    only(o.Unicode, "--unicode", "generate");
    only(o.Relations, "--relations", "generate");
    only(o.Rows, "--rows", "generate");
    if (o.Procedures && o.Command == "databases")
        throw UsageError{"--procedures 只能与 schema 或 generate 一起使用"};
    if (o.Command == "databases" && !(o.Include.empty() && o.Exclude.empty()))
        throw UsageError{"--include 和 --exclude 只能与 schema 或 generate 一起使用"};
    if (fromServer && o.WindowsAuth && o.HasHost)
        throw UsageError{"--windows-auth 与 --host 不能同时使用：请只给出其中之一"};
    if (fromServer && !o.WindowsAuth && !o.HasHost)
        throw UsageError{"请给出 --windows-auth 或 --host 之一"};
    if (!fromServer && (o.WindowsAuth || o.HasHost || !o.Database.empty() || hasUser))
        throw UsageError{"--schema 不能与连接选项一起使用"};
    if (o.WindowsAuth && (!o.PasswordEnv.empty() || hasUser))
        throw UsageError{"--windows-auth 不需要用户名和密码"};
    if (o.Check && o.Clear)
        throw UsageError{"--check 不写文件，不能与 --clear 一起使用"};
    return o;
}
