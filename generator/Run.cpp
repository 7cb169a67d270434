#include "Run.h"

#include "Genfunc.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/Text.h"

using platform::Gbk;

namespace {

const int kOkQuestion = platform::MB_OK | platform::MB_ICONQUESTION;
const int kOkWarning = platform::MB_OK | platform::MB_ICONWARNING;

std::vector<std::string> ClassNames(const TreeTexts& tree)
{
    std::vector<std::string> names;
    for (const TreeNode& node : tree)
        names.push_back(node.Text);
    return names;
}

// Tells the user that a name of the given top-level node cannot be used.
void TellNameRefused(const std::string& text, RunHost& host)
{
    host.MessageBox(text, Gbk("数据表名称非法"), platform::MB_OK | platform::MB_ICONINFORMATION);
}

void TellInvalidName(const std::string& owner, RunHost& host)
{
    TellNameRefused(owner + Gbk(":名称及字段名称不能包含汉字，必须以字母开头"), host);
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

// A name for a message, with its control characters shown as "\xNN".
std::string Shown(const std::string& name)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            out += std::string("\\x") + kHex[u >> 4] + kHex[u & 0x0F];
        else
            out += c;
    }
    return out;
}

// A catalogue name that the generated SQL cannot name; tells the user why.
bool RefuseCatalogName(const std::string& owner, const std::string& name, RunHost& host)
{
    if (HoldsControlCharacter(name)) {
        TellNameRefused(owner + ":" + Shown(name) + Gbk(":名称含有控制字符"), host);
        return true;
    }
    if (host.IsUnholdableName(name)) {
        TellNameRefused(owner + ":" + name + Gbk(":名称含有GBK无法表示的字符"), host);
        return true;
    }
    return false;
}

bool Taken(const std::string& name, const std::vector<std::string>& taken)
{
    for (const std::string& t : taken)
        if (platform::SameTextIgnoreCase(t, name))
            return true;
    return false;
}

// The node texts of one top-level node against the name rules.
bool NodeNamesValid(const TreeNode& node, bool tableTree)
{
    if (!IsValidClassName(node.Text))
        return false;
    for (const std::string& child : node.Children)
        if (!(tableTree ? IsValidParameterName(child) : IsValidIdentifier(child)))
            return false;
    return true;
}

// The whole check of one tree: the node texts, class names that another
// node already uses (ignoring case, as the file system may), a table's
// twin parameter names, and catalogue names the generated SQL cannot name.
// `classes` holds the class names of the trees checked before and gains
// this tree's.
bool CheckTree(const TreeTexts& tree, const NameList& names,
               const std::vector<ColumnList>& columnLists, bool tableTree,
               std::vector<std::string>& classes, RunHost& host)
{
    if (!CheckTreeNames(tree, host, tableTree))
        return false;
    for (std::size_t k = 0; k < tree.size(); ++k) {
        const TreeNode& node = tree[k];
        if (Taken(node.Text, classes)) {
            TellNameRefused(node.Text + Gbk(":与另一个数据表或视图的类名相同"), host);
            return false;
        }
        classes.push_back(node.Text);
        for (std::size_t i = 0; tableTree && i < node.Children.size(); ++i) {
            for (std::size_t j = 0; j < i; ++j)
                if (node.Children[j] == node.Children[i]) {
                    TellNameRefused(node.Text + ":" + node.Children[i] + Gbk(":字段名称重复"), host);
                    return false;
                }
        }
        if (k < names.size() && RefuseCatalogName(node.Text, names[k], host))
            return false;
        if (k < columnLists.size())
            for (const ColumnEntry& column : columnLists[k])
                if (RefuseCatalogName(node.Text, column.Name, host))
                    return false;
    }
    return true;
}

// True, after telling the user, when a column's type is in no group.
bool RefuseColumnTypes(const std::string& className, const ColumnList& columns, RunHost& host)
{
    for (const ColumnEntry& column : columns)
        if (!IsSupportedType(column.TypeName)) {
            host.MessageBox(className + Gbk(":数据类型不支持"), Gbk("提示"), kOkWarning);
            return true;
        }
    return false;
}

}  // namespace

bool MakeOutputDir(const std::string& path, RunHost& host)
{
    if (platform::DirectoryExists(path))
        return true;
    if (platform::CreateDirectoryA(path))
        return true;
    host.MessageBox(Gbk("创建输出目录出错"), Gbk("警告"), kOkWarning);
    return false;
}

bool CheckTreeNames(const TreeTexts& tree, RunHost& host, bool tableTree)
{
    for (const TreeNode& node : tree) {
        if (!NodeNamesValid(node, tableTree)) {
            TellInvalidName(node.Text, host);
            return false;
        }
    }
    return true;
}

NameList GenerateTreeFiles(const TreeTexts& tree, ProgressLabel label, const std::string& folder,
                           bool tableTree, const NameList& names,
                           const std::vector<ColumnList>& columnLists, IdentitySource& identities,
                           RunHost& host, RunResult& result)
{
    NameList written;
    for (std::size_t position = 0; position < tree.size(); ++position) {
        const TreeNode& node = tree[position];
        host.SetProgress(label, Gbk("正在生成..."));
        host.ProcessMessages();
        if (position >= names.size() || position >= columnLists.size())
            throw platform::Exception("The schema lists do not match the tree");
        const std::string& className = node.Text;
        const std::string& catalogName = names[position];
        const ColumnList& columns = columnLists[position];
        if (RefuseColumnTypes(className, columns, host)) {
            result.TypeRefused = true;
            return written;
        }
        if (tableTree) {
            if (!WriteTableOperatorFiles(folder, className, catalogName, columns, node.Children,
                                         identities)) {
                result.IdentityFailed = true;
                return written;
            }
        } else {
            WriteViewOperatorFiles(folder, className, catalogName, columns, node.Children);
        }
        written.push_back(className);
    }
    return written;
}

bool ChecksPass(const RunInput& input, RunHost& host)
{
    std::vector<std::string> classes;
    if (!CheckTree(input.TableTree, input.TableNames, input.TableColumns, true, classes, host) ||
        !CheckTree(input.ViewTree, input.ViewNames, input.ViewColumns, false, classes, host))
        return false;
    auto typesPass = [&host](const TreeTexts& tree, const std::vector<ColumnList>& lists) {
        for (std::size_t k = 0; k < tree.size() && k < lists.size(); ++k)
            if (RefuseColumnTypes(tree[k].Text, lists[k], host))
                return false;
        return true;
    };
    return typesPass(input.TableTree, input.TableColumns) &&
           typesPass(input.ViewTree, input.ViewColumns);
}

RunResult GenerateAll(const RunInput& input, const OutputTree& tree, IdentitySource& identities,
                      RunHost& host)
{
    RunResult result;
    if (input.DatabaseCount == 0) {
        host.MessageBox(Gbk("请先登录数据库"), Gbk("提示"), kOkQuestion);
        result.Outcome = RunOutcome::NotLoggedIn;
        return result;
    }
    for (const std::string& folder : {tree.OutputRoot(), tree.DBCommFolder(), tree.TablesFolder(),
                                      tree.StoredProcFolder()}) {
        if (!MakeOutputDir(folder, host)) {
            result.Outcome = RunOutcome::FolderFailed;
            return result;
        }
    }
    if (host.MessageBox(Gbk("是否清除上一次生成的文件?"), Gbk("提示"),
                        platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES)
        host.ClearOutput(tree);

    WriteStoredProcFiles(tree.StoredProcFolder());
    // DBComm names each operator after the files actually written: the
    // class names, which differ from the catalogue names for a relabelled
    // view.
    WriteDBCommFiles(tree.DBCommFolder(), ClassNames(input.TableTree), ClassNames(input.ViewTree));
    WriteTableOperatorBase(tree.TablesFolder());

    // The table tree, then the view tree: each checked, then walked. A run
    // that stops early writes DBComm again, naming only what it wrote.
    NameList writtenTables, writtenViews;
    bool stopped = false;
    auto nameOnlyWritten = [&] { WriteDBCommFiles(tree.DBCommFolder(), writtenTables, writtenViews); };
    struct Walk {
        const TreeTexts& Tree;
        const NameList& Names;
        const std::vector<ColumnList>& Columns;
        ProgressLabel Label;
        bool TableTree;
        NameList& Written;
        int& Count;
    };
    const Walk walks[] = {
        {input.TableTree, input.TableNames, input.TableColumns, ProgressLabel::Tables, true,
         writtenTables, result.TablesWritten},
        {input.ViewTree, input.ViewNames, input.ViewColumns, ProgressLabel::Views, false,
         writtenViews, result.ViewsWritten},
    };
    std::vector<std::string> classes;
    try {
        for (const Walk& walk : walks) {
            host.SetProgress(walk.Label, "");
            if (!CheckTree(walk.Tree, walk.Names, walk.Columns, walk.TableTree, classes, host)) {
                result.Outcome = RunOutcome::NameRefused;
                nameOnlyWritten();
                return result;
            }
            walk.Written = GenerateTreeFiles(walk.Tree, walk.Label, tree.TablesFolder(),
                                             walk.TableTree, walk.Names, walk.Columns, identities,
                                             host, result);
            walk.Count = static_cast<int>(walk.Written.size());
            if (walk.Written.size() != walk.Tree.size())
                stopped = true;
            host.SetProgress(walk.Label, Gbk("生成完毕.   "));
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
    host.OpenOutputRoot(tree.OutputRoot());
    return result;
}

std::string ClearBatchText()
{
    return Gbk("@echo off\r\n"
               "@echo 正在清除...\r\n"
               "@del /s /q /f Output\\*.*\r\n"
               "@ping 127.1>nul\r\n"
               "@echo 已清除，准备生成...\r\n"
               "@ping 127.1>nul\r\n"
               "@del /q /f \"%~f0\"");
}

void WriteClearBatch(const std::string& path)
{
    WriteTextFile(path, ClearBatchText());
}

std::string ClearScriptText()
{
    // Shown on a POSIX terminal, so the text stays UTF-8.
    return "#!/bin/sh\n"
           "echo '正在清除...'\n"
           "find Output -type f -exec rm -f {} +\n"
           "echo '已清除，准备生成...'\n"
           "rm -f \"$0\"\n";
}

void RunClearingScript(const OutputTree& tree)
{
#ifdef _WIN32
    std::string script = tree.ClearBatch();
    WriteClearBatch(script);
#else
    std::string script = tree.ClearScript();
    WriteTextFile(script, ClearScriptText());
#endif
    platform::RunScriptAndWait(script, tree.ProgramFolder);
}
