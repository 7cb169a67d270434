#include "Dbmodule.h"

#include "platform/Application.h"
#include "platform/Text.h"

using platform::Application;

TDBData* DBData = nullptr;

namespace {

const char* const kDesignConnectionString =
    "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
    "Initial Catalog=master;Data Source=.";

const std::string& ErrorCaption()
{
    static const std::string caption = platform::Gbk("ExecSQL执行出错");
    return caption;
}

}  // namespace

TDBData::TDBData()
    : ADOConnection1(new platform::TADOConnection),
      ExecSQLQuery(new platform::TADOQuery(ADOConnection1)),
      DataSource1(new platform::TDataSource)
{
    ADOConnection1->LoginPrompt = false;
    ADOConnection1->ConnectionString = kDesignConnectionString;
}

TDBData::~TDBData()
{
    delete DataSource1;
    delete ExecSQLQuery;
    delete ADOConnection1;
}

std::string TDBData::WindowsConnectionString(const std::string& catalog)
{
    return platform::FillFields(
        "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
        "Initial Catalog=${Catalog};Data Source=.",
        {{"Catalog", platform::QuoteOleDbValue(catalog)}});
}

std::string TDBData::SqlServerConnectionString(const std::string& password,
                                               const std::string& catalog, const std::string& host)
{
    return platform::FillFields(
        "Provider=SQLOLEDB.1;Password=${Password};Persist Security Info=True;User ID=sa;"
        "Initial Catalog=${Catalog};Data Source=${Host}",
        {{"Password", platform::QuoteOleDbValue(password)},
         {"Catalog", platform::QuoteOleDbValue(catalog)},
         {"Host", platform::QuoteOleDbValue(host)}});
}

platform::TADOQuery* TDBData::ExecSQL(const std::string& statement)
{
    try {
        ExecSQLQuery->Close();
        ExecSQLQuery->SetSQL(std::string());
        ExecSQLQuery->SetSQL(statement);
        ExecSQLQuery->Open();
        return ExecSQLQuery;
    } catch (const platform::Exception& e) {
        // A lost connection is told once; the statements after it fail
        // quietly until the next Connect.
        auto* ole = dynamic_cast<const platform::EOleException*>(&e);
        bool lost = ole && ole->ConnectionLost;
        if (!lost || !lossTold_)
            Tell(e.Message);
        lossTold_ = lossTold_ || lost;
    }
    return nullptr;
}

bool TDBData::Connect(bool useSqlLogin, const std::string& host, const std::string& password,
                      const std::string& catalog)
{
    lossTold_ = false;
    try {
        ADOConnection1->SetConnected(false);
        ADOConnection1->ConnectionString = useSqlLogin
                                               ? SqlServerConnectionString(password, catalog, host)
                                               : WindowsConnectionString(catalog);
        ADOConnection1->SetConnected(true);
        return true;
    } catch (const platform::Exception& e) {
        Tell(e.Message);
    }
    return false;
}

void TDBData::Tell(const std::string& message)
{
    if (sink_)
        sink_->Failed(message);
    else
        Application.MessageBox(message, ErrorCaption(), platform::MB_OK | platform::MB_ICONERROR);
}

std::string TDBData::Text(int column)
{
    std::string text = ExecSQLQuery->FieldText(column);
    if (ExecSQLQuery->FieldLossy(column))
        unholdable_.emplace(text, ExecSQLQuery->FieldOriginalUtf8(column));
    return text;
}

bool TDBData::ReadNames(const std::string& statement, NameList& out)
{
    platform::TADOQuery* query = ExecSQL(statement);
    if (!query)
        return false;
    for (int i = 0; i < query->RecordCount(); ++i) {
        out.push_back(Text(0));
        query->Next();
    }
    return true;
}

bool TDBData::GetDatabaseList(NameList& out)
{
    return ReadNames("SELECT Name FROM [Master]..[SysDatabases] ORDER BY Name", out);
}

bool TDBData::GetTableList(const std::string& database, NameList& out)
{
    return ReadNames(platform::FillFields("SELECT [Name] FROM [${Database}]..[SysObjects] WHERE "
                                          "[xtype]='U' AND [status]>0 ORDER BY Name",
                                          {{"Database", SqlBracketed(database)}}),
                     out);
}

bool TDBData::GetViewList(const std::string& database, NameList& out)
{
    return ReadNames(platform::FillFields("SELECT [Name] FROM [${Database}]..[SysObjects] WHERE "
                                          "[xtype]='V' AND [status]>0  ORDER BY Name",
                                          {{"Database", SqlBracketed(database)}}),
                     out);
}

bool TDBData::GetColumnList(const std::string& name, ColumnList& out)
{
    platform::TADOQuery* query =
        ExecSQL(platform::FillFields(
            "SELECT [syscolumns].[name],[systypes].[name],[syscolumns].[length] FROM "
            "[syscolumns] LEFT JOIN  [systypes] ON "
            "[syscolumns].[xusertype]=[systypes].[xusertype]  WHERE [id]=(SELECT [id] "
            "FROM [sysobjects] WHERE [name]='${Name}')",
            {{"Name", SqlQuoted(name)}}));
    if (!query)
        return false;
    for (int i = 0; i < query->RecordCount(); ++i) {
        ColumnEntry entry;
        entry.Name = Text(0);
        entry.TypeName = Text(1);  // empty when no type row matched
        out.push_back(entry);
        query->Next();
    }
    return true;
}

bool TDBData::GetIdentityColumns(const std::string& table, IdentityNames& out)
{
    platform::TADOQuery* query = ExecSQL(platform::FillFields(
        "Select so.name Table_name,sc.name Iden_Column_name,  ident_current(so.name) curr_value,  "
        "ident_incr(so.name) incr_value,  ident_seed(so.name) seed_value  from sysobjects so  "
        "Inner Join syscolumns sc  on so.id = sc.id  and columnproperty(sc.id, sc.name,  "
        "'IsIdentity') = 1  Where upper(so.name) = upper('${Name}')",
        {{"Name", SqlQuoted(table)}}));
    if (!query)
        return false;
    for (int i = 0; i < query->RecordCount(); ++i) {
        out.push_back(Text(1));
        query->Next();
    }
    return true;
}

std::string TDBData::OriginalUtf8(const std::string& name) const
{
    auto it = unholdable_.find(name);
    return it == unholdable_.end() ? std::string() : it->second;
}
