// The forms layer on Qt Widgets: forms and their controls.

#include "FormsQt.h"

#include "platform/Text.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QVBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>

#include <QResizeEvent>

#include <functional>

namespace platform {

QString ToQt(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

std::string FromQt(const QString& text)
{
    return text.toStdString();
}

namespace {

const char* const kControlProperty = "pellamControl";

}  // namespace

// ---------------------------------------------------------------- controls

TControl::TControl(TWinControl* parent, std::unique_ptr<Impl> impl)
    : parent_(parent), impl_(std::move(impl))
{
    impl_->Widget->setProperty(kControlProperty, QVariant::fromValue(static_cast<void*>(this)));
    if (parent_)
        parent_->children_.push_back(this);
}

TControl::~TControl()
{
    // A child's widget goes with its parent's; a form deletes its own.
    if (!parent_)
        delete impl_->Widget;
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    impl_->Widget->setGeometry(left, top, width, height);
}

TRect TControl::Bounds() const
{
    QRect r = impl_->Widget->geometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

void TControl::SetEnabled(bool enabled)
{
    impl_->Widget->setEnabled(enabled);
}
bool TControl::Enabled() const
{
    return impl_->Widget->isEnabled();
}
// A disabled container greys its widgets itself.
bool TControl::LooksEnabled() const
{
    return impl_->Widget->isEnabled();
}
void TControl::Show()
{
    impl_->Widget->show();
}
void TControl::Hide()
{
    impl_->Widget->hide();
}
bool TControl::Visible() const
{
    return impl_->Widget->isVisible();
}
void TControl::SetHint(const std::string& hint)
{
    impl_->Widget->setToolTip(ToQt(hint));
}
std::string TControl::Hint() const
{
    return FromQt(impl_->Widget->toolTip());
}

void TControl::SetColor(TColor color)
{
    QWidget* w = impl_->Widget;
    if (w->palette().color(QPalette::Window) == ToQColor(color))
        return;
    QPalette p = w->palette();
    p.setColor(QPalette::Window, ToQColor(color));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

TColor TControl::Color() const
{
    QColor c = impl_->Widget->palette().color(QPalette::Window);
    return {static_cast<unsigned char>(c.red()), static_cast<unsigned char>(c.green()),
            static_cast<unsigned char>(c.blue()), static_cast<unsigned char>(c.alpha())};
}

void TControl::SetFontColor(TColor color)
{
    QPalette p = impl_->Widget->palette();
    p.setColor(QPalette::WindowText, ToQColor(color));
    impl_->Widget->setPalette(p);
}

void SetTabOrder(const std::vector<TControl*>& controls)
{
    for (std::size_t i = 0; i + 1 < controls.size(); ++i)
        QWidget::setTabOrder(controls[i]->impl()->Widget, controls[i + 1]->impl()->Widget);
}

TControl* NextInTabOrder(TControl* from)
{
    QWidget* start = from->impl()->Widget;
    for (QWidget* w = start->nextInFocusChain(); w && w != start; w = w->nextInFocusChain()) {
        void* control = w->property(kControlProperty).value<void*>();
        if (control && (w->focusPolicy() & Qt::TabFocus))
            return static_cast<TControl*>(control);
    }
    return from;
}

// ------------------------------------------------------------------- forms

namespace {

// A form's window: the main window, or a dialog of its owner's. Both tell
// the form when they paint.
template <typename Base> class FormWidget : public Base {
public:
    FormWidget(QWidget* owner, std::function<void()>* onPaint, std::function<void()>* onResize)
        : Base(owner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
          onPaint_(onPaint), onResize_(onResize)
    {
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (*onPaint_)
            (*onPaint_)();
        Base::paintEvent(event);
    }
    void resizeEvent(QResizeEvent* event) override
    {
        Base::resizeEvent(event);
        if (*onResize_)
            (*onResize_)();
    }

private:
    std::function<void()>* onPaint_;
    std::function<void()>* onResize_;
};

}  // namespace

TForm::TForm(const std::string& caption, TForm* owner)
    : TWinControl(nullptr,
                  std::unique_ptr<Impl>(new Impl{
                      owner ? static_cast<QWidget*>(new FormWidget<QDialog>(owner->impl()->Widget,
                                                                            &OnPaint, &OnResize))
                            : new FormWidget<QWidget>(nullptr, &OnPaint, &OnResize)}))
{
    impl()->Widget->setWindowTitle(ToQt(caption));
}

std::string TForm::Caption() const
{
    return FromQt(impl()->Widget->windowTitle());
}

void TForm::SetFixedClientSize(int width, int height)
{
    impl()->Widget->setFixedSize(width, height);
}

void TForm::SetResizableClientSize(int width, int height, int minWidth, int minHeight)
{
    QWidget* w = impl()->Widget;
    w->setWindowFlags((w->windowFlags() & ~Qt::MSWindowsFixedSizeDialogHint) |
                      Qt::WindowMaximizeButtonHint);
    w->setMinimumSize(minWidth, minHeight);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    w->resize(width, height);
}

int TForm::ClientWidth() const
{
    return impl()->Widget->width();
}

int TForm::ClientHeight() const
{
    return impl()->Widget->height();
}

void TForm::MoveTo(int left, int top)
{
    impl()->Widget->move(left, top);
}

void TForm::FitOnScreen()
{
    QWidget* w = impl()->Widget;
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect area = screen->availableGeometry();
    // The frame the window manager adds; before the form is shown it is not
    // known yet, and a title bar and borders of common size are allowed.
    int frameWidth = w->frameGeometry().width() - w->width();
    int frameHeight = w->frameGeometry().height() - w->height();
    if (!w->isVisible() || frameHeight <= 0) {
        frameWidth = 16;
        frameHeight = 40;
    }
    int width = std::max(w->minimumWidth(), std::min(w->width(), area.width() - frameWidth));
    int height = std::max(w->minimumHeight(), std::min(w->height(), area.height() - frameHeight));
    if (width != w->width() || height != w->height())
        w->resize(width, height);
    int x = std::max(area.left(), std::min(w->x(), area.right() + 1 - width - frameWidth));
    int y = std::max(area.top(), std::min(w->y(), area.bottom() + 1 - height - frameHeight));
    if (x != w->x() || y != w->y())
        w->move(x, y);
}

void TForm::SetMaximized(bool maximized)
{
    QWidget* w = impl()->Widget;
    Qt::WindowStates state = w->windowState();
    w->setWindowState(maximized ? (state | Qt::WindowMaximized) : (state & ~Qt::WindowMaximized));
}

bool TForm::Maximized() const
{
    return impl()->Widget->windowState().testFlag(Qt::WindowMaximized);
}

void TForm::RestoredClientSize(int& width, int& height) const
{
    QWidget* w = impl()->Widget;
    QRect normal = w->normalGeometry();
    bool known = Maximized() && normal.isValid() && !normal.isEmpty();
    width = known ? normal.width() : w->width();
    height = known ? normal.height() : w->height();
}

void TForm::SetFont(const std::string& name, int pixelSize)
{
    QFont font(ToQt(name));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    impl()->Widget->setFont(font);
}

void TForm::ShowForm()
{
    impl()->Widget->show();
}
void TForm::Close()
{
    impl()->Widget->close();
}
void TForm::Repaint()
{
    impl()->Widget->repaint();
}
bool TForm::ShowModal()
{
    auto* dialog = qobject_cast<QDialog*>(impl()->Widget);
    return dialog && dialog->exec() == QDialog::Accepted;
}

void TForm::EndModal(bool ok)
{
    if (auto* dialog = qobject_cast<QDialog*>(impl()->Widget))
        ok ? dialog->accept() : dialog->reject();
}

TPanel::TPanel(TWinControl* parent, int left, int top, int width, int height)
    : TWinControl(parent, Make<QWidget>(parent))
{
    SetBounds(left, top, width, height);
    impl()->Widget->setAutoFillBackground(true);
}

TBevel::TBevel(TWinControl* parent, Shape shape, int left, int top, int width, int height)
    : TControl(parent, Make<QFrame>(parent))
{
    auto* frame = As<QFrame>(this);
    SetBounds(left, top, width, height);
    if (shape == bsFrame) {
        frame->setFrameShape(QFrame::Box);
        frame->setFrameShadow(QFrame::Sunken);
    } else {
        // A line along the top edge, as wide as the bevel at every size.
        frame->setFrameShape(QFrame::NoFrame);
        auto* line = new QFrame(frame);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        auto* layout = new QVBoxLayout(frame);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(line);
        layout->addStretch();
    }
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
}

TLabel::TLabel(TWinControl* parent, const std::string& caption, int left, int top, int width,
               int height)
    : TControl(parent, Make<QLabel>(parent, ToQt(caption)))
{
    SetBounds(left, top, width, height);
}

void TLabel::SetCaption(const std::string& caption)
{
    As<QLabel>(this)->setText(ToQt(caption));
}
std::string TLabel::Caption() const
{
    return FromQt(As<QLabel>(this)->text());
}
int TLabel::TextWidth() const
{
    return As<QLabel>(this)->sizeHint().width();
}

TRadioButton::TRadioButton(TWinControl* parent, const std::string& caption, int left, int top,
                           int width, int height)
    : TControl(parent, Make<QRadioButton>(parent, ToQt(caption)))
{
    SetBounds(left, top, width, height);
    QObject::connect(As<QRadioButton>(this), &QRadioButton::clicked, [this] {
        if (OnClick)
            OnClick();
    });
}

bool TRadioButton::Checked() const
{
    return As<QRadioButton>(this)->isChecked();
}
void TRadioButton::SetChecked(bool checked)
{
    As<QRadioButton>(this)->setChecked(checked);
}
void TRadioButton::Click()
{
    As<QRadioButton>(this)->click();
}

TCheckBox::TCheckBox(TWinControl* parent, const std::string& caption, int left, int top, int width,
                     int height)
    : TControl(parent, Make<QCheckBox>(parent, ToQt(caption)))
{
    SetBounds(left, top, width, height);
    QObject::connect(As<QCheckBox>(this), &QCheckBox::clicked, [this] {
        if (OnClick)
            OnClick();
    });
}

void TCheckBox::Click()
{
    As<QCheckBox>(this)->click();
}

bool TCheckBox::Checked() const
{
    return As<QCheckBox>(this)->isChecked();
}
void TCheckBox::SetChecked(bool checked)
{
    As<QCheckBox>(this)->setChecked(checked);
}

namespace {

// Masks a password with '*', as the platform's edits do.
class StarPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == QStyle::SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

namespace {

// Enter on a focused button clicks it.
class EnterClicks : public QObject {
public:
    explicit EnterClicks(QPushButton* button) : QObject(button), button_(button) { }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        if (button_->isEnabled())
            button_->click();
        return true;
    }

private:
    QPushButton* button_;
};

}  // namespace

TMemo::TMemo(TWinControl* parent, int left, int top, int width, int height)
    : TControl(parent, Make<QPlainTextEdit>(parent))
{
    SetBounds(left, top, width, height);
    auto* edit = As<QPlainTextEdit>(this);
    edit->setReadOnly(true);
    edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void TMemo::SetText(const std::string& text)
{
    As<QPlainTextEdit>(this)->setPlainText(ToQt(text));
}

std::string TMemo::Text() const
{
    return FromQt(As<QPlainTextEdit>(this)->toPlainText());
}

void PressKey(TControl* control, TKey key, bool shift)
{
    int code = key == TKey::Enter    ? Qt::Key_Return
               : key == TKey::Escape ? Qt::Key_Escape
                                     : Qt::Key_F10;
    QKeyEvent press(QEvent::KeyPress, code, shift ? Qt::ShiftModifier : Qt::NoModifier);
    QApplication::sendEvent(control->impl()->Widget, &press);
}

std::string ChooseSaveFile(TForm* owner, const std::string& caption,
                           const std::string& suggestedName)
{
    return FromQt(QFileDialog::getSaveFileName(owner ? owner->impl()->Widget : nullptr,
                                               ToQt(caption), ToQt(suggestedName)));
}

TEdit::TEdit(TWinControl* parent, int left, int top, int width, int height)
    : TControl(parent, Make<QLineEdit>(parent))
{
    SetBounds(left, top, width, height);
    static StarPasswordStyle* star = new StarPasswordStyle;
    As<QLineEdit>(this)->setStyle(star);
    QObject::connect(As<QLineEdit>(this), &QLineEdit::returnPressed, [this] {
        if (OnEnter)
            OnEnter();
    });
}

std::string TEdit::Text() const
{
    return FromQt(As<QLineEdit>(this)->text());
}
void TEdit::SetText(const std::string& text)
{
    As<QLineEdit>(this)->setText(ToQt(text));
}
void TEdit::SetPassword(bool password)
{
    As<QLineEdit>(this)->setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
}
bool TEdit::Password() const
{
    return As<QLineEdit>(this)->echoMode() == QLineEdit::Password;
}
void TEdit::SetReadOnly(bool readOnly)
{
    As<QLineEdit>(this)->setReadOnly(readOnly);
}
bool TEdit::ReadOnly() const
{
    return As<QLineEdit>(this)->isReadOnly();
}
void TEdit::PressEnter()
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(impl()->Widget, &press);
    QApplication::sendEvent(impl()->Widget, &release);
}

TButton::TButton(TWinControl* parent, const std::string& caption, int left, int top, int width,
                 int height)
    : TControl(parent, Make<QPushButton>(parent, ToQt(caption)))
{
    SetBounds(left, top, width, height);
    QObject::connect(As<QPushButton>(this), &QPushButton::clicked, [this] {
        if (OnClick)
            OnClick();
    });
    // Enter presses a focused button, as Space does (Qt gives Enter to
    // buttons in dialogs only).
    As<QPushButton>(this)->installEventFilter(new EnterClicks(As<QPushButton>(this)));
}

std::string TButton::Caption() const
{
    return FromQt(As<QPushButton>(this)->text());
}
namespace {

// A left click in the middle of a widget, through the application's event
// handling as the user's would go.
void ClickWidget(QWidget* w)
{
    QPointF at = QRectF(w->rect()).center();
    QPointF global = w->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

}  // namespace

void TButton::Click()
{
    ClickWidget(impl()->Widget);
}

TBitBtn::TBitBtn(TWinControl* parent, const std::string& caption, Kind kind, int left, int top,
                 int width, int height)
    : TButton(parent, caption, left, top, width, height), glyph_(StockGlyph(kind))
{
    As<QPushButton>(this)->setIcon(QIcon(QPixmap::fromImage(glyph_.impl_->Image)));
}

TComboBox::TComboBox(TWinControl* parent, int left, int top, int width, int height, bool editable)
    : TControl(parent, Make<QComboBox>(parent))
{
    SetBounds(left, top, width, height);
    As<QComboBox>(this)->setEditable(editable);
    QObject::connect(As<QComboBox>(this), &QComboBox::activated, [this](int) {
        if (OnSelect)
            OnSelect();
    });
}

void TComboBox::Clear()
{
    As<QComboBox>(this)->clear();
}
void TComboBox::Add(const std::string& item)
{
    As<QComboBox>(this)->addItem(ToQt(item));
}
int TComboBox::Count() const
{
    return As<QComboBox>(this)->count();
}
std::string TComboBox::Item(int index) const
{
    return FromQt(As<QComboBox>(this)->itemText(index));
}
int TComboBox::ItemIndex() const
{
    return As<QComboBox>(this)->currentIndex();
}
void TComboBox::SetItemIndex(int index)
{
    As<QComboBox>(this)->setCurrentIndex(index);
}
std::string TComboBox::Text() const
{
    return FromQt(As<QComboBox>(this)->currentText());
}
void TComboBox::SetText(const std::string& text)
{
    As<QComboBox>(this)->setEditText(ToQt(text));
}
void TComboBox::Choose(int index)
{
    if (!Enabled())
        return;
    SetItemIndex(index);
    emit As<QComboBox>(this)->activated(index);
}

TListBox::TListBox(TWinControl* parent, int left, int top, int width, int height)
    : TControl(parent, Make<QListWidget>(parent))
{
    SetBounds(left, top, width, height);
}

void TListBox::Add(const std::string& item)
{
    As<QListWidget>(this)->addItem(ToQt(item));
}
int TListBox::ItemIndex() const
{
    return As<QListWidget>(this)->currentRow();
}
void TListBox::SetItemIndex(int index)
{
    As<QListWidget>(this)->setCurrentRow(index);
}

TSpinEdit::TSpinEdit(TWinControl* parent, int left, int top, int width, int height, int minimum,
                     int maximum)
    : TControl(parent, Make<QSpinBox>(parent))
{
    SetBounds(left, top, width, height);
    As<QSpinBox>(this)->setRange(minimum, maximum);
}

int TSpinEdit::Value() const
{
    return As<QSpinBox>(this)->value();
}
void TSpinEdit::SetValue(int value)
{
    As<QSpinBox>(this)->setValue(value);
}

TStringGrid::TStringGrid(TWinControl* parent, int left, int top, int width, int height,
                         const std::vector<std::string>& header)
    : TControl(parent, Make<QTableWidget>(parent, 0, static_cast<int>(header.size())))
{
    SetBounds(left, top, width, height);
    QStringList labels;
    for (const std::string& h : header)
        labels << ToQt(h);
    auto* table = As<QTableWidget>(this);
    table->setHorizontalHeaderLabels(labels);
    table->horizontalHeader()->setStretchLastSection(true);
}

int TStringGrid::RowCount() const
{
    return As<QTableWidget>(this)->rowCount();
}
void TStringGrid::SetRowCount(int rows)
{
    As<QTableWidget>(this)->setRowCount(rows);
}
std::string TStringGrid::Cell(int column, int row) const
{
    QTableWidgetItem* item = As<QTableWidget>(this)->item(row, column);
    return item ? FromQt(item->text()) : std::string();
}
void TStringGrid::SetCell(int column, int row, const std::string& text)
{
    As<QTableWidget>(this)->setItem(row, column, new QTableWidgetItem(ToQt(text)));
}

TPageControl::TPageControl(TWinControl* parent, int left, int top, int width, int height)
    : TWinControl(parent, Make<QTabWidget>(parent))
{
    SetBounds(left, top, width, height);
    QObject::connect(As<QTabWidget>(this), &QTabWidget::currentChanged, [this](int page) {
        if (OnChange)
            OnChange(page);
    });
}

TTabSheet::TTabSheet(TWinControl* parent, std::unique_ptr<Impl> impl)
    : TWinControl(parent, std::move(impl))
{
}

TTabSheet* TPageControl::AddPage(const std::string& caption)
{
    auto* page = new TTabSheet(this, std::unique_ptr<Impl>(new Impl{new QWidget}));
    As<QTabWidget>(this)->addTab(page->impl()->Widget, ToQt(caption));
    return page;
}

int TPageControl::PageCount() const
{
    return As<QTabWidget>(this)->count();
}
std::string TPageControl::PageCaption(int index) const
{
    return FromQt(As<QTabWidget>(this)->tabText(index));
}
int TPageControl::PageIndex() const
{
    return As<QTabWidget>(this)->currentIndex();
}
void TPageControl::SetPageIndex(int index)
{
    As<QTabWidget>(this)->setCurrentIndex(index);
}

}  // namespace platform
