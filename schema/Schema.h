#ifndef SchemaSchemaH
#define SchemaSchemaH

// A database's schema as Pellam reads it from the catalogue and generates
// from it: the tables, then the views, in catalogue order, each with its
// columns and its node texts (labels). The window's trees, the run's input
// and the snapshot file are views of this one type. All text is UTF-8,
// names exactly as the server sent them.

#include <map>
#include <string>
#include <utility>
#include <vector>

// An ordered list of names; catalogue operations only append to it.
using NameList = std::vector<std::string>;

// What a stored procedure's parameter has beyond a column's name and type.
struct ParameterShape {
    int Length = 0;  // in bytes; -1 for max
    bool Output = false;
    int Precision = 0, Scale = 0;

    bool operator==(const ParameterShape& other) const
    {
        return Length == other.Length && Output == other.Output && Precision == other.Precision &&
               Scale == other.Scale;
    }
};

// One column as the catalogue lists it: its name and its SQL Server type
// name, and the system type an alias type is stored as.
struct ColumnEntry {
    std::string Name;
    std::string TypeName;
    std::string BaseType = {};
    // A stored procedure's parameter also has its length in bytes (-1 for
    // max), whether it is an OUTPUT parameter, and its precision and scale.
    ParameterShape Shape = {};

    bool operator==(const ColumnEntry& other) const
    {
        return Name == other.Name && TypeName == other.TypeName && BaseType == other.BaseType &&
               Shape == other.Shape;
    }
};

// The columns of one table or view, in the server's row order.
using ColumnList = std::vector<ColumnEntry>;

// The columns of one table that a program may not write: identity,
// computed, timestamp (rowversion) and GENERATED ALWAYS columns.
using IdentityNames = NameList;

// One column of a table or view.
struct SchemaColumn {
    std::string Name;  // the catalogue name
    std::string Label;  // the parameter name: the column node's text
    std::string TypeName;  // empty when the catalogue matched no type
    // The system type an alias type is stored as (the type's own name for a
    // system type); empty for the CLR types and when unknown.
    std::string BaseType;
    // A procedure's parameter: its length, direction, precision and scale.
    ParameterShape Shape = {};
    // Whether the column allows NULL (when nullability was read).
    bool Nullable = true;

    // Whether GBK, the generated files' encoding, cannot hold the name.
    bool Unholdable() const;
};

// A foreign key of a table: its columns in key order, and the table and
// columns (in the same order) they reference, every name exactly as the
// server sent it.
struct ForeignKey {
    std::string Name;  // the constraint's name
    NameList Columns;
    std::string ReferencedSchema, ReferencedTable;
    NameList ReferencedColumns;

    bool operator==(const ForeignKey& other) const
    {
        return Name == other.Name && Columns == other.Columns &&
               ReferencedSchema == other.ReferencedSchema &&
               ReferencedTable == other.ReferencedTable &&
               ReferencedColumns == other.ReferencedColumns;
    }
};

// dbo, or no known schema, which is taken as dbo.
inline bool IsDboSchema(const std::string& schema)
{
    return schema.empty() || schema == "dbo";
}

// One table, view or stored procedure (whose "columns" are its
// parameters, in order, each named with its "@").
struct SchemaObject {
    std::string Name;  // the catalogue name
    std::string Label;  // the class name: the top-level node's text
    std::vector<SchemaColumn> Columns;
    IdentityNames Identity;  // tables only: the unwritable columns
    // The schema (the owner on SQL Server 2000); empty when unknown, which
    // the generated SQL takes as dbo.
    std::string Schema = {};
    // Tables only, when keys were read: the primary key's columns in key
    // order (none without a primary key), and the IDENTITY column, whose
    // values the server numbers ("" when there is none).
    NameList Key = {};
    std::string IdentityColumn = {};
    // Tables only, when relations were read: its foreign keys, in the
    // catalogue's order.
    std::vector<ForeignKey> ForeignKeys = {};

    // Whether GBK, the generated files' encoding, cannot hold its name or
    // its schema.
    bool Unholdable() const;
    // In dbo (or in no known schema): the generated SQL names it bare.
    bool InDbo() const { return IsDboSchema(Schema); }
    // The columns as the catalogue lists them.
    ColumnList Entries() const;
    // The column labels, in column order.
    NameList ColumnLabels() const;
};

using SchemaObjects = std::vector<SchemaObject>;

struct DatabaseSchema {
    std::string Database;
    SchemaObjects Tables, Views;
    // Whether the tables' primary keys and IDENTITY columns were read; a
    // table without a key then has none.
    bool KeysRead = false;
    // The stored procedures with their parameters, when they were read.
    SchemaObjects Procedures = {};
    bool ProceduresRead = false;
    // Whether the tables' foreign keys were read; a table without any then
    // has none.
    bool RelationsRead = false;
    // Whether every column's nullability was read.
    bool NullabilityRead = false;
};

// A parameter's first label: its name without the "@" that every
// parameter name begins with.
std::string ParameterLabel(const std::string& name);
// A procedure as the catalogue first names it: labels equal to names, a
// parameter's without its "@".
SchemaObject NamedProcedure(const SchemaObject& listed, const ColumnList& parameters);

// An object as the catalogue first names it: labels equal to names.
SchemaObject NamedObject(const std::string& name, const ColumnList& columns);
// The same for an object the catalogue has listed (name and schema).
SchemaObject NamedObject(const SchemaObject& listed, const ColumnList& columns);

// The catalogue names of objects, in order.
NameList ObjectNames(const SchemaObjects& objects);
// The column lists of objects, in order.
std::vector<ColumnList> ColumnLists(const SchemaObjects& objects);

// A name between the quotes of a statement's N'...': every "'" doubled,
// byte-wise, which UTF-8 allows (no byte of a multi-byte character is
// below 0x80). A NUL or an unpaired surrogate, which the driver cannot
// carry in a statement's text, leaves the literal as "'+NCHAR(n)+N'", so
// that the server reads the name exactly.
std::string SqlQuoted(const std::string& name);
// A name between "[" and "]" of a statement: every "]" doubled, byte-wise.
std::string SqlBracketed(const std::string& name);
// What stands between the outer "[" and "]" where generated SQL names an
// object: its bracketed name, with the bracketed schema and "].[" in front
// outside dbo.
std::string SqlObjectInBrackets(const SchemaObject& object);
// The two-part name "[schema].[name]" of an object; "[name]" when its
// schema is unknown.
std::string TwoPartName(const SchemaObject& object);
// Whether a column's type is timestamp (rowversion), whose values the
// server alone writes.
bool IsRowVersionColumn(const std::string& typeName, const std::string& baseType);

// Where the table writer learns a table's identity columns: the catalogue
// module answers from the server; the schema answers from what it holds.
class IdentitySource {
public:
    virtual ~IdentitySource() = default;
    // Whether the source can answer at all: false when a catalogue's
    // connection is gone.
    virtual bool Available() { return true; }
    // Appends the unwritable column names of the table to out; false when
    // the question could not be answered (the source has told why).
    virtual bool GetIdentityColumns(const SchemaObject& table, IdentityNames& out) = 0;
    // The same for many tables, in order, up to the first that cannot be
    // answered (which the source has told): out gains one entry per table
    // answered, and their number is returned. A source may ask all at once.
    virtual std::size_t GetIdentityColumnsUntilFailure(const SchemaObjects& tables,
                                                       std::vector<IdentityNames>& out);
};

// The unwritable columns that a schema holds, by table (schema and name).
class SchemaIdentities : public IdentitySource {
public:
    explicit SchemaIdentities(const SchemaObjects& tables) : tables_(tables) { }
    bool GetIdentityColumns(const SchemaObject& table, IdentityNames& out) override;

private:
    const SchemaObjects& tables_;
    // The tables by schema and name, made at the first question.
    std::map<std::pair<std::string, std::string>, const SchemaObject*> index_;
};

#endif
