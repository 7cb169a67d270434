#include "Rendered.h"
#include "generator/Genfunc.h"
#include "platform/Files.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using testsupport::Expected;
using testsupport::FirstDifference;
using testsupport::ReadFile;
using testsupport::TempDir;

TEST(ViewOperator, VUsersIsWrittenByteForByte)
{
    RenderedFiles out;
    WriteViewOperatorFiles("T", "V_Users", "V_Users");
    EXPECT_EQ(FirstDifference(Expected("V_UsersOperator.h.expected"),
                              Rendered(out, "V_UsersOperator.h")),
              "");
    EXPECT_EQ(FirstDifference(Expected("V_UsersOperator.cpp.expected"),
                              Rendered(out, "V_UsersOperator.cpp")),
              "");
}

TEST(ViewOperator, ARelabelledViewTakesItsLabelForNamesAndKeepsItsCatalogueNameInSql)
{
    RenderedFiles out;
    WriteViewOperatorFiles("T", "Users", "V_Users");
    EXPECT_EQ(FirstDifference(Expected("UsersOperator.h.relabelled.expected"),
                              Rendered(out, "UsersOperator.h")),
              "");
    EXPECT_EQ(FirstDifference(Expected("UsersOperator.cpp.relabelled.expected"),
                              Rendered(out, "UsersOperator.cpp")),
              "");
    EXPECT_EQ(out.Files.count(InFolder("T", "V_UsersOperator.h")), 0u);
}

TEST(ViewOperator, ViewNamesAreQuotedInsideTheGeneratedFormats)
{
    TempDir dir;
    WriteViewOperatorFiles(dir.Path(), "Odd", "v]1%");
    std::string source = ReadFile(dir.File("OddOperator.cpp"));
    EXPECT_NE(source.find("sprintf(\"SELECT * FROM [v]]1%%]\");"), std::string::npos);
    EXPECT_NE(source.find("sprintf(\"SELECT %s FROM [v]]1%%]\",QueyFields.c_str());"),
              std::string::npos);
    EXPECT_NE(source.find("sprintf(\"SELECT %s FROM [v]]1%%]\",QueryFields.c_str());"),
              std::string::npos);
    EXPECT_THROW(WriteViewOperatorFiles(dir.Path(), "x/y", "x/y"), EFCreateError);
}
