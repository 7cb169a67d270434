// The checks a run makes before it writes anything, and the report of
// what they refuse.

#include "Run.h"

#include "Genfunc.h"
#include "OperatorNames.h"
#include "Rows.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

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
// Where the names go: the files' form, and who reads what it says.
struct NameRules {
    const OutputForm& Form;
    ReportReader Reader;
};

void CatalogNameProblems(const std::string& owner, const std::string& what, const std::string& name,
                         bool quotesMatter, const NameRules& rules, std::vector<RunProblem>& out)
{
    bool control = HoldsControlCharacter(name);
    bool held = rules.Form.CanHold(name);
    char quote = quotesMatter ? UnpairedQuote(name) : 0;
    if (!control && held && !quote)
        return;
    std::string head = Shown(owner) + ":" + what + Shown(name) + ":";
    const RunProblem::Kind kind = RunProblem::CatalogName;
    if (control)
        out.push_back({kind, head + "名称含有控制字符" + kServerRename});
    if (!held && !OutputForm::Wide().CanHold(name))
        out.push_back(
            {kind, head + "名称含有不成对的 UTF-16 代理项，任何文件编码都写不出" + kServerRename});
    else if (!held)
        // The Unicode form holds every other name the server does.
        out.push_back(
            {kind, head + "名称含有GBK无法表示的字符（" +
                       (rules.Reader == ReportReader::Window
                            ? std::string("勾选“Unicode”生成 C++Builder 2009 及以后的形式")
                            : std::string("加 --unicode 生成 C++Builder 2009 及以后的形式")) +
                       "，或在数据库中改名）"});
    if (quote)
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
    if (label.size() > maxLength)
        return true;
    if (folder.empty())
        return false;
    // A valid label is ASCII: as many units as bytes on every file system,
    // after the folder's own path, measured once.
    static thread_local std::pair<std::string, std::size_t> measured;
    if (measured.first != folder)
        measured = {folder, platform::PathLength(InFolder(folder, std::string()))};
    bool ascii = std::all_of(longest.begin(), longest.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    std::size_t length =
        ascii ? measured.second + longest.size() : platform::PathLength(InFolder(folder, longest));
    return length + temporary > platform::kMaxPathLength;
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
    const SchemaObject* Object;  // named in a message as schema.name
    std::string Named() const
    {
        return Shown(Object->InDbo() ? Object->Name : Object->Schema + "." + Object->Name);
    }
};
// The classes checked so far, found by their names as the clashes compare
// them (ignoring case; exactly, with a suffix), so that each object is
// checked against all the others in time that does not grow with them.
class CheckedClasses {
public:
    void Add(const CheckedClass& c)
    {
        byFolded_[platform::AsciiLower(c.Label)].push_back(list_.size());
        byLabel_[c.Label].push_back(list_.size());
        list_.push_back(c);
    }
    // The earlier classes a label clashes with (twins, and enumerators of
    // DBComm that one's operator class would hide), in the order checked.
    std::vector<std::pair<const CheckedClass*, ClassClash>> ClashesOf(
        const std::string& label) const
    {
        std::vector<std::pair<std::size_t, ClassClash>> found;
        auto take = [&](const auto& index, const std::string& key, ClassClash clash) {
            if (auto it = index.find(key); it != index.end())
                for (std::size_t k : it->second)
                    found.emplace_back(k, clash);
        };
        take(byFolded_, platform::AsciiLower(label), ClassClash::Twin);
        const std::string suffix = "Operator";
        take(byLabel_, label + suffix, ClassClash::Enumerator);
        if (label.size() > suffix.size() &&
            label.compare(label.size() - suffix.size(), suffix.size(), suffix) == 0)
            take(byLabel_, label.substr(0, label.size() - suffix.size()), ClassClash::Enumerator);
        std::sort(found.begin(), found.end());
        std::vector<std::pair<const CheckedClass*, ClassClash>> out;
        out.reserve(found.size());
        for (const auto& [k, clash] : found)
            out.emplace_back(&list_[k], clash);
        return out;
    }

private:
    std::vector<CheckedClass> list_;
    std::unordered_map<std::string, std::vector<std::size_t>> byFolded_, byLabel_;
};

std::vector<RunProblem> ObjectProblems(const SchemaObject& o, bool tableTree, bool labelsValid,
                                       CheckedClasses& classes, const GuardSet& guards,
                                       const std::string& tablesFolder, const NameRules& rules)
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
        for (const auto& [found, clash] : classes.ClashesOf(o.Label)) {
            const CheckedClass& other = *found;
            if (clash == ClassClash::Twin) {
                out.push_back({RunProblem::Clash, owner + ":与另一个数据表或视图（" +
                                                      other.Named() +
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
        std::unordered_set<std::string> columns;
        for (std::size_t i = 0; tableTree && i < o.Columns.size(); ++i)
            if (!columns.insert(o.Columns[i].Label).second)
                out.push_back({RunProblem::Clash, owner + ":" + Shown(o.Columns[i].Label) +
                                                      ":字段名称重复（改名后可生成）"});
        classes.Add({o.Label, &o});
    }
    CatalogNameProblems(o.Label, "", o.Name, true, rules, out);
    if (!o.Schema.empty())
        CatalogNameProblems(o.Label, "架构 ", o.Schema, true, rules, out);
    for (const SchemaColumn& c : o.Columns)
        CatalogNameProblems(o.Label, "字段 ", c.Name, tableTree, rules, out);
    return out;
}
}  // namespace

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
    const NameRules rules{input.Form, input.Reader};
    // Procedures by their labels ignoring case, and the tables' and views'
    // class names.
    std::unordered_map<std::string, std::string> procedures;
    std::unordered_set<std::string> classes;
    for (const SchemaObjects* tree : {&input.Schema.Tables, &input.Schema.Views})
        for (const SchemaObject& t : *tree)
            classes.insert(t.Label);
    std::string folder =
        tablesFolder.empty() ? std::string() : ProceduresFolderBeside(tablesFolder);
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
            std::unordered_set<std::string> parameters;
            for (const SchemaColumn& c : o.Columns)
                if (!parameters.insert(c.Label).second)
                    out.push_back({RunProblem::Clash,
                                   owner + ":" + Shown(c.Label) + ":参数名称重复（改名后可生成）"});
            procedures.emplace(folded, Shown(o.InDbo() ? o.Name : o.Schema + "." + o.Name));
        }
        // The name goes in a literal the VCL does not scan for parameters.
        CatalogNameProblems(owner, "", o.Name, false, rules, out);
        if (!o.Schema.empty())
            CatalogNameProblems(owner, "架构 ", o.Schema, false, rules, out);
        for (const SchemaColumn& c : o.Columns)
            CatalogNameProblems(owner, "参数 ", c.Name, false, rules, out);
    }
}

// Every problem of the typed rows a run writes: a row type's name that
// cannot be a class, or that is the label of another object (DBComm's
// enumerator of that name); a column label the row or its methods cannot
// carry. Objects whose labels are refused already are left to that.
void RowProblems(const RunInput& input, std::vector<RunProblem>& out)
{
    std::unordered_set<std::string> labels;
    for (const SchemaObjects* tree : {&input.Schema.Tables, &input.Schema.Views})
        for (const SchemaObject& o : *tree)
            labels.insert(o.Label);
    for (int t = 0; t < 2; ++t) {
        bool tableTree = t == 0;
        for (const SchemaObject& o : tableTree ? input.Schema.Tables : input.Schema.Views) {
            if (!LabelsValid(o, tableTree))
                continue;
            std::string row = RowTypeName(o.Label);
            std::string owner = Shown(o.Label) + ":类型化行 " + Shown(row);
            if (!IsValidClassName(row))
                out.push_back({RunProblem::Reserved,
                               owner + ":是 C++ 关键字、<windows.h> 的宏或已用的名称" + kRename});
            else if (labels.count(row))
                out.push_back({RunProblem::Clash, owner + ":与 DBComm 中数据表或视图 " +
                                                      Shown(row) + " 的枚举名相同" + kRename});
            for (const SchemaColumn& c : o.Columns)
                if (c.Label == row || !IsValidRowColumnName(c.Label, tableTree))
                    out.push_back({RunProblem::Reserved,
                                   Shown(o.Label) + ":" + Shown(c.Label) +
                                       ":字段名称是类型化行的代码中已用的名称" + kRename});
        }
    }
}

}  // namespace

std::vector<RunProblem> RunProblemList(const RunInput& input, const std::string& tablesFolder)
{
    const char* const rename = kRename;
    std::vector<RunProblem> problems;
    CheckedClasses classes;
    const NameRules rules{input.Form, input.Reader};
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
                 ObjectProblems(o, tableTree, labelsOk, classes, guards, tablesFolder, rules))
                problems.push_back(std::move(p));
            for (const SchemaColumn& c : o.Columns)
                if (!IsSupportedType(c.TypeName))
                    problems.push_back(
                        {RunProblem::Type,
                         Shown(o.Label) + ":" + Shown(c.Label) + ":数据类型 " +
                             (c.TypeName.empty() ? std::string("（未知）") : Shown(c.TypeName)) +
                             (input.Reader == ReportReader::Window
                                  ? " 不支持（选用扩展类型，或把它指定为某一类型组后可生成）"
                                  : " 不支持（加 --types extended，或用 --type "
                                    "指定它的类型组后可生成）")});
        }
    }
    ProcedureProblems(input, guards, tablesFolder, problems);
    if (input.Rows)
        RowProblems(input, problems);
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
