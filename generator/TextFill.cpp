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

// A backslash before every single-byte '"' and '\', and CR and LF as their
// escapes, walking GBK characters so that a trail byte is never taken for
// one of them.
std::string BackslashQuotes(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = platform::CharLength(text, i);
        if (len == 1 && text[i] == '\r')
            out += "\\r";
        else if (len == 1 && text[i] == '\n')
            out += "\\n";
        else {
            if (len == 1 && (text[i] == '"' || text[i] == '\\'))
                out += '\\';
            out.append(text, i, len);
        }
        i += len;
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
