#include "TextFill.h"

#include "platform/Text.h"

#include <stdexcept>

std::string FillTemplate(const std::string& format, const std::vector<std::string>& fills)
{
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%') {
            out += c;
            continue;
        }
        char directive = i + 1 < format.size() ? format[i + 1] : '\0';
        if (directive == '%') {
            out += '%';
        } else if (directive == 's') {
            if (next >= fills.size())
                throw std::logic_error("template has more placeholders than fills");
            out += fills[next++];
        } else {
            throw std::logic_error("template holds an unknown directive");
        }
        ++i;
    }
    if (next != fills.size())
        throw std::logic_error("template has fewer placeholders than fills");
    return out;
}

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

std::string SqlBracketed(const std::string& name)
{
    return platform::DoubleChar(name, ']');
}

std::string FormatEscaped(const std::string& text)
{
    return platform::DoubleChar(text, '%');
}

std::string LiteralEscaped(const std::string& text)
{
    return BackslashQuotes(text);
}
