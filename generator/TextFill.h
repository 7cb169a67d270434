#ifndef GeneratorTextFillH
#define GeneratorTextFillH

// Joining generated text and placing names safely into it.

#include <string>
#include <vector>

#include "platform/Text.h"
#include "schema/Schema.h"

// Joins lines with CR LF; nothing after the last line.
std::string JoinLines(const std::vector<std::string>& lines);

// Joins items with a separator that stands only between two items.
std::string JoinItems(const std::vector<std::string>& items, const std::string& separator);

// Text for a generated format string: every "%" doubled.
std::string FormatEscaped(const std::string& text);

// Text for a generated C++ string literal: '"' and '\' get a backslash, CR
// and LF become \r and \n.
std::string LiteralEscaped(const std::string& text);

#endif
