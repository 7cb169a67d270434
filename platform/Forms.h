#ifndef PlatformFormsH
#define PlatformFormsH

// The form framework's pieces that the window uses, on Qt Widgets: the
// application object with its message box, message pump and exception
// display; a labelled edit, a bevel and a glyph button.

#include <QApplication>
#include <QTranslator>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>
#include <string>

#include "Application.h"

namespace platform {

// GBK text for the window and back.
QString ToQt(const std::string& gbk);
std::string FromQt(const QString& text);

// The message box of the application object as a Qt dialog.
class QtMessageBoxService : public MessageBoxService {
public:
    int MessageBox(const std::string& text, const std::string& caption, int flags) override;
};

// The application: shows any exception that escapes an event handler in a
// message box and goes on.
class TFormsApplication : public QApplication {
public:
    TFormsApplication(int& argc, char** argv);
    ~TFormsApplication() override;
    bool notify(QObject* receiver, QEvent* event) override;

    // The standard exception display.
    static void ShowException(const std::string& message);

private:
    QtMessageBoxService service_;
    MessageBoxService* previous_;
    QTranslator translator_;
};

// Processes pending window messages, at most once per 16 ms: long loops call
// it after every item, and the window still repaints at frame rate.
void ProcessMessages();
// Called whenever ProcessMessages is (tests use it to act in mid-loop).
void SetProcessMessagesHook(std::function<void()> hook);

// An edit with its label above it or to its left, 3 pixels apart.
class TLabeledEdit : public QLineEdit {
public:
    enum LabelPosition { lpAbove, lpLeft };
    TLabeledEdit(QWidget* parent, const QString& caption, int left, int top, int width, int height,
                 int labelWidth, LabelPosition position);
    QLabel* EditLabel;
    void setEnabled(bool on);
};

// A bevel: a frame or a line along its top.
class TBevel : public QFrame {
public:
    enum Shape { bsFrame, bsTopLine };
    TBevel(QWidget* parent, Shape shape, int left, int top, int width, int height);
};

// A button with a stock glyph.
class TBitBtn : public QPushButton {
public:
    enum Kind { bkOK, bkHelp };
    TBitBtn(QWidget* parent, const QString& caption, Kind kind, int left, int top, int width,
            int height);
};

}  // namespace platform

#endif
