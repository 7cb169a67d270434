#include "TextFill.h"

#include "platform/Text.h"

std::string JoinItems(const std::vector<std::string>& items, const std::string& separator)
{
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += separator;
        out += items[i];
    }
    return out;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    return JoinItems(lines, "\r\n");
}

namespace {

// A backslash before every '"' and '\\', and CR and LF as their escapes.
// Byte by byte: no byte of a multi-byte UTF-8 character is one of them, and
// the GBK bytes the file gets later are those of the same characters.
std::string BackslashQuotes(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else {
            if (c == '"' || c == '\\')
                out += '\\';
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string FormatEscaped(const std::string& text)
{
    return platform::DoubleChar(text, '%');
}

std::string LiteralEscaped(const std::string& text)
{
    return BackslashQuotes(text);
}
