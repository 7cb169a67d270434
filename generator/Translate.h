#ifndef GeneratorTranslateH
#define GeneratorTranslateH

// Turns table, view and column names into identifiers that the name rule
// accepts: Chinese characters become their Mandarin reading with a capital
// first letter and no tone; a character that cannot stand in an identifier
// is dropped and the letter after it made a capital; a letter goes in front
// of a name that would not start with one; a name the rule refuses (a C++
// keyword, a macro of <windows.h>, a name of the runtime) gets a suffix.

#include <string>
#include <vector>

#include "schema/Schema.h"

// The reading of one character, by its GBK double-byte code ("Yong"), or ""
// without one.
std::string PinyinOf(unsigned char lead, unsigned char trail);

// The identifier for a name: readings for Chinese characters; ASCII
// letters, digits and '_' kept; anything else dropped, with the letter after
// it upper-cased ("Order Details" gives "OrderDetails"); `prefix` ('T' for a
// table or view, 'F' for a column) in front when it would not start with a
// letter.
std::string PinyinIdentifier(const std::string& name, char prefix);

// The name itself when `valid` accepts it, else with the first suffix that
// makes it so: "_", then "_2", "_3" and on.
std::string AcceptedName(const std::string& name, bool (*valid)(const std::string&));

// The name itself when no entry of `taken` equals it (without regard to
// case), else the name with the first numeric suffix from 2 that is free.
std::string UniqueName(const std::string& name, const std::vector<std::string>& taken);

// The translation of a column's label, unique among its siblings' labels.
std::string TranslatedColumnLabel(const std::string& label,
                                  const std::vector<std::string>& siblings);

// The translation of an object's label, unique among the other objects'
// labels of both trees (they share the tables folder), and of each of its
// column labels, unique among those translated before it. An object outside
// dbo whose label another already has takes its schema in front. With
// typed rows, no label is another's row type ("<label>Row") and no column
// label stands for a name the row's code uses.
void TranslateObjectLabels(std::string& label, std::vector<std::string>& columnLabels,
                           const std::vector<std::string>& otherLabels,
                           const std::string& schema = std::string(), bool rows = false);

// The translation of a procedure's parameter label (its "@" dropped),
// unique among its siblings' labels.
std::string TranslatedParameterLabel(const std::string& label,
                                     const std::vector<std::string>& siblings);

// The translation of a procedure's label, unique among the other
// procedures' (ignoring case) and clear of the tables' and views' class
// names' include guards, and of its parameters' labels (each without its
// "@"), unique among themselves and no include guard.
void TranslateProcedureLabels(std::string& label, std::vector<std::string>& parameterLabels,
                              const std::vector<std::string>& otherProcedures,
                              const std::vector<std::string>& classes,
                              const std::string& schema = std::string());

// Every label of a schema translated, tables first, then views, then the
// stored procedures. Objects
// whose labels would be equal (ignoring case) take their schema in front
// when it is not dbo; those still equal take a number.
void TranslateLabels(DatabaseSchema& schema, bool rows = false);

#endif
