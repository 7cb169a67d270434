#ifndef DbmoduleH
#define DbmoduleH

// The catalogue data module: the application's one connection and one query,
// and every question asked of the server's system catalogue.

#include <functional>
#include <map>
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

    // Runs a statement on ExecSQLQuery; the open query, or null after the
    // failure has been told.
    platform::TADOQuery* ExecSQL(const std::string& statement);

    // Connects afresh; false after the failure has been told. The SQL login
    // is sa unless another user is named.
    bool Connect(bool useSqlLogin, const std::string& host, const std::string& password,
                 const std::string& catalog, const std::string& user = "sa");

    // Each false after the failure has been told, with nothing added.
    bool GetDatabaseList(NameList& out);
    bool GetTableList(const std::string& database, NameList& out);
    bool GetViewList(const std::string& database, NameList& out);
    bool GetColumnList(const std::string& name, ColumnList& out);
    bool GetIdentityColumns(const std::string& table, IdentityNames& out) override;

    // The same questions for many objects at once, sent in batches of a few
    // hundred statements: entry k of out is what the single question for
    // name k gives, and entry k of the result whether it was answered. Each
    // failure is told as the single question tells it. A batch the server
    // refuses as a whole is sent again one statement at a time.
    std::vector<bool> GetColumnLists(const NameList& names, std::vector<ColumnList>& out);
    std::vector<bool> GetIdentityColumnLists(const NameList& tables,
                                             std::vector<IdentityNames>& out);
    // In batches too; only the first failure is told.
    std::size_t GetIdentityColumnsUntilFailure(const NameList& tables,
                                               std::vector<IdentityNames>& out) override;

    // The bounds of one batch.
    static constexpr std::size_t kBatchStatements = 200;
    static constexpr std::size_t kBatchBytes = 64 * 1024;
    // A name read from the server that held a character GBK cannot hold (it
    // holds "？" in its place and names no object) as the server sent it, in
    // UTF-8; "" for any other name.
    // Names that differ only in characters GBK cannot hold share one entry.
    std::string OriginalUtf8(const std::string& name) const;

    // The connection strings of the two logins.
    static std::string WindowsConnectionString(const std::string& catalog);
    static std::string SqlServerConnectionString(const std::string& password,
                                                 const std::string& catalog,
                                                 const std::string& host,
                                                 const std::string& user = "sa");

    platform::TADOConnection* ADOConnection1;
    platform::TADOQuery* ExecSQLQuery;
    platform::TDataSource* DataSource1;

private:
    bool ReadNames(const std::string& statement, NameList& out);
    std::string Text(int column);
    void Tell(const std::string& message);
    void TellFailure(const std::string& message, bool connectionLost);
    static std::string ColumnStatement(const std::string& name);
    static std::string IdentityStatement(const std::string& table);
    // The rows of ExecSQLQuery's result, appended.
    void ReadColumns(ColumnList& out);
    void ReadIdentity(IdentityNames& out);
    // Runs the statements in batches; read(k) takes statement k's result
    // from ExecSQLQuery. Entry k: whether statement k was answered.
    // With stopAtFailure, nothing after the first failure is told or read.
    std::vector<bool> ExecBatched(const std::vector<std::string>& statements,
                                  const std::function<void(std::size_t)>& read,
                                  bool stopAtFailure = false);

    std::map<std::string, std::string> unholdable_;
    // The loss of the connection has been told since the last Connect.
    bool lossTold_ = false;
    CatalogErrorSink* sink_ = nullptr;
};

extern TDBData* DBData;

#endif
