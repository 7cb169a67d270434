// Runs the key methods of the generated library against the VCL stand-in:
// each sends one statement whose parameters, as the VCL's scan finds them,
// are exactly the ones bound, in order; a key that matches no row is false
// without a box, a failure false with the runtime's box.

#include "DBComm.h"
#include "./DBTables/InvoiceOperator.h"
#include "./DBTables/LedgerOperator.h"
#include "./DBTables/LogOperator.h"
#include "./DBTables/MemberOperator.h"
#include "./DBTables/OddTableOperator.h"
#include "./DBTables/OrderDetailsOperator.h"
#include "./DBTables/StaffOperator.h"
#include "./DBTables/YongHuBiaoOperator.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

int failures = 0;

void Check(bool ok, const std::string& what)
{
    if (!ok) {
        std::printf("FAILED: %s\n", what.c_str());
        ++failures;
    }
}

std::vector<std::string> Taken()
{
    std::vector<std::string> out = Journal().Events;
    Journal().Events.clear();
    return out;
}

void CheckEvents(const std::vector<std::string>& got, const std::vector<std::string>& want,
                 const std::string& what)
{
    if (got == want)
        return;
    std::printf("FAILED: %s\n  got:\n", what.c_str());
    for (const std::string& e : got)
        std::printf("    %s\n", e.c_str());
    std::printf("  want:\n");
    for (const std::string& e : want)
        std::printf("    %s\n", e.c_str());
    ++failures;
}

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
// failed. Only the failure shows a box; only a match gives true.
template <typename Call>
void ThreeWays(Call call, const std::vector<std::string>& events, const char* failedBox,
               const std::string& what)
{
    Journal().Rows = 1;
    Check(call(), what + ": a row with that key gives true");
    CheckEvents(Taken(), events, what);
    Journal().Rows = 0;
    Check(!call(), what + ": no row with that key gives false");
    CheckEvents(Taken(), events, what + ", no row");
    Journal().Rows = 1;
    Journal().FailNext = "gone";
    Check(!call(), what + ": a failure gives false");
    std::vector<std::string> failed = events;
    failed.push_back("failed:gone");
    failed.push_back(failedBox);
    CheckEvents(Taken(), failed, what + ", failing");
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
              Statement("UPDATE [Staff] SET [Name]=:Name,[Joined]=:Joined,[Photo]=:Photo WHERE "
                        "[ID]=:ID",
                        {"=str:Ann", "=str:2024-01-02", "<stream:JPEG,blob", "=int:7"}, "exec"),
              kExecFailed, "Staff UpdateByKey");
    ThreeWays([&] { return staff->DeleteByKey(7); },
              Statement("DELETE FROM [Staff] WHERE [ID]=:ID", {"=int:7"}, "exec"), kExecFailed,
              "Staff DeleteByKey");
    Check(staff->Get()->Parameters->Sent == "DELETE FROM [Staff] WHERE [ID]=?",
          "the server gets one marker for the one key column");

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
              Statement("UPDATE [Order Details] SET [Unit Price]=:UnitPrice WHERE "
                        "[ProductID]=:ProductID AND [OrderID]=:OrderID",
                        {"=double:1234.56", "=int:11", "=int:10248"}, "exec"),
              kExecFailed, "Order Details UpdateByKey");
    ThreeWays([&] { return lines->FindByKey(11, 10248); },
              Statement("SELECT * FROM [Order Details] WHERE [ProductID]=:ProductID AND "
                        "[OrderID]=:OrderID",
                        {"=int:11", "=int:10248"}, "open"),
              kQueryFailed, "Order Details FindByKey");

    // Exact values through the key methods too.
    LedgerOperator* ledger = db.Tables<LedgerOperator>(DBComm::Ledger);
    Journal().Rows = 1;
    Check(ledger->UpdateByKey(1234567.89, 0.01, 3000000000LL), "Ledger UpdateByKey");
    CheckEvents(Taken(),
                Statement("UPDATE [Ledger] SET [Amount]=:Amount,[Fee]=:Fee WHERE "
                          "[EntryID]=:EntryID",
                          {"=double:1234567.89", "=double:0.01", "=int64:3000000000"}, "exec"),
                "Ledger UpdateByKey binds exact values");

    // Names the parameter scan would misread reach the server whole, with
    // exactly the markers bound.
    OddTableOperator* odd = db.Tables<OddTableOperator>(DBComm::OddTable);
    Check(odd->DeleteByKey(3), "odd DeleteByKey");
    Check(odd->Get()->Parameters->Sent == "DELETE FROM [O'd]]d:Ta'ble%] WHERE [Val]]ue%:x]=?",
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
    CheckEvents(Taken(),
                Statement("DELETE FROM [\xD3\xC3\xBB\xA7\xB1\xED] WHERE "
                          "[\xB1\xE0\xBA\xC5]=:BianHao",
                          {"=int:1"}, "exec"),
                "a translated table's key");

    if (failures == 0)
        std::printf("all key checks passed\n");
    return failures == 0 ? 0 : 1;
}
