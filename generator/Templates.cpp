#include "Templates.h"
#include "OperatorExtras.h"

#include "TextFill.h"
#include "platform/Text.h"

#include <algorithm>
#include <iterator>
#include <vector>

// The texts of the generated files, one entry per line. The Chinese
// captions are written here in UTF-8 and reach the files as GBK; "${Name}"
// marks a field that the writers fill.

namespace {

const char* const kStoredProcHeader[] = {
    R"~(#ifndef DBStoredProcH)~",
    R"~(#define DBStoredProcH)~",
    R"~(#include "ADODB.hpp")~",
    R"~()~",
    R"~(class DBStoredProc)~",
    R"~({)~",
    R"~(  public:)~",
    R"~(     DBStoredProc();)~",
    R"~()~",
    R"~(     ~DBStoredProc();)~",
    R"~()~",
    R"~(     void __fastcall SetConnection(TADOConnection *conn);)~",
    R"~()~",
    R"~(     DBStoredProc& __fastcall InitProc(const String& ProcName);)~",
    R"~()~",
    R"~(     bool __fastcall ExecProc();)~",
    R"~()~",
    R"~(     DBStoredProc& __fastcall SetParameters(const Variant values[],int valueslen);)~",
    R"~()~",
    R"~(     DBStoredProc& __fastcall SetParameter(Variant value);)~",
    R"~()~",
    R"~(     DBStoredProc& __fastcall SetParameter(int index,Variant value);)~",
    R"~()~",
    R"~(     DBStoredProc& __fastcall SetParameter(int index,TStream *value);)~",
    R"~()~",
    R"~(     bool __fastcall GetParameter(int index,Variant &value);)~",
    R"~()~",
    R"~(     bool __fastcall ExecProc(const String& ProcName,const Variant values[],int valueslen);)~",
    R"~()~",
    R"~(  private:)~",
    R"~(      TADOStoredProc* m_proc;)~",
    R"~(      int m_cur_paramsindex;)~",
    R"~(};)~",
    R"~(#endif)~",
};

const char* const kStoredProcSource[] = {
    R"~(#include "DBStoredProc.h")~",
    R"~()~",
    R"~(DBStoredProc::DBStoredProc():m_proc(NULL))~",
    R"~({)~",
    R"~(  m_proc=new TADOStoredProc(NULL);)~",
    R"~(})~",
    R"~()~",
    R"~(DBStoredProc::~DBStoredProc())~",
    R"~({)~",
    R"~(  if(m_proc) delete m_proc;)~",
    R"~(})~",
    R"~()~",
    R"~(void __fastcall DBStoredProc::SetConnection(TADOConnection *conn){)~",
    R"~()~",
    R"~(  m_proc->Connection=conn;)~",
    R"~(})~",
    R"~()~",
    R"~(DBStoredProc& __fastcall DBStoredProc::InitProc(const String& ProcName){)~",
    R"~()~",
    R"~(  m_proc->ProcedureName=ProcName;)~",
    R"~(  m_proc->Close();)~",
    R"~(  m_proc->Parameters->Clear();)~",
    R"~(  m_proc->Parameters->Refresh();)~",
    R"~(  m_cur_paramsindex=1;)~",
    R"~(  return *this;)~",
    R"~(})~",
    R"~()~",
    R"~(bool __fastcall DBStoredProc::ExecProc(){)~",
    R"~()~",
    R"~(  try)~",
    R"~(  {)~",
    R"~(    m_proc->ExecProc();)~",
    R"~(    return true;)~",
    R"~(  })~",
    R"~(  catch(Exception &e))~",
    R"~(  {)~",
    R"~(    ${MessageBox}(NULL,e.Message.c_str(),${L}"提示",MB_ICONERROR);)~",
    R"~(  })~",
    R"~(  return false;)~",
    R"~(})~",
    R"~()~",
    R"~(DBStoredProc& __fastcall DBStoredProc::SetParameters(const Variant values[],int valueslen){)~",
    R"~()~",
    R"~(  try)~",
    R"~(  {)~",
    R"~(    for(int i=0;i<valueslen;++i))~",
    R"~(    m_proc->Parameters->Items[i+1]->Value=values[i];)~",
    R"~(  })~",
    R"~(  catch(Exception &e))~",
    R"~(  {)~",
    R"~(    ${MessageBox}(NULL,e.Message.c_str(),${L}"提示",MB_ICONERROR);)~",
    R"~(  })~",
    R"~(  return *this;)~",
    R"~(})~",
    R"~()~",
    R"~(DBStoredProc& __fastcall DBStoredProc::SetParameter(Variant value){)~",
    R"~()~",
    R"~(  try)~",
    R"~(  {)~",
    R"~(    m_proc->Parameters->Items[m_cur_paramsindex++]->Value=value;)~",
    R"~(  })~",
    R"~(  catch(Exception &e))~",
    R"~(  {)~",
    R"~(    ${MessageBox}(NULL,e.Message.c_str(),${L}"提示",MB_ICONERROR);)~",
    R"~(  })~",
    R"~(  return *this;)~",
    R"~(})~",
    R"~()~",
    R"~(DBStoredProc& __fastcall DBStoredProc::SetParameter(int index,Variant value){)~",
    R"~()~",
    R"~(  try)~",
    R"~(  {)~",
    R"~(    m_proc->Parameters->Items[index]->Value=value;)~",
    R"~(  })~",
    R"~(  catch(Exception &e))~",
    R"~(  {)~",
    R"~(    ${MessageBox}(NULL,e.Message.c_str(),${L}"提示",MB_ICONERROR);)~",
    R"~(  })~",
    R"~(  return *this;)~",
    R"~(})~",
    R"~()~",
    R"~(DBStoredProc& __fastcall DBStoredProc::SetParameter(int index,TStream *value){)~",
    R"~()~",
    R"~(  try)~",
    R"~(  {)~",
    R"~(    m_proc->Parameters->Items[index]->LoadFromStream(value,ftBlob);)~",
    R"~(  })~",
    R"~(  catch(Exception &e))~",
    R"~(  {)~",
    R"~(    ${MessageBox}(NULL,e.Message.c_str(),${L}"提示",MB_ICONERROR);)~",
    R"~(  })~",
    R"~(  return *this;)~",
    R"~(})~",
    R"~()~",
    R"~(bool __fastcall DBStoredProc::GetParameter(int index,Variant &value){)~",
    R"~()~",
    R"~(  try)~",
    R"~(  {)~",
    R"~(    value=m_proc->Parameters->Items[index]->Value;)~",
    R"~(    return true;)~",
    R"~(  })~",
    R"~(  catch(Exception &e))~",
    R"~(  {)~",
    R"~(    ${MessageBox}(NULL,e.Message.c_str(),${L}"提示",MB_ICONERROR);)~",
    R"~(  })~",
    R"~(  return false;)~",
    R"~(})~",
    R"~()~",
    R"~(bool __fastcall DBStoredProc::ExecProc(const String& ProcName,const Variant values[],int valueslen))~",
    R"~({)~",
    R"~(  InitProc(ProcName);)~",
    R"~(  return SetParameters(values,valueslen).ExecProc();)~",
    R"~(})~",
};

const char* const kDBCommHeader[] = {
    R"~(#ifndef DBCommH)~",
    R"~(#define DBCommH)~",
    R"~(#include ".\DBTables\DBTableOperator.h")~",
    R"~(#include ".\DBStoredProc\DBStoredProc.h")~",
    R"~(#include <map>)~",
    R"~()~",
    R"~(class DBComm)~",
    R"~({)~",
    R"~( public:)~",
    R"~(   ~DBComm();)~",
    R"~()~",
    R"~(   static DBComm& Instance();)~",
    R"~()~",
    R"~(   enum DBTable{)~",
    R"~(   ${EnumEntries})~",
    R"~(   };)~",
    R"~()~",
    R"~(   bool ConnectDB(const WideString& wstrConnString);)~",
    R"~()~",
    R"~()~",
    R"~(   template<typename T>)~",
    R"~(   T* Tables(DBTable dt)const)~",
    R"~(   {)~",
    R"~(     std::map<DBTable,DBTableOperator*>::const_iterator it=m_mapOfOperator.find(dt);)~",
    R"~(     if(it!=m_mapOfOperator.end()))~",
    R"~(     {)~",
    R"~(       return dynamic_cast<T*>(it->second);)~",
    R"~(     })~",
    R"~(     return NULL;)~",
    R"~(   })~",
    R"~()~",
    R"~(   DBStoredProc& GetStoreProc(){)~",
    R"~(     return m_proc;)~",
    R"~(   })~",
    R"~()~",
    R"~(   bool __fastcall ExecProc(const String& ProcName,const Variant values[],int valueslen){)~",
    R"~(     return m_proc.ExecProc(ProcName,values,valueslen);)~",
    R"~(   })~",
    R"~()~",
    R"~( private:)~",
    R"~(   DBComm();)~",
    R"~(   std::map<DBTable,DBTableOperator*> m_mapOfOperator;)~",
    R"~(   TADOConnection *m_conn;)~",
    R"~(   DBStoredProc m_proc;)~",
    R"~(};)~",
    R"~(#endif)~",
};

const char* const kDBCommSource[] = {
    R"~(#include "DBComm.h")~",
    R"~(${Includes})~",
    R"~()~",
    R"~(DBComm::DBComm():m_conn(NULL){)~",
    R"~(  m_conn=new TADOConnection(NULL);)~",
    R"~(  m_conn->LoginPrompt=false;)~",
    R"~(  ${Registrations};)~",
    R"~(})~",
    R"~()~",
    R"~(DBComm::~DBComm(){)~",
    R"~(  for(std::map<DBTable,DBTableOperator*>::iterator it=m_mapOfOperator.begin();it!=m_mapOfOperator.end();++it))~",
    R"~(  {)~",
    R"~(    delete it->second;)~",
    R"~(  })~",
    R"~(  if(m_conn) delete m_conn;)~",
    R"~(})~",
    R"~()~",
    R"~(DBComm& DBComm::Instance(){)~",
    R"~(  static DBComm db;)~",
    R"~(  return db;)~",
    R"~(})~",
    R"~()~",
    R"~(bool DBComm::ConnectDB(const WideString& wstrConnString){)~",
    R"~(  try)~",
    R"~(  {)~",
    R"~(     m_conn->Connected=false;)~",
    R"~(     m_conn->ConnectionString=wstrConnString;)~",
    R"~(     m_conn->Connected=true;)~",
    R"~(     for(std::map<DBTable,DBTableOperator*>::iterator it=m_mapOfOperator.begin();it!=m_mapOfOperator.end();++it))~",
    R"~(     {)~",
    R"~(        it->second->SetConnection(m_conn);)~",
    R"~(     })~",
    R"~(     return true;)~",
    R"~(  })~",
    R"~(  catch(Exception &e))~",
    R"~(  {)~",
    R"~(     return false;)~",
    R"~(  })~",
    R"~(})~",
};

const char* const kTableOperatorBase[] = {
    R"~(#ifndef DBTableOperatorH)~",
    R"~(#define DBTableOperatorH)~",
    R"~(#include <ADODB.hpp>)~",
    R"~()~",
    R"~(class DBTableOperator)~",
    R"~({)~",
    R"~(  public:)~",
    R"~(    virtual ~DBTableOperator(){};)~",
    R"~()~",
    R"~(    virtual void SetConnection(TADOConnection *conn)=0;)~",
    R"~(    virtual TADOQuery* Get()=0;)~",
    R"~()~",
    R"~( protected:)~",
    R"~(    void InitQuery(TADOQuery* query){)~",
    R"~(       query->Close();)~",
    R"~(       query->SQL->Clear();)~",
    R"~(    })~",
    R"~()~",
    R"~(    void InitQuery(const String& strSql){)~",
    R"~(       InitQuery(Get());)~",
    R"~(       Get()->SQL->Text=strSql;)~",
    R"~(    })~",
    R"~()~",
    R"~(   bool ExecSQLNonQuery(const String& strSql){)~",
    R"~(      try{)~",
    R"~(       InitQuery(Get());)~",
    R"~(       Get()->SQL->Text=strSql;)~",
    R"~(       Get()->ExecSQL();)~",
    R"~(       return true;)~",
    R"~(      }catch(Exception &e){)~",
    R"~(        ${MessageBox}(NULL,e.Message.c_str(),${L}"ExecSQLNonQuery执行出错",MB_ICONERROR);)~",
    R"~(      })~",
    R"~(      return false;)~",
    R"~(    })~",
    R"~()~",
    R"~(   bool ExecSQLNonQuery(){)~",
    R"~(      try{)~",
    R"~(       Get()->ExecSQL();)~",
    R"~(       return true;)~",
    R"~(      }catch(Exception &e){)~",
    R"~(        ${MessageBox}(NULL,e.Message.c_str(),${L}"ExecSQLNonQuery执行出错",MB_ICONERROR);)~",
    R"~(      })~",
    R"~(      return false;)~",
    R"~(    })~",
    R"~()~",
    R"~(   TADOQuery* ExecSQL(const String& strSql){)~",
    R"~(      try{)~",
    R"~(       InitQuery(Get());)~",
    R"~(       Get()->SQL->Text=strSql;)~",
    R"~(       Get()->Open();)~",
    R"~(       return Get();)~",
    R"~(      }catch(Exception &e){)~",
    R"~(        ${MessageBox}(NULL,e.Message.c_str(),${L}"ExecSQL执行出错",MB_ICONERROR);)~",
    R"~(      })~",
    R"~(      return NULL;)~",
    R"~(    })~",
};

// What the key methods add to the base: the bound statement opened (true
// when it found a row), or a batch opened that answers how many rows it
// changed (true when it changed one).
const char* const kTableOperatorBaseKeys[] = {
    R"~()~",
    R"~(   bool OpenFound(){)~",
    R"~(      try{)~",
    R"~(       Get()->Open();)~",
    R"~(       return !Get()->IsEmpty();)~",
    R"~(      }catch(Exception &e){)~",
    R"~(        ${MessageBox}(NULL,e.Message.c_str(),${L}"ExecSQL执行出错",MB_ICONERROR);)~",
    R"~(      })~",
    R"~(      return false;)~",
    R"~(    })~",
    R"~()~",
    R"~(   bool ExecSQLFound(){)~",
    R"~(      try{)~",
    R"~(       Get()->Open();)~",
    R"~(       int rows=Get()->IsEmpty()?0:(int)Get()->Fields->Fields[0]->Value;)~",
    R"~(       Get()->Close();)~",
    R"~(       return rows>0;)~",
    R"~(      }catch(Exception &e){)~",
    R"~(        ${MessageBox}(NULL,e.Message.c_str(),${L}"ExecSQLNonQuery执行出错",MB_ICONERROR);)~",
    R"~(      })~",
    R"~(      return false;)~",
    R"~(    })~",
};

const char* const kTableOperatorBaseTail[] = {
    R"~(};)~",
    R"~(#endif)~",
};

// The blocks of the operator classes: tables and views share the head and
// the tail, and a table adds its writing members between them.
const char* const kOperatorHeaderHead[] = {
    R"~(#ifndef ${Class}H)~",
    R"~(#define ${Class}H)~",
    R"~(#include "DBTableOperator.h")~",
    R"~()~",
    R"~(class ${Class}Operator:public DBTableOperator)~",
    R"~({)~",
    R"~( public:)~",
    R"~(   ${Class}Operator();)~",
    R"~(   ~${Class}Operator();)~",
    R"~()~",
};

const char* const kTableHeaderWrites[] = {
    R"~(   bool New(${Parameters});)~",
    R"~(   bool Update(${Parameters},const String& condition);)~",
    R"~(   bool Delete(const String& condition);)~",
    R"~()~",
};

const char* const kOperatorHeaderTail[] = {
    R"~(   TDataSource* Source();)~",
    R"~(   TDataSource* Source(const String& QueyFields,const String& condition);)~",
    R"~()~",
    R"~(   TADOQuery* Query(const String& QueryFields,const String& condition);)~",
    R"~()~",
    R"~(   virtual void SetConnection(TADOConnection* conn);)~",
    R"~()~",
    R"~(   virtual TADOQuery* Get();)~",
    R"~()~",
    R"~( private:)~",
    R"~(   TADOQuery* m_query;)~",
    R"~(   TDataSource* m_datasource;)~",
    R"~(};)~",
    R"~(#endif)~",
};

const char* const kOperatorSourceHead[] = {
    R"~(#include "${Class}Operator.h")~",
    R"~()~",
    R"~(${Class}Operator::${Class}Operator():m_query(NULL),m_datasource(NULL){)~",
    R"~(  m_query=new TADOQuery(NULL);)~",
    R"~(  m_datasource=new TDataSource(NULL);)~",
    R"~(  m_datasource->DataSet=m_query;)~",
    R"~(})~",
    R"~()~",
    R"~(${Class}Operator::~${Class}Operator(){)~",
    R"~(  if(m_query)delete m_query;)~",
    R"~(  if(m_datasource)delete m_datasource;)~",
    R"~(})~",
    R"~()~",
};

const char* const kTableSourceNew[] = {
    R"~(bool ${Class}Operator::New(${Parameters}){)~",
    R"~(   String strSql=${L}${InsertText};)~",
    R"~(   InitQuery(strSql);)~",
    R"~(${NewBinding})~",
    R"~(})~",
    R"~()~",
};

const char* const kTableSourceUpdate[] = {
    R"~(bool ${Class}Operator::Update(${Parameters},const String& condition){)~",
    R"~(   String strSql=${L}${UpdateText};)~",
    R"~(   if(condition.Length()))~",
    R"~(       strSql+=String().sprintf(${L}" WHERE %s",condition.c_str());)~",
    R"~(   InitQuery(strSql);)~",
    R"~(${UpdateBinding})~",
    R"~(})~",
    R"~()~",
};

// A table with no column to set: its Update sends nothing.
const char* const kTableHeaderWritesNoColumn[] = {
    R"~(   bool New(${Parameters});)~",
    R"~(   bool Update(const String& condition);)~",
    R"~(   bool Delete(const String& condition);)~",
    R"~()~",
};

const char* const kTableSourceUpdateNoColumn[] = {
    R"~(bool ${Class}Operator::Update(const String& condition){)~",
    R"~(   return false;)~",
    R"~(})~",
    R"~()~",
};

// The key methods: the header's lines, then each definition. The WHERE
// texts name the key's columns, the bindings bind the set columns first.
const char* const kTableHeaderFindByKey[] = {
    R"~(   bool FindByKey(${KeyParameters});)~",
};
const char* const kTableHeaderUpdateByKey[] = {
    R"~(   bool UpdateByKey(${SetParameters},${KeyParameters});)~",
};
const char* const kTableHeaderDeleteByKey[] = {
    R"~(   bool DeleteByKey(${KeyParameters});)~",
};
const char* const kTableHeaderNewWithIdentity[] = {
    R"~(   bool NewWithIdentity(${IdentityParameters});)~",
};

const char* const kTableSourceFindByKey[] = {
    R"~(bool ${Class}Operator::FindByKey(${KeyParameters}){)~",
    R"~(   String strSql=${L}"SELECT * FROM [${NameInLiteral}] WHERE ${KeyCondition}";)~",
    R"~(   InitQuery(strSql);)~",
    R"~(${KeyBinding})~",
    R"~(   return DBTableOperator::OpenFound();)~",
    R"~(})~",
    R"~()~",
};

const char* const kTableSourceUpdateByKey[] = {
    R"~(bool ${Class}Operator::UpdateByKey(${SetParameters},${KeyParameters}){)~",
    R"~(   String strSql=${L}${UpdateByKeyText};)~",
    R"~(   InitQuery(strSql);)~",
    R"~(${UpdateByKeyBinding})~",
    R"~(   return DBTableOperator::ExecSQLFound();)~",
    R"~(})~",
    R"~()~",
};

const char* const kTableSourceDeleteByKey[] = {
    R"~(bool ${Class}Operator::DeleteByKey(${KeyParameters}){)~",
    R"~(   String strSql=${L}${DeleteByKeyText};)~",
    R"~(   InitQuery(strSql);)~",
    R"~(${KeyBinding})~",
    R"~(   return DBTableOperator::ExecSQLFound();)~",
    R"~(})~",
    R"~()~",
};

const char* const kTableSourceNewWithIdentity[] = {
    R"~(bool ${Class}Operator::NewWithIdentity(${IdentityParameters}){)~",
    R"~(   String strSql=${L}${IdentityInsertText};)~",
    R"~(   InitQuery(strSql);)~",
    R"~(${IdentityBinding})~",
    R"~(   ${IdentityLabel}=m_query->Fields->Fields[0]->Value;)~",
    R"~(   return true;)~",
    R"~(})~",
    R"~()~",
};

const char* const kTableSourceDelete[] = {
    R"~(bool ${Class}Operator::Delete(const String& condition){)~",
    R"~(   String strSql=${L}"DELETE FROM [${NameInLiteral}]";)~",
    R"~(   if(condition.Length()))~",
    R"~(       strSql+=String().sprintf(${L}" WHERE %s",condition.c_str());)~",
    R"~(   return ExecSQLNonQuery(strSql);)~",
    R"~(})~",
    R"~()~",
};

const char* const kOperatorSourceTail[] = {
    R"~(TDataSource* ${Class}Operator::Source(){)~",
    R"~(   String strSql=String().sprintf(${L}"SELECT * FROM [${NameInFormat}]");)~",
    R"~(   ExecSQL(strSql);)~",
    R"~(   return m_datasource;)~",
    R"~(})~",
    R"~()~",
    R"~(TDataSource* ${Class}Operator::Source(const String& QueyFields,const String& condition){)~",
    R"~(   String strSql=String().sprintf(${L}"SELECT %s FROM [${NameInFormat}]",QueyFields.c_str());)~",
    R"~(   if(condition.Length()))~",
    R"~(       strSql+=String().sprintf(${L}" WHERE %s",condition.c_str());)~",
    R"~(   ExecSQL(strSql);)~",
    R"~(   return m_datasource;)~",
    R"~(})~",
    R"~()~",
    R"~(TADOQuery* ${Class}Operator::Query(const String& QueryFields,const String& condition){)~",
    R"~(   String strSql=String().sprintf(${L}"SELECT %s FROM [${NameInFormat}]",QueryFields.c_str());)~",
    R"~(   if(condition.Length()))~",
    R"~(       strSql+=String().sprintf(${L}" WHERE %s",condition.c_str());)~",
    R"~(   return ExecSQL(strSql);)~",
    R"~(})~",
    R"~()~",
    R"~(void ${Class}Operator::SetConnection(TADOConnection* conn){)~",
    R"~(   m_query->Connection=conn;)~",
    R"~(})~",
    R"~()~",
    R"~(TADOQuery* ${Class}Operator::Get(){)~",
    R"~(   return m_query;)~",
    R"~(})~",
};

// One text of lines joined with CR LF from blocks of lines.
template <std::size_t... N> std::string Joined(const char* const (&... blocks)[N])
{
    std::vector<std::string> lines;
    (lines.insert(lines.end(), std::begin(blocks), std::end(blocks)), ...);
    return JoinLines(lines);
}

}  // namespace

#define PELLAM_TEXT(function, ...)                                                                 \
    const std::string& function()                                                                  \
    {                                                                                              \
        static const std::string text = Joined(__VA_ARGS__);                                       \
        return text;                                                                               \
    }

PELLAM_TEXT(StoredProcHeaderText, kStoredProcHeader)
PELLAM_TEXT(StoredProcSourceText, kStoredProcSource)
PELLAM_TEXT(DBCommHeaderTemplate, kDBCommHeader)
PELLAM_TEXT(DBCommSourceTemplate, kDBCommSource)
PELLAM_TEXT(TableOperatorBaseText, kTableOperatorBase, kTableOperatorBaseTail)
PELLAM_TEXT(TableOperatorBaseWithKeysText, kTableOperatorBase, kTableOperatorBaseKeys,
            kTableOperatorBaseTail)
PELLAM_TEXT(ViewHeaderTemplate, kOperatorHeaderHead, kOperatorHeaderTail)
PELLAM_TEXT(ViewSourceTemplate, kOperatorSourceHead, kOperatorSourceTail)

namespace {
PELLAM_TEXT(TableHeaderWithUpdate, kOperatorHeaderHead, kTableHeaderWrites, kOperatorHeaderTail)
PELLAM_TEXT(TableHeaderNoUpdate, kOperatorHeaderHead, kTableHeaderWritesNoColumn,
            kOperatorHeaderTail)
PELLAM_TEXT(TableSourceWithUpdate, kOperatorSourceHead, kTableSourceNew, kTableSourceUpdate,
            kTableSourceDelete, kOperatorSourceTail)
PELLAM_TEXT(TableSourceNoUpdate, kOperatorSourceHead, kTableSourceNew, kTableSourceUpdateNoColumn,
            kTableSourceDelete, kOperatorSourceTail)
}  // namespace

const std::string& TableHeaderTemplate(bool hasColumnsToSet)
{
    return hasColumnsToSet ? TableHeaderWithUpdate() : TableHeaderNoUpdate();
}

const std::string& TableSourceTemplate(bool hasColumnsToSet)
{
    return hasColumnsToSet ? TableSourceWithUpdate() : TableSourceNoUpdate();
}

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 2;
    }
}

template <std::size_t N> std::vector<std::string> Block(const char* const (&block)[N])
{
    return {std::begin(block), std::end(block)};
}

// The lines of the key methods a table has, in their order: FindByKey,
// UpdateByKey, DeleteByKey, NewWithIdentity.
std::vector<std::string> KeyLines(const KeyMethods& methods,
                                  const std::vector<std::string> (&blocks)[4])
{
    const bool wanted[4] = {methods.FindAndDelete, methods.FindAndDelete && methods.UpdateByKey,
                            methods.FindAndDelete, methods.NewWithIdentity};
    std::vector<std::string> lines;
    for (int k = 0; k < 4; ++k)
        if (wanted[k])
            lines.insert(lines.end(), blocks[k].begin(), blocks[k].end());
    return lines;
}

// The lines of a template with the key methods' lines put in before its
// read side (which begins at "TDataSource* ...Source()").
std::string WithKeyLines(const std::string& plain, const std::vector<std::string>& keyLines)
{
    std::vector<std::string> lines = Lines(plain);
    auto readSide = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("TDataSource* ") != std::string::npos &&
               line.find("Source()") != std::string::npos;
    });
    lines.insert(readSide, keyLines.begin(), keyLines.end());
    return JoinLines(lines);
}

}  // namespace

std::string TableHeaderTemplate(bool hasColumnsToSet, const KeyMethods& methods)
{
    static const std::vector<std::string> blocks[4] = {Block(kTableHeaderFindByKey),
                                                       Block(kTableHeaderUpdateByKey),
                                                       Block(kTableHeaderDeleteByKey),
                                                       Block(kTableHeaderNewWithIdentity)};
    std::vector<std::string> keyLines = KeyLines(methods, blocks);
    if (keyLines.empty())
        return TableHeaderTemplate(hasColumnsToSet);
    keyLines.emplace_back();
    return WithKeyLines(TableHeaderTemplate(hasColumnsToSet), keyLines);
}

std::string TableSourceTemplate(bool hasColumnsToSet, const KeyMethods& methods)
{
    static const std::vector<std::string> blocks[4] = {Block(kTableSourceFindByKey),
                                                       Block(kTableSourceUpdateByKey),
                                                       Block(kTableSourceDeleteByKey),
                                                       Block(kTableSourceNewWithIdentity)};
    std::vector<std::string> keyLines = KeyLines(methods, blocks);
    if (keyLines.empty())
        return TableSourceTemplate(hasColumnsToSet);
    return WithKeyLines(TableSourceTemplate(hasColumnsToSet), keyLines);
}

namespace {

// The lines of a template with one marker line put in before the first
// line that `at` picks.
std::string WithLineBefore(const std::string& plain, const std::string& marker,
                           bool (*at)(const std::string&))
{
    std::vector<std::string> lines = Lines(plain);
    lines.insert(std::find_if(lines.begin(), lines.end(), at), marker);
    return JoinLines(lines);
}

bool ReadSide(const std::string& line)
{
    return line.find("TDataSource* ") != std::string::npos &&
           line.find("Source()") != std::string::npos;
}

bool ClassLine(const std::string& line)
{
    return line.rfind("class ", 0) == 0;
}

// Filled text put in as a marker's line: without its last line end,
// which the marker's line has.
std::string AsLines(const std::string& text)
{
    return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0
               ? text.substr(0, text.size() - 2)
               : text;
}

}  // namespace

std::string WithExtras(const std::string& plain, bool header, const OperatorExtras& extras,
                       std::vector<platform::Field>& fields)
{
    std::string text = plain;
    if (header && !extras.TypesBefore.empty()) {
        text = WithLineBefore(text, "${TypesBefore}", ClassLine);
        fields.push_back({"TypesBefore", AsLines(extras.TypesBefore)});
    }
    const std::string& members = header ? extras.Members : extras.Definitions;
    if (!members.empty()) {
        // A header's members stand apart from the read side by a blank
        // line; each definition ends in one.
        const char* const name = header ? "ExtraMembers" : "ExtraDefinitions";
        text = WithLineBefore(text, "${" + std::string(name) + (header ? "}\r\n" : "}"), ReadSide);
        fields.push_back({name, AsLines(members)});
    }
    return text;
}

std::string TableOperatorBaseText(const BaseHelpers& helpers)
{
    std::vector<std::string> lines =
        Lines(helpers.Keys ? TableOperatorBaseWithKeysText() : TableOperatorBaseText());
    auto find = [&lines](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line);
    };
    // The helpers go before the class's end.
    auto end = lines.end() - 2;
    std::vector<std::string> more;
    if (helpers.Relations) {
        std::vector<std::string> open = RelationBaseHelperLines();
        more.insert(more.end(), open.begin(), open.end());
    }
    if (helpers.Rows) {
        std::vector<std::string> rows = RowBaseHelperLines();
        more.insert(more.end(), rows.begin(), rows.end());
    }
    lines.insert(end, more.begin(), more.end());
    if (helpers.Relations)
        lines.insert(find("       query->SQL->Clear();") + 1, RelationBaseInitQueryLine());
    if (helpers.Rows) {
        std::vector<std::string> types = RowBaseTypeLines();
        lines.insert(find("class DBTableOperator"), types.begin(), types.end());
        lines.insert(find("#include <ADODB.hpp>") + 1, "#include <vector>");
    }
    return JoinLines(lines);
}
