// Runs the key methods of the generated library against the VCL stand-in:
// each sends one statement whose parameters, as the VCL's scan finds them,
// are exactly the ones bound, in order; a key that matches no row is false
// without a box, a failure false with the runtime's box.

#include "DBComm.h"
#include "DriverChecks.h"
#include "./DBTables/InvoiceOperator.h"
#include "./DBTables/LedgerOperator.h"
#include "./DBTables/LogOperator.h"
#include "./DBTables/MemberOperator.h"
#include "./DBTables/OddTableOperator.h"
#include "./DBTables/OrderDetailsOperator.h"
#include "./DBTables/StaffOperator.h"
#include "./DBTables/VoucherOperator.h"
#include "./DBTables/YongHuBiaoOperator.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The events of one bound statement: its text set, each parameter bound in
// order, then run ("exec") or opened ("open").
std::vector<std::string> Statement(const std::string& sql, const std::vector<std::string>& bound,
                                   const char* run)
{
    std::vector<std::string> events = {"close", "clear", "sql:" + sql};
    for (std::size_t i = 0; i < bound.size(); ++i)
        events.push_back("query[" + std::to_string(i) + "]" + bound[i]);
    events.push_back(run);
    return events;
}

const char* const kQueryFailed = "msgbox:gone|ExecSQL\xD6\xB4\xD0\xD0\xB3\xF6\xB4\xED|16";
const char* const kExecFailed = "msgbox:gone|ExecSQLNonQuery\xD6\xB4\xD0\xD0\xB3\xF6\xB4\xED|16";

// A method run three times: a row matched, none matched, the statement
// failed. Only the failure shows a box; only a match gives true. A counted
// batch (a change by key) is closed once its count is read.
template <typename Call>
void ThreeWays(Call call, const std::vector<std::string>& events, const char* failedBox,
               const std::string& what, bool counted = false)
{
    std::vector<std::string> done = events;
    if (counted)
        done.push_back("close");
    Journal().Rows = 1;
    Check(call(), what + ": a row with that key gives true");
    CheckEvents(Taken(), done, what);
    Journal().Rows = 0;
    Check(!call(), what + ": no row with that key gives false");
    CheckEvents(Taken(), done, what + ", no row");
    Journal().Rows = 1;
    Journal().FailNext = "gone";
    Check(!call(), what + ": a failure gives false");
    std::vector<std::string> failed = events;
    failed.push_back("failed:gone");
    failed.push_back(failedBox);
    CheckEvents(Taken(), failed, what + ", failing");
}

// A change by key as the server gets it: row counts kept out, the count
// selected, NOCOUNT put back as it was.
std::string Counted(const std::string& statement)
{
    return "DECLARE @nocount int;SET @nocount=@@OPTIONS&512;SET NOCOUNT ON;" + statement +
           ";SELECT @@ROWCOUNT;IF @nocount=0 SET NOCOUNT OFF";
}

}  // namespace

int main()
{
    DBComm& db = DBComm::Instance();
    Journal().Events.clear();

    StaffOperator* staff = db.Tables<StaffOperator>(DBComm::Staff);
    ThreeWays([&] { return staff->FindByKey(7); },
              Statement("SELECT * FROM [Staff] WHERE [ID]=:ID", {"=int:7"}, "open"), kQueryFailed,
              "Staff FindByKey");
    TMemoryStream photo;
    photo.Bytes = "JPEG";
    ThreeWays([&] { return staff->UpdateByKey("Ann", "2024-01-02", &photo, 7); },
              Statement(Counted("UPDATE [Staff] SET [Name]=:Name,[Joined]=:Joined,[Photo]=:Photo "
                                "WHERE [ID]=:ID"),
                        {"=str:Ann", "=str:2024-01-02", "<stream:JPEG,blob", "=int:7"}, "open"),
              kExecFailed, "Staff UpdateByKey", true);
    ThreeWays([&] { return staff->DeleteByKey(7); },
              Statement(Counted("DELETE FROM [Staff] WHERE [ID]=:ID"), {"=int:7"}, "open"),
              kExecFailed, "Staff DeleteByKey", true);
    Check(staff->Get()->Parameters->Sent == Counted("DELETE FROM [Staff] WHERE [ID]=?"),
          "the server gets one marker for the one key column");

    // A batch cut short elsewhere (a conversion error, a deadlock) may
    // leave the connection's NOCOUNT on: a change by key still says
    // whether it changed a row.
    Journal().NoCount = true;
    Journal().Rows = 1;
    Check(staff->UpdateByKey("Ann", "2024-01-02", &photo, 7), "UpdateByKey with NOCOUNT on");
    Check(staff->DeleteByKey(7), "DeleteByKey with NOCOUNT on");
    Journal().Rows = 0;
    Check(!staff->DeleteByKey(7), "DeleteByKey of no row with NOCOUNT on");
    Journal().NoCount = false;
    Journal().Rows = 1;
    Taken();

    // A decimal key and IDENTITY travel as their text: every digit of an
    // id past 2^53 reaches the server, and the new one comes back whole.
    VoucherOperator* voucher = db.Tables<VoucherOperator>(DBComm::Voucher);
    ThreeWays([&] { return voucher->DeleteByKey("1400000000000000001"); },
              Statement(Counted("DELETE FROM [Voucher] WHERE [No]=:No"),
                        {"=str:1400000000000000001"}, "open"),
              kExecFailed, "Voucher DeleteByKey", true);
    ThreeWays([&] { return voucher->UpdateByKey("paid", "1400000000000000001"); },
              Statement(Counted("UPDATE [Voucher] SET [Memo]=:Memo WHERE [No]=:No"),
                        {"=str:paid", "=str:1400000000000000001"}, "open"),
              kExecFailed, "Voucher UpdateByKey", true);
    String voucherNo;
    Journal().FirstText = "12345678901234567890123";
    Check(voucher->NewWithIdentity("new", voucherNo) &&
              voucherNo.str() == "12345678901234567890123",
          "a decimal IDENTITY comes back with every digit: " + voucherNo.str());
    Journal().FirstText.clear();
    Check(voucher->Get()->Parameters->Sent.find("SELECT CAST(SCOPE_IDENTITY() AS varchar(40))") !=
              std::string::npos,
          "the decimal IDENTITY is selected as text: " + voucher->Get()->Parameters->Sent);
    Taken();

    // The IDENTITY value the server gave the row comes back in the
    // column's own type.
    const char* staffInsert =
        "DECLARE @nocount int;SET @nocount=@@OPTIONS&512;SET NOCOUNT ON;INSERT INTO "
        "[Staff]([Name],[Joined],[Photo]) VALUES(:Name,:Joined,:Photo);SELECT "
        "CAST(SCOPE_IDENTITY() AS bigint);IF @nocount=0 SET NOCOUNT OFF";
    int id = -1;
    Journal().FirstField = 42;
    Check(staff->NewWithIdentity("Bo", "2024-03-04", &photo, id) && id == 42,
          "Staff NewWithIdentity gives back 42");
    CheckEvents(Taken(),
                Statement(staffInsert, {"=str:Bo", "=str:2024-03-04", "<stream:JPEG,blob"}, "open"),
                "Staff NewWithIdentity");
    Check(staff->Get()->Parameters->Sent.find("VALUES(?,?,?);SELECT") != std::string::npos,
          "NewWithIdentity sends three markers: " + staff->Get()->Parameters->Sent);
    Journal().FailNext = "gone";
    id = -1;
    Check(!staff->NewWithIdentity("Bo", "x", &photo, id) && id == -1,
          "a failed NewWithIdentity is false and leaves the value");
    Taken();

    __int64 logId = 0;
    Journal().FirstField = 3000000001LL;
    LogOperator* log = db.Tables<LogOperator>(DBComm::Log);
    Check(log->NewWithIdentity(logId) && logId == 3000000001LL,
          "a bigint IDENTITY keeps its upper half");
    Taken();
    ThreeWays([&] { return log->FindByKey(3000000001LL); },
              Statement("SELECT * FROM [Log] WHERE [ID]=:ID", {"=int64:3000000001"}, "open"),
              kQueryFailed, "Log FindByKey");
    int memberId = 0;
    Journal().FirstField = 5;
    Check(db.Tables<MemberOperator>(DBComm::Member)->NewWithIdentity("Cy", memberId) &&
              memberId == 5,
          "an IDENTITY column without a primary key");
    Taken();

    // Two key columns in the key's order, the set columns bound first.
    OrderDetailsOperator* lines = db.Tables<OrderDetailsOperator>(DBComm::OrderDetails);
    ThreeWays([&] { return lines->UpdateByKey(1234.56, 11, 10248); },
              Statement(Counted("UPDATE [Order Details] SET [Unit Price]=:UnitPrice WHERE "
                                "[ProductID]=:ProductID AND [OrderID]=:OrderID"),
                        {"=double:1234.56", "=int:11", "=int:10248"}, "open"),
              kExecFailed, "Order Details UpdateByKey", true);
    ThreeWays([&] { return lines->FindByKey(11, 10248); },
              Statement("SELECT * FROM [Order Details] WHERE [ProductID]=:ProductID AND "
                        "[OrderID]=:OrderID",
                        {"=int:11", "=int:10248"}, "open"),
              kQueryFailed, "Order Details FindByKey");

    // Exact values through the key methods too.
    LedgerOperator* ledger = db.Tables<LedgerOperator>(DBComm::Ledger);
    Journal().Rows = 1;
    Check(ledger->UpdateByKey(1234567.89, 0.01, 3000000000LL), "Ledger UpdateByKey");
    std::vector<std::string> ledgerEvents =
        Statement(Counted("UPDATE [Ledger] SET [Amount]=:Amount,[Fee]=:Fee WHERE "
                          "[EntryID]=:EntryID"),
                  {"=double:1234567.89", "=double:0.01", "=int64:3000000000"}, "open");
    ledgerEvents.push_back("close");
    CheckEvents(Taken(), ledgerEvents, "Ledger UpdateByKey binds exact values");

    // Names the parameter scan would misread reach the server whole, with
    // exactly the markers bound.
    OddTableOperator* odd = db.Tables<OddTableOperator>(DBComm::OddTable);
    Check(odd->DeleteByKey(3), "odd DeleteByKey");
    Check(odd->Get()->Parameters->Sent ==
              Counted("DELETE FROM [O'd]]d:Ta'ble%] WHERE [Val]]ue%:x]=?"),
          "odd names: " + odd->Get()->Parameters->Sent);
    Taken();
    InvoiceOperator* invoice = db.Tables<InvoiceOperator>(DBComm::Invoice);
    invoice->FindByKey(1);
    Check(invoice->Get()->Parameters->Sent ==
              "SELECT * FROM [Sa]]les].[Invoice] WHERE [InvoiceID]=?",
          "outside dbo: " + invoice->Get()->Parameters->Sent);
    Taken();
    YongHuBiaoOperator* chinese = db.Tables<YongHuBiaoOperator>(DBComm::YongHuBiao);
    chinese->DeleteByKey(1);
    std::vector<std::string> chineseEvents =
        Statement(Counted("DELETE FROM [\xD3\xC3\xBB\xA7\xB1\xED] WHERE "
                          "[\xB1\xE0\xBA\xC5]=:BianHao"),
                  {"=int:1"}, "open");
    chineseEvents.push_back("close");
    CheckEvents(Taken(), chineseEvents, "a translated table's key");

    if (failures == 0)
        std::printf("all key checks passed\n");
    return failures == 0 ? 0 : 1;
}
