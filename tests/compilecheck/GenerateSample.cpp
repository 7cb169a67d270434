// Writes the whole generated library for a sample schema (or an empty one)
// under the given folder, as the generation run lays it out.

#include "generator/Genfunc.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <cstdio>
#include <cstring>
#include <map>

namespace {

struct Object {
    std::string ClassName;
    std::string CatalogName;
    ColumnList Columns;
    IdentityNames Identity;
};

class SampleIdentities : public IdentitySource {
public:
    explicit SampleIdentities(const std::vector<Object>& tables)
    {
        for (const Object& t : tables)
            byName_[t.CatalogName] = t.Identity;
    }
    bool GetIdentityColumns(const std::string& name, IdentityNames& out) override
    {
        const IdentityNames& ids = byName_[name];
        out.insert(out.end(), ids.begin(), ids.end());
        return true;
    }

private:
    std::map<std::string, IdentityNames> byName_;
};

ColumnList EveryType()
{
    ColumnList columns;
    for (const char* type : {"image", "text", "tinyint", "smallint", "int", "smalldatetime",
                             "real", "money", "datetime", "float", "ntext", "bit", "decimal",
                             "numeric", "smallmoney", "bigint", "varbinary", "varchar", "binary",
                             "char", "timestamp", "nvarchar", "nchar", "sysname"})
        columns.push_back({std::string("c_") + type, type});
    return columns;
}

// The column nodes' texts; the odd table's column node was relabelled.
NameList ParameterNames(const Object& object)
{
    if (object.ClassName == "OddTable")
        return {"Value"};
    if (object.ClassName == "YongHuBiao")
        return {"BianHao", "XingMing"};
    NameList names;
    for (const ColumnEntry& c : object.Columns)
        names.push_back(c.Name);
    return names;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [--empty]\n", argv[0]);
        return 2;
    }
    bool empty = argc > 2 && std::strcmp(argv[2], "--empty") == 0;

    std::vector<Object> tables, views;
    if (!empty) {
        tables = {
            {"AllTypes", "AllTypes", EveryType(), {}},
            {"Log", "Log", {{"ID", "int"}}, {"ID"}},
            {"Member", "Member", {{"Name", "varchar"}, {"ID", "int"}}, {"ID"}},
            {"OddTable", "Odd]Table%", {{"Val]ue%", "int"}}, {}},
            {"Orders", "Orders", {{"OrderNo", "int"}, {"Amount", "money"}, {"Note", "text"}}, {}},
            {"Staff", "Staff",
             {{"ID", "int"}, {"Name", "varchar"}, {"Joined", "datetime"}, {"Photo", "image"}},
             {"ID"}},
            {"Users", "Users", {{"ID", "int"}, {"UserName", "nvarchar"}, {"Age", "int"}}, {"id"}},
            // A Chinese table whose node texts were translated to pinyin.
            {"YongHuBiao", platform::Gbk("用户表"),
             {{platform::Gbk("编号"), "int"}, {platform::Gbk("姓名"), "nvarchar"}},
             {platform::Gbk("编号")}},
        };
        views = {
            {"V_Users", "V_Users", {{"UserName", "nvarchar"}, {"Age", "int"}}, {}},
            {"Report", "V_Report", {{"Total", "money"}}, {}},
            {"OddView", "Odd]View%", {{"x", "int"}}, {}},
        };
    }

    OutputTree tree(argv[1]);
    for (const std::string& folder : {tree.OutputRoot(), tree.DBCommFolder(), tree.TablesFolder(),
                                      tree.StoredProcFolder()})
        if (!platform::DirectoryExists(folder) && !platform::CreateDirectoryA(folder)) {
            std::fprintf(stderr, "cannot make %s\n", folder.c_str());
            return 1;
        }

    NameList tableClasses, viewClasses;
    for (const Object& t : tables)
        tableClasses.push_back(t.ClassName);
    for (const Object& v : views)
        viewClasses.push_back(v.ClassName);

    SampleIdentities identities(tables);
    WriteStoredProcFiles(tree.StoredProcFolder());
    WriteDBCommFiles(tree.DBCommFolder(), tableClasses, viewClasses);
    WriteTableOperatorBase(tree.TablesFolder());
    for (const Object& t : tables)
        WriteTableOperatorFiles(tree.TablesFolder(), t.ClassName, t.CatalogName, t.Columns,
                                ParameterNames(t), identities);
    for (const Object& v : views)
        WriteViewOperatorFiles(tree.TablesFolder(), v.ClassName, v.CatalogName, v.Columns,
                               ParameterNames(v));
    return 0;
}
