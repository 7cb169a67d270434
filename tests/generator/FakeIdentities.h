#ifndef FakeIdentitiesH
#define FakeIdentitiesH

#include "schema/Schema.h"

#include <map>
#include <set>
#include <string>

// Identity columns held in memory, counting the questions asked.
class FakeIdentities : public IdentitySource {
public:
    bool GetIdentityColumns(const SchemaObject& table, IdentityNames& out) override
    {
        const std::string& tableName = table.Name;
        ++Questions[tableName];
        if (Failing.count(tableName))
            return false;
        auto it = Columns.find(tableName);
        if (it != Columns.end())
            out.insert(out.end(), it->second.begin(), it->second.end());
        return true;
    }

    std::map<std::string, IdentityNames> Columns;
    std::set<std::string> Failing;
    std::map<std::string, int> Questions;
};

#endif
