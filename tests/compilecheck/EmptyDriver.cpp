// The library generated for a database without tables or views links and runs.
#include "DBComm.h"

#include <cstdio>

int main()
{
    DBComm& db = DBComm::Instance();
    bool ok = db.ConnectDB(WideString("Provider=SQLOLEDB.1"));
    std::printf(ok ? "all checks passed\n" : "FAILED: ConnectDB\n");
    return ok ? 0 : 1;
}
