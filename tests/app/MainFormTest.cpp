#include "app/DataLink.h"
#include "app/Main.h"
#include "catalog/Dbmodule.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "support/StandIn.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using platform::Gbk;
using platform::ToQt;
using testsupport::Expected;
using testsupport::FirstDifference;
using testsupport::Fixture;
using testsupport::ReadFile;
using testsupport::RecordingMessageBoxes;
using testsupport::StandIn;
using testsupport::TempDir;

namespace {

const char* const kNolk = testsupport::kLogStaffViewDatabase;

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class Window : public ::testing::Test {
protected:
    explicit Window(const std::string& databases = std::string(kNolk) + R"(, {"name": "Other"})")
        : server(Fixture(databases))
    {
        form = std::make_unique<TMainForm>();
        MainForm = form.get();
        DBData = new TDBData;
        form->ProgramFolder = dir.Path();
        form->OpenFolder = [this](const std::string& path) {
            opened.push_back(path);
            return openSucceeds;
        };
        form->show();
    }
    ~Window() override
    {
        platform::SetProcessMessagesHook(nullptr);
        delete DBData;
        DBData = nullptr;
        MainForm = nullptr;
    }

    // SQL Server authentication with the host and password typed in.
    void FillSqlLogin(const std::string& password, const std::string& host)
    {
        form->RadioButton2->click();
        form->LabeledEdit1->setText(ToQt(host));
        form->LabeledEdit2->setText(ToQt(password));
    }
    void SqlLogin(const std::string& password = "Pellam#2026", const StandIn* to = nullptr)
    {
        FillSqlLogin(password, (to ? *to : server).Host());
        QTest::mouseClick(form->BitBtn2, Qt::LeftButton);
    }

    QStringList TopLevel(QTreeWidget* tree)
    {
        QStringList texts;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            texts << tree->topLevelItem(i)->text(0);
        return texts;
    }

    QPoint NodePoint(QTreeWidget* tree, int row)
    {
        return tree->visualItemRect(tree->topLevelItem(row)).center();
    }

    StandIn server;
    TempDir dir;
    RecordingMessageBoxes boxes;
    std::unique_ptr<TMainForm> form;
    std::vector<std::string> opened;
    bool openSucceeds = true;
};

}  // namespace

TEST_F(Window, StartsWithALayoutWhereEveryControlCanBeReached)
{
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    form->show();
    QTest::qWait(20);
    // Every control the user works lies whole inside the panel, in sight,
    // and on no other; a labelled edit's caption is clear of its edit.
    std::vector<QWidget*> controls = {
        form->RadioButton1, form->RadioButton2, form->LabeledEdit1, form->LabeledEdit2,
        form->BitBtn2,      form->ComboBox1,    form->TreeView1,    form->TreeView2,
        form->BitBtn1,      form->LabeledEdit3, form->BitBtn3};
    for (platform::TLabeledEdit* edit : {form->LabeledEdit1, form->LabeledEdit2, form->LabeledEdit3})
        controls.push_back(edit->EditLabel);
    QRect panel(QPoint(0, 0), form->Panel1->size());
    QRect visible = panel.intersected(QRect(-form->Panel1->pos(), form->size()));
    for (std::size_t i = 0; i < controls.size(); ++i) {
        EXPECT_TRUE(visible.contains(controls[i]->geometry())) << i;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry())) << i << "," << j;
    }
    // Tab order runs from the database list to 生成 and on through every
    // control.
    std::vector<QWidget*> order;
    QWidget* at = form->ComboBox1;
    do {
        if (std::count(controls.begin(), controls.begin() + 11, at))
            order.push_back(at);
        at = at->nextInFocusChain();
    } while (at != form->ComboBox1);
    ASSERT_EQ(order.size(), 11u);
    EXPECT_EQ(order[1], form->BitBtn1);
    EXPECT_FALSE(form->Label4->isVisible());
    EXPECT_EQ(form->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(form->LabeledEdit2->echoMode(), QLineEdit::Password);
    // Windows authentication at start: host and password disabled.
    EXPECT_TRUE(form->RadioButton1->isChecked());
    EXPECT_FALSE(form->LabeledEdit1->isEnabled());
    EXPECT_FALSE(form->LabeledEdit2->isEnabled());
    // The banner shows above the panel, unscaled.
    EXPECT_EQ(form->Image1->pixmap().size(), BannerPicture().size());
    EXPECT_LT(form->Image1->y(), form->Panel1->y());
}

TEST_F(Window, RadioButtonsKeepTypedText)
{
    form->RadioButton2->click();
    EXPECT_TRUE(form->LabeledEdit1->isEnabled());
    form->LabeledEdit1->setText("host");
    form->RadioButton1->click();
    EXPECT_FALSE(form->LabeledEdit1->isEnabled());
    EXPECT_FALSE(form->LabeledEdit2->isEnabled());
    EXPECT_EQ(form->LabeledEdit1->text(), "host");
}

TEST_F(Window, LoginSelectsNolkAndFillsBothTrees)
{
    SqlLogin();
    EXPECT_TRUE(boxes.Shown.empty());
    EXPECT_TRUE(form->Label4->isVisible());
    EXPECT_EQ(form->ComboBox1->count(), 3);
    EXPECT_EQ(form->ComboBox1->currentText(), "NOLK");
    EXPECT_EQ(TopLevel(form->TreeView1), (QStringList{"Log", "Staff"}));
    EXPECT_EQ(form->TreeView1->topLevelItem(1)->childCount(), 4);
    EXPECT_EQ(TopLevel(form->TreeView2), (QStringList{"V_Users"}));
    EXPECT_EQ(form->TableNames, (NameList{"Log", "Staff"}));
    EXPECT_EQ(form->TableColumns.size(), 2u);
    EXPECT_EQ(form->ViewColumns[0][1], (ColumnEntry{"Age", "int"}));
    EXPECT_EQ(form->Label5->text(), U("更新完成.          "));
    EXPECT_EQ(form->Label3->text(), U("更新完成.          "));
    EXPECT_TRUE(form->Label5->isVisible());

    // Choosing the same database again empties and refills the trees.
    form->TreeView1->topLevelItem(0)->setText(0, "changed");
    form->ComboBox1Select();
    EXPECT_EQ(TopLevel(form->TreeView1), (QStringList{"Log", "Staff"}));
    EXPECT_EQ(form->TableNames.size(), 2u);

    // A failed login keeps the list and the trees, with the mark hidden.
    SqlLogin("wrong");
    EXPECT_EQ(boxes.Shown.size(), 1u);
    EXPECT_FALSE(form->Label4->isVisible());
    EXPECT_EQ(form->ComboBox1->count(), 3);
    EXPECT_EQ(TopLevel(form->TreeView1), (QStringList{"Log", "Staff"}));
}

TEST_F(Window, WindowsAuthenticationIgnoresTheHost)
{
    form->LabeledEdit1->setText(ToQt(server.Host()));
    QTest::mouseClick(form->BitBtn2, Qt::LeftButton);
    EXPECT_EQ(DBData->ADOConnection1->ConnectionString, TDBData::WindowsConnectionString("master"));
    EXPECT_EQ(form->ComboBox1->count(), 0);
}

TEST_F(Window, TheViewTreeEditsInPlaceAndTheTableTreeDoesNot)
{
    SqlLogin();
    EXPECT_EQ(form->TreeView1->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(form->TreeView1->topLevelItem(0)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(form->TreeView2->topLevelItem(0)->flags() & Qt::ItemIsEditable);
    EXPECT_NE(form->TreeView2->editTriggers(), QAbstractItemView::NoEditTriggers);
    form->TreeView2->editItem(form->TreeView2->topLevelItem(0));
    EXPECT_TRUE(form->TreeView2->isPersistentEditorOpen(form->TreeView2->topLevelItem(0)) ||
                form->TreeView2->findChild<QLineEdit*>() != nullptr);
}

TEST_F(Window, ThePopupOpensOnlyOnARightClickOverATableNode)
{
    SqlLogin();
    QWidget* viewport = form->TreeView1->viewport();
    QTest::mousePress(viewport, Qt::RightButton, {}, NodePoint(form->TreeView1, 0));
    EXPECT_EQ(form->TreeView1PopupMenu, form->PopupMenu1);
    QPoint at = NodePoint(form->TreeView1, 0);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &menu);
    EXPECT_TRUE(form->PopupMenu1->isVisible());
    form->PopupMenu1->close();
    form->M1->trigger();
    form->N1->trigger();
    EXPECT_EQ(form->TreeView1->topLevelItem(0)->text(0), "Log");

    QTest::mousePress(viewport, Qt::RightButton, {}, QPoint(200, 95));
    EXPECT_EQ(form->TreeView1PopupMenu, nullptr);
    QTest::mousePress(viewport, Qt::LeftButton, {}, NodePoint(form->TreeView1, 0));
    EXPECT_EQ(form->TreeView1PopupMenu, nullptr);
    QContextMenuEvent again(QContextMenuEvent::Mouse, QPoint(200, 95),
                            viewport->mapToGlobal(QPoint(200, 95)));
    QApplication::sendEvent(viewport, &again);
    EXPECT_FALSE(form->PopupMenu1->isVisible());
}

TEST_F(Window, InputDuringAFillDoesNothing)
{
    SqlLogin();
    int hooked = 0;
    platform::SetProcessMessagesHook([&] {
        if (hooked++ == 3) {
            QTest::mouseClick(form->BitBtn2, Qt::LeftButton);
            QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
            form->ComboBox1Select();
        }
    });
    std::size_t before = boxes.Shown.size();
    form->ComboBox1Select();
    platform::SetProcessMessagesHook(nullptr);
    EXPECT_GT(hooked, 3);
    EXPECT_EQ(boxes.Shown.size(), before);
    EXPECT_EQ(TopLevel(form->TreeView1), (QStringList{"Log", "Staff"}));
    EXPECT_EQ(form->TableColumns.size(), 2u);
    EXPECT_FALSE(platform::DirectoryExists(dir.File("Output")));
    EXPECT_TRUE(form->Panel1->isEnabled());
}

TEST_F(Window, GenerateWritesTheWholeTree)
{
    SqlLogin();
    form->TreeView2->topLevelItem(0)->setText(0, "Users");
    boxes.Answers = {platform::IDNO};
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    const auto& files = testsupport::kLogStaffUsersFiles;
    std::vector<std::string> names;
    for (const auto& [file, expected] : files) {
        names.push_back(file);
        EXPECT_EQ(FirstDifference(Expected(expected), ReadFile(dir.File("Output/" + file))), "") << file;
    }
    EXPECT_EQ(testsupport::ListFiles(dir.File("Output")), names);
    EXPECT_EQ(opened, (std::vector<std::string>{dir.File("Output")}));
    EXPECT_EQ(form->Label5->text(), U("生成完毕.   "));
    EXPECT_EQ(form->Label3->text(), U("生成完毕.   "));

    // Yes clears: only this run's files remain, and no script.
    testsupport::WriteFile(dir.File("Output/DBComm/DBTables/OldOperator.h"), "old");
    boxes.Answers = {platform::IDYES};
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(testsupport::ListFiles(dir.File("Output")), names);
    EXPECT_FALSE(platform::FileExists(dir.File("output_clear.sh")));
}

TEST_F(Window, GenerateBeforeLoginAndWithAFileInTheWay)
{
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text, Gbk("请先登录数据库"));
    EXPECT_FALSE(platform::DirectoryExists(dir.File("Output")));

    SqlLogin();
    testsupport::MakeDir(dir.File("Output/DBComm/DBTables/StaffOperator.cpp"));
    boxes.Shown.clear();
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    ASSERT_EQ(boxes.Shown.size(), 2u);
    EXPECT_EQ(boxes.Shown[1].Text,
              "Cannot create file " + dir.File("Output/DBComm/DBTables/StaffOperator.cpp"));
    EXPECT_TRUE(opened.empty());
    // The window stays usable.
    EXPECT_TRUE(form->Panel1->isEnabled());
    EXPECT_FALSE(form->Busy());
}

TEST_F(Window, ASecondGenerateDuringAWalkDoesNothing)
{
    SqlLogin();
    int hooked = 0;
    platform::SetProcessMessagesHook([&] {
        if (hooked++ == 0) {
            QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
            form->ComboBox1->setCurrentIndex(2);
            form->ComboBox1Select();
        }
    });
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(boxes.Shown.size(), 1u);  // one clearing question
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(form->TableNames.size(), 2u);
}

TEST_F(Window, ADeniedIdentityStatementStopsTheTableWalkWithOneBox)
{
    // A login that may list the catalogue but not ask for identity columns.
    StandIn denying(Fixture(kNolk), {"--deny", "ident_current"});
    SqlLogin("Pellam#2026", &denying);
    ASSERT_EQ(form->TableNames.size(), 2u);
    boxes.Shown.clear();
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    ASSERT_EQ(boxes.Shown.size(), 2u);  // the clearing question, then the one failure
    EXPECT_NE(boxes.Shown[1].Text.find("SELECT permission was denied"), std::string::npos);
    EXPECT_EQ(boxes.Shown[1].Caption, Gbk("ExecSQL执行出错"));
    EXPECT_FALSE(platform::FileExists(dir.File("Output/DBComm/DBTables/LogOperator.h")));
    EXPECT_FALSE(platform::FileExists(dir.File("Output/DBComm/DBTables/StaffOperator.h")));
    EXPECT_TRUE(platform::FileExists(dir.File("Output/DBComm/DBTables/V_UsersOperator.h")));
    EXPECT_EQ(ReadFile(dir.File("Output/DBComm/DBComm.cpp")).find("LogOperator"), std::string::npos);
}

TEST_F(Window, ADeniedColumnStatementInTheBatchCostsThatTableItsColumnsAndOneBox)
{
    StandIn denying(Fixture(kNolk), {"--deny", "[name]='Log')"});
    SqlLogin("Pellam#2026", &denying);
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_NE(boxes.Shown[0].Text.find("SELECT permission was denied"), std::string::npos);
    ASSERT_EQ(form->TreeView1->topLevelItemCount(), 2);
    EXPECT_EQ(form->TreeView1->topLevelItem(0)->childCount(), 0);  // Log
    EXPECT_EQ(form->TreeView1->topLevelItem(1)->childCount(), 4);  // Staff, after it in the batch
    ASSERT_EQ(form->TableColumns.size(), 2u);
    EXPECT_TRUE(form->TableColumns[0].empty());
    EXPECT_EQ(form->TableColumns[1].size(), 4u);
    EXPECT_EQ(form->TreeView2->topLevelItem(0)->childCount(), 2);
}

TEST_F(Window, ThePersonAtTheWindowSeesChineseButtonsHintsAndWhereTheFilesWent)
{
    QMessageBox question;
    question.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(question.button(QMessageBox::Yes)->text().startsWith(U("是")));
    EXPECT_TRUE(question.button(QMessageBox::No)->text().startsWith(U("否")));

    QString hint = form->LabeledEdit1->toolTip();
    for (const char* form : {"主机", "主机,端口", "主机\\实例名"})
        EXPECT_TRUE(hint.contains(U(form))) << form;

    // Enter in the password edit logs in.
    FillSqlLogin("Pellam#2026", server.Host());
    QTest::keyClick(form->LabeledEdit2, Qt::Key_Return);
    EXPECT_EQ(form->TableNames.size(), 2u);

    // Without a file manager, a message names the output folder.
    openSucceeds = false;
    boxes.Shown.clear();
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    ASSERT_EQ(boxes.Shown.size(), 2u);
    EXPECT_EQ(boxes.Shown[1].Text, Gbk("生成完毕，输出目录：") + dir.File("Output"));
}

TEST_F(Window, ALoginThatWaitsShowsTheWaitCursorAndHoldsInputOff)
{
    StandIn mute(Fixture(kNolk), {"--mute"});
    DBData->ADOConnection1->ConnectionTimeout = 1;
    bool waitCursor = false, panelEnabled = true;
    boxes.OnShow = [&] {
        waitCursor = QApplication::overrideCursor() &&
                     QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        panelEnabled = form->Panel1->isEnabled();
    };
    SqlLogin("Pellam#2026", &mute);
    ASSERT_EQ(boxes.Shown.size(), 1u);  // the failed login, shown while it waited
    EXPECT_TRUE(waitCursor);
    EXPECT_FALSE(panelEnabled);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(form->Panel1->isEnabled());
}

TEST_F(Window, ADeniedDatabaseListLeavesTheLoginMarkHidden)
{
    StandIn denying(Fixture(kNolk), {"--deny", "SysDatabases"});
    SqlLogin("Pellam#2026", &denying);
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_TRUE(form->Label4->isHidden());
    EXPECT_EQ(form->ComboBox1->count(), 0);
}

TEST_F(Window, ARenamedColumnNodeThatIsNoIdentifierStopsTheRunNamingItsNode)
{
    SqlLogin();
    form->TreeView2->topLevelItem(0)->child(1)->setText(0, "1Age");
    boxes.Shown.clear();
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    ASSERT_EQ(boxes.Shown.size(), 2u);  // the clearing question, then the refusal
    EXPECT_EQ(boxes.Shown[1].Text, Gbk("V_Users:名称及字段名称不能包含汉字，必须以字母开头"));
    EXPECT_EQ(boxes.Shown[1].Caption, Gbk("数据表名称非法"));
    EXPECT_EQ(boxes.Shown[1].Flags, 64);
    EXPECT_TRUE(opened.empty());
}

namespace {

// Opens the popup over a node of a tree and chooses an entry.
void Choose(TMainForm* form, QTreeWidget* tree, QTreeWidgetItem* node, QAction* entry)
{
    QTest::mousePress(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(node).center());
    ASSERT_EQ(tree == form->TreeView1 ? form->TreeView1PopupMenu : form->TreeView2PopupMenu,
              form->PopupMenu1);
    entry->trigger();
}

}  // namespace

TEST_F(Window, ThePopupRenamesNodesInBothTrees)
{
    SqlLogin();
    for (QTreeWidget* tree : {form->TreeView1, form->TreeView2}) {
        Choose(form.get(), tree, tree->topLevelItem(0), form->M1);
        auto* editor = qobject_cast<QLineEdit*>(tree->indexWidget(tree->currentIndex()));
        if (!editor)
            editor = tree->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        QString name = tree == form->TreeView1 ? "Renamed" : "RenamedView";
        editor->setText(name);
        // What the delegate does on Return: hand the editor's data to the view.
        QMetaObject::invokeMethod(tree, "commitData", Q_ARG(QWidget*, editor));
        EXPECT_EQ(tree->topLevelItem(0)->text(0), name);
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
            {"name": "V_单", "xtype": "V", "columns": []}]})")
    {
    }
};

TEST_F(ChineseWindow, TranslatedNodesGenerateIdentifiersWithTheCataloguesSql)
{
    SqlLogin();
    QTreeWidgetItem* table = form->TreeView1->topLevelItem(0);
    Choose(form.get(), form->TreeView1, table, form->N1);
    EXPECT_EQ(table->text(0), "YongHuBiao");
    EXPECT_EQ(table->child(0)->text(0), "BianHao");
    EXPECT_EQ(table->child(2)->text(0), "NianLing");
    boxes.Answers = {platform::IDNO};
    form->BitBtn1Click();
    const std::pair<const char*, const char*> files[] = {
        {"DBComm/DBComm.cpp", "DBComm.cpp.YongHuBiao.expected"},
        {"DBComm/DBComm.h", "DBComm.h.YongHuBiao.expected"},
        {"DBComm/DBTables/YongHuBiaoOperator.cpp", "YongHuBiaoOperator.cpp.translated.expected"},
        {"DBComm/DBTables/YongHuBiaoOperator.h", "YongHuBiaoOperator.h.translated.expected"},
    };
    for (const auto& [file, expected] : files)
        EXPECT_EQ(FirstDifference(Expected(expected), ReadFile(dir.File(std::string("Output/") + file))),
                  "")
            << file;
}

TEST_F(ChineseWindow, CollidingTranslationsAreSuffixed)
{
    SqlLogin();
    form->ComboBox1->setCurrentIndex(form->ComboBox1->findText("Other"));
    form->ComboBox1Select();
    ASSERT_EQ(form->TreeView1->topLevelItemCount(), 2);
    Choose(form.get(), form->TreeView1, form->TreeView1->topLevelItem(0), form->N1);
    Choose(form.get(), form->TreeView1, form->TreeView1->topLevelItem(1), form->N1);
    EXPECT_EQ(form->TreeView1->topLevelItem(0)->text(0), "Dan");
    EXPECT_EQ(form->TreeView1->topLevelItem(1)->text(0), "Dan2");
    // 甲 and 假 both read Jia: the second column is suffixed.
    EXPECT_EQ(form->TreeView1->topLevelItem(0)->child(1)->text(0), "Jia2");
    // A view's class name may not take a table's either; a column node alone.
    Choose(form.get(), form->TreeView2, form->TreeView2->topLevelItem(0), form->N1);
    EXPECT_EQ(form->TreeView2->topLevelItem(0)->text(0), "V_Dan");
    form->TreeView1->topLevelItem(1)->child(0)->setText(0, U("丹"));
    form->TreeView1->expandItem(form->TreeView1->topLevelItem(1));
    Choose(form.get(), form->TreeView1, form->TreeView1->topLevelItem(1)->child(0), form->N1);
    EXPECT_EQ(form->TreeView1->topLevelItem(1)->child(0)->text(0), "Dan");
}

class WindowWithoutNolk : public Window {
protected:
    WindowWithoutNolk() : Window(R"({"name": "Sales"})") {}
};

TEST_F(WindowWithoutNolk, NothingIsSelectedAndTheTreesStayEmpty)
{
    SqlLogin();
    EXPECT_TRUE(form->Label4->isVisible());
    EXPECT_EQ(form->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(form->TreeView1->topLevelItemCount(), 0);
    EXPECT_FALSE(form->Label5->isVisible());
    EXPECT_FALSE(form->Label3->isVisible());
}

class WindowWithLowerCaseNolk : public Window {
protected:
    WindowWithLowerCaseNolk()
        : Window(R"({"name": "Alpha"}, {"name": "nOlK", "objects": [{"name": "T", "columns": []}]})")
    {
    }
};

TEST_F(WindowWithLowerCaseNolk, IsSelectedInAnyLetterCase)
{
    SqlLogin();
    EXPECT_EQ(form->ComboBox1->currentText(), "nOlK");
    EXPECT_EQ(TopLevel(form->TreeView1), (QStringList{"T"}));
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
}

TEST_F(Window, TheConnectionDialogIsSeededAndItsEmptyResultChangesNothing)
{
    form->LabeledEdit3->setText("Provider=SQLOLEDB.1;Password=pw;User ID=sa;Data Source=" +
                                ToQt(server.Host()));
    TDataLinkDialog dialog(platform::FromQt(form->LabeledEdit3->text()), form.get());
    EXPECT_EQ(dialog.ServerName->text(), ToQt(server.Host()));
    EXPECT_TRUE(dialog.SqlLogin->isChecked());
    EXPECT_EQ(dialog.Sheet->count(), 4);
    EXPECT_EQ(dialog.Sheet->tabText(0), U("提供程序"));
    EXPECT_EQ(dialog.Sheet->tabText(3), U("全部"));
    dialog.Password->setText("Pellam#2026");
    dialog.TestConnectionClick();
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text, Gbk("测试连接成功。"));
    dialog.RefreshCatalogsClick();
    EXPECT_EQ(dialog.InitialCatalog->count(), 3);
    dialog.InitialCatalog->setCurrentIndex(1);
    // Edited on the 全部 page, the value comes back to the other pages.
    dialog.Sheet->setCurrentIndex(3);
    ASSERT_GT(dialog.AllProperties->rowCount(), 0);
    dialog.AllProperties->item(0, 1)->setText("SQLOLEDB");
    dialog.Sheet->setCurrentIndex(1);
    EXPECT_EQ(dialog.Properties().Provider, "SQLOLEDB");
    EXPECT_EQ(dialog.Properties().InitialCatalog, "NOLK");

    form->EditConnectionString = [](const std::string&) { return std::string(); };
    QString before = form->LabeledEdit3->text();
    form->BitBtn3Click();
    EXPECT_EQ(form->LabeledEdit3->text(), before);
    form->EditConnectionString = [](const std::string& s) { return s + ";Connect Timeout=5"; };
    form->BitBtn3Click();
    EXPECT_EQ(form->LabeledEdit3->text(), before + ";Connect Timeout=5");
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::TFormsApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
