#ifndef PlatformExceptionH
#define PlatformExceptionH

#include <stdexcept>
#include <string>

namespace platform {

// The framework's exception class: every failure the application reports to
// the user carries its message as UTF-8 text in Message.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message), Message(message)
    {
    }

    std::string Message;
};

}  // namespace platform

#endif
