// pellam-gen against servers, files and names that would mislead it.

#include "PellamGenFixture.h"

// A numbered procedure (Grp;1, Grp;2) is one object whose members' rows
// share its id: the class is the first member's, with its parameters alone.
TEST_F(PellamGen, ANumberedProcedureIsItsFirstMember)
{
    StandIn grouped(Fixture(R"({"name": "NOLK", "objects": [
        {"name": "Grp", "xtype": "P", "parameters": [
          {"name": "@a", "type": "int"}, {"name": "@b", "type": "varchar", "length": 10}],
         "members": [[{"name": "@a", "type": "bigint", "length": 8}],
                     [{"name": "@c", "type": "int"}]]}]})"));
    Outcome r = Run("generate --procedures --host " + grouped.Host() + " --password-env PW" +
                    " --output " + dir.File("o"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    std::string source = ReadFile(dir.File("o/DBComm/DBProcedures/GrpProcedure.cpp"));
    EXPECT_NE(source.find("bool GrpProcedure::Exec(int a,String b)"), std::string::npos) << source;
    EXPECT_EQ(source.find("@c"), std::string::npos) << source;
    EXPECT_EQ(source.find("ftLargeint"), std::string::npos) << source;
}

// Without --database pellam-gen logs in to master and switches to NOLK.
// A server that refuses the switch (Azure SQL Database) is logged into
// straight; one that answers USE without switching is found out; one that
// switches without answering is read right.
TEST_F(PellamGen, TheSwitchToTheDatabaseFallsBackAndIsChecked)
{
    struct Case {
        const char* what;
        std::vector<std::string> options;
        int code;
        const char* said;
    };
    const Case cases[] = {
        {"as SQL Server", {}, 0, ""},
        {"Azure SQL Database", {"--azure"}, 0, ""},
        {"a proxy that stays in master",
         {"--use", "ignored"},
         3,
         "切换到数据库 NOLK 后，连接仍在数据库 master 中"},
        {"a proxy that swallows the answer", {"--use", "silent"}, 0, ""},
    };
    for (const Case& c : cases) {
        StandIn server(Fixture(kNolk), c.options);
        std::string out = dir.File(std::string("o-") + std::to_string(&c - cases));
        Outcome r =
            Run("generate --keys --host " + server.Host() + " --password-env PW --output " + out);
        EXPECT_EQ(r.Code, c.code) << c.what << "\n" << r.Err;
        EXPECT_NE(r.Err.find(c.said), std::string::npos) << c.what << "\n" << r.Err;
        if (c.code == 0) {
            // NOLK's own tables and views, each answer read for its statement.
            EXPECT_EQ(FirstDifference(Expected("V_UsersOperator.cpp.expected"),
                                      ReadFile(out + "/DBComm/DBTables/V_UsersOperator.cpp")),
                      "")
                << c.what;
            EXPECT_EQ(ListFiles(out + "/DBComm/DBTables").size(), 7u) << c.what;
        } else {
            EXPECT_FALSE(std::filesystem::exists(out)) << c.what;
        }
    }
}

// A database's name is listed one to a line whatever it holds, and shown
// as messages show names: no line feed splits it, no override reverses it,
// no backslash passes for an escape.
TEST_F(PellamGen, DatabaseNamesAreListedOneToALineAsMessagesShowThem)
{
    StandIn odd(Fixture(R"({"name": "两\n行"}, {"name": "x\u202Etxt"}, {"name": "x\\u202Etxt"},
                          {"name": "Refused\u200B", "users": ["nobody"]})"));
    Outcome r = Run("databases --host " + odd.Host() + " --password-env PW");
    ASSERT_EQ(r.Code, 0) << r.Err;
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < r.Out.size();) {
        std::size_t end = r.Out.find('\n', at);
        lines.push_back(r.Out.substr(at, end - at));
        at = end + 1;
    }
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"Refused\\u200B", "master", "x\\\\u202Etxt",
                                               "x\\u202Etxt", "两\\x0A行"}));
}
