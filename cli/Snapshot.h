#ifndef CliSnapshotH
#define CliSnapshotH

// A schema snapshot: a database's tables and views with their columns, the
// node texts (labels) and the identity columns, read from and written to
// JSON in UTF-8. Text inside is GBK.

#include <set>
#include <string>
#include <vector>

#include "generator/Run.h"
#include "generator/Schema.h"
#include "platform/Exception.h"

// A name GBK cannot hold is kept as the server sent it in NameUtf8; Name
// then holds "？" in place of each such character and names no object.
struct SnapshotColumn {
    std::string Name, Type, Label;
    std::string NameUtf8;
};

struct SnapshotObject {
    std::string Name, Label;
    std::vector<SnapshotColumn> Columns;
    IdentityNames Identity;
    std::string NameUtf8;
};

struct Snapshot {
    std::string Database;
    std::vector<SnapshotObject> Tables, Views;
};

// A snapshot that cannot be read; the message names the place and the fault.
class SnapshotError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

Snapshot ReadSnapshot(const std::string& utf8Json);
std::string WriteSnapshot(const Snapshot& snapshot);

// Every label becomes a pinyin identifier of its name, as the window's
// translation does: class names differ across tables and views, parameter
// names within each table or view.
void TranslateLabels(Snapshot& snapshot);

// The names of tables, views and columns that GBK cannot hold, as they
// stand in the snapshot's Name fields.
std::set<std::string> UnholdableNames(const Snapshot& snapshot);

// What the generation run reads, as the window would hand it over.
RunInput RunInputOf(const Snapshot& snapshot);

// The identity columns a snapshot lists, by table name.
class SnapshotIdentities : public IdentitySource {
public:
    explicit SnapshotIdentities(const Snapshot& snapshot) : snapshot_(snapshot) {}
    bool GetIdentityColumns(const std::string& table, IdentityNames& out) override;

private:
    const Snapshot& snapshot_;
};

#endif
