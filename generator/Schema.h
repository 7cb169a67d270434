#ifndef GeneratorSchemaH
#define GeneratorSchemaH

// The shapes in which a database's schema travels from the catalogue to the
// generator. All text is 8-bit GBK.

#include <string>
#include <vector>

// An ordered list of names; catalogue operations only append to it.
using NameList = std::vector<std::string>;

// One column of a table or view: its name and its SQL Server type name.
struct ColumnEntry {
    std::string Name;
    std::string TypeName;

    bool operator==(const ColumnEntry& other) const
    {
        return Name == other.Name && TypeName == other.TypeName;
    }
};

// The columns of one table or view, in the server's row order.
using ColumnList = std::vector<ColumnEntry>;

// The identity column names of one table.
using IdentityNames = NameList;

// Where the table writer learns a table's identity columns: the catalogue
// module answers from the server; tests and offline runs answer from memory.
class IdentitySource {
public:
    virtual ~IdentitySource() = default;
    // Appends the identity column names of the named table to out; false
    // when the question could not be answered (the source has told why).
    virtual bool GetIdentityColumns(const std::string& tableName, IdentityNames& out) = 0;
};

#endif
