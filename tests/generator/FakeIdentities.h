#ifndef FakeIdentitiesH
#define FakeIdentitiesH

#include "generator/Schema.h"

#include <map>
#include <string>

// Identity columns held in memory, counting the questions asked.
class FakeIdentities : public IdentitySource {
public:
    void GetIdentityColumns(const std::string& tableName, IdentityNames& out) override
    {
        ++Questions[tableName];
        auto it = Columns.find(tableName);
        if (it != Columns.end())
            out.insert(out.end(), it->second.begin(), it->second.end());
    }

    std::map<std::string, IdentityNames> Columns;
    std::map<std::string, int> Questions;
};

#endif
