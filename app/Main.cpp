#include "Main.h"

#include <tuple>

#include "Settings.h"

#include "DataLink.h"
#include "Report.h"
#include "catalog/CatalogReader.h"
#include "catalog/Dbmodule.h"
#include "generator/OutputTree.h"
#include "generator/Translate.h"
#include "platform/DbClient.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>
#include <chrono>

TMainForm* MainForm = nullptr;

namespace {

platform::TLabel* MakeLabel(platform::TWinControl* parent, const char* caption, int left, int top,
                            int width, int height)
{
    return new platform::TLabel(parent, caption, left, top, width, height);
}

// A label that grows with its text from its left edge.
void SetGrowingText(platform::TLabel* label, const std::string& text)
{
    if (label->Caption() == text)
        return;
    label->SetCaption(text);
    platform::TRect r = label->Bounds();
    label->SetBounds(r.Left, r.Top, std::max(3, label->TextWidth()), 13);
}

platform::TTreeView* MakeTree(platform::TWinControl* parent, int left, int top)
{
    auto* tree = new platform::TTreeView(parent, left, top, 279, 105);
    tree->SetIndent(19);
    return tree;
}

// What the run asks of the window.
class WindowRunHost : public RunHost {
public:
    explicit WindowRunHost(TMainForm* form) : form_(form) { }

    bool ClearEarlierOutput(std::size_t files) override
    {
        return platform::Application.MessageBox(
                   "是否清除上一次生成的文件？\n将删除 " + std::to_string(files) +
                       " 个这次不再生成的文件（DBComm 目录树中以前生成的，其他文件不动）。",
                   "提示", platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES;
    }
    // Each notice in its box: caption and icon by what happened.
    void Tell(const RunNotice& notice) override
    {
        const char* caption = "提示";
        int icon = platform::MB_ICONWARNING;
        switch (notice.What) {
        case RunNotice::NotLoggedIn:
            icon = platform::MB_ICONQUESTION;
            break;
        case RunNotice::FolderFailed:
            caption = "警告";
            break;
        case RunNotice::NameRefused:
        case RunNotice::TypeUnsupported:
            if (!notice.Groups.empty()) {
                // A refusal: the report of every problem, in a dialog that
                // fits the screen.
                if (form_->ShowReport)
                    form_->ShowReport(notice);
                return;
            }
            break;
        case RunNotice::ConnectionLost:
            break;
        case RunNotice::ProceduresLeftOut:
            // Not a failure: said above the procedure tree, each one in
            // its hint.
            SetGrowingText(form_->Label8, "存储过程：" +
                                              notice.Text.substr(0, notice.Text.find(' ')) +
                                              " 个未生成（参数类型无法生成）");
            form_->Label8->SetHint(notice.Text);
            return;
        case RunNotice::NoKeyMethods:
            // Not a failure: said briefly under the table tree when it is
            // done, the tables named in the label's hint.
            keyNote_ = notice.Text;
            return;
        }
        platform::Application.MessageBox(notice.Text, caption, platform::MB_OK | icon);
    }
    void Progress(const RunEvent& event) override
    {
        // The procedures' progress shows under the view tree, beside theirs.
        platform::TLabel* label =
            event.Tree == ProgressLabel::Tables ? form_->Label5 : form_->Label3;
        switch (event.What) {
        case RunEvent::TreeStarted:
            SetGrowingText(label, std::string());
            break;
        case RunEvent::ObjectStarted: {
            // How far it has come, at most once a frame: a native label's
            // text and repaint per object are what made a run of thousands
            // slow under Wine.
            auto clock = std::chrono::steady_clock::now();
            if (event.Index > 0 && clock - shown_ < std::chrono::milliseconds(16))
                break;
            shown_ = clock;
            std::string done = std::to_string(event.Index + 1);
            if (event.Tree == ProgressLabel::Procedures)
                SetGrowingText(label, "正在生成存储过程... " + done);
            else
                SetGrowingText(label, "正在生成... " + done + "/" +
                                          std::to_string(event.Tree == ProgressLabel::Tables
                                                             ? form_->Schema.Tables.size()
                                                             : form_->Schema.Views.size()));
            platform::ProcessMessages();
            break;
        }
        case RunEvent::FilesWritten: {
            // The files going to disk, counted under both trees.
            auto clock = std::chrono::steady_clock::now();
            if (event.Index > 1 && event.Index < event.Total &&
                clock - shown_ < std::chrono::milliseconds(16))
                break;
            shown_ = clock;
            std::string text = "正在写入文件... " + std::to_string(event.Index) + "/" +
                               std::to_string(event.Total);
            SetGrowingText(form_->Label5, text);
            SetGrowingText(form_->Label3, text);
            platform::ProcessMessages();
            break;
        }
        case RunEvent::TreeDone:
            if (event.Tree == ProgressLabel::Tables && !keyNote_.empty()) {
                SetGrowingText(label, "生成完毕。" + keyNote_.substr(0, keyNote_.find(' ')) +
                                          " 个数据表无主键方法");
                label->SetHint(keyNote_);
            } else {
                SetGrowingText(label, "生成完毕。   ");
                label->SetHint(std::string());
            }
            break;
        case RunEvent::Refused:
            // Nothing was written: neither tree says it is done.
            for (platform::TLabel* each : {form_->Label5, form_->Label3})
                SetGrowingText(each, "未生成：名称或类型不符合要求");
            break;
        }
    }
    // Waits for the clearing without processing messages.
    void ClearOutput(const OutputTree& tree, const std::vector<std::string>& keep) override
    {
        ClearOutputExcept(tree, keep);
    }
    // Without a file manager the user still learns where the files went.
    void OpenOutputRoot(const std::string& path) override
    {
        if (form_->OpenFolder && !form_->OpenFolder(path))
            platform::Application.MessageBox("生成完毕，输出目录：" + path, "提示",
                                             platform::MB_OK | platform::MB_ICONINFORMATION);
    }

private:
    TMainForm* form_;
    std::string keyNote_;  // the tables that got no key methods, when some did not
    std::chrono::steady_clock::time_point shown_{};  // when the progress last showed
};

}  // namespace

// Holds input off while a tree fills or a run walks: the panel's controls
// are disabled and the handlers refuse to start again.
class TMainForm::BusyScope {
public:
    explicit BusyScope(TMainForm* form)
        : form_(form), wasBusy_(form->busy_), wasEnabled_(form->Panel1->Enabled())
    {
        form_->busy_ = true;
        form_->Panel1->SetEnabled(false);
        platform::SetWaitCursor(true);
        // Painted once before a blocking call, so that the state shows.
        form_->Repaint();
    }
    ~BusyScope()
    {
        platform::SetWaitCursor(false);
        form_->Panel1->SetEnabled(wasEnabled_);
        form_->busy_ = wasBusy_;
    }

private:
    TMainForm* form_;
    bool wasBusy_, wasEnabled_;
};

// The banner as wide as the window: the gradient and rules run its whole
// width, so that an enlarged window shows no band beside it.
platform::TBitmap BannerPicture(int width)
{
    platform::TBitmap image(width, 210);
    image.FillGradient({12, 36, 84}, {28, 120, 160});
    for (int x = -210; x < width; x += 24)
        image.Line(x, 210, x + 210, 0, {255, 255, 255, 40});
    const std::string font = "WenQuanYi Micro Hei";
    image.Text({28, 22, 640, 56}, "Pellam", font, 44, true, platform::clWhite);
    image.Text({32, 78, 640, 30}, "SQL Server 数据访问代码生成器", font, 20, false,
               platform::clWhite);
    return image;
}

TMainForm::TMainForm() : platform::TForm("Pellam - 代码生成器 ")
{
    // Today's screens: the window grows, and its first size is the least.
    SetResizableClientSize(kWidth, kHeight, kWidth, kHeight);
    MoveTo(324, 142);
    SetFont("WenQuanYi Micro Hei", 11);
    OnPaint = [this] { FormPaint(); };

    Image1 = new platform::TImage(this, 0, 0, 680, 193);
    Image1->SetPicture(BannerPicture());

    Panel1 = new platform::TPanel(this, 0, 125, kWidth, 444);

    using platform::TBevel;
    using platform::TBitBtn;
    using platform::TLabeledEdit;
    Bevel1 = new TBevel(Panel1, TBevel::bsFrame, -3, 103, 675, 336);
    RadioButton1 = new platform::TRadioButton(Panel1, "Windows 身份验证    ", 16, 7, 129, 17);
    RadioButton1->SetChecked(true);
    RadioButton2 = new platform::TRadioButton(Panel1, "SQL Server 身份验证      ", 16, 30, 137, 17);
    LabeledEdit1 = new TLabeledEdit(Panel1, "主机IP：", 16, 69, 121, 21, 46, TLabeledEdit::lpAbove);
    LabeledEdit4 = new TLabeledEdit(Panel1, "登录名：", 148, 69, 80, 21, 48, TLabeledEdit::lpAbove);
    LabeledEdit4->SetText("sa");
    LabeledEdit4->SetHint("SQL Server 身份验证的登录名，默认 sa");
    LabeledEdit2 =
        new TLabeledEdit(Panel1, "登录密码：", 238, 69, 84, 21, 60, TLabeledEdit::lpAbove);
    LabeledEdit2->SetPassword(true);
    LabeledEdit1->SetHint("主机名或IP地址，可写作：主机、主机,端口 或 主机\\实例名");
    BitBtn2 = new TBitBtn(Panel1, "登录", TBitBtn::bkOK, 332, 66, 93, 25);
    Label4 = MakeLabel(Panel1, "登录成功    ", 440, 73, 60, 13);
    // Success is not shown in the colour of failure.
    Label4->SetFontColor(platform::clGreen);
    Label4->Hide();
    Label1 = MakeLabel(Panel1, "数据库：  ", 9, 127, 54, 13);
    ComboBox1 = new platform::TComboBox(Panel1, 73, 122, 145, 21, false);
    Bevel3 = new TBevel(Panel1, TBevel::bsTopLine, 2, 159, 495, 9);
    Label2 = MakeLabel(Panel1, "数据表：  ", 9, 167, 54, 13);
    Label6 = MakeLabel(Panel1, "视图：  ", 360, 168, 42, 13);
    TreeView1 = MakeTree(Panel1, 9, 183);
    TreeView2 = MakeTree(Panel1, 360, 184);
    TreeView2->SetReadOnly(false);
    Label8 = MakeLabel(Panel1, "存储过程：  ", 440, 168, 66, 13);
    TreeView3 = MakeTree(Panel1, 440, 184);
    Label8->Hide();
    TreeView3->Hide();
    Label5 = MakeLabel(Panel1, "", 9, 289, 3, 13);
    Label3 = MakeLabel(Panel1, "", 360, 289, 3, 13);
    for (platform::TLabel* l : {Label5, Label3})
        l->SetFontColor(platform::clBlack);
    Bevel2 = new TBevel(Panel1, TBevel::bsTopLine, 2, 310, 491, 9);
    CheckBox1 = new platform::TCheckBox(Panel1, "扩展类型（别名、日期时间等新类型也生成）", 9, 330,
                                        270, 17);
    BitBtn1 = new TBitBtn(Panel1, "生成", TBitBtn::bkOK, 288, 326, 97, 25);
    // The schema line, under the trees.
    Label7 = MakeLabel(Panel1, "", 9, 314, 3, 13);
    Label7->SetFontColor(platform::clBlack);
    LabeledEdit5 =
        new TLabeledEdit(Panel1, "类型分组：", 128, 362, 297, 21, 120, TLabeledEdit::lpLeft);
    LabeledEdit5->SetHint("其他类型按哪一组生成：类型名=integer、string、float 或 blob，"
                          "多个之间用分号隔开，如 MyPoint=blob; Money2=float");
    CheckBox2 = new platform::TCheckBox(Panel1, "主键方法", 435, 364, 110, 17);
    CheckBox2->SetHint("有主键的数据表另生成 FindByKey、UpdateByKey、DeleteByKey，"
                       "有标识列的另生成 NewWithIdentity");
    CheckBox3 = new platform::TCheckBox(Panel1, "存储过程", 550, 364, 100, 17);
    CheckBox3->SetHint("读取存储过程，在第三棵树中显示，并为每个存储过程生成一个类");
    Bevel4 = new TBevel(Panel1, TBevel::bsTopLine, 4, 393, 491, 9);
    LabeledEdit3 = new TLabeledEdit(Panel1, "数据库连接字符串：    ", 128, 404, 297, 21, 120,
                                    TLabeledEdit::lpLeft);
    LabeledEdit3->SetReadOnly(true);
    BitBtn3 = new TBitBtn(Panel1, "获取数据库连接字符串", TBitBtn::bkHelp, 425, 402, 161, 25);

    PopupMenu1 = new platform::TPopupMenu(this);
    M1 = PopupMenu1->Add("修改名称(&M)");
    N1 = PopupMenu1->Add("翻译节点名称(&T)");
    A1 = PopupMenu1->Add("翻译全部(&A)");

    // Tab order: the layout, top to bottom and left to right.
    platform::SetTabOrder({RadioButton1, RadioButton2, LabeledEdit1, LabeledEdit4, LabeledEdit2,
                           BitBtn2, ComboBox1, TreeView1, TreeView2, TreeView3, CheckBox1, BitBtn1,
                           LabeledEdit5, CheckBox2, CheckBox3, LabeledEdit3, BitBtn3});

    RadioButton1->OnClick = [this] { RadioButton1Click(); };
    RadioButton2->OnClick = [this] { RadioButton1Click(); };
    BitBtn2->OnClick = [this] { BitBtn2Click(); };
    // Enter in the password edit logs in.
    LabeledEdit2->OnEnter = [this] { BitBtn2Click(); };
    BitBtn1->OnClick = [this] { BitBtn1Click(); };
    BitBtn3->OnClick = [this] { BitBtn3Click(); };
    ComboBox1->OnSelect = [this] { ComboBox1Select(); };
    M1->OnClick = [this] { M1Click(); };
    N1->OnClick = [this] { N1Click(); };
    A1->OnClick = [this] { A1Click(); };
    CheckBox3->OnClick = [this] { CheckBox3Click(); };
    // Every tree offers the popup over a node.
    for (platform::TTreeView* tree : {TreeView1, TreeView2, TreeView3}) {
        tree->OnMouseDown = [this, tree](platform::TMouseButton button, int x, int y) {
            TreeView1MouseDown(tree, button, x, y);
        };
        tree->PopupMenu = [this, tree] {
            return tree == TreeView1   ? TreeView1PopupMenu
                   : tree == TreeView2 ? TreeView2PopupMenu
                                       : TreeView3PopupMenu;
        };
        tree->OnChange = [this, tree] { ShowSchemaOf(tree); };
        // F2 renames the selected node, as 修改名称 would.
        tree->OnRenameKey = [this, tree] {
            if (platform::TTreeNode* node = tree->Selected()) {
                PopupTree = tree;
                PopupNode = node;
                M1Click();
            }
        };
    }

    ProgramFolder = platform::ProgramFolder();
    OpenFolder = [](const std::string& path) { return platform::OpenFolderInShell(path); };
    ShowReport = [this](const RunNotice& report) { ShowReportDialog(report, this); };
    EditConnectionString = [this](const std::string& initial) {
        return RunDataLinkDialog(initial, this);
    };

    // The controls are all there: they follow the window's size from now on.
    OnResize = [this] { FormResize(); };
    FormResize();

    FormCreate();
}

TMainForm::~TMainForm()
{
    // Its size too is remembered.
    SaveSettings();
    delete PopupMenu1;
}

void TMainForm::FormCreate()
{
    RadioButton1Click();
}

void TMainForm::FormPaint()
{
    SetColor(platform::clBlack);
    Panel1->SetColor(platform::clWhite);
}

void TMainForm::RadioButton1Click()
{
    bool sqlLogin = !RadioButton1->Checked();
    LabeledEdit1->SetEnabled(sqlLogin);
    LabeledEdit4->SetEnabled(sqlLogin);
    LabeledEdit2->SetEnabled(sqlLogin);
}

void TMainForm::ShowSchemaOf(platform::TTreeView* tree)
{
    platform::TTreeNode* node = tree->Selected();
    while (node && node->Parent())
        node = node->Parent();
    std::string text;
    if (const SchemaObject* o = ObjectOf(tree, node))
        text = "架构：" + platform::Printable(o->Schema.empty() ? std::string("dbo") : o->Schema) +
               "." + platform::Printable(o->Name);
    SetGrowingText(Label7, text);
}

const SchemaObject* TMainForm::ObjectOf(const platform::TTreeView* tree,
                                        const platform::TTreeNode* node) const
{
    const SchemaObjects& objects = tree == TreeView1   ? Schema.Tables
                                   : tree == TreeView2 ? Schema.Views
                                                       : Schema.Procedures;
    for (int i = 0; node && i < tree->Count() && static_cast<std::size_t>(i) < objects.size(); ++i)
        if (tree->Item(i) == node)
            return &objects[static_cast<std::size_t>(i)];
    return nullptr;
}

void TMainForm::FormResize()
{
    // What the window has beyond its first size goes to the trees: half the
    // width to each, all the height; what lies below them moves down.
    int dw = std::max(0, ClientWidth() - kWidth), dh = std::max(0, ClientHeight() - kHeight);
    int half = dw / 2;
    Image1->SetBounds(0, 0, kWidth + dw, 193);
    if (Image1->PictureWidth() != kWidth + dw)
        Image1->SetPicture(BannerPicture(kWidth + dw));
    // The panel to the window's right edge: no strip beside it.
    Panel1->SetBounds(0, 125, kWidth + dw, 444 + dh);
    Bevel1->SetBounds(-3, 103, 675 + dw, 336 + dh);
    // The rules run the frame's width, all three alike.
    Bevel3->SetBounds(2, 159, 666 + dw, 9);
    Label6->SetBounds(360 + half, 168, Label6->Bounds().Width, 13);
    TreeView1->SetBounds(9, 183, 279 + half, 105 + dh);
    TreeView2->SetBounds(360 + half, 184, 279 + half, 105 + dh);
    Label5->SetBounds(9, 289 + dh, Label5->Bounds().Width, 13);
    Label3->SetBounds(360 + half, 289 + dh, Label3->Bounds().Width, 13);
    if (CheckBox3->Checked()) {
        // Three trees share the width the two had.
        int third = (630 + dw - 2 * 12) / 3;
        TreeView1->SetBounds(9, 183, third, 105 + dh);
        for (auto [tree, label, progress, column] :
             {std::tuple{TreeView2, Label6, Label3, 1}, std::tuple{TreeView3, Label8, Label3, 2}}) {
            int left = 9 + column * (third + 12);
            tree->SetBounds(left, 184, third, 105 + dh);
            label->SetBounds(left, 168, label->Bounds().Width, 13);
            if (column == 1)
                progress->SetBounds(left, 289 + dh, progress->Bounds().Width, 13);
        }
    }
    for (platform::TControl* c :
         {static_cast<platform::TControl*>(Label8), static_cast<platform::TControl*>(TreeView3)}) {
        if (CheckBox3->Checked())
            c->Show();
        else
            c->Hide();
    }
    Bevel2->SetBounds(2, 310 + dh, 666 + dw, 9);
    CheckBox1->SetBounds(9, 330 + dh, 270, 17);
    BitBtn1->SetBounds(288, 326 + dh, 97, 25);
    Label7->SetBounds(9, 314 + dh, Label7->Bounds().Width, 13);
    for (auto [edit, top] : {std::pair{LabeledEdit5, 362}, std::pair{LabeledEdit3, 404}}) {
        edit->SetBounds(128, top + dh, 297 + dw, 21);
        platform::TRect label = edit->EditLabel->Bounds();
        edit->EditLabel->SetBounds(label.Left, top + 4 + dh, label.Width, label.Height);
    }
    CheckBox2->SetBounds(435 + dw, 364 + dh, 110, 17);
    CheckBox3->SetBounds(550 + dw, 364 + dh, 100, 17);
    Bevel4->SetBounds(2, 393 + dh, 666 + dw, 9);
    BitBtn3->SetBounds(425 + dw, 402 + dh, 161, 25);
}

std::string TMainForm::LoginName() const
{
    std::string user = LabeledEdit4->Text();
    return user.empty() ? std::string("sa") : user;
}

void TMainForm::LoadSettings(const std::string& path)
{
    settingsFile_ = path;
    WindowSettings settings = ReadWindowSettings(path);
    RadioButton1->SetChecked(!settings.SqlLogin);
    RadioButton2->SetChecked(settings.SqlLogin);
    RadioButton1Click();
    LabeledEdit1->SetText(settings.Host);
    LabeledEdit4->SetText(settings.User);
    CheckBox1->SetChecked(settings.ExtendedTypes);
    CheckBox2->SetChecked(settings.KeyMethods);
    CheckBox3->SetChecked(settings.Procedures);
    FormResize();
    LabeledEdit5->SetText(settings.TypeGroups);
    // A size saved on a larger screen, or written by hand, is cut to the
    // screen the window opens on.
    if (settings.Width >= kWidth && settings.Height >= kHeight)
        SetResizableClientSize(std::min(settings.Width, kMaxSide),
                               std::min(settings.Height, kMaxSide), kWidth, kHeight);
    FitOnScreen();
    SetMaximized(settings.Maximized);
}

void TMainForm::SaveSettings()
{
    if (settingsFile_.empty())
        return;
    WindowSettings settings;
    settings.SqlLogin = !RadioButton1->Checked();
    settings.Host = LabeledEdit1->Text();
    settings.User = LoginName();
    settings.ExtendedTypes = CheckBox1->Checked();
    settings.KeyMethods = CheckBox2->Checked();
    settings.Procedures = CheckBox3->Checked();
    settings.TypeGroups = LabeledEdit5->Text();
    RestoredClientSize(settings.Width, settings.Height);
    settings.Maximized = Maximized();
    WriteWindowSettings(settingsFile_, settings);
}

void TMainForm::BitBtn2Click()
{
    if (busy_)
        return;
    BusyScope hold(this);
    Label4->Hide();
    std::string host = LabeledEdit1->Text();
    std::string password = LabeledEdit2->Text();
    if (!DBData->Connect(!RadioButton1->Checked(), host, password, "master", LoginName()))
        return;
    SaveSettings();
    ComboBox1->Clear();
    NameList databases;
    bool listed = DBData->GetDatabaseList(databases);
    for (const std::string& name : databases)
        ComboBox1->Add(name);
    // The mark says the login worked only once the list has been read.
    if (listed)
        Label4->Show();
    ComboBox1->SetItemIndex(-1);
    for (std::size_t i = 0; i < databases.size(); ++i) {
        if (platform::SameTextIgnoreCase(databases[i], "NOLK")) {
            ComboBox1->SetItemIndex(static_cast<int>(i));
            break;
        }
    }
    SelectDatabase();
}

void TMainForm::ComboBox1Select()
{
    if (busy_)
        return;
    BusyScope hold(this);
    SelectDatabase();
}

// Fills the trees as the catalogue is read: a node per object with its
// columns as children, the progress texts beside each tree, and the window
// repainted between nodes.
class TMainForm::TreeFill : public CatalogReadEvents {
public:
    explicit TreeFill(TMainForm* form) : form_(form) { }

    void TreeStarted(bool tables) override
    {
        platform::TLabel* label = LabelOf(tables);
        label->Show();
        Say(label, "正在获取数据表...          ", true);
        // Drawn once the tree is whole, not node by node.
        TreeOf(tables)->BeginUpdate();
    }
    // Views may be renamed in place; tables through the popup only.
    void ObjectRead(bool tables, const SchemaObject& object, bool /*columnsRead*/) override
    {
        platform::TTreeNode* node = TreeOf(tables)->Add(object.Name);
        // The node's text is the class name; its hint says where the object
        // lives.
        if (!object.Schema.empty())
            node->SetHint(platform::Printable(object.Schema) + "." + platform::Printable(object.Name));
        Say(LabelOf(tables), "正在更新数据表...          ");
        for (const SchemaColumn& column : object.Columns) {
            node->AddChild(column.Name);
            Say(LabelOf(tables), "正在更新数据表字段...          ");
        }
    }
    void TreeDone(bool tables) override
    {
        TreeOf(tables)->EndUpdate();
        Say(LabelOf(tables), "更新完成。          ", true);
    }

private:
    platform::TTreeView* TreeOf(bool tables) const
    {
        return tables ? form_->TreeView1 : form_->TreeView2;
    }
    platform::TLabel* LabelOf(bool tables) const { return tables ? form_->Label5 : form_->Label3; }
    // The labels change at most once a frame: a native label's text, size
    // and repaint, twice per table, are what slowed a fill of thousands of
    // tables (seconds under Wine). What a label last said shows at the next
    // frame, and always at a tree's end.
    void Say(platform::TLabel* label, const std::string& text, bool now = false)
    {
        std::string& said = label == form_->Label5 ? said_[0] : said_[1];
        auto clock = std::chrono::steady_clock::now();
        if (said != text && (now || clock - shown_ >= std::chrono::milliseconds(16))) {
            SetGrowingText(label, text);
            said = text;
            shown_ = clock;
        }
        platform::ProcessMessages();
    }
    TMainForm* form_;
    std::string said_[2];
    std::chrono::steady_clock::time_point shown_{};
};

void TMainForm::SelectDatabase()
{
    Label5->Hide();
    Label3->Hide();
    TreeView1->Clear();
    TreeView2->Clear();
    TreeView3->Clear();
    // The schema line named an object of the database shown before.
    SetGrowingText(Label7, std::string());
    TakeSchema(DatabaseSchema());
    if (ComboBox1->ItemIndex() < 0)
        return;
    std::string host = LabeledEdit1->Text();
    std::string password = LabeledEdit2->Text();
    std::string database = ComboBox1->Text();
    // The login made for the list reads the database too, switching to it
    // in the reader's first batch; a connection lost since logs in again,
    // straight into the database.
    CatalogReadOptions read;
    read.UseDatabase = DBData->Available();
    read.Procedures = CheckBox3->Checked();
    if (!read.UseDatabase &&
        !DBData->Connect(!RadioButton1->Checked(), host, password, database, LoginName()))
        return;
    DatabaseSchema schema;
    TreeFill fill(this);
    ReadCatalog(*DBData, database, read, schema, &fill);
    TakeSchema(schema);
    FillProcedureTree();
}

void TMainForm::FillProcedureTree()
{
    TreeView3->Clear();
    TreeView3->BeginUpdate();
    for (const SchemaObject& p : Schema.Procedures) {
        platform::TTreeNode* node = TreeView3->Add(p.Label);
        node->SetHint(platform::Printable(p.Schema) + "." + platform::Printable(p.Name));
        for (const SchemaColumn& parameter : p.Columns)
            node->AddChild(parameter.Label);
    }
    TreeView3->EndUpdate();
}

void TMainForm::CheckBox3Click()
{
    FormResize();
    SaveSettings();
    if (busy_ || !CheckBox3->Checked() || Schema.ProceduresRead || ComboBox1->ItemIndex() < 0 ||
        !DBData->Available())
        return;
    // Wanted now and not read with the database: read them alone, so that
    // nothing renamed in the other trees is lost.
    BusyScope hold(this);
    DatabaseSchema read = Schema;
    if (ReadProcedures(*DBData, ComboBox1->Text(), read)) {
        Schema.Procedures = read.Procedures;
        Schema.ProceduresRead = true;
    }
    FillProcedureTree();
}

void TMainForm::TakeSchema(const DatabaseSchema& schema)
{
    Schema = schema;
    TableNames = ObjectNames(Schema.Tables);
    ViewNames = ObjectNames(Schema.Views);
    TableColumns = ColumnLists(Schema.Tables);
    ViewColumns = ColumnLists(Schema.Views);
}

void TMainForm::A1Click()
{
    if (busy_)
        return;
    // Thousands of nodes: input held off, each tree drawn once at the end,
    // and only the texts that change are set.
    BusyScope hold(this);
    DatabaseSchema labelled = LabelledSchema();
    TranslateLabels(labelled);
    auto put = [](platform::TTreeView* tree, const SchemaObjects& objects) {
        tree->BeginUpdate();
        auto set = [](platform::TTreeNode* node, const std::string& text) {
            if (node->Text() != text)
                node->SetText(text);
        };
        for (std::size_t k = 0; k < objects.size(); ++k) {
            platform::TTreeNode* node = tree->Item(static_cast<int>(k));
            set(node, objects[k].Label);
            for (std::size_t i = 0; i < objects[k].Columns.size(); ++i)
                set(node->Item(static_cast<int>(i)), objects[k].Columns[i].Label);
        }
        tree->EndUpdate();
    };
    put(TreeView1, labelled.Tables);
    put(TreeView2, labelled.Views);
    put(TreeView3, labelled.Procedures);
}

DatabaseSchema TMainForm::LabelledSchema() const
{
    DatabaseSchema labelled = Schema;
    auto take = [](platform::TTreeView* tree, SchemaObjects& objects) {
        // The nodes were made from the objects, one for one, and are only
        // ever renamed.
        for (std::size_t k = 0; k < objects.size(); ++k) {
            platform::TTreeNode* node = tree->Item(static_cast<int>(k));
            objects[k].Label = node->Text();
            for (std::size_t i = 0; i < objects[k].Columns.size(); ++i)
                objects[k].Columns[i].Label = node->Item(static_cast<int>(i))->Text();
        }
    };
    take(TreeView1, labelled.Tables);
    take(TreeView2, labelled.Views);
    take(TreeView3, labelled.Procedures);
    return labelled;
}

void TMainForm::BitBtn1Click()
{
    if (busy_)
        return;
    BusyScope hold(this);
    RunInput input{static_cast<std::size_t>(ComboBox1->Count()), LabelledSchema()};
    input.Procedures = CheckBox3->Checked() && Schema.ProceduresRead;
    SetGrowingText(Label8, "存储过程：  ");
    Label8->SetHint(std::string());
    // Nothing to generate: the earlier output stays as it is.
    bool procedures = input.Procedures && !Schema.Procedures.empty();
    if (input.DatabaseCount > 0 &&
        (ComboBox1->ItemIndex() < 0 ||
         (Schema.Tables.empty() && Schema.Views.empty() && !procedures))) {
        platform::Application.MessageBox(ComboBox1->ItemIndex() < 0
                                             ? "请先选择数据库，没有生成任何文件"
                                             : "这个数据库没有数据表和视图，没有生成任何文件",
                                         "提示", platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    TypeOptions types;
    types.Extended = CheckBox1->Checked();
    std::string fault = AddTypeOverrideList(LabeledEdit5->Text(), types);
    if (!fault.empty()) {
        platform::Application.MessageBox(fault, "类型分组",
                                         platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    ApplyTypeOptions(input.Schema, types);
    SaveSettings();
    // The keys are read when they are asked for, from the database shown.
    input.KeyMethods = CheckBox2->Checked();
    input.Reader = ReportReader::Window;
    if (input.KeyMethods && input.DatabaseCount > 0 && DBData->Available() &&
        !ReadKeys(*DBData, input.Schema))
        return;
    WindowRunHost host(this);
    // Ended while writing (a logout, a closed terminal), the window leaves
    // each file old or new, as pellam-gen does.
    platform::RemoveTemporaryFileOnSignals();
    GenerateAll(input, OutputTree(ProgramFolder), *DBData, host);
}

void TMainForm::BitBtn3Click()
{
    if (busy_)
        return;
    // The dialog starts from the string shown, else from the window's own
    // login as a whole: the host, the login name and the password typed.
    std::string initial = LabeledEdit3->Text();
    bool sqlLogin = RadioButton2->Checked();
    DataLinkProperties seed;
    if (initial.empty()) {
        seed.IntegratedSecurity = !sqlLogin;
        seed.DataSource = sqlLogin ? LabeledEdit1->Text() : ".";
        if (sqlLogin)
            seed.UserID = LoginName();
    }
    if (initial.empty() || seed.Read(initial)) {
        // A string shown without its password takes the one typed.
        if (sqlLogin && !seed.IntegratedSecurity && seed.Password.empty())
            seed.Password = LabeledEdit2->Text();
        initial = seed.Compose();
    }
    // Cancelled, the dialog gives "" and nothing changes.
    std::string result = EditConnectionString ? EditConnectionString(initial) : std::string();
    if (!result.empty())
        LabeledEdit3->SetText(result);
}
