#include "WindowFixture.h"

namespace {

// A server whose collation tells "SysDatabases" from "sysdatabases".
class CaseSensitiveWindow : public Window {
protected:
    CaseSensitiveWindow()
        : caseSensitive(Fixture(std::string(kNolk) + R"(, {"name": "Other"})"),
                        {"--case-sensitive"})
    {
    }
    StandIn caseSensitive;
};

}  // namespace

// 刷新 lists the databases with the catalogue's own names, as the window's
// login does, so that a case-sensitive server answers it too.
TEST_F(CaseSensitiveWindow, TheConnectionDialogListsTheDatabasesOfACaseSensitiveServer)
{
    TDataLinkDialog dialog("Provider=SQLOLEDB.1;Password=Pellam#2026;User ID=sa;Data Source=" +
                               caseSensitive.Host(),
                           form.get());
    dialog.RefreshCatalogsClick();
    EXPECT_TRUE(boxes.Shown.empty()) << boxes.Shown.front().Text;
    ASSERT_EQ(dialog.InitialCatalog->Count(), 3);
    EXPECT_EQ(dialog.InitialCatalog->Item(0), "master");
}
