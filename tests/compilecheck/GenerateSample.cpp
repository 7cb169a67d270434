// Writes the whole generated library for a sample schema (or an empty one)
// under the given folder, as the generation run lays it out.

#include "generator/Genfunc.h"
#include "generator/Run.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "support/SampleProcedures.h"

#include <cstdio>
#include <cstring>
#include <map>

namespace {

struct Object {
    std::string ClassName;
    std::string CatalogName;
    ColumnList Columns;
    IdentityNames Identity;  // the unwritable columns
    std::string Schema = {};
    TableKeys Keys = {};  // the primary key and IDENTITY column
};

class SampleIdentities : public IdentitySource {
public:
    explicit SampleIdentities(const std::vector<Object>& tables)
    {
        for (const Object& t : tables)
            byName_[t.CatalogName] = t.Identity;
    }
    bool GetIdentityColumns(const SchemaObject& table, IdentityNames& out) override
    {
        const IdentityNames& ids = byName_[table.Name];
        out.insert(out.end(), ids.begin(), ids.end());
        return true;
    }

private:
    std::map<std::string, IdentityNames> byName_;
};

ColumnList EveryType()
{
    ColumnList columns;
    for (const char* type :
         {"image",   "text",    "tinyint",    "smallint", "int",       "smalldatetime",
          "real",    "money",   "datetime",   "float",    "ntext",     "bit",
          "decimal", "numeric", "smallmoney", "bigint",   "varbinary", "varchar",
          "binary",  "char",    "timestamp",  "nvarchar", "nchar",     "sysname"})
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
    if (object.ClassName == "OrderDetails")
        return {"OrderID", "ProductID", "UnitPrice"};
    if (object.ClassName == "HanGuk")
        return {"No", "Face", "Name"};
    NameList names;
    for (const ColumnEntry& c : object.Columns)
        names.push_back(c.Name);
    return names;
}

// Hostile names, each with the verdict the run's checks must give: a name
// they accept must compile.
struct Hostile {
    const char* what;
    std::string ClassName, CatalogName, Parameter, ColumnName;
    bool Accepted;
};

// The names for a form of the files: the Unicode form holds every name
// the server does but an unpaired surrogate, GBK far fewer.
std::vector<Hostile> HostileNames(bool unicode)
{
    std::vector<Hostile> rows;
    // Class names, on a table with one sane column.
    for (const char* name : {"a b", "a-b", "a'b", "a%b", "a]b", "", "A\rB", "A\nB", "int", "class",
                             "DBTable", "dbtable", "DBComm", "DBStoredProc", "Tables", "Instance",
                             "NULL", "Exception", "std", "String", "DBTableOperator",
                             // Macros of <windows.h>.
                             "IGNORE", "INFINITE", "MAX_PATH", "THIS", "hyper", "NO_ERROR", "S_OK",
                             "PURE", "IN", "OPTIONAL", "CONST", "TEXT", "DELETE",
                             // Include guards of the runtime.
                             "DBCommH", "DBStoredProcH", "DBTableOperatorH"})
        rows.push_back({"class", name, "X", "x", "x", false});
    for (const char* name : {"T", "H", "Operator", "DB", "m_query", "Delete", "dt", "Ignore",
                             "Infinite", "This", "S_O"})
        rows.push_back({"class", name, "X", "x", "x", true});
    // Parameter names, each on a table of its own.
    for (const char* name : {"nCount",          "m_query",  "m_datasource", "strSql", "condition",
                             "String",          "TStream",  "ftBlob",       "Get",    "InitQuery",
                             "ExecSQLNonQuery", "float",    "a b",          "a-b",    "",
                             "IGNORE",          "INFINITE", "MAX_PATH",     "THIS",   "hyper",
                             "NO_ERROR",        "S_OK",     "PURE",         "IN",     "OUT",
                             "DBTableOperatorH"})
        rows.push_back({"parameter", "", "X", name, "x", false});
    for (const char* name : {"New", "Update", "Source", "Query", "Value", "Items", "Parameters",
                             "SetConnection", "LoadFromStream", "e", "it", "conn", "T"})
        rows.push_back({"parameter", "", "X", name, "x", true});
    // Catalogue names: they reach the generated SQL texts only.
    for (std::string name :
         {std::string("a b"), std::string("a''b"), std::string("a'b\"c"), std::string("a\\b"),
          std::string("a]b"), std::string("100%s%%"), std::string("A\rB"), std::string("A\nB"),
          std::string("乗"), std::string("乚]"), std::string(""), std::string("a:b"),
          std::string("::"), std::string("a':b'"), std::string("`:x`:y"), std::string("乣:")})
        for (bool column : {false, true})
            rows.push_back({column ? "column" : "table", "", column ? "X" : name, "x",
                            column ? name : "x", true});
    // A quote without its pair would leave the parameter scan in a literal.
    for (std::string name :
         {std::string("A\tB"), std::string("A\0B", 3), std::string("\x7F"), std::string("a'b"),
          std::string("a\"b"), std::string("`"), std::string("a'b'c'"),
          // An unpaired surrogate, which no file encoding holds.
          std::string("a\xED\xA0\x80")})
        for (bool column : {false, true})
            rows.push_back({column ? "column" : "table", "", column ? "X" : name, "x",
                            column ? name : "x", false});
    // Characters the generated files' GBK cannot hold: Korean, an emoji,
    // Latin letters with accents, a character outside the BMP.
    for (std::string name : {std::string("E😀"), std::string("한국어"), std::string("Façade"),
                             std::string("Straße"), std::string("𠀀:x")})
        for (bool column : {false, true})
            rows.push_back({column ? "column" : "table", "", column ? "X" : name, "x",
                            column ? name : "x", unicode});
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].ClassName.empty() && std::string(rows[i].what) != "class")
            rows[i].ClassName = "Hostile" + std::to_string(i);
    return rows;
}

// The accepted hostile names as tables (every one also with a blob column,
// which binds differently); false when a verdict is not the expected one.
bool HostileTables(std::vector<Object>& tables, const OutputForm& form)
{
    bool asExpected = true;
    for (const Hostile& h : HostileNames(form.Unicode)) {
        RunInput in;
        in.DatabaseCount = 1;
        in.Form = form;
        ColumnList columns = {{h.ColumnName, "int"}, {"blob", "image"}};
        SchemaObject table = NamedObject(h.CatalogName, columns);
        table.Label = h.ClassName;
        table.Columns[0].Label = h.Parameter;
        table.Columns[1].Label = "Blob";
        in.Schema.Tables = {table};
        QuietRunHost quiet;
        bool accepted = ChecksPass(in, quiet);
        if (accepted != h.Accepted) {
            std::fprintf(stderr, "%s name \"%s%s%s\": %s, expected %s\n", h.what,
                         h.ClassName.c_str(), h.Parameter.c_str(), h.ColumnName.c_str(),
                         accepted ? "accepted" : "refused", h.Accepted ? "accepted" : "refused");
            asExpected = false;
        }
        // Keyed by the hostile column: every key method binds it under its
        // hostile label.
        if (accepted)
            tables.push_back({h.ClassName, h.CatalogName, columns, {}, "", {{h.ColumnName}, ""}});
    }
    return asExpected;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: %s FOLDER [--empty | --hostile] [--keys] [--procedures] [--unicode]\n",
                     argv[0]);
        return 2;
    }
    bool empty = false, hostile = false, keys = false, procedures = false, unicode = false;
    for (int i = 2; i < argc; ++i) {
        unicode = unicode || std::strcmp(argv[i], "--unicode") == 0;
        procedures = procedures || std::strcmp(argv[i], "--procedures") == 0;
        empty = empty || std::strcmp(argv[i], "--empty") == 0;
        hostile = hostile || std::strcmp(argv[i], "--hostile") == 0;
        keys = keys || std::strcmp(argv[i], "--keys") == 0;
    }

    const OutputForm form = unicode ? OutputForm::Wide() : OutputForm::Ansi();
    std::vector<Object> tables, views;
    std::map<std::string, NameList> hostileParameters;
    if (hostile) {
        if (!HostileTables(tables, form))
            return 1;
        for (const Hostile& h : HostileNames(unicode))
            hostileParameters[h.ClassName] = {h.Parameter, "Blob"};
    } else if (!empty) {
        tables = {
            {"AllTypes", "AllTypes", EveryType(), {}},
            {"Log", "Log", {{"ID", "bigint"}}, {"ID"}, "", {{"ID"}, "ID"}},
            // An IDENTITY column, no primary key.
            {"Member", "Member", {{"Name", "varchar"}, {"ID", "int"}}, {"ID"}, "", {{}, "ID"}},
            {"OddTable", "O'd]d:Ta'ble%", {{"Val]ue%:x", "int"}}, {}, "", {{"Val]ue%:x"}, ""}},
            {"Orders",
             "Orders",
             {{"OrderNo", "int"}, {"Amount", "money"}, {"Note", "text"}},
             {},
             "",
             {{"OrderNo"}, ""}},
            {"Staff",
             "Staff",
             {{"ID", "int"}, {"Name", "varchar"}, {"Joined", "datetime"}, {"Photo", "image"}},
             {"ID"},
             "",
             {{"ID"}, "ID"}},
            {"Users",
             "Users",
             {{"ID", "int"}, {"UserName", "nvarchar"}, {"Age", "int"}},
             {"ID"},
             "",
             {{"ID"}, "ID"}},
            // Amounts and ids past what a float and an int hold.
            {"Ledger",
             "Ledger",
             {{"EntryID", "bigint"}, {"Amount", "decimal"}, {"Fee", "money"}},
             {},
             "",
             {{"EntryID"}, ""}},
            // A decimal key past what a double holds, numbered by the server.
            {"Voucher",
             "Voucher",
             {{"No", "decimal"}, {"Memo", "varchar"}},
             {"No"},
             "",
             {{"No"}, "No"}},
            // A key of two columns, not in the columns' order.
            {"OrderDetails",
             "Order Details",
             {{"OrderID", "int"}, {"ProductID", "int"}, {"Unit Price", "money"}},
             {},
             "",
             {{"ProductID", "OrderID"}, ""}},
            // Outside dbo, with every kind of column a program may not write.
            {"Invoice",
             "Invoice",
             {{"InvoiceID", "int"},
              {"Customer", "nvarchar"},
              {"Price", "money"},
              {"Total", "money"},
              {"RowVer", "timestamp", "timestamp"},
              {"ValidFrom", "datetime"},
              {"ValidTo", "datetime"}},
             {"InvoiceID", "Total", "ValidFrom", "ValidTo"},
             "Sa]les",
             {{"InvoiceID"}, "InvoiceID"}},
            // A Chinese table whose node texts were translated to pinyin.
            {"YongHuBiao",
             "用户表",
             {{"编号", "int"}, {"姓名", "nvarchar"}},
             {"编号"},
             "",
             {{"编号"}, "编号"}},
        };
        // Names only the Unicode form holds: a Korean table with an emoji
        // column, in a schema with a ç, its key keyed.
        if (unicode)
            tables.push_back({"HanGuk",
                              "한국어표",
                              {{"번호", "int"}, {"E😀", "nvarchar"}, {"Straße", "varchar"}},
                              {},
                              "Façade",
                              {{"번호"}, ""}});
        views = {
            {"V_Users", "V_Users", {{"UserName", "nvarchar"}, {"Age", "int"}}, {}},
            {"Report", "V_Report", {{"Total", "money"}}, {}},
            {"OddView", "Odd]Vi:ew%", {{"x", "int"}}, {}},
            {"V_Invoices", "V_Invoices", {{"Customer", "nvarchar"}}, {}, "Sales"},
        };
    }

    OutputTree tree(argv[1]);
    for (const std::string& folder : {tree.OutputRoot(), tree.DBCommFolder(), tree.TablesFolder(),
                                      tree.StoredProcFolder(), tree.ProceduresFolder()})
        if (!platform::DirectoryExists(folder) && !platform::MakeDirectory(folder)) {
            std::fprintf(stderr, "cannot make %s\n", folder.c_str());
            return 1;
        }

    NameList tableClasses, viewClasses;
    for (const Object& t : tables)
        tableClasses.push_back(t.ClassName);
    for (const Object& v : views)
        viewClasses.push_back(v.ClassName);

    SampleIdentities identities(tables);
    WriteStoredProcFiles(tree.StoredProcFolder(), form);
    WriteDBCommFiles(tree.DBCommFolder(), tableClasses, viewClasses, procedures, form);
    if (procedures)
        for (const SchemaObject& p : testsupport::SampleProcedures(unicode))
            WriteProcedureFiles(tree.ProceduresFolder(), p, form);
    WriteTableOperatorBase(tree.TablesFolder(), keys, form);
    for (const Object& t : tables) {
        IdentityNames identity;
        identities.GetIdentityColumns(NamedObject(t.CatalogName, t.Columns), identity);
        WriteTableOperatorFiles(tree.TablesFolder(), t.ClassName, t.CatalogName, t.Columns,
                                hostile ? hostileParameters[t.ClassName] : ParameterNames(t),
                                identity, t.Schema, keys ? &t.Keys : nullptr, form);
    }
    for (const Object& v : views)
        WriteViewOperatorFiles(tree.TablesFolder(), v.ClassName, v.CatalogName, v.Schema, form);
    return 0;
}
