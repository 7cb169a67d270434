// Runs the relations of the generated library against the VCL stand-in:
// each lookup sends one statement whose parameters, as the VCL's scan
// finds them, are exactly the ones bound, in order, and an empty answer is
// no failure; a detail linked to a master takes its parameters from the
// master's current record by field name, opens again as the master moves,
// and follows it no more once another statement is run.

#include "DBComm.h"
#include "DriverChecks.h"
#include "./DBTables/CustomersOperator.h"
#include "./DBTables/EmployeesOperator.h"
#include "./DBTables/InvoicesOperator.h"
#include "./DBTables/LineNotesOperator.h"
#include "./DBTables/OrdersOperator.h"
#include "./DBTables/ShippersOperator.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A statement's text set, each parameter bound in order, then opened.
std::vector<std::string> Lookup(const std::string& sql, const std::vector<std::string>& bound)
{
    std::vector<std::string> events = {"close", "clear", "sql:" + sql};
    for (std::size_t i = 0; i < bound.size(); ++i)
        events.push_back("query[" + std::to_string(i) + "]" + bound[i]);
    events.push_back("open");
    return events;
}

// A link: the text set, opened, then the parameters from the master.
std::vector<std::string> Linked(const std::string& sql, const std::vector<std::string>& filled)
{
    std::vector<std::string> events = {"close", "clear", "sql:" + sql, "open"};
    for (std::size_t i = 0; i < filled.size(); ++i)
        events.push_back("query[" + std::to_string(i) + "]" + filled[i]);
    return events;
}

const char* const kQueryFailed = "msgbox:gone|ExecSQL\xD6\xB4\xD0\xD0\xB3\xF6\xB4\xED|16";

// The master's answer: one field, a record for each value.
VclAnswer Records(const std::string& field, const std::vector<Variant>& values)
{
    VclAnswer answer;
    answer.Names = {field};
    for (const Variant& v : values)
        answer.Records.push_back({v});
    return answer;
}

}  // namespace

int main()
{
    DBComm& db = DBComm::Instance();
    Journal().Events.clear();

    // A lookup: true whether or not rows match; false, with the box, only
    // when the statement fails.
    OrdersOperator* orders = db.Tables<OrdersOperator>(DBComm::Orders);
    std::vector<std::string> byCustomer =
        Lookup("SELECT * FROM [Orders] WHERE [CustomerID]=:CustomerID", {"=str:ALFKI"});
    Journal().Rows = 2;
    Check(orders->OpenByCustomerID("ALFKI"), "Orders OpenByCustomerID");
    CheckEvents(Taken(), byCustomer, "Orders OpenByCustomerID");
    Check(orders->Get()->RecordCount() == 2, "the lookup's rows are open");
    Journal().Rows = 0;
    Check(orders->OpenByCustomerID("ALFKI"), "an empty answer is no failure");
    CheckEvents(Taken(), byCustomer, "Orders OpenByCustomerID, no row");
    Journal().FailNext = "gone";
    Check(!orders->OpenByCustomerID("ALFKI"), "a failed lookup gives false");
    std::vector<std::string> failed = byCustomer;
    failed.push_back("failed:gone");
    failed.push_back(kQueryFailed);
    CheckEvents(Taken(), failed, "Orders OpenByCustomerID, failing");
    Check(orders->Get()->Parameters->Sent == "SELECT * FROM [Orders] WHERE [CustomerID]=?",
          "the server gets one marker");
    Journal().Rows = 1;

    // Two keys to one table, each with its own name and column.
    Check(orders->OpenByShipVia(3), "Orders OpenByShipVia");
    CheckEvents(Taken(), Lookup("SELECT * FROM [Orders] WHERE [ShipVia]=:ShipVia", {"=int:3"}),
                "Orders OpenByShipVia");
    Check(orders->OpenByReturnVia(4), "Orders OpenByReturnVia");
    CheckEvents(Taken(), Lookup("SELECT * FROM [Orders] WHERE [ReturnVia]=:ReturnVia", {"=int:4"}),
                "Orders OpenByReturnVia");

    // A composite key: one parameter per column, in key order.
    LineNotesOperator* notes = db.Tables<LineNotesOperator>(DBComm::LineNotes);
    Check(notes->OpenByOrderIDProductID(10248, 11), "LineNotes OpenByOrderIDProductID");
    CheckEvents(Taken(),
                Lookup("SELECT * FROM [Line Notes] WHERE [OrderID]=:OrderID AND "
                       "[ProductID]=:ProductID",
                       {"=int:10248", "=int:11"}),
                "LineNotes OpenByOrderIDProductID");
    // A key whose referenced column has a blank: the lookup alone.
    Check(notes->OpenByWarehouse("W 1"), "LineNotes OpenByWarehouse");
    CheckEvents(Taken(),
                Lookup("SELECT * FROM [Line Notes] WHERE [Warehouse]=:Warehouse", {"=str:W 1"}),
                "LineNotes OpenByWarehouse");

    // Across schemas.
    InvoicesOperator* invoices = db.Tables<InvoicesOperator>(DBComm::Invoices);
    Check(invoices->OpenByCustomerID("ALFKI"), "Sales.Invoices OpenByCustomerID");
    CheckEvents(Taken(),
                Lookup("SELECT * FROM [Sales].[Invoices] WHERE [CustomerID]=:CustomerID",
                       {"=str:ALFKI"}),
                "Sales.Invoices OpenByCustomerID");

    // Master-detail: customers and their orders. The detail's parameter is
    // named as the master's field and takes its value from the current
    // customer, and again as the cursor moves.
    CustomersOperator* customers = db.Tables<CustomersOperator>(DBComm::Customers);
    Journal().Answers.push_back(Records("CustomerID", {Variant("ALFKI"), Variant("ANATR")}));
    TDataSource* master = customers->Source();
    Taken();
    Journal().Answers.push_back(Records("OrderID", {Variant(10643)}));
    TDataSource* detail = orders->LinkByCustomerID(master);
    Check(detail != NULL && detail->DataSet == orders->Get(), "the link gives the detail's source");
    CheckEvents(Taken(),
                Linked("SELECT * FROM [Orders] WHERE [CustomerID]=:CustomerID", {"=str:ALFKI"}),
                "Orders LinkByCustomerID");
    Journal().Answers.push_back(Records("OrderID", {Variant(10308)}));
    customers->Get()->Next();
    CheckEvents(Taken(), {"master moved", "close", "open", "query[0]=str:ANATR"},
                "the detail follows the master");
    Check(orders->Get()->FieldByName("OrderID")->AsInteger == 10308,
          "the detail holds the next customer's orders");
    // Any other statement of the detail ends the link: its values are its
    // own, never the master's.
    Check(orders->OpenByShipVia(3), "a lookup after the link");
    CheckEvents(Taken(), Lookup("SELECT * FROM [Orders] WHERE [ShipVia]=:ShipVia", {"=int:3"}),
                "a lookup after the link binds its own value");
    customers->Get()->First();
    CheckEvents(Taken(), {}, "an unlinked detail does not follow the master");

    // The master's field by the referenced column's name, where it differs
    // from the detail's column: a shipper's orders.
    ShippersOperator* shippers = db.Tables<ShippersOperator>(DBComm::Shippers);
    Journal().Answers.push_back(Records("ShipperID", {Variant(3)}));
    TDataSource* shipper = shippers->Source();
    Taken();
    Check(orders->LinkByShipVia(shipper) != NULL, "Orders LinkByShipVia");
    CheckEvents(Taken(), Linked("SELECT * FROM [Orders] WHERE [ShipVia]=:ShipperID", {"=int:3"}),
                "Orders LinkByShipVia");

    // A self-reference: the employees who report to the master's employee.
    EmployeesOperator managers;
    Journal().Answers.push_back(Records("EmployeeID", {Variant(2), Variant(5)}));
    TDataSource* manager = managers.Source();
    Taken();
    EmployeesOperator* employees = db.Tables<EmployeesOperator>(DBComm::Employees);
    Check(employees->OpenByReportsTo(2), "Employees OpenByReportsTo");
    CheckEvents(Taken(),
                Lookup("SELECT * FROM [Employees] WHERE [ReportsTo]=:ReportsTo", {"=int:2"}),
                "Employees OpenByReportsTo");
    Check(employees->LinkByReportsTo(manager) != NULL, "Employees LinkByReportsTo");
    CheckEvents(Taken(),
                Linked("SELECT * FROM [Employees] WHERE [ReportsTo]=:EmployeeID", {"=int:2"}),
                "Employees LinkByReportsTo");
    managers.Get()->Next();
    CheckEvents(Taken(), {"master moved", "close", "open", "query[0]=int:5"},
                "the reports follow their manager");
    // Past the last manager the cursor stays: the reports stay too.
    managers.Get()->Next();
    Check(managers.Get()->Eof, "past the last manager");
    CheckEvents(Taken(), {}, "past the last manager");

    // A link that cannot open says so.
    Journal().FailNext = "gone";
    Check(orders->LinkByCustomerID(master) == NULL, "a failed link gives NULL");
    Taken();

    std::printf(failures == 0 ? "all checks passed\n" : "%d checks failed\n", failures);
    return failures == 0 ? 0 : 1;
}
