#ifndef GenfuncH
#define GenfuncH

// The generator: the shared runtime files, one operator class per table and
// per view, and the rules they rely on.

#include <string>

#include "OperatorExtras.h"
#include "OutputForm.h"
#include "OutputTree.h"
#include "Templates.h"
#include "schema/Schema.h"
#include "TextFill.h"
#include "TypeRules.h"

// Shared runtime library.
void WriteStoredProcFiles(const std::string& storedProcFolder,
                          const OutputForm& form = OutputForm::Ansi());
// With connectionAccessor, DBComm also hands out its connection
// (GetConnection), which the procedures' classes are given.
void WriteDBCommFiles(const std::string& dbCommFolder, const NameList& tableNames,
                      const NameList& viewNames, bool connectionAccessor = false,
                      const OutputForm& form = OutputForm::Ansi());
// With keyHelpers, the base also has what the key methods call.
void WriteTableOperatorBase(const std::string& tablesFolder, bool keyHelpers = false,
                            const OutputForm& form = OutputForm::Ansi());
// With the helpers of every option's methods.
void WriteTableOperatorBase(const std::string& tablesFolder, const BaseHelpers& helpers,
                            const OutputForm& form);

std::string BuildEnumEntries(const NameList& operatorNames);
std::string BuildOperatorIncludes(const NameList& operatorNames);
std::string BuildOperatorRegistrations(const NameList& operatorNames);

// What a table's operator class is filled with: the parameter list of New
// and Update, their statements and their binding lines. Columns a program
// may not write (identity, computed, timestamp, GENERATED ALWAYS) take no
// part; their names are asked once per table, and a timestamp column is
// left out by its type as well. Outside dbo the statements name the table
// with its schema.
struct TableFills {
    std::string Parameters, InsertText, UpdateText, Binding;
    bool HasColumnsToSet = false;
};
TableFills TableFillsOf(const std::string& catalogName, const NameList& parameterNames,
                        const ColumnList& columns, const IdentityNames& identity,
                        const std::string& schema = std::string());

// False, with nothing written, when the unwritable columns could not be
// learnt: without them the operator would insert into an identity column.
bool WriteTableOperatorFiles(const std::string& tablesFolder, const std::string& className,
                             const std::string& catalogName, const ColumnList& columns,
                             const NameList& parameterNames, IdentitySource& identities,
                             const std::string& schema = std::string());
// A table's primary key (its columns' catalogue names, in key order) and
// IDENTITY column, for the key methods.
struct TableKeys {
    NameList Key;
    std::string IdentityColumn;
};

// The type of a generated parameter that takes a column's value ("int ",
// "String ", "TStream *" ...): New's, or, where it finds rows by its value,
// a decimal, numeric or money value's text, which the server compares
// exactly.
std::string ParameterTypeOf(const std::string& typeName, bool findsRows);
// The line that binds the next parameter of m_query (counted by nCount)
// to a value of the column's type.
std::string BindingLineOf(const std::string& typeName, const std::string& value);

// A statement (the text of a generated literal) that changes rows, as a
// batch that answers with one row holding how many it changed.
std::string CountedBatch(const std::string& statement);

// Whether a key can be found by: it has columns, each one of the table's,
// and none in the blob group (a binary value is bound as a blob, which the
// server does not compare).
bool KeyUsable(const ColumnList& columns, const NameList& key);

// What the key methods are filled with: which there are, FindByKey's and
// DeleteByKey's key parameters, condition and binding, UpdateByKey's set
// parameters (Update's, less the key), statement and binding, and
// NewWithIdentity's parameters (New's, then a reference to the IDENTITY
// column's type named by its label), batch and binding.
struct KeyFills {
    KeyMethods Methods;
    std::string KeyParameters, KeyCondition, KeyBinding, DeleteByKeyText;
    std::string SetParameters, UpdateByKeyText, UpdateByKeyBinding;
    std::string IdentityParameters, IdentityInsertText, IdentityBinding, IdentityLabel;
};
KeyFills KeyFillsOf(const std::string& catalogName, const NameList& parameterNames,
                    const ColumnList& columns, const IdentityNames& identity,
                    const std::string& schema, const TableKeys& keys);

// The same with the unwritable columns already known; with keys, the class
// also has the key methods the table's key and IDENTITY column allow.
void WriteTableOperatorFiles(const std::string& tablesFolder, const std::string& className,
                             const std::string& catalogName, const ColumnList& columns,
                             const NameList& parameterNames, const IdentityNames& identity,
                             const std::string& schema = std::string(),
                             const TableKeys* keys = nullptr,
                             const OutputForm& form = OutputForm::Ansi(),
                             const OperatorExtras& extras = {});

// A view's operator class reads no column: it takes only names.
void WriteViewOperatorFiles(const std::string& tablesFolder, const std::string& className,
                            const std::string& viewName, const std::string& schema = std::string(),
                            const OutputForm& form = OutputForm::Ansi(),
                            const OperatorExtras& extras = {});

// A stored procedure's parameter as its class creates it: the VCL data
// type's name (ftInteger, ftWideString…), the size, and whether precision
// and scale are set.
struct AdoParameter {
    std::string DataType;
    int Size = 0;
    bool Precise = false;
};
// The parameter of a procedure whose types the options have resolved: its
// own server type where the group is that type's, else the type its group
// passes (a string, which the server converts).
AdoParameter AdoParameterOf(const SchemaColumn& parameter);
// Whether a procedure's class can take the parameter (its type in a group;
// an OUTPUT one not a stream); why not, when not.
bool IsProcedureParameterTyped(const SchemaColumn& parameter, std::string& why);
// Why a procedure is left out, or "" when its class can be written.
std::string ProcedureLeftOutReason(const SchemaObject& procedure);
// The class "<label>Procedure" of a procedure (labels resolved and typed).
void WriteProcedureFiles(const std::string& proceduresFolder, const SchemaObject& procedure,
                         const OutputForm& form = OutputForm::Ansi());

#endif
