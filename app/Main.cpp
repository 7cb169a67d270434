#include "Main.h"

#include <tuple>

#include "Settings.h"

#include "DataLink.h"
#include "Options.h"
#include "RunProgress.h"
#include "Report.h"
#include "TreeLabels.h"
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

platform::TTreeView* MakeTree(platform::TWinControl* parent, int left, int top)
{
    auto* tree = new platform::TTreeView(parent, left, top, 279, 105);
    tree->SetIndent(19);
    return tree;
}

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

// The banner as wide as the window: a band the gradient and rules run
// the whole width of, so that an enlarged window shows none beside it.
platform::TBitmap BannerPicture(int width)
{
    platform::TBitmap image(width, kBannerHeight);
    image.FillGradient({12, 36, 84}, {28, 120, 160});
    for (int x = -kBannerHeight; x < width; x += 24)
        image.Line(x, kBannerHeight, x + kBannerHeight, 0, {255, 255, 255, 40});
    const std::string font = "WenQuanYi Micro Hei";
    image.Text({12, 0, 120, kBannerHeight}, "Pellam", font, 24, true, platform::clWhite);
    image.Text({124, 2, 400, kBannerHeight}, "SQL Server 数据访问代码生成器", font, 14, false,
               platform::clWhite);
    return image;
}

TMainForm::TMainForm() : platform::TForm("Pellam - 代码生成器 ")
{
    // Today's screens: the window grows, and its first size is the least,
    // small enough for a 1366 x 768 screen at 150 %.
    SetResizableClientSize(kWidth, kHeight, kWidth, kHeight);
    MoveTo(324, 142);
    SetFont("WenQuanYi Micro Hei", 11);
    OnPaint = [this] { FormPaint(); };

    Image1 = new platform::TImage(this, 0, 0, kWidth, kBannerHeight);
    Image1->SetPicture(BannerPicture());

    Panel1 = new platform::TPanel(this, 0, kBannerHeight, kWidth, kHeight - kBannerHeight);

    using platform::TBevel;
    using platform::TBitBtn;
    using platform::TLabeledEdit;
    // The login: the authentication, then the host, login and password on
    // one row with the button; the database under them, and the schema
    // line beside it.
    Bevel1 = new TBevel(Panel1, TBevel::bsFrame, -3, 84, 675, 306);
    RadioButton1 = new platform::TRadioButton(Panel1, "Windows 身份验证(&W)", 10, 6, 150, 17);
    RadioButton1->SetChecked(true);
    RadioButton2 = new platform::TRadioButton(Panel1, "SQL Server 身份验证(&S)", 170, 6, 170, 17);
    LabeledEdit1 =
        new TLabeledEdit(Panel1, "主机(&H)：", 66, 30, 130, 21, 56, TLabeledEdit::lpLeft);
    LabeledEdit1->SetHint("主机名或IP地址，可写作：主机、主机,端口 或 主机\\实例名");
    LabeledEdit4 =
        new TLabeledEdit(Panel1, "登录名(&N)：", 268, 30, 70, 21, 68, TLabeledEdit::lpLeft);
    LabeledEdit4->SetText("sa");
    LabeledEdit4->SetHint("SQL Server 身份验证的登录名，默认 sa");
    LabeledEdit2 =
        new TLabeledEdit(Panel1, "密码(&D)：", 398, 30, 96, 21, 56, TLabeledEdit::lpLeft);
    LabeledEdit2->SetPassword(true);
    BitBtn2 = new TBitBtn(Panel1, "登录(&L)", TBitBtn::bkOK, 504, 28, 84, 25);
    Label4 = MakeLabel(Panel1, "登录成功    ", 350, 8, 60, 13);
    // Success is not shown in the colour of failure.
    Label4->SetFontColor(platform::clGreen);
    Label4->Hide();
    Label1 = MakeLabel(Panel1, "数据库(&B)：  ", 10, 62, 62, 13);
    ComboBox1 = new platform::TComboBox(Panel1, 78, 58, 190, 21, false);
    Label1->SetFocusControl(ComboBox1);
    // The schema line: where the selected table or view lives.
    Label7 = MakeLabel(Panel1, "", 284, 62, 3, 13);
    Label7->SetFontColor(platform::clBlack);
    Bevel3 = new TBevel(Panel1, TBevel::bsTopLine, 2, 84, 666, 9);
    // The trees, side by side, with their labels above and progress under.
    Label2 = MakeLabel(Panel1, "数据表：  ", 10, 90, 54, 13);
    Label6 = MakeLabel(Panel1, "视图：  ", 350, 90, 42, 13);
    TreeView1 = MakeTree(Panel1, 10, 106);
    TreeView2 = MakeTree(Panel1, 350, 106);
    TreeView2->SetReadOnly(false);
    Label8 = MakeLabel(Panel1, "存储过程：  ", 440, 90, 66, 13);
    TreeView3 = MakeTree(Panel1, 440, 106);
    Label8->Hide();
    TreeView3->Hide();
    Label5 = MakeLabel(Panel1, "", 10, 282, 3, 13);
    Label3 = MakeLabel(Panel1, "", 350, 282, 3, 13);
    for (platform::TLabel* l : {Label5, Label3})
        l->SetFontColor(platform::clBlack);
    // What was left out of the last run, every one with its reason.
    LeftOutButton = new platform::TButton(Panel1, "未生成的对象(&O)...", 560, 280, 110, 21);
    LeftOutButton->SetHint("列出上一次生成时没有主键方法的数据表、没有生成的存储过程，以及原因");
    LeftOutButton->Hide();
    // The options in one group, 生成 where the eye ends.
    Bevel2 = new TBevel(Panel1, TBevel::bsTopLine, 2, 300, 666, 9);
    Options = new TRunOptions(Panel1);
    CheckBox1 = Options->ExtendedTypes;
    CheckBox2 = Options->KeyMethods;
    CheckBox3 = Options->Procedures;
    LabeledEdit5 = Options->TypeGroups;
    BitBtn1 = new TBitBtn(Panel1, "生成(&G)", TBitBtn::bkOK, 570, 306, 98, 44);
    BitBtn1->SetHint("检查所有名称和类型，把生成的文件写到程序所在目录的 Output 文件夹");
    // The connection string, last.
    Bevel4 = new TBevel(Panel1, TBevel::bsTopLine, 2, 354, 666, 9);
    LabeledEdit3 =
        new TLabeledEdit(Panel1, "连接字符串(&C)：", 104, 362, 390, 21, 96, TLabeledEdit::lpLeft);
    LabeledEdit3->SetReadOnly(true);
    BitBtn3 = new TBitBtn(Panel1, "获取数据库连接字符串(&A)", TBitBtn::bkHelp, 500, 360, 170, 25);

    PopupMenu1 = new platform::TPopupMenu(this);
    M1 = PopupMenu1->Add("修改名称(&M)");
    N1 = PopupMenu1->Add("翻译节点名称(&T)");
    A1 = PopupMenu1->Add("翻译全部(&A)");

    // Tab order: the layout, top to bottom and left to right.
    std::vector<platform::TControl*> order = {RadioButton1, RadioButton2, LabeledEdit1,
                                              LabeledEdit4, LabeledEdit2, BitBtn2,
                                              ComboBox1,    TreeView1,    TreeView2,
                                              TreeView3,    LeftOutButton};
    for (platform::TControl* c : Options->TabOrder())
        order.push_back(c);
    for (platform::TControl* c : std::vector<platform::TControl*>{BitBtn1, LabeledEdit3, BitBtn3})
        order.push_back(c);
    platform::SetTabOrder(order);

    RadioButton1->OnClick = [this] { RadioButton1Click(); };
    RadioButton2->OnClick = [this] { RadioButton1Click(); };
    BitBtn2->OnClick = [this] { BitBtn2Click(); };
    // Enter in the password edit logs in.
    LabeledEdit2->OnEnter = [this] { BitBtn2Click(); };
    BitBtn1->OnClick = [this] { BitBtn1Click(); };
    BitBtn3->OnClick = [this] { BitBtn3Click(); };
    LeftOutButton->OnClick = [this] { ShowLeftOut(); };
    ComboBox1->OnSelect = [this] { ComboBox1Select(); };
    M1->OnClick = [this] { M1Click(); };
    N1->OnClick = [this] { N1Click(); };
    A1->OnClick = [this] { A1Click(); };
    CheckBox3->OnClick = [this] { CheckBox3Click(); };
    // Every option is remembered as it is set.
    for (platform::TCheckBox* box : Options->Boxes())
        if (box != CheckBox3)
            box->OnClick = [this] { SaveSettings(); };
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
    // What the window has beyond its least size goes to the trees: the
    // width shared among them, all the height; what lies below them moves
    // down, the edits and the rules take the width.
    int width = std::max(ClientWidth(), kWidth), height = std::max(ClientHeight(), kHeight);
    Image1->SetBounds(0, 0, width, kBannerHeight);
    if (Image1->PictureWidth() != width)
        Image1->SetPicture(BannerPicture(width));
    // The panel to the window's right edge: no strip beside it.
    int panelHeight = height - kBannerHeight;
    Panel1->SetBounds(0, kBannerHeight, width, panelHeight);
    int inner = width - 20;  // between the margins
    // The bottom block, from the foot up: the connection string, the
    // options with 生成, the progress under the trees.
    int options = std::max(Options->Height(inner - 108), 44);
    int connection = panelHeight - 30;
    Bevel4->SetBounds(2, connection - 6, width - 4, 9);
    LabeledEdit3->SetBounds(104, connection + 2, inner - 94 - 180, 21);
    LabeledEdit3->EditLabel->SetBounds(10, connection + 6, 92, 13);
    BitBtn3->SetBounds(width - 10 - 170, connection, 170, 25);
    int optionsTop = connection - 10 - options;
    Bevel2->SetBounds(2, optionsTop - 6, width - 4, 9);
    Options->Layout(10, optionsTop, inner - 108);
    BitBtn1->SetBounds(width - 10 - 98, optionsTop, 98, options);
    int progress = optionsTop - 22;
    Bevel1->SetBounds(-3, 84, width + 5, panelHeight - 84 + 3);
    Bevel3->SetBounds(2, 84, width - 4, 9);
    // The trees: two, or three with the procedures, sharing the width.
    bool three = CheckBox3->Checked();
    int count = three ? 3 : 2;
    int column = (inner - (count - 1) * 12) / count;
    int treeHeight = progress - 2 - 106;
    TreeView1->SetBounds(10, 106, column, treeHeight);
    Label5->SetBounds(10, progress, Label5->Bounds().Width, 13);
    for (auto [tree, label, at] :
         {std::tuple{TreeView2, Label6, 1}, std::tuple{TreeView3, Label8, 2}}) {
        int left = 10 + at * (column + 12);
        tree->SetBounds(left, 106, column, treeHeight);
        label->SetBounds(left, 90, label->Bounds().Width, 13);
    }
    Label3->SetBounds(10 + column + 12, progress, Label3->Bounds().Width, 13);
    LeftOutButton->SetBounds(width - 10 - 130, progress - 3, 130, 20);
    for (platform::TControl* c :
         {static_cast<platform::TControl*>(Label8), static_cast<platform::TControl*>(TreeView3)}) {
        if (three)
            c->Show();
        else
            c->Hide();
    }
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
    Options->OpenFolder->SetChecked(settings.OpenFolder);
    Options->Unicode->SetChecked(settings.Unicode);
    Options->Relations->SetChecked(settings.Relations);
    Options->Rows->SetChecked(settings.Rows);
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
    settings.OpenFolder = Options->OpenFolder->Checked();
    settings.Unicode = Options->Unicode->Checked();
    settings.Relations = Options->Relations->Checked();
    settings.Rows = Options->Rows->Checked();
    settings.TypeGroups = LabeledEdit5->Text();
    RestoredClientSize(settings.Width, settings.Height);
    settings.Maximized = Maximized();
    WriteWindowSettings(settingsFile_, settings);
}

void TMainForm::BitBtn2Click()
{
    if (busy_)
        return;
    // The keyboard goes on from where the login leaves it, once input is
    // taken again: the databases, or back where a failed login's fault
    // most often is.
    platform::TControl* next = LogIn();
    if (next)
        next->SetFocus();
}

platform::TControl* TMainForm::LogIn()
{
    BusyScope hold(this);
    Label4->Hide();
    std::string host = LabeledEdit1->Text();
    std::string password = LabeledEdit2->Text();
    if (!DBData->Connect(!RadioButton1->Checked(), host, password, "master", LoginName()))
        return RadioButton1->Checked() ? static_cast<platform::TControl*>(RadioButton1)
                                       : LabeledEdit2;
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
    return ComboBox1;
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
            node->SetHint(platform::Printable(object.Schema) + "." +
                          platform::Printable(object.Name));
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
    // Read and none there: the label says so, not an empty tree alone.
    if (Schema.ProceduresRead)
        SetGrowingText(Label8, Schema.Procedures.empty() ? "存储过程：这个数据库没有存储过程"
                                                         : "存储过程：  ");
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

void TMainForm::TreeView1MouseDown(platform::TTreeView* sender, platform::TMouseButton button,
                                   int x, int y)
{
    platform::TPopupMenu*& menu = sender == TreeView1   ? TreeView1PopupMenu
                                  : sender == TreeView2 ? TreeView2PopupMenu
                                                        : TreeView3PopupMenu;
    menu = nullptr;
    platform::TTreeNode* node = sender->GetNodeAt(x, y);
    if (node && button == platform::mbRight) {
        menu = PopupMenu1;
        PopupTree = sender;
        PopupNode = node;
    }
}

// Rename: edit the node's text in place. A table node's text is the class
// name, a column node's the parameter name.
void TMainForm::M1Click()
{
    if (busy_ || !PopupTree || !PopupNode)
        return;
    PopupNode->EditText();
}

// Translate: the node's text, and its children's for a top-level node,
// become pinyin identifiers, suffixed where they would collide.
void TMainForm::N1Click()
{
    if (busy_ || !PopupTree || !PopupNode)
        return;
    // The object's schema, for a label another object already has.
    const SchemaObject* object = ObjectOf(PopupTree, PopupNode);
    TranslateNodeLabels({TreeView1, TreeView2, TreeView3}, PopupTree, PopupNode,
                        object ? object->Schema : std::string(), Options->Rows->Checked());
}

void TMainForm::A1Click()
{
    if (busy_)
        return;
    // Thousands of nodes: input held off, each tree drawn once at the end,
    // and only the texts that change are set.
    BusyScope hold(this);
    DatabaseSchema labelled = LabelledSchema();
    TranslateLabels(labelled, Options->Rows->Checked());
    ShowLabels(TreeView1, labelled.Tables);
    ShowLabels(TreeView2, labelled.Views);
    ShowLabels(TreeView3, labelled.Procedures);
}

DatabaseSchema TMainForm::LabelledSchema() const
{
    DatabaseSchema labelled = Schema;
    TakeLabels(TreeView1, labelled.Tables);
    TakeLabels(TreeView2, labelled.Views);
    TakeLabels(TreeView3, labelled.Procedures);
    return labelled;
}

void TMainForm::BitBtn1Click()
{
    if (busy_)
        return;
    BusyScope hold(this);
    RunInput input{static_cast<std::size_t>(ComboBox1->Count()), LabelledSchema()};
    input.Procedures = CheckBox3->Checked() && Schema.ProceduresRead;
    // What the last run said goes: the labels say what this one does.
    SetGrowingText(Label8, Schema.ProceduresRead && Schema.Procedures.empty()
                               ? "存储过程：这个数据库没有存储过程"
                               : "存储过程：  ");
    Label8->SetHint(std::string());
    LeftOut = RunNotice{RunNotice::NoKeyMethods, {}, {}};
    LeftOutButton->Hide();
    for (platform::TLabel* each : {Label5, Label3}) {
        each->SetHint(std::string());
        SetGrowingText(each, "正在检查名称和类型...");
    }
    platform::ProcessMessages();
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
    input.KeyMethods = CheckBox2->Checked();
    input.Relations = Options->Relations->Checked();
    input.Rows = Options->Rows->Checked();
    input.Reader = ReportReader::Window;
    input.Form = Options->Form();
    if (input.DatabaseCount > 0 && DBData->Available() && !ReadWhatTheOptionsNeed(input))
        return;
    WindowRunHost host(this);
    // Ended while writing (a logout, a closed terminal), the window leaves
    // each file old or new, as pellam-gen does.
    platform::RemoveTemporaryFileOnSignals();
    GenerateAll(input, OutputTree(ProgramFolder), *DBData, host);
    if (!LeftOut.Problems.empty())
        LeftOutButton->Show();
}

void TMainForm::ShowLeftOut()
{
    if (!LeftOut.Problems.empty() && ShowReport)
        ShowReport(LeftOut);
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
        // The database chosen in the window, when the string names none.
        if (seed.InitialCatalog.empty() && ComboBox1->ItemIndex() >= 0)
            seed.InitialCatalog = ComboBox1->Text();
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
