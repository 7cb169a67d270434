#include "WindowFixture.h"

TEST_F(Window, StartsWithALayoutWhereEveryControlCanBeReached)
{
    platform::ProcessMessagesFor(20);
    // Every control the user works lies whole inside the panel, in sight,
    // and on no other; a labelled edit's caption is clear of its edit.
    std::vector<platform::TControl*> controls = {form->RadioButton1, form->RadioButton2,
                                                 form->LabeledEdit1, form->LabeledEdit4,
                                                 form->LabeledEdit2, form->BitBtn2,
                                                 form->ComboBox1,    form->TreeView1,
                                                 form->TreeView2,    form->CheckBox3,
                                                 form->CheckBox2,    form->CheckBox1,
                                                 form->LabeledEdit5, form->BitBtn1,
                                                 form->LabeledEdit3, form->BitBtn3};
    const std::size_t kWorked = controls.size();
    for (platform::TLabeledEdit* edit : {form->LabeledEdit1, form->LabeledEdit4, form->LabeledEdit2,
                                         form->LabeledEdit5, form->LabeledEdit3})
        controls.push_back(edit->EditLabel);
    platform::TRect panel = form->Panel1->Bounds();
    platform::TRect visible{0, 0, panel.Width, form->Bounds().Height - panel.Top};
    for (std::size_t i = 0; i < controls.size(); ++i)
        EXPECT_TRUE(visible.Contains(controls[i]->Bounds())) << i;
    // No control the panel shows lies on another (the rules and the frame
    // are lines drawn around them).
    std::vector<platform::TControl*> shown;
    for (platform::TControl* c : form->Panel1->Controls())
        if (c->Visible() && !dynamic_cast<platform::TBevel*>(c))
            shown.push_back(c);
    for (std::size_t i = 0; i < shown.size(); ++i)
        for (std::size_t j = 0; j < i; ++j) {
            platform::TRect a = shown[i]->Bounds(), b = shown[j]->Bounds();
            EXPECT_FALSE(a.Intersects(b))
                << a.Left << "," << a.Top << " " << a.Width << "x" << a.Height << " on " << b.Left
                << "," << b.Top << " " << b.Width << "x" << b.Height;
        }
    // Tab order follows the layout from top to bottom: the login, the
    // trees, the options (what is read, what is generated, how it is
    // written), 生成, the connection string.
    std::vector<platform::TControl*> order;
    platform::TControl* at = form->RadioButton1;
    do {
        if (std::count(controls.begin(), controls.begin() + kWorked, at))
            order.push_back(at);
        at = platform::NextInTabOrder(at);
    } while (at != form->RadioButton1 && order.size() < 20);
    // The second radio button is reached with the arrow keys, as its group's.
    order.erase(std::remove(order.begin(), order.end(), form->RadioButton2), order.end());
    EXPECT_EQ(order,
              (std::vector<platform::TControl*>{form->RadioButton1, form->LabeledEdit1,
                                                form->LabeledEdit4, form->LabeledEdit2,
                                                form->BitBtn2, form->ComboBox1, form->TreeView1,
                                                form->TreeView2, form->CheckBox3, form->CheckBox2,
                                                form->CheckBox1, form->LabeledEdit5, form->BitBtn1,
                                                form->LabeledEdit3, form->BitBtn3}));
    EXPECT_EQ(form->LabeledEdit4->Text(), "sa");
    EXPECT_FALSE(form->Label4->Visible());
    EXPECT_EQ(form->ComboBox1->ItemIndex(), -1);
    EXPECT_TRUE(form->LabeledEdit2->Password());
    // Windows authentication at start: host and password disabled.
    EXPECT_TRUE(form->RadioButton1->Checked());
    EXPECT_FALSE(form->LabeledEdit1->Enabled());
    EXPECT_FALSE(form->LabeledEdit2->Enabled());
    // The buttons' glyphs are the project's own pictures: a tick for 生成
    // and 登录, a question mark for the connection string.
    auto opaque = [](const platform::TBitmap& glyph) {
        int n = 0;
        for (int y = 0; y < glyph.Height(); ++y)
            for (int x = 0; x < glyph.Width(); ++x)
                n += glyph.Pixel(x, y).A == 255;
        return n;
    };
    for (platform::TBitBtn* button : {form->BitBtn1, form->BitBtn2, form->BitBtn3}) {
        EXPECT_EQ(button->Glyph().Width(), 16);
        EXPECT_GT(opaque(button->Glyph()), 20);
    }
    EXPECT_EQ(form->BitBtn1->Glyph().Pixel(12, 2),
              platform::StockGlyph(platform::TBitBtn::bkOK).Pixel(12, 2));
    EXPECT_FALSE(form->BitBtn3->Glyph().Pixel(7, 13) == form->BitBtn1->Glyph().Pixel(7, 13));
    // The banner shows above the panel, unscaled.
    EXPECT_EQ(form->Image1->PictureWidth(), BannerPicture().Width());
    EXPECT_LT(form->Image1->Bounds().Top, form->Panel1->Bounds().Top);
}

TEST_F(Window, RadioButtonsKeepTypedText)
{
    form->RadioButton2->Click();
    EXPECT_TRUE(form->LabeledEdit1->Enabled());
    form->LabeledEdit1->SetText("host");
    form->RadioButton1->Click();
    EXPECT_FALSE(form->LabeledEdit1->Enabled());
    EXPECT_FALSE(form->LabeledEdit2->Enabled());
    EXPECT_EQ(form->LabeledEdit1->Text(), "host");
}

TEST_F(Window, LoginSelectsNolkAndFillsBothTrees)
{
    SqlLogin();
    EXPECT_TRUE(boxes.Shown.empty());
    EXPECT_TRUE(form->Label4->Visible());
    EXPECT_EQ(form->ComboBox1->Count(), 3);
    EXPECT_EQ(form->ComboBox1->Text(), "NOLK");
    EXPECT_EQ(TopLevel(form->TreeView1), (Texts{"Log", "Staff"}));
    EXPECT_EQ(form->TreeView1->Item(1)->Count(), 4);
    EXPECT_EQ(TopLevel(form->TreeView2), (Texts{"V_Users"}));
    EXPECT_EQ(form->TableNames, (NameList{"Log", "Staff"}));
    EXPECT_EQ(form->TableColumns.size(), 2u);
    EXPECT_EQ(form->ViewColumns[0][1], (ColumnEntry{"Age", "int", "int"}));
    EXPECT_EQ(form->Label5->Caption(), "更新完成。          ");
    EXPECT_EQ(form->Label3->Caption(), "更新完成。          ");
    EXPECT_TRUE(form->Label5->Visible());

    // Choosing the same database again empties and refills the trees.
    form->TreeView1->Item(0)->SetText("changed");
    form->ComboBox1Select();
    EXPECT_EQ(TopLevel(form->TreeView1), (Texts{"Log", "Staff"}));
    EXPECT_EQ(form->TableNames.size(), 2u);

    // A failed login keeps the list and the trees, with the mark hidden.
    SqlLogin("wrong");
    EXPECT_EQ(boxes.Shown.size(), 1u);
    EXPECT_FALSE(form->Label4->Visible());
    EXPECT_EQ(form->ComboBox1->Count(), 3);
    EXPECT_EQ(TopLevel(form->TreeView1), (Texts{"Log", "Staff"}));
}

TEST_F(Window, WindowsAuthenticationIgnoresTheHost)
{
    form->LabeledEdit1->SetText(server.Host());
    form->BitBtn2->Click();
    EXPECT_EQ(DBData->ADOConnection1->ConnectionString, TDBData::WindowsConnectionString("master"));
    EXPECT_EQ(form->ComboBox1->Count(), 0);
}

TEST_F(Window, TheViewTreeEditsInPlaceAndTheTableTreeDoesNot)
{
    SqlLogin();
    EXPECT_TRUE(form->TreeView1->ReadOnly());
    EXPECT_FALSE(form->TreeView2->ReadOnly());
    form->TreeView2->Item(0)->EditText();
    EXPECT_TRUE(form->TreeView2->Editing());
    EXPECT_TRUE(form->TreeView2->FinishEditing("Users"));
    EXPECT_EQ(form->TreeView2->Item(0)->Text(), "Users");
}

// Renaming through the popup selects the node renamed, in either tree and
// at either level, whichever node was selected before.
TEST_F(Window, TheNodeRenamedIsTheSelectedOne)
{
    SqlLogin();
    platform::TTreeView* tables = form->TreeView1;
    platform::TTreeView* views = form->TreeView2;
    ASSERT_EQ(tables->Count(), 2);
    ASSERT_EQ(views->Count(), 1);
    struct Case {
        platform::TTreeView* tree;
        platform::TTreeNode* before;
        platform::TTreeNode* renamed;
    };
    for (const Case& c : {Case{tables, tables->Item(0), tables->Item(1)},
                          Case{tables, tables->Item(0), tables->Item(1)->Item(2)},
                          Case{views, views->Item(0)->Item(1), views->Item(0)},
                          Case{views, views->Item(0), views->Item(0)->Item(1)}}) {
        std::string text = c.renamed->Text();
        if (c.renamed->Parent())
            c.renamed->Parent()->Expand();
        c.tree->Select(c.before);
        ASSERT_EQ(c.tree->Selected(), c.before);
        Choose(form.get(), c.tree, c.renamed, form->M1);
        EXPECT_EQ(c.tree->Selected(), c.renamed) << text;
        EXPECT_TRUE(c.tree->FinishEditing(text + "X")) << text;
        EXPECT_EQ(c.renamed->Text(), text + "X");
    }
}

TEST_F(Window, ThePopupOpensOnlyOnARightClickOverATableNode)
{
    SqlLogin();
    platform::TTreeView* tree = form->TreeView1;
    PressOver(tree, tree->Item(0), platform::mbRight);
    EXPECT_EQ(form->TreeView1PopupMenu, form->PopupMenu1);
    int x = 0, y = 0;
    tree->NodePoint(tree->Item(0), x, y);
    tree->ContextPopup(x, y);
    EXPECT_TRUE(form->PopupMenu1->Visible());
    form->PopupMenu1->CloseUp();
    form->M1->Click();
    form->N1->Click();
    EXPECT_EQ(tree->Item(0)->Text(), "Log");

    // Below the last node, or with the left button: no menu.
    tree->MouseDown(platform::mbRight, 200, 95);
    EXPECT_EQ(form->TreeView1PopupMenu, nullptr);
    PressOver(tree, tree->Item(0), platform::mbLeft);
    EXPECT_EQ(form->TreeView1PopupMenu, nullptr);
    tree->ContextPopup(200, 95);
    EXPECT_FALSE(form->PopupMenu1->Visible());
}

TEST_F(Window, InputDuringAFillDoesNothing)
{
    SqlLogin();
    int hooked = 0;
    platform::SetProcessMessagesHook([&] {
        if (hooked++ == 3) {
            form->BitBtn2->Click();
            form->BitBtn1->Click();
            form->ComboBox1Select();
        }
    });
    std::size_t before = boxes.Shown.size();
    form->ComboBox1Select();
    platform::SetProcessMessagesHook(nullptr);
    EXPECT_GT(hooked, 3);
    EXPECT_EQ(boxes.Shown.size(), before);
    EXPECT_EQ(TopLevel(form->TreeView1), (Texts{"Log", "Staff"}));
    EXPECT_EQ(form->TableColumns.size(), 2u);
    EXPECT_FALSE(platform::DirectoryExists(dir.File("Output")));
    EXPECT_TRUE(form->Panel1->Enabled());
}

TEST_F(Window, GenerateWritesTheWholeTree)
{
    SqlLogin();
    form->TreeView2->Item(0)->SetText("Users");
    boxes.Answers = {platform::IDNO};
    form->BitBtn1->Click();
    const auto& files = testsupport::kLogStaffUsersFiles;
    std::vector<std::string> names;
    for (const auto& [file, expected] : files) {
        names.push_back(file);
        EXPECT_EQ(FirstDifference(Expected(expected), ReadFile(dir.File("Output/" + file))), "")
            << file;
    }
    EXPECT_EQ(testsupport::ListFiles(dir.File("Output")), names);
    EXPECT_EQ(opened, (std::vector<std::string>{dir.File("Output")}));
    EXPECT_EQ(form->Label5->Caption(), "生成完毕。   ");
    EXPECT_EQ(form->Label3->Caption(), "生成完毕。   ");

    // Yes clears: only this run's files remain, and no script.
    testsupport::WriteFile(dir.File("Output/DBComm/DBTables/OldOperator.h"), "old");
    boxes.Answers = {platform::IDYES};
    form->BitBtn1->Click();
    EXPECT_EQ(testsupport::ListFiles(dir.File("Output")), names);
    EXPECT_FALSE(platform::FileExists(dir.File("output_clear.sh")));
}

TEST_F(Window, GenerateWithoutADatabaseOrWithEmptyTreesKeepsTheEarlierLibraryAndClearsOnlyItsOwn)
{
    SqlLogin();
    boxes.Answers = {platform::IDNO};
    form->BitBtn1->Click();
    std::vector<std::string> library = testsupport::ListFiles(dir.File("Output"));
    std::string comm = ReadFile(dir.File("Output/DBComm/DBComm.cpp"));

    // An empty database, and then no database chosen: said, nothing written.
    int other = -1;
    for (int i = 0; i < form->ComboBox1->Count(); ++i)
        if (form->ComboBox1->Item(i) == "Other")
            other = i;
    ASSERT_GE(other, 0);
    form->ComboBox1->Choose(other);
    boxes.Shown.clear();
    boxes.Answers = {platform::IDYES, platform::IDYES};
    form->BitBtn1->Click();
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text, "这个数据库没有数据表和视图，没有生成任何文件");
    SqlLogin();  // a fresh login leaves no database chosen here
    form->ComboBox1->SetItemIndex(-1);
    boxes.Shown.clear();
    form->BitBtn1->Click();
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text, "请先选择数据库，没有生成任何文件");
    EXPECT_EQ(testsupport::ListFiles(dir.File("Output")), library);
    EXPECT_EQ(ReadFile(dir.File("Output/DBComm/DBComm.cpp")), comm);

    // Clearing deletes what Pellam wrote and does not write now, and
    // nothing of the user's; the question says how many files.
    for (int i = 0; i < form->ComboBox1->Count(); ++i)
        if (form->ComboBox1->Item(i) == "NOLK")
            form->ComboBox1->Choose(i);
    for (const char* mine :
         {"DBComm/Notes.txt", "DBComm/Shop.cbproj", "DBComm/DBTables/Helper.cpp"})
        testsupport::WriteFile(dir.File(std::string("Output/") + mine), "mine");
    testsupport::WriteFile(dir.File("Output/DBComm/DBTables/GoneOperator.h"), "old");
    boxes.Shown.clear();
    boxes.Answers = {platform::IDYES};
    form->BitBtn1->Click();
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text.rfind("是否清除上一次生成的文件？\n将删除 1 个这次不再生成的文件",
                                        0),
              0u)
        << boxes.Shown[0].Text;
    EXPECT_FALSE(platform::FileExists(dir.File("Output/DBComm/DBTables/GoneOperator.h")));
    for (const char* mine :
         {"DBComm/Notes.txt", "DBComm/Shop.cbproj", "DBComm/DBTables/Helper.cpp"})
        EXPECT_TRUE(platform::FileExists(dir.File(std::string("Output/") + mine))) << mine;
}

TEST_F(Window, GeneratingRemovesItsNewFileWhenEndedBySignal)
{
    // pellam-gen's handlers: an ending signal while writing removes the
    // new file being written. The window installs them before it writes.
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        std::signal(s, SIG_DFL);
    SqlLogin();
    boxes.Answers = {platform::IDNO};
    form->BitBtn1->Click();
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction now { };
        sigaction(s, nullptr, &now);
        EXPECT_NE(now.sa_handler, SIG_DFL) << s;
        std::signal(s, SIG_DFL);
    }
}

TEST_F(Window, GenerateBeforeLoginAndWithAFileInTheWay)
{
    form->BitBtn1->Click();
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text, "请先登录数据库");
    EXPECT_FALSE(platform::DirectoryExists(dir.File("Output")));

    SqlLogin();
    testsupport::MakeDir(dir.File("Output/DBComm/DBTables/StaffOperator.cpp"));
    boxes.Shown.clear();
    form->BitBtn1->Click();
    // Nothing earlier to clear: no question, only the failure.
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text,
              "Cannot create file " + dir.File("Output/DBComm/DBTables/StaffOperator.cpp"));
    EXPECT_TRUE(opened.empty());
    // Neither tree says it is done, and the window stays usable.
    for (platform::TLabel* label : {form->Label5, form->Label3})
        EXPECT_EQ(label->Caption().find("生成完毕"), std::string::npos) << label->Caption();
    EXPECT_TRUE(form->Panel1->Enabled());
    EXPECT_FALSE(form->Busy());

    // With the way clear, the files are counted as they go to disk, and
    // only then is each tree done.
    std::filesystem::remove(dir.File("Output/DBComm/DBTables/StaffOperator.cpp"));
    std::vector<std::string> shown;
    platform::SetProcessMessagesHook([&] { shown.push_back(form->Label5->Caption()); });
    form->BitBtn1->Click();
    platform::SetProcessMessagesHook(nullptr);
    std::vector<std::string> writing;
    for (const std::string& caption : shown)
        if (caption.rfind("正在写入文件... ", 0) == 0)
            writing.push_back(caption.substr(caption.find(' ') + 1));
    ASSERT_FALSE(writing.empty());
    EXPECT_EQ(writing.back(), "11/11");
    EXPECT_EQ(form->Label5->Caption(), "生成完毕。   ");
    EXPECT_EQ(form->Label3->Caption(), "生成完毕。   ");
}

TEST_F(Window, ASecondGenerateDuringAWalkDoesNothing)
{
    SqlLogin();
    int hooked = 0;
    platform::SetProcessMessagesHook([&] {
        if (hooked++ == 0) {
            form->BitBtn1->Click();
            form->ComboBox1->SetItemIndex(2);
            form->ComboBox1Select();
        }
    });
    form->BitBtn1->Click();
    EXPECT_TRUE(boxes.Shown.empty());  // nothing earlier to clear: no question
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(form->TableNames.size(), 2u);
}

TEST_F(Window, ADeniedIdentityStatementStopsTheTableWalkWithOneBox)
{
    // A login that may list the catalogue but not ask for identity columns.
    StandIn denying(Fixture(kNolk), {"--deny", "'IsIdentity'"});
    SqlLogin("Pellam#2026", &denying);
    ASSERT_EQ(form->TableNames.size(), 2u);
    boxes.Shown.clear();
    form->BitBtn1->Click();
    ASSERT_EQ(boxes.Shown.size(), 1u);  // the one failure; nothing earlier to clear
    EXPECT_NE(boxes.Shown[0].Text.find("SELECT permission was denied"), std::string::npos);
    EXPECT_EQ(boxes.Shown[0].Caption, "ExecSQL执行出错");
    EXPECT_FALSE(platform::FileExists(dir.File("Output/DBComm/DBTables/LogOperator.h")));
    EXPECT_FALSE(platform::FileExists(dir.File("Output/DBComm/DBTables/StaffOperator.h")));
    EXPECT_TRUE(platform::FileExists(dir.File("Output/DBComm/DBTables/V_UsersOperator.h")));
    EXPECT_EQ(ReadFile(dir.File("Output/DBComm/DBComm.cpp")).find("LogOperator"),
              std::string::npos);
}

TEST_F(Window, ADeniedColumnStatementInTheBatchCostsThatTableItsColumnsAndOneBox)
{
    StandIn denying(Fixture(kNolk), {"--deny", "[syscolumns].[id]=OBJECT_ID(N'[dbo].[Log]')"});
    SqlLogin("Pellam#2026", &denying);
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_NE(boxes.Shown[0].Text.find("SELECT permission was denied"), std::string::npos);
    ASSERT_EQ(form->TreeView1->Count(), 2);
    EXPECT_EQ(form->TreeView1->Item(0)->Count(), 0);  // Log
    EXPECT_EQ(form->TreeView1->Item(1)->Count(), 4);  // Staff, after it in the batch
    ASSERT_EQ(form->TableColumns.size(), 2u);
    EXPECT_TRUE(form->TableColumns[0].empty());
    EXPECT_EQ(form->TableColumns[1].size(), 4u);
    EXPECT_EQ(form->TreeView2->Item(0)->Count(), 2);
}

TEST_F(Window, ThePersonAtTheWindowSeesChineseButtonsHintsAndWhereTheFilesWent)
{
    EXPECT_EQ(platform::TFormsApplication::YesCaption().rfind("是", 0), 0u);
    EXPECT_EQ(platform::TFormsApplication::NoCaption().rfind("否", 0), 0u);

    std::string hint = form->LabeledEdit1->Hint();
    for (const char* form : {"主机", "主机,端口", "主机\\实例名"})
        EXPECT_NE(hint.find(form), std::string::npos) << form;

    // Enter in the password edit logs in.
    FillSqlLogin("Pellam#2026", server.Host());
    form->LabeledEdit2->PressEnter();
    EXPECT_EQ(form->TableNames.size(), 2u);

    // Without a file manager, a message names the output folder.
    openSucceeds = false;
    boxes.Shown.clear();
    form->BitBtn1->Click();
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text, "生成完毕，输出目录：" + dir.File("Output"));
}

TEST_F(Window, ALoginThatWaitsShowsTheWaitCursorAndHoldsInputOff)
{
    StandIn mute(Fixture(kNolk), {"--mute"});
    DBData->ADOConnection1->ConnectionTimeout = 1;
    bool waitCursor = false, panelEnabled = true;
    boxes.OnShow = [&] {
        waitCursor = platform::WaitCursorShown();
        panelEnabled = form->Panel1->Enabled();
    };
    SqlLogin("Pellam#2026", &mute);
    ASSERT_EQ(boxes.Shown.size(), 1u);  // the failed login, shown while it waited
    EXPECT_TRUE(waitCursor);
    EXPECT_FALSE(panelEnabled);
    EXPECT_FALSE(platform::WaitCursorShown());
    EXPECT_TRUE(form->Panel1->Enabled());
}

TEST_F(Window, ADeniedDatabaseListLeavesTheLoginMarkHidden)
{
    StandIn denying(Fixture(kNolk), {"--deny", "[sysdatabases]"});
    SqlLogin("Pellam#2026", &denying);
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_TRUE(!form->Label4->Visible());
    EXPECT_EQ(form->ComboBox1->Count(), 0);
}

TEST_F(Window, ARenamedColumnNodeThatIsNoIdentifierStopsTheRunNamingItsNode)
{
    SqlLogin();
    form->TreeView2->Item(0)->Item(1)->SetText("1Age");
    boxes.Shown.clear();
    form->BitBtn1->Click();
    // The refusal alone, no question: nothing will be written or cleared.
    ASSERT_EQ(boxes.Shown.size(), 1u);
    // The report: what is true first, and the way past in the window's words.
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].Text.rfind("1 处问题，没有生成也没有清除任何文件：\n"
                                    "1 处名称含有空格或标点、为空或不以字母开头：右键 → "
                                    "翻译全部，或修改名称\n",
                                    0),
              0u)
        << reports[0].Text;
    EXPECT_EQ(reports[0].Problems,
              (std::vector<std::string>{"V_Users:1Age:字段不以字母开头（翻译或改名后可生成）"}));
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(platform::DirectoryExists(dir.File("Output")));
    // The window does not say it is done.
    EXPECT_EQ(form->Label5->Caption().find("生成完毕"), std::string::npos);
    EXPECT_EQ(form->Label3->Caption().find("生成完毕"), std::string::npos);
}

TEST_F(Window, ThePopupRenamesNodesInBothTrees)
{
    SqlLogin();
    for (platform::TTreeView* tree : {form->TreeView1, form->TreeView2}) {
        Choose(form.get(), tree, tree->Item(0), form->M1);
        std::string name = tree == form->TreeView1 ? "Renamed" : "RenamedView";
        ASSERT_TRUE(tree->FinishEditing(name));
        EXPECT_EQ(tree->Item(0)->Text(), name);
    }
    // The class name follows the label; the SQL keeps the catalogue name.
    boxes.Answers = {platform::IDNO};
    form->BitBtn1Click();
    std::string source = ReadFile(dir.File("Output/DBComm/DBTables/RenamedOperator.cpp"));
    EXPECT_NE(source.find("DELETE FROM [Log]"), std::string::npos);
    std::string comm = ReadFile(dir.File("Output/DBComm/DBComm.cpp"));
    EXPECT_NE(comm.find("m_mapOfOperator[Renamed]=new RenamedOperator;"), std::string::npos);
}

class ChineseWindow : public Window {
protected:
    ChineseWindow()
        : Window(R"({"name": "NOLK", "objects": [
            {"name": "用户表", "columns": [{"name": "编号", "type": "int", "identity": true},
              {"name": "姓名", "type": "nvarchar"}, {"name": "年龄", "type": "int"}]}]},
          {"name": "Other", "objects": [
            {"name": "丹", "columns": [{"name": "甲", "type": "int"}, {"name": "假", "type": "int"}]},
            {"name": "单", "columns": [{"name": "x", "type": "int"}]},
            {"name": "V_单", "xtype": "V", "columns": [{"name": "c", "type": "int"}]}]})")
    {
    }
};

TEST_F(ChineseWindow, TranslatedNodesGenerateIdentifiersWithTheCataloguesSql)
{
    SqlLogin();
    platform::TTreeNode* table = form->TreeView1->Item(0);
    Choose(form.get(), form->TreeView1, table, form->N1);
    EXPECT_EQ(table->Text(), "YongHuBiao");
    EXPECT_EQ(table->Item(0)->Text(), "BianHao");
    EXPECT_EQ(table->Item(2)->Text(), "NianLing");
    boxes.Answers = {platform::IDNO};
    form->BitBtn1Click();
    const std::pair<const char*, const char*> files[] = {
        {"DBComm/DBComm.cpp", "DBComm.cpp.YongHuBiao.expected"},
        {"DBComm/DBComm.h", "DBComm.h.YongHuBiao.expected"},
        {"DBComm/DBTables/YongHuBiaoOperator.cpp", "YongHuBiaoOperator.cpp.translated.expected"},
        {"DBComm/DBTables/YongHuBiaoOperator.h", "YongHuBiaoOperator.h.translated.expected"},
    };
    for (const auto& [file, expected] : files)
        EXPECT_EQ(FirstDifference(Expected(expected),
                                  ReadFile(dir.File(std::string("Output/") + file))),
                  "")
            << file;
}

TEST_F(ChineseWindow, CollidingTranslationsAreSuffixed)
{
    SqlLogin();
    form->ComboBox1->SetItemIndex(2);
    ASSERT_EQ(form->ComboBox1->Text(), "Other");
    form->ComboBox1Select();
    ASSERT_EQ(form->TreeView1->Count(), 2);
    Choose(form.get(), form->TreeView1, form->TreeView1->Item(0), form->N1);
    Choose(form.get(), form->TreeView1, form->TreeView1->Item(1), form->N1);
    EXPECT_EQ(form->TreeView1->Item(0)->Text(), "Dan");
    EXPECT_EQ(form->TreeView1->Item(1)->Text(), "Dan2");
    // 甲 and 假 both read Jia: the second column is suffixed.
    EXPECT_EQ(form->TreeView1->Item(0)->Item(1)->Text(), "Jia2");
    // A view's class name may not take a table's either; a column node alone.
    Choose(form.get(), form->TreeView2, form->TreeView2->Item(0), form->N1);
    EXPECT_EQ(form->TreeView2->Item(0)->Text(), "V_Dan");
    form->TreeView1->Item(1)->Item(0)->SetText("丹");
    form->TreeView1->Item(1)->Expand();
    Choose(form.get(), form->TreeView1, form->TreeView1->Item(1)->Item(0), form->N1);
    EXPECT_EQ(form->TreeView1->Item(1)->Item(0)->Text(), "Dan");
}

class ModernWindow : public Window {
protected:
    ModernWindow()
        : Window(R"({"name": "NOLK", "objects": [
            {"name": "Customers", "schema": "Sales", "columns": [{"name": "Unit Price", "type": "money"}]},
            {"name": "Customers", "schema": "Website", "xtype": "V", "columns": [{"name": "Name.Prefix", "type": "int"}]},
            {"name": "Order Details", "columns": [{"name": "Unit Price", "type": "money"},
              {"name": "int", "type": "int"}]}]})")
    {
    }
};

TEST_F(ModernWindow, TranslationMakesIdentifiersOfNamesWithBlanksAndTellsTwinsApart)
{
    SqlLogin();
    ASSERT_EQ(TopLevel(form->TreeView1), (Texts{"Customers", "Order Details"}));
    Choose(form.get(), form->TreeView1, form->TreeView1->Item(1), form->N1);
    EXPECT_EQ(form->TreeView1->Item(1)->Text(), "OrderDetails");
    EXPECT_EQ(form->TreeView1->Item(1)->Item(0)->Text(), "UnitPrice");
    EXPECT_EQ(form->TreeView1->Item(1)->Item(1)->Text(), "int_");
    // The view's label is the table's: it takes its schema in front.
    Choose(form.get(), form->TreeView2, form->TreeView2->Item(0), form->N1);
    EXPECT_EQ(form->TreeView2->Item(0)->Text(), "WebsiteCustomers");
    EXPECT_EQ(form->TreeView2->Item(0)->Item(0)->Text(), "NamePrefix");
    Choose(form.get(), form->TreeView1, form->TreeView1->Item(0), form->N1);
    EXPECT_EQ(form->TreeView1->Item(0)->Text(), "Customers");
    boxes.Answers = {platform::IDNO};
    form->BitBtn1Click();
    EXPECT_TRUE(boxes.Shown.empty()) << boxes.Shown.back().Text;  // nothing earlier to clear
    std::string order = ReadFile(dir.File("Output/DBComm/DBTables/OrderDetailsOperator.cpp"));
    EXPECT_NE(order.find(
                  "INSERT INTO [Order Details]([Unit Price],[int]) VALUES(:UnitPrice,:int_)"),
              std::string::npos)
        << order;
    EXPECT_NE(ReadFile(dir.File("Output/DBComm/DBTables/WebsiteCustomersOperator.cpp"))
                  .find("FROM [Website].[Customers]"),
              std::string::npos);
}

class ProceduresWindow : public Window {
protected:
    ProceduresWindow()
        : Window(R"({"name": "NOLK", "types": [{"name": "Lines", "xusertype": 257, "xtype": 243}],
            "objects": [
            {"name": "T", "columns": [{"name": "a", "type": "int"}]},
            {"name": "统计", "xtype": "P", "parameters": [
              {"name": "@开始", "type": "datetime", "length": 8},
              {"name": "@合计", "type": "money", "length": 8, "output": true}]},
            {"name": "Load", "xtype": "P", "parameters": [
              {"name": "@l", "type": "Lines", "length": -1}]},
            {"name": "Month Report", "schema": "Sales", "xtype": "P"}]})")
    {
    }
};

TEST_F(ProceduresWindow, TheThirdTreeShowsThemAndGenerateWritesTheirClasses)
{
    std::string settings = dir.File("pellam.ini");
    form->LoadSettings(settings);
    SqlLogin();
    // Not asked for: no tree, and nothing read.
    EXPECT_FALSE(form->TreeView3->Visible());
    EXPECT_FALSE(form->Schema.ProceduresRead);
    int viewLeft = form->TreeView2->Bounds().Left;
    // Ticked after the database was read: read alone, the tables' labels kept.
    form->TreeView1->Item(0)->SetText("Renamed");
    form->CheckBox3->Click();
    ASSERT_TRUE(form->TreeView3->Visible());
    // Three trees share the width, apart, in the panel.
    EXPECT_LT(form->TreeView2->Bounds().Left, viewLeft);
    platform::TRect panel = form->Panel1->Bounds();
    platform::TRect inside{0, 0, panel.Width, panel.Height};
    std::vector<platform::TControl*> trees = {form->TreeView1, form->TreeView2, form->TreeView3,
                                              form->Label6, form->Label8};
    for (std::size_t i = 0; i < trees.size(); ++i) {
        EXPECT_TRUE(inside.Contains(trees[i]->Bounds())) << i;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_FALSE(trees[i]->Bounds().Intersects(trees[j]->Bounds())) << i << "," << j;
    }
    EXPECT_EQ(TopLevel(form->TreeView3), (Texts{"Load", "Month Report", "统计"}));
    EXPECT_EQ(form->TreeView3->Item(2)->Item(0)->Text(), "开始");
    EXPECT_EQ(form->TreeView1->Item(0)->Text(), "Renamed");
    // Refused until translated, in one report with the other trees.
    form->BitBtn1Click();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].Text.find("存储过程 Month Report:含有空格或标点"), std::string::npos)
        << reports[0].Text;
    Choose(form.get(), form->TreeView3, form->TreeView3->Item(2), form->N1);
    EXPECT_EQ(form->TreeView3->Item(2)->Text(), "TongJi");
    EXPECT_EQ(form->TreeView3->Item(2)->Item(1)->Text(), "HeJi");
    form->A1Click();
    EXPECT_EQ(form->TreeView3->Item(1)->Text(), "MonthReport");
    boxes.Answers = {platform::IDNO};
    form->BitBtn1Click();
    EXPECT_EQ(reports.size(), 1u);
    std::string cls = ReadFile(dir.File("Output/DBComm/DBProcedures/TongJiProcedure.h"));
    EXPECT_NE(cls.find("bool Exec(String KaiShi,double& HeJi);"), std::string::npos) << cls;
    EXPECT_TRUE(
        std::filesystem::exists(dir.File("Output/DBComm/DBProcedures/MonthReportProcedure.cpp")));
    // The one with a table-valued parameter is left out, said above its tree.
    EXPECT_FALSE(std::filesystem::exists(dir.File("Output/DBComm/DBProcedures/LoadProcedure.h")));
    EXPECT_NE(form->Label8->Caption().find("1 个未生成"), std::string::npos)
        << form->Label8->Caption();
    EXPECT_NE(form->Label8->Hint().find("存储过程 Load"), std::string::npos);
    // Remembered; unticked, the next run writes none.
    form.reset();
    EXPECT_NE(ReadFile(settings).find("procedures=1\n"), std::string::npos);
}

class WindowWithoutNolk : public Window {
protected:
    WindowWithoutNolk() : Window(R"({"name": "Sales"})") { }
};

TEST_F(WindowWithoutNolk, NothingIsSelectedAndTheTreesStayEmpty)
{
    SqlLogin();
    EXPECT_TRUE(form->Label4->Visible());
    EXPECT_EQ(form->ComboBox1->ItemIndex(), -1);
    EXPECT_EQ(form->TreeView1->Count(), 0);
    EXPECT_FALSE(form->Label5->Visible());
    EXPECT_FALSE(form->Label3->Visible());
}

class WindowWithLowerCaseNolk : public Window {
protected:
    WindowWithLowerCaseNolk()
        : Window(
              R"({"name": "Alpha"}, {"name": "nOlK", "objects": [{"name": "T", "columns": [{"name": "c", "type": "int"}]}]})")
    {
    }
};

TEST_F(WindowWithLowerCaseNolk, IsSelectedInAnyLetterCase)
{
    SqlLogin();
    EXPECT_EQ(form->ComboBox1->Text(), "nOlK");
    EXPECT_EQ(TopLevel(form->TreeView1), (Texts{"T"}));
}

TEST(DataLink, ReadsAndComposesConnectionStrings)
{
    DataLinkProperties p;
    ASSERT_TRUE(p.Read("Provider=SQLOLEDB.1;Password=\"a;b\";Persist Security Info=True;User ID=sa;"
                       "Initial Catalog=NOLK;Data Source=10.0.0.1,2433;Application Name=x"));
    EXPECT_FALSE(p.IntegratedSecurity);
    EXPECT_EQ(p.Password, "a;b");
    EXPECT_EQ(p.DataSource, "10.0.0.1,2433");
    EXPECT_EQ(p.Compose(),
              "Provider=SQLOLEDB.1;Password=\"a;b\";Persist Security Info=True;User ID=sa;"
              "Initial Catalog=NOLK;Data Source=10.0.0.1,2433;application name=x");
    DataLinkProperties windows;
    windows.DataSource = ".";
    windows.InitialCatalog = "master";
    EXPECT_EQ(windows.Compose(), "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security "
                                 "Info=False;Initial Catalog=master;Data Source=.");
    EXPECT_FALSE(p.Read("Password=\"open"));
    EXPECT_TRUE(p.IntegratedSecurity);

    // The string kept and shown holds the password only when saving it is
    // allowed.
    struct Kept {
        const char* given;
        const char* kept;
    };
    const Kept kept[] = {
        {"Provider=SQLOLEDB.1;Password=s3cret;Persist Security Info=False;User ID=sa;Data Source=h",
         "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Data Source=h"},
        {"Provider=SQLOLEDB.1;Password=s3cret;User ID=sa;Data Source=h;PWD=again",
         "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Data Source=h"},
        {"Provider=SQLOLEDB.1;Password=s3cret;Persist Security Info=True;User ID=sa;Data Source=h",
         "Provider=SQLOLEDB.1;Password=s3cret;Persist Security Info=True;User ID=sa;Data Source=h"},
    };
    for (const Kept& k : kept) {
        ASSERT_TRUE(p.Read(k.given)) << k.given;
        EXPECT_EQ(p.ComposeKept(), k.kept);
        EXPECT_NE(p.Compose().find("s3cret"), std::string::npos) << "connecting needs it";
    }
}

TEST_F(Window, TheConnectionDialogIsSeededAndItsEmptyResultChangesNothing)
{
    form->LabeledEdit3->SetText("Provider=SQLOLEDB.1;Password=pw;User ID=sa;Data Source=" +
                                server.Host());
    TDataLinkDialog dialog(form->LabeledEdit3->Text(), form.get());
    EXPECT_EQ(dialog.ServerName->Text(), server.Host());
    EXPECT_TRUE(dialog.SqlLogin->Checked());
    EXPECT_EQ(dialog.Sheet->PageCount(), 4);
    EXPECT_EQ(dialog.Sheet->PageCaption(0), "提供程序");
    EXPECT_EQ(dialog.Sheet->PageCaption(3), "全部");
    dialog.Password->SetText("Pellam#2026");
    dialog.TestConnectionClick();
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text, "测试连接成功。");
    dialog.RefreshCatalogsClick();
    EXPECT_EQ(dialog.InitialCatalog->Count(), 3);
    dialog.InitialCatalog->SetItemIndex(1);
    // Edited on the 全部 page, the value comes back to the other pages.
    dialog.Sheet->SetPageIndex(3);
    ASSERT_GT(dialog.AllProperties->RowCount(), 0);
    dialog.AllProperties->SetCell(1, 0, "SQLOLEDB");
    dialog.Sheet->SetPageIndex(1);
    EXPECT_EQ(dialog.Properties().Provider, "SQLOLEDB");
    EXPECT_EQ(dialog.Properties().InitialCatalog, "NOLK");

    form->EditConnectionString = [](const std::string&) { return std::string(); };
    std::string before = form->LabeledEdit3->Text();
    form->BitBtn3Click();
    EXPECT_EQ(form->LabeledEdit3->Text(), before);
    std::string seed;
    form->EditConnectionString = [&seed](const std::string& s) {
        seed = s;
        return s + ";Connect Timeout=5";
    };
    form->BitBtn3Click();
    EXPECT_EQ(seed, "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=False;User ID=sa;"
                    "Data Source=" +
                        server.Host());
    EXPECT_EQ(form->LabeledEdit3->Text(), seed + ";Connect Timeout=5");
}

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", PELLAM_OFFSCREEN, 0);
    platform::TFormsApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

TEST_F(Window, TheDemoDatabaseAsSqlServer2022ServesItFillsBothTreesAndGenerates)
{
    StandIn demo(ReadFile(PELLAM_DEMO_FIXTURE));
    SqlLogin("Pellam#2026", &demo);
    EXPECT_TRUE(boxes.Shown.empty()) << boxes.Shown[0].Text;
    EXPECT_EQ(form->ComboBox1->Text(), "NOLK");
    // Every user table and view, the one outside dbo among them; nothing
    // shipped (sysdiagrams), and a constraint named Staff is no table.
    EXPECT_EQ(TopLevel(form->TreeView1),
              (Texts{"AllTypes", "Invoice", "Log", "Member", "Orders", "Staff", "Users"}));
    EXPECT_EQ(TopLevel(form->TreeView2), (Texts{"V_Invoices", "V_Report", "V_Users"}));
    EXPECT_EQ(form->TreeView1->Item(1)->Count(), 6);
    EXPECT_EQ(form->Schema.Tables[1].Schema, "Sales");
    // The node's hint names the schema.
    EXPECT_EQ(form->TreeView1->Item(1)->Hint(), "Sales.Invoice");
    EXPECT_EQ(form->TreeView2->Item(0)->Hint(), "Sales.V_Invoices");
    EXPECT_EQ(form->TreeView1->Item(2)->Hint(), "dbo.Log");

    boxes.Answers = {platform::IDNO};
    form->BitBtn1->Click();
    std::string invoice = ReadFile(dir.File("Output/DBComm/DBTables/InvoiceOperator.cpp"));
    EXPECT_NE(invoice.find("INSERT INTO [Sales].[Invoice]([Customer],[Quantity],[Price]) "
                           "VALUES(:Customer,:Quantity,:Price)"),
              std::string::npos)
        << invoice;
    EXPECT_NE(invoice.find("SELECT * FROM [Sales].[Invoice]"), std::string::npos);
    std::string view = ReadFile(dir.File("Output/DBComm/DBTables/V_InvoicesOperator.cpp"));
    EXPECT_NE(view.find("SELECT * FROM [Sales].[V_Invoices]"), std::string::npos);
    // dbo keeps its bare names.
    EXPECT_EQ(FirstDifference(Expected("StaffOperator.cpp.expected"),
                              ReadFile(dir.File("Output/DBComm/DBTables/StaffOperator.cpp"))),
              "");
    EXPECT_EQ(form->Label5->Caption(), "生成完毕。   ");
}

TEST_F(Window, AFailedReLoginThenGenerateSaysTheConnectionIsGoneAndWritesNothing)
{
    SqlLogin();
    ASSERT_EQ(form->TreeView1->Count(), 2);
    SqlLogin("wrong");
    ASSERT_EQ(boxes.Shown.size(), 1u);  // the failed login's own box
    boxes.Answers = {platform::IDNO};
    form->BitBtn1->Click();
    // One box, in Chinese, and no question, no operator, no folder.
    ASSERT_EQ(boxes.Shown.size(), 2u);
    EXPECT_EQ(boxes.Shown[1].Text, "与数据库服务器的连接已断开，请重新登录后再生成");
    EXPECT_EQ(boxes.Shown[1].Flags, platform::MB_OK | platform::MB_ICONWARNING);
    EXPECT_FALSE(platform::DirectoryExists(dir.File("Output")));
    EXPECT_TRUE(opened.empty());
    EXPECT_NE(form->Label5->Caption(), "生成完毕。   ");
    EXPECT_NE(form->Label3->Caption(), "生成完毕。   ");
    // Logging in again makes generation work once more.
    SqlLogin();
    boxes.Answers = {platform::IDNO};
    form->BitBtn1->Click();
    EXPECT_TRUE(platform::FileExists(dir.File("Output/DBComm/DBTables/StaffOperator.h")));
}

TEST_F(Window, ARefusedRunAfterYesToClearingKeepsTheEarlierFiles)
{
    SqlLogin();
    boxes.Answers = {platform::IDNO};
    form->BitBtn1->Click();
    std::vector<std::string> before = testsupport::ListFiles(dir.File("Output"));
    ASSERT_FALSE(before.empty());
    // The view relabelled as a table's class name: the twin check stops the run.
    form->TreeView2->Item(0)->SetText("Staff");
    boxes.Answers = {platform::IDYES};
    form->BitBtn1->Click();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().Problems.front().rfind("Staff:与另一个数据表或视图（Staff）", 0), 0u)
        << reports.back().Text;
    EXPECT_EQ(testsupport::ListFiles(dir.File("Output")), before);
}

class NorthwindLikeWindow : public Window {
protected:
    NorthwindLikeWindow()
        : Window(R"({"name": "NOLK", "objects": [
            {"name": "Order Details", "columns": [{"name": "Order ID", "type": "int"},
              {"name": "Unit Price", "type": "money"}]},
            {"name": "用户表", "columns": [{"name": "编号", "type": "int", "identity": true},
              {"name": "姓名", "type": "nvarchar"}]},
            {"name": "int", "columns": [{"name": "2nd", "type": "int"}]},
            {"name": "Sales by Year", "xtype": "V", "columns": [{"name": "Year", "type": "int"}]}
          ]})")
    {
    }
};

TEST_F(NorthwindLikeWindow, TranslateAllThenGenerateWritesEverything)
{
    SqlLogin();
    // Refused first: every problem in one box, nothing written.
    boxes.Shown.clear();
    form->BitBtn1->Click();
    ASSERT_EQ(boxes.Shown.size(), 1u);
    for (const char* problem :
         {"\nOrder Details:含有空格或标点", "\nOrder Details:Order ID:字段含有空格或标点",
          "\n用户表:含有汉字", "\nint:是 C++ 关键字", "\nint:2nd:字段不以字母开头",
          "\nSales by Year:含有空格或标点"})
        EXPECT_NE(boxes.Shown[0].Text.find(problem), std::string::npos) << problem;
    EXPECT_FALSE(platform::DirectoryExists(dir.File("Output")));

    // 翻译全部 from either tree's popup: every node of both trees.
    Choose(form.get(), form->TreeView2, form->TreeView2->Item(0), form->A1);
    EXPECT_EQ(TopLevel(form->TreeView1), (Texts{"int_", "OrderDetails", "YongHuBiao"}));
    EXPECT_EQ(TopLevel(form->TreeView2), (Texts{"SalesByYear"}));
    EXPECT_EQ(form->TreeView1->Item(0)->Item(0)->Text(), "F2nd");
    EXPECT_EQ(form->TreeView1->Item(1)->Item(1)->Text(), "UnitPrice");
    boxes.Shown.clear();
    boxes.Answers = {platform::IDNO};
    form->BitBtn1->Click();
    EXPECT_TRUE(boxes.Shown.empty()) << boxes.Shown.back().Text;  // nothing to clear
    for (const char* file : {"OrderDetailsOperator.cpp", "YongHuBiaoOperator.cpp", "int_Operator.h",
                             "SalesByYearOperator.h"})
        EXPECT_TRUE(platform::FileExists(dir.File(std::string("Output/DBComm/DBTables/") + file)))
            << file;
    // The SQL names the catalogue's objects.
    EXPECT_NE(ReadFile(dir.File("Output/DBComm/DBTables/OrderDetailsOperator.cpp"))
                  .find("INSERT INTO [Order Details]([Order ID],[Unit Price])"),
              std::string::npos);
}

TEST_F(Window, TheLoginNameReachesTheServerAndTheChoicesAreRememberedBetweenRuns)
{
    std::string fixture = Fixture(kNolk);
    fixture.replace(fixture.find("{\"sa\": "), 7, "{\"builder\": \"b'ld;=1\", \"sa\": ");
    StandIn builderServer(fixture);
    std::string settings = dir.File("config/pellam/pellam.ini");
    form->LoadSettings(settings);
    FillSqlLogin("b'ld;=1", builderServer.Host());
    form->LabeledEdit4->SetText("builder");
    form->CheckBox1->SetChecked(true);
    form->CheckBox2->SetChecked(true);
    form->LabeledEdit5->SetText("Money2=float; 坐标=blob");
    form->BitBtn2->Click();
    EXPECT_TRUE(boxes.Shown.empty()) << boxes.Shown[0].Text;
    EXPECT_TRUE(form->Label4->Visible());
    EXPECT_EQ(TopLevel(form->TreeView1), (Texts{"Log", "Staff"}));

    // A window of a later run starts from what was chosen.
    TMainForm later;
    later.LoadSettings(settings);
    EXPECT_TRUE(later.RadioButton2->Checked());
    EXPECT_TRUE(later.LabeledEdit1->Enabled());
    EXPECT_EQ(later.LabeledEdit1->Text(), builderServer.Host());
    EXPECT_EQ(later.LabeledEdit4->Text(), "builder");
    EXPECT_TRUE(later.CheckBox1->Checked());
    EXPECT_TRUE(later.CheckBox2->Checked());
    EXPECT_EQ(later.LabeledEdit5->Text(), "Money2=float; 坐标=blob");
    EXPECT_EQ(later.LabeledEdit2->Text(), "");  // never the password
    EXPECT_EQ(ReadFile(settings).find("b'ld"), std::string::npos);

    // sa is refused by this password.
    form->LabeledEdit4->SetText("");
    boxes.Shown.clear();
    form->BitBtn2->Click();
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_NE(boxes.Shown[0].Text.find("Login failed for user 'sa'"), std::string::npos)
        << boxes.Shown[0].Text;
}

class NewerTypesWindow : public Window {
protected:
    NewerTypesWindow()
        : Window(R"({"name": "NOLK", "objects": [
            {"name": "Events", "columns": [{"name": "ID", "type": "int", "identity": true},
              {"name": "At", "type": "datetime2"}, {"name": "Guid", "type": "uniqueidentifier"},
              {"name": "Place", "type": "geography"}, {"name": "Note", "type": "Memo"}]}
          ], "types": [{"name": "Memo", "xusertype": 257, "base": "nvarchar"}]})")
    {
    }
    // 生成, answering 否 to clearing; the table's operator header it wrote.
    std::string GenerateEvents()
    {
        boxes.Answers = {platform::IDNO};
        form->BitBtn1->Click();
        return ReadFile(dir.File("Output/DBComm/DBTables/EventsOperator.h"));
    }
};

TEST_F(NewerTypesWindow, ExtendedTypesGenerateTheNewerTypes)
{
    SqlLogin();
    boxes.Shown.clear();
    form->BitBtn1->Click();
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_NE(boxes.Shown[0].Text.find("Events:At:数据类型 datetime2 不支持"), std::string::npos)
        << boxes.Shown[0].Text;
    EXPECT_NE(boxes.Shown[0].Text.find("Events:Note:数据类型 Memo 不支持"), std::string::npos);
    form->CheckBox1->SetChecked(true);
    std::string header = GenerateEvents();
    EXPECT_NE(header.find("bool New(String At,String Guid,TStream *Place,String Note);"),
              std::string::npos)
        << header;
}

// Types beyond the type table and the extended rules go where the type
// group line puts them, as pellam-gen's --type does; a line that cannot be
// read is told, and nothing is written.
TEST_F(NewerTypesWindow, TheTypeGroupLineGeneratesWhatItNames)
{
    SqlLogin();
    boxes.Shown.clear();
    form->LabeledEdit5->SetText("datetime2=string; uniqueidentifier = string， Memo=blob; Point");
    form->BitBtn1->Click();
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text,
              "类型分组应为 类型名=integer、string、float 或 blob，多个之间用分号隔开：Point");
    EXPECT_FALSE(platform::DirectoryExists(dir.File("Output")));

    // Without the extended rules, each type named takes its group; the
    // groups win over the alias's base type.
    form->LabeledEdit5->SetText(
        "datetime2=string; uniqueidentifier = string， Memo=blob；GEOGRAPHY=blob");
    boxes.Shown.clear();
    std::string header = GenerateEvents();
    EXPECT_NE(header.find("bool New(String At,String Guid,TStream *Place,TStream *Note);"),
              std::string::npos)
        << header;
}

TEST_F(Window, FirstStartHelpsPastAFailedWindowsLoginAndSeedsTheConnectionDialog)
{
    // No local default instance here: Windows authentication fails, and
    // says what it tried and what to do instead.
    form->BitBtn2->Click();
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text.rfind("Windows 身份验证失败：它只连接本机的默认实例（.）", 0), 0u)
        << boxes.Shown[0].Text;
    EXPECT_NE(boxes.Shown[0].Text.find("请选择“SQL Server 身份验证”"), std::string::npos);

    // The connection dialog starts from the host and login typed.
    std::string seen;
    form->EditConnectionString = [&](const std::string& s) {
        seen = s;
        return std::string();
    };
    form->BitBtn3Click();
    EXPECT_EQ(seen, "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
                    "Data Source=.");
    FillSqlLogin("pw", "db.example,1533");
    form->LabeledEdit4->SetText("builder");
    form->BitBtn3Click();
    // The password typed goes in too, and into a string shown without one.
    EXPECT_EQ(seen, "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=False;User ID=builder;"
                    "Data Source=db.example,1533");
    form->LabeledEdit3->SetText("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=u;"
                                "Data Source=h");
    form->BitBtn3Click();
    EXPECT_EQ(seen, "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=False;User ID=u;"
                    "Data Source=h");
    EXPECT_EQ(form->LabeledEdit3->Text(),
              "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=u;Data Source=h");
}

TEST_F(Window, F2RenamesAndTheKeyboardOpensThePopupOnTheSelectedNode)
{
    SqlLogin();
    for (platform::TTreeView* tree : {form->TreeView1, form->TreeView2}) {
        platform::TTreeNode* node = tree->Item(0);
        tree->Select(node);
        tree->RenameKey();
        ASSERT_TRUE(tree->Editing());
        ASSERT_TRUE(tree->FinishEditing("ByKey"));
        EXPECT_EQ(node->Text(), "ByKey");
        // Shift+F10 or the menu key: the popup over the selected node, whose
        // entries act on it.
        platform::TTreeNode* other = tree->Item(tree->Count() - 1)->Item(0);
        tree->Select(other);
        form->PopupNode = nullptr;
        platform::PressKey(tree, platform::TKey::F10, true);
        EXPECT_EQ(form->PopupNode, other);
        form->PopupMenu1->CloseUp();
        EXPECT_EQ(tree == form->TreeView1 ? form->TreeView1PopupMenu : form->TreeView2PopupMenu,
                  form->PopupMenu1);
    }
}

TEST_F(Window, ARightClickAnywhereOnARowFindsItsNode)
{
    SqlLogin();
    int x = 0, y = 0;
    form->TreeView1->NodePoint(form->TreeView1->Item(0), x, y);
    for (int at : {2, form->TreeView1->Bounds().Width - 30})
        EXPECT_EQ(form->TreeView1->GetNodeAt(at, y), form->TreeView1->Item(0)) << at;
}

TEST_F(Window, EnterOnAFocusedButtonPressesIt)
{
    FillSqlLogin("Pellam#2026", server.Host());
    platform::PressKey(form->BitBtn2, platform::TKey::Enter);
    EXPECT_TRUE(form->Label4->Visible());
    EXPECT_EQ(TopLevel(form->TreeView1), (Texts{"Log", "Staff"}));
    platform::PressKey(form->BitBtn1, platform::TKey::Enter);
    EXPECT_EQ(form->Label5->Caption(), "生成完毕。   ");
    EXPECT_TRUE(platform::FileExists(dir.File("Output/DBComm/DBTables/LogOperator.h")));
}

TEST_F(Window, TheSelectedObjectsSchemaShowsBelowTheTrees)
{
    SqlLogin();
    form->TreeView1->Select(form->TreeView1->Item(1));
    EXPECT_EQ(form->Label7->Caption(), "架构：dbo.Staff");
    // A column shows its table's.
    form->TreeView1->Select(form->TreeView1->Item(0)->Item(0));
    EXPECT_EQ(form->Label7->Caption(), "架构：dbo.Log");
    form->TreeView2->Select(form->TreeView2->Item(0));
    EXPECT_EQ(form->Label7->Caption(), "架构：dbo.V_Users");
    // Another database shown: nothing of the one before is named.
    form->ComboBox1->SetItemIndex(2);
    ASSERT_EQ(form->ComboBox1->Text(), "Other");
    form->ComboBox1Select();
    EXPECT_EQ(form->Label7->Caption(), "");
}

TEST_F(Window, TheWindowGrowsItsTreesAndRemembersItsSize)
{
    std::string settings = dir.File("pellam.ini");
    form->LoadSettings(settings);
    platform::TRect tree1 = form->TreeView1->Bounds(), tree2 = form->TreeView2->Bounds();
    form->SetResizableClientSize(1000, 800, TMainForm::kWidth, TMainForm::kHeight);
    platform::ProcessMessagesFor(20);
    ASSERT_EQ(form->ClientWidth(), 1000);
    ASSERT_EQ(form->ClientHeight(), 800);
    // The trees take the room: half the width each, all the height; the
    // banner and the panel run the whole width.
    EXPECT_EQ(form->Image1->PictureWidth(), 1000);
    EXPECT_EQ(form->Panel1->Bounds().Left + form->Panel1->Bounds().Width, 1000);
    EXPECT_EQ(form->TreeView1->Bounds().Width, tree1.Width + 160);
    // The options flow into fewer rows in the wider window: the trees take
    // those rows too.
    int fewerRows =
        form->Options->Height(TMainForm::kWidth - 128) - form->Options->Height(1000 - 128);
    EXPECT_GT(fewerRows, 0);
    EXPECT_EQ(form->TreeView1->Bounds().Height,
              tree1.Height + 800 - TMainForm::kHeight + fewerRows);
    EXPECT_EQ(form->TreeView2->Bounds().Left, tree2.Left + 160);
    EXPECT_EQ(form->TreeView2->Bounds().Width, tree2.Width + 160);
    // The three rules run the frame's width and end alike.
    platform::TRect frame = form->Bevel1->Bounds();
    for (platform::TBevel* rule : {form->Bevel3, form->Bevel2, form->Bevel4}) {
        EXPECT_EQ(rule->Bounds().Left, 2);
        EXPECT_EQ(rule->Bounds().Left + rule->Bounds().Width, frame.Left + frame.Width - 4);
    }
    // Everything stays in sight and apart.
    std::vector<platform::TControl*> controls = {form->LabeledEdit1, form->LabeledEdit4,
                                                 form->LabeledEdit2, form->BitBtn2,
                                                 form->ComboBox1,    form->TreeView1,
                                                 form->TreeView2,    form->CheckBox1,
                                                 form->BitBtn1,      form->LabeledEdit3,
                                                 form->BitBtn3,      form->LabeledEdit3->EditLabel,
                                                 form->Label5,       form->Label3,
                                                 form->LabeledEdit5, form->LabeledEdit5->EditLabel,
                                                 form->CheckBox2,    form->CheckBox3};
    platform::TRect panel = form->Panel1->Bounds();
    platform::TRect visible{0, 0, panel.Width, form->ClientHeight() - panel.Top};
    for (std::size_t i = 0; i < controls.size(); ++i) {
        EXPECT_TRUE(visible.Contains(controls[i]->Bounds())) << i;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_FALSE(controls[i]->Bounds().Intersects(controls[j]->Bounds())) << i << "," << j;
    }
    // Never smaller than the first size.
    form->SetResizableClientSize(400, 300, TMainForm::kWidth, TMainForm::kHeight);
    platform::ProcessMessagesFor(20);
    EXPECT_GE(form->ClientWidth(), TMainForm::kWidth);
    EXPECT_GE(form->ClientHeight(), TMainForm::kHeight);
    form->SetResizableClientSize(900, 700, TMainForm::kWidth, TMainForm::kHeight);
    platform::ProcessMessagesFor(20);
    form.reset();  // closing remembers the size
    MainForm = nullptr;
    TMainForm later;
    later.LoadSettings(settings);
    platform::ProcessMessagesFor(20);
    EXPECT_EQ(later.ClientWidth(), 900);
    EXPECT_EQ(later.ClientHeight(), 700);
}

TEST_F(Window, OneLoginReadsTheDatabasesChosenAndARefusedOneSaysSo)
{
    std::string fixture = Fixture(std::string(kNolk) + R"(, {"name": "Closed", "users": ["x"],
        "objects": [{"name": "Secret", "columns": [{"name": "a", "type": "int"}]}]})");
    StandIn counted(fixture, {"--record", dir.File("logins")});
    SqlLogin("Pellam#2026", &counted);
    ASSERT_TRUE(boxes.Shown.empty()) << boxes.Shown[0].Text;
    EXPECT_EQ(TopLevel(form->TreeView1), (Texts{"Log", "Staff"}));
    // Another database and back: still the one login.
    auto choose = [this](const std::string& name) {
        for (int i = 0; i < form->ComboBox1->Count(); ++i)
            if (form->ComboBox1->Item(i) == name)
                form->ComboBox1->SetItemIndex(i);
        ASSERT_EQ(form->ComboBox1->Text(), name);
    };
    choose("Closed");  // the login may not open it
    form->ComboBox1Select();
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text.rfind("无法打开数据库：数据库不存在，或这个登录无权打开它。\n",
                                        0),
              0u)
        << boxes.Shown[0].Text;
    EXPECT_TRUE(TopLevel(form->TreeView1).empty());
    choose("NOLK");
    form->ComboBox1Select();
    EXPECT_EQ(TopLevel(form->TreeView1), (Texts{"Log", "Staff"}));
    std::string logins = ReadFile(dir.File("logins"));
    EXPECT_EQ(std::count(logins.begin(), logins.end(), '\n'), 1) << logins;
}

TEST_F(Window, TheReportOfAHundredsOfProblemsFitsTheScreenAndSavesWhole)
{
    std::vector<RunProblem> problems;
    for (int k = 0; k < 150; ++k)
        problems.push_back(
            {RunProblem::NonAscii,
             "表" + std::to_string(k) + ":含有汉字或其他非 ASCII 字符（翻译或改名后可生成）"});
    for (int k = 0; k < 60; ++k)
        problems.push_back(
            {RunProblem::Type, "T" + std::to_string(k) + ":g:数据类型 geography 不支持"});
    RunNotice report = RefusalReport(problems, ReportReader::Window);
    TReportDialog dialog(report, form.get());
    dialog.ShowForm();
    platform::ProcessMessagesFor(20);
    platform::TRect placed = dialog.Bounds();
    EXPECT_LE(placed.Top + placed.Height, 1080);
    EXPECT_LE(placed.Left + placed.Width, 1920);
    EXPECT_EQ(dialog.Summary->Caption(), "210 处问题，没有生成也没有清除任何文件：");
    ASSERT_EQ(dialog.GroupLines.size(), 2u);
    EXPECT_EQ(dialog.GroupLines[0]->Caption(),
              "150 处名称含有汉字或其他非 ASCII 字符：右键 → 翻译全部");
    EXPECT_EQ(dialog.GroupLines[1]->Caption(),
              "60 个字段的数据类型不支持：勾选“扩展类型”，或在“类型分组”中指定");
    std::string list = dialog.List->Text();
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 209);
    EXPECT_EQ(list.rfind(problems[0].Text, 0), 0u);
    // Everything stays in the dialog, at its least size as at a larger one.
    for (auto [width, height] :
         {std::pair{TReportDialog::kMinWidth, TReportDialog::kMinHeight}, std::pair{1200, 900}}) {
        dialog.SetResizableClientSize(width, height, TReportDialog::kMinWidth,
                                      TReportDialog::kMinHeight);
        platform::ProcessMessagesFor(20);
        platform::TRect inside{0, 0, dialog.ClientWidth(), dialog.ClientHeight()};
        for (platform::TControl* c :
             std::vector<platform::TControl*>{dialog.Summary, dialog.List, dialog.SaveButton,
                                              dialog.OkButton})
            EXPECT_TRUE(inside.Contains(c->Bounds())) << width;
        EXPECT_FALSE(dialog.List->Bounds().Intersects(dialog.OkButton->Bounds()));
    }
    // Saved whole; a folder where the file should go is told, not hidden.
    std::string path = dir.File("problems.txt");
    dialog.ChooseFile = [&path] { return path; };
    dialog.SaveClick();
    EXPECT_EQ(ReadFile(path), report.Text + "\n");
    testsupport::MakeDir(dir.File("taken"));
    path = dir.File("taken");
    boxes.Shown.clear();
    dialog.SaveClick();
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text.rfind("无法写入文件：", 0), 0u);
}

TEST_F(Window, ASizeFromTheSettingsFitsTheScreenAndMaximisedIsRemembered)
{
    // The screen is 1920 x 1080 (its work area the whole of it here).
    struct Saved {
        const char* what;
        std::string text;
        int width, height;  // the client size the window opens with
        bool maximized;
    };
    const Saved saved[] = {
        {"far larger than any screen", "width=100000\nheight=100000\n", 1920 - 16, 1080 - 40,
         false},
        {"saved on a larger screen", "width=2500\nheight=900\n", 1920 - 16, 900, false},
        {"smaller than the least size", "width=100\nheight=100\n", TMainForm::kWidth,
         TMainForm::kHeight, false},
        {"maximised, with a byte-order mark before its first key",
         "\xEF\xBB\xBFmaximized=1\nwidth=900\nheight=700\n", 900, 700, true},
    };
    for (const Saved& s : saved) {
        std::string settings = dir.File("fit.ini");
        testsupport::WriteFile(settings, s.text);
        auto later = std::make_unique<TMainForm>();
        later->LoadSettings(settings);
        int width = 0, height = 0;
        later->RestoredClientSize(width, height);
        EXPECT_LE(width, s.width) << s.what;
        EXPECT_GE(width, std::min(s.width, TMainForm::kWidth)) << s.what;
        EXPECT_EQ(height, s.height) << s.what;
        EXPECT_EQ(later->Maximized(), s.maximized) << s.what;
        later->ShowForm();
        platform::ProcessMessagesFor(20);
        platform::TRect placed = later->Bounds();
        EXPECT_GE(placed.Left, 0) << s.what;
        EXPECT_GE(placed.Top, 0) << s.what;
        EXPECT_LE(placed.Left + placed.Width, 1920) << s.what;
        EXPECT_LE(placed.Top + placed.Height, 1080) << s.what;
        // Closing keeps the restored size and whether it was maximised.
        later.reset();
        WindowSettings kept = ReadWindowSettings(settings);
        EXPECT_EQ(kept.Maximized, s.maximized) << s.what;
        EXPECT_EQ(kept.Width, width) << s.what;
        EXPECT_EQ(kept.Height, height) << s.what;
    }
}

class KeyedWindow : public Window {
protected:
    KeyedWindow()
        : Window(R"({"name": "NOLK", "objects": [
            {"name": "Staff", "key": ["ID"], "columns": [
              {"name": "ID", "type": "int", "identity": true},
              {"name": "Name", "type": "varchar"}, {"name": "Joined", "type": "datetime"},
              {"name": "Photo", "type": "image"}]},
            {"name": "Log", "columns": [{"name": "ID", "type": "int", "identity": true}]}
          ]})")
    {
    }
};

// 主键方法 generates what pellam-gen's --keys does, and only when ticked.
TEST_F(KeyedWindow, KeyMethodsAreGeneratedWhenTickedAndTheTablesWithoutAreNamed)
{
    SqlLogin();
    for (bool ticked : {false, true}) {
        form->CheckBox2->SetChecked(ticked);
        boxes.Answers = {platform::IDNO};
        boxes.Shown.clear();
        form->BitBtn1->Click();
        // The same files each time: nothing to clear, no question.
        EXPECT_TRUE(boxes.Shown.empty()) << boxes.Shown.back().Text;
        std::string source = ReadFile(dir.File("Output/DBComm/DBTables/StaffOperator.cpp"));
        EXPECT_EQ(FirstDifference(Expected(ticked ? "StaffOperator.cpp.keys.expected"
                                                  : "StaffOperator.cpp.expected"),
                                  source),
                  "")
            << ticked;
        EXPECT_EQ(FirstDifference(Expected(ticked ? "DBTableOperator.h.keys.expected"
                                                  : "DBTableOperator.h.expected"),
                                  ReadFile(dir.File("Output/DBComm/DBTables/DBTableOperator.h"))),
                  "")
            << ticked;
        // Log has no key: said under the table tree, not in a box, and
        // named in the label's hint.
        EXPECT_EQ(form->Label5->Caption(),
                  ticked ? "生成完毕。1 个数据表无主键方法" : "生成完毕。   ");
        EXPECT_EQ(form->Label5->Hint().find("数据表 Log：没有主键") != std::string::npos, ticked)
            << form->Label5->Hint();
    }
}
