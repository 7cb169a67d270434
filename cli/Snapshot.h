#ifndef CliSnapshotH
#define CliSnapshotH

// The schema snapshot file: a database's schema (tables and views with
// their columns, labels and identity columns) as JSON in UTF-8, every name
// exactly as the server sent it.

#include <string>

#include "platform/Exception.h"
#include "schema/Schema.h"

// A snapshot that cannot be read; the message names the place and the fault.
class SnapshotError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

DatabaseSchema ReadSnapshot(const std::string& utf8Json);
std::string WriteSnapshot(const DatabaseSchema& schema);

#endif
