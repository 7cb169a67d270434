#include "Schema.h"

#include "platform/Text.h"

ColumnList SchemaObject::Entries() const
{
    ColumnList entries;
    for (const SchemaColumn& c : Columns)
        entries.push_back({c.Name, c.TypeName, c.BaseType, c.Shape});
    return entries;
}

bool SchemaColumn::Unholdable() const
{
    return !platform::GbkCanHold(Name);
}

bool SchemaObject::Unholdable() const
{
    return !platform::GbkCanHold(Name) || !platform::GbkCanHold(Schema);
}

NameList SchemaObject::ColumnLabels() const
{
    NameList labels;
    for (const SchemaColumn& c : Columns)
        labels.push_back(c.Label);
    return labels;
}

SchemaObject NamedObject(const std::string& name, const ColumnList& columns)
{
    SchemaObject object{name, name, {}, {}};
    for (const ColumnEntry& c : columns)
        object.Columns.push_back({c.Name, c.Name, c.TypeName, c.BaseType});
    return object;
}

SchemaObject NamedObject(const SchemaObject& listed, const ColumnList& columns)
{
    SchemaObject object = NamedObject(listed.Name, columns);
    object.Schema = listed.Schema;
    return object;
}

std::string ParameterLabel(const std::string& name)
{
    return name.compare(0, 1, "@") == 0 ? name.substr(1) : name;
}

SchemaObject NamedProcedure(const SchemaObject& listed, const ColumnList& parameters)
{
    SchemaObject procedure = NamedObject(listed, parameters);
    for (std::size_t k = 0; k < parameters.size(); ++k) {
        procedure.Columns[k].Label = ParameterLabel(parameters[k].Name);
        procedure.Columns[k].Shape = parameters[k].Shape;
    }
    return procedure;
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
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char16_t surrogate = platform::UnpairedSurrogateAt(name, i);
        if (name[i] == '\0' || surrogate) {
            out += "'+NCHAR(" + std::to_string(unsigned{surrogate}) + ")+N'";
            i += surrogate ? 2 : 0;
        } else {
            out += name[i];
            if (name[i] == '\'')
                out += '\'';
        }
    }
    return out;
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

std::string TwoPartName(const SchemaObject& object)
{
    // Built by appending: concatenation draws a false -Wrestrict from g++ 12.
    std::string name;
    if (!object.Schema.empty())
        name.append("[").append(SqlBracketed(object.Schema)).append("].");
    return name.append("[").append(SqlBracketed(object.Name)).append("]");
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
    if (index_.empty())
        for (const SchemaObject& o : tables_)
            index_.emplace(std::make_pair(o.Schema, o.Name), &o);
    auto it = index_.find({table.Schema, table.Name});
    if (it != index_.end())
        out.insert(out.end(), it->second->Identity.begin(), it->second->Identity.end());
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
