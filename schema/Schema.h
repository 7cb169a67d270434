#ifndef SchemaSchemaH
#define SchemaSchemaH

// A database's schema as Pellam reads it from the catalogue and generates
// from it: the tables, then the views, in catalogue order, each with its
// columns and its node texts (labels). The window's trees, the run's input
// and the snapshot file are views of this one type. All text is 8-bit GBK.

#include <string>
#include <vector>

// An ordered list of names; catalogue operations only append to it.
using NameList = std::vector<std::string>;

// One column as the catalogue lists it: its name and its SQL Server type
// name.
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

// One column of a table or view.
struct SchemaColumn {
    std::string Name;      // the catalogue name
    std::string Label;     // the parameter name: the column node's text
    std::string TypeName;  // empty when the catalogue matched no type
    // The name as the server sent it, in UTF-8, when GBK cannot hold it
    // (Name then holds "？" in place of each such character and names no
    // column); empty otherwise.
    std::string NameUtf8;

    bool Unholdable() const { return !NameUtf8.empty(); }
};

// One table or view.
struct SchemaObject {
    std::string Name;   // the catalogue name
    std::string Label;  // the class name: the top-level node's text
    std::vector<SchemaColumn> Columns;
    IdentityNames Identity;  // tables only
    std::string NameUtf8;    // as SchemaColumn::NameUtf8

    bool Unholdable() const { return !NameUtf8.empty(); }
    // The columns as the catalogue lists them.
    ColumnList Entries() const;
    // The column labels, in column order.
    NameList ColumnLabels() const;
};

using SchemaObjects = std::vector<SchemaObject>;

struct DatabaseSchema {
    std::string Database;
    SchemaObjects Tables, Views;
};

// An object as the catalogue first names it: labels equal to names.
SchemaObject NamedObject(const std::string& name, const std::string& nameUtf8,
                         const ColumnList& columns);

// The catalogue names of objects, in order.
NameList ObjectNames(const SchemaObjects& objects);
// The column lists of objects, in order.
std::vector<ColumnList> ColumnLists(const SchemaObjects& objects);

// A name between single quotes of a statement: every "'" doubled.
std::string SqlQuoted(const std::string& name);
// A name between "[" and "]" of a statement: every "]" doubled.
std::string SqlBracketed(const std::string& name);

// Where the table writer learns a table's identity columns: the catalogue
// module answers from the server; the schema answers from what it holds.
class IdentitySource {
public:
    virtual ~IdentitySource() = default;
    // Appends the identity column names of the named table to out; false
    // when the question could not be answered (the source has told why).
    virtual bool GetIdentityColumns(const std::string& tableName, IdentityNames& out) = 0;
    // The same for many tables, in order, up to the first that cannot be
    // answered (which the source has told): out gains one entry per table
    // answered, and their number is returned. A source may ask all at once.
    virtual std::size_t GetIdentityColumnsUntilFailure(const NameList& tables,
                                                       std::vector<IdentityNames>& out);
};

// The identity columns that a schema holds, by table name.
class SchemaIdentities : public IdentitySource {
public:
    explicit SchemaIdentities(const SchemaObjects& tables) : tables_(tables) {}
    bool GetIdentityColumns(const std::string& tableName, IdentityNames& out) override;

private:
    const SchemaObjects& tables_;
};

#endif
