#ifndef GeneratorTextFillH
#define GeneratorTextFillH

// Filling templates and placing names safely into generated text.

#include <string>
#include <vector>

// Fills a template in the manner of sprintf: each "%s" takes the next fill,
// "%%" gives "%". Fills go in unchanged and without length limit.
std::string FillTemplate(const std::string& format, const std::vector<std::string>& fills);

// Joins lines with CR LF; nothing after the last line.
std::string JoinLines(const std::vector<std::string>& lines);

// Joins items with a separator that stands only between two items.
std::string JoinItems(const std::vector<std::string>& items, const std::string& separator);

// A name for use between [ and ] of generated SQL: every "]" doubled.
std::string SqlBracketed(const std::string& name);

// Text for a generated format string: every "%" doubled.
std::string FormatEscaped(const std::string& text);

// Text for a generated C++ string literal: '"' and '\' get a backslash, CR
// and LF become \r and \n.
std::string LiteralEscaped(const std::string& text);

#endif
