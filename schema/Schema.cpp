#include "Schema.h"

#include "platform/Text.h"

ColumnList SchemaObject::Entries() const
{
    ColumnList entries;
    for (const SchemaColumn& c : Columns)
        entries.push_back({c.Name, c.TypeName, c.NameUtf8, c.BaseType});
    return entries;
}

namespace {

std::string Exact(const std::string& gbk, const std::string& utf8)
{
    if (!utf8.empty())
        return utf8;
    std::string out;
    return platform::TryGbkToUtf8(gbk, out) ? out : gbk;
}

}  // namespace

std::string SchemaObject::NameExact() const
{
    return Exact(Name, NameUtf8);
}

std::string SchemaObject::SchemaExact() const
{
    return Exact(Schema, SchemaUtf8);
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
        object.Columns.push_back({c.Name, c.Name, c.TypeName, c.BaseType, c.NameUtf8});
    return object;
}

SchemaObject NamedObject(const SchemaObject& listed, const ColumnList& columns)
{
    SchemaObject object = NamedObject(listed.Name, listed.NameUtf8, columns);
    object.Schema = listed.Schema;
    object.SchemaUtf8 = listed.SchemaUtf8;
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

namespace {

std::string DoubledBytes(const std::string& text, char c)
{
    std::string out;
    out.reserve(text.size());
    for (char b : text) {
        out += b;
        if (b == c)
            out += b;
    }
    return out;
}

}  // namespace

std::string SqlQuoted(const std::string& utf8)
{
    return DoubledBytes(utf8, '\'');
}

std::string SqlBracketedUtf8(const std::string& utf8)
{
    return DoubledBytes(utf8, ']');
}

std::string SqlBracketed(const std::string& name)
{
    return platform::DoubleChar(name, ']');
}

std::string SqlObjectInBrackets(const SchemaObject& object)
{
    if (object.InDbo())
        return SqlBracketed(object.Name);
    return SqlBracketed(object.Schema) + "].[" + SqlBracketed(object.Name);
}

std::string TwoPartNameUtf8(const SchemaObject& object)
{
    // Built by appending: concatenation draws a false -Wrestrict from g++ 12.
    std::string name;
    if (!object.Schema.empty() || !object.SchemaUtf8.empty())
        name.append("[").append(SqlBracketedUtf8(object.SchemaExact())).append("].");
    return name.append("[").append(SqlBracketedUtf8(object.NameExact())).append("]");
}

bool IsRowVersionColumn(const std::string& typeName, const std::string& baseType)
{
    for (const std::string* t : {&typeName, &baseType})
        if (platform::SameTextIgnoreCase(*t, "timestamp") ||
            platform::SameTextIgnoreCase(*t, "rowversion"))
            return true;
    return false;
}

bool SchemaIdentities::GetIdentityColumns(const SchemaObject& table, IdentityNames& out)
{
    for (const SchemaObject& o : tables_)
        if (o.Name == table.Name && o.NameUtf8 == table.NameUtf8 && o.Schema == table.Schema &&
            o.SchemaUtf8 == table.SchemaUtf8) {
            out.insert(out.end(), o.Identity.begin(), o.Identity.end());
            break;
        }
    return true;
}

std::size_t IdentitySource::GetIdentityColumnsUntilFailure(const SchemaObjects& tables,
                                                           std::vector<IdentityNames>& out)
{
    std::size_t answered = 0;
    for (const SchemaObject& table : tables) {
        IdentityNames names;
        if (!GetIdentityColumns(table, names))
            break;
        out.push_back(names);
        ++answered;
    }
    return answered;
}
