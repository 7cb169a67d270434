#include "Main.h"

#include "DataLink.h"
#include "catalog/CatalogReader.h"
#include "catalog/Dbmodule.h"
#include "generator/OutputTree.h"
#include "generator/Translate.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

using platform::FromQt;
using platform::Gbk;
using platform::ToQt;

TMainForm* MainForm = nullptr;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

QLabel* MakeLabel(QWidget* parent, const char* caption, int left, int top, int width, int height)
{
    auto* label = new QLabel(U(caption), parent);
    label->setGeometry(left, top, width, height);
    return label;
}

// A label that grows with its text from its left edge.
void SetGrowingText(QLabel* label, const QString& text)
{
    if (label->text() == text)
        return;
    label->setText(text);
    label->resize(std::max(3, label->sizeHint().width()), 13);
}

QTreeWidget* MakeTree(QWidget* parent, int left, int top)
{
    auto* tree = new QTreeWidget(parent);
    tree->setGeometry(left, top, 279, 105);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setIndentation(19);
    tree->setContextMenuPolicy(Qt::NoContextMenu);
    return tree;
}

// What the run asks of the window.
class WindowRunHost : public RunHost {
public:
    explicit WindowRunHost(TMainForm* form) : form_(form) {}

    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        return platform::Application.MessageBox(text, caption, flags);
    }
    void Progress(const RunEvent& event) override
    {
        QLabel* label = event.Tree == ProgressLabel::Tables ? form_->Label5 : form_->Label3;
        switch (event.What) {
        case RunEvent::TreeStarted:
            SetGrowingText(label, QString());
            break;
        case RunEvent::ObjectStarted:
            SetGrowingText(label, U("正在生成..."));
            platform::ProcessMessages();
            break;
        case RunEvent::TreeDone:
            SetGrowingText(label, U("生成完毕.   "));
            break;
        }
    }
    // Waits for the clearing without processing messages.
    void ClearOutput(const OutputTree& tree) override { RunClearingScript(tree); }
    // Without a file manager the user still learns where the files went.
    void OpenOutputRoot(const std::string& path) override
    {
        if (form_->OpenFolder && !form_->OpenFolder(path))
            platform::Application.MessageBox(Gbk("生成完毕，输出目录：") + path, Gbk("提示"),
                                             platform::MB_OK | platform::MB_ICONINFORMATION);
    }
private:
    TMainForm* form_;
};

}  // namespace

// Holds input off while a tree fills or a run walks: the panel's controls
// are disabled and the handlers refuse to start again.
class TMainForm::BusyScope {
public:
    explicit BusyScope(TMainForm* form)
        : form_(form), wasBusy_(form->busy_), wasEnabled_(form->Panel1->isEnabled())
    {
        form_->busy_ = true;
        form_->Panel1->setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // Painted once before a blocking call, so that the state shows.
        form_->repaint();
    }
    ~BusyScope()
    {
        QApplication::restoreOverrideCursor();
        form_->Panel1->setEnabled(wasEnabled_);
        form_->busy_ = wasBusy_;
    }

private:
    TMainForm* form_;
    bool wasBusy_, wasEnabled_;
};

QImage BannerPicture()
{
    QImage image(680, 210, QImage::Format_ARGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 680, 210);
    sky.setColorAt(0, QColor(12, 36, 84));
    sky.setColorAt(1, QColor(28, 120, 160));
    p.fillRect(image.rect(), sky);
    p.setPen(QColor(255, 255, 255, 40));
    for (int x = -210; x < 680; x += 24)
        p.drawLine(x, 210, x + 210, 0);
    QFont title(QStringLiteral("WenQuanYi Micro Hei"));
    title.setPixelSize(44);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(28, 22, 640, 56), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Pellam"));
    title.setPixelSize(20);
    title.setBold(false);
    p.setFont(title);
    p.drawText(QRect(32, 78, 640, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8("SQL Server 数据访问代码生成器"));
    return image;
}

TMainForm::TMainForm() : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                               Qt::WindowSystemMenuHint |
                                               Qt::WindowMinimizeButtonHint |
                                               Qt::WindowCloseButtonHint |
                                               Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(U("Pellam - 代码生成器 "));
    setFixedSize(680, 542);
    move(324, 142);
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    setFont(font);
    setAutoFillBackground(true);

    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, 680, 193);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(QPixmap::fromImage(BannerPicture()));

    Panel1 = new QWidget(this);
    Panel1->setGeometry(0, 125, 671, 414);
    Panel1->setAutoFillBackground(true);

    Bevel1 = new platform::TBevel(Panel1, platform::TBevel::bsFrame, -3, 103, 675, 306);
    RadioButton1 = new QRadioButton(U("Windows 身份验证    "), Panel1);
    RadioButton1->setGeometry(16, 7, 129, 17);
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(U("SQL Server 身份验证      "), Panel1);
    RadioButton2->setGeometry(16, 30, 137, 17);
    LabeledEdit1 = new platform::TLabeledEdit(Panel1, U("主机IP："), 16, 69, 121, 21, 46,
                                              platform::TLabeledEdit::lpAbove);
    LabeledEdit2 = new platform::TLabeledEdit(Panel1, U("登录密码："), 160, 69, 121, 21, 60,
                                              platform::TLabeledEdit::lpAbove);
    LabeledEdit2->setEchoMode(QLineEdit::Password);
    LabeledEdit1->setToolTip(U("主机名或IP地址，可写作：主机、主机,端口 或 主机\\实例名"));
    BitBtn2 = new platform::TBitBtn(Panel1, U("登录"), platform::TBitBtn::bkOK, 328, 66, 97, 25);
    Label4 = MakeLabel(Panel1, "登录成功    ", 440, 73, 60, 13);
    QPalette red = Label4->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label4->setPalette(red);
    Label4->hide();
    Label1 = MakeLabel(Panel1, "数据库：  ", 9, 127, 54, 13);
    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setGeometry(73, 122, 145, 21);
    ComboBox1->setEditable(false);
    Bevel3 = new platform::TBevel(Panel1, platform::TBevel::bsTopLine, 2, 159, 495, 9);
    Label2 = MakeLabel(Panel1, "数据表：  ", 9, 167, 54, 13);
    Label6 = MakeLabel(Panel1, "视图：  ", 360, 168, 42, 13);
    TreeView1 = MakeTree(Panel1, 9, 183);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    TreeView2 = MakeTree(Panel1, 360, 184);
    TreeView2->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::SelectedClicked);
    Label5 = MakeLabel(Panel1, "", 9, 289, 3, 13);
    Label3 = MakeLabel(Panel1, "", 360, 289, 3, 13);
    for (QLabel* l : {Label5, Label3}) {
        QPalette black = l->palette();
        black.setColor(QPalette::WindowText, Qt::black);
        l->setPalette(black);
    }
    Bevel2 = new platform::TBevel(Panel1, platform::TBevel::bsTopLine, 2, 310, 491, 9);
    BitBtn1 = new platform::TBitBtn(Panel1, U("生成"), platform::TBitBtn::bkOK, 288, 326, 97, 25);
    Bevel4 = new platform::TBevel(Panel1, platform::TBevel::bsTopLine, 4, 363, 491, 9);
    LabeledEdit3 = new platform::TLabeledEdit(Panel1, U("数据库连接字符串：    "), 128, 374, 297, 21,
                                              120, platform::TLabeledEdit::lpLeft);
    LabeledEdit3->setReadOnly(true);
    BitBtn3 = new platform::TBitBtn(Panel1, U("获取数据库连接字符串"), platform::TBitBtn::bkHelp, 425,
                                    372, 161, 25);

    PopupMenu1 = new QMenu(this);
    M1 = PopupMenu1->addAction(U("修改名称(&M)"));
    N1 = PopupMenu1->addAction(U("翻译节点名称(&T)"));

    // Tab order within the panel.
    QWidget* order[] = {ComboBox1, BitBtn1, TreeView1, TreeView2, RadioButton1, RadioButton2,
                        LabeledEdit1, LabeledEdit2, BitBtn2, BitBtn3, LabeledEdit3};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);

    connect(RadioButton1, &QRadioButton::clicked, this, [this] { RadioButton1Click(); });
    connect(RadioButton2, &QRadioButton::clicked, this, [this] { RadioButton1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    // Enter in the password edit logs in.
    connect(LabeledEdit2, &QLineEdit::returnPressed, this, [this] { BitBtn2Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(ComboBox1, &QComboBox::activated, this, [this](int) { ComboBox1Select(); });
    connect(M1, &QAction::triggered, this, [this] { M1Click(); });
    connect(N1, &QAction::triggered, this, [this] { N1Click(); });
    // Both trees offer the popup over a node.
    TreeView2->setContextMenuPolicy(Qt::CustomContextMenu);
    for (QTreeWidget* tree : {TreeView1, TreeView2}) {
        tree->viewport()->installEventFilter(this);
        connect(tree, &QWidget::customContextMenuRequested, this, [this, tree](const QPoint& at) {
            QMenu* menu = tree == TreeView1 ? TreeView1PopupMenu : TreeView2PopupMenu;
            if (menu)
                menu->popup(tree->viewport()->mapToGlobal(at));
        });
    }

    ProgramFolder = platform::ProgramFolder();
    OpenFolder = [](const std::string& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQt(path)));
    };
    EditConnectionString = [this](const std::string& initial) {
        return RunDataLinkDialog(initial, this);
    };

    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate()
{
    RadioButton1Click();
}

void TMainForm::paintEvent(QPaintEvent* event)
{
    FormPaint();
    QWidget::paintEvent(event);
}

void TMainForm::FormPaint()
{
    auto paint = [](QWidget* widget, const QColor& color) {
        if (widget->palette().color(QPalette::Window) != color) {
            QPalette p = widget->palette();
            p.setColor(QPalette::Window, color);
            widget->setPalette(p);
        }
    };
    paint(this, Qt::black);
    paint(Panel1, Qt::white);
}

void TMainForm::RadioButton1Click()
{
    bool sqlLogin = !RadioButton1->isChecked();
    LabeledEdit1->setEnabled(sqlLogin);
    LabeledEdit2->setEnabled(sqlLogin);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    for (QTreeWidget* tree : {TreeView1, TreeView2}) {
        if (watched == tree->viewport() && event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            QPoint at = mouse->position().toPoint();
            TreeView1MouseDown(tree, mouse->button(), mouse->modifiers(), at.x(), at.y());
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::TreeView1MouseDown(QObject* sender, Qt::MouseButton button,
                                   Qt::KeyboardModifiers /*shift*/, int x, int y)
{
    auto* tree = qobject_cast<QTreeWidget*>(sender);
    if (!tree)
        return;
    QMenu*& menu = tree == TreeView1 ? TreeView1PopupMenu : TreeView2PopupMenu;
    menu = nullptr;
    QTreeWidgetItem* node = tree->itemAt(x, y);
    if (node && button == Qt::RightButton) {
        menu = PopupMenu1;
        PopupTree = tree;
        PopupNode = node;
    }
}

// Rename: edit the node's text in place. A table node's text is the class
// name, a column node's the parameter name.
void TMainForm::M1Click()
{
    if (busy_ || !PopupTree || !PopupNode)
        return;
    PopupNode->setFlags(PopupNode->flags() | Qt::ItemIsEditable);
    PopupTree->editItem(PopupNode);
}

namespace {

std::vector<std::string> TextsExcept(const std::vector<QTreeWidgetItem*>& nodes,
                                     const QTreeWidgetItem* except)
{
    std::vector<std::string> texts;
    for (QTreeWidgetItem* n : nodes)
        if (n != except)
            texts.push_back(FromQt(n->text(0)));
    return texts;
}

}  // namespace

// Translate: the node's text, and its children's for a top-level node,
// become pinyin identifiers, suffixed where they would collide.
void TMainForm::N1Click()
{
    if (busy_ || !PopupTree || !PopupNode)
        return;
    QTreeWidgetItem* node = PopupNode;
    auto childrenOf = [](QTreeWidgetItem* parent) {
        std::vector<QTreeWidgetItem*> children;
        for (int i = 0; i < parent->childCount(); ++i)
            children.push_back(parent->child(i));
        return children;
    };
    if (QTreeWidgetItem* parent = node->parent()) {
        node->setText(0, ToQt(TranslatedColumnLabel(FromQt(node->text(0)),
                                                    TextsExcept(childrenOf(parent), node))));
        return;
    }
    std::vector<QTreeWidgetItem*> tops;
    for (QTreeWidget* tree : {TreeView1, TreeView2})
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            tops.push_back(tree->topLevelItem(i));
    std::string label = FromQt(node->text(0));
    std::vector<QTreeWidgetItem*> children = childrenOf(node);
    std::vector<std::string> columns = TextsExcept(children, nullptr);
    TranslateObjectLabels(label, columns, TextsExcept(tops, node));
    node->setText(0, ToQt(label));
    for (std::size_t i = 0; i < children.size(); ++i)
        children[i]->setText(0, ToQt(columns[i]));
}

void TMainForm::BitBtn2Click()
{
    if (busy_)
        return;
    BusyScope hold(this);
    Label4->hide();
    std::string host = FromQt(LabeledEdit1->text());
    std::string password = FromQt(LabeledEdit2->text());
    if (!DBData->Connect(!RadioButton1->isChecked(), host, password, "master"))
        return;
    ComboBox1->clear();
    NameList databases;
    bool listed = DBData->GetDatabaseList(databases);
    for (const std::string& name : databases)
        ComboBox1->addItem(ToQt(name));
    // The mark says the login worked only once the list has been read.
    if (listed)
        Label4->show();
    ComboBox1->setCurrentIndex(-1);
    for (std::size_t i = 0; i < databases.size(); ++i) {
        if (platform::SameTextIgnoreCase(databases[i], "NOLK")) {
            ComboBox1->setCurrentIndex(static_cast<int>(i));
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
    explicit TreeFill(TMainForm* form) : form_(form) {}

    void TreeStarted(bool tables) override
    {
        QLabel* label = LabelOf(tables);
        label->show();
        Say(label, U("正在获取数据表...          "));
    }
    void ObjectRead(bool tables, const SchemaObject& object, bool /*columnsRead*/) override
    {
        // Views may be renamed in place; tables through the popup only.
        bool editable = !tables;
        QTreeWidget* tree = tables ? form_->TreeView1 : form_->TreeView2;
        auto* node = new QTreeWidgetItem(tree, QStringList(ToQt(object.Name)));
        if (editable)
            node->setFlags(node->flags() | Qt::ItemIsEditable);
        Say(LabelOf(tables), U("正在更新数据表...          "));
        for (const SchemaColumn& column : object.Columns) {
            auto* child = new QTreeWidgetItem(node, QStringList(ToQt(column.Name)));
            if (editable)
                child->setFlags(child->flags() | Qt::ItemIsEditable);
            Say(LabelOf(tables), U("正在更新数据表字段...          "));
        }
    }
    void TreeDone(bool tables) override { Say(LabelOf(tables), U("更新完成.          ")); }

private:
    QLabel* LabelOf(bool tables) const { return tables ? form_->Label5 : form_->Label3; }
    static void Say(QLabel* label, const QString& text)
    {
        SetGrowingText(label, text);
        platform::ProcessMessages();
    }
    TMainForm* form_;
};

void TMainForm::SelectDatabase()
{
    Label5->hide();
    Label3->hide();
    TreeView1->clear();
    TreeView2->clear();
    TakeSchema(DatabaseSchema());
    if (ComboBox1->currentIndex() < 0)
        return;
    std::string host = FromQt(LabeledEdit1->text());
    std::string password = FromQt(LabeledEdit2->text());
    std::string database = FromQt(ComboBox1->currentText());
    if (!DBData->Connect(!RadioButton1->isChecked(), host, password, database))
        return;
    DatabaseSchema schema;
    TreeFill fill(this);
    ReadCatalog(*DBData, database, CatalogReadOptions{}, schema, &fill);
    TakeSchema(schema);
}

void TMainForm::TakeSchema(const DatabaseSchema& schema)
{
    Schema = schema;
    TableNames = ObjectNames(Schema.Tables);
    ViewNames = ObjectNames(Schema.Views);
    TableColumns = ColumnLists(Schema.Tables);
    ViewColumns = ColumnLists(Schema.Views);
}

DatabaseSchema TMainForm::LabelledSchema() const
{
    DatabaseSchema labelled = Schema;
    auto take = [](QTreeWidget* tree, SchemaObjects& objects) {
        // The nodes were made from the objects, one for one, and are only
        // ever renamed.
        for (std::size_t k = 0; k < objects.size(); ++k) {
            QTreeWidgetItem* node = tree->topLevelItem(static_cast<int>(k));
            objects[k].Label = FromQt(node->text(0));
            for (std::size_t i = 0; i < objects[k].Columns.size(); ++i)
                objects[k].Columns[i].Label = FromQt(node->child(static_cast<int>(i))->text(0));
        }
    };
    take(TreeView1, labelled.Tables);
    take(TreeView2, labelled.Views);
    return labelled;
}

void TMainForm::BitBtn1Click()
{
    if (busy_)
        return;
    BusyScope hold(this);
    RunInput input{static_cast<std::size_t>(ComboBox1->count()), LabelledSchema()};
    WindowRunHost host(this);
    GenerateAll(input, OutputTree(ProgramFolder), *DBData, host);
}

void TMainForm::BitBtn3Click()
{
    if (busy_)
        return;
    std::string initial = FromQt(LabeledEdit3->text());
    std::string result = EditConnectionString ? EditConnectionString(initial) : initial;
    if (!result.empty())
        LabeledEdit3->setText(ToQt(result));
}
