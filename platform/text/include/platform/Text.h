#ifndef PlatformTextH
#define PlatformTextH

// 8-bit text of the system's ANSI code page (GBK, code page 936).
// Everything inside the system is held as GBK bytes in std::string; the
// conversions to and from UTF-8 are for the edges only (window, wire,
// source literals, tests).

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

// True for a lead byte of a GBK double-byte character (0x81-0xFE).
bool IsLeadByte(unsigned char c);

// Length in bytes of the character starting at s[i]: 2 for a lead byte that
// is followed by another byte, 1 otherwise.
std::size_t CharLength(const std::string& s, std::size_t i);

// The letter test: ASCII letters only. A byte of a double-byte character is
// never a letter.
bool IsCharAlphaA(char c);

// Case-insensitive comparison walking characters: ASCII letters of
// single-byte characters are folded, a double-byte character compares as a
// unit. Returns <0, 0 or >0.
int CompareTextIgnoreCase(const std::string& a, const std::string& b);
bool SameTextIgnoreCase(const std::string& a, const std::string& b);
// Whether any of the texts is the same as text, ignoring case.
bool AnySameTextIgnoreCase(const std::vector<std::string>& texts, const std::string& text);

// Conversions; both raise TextConversionError for a character the target
// cannot hold or a malformed input, never replace silently.
std::string GbkToUtf8(const std::string& gbk);
std::string Utf8ToGbk(const std::string& utf8);

// The same, reporting failure instead of raising.
bool TryUtf8ToGbk(const std::string& utf8, std::string& gbk);
bool TryGbkToUtf8(const std::string& gbk, std::string& utf8);

// UTF-16 text (the database client's wire) as GBK. A character GBK cannot
// hold becomes the full-width question mark "？" (A3 BF), a double-byte
// character, and `lossy` is set.
std::string Utf16ToGbk(const std::u16string& utf16, bool& lossy);

// UTF-16 as UTF-8, an unpaired surrogate as U+FFFD; and valid UTF-8 as
// UTF-16.
std::string Utf16ToUtf8(const std::u16string& utf16);
std::u16string Utf8ToUtf16(const std::string& utf8);

// Every single-byte occurrence of `c` doubled, walking GBK characters so
// that a trail byte is never taken for it.
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

// Shorthand for source literals written in UTF-8.
inline std::string Gbk(const std::string& utf8)
{
    return Utf8ToGbk(utf8);
}

}  // namespace platform

#endif
