#ifndef DbmoduleH
#define DbmoduleH

// The catalogue data module: the application's one connection and one query,
// and every question asked of the server's system catalogue.

#include <map>
#include <string>

#include "generator/Schema.h"
#include "platform/DbClient.h"

class TDBData : public IdentitySource {
public:
    TDBData();
    ~TDBData() override;
    TDBData(const TDBData&) = delete;
    TDBData& operator=(const TDBData&) = delete;

    // Runs a statement on ExecSQLQuery; the open query, or null after the
    // error box.
    platform::TADOQuery* ExecSQL(const std::string& statement);

    // Connects afresh; false after the error box.
    bool Connect(bool useSqlLogin, const std::string& host, const std::string& password,
                 const std::string& catalog);

    // False after the error box when the list could not be read.
    bool GetDatabaseList(NameList& out);
    void GetTableList(const std::string& database, NameList& out);
    void GetViewList(const std::string& database, NameList& out);
    bool GetColumnList(const std::string& name, ColumnList& out);
    bool GetIdentityColumns(const std::string& table, IdentityNames& out) override;

    // True for a name read from the server that held a character GBK cannot
    // hold (it holds "？" in its place and names no object).
    bool IsUnholdableName(const std::string& name) const;
    // Such a name as the server sent it, in UTF-8; "" for any other name.
    // Names that differ only in characters GBK cannot hold share one entry.
    std::string OriginalUtf8(const std::string& name) const;

    // The connection strings of the two logins.
    static std::string WindowsConnectionString(const std::string& catalog);
    static std::string SqlServerConnectionString(const std::string& password,
                                                 const std::string& catalog,
                                                 const std::string& host);

    platform::TADOConnection* ADOConnection1;
    platform::TADOQuery* ExecSQLQuery;
    platform::TDataSource* DataSource1;

private:
    bool ReadNames(const std::string& statement, NameList& out);
    std::string Text(int column);

    std::map<std::string, std::string> unholdable_;
    // The loss of the connection has been told since the last Connect.
    bool lossTold_ = false;
};

extern TDBData* DBData;

#endif
