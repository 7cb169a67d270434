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
