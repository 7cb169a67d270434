#ifndef CatalogExtrasH
#define CatalogExtrasH

// What the database-wide answers beyond the lists and columns give each
// object: its foreign keys, and each column's nullability. Rows are matched
// to objects by schema and name exactly, as the lists named them.

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Dbmodule.h"

// The objects the lists named, by schema and name: every one, those the
// caller does not want included.
using ListedObjects = std::set<std::pair<std::string, std::string>>;

// Gives each table of `tables` its foreign keys. A row referencing a table
// the lists did not hold, or naming a column the table read has not (a
// referenced table's too, when it was read), is a failed read: told, and
// false. Rows of tables the lists did not name (the server's own tables)
// or that the caller left out are passed over.
bool AttachForeignKeys(TDBData& data, SchemaObjects& tables, const ListedObjects& listedTables,
                       const std::vector<TDBData::ForeignKeyRow>& rows);

// Gives each column of the tables and views its nullability. A row naming
// an object the lists did not hold, or a column its object has not, a
// column named twice, and a column of a read object that no row names, are
// failed reads: told, and false.
bool AttachNullability(TDBData& data, DatabaseSchema& schema, const ListedObjects& listed,
                       const std::vector<TDBData::NullabilityRow>& rows);

#endif
