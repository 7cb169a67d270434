// Whether each column of a whole database allows NULL, in one statement.

#include "CatalogExtras.h"

#include "platform/Text.h"

#include <map>
#include <unordered_map>

std::string TDBData::NullabilityStatement(int serverMajorVersion)
{
    // SQL Server 2000 has owners, not schemas.
    bool owners = serverMajorVersion > 0 && serverMajorVersion < 9;
    return platform::FillFields(
        "SELECT ${Owner}([o].[uid]),[o].[name],[c].[name],[c].[isnullable] FROM [sysobjects] [o] "
        "JOIN [syscolumns] [c] ON [c].[id]=[o].[id] WHERE [o].[xtype] IN ('U','V') AND "
        "OBJECTPROPERTY([o].[id],'IsMSShipped')=0 ORDER BY 1,2,[c].[colid]",
        {{"Owner", owners ? "USER_NAME" : "SCHEMA_NAME"}});
}

bool TDBData::ReadNullabilityRows(std::vector<NullabilityRow>& out)
{
    for (int i = 0; i < ExecSQLQuery->RecordCount(); ++i, ExecSQLQuery->Next()) {
        bool null = false;
        for (int c = 0; c < 4; ++c)
            null = null || ExecSQLQuery->FieldIsNull(c);
        if (null) {
            auto shown = [this](int c) {
                return ExecSQLQuery->FieldIsNull(c)
                           ? std::string("NULL")
                           : platform::Printable(ExecSQLQuery->FieldText(c));
            };
            Tell("字段可否为 NULL 的回答中有一行含 NULL（" + shown(0) + "." + shown(1) + "." +
                 shown(2) + "；对象或字段可能在读取时被删除），读取失败");
            return false;
        }
        out.push_back({ExecSQLQuery->FieldText(0), ExecSQLQuery->FieldText(1),
                       ExecSQLQuery->FieldText(2), ExecSQLQuery->FieldText(3) != "0"});
    }
    return true;
}

TDBData::Question TDBData::NullabilityQuestion(std::vector<NullabilityRow>& out)
{
    return {NullabilityStatement(ADOConnection1->ServerMajorVersion()),
            [this, &out] { return ReadNullabilityRows(out); },
            {},
            4};
}

bool AttachNullability(TDBData& data, DatabaseSchema& schema, const ListedObjects& listed,
                       const std::vector<TDBData::NullabilityRow>& rows)
{
    // Each read object's columns by name, and whether a row has named them.
    struct Slot {
        SchemaColumn* Column;
        bool Named = false;
    };
    std::map<std::pair<std::string, std::string>, std::unordered_map<std::string, Slot>> objects;
    for (SchemaObjects* tree : {&schema.Tables, &schema.Views})
        for (SchemaObject& o : *tree) {
            auto& columns = objects[{o.Schema, o.Name}];
            for (SchemaColumn& c : o.Columns)
                columns.emplace(c.Name, Slot{&c});
        }
    bool sound = true;
    auto fail = [&](const std::string& text) {
        data.TellReadFailure(text);
        sound = false;
    };
    auto named = [](const std::string& schemaName, const std::string& name) {
        return platform::Printable(schemaName) + "." + platform::Printable(name);
    };
    const char* const changed = "（对象可能在读取时被更改），读取失败";
    for (const TDBData::NullabilityRow& row : rows) {
        std::pair<std::string, std::string> key{row.Schema, row.Object};
        if (!listed.count(key)) {
            fail(named(row.Schema, row.Object) + "：不在读到的数据表和视图中" + changed);
            continue;
        }
        auto object = objects.find(key);
        if (object == objects.end())
            continue;  // an object left out
        auto column = object->second.find(row.Column);
        if (column == object->second.end()) {
            fail(named(row.Schema, row.Object) + "：字段 " + platform::Printable(row.Column) +
                 " 不在读到的字段中" + changed);
            continue;
        }
        if (column->second.Named) {
            fail(named(row.Schema, row.Object) + "：字段 " + platform::Printable(row.Column) +
                 " 出现了两次（服务器的回答有重复的行），读取失败");
            continue;
        }
        column->second.Named = true;
        column->second.Column->Nullable = row.Nullable;
    }
    // Every column read has its answer.
    for (SchemaObjects* tree : {&schema.Tables, &schema.Views})
        for (SchemaObject& o : *tree)
            for (SchemaColumn& c : o.Columns)
                if (!objects.at({o.Schema, o.Name}).at(c.Name).Named)
                    fail(named(o.Schema, o.Name) + "：字段 " + platform::Printable(c.Name) +
                         " 没有读到可否为 NULL" + changed);
    if (sound)
        schema.NullabilityRead = true;
    return sound;
}
