#include "Terminal.h"

#include "Options.h"
#include "platform/Text.h"

#include <cstdarg>
#include <cstdio>
#include <iostream>
#include <iterator>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <csignal>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
// True when the text went to a console, wide; false when the stream is no
// console (a pipe, a file) and takes bytes.
bool WroteToConsole(DWORD which, const std::string& utf8, bool& ok)
{
    HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode))
        return false;
    std::u16string wide = platform::Utf8ToUtf16(utf8);
    const wchar_t* at = reinterpret_cast<const wchar_t*>(wide.data());
    std::size_t left = wide.size();
    ok = true;
    while (left > 0 && ok) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(left < 8192 ? left : 8192);
        ok = WriteConsoleW(handle, at, chunk, &written, nullptr) && written > 0;
        at += written;
        left -= written;
    }
    return true;
}
#endif

bool Write(std::FILE* stream, const std::string& utf8)
{
#ifdef _WIN32
    bool written = false;
    std::fflush(stream);
    if (WroteToConsole(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE, utf8, written))
        return written;
#endif
    bool ok = std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
    return std::fflush(stream) == 0 && ok && !std::ferror(stream);
}

}  // namespace

bool WriteOut(const std::string& bytes)
{
    return Write(stdout, bytes);
}

void ErrorPrintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0)
        std::vsnprintf(&text[0], text.size() + 1, format, again);
    va_end(again);
    Write(stderr, text);
}

namespace {

// The terminal's settings from before the echo went off, for a signal
// that ends the program while it is off.
#ifdef _WIN32
HANDLE echoInput = nullptr;
DWORD echoMode = 0;
volatile LONG echoSaved = 0;

BOOL WINAPI RestoreEchoOnBreak(DWORD)
{
    if (echoSaved)
        SetConsoleMode(echoInput, echoMode);
    return FALSE;  // and on to the default: the program ends
}
#else
termios echoSettings{};
volatile std::sig_atomic_t echoSaved = 0;
const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Restores the echo, then ends the program as the signal would have.
void RestoreEchoAndDie(int signal)
{
    if (echoSaved)
        tcsetattr(STDIN_FILENO, TCSANOW, &echoSettings);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
#endif

// Turns the terminal's echo of standard input off for its lifetime; a
// signal that ends the program meanwhile gives the echo back first.
class NoEcho {
public:
    NoEcho()
    {
#ifdef _WIN32
        input_ = GetStdHandle(STD_INPUT_HANDLE);
        if (GetConsoleMode(input_, &mode_)) {
            echoInput = input_;
            echoMode = mode_;
            echoSaved = 1;
            SetConsoleCtrlHandler(RestoreEchoOnBreak, TRUE);
            active_ = SetConsoleMode(input_, mode_ & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) != 0;
        }
#else
        if (tcgetattr(STDIN_FILENO, &saved_) == 0) {
            echoSettings = saved_;
            echoSaved = 1;
            struct sigaction action { };
            action.sa_handler = RestoreEchoAndDie;
            sigemptyset(&action.sa_mask);
            for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
                sigaction(kEndingSignals[i], &action, &previous_[i]);
            termios quiet = saved_;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            // Now, keeping what was typed ahead.
            active_ = tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
        }
#endif
    }
    ~NoEcho()
    {
#ifdef _WIN32
        if (active_)
            SetConsoleMode(input_, mode_);
        if (echoSaved) {
            SetConsoleCtrlHandler(RestoreEchoOnBreak, FALSE);
            echoSaved = 0;
        }
#else
        if (active_)
            tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
        if (echoSaved) {
            echoSaved = 0;
            for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
                sigaction(kEndingSignals[i], &previous_[i], nullptr);
        }
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
    struct sigaction previous_[std::size(kEndingSignals)]{};
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
            ErrorPrintf("%s", "密码：");
            std::fflush(stderr);
            std::getline(std::cin, password);
        }
        // The Enter that was not echoed.
        ErrorPrintf("\n");
    } else if (!std::getline(std::cin, password)) {
        // Standard input ended before any line: no password was given.
        throw UsageError{"没有密码：请用 --password-env 或从标准输入给出"};
    }
    if (!password.empty() && password.back() == '\r')
        password.pop_back();
    return password;
}
