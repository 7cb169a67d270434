// Calls the generated procedures' classes against the VCL stand-in: each
// must create exactly the catalogue's parameters, in order, and bring the
// server's OUTPUT values back through its references.

#include "DBComm.h"
#include "DriverChecks.h"
#include "./DBProcedures/AddOrderProcedure.h"
#include "./DBProcedures/ListStaffProcedure.h"
#include "./DBProcedures/PlaceOrderProcedure.h"
#include "./DBProcedures/SalesMonthReportProcedure.h"
#include "./DBProcedures/TongJiXiaoShouProcedure.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The RETURN value's parameter, always first; directions by number
// (1 input, 3 input and output, 4 the RETURN value).
const char* const kReturn = "proc:param:@RETURN_VALUE,ftInteger,4,0,0,0,<empty>";

}  // namespace

int main()
{
    DBComm& db = DBComm::Instance();
    Check(db.ConnectDB("Provider=SQLOLEDB.1"), "ConnectDB succeeds");
    TADOConnection* conn = db.GetConnection();
    Check(conn != NULL, "DBComm hands out its connection");
    Journal().Events.clear();

    ListStaffProcedure list(conn);
    Check(list.Get()->Connection == conn, "the constructor sets the connection");
    Journal().Outputs = {{"@RETURN_VALUE", Variant(7)}};
    Check(list.ReturnValue() == 0, "no RETURN value before a call");
    Check(list.Exec(), "a procedure without parameters runs");
    CheckEvents(Taken("proc"), {"proc:close", "proc:exec:[dbo].[ListStaff]", kReturn},
                "no parameter but the RETURN value, and no refresh");
    Check(list.ReturnValue() == 7, "the RETURN value is read");
    Check(list.Open() == list.Get(), "Open gives the dataset");
    CheckEvents(Taken("proc:open"), {"proc:open:[dbo].[ListStaff]"}, "Open opens it");
    Journal().Outputs.clear();

    // Inputs of every group, each with its ADO type and size.
    AddOrderProcedure add(conn);
    TMemoryStream photo;
    photo.Bytes = "JPEG";
    Check(add.Exec(12, 3000000001LL, "\xB1\xB8\xD7\xA2", 1234567.89, "2024-01-02T03:04:05.123",
                   &photo),
          "inputs of every group");
    CheckEvents(Taken("proc"),
                {"proc:close", "proc[6]<stream:JPEG,blob", "proc:exec:[dbo].[AddOrder]", kReturn,
                 "proc:param:@Customer,ftInteger,1,0,0,0,int:12",
                 "proc:param:@Code,ftLargeint,1,0,0,0,int64:3000000001",
                 "proc:param:@Note,ftWideString,1,50,0,0,str:\xB1\xB8\xD7\xA2",
                 "proc:param:@Amount,ftFloat,1,0,0,0,double:1234567.89",
                 "proc:param:@When,ftWideString,1,23,0,0,str:2024-01-02T03:04:05.123",
                 "proc:param:@Photo,ftBlob,1,-1,0,0,<empty>"},
                "each input created with its type, direction and size, in order");

    // OUTPUT values come back through the references; a decimal keeps its
    // precision and scale.
    PlaceOrderProcedure place(conn);
    int orderId = 0;
    String name;
    String placed = "";
    __int64 big = 0;
    Journal().Outputs = {{"@RETURN_VALUE", Variant(3)},
                         {"@OrderID", Variant(42)},
                         {"@Name", Variant("\xD5\xC5\xC8\xFD")},
                         {"@Placed", Variant("2024-01-02 03:04:05")},
                         {"@Big", Variant(3000000001LL)},
                         {"@Customer", Variant(99)}};
    Check(place.Exec(5, 1234567.89, orderId, name, placed, big), "Exec with OUTPUT parameters");
    CheckEvents(Taken("proc:param"),
                {kReturn, "proc:param:@Customer,ftInteger,1,0,0,0,int:5",
                 "proc:param:@Total,ftBCD,1,0,10,2,double:1234567.89",
                 "proc:param:@OrderID,ftInteger,3,0,0,0,int:0",
                 "proc:param:@Name,ftWideString,3,20,0,0,str:",
                 "proc:param:@Placed,ftDateTime,3,0,0,0,<empty>",
                 "proc:param:@Big,ftLargeint,3,0,0,0,int64:0"},
                "OUTPUT parameters go in and out; a decimal carries precision and scale");
    Check(orderId == 42, "an int OUTPUT value comes back");
    Check(name == String("\xD5\xC5\xC8\xFD"), "a string OUTPUT value comes back");
    Check(placed == String("2024-01-02 03:04:05"), "a date OUTPUT value comes back");
    Check(big == 3000000001LL, "a bigint OUTPUT value comes back whole");
    Check(place.ReturnValue() == 3, "the RETURN value beside OUTPUT values");

    // A NULL leaves the caller's value; a failure shows the error box.
    Journal().Outputs = {{"@OrderID", Variant::NullValue()}};
    orderId = 17;
    Check(place.Exec(5, 1.5, orderId, name, placed, big) && orderId == 17,
          "a NULL OUTPUT value leaves the reference as it was");
    Journal().Events.clear();
    Journal().FailNext = "deadlock";
    Check(!place.Exec(5, 1.5, orderId, name, placed, big), "a failed call returns false");
    CheckEvents(Taken("msgbox"), {"msgbox:deadlock|ExecProc\xD6\xB4\xD0\xD0\xB3\xF6\xB4\xED|16"},
                "a failed call shows one box");
    Journal().FailNext = "gone";
    Check(place.Open(5, 1.5, 0, "", "", 0) == NULL, "a failed Open returns NULL");
    Journal().Events.clear();
    Journal().Outputs.clear();

    // Outside dbo, a blank and a "]" in the names: the call names it exactly.
    SalesMonthReportProcedure report;
    report.SetConnection(conn);
    Check(report.Exec(2024), "a procedure outside dbo");
    CheckEvents(Taken("proc:exec"), {"proc:exec:[Sa]]les].[Month Report]"},
                "the procedure named with its schema, brackets doubled");

    // Chinese names: translated in C++, exact in the call.
    TongJiXiaoShouProcedure sales(conn);
    double total = 0;
    Journal().Outputs = {{"@\xBA\xCF\xBC\xC6", Variant(12.5)}};
    Check(sales.Exec("2024-01-01", total) && total == 12.5, "a Chinese-named procedure");
    CheckEvents(Taken("proc:param"),
                {kReturn,
                 "proc:param:@\xBF\xAA\xCA\xBC\xC8\xD5\xC6\xDA,ftWideString,1,23,0,0,"
                 "str:2024-01-01",
                 "proc:param:@\xBA\xCF\xBC\xC6,ftBCD,3,0,19,4,double:0"},
                "the catalogue's parameter names, in GBK");

    if (failures == 0)
        std::printf("all checks passed\n");
    return failures == 0 ? 0 : 1;
}
