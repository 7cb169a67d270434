#include "Genfunc.h"
#include "OperatorNames.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

const char* const kProcedureHeader[] = {
    R"~(#ifndef ${Class}ProcedureH)~",
    R"~(#define ${Class}ProcedureH)~",
    R"~(#include <ADODB.hpp>)~",
    R"~()~",
    R"~(class ${Class}Procedure)~",
    R"~({)~",
    R"~( public:)~",
    R"~(   ${Class}Procedure(TADOConnection* conn=NULL);)~",
    R"~(   ~${Class}Procedure();)~",
    R"~()~",
    R"~(   void SetConnection(TADOConnection* conn);)~",
    R"~()~",
    R"~(   bool Exec(${ExecParameters});)~",
    R"~(   TADOStoredProc* Open(${OpenParameters});)~",
    R"~(   int ReturnValue();)~",
    R"~()~",
    R"~(   TADOStoredProc* Get();)~",
    R"~()~",
    R"~( private:)~",
    R"~(   ${Class}Procedure(const ${Class}Procedure&);)~",
    R"~(   ${Class}Procedure& operator=(const ${Class}Procedure&);)~",
    R"~(   void Prepare(${OpenParameters});)~",
    R"~(   TADOStoredProc* m_proc;)~",
    R"~(};)~",
    R"~(#endif)~",
};

const char* const kProcedureSourceHead[] = {
    R"~(#include "${Class}Procedure.h")~",
    R"~()~",
    R"~(${Class}Procedure::${Class}Procedure(TADOConnection* conn):m_proc(NULL){)~",
    R"~(  m_proc=new TADOStoredProc(NULL);)~",
    R"~(  m_proc->Connection=conn;)~",
    R"~(  m_proc->ProcedureName=${L}"${NameInLiteral}";)~",
    R"~(})~",
    R"~()~",
    R"~(${Class}Procedure::~${Class}Procedure(){)~",
    R"~(  if(m_proc)delete m_proc;)~",
    R"~(})~",
    R"~()~",
    R"~(void ${Class}Procedure::SetConnection(TADOConnection* conn){)~",
    R"~(  m_proc->Connection=conn;)~",
    R"~(})~",
    R"~()~",
    R"~(void ${Class}Procedure::Prepare(${OpenParameters}){)~",
    R"~(  m_proc->Close();)~",
    R"~(  m_proc->Parameters->Clear();)~",
    R"~(  m_proc->Parameters->CreateParameter(${L}"@RETURN_VALUE",ftInteger,pdReturnValue,0,OleVariant());)~",
};

const char* const kProcedureSourceTail[] = {
    R"~(})~",
    R"~()~",
    R"~(bool ${Class}Procedure::Exec(${ExecParameters}){)~",
    R"~(  try)~",
    R"~(  {)~",
    R"~(    Prepare(${Arguments});)~",
    R"~(    m_proc->ExecProc();)~",
};

const char* const kProcedureSourceEnd[] = {
    R"~(    return true;)~",
    R"~(  })~",
    R"~(  catch(Exception &e))~",
    R"~(  {)~",
    R"~(    ${MessageBox}(NULL,e.Message.c_str(),${L}"ExecProc执行出错",MB_ICONERROR);)~",
    R"~(  })~",
    R"~(  return false;)~",
    R"~(})~",
    R"~()~",
    R"~(TADOStoredProc* ${Class}Procedure::Open(${OpenParameters}){)~",
    R"~(  try)~",
    R"~(  {)~",
    R"~(    Prepare(${Arguments});)~",
    R"~(    m_proc->Open();)~",
    R"~(    return m_proc;)~",
    R"~(  })~",
    R"~(  catch(Exception &e))~",
    R"~(  {)~",
    R"~(    ${MessageBox}(NULL,e.Message.c_str(),${L}"ExecSQL执行出错",MB_ICONERROR);)~",
    R"~(  })~",
    R"~(  return NULL;)~",
    R"~(})~",
    R"~()~",
    R"~(int ${Class}Procedure::ReturnValue(){)~",
    R"~(  if(m_proc->Parameters->Count==0||m_proc->Parameters->Items[0]->Value.IsNull()))~",
    R"~(    return 0;)~",
    R"~(  return m_proc->Parameters->Items[0]->Value;)~",
    R"~(})~",
    R"~()~",
    R"~(TADOStoredProc* ${Class}Procedure::Get(){)~",
    R"~(  return m_proc;)~",
    R"~(})~",
};

template <std::size_t N> std::vector<std::string> Lines(const char* const (&lines)[N])
{
    return std::vector<std::string>(lines, lines + N);
}

bool Is(const std::string& type, const char* name)
{
    return platform::SameTextIgnoreCase(type, name);
}

// The ADO parameter of a server type in its own group, when there is one.
bool NativeParameter(const std::string& type, const ParameterShape& shape, AdoParameter& out)
{
    int length = shape.Length;
    bool max = length < 0;
    struct Fixed {
        const char* Type;
        const char* DataType;
        int Size;
    };
    static const Fixed fixed[] = {
        {"int", "ftInteger", 0},
        {"smallint", "ftSmallint", 0},
        {"tinyint", "ftWord", 0},
        {"bit", "ftBoolean", 0},
        {"bigint", "ftLargeint", 0},
        {"real", "ftFloat", 0},
        {"float", "ftFloat", 0},
        {"text", "ftMemo", 2147483647},
        {"ntext", "ftWideMemo", 1073741823},
        {"image", "ftBlob", 2147483647},
        {"timestamp", "ftBytes", 8},
        {"sysname", "ftWideString", 128},
    };
    for (const Fixed& f : fixed)
        if (Is(type, f.Type)) {
            out = {f.DataType, f.Size, false};
            return true;
        }
    // The exact numbers carry their precision and scale, so that ADO does
    // not round a value to its own default.
    for (const char* exact : {"decimal", "numeric", "money", "smallmoney"})
        if (Is(type, exact)) {
            out = {"ftBCD", 0, true};
            return true;
        }
    if (Is(type, "char"))
        out = {"ftFixedChar", length, false};
    else if (Is(type, "varchar"))
        out = {max ? "ftMemo" : "ftString", length, false};
    else if (Is(type, "nchar"))
        out = {"ftFixedWideChar", length / 2, false};
    else if (Is(type, "nvarchar"))
        out = {max ? "ftWideMemo" : "ftWideString", max ? -1 : length / 2, false};
    else if (Is(type, "binary"))
        out = {"ftBytes", length, false};
    else if (Is(type, "varbinary"))
        out = {max ? "ftBlob" : "ftVarBytes", length, false};
    else
        return false;
    return true;
}

// The longest text of a value of a type passed as a string, which the
// server converts: its dates and times, a GUID, a variant.
int TextLength(const std::string& type)
{
    static const std::pair<const char*, int> lengths[] = {
        {"datetime", 23},
        {"smalldatetime", 19},
        {"date", 10},
        {"time", 16},
        {"datetime2", 27},
        {"datetimeoffset", 34},
        {"uniqueidentifier", 38},
        {"sql_variant", 4000},
    };
    for (const auto& [name, length] : lengths)
        if (Is(type, name))
            return length;
    return 4000;
}

}  // namespace

bool IsProcedureParameterTyped(const SchemaColumn& parameter, std::string& why)
{
    if (!IsSupportedType(parameter.TypeName)) {
        why = "参数 " + platform::Printable(parameter.Name) + " 的类型 " +
              (parameter.TypeName.empty() ? std::string("（未知）")
                                          : platform::Printable(parameter.TypeName)) +
              (parameter.BaseType.empty() ? "，是表值参数、CLR 类型或未知类型，" : "，") +
              "不属于任何类型组";
        return false;
    }
    if (parameter.Shape.Output && IsBlobType(parameter.TypeName)) {
        why = "OUTPUT 参数 " + platform::Printable(parameter.Name) + " 是二进制流，无法返回";
        return false;
    }
    return true;
}

std::string ProcedureLeftOutReason(const SchemaObject& procedure)
{
    std::string why;
    for (const SchemaColumn& p : procedure.Columns)
        if (!IsProcedureParameterTyped(p, why))
            return why;
    return std::string();
}

AdoParameter AdoParameterOf(const SchemaColumn& parameter)
{
    // The server's own type (an alias's base), when the group the options
    // put the parameter in is that type's own; else what the group stands
    // for, which the server converts.
    // (A CLR type has no base: it goes as its group.)
    const std::string& own = parameter.BaseType;
    const std::string& resolved = parameter.TypeName;
    AdoParameter native;
    auto group = [](const std::string& type) {
        return IsIntegerType(type) ? 0 : IsStringType(type) ? 1 : IsFloatType(type) ? 2 : 3;
    };
    bool dated = Is(own, "datetime") || Is(own, "smalldatetime");
    // A date sent back as text would come in the server's default style,
    // without its seconds: an OUTPUT one comes as the date it is.
    if (dated && parameter.Shape.Output && IsStringType(resolved))
        return {"ftDateTime", 0, false};
    if (!dated && IsSupportedType(own) && group(own) == group(resolved) &&
        NativeParameter(own, parameter.Shape, native))
        return native;
    if (IsIntegerType(resolved))
        return {Is(resolved, "bigint") ? "ftLargeint" : "ftInteger", 0, false};
    if (IsFloatType(resolved))
        return {"ftFloat", 0, false};
    if (IsBlobType(resolved))
        return {"ftBlob", -1, false};
    // A string the server converts: a date as ISO text keeps every digit,
    // which the VCL's own date conversion, bound to the locale, would not.
    if (Is(own, "xml") || parameter.Shape.Length < 0)
        return {"ftWideMemo", -1, false};
    return {"ftWideString", TextLength(own), false};
}

void WriteProcedureFiles(const std::string& proceduresFolder, const SchemaObject& procedure,
                         const OutputForm& form)
{
    std::string className = procedure.Label;
    OperatorFilePaths paths = ProcedurePaths(proceduresFolder, className);
    std::vector<std::string> exec, open, arguments, create, copyBack;
    int index = 1;  // after the RETURN value
    for (const SchemaColumn& p : procedure.Columns) {
        std::string type = ParameterTypeText(p.TypeName);
        bool blob = IsBlobType(p.TypeName);
        exec.push_back(p.Shape.Output ? platform::Trim(type) + "& " + p.Label : type + p.Label);
        open.push_back(type + p.Label);
        arguments.push_back(p.Label);
        AdoParameter ado = AdoParameterOf(p);
        std::string item = "  m_proc->Parameters->Items[" + std::to_string(index) + "]";
        // An OUTPUT date goes in as the caller's text, or as NULL when
        // there is none, which no date conversion takes.
        std::string value = blob ? std::string("OleVariant()")
                            : ado.DataType == "ftDateTime"
                                ? p.Label + ".Length()?OleVariant(" + p.Label + "):OleVariant()"
                                : p.Label;
        create.push_back("  m_proc->Parameters->CreateParameter(" + form.LiteralPrefix() + "\"" +
                         LiteralEscaped(p.Name) + "\"," + ado.DataType + "," +
                         (p.Shape.Output ? "pdInputOutput" : "pdInput") + "," +
                         std::to_string(ado.Size) + "," + value + ");");
        if (ado.Precise) {
            create.push_back(item + "->Precision=" + std::to_string(p.Shape.Precision) + ";");
            create.push_back(item + "->NumericScale=" + std::to_string(p.Shape.Scale) + ";");
        }
        if (blob)
            create.push_back(item + "->LoadFromStream(" + p.Label + "," + ado.DataType + ");");
        if (p.Shape.Output) {
            // A NULL leaves the caller's value as it was.
            std::string value = "m_proc->Parameters->Items[" + std::to_string(index) + "]->Value";
            copyBack.push_back("    if(!" + value + ".IsNull())");
            copyBack.push_back("      " + p.Label + "=" + value + ";");
        }
        ++index;
    }
    std::vector<platform::Field> fields = {
        {"Class", className},
        {"ExecParameters", JoinItems(exec, ",")},
        {"OpenParameters", JoinItems(open, ",")},
        {"Arguments", JoinItems(arguments, ",")},
        {"NameInLiteral", LiteralEscaped(TwoPartName(procedure))},
        {"Create", JoinLines(create)},
        {"CopyBack", JoinLines(copyBack)},
    };
    // The names go in as fields, never into the template itself.
    std::vector<std::string> source = Lines(kProcedureSourceHead);
    if (!create.empty())
        source.push_back("${Create}");
    for (const std::string& line : Lines(kProcedureSourceTail))
        source.push_back(line);
    if (!copyBack.empty())
        source.push_back("${CopyBack}");
    for (const std::string& line : Lines(kProcedureSourceEnd))
        source.push_back(line);
    WriteTextFile(paths.Header, FillForm(JoinLines(Lines(kProcedureHeader)), fields, form), form);
    WriteTextFile(paths.Source, FillForm(JoinLines(source), fields, form), form);
}
