#include "Run.h"

#include "Genfunc.h"
#include "OperatorNames.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace {

std::vector<std::string> ClassNames(const SchemaObjects& tree)
{
    std::vector<std::string> names;
    for (const SchemaObject& o : tree)
        names.push_back(o.Label);
    return names;
}

// Tells the user that a name of the given top-level node cannot be used.
void TellNameRefused(const std::string& text, RunHost& host, const std::string& object)
{
    host.Tell({RunNotice::NameRefused, object, text});
}

void TellInvalidName(const std::string& owner, RunHost& host)
{
    TellNameRefused(platform::Printable(owner) + ":名称及字段名称不能包含汉字，必须以字母开头",
                    host, owner);
}

// A name as messages show it.
std::string Shown(const std::string& name)
{
    return platform::Printable(name);
}

// A control character other than CR and LF (which generated literals
// escape) cannot travel in a file name, a literal or a statement.
bool HoldsControlCharacter(const std::string& name)
{
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\r' && c != '\n') || u == 0x7F)
            return true;
    }
    return false;
}

// The last quote of a name holding an odd number of them, or 0. Such a
// name would leave the VCL's parameter scan inside a literal for the rest
// of the SQL text: the parameters after it would not be seen.
char UnpairedQuote(const std::string& name)
{
    std::size_t quotes = 0;
    char last = 0;
    for (char c : name)
        if (IsVclQuote(c)) {
            ++quotes;
            last = c;
        }
    return quotes % 2 == 0 ? 0 : last;
}

// What neither translation nor a rename in Pellam mends: the name as the
// catalogue holds it.
const char* const kServerRename = "（翻译或改名不能解决，须在数据库中改名）";

// Every problem of one catalogue name (an object's, its schema's or a
// column's) that the generated SQL cannot carry, each a line naming the
// object (by its label) and the name.
void CatalogNameProblems(const std::string& owner, const std::string& what, const std::string& name,
                         bool quotesMatter, std::vector<RunProblem>& out)
{
    std::string head = Shown(owner) + ":" + what + Shown(name) + ":";
    const RunProblem::Kind kind = RunProblem::CatalogName;
    if (HoldsControlCharacter(name))
        out.push_back({kind, head + "名称含有控制字符" + kServerRename});
    if (!platform::GbkCanHold(name))
        out.push_back({kind, head + "名称含有GBK无法表示的字符" + kServerRename});
    if (char quote = quotesMatter ? UnpairedQuote(name) : 0)
        out.push_back({kind, head + "名称含有不成对的引号 " + std::string(1, quote) +
                                 "，VCL 解析参数时会把其后的 SQL 当作字符串" + kServerRename});
}

// The include guards of the generated files: each operator class's
// "<Class>H" and the runtime's own.
// Each guard with the header it guards.
using GuardSet = std::unordered_map<std::string, std::string>;
GuardSet IncludeGuards(const RunInput& input)
{
    GuardSet guards = {{"DBCommH", "DBComm.h"},
                       {"DBStoredProcH", "DBStoredProc.h"},
                       {"DBTableOperatorH", "DBTableOperator.h"}};
    for (const SchemaObject* p : WrittenProcedures(input))
        guards[p->Label + "ProcedureH"] = p->Label + "Procedure.h";
    for (const SchemaObjects* tree : {&input.Schema.Tables, &input.Schema.Views})
        for (const SchemaObject& o : *tree)
            guards[o.Label + "H"] = o.Label + "Operator.h";
    return guards;
}

// A class or parameter name that is also an include guard: the
// preprocessor would put nothing in its place.
void GuardProblem(const std::string& owner, const std::string& name, const GuardSet& guards,
                  std::vector<RunProblem>& out)
{
    if (auto guard = guards.find(name); guard != guards.end())
        out.push_back({RunProblem::Clash, Shown(owner) + ":" + Shown(name) +
                                              ":与头文件的保护宏同名（" + Shown(guard->second) +
                                              "）（翻译或改名后可生成）"});
}

// A class name whose files ("<label><suffix>.cpp" the longest) the file
// system cannot hold: a file name over its limit, or, with the folder
// known, a path over its limit.
bool NameTooLong(const std::string& label, const std::string& folder,
                 const std::string& suffix = "Operator",
                 std::size_t maxLength = MaxClassNameLength())
{
    // The longest name the writer makes is the new file it writes first,
    // beside the class's source.
    std::string longest = label + suffix + ".cpp";
    std::size_t temporary = platform::kTemporarySuffixLength;
    return label.size() > maxLength ||
           (!folder.empty() &&
            platform::PathLength(InFolder(folder, longest)) + temporary > platform::kMaxPathLength);
}

// The labels of one object against the name rules.
bool LabelsValid(const SchemaObject& object, bool tableTree)
{
    if (!IsValidClassName(object.Label))
        return false;
    for (const SchemaColumn& c : object.Columns)
        if (!(tableTree ? IsValidParameterName(c.Label) : IsValidIdentifier(c.Label)))
            return false;
    return true;
}

// Every problem of one object but its labels' own faults and its types,
// in the order the checks meet them: with valid labels, the guards, the
// length, a class name that another object already uses (ignoring case,
// as the file system may) and a table's twin parameter names; then,
// whatever its labels, the catalogue names the generated SQL cannot name.
// `classes` holds the objects checked before (their class names and
// schema-qualified names) and gains this one.
struct CheckedClass {
    std::string Label;
    std::string Named;  // the object as a message names it: schema.name
};
std::vector<RunProblem> ObjectProblems(const SchemaObject& o, bool tableTree, bool labelsValid,
                                       std::vector<CheckedClass>& classes, const GuardSet& guards,
                                       const std::string& tablesFolder)
{
    std::vector<RunProblem> out;
    std::string owner = Shown(o.Label);
    if (labelsValid) {
        GuardProblem(o.Label, o.Label, guards, out);
        if (NameTooLong(o.Label, tablesFolder))
            out.push_back(
                {RunProblem::TooLong,
                 owner + ":名称太长，生成的文件名超出文件系统的限制（改用较短的名称后可生成）"});
        for (const SchemaColumn& c : o.Columns)
            GuardProblem(o.Label, c.Label, guards, out);
        for (const CheckedClass& other : classes) {
            ClassClash clash = ClassNamesClash(o.Label, other.Label);
            if (clash == ClassClash::Twin) {
                out.push_back({RunProblem::Clash, owner + ":与另一个数据表或视图（" + other.Named +
                                                      "）的类名相同（翻译或改名后可生成）"});
            } else if (clash == ClassClash::Enumerator) {
                // DBComm names each operator by its class name: the
                // enumerator "<X>Operator" would hide the class of X.
                const std::string& shorter =
                    o.Label.size() < other.Label.size() ? o.Label : other.Label;
                out.push_back({RunProblem::Clash, owner + ":" + Shown(other.Label) +
                                                      ":DBComm 中的枚举名会遮住类 " +
                                                      Shown(shorter) + "Operator，请改名"});
            }
        }
        for (std::size_t i = 0; tableTree && i < o.Columns.size(); ++i)
            for (std::size_t j = 0; j < i; ++j)
                if (o.Columns[j].Label == o.Columns[i].Label) {
                    out.push_back({RunProblem::Clash, owner + ":" + Shown(o.Columns[i].Label) +
                                                          ":字段名称重复（改名后可生成）"});
                    break;
                }
        classes.push_back({o.Label, Shown(o.InDbo() ? o.Name : o.Schema + "." + o.Name)});
    }
    CatalogNameProblems(o.Label, "", o.Name, true, out);
    if (!o.Schema.empty())
        CatalogNameProblems(o.Label, "架构 ", o.Schema, true, out);
    for (const SchemaColumn& c : o.Columns)
        CatalogNameProblems(o.Label, "字段 ", c.Name, tableTree, out);
    return out;
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

bool CheckTreeNames(const SchemaObjects& tree, RunHost& host, bool tableTree)
{
    for (const SchemaObject& o : tree) {
        if (!LabelsValid(o, tableTree)) {
            TellInvalidName(o.Label, host);
            return false;
        }
    }
    return true;
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

std::vector<const SchemaObject*> TablesWithoutKeyMethods(const SchemaObjects& tables)
{
    std::vector<const SchemaObject*> without;
    for (const SchemaObject& t : tables)
        if (!KeyUsable(t.Entries(), t.Key))
            without.push_back(&t);
    return without;
}

NameList GenerateTreeFiles(const SchemaObjects& tree, ProgressLabel label,
                           const std::string& folder, bool tableTree, IdentitySource& identities,
                           RunHost& host, RunResult& result, bool keyMethods)
{
    NameList written;
    // The identity columns of every table the walk will reach (it stops at
    // the first unsupported type), asked at once.
    std::vector<IdentityNames> identity;
    std::size_t answered = 0;
    if (tableTree) {
        SchemaObjects reached;
        for (const SchemaObject& o : tree) {
            if (!TypesSupported(o))
                break;
            reached.push_back(o);
        }
        answered = identities.GetIdentityColumnsUntilFailure(reached, identity);
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
                                    identity[position], o.Schema, keyMethods ? &keys : nullptr);
        } else {
            WriteViewOperatorFiles(folder, o.Label, o.Name, o.Schema);
        }
        NoteOperatorFiles(folder, o.Label, result);
        written.push_back(o.Label);
    }
    return written;
}

namespace {

// Why a label (a class name, or a column's parameter name) cannot stand in
// the generated code, or "": `valid` is the rule of its place.
std::string LabelFault(const std::string& label, bool (*valid)(const std::string&),
                       RunProblem::Kind& kind)
{
    kind = RunProblem::Spelling;
    if (label.empty())
        return "名称为空";
    if (ContainsNonAsciiChar(label)) {
        kind = RunProblem::NonAscii;
        return "含有汉字或其他非 ASCII 字符";
    }
    for (char c : label)
        if (!platform::IsCharAlphaA(c) && !(c >= '0' && c <= '9') && c != '_')
            return "含有空格或标点“" + Shown(std::string(1, c)) + "”";
    if (!platform::IsCharAlphaA(label[0]))
        return "不以字母开头";
    kind = RunProblem::Reserved;
    if (!valid(label))
        return "是 C++ 关键字、<windows.h> 的宏或生成的代码中已用的名称";
    return std::string();
}

const char* const kRename = "（翻译或改名后可生成）";

// Every problem of the procedures a run writes: their labels and their
// parameters' (each by its own rule), twins among them (their files share
// a folder), a table or view whose include guard is a procedure's, guards,
// lengths, repeated parameter labels, and catalogue names.
void ProcedureProblems(const RunInput& input, const GuardSet& guards,
                       const std::string& tablesFolder, std::vector<RunProblem>& out)
{
    // Procedures by their labels ignoring case, and the tables' and views'
    // class names.
    std::unordered_map<std::string, std::string> procedures;
    std::unordered_set<std::string> classes;
    for (const SchemaObjects* tree : {&input.Schema.Tables, &input.Schema.Views})
        for (const SchemaObject& t : *tree)
            classes.insert(t.Label);
    std::string folder;
    if (!tablesFolder.empty())
        folder = tablesFolder.substr(0, tablesFolder.size() - std::string("DBTables").size()) +
                 "DBProcedures";
    for (const SchemaObject* p : WrittenProcedures(input)) {
        const SchemaObject& o = *p;
        std::string owner = "存储过程 " + Shown(o.Label);
        bool labelsOk = true;
        RunProblem::Kind kind;
        std::string fault = LabelFault(o.Label, IsValidClassName, kind);
        if (!fault.empty()) {
            out.push_back({kind, std::string(owner).append(":").append(fault).append(kRename)});
            labelsOk = false;
        }
        for (const SchemaColumn& c : o.Columns) {
            std::string parameterFault = LabelFault(c.Label, IsValidProcedureParameterName, kind);
            if (!parameterFault.empty()) {
                out.push_back({kind, std::string(owner)
                                         .append(":")
                                         .append(Shown(c.Label))
                                         .append(":参数")
                                         .append(parameterFault)
                                         .append(kRename)});
                labelsOk = false;
            }
        }
        if (labelsOk) {
            for (const SchemaColumn& c : o.Columns)
                GuardProblem(owner, c.Label, guards, out);
            if (NameTooLong(o.Label, folder, "Procedure", MaxProcedureNameLength()))
                out.push_back(
                    {RunProblem::TooLong,
                     owner +
                         ":名称太长，生成的文件名超出文件系统的限制（改用较短的名称后可生成）"});
            std::string folded = platform::AsciiLower(o.Label);
            if (auto other = procedures.find(folded); other != procedures.end())
                out.push_back({RunProblem::Clash, owner + ":与另一个存储过程（" + other->second +
                                                      "）的类名相同" + kRename});
            std::string guarded = o.Label + "Procedure";
            if (classes.count(guarded))
                out.push_back({RunProblem::Clash, owner + ":数据表或视图 " + Shown(guarded) +
                                                      " 的头文件保护宏与它的相同（" +
                                                      Shown(guarded) + "H）" + kRename});
            for (std::size_t i = 0; i < o.Columns.size(); ++i)
                for (std::size_t j = 0; j < i; ++j)
                    if (o.Columns[j].Label == o.Columns[i].Label) {
                        out.push_back({RunProblem::Clash, owner + ":" + Shown(o.Columns[i].Label) +
                                                              ":参数名称重复（改名后可生成）"});
                        break;
                    }
            procedures.emplace(folded, Shown(o.InDbo() ? o.Name : o.Schema + "." + o.Name));
        }
        // The name goes in a literal the VCL does not scan for parameters.
        CatalogNameProblems(owner, "", o.Name, false, out);
        if (!o.Schema.empty())
            CatalogNameProblems(owner, "架构 ", o.Schema, false, out);
        for (const SchemaColumn& c : o.Columns)
            CatalogNameProblems(owner, "参数 ", c.Name, false, out);
    }
}

}  // namespace

std::vector<RunProblem> RunProblemList(const RunInput& input, const std::string& tablesFolder)
{
    const char* const rename = kRename;
    std::vector<RunProblem> problems;
    std::vector<CheckedClass> classes;
    GuardSet guards = IncludeGuards(input);
    for (int t = 0; t < 2; ++t) {
        bool tableTree = t == 0;
        const SchemaObjects& tree = tableTree ? input.Schema.Tables : input.Schema.Views;
        for (const SchemaObject& o : tree) {
            // The labels, each with its own reason.
            bool labelsOk = true;
            RunProblem::Kind kind;
            std::string fault = LabelFault(o.Label, IsValidClassName, kind);
            if (!fault.empty()) {
                problems.push_back({kind, Shown(o.Label) + ":" + fault + rename});
                labelsOk = false;
            }
            for (const SchemaColumn& c : o.Columns) {
                std::string columnFault =
                    LabelFault(c.Label, tableTree ? IsValidParameterName : IsValidIdentifier, kind);
                if (!columnFault.empty()) {
                    problems.push_back({kind, Shown(o.Label) + ":" + Shown(c.Label) + ":字段" +
                                                  columnFault + rename});
                    labelsOk = false;
                }
            }
            // Then every other problem of the object: guards, twins and
            // lengths of valid labels, and the catalogue names whatever
            // the labels.
            for (RunProblem& p :
                 ObjectProblems(o, tableTree, labelsOk, classes, guards, tablesFolder))
                problems.push_back(std::move(p));
            for (const SchemaColumn& c : o.Columns)
                if (!IsSupportedType(c.TypeName))
                    problems.push_back(
                        {RunProblem::Type,
                         Shown(o.Label) + ":" + Shown(c.Label) + ":数据类型 " +
                             (c.TypeName.empty() ? std::string("（未知）") : Shown(c.TypeName)) +
                             " 不支持（选用扩展类型，或把它指定为某一类型组后可生成）"});
        }
    }
    ProcedureProblems(input, guards, tablesFolder, problems);
    return problems;
}

std::vector<std::string> RunProblems(const RunInput& input, const std::string& tablesFolder)
{
    std::vector<std::string> texts;
    for (const RunProblem& p : RunProblemList(input, tablesFolder))
        texts.push_back(p.Text);
    return texts;
}

std::string ProblemGroupText(RunProblem::Kind kind, std::size_t count, ReportReader reader)
{
    bool window = reader == ReportReader::Window;
    std::string translate = window ? "右键 → 翻译全部" : "加 --translate";
    std::string rename = window ? "，或修改名称" : "，或在窗口中修改名称";
    std::string n = std::to_string(count);
    switch (kind) {
    case RunProblem::NonAscii:
        return n + " 处名称含有汉字或其他非 ASCII 字符：" + translate;
    case RunProblem::Spelling:
        return n + " 处名称含有空格或标点、为空或不以字母开头：" + translate + rename;
    case RunProblem::Reserved:
        return n + " 处名称是 C++ 关键字、<windows.h> 的宏或已用的名称：" + translate + rename;
    case RunProblem::Clash:
        return n + " 处名称与别的名称冲突：" + translate + rename;
    case RunProblem::TooLong:
        return n + " 处名称太长：改用较短的名称" +
               (window ? std::string() : std::string("（在窗口中修改名称）"));
    case RunProblem::CatalogName:
        return n + " 处数据库中的名称无法写入生成的代码：在数据库中改名" +
               (window ? std::string() : std::string("，或用 --exclude 排除"));
    case RunProblem::Type:
        return n + " 个字段的数据类型不支持：" +
               (window ? std::string("勾选“扩展类型”，或在“类型分组”中指定")
                       : std::string("加 --types extended，或用 --type 指定"));
    }
    return n;
}

bool ChecksPass(const RunInput& input, RunHost& host, const std::string& tablesFolder,
                ReportReader reader)
{
    std::vector<RunProblem> problems = RunProblemList(input, tablesFolder);
    if (problems.empty())
        return true;
    host.Tell(RefusalReport(problems, reader));
    return false;
}

std::string RefusalSummary(std::size_t problems)
{
    return std::to_string(problems) + " 处问题，没有生成也没有清除任何文件：";
}

RunNotice RefusalReport(const std::vector<RunProblem>& problems, ReportReader reader)
{
    // Only types: a type refusal; anything else: a name refusal.
    bool typesOnly = std::all_of(problems.begin(), problems.end(),
                                 [](const RunProblem& p) { return p.What == RunProblem::Type; });
    RunNotice report{typesOnly ? RunNotice::TypeUnsupported : RunNotice::NameRefused, {}, {}};
    if (!problems.empty())
        report.Object = problems.front().Text.substr(0, problems.front().Text.find(':'));
    for (int k = RunProblem::NonAscii; k <= RunProblem::Type; ++k) {
        auto kind = static_cast<RunProblem::Kind>(k);
        std::size_t count = static_cast<std::size_t>(
            std::count_if(problems.begin(), problems.end(),
                          [kind](const RunProblem& p) { return p.What == kind; }));
        if (count > 0)
            report.Groups.emplace_back(kind, count);
    }
    report.Text = RefusalSummary(problems.size());
    for (const auto& [kind, count] : report.Groups)
        report.Text.append("\n").append(ProblemGroupText(kind, count, reader));
    for (const RunProblem& p : problems) {
        report.Problems.push_back(p.Text);
        report.Text.append("\n").append(p.Text);
    }
    return report;
}

namespace {

// Everything a run writes after its question, rendered (or written, when
// nothing renders): the runtime, then each tree checked and walked.
void RenderRun(const RunInput& input, const OutputTree& tree, IdentitySource& identities,
               RunHost& host, RunResult& result)
{
    WriteStoredProcFiles(tree.StoredProcFolder());
    for (const char* name : {kStoredProcHeader, kStoredProcSource})
        result.FilesWritten.push_back(InFolder(tree.StoredProcFolder(), name));
    // DBComm names each operator after the files actually written: the
    // class names, which differ from the catalogue names for a relabelled
    // view.
    WriteDBCommFiles(tree.DBCommFolder(), ClassNames(input.Schema.Tables),
                     ClassNames(input.Schema.Views), input.Procedures);
    for (const char* name : {kDBCommHeader, kDBCommSource})
        result.FilesWritten.push_back(InFolder(tree.DBCommFolder(), name));
    WriteTableOperatorBase(tree.TablesFolder(), input.KeyMethods);
    result.FilesWritten.push_back(InFolder(tree.TablesFolder(), kTableOperatorBase));

    // The table tree, then the view tree, walked (the checks have passed
    // before anything was rendered). A run that stops early writes DBComm
    // again, naming only what it wrote.
    NameList writtenTables, writtenViews;
    bool stopped = false;
    auto nameOnlyWritten = [&] {
        WriteDBCommFiles(tree.DBCommFolder(), writtenTables, writtenViews, input.Procedures);
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
            walk.Written =
                GenerateTreeFiles(walk.Tree, walk.Label, tree.TablesFolder(), walk.TableTree,
                                  identities, host, result, input.KeyMethods);
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
            WriteProcedureFiles(tree.ProceduresFolder(), *procedures[k]);
            OperatorFilePaths paths = ProcedurePaths(tree.ProceduresFolder(), procedures[k]->Label);
            result.FilesWritten.push_back(paths.Header);
            result.FilesWritten.push_back(paths.Source);
            ++result.ProceduresWritten;
        }
        host.Progress({RunEvent::TreeDone, ProgressLabel::Procedures});
    }
}

// The rendered files in the order they go to disk: DBComm last, so that
// until the very end the DBComm on disk is the earlier one, which names
// operators that are there.
std::vector<std::pair<std::string, std::string>> WriteOrder(
    std::vector<std::pair<std::string, std::string>> files, const OutputTree& tree)
{
    const std::string header = InFolder(tree.DBCommFolder(), kDBCommHeader);
    const std::string source = InFolder(tree.DBCommFolder(), kDBCommSource);
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
                   const RunInput& input, const OutputTree& tree, RunResult& result)
{
    result.FilesWritten.clear();
    const std::string header = InFolder(tree.DBCommFolder(), kDBCommHeader);
    const std::string source = InFolder(tree.DBCommFolder(), kDBCommSource);
    try {
        // DBComm's two files come last and change together.
        std::vector<std::pair<std::string, std::string>> dbComm;
        OnDisk disk;
        for (const auto& [path, bytes] : files) {
            bool pair = path == header || path == source;
            if (disk.Unchanged(path, bytes))
                result.FilesUnchanged.push_back(path);
            else if (pair)
                dbComm.emplace_back(path, bytes);
            else
                WriteFileBytes(path, bytes, tree.DBCommFolder());
            if (!pair)
                result.FilesWritten.push_back(path);
        }
        if (!dbComm.empty())
            WriteFileBytesTogether(dbComm);
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
                             onDisk(input.Schema.Views), input.Procedures);
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
            std::string names;
            for (std::size_t k = 0; k < without.size() && k < 5; ++k)
                names += (k ? "、" : "") + Shown(without[k]->Label);
            if (without.size() > 5)
                names += "……";
            host.Tell({RunNotice::NoKeyMethods,
                       {},
                       std::to_string(without.size()) +
                           " 个数据表没有可用的主键（没有主键，或主键含二进制字段），"
                           "没有生成主键方法：" +
                           names});
        }
    }

    if (input.Procedures) {
        std::string leftOut = ProceduresLeftOutText(input.Schema.Procedures);
        result.ProceduresLeftOut =
            static_cast<int>(input.Schema.Procedures.size() - WrittenProcedures(input).size());
        if (!leftOut.empty())
            host.Tell({RunNotice::ProceduresLeftOut, {}, leftOut});
    }

    if (RenderedFiles::Active()) {
        // A caller that only renders (a check against the disk).
        RenderRun(input, tree, identities, host, result);
    } else {
        // Every file is rendered first; one step then writes them, in order.
        std::vector<std::pair<std::string, std::string>> files;
        std::optional<EFCreateError> failed;
        {
            RenderedFiles rendered;
            try {
                RenderRun(input, tree, identities, host, result);
            } catch (const EFCreateError& e) {
                failed = e;  // a name that would leave the folder: what came before is written
            }
            for (const std::string& path : rendered.Order)
                files.emplace_back(path, rendered.Files[path]);
        }
        files = WriteOrder(std::move(files), tree);
        // Clearing spares what the run writes: a file written again with
        // the same bytes is never touched. The question comes only when
        // there is something to clear.
        std::vector<std::string> keep;
        keep.reserve(files.size());
        for (const auto& file : files)
            keep.push_back(file.first);
        std::size_t earlier = EarlierGeneratedFiles(tree, keep).size();
        if (earlier > 0 && host.ClearEarlierOutput(earlier))
            host.ClearOutput(tree, keep);
        WriteRendered(files, input, tree, result);
        if (failed)
            throw *failed;
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
    std::set<fs::path> kept = NormalPaths(keep);
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
        for (auto it = fs::directory_iterator(platform::FileSystemPath(folder), ec);
             !ec && it != fs::directory_iterator(); it.increment(ec)) {
            fs::file_status status = it->symlink_status(ec);
            if (!fs::is_regular_file(status) && !fs::is_symlink(status))
                continue;
            std::string name = platform::FromFileSystemPath(it->path().filename());
            if ((IsGeneratedName(name, runtime, classes) || platform::IsTemporaryFileName(name)) &&
                !kept.count(it->path().lexically_normal()))
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
