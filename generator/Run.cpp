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

// Tells the user of an invalid name in the tree of the given top-level node.
void TellInvalidName(const std::string& owner, RunHost& host)
{
    host.MessageBox(owner + Gbk(":名称及字段名称不能包含汉字，必须以字母开头"), Gbk("数据表名称非法"),
                    platform::MB_OK | platform::MB_ICONINFORMATION);
}

// The name check of one tree, and the refusal of a node whose catalogue name
// names no object.
bool CheckTree(const TreeTexts& tree, const NameList& names, RunHost& host)
{
    if (!CheckTreeNames(tree, host))
        return false;
    for (std::size_t k = 0; k < tree.size() && k < names.size(); ++k) {
        if (host.IsUnholdableName(names[k])) {
            TellInvalidName(tree[k].Text, host);
            return false;
        }
    }
    return true;
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

bool CheckTreeNames(const TreeTexts& tree, RunHost& host)
{
    std::string owner;
    for (const TreeNode& node : tree) {
        owner = node.Text;
        bool ok = IsValidIdentifier(node.Text);
        for (std::size_t i = 0; ok && i < node.Children.size(); ++i)
            ok = IsValidIdentifier(node.Children[i]);
        if (!ok) {
            TellInvalidName(owner, host);
            return false;
        }
    }
    return true;
}

int GenerateTreeFiles(const TreeTexts& tree, ProgressLabel label, const std::string& folder,
                      bool tableTree, const NameList& names,
                      const std::vector<ColumnList>& columnLists, IdentitySource& identities,
                      RunHost& host, bool& typeRefused)
{
    int written = 0;
    for (std::size_t position = 0; position < tree.size(); ++position) {
        const TreeNode& node = tree[position];
        host.SetProgress(label, Gbk("正在生成..."));
        host.ProcessMessages();
        if (position >= names.size() || position >= columnLists.size())
            throw platform::Exception("The schema lists do not match the tree");
        const std::string& className = node.Text;
        const std::string& catalogName = names[position];
        const ColumnList& columns = columnLists[position];
        for (const ColumnEntry& column : columns) {
            if (!IsSupportedType(column.TypeName)) {
                host.MessageBox(className + Gbk(":数据类型不支持"), Gbk("提示"), kOkWarning);
                typeRefused = true;
                return written;
            }
        }
        if (tableTree)
            WriteTableOperatorFiles(folder, className, catalogName, columns, node.Children,
                                    identities);
        else
            WriteViewOperatorFiles(folder, className, catalogName, columns, node.Children);
        ++written;
    }
    return written;
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

    // The table tree, then the view tree: each checked, then walked.
    struct Walk {
        const TreeTexts& Tree;
        const NameList& Names;
        const std::vector<ColumnList>& Columns;
        ProgressLabel Label;
        bool TableTree;
        int& Written;
    };
    const Walk walks[] = {
        {input.TableTree, input.TableNames, input.TableColumns, ProgressLabel::Tables, true,
         result.TablesWritten},
        {input.ViewTree, input.ViewNames, input.ViewColumns, ProgressLabel::Views, false,
         result.ViewsWritten},
    };
    for (const Walk& walk : walks) {
        host.SetProgress(walk.Label, "");
        if (!CheckTree(walk.Tree, walk.Names, host)) {
            result.Outcome = RunOutcome::NameRefused;
            return result;
        }
        walk.Written = GenerateTreeFiles(walk.Tree, walk.Label, tree.TablesFolder(), walk.TableTree,
                                         walk.Names, walk.Columns, identities, host,
                                         result.TypeRefused);
        host.SetProgress(walk.Label, Gbk("生成完毕.   "));
    }
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
               "@del /s /q /f %0");
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
