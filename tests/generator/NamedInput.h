#ifndef TestsGeneratorNamedInputH
#define TestsGeneratorNamedInputH

// A run's input of tables and views known by name alone, each with one
// integer column "x".

#include "generator/Run.h"

#include <string>
#include <vector>

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
