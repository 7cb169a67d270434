// Runs the typed rows of the generated library against the VCL stand-in:
// a row written and read back keeps every value and every NULL, of every
// group; an insert from a row sends exactly the statement and columns New
// sends; NULLs go typed; a change by key from a row binds the columns it
// sets, then the key; IDENTITY values come back into the row; lookups and
// views read their rows into lists.

#include "DBComm.h"
#include "DriverChecks.h"
#include "./DBTables/OrdersOperator.h"
#include "./DBTables/SamplesOperator.h"
#include "./DBTables/TagsOperator.h"
#include "./DBTables/V_OrderTotalsOperator.h"
#include "./DBTables/VouchersOperator.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The statement's text from its events.
std::string SqlOf(const std::vector<std::string>& events)
{
    for (const std::string& e : events)
        if (e.rfind("sql:", 0) == 0)
            return e;
    return std::string();
}

// Every parameter of the last statement of an operator, as bound: the
// record the server would then hold.
std::vector<Variant> Bound(TADOQuery* query)
{
    std::vector<Variant> values;
    for (TParameter* p : query->Parameters->All())
        values.push_back(OleVariant(p->Value));
    return values;
}

#ifdef PELLAM_VCL_UNICODE
const String kChinese = L"\u4E2D\u6587";
#else
const String kChinese = "\xD6\xD0\xCE\xC4";
#endif

std::string Text(const String& s)
{
    return s.str();
}

DBBytes BytesOf(const std::string& bytes)
{
    return DBBytes(bytes.begin(), bytes.end());
}

}  // namespace

int main()
{
    DBComm& db = DBComm::Instance();
    Journal().Events.clear();
    SamplesOperator* samples = db.Tables<SamplesOperator>(DBComm::Samples);

    // Every group, NOT NULL and nullable.
    SamplesRow row;
    row.Count = 7;
    row.Big = 3000000001LL;
    row.Ratio = 0.5;
    row.Amount = 1234567.89;
    row.Code = "abc";
    row.Name = kChinese;
    row.Data = BytesOf(std::string("\x00\x01\xFF", 3));
    row.Photo.SetNull();
    Check(samples->New(row), "Samples New from a row");
    std::vector<std::string> fromRow = Taken();
    std::vector<Variant> stored = Bound(samples->Get());
    CheckEvents(fromRow,
                {"close", "clear", SqlOf(fromRow), "query[0]=int:7", "query[1]=int64:3000000001",
                 "query[2]=double:0.5", "query[3]=double:1234567.89", "query[4]=str:abc",
                 "query[5]=str:" + Text(kChinese),
                 "query[6]<stream:" + std::string("\x00\x01\xFF", 3) + ",blob",
                 "query[7]=<null>:ftBlob", "exec"},
                "Samples New from a row binds every written column, a NULL typed");
    // The same statement as New with its parameters.
    TMemoryStream data, photo;
    data.Bytes = std::string("\x00\x01\xFF", 3);
    samples->New(7, 3000000001LL, 0.5, 1234567.89, "abc", kChinese, &data, &photo);
    std::vector<std::string> positional = Taken();
    Check(SqlOf(positional) == SqlOf(fromRow) && positional.size() == fromRow.size(),
          "an insert from a row sends New's statement and columns");

    // Read back as the server holds it: the id it gave, every value bound,
    // the blob's bytes, the NULL.
    VclAnswer answer;
    answer.Names = {"ID", "Count", "Big", "Ratio", "Amount", "Code", "Name", "Data", "Photo"};
    answer.Records = {{Variant(static_cast<__int64>(5)), stored[0], stored[1], stored[2], stored[3],
                       stored[4], stored[5], Variant(AnsiString(std::string("\x00\x01\xFF", 3))),
                       Null()}};
    Journal().Answers.push_back(answer);
    SamplesRow back;
    Check(samples->FindByKey(5, back), "Samples FindByKey into a row");
    CheckEvents(Taken(),
                {"close", "clear", "sql:SELECT * FROM [Samples] WHERE [ID]=:ID", "query[0]=int64:5",
                 "open"},
                "Samples FindByKey into a row");
    Check(back.ID == 5, "the id read back");
    Check(back.Count == 7, "an int read back");
    Check(!back.Big.IsNull() && back.Big.Value() == 3000000001LL, "a bigint read back whole");
    Check(back.Ratio == 0.5, "a float read back");
    Check(!back.Amount.IsNull() && back.Amount.Value() == 1234567.89, "a decimal read back");
    Check(Text(back.Code) == "abc", "a varchar read back");
    Check(!back.Name.IsNull() && back.Name.Value() == kChinese, "a Chinese string read back");
    Check(back.Data == row.Data, "bytes read back");
    Check(back.Photo.IsNull(), "a NULL blob read back as NULL");

    // NULL is told apart from 0 and from "".
    answer.Records = {{Variant(static_cast<__int64>(6)), Variant(0),
                       Variant(static_cast<__int64>(0)), Variant(0.0), Variant(0.0), Variant(""),
                       Variant(""), Variant(AnsiString("")), Variant(AnsiString(""))},
                      {Variant(static_cast<__int64>(7)), Variant(0), Null(), Variant(0.0), Null(),
                       Variant(""), Null(), Variant(AnsiString("")), Null()}};
    Journal().Answers.push_back(answer);
    Check(samples->Source() != NULL, "Samples Source");
    std::vector<SamplesRow> rows;
    Check(samples->ReadRows(rows) && rows.size() == 2, "Samples ReadRows");
    if (rows.size() == 2) {
        Check(!rows[0].Big.IsNull() && rows[0].Big.Value() == 0, "a bigint 0 is no NULL");
        Check(!rows[0].Amount.IsNull(), "a decimal 0 is no NULL");
        Check(!rows[0].Name.IsNull() && rows[0].Name.Value().Length() == 0, "\"\" is no NULL");
        Check(!rows[0].Photo.IsNull() && rows[0].Photo.Value().empty(), "no bytes are no NULL");
        Check(rows[1].Big.IsNull() && rows[1].Amount.IsNull() && rows[1].Name.IsNull() &&
                  rows[1].Photo.IsNull(),
              "NULLs read back as NULL");
    }
    Taken();
    // A row past the end is no row.
    SamplesRow none;
    Check(!samples->ReadRow(none), "no current record, no row");

    // The IDENTITY value the server gave comes back into the row, whole.
    Journal().FirstField = 3000000002LL;
    SamplesRow added = row;
    Check(samples->NewWithIdentity(added) && added.ID == 3000000002LL,
          "NewWithIdentity gives the row its id");
    Taken();

    // A change by key from a row: the columns it sets, then the key; a
    // NULL goes typed as its column.
    OrdersOperator* orders = db.Tables<OrdersOperator>(DBComm::Orders);
    OrdersRow order;
    order.OrderID = 10248;
    order.CustomerID.SetNull();
    order.ShipVia = 3;
    order.Freight = 32.38;
    Journal().Rows = 1;
    Check(orders->UpdateByKey(order), "Orders UpdateByKey from a row");
    std::vector<std::string> update = Taken();
    CheckEvents(std::vector<std::string>(update.begin() + 3, update.end()),
                {"query[0]=<null>:ftWideString", "query[1]=int:3", "query[2]=<null>:ftInteger",
                 "query[3]=double:32.38", "query[4]=int:10248", "open", "close"},
                "Orders UpdateByKey from a row");
    Journal().Rows = 0;
    Check(!orders->UpdateByKey(order), "no order with that key gives false");
    Taken();
    Journal().Rows = 1;

    // A decimal key keeps every digit in the row.
    VouchersOperator* vouchers = db.Tables<VouchersOperator>(DBComm::Vouchers);
    VouchersRow voucher;
    voucher.VoucherNo = "12345678901234567890";
    voucher.Memo = "x";
    Check(vouchers->UpdateByKey(voucher), "Vouchers UpdateByKey from a row");
    std::vector<std::string> byVoucher = Taken();
    Check(byVoucher.size() > 4 && byVoucher[4] == "query[1]=str:12345678901234567890",
          "a decimal key from a row goes as its text");

    // A key-only table: found into a row.
    TagsOperator* tags = db.Tables<TagsOperator>(DBComm::Tags);
    answer.Names = {"TagName"};
    answer.Records = {{Variant("red")}};
    Journal().Answers.push_back(answer);
    TagsRow tag;
    Check(tags->FindByKey("red", tag) && Text(tag.TagName) == "red", "Tags FindByKey into a row");
    Taken();

    // A relation's lookup into a list.
    answer.Names = {"OrderID", "CustomerID", "ShipVia", "ReturnVia", "Freight"};
    answer.Records = {{Variant(1), Variant("ALFKI"), Variant(3), Null(), Variant(1.5)},
                      {Variant(2), Variant("ALFKI"), Null(), Null(), Null()}};
    Journal().Answers.push_back(answer);
    std::vector<OrdersRow> byCustomer;
    Check(orders->OpenByCustomerID("ALFKI", byCustomer) && byCustomer.size() == 2 &&
              byCustomer[1].OrderID == 2 && byCustomer[1].ShipVia.IsNull() &&
              byCustomer[0].ShipVia.Value() == 3,
          "Orders OpenByCustomerID into rows");
    Taken();

    // A view's rows.
    V_OrderTotalsOperator* totals = db.Tables<V_OrderTotalsOperator>(DBComm::V_OrderTotals);
    answer.Names = {"OrderID", "Total"};
    answer.Records = {{Variant(1), Variant(440.0)}, {Variant(2), Null()}};
    Journal().Answers.push_back(answer);
    totals->Source();
    std::vector<V_OrderTotalsRow> totalRows;
    Check(totals->ReadRows(totalRows) && totalRows.size() == 2 &&
              totalRows[0].Total.Value() == 440.0 && totalRows[1].Total.IsNull(),
          "V_OrderTotals ReadRows");
    Taken();

    // A field the open result lacks: false, with the box.
    answer.Names = {"OrderID"};
    answer.Records = {{Variant(1)}};
    Journal().Answers.push_back(answer);
    totals->Query("OrderID", "");
    V_OrderTotalsRow partial;
    Check(!totals->ReadRow(partial), "a result without every column reads no row");
    std::vector<std::string> missing = Taken();
    Check(!missing.empty() && missing.back().rfind("msgbox:", 0) == 0, "and says why");

    std::printf(failures == 0 ? "all checks passed\n" : "%d checks failed\n", failures);
    return failures == 0 ? 0 : 1;
}
