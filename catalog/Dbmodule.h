#ifndef DbmoduleH
#define DbmoduleH

// The catalogue data module: the application's one connection and one query,
// and every question asked of the server's system catalogue.

#include <functional>
#include <memory>
#include <vector>
#include <string>

#include "schema/Schema.h"
#include "platform/DbClient.h"

// Where the data module tells of a failed login or statement.
class CatalogErrorSink {
public:
    virtual ~CatalogErrorSink() = default;
    virtual void Failed(const std::string& message) = 0;
};

class TDBData : public IdentitySource {
public:
    TDBData();
    ~TDBData() override;
    TDBData(const TDBData&) = delete;
    TDBData& operator=(const TDBData&) = delete;

    // Failures go to the sink from now on; null restores the default, an
    // error box captioned "ExecSQL执行出错". A lost connection is told once
    // until the next Connect.
    void SetErrorSink(CatalogErrorSink* sink) { sink_ = sink; }
    // Tells a failure found in what the statements answered, as their own
    // failures are told.
    void TellReadFailure(const std::string& message) { Tell(message); }

    // Runs a statement on ExecSQLQuery; the open query, or null after the
    // failure has been told (after the hint, when one is given).
    platform::TADOQuery* ExecSQL(const std::string& statement, const std::string& failureHint = {});

    // The text a failed login is told with: a Chinese line for the common
    // ways a login fails (and, for Windows authentication, what it tried
    // and the way past it), then the driver's words.
    static std::string LoginFailureText(const platform::Exception& e, bool windowsLogin);

    // Connects afresh; false after the failure has been told. The SQL login
    // is sa unless another user is named.
    bool Connect(bool useSqlLogin, const std::string& host, const std::string& password,
                 const std::string& catalog, const std::string& user = "sa");
    // Connects afresh as the last Connect did, into another database.
    bool ConnectTo(const std::string& catalog);

    // Each false after the failure has been told, with nothing added. The
    // lists give each object's name and schema (its owner on SQL Server
    // 2000), labels equal to names, without columns.
    bool GetDatabaseList(NameList& out);
    bool GetTableList(const std::string& database, SchemaObjects& out);
    bool GetViewList(const std::string& database, SchemaObjects& out);
    // An object's columns, found by its schema and name exactly as the
    // server sent them.
    bool GetColumnList(const SchemaObject& object, ColumnList& out);
    // A table's unwritable columns: identity, computed, timestamp and
    // GENERATED ALWAYS.
    bool GetIdentityColumns(const SchemaObject& table, IdentityNames& out) override;
    // Connected: a failed login leaves the data module without a connection.
    bool Available() override { return ADOConnection1->Connected(); }

    // One catalogue question: its statement (UTF-8) and what reads its
    // result from ExecSQLQuery: false, after telling why, for an answer
    // that is no sound catalogue (a NULL name, a row repeated).
    struct Question {
        std::string Statement;
        std::function<bool()> Read;
        // A line told before the server's words when the statement fails.
        std::string FailureHint = {};
        // The columns of its answer; an answer of another shape is another
        // statement's (a server or proxy that left an answer out), and
        // neither it nor any later answer of the batch is read. -1: any.
        int Columns = -1;
        // A statement that some drivers pass over without an answer (USE):
        // when its place holds an answer with columns, that answer is the
        // next statement's and this one is taken as done.
        bool MayBeSilent = false;
        // A failure whose first error number this accepts is the caller's
        // to handle: it is not told.
        std::function<bool(int)> Absorb = {};
        // A name the server's words may carry (a database's), shown in
        // them as messages show names.
        std::string Named = {};
    };
    // Asks the questions in as few batches as the byte bound allows: entry
    // k of the result says whether question k was answered (and read). Each
    // failure is told as the single question tells it; with stopAtFailure,
    // nothing after the first failure is told or read. A batch the server
    // refuses as a whole is sent again one statement at a time.
    std::vector<bool> Ask(const std::vector<Question>& questions, bool stopAtFailure = false);

    // The questions behind the operations below, for a caller that asks
    // several kinds at once.
    // Makes the database the connection's current one ("USE"), so that a
    // connection logged in once reads any database; its failure is told as
    // a login to a missing or refused database is. A server that takes no
    // USE to another database (Azure SQL Database, error 40508) sets
    // `refused` instead, for the caller to log in straight into it.
    Question UseQuestion(const std::string& database, bool* refused = nullptr);
    // After a USE: whether the connection is in that database now (a proxy
    // may answer USE without switching); told and false when it is not.
    Question CurrentDatabaseQuestion(const std::string& database);
    Question TableListQuestion(const std::string& database, SchemaObjects& out);
    Question ViewListQuestion(const std::string& database, SchemaObjects& out);
    Question ColumnQuestion(const SchemaObject& object, ColumnList& out);
    // The user's stored procedures, listed as tables are.
    Question ProcedureListQuestion(const std::string& database, SchemaObjects& out);
    // A procedure's parameters, in order, each with its type, length,
    // direction, precision and scale; none for a procedure without any (or
    // one that is gone).
    Question ParameterQuestion(const SchemaObject& procedure, ColumnList& out);
    Question IdentityQuestion(const SchemaObject& table, IdentityNames& out);
    // A database-wide answer: one row per column, naming its table by
    // schema (owner on SQL Server 2000) and name.
    struct TableColumnRow {
        std::string Schema, Table, Column;
    };
    // Every primary key's columns, each key's in key order.
    Question KeyQuestion(std::vector<TableColumnRow>& out);
    // Every table's IDENTITY column.
    Question IdentityColumnQuestion(std::vector<TableColumnRow>& out);
    // A database-wide answer: one row per column of a foreign key, with the
    // column it references and the constraint's name.
    struct ForeignKeyRow {
        std::string Schema, Table, Column, ReferencedSchema, ReferencedTable, ReferencedColumn,
            Constraint;
    };
    // Every foreign key's columns, each key's in key order, keys in the
    // order the server made them.
    Question ForeignKeyQuestion(std::vector<ForeignKeyRow>& out);
    // A database-wide answer: whether a column of a table or view allows
    // NULL.
    struct NullabilityRow {
        std::string Schema, Object, Column;
        bool Nullable = true;
    };
    // Every user table's and view's columns, each with whether it allows NULL.
    Question NullabilityQuestion(std::vector<NullabilityRow>& out);

    // The same questions for many objects at once, in batches: entry k of
    // out is what the single question for object k gives, and entry k of
    // the result whether it was answered.
    std::vector<bool> GetColumnLists(const SchemaObjects& objects, std::vector<ColumnList>& out);
    std::vector<bool> GetIdentityColumnLists(const SchemaObjects& tables,
                                             std::vector<IdentityNames>& out);
    // In batches too; only the first failure is told.
    std::size_t GetIdentityColumnsUntilFailure(const SchemaObjects& tables,
                                               std::vector<IdentityNames>& out) override;

    // The bound of one batch: 4 MiB of statement text (twice that in
    // UTF-16 on the wire, about 2,000 packets of 4 KiB, where SQL Server
    // takes up to 65,536). The whole catalogue of 2,000 tables fits in one.
    static constexpr std::size_t kBatchBytes = std::size_t{4} * 1024 * 1024;
    // A smaller bound, for tests that need several batches; 0 restores it.
    void SetBatchBytes(std::size_t bytes) { batchBytes_ = bytes ? bytes : kBatchBytes; }

    // The statements, in UTF-8. The object lists name the schema with
    // SCHEMA_NAME from SQL Server 2005 (major version 9) on, with USER_NAME
    // before; a server of unknown version is taken as a recent one.
    static std::string DatabaseListStatement();
    static std::string UseStatement(const std::string& database);
    static std::string CurrentDatabaseStatement();
    static std::string ObjectListStatement(const std::string& database, char xtype,
                                           int serverMajorVersion);
    static std::string ColumnStatement(const SchemaObject& object);
    static std::string ParameterStatement(const SchemaObject& procedure);
    static std::string IdentityStatement(const SchemaObject& table);
    static std::string KeyStatement();
    static std::string IdentityColumnStatement(int serverMajorVersion);
    static std::string ForeignKeyStatement(int serverMajorVersion);
    static std::string NullabilityStatement(int serverMajorVersion);

    // The connection strings of the two logins.
    static std::string WindowsConnectionString(const std::string& catalog);
    static std::string SqlServerConnectionString(const std::string& password,
                                                 const std::string& catalog,
                                                 const std::string& host,
                                                 const std::string& user = "sa");

    // The designed components, owned (the query before the connection it
    // runs on goes).
    std::unique_ptr<platform::TADOConnection> ADOConnection1;
    std::unique_ptr<platform::TADOQuery> ExecSQLQuery;
    std::unique_ptr<platform::TDataSource> DataSource1;

private:
    // Closes the query, sets its text, opens it; null after telling why
    // (not told when `absorb` takes the failure's error number).
    platform::TADOQuery* OpenQuery(const std::function<void()>& setText,
                                   const std::string& failureHint = {},
                                   const std::function<bool(int)>& absorb = {},
                                   const std::string& named = {});
    // One question on its own: asked, its answer's shape checked, read.
    bool AskOne(const Question& question);
    // Answers that belong to other statements than they were read for.
    void TellMisread();
    bool ReadObjectRows(SchemaObjects& out);
    void Tell(const std::string& message);
    // A statement's failure: its message, after the hint when one is given,
    // the name its words may carry shown escaped.
    void TellFailure(const std::string& message, bool connectionLost, const std::string& hint = {},
                     const std::string& named = {});
    // The rows of ExecSQLQuery's result, appended; nothing when the answer
    // is not sound (told, naming the object).
    bool ReadColumns(const SchemaObject& object, ColumnList& out, bool parameters = false);
    void ReadIdentity(IdentityNames& out);
    // Rows of three texts, appended.
    bool ReadTableColumnRows(std::vector<TableColumnRow>& out);
    bool ReadForeignKeyRows(std::vector<ForeignKeyRow>& out);
    bool ReadNullabilityRows(std::vector<NullabilityRow>& out);

    std::size_t batchBytes_ = kBatchBytes;
    // The last login, for ConnectTo.
    struct Login {
        bool SqlLogin = false;
        std::string Host, Password, User;
    } login_;
    // The loss of the connection has been told since the last Connect.
    bool lossTold_ = false;
    CatalogErrorSink* sink_ = nullptr;
};

extern TDBData* DBData;

#endif
