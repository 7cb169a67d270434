// Compiled twice by the layering test: with a target that links the
// database client it builds; with one that links only the schema model (as
// the generator does) its include cannot be found.
#include "platform/DbClient.h"

int UsesTheDatabaseClient()
{
    return platform::QuoteOleDbValue("x").empty() ? 1 : 0;
}
