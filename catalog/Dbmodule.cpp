#include "Dbmodule.h"

#include <set>

#include "platform/Application.h"
#include "platform/Text.h"

using platform::Application;

TDBData* DBData = nullptr;

namespace {

const char* const kCannotOpenDatabase = "无法打开数据库：数据库不存在，或这个登录无权打开它。";

// The server's words with a name they carry shown as messages show names:
// a database named with a line break or a direction override cannot split
// or reverse the message.
std::string WithNameShown(std::string words, const std::string& name)
{
    std::string shown = platform::Printable(name);
    if (name.empty() || shown == name)
        return words;
    for (std::size_t at = words.find(name); at != std::string::npos;
         at = words.find(name, at + shown.size()))
        words.replace(at, name.size(), shown);
    return words;
}

const std::string& ErrorCaption()
{
    static const std::string caption = "ExecSQL执行出错";
    return caption;
}

// One Chinese line before the driver's words for the common ways a login
// fails, told by the diagnostics' numbers and SQLSTATEs; "" for others.
std::string LoginHintOf(const platform::EOleException& e)
{
    bool loginFailed = false, unreachable = false;
    for (const platform::DiagnosticRecord& r : e.Records) {
        if (r.NativeError == 4060)
            return kCannotOpenDatabase;
        loginFailed = loginFailed || r.NativeError == 18456 || r.SqlState == "28000";
        unreachable = unreachable || r.SqlState.compare(0, 2, "08") == 0;
    }
    if (loginFailed)
        return "登录失败：用户名或密码不对，或服务器不接受这种身份验证。";
    if (unreachable)
        return "无法连接到服务器：请检查主机名和端口，以及服务器是否在运行、"
               "是否接受 TCP/IP 连接。";
    return std::string();
}

}  // namespace

TDBData::TDBData()
    : ADOConnection1(std::make_unique<platform::TADOConnection>()),
      ExecSQLQuery(std::make_unique<platform::TADOQuery>(ADOConnection1.get())),
      DataSource1(std::make_unique<platform::TDataSource>())
{
    ADOConnection1->LoginPrompt = false;
    ADOConnection1->ConnectionString = WindowsConnectionString("master");
}

TDBData::~TDBData() = default;

std::string TDBData::WindowsConnectionString(const std::string& catalog)
{
    return platform::
        FillFields("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
                   "Initial Catalog=${Catalog};Data Source=.",
                   {{"Catalog", platform::QuoteOleDbValue(catalog)}});
}

std::string TDBData::SqlServerConnectionString(const std::string& password,
                                               const std::string& catalog, const std::string& host,
                                               const std::string& user)
{
    return platform::FillFields("Provider=SQLOLEDB.1;Password=${Password};Persist Security "
                                "Info=True;User ID=${User};"
                                "Initial Catalog=${Catalog};Data Source=${Host}",
                                {{"Password", platform::QuoteOleDbValue(password)},
                                 {"User", platform::QuoteOleDbValue(user)},
                                 {"Catalog", platform::QuoteOleDbValue(catalog)},
                                 {"Host", platform::QuoteOleDbValue(host)}});
}

platform::TADOQuery* TDBData::ExecSQL(const std::string& statement, const std::string& failureHint)
{
    return OpenQuery(
        [&] {
            ExecSQLQuery->SetSQL(std::string());
            ExecSQLQuery->SetSQL(statement);
        },
        failureHint);
}

platform::TADOQuery* TDBData::OpenQuery(const std::function<void()>& setText,
                                        const std::string& failureHint,
                                        const std::function<bool(int)>& absorb,
                                        const std::string& named)
{
    try {
        ExecSQLQuery->Close();
        setText();
        ExecSQLQuery->Open();
        return ExecSQLQuery.get();
    } catch (const platform::Exception& e) {
        auto* ole = dynamic_cast<const platform::EOleException*>(&e);
        if (!(ole && absorb && absorb(ole->NativeError())))
            TellFailure(e.Message, ole && ole->ConnectionLost, failureHint, named);
    }
    return nullptr;
}

void TDBData::TellMisread()
{
    Tell("服务器的回答与发出的语句对不上（有语句没有得到回答，或回答不属于它），读取失败");
}

bool TDBData::AskOne(const Question& q)
{
    platform::TADOQuery* query = OpenQuery(
        [&] {
            ExecSQLQuery->SetSQL(std::string());
            ExecSQLQuery->SetSQL(q.Statement);
        },
        q.FailureHint, q.Absorb, q.Named);
    if (!query)
        return false;
    if (q.Columns >= 0 && query->FieldCount() != q.Columns) {
        TellMisread();
        return false;
    }
    return q.Read();
}

bool TDBData::Connect(bool useSqlLogin, const std::string& host, const std::string& password,
                      const std::string& catalog, const std::string& user)
{
    lossTold_ = false;
    login_ = {useSqlLogin, host, password, user};
    try {
        ADOConnection1->SetConnected(false);
        ADOConnection1->ConnectionString =
            useSqlLogin ? SqlServerConnectionString(password, catalog, host, user)
                        : WindowsConnectionString(catalog);
        ADOConnection1->SetConnected(true);
        return true;
    } catch (const platform::Exception& e) {
        std::string text = WithNameShown(LoginFailureText(e, !useSqlLogin), catalog);
        // A login is no statement: its box says what failed.
        if (sink_)
            sink_->Failed(text);
        else
            Application.MessageBox(text, "登录失败", platform::MB_OK | platform::MB_ICONERROR);
    }
    return false;
}

bool TDBData::ConnectTo(const std::string& catalog)
{
    Login login = login_;
    return Connect(login.SqlLogin, login.Host, login.Password, catalog, login.User);
}

std::string TDBData::LoginFailureText(const platform::Exception& e, bool windowsLogin)
{
    auto* ole = dynamic_cast<const platform::EOleException*>(&e);
    std::string hint = ole ? LoginHintOf(*ole) : std::string();
    // What Windows authentication tried, and the way past it.
    if (windowsLogin)
        hint = "Windows 身份验证失败：它只连接本机的默认实例（.）。服务器在别的主机上、"
               "是命名实例或只接受 SQL 登录时，请选择“SQL Server 身份验证”并填写主机。" +
               (hint.empty() ? std::string() : "\n" + hint);
    return hint.empty() ? e.Message : hint + "\n" + e.Message;
}

void TDBData::Tell(const std::string& message)
{
    if (sink_)
        sink_->Failed(message);
    else
        Application.MessageBox(message, ErrorCaption(), platform::MB_OK | platform::MB_ICONERROR);
}

bool TDBData::ReadObjectRows(SchemaObjects& out)
{
    // A name is never NULL and never listed twice: a list that says
    // otherwise (a server or a proxy that repeats rows) is not read as a
    // catalogue. The repeat or the nameless row is left out and told.
    bool sound = true;
    std::set<std::pair<std::string, std::string>> seen;
    for (int i = 0; i < ExecSQLQuery->RecordCount(); ++i, ExecSQLQuery->Next()) {
        SchemaObject object;
        object.Name = ExecSQLQuery->FieldText(0);
        object.Label = object.Name;
        object.Schema = ExecSQLQuery->FieldText(1);
        if (ExecSQLQuery->FieldIsNull(0)) {
            Tell("对象列表中有一行名称为 NULL（架构 " + platform::Printable(object.Schema) +
                 "），读取失败");
            sound = false;
            continue;
        }
        if (!seen.insert({object.Schema, object.Name}).second) {
            Tell(platform::Printable(object.Schema) + "." + platform::Printable(object.Name) +
                 "：在对象列表中出现了两次（服务器的回答有重复的行），读取失败");
            sound = false;
            continue;
        }
        out.push_back(object);
    }
    return sound;
}

std::string TDBData::DatabaseListStatement()
{
    return "SELECT [name] FROM [master]..[sysdatabases] ORDER BY [name]";
}

std::string TDBData::ObjectListStatement(const std::string& database, char xtype,
                                         int serverMajorVersion)
{
    // SQL Server 2000 has owners, not schemas.
    bool owners = serverMajorVersion > 0 && serverMajorVersion < 9;
    return platform::FillFields("SELECT [name],${Owner}([uid]) FROM [${Database}]..[sysobjects] "
                                "WHERE [xtype]='${Type}' "
                                "AND OBJECTPROPERTY([id],'IsMSShipped')=0 ORDER BY 1,2",
                                {{"Owner", owners ? "USER_NAME" : "SCHEMA_NAME"},
                                 {"Database", SqlBracketed(database)},
                                 {"Type", std::string(1, xtype)}});
}

bool TDBData::GetDatabaseList(NameList& out)
{
    platform::TADOQuery* query = ExecSQL(DatabaseListStatement());
    if (!query)
        return false;
    for (int i = 0; i < query->RecordCount(); ++i) {
        out.push_back(query->FieldText(0));
        query->Next();
    }
    return true;
}

bool TDBData::GetTableList(const std::string& database, SchemaObjects& out)
{
    return Ask({TableListQuestion(database, out)})[0];
}

bool TDBData::GetViewList(const std::string& database, SchemaObjects& out)
{
    return Ask({ViewListQuestion(database, out)})[0];
}

std::string TDBData::ColumnStatement(const SchemaObject& object)
{
    return platform::FillFields(
        "SELECT [syscolumns].[name],[systypes].[name],[syscolumns].[length],[b].[name] FROM "
        "[syscolumns] LEFT JOIN  [systypes] ON [syscolumns].[xusertype]=[systypes].[xusertype] "
        "LEFT JOIN [systypes] [b] ON [syscolumns].[xtype]=[b].[xusertype] WHERE "
        "[syscolumns].[id]=OBJECT_ID(N'${Name}') ORDER BY [syscolumns].[colid]",
        {{"Name", SqlQuoted(TwoPartName(object))}});
}

std::string TDBData::ParameterStatement(const SchemaObject& procedure)
{
    return platform::FillFields(
        "SELECT [syscolumns].[name],[systypes].[name],[syscolumns].[length],[b].[name],"
        "[syscolumns].[isoutparam],[syscolumns].[xprec],[syscolumns].[xscale] FROM "
        "[syscolumns] LEFT JOIN  [systypes] ON [syscolumns].[xusertype]=[systypes].[xusertype] "
        "LEFT JOIN [systypes] [b] ON [syscolumns].[xtype]=[b].[xusertype] WHERE "
        "[syscolumns].[id]=OBJECT_ID(N'${Name}') AND [syscolumns].[number]<=1 ORDER BY "
        "[syscolumns].[colid]",
        {{"Name", SqlQuoted(TwoPartName(procedure))}});
}

std::string TDBData::IdentityStatement(const SchemaObject& table)
{
    return platform::FillFields(
        "SELECT [name] FROM [syscolumns] WHERE [id]=OBJECT_ID(N'${Name}') AND "
        "(COLUMNPROPERTY([id],[name],'IsIdentity')=1 OR COLUMNPROPERTY([id],[name],'IsComputed')=1 "
        "OR [xtype]=189 OR COLUMNPROPERTY([id],[name],'GeneratedAlwaysType')>0) ORDER BY [colid]",
        {{"Name", SqlQuoted(TwoPartName(table))}});
}

std::string TDBData::KeyStatement()
{
    return "SELECT [k].[TABLE_SCHEMA],[k].[TABLE_NAME],[k].[COLUMN_NAME] FROM "
           "[INFORMATION_SCHEMA].[TABLE_CONSTRAINTS] [t] JOIN "
           "[INFORMATION_SCHEMA].[KEY_COLUMN_USAGE] [k] ON "
           "[k].[CONSTRAINT_SCHEMA]=[t].[CONSTRAINT_SCHEMA] AND "
           "[k].[CONSTRAINT_NAME]=[t].[CONSTRAINT_NAME] WHERE [t].[CONSTRAINT_TYPE]='PRIMARY KEY' "
           "ORDER BY 1,2,[k].[ORDINAL_POSITION]";
}

std::string TDBData::IdentityColumnStatement(int serverMajorVersion)
{
    bool owners = serverMajorVersion > 0 && serverMajorVersion < 9;
    return platform::
        FillFields("SELECT ${Owner}([o].[uid]),[o].[name],[c].[name] FROM [sysobjects] [o] JOIN "
                   "[syscolumns] [c] ON [c].[id]=[o].[id] WHERE [o].[xtype]='U' AND "
                   "COLUMNPROPERTY([o].[id],[c].[name],'IsIdentity')=1 ORDER BY 1,2",
                   {{"Owner", owners ? "USER_NAME" : "SCHEMA_NAME"}});
}

bool TDBData::ReadTableColumnRows(std::vector<TableColumnRow>& out)
{
    // Every row names a column of a table: one with a NULL is no answer.
    for (int i = 0; i < ExecSQLQuery->RecordCount(); ++i, ExecSQLQuery->Next()) {
        for (int c = 0; c < 3; ++c)
            if (ExecSQLQuery->FieldIsNull(c)) {
                Tell("数据表主键或标识列的回答中有一行含 NULL，读取失败");
                return false;
            }
        out.push_back(
            {ExecSQLQuery->FieldText(0), ExecSQLQuery->FieldText(1), ExecSQLQuery->FieldText(2)});
    }
    return true;
}

TDBData::Question TDBData::KeyQuestion(std::vector<TableColumnRow>& out)
{
    return {KeyStatement(), [this, &out] { return ReadTableColumnRows(out); }, {}, 3};
}

TDBData::Question TDBData::IdentityColumnQuestion(std::vector<TableColumnRow>& out)
{
    return {IdentityColumnStatement(ADOConnection1->ServerMajorVersion()),
            [this, &out] { return ReadTableColumnRows(out); },
            {},
            3};
}

namespace {

// A whole number the server sent as text; 0 for NULL.
int FieldNumber(const platform::TADOQuery& query, int column)
{
    try {
        return query.FieldIsNull(column) ? 0 : std::stoi(query.FieldText(column));
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

bool TDBData::ReadColumns(const SchemaObject& object, ColumnList& out, bool parameters)
{
    // A column's name is never NULL and never twice in one object: such an
    // answer is not read, and nothing of it is kept.
    std::set<std::string> seen;
    ColumnList read;
    for (int i = 0; i < ExecSQLQuery->RecordCount(); ++i, ExecSQLQuery->Next()) {
        ColumnEntry entry;
        entry.Name = ExecSQLQuery->FieldText(0);
        entry.TypeName = ExecSQLQuery->FieldText(1);  // empty when no type row matched
        entry.BaseType = ExecSQLQuery->FieldText(3);  // empty for the CLR types
        if (parameters)
            entry.Shape = {FieldNumber(*ExecSQLQuery, 2), FieldNumber(*ExecSQLQuery, 4) != 0,
                           FieldNumber(*ExecSQLQuery, 5), FieldNumber(*ExecSQLQuery, 6)};
        std::string fault = ExecSQLQuery->FieldIsNull(0) ? "有一个字段名称为 NULL"
                            : !seen.insert(entry.Name).second
                                ? "字段 " + platform::Printable(entry.Name) +
                                      " 出现了两次（服务器的回答有重复的行）"
                                : std::string();
        if (!fault.empty()) {
            Tell(platform::Printable(object.Schema) + "." + platform::Printable(object.Name) +
                 "：" + fault + "，读取失败，没有从它生成");
            return false;
        }
        read.push_back(entry);
    }
    out.insert(out.end(), read.begin(), read.end());
    return true;
}

void TDBData::ReadIdentity(IdentityNames& out)
{
    for (int i = 0; i < ExecSQLQuery->RecordCount(); ++i) {
        out.push_back(ExecSQLQuery->FieldText(0));
        ExecSQLQuery->Next();
    }
}

bool TDBData::GetColumnList(const SchemaObject& object, ColumnList& out)
{
    return Ask({ColumnQuestion(object, out)})[0];
}

bool TDBData::GetIdentityColumns(const SchemaObject& table, IdentityNames& out)
{
    return Ask({IdentityQuestion(table, out)})[0];
}

void TDBData::TellFailure(const std::string& message, bool connectionLost, const std::string& hint,
                          const std::string& named)
{
    // A lost connection is told once, as it is; the statements after it
    // fail quietly until the next Connect.
    std::string words = WithNameShown(message, named);
    if (!connectionLost || !lossTold_)
        Tell(hint.empty() || connectionLost ? words : hint + "\n" + words);
    lossTold_ = lossTold_ || connectionLost;
}

std::vector<bool> TDBData::Ask(const std::vector<Question>& questions, bool stopAtFailure)
{
    std::vector<bool> ok(questions.size(), false);
    std::size_t start = 0;
    bool failed = false;
    while (start < questions.size() && !(stopAtFailure && failed)) {
        // The next batch: as many statements as the bound allows, one at least.
        std::size_t end = start, bytes = 0;
        while (end < questions.size() &&
               (end == start || bytes + questions[end].Statement.size() <= batchBytes_))
            bytes += questions[end++].Statement.size() + 2;
        if (end - start == 1) {
            ok[start] = AskOne(questions[start]);
            failed = failed || !ok[start];
            start = end;
            continue;
        }
        std::vector<std::string> batch;
        for (std::size_t k = start; k < end; ++k)
            batch.push_back(questions[k].Statement);
        std::vector<platform::TADOQuery::BatchResult> results = ExecSQLQuery->OpenBatch(batch);
        // Which answer is each statement's: one that may pass without an
        // answer has none when its place holds an answer with columns.
        constexpr std::size_t kSilent = static_cast<std::size_t>(-1);
        std::vector<std::size_t> answerOf(batch.size());
        std::size_t next = 0;
        for (std::size_t k = 0; k < batch.size(); ++k) {
            bool silent = questions[start + k].MayBeSilent && next < results.size() &&
                          results[next].Ok && results[next].Columns > 0;
            answerOf[k] = silent ? kSilent : next++;
        }
        bool complete = next == results.size();
        bool lost = !results.empty() && results.back().ConnectionLost;
        bool misread = false;
        for (std::size_t k = 0; k < batch.size() && !(stopAtFailure && failed); ++k) {
            std::size_t at = start + k;
            const Question& q = questions[at];
            std::size_t r = answerOf[k];
            if (misread) {
                // After an answer that was not its statement's, none is.
                ok[at] = false;
            } else if (r == kSilent) {
                ok[at] = true;
            } else if (r < results.size() && results[r].Ok) {
                if (q.Columns >= 0 && results[r].Columns != q.Columns) {
                    TellMisread();
                    misread = true;
                } else {
                    ExecSQLQuery->SelectResult(r);
                    ok[at] = q.Read();
                }
            } else if (complete || lost) {
                // The statement's own failure, or the loss that ended the
                // batch here; later statements fail with it, quietly.
                if (r < results.size() && !(q.Absorb && q.Absorb(results[r].NativeError)))
                    TellFailure(results[r].Message, results[r].ConnectionLost, q.FailureHint,
                                q.Named);
            } else {
                // Refused as a whole: each statement once more on its own.
                ok[at] = AskOne(q);
            }
            failed = failed || !ok[at];
        }
        ExecSQLQuery->Close();
        start = end;
    }
    return ok;
}

std::string TDBData::UseStatement(const std::string& database)
{
    return "USE [" + SqlBracketed(database) + "]";
}

std::string TDBData::CurrentDatabaseStatement()
{
    return "SELECT DB_NAME()";
}

TDBData::Question TDBData::UseQuestion(const std::string& database, bool* refused)
{
    Question q{UseStatement(database), [] { return true; }, kCannotOpenDatabase, 0, true};
    q.Named = database;
    // "USE statement is not supported to switch between databases."
    const int kUseNotSupported = 40508;
    if (refused) {
        *refused = false;
        q.Absorb = [refused](int error) { return *refused = error == kUseNotSupported; };
    }
    return q;
}

TDBData::Question TDBData::CurrentDatabaseQuestion(const std::string& database)
{
    return {CurrentDatabaseStatement(),
            [this, database] {
                // Every row names the database (a proxy may repeat one).
                std::string current;
                bool there = ExecSQLQuery->RecordCount() > 0;
                for (; !ExecSQLQuery->Eof(); ExecSQLQuery->Next()) {
                    current = ExecSQLQuery->FieldText(0);
                    there = there && !ExecSQLQuery->FieldIsNull(0) && current == database;
                }
                if (there)
                    return true;
                Tell("切换到数据库 " + platform::Printable(database) + " 后，连接仍在数据库 " +
                     platform::Printable(current) +
                     " 中（服务器或代理没有执行 USE），读取失败，没有读取任何对象");
                return false;
            },
            {},
            1};
}

TDBData::Question TDBData::TableListQuestion(const std::string& database, SchemaObjects& out)
{
    return {ObjectListStatement(database, 'U', ADOConnection1->ServerMajorVersion()),
            [this, &out] { return ReadObjectRows(out); },
            {},
            2};
}

TDBData::Question TDBData::ViewListQuestion(const std::string& database, SchemaObjects& out)
{
    return {ObjectListStatement(database, 'V', ADOConnection1->ServerMajorVersion()),
            [this, &out] { return ReadObjectRows(out); },
            {},
            2};
}

TDBData::Question TDBData::ColumnQuestion(const SchemaObject& object, ColumnList& out)
{
    return {ColumnStatement(object),
            [this, &object, &out] { return ReadColumns(object, out); },
            {},
            4};
}

TDBData::Question TDBData::ProcedureListQuestion(const std::string& database, SchemaObjects& out)
{
    return {ObjectListStatement(database, 'P', ADOConnection1->ServerMajorVersion()),
            [this, &out] { return ReadObjectRows(out); },
            {},
            2};
}

TDBData::Question TDBData::ParameterQuestion(const SchemaObject& procedure, ColumnList& out)
{
    return {ParameterStatement(procedure),
            [this, &procedure, &out] { return ReadColumns(procedure, out, true); },
            {},
            7};
}

TDBData::Question TDBData::IdentityQuestion(const SchemaObject& table, IdentityNames& out)
{
    return {IdentityStatement(table),
            [this, &out] {
                ReadIdentity(out);
                return true;
            },
            {},
            1};
}

std::vector<bool> TDBData::GetColumnLists(const SchemaObjects& objects,
                                          std::vector<ColumnList>& out)
{
    out.assign(objects.size(), ColumnList());
    std::vector<Question> questions;
    for (std::size_t k = 0; k < objects.size(); ++k)
        questions.push_back(ColumnQuestion(objects[k], out[k]));
    return Ask(questions);
}

std::vector<bool> TDBData::GetIdentityColumnLists(const SchemaObjects& tables,
                                                  std::vector<IdentityNames>& out)
{
    out.assign(tables.size(), IdentityNames());
    std::vector<Question> questions;
    for (std::size_t k = 0; k < tables.size(); ++k)
        questions.push_back(IdentityQuestion(tables[k], out[k]));
    return Ask(questions);
}

std::size_t TDBData::GetIdentityColumnsUntilFailure(const SchemaObjects& tables,
                                                    std::vector<IdentityNames>& out)
{
    std::vector<IdentityNames> lists(tables.size());
    std::vector<Question> questions;
    for (std::size_t k = 0; k < tables.size(); ++k)
        questions.push_back(IdentityQuestion(tables[k], lists[k]));
    std::vector<bool> ok = Ask(questions, true);
    std::size_t answered = 0;
    while (answered < ok.size() && ok[answered])
        out.push_back(lists[answered++]);
    return answered;
}
