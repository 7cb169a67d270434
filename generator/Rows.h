#ifndef GeneratorRowsH
#define GeneratorRowsH

// The typed row of a table's or view's operator class: its type, named
// "<Class>Row" and written before the class, and the methods that read
// and write it.

#include <string>
#include <vector>

#include "Genfunc.h"
#include "OperatorExtras.h"

// A row member's C++ type ("int", "__int64", "double", "String",
// "DBBytes") and whether it keeps a NULL apart (DBNullable).
struct RowMember {
    std::string Type;
    bool Nullable = false;
};

// What decides the members' types beyond the columns' groups: the key's
// columns and the IDENTITY column keep every digit (a decimal one as its
// text, as the key methods take it), and nullability, once read.
struct RowShape {
    NameList Key;
    std::string IdentityColumn;
    bool NullabilityKnown = true;
    RowMember MemberOf(const SchemaColumn& column) const;
};

std::string RowTypeName(const std::string& label);

// The row type and its methods, added to the class's extras: ReadRow and
// ReadRows for every object; for a table (fills given) New from a row and,
// as the key methods there are (keys given), NewWithIdentity, FindByKey
// and UpdateByKey with a row; for each relation's lookup, one that reads
// its rows into a list.
void AddRowMethods(const SchemaObject& object, bool table, const RowShape& shape,
                   const KeyFills* keys, const TableFills* fills,
                   const std::vector<RelationPlan>& relations, const OutputForm& form,
                   OperatorExtras& extras);

#endif
