#ifndef PellamVclSystemH
#define PellamVclSystemH

// The stand-in's System unit: the VCL's strings, variants and exceptions
// as their documentation declares them, in two forms. By default those of
// C++Builder 6's ANSI VCL, where String is AnsiString. With
// PELLAM_VCL_UNICODE those of C++Builder 2009 to 12 (RAD Studio's
// System.UnicodeString, System.AnsiStringT, System.WideString): String is
// UnicodeString, whose c_str() is a wchar_t* and whose sprintf takes a
// const wchar_t* format only; AnsiString and WideString are types of their
// own. A call the Unicode VCL rejects fails to compile here too.
//
// Every text the stand-in records goes into its journal as GBK where GBK
// holds it (the generated files' own bytes in the ANSI form), else as
// UTF-8, so that both forms' journals can be set side by side.

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#if !defined(_WIN32) && (defined(PELLAM_EXEC_UTF8) || defined(PELLAM_VCL_UNICODE))
#include <iconv.h>
#define PELLAM_VCL_ICONV 1
#endif

// The VCL brings <windows.h> in, and with it thousands of macros.
#ifdef PELLAM_WITH_WINDOWS_H
#include <windows.h>
#endif

#ifndef __fastcall
#define __fastcall
#endif

// The VCL's 64-bit integer, which mingw-w64's headers define as well.
#ifndef __int64
#define __int64 long long
#endif

namespace pellamvcl {

// Text converted between encodings; false when it cannot be (iconv's
// names). Nothing is converted where the stand-in only compiles.
inline bool Convert(const char* to, const char* from, const std::string& text, std::string& out)
{
#ifdef PELLAM_VCL_ICONV
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.assign(text.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(text.data());
    char* at = &out[0];
    std::size_t inLeft = text.size(), outLeft = out.size();
    bool ok = iconv(cd, &in, &inLeft, &at, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return ok;
#else
    (void)to;
    (void)from;
    out = text;
    return false;
#endif
}

// Journal text: GBK where GBK holds it, else the UTF-8 as it is.
inline std::string JournalText(const std::string& utf8)
{
    std::string gbk;
    return Convert("GBK", "UTF-8", utf8, gbk) ? gbk : utf8;
}

// A wide text (UTF-16 on Windows, UTF-32 elsewhere) as UTF-8.
inline std::string Utf8Of(const std::wstring& wide)
{
    std::string out;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        unsigned long c = static_cast<unsigned long>(wide[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size()) {
            unsigned long low = static_cast<unsigned long>(wide[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// UTF-8 as a wide text.
inline std::wstring WideOf(const std::string& utf8)
{
    std::wstring out;
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        unsigned long c = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + static_cast<std::size_t>(k) < utf8.size(); ++k)
            c = c << 6 | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
        i += static_cast<std::size_t>(extra) + 1;
        if (sizeof(wchar_t) == 2 && c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

// Narrow text as the ANSI code page of a Chinese Windows (936) reads it.
inline std::wstring WideOfAnsi(const char* text)
{
    std::string utf8;
    if (!Convert("UTF-8", "GBK", text ? text : "", utf8))
        utf8 = text ? text : "";
    return WideOf(utf8);
}

}  // namespace pellamvcl

class AnsiString {
public:
    AnsiString() { }
    AnsiString(const char* text) : text_(text ? text : "") { }
    AnsiString(const std::string& text) : text_(text) { }

    const char* c_str() const { return text_.c_str(); }
    int Length() const { return static_cast<int>(text_.size()); }

    AnsiString& sprintf(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        va_list args;
        va_start(args, format);
        va_list again;
        va_copy(again, args);
        int n = std::vsnprintf(nullptr, 0, format, args);
        va_end(args);
        std::vector<char> buffer(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, again);
        va_end(again);
        text_.assign(buffer.data(), static_cast<std::size_t>(n));
        return *this;
    }

    AnsiString& operator+=(const AnsiString& other)
    {
        text_ += other.text_;
        return *this;
    }
    friend AnsiString operator+(const AnsiString& a, const AnsiString& b)
    {
        return AnsiString(a.text_ + b.text_);
    }
    bool operator==(const AnsiString& other) const { return text_ == other.text_; }
    // The journal's text of it (its own bytes: GBK in the ANSI form).
    const std::string& str() const { return text_; }

private:
    std::string text_;
};

#ifdef PELLAM_VCL_UNICODE
// C++Builder 2009 and later: System::UnicodeString, UTF-16 on Windows.
class UnicodeString {
public:
    UnicodeString() { }
    UnicodeString(const wchar_t* text) : text_(text ? text : L"") { }
    // From narrow text, as the RTL converts it: in the system's code page.
    UnicodeString(const char* text) : text_(pellamvcl::WideOfAnsi(text)) { }
    UnicodeString(const AnsiString& text) : text_(pellamvcl::WideOfAnsi(text.c_str())) { }

    // WideChar* c_str() const.
    const wchar_t* c_str() const { return text_.c_str(); }
    int Length() const { return static_cast<int>(text_.size()); }

    // UnicodeString& sprintf(const wchar_t* format, ...): a wide format
    // only, whose %s takes a wchar_t* as Windows' wide printf does.
    UnicodeString& sprintf(const wchar_t* format, ...)
    {
        // The C library's wide printf takes %ls for a wide string.
        std::wstring windowsFormat;
        for (const wchar_t* p = format; *p; ++p) {
            windowsFormat += *p;
            if (*p == L'%' && p[1] == L'%') {
                windowsFormat += *++p;
            } else if (*p == L'%' && p[1] == L's') {
                windowsFormat += L'l';
            }
        }
        va_list args;
        va_start(args, format);
        std::vector<wchar_t> buffer(4096);
        for (;;) {
            va_list again;
            va_copy(again, args);
            int n = std::vswprintf(buffer.data(), buffer.size(), windowsFormat.c_str(), again);
            va_end(again);
            if (n >= 0) {
                text_.assign(buffer.data(), static_cast<std::size_t>(n));
                break;
            }
            buffer.resize(buffer.size() * 4);
        }
        va_end(args);
        return *this;
    }

    UnicodeString& operator+=(const UnicodeString& other)
    {
        text_ += other.text_;
        return *this;
    }
    friend UnicodeString operator+(const UnicodeString& a, const UnicodeString& b)
    {
        UnicodeString sum(a);
        sum += b;
        return sum;
    }
    bool operator==(const UnicodeString& other) const { return text_ == other.text_; }
    const std::wstring& wide() const { return text_; }
    // The journal's text of it.
    std::string str() const { return pellamvcl::JournalText(pellamvcl::Utf8Of(text_)); }

private:
    std::wstring text_;
};
typedef UnicodeString String;

// System::WideString, a COM BSTR of its own.
class WideString {
public:
    WideString() { }
    WideString(const wchar_t* text) : text_(text ? text : L"") { }
    WideString(const char* text) : text_(pellamvcl::WideOfAnsi(text)) { }
    WideString(const UnicodeString& text) : text_(text.wide()) { }
    operator UnicodeString() const { return UnicodeString(text_.c_str()); }
    std::string str() const { return pellamvcl::JournalText(pellamvcl::Utf8Of(text_)); }

private:
    std::wstring text_;
};
#else
typedef AnsiString String;

class WideString {
public:
    WideString() { }
    WideString(const char* text) : text_(text ? text : "") { }
    WideString(const AnsiString& text) : text_(text.str()) { }
    const std::string& str() const { return text_; }

private:
    std::string text_;
};
#endif

// Classes' TStream: its bytes, Position and Size (__int64 properties),
// and WriteBuffer and ReadBuffer, which raise when they cannot move the
// whole count.
class TStream {
public:
    TStream() : Size(this) { }
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() { }
    std::string Bytes;
    __int64 Position = 0;
    struct SizeProperty {
        explicit SizeProperty(const TStream* owner) : owner_(owner) { }
        operator __int64() const { return static_cast<__int64>(owner_->Bytes.size()); }

    private:
        const TStream* owner_;
    } Size;
    void WriteBuffer(const void* buffer, int count)
    {
        std::size_t at = static_cast<std::size_t>(Position);
        if (Bytes.size() < at + static_cast<std::size_t>(count))
            Bytes.resize(at + static_cast<std::size_t>(count));
        Bytes.replace(at, static_cast<std::size_t>(count), static_cast<const char*>(buffer),
                      static_cast<std::size_t>(count));
        Position += count;
    }
    void ReadBuffer(void* buffer, int count);
};
class TMemoryStream : public TStream { };

// A value as the VCL's Variant holds it: its type and value, as text. A
// single is shown with the digits a float keeps, a double with 15, so that
// a value cut short on its way is seen. It converts back to the types the
// VCL's Variant converts to.
class Variant {
public:
    Variant() : text_("<empty>") { }
    Variant(int v) : text_("int:" + std::to_string(v)), int64_(v), double_(v) { }
    Variant(const __int64 v)
        : text_("int64:" + std::to_string(v)), int64_(v), double_(static_cast<double>(v))
    {
    }
    Variant(float v) : text_("single:" + Digits(v, 9)), double_(v) { }
    Variant(double v)
        : text_("double:" + Digits(v, 15)), int64_(static_cast<__int64>(v)), double_(v)
    {
    }
#ifdef PELLAM_VCL_UNICODE
    Variant(const char* v) : Variant(UnicodeString(v))
    {
    }
#else
    Variant(const char* v) : text_(std::string("str:") + v), string_(v)
    {
    }
#endif
    Variant(const AnsiString& v) : text_("str:" + v.str()), string_(v.str())
    {
    }
#ifdef PELLAM_VCL_UNICODE
    Variant(const wchar_t* v) : Variant(UnicodeString(v))
    {
    }
    Variant(const UnicodeString& v)
        : text_("str:" + v.str()), string_(v.str()), wide_(v), fromWide_(true)
    {
    }
    operator UnicodeString() const
    {
        return wide_;
    }
#endif
    // The VCL's Null().
    static Variant NullValue()
    {
        Variant v;
        v.text_ = "<null>";
        v.null_ = true;
        return v;
    }
    operator int() const
    {
        return static_cast<int>(int64_);
    }
    operator __int64() const
    {
        return int64_;
    }
    operator double() const
    {
        return double_;
    }
    operator AnsiString() const
    {
        return AnsiString(string_);
    }
    bool IsNull() const
    {
        return null_;
    }
    const std::string& Describe() const
    {
        return text_;
    }
    // The value as text, as the VCL converts it to a string: a number's
    // digits, a string's (or bytes') own.
    std::string Text() const
    {
        if (text_.rfind("str:", 0) == 0)
            return string_;
        std::size_t colon = text_.find(':');
        return colon == std::string::npos ? std::string() : text_.substr(colon + 1);
    }
#ifdef PELLAM_VCL_UNICODE
    // Whether it holds a UnicodeString (the others convert in the code page).
    bool HoldsWide() const
    {
        return fromWide_;
    }
#endif

private:
    static std::string Digits(double v, int digits)
    {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, v);
        return buffer;
    }
    std::string text_;
    __int64 int64_ = 0;
    double double_ = 0;
    std::string string_;
#ifdef PELLAM_VCL_UNICODE
    UnicodeString wide_;
    bool fromWide_ = false;
#endif
    bool null_ = false;
};

// Variants' Null().
inline Variant Null()
{
    return Variant::NullValue();
}

// The VCL's OLE-compatible Variant, as ADO's parameters hold their values.
class OleVariant : public Variant {
public:
    OleVariant() { }
    OleVariant(const Variant& v) : Variant(v) { }
    OleVariant(int v) : Variant(v) { }
    OleVariant(const __int64 v) : Variant(v) { }
    OleVariant(double v) : Variant(v) { }
    OleVariant(const AnsiString& v) : Variant(v) { }
#ifdef PELLAM_VCL_UNICODE
    OleVariant(const UnicodeString& v) : Variant(v)
    {
    }
    OleVariant(const WideString& v) : Variant(UnicodeString(v))
    {
    }
#else
    OleVariant(const WideString& v) : Variant(AnsiString(v.str()))
    {
    }
#endif
};

// Exception::Message, a String.
class Exception {
public:
    Exception(const String& message) : Message(message) { }
    virtual ~Exception() { }
    String Message;
};

inline void TStream::ReadBuffer(void* buffer, int count)
{
    std::size_t at = static_cast<std::size_t>(Position);
    if (count < 0 || at + static_cast<std::size_t>(count) > Bytes.size())
        throw Exception("Stream read error");
    Bytes.copy(static_cast<char*>(buffer), static_cast<std::size_t>(count), at);
    Position += count;
}

// SysUtils' StrToInt64: the whole text a number, or EConvertError.
inline __int64 StrToInt64(const String& text)
{
#ifdef PELLAM_VCL_UNICODE
    std::string digits = pellamvcl::Utf8Of(text.wide());
#else
    std::string digits = text.str();
#endif
    std::size_t used = 0;
    long long value = 0;
    try {
        value = std::stoll(digits, &used);
    } catch (...) {
        used = 0;
    }
    if (digits.empty() || used != digits.size())
        throw Exception(("'" + digits + "' is not a valid integer value").c_str());
    return value;
}

// An answer a query opens: its fields' names and its records.
struct VclAnswer {
    std::vector<std::string> Names;
    std::vector<std::vector<Variant>> Records;
};

// What the stand-in saw, in order; and the fault to raise next.
struct VclJournal {
    std::vector<std::string> Events;
    // Every event of the program, kept apart from Events (which drivers
    // take as they go) and written at its end where PELLAM_TRANSCRIPT
    // names a file, so that two forms' runs can be set side by side.
    std::vector<std::string> Transcript;
    std::string FailNext;  // message of the next statement's failure
    // What a stored procedure sends back: the values of its OUTPUT
    // parameters and its RETURN value, by parameter name.
    std::vector<std::pair<std::string, Variant>> Outputs;
    // What the server answers: the rows the next statement changes or
    // finds, and the first field of the rows a query opens.
    int Rows = 1;
    __int64 FirstField = 0;
    // The first field as text instead (a value the statement casts to a
    // string), when not empty.
    std::string FirstText;
    // The connection's NOCOUNT: on, the server sends no row counts, and
    // ADO's RowsAffected is -1.
    bool NoCount = false;
    // The answers the next queries open, in turn, each with its named
    // fields; while there is none, a query opens Rows records of one
    // unnamed field (FirstField or FirstText).
    std::vector<VclAnswer> Answers;

    ~VclJournal()
    {
        if (const char* path = std::getenv("PELLAM_TRANSCRIPT")) {
            std::ofstream out(path, std::ios::binary);
            for (const std::string& line : Transcript)
                out << line << "\n";
        }
    }
    void Add(const std::string& event)
    {
        Events.push_back(AsGbk(event));
        Transcript.push_back(Events.back());
    }

    // A compiler that reads the GBK sources as UTF-8 copies also writes
    // their literals as UTF-8; the journal holds GBK either way.
    static std::string AsGbk(const std::string& text)
    {
#if defined(PELLAM_EXEC_UTF8) && !defined(PELLAM_VCL_UNICODE)
        std::string gbk;
        if (pellamvcl::Convert("GBK", "UTF-8", text, gbk))
            return gbk;
#endif
        return text;
    }
    void MaybeFail()
    {
        if (!FailNext.empty()) {
            std::string message = FailNext;
            FailNext.clear();
            Add("failed:" + message);
            throw Exception(message.c_str());
        }
    }
};
inline VclJournal& Journal()
{
    static VclJournal journal;
    return journal;
}

// The message box: <windows.h>'s MessageBox is MessageBoxW where UNICODE
// is defined, MessageBoxA where it is not. Recorded here; with
// <windows.h> in, the system's own (the library is then only compiled,
// never run).
#ifndef PELLAM_WITH_WINDOWS_H
enum { MB_OK = 0, MB_ICONERROR = 16 };
inline int MessageBoxA(void*, const char* text, const char* caption, unsigned flags)
{
    Journal().Add(std::string("msgbox:") + text + "|" + caption + "|" + std::to_string(flags));
    return 1;
}
inline int MessageBoxW(void*, const wchar_t* text, const wchar_t* caption, unsigned flags)
{
    Journal().Add("msgbox:" + pellamvcl::JournalText(pellamvcl::Utf8Of(text)) + "|" +
                  pellamvcl::JournalText(pellamvcl::Utf8Of(caption)) + "|" + std::to_string(flags));
    return 1;
}
#ifdef UNICODE
#define MessageBox MessageBoxW
#else
#define MessageBox MessageBoxA
#endif
#endif

#endif
