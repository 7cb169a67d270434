// Focus, access keys, the default button and the screen's work area, for
// the Qt backend.

#include "FormsQt.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace platform {

void TControl::SetFocus()
{
    impl_->Widget->setFocus(Qt::OtherFocusReason);
}

bool TControl::Focused() const
{
    return impl_->Widget->hasFocus();
}

void TLabel::SetFocusControl(TControl* control)
{
    // A buddy makes the label's "&X" an access key and shows it underlined.
    As<QLabel>(this)->setBuddy(control->impl()->Widget);
}

void TForm::SetDefaultButton(TButton* button)
{
    // Only this button is pressed by Enter: no other takes the default
    // when it gets the focus.
    for (QPushButton* each : impl()->Widget->findChildren<QPushButton*>()) {
        each->setAutoDefault(false);
        each->setDefault(false);
    }
    auto* own = qobject_cast<QPushButton*>(button->impl()->Widget);
    if (own) {
        own->setAutoDefault(true);
        own->setDefault(true);
    }
}

TRect TForm::WorkArea() const
{
    QWidget* w = impl()->Widget;
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    QRect area = screen->availableGeometry();
    return {area.x(), area.y(), area.width(), area.height()};
}

}  // namespace platform
