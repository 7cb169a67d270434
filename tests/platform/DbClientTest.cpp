#include "platform/DbClient.h"
#include "support/StandIn.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace platform;

TEST(OleDbStrings, ParsedWithQuotesCaseInsensitiveKeysAndBlanks)
{
    auto keys = ParseOleDbConnectionString(
        "Provider=SQLOLEDB.1; password = \"a;b\"\"c\" ;USER ID='o''k';Data Source=h;;");
    EXPECT_EQ(keys["provider"], "SQLOLEDB.1");
    EXPECT_EQ(keys["password"], "a;b\"c");
    EXPECT_EQ(keys["user id"], "o'k");
    EXPECT_EQ(keys["data source"], "h");
    EXPECT_EQ(ParseOleDbConnectionString("a==b=c")["a=b"], "c");
    EXPECT_THROW(ParseOleDbConnectionString("Password=\"open"), EOleException);
    EXPECT_THROW(ParseOleDbConnectionString("Password=\"a\"b"), EOleException);
    EXPECT_THROW(ParseOleDbConnectionString("novalue;"), EOleException);
}

TEST(OleDbStrings, ValuesAreQuotedOnlyWhenTheyNeedIt)
{
    EXPECT_EQ(QuoteOleDbValue("plain"), "plain");
    EXPECT_EQ(QuoteOleDbValue(""), "");
    EXPECT_EQ(QuoteOleDbValue("x;Data Source=elsewhere"), "\"x;Data Source=elsewhere\"");
    EXPECT_EQ(QuoteOleDbValue("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(QuoteOleDbValue(" pad"), "\" pad\"");
    // What is quoted parses back to the value.
    for (std::string v :
         {"p;w}d'x\"y", "'", "\"", " a ", "a=b", "=x", "===", "==", "\tx", "x\n", "\r"})
        EXPECT_EQ(ParseOleDbConnectionString("Password=" + QuoteOleDbValue(v))["password"], v);
}

TEST(OdbcTranslation, DataSourcesBecomeServerAndPort)
{
    auto server = [](const std::string& source) {
        OdbcLogin login = TranslateConnectionString("Provider=SQLOLEDB.1;Data Source=" + source);
        return OdbcConnectionString(login);
    };
    EXPECT_EQ(server("."),
              "Driver=FreeTDS;Server=127.0.0.1;Port=1433;ClientCharset=UTF-8;TDS_Version=7.4");
    EXPECT_EQ(server("(local)"), server("."));
    EXPECT_EQ(server("db.example"),
              "Driver=FreeTDS;Server=db.example;Port=1433;ClientCharset=UTF-8;TDS_Version=7.4");
    EXPECT_EQ(server("10.0.0.5,2433"),
              "Driver=FreeTDS;Server=10.0.0.5;Port=2433;ClientCharset=UTF-8;TDS_Version=7.4");
    EXPECT_EQ(server("host\\SQLEXPRESS"),
              "Driver=FreeTDS;Server=host\\SQLEXPRESS;ClientCharset=UTF-8;TDS_Version=7.4");
}

TEST(OdbcTranslation, LoginsAndCatalogues)
{
    OdbcLogin windows = TranslateConnectionString(
        "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
        "Initial Catalog=NOLK;Data Source=.");
    EXPECT_EQ(OdbcConnectionString(windows),
              "Driver=FreeTDS;Server=127.0.0.1;Port=1433;Trusted_Connection=Yes;Database=NOLK;"
              "ClientCharset=UTF-8;TDS_Version=7.4");
    OdbcLogin sql = TranslateConnectionString(
        "Provider=SQLOLEDB.1;Password=\"p;w}d\";Persist Security Info=True;User ID=sa;"
        "Initial Catalog=a;Data Source=h");
    EXPECT_EQ(sql.User, "sa");
    EXPECT_EQ(sql.Password, "p;w}d");
    EXPECT_EQ(OdbcConnectionString(sql),
              "Driver=FreeTDS;Server=h;Port=1433;Database=a;ClientCharset=UTF-8;TDS_Version=7.4;"
              "UID=sa;PWD={p;w}}d}");
    EXPECT_THROW(TranslateConnectionString("Provider=MSDASQL;Data Source=x"), EOleException);
    EXPECT_EQ(OdbcValue("{x} "), "{{x}} }");
}

TEST(OdbcClient, TimeOutsDefaultToAdosAndBoundAMuteServer)
{
    TADOConnection connection;
    EXPECT_EQ(connection.ConnectionTimeout, 15);
    EXPECT_EQ(connection.CommandTimeout, 30);

    testsupport::StandIn mute(testsupport::Fixture("{\"name\": \"NOLK\"}"), {"--mute"});
    connection.ConnectionTimeout = 2;
    connection.ConnectionString = "Provider=SQLOLEDB.1;Password=Pellam#2026;User ID=sa;"
                                  "Initial Catalog=master;Data Source=" +
                                  mute.Host();
    auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(connection.SetConnected(true), EOleException);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 6.0);
    EXPECT_FALSE(connection.Connected());
}

TEST(OdbcClient, ASlowStatementIsBoundedByTheCommandTimeOut)
{
    // The server answers neither the statement nor the driver's cancel in
    // time: the whole statement still ends within the command time-out.
    testsupport::StandIn slow(testsupport::Fixture("{\"name\": \"NOLK\"}"), {"--delay", "6"});
    TADOConnection connection;
    connection.ConnectionTimeout = 10;
    connection.CommandTimeout = 2;
    connection.ConnectionString = "Provider=SQLOLEDB.1;Password=Pellam#2026;User ID=sa;"
                                  "Initial Catalog=master;Data Source=" +
                                  slow.Host();
    connection.SetConnected(true);
    TADOQuery query(&connection);
    query.SetSQL("SELECT Name FROM [Master]..[SysDatabases] ORDER BY Name");
    auto start = std::chrono::steady_clock::now();
    try {
        query.Open();
        FAIL() << "the statement did not time out";
    } catch (const EOleException& e) {
        EXPECT_NE(e.Message.find("Timeout expired"), std::string::npos) << e.Message;
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 2.9);
}

TEST(OdbcClient, QueriesReadTheWholeResultAndCloseWithTheConnection)
{
    testsupport::StandIn server(testsupport::Fixture("{\"name\": \"NOLK\"}, {\"name\": \"abc\"}"));
    TADOConnection connection;
    connection.ConnectionString = "Provider=SQLOLEDB.1;Password=Pellam#2026;User ID=sa;"
                                  "Initial Catalog=master;Data Source=" +
                                  server.Host();
    connection.SetConnected(true);
    TADOQuery query(&connection);
    query.SetSQL("SELECT Name FROM [Master]..[SysDatabases] ORDER BY Name");
    query.Open();
    ASSERT_EQ(query.RecordCount(), 3);
    EXPECT_EQ(query.FieldText(0), "abc");
    query.Next();
    EXPECT_EQ(query.FieldText(0), "master");
    connection.SetConnected(false);
    EXPECT_EQ(query.RecordCount(), 0);
    EXPECT_THROW(query.Open(), EOleException);
}

TEST(DriverChoice, TheNewestSqlServerDriverListedIsTaken)
{
    struct Case {
        std::vector<std::string> installed;
        const char* chosen;
    };
    const Case cases[] = {
        {{"SQL Server", "ODBC Driver 17 for SQL Server", "ODBC Driver 18 for SQL Server",
          "Microsoft Access Driver (*.mdb)"},
         "ODBC Driver 18 for SQL Server"},
        {{"ODBC Driver 9 for SQL Server", "ODBC Driver 13 for SQL Server"},
         "ODBC Driver 13 for SQL Server"},
        {{"SQL Server Native Client 11.0", "SQL Server", "SQL Server Native Client 10.0"},
         "SQL Server Native Client 11.0"},
        {{"FreeTDS", "SQL Server"}, "SQL Server"},
        {{"PostgreSQL Unicode", "FreeTDS"}, "FreeTDS"},
        {{"ODBC Driver X for SQL Server"}, "SQL Server"},
        {{}, "SQL Server"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::ChooseSqlServerDriver(c.installed), c.chosen) << c.chosen;

    platform::OdbcLogin login = platform::TranslateConnectionString(
        "Provider=SQLOLEDB.1;Data Source=h;Integrated Security=SSPI");
    platform::UseDriver(login, "ODBC Driver 18 for SQL Server");
    EXPECT_EQ(login.Attributes.front(),
              (std::pair<std::string, std::string>{"Driver", "ODBC Driver 18 for SQL Server"}));
    EXPECT_EQ(login.Attributes.back(),
              (std::pair<std::string, std::string>{"Encrypt", "Optional"}));
}
