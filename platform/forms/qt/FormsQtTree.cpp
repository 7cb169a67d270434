// The forms layer on Qt Widgets: trees, popup menus and images.

#include "FormsQt.h"

#include "platform/Text.h"

#include <QAbstractItemDelegate>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidget>

#include <functional>

namespace platform {

struct TPopupMenu::Impl {
    QMenu* Menu;
};

TPopupMenu::TPopupMenu(TForm* owner) : impl_(new Impl{new QMenu(owner->impl()->Widget)})
{
}
TPopupMenu::~TPopupMenu() = default;

TMenuItem* TPopupMenu::Add(const std::string& caption)
{
    items_.push_back(std::make_unique<TMenuItem>());
    TMenuItem* item = items_.back().get();
    item->Caption = caption;
    QAction* action = impl_->Menu->addAction(ToQt(caption));
    QObject::connect(action, &QAction::triggered, [item] { item->Click(); });
    return item;
}

void TPopupMenu::Popup(TControl* over, int x, int y)
{
    QWidget* w = over->impl()->Widget;
    if (auto* tree = qobject_cast<QTreeWidget*>(w))
        w = tree->viewport();
    impl_->Menu->popup(w->mapToGlobal(QPoint(x, y)));
}

bool TPopupMenu::Visible() const
{
    return impl_->Menu->isVisible();
}
void TPopupMenu::CloseUp()
{
    impl_->Menu->close();
}

// -------------------------------------------------------------------- trees

namespace {

QTreeWidgetItem* ItemOf(void* handle)
{
    return static_cast<QTreeWidgetItem*>(handle);
}

// Reports mouse presses on the tree's viewport, and hands context requests
// to the tree.
class TreeEvents : public QObject {
public:
    explicit TreeEvents(TTreeView* tree) : tree_(tree) { }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            QPoint at = mouse->position().toPoint();
            TMouseButton button = mouse->button() == Qt::RightButton    ? mbRight
                                  : mouse->button() == Qt::MiddleButton ? mbMiddle
                                                                        : mbLeft;
            if (tree_->OnMouseDown)
                tree_->OnMouseDown(button, at.x(), at.y());
        }
        return false;
    }

private:
    TTreeView* tree_;
};

// The tree's own keys: F2 renames; a context request from the keyboard
// acts on the selected node.
class TreeKeys : public QObject {
public:
    explicit TreeKeys(TTreeView* tree) : tree_(tree) { }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2 && !tree_->Editing()) {
            tree_->RenameKey();
            return true;
        }
        if (event->type() == QEvent::ContextMenu &&
            static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
            tree_->ContextKey();
            return true;
        }
        // Shift+F10, which X11 does not turn into a context request as it
        // does the menu key.
        if (event->type() == QEvent::KeyPress && !tree_->Editing()) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_F10 && (key->modifiers() & Qt::ShiftModifier)) {
                tree_->ContextKey();
                return true;
            }
        }
        return false;
    }

private:
    TTreeView* tree_;
};

}  // namespace

TTreeNode::TTreeNode(TTreeView* tree, TTreeNode* parent, void* handle)
    : tree_(tree), parent_(parent), handle_(handle)
{
}

// A node keeps its text as well as its item does: a run reads every
// node's text, and converting tens of thousands of them back from Qt's
// strings each time is what it would cost. An edit by the user reaches it
// through the tree's itemChanged.
namespace {
bool settingText = false;

void Remember(QTreeWidgetItem* item, TTreeNode* node)
{
    item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(node)));
}
}  // namespace

std::string TTreeNode::Text() const
{
    return text_;
}
void TTreeNode::SetText(const std::string& text)
{
    text_ = text;
    settingText = true;
    ItemOf(handle_)->setText(0, ToQt(text));
    settingText = false;
}

void TTreeNode::SetHint(const std::string& hint)
{
    hint_ = hint;
    ItemOf(handle_)->setToolTip(0, ToQt(hint));
}

TTreeNode* TTreeNode::AddChild(const std::string& text)
{
    auto* item = new QTreeWidgetItem(ItemOf(handle_), QStringList(ToQt(text)));
    if (!tree_->ReadOnly())
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    children_.push_back(std::unique_ptr<TTreeNode>(new TTreeNode(tree_, this, item)));
    children_.back()->text_ = text;
    settingText = true;
    Remember(item, children_.back().get());
    settingText = false;
    return children_.back().get();
}

void TTreeNode::EditText()
{
    QTreeWidgetItem* item = ItemOf(handle_);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    tree_->Select(this);
    As<QTreeWidget>(tree_)->scrollToItem(item);
    As<QTreeWidget>(tree_)->editItem(item);
}

void TTreeNode::Expand()
{
    As<QTreeWidget>(tree_)->expandItem(ItemOf(handle_));
}

TTreeView::TTreeView(TWinControl* parent, int left, int top, int width, int height)
    : TControl(parent, Make<QTreeWidget>(parent))
{
    auto* tree = As<QTreeWidget>(this);
    SetBounds(left, top, width, height);
    // A border of its own: the style's frame, a one-pixel line at the
    // widget's last pixel, falls between device pixels at 150 % and is
    // lost on the right and at the foot.
    tree->setStyleSheet("QTreeWidget { border: 1px solid palette(mid); }");
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    tree->viewport()->installEventFilter(new TreeEvents(this));
    tree->installEventFilter(new TreeKeys(this));
    QObject::connect(tree, &QTreeWidget::currentItemChanged, [this] {
        if (OnChange)
            OnChange();
    });
    QObject::connect(tree, &QWidget::customContextMenuRequested,
                     [this](const QPoint& at) { ContextPopup(at.x(), at.y()); });
    // A text the user typed in place: the node learns it.
    QObject::connect(tree, &QTreeWidget::itemChanged, [](QTreeWidgetItem* item, int column) {
        if (settingText || column != 0)
            return;
        if (auto* node = static_cast<TTreeNode*>(item->data(0, Qt::UserRole).value<void*>()))
            node->text_ = FromQt(item->text(0));
    });
    SetReadOnly(true);
}

void TTreeView::Clear()
{
    As<QTreeWidget>(this)->clear();
    nodes_.clear();
}

void TTreeView::BeginUpdate()
{
    As<QTreeWidget>(this)->setUpdatesEnabled(false);
}

void TTreeView::EndUpdate()
{
    As<QTreeWidget>(this)->setUpdatesEnabled(true);
}

TTreeNode* TTreeView::Add(const std::string& text)
{
    auto* item = new QTreeWidgetItem(As<QTreeWidget>(this), QStringList(ToQt(text)));
    if (!ReadOnly())
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    nodes_.push_back(std::unique_ptr<TTreeNode>(new TTreeNode(this, nullptr, item)));
    nodes_.back()->text_ = text;
    settingText = true;
    Remember(item, nodes_.back().get());
    settingText = false;
    return nodes_.back().get();
}

void TTreeView::SetReadOnly(bool readOnly)
{
    As<QTreeWidget>(this)->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                                                    : QAbstractItemView::DoubleClicked |
                                                          QAbstractItemView::EditKeyPressed |
                                                          QAbstractItemView::SelectedClicked);
}

bool TTreeView::ReadOnly() const
{
    return As<QTreeWidget>(this)->editTriggers() == QAbstractItemView::NoEditTriggers;
}

namespace {

// The open in-place editor; a closed one lingers hidden until deleted.
QLineEdit* OpenEditor(QTreeWidget* tree)
{
    for (QLineEdit* editor : tree->findChildren<QLineEdit*>())
        if (editor->isVisible())
            return editor;
    return nullptr;
}

}  // namespace

bool TTreeView::Editing() const
{
    return OpenEditor(As<QTreeWidget>(this)) != nullptr;
}

bool TTreeView::FinishEditing(const std::string& text)
{
    auto* tree = As<QTreeWidget>(this);
    QLineEdit* editor = OpenEditor(tree);
    if (!editor)
        return false;
    editor->setText(ToQt(text));
    // What the delegate does on Enter: hand the editor's data to the view.
    QMetaObject::invokeMethod(tree, "commitData", Q_ARG(QWidget*, editor));
    QMetaObject::invokeMethod(tree, "closeEditor", Q_ARG(QWidget*, editor),
                              Q_ARG(QAbstractItemDelegate::EndEditHint,
                                    QAbstractItemDelegate::NoHint));
    return true;
}

void TTreeView::SetIndent(int pixels)
{
    As<QTreeWidget>(this)->setIndentation(pixels);
}

TTreeNode* TTreeView::GetNodeAt(int x, int y) const
{
    QTreeWidgetItem* at = As<QTreeWidget>(this)->itemAt(x, y);
    return at ? NodeOf(at) : nullptr;
}

TTreeNode* TTreeView::Selected() const
{
    QTreeWidgetItem* current = As<QTreeWidget>(this)->currentItem();
    return current ? NodeOf(current) : nullptr;
}

void TTreeView::Select(TTreeNode* node)
{
    As<QTreeWidget>(this)->setCurrentItem(ItemOf(node->handle_));
}

void TTreeView::NodePoint(TTreeNode* node, int& x, int& y) const
{
    QPoint c = As<QTreeWidget>(this)->visualItemRect(ItemOf(node->handle_)).center();
    x = c.x();
    y = c.y();
}

TImage::TImage(TWinControl* parent, int left, int top, int width, int height)
    : TControl(parent, Make<QLabel>(parent))
{
    SetBounds(left, top, width, height);
    As<QLabel>(this)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TImage::SetPicture(const TBitmap& picture)
{
    As<QLabel>(this)->setPixmap(QPixmap::fromImage(picture.impl_->Image));
}

int TImage::PictureWidth() const
{
    return As<QLabel>(this)->pixmap().width();
}
int TImage::PictureHeight() const
{
    return As<QLabel>(this)->pixmap().height();
}

}  // namespace platform
