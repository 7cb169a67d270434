#ifndef GeneratorOperatorNamesH
#define GeneratorOperatorNamesH

// How an object name is written into the SQL texts of the generated code
// (where the files go is the output tree's: OutputTree.h).

#include <string>

#include "OutputTree.h"

// The generated SQL texts go to an ADO query, whose parameter scan (the
// VCL's, with ParamCheck on) reads them thus: "'", '"' and '`' each toggle
// a literal, in which nothing is a parameter; outside one, ":" begins a
// parameter and "::" stands for ":".
bool IsVclQuote(char c);
// A bracketed name's text with each ":" the scan would read outside a
// literal doubled, so that the server gets the name back. The scan is in
// no literal where the name begins, which holds when every name has an even
// number of quotes.
std::string ColonsDoubled(const std::string& sql);

// An object name between [ and ] inside a plain generated string literal.
std::string InLiteral(const std::string& objectName);

// The same inside a literal that the generated code uses as its sprintf
// format.
std::string InFormatLiteral(const std::string& objectName);
// The same for a table or view, named with its schema outside dbo
// ("Sales].[Orders" between the template's brackets).
std::string ObjectInLiteral(const std::string& schema, const std::string& objectName);
std::string ObjectInFormatLiteral(const std::string& schema, const std::string& objectName);

#endif
