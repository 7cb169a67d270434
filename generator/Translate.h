#ifndef GeneratorTranslateH
#define GeneratorTranslateH

// Turns table, view and column names into identifiers: Chinese characters
// become their Mandarin reading with a capital first letter and no tone.

#include <string>
#include <vector>

// The reading of one GBK double-byte character ("Yong"), or "" without one.
std::string PinyinOf(unsigned char lead, unsigned char trail);

// The identifier for a name: readings for Chinese characters, ASCII
// letters, digits and '_' kept, anything else '_'; `prefix` ('T' for a table
// or view, 'F' for a column) in front when it would not start with a letter.
std::string PinyinIdentifier(const std::string& name, char prefix);

// The name itself when no entry of `taken` equals it (without regard to
// case), else the name with the first numeric suffix from 2 that is free.
std::string UniqueName(const std::string& name, const std::vector<std::string>& taken);

#endif
