#ifndef DbmoduleH
#define DbmoduleH

// The catalogue data module: the application's one connection and one query,
// and every question asked of the server's system catalogue.

#include <set>
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

    void GetDatabaseList(NameList& out);
    void GetTableList(const std::string& database, NameList& out);
    void GetViewList(const std::string& database, NameList& out);
    bool GetColumnList(const std::string& name, ColumnList& out);
    void GetIdentityColumns(const std::string& table, IdentityNames& out) override;

    // True for a name read from the server that held a character GBK cannot
    // hold (it holds "？" in its place and names no object).
    bool IsUnholdableName(const std::string& name) const;

    // The connection strings of the two logins.
    static std::string WindowsConnectionString(const std::string& catalog);
    static std::string SqlServerConnectionString(const std::string& password,
                                                 const std::string& catalog,
                                                 const std::string& host);

    platform::TADOConnection* ADOConnection1;
    platform::TADOQuery* ExecSQLQuery;
    platform::TDataSource* DataSource1;

private:
    void ReadNames(const std::string& statement, NameList& out);
    std::string Text(int column);

    std::set<std::string> unholdable_;
};

extern TDBData* DBData;

#endif
