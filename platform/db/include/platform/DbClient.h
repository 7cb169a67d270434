#ifndef PlatformDbClientH
#define PlatformDbClientH

// The database client: a connection and a query with a client-side cursor,
// standing for the two ADO components the catalogue uses, over ODBC 3.
// Connection strings are OLE DB strings ("Provider=SQLOLEDB.1;..."); the
// client translates them for the ODBC driver. All text is UTF-8; it goes to
// and comes from the driver as UTF-16.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Exception.h"

namespace platform {

// A failure of the driver or the server; the message is the text of every
// diagnostic record, joined by line breaks.
// One diagnostic record of a failure: its SQLSTATE ("08001") and the
// server's or driver's own error number.
struct DiagnosticRecord {
    std::string SqlState;
    int NativeError = 0;
};

class EOleException : public Exception {
public:
    explicit EOleException(const std::string& message, bool connectionLost = false,
                           std::vector<DiagnosticRecord> records = {})
        : Exception(message), ConnectionLost(connectionLost), Records(std::move(records))
    {
    }

    // The first record's SQLSTATE and number; empty and 0 without one.
    std::string SqlState() const { return Records.empty() ? std::string() : Records[0].SqlState; }
    int NativeError() const { return Records.empty() ? 0 : Records[0].NativeError; }

    // The connection to the server is gone: every later statement on it
    // fails the same way until it connects again.
    bool ConnectionLost;
    // Every diagnostic record, in the driver's order.
    std::vector<DiagnosticRecord> Records;
};

// The keys and values of an OLE DB connection string, keys in lower case.
// Raises EOleException for a malformed string.
std::map<std::string, std::string> ParseOleDbConnectionString(const std::string& text);

// An OLE DB value, quoted when the bare text would not parse back to it: in
// double quotes with inner double quotes doubled.
std::string QuoteOleDbValue(const std::string& value);

// What the ODBC driver is given for an OLE DB string: the driver's
// attributes in order (Driver, Server, Port, Trusted_Connection, Database,
// ClientCharset, TDS_Version) and, kept apart, the user and the password.
struct OdbcLogin {
    std::vector<std::pair<std::string, std::string>> Attributes;
    std::string User;
    std::string Password;
    int LoginTimeout = 0;  // from "Connect Timeout"; 0 keeps the connection's own
};
OdbcLogin TranslateConnectionString(const std::string& oleDb);

// The driver to log in with, from the names the driver manager lists: the
// newest "ODBC Driver N for SQL Server", else the newest "SQL Server Native
// Client", else "SQL Server", else FreeTDS; "SQL Server" when none is listed.
std::string ChooseSqlServerDriver(const std::vector<std::string>& installed);
// The login's driver set to that one, with what it needs besides.
void UseDriver(OdbcLogin& login, const std::string& driver);

// The whole login as one ODBC connection string, UID and PWD included.
std::string OdbcConnectionString(const OdbcLogin& login);

// An ODBC value, in braces when it holds ';', '{', '}' or outer blanks.
std::string OdbcValue(const std::string& value);

class TADOConnection {
public:
    TADOConnection();
    ~TADOConnection();
    TADOConnection(const TADOConnection&) = delete;
    TADOConnection& operator=(const TADOConnection&) = delete;

    std::string ConnectionString;
    bool LoginPrompt = false;
    int ConnectionTimeout = 15;  // seconds, ADO's default
    int CommandTimeout = 30;  // seconds, ADO's default

    // Opening connects with ConnectionString and raises EOleException on
    // failure; closing also closes every query on the connection.
    void SetConnected(bool connected);
    bool Connected() const;
    // The major version of the server's product, as the login reported it
    // (8 for SQL Server 2000, 16 for SQL Server 2022); 0 when not connected
    // or unknown.
    int ServerMajorVersion() const;
    // The database the connection is in, as the server named it; "" when
    // not connected.
    std::string CurrentCatalog() const;

private:
    friend class TADOQuery;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A data source; the catalogue owns one and attaches it to nothing.
struct TDataSource {
    class TADOQuery* DataSet = nullptr;
};

class TADOQuery {
public:
    explicit TADOQuery(TADOConnection* connection);
    ~TADOQuery();
    TADOQuery(const TADOQuery&) = delete;
    TADOQuery& operator=(const TADOQuery&) = delete;

    void Close();
    // The statement (UTF-8); it reaches the server in UTF-16.
    void SetSQL(const std::string& statement);
    // Runs the statement and reads its whole result; raises EOleException.
    void Open();

    // One statement's outcome in a batch.
    struct BatchResult {
        bool Ok = true;
        std::string Message;  // the failure's text
        bool ConnectionLost = false;  // as EOleException::ConnectionLost
        int NativeError = 0;  // the failure's first error number
        int Columns = 0;  // the columns of the result (none for a USE)
    };
    // Runs the statements (UTF-8) as one batch, CR LF between them, and reads one
    // result per statement, in order. Fewer outcomes than statements when the
    // server refused the batch as a whole, or the connection was lost: the
    // last outcome then tells why. Raises nothing.
    std::vector<BatchResult> OpenBatch(const std::vector<std::string>& statements);
    // Makes result `index` of the last batch the query's rows, as Open would
    // have read them.
    void SelectResult(std::size_t index);

    int RecordCount() const;
    bool Eof() const;
    void Next();
    // Column n (from 0) of the current row as UTF-8 text, exactly as the
    // server sent it; a NULL gives "".
    std::string FieldText(int column) const;
    // Whether column n of the current row is NULL.
    bool FieldIsNull(int column) const;
    // The columns of the open result; 0 when none is open.
    int FieldCount() const;

    // A row as read: each value UTF-8, or none for a NULL.
    using Row = std::vector<std::optional<std::string>>;

private:
    friend class TADOConnection;
    class Statement;
    struct Rows {
        std::vector<Row> Texts;
        int Columns = 0;
    };
    TADOConnection* connection_;
    std::string sql_;  // UTF-8
    bool active_ = false;
    std::vector<Row> rows_;
    int columns_ = 0;
    std::size_t current_ = 0;
    std::vector<Rows> batch_;
};

}  // namespace platform

#endif
