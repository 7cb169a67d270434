#include "Schema.h"

#include "platform/Text.h"

ColumnList SchemaObject::Entries() const
{
    ColumnList entries;
    for (const SchemaColumn& c : Columns)
        entries.push_back({c.Name, c.TypeName});
    return entries;
}

NameList SchemaObject::ColumnLabels() const
{
    NameList labels;
    for (const SchemaColumn& c : Columns)
        labels.push_back(c.Label);
    return labels;
}

SchemaObject NamedObject(const std::string& name, const std::string& nameUtf8,
                         const ColumnList& columns)
{
    SchemaObject object{name, name, {}, {}, nameUtf8};
    for (const ColumnEntry& c : columns)
        object.Columns.push_back({c.Name, c.Name, c.TypeName, {}});
    return object;
}

NameList ObjectNames(const SchemaObjects& objects)
{
    NameList names;
    for (const SchemaObject& o : objects)
        names.push_back(o.Name);
    return names;
}

std::vector<ColumnList> ColumnLists(const SchemaObjects& objects)
{
    std::vector<ColumnList> lists;
    for (const SchemaObject& o : objects)
        lists.push_back(o.Entries());
    return lists;
}

std::string SqlQuoted(const std::string& name)
{
    return platform::DoubleChar(name, '\'');
}

std::string SqlBracketed(const std::string& name)
{
    return platform::DoubleChar(name, ']');
}

bool SchemaIdentities::GetIdentityColumns(const std::string& tableName, IdentityNames& out)
{
    for (const SchemaObject& o : tables_)
        if (o.Name == tableName) {
            out.insert(out.end(), o.Identity.begin(), o.Identity.end());
            break;
        }
    return true;
}

std::size_t IdentitySource::GetIdentityColumnsUntilFailure(const NameList& tables,
                                                           std::vector<IdentityNames>& out)
{
    std::size_t answered = 0;
    for (const std::string& table : tables) {
        IdentityNames names;
        if (!GetIdentityColumns(table, names))
            break;
        out.push_back(names);
        ++answered;
    }
    return answered;
}
