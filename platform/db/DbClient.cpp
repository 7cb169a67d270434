#include "platform/DbClient.h"

#include "platform/Text.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <iterator>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>

#ifndef _WIN32
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

bool Ok(SQLRETURN rc)
{
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// UTF-8 text as the wide ODBC functions take it, ending in a zero.
std::vector<SQLWCHAR> WideText(const std::string& utf8)
{
    std::u16string utf16 = Utf8ToUtf16(utf8);
    std::vector<SQLWCHAR> wide(utf16.begin(), utf16.end());
    wide.push_back(0);
    return wide;
}

// Every diagnostic record of a handle, joined by line breaks; `lost` is set
// when one of them is of the connection-exception class (SQLSTATE 08xxx).
std::string Diagnostics(SQLSMALLINT type, SQLHANDLE handle, bool* lost = nullptr,
                        std::vector<DiagnosticRecord>* records = nullptr)
{
    std::string text;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR wideState[6] = {0};
        SQLINTEGER native = 0;
        SQLWCHAR wideMessage[4096] = {0};
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(type, handle, i, wideState, &native, wideMessage,
                                      static_cast<SQLSMALLINT>(std::size(wideMessage)), &length);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            break;
        std::string state;
        for (int k = 0; k < 5; ++k)
            state += static_cast<char>(wideState[k] < 0x80 ? wideState[k] : '?');
        if (lost && state[0] == '0' && state[1] == '8')
            *lost = true;
        if (records)
            records->push_back({state, static_cast<int>(native)});
        if (!text.empty())
            text += "\n";
        std::size_t units =
            std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)),
                                  std::size(wideMessage) - 1);
        text += Utf16ToUtf8(std::u16string(wideMessage, wideMessage + units));
    }
    return text;
}

// The driver's own words: the driver manager's prefix before the driver's
// is dropped, so messages read as the driver gives them.
std::string DriverText(std::string text)
{
    const std::string prefix = "[unixODBC][";
    std::size_t at = 0;
    while ((at = text.find(prefix, at)) != std::string::npos)
        text.erase(at, prefix.size() - 1);
    return text;
}

// Raises the handle's diagnostics; a failure that left the connection dead
// is marked as its loss.
[[noreturn]] void Fail(SQLSMALLINT type, SQLHANDLE handle, const char* fallback, SQLHDBC dbc)
{
    bool lost = false;
    std::vector<DiagnosticRecord> records;
    std::string text =
        handle ? DriverText(Diagnostics(type, handle, &lost, &records)) : std::string();
    SQLUINTEGER dead = SQL_CD_FALSE;
    if (!lost && dbc != SQL_NULL_HDBC &&
        Ok(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)))
        lost = dead == SQL_CD_TRUE;
    throw EOleException(text.empty() ? std::string(fallback) : text, lost, std::move(records));
}

}  // namespace

#ifdef _WIN32

// The drivers the system's driver manager lists.
std::vector<std::string> InstalledDrivers(SQLHENV env)
{
    std::vector<std::string> names;
    SQLCHAR name[256], attributes[1024];
    SQLSMALLINT nameLength = 0, attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (Ok(SQLDrivers(env, direction, name, sizeof name, &nameLength, attributes,
                         sizeof attributes, &attributesLength))) {
        names.emplace_back(reinterpret_cast<char*>(name));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

// The plain (ANSI) entry points elsewhere: Wine's odbc32 implements those
// and not the "A" ones, which the system's takes as the same functions.
// The login goes in UTF-16, so that a name outside ISO 8859-1 (a Chinese
// database name) reaches every driver as written: FreeTDS reads an ANSI
// connection string as ISO 8859-1.
SQLRETURN ConnectDriver(SQLHENV env, SQLHDBC dbc, OdbcLogin login)
{
    UseDriver(login, ChooseSqlServerDriver(InstalledDrivers(env)));
    std::vector<SQLWCHAR> wide = WideText(OdbcConnectionString(login));
    return SQLDriverConnectW(dbc, nullptr, wide.data(), SQL_NTS, nullptr, 0, nullptr,
                             SQL_DRIVER_NOPROMPT);
}

#else

// FreeTDS does not undo a doubled '}' inside braces, so some passwords
// cannot travel in a connection string. The login therefore goes through a
// data source of its own, in a private odbc.ini that ODBCINI names, with the
// user and the password as SQLConnect's own arguments.
const char* const kIniFolderPrefix = "pellam-odbc-";

// Removes the private folders that processes no longer running left behind
// (killed before they could remove their own). Their names carry the pid.
void RemoveStaleIniFolders(const std::string& base)
{
    DIR* dir = opendir(base.c_str());
    if (!dir)
        return;
    std::string prefix = kIniFolderPrefix;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        if (pid <= 0 || pid == static_cast<long>(getpid()) ||
            kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;
        std::string folder = std::string(base).append("/").append(name);
        struct stat st;
        if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
            continue;
        if (DIR* inner = opendir(folder.c_str())) {
            while (dirent* file = readdir(inner))
                if (std::string(file->d_name) != "." && std::string(file->d_name) != "..")
                    unlink((folder + "/" + file->d_name).c_str());
            closedir(inner);
        }
        rmdir(folder.c_str());
    }
    closedir(dir);
}

// The private folder, made once: under TMPDIR, else the user's runtime
// folder, else /tmp, whichever first takes it.
std::string PrivateIniFolder()
{
    static std::string folder = [] {
        std::vector<std::string> bases;
        for (const char* variable : {"TMPDIR", "XDG_RUNTIME_DIR"})
            if (const char* value = std::getenv(variable); value && *value)
                bases.push_back(value);
        bases.push_back("/tmp");
        for (const std::string& base : bases) {
            RemoveStaleIniFolders(base);
            std::string pattern =
                base + "/" + kIniFolderPrefix + std::to_string(getpid()) + "-XXXXXX";
            if (!mkdtemp(&pattern[0]))
                continue;
            static std::string removeAtExit;
            removeAtExit = pattern;
            std::atexit([] { rmdir(removeAtExit.c_str()); });
            return pattern;
        }
        return std::string();
    }();
    return folder;
}

bool ToLatin1(const std::string& utf8, std::string& latin1)
{
    latin1.clear();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            latin1 += static_cast<char>(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
            latin1 += static_cast<char>(((c & 0x03) << 6) | (utf8[++i] & 0x3F));
        } else {
            return false;
        }
    }
    return true;
}

SQLRETURN ConnectDriver(SQLHENV /*env*/, SQLHDBC dbc, const OdbcLogin& login)
{
    static std::mutex lock;
    static int serial = 0;
    std::lock_guard<std::mutex> guard(lock);

    std::string folder = PrivateIniFolder();
    if (folder.empty())
        throw EOleException("Cannot prepare the ODBC data source");
    std::string dsn = "Pellam" + std::to_string(++serial);
    // A new file for every login: the driver manager caches what it read by
    // file name.
    std::string path = folder + "/" + dsn + ".ini";
    std::string ini = "[" + dsn + "]\n";
    std::string database;
    for (const auto& [key, value] : login.Attributes) {
        bool outerBlanks =
            !value.empty() && (std::isspace(static_cast<unsigned char>(value.front())) ||
                               std::isspace(static_cast<unsigned char>(value.back())));
        if (key == "Database" && outerBlanks) {
            // The data source file would lose the name's outer blanks; the
            // connection attribute carries it exactly, but only in ASCII
            // before the character set is known.
            for (char c : value)
                if (static_cast<unsigned char>(c) >= 0x80)
                    throw EOleException("A database name with blanks at either end can only be "
                                        "opened when it is ASCII text");
            database = value;
            continue;
        }
        if (value.find_first_of("\r\n") != std::string::npos)
            throw EOleException("A connection value holds a line break");
        // The driver reads its data source file as UTF-8.
        ini.append(key).append("=").append(value).append("\n");
    }
    // Readable by this user alone.
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::FILE* f = fd < 0 ? nullptr : fdopen(fd, "w");
    if (!f || std::fwrite(ini.data(), 1, ini.size(), f) != ini.size()) {
        if (f)
            std::fclose(f);
        else if (fd >= 0)
            close(fd);
        std::remove(path.c_str());
        throw EOleException("Cannot prepare the ODBC data source");
    }
    std::fclose(f);
    // The one change Pellam makes to the process's environment, under the
    // lock: the driver manager finds the data source through ODBCINI.
    setenv("ODBCINI", path.c_str(), 1);
    // The driver sends the login's user and password as ISO 8859-1 bytes,
    // whatever the client character set: a character outside it cannot
    // reach the server, and is refused here rather than sent wrong.
    std::string user, password;
    if (!ToLatin1(login.User, user) || !ToLatin1(login.Password, password)) {
        std::remove(path.c_str());
        throw EOleException("The user name or password holds a character the SQL Server driver "
                            "cannot send (only ISO 8859-1 characters can be sent)");
    }
    if (!database.empty())
        SQLSetConnectAttrA(dbc, SQL_ATTR_CURRENT_CATALOG, &database[0], SQL_NTS);
    SQLRETURN rc = SQLConnectA(dbc, reinterpret_cast<SQLCHAR*>(&dsn[0]), SQL_NTS,
                               reinterpret_cast<SQLCHAR*>(&user[0]), SQL_NTS,
                               reinterpret_cast<SQLCHAR*>(&password[0]), SQL_NTS);
    std::remove(path.c_str());
    return rc;
}

#endif

namespace {

// An ODBC handle that frees itself; a connection handle disconnects first
// when it was connected.
class OdbcHandle {
public:
    explicit OdbcHandle(SQLSMALLINT type) : type_(type) { }
    ~OdbcHandle() { Reset(); }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    // Allocates the handle under its parent; false when the driver manager
    // could not.
    bool Allocate(SQLHANDLE parent) { return Ok(SQLAllocHandle(type_, parent, &handle_)); }
    void Reset() noexcept
    {
        if (handle_ == SQL_NULL_HANDLE)
            return;
        if (connected_)
            SQLDisconnect(handle_);
        SQLFreeHandle(type_, handle_);
        handle_ = SQL_NULL_HANDLE;
        connected_ = false;
    }
    SQLHANDLE Get() const { return handle_; }
    void MarkConnected() { connected_ = true; }
    bool Connected() const { return connected_; }

private:
    SQLSMALLINT type_;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
    bool connected_ = false;
};

}  // namespace

struct TADOConnection::Impl {
    // The connection goes before its environment.
    OdbcHandle env{SQL_HANDLE_ENV};
    OdbcHandle dbc{SQL_HANDLE_DBC};
    int serverMajor = 0;
    std::set<TADOQuery*> queries;

    void Release() noexcept
    {
        dbc.Reset();
        env.Reset();
        serverMajor = 0;
    }
};

TADOConnection::TADOConnection() : impl_(new Impl)
{
}

TADOConnection::~TADOConnection()
{
    for (TADOQuery* q : impl_->queries) {
        q->Close();
        q->connection_ = nullptr;
    }
    impl_->Release();
}

bool TADOConnection::Connected() const
{
    return impl_->dbc.Connected();
}

void TADOConnection::SetConnected(bool connected)
{
    if (!connected) {
        for (TADOQuery* q : impl_->queries)
            q->Close();
        impl_->Release();
        return;
    }
    if (Connected())
        return;

    OdbcLogin login = TranslateConnectionString(ConnectionString);
    impl_->Release();
    if (!impl_->env.Allocate(SQL_NULL_HANDLE))
        throw EOleException("Cannot start the ODBC driver manager");
    SQLSetEnvAttr(impl_->env.Get(), SQL_ATTR_ODBC_VERSION,
                  reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!impl_->dbc.Allocate(impl_->env.Get())) {
        impl_->Release();
        throw EOleException("Cannot start the ODBC driver manager");
    }
    SQLHDBC dbc = impl_->dbc.Get();
    int loginTimeout = login.LoginTimeout > 0 ? login.LoginTimeout : ConnectionTimeout;
    SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginTimeout)), 0);

    SQLRETURN rc = ConnectDriver(impl_->env.Get(), dbc, login);
    if (!Ok(rc)) {
        std::vector<DiagnosticRecord> records;
        std::string text = DriverText(Diagnostics(SQL_HANDLE_DBC, dbc, nullptr, &records));
        impl_->Release();
        throw EOleException(text.empty() ? "Cannot connect to the server" : text, false,
                            std::move(records));
    }
    impl_->dbc.MarkConnected();
    // "16.00.1000": the product's major version leads.
    SQLCHAR version[64] = {0};
    SQLSMALLINT length = 0;
    if (Ok(SQLGetInfo(dbc, SQL_DBMS_VER, version, sizeof version, &length)))
        impl_->serverMajor = std::atoi(reinterpret_cast<const char*>(version));
}

int TADOConnection::ServerMajorVersion() const
{
    return impl_->serverMajor;
}

std::string TADOConnection::CurrentCatalog() const
{
    if (!Connected())
        return std::string();
    // Wide, so that any name arrives whole; the driver knows it from the
    // login's reply and asks the server nothing.
    SQLWCHAR name[512] = {0};
    SQLINTEGER length = 0;
    if (!Ok(SQLGetConnectAttrW(impl_->dbc.Get(), SQL_ATTR_CURRENT_CATALOG, name, sizeof name,
                               &length)))
        return std::string();
    std::u16string wide;
    for (std::size_t k = 0; k < sizeof name / sizeof name[0] && name[k]; ++k)
        wide += static_cast<char16_t>(name[k]);
    return Utf16ToUtf8(wide);
}

TADOQuery::TADOQuery(TADOConnection* connection) : connection_(connection)
{
    if (connection_)
        connection_->impl_->queries.insert(this);
}

TADOQuery::~TADOQuery()
{
    if (connection_)
        connection_->impl_->queries.erase(this);
}

void TADOQuery::Close()
{
    active_ = false;
    rows_.clear();
    current_ = 0;
}

void TADOQuery::SetSQL(const std::string& statement)
{
    sql_ = statement;
}

namespace {

// The rows of the statement's current result, each value as UTF-8.
// Reads the current result's rows; returns how many columns it has (0 for
// a statement that answers with none, as USE does).
int ReadRows(SQLHSTMT stmt, SQLHDBC dbc, std::vector<TADOQuery::Row>& rows)
{
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    while (columns > 0) {
        SQLRETURN rc = SQLFetch(stmt);
        if (rc == SQL_NO_DATA)
            break;
        if (!Ok(rc))
            Fail(SQL_HANDLE_STMT, stmt, "Reading the result failed", dbc);
        TADOQuery::Row row;
        for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
            // Read as UTF-16 from the wire, so that every character arrives.
            std::u16string wide;
            SQLWCHAR buffer[512];
            bool null = false;
            for (;;) {
                SQLLEN indicator = 0;
                rc = SQLGetData(stmt, c, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
                if (rc == SQL_NO_DATA)
                    break;
                if (!Ok(rc))
                    Fail(SQL_HANDLE_STMT, stmt, "Reading the result failed", dbc);
                if (indicator == SQL_NULL_DATA) {
                    null = true;
                    break;
                }
                std::size_t bytes =
                    (indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof buffer))
                        ? sizeof buffer - sizeof(SQLWCHAR)
                        : static_cast<std::size_t>(indicator);
                for (std::size_t k = 0; k < bytes / sizeof(SQLWCHAR); ++k)
                    wide += static_cast<char16_t>(buffer[k]);
                if (rc == SQL_SUCCESS)
                    break;
            }
            if (null)
                row.emplace_back();
            else
                row.emplace_back(Utf16ToUtf8(wide));
        }
        rows.push_back(std::move(row));
    }
    return columns;
}

}  // namespace

// A statement handle of the connection, freed with the object.
class TADOQuery::Statement {
public:
    explicit Statement(TADOConnection* connection)
    {
        if (!connection || !connection->Connected())
            throw EOleException("Operation is not allowed when the object is closed.", true);
        dbc = connection->impl_->dbc.Get();
        if (!Ok(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt)))
            Fail(SQL_HANDLE_DBC, dbc, "Cannot prepare a statement", dbc);
        // After its query time-out the driver sends a cancel and waits as
        // long again for the server to acknowledge it: half the command
        // time-out each keeps the whole statement within it.
        if (connection->CommandTimeout > 0) {
            SQLULEN timeout = static_cast<SQLULEN>(std::max(1, connection->CommandTimeout / 2));
            SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(timeout), 0);
        }
    }
    ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // The statement (UTF-8) goes in UTF-16: no code page stands between
    // the text and the server, so every name reaches it exactly.
    SQLRETURN Execute(const std::string& utf8)
    {
        std::vector<SQLWCHAR> wide = WideText(utf8);
        return SQLExecDirectW(stmt, wide.data(), static_cast<SQLINTEGER>(wide.size() - 1));
    }

    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
};

void TADOQuery::Open()
{
    Close();
    Statement statement(connection_);
    SQLRETURN rc = statement.Execute(sql_);
    if (rc != SQL_NO_DATA && !Ok(rc))
        Fail(SQL_HANDLE_STMT, statement.stmt, "The statement failed", statement.dbc);
    std::vector<Row> rows;
    columns_ = ReadRows(statement.stmt, statement.dbc, rows);
    rows_ = std::move(rows);
    current_ = 0;
    active_ = true;
}

std::vector<TADOQuery::BatchResult> TADOQuery::OpenBatch(const std::vector<std::string>& statements)
{
    Close();
    batch_.clear();
    std::vector<BatchResult> outcome;
    std::string text;
    for (const std::string& s : statements)
        text += (text.empty() ? "" : "\r\n") + s;
    try {
        Statement statement(connection_);
        SQLRETURN rc = statement.Execute(text);
        bool stopped = false;
        while (outcome.size() < statements.size() && rc != SQL_NO_DATA) {
            BatchResult result;
            Rows rows;
            if (Ok(rc)) {
                try {
                    rows.Columns = ReadRows(statement.stmt, statement.dbc, rows.Texts);
                    result.Columns = rows.Columns;
                } catch (const EOleException& e) {
                    // The driver reads ahead: a failure while reading may be
                    // the next statement's. Nothing from here on is known.
                    outcome.push_back({false, e.Message, e.ConnectionLost, e.NativeError()});
                    stopped = true;
                    break;
                }
            } else {
                try {
                    Fail(SQL_HANDLE_STMT, statement.stmt, "The statement failed", statement.dbc);
                } catch (const EOleException& e) {
                    result = {false, e.Message, e.ConnectionLost, e.NativeError()};
                }
            }
            outcome.push_back(result);
            batch_.push_back(std::move(rows));
            if (result.ConnectionLost) {
                stopped = true;
                break;
            }
            rc = SQLMoreResults(statement.stmt);
        }
        // A result beyond the last statement's: the results do not map onto
        // the statements, so none of them is trusted.
        if (!stopped && outcome.size() == statements.size() && rc != SQL_NO_DATA)
            outcome.clear();
    } catch (const EOleException& e) {
        outcome.push_back({false, e.Message, e.ConnectionLost, e.NativeError()});
    }
    batch_.resize(outcome.size());
    return outcome;
}

void TADOQuery::SelectResult(std::size_t index)
{
    Close();
    if (index >= batch_.size())
        return;
    rows_ = batch_[index].Texts;
    columns_ = batch_[index].Columns;
    active_ = true;
}

int TADOQuery::FieldCount() const
{
    return active_ ? columns_ : 0;
}

int TADOQuery::RecordCount() const
{
    return active_ ? static_cast<int>(rows_.size()) : 0;
}

bool TADOQuery::Eof() const
{
    return !active_ || current_ >= rows_.size();
}

void TADOQuery::Next()
{
    if (!Eof())
        ++current_;
}

std::string TADOQuery::FieldText(int column) const
{
    if (Eof() || column < 0 || static_cast<std::size_t>(column) >= rows_[current_].size())
        throw EOleException("Either BOF or EOF is True, or the current record has been deleted.");
    return rows_[current_][static_cast<std::size_t>(column)].value_or(std::string());
}

bool TADOQuery::FieldIsNull(int column) const
{
    if (Eof() || column < 0 || static_cast<std::size_t>(column) >= rows_[current_].size())
        throw EOleException("Either BOF or EOF is True, or the current record has been deleted.");
    return !rows_[current_][static_cast<std::size_t>(column)].has_value();
}

}  // namespace platform
