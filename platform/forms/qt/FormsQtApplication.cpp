// The forms layer on Qt Widgets: the application, pictures, the message
// pump, the cursor and the shell.

#include "FormsQt.h"

#include "platform/Text.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>
#include <QUrl>

#include <exception>
#include <functional>

namespace platform {

// ---------------------------------------------------------------- picture

TBitmap::TBitmap(int width, int height)
    : impl_(new Impl{QImage(width, height, QImage::Format_ARGB32)})
{
    impl_->Image.fill(Qt::black);
}
TBitmap::TBitmap(const TBitmap& other) : impl_(new Impl{other.impl_->Image})
{
}
TBitmap& TBitmap::operator=(const TBitmap& other)
{
    impl_->Image = other.impl_->Image;
    return *this;
}
TBitmap::~TBitmap() = default;
int TBitmap::Width() const
{
    return impl_->Image.width();
}
int TBitmap::Height() const
{
    return impl_->Image.height();
}

void TBitmap::FillGradient(TColor from, TColor to)
{
    QPainter p(&impl_->Image);
    QLinearGradient g(0, 0, Width(), Height());
    g.setColorAt(0, ToQColor(from));
    g.setColorAt(1, ToQColor(to));
    p.fillRect(impl_->Image.rect(), g);
}

void TBitmap::SetPixel(int x, int y, TColor color)
{
    impl_->Image.setPixelColor(x, y, ToQColor(color));
}

TColor TBitmap::Pixel(int x, int y) const
{
    QColor c = impl_->Image.pixelColor(x, y);
    return {static_cast<unsigned char>(c.red()), static_cast<unsigned char>(c.green()),
            static_cast<unsigned char>(c.blue()), static_cast<unsigned char>(c.alpha())};
}

void TBitmap::Line(int x1, int y1, int x2, int y2, TColor color)
{
    QPainter p(&impl_->Image);
    p.setPen(ToQColor(color));
    p.drawLine(x1, y1, x2, y2);
}

void TBitmap::Text(const TRect& box, const std::string& text, const std::string& font,
                   int pixelSize, bool bold, TColor color)
{
    QPainter p(&impl_->Image);
    QFont f(ToQt(font));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    p.setFont(f);
    p.setPen(ToQColor(color));
    p.drawText(QRect(box.Left, box.Top, box.Width, box.Height), Qt::AlignLeft | Qt::AlignVCenter,
               ToQt(text));
}

TBitmap TBitmap::Part(const TRect& part, int width, int height) const
{
    TBitmap out(width, height);
    out.impl_->Image = impl_->Image.copy(part.Left, part.Top, part.Width, part.Height)
                           .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return out;
}

bool TBitmap::SavePng(const std::string& path) const
{
    return impl_->Image.save(ToQt(path), "PNG");
}

// ------------------------------------------------------------- application

namespace {

// The message box of the application object as a Qt dialog.
class QtMessageBoxService : public MessageBoxService {
public:
    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(ToQt(caption));
        box.setText(ToQt(text));
        // A report of many lines can be selected and copied.
        box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        // Room between the text and the box's right edge.
        box.setStyleSheet("QLabel#qt_msgbox_label { margin-right: 12px; }");
        switch (flags & 0xF0) {
        case MB_ICONERROR:
            box.setIcon(QMessageBox::Critical);
            break;
        case MB_ICONQUESTION:
            box.setIcon(QMessageBox::Question);
            break;
        case MB_ICONWARNING:
            box.setIcon(QMessageBox::Warning);
            break;
        case MB_ICONINFORMATION:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            break;
        }
        if ((flags & 0x0F) == MB_YESNO) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return IDOK;
    }
};

class QtApplication : public QApplication {
public:
    QtApplication(int& argc, char** argv) : QApplication(argc, argv) { }
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const Exception& e) {
            TFormsApplication::ShowException(e.Message);
        } catch (const std::exception&) {
            TFormsApplication::ShowException(std::string());
        }
        return true;
    }
};

}  // namespace

struct TFormsApplication::Impl {
    Impl(int& argc, char** argv) : App(argc, argv) { }
    QtApplication App;
    QtMessageBoxService Service;
    MessageBoxService* Previous = nullptr;
    QTranslator Translator;
};

TFormsApplication::TFormsApplication(int& argc, char** argv) : impl_(new Impl(argc, argv))
{
    impl_->Previous = platform::Application.SetMessageBoxService(&impl_->Service);
    // The standard buttons (Yes, No, OK, Cancel) in Simplified Chinese, as
    // the rest of the interface; without the file they stay English.
    if (impl_->Translator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                               QStringLiteral("_"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        impl_->App.installTranslator(&impl_->Translator);
}

TFormsApplication::~TFormsApplication()
{
    platform::Application.SetMessageBoxService(impl_->Previous);
}

int TFormsApplication::Run()
{
    return impl_->App.exec();
}

std::string TFormsApplication::YesCaption()
{
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    return FromQt(box.button(QMessageBox::Yes)->text());
}

std::string TFormsApplication::NoCaption()
{
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    return FromQt(box.button(QMessageBox::No)->text());
}

void ProcessMessages()
{
    static QElapsedTimer sinceLast;
    RunProcessMessagesHook();
    if (!sinceLast.isValid() || sinceLast.elapsed() >= 16) {
        QApplication::processEvents();
        sinceLast.restart();
    }
}

void ProcessMessagesFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void SetWaitCursor(bool waiting)
{
    if (waiting)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

bool WaitCursorShown()
{
    return QApplication::overrideCursor() &&
           QApplication::overrideCursor()->shape() == Qt::WaitCursor;
}

bool OpenFolderInShell(const std::string& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQt(path)));
}

bool SaveFormPicture(TForm* form, const std::string& path)
{
    return form->impl()->Widget->grab().save(ToQt(path));
}

}  // namespace platform
