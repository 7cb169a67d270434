#ifndef PlatformFormsQtH
#define PlatformFormsQtH

// What the Qt backend's files of the forms layer share.

#include "platform/Forms.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <memory>
#include <utility>

namespace platform {

QString ToQt(const std::string& utf8);
std::string FromQt(const QString& text);
inline QColor ToQColor(TColor c)
{
    return QColor(c.R, c.G, c.B, c.A);
}

struct TControl::Impl {
    QWidget* Widget;
};

struct TBitmap::Impl {
    QImage Image;
};

inline QWidget* ParentWidget(TWinControl* parent)
{
    return parent ? parent->impl()->Widget : nullptr;
}

// The control's widget as what it is.
template <typename W> W* As(const TControl* c)
{
    return static_cast<W*>(c->impl()->Widget);
}

// A control's widget, made on its parent's.
template <typename W, typename... A>
std::unique_ptr<TControl::Impl> Make(TWinControl* parent, A&&... args)
{
    auto* w = new W(std::forward<A>(args)..., ParentWidget(parent));
    return std::unique_ptr<TControl::Impl>(new TControl::Impl{w});
}

}  // namespace platform

#endif
