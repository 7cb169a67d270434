#ifndef CatalogReaderH
#define CatalogReaderH

// Reading a database's schema from the catalogue: the one reader behind
// the window's database selection and pellam-gen.

#include <functional>
#include <string>

#include "Dbmodule.h"
#include "schema/Schema.h"

// What a reader's caller makes of the read as it goes: the window fills its
// trees, a terminal shows nothing.
class CatalogReadEvents {
public:
    virtual ~CatalogReadEvents() = default;
    // Before a tree's names are asked for.
    virtual void TreeStarted(bool /*tables*/) { }
    // An object of the tree, in catalogue order; columnsRead is false when
    // its column statement failed (it then has no columns).
    virtual void ObjectRead(bool /*tables*/, const SchemaObject& /*object*/, bool /*columnsRead*/)
    {
    }
    virtual void TreeDone(bool /*tables*/) { }
};

struct CatalogReadOptions {
    // Also ask each table for its identity columns.
    bool Identity = false;
    // Also read every table's primary key and IDENTITY column (two
    // database-wide statements, in the batch of the name lists).
    bool Keys = false;
    // Switch the connection to the database first (one batch with the name
    // lists), rather than read the one it is in.
    bool UseDatabase = false;
    // Also read the stored procedures and their parameters (the list in the
    // batch of the other lists, the parameters in the batch of the columns).
    bool Procedures = false;
    // Also read every table's foreign keys (one database-wide statement, in
    // the batch of the name lists).
    bool Relations = false;
    // Also read whether each column allows NULL (the same).
    bool Nullability = false;
    // The objects to read, by catalogue name; every one when empty.
    std::function<bool(const std::string&)> Wanted;
};

// Reads the tables, then the views, of the database the data module is
// connected to (or switches to, with UseDatabase), each with its columns (labels equal to names),
// into out. Every failed statement has been told through the data module; false when there was one.
bool ReadCatalog(TDBData& data, const std::string& database, const CatalogReadOptions& options,
                 DatabaseSchema& out, CatalogReadEvents* events = nullptr);

// What a schema already read may still need from the catalogue.
struct ExtraReads {
    bool Keys = false;  // primary keys and IDENTITY columns
    bool Relations = false;  // foreign keys
    bool Nullability = false;  // whether each column allows NULL
};
// Reads them all in one batch for the objects of a schema already read
// (every table and view of its database); false when a statement failed
// or an answer does not fit the objects (told through the data module).
bool ReadExtras(TDBData& data, DatabaseSchema& schema, const ExtraReads& reads);

// Reads the stored procedures and their parameters of a schema already
// read (the database the data module is connected to), in two batches;
// false when that failed or one was dropped meanwhile (told).
bool ReadProcedures(TDBData& data, const std::string& database, DatabaseSchema& schema);

#endif
