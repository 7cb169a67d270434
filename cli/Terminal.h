#ifndef CliTerminalH
#define CliTerminalH

// pellam-gen at the terminal: text in and out as UTF-8, as inside.

#include <string>

// Writes UTF-8 text to standard output; false when it did not all get
// there. To a Windows console it goes as UTF-16 (WriteConsoleW), so that
// the console's code page plays no part; to a pipe or a file, as UTF-8.
bool WriteOut(const std::string& bytes);

// printf to standard error, written as WriteOut writes.
void ErrorPrintf(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

// True when standard error is a terminal (progress is shown there).
bool ErrorIsTerminal();

// The password: asked for with "密码：" on standard error and read without
// echo when standard input is a terminal, else one line of it.
std::string ReadPassword();

#endif
