#ifndef GeneratorTranslateH
#define GeneratorTranslateH

// Turns table, view and column names into identifiers: Chinese characters
// become their Mandarin reading with a capital first letter and no tone.

#include <string>
#include <vector>

#include "schema/Schema.h"

// The reading of one GBK double-byte character ("Yong"), or "" without one.
std::string PinyinOf(unsigned char lead, unsigned char trail);

// The identifier for a name: readings for Chinese characters, ASCII
// letters, digits and '_' kept, anything else '_'; `prefix` ('T' for a table
// or view, 'F' for a column) in front when it would not start with a letter.
std::string PinyinIdentifier(const std::string& name, char prefix);

// The name itself when no entry of `taken` equals it (without regard to
// case), else the name with the first numeric suffix from 2 that is free.
std::string UniqueName(const std::string& name, const std::vector<std::string>& taken);

// The translation of a column's label, unique among its siblings' labels.
std::string TranslatedColumnLabel(const std::string& label, const std::vector<std::string>& siblings);

// The translation of an object's label, unique among the other objects'
// labels of both trees (they share the tables folder), and of each of its
// column labels, unique among those translated before it.
void TranslateObjectLabels(std::string& label, std::vector<std::string>& columnLabels,
                           const std::vector<std::string>& otherLabels);

// Every label of a schema translated, tables first, then views.
void TranslateLabels(DatabaseSchema& schema);

#endif
