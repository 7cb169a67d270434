#ifndef CliTerminalH
#define CliTerminalH

// pellam-gen at the terminal: text in and out as UTF-8, GBK inside.

#include <string>

// GBK text for the terminal.
std::string Say(const std::string& gbk);

// A line of the terminal (UTF-8) as GBK; UsageError naming `what` when GBK
// cannot hold it.
std::string FromTerminal(const std::string& utf8, const std::string& what);

// Writes to standard output; false when the bytes did not all get there.
bool WriteOut(const std::string& bytes);

// True when standard error is a terminal (progress is shown there).
bool ErrorIsTerminal();

// The password: asked for with "密码：" on standard error and read without
// echo when standard input is a terminal, else one line of it.
std::string ReadPassword();

#endif
