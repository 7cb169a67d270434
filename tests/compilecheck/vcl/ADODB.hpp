#ifndef PellamVclStandInH
#define PellamVclStandInH

// A small stand-in for the VCL's ADO components (Data.Win.ADODB), as their
// documentation declares the members Pellam's generated library uses, in
// C++Builder 6's ANSI VCL or (PELLAM_VCL_UNICODE) the Unicode VCL of
// C++Builder 2009 and later. It records every SQL text, execution and
// parameter binding in a journal, and can be told to fail the next
// statement, so that a test program can check what the generated classes do.

#include "System.hpp"

#include <algorithm>
#include <cctype>

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
            // A NULL is told with the type it goes as.
            Journal().Add(
                owner_->Tag() + "=" + v.Describe() +
                (v.IsNull() ? std::string(":") + FieldTypeName(owner_->DataType) : std::string()));
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
    // Raises as ADO does when a parameter the text holds has no value, or
    // holds a NULL of no data type ("Parameter object is improperly
    // defined").
    void CheckBound()
    {
        for (TParameter* p : params_) {
            if (!p->Bound) {
                Journal().Add(owner_ + ":unbound:" + p->Name.str());
                throw Exception(("Parameter " + p->Name.str() + " has no value").c_str());
            }
            if (p->Value.IsNull() && p->DataType == ftUnknown) {
                Journal().Add(owner_ + ":untyped null:" + p->Name.str());
                throw Exception("Parameter object is improperly defined");
            }
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

class TDataSet;

// A field of the open record: its name and value, and the properties that
// read the value as the VCL converts it (AsInteger, AsFloat, AsString,
// IsNull).
class TField {
public:
    explicit TField(const std::string& name = std::string())
        : FieldName(name.c_str()), IsNull(this), AsInteger(this), AsFloat(this), AsString(this),
          name_(name)
    {
    }
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    String FieldName;
    Variant Value;
    struct IsNullProperty {
        explicit IsNullProperty(const TField* owner) : owner_(owner) { }
        operator bool() const { return owner_->Value.IsNull(); }

    private:
        const TField* owner_;
    } IsNull;
    // A NULL reads as 0 or "", as the VCL's do.
    struct AsIntegerProperty {
        explicit AsIntegerProperty(const TField* owner) : owner_(owner) { }
        operator int() const
        {
            return owner_->Value.IsNull() ? 0 : static_cast<int>(owner_->Value);
        }

    private:
        const TField* owner_;
    } AsInteger;
    struct AsFloatProperty {
        explicit AsFloatProperty(const TField* owner) : owner_(owner) { }
        operator double() const
        {
            return owner_->Value.IsNull() ? 0.0 : static_cast<double>(owner_->Value);
        }

    private:
        const TField* owner_;
    } AsFloat;
    struct AsStringProperty {
        explicit AsStringProperty(const TField* owner) : owner_(owner) { }
        operator String() const
        {
            const Variant& v = owner_->Value;
            if (v.IsNull())
                return String();
#ifdef PELLAM_VCL_UNICODE
            if (v.HoldsWide())
                return static_cast<UnicodeString>(v);
#endif
            return String(v.Text().c_str());
        }

    private:
        const TField* owner_;
    } AsString;
    const std::string& Name() const
    {
        return name_;
    }

private:
    std::string name_;
};

class TFields {
public:
    TFields() : Fields(this) { }
    ~TFields() { Clear(); }
    struct FieldsProperty {
        explicit FieldsProperty(TFields* owner) : owner_(owner) { }
        TField* operator[](int index)
        {
            if (index < 0 || index >= static_cast<int>(owner_->fields_.size()))
                throw Exception("Field index out of range");
            return owner_->fields_[static_cast<std::size_t>(index)];
        }

    private:
        TFields* owner_;
    } Fields;
    int Count() const { return static_cast<int>(fields_.size()); }
    void Clear()
    {
        for (TField* f : fields_)
            delete f;
        fields_.clear();
    }
    void Add(const std::string& name) { fields_.push_back(new TField(name)); }
    std::vector<TField*>& All() { return fields_; }

private:
    std::vector<TField*> fields_;
};

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// A dataset's open records and its cursor: Active, Eof, First, Next, the
// fields of the current record (Fields, FieldByName, FindField, matched
// without regard to case as the VCL's are), and a blob field's stream.
class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* owner) : TComponent(owner), Fields(new TFields)
    {
        Live().push_back(this);
    }
    ~TDataSet()
    {
        Live().erase(std::find(Live().begin(), Live().end(), this));
        delete Fields;
    }
    bool IsEmpty() { return records_.empty(); }
    int RecordCount() const { return static_cast<int>(records_.size()); }
    TFields* Fields;
    bool Active = false;
    bool Eof = true;

    void First() { MoveTo(0); }
    // Past the last record the cursor stays on it, Eof set, and nothing
    // scrolls.
    void Next()
    {
        if (at_ + 1 < records_.size())
            MoveTo(at_ + 1);
        else
            Eof = true;
    }
    TField* FindField(const String& name)
    {
#ifdef PELLAM_VCL_UNICODE
        std::string wanted = pellamvcl::Utf8Of(name.wide());
#else
        std::string wanted = name.str();
#endif
        for (TField* f : Fields->All())
            if (SameName(f->Name(), wanted))
                return f;
        return NULL;
    }
    TField* FieldByName(const String& name)
    {
        TField* f = FindField(name);
        if (!f) {
            Journal().Add("no field:" + String(name).str());
            throw Exception("Field not found");
        }
        return f;
    }
    TStream* CreateBlobStream(TField* field, TBlobStreamMode)
    {
        TMemoryStream* stream = new TMemoryStream;
        stream->Bytes = field->Value.IsNull() ? std::string() : field->Value.Text();
        return stream;
    }

    // A detail that follows this dataset as its master: opened again, with
    // its parameters from the new record, whenever the cursor moves.
    void Follow(class TADOQuery* detail)
    {
        if (std::find(details_.begin(), details_.end(), detail) == details_.end())
            details_.push_back(detail);
    }

protected:
    // The rows the stand-in's server answered with.
    void Answered(const std::string& sql = std::string())
    {
        Fields->Clear();
        records_.clear();
        VclJournal& j = Journal();
        if (!j.Answers.empty() && sql.find("SELECT @@ROWCOUNT") == std::string::npos) {
            // The next answer, its fields named.
            VclAnswer answer = j.Answers.front();
            j.Answers.erase(j.Answers.begin());
            for (const std::string& name : answer.Names)
                Fields->Add(name);
            records_ = answer.Records;
        } else {
            // A batch that selects @@ROWCOUNT answers one row: how many
            // rows its statement changed. Else Rows records of the first
            // field.
            bool counted = sql.find("SELECT @@ROWCOUNT") != std::string::npos;
            Variant first = counted                ? Variant(j.Rows)
                            : !j.FirstText.empty() ? Variant(j.FirstText.c_str())
                                                   : Variant(j.FirstField);
            Fields->Add(std::string());
            records_.assign(static_cast<std::size_t>(counted ? 1 : j.Rows),
                            std::vector<Variant>{first});
        }
        Active = true;
        MoveTo(0, false);
    }
    void Closed()
    {
        Active = false;
        Eof = true;
    }

private:
    static std::vector<TDataSet*>& Live()
    {
        static std::vector<TDataSet*> live;
        return live;
    }
    static bool SameName(const std::string& a, const std::string& b)
    {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(a[i])) !=
                std::tolower(static_cast<unsigned char>(b[i])))
                return false;
        return true;
    }
    void MoveTo(std::size_t at, bool tellDetails = true);

    std::vector<std::vector<Variant>> records_;
    std::size_t at_ = 0;
    std::vector<class TADOQuery*> details_;
};

class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* owner) : TComponent(owner) { }
    TDataSet* DataSet = NULL;
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
    void Close()
    {
        Journal().Add("close");
        Closed();
    }
    void Open()
    {
        Journal().Add("open");
        FromMaster();
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
    // The master moved: the VCL closes the detail and opens it again.
    void MasterChanged(TDataSet* master)
    {
        if (!DataSource || DataSource->DataSet != master || !Active)
            return;
        Journal().Add("master moved");
        Close();
        Open();
    }

    TParameters* Parameters;
    TStrings* SQL;
    TADOConnection* Connection = NULL;
    // The master-detail link: the parameters named as the master's fields
    // take their values from its current record.
    TDataSource* DataSource = NULL;
    int RowsAffected = 0;

private:
    void FromMaster()
    {
        if (!DataSource || !DataSource->DataSet)
            return;
        TDataSet* master = DataSource->DataSet;
        master->Follow(this);
        for (TParameter* p : Parameters->All()) {
#ifdef PELLAM_VCL_UNICODE
            TField* field = master->FindField(UnicodeString(p->Name));
#else
            TField* field = master->FindField(String(p->Name.str()));
#endif
            if (!field)
                continue;
            // The value of the master's record, and the type it goes as.
            if (field->Value.IsNull())
                p->DataType = ftVariant;
            p->Value = field->Value;
        }
    }
};

inline void TDataSet::MoveTo(std::size_t at, bool tellDetails)
{
    at_ = at;
    Eof = records_.empty();
    for (std::size_t k = 0; k < Fields->All().size(); ++k)
        Fields->All()[k]->Value = !Eof && k < records_[at_].size() ? records_[at_][k] : Variant();
    if (!tellDetails)
        return;
    for (TADOQuery* detail : std::vector<TADOQuery*>(details_))
        if (std::find(Live().begin(), Live().end(), detail) != Live().end())
            detail->MasterChanged(this);
}

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

#endif
