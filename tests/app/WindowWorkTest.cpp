// What the window says and does around a run: every object left out
// named on request, the labels cleared when 生成 starts, the focus after a
// login, Enter on the dialogs' default buttons, the options remembered and
// the output folder opened only when asked.

#include "WindowFixture.h"

namespace {

// Tables with and without a key, and no procedures at all.
class WorkWindow : public Window {
protected:
    WorkWindow()
        : Window(R"({"name": "NOLK", "objects": [
            {"name": "Staff", "key": ["ID"], "columns": [
              {"name": "ID", "type": "int", "identity": true},
              {"name": "Name", "type": "varchar"}]},
            {"name": "Log", "columns": [{"name": "ID", "type": "int"}]},
            {"name": "Audit", "columns": [{"name": "At", "type": "datetime"}]},
            {"name": "Blob", "key": ["h"], "columns": [{"name": "h", "type": "binary"}]}
          ]})")
    {
    }
};

}  // namespace

TEST_F(WorkWindow, EveryTableLeftOutOfTheKeyMethodsIsListedWithItsReason)
{
    SqlLogin();
    form->CheckBox2->SetChecked(true);
    form->BitBtn1->Click();
    EXPECT_EQ(form->Label5->Caption(), "生成完毕。3 个数据表无主键方法");
    ASSERT_TRUE(form->LeftOutButton->Visible());
    reports.clear();
    form->LeftOutButton->Click();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].Problems,
              (std::vector<std::string>{"数据表 Audit：没有主键",
                                        "数据表 Blob：主键含二进制字段 h，无法按它查找",
                                        "数据表 Log：没有主键"}));
    // The list's dialog says what it is, not that the run was refused.
    TReportDialog dialog(reports[0], form.get());
    EXPECT_EQ(dialog.Caption(), "未生成的对象（3 个）");
    EXPECT_EQ(dialog.Summary->Caption(), "上一次生成时未生成的对象，共 3 个：");
    EXPECT_EQ(dialog.List->Text(),
              "数据表 Audit：没有主键\n数据表 Blob：主键含二进制字段 h，无法按它查找\n"
              "数据表 Log：没有主键");

    // A run with nothing left out has nothing to list.
    form->CheckBox2->SetChecked(false);
    form->BitBtn1->Click();
    EXPECT_FALSE(form->LeftOutButton->Visible());
    EXPECT_EQ(form->Label5->Caption(), "生成完毕。   ");
}

TEST_F(WorkWindow, TheLabelsSayWhatEachStepDoesAndNothingOfTheLastRun)
{
    SqlLogin();
    form->CheckBox2->SetChecked(true);
    form->BitBtn1->Click();
    ASSERT_EQ(form->Label5->Caption(), "生成完毕。3 个数据表无主键方法");
    // Asked again, with files to clear: while the question is open the
    // labels say what is awaited, and nothing of the run before.
    testsupport::WriteFile(dir.File("Output/DBComm/DBTables/GoneOperator.h"), "x");
    std::vector<std::string> seen;
    boxes.OnShow = [&] { seen = {form->Label5->Caption(), form->Label3->Caption()}; };
    boxes.Answers = {platform::IDNO};
    std::vector<std::string> steps;
    platform::SetProcessMessagesHook([&] {
        if (steps.empty() || steps.back() != form->Label5->Caption())
            steps.push_back(form->Label5->Caption());
    });
    form->BitBtn1->Click();
    platform::SetProcessMessagesHook(nullptr);
    EXPECT_EQ(seen,
              (std::vector<std::string>{"等待选择是否清除旧文件...", "等待选择是否清除旧文件..."}));
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), "正在检查名称和类型...");
    EXPECT_NE(std::find(steps.begin(), steps.end(), "正在读取主键..."), steps.end());
    for (const std::string& step : steps)
        EXPECT_EQ(step.find("生成完毕"), std::string::npos) << step;
}

TEST_F(WorkWindow, AnEmptyProcedureTreeSaysTheDatabaseHasNone)
{
    SqlLogin();
    form->CheckBox3->Click();
    EXPECT_EQ(form->Label8->Caption(), "存储过程：这个数据库没有存储过程");
    EXPECT_EQ(form->TreeView3->Count(), 0);
}

TEST_F(WorkWindow, TheOutputFolderOpensOnlyWhenAskedAndTheChoiceIsRemembered)
{
    std::string settings = dir.File("pellam.ini");
    form->LoadSettings(settings);
    EXPECT_TRUE(form->Options->OpenFolder->Checked()) << "opened unless the user says not";
    SqlLogin();
    form->BitBtn1->Click();
    EXPECT_EQ(opened.size(), 1u);
    form->Options->OpenFolder->Click();
    form->BitBtn1->Click();
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_TRUE(boxes.Shown.empty()) << boxes.Shown.front().Text;
    EXPECT_FALSE(ReadWindowSettings(settings).OpenFolder);
}

TEST_F(Window, AfterALoginTheKeyboardGoesOnToTheDatabases)
{
    FillSqlLogin("Pellam#2026", server.Host());
    form->LabeledEdit2->PressEnter();
    platform::ProcessMessagesFor(20);
    EXPECT_TRUE(form->ComboBox1->Focused());
    // A failed one goes back to the password.
    FillSqlLogin("wrong", server.Host());
    form->LabeledEdit2->PressEnter();
    platform::ProcessMessagesFor(20);
    EXPECT_TRUE(form->LabeledEdit2->Focused());
}

TEST_F(Window, TheConnectionDialogStartsFromTheDatabaseChosen)
{
    SqlLogin();
    ASSERT_EQ(form->ComboBox1->Text(), "NOLK");
    std::string seed;
    form->EditConnectionString = [&seed](const std::string& s) {
        seed = s;
        return std::string();
    };
    form->BitBtn3Click();
    EXPECT_NE(seed.find("Initial Catalog=NOLK"), std::string::npos) << seed;
}

// Enter in the dialogs presses their default button wherever the focus is:
// 确定 in the connection dialog (not 刷新), and the report's 确定 (not 保存).
TEST_F(Window, EnterPressesTheDialogsDefaultButton)
{
    TDataLinkDialog dialog("Provider=SQLOLEDB.1;User ID=sa;Data Source=h", form.get());
    bool refreshed = false;
    dialog.RefreshCatalogs->OnClick = [&] { refreshed = true; };
    bool confirmed = false;
    dialog.OkButton->OnClick = [&] { confirmed = true; };
    dialog.ShowForm();
    platform::ProcessMessagesFor(20);
    platform::PressKey(dialog.ServerName, platform::TKey::Enter);
    EXPECT_TRUE(confirmed);
    EXPECT_FALSE(refreshed);

    std::vector<RunProblem> problems = {{RunProblem::NonAscii, "学生:含有汉字"}};
    TReportDialog report(RefusalReport(problems, ReportReader::Window), form.get());
    bool saved = false, closed = false;
    report.ChooseFile = [&] {
        saved = true;
        return std::string();
    };
    report.OkButton->OnClick = [&] { closed = true; };
    report.ShowForm();
    platform::ProcessMessagesFor(20);
    platform::PressKey(report.List, platform::TKey::Enter);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(saved);
}

namespace {

// An order references its customer; a line notes its order.
class RelatedWindow : public Window {
protected:
    RelatedWindow()
        : Window(R"({"name": "NOLK", "objects": [
            {"name": "Customers", "key": ["ID"], "columns": [
              {"name": "ID", "type": "int", "identity": true},
              {"name": "Name", "type": "nvarchar", "nullable": false}]},
            {"name": "Orders", "key": ["ID"], "columns": [
              {"name": "ID", "type": "int", "identity": true},
              {"name": "CustomerID", "type": "int"}],
             "foreignKeys": [{"name": "FK_Orders_Customers", "columns": ["CustomerID"],
                              "references": {"table": "Customers", "columns": ["ID"]}}]}
          ]})")
    {
    }
};

}  // namespace

TEST_F(RelatedWindow, RelationsAndRowsAreReadWithTheKeysGeneratedAndRemembered)
{
    std::string settings = dir.File("pellam.ini");
    form->LoadSettings(settings);
    EXPECT_FALSE(form->Options->Relations->Checked());
    EXPECT_FALSE(form->Options->Rows->Checked());
    SqlLogin();
    std::string orders = dir.File("Output/DBComm/DBTables/OrdersOperator.h");
    // Without them: neither lookups nor rows, and nothing more is read.
    std::vector<std::string> steps;
    platform::SetProcessMessagesHook([&] {
        if (steps.empty() || steps.back() != form->Label5->Caption())
            steps.push_back(form->Label5->Caption());
    });
    form->BitBtn1->Click();
    std::string plain = ReadFile(orders);
    EXPECT_EQ(plain.find("OpenBy"), std::string::npos) << plain;
    EXPECT_EQ(plain.find("OrdersRow"), std::string::npos) << plain;
    for (const std::string& step : steps)
        EXPECT_EQ(step.find("正在读取"), std::string::npos) << step;

    // With them and the keys: all three read in one step.
    form->CheckBox2->SetChecked(true);
    form->Options->Relations->SetChecked(true);
    form->Options->Rows->SetChecked(true);
    steps.clear();
    boxes.Answers = {platform::IDNO};
    form->BitBtn1->Click();
    platform::SetProcessMessagesHook(nullptr);
    EXPECT_TRUE(boxes.Shown.empty()) << boxes.Shown.front().Text;
    EXPECT_NE(std::find(steps.begin(), steps.end(), "正在读取主键、外键、字段可否为 NULL..."),
              steps.end());
    std::string header = ReadFile(orders);
    for (const char* line :
         {"   DBNullable<int> CustomerID;", "   bool OpenByCustomerID(int CustomerID);",
          "   TDataSource* LinkByCustomerID(TDataSource* master);",
          "   bool FindByKey(int ID,OrdersRow& row);"})
        EXPECT_NE(header.find(line), std::string::npos) << line << "\n" << header;
    EXPECT_EQ(form->Label5->Caption(), "生成完毕。   ");

    // A later window starts with both ticked.
    TMainForm later;
    later.LoadSettings(settings);
    EXPECT_TRUE(later.Options->Relations->Checked());
    EXPECT_TRUE(later.Options->Rows->Checked());
}

TEST_F(RelatedWindow, TranslatingAllWithRowsKeepsRowTypesApart)
{
    SqlLogin();
    // A label another's row type would be, once 翻译全部 has run.
    platform::TTreeNode* customers = form->TreeView1->Item(0);
    customers->SetText("Orders");
    form->TreeView1->Item(1)->SetText("OrdersRow");
    form->Options->Rows->SetChecked(true);
    form->A1Click();
    EXPECT_EQ(form->TreeView1->Item(0)->Text(), "Orders");
    EXPECT_NE(form->TreeView1->Item(1)->Text(), "OrdersRow");
    form->BitBtn1->Click();
    EXPECT_EQ(form->Label5->Caption(), "生成完毕。   ");
}
