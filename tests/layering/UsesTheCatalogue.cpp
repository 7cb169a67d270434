// Compiled twice by the layering test: with a target that links the
// catalogue it builds; with one that links only the generator (which sits
// beside the catalogue on the schema model, never on it) its include
// cannot be found.
#include "catalog/Dbmodule.h"

int UsesTheCatalogue()
{
    return TDBData::DatabaseListStatement().empty() ? 1 : 0;
}
