// Runs the generated library against the VCL stand-in and checks the
// statements, bindings and messages it produces.

#include "DBComm.h"
#include "DriverChecks.h"
#include "./DBTables/InvoiceOperator.h"
#include "./DBTables/LedgerOperator.h"
#include "./DBTables/LogOperator.h"
#include "./DBTables/MemberOperator.h"
#include "./DBTables/OddTableOperator.h"
#include "./DBTables/OddViewOperator.h"
#include "./DBTables/OrdersOperator.h"
#include "./DBTables/ReportOperator.h"
#include "./DBTables/StaffOperator.h"
#include "./DBTables/UsersOperator.h"
#include "./DBTables/V_InvoicesOperator.h"
#include "./DBTables/V_UsersOperator.h"
#include "./DBTables/YongHuBiaoOperator.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

void Fresh()
{
    Journal().Events.clear();
}

}  // namespace

int main()
{
    DBComm& db = DBComm::Instance();
    Check(&db == &DBComm::Instance(), "Instance is one object");

    // Registered operators are found under their own enumeration member only.
    Check(db.Tables<UsersOperator>(DBComm::Users) != NULL, "Tables<UsersOperator>(Users)");
    Check(db.Tables<OrdersOperator>(DBComm::Users) == NULL,
          "Tables<OrdersOperator>(Users) is NULL");
    Check(db.Tables<ReportOperator>(DBComm::Report) != NULL, "relabelled view registered");
    Check(DBComm::AllTypes == 0, "first table has the value 0");
    Check(DBComm::V_Users > DBComm::Users, "views follow the tables");

    // ConnectDB hands the connection to every operator.
    Fresh();
    Check(db.ConnectDB(WideString("Provider=SQLOLEDB.1;Data Source=.")), "ConnectDB succeeds");
    CheckEvents(Taken("connect"), {"connect:Provider=SQLOLEDB.1;Data Source=."},
                "ConnectDB connects");
    TADOConnection* conn = db.Tables<UsersOperator>(DBComm::Users)->Get()->Connection;
    Check(conn != NULL, "operators receive the connection");
    Check(db.Tables<LogOperator>(DBComm::Log)->Get()->Connection == conn &&
              db.Tables<V_UsersOperator>(DBComm::V_Users)->Get()->Connection == conn &&
              db.Tables<OddViewOperator>(DBComm::OddView)->Get()->Connection == conn,
          "every operator receives the same connection");
    Journal().FailNext = "login failed";
    Check(!db.ConnectDB(WideString("bad")), "ConnectDB reports a failure as false");
    CheckEvents(Taken("msgbox"), {}, "ConnectDB shows nothing");

    // The view's read side.
    V_UsersOperator* vu = db.Tables<V_UsersOperator>(DBComm::V_Users);
    Fresh();
    Check(vu->Query("[UserName],[Age]", "Age>20") == vu->Get(), "Query returns the query");
    CheckEvents(Taken("sql"), {"sql:SELECT [UserName],[Age] FROM [V_Users] WHERE Age>20"},
                "view Query with a condition");
    vu->Query("*", "");
    CheckEvents(Taken("sql"), {"sql:SELECT * FROM [V_Users]"}, "view Query without condition");
    Check(vu->Source() != NULL, "Source returns the data source");
    CheckEvents(Taken("sql"), {"sql:SELECT * FROM [V_Users]"}, "view Source()");
    vu->Source("", " ");
    CheckEvents(Taken("sql"), {"sql:SELECT  FROM [V_Users] WHERE  "},
                "fields and condition unchanged");

    // A relabelled view still names its catalogue object.
    db.Tables<ReportOperator>(DBComm::Report)->Source();
    CheckEvents(Taken("sql"), {"sql:SELECT * FROM [V_Report]"}, "relabelled view SQL");

    // A failing statement: one message box; Query gives NULL, Source the data source.
    Journal().FailNext = "Invalid object name";
    Check(vu->Query("*", "") == NULL, "failing Query returns NULL");
    CheckEvents(Taken("msgbox"),
                {"msgbox:Invalid object name|ExecSQL\xD6\xB4\xD0\xD0\xB3\xF6\xB4\xED|16"},
                "failing Query shows one box");
    Journal().FailNext = "Invalid object name";
    Check(vu->Source() != NULL, "failing Source still returns the data source");
    CheckEvents(Taken("msgbox"),
                {"msgbox:Invalid object name|ExecSQL\xD6\xB4\xD0\xD0\xB3\xF6\xB4\xED|16"},
                "failing Source shows one box");

    // The table's write side.
    StaffOperator* staff = db.Tables<StaffOperator>(DBComm::Staff);
    TMemoryStream photo;
    photo.Bytes = "JPEG";
    Fresh();
    Check(staff->New("Ann", "2024-01-02", &photo), "New succeeds");
    CheckEvents(Taken(),
                {"close", "clear",
                 "sql:INSERT INTO [Staff]([Name],[Joined],[Photo]) VALUES(:Name,:Joined,:Photo)",
                 "query[0]=str:Ann", "query[1]=str:2024-01-02", "query[2]<stream:JPEG,blob",
                 "exec"},
                "Staff New binds by position");
    Check(staff->Update("Bob", "2024-02-03", &photo, "ID=3"), "Update succeeds");
    CheckEvents(Taken("sql"),
                {"sql:UPDATE [Staff] SET [Name]=:Name,[Joined]=:Joined,[Photo]=:Photo WHERE ID=3"},
                "Staff Update with a condition");
    Check(staff->Delete(""), "Delete succeeds");
    CheckEvents(Taken("sql"), {"sql:DELETE FROM [Staff]"}, "Staff Delete without condition");
    staff->Delete("ID=3");
    CheckEvents(Taken("sql"), {"sql:DELETE FROM [Staff] WHERE ID=3"},
                "Staff Delete with condition");
    Journal().FailNext = "constraint";
    Check(!staff->Delete(""), "failing Delete returns false");
    CheckEvents(Taken("msgbox"),
                {"msgbox:constraint|ExecSQLNonQuery\xD6\xB4\xD0\xD0\xB3\xF6\xB4\xED|16"},
                "failing Delete shows one box");
    Journal().FailNext = "constraint";
    Check(!staff->New("a", "b", &photo), "failing New returns false");
    Taken();

    // Amounts keep their cents and ids their upper half on the way to the
    // server: a decimal(18,2) total, a money fee, a bigint id.
    LedgerOperator* ledger = db.Tables<LedgerOperator>(DBComm::Ledger);
    Check(ledger->New(3000000000LL, 1234567.89, 1234.56), "Ledger New succeeds");
    CheckEvents(Taken("query["),
                {"query[0]=int64:3000000000", "query[1]=double:1234567.89",
                 "query[2]=double:1234.56"},
                "Ledger New binds exact values");
    ledger->Update(9007199254740993LL, 99999999.99, 0.01, "");
    CheckEvents(Taken("query["),
                {"query[0]=int64:9007199254740993", "query[1]=double:99999999.99",
                 "query[2]=double:0.01"},
                "Ledger Update binds exact values");
    // A caller's float still compiles, and arrives as the float it was.
    ledger->New(1, 2.5f, 0.5f);
    CheckEvents(Taken("query["), {"query[0]=int64:1", "query[1]=double:2.5", "query[2]=double:0.5"},
                "Ledger New from floats");

    // Identity last, case-insensitive identity, and a table of identity columns only.
    db.Tables<MemberOperator>(DBComm::Member)->New("Cy");
    CheckEvents(Taken("sql"), {"sql:INSERT INTO [Member]([Name]) VALUES(:Name)"}, "Member New");
    db.Tables<UsersOperator>(DBComm::Users)->New("Di", 30);
    CheckEvents(Taken("query["), {"query[0]=str:Di", "query[1]=int:30"}, "Users New bindings");
    LogOperator* log = db.Tables<LogOperator>(DBComm::Log);
    Check(log->New(), "Log New succeeds");
    CheckEvents(Taken("sql"), {"sql:INSERT INTO [Log] DEFAULT VALUES"}, "Log New");
    Check(!log->Update("ID=1"), "Log Update has nothing to set");
    CheckEvents(Taken(), {}, "Log Update sends nothing");

    // Names holding "]", "%", ":" and paired quotes reach the server as the
    // right object, with exactly the parameters the code binds: a ":" the
    // parameter scan reads outside a literal is doubled, one inside is not.
    OddTableOperator* odd = db.Tables<OddTableOperator>(DBComm::OddTable);
    odd->Source();
    odd->Query("*", "");
    odd->Source("a", "");
    odd->Delete("");
    odd->New(7);
    odd->Update(8, "");
    CheckEvents(Taken("sql"),
                {"sql:SELECT * FROM [O'd]]d:Ta'ble%]", "sql:SELECT * FROM [O'd]]d:Ta'ble%]",
                 "sql:SELECT a FROM [O'd]]d:Ta'ble%]", "sql:DELETE FROM [O'd]]d:Ta'ble%]",
                 "sql:INSERT INTO [O'd]]d:Ta'ble%]([Val]]ue%::x]) VALUES(:Value)",
                 "sql:UPDATE [O'd]]d:Ta'ble%] SET [Val]]ue%::x]=:Value"},
                "odd table names");
    Check(odd->Get()->Parameters->Sent == "UPDATE [O'd]]d:Ta'ble%] SET [Val]]ue%:x]=?",
          "the server gets every name back and one parameter");
    OddViewOperator* oddView = db.Tables<OddViewOperator>(DBComm::OddView);
    oddView->Source();
    oddView->Query("*", "x=1");
    oddView->Source("*", "");
    CheckEvents(Taken("sql"),
                {"sql:SELECT * FROM [Odd]]Vi::ew%]", "sql:SELECT * FROM [Odd]]Vi::ew%] WHERE x=1",
                 "sql:SELECT * FROM [Odd]]Vi::ew%]"},
                "odd view names");

    // Outside dbo: the schema names the object; the server's own columns
    // (identity, computed, timestamp, period) are never written.
    InvoiceOperator* invoice = db.Tables<InvoiceOperator>(DBComm::Invoice);
    invoice->New("Acme", 2.5f);
    invoice->Update("Acme", 3.5f, "InvoiceID=1");
    invoice->Delete("");
    invoice->Source();
    CheckEvents(Taken("sql"),
                {"sql:INSERT INTO [Sa]]les].[Invoice]([Customer],[Price]) "
                 "VALUES(:Customer,:Price)",
                 "sql:UPDATE [Sa]]les].[Invoice] SET [Customer]=:Customer,"
                 "[Price]=:Price WHERE InvoiceID=1",
                 "sql:DELETE FROM [Sa]]les].[Invoice]", "sql:SELECT * FROM [Sa]]les].[Invoice]"},
                "a table outside dbo");
    db.Tables<V_InvoicesOperator>(DBComm::V_Invoices)->Query("Customer", "");
    CheckEvents(Taken("sql"), {"sql:SELECT Customer FROM [Sales].[V_Invoices]"},
                "a view outside dbo");

    // A translated table: pinyin identifiers, the catalogue's Chinese names in SQL.
    YongHuBiaoOperator* chinese = db.Tables<YongHuBiaoOperator>(DBComm::YongHuBiao);
    chinese->Source();
    chinese->New("Wang");
    CheckEvents(Taken("sql"),
                {"sql:SELECT * FROM [\xD3\xC3\xBB\xA7\xB1\xED]",
                 "sql:INSERT INTO [\xD3\xC3\xBB\xA7\xB1\xED]([\xD0\xD5\xC3\xFB]) "
                 "VALUES(:XingMing)"},
                "translated table");

    // Stored procedures fill parameters from 1.
    DBStoredProc& proc = db.GetStoreProc();
    proc.InitProc("sp_one")
        .SetParameter(Variant(1))
        .SetParameter(Variant("two"))
        .SetParameter(Variant(3));
    CheckEvents(Taken("proc"),
                {"proc:close", "proc:refresh", "proc[1]=int:1", "proc[2]=str:two", "proc[3]=int:3"},
                "InitProc then SetParameter three times");
    Variant values[] = {Variant(10), Variant("x")};
    Check(db.ExecProc("sp_two", values, 2), "ExecProc succeeds");
    CheckEvents(Taken("proc"),
                {"proc:close", "proc:refresh", "proc[1]=int:10", "proc[2]=str:x",
                 "proc:exec:sp_two", "proc:param:,ftUnknown,1,0,0,0,<empty>",
                 "proc:param:,ftUnknown,1,0,0,0,int:10", "proc:param:,ftUnknown,1,0,0,0,str:x"},
                "ExecProc with values");
    proc.SetParameter(5, &photo);
    CheckEvents(Taken("proc"), {"proc[5]<stream:JPEG,blob"}, "SetParameter with a stream");
    Variant out;
    Check(proc.GetParameter(1, out) && out.Describe() == "int:10", "GetParameter reads a value");
    Journal().FailNext = "no such procedure";
    Check(!proc.ExecProc(), "failing ExecProc returns false");
    CheckEvents(Taken("msgbox"), {"msgbox:no such procedure|\xCC\xE1\xCA\xBE|16"},
                "failing ExecProc shows one box");

    if (failures == 0)
        std::printf("all checks passed\n");
    return failures == 0 ? 0 : 1;
}
