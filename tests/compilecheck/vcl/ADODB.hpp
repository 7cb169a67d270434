#ifndef PellamVclStandInH
#define PellamVclStandInH

// A small stand-in for the VCL declarations that Pellam's generated library
// uses, written from that use alone. It records every SQL text, execution
// and parameter binding in a journal, and can be told to fail the next
// statement, so that a test program can check what the generated classes do.

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#ifdef PELLAM_EXEC_UTF8
#include <iconv.h>
#endif

// The VCL brings <windows.h> in, and with it thousands of macros.
#ifdef PELLAM_WITH_WINDOWS_H
#include <windows.h>
#endif

#ifndef __fastcall
#define __fastcall
#endif

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
    const std::string& str() const { return text_; }

private:
    std::string text_;
};
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

class TStream {
public:
    virtual ~TStream() { }
    std::string Bytes;
};
class TMemoryStream : public TStream { };

// The VCL's 64-bit integer, which mingw-w64's headers define as well.
#ifndef __int64
#define __int64 long long
#endif

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
    Variant(const char* v) : text_(std::string("str:") + v), string_(v) { }
    Variant(const AnsiString& v) : text_("str:" + v.str()), string_(v.str()) { }
    // The VCL's Null().
    static Variant NullValue()
    {
        Variant v;
        v.text_ = "<null>";
        v.null_ = true;
        return v;
    }
    operator int() const { return static_cast<int>(int64_); }
    operator __int64() const { return int64_; }
    operator double() const { return double_; }
    operator AnsiString() const { return AnsiString(string_); }
    bool IsNull() const { return null_; }
    const std::string& Describe() const { return text_; }

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
    bool null_ = false;
};

// The VCL's OLE-compatible Variant, as ADO's parameters hold their values.
class OleVariant : public Variant {
public:
    OleVariant() { }
    OleVariant(const Variant& v) : Variant(v) { }
    OleVariant(int v) : Variant(v) { }
    OleVariant(const __int64 v) : Variant(v) { }
    OleVariant(double v) : Variant(v) { }
    OleVariant(const AnsiString& v) : Variant(v) { }
    OleVariant(const WideString& v) : Variant(AnsiString(v.str())) { }
};

class Exception {
public:
    Exception(const AnsiString& message) : Message(message) { }
    virtual ~Exception() { }
    AnsiString Message;
};

// What the stand-in saw, in order; and the fault to raise next.
struct VclJournal {
    std::vector<std::string> Events;
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

    void Add(const std::string& event) { Events.push_back(AsGbk(event)); }

    // A compiler that reads the GBK sources as UTF-8 copies also writes
    // their literals as UTF-8; the journal holds GBK either way.
    static std::string AsGbk(const std::string& text)
    {
#ifdef PELLAM_EXEC_UTF8
        iconv_t cd = iconv_open("GBK", "UTF-8");
        std::string out(text.size() * 2 + 1, '\0');
        char* in = const_cast<char*>(text.data());
        char* to = &out[0];
        std::size_t inLeft = text.size(), outLeft = out.size();
        bool ok = iconv(cd, &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1);
        iconv_close(cd);
        if (ok) {
            out.resize(out.size() - outLeft);
            return out;
        }
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

// The message box, recorded; with <windows.h> in, the system's own (the
// library is then only compiled, never run).
#ifndef PELLAM_WITH_WINDOWS_H
enum { MB_OK = 0, MB_ICONERROR = 16 };
inline int MessageBox(void*, const char* text, const char* caption, unsigned flags)
{
    Journal().Add(std::string("msgbox:") + text + "|" + caption + "|" + std::to_string(flags));
    return 1;
}
#endif

// The data types of fields and parameters, in the VCL's order.
enum TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet,
    ftOraBlob,
    ftOraClob,
    ftVariant,
    ftInterface,
    ftIDispatch,
    ftGuid,
    ftTimeStamp,
    ftFMTBcd,
    ftFixedWideChar,
    ftWideMemo
};
typedef TFieldType TDataType;
inline const char* FieldTypeName(TFieldType type)
{
    static const char* const names[] =
        {"ftUnknown",  "ftString",      "ftSmallint", "ftInteger",       "ftWord",
         "ftBoolean",  "ftFloat",       "ftCurrency", "ftBCD",           "ftDate",
         "ftTime",     "ftDateTime",    "ftBytes",    "ftVarBytes",      "ftAutoInc",
         "ftBlob",     "ftMemo",        "ftGraphic",  "ftFmtMemo",       "ftParadoxOle",
         "ftDBaseOle", "ftTypedBinary", "ftCursor",   "ftFixedChar",     "ftWideString",
         "ftLargeint", "ftADT",         "ftArray",    "ftReference",     "ftDataSet",
         "ftOraBlob",  "ftOraClob",     "ftVariant",  "ftInterface",     "ftIDispatch",
         "ftGuid",     "ftTimeStamp",   "ftFMTBcd",   "ftFixedWideChar", "ftWideMemo"};
    return names[type];
}

enum TParameterDirection { pdUnknown, pdInput, pdOutput, pdInputOutput, pdReturnValue };

class TComponent {
public:
    explicit TComponent(TComponent* owner = NULL) : Owner(owner) { }
    virtual ~TComponent() { }
    TComponent* Owner;
};

class TADOConnection : public TComponent {
public:
    explicit TADOConnection(TComponent* owner) : TComponent(owner), Connected(this) { }

    struct ConnectedProperty {
        explicit ConnectedProperty(TADOConnection* owner) : owner_(owner) { }
        ConnectedProperty& operator=(bool on)
        {
            if (on) {
                Journal().Add("connect:" + owner_->ConnectionString.str());
                Journal().MaybeFail();
            } else {
                Journal().Add("disconnect");
            }
            value_ = on;
            return *this;
        }
        operator bool() const { return value_; }

    private:
        TADOConnection* owner_;
        bool value_ = false;
    } Connected;
    WideString ConnectionString;
    bool LoginPrompt = true;
};

class TParameter {
public:
    TParameter(std::string owner, int index, std::string name = "")
        : Value(this), Name(name), owner_(owner), index_(index)
    {
    }

    // Value is an OleVariant property: read, it converts as one does.
    struct ValueProperty {
        explicit ValueProperty(TParameter* owner) : owner_(owner) { }
        ValueProperty& operator=(const Variant& v)
        {
            Journal().Add(owner_->Tag() + "=" + v.Describe());
            owner_->Bound = true;
            value_ = v;
            return *this;
        }
        operator OleVariant() const { return value_; }
        operator int() const { return value_; }
        operator __int64() const { return value_; }
        operator double() const { return value_; }
        operator AnsiString() const { return value_; }
        bool IsNull() const { return value_.IsNull(); }
        // What the server sent back, without a binding.
        void Receive(const Variant& v) { value_ = v; }

    private:
        TParameter* owner_;
        OleVariant value_;
    } Value;

    void LoadFromStream(TStream* stream, TFieldType type)
    {
        Journal().Add(
            Tag() + "<stream:" + (stream ? stream->Bytes : "null") +
            (type == ftBlob ? std::string(",blob") : "," + std::string(FieldTypeName(type))));
        DataType = type;
        Bound = true;
    }
    std::string Tag() const { return owner_ + "[" + std::to_string(index_) + "]"; }
    // The parameter as a stored procedure sends it.
    std::string Describe() const
    {
        return Name.str() + "," + FieldTypeName(DataType) + "," + std::to_string(Direction) + "," +
               std::to_string(Size) + "," + std::to_string(Precision) + "," +
               std::to_string(NumericScale) + "," + OleVariant(Value).Describe();
    }

    WideString Name;
    TDataType DataType = ftUnknown;
    TParameterDirection Direction = pdInput;
    int Size = 0;
    unsigned char Precision = 0;
    unsigned char NumericScale = 0;
    bool Bound = false;

private:
    std::string owner_;
    int index_;
};

class TParameters {
public:
    explicit TParameters(std::string owner) : Items(this), Count(this), owner_(owner) { }
    ~TParameters() { Clear(); }

    struct ItemsProperty {
        explicit ItemsProperty(TParameters* owner) : owner_(owner) { }
        TParameter* operator[](int index) { return owner_->At(index); }

    private:
        TParameters* owner_;
    } Items;

    void Clear()
    {
        for (TParameter* p : params_)
            delete p;
        params_.clear();
    }
    void Refresh() { Journal().Add(owner_ + ":refresh"); }
    // Count is a read-only property.
    struct CountProperty {
        explicit CountProperty(TParameters* owner) : owner_(owner) { }
        operator int() const { return static_cast<int>(owner_->params_.size()); }

    private:
        TParameters* owner_;
    } Count;
    TParameter* CreateParameter(const WideString Name, TDataType DataType,
                                TParameterDirection Direction, int Size, const OleVariant& Value)
    {
        TParameter* p = new TParameter(owner_, static_cast<int>(params_.size()), Name.str());
        p->DataType = DataType;
        p->Direction = Direction;
        p->Size = Size;
        p->Value.Receive(Value);
        p->Bound = true;
        params_.push_back(p);
        return p;
    }
    TParameter* ParamByName(const WideString Value)
    {
        for (TParameter* p : params_)
            if (p->Name.str() == Value.str())
                return p;
        throw Exception(("Parameter " + Value.str() + " not found").c_str());
    }
    const std::vector<TParameter*>& All() const { return params_; }

    // A query's parameters come from its SQL text, scanned as the VCL does
    // with ParamCheck on: "'", '"' and '`' each toggle a literal (a GBK
    // double-byte character is stepped over whole); outside a literal ":"
    // begins a parameter, whose name runs to a blank, ",", ";", ")" or a
    // line break, and "::" stands for ":". Sent is the text the server gets.
    void ParseSQL(const std::string& sqlText)
    {
        Clear();
        fixed_ = true;
        std::string text = VclJournal::AsGbk(sqlText);
        Sent.clear();
        bool literal = false;
        auto delimiter = [](char c) {
            return c == ' ' || c == ',' || c == ';' || c == ')' || c == '\r' || c == '\n';
        };
        auto quote = [](char c) { return c == '\'' || c == '"' || c == '`'; };
        auto lead = [&](std::size_t i) {
            return static_cast<unsigned char>(text[i]) >= 0x81 &&
                   static_cast<unsigned char>(text[i]) <= 0xFE && i + 1 < text.size();
        };
        for (std::size_t i = 0; i < text.size();) {
            if (lead(i)) {
                Sent.append(text, i, 2);
                i += 2;
                continue;
            }
            char c = text[i];
            if (c == ':' && !literal && i + 1 < text.size() && text[i + 1] == ':') {
                Sent += ':';
                i += 2;
            } else if (c == ':' && !literal) {
                std::size_t end = i + 1;
                while (end < text.size() && (literal || !delimiter(text[end]))) {
                    if (lead(end)) {
                        end += 2;
                        continue;
                    }
                    if (quote(text[end]))
                        literal = !literal;
                    ++end;
                }
                params_.push_back(new TParameter(owner_, static_cast<int>(params_.size()),
                                                 text.substr(i + 1, end - i - 1)));
                Sent += '?';
                i = end;
            } else {
                if (quote(c))
                    literal = !literal;
                Sent += c;
                ++i;
            }
        }
    }
    // Raises as ADO does when a parameter the text holds has no value.
    void CheckBound()
    {
        for (TParameter* p : params_)
            if (!p->Bound) {
                Journal().Add(owner_ + ":unbound:" + p->Name.str());
                throw Exception(("Parameter " + p->Name.str() + " has no value").c_str());
            }
    }
    std::string Sent;

private:
    TParameter* At(int index)
    {
        // A query has the parameters of its text; a stored procedure's are
        // made as they are named.
        if (fixed_ && index >= static_cast<int>(params_.size())) {
            Journal().Add(owner_ + ":no parameter " + std::to_string(index));
            throw Exception("List index out of bounds");
        }
        while (static_cast<int>(params_.size()) <= index)
            params_.push_back(new TParameter(owner_, static_cast<int>(params_.size())));
        return params_[static_cast<std::size_t>(index)];
    }
    std::vector<TParameter*> params_;
    std::string owner_;
    bool fixed_ = false;
};

class TStrings {
public:
    explicit TStrings(TParameters* parameters = NULL) : Text(this), parameters_(parameters) { }
    void Clear()
    {
        Journal().Add("clear");
        text_.clear();
        Changed();
    }
    struct TextProperty {
        explicit TextProperty(TStrings* owner) : owner_(owner) { }
        TextProperty& operator=(const AnsiString& text)
        {
            Journal().Add("sql:" + text.str());
            owner_->text_ = text.str();
            owner_->Changed();
            return *this;
        }
        operator AnsiString() const { return AnsiString(owner_->text_); }

    private:
        TStrings* owner_;
    } Text;

private:
    // A query's text changed: its parameters are found again.
    void Changed()
    {
        if (parameters_)
            parameters_->ParseSQL(text_);
    }
    std::string text_;
    TParameters* parameters_;
};

class TField {
public:
    Variant Value;
};

class TFields {
public:
    TFields() : Fields(this) { }
    struct FieldsProperty {
        explicit FieldsProperty(TFields* owner) : owner_(owner) { }
        TField* operator[](int index)
        {
            if (index != 0)
                throw Exception("Field index out of range");
            return &owner_->first_;
        }

    private:
        TFields* owner_;
    } Fields;
    int Count() const { return 1; }
    void Fill(const Variant& first) { first_.Value = first; }

private:
    TField first_;
};

class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* owner) : TComponent(owner), Fields(new TFields) { }
    ~TDataSet() { delete Fields; }
    bool IsEmpty() { return recordCount_ == 0; }
    int RecordCount() const { return recordCount_; }
    TFields* Fields;

protected:
    // The rows the stand-in's server answered with.
    void Answered(const std::string& sql = std::string())
    {
        // A batch that selects @@ROWCOUNT answers one row: how many rows
        // its statement changed.
        if (sql.find("SELECT @@ROWCOUNT") != std::string::npos) {
            recordCount_ = 1;
            Fields->Fill(Variant(Journal().Rows));
            return;
        }
        recordCount_ = Journal().Rows;
        if (!Journal().FirstText.empty())
            Fields->Fill(Variant(Journal().FirstText.c_str()));
        else
            Fields->Fill(Variant(Journal().FirstField));
    }
    int recordCount_ = 0;
};

class TADOQuery : public TDataSet {
public:
    explicit TADOQuery(TComponent* owner)
        : TDataSet(owner), Parameters(new TParameters("query")), SQL(new TStrings(Parameters))
    {
    }
    ~TADOQuery()
    {
        delete SQL;
        delete Parameters;
    }
    void Close() { Journal().Add("close"); }
    void Open()
    {
        Journal().Add("open");
        Parameters->CheckBound();
        Journal().MaybeFail();
        Answered(AnsiString(SQL->Text).str());
    }
    // The number of rows the statement changed, as RowsAffected holds it
    // (-1 when the connection's NOCOUNT keeps the counts from it).
    int ExecSQL()
    {
        Journal().Add("exec");
        Parameters->CheckBound();
        Journal().MaybeFail();
        RowsAffected = Journal().NoCount ? -1 : Journal().Rows;
        return RowsAffected;
    }

    TParameters* Parameters;
    TStrings* SQL;
    TADOConnection* Connection = NULL;
    int RowsAffected = 0;
};

class TADOStoredProc : public TDataSet {
public:
    explicit TADOStoredProc(TComponent* owner)
        : TDataSet(owner), Parameters(new TParameters("proc"))
    {
    }
    ~TADOStoredProc() { delete Parameters; }
    void Close() { Journal().Add("proc:close"); }
    // Sends the call with every parameter as made; the server's values come
    // back into the OUTPUT ones and the RETURN value.
    void ExecProc() { Call("exec"); }
    void Open()
    {
        Call("open");
        Answered();
    }

    WideString ProcedureName;
    TParameters* Parameters;
    TADOConnection* Connection = NULL;

private:
    void Call(const char* how)
    {
        Journal().Add(std::string("proc:") + how + ":" + ProcedureName.str());
        for (TParameter* p : Parameters->All())
            Journal().Add("proc:param:" + p->Describe());
        Journal().MaybeFail();
        for (TParameter* p : Parameters->All())
            for (const auto& [name, value] : Journal().Outputs)
                if (name == VclJournal::AsGbk(p->Name.str()) && p->Direction != pdInput)
                    p->Value.Receive(value);
    }
};

class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* owner) : TComponent(owner) { }
    TDataSet* DataSet = NULL;
};

#endif
