#include "platform/Application.h"

#include "platform/Text.h"

#include <cstdio>

namespace platform {

TApplication Application;

int TApplication::MessageBox(const std::string& text, const std::string& caption, int flags)
{
    if (service_)
        return service_->MessageBox(text, caption, flags);
    // Without a window: say it on standard error and take the default button.
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return (flags & 0x0F) == MB_YESNO ? IDNO : IDOK;
}

MessageBoxService* TApplication::SetMessageBoxService(MessageBoxService* service)
{
    MessageBoxService* old = service_;
    service_ = service;
    return old;
}

}  // namespace platform
