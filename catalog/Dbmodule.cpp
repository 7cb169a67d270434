#include "Dbmodule.h"

#include "generator/TextFill.h"
#include "platform/Application.h"
#include "platform/Text.h"

using platform::Application;

TDBData* DBData = nullptr;

namespace {

const char* const kDesignConnectionString =
    "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
    "Initial Catalog=master;Data Source=.";

// A name between single quotes, and between square brackets, of a statement.
std::string Quoted(const std::string& name) { return platform::DoubleChar(name, '\''); }
std::string Bracketed(const std::string& name) { return platform::DoubleChar(name, ']'); }

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
    return FillTemplate("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
                "Initial Catalog=%s;Data Source=.",
                {platform::QuoteOleDbValue(catalog)});
}

std::string TDBData::SqlServerConnectionString(const std::string& password,
                                               const std::string& catalog, const std::string& host)
{
    return FillTemplate("Provider=SQLOLEDB.1;Password=%s;Persist Security Info=True;User ID=sa;"
                "Initial Catalog=%s;Data Source=%s",
                {platform::QuoteOleDbValue(password), platform::QuoteOleDbValue(catalog),
                 platform::QuoteOleDbValue(host)});
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
            Application.MessageBox(e.Message, ErrorCaption(), platform::MB_OK | platform::MB_ICONERROR);
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
        Application.MessageBox(e.Message, ErrorCaption(), platform::MB_OK | platform::MB_ICONERROR);
    }
    return false;
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

void TDBData::GetTableList(const std::string& database, NameList& out)
{
    ReadNames(FillTemplate("SELECT [Name] FROM [%s]..[SysObjects] WHERE [xtype]='U' AND [status]>0 "
                   "ORDER BY Name",
                   {Bracketed(database)}),
              out);
}

void TDBData::GetViewList(const std::string& database, NameList& out)
{
    ReadNames(FillTemplate("SELECT [Name] FROM [%s]..[SysObjects] WHERE [xtype]='V' AND [status]>0  "
                   "ORDER BY Name",
                   {Bracketed(database)}),
              out);
}

bool TDBData::GetColumnList(const std::string& name, ColumnList& out)
{
    platform::TADOQuery* query =
        ExecSQL(FillTemplate("SELECT [syscolumns].[name],[systypes].[name],[syscolumns].[length] FROM "
                     "[syscolumns] LEFT JOIN  [systypes] ON "
                     "[syscolumns].[xusertype]=[systypes].[xusertype]  WHERE [id]=(SELECT [id] "
                     "FROM [sysobjects] WHERE [name]='%s')",
                     {Quoted(name)}));
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
    platform::TADOQuery* query = ExecSQL(FillTemplate(
        "Select so.name Table_name,sc.name Iden_Column_name,  ident_current(so.name) curr_value,  "
        "ident_incr(so.name) incr_value,  ident_seed(so.name) seed_value  from sysobjects so  "
        "Inner Join syscolumns sc  on so.id = sc.id  and columnproperty(sc.id, sc.name,  "
        "'IsIdentity') = 1  Where upper(so.name) = upper('%s')",
        {Quoted(table)}));
    if (!query)
        return false;
    for (int i = 0; i < query->RecordCount(); ++i) {
        out.push_back(Text(1));
        query->Next();
    }
    return true;
}

bool TDBData::IsUnholdableName(const std::string& name) const
{
    return unholdable_.count(name) != 0;
}

std::string TDBData::OriginalUtf8(const std::string& name) const
{
    auto it = unholdable_.find(name);
    return it == unholdable_.end() ? std::string() : it->second;
}
