#ifndef PlatformTextH
#define PlatformTextH

// Text inside the system is Unicode: UTF-8 in std::string, from the
// database client's UTF-16 through the schema model, the run, the window
// and pellam-gen. GBK (code page 936) is made only for the bytes of the
// generated files; Windows gets UTF-16 through the wide API.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Exception.h"

namespace platform {

// Raised when text cannot be converted between GBK and UTF-8.
class TextConversionError : public Exception {
public:
    using Exception::Exception;
};

// The letter test: ASCII letters only. No byte of a multi-byte UTF-8
// character is a letter.
bool IsCharAlphaA(char c);

// Comparison ignoring the case of ASCII letters, byte by byte (UTF-8 keeps
// code point order). Returns <0, 0 or >0.
int CompareTextIgnoreCase(const std::string& a, const std::string& b);
bool SameTextIgnoreCase(const std::string& a, const std::string& b);
// Whether any of the texts is the same as text, ignoring case.
bool AnySameTextIgnoreCase(const std::vector<std::string>& texts, const std::string& text);

// Whether GBK can hold every character of the UTF-8 text: the one question
// about GBK that anything but the file writer asks.
bool GbkCanHold(const std::string& utf8);

// Conversions; both raise TextConversionError for a character the target
// cannot hold or a malformed input, never replace silently.
std::string GbkToUtf8(const std::string& gbk);
std::string Utf8ToGbk(const std::string& utf8);

// The same, reporting failure instead of raising.
bool TryUtf8ToGbk(const std::string& utf8, std::string& gbk);
bool TryGbkToUtf8(const std::string& gbk, std::string& utf8);

// UTF-16 as UTF-8, an unpaired surrogate kept as its three bytes (WTF-8);
// and such UTF-8 as UTF-16, the surrogate given back.
std::string Utf16ToUtf8(const std::u16string& utf16);
std::u16string Utf8ToUtf16(const std::string& utf8);

// The UTF-16 unit of the unpaired surrogate whose three WTF-8 bytes begin
// at text[i], or 0 when none does.
char16_t UnpairedSurrogateAt(const std::string& text, std::size_t i);

// A name as a message shows it, so that no two names look alike and what a
// catalogue holds can neither split, overwrite, hide nor reverse a line: a
// backslash as "\\\\"; a control character, or a byte that begins no
// character, as "\\xNN"; any other character that would not show as itself
// (a C1 control, a surrogate, a line or paragraph separator, a blank but
// the ASCII space, the zero-width and bidirectional format characters, the
// byte-order mark, the soft hyphen) as "\\uNNNN", or "\\UNNNNNNNN" beyond
// the BMP.
std::string Printable(const std::string& text);

// The length in bytes of the UTF-8 character at text[i] (1 for a byte that
// begins none), never past the end.
std::size_t Utf8CharLength(const std::string& text, std::size_t i);

// Every `c` (an ASCII character) doubled; byte-wise, which UTF-8 allows.
std::string DoubleChar(const std::string& text, char c);

// Named fields of a template: "${Name}" takes the field's text, unchanged
// and without length limit; the result is never read again. A placeholder
// without a field, or one left open, is a fault of the template.
struct Field {
    const char* Name;
    std::string Text;
};
std::string FillFields(const std::string& text, const std::vector<Field>& fields);

// ASCII letters folded to lower case, every other byte kept.
std::string AsciiLower(std::string text);

// The text without the blanks, tabs and line ends at either end.
std::string Trim(const std::string& text);

}  // namespace platform

#endif
