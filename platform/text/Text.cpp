#include "platform/Text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace platform {

bool IsCharAlphaA(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

namespace {

unsigned char FoldedByte(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

}  // namespace

int CompareTextIgnoreCase(const std::string& a, const std::string& b)
{
    // Byte by byte: no byte of a multi-byte UTF-8 character is an ASCII
    // letter, and UTF-8 bytes order as their code points.
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char ca = FoldedByte(a[i]), cb = FoldedByte(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameTextIgnoreCase(const std::string& a, const std::string& b)
{
    return CompareTextIgnoreCase(a, b) == 0;
}

bool AnySameTextIgnoreCase(const std::vector<std::string>& texts, const std::string& text)
{
    for (const std::string& t : texts)
        if (SameTextIgnoreCase(t, text))
            return true;
    return false;
}

#ifdef _WIN32

namespace {

bool ToWide(UINT codePage, const std::string& in, std::wstring& out)
{
    out.clear();
    if (in.empty())
        return true;
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                                static_cast<int>(in.size()), nullptr, 0);
    if (n <= 0)
        return false;
    out.resize(static_cast<std::size_t>(n));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                               static_cast<int>(in.size()), &out[0], n) == n;
}

bool FromWide(UINT codePage, const std::wstring& in, std::string& out)
{
    out.clear();
    if (in.empty())
        return true;
    BOOL usedDefault = FALSE;
    BOOL* pUsed = codePage == CP_UTF8 ? nullptr : &usedDefault;
    DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    int n = WideCharToMultiByte(codePage, flags, in.data(), static_cast<int>(in.size()), nullptr, 0,
                                nullptr, pUsed);
    if (n <= 0 || usedDefault)
        return false;
    out.resize(static_cast<std::size_t>(n));
    n = WideCharToMultiByte(codePage, flags, in.data(), static_cast<int>(in.size()), &out[0], n,
                            nullptr, pUsed);
    return n > 0 && !usedDefault;
}

bool Convert(UINT from, UINT to, const std::string& in, std::string& out)
{
    std::wstring wide;
    return ToWide(from, in, wide) && FromWide(to, wide, out);
}

}  // namespace

bool TryUtf8ToGbk(const std::string& utf8, std::string& gbk)
{
    return Convert(CP_UTF8, 936, utf8, gbk);
}

bool TryGbkToUtf8(const std::string& gbk, std::string& utf8)
{
    return Convert(936, CP_UTF8, gbk, utf8);
}

#else

namespace {

bool Convert(const char* from, const char* to, const std::string& in, std::string& out)
{
    out.clear();
    if (in.empty())
        return true;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::vector<char> buffer(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = buffer.data();
    std::size_t dstLeft = buffer.size();
    std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    bool ok = rc != static_cast<std::size_t>(-1) && srcLeft == 0;
    // A non-reversible conversion (rc > 0) means a character was replaced.
    if (ok && rc != 0)
        ok = false;
    if (ok) {
        // Flush any shift state.
        ok = iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    }
    iconv_close(cd);
    if (ok)
        out.assign(buffer.data(), static_cast<std::size_t>(dst - buffer.data()));
    return ok;
}

}  // namespace

bool TryUtf8ToGbk(const std::string& utf8, std::string& gbk)
{
    return Convert("UTF-8", "GBK", utf8, gbk);
}

bool TryGbkToUtf8(const std::string& gbk, std::string& utf8)
{
    return Convert("GBK", "UTF-8", gbk, utf8);
}

#endif

namespace {

void AppendUtf8(char32_t cp, std::string& out)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string Utf16ToUtf8(const std::u16string& utf16)
{
    std::string out;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        // An unpaired surrogate is kept as itself, in the three bytes UTF-8
        // would give it (WTF-8), so that the name goes back to the server
        // exactly as it came.
        AppendUtf8(c, out);
    }
    return out;
}

std::u16string Utf8ToUtf16(const std::string& utf8)
{
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t code = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += static_cast<std::size_t>(extra) + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return out;
}

char16_t UnpairedSurrogateAt(const std::string& text, std::size_t i)
{
    if (i + 2 >= text.size() || static_cast<unsigned char>(text[i]) != 0xED)
        return 0;
    unsigned char second = static_cast<unsigned char>(text[i + 1]);
    if (second < 0xA0 || second > 0xBF)
        return 0;
    return static_cast<char16_t>(0xD000 | ((second & 0x3Fu) << 6) |
                                 (static_cast<unsigned char>(text[i + 2]) & 0x3Fu));
}

namespace {

// Whether a character would not show as itself in a line of text: a
// control (C0, DEL, C1), a surrogate, a line or paragraph separator, a
// blank other than the ASCII space (which reads as that space), a format
// character (zero-width ones, the bidirectional marks, embeddings,
// overrides and isolates, the byte-order mark, the soft hyphen) or another
// character that Unicode says to draw as nothing.
bool HiddenCharacter(char32_t c)
{
    static const std::pair<char32_t, char32_t> kRanges[] = {
        {0x0000, 0x001F},   {0x007F, 0x00A0},   {0x00AD, 0x00AD},   {0x034F, 0x034F},
        {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},
        {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x115F, 0x1160},   {0x1680, 0x1680},
        {0x17B4, 0x17B5},   {0x180B, 0x180F},   {0x2000, 0x200F},   {0x2028, 0x202F},
        {0x205F, 0x206F},   {0x3000, 0x3000},   {0x3164, 0x3164},   {0xD800, 0xDFFF},
        {0xFE00, 0xFE0F},   {0xFEFF, 0xFEFF},   {0xFFA0, 0xFFA0},   {0xFFF0, 0xFFFB},
        {0x110BD, 0x110BD}, {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3},
        {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF},
    };
    for (const auto& [first, last] : kRanges)
        if (c >= first && c <= last)
            return true;
    return false;
}

}  // namespace

std::string Printable(const std::string& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    auto hex = [](unsigned long value, int digits) {
        std::string out;
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
            out += kHex[(value >> shift) & 0x0F];
        return out;
    };
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t length = Utf8CharLength(text, i);
        bool whole = c < 0x80 || (c >= 0xC2 && c <= 0xF4 &&
                                  length == (c >= 0xF0   ? 4u
                                             : c >= 0xE0 ? 3u
                                                         : 2u));
        for (std::size_t k = 1; whole && k < length; ++k)
            whole = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (c == '\\') {
            // The escapes' own mark: a name's backslash is never read as one.
            out += "\\\\";
            ++i;
            continue;
        }
        if (c < 0x20 || c == 0x7F || !whole) {
            // A control character, or a byte that begins no character.
            out += "\\x" + hex(c, 2);
            ++i;
            continue;
        }
        std::u16string unit = Utf8ToUtf16(text.substr(i, length));
        char32_t code = unit.size() == 1
                            ? unit[0]
                            : 0x10000 + ((static_cast<char32_t>(unit[0]) - 0xD800) << 10) +
                                  (static_cast<char32_t>(unit[1]) - 0xDC00);
        if (HiddenCharacter(code))
            out += code > 0xFFFF ? "\\U" + hex(code, 8) : "\\u" + hex(code, 4);
        else
            out.append(text, i, length);
        i += length;
    }
    return out;
}

bool GbkCanHold(const std::string& utf8)
{
    for (char c : utf8)
        if (static_cast<unsigned char>(c) >= 0x80) {
            std::string gbk;
            return TryUtf8ToGbk(utf8, gbk);
        }
    return true;
}

std::string AsciiLower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Trim(const std::string& text)
{
    std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::size_t Utf8CharLength(const std::string& text, std::size_t i)
{
    unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return std::min(len, text.size() - i);
}

std::string DoubleChar(const std::string& text, char c)
{
    std::string out;
    out.reserve(text.size());
    for (char b : text) {
        out += b;
        if (b == c)
            out += b;
    }
    return out;
}

std::string Utf8ToGbk(const std::string& utf8)
{
    // ASCII text, most of what is generated, is its own GBK.
    if (std::all_of(utf8.begin(), utf8.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return utf8;
    std::string out;
    if (!TryUtf8ToGbk(utf8, out))
        throw TextConversionError("Text cannot be held in GBK");
    return out;
}

std::string GbkToUtf8(const std::string& gbk)
{
    std::string out;
    if (!TryGbkToUtf8(gbk, out))
        throw TextConversionError("Text is not valid GBK");
    return out;
}

std::string FillFields(const std::string& text, const std::vector<Field>& fields)
{
    std::string out;
    out.reserve(text.size() * 2);
    std::size_t at = 0;
    for (;;) {
        std::size_t open = text.find("${", at);
        if (open == std::string::npos)
            break;
        std::size_t close = text.find('}', open + 2);
        if (close == std::string::npos)
            throw std::logic_error("a template field is left open");
        std::string name = text.substr(open + 2, close - open - 2);
        const Field* field = nullptr;
        for (const Field& f : fields)
            if (name == f.Name)
                field = &f;
        if (!field)
            throw std::logic_error("a template field has no text: " + name);
        out.append(text, at, open - at).append(field->Text);
        at = close + 1;
    }
    return out.append(text, at, std::string::npos);
}

}  // namespace platform
