// Names GBK cannot hold, through the Unicode form of the library: a Korean
// table with an emoji column in a schema with a ç, and a Korean procedure,
// reach the server exactly, each statement's parameters those bound.

#include "DBComm.h"
#include "DriverChecks.h"
#include "./DBProcedures/JuMunChuGaProcedure.h"
#include "./DBTables/HanGukOperator.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

int main()
{
    DBComm& db = DBComm::Instance();
    Journal().Events.clear();
    HanGukOperator* table = db.Tables<HanGukOperator>(DBComm::HanGuk);
    Check(table->New(7, L"얼굴", "Gruß"), "New");
    CheckEvents(Taken(),
                {"close", "clear",
                 "sql:INSERT INTO [Façade].[한국어표]([번호],[E😀],[Straße]) "
                 "VALUES(:No,:Face,:Name)",
                 "query[0]=int:7", "query[1]=str:얼굴", "query[2]=str:Gruß", "exec"},
                "a Korean table's insert");
    Check(table->FindByKey(7), "FindByKey");
    Check(table->Get()->Parameters->Sent == "SELECT * FROM [Façade].[한국어표] WHERE [번호]=?",
          "the server gets the names whole: " + table->Get()->Parameters->Sent);
    Taken();
    table->Source();
    Check(Taken().at(2) == "sql:SELECT * FROM [Façade].[한국어표]", "Source names the table");

    JuMunChuGaProcedure order(db.GetConnection());
    Check(order.Exec(L"김"), "Exec");
    std::vector<std::string> events = Taken();
    Check(std::find(events.begin(), events.end(), "proc:exec:[Façade].[주문 추가]") != events.end(),
          "the procedure is named whole");
    Check(std::find(events.begin(), events.end(),
                    "proc:param:@이름😀,ftWideString,1,20,0,0,str:김") != events.end(),
          "its parameter is named whole");

    if (failures == 0)
        std::printf("all Unicode name checks passed\n");
    return failures == 0 ? 0 : 1;
}
