#ifndef SampleProceduresH
#define SampleProceduresH

// The sample stored procedures that the expected files are written for
// and the compile check builds: none, every group, OUTPUT values and a
// decimal, a blank outside dbo, Chinese names translated.

#include "schema/Schema.h"

#include <string>
#include <vector>

namespace testsupport {

// A parameter: type (its own base), length in bytes, OUTPUT, precision and
// scale, as the catalogue gives them.
inline SchemaColumn SampleParameter(const std::string& name, const std::string& label,
                                    const std::string& type, int length, bool output = false,
                                    int precision = 0, int scale = 0)
{
    SchemaColumn c{name, label, type, type};
    c.Shape = {length, output, precision, scale};
    return c;
}

// With names outside GBK, which only the Unicode form holds: a Korean
// procedure in a schema with a ç, its parameter an emoji's.
inline SchemaObjects SampleProcedures(bool unicodeNames = false)
{
    auto procedure = [](const std::string& name, const std::string& label,
                        const std::string& schema, std::vector<SchemaColumn> parameters) {
        return SchemaObject{name, label, parameters, {}, schema};
    };
    SchemaObjects samples = {
        procedure("ListStaff", "ListStaff", "dbo", {}),
        procedure("AddOrder", "AddOrder", "dbo",
                  {SampleParameter("@Customer", "Customer", "int", 4),
                   SampleParameter("@Code", "Code", "bigint", 8),
                   SampleParameter("@Note", "Note", "nvarchar", 100),
                   SampleParameter("@Amount", "Amount", "float", 8),
                   SampleParameter("@When", "When", "datetime", 8),
                   SampleParameter("@Photo", "Photo", "varbinary", -1)}),
        procedure("PlaceOrder", "PlaceOrder", "dbo",
                  {SampleParameter("@Customer", "Customer", "int", 4),
                   SampleParameter("@Total", "Total", "decimal", 9, false, 10, 2),
                   SampleParameter("@OrderID", "OrderID", "int", 4, true, 10),
                   SampleParameter("@Name", "Name", "nvarchar", 40, true),
                   SampleParameter("@Placed", "Placed", "datetime", 8, true, 23, 3),
                   SampleParameter("@Big", "Big", "bigint", 8, true, 19)}),
        procedure("Month Report", "SalesMonthReport", "Sa]les",
                  {SampleParameter("@Year", "Year", "smallint", 2, false, 5)}),
        procedure("统计销售", "TongJiXiaoShou", "dbo",
                  {SampleParameter("@开始日期", "KaiShiRiQi", "datetime", 8, false, 23, 3),
                   SampleParameter("@合计", "HeJi", "money", 8, true, 19, 4)}),
    };
    if (unicodeNames)
        samples.push_back(procedure("주문 추가", "JuMunChuGa", "Façade",
                                    {SampleParameter("@이름😀", "Name", "nvarchar", 40)}));
    return samples;
}

}  // namespace testsupport

#endif
