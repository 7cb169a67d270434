#include "Forms.h"

#include <QLibraryInfo>
#include <QLocale>

#include "Text.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QProxyStyle>
#include <QStyle>

#include <exception>

namespace platform {

QString ToQt(const std::string& gbk)
{
    std::string utf8;
    if (!TryGbkToUtf8(gbk, utf8))
        utf8 = gbk;
    return QString::fromStdString(utf8);
}

std::string FromQt(const QString& text)
{
    std::string gbk;
    if (!TryUtf8ToGbk(text.toStdString(), gbk))
        throw TextConversionError(Gbk("文本含有 GBK 无法表示的字符"));
    return gbk;
}

int QtMessageBoxService::MessageBox(const std::string& text, const std::string& caption, int flags)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(ToQt(caption));
    box.setText(ToQt(text));
    switch (flags & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    if ((flags & 0x0F) == MB_YESNO) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return IDOK;
}

TFormsApplication::TFormsApplication(int& argc, char** argv)
    : QApplication(argc, argv), previous_(Application.SetMessageBoxService(&service_))
{
    // The standard buttons (Yes, No, OK, Cancel) in Simplified Chinese, as
    // the rest of the interface; without the file they stay English.
    if (translator_.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&translator_);
}

TFormsApplication::~TFormsApplication()
{
    Application.SetMessageBoxService(previous_);
}

void TFormsApplication::ShowException(const std::string& message)
{
    Application.MessageBox(message, Gbk("Pellam"), MB_OK | MB_ICONERROR);
}

bool TFormsApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const Exception& e) {
        ShowException(e.Message);
    } catch (const std::exception&) {
        ShowException(std::string());
    }
    return true;
}

namespace {

std::function<void()>& Hook()
{
    static std::function<void()> hook;
    return hook;
}

}  // namespace

void SetProcessMessagesHook(std::function<void()> hook)
{
    Hook() = std::move(hook);
}

void ProcessMessages()
{
    static QElapsedTimer sinceLast;
    if (Hook())
        Hook()();
    if (!sinceLast.isValid() || sinceLast.elapsed() >= 16) {
        QApplication::processEvents();
        sinceLast.restart();
    }
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

TLabeledEdit::TLabeledEdit(QWidget* parent, const QString& caption, int left, int top, int width,
                           int height, int labelWidth, LabelPosition position)
    : QLineEdit(parent), EditLabel(new QLabel(caption, parent))
{
    setGeometry(left, top, width, height);
    if (position == lpAbove)
        EditLabel->setGeometry(left, top - 3 - 13, labelWidth, 13);
    else
        EditLabel->setGeometry(left - 3 - labelWidth, top + (height - 13) / 2, labelWidth, 13);
    EditLabel->setBuddy(this);
    static StarPasswordStyle* star = new StarPasswordStyle;
    setStyle(star);
}

void TLabeledEdit::setEnabled(bool on)
{
    QLineEdit::setEnabled(on);
    EditLabel->setEnabled(on);
}

TBevel::TBevel(QWidget* parent, Shape shape, int left, int top, int width, int height)
    : QFrame(parent)
{
    setGeometry(left, top, width, height);
    if (shape == bsFrame) {
        setFrameShape(QFrame::Box);
        setFrameShadow(QFrame::Sunken);
    } else {
        // A line along the top edge.
        setFrameShape(QFrame::NoFrame);
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        line->setGeometry(0, 0, width, 2);
    }
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

TBitBtn::TBitBtn(QWidget* parent, const QString& caption, Kind kind, int left, int top, int width,
                 int height)
    : QPushButton(caption, parent)
{
    setGeometry(left, top, width, height);
    setIcon(style()->standardIcon(kind == bkOK ? QStyle::SP_DialogOkButton
                                               : QStyle::SP_DialogHelpButton));
}

}  // namespace platform
