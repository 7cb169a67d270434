#ifndef TestsGeneratorNamedInputH
#define TestsGeneratorNamedInputH

// Schemas for the run's tests: objects known by name, schema and their
// integer columns, and inputs of tables and views known by name alone.

#include "generator/Run.h"

#include <string>
#include <vector>

// An object of the schema with integer columns of these names.
inline SchemaObject ObjectInSchema(const std::string& name, const std::string& schema,
                                   const NameList& columns)
{
    ColumnList entries;
    for (const std::string& c : columns)
        entries.push_back({c, "int"});
    SchemaObject o = NamedObject(name, entries);
    o.Schema = schema;
    return o;
}

// A run's input of tables and views, each with one integer column "x".
inline RunInput NamedInput(const std::vector<std::string>& tables,
                           const std::vector<std::string>& views)
{
    RunInput in;
    in.DatabaseCount = 1;
    for (const std::string& t : tables)
        in.Schema.Tables.push_back(NamedObject(t, {{"x", "int"}}));
    for (const std::string& v : views)
        in.Schema.Views.push_back(NamedObject(v, {{"x", "int"}}));
    return in;
}

#endif
