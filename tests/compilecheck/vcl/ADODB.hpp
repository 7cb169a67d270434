#ifndef PellamVclStandInH
#define PellamVclStandInH

// A small stand-in for the VCL's ADO components (Data.Win.ADODB), as their
// documentation declares the members Pellam's generated library uses, in
// C++Builder 6's ANSI VCL or (PELLAM_VCL_UNICODE) the Unicode VCL of
// C++Builder 2009 and later. It records every SQL text, execution and
// parameter binding in a journal, and can be told to fail the next
// statement, so that a test program can check what the generated classes do.

#include "System.hpp"

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
    TParameter(std::string owner, int index, const char* name = "")
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
        operator String() const { return value_; }
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
        TParameter* p = new TParameter(owner_, static_cast<int>(params_.size()));
        p->Name = Name;
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
    // double-byte character is stepped over whole in the ANSI VCL; the
    // Unicode VCL scans characters); outside a literal ":" begins a
    // parameter, whose name runs to a blank, ",", ";", ")" or a line
    // break, and "::" stands for ":". Sent is the text the server gets.
    void ParseSQL(const String& sqlText)
    {
        Clear();
        fixed_ = true;
#ifdef PELLAM_VCL_UNICODE
        // Scanned in UTF-8, each character stepped over whole.
        std::string text = pellamvcl::Utf8Of(sqlText.wide());
        auto whole = [&](std::size_t i) -> std::size_t {
            unsigned char b = static_cast<unsigned char>(text[i]);
            return b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        };
#else
        std::string text = VclJournal::AsGbk(sqlText.str());
        auto whole = [&](std::size_t i) -> std::size_t {
            return static_cast<unsigned char>(text[i]) >= 0x81 &&
                           static_cast<unsigned char>(text[i]) <= 0xFE && i + 1 < text.size()
                       ? 2
                       : 1;
        };
#endif
        Sent.clear();
        bool literal = false;
        auto delimiter = [](char c) {
            return c == ' ' || c == ',' || c == ';' || c == ')' || c == '\r' || c == '\n';
        };
        auto quote = [](char c) { return c == '\'' || c == '"' || c == '`'; };
        auto lead = [&](std::size_t i) { return whole(i) > 1; };
        for (std::size_t i = 0; i < text.size();) {
            if (lead(i)) {
                Sent.append(text, i, whole(i));
                i += whole(i);
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
                        end += whole(end);
                        continue;
                    }
                    if (quote(text[end]))
                        literal = !literal;
                    ++end;
                }
                params_.push_back(new TParameter(owner_, static_cast<int>(params_.size()),
                                                 text.substr(i + 1, end - i - 1).c_str()));
                Sent += '?';
                i = end;
            } else {
                if (quote(c))
                    literal = !literal;
                Sent += c;
                ++i;
            }
        }
#ifdef PELLAM_VCL_UNICODE
        Sent = pellamvcl::JournalText(Sent);
#endif
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
        text_ = String();
        Changed();
    }
    // Text is a String property.
    struct TextProperty {
        explicit TextProperty(TStrings* owner) : owner_(owner) { }
        TextProperty& operator=(const String& text)
        {
            Journal().Add("sql:" + text.str());
            owner_->text_ = text;
            owner_->Changed();
            return *this;
        }
        operator String() const { return owner_->text_; }

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
    String text_;
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
        Answered(String(SQL->Text).str());
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
