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
                                               const std::string& catalog, const std::string& host,
                                               const std::string& user)
{
    return platform::FillFields(
        "Provider=SQLOLEDB.1;Password=${Password};Persist Security Info=True;User ID=${User};"
        "Initial Catalog=${Catalog};Data Source=${Host}",
        {{"Password", platform::QuoteOleDbValue(password)},
         {"User", platform::QuoteOleDbValue(user)},
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
        auto* ole = dynamic_cast<const platform::EOleException*>(&e);
        TellFailure(e.Message, ole && ole->ConnectionLost);
    }
    return nullptr;
}

bool TDBData::Connect(bool useSqlLogin, const std::string& host, const std::string& password,
                      const std::string& catalog, const std::string& user)
{
    lossTold_ = false;
    try {
        ADOConnection1->SetConnected(false);
        ADOConnection1->ConnectionString = useSqlLogin
                                               ? SqlServerConnectionString(password, catalog, host, user)
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

std::string TDBData::ColumnStatement(const std::string& name)
{
    return platform::FillFields(
        "SELECT [syscolumns].[name],[systypes].[name],[syscolumns].[length] FROM "
        "[syscolumns] LEFT JOIN  [systypes] ON "
        "[syscolumns].[xusertype]=[systypes].[xusertype]  WHERE [id]=(SELECT [id] "
        "FROM [sysobjects] WHERE [name]='${Name}')",
        {{"Name", SqlQuoted(name)}});
}

std::string TDBData::IdentityStatement(const std::string& table)
{
    return platform::FillFields(
        "Select so.name Table_name,sc.name Iden_Column_name,  ident_current(so.name) curr_value,  "
        "ident_incr(so.name) incr_value,  ident_seed(so.name) seed_value  from sysobjects so  "
        "Inner Join syscolumns sc  on so.id = sc.id  and columnproperty(sc.id, sc.name,  "
        "'IsIdentity') = 1  Where upper(so.name) = upper('${Name}')",
        {{"Name", SqlQuoted(table)}});
}

void TDBData::ReadColumns(ColumnList& out)
{
    for (int i = 0; i < ExecSQLQuery->RecordCount(); ++i) {
        ColumnEntry entry;
        entry.Name = Text(0);
        entry.TypeName = Text(1);  // empty when no type row matched
        out.push_back(entry);
        ExecSQLQuery->Next();
    }
}

void TDBData::ReadIdentity(IdentityNames& out)
{
    for (int i = 0; i < ExecSQLQuery->RecordCount(); ++i) {
        out.push_back(Text(1));
        ExecSQLQuery->Next();
    }
}

bool TDBData::GetColumnList(const std::string& name, ColumnList& out)
{
    if (!ExecSQL(ColumnStatement(name)))
        return false;
    ReadColumns(out);
    return true;
}

bool TDBData::GetIdentityColumns(const std::string& table, IdentityNames& out)
{
    if (!ExecSQL(IdentityStatement(table)))
        return false;
    ReadIdentity(out);
    return true;
}

void TDBData::TellFailure(const std::string& message, bool connectionLost)
{
    // A lost connection is told once; the statements after it fail quietly
    // until the next Connect.
    if (!connectionLost || !lossTold_)
        Tell(message);
    lossTold_ = lossTold_ || connectionLost;
}

std::vector<bool> TDBData::ExecBatched(const std::vector<std::string>& statements,
                                       const std::function<void(std::size_t)>& read,
                                       bool stopAtFailure)
{
    std::vector<bool> ok(statements.size(), false);
    std::size_t start = 0;
    bool failed = false;
    while (start < statements.size() && !(stopAtFailure && failed)) {
        // The next batch: as many statements as the bounds allow, one at least.
        std::size_t end = start, bytes = 0;
        while (end < statements.size() && end - start < kBatchStatements &&
               (end == start || bytes + statements[end].size() <= kBatchBytes))
            bytes += statements[end++].size() + 2;
        if (end - start == 1) {
            if ((ok[start] = ExecSQL(statements[start]) != nullptr))
                read(start);
            failed = failed || !ok[start];
            start = end;
            continue;
        }
        std::vector<std::string> batch(statements.begin() + start, statements.begin() + end);
        std::vector<platform::TADOQuery::BatchResult> results = ExecSQLQuery->OpenBatch(batch);
        bool complete = results.size() == batch.size();
        bool lost = !results.empty() && results.back().ConnectionLost;
        for (std::size_t k = 0; k < batch.size() && !(stopAtFailure && failed); ++k) {
            std::size_t at = start + k;
            if (k < results.size() && results[k].Ok) {
                ExecSQLQuery->SelectResult(k);
                read(at);
                ok[at] = true;
            } else if (complete || lost) {
                // The statement's own failure, or the loss that ended the
                // batch here; later statements fail with it, quietly.
                if (k < results.size())
                    TellFailure(results[k].Message, results[k].ConnectionLost);
            } else if ((ok[at] = ExecSQL(batch[k]) != nullptr)) {
                // Refused as a whole: each statement once more on its own.
                read(at);
            }
            failed = failed || !ok[at];
        }
        ExecSQLQuery->Close();
        start = end;
    }
    return ok;
}

std::vector<bool> TDBData::GetColumnLists(const NameList& names, std::vector<ColumnList>& out)
{
    std::vector<std::string> statements;
    for (const std::string& name : names)
        statements.push_back(ColumnStatement(name));
    out.assign(names.size(), ColumnList());
    return ExecBatched(statements, [&](std::size_t k) { ReadColumns(out[k]); });
}

std::vector<bool> TDBData::GetIdentityColumnLists(const NameList& tables,
                                                  std::vector<IdentityNames>& out)
{
    std::vector<std::string> statements;
    for (const std::string& table : tables)
        statements.push_back(IdentityStatement(table));
    out.assign(tables.size(), IdentityNames());
    return ExecBatched(statements, [&](std::size_t k) { ReadIdentity(out[k]); });
}

std::size_t TDBData::GetIdentityColumnsUntilFailure(const NameList& tables,
                                                    std::vector<IdentityNames>& out)
{
    std::vector<std::string> statements;
    for (const std::string& table : tables)
        statements.push_back(IdentityStatement(table));
    std::vector<IdentityNames> lists(tables.size());
    std::vector<bool> ok =
        ExecBatched(statements, [&](std::size_t k) { ReadIdentity(lists[k]); }, true);
    std::size_t answered = 0;
    while (answered < ok.size() && ok[answered])
        out.push_back(lists[answered++]);
    return answered;
}

std::string TDBData::OriginalUtf8(const std::string& name) const
{
    auto it = unholdable_.find(name);
    return it == unholdable_.end() ? std::string() : it->second;
}
