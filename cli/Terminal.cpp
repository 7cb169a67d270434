#include "Terminal.h"

#include "Options.h"
#include "platform/Text.h"

#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

std::string Say(const std::string& gbk)
{
    std::string utf8;
    return platform::TryGbkToUtf8(gbk, utf8) ? utf8 : gbk;
}

std::string FromTerminal(const std::string& utf8, const std::string& what)
{
    std::string gbk;
    if (!platform::TryUtf8ToGbk(utf8, gbk))
        throw UsageError{what + " 含有 GBK 无法表示的字符"};
    return gbk;
}

bool WriteOut(const std::string& bytes)
{
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    return std::fflush(stdout) == 0 && ok && !std::ferror(stdout);
}

namespace {

// Turns the terminal's echo of standard input off for its lifetime.
class NoEcho {
public:
    NoEcho()
    {
#ifdef _WIN32
        input_ = GetStdHandle(STD_INPUT_HANDLE);
        if (GetConsoleMode(input_, &mode_))
            active_ = SetConsoleMode(input_, mode_ & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) != 0;
#else
        if (tcgetattr(STDIN_FILENO, &saved_) == 0) {
            termios quiet = saved_;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            // Now, keeping what was typed ahead.
            active_ = tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
        }
#endif
    }
    ~NoEcho()
    {
        if (!active_)
            return;
#ifdef _WIN32
        SetConsoleMode(input_, mode_);
#else
        tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
#endif
    }
    NoEcho(const NoEcho&) = delete;
    NoEcho& operator=(const NoEcho&) = delete;

private:
    bool active_ = false;
#ifdef _WIN32
    HANDLE input_;
    DWORD mode_ = 0;
#else
    termios saved_{};
#endif
};

bool InputIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(STDIN_FILENO) != 0;
#endif
}

}  // namespace

bool ErrorIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

std::string ReadPassword()
{
    std::string password;
    if (InputIsTerminal()) {
        {
            // Echo goes off before the prompt shows, so that nothing typed
            // after it is echoed or lost.
            NoEcho quiet;
            std::fprintf(stderr, "%s", "密码：");
            std::fflush(stderr);
            std::getline(std::cin, password);
        }
        // The Enter that was not echoed.
        std::fprintf(stderr, "\n");
    } else {
        std::getline(std::cin, password);
    }
    if (!password.empty() && password.back() == '\r')
        password.pop_back();
    return password;
}
