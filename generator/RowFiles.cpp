// A typed row per table and view: one member per column, NULL kept apart
// from every value where the column allows it; reading the current record
// or every record into rows, and, for a table, writing a row whole.

#include "Genfunc.h"
#include "OperatorExtras.h"
#include "OperatorNames.h"
#include "Rows.h"

#include <algorithm>

namespace {

// The base's value type for a column that allows NULL, and its bytes.
const char* const kBaseTypes[] = {
    R"~(template<class T> class DBNullable)~",
    R"~({)~",
    R"~(  public:)~",
    R"~(    DBNullable():m_null(true),m_value(){})~",
    R"~(    DBNullable(const T& value):m_null(false),m_value(value){})~",
    R"~(    DBNullable& operator=(const T& value){)~",
    R"~(       m_value=value;)~",
    R"~(       m_null=false;)~",
    R"~(       return *this;)~",
    R"~(    })~",
    R"~(    bool IsNull()const{return m_null;})~",
    R"~(    void SetNull(){)~",
    R"~(       m_null=true;)~",
    R"~(       m_value=T();)~",
    R"~(    })~",
    R"~(    const T& Value()const{return m_value;})~",
    R"~(  private:)~",
    R"~(    bool m_null;)~",
    R"~(    T m_value;)~",
    R"~(};)~",
    R"~()~",
    R"~(typedef std::vector<unsigned char> DBBytes;)~",
    R"~()~",
};

// A NULL bound with the type the server is to take it as; bytes bound as
// a blob, and read from a blob field.
const char* const kBaseHelpers[] = {
    R"~()~",
    R"~(   static void SetNull(TParameter* param,TFieldType type){)~",
    R"~(      param->DataType=type;)~",
    R"~(      param->Value=Null();)~",
    R"~(    })~",
    R"~()~",
    R"~(   static void SetBytes(TParameter* param,const DBBytes& bytes){)~",
    R"~(      TMemoryStream* stream=new TMemoryStream();)~",
    R"~(      try{)~",
    R"~(       if(!bytes.empty()))~",
    R"~(         stream->WriteBuffer(&bytes[0],(int)bytes.size());)~",
    R"~(       stream->Position=0;)~",
    R"~(       param->LoadFromStream(stream,ftBlob);)~",
    R"~(      }catch(...){)~",
    R"~(        delete stream;)~",
    R"~(        throw;)~",
    R"~(      })~",
    R"~(      delete stream;)~",
    R"~(    })~",
    R"~()~",
    R"~(   void GetBytes(TField* field,DBBytes& bytes){)~",
    R"~(      bytes.clear();)~",
    R"~(      TStream* stream=Get()->CreateBlobStream(field,bmRead);)~",
    R"~(      try{)~",
    R"~(       bytes.resize((size_t)stream->Size);)~",
    R"~(       if(!bytes.empty()))~",
    R"~(         stream->ReadBuffer(&bytes[0],(int)bytes.size());)~",
    R"~(      }catch(...){)~",
    R"~(        delete stream;)~",
    R"~(        throw;)~",
    R"~(      })~",
    R"~(      delete stream;)~",
    R"~(    })~",
};

const char* const kReadRow[] = {
    R"~(bool ${Class}Operator::ReadRow(${Row}& row){)~",
    R"~(   try{)~",
    R"~(     if(!m_query->Active||m_query->Eof))~",
    R"~(        return false;)~",
    R"~(${Reading})~",
    R"~(     return true;)~",
    R"~(   }catch(Exception &e){)~",
    R"~(     ${MessageBox}(NULL,e.Message.c_str(),${L}"ReadRow执行出错",MB_ICONERROR);)~",
    R"~(   })~",
    R"~(   return false;)~",
    R"~(})~",
    R"~()~",
    R"~(bool ${Class}Operator::ReadRows(std::vector<${Row}>& rows){)~",
    R"~(   rows.clear();)~",
    R"~(   if(!m_query->Active))~",
    R"~(      return false;)~",
    R"~(   m_query->First();)~",
    R"~(   while(!m_query->Eof){)~",
    R"~(      ${Row} row;)~",
    R"~(      if(!ReadRow(row)))~",
    R"~(         return false;)~",
    R"~(      rows.push_back(row);)~",
    R"~(      m_query->Next();)~",
    R"~(   })~",
    R"~(   return true;)~",
    R"~(})~",
    R"~()~",
};

const char* const kNewRow[] = {
    R"~(bool ${Class}Operator::New(const ${Row}& row){)~",
    R"~(   String strSql=${L}${InsertText};)~",
    R"~(   InitQuery(strSql);)~",
    R"~(${RowBinding})~",
    R"~(   return ExecSQLNonQuery();)~",
    R"~(})~",
    R"~()~",
};

const char* const kNewRowWithIdentity[] = {
    R"~(bool ${Class}Operator::NewWithIdentity(${Row}& row){)~",
    R"~(   String strSql=${L}${IdentityInsertText};)~",
    R"~(   InitQuery(strSql);)~",
    R"~(${RowBinding})~",
    R"~(   if(!DBTableOperator::OpenFound()))~",
    R"~(      return false;)~",
    R"~(   row.${IdentityLabel}=m_query->Fields->Fields[0]->Value;)~",
    R"~(   return true;)~",
    R"~(})~",
    R"~()~",
};

const char* const kFindRowByKey[] = {
    R"~(bool ${Class}Operator::FindByKey(${KeyParameters},${Row}& ${RowName}){)~",
    R"~(   return FindByKey(${KeyArguments})&&ReadRow(${RowName});)~",
    R"~(})~",
    R"~()~",
};

const char* const kUpdateRowByKey[] = {
    R"~(bool ${Class}Operator::UpdateByKey(const ${Row}& row){)~",
    R"~(   String strSql=${L}${UpdateByKeyText};)~",
    R"~(   InitQuery(strSql);)~",
    R"~(${RowBinding})~",
    R"~(   return DBTableOperator::ExecSQLFound();)~",
    R"~(})~",
    R"~()~",
};

const char* const kOpenRowsBy[] = {
    R"~(bool ${Class}Operator::OpenBy${Suffix}(${Parameters},std::vector<${Row}>& ${RowsName}){)~",
    R"~(   return OpenBy${Suffix}(${Arguments})&&ReadRows(${RowsName});)~",
    R"~(})~",
    R"~()~",
};

// A name for a parameter beside others: the first of name, name2, name3 ...
// that none of them is.
std::string FreeName(const std::string& name, const NameList& others)
{
    std::string free = name;
    for (int n = 2; std::find(others.begin(), others.end(), free) != others.end(); ++n)
        free = name + std::to_string(n);
    return free;
}

// The data type a NULL of the column is bound as.
std::string NullType(const SchemaColumn& c, const std::string& type)
{
    if (type == "DBBytes")
        return "ftBlob";
    if (type == "__int64")
        return "ftLargeint";
    if (type == "int")
        return "ftInteger";
    if (type == "double")
        return "ftFloat";
    (void)c;
    return "ftWideString";
}

// The lines that bind each column's value from the row, by position.
std::string RowBindingOf(const SchemaObject& table, const NameList& columns, const RowShape& shape)
{
    std::vector<std::string> lines = {"   int nCount=0;"};
    const std::string next = "m_query->Parameters->Items[nCount++]";
    for (const std::string& name : columns) {
        const SchemaColumn& c = *ColumnNamed(table, name);
        RowMember m = shape.MemberOf(c);
        std::string value = "row." + c.Label + (m.Nullable ? ".Value()" : "");
        std::string bind = m.Type == "DBBytes"
                               ? std::string("SetBytes(").append(next).append(",").append(value)
                               : std::string(next).append("->Value=").append(value);
        bind += m.Type == "DBBytes" ? ");" : ";";
        if (!m.Nullable) {
            lines.push_back("   " + bind);
            continue;
        }
        lines.push_back("   if(row." + c.Label + ".IsNull())");
        lines.push_back("      SetNull(" + next + "," + NullType(c, m.Type) + ");");
        lines.push_back("   else");
        lines.push_back("      " + bind);
    }
    return JoinLines(lines);
}

// The lines that fill the row from the current record, field by field.
std::string ReadingOf(const SchemaObject& object, const RowShape& shape, const OutputForm& form)
{
    std::vector<std::string> lines = {"     TField* field;"};
    for (const SchemaColumn& c : object.Columns) {
        RowMember m = shape.MemberOf(c);
        lines.push_back("     field=m_query->FieldByName(" + form.LiteralPrefix() + "\"" +
                        LiteralEscaped(c.Name) + "\");");
        std::string member = "row." + c.Label;
        std::string value = m.Type == "int"       ? "field->AsInteger"
                            : m.Type == "__int64" ? "StrToInt64(field->AsString)"
                            : m.Type == "double"  ? "field->AsFloat"
                                                  : "field->AsString";
        std::vector<std::string> read;
        if (m.Type == "DBBytes" && m.Nullable)
            read = {"DBBytes bytes;", "GetBytes(field,bytes);", member + "=bytes;"};
        else if (m.Type == "DBBytes")
            read = {"GetBytes(field," + member + ");"};
        else
            read = {std::string(member).append("=").append(value).append(";")};
        if (!m.Nullable) {
            lines.push_back("     " + read.front());
            continue;
        }
        lines.push_back("     if(field->IsNull)");
        lines.push_back("        " + member + ".SetNull();");
        if (read.size() == 1) {
            lines.push_back("     else");
            lines.push_back("        " + read.front());
        } else {
            lines.push_back("     else{");
            for (const std::string& line : read)
                lines.push_back("        " + line);
            lines.push_back("     }");
        }
    }
    return JoinLines(lines);
}

}  // namespace

RowMember RowShape::MemberOf(const SchemaColumn& c) const
{
    // A value that finds rows (a key) or that the server numbers (the
    // IDENTITY column) keeps every digit: a decimal one as its text.
    bool exact = (std::find(Key.begin(), Key.end(), c.Name) != Key.end()) ||
                 (!IdentityColumn.empty() && c.Name == IdentityColumn);
    std::string type = platform::Trim(ParameterTypeOf(c.TypeName, exact));
    if (IsBlobType(c.TypeName))
        type = "DBBytes";
    return {type, NullabilityKnown && c.Nullable};
}

std::string RowTypeName(const std::string& label)
{
    return label + "Row";
}

void AddRowMethods(const SchemaObject& object, bool table, const RowShape& shape,
                   const KeyFills* keys, const TableFills* fills,
                   const std::vector<RelationPlan>& relations, const OutputForm& form,
                   OperatorExtras& extras)
{
    std::string row = RowTypeName(object.Label);
    // The type: a member per column, NOT NULL numbers zero at first.
    std::vector<std::string> type = {"struct " + row, "{"};
    std::vector<std::string> zeroed;
    for (const SchemaColumn& c : object.Columns) {
        RowMember m = shape.MemberOf(c);
        type.push_back("   " + (m.Nullable ? "DBNullable<" + m.Type + ">" : m.Type) + " " +
                       c.Label + ";");
        if (!m.Nullable && (m.Type == "int" || m.Type == "__int64" || m.Type == "double"))
            zeroed.push_back(c.Label + "(0)");
    }
    if (!zeroed.empty())
        type.push_back("   " + row + "():" + JoinItems(zeroed, ",") + "{}");
    type.push_back("};");
    type.emplace_back();
    extras.TypesBefore += JoinLines(type) + "\r\n";

    std::vector<platform::Field> fields = {{"Class", object.Label},
                                           {"Row", row},
                                           {"Reading", ReadingOf(object, shape, form)}};
    std::vector<std::string> members;
    std::string definitions;
    if (table && fills) {
        NameList written;
        for (const SchemaColumn& c : object.Columns)
            if (std::find(object.Identity.begin(), object.Identity.end(), c.Name) ==
                    object.Identity.end() &&
                !IsRowVersionColumn(c.TypeName, c.BaseType))
                written.push_back(c.Name);
        fields.push_back({"InsertText", fills->InsertText});
        fields.push_back({"RowBinding", RowBindingOf(object, written, shape)});
        members.push_back("   bool New(const " + row + "& row);");
        definitions += FillForm(TemplateText(kNewRow), fields, form);
        if (keys && keys->Methods.NewWithIdentity) {
            std::vector<platform::Field> more = fields;
            more.push_back({"IdentityInsertText", keys->IdentityInsertText});
            more.push_back({"IdentityLabel", keys->IdentityLabel});
            members.push_back("   bool NewWithIdentity(" + row + "& row);");
            definitions += FillForm(TemplateText(kNewRowWithIdentity), more, form);
        }
        if (keys && keys->Methods.FindAndDelete) {
            NameList labels;
            for (const std::string& k : shape.Key)
                labels.push_back(ColumnNamed(object, k)->Label);
            std::string name = FreeName("row", labels);
            std::vector<platform::Field> more = fields;
            more.push_back({"KeyParameters", keys->KeyParameters});
            more.push_back({"KeyArguments", JoinItems(labels, ",")});
            more.push_back({"RowName", name});
            members.push_back("   bool FindByKey(" + keys->KeyParameters + "," + row + "& " + name +
                              ");");
            definitions += FillForm(TemplateText(kFindRowByKey), more, form);
        }
        if (keys && keys->Methods.FindAndDelete && keys->Methods.UpdateByKey) {
            // The columns UpdateByKey sets, then the key, as it binds them.
            NameList bound;
            for (const std::string& name : written)
                if (std::find(shape.Key.begin(), shape.Key.end(), name) == shape.Key.end())
                    bound.push_back(name);
            bound.insert(bound.end(), shape.Key.begin(), shape.Key.end());
            std::vector<platform::Field> more = fields;
            more.back() = {"RowBinding", RowBindingOf(object, bound, shape)};
            more.push_back({"UpdateByKeyText", keys->UpdateByKeyText});
            members.push_back("   bool UpdateByKey(const " + row + "& row);");
            definitions += FillForm(TemplateText(kUpdateRowByKey), more, form);
        }
    }
    // A relation's lookup reads its rows into a list.
    for (const RelationPlan& plan : relations) {
        if (!plan.Lookup)
            continue;
        NameList labels, parameters;
        for (const std::string& k : plan.Key->Columns) {
            const SchemaColumn& c = *ColumnNamed(object, k);
            labels.push_back(c.Label);
            parameters.push_back(ParameterTypeOf(c.TypeName, true) + c.Label);
        }
        std::string name = FreeName("rows", labels);
        std::vector<platform::Field> more = fields;
        more.push_back({"Suffix", plan.Suffix});
        more.push_back({"Parameters", JoinItems(parameters, ",")});
        more.push_back({"Arguments", JoinItems(labels, ",")});
        more.push_back({"RowsName", name});
        members.push_back(std::string("   bool OpenBy")
                              .append(plan.Suffix)
                              .append("(")
                              .append(JoinItems(parameters, ","))
                              .append(",std::vector<")
                              .append(row)
                              .append(">& ")
                              .append(name)
                              .append(");"));
        definitions += FillForm(TemplateText(kOpenRowsBy), more, form);
    }
    members.push_back("   bool ReadRow(" + row + "& row);");
    members.push_back("   bool ReadRows(std::vector<" + row + ">& rows);");
    definitions += FillForm(TemplateText(kReadRow), fields, form);
    // Apart from the relations' members by a blank line.
    extras.Members += (extras.Members.empty() ? "" : "\r\n") + JoinLines(members) + "\r\n";
    extras.Definitions += definitions;
}

std::vector<std::string> RowBaseTypeLines()
{
    return {std::begin(kBaseTypes), std::end(kBaseTypes)};
}

std::vector<std::string> RowBaseHelperLines()
{
    return {std::begin(kBaseHelpers), std::end(kBaseHelpers)};
}
