#include "CatalogReader.h"

#include "CatalogExtras.h"

#include "platform/Text.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

const char* const kRelationsUnread = "读不到数据表的外键，没有生成";
const char* const kNullabilityUnread = "读不到字段是否允许 NULL，没有生成";

// An object that changed while it was read: its schema gone (the list
// named none) or its columns gone (none came back). It is told and left
// out, so that nothing is generated from it nor from a twin of its name.
bool Changed(TDBData& data, const SchemaObject& o, bool schemaKnown, bool columnsRead,
             const ColumnList& columns)
{
    if (!schemaKnown) {
        data.TellReadFailure(platform::Printable(o.Name) +
                             "：读不到它的架构（架构可能在读取时被删除或更改），"
                             "没有从它生成");
        return true;
    }
    if (columnsRead && columns.empty()) {
        data.TellReadFailure(platform::Printable(o.Schema) + "." + platform::Printable(o.Name) +
                             "：读不到它的字段（对象可能在读取时被删除），"
                             "没有从它生成");
        return true;
    }
    return false;
}

// Gives each table its primary key and IDENTITY column from the
// database-wide rows, matched by schema and name exactly (a table's rows
// name it as the list did). A key column the table does not have means the
// table changed while it was read: told, and false.
bool AttachKeys(TDBData& data, SchemaObjects& tables,
                const std::vector<TDBData::TableColumnRow>& keys,
                const std::vector<TDBData::TableColumnRow>& identities)
{
    std::map<std::pair<std::string, std::string>, SchemaObject*> byName;
    for (SchemaObject& t : tables)
        byName[{t.Schema, t.Name}] = &t;
    bool consistent = true;
    for (const TDBData::TableColumnRow& row : keys) {
        auto it = byName.find({row.Schema, row.Table});
        if (it == byName.end())
            continue;  // a table left out, or one created since the list
        SchemaObject& t = *it->second;
        bool known = false;
        for (const SchemaColumn& c : t.Columns)
            known = known || c.Name == row.Column;
        std::string table = platform::Printable(t.Schema) + "." + platform::Printable(t.Name);
        if (!known) {
            data.TellReadFailure(table + "：主键字段 " + platform::Printable(row.Column) +
                                 " 不在读到的字段中（表可能在读取时被更改），没有从它生成");
            consistent = false;
        }
        if (std::find(t.Key.begin(), t.Key.end(), row.Column) != t.Key.end()) {
            data.TellReadFailure(table + "：主键字段 " + platform::Printable(row.Column) +
                                 " 出现了两次（服务器的回答有重复的行），读取失败");
            consistent = false;
            continue;
        }
        t.Key.push_back(row.Column);
    }
    for (const TDBData::TableColumnRow& row : identities) {
        auto it = byName.find({row.Schema, row.Table});
        if (it != byName.end())
            it->second->IdentityColumn = row.Column;
    }
    return consistent;
}

// Keeps each listed procedure whose parameters were read and that the
// list asked again still names: one the second list lacks was dropped
// meanwhile (a procedure without parameters answers no rows either), and
// is a failed read. `at` is where the parameters' answers begin.
bool AttachProcedures(TDBData& data, const SchemaObjects& procedures,
                      const std::vector<ColumnList>& parameters, const std::vector<bool>& answered,
                      std::size_t at, bool listRead, bool relistRead, const SchemaObjects& relisted,
                      DatabaseSchema& out)
{
    bool allRead = listRead && relistRead;
    std::set<std::pair<std::string, std::string>> listedAgain;
    for (const SchemaObject& r : relisted)
        listedAgain.emplace(r.Schema, r.Name);
    for (std::size_t k = 0; k < procedures.size(); ++k) {
        const SchemaObject& p = procedures[k];
        bool known = !p.Schema.empty();
        bool read = known && answered[at++];
        bool still = listedAgain.count({p.Schema, p.Name}) != 0;
        if (!known || (read && relistRead && !still)) {
            data.TellReadFailure(
                platform::Printable(p.Schema) + "." + platform::Printable(p.Name) +
                (known ? "：存储过程在读取时不见了（可能被删除或改名），没有从它生成"
                       : "：读不到它的架构（架构可能在读取时被删除或更改），没有从它生成"));
            allRead = false;
            continue;
        }
        if (!read) {
            allRead = false;
            continue;
        }
        out.Procedures.push_back(NamedProcedure(p, parameters[k]));
    }
    out.ProceduresRead = listRead;
    return allRead;
}

}  // namespace

bool ReadCatalog(TDBData& data, const std::string& database, const CatalogReadOptions& options,
                 DatabaseSchema& out, CatalogReadEvents* events)
{
    CatalogReadEvents none;
    CatalogReadEvents& tell = events ? *events : none;
    out = DatabaseSchema{database, {}, {}};
    tell.TreeStarted(true);

    // A distant server costs a round trip per batch, so the whole catalogue
    // goes in two: the two name lists, then every object's columns (and a
    // table's unwritable columns) of both trees.
    SchemaObjects listed[2];
    std::vector<TDBData::TableColumnRow> keys, identities;
    std::vector<TDBData::Question> lists;
    // The connection switches to the database in the same batch, and says
    // where it is then: a run logs in once.
    bool useRefused = false;
    if (options.UseDatabase) {
        lists.push_back(data.UseQuestion(database, &useRefused));
        lists.push_back(data.CurrentDatabaseQuestion(database));
    }
    lists.push_back(data.TableListQuestion(database, listed[0]));
    lists.push_back(data.ViewListQuestion(database, listed[1]));
    if (options.Keys) {
        lists.push_back(data.KeyQuestion(keys));
        lists.push_back(data.IdentityColumnQuestion(identities));
    }
    SchemaObjects procedures, relisted;
    if (options.Procedures)
        lists.push_back(data.ProcedureListQuestion(database, procedures));
    std::vector<TDBData::ForeignKeyRow> foreignKeys;
    std::vector<TDBData::NullabilityRow> nullability;
    std::size_t relationsAt = lists.size();
    if (options.Relations)
        lists.push_back(data.ForeignKeyQuestion(foreignKeys));
    std::size_t nullabilityAt = lists.size();
    if (options.Nullability)
        lists.push_back(data.NullabilityQuestion(nullability));
    // After a failed switch, the statements that follow it would read the
    // database the connection was in: they are neither read nor told.
    std::vector<bool> listsRead = data.Ask(lists, options.UseDatabase);
    if (options.UseDatabase) {
        if (useRefused) {
            // A server that takes no USE to another database (Azure SQL
            // Database): a login straight into it, which reads it as
            // pellam-gen --database does.
            if (!data.ConnectTo(database)) {
                tell.TreeDone(true);
                return false;
            }
            CatalogReadOptions direct = options;
            direct.UseDatabase = false;
            return ReadCatalog(data, database, direct, out, events);
        }
        if (!listsRead[0] || !listsRead[1]) {
            tell.TreeDone(true);
            return false;
        }
        listsRead.erase(listsRead.begin(), listsRead.begin() + 2);
        relationsAt -= 2;
        nullabilityAt -= 2;
    }
    bool allRead = std::find(listsRead.begin(), listsRead.end(), false) == listsRead.end();
    if (options.Keys && !(listsRead[2] && listsRead[3]))
        data.TellReadFailure("读不到数据表的主键，没有生成");
    if (options.Relations && !listsRead[relationsAt])
        data.TellReadFailure(kRelationsUnread);
    if (options.Nullability && !listsRead[nullabilityAt])
        data.TellReadFailure(kNullabilityUnread);
    // Every object the lists named, wanted or not: a foreign key or a
    // column's answer naming none of them is a failed read.
    ListedObjects listedTables, listedObjects;
    for (int tree = 0; tree < 2; ++tree)
        for (const SchemaObject& o : listed[tree]) {
            if (tree == 0)
                listedTables.emplace(o.Schema, o.Name);
            listedObjects.emplace(o.Schema, o.Name);
        }
    for (SchemaObjects* objects : {&listed[0], &listed[1], &procedures})
        if (options.Wanted) {
            SchemaObjects wanted;
            for (const SchemaObject& o : *objects)
                if (options.Wanted(o.Name))
                    wanted.push_back(o);
            *objects = wanted;
        }

    std::vector<ColumnList> columns[2] = {std::vector<ColumnList>(listed[0].size()),
                                          std::vector<ColumnList>(listed[1].size())};
    std::vector<IdentityNames> identity(listed[0].size());
    std::vector<TDBData::Question> questions;
    // Every listed object has a schema (an owner on SQL Server 2000); a NULL
    // one means the schema went while the list was read. Such an object's
    // two-part name cannot be made, and a bare one would find dbo's twin.
    std::vector<bool> schemaKnown[2];
    for (int tree = 0; tree < 2; ++tree)
        for (const SchemaObject& o : listed[tree])
            schemaKnown[tree].push_back(!o.Schema.empty());
    for (int tree = 0; tree < 2; ++tree)
        for (std::size_t k = 0; k < listed[tree].size(); ++k) {
            if (!schemaKnown[tree][k])
                continue;
            questions.push_back(data.ColumnQuestion(listed[tree][k], columns[tree][k]));
            if (tree == 0 && options.Identity)
                questions.push_back(data.IdentityQuestion(listed[0][k], identity[k]));
        }
    // A procedure's parameters ride in the same batch; a procedure without
    // any answers no rows, as one dropped meanwhile does, so the list is
    // asked again at the batch's end to tell the two apart.
    std::vector<ColumnList> parameters(procedures.size());
    for (std::size_t k = 0; k < procedures.size(); ++k)
        if (!procedures[k].Schema.empty())
            questions.push_back(data.ParameterQuestion(procedures[k], parameters[k]));
    if (options.Procedures && !procedures.empty())
        questions.push_back(data.ProcedureListQuestion(database, relisted));
    std::vector<bool> answered = data.Ask(questions);

    // The trees in order, as if each had been read on its own.
    std::size_t at = 0;
    for (int tree = 0; tree < 2; ++tree) {
        bool tables = tree == 0;
        if (!tables)
            tell.TreeStarted(false);
        SchemaObjects& objects = tables ? out.Tables : out.Views;
        for (std::size_t k = 0; k < listed[tree].size(); ++k) {
            bool known = schemaKnown[tree][k];
            bool columnsRead = known && answered[at++];
            bool identityRead = !known || !(tables && options.Identity) || answered[at++];
            allRead &= columnsRead && identityRead;
            if (Changed(data, listed[tree][k], known, columnsRead, columns[tree][k])) {
                allRead = false;
                continue;
            }
            SchemaObject object = NamedObject(listed[tree][k], columns[tree][k]);
            if (tables)
                object.Identity = identity[k];
            objects.push_back(object);
            tell.ObjectRead(tables, objects.back(), columnsRead);
        }
        tell.TreeDone(tables);
    }
    if (options.Keys) {
        allRead = AttachKeys(data, out.Tables, keys, identities) && allRead;
        out.KeysRead = true;
    }
    if (options.Relations && listsRead[relationsAt]) {
        allRead = AttachForeignKeys(data, out.Tables, listedTables, foreignKeys) && allRead;
        out.RelationsRead = true;
    }
    if (options.Nullability && listsRead[nullabilityAt])
        allRead = AttachNullability(data, out, listedObjects, nullability) && allRead;
    if (options.Procedures)
        allRead = AttachProcedures(data, procedures, parameters, answered, at, listsRead.back(),
                                   procedures.empty() || answered.back(), relisted, out) &&
                  allRead;
    return allRead;
}

bool ReadExtras(TDBData& data, DatabaseSchema& schema, const ExtraReads& reads)
{
    std::vector<TDBData::TableColumnRow> keys, identities;
    std::vector<TDBData::ForeignKeyRow> foreignKeys;
    std::vector<TDBData::NullabilityRow> nullability;
    std::vector<TDBData::Question> questions;
    if (reads.Keys) {
        questions.push_back(data.KeyQuestion(keys));
        questions.push_back(data.IdentityColumnQuestion(identities));
    }
    if (reads.Relations)
        questions.push_back(data.ForeignKeyQuestion(foreignKeys));
    if (reads.Nullability)
        questions.push_back(data.NullabilityQuestion(nullability));
    if (questions.empty())
        return true;
    std::vector<bool> read = data.Ask(questions);
    if (std::find(read.begin(), read.end(), false) != read.end()) {
        std::size_t at = reads.Keys ? 2 : 0;
        if (reads.Keys && !(read[0] && read[1]))
            data.TellReadFailure("读不到数据表的主键，没有生成");
        if (reads.Relations && !read[at++])
            data.TellReadFailure(kRelationsUnread);
        if (reads.Nullability && !read[at++])
            data.TellReadFailure(kNullabilityUnread);
        return false;
    }
    bool sound = true;
    if (reads.Keys) {
        for (SchemaObject& t : schema.Tables) {
            t.Key.clear();
            t.IdentityColumn.clear();
        }
        schema.KeysRead = true;
        sound = AttachKeys(data, schema.Tables, keys, identities);
    }
    // The schema holds every object of its database.
    ListedObjects tables, objects;
    for (const SchemaObject& t : schema.Tables)
        tables.emplace(t.Schema, t.Name);
    objects = tables;
    for (const SchemaObject& v : schema.Views)
        objects.emplace(v.Schema, v.Name);
    if (reads.Relations) {
        sound = AttachForeignKeys(data, schema.Tables, tables, foreignKeys) && sound;
        schema.RelationsRead = true;
    }
    if (reads.Nullability)
        sound = AttachNullability(data, schema, objects, nullability) && sound;
    return sound;
}

bool ReadProcedures(TDBData& data, const std::string& database, DatabaseSchema& schema)
{
    SchemaObjects procedures, relisted;
    if (!data.Ask({data.ProcedureListQuestion(database, procedures)})[0])
        return false;
    std::vector<ColumnList> parameters(procedures.size());
    std::vector<TDBData::Question> questions;
    for (std::size_t k = 0; k < procedures.size(); ++k)
        if (!procedures[k].Schema.empty())
            questions.push_back(data.ParameterQuestion(procedures[k], parameters[k]));
    questions.push_back(data.ProcedureListQuestion(database, relisted));
    std::vector<bool> answered = data.Ask(questions);
    schema.Procedures.clear();
    return AttachProcedures(data, procedures, parameters, answered, 0, true, answered.back(),
                            relisted, schema);
}
