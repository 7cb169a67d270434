// The foreign keys of a whole database, in one statement.

#include "CatalogExtras.h"

#include "platform/Text.h"

#include <algorithm>
#include <map>

std::string TDBData::ForeignKeyStatement(int serverMajorVersion)
{
    // SQL Server 2000 has owners, not schemas.
    bool owners = serverMajorVersion > 0 && serverMajorVersion < 9;
    return platform::
        FillFields("SELECT ${Owner}([p].[uid]),[p].[name],COL_NAME([f].[fkeyid],[f].[fkey]),"
                   "${Owner}([r].[uid]),[r].[name],COL_NAME([f].[rkeyid],[f].[rkey]),"
                   "OBJECT_NAME([f].[constid]) FROM [sysforeignkeys] [f] JOIN [sysobjects] [p] ON "
                   "[p].[id]=[f].[fkeyid] JOIN [sysobjects] [r] ON [r].[id]=[f].[rkeyid] ORDER BY "
                   "1,2,[f].[constid],[f].[keyno]",
                   {{"Owner", owners ? "USER_NAME" : "SCHEMA_NAME"}});
}

bool TDBData::ReadForeignKeyRows(std::vector<ForeignKeyRow>& out)
{
    // Every row names a column of a key and the column it references: one
    // with a NULL (a column or table gone while it was read) is no answer.
    for (int i = 0; i < ExecSQLQuery->RecordCount(); ++i, ExecSQLQuery->Next()) {
        std::string texts[7];
        bool null = false;
        for (int c = 0; c < 7; ++c) {
            null = null || ExecSQLQuery->FieldIsNull(c);
            texts[c] = ExecSQLQuery->FieldIsNull(c)
                           ? std::string("NULL")
                           : platform::Printable(ExecSQLQuery->FieldText(c));
        }
        if (null) {
            Tell("外键的回答中有一行含 NULL（" + texts[0] + "." + texts[1] + "." + texts[2] +
                 " → " + texts[3] + "." + texts[4] + "." + texts[5] + "，约束 " + texts[6] +
                 "；表或字段可能在读取时被删除），读取失败");
            return false;
        }
        out.push_back({ExecSQLQuery->FieldText(0), ExecSQLQuery->FieldText(1),
                       ExecSQLQuery->FieldText(2), ExecSQLQuery->FieldText(3),
                       ExecSQLQuery->FieldText(4), ExecSQLQuery->FieldText(5),
                       ExecSQLQuery->FieldText(6)});
    }
    return true;
}

TDBData::Question TDBData::ForeignKeyQuestion(std::vector<ForeignKeyRow>& out)
{
    return {ForeignKeyStatement(ADOConnection1->ServerMajorVersion()),
            [this, &out] { return ReadForeignKeyRows(out); },
            {},
            7};
}

namespace {

std::string Named(const std::string& schema, const std::string& name)
{
    return platform::Printable(schema) + "." + platform::Printable(name);
}

bool HasColumn(const SchemaObject& object, const std::string& name)
{
    return std::any_of(object.Columns.begin(), object.Columns.end(),
                       [&](const SchemaColumn& c) { return c.Name == name; });
}

}  // namespace

bool AttachForeignKeys(TDBData& data, SchemaObjects& tables, const ListedObjects& listedTables,
                       const std::vector<TDBData::ForeignKeyRow>& rows)
{
    std::map<std::pair<std::string, std::string>, SchemaObject*> byName;
    for (SchemaObject& t : tables) {
        t.ForeignKeys.clear();
        byName[{t.Schema, t.Name}] = &t;
    }
    bool sound = true;
    auto fail = [&](const std::string& text) {
        data.TellReadFailure(text);
        sound = false;
    };
    // The rows of one key follow one another, in key order.
    for (std::size_t k = 0; k < rows.size();) {
        const TDBData::ForeignKeyRow& first = rows[k];
        std::size_t end = k;
        while (end < rows.size() && rows[end].Schema == first.Schema &&
               rows[end].Table == first.Table && rows[end].Constraint == first.Constraint)
            ++end;
        ForeignKey key{first.Constraint, {}, first.ReferencedSchema, first.ReferencedTable, {}};
        for (std::size_t r = k; r < end; ++r) {
            key.Columns.push_back(rows[r].Column);
            key.ReferencedColumns.push_back(rows[r].ReferencedColumn);
        }
        k = end;
        std::string owner =
            Named(first.Schema, first.Table) + "：外键 " + platform::Printable(first.Constraint);
        const char* const changed = "（表可能在读取时被更改），读取失败";
        // The statement names every table's keys, the server's own tables'
        // too (IsMSShipped, which the lists leave out): a key of a table
        // the lists did not name is none of the run's.
        if (!listedTables.count({first.Schema, first.Table}))
            continue;
        if (!listedTables.count({key.ReferencedSchema, key.ReferencedTable})) {
            fail(owner + " 引用的数据表 " + Named(key.ReferencedSchema, key.ReferencedTable) +
                 " 不在读到的数据表中" + changed);
            continue;
        }
        auto table = byName.find({first.Schema, first.Table});
        if (table == byName.end())
            continue;  // a table left out
        bool known = true;
        for (const std::string& column : key.Columns)
            if (!HasColumn(*table->second, column)) {
                fail(owner + " 的字段 " + platform::Printable(column) + " 不在读到的字段中" +
                     changed);
                known = false;
            }
        auto referenced = byName.find({key.ReferencedSchema, key.ReferencedTable});
        if (referenced != byName.end())
            for (const std::string& column : key.ReferencedColumns)
                if (!HasColumn(*referenced->second, column)) {
                    fail(owner + " 引用的字段 " + platform::Printable(column) + "（" +
                         Named(key.ReferencedSchema, key.ReferencedTable) + "）不在读到的字段中" +
                         changed);
                    known = false;
                }
        // A constraint named twice, or a column twice in one key: rows a
        // server does not send (a proxy that repeats them).
        bool repeated = false;
        for (const ForeignKey& earlier : table->second->ForeignKeys)
            repeated = repeated || earlier.Name == key.Name;
        for (std::size_t a = 0; a < key.Columns.size(); ++a)
            for (std::size_t b = 0; b < a; ++b)
                repeated = repeated || key.Columns[a] == key.Columns[b];
        if (repeated) {
            fail(owner + " 出现了两次（服务器的回答有重复的行），读取失败");
            continue;
        }
        if (known)
            table->second->ForeignKeys.push_back(key);
    }
    return sound;
}
