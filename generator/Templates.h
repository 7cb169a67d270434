#ifndef GeneratorTemplatesH
#define GeneratorTemplatesH

// Line-by-line templates of every generated file, as GBK text.

#include <string>
#include <vector>

const std::vector<std::string>& StoredProcHeaderLines();
const std::vector<std::string>& StoredProcSourceLines();
const std::vector<std::string>& DBCommHeaderLines();
const std::vector<std::string>& DBCommSourceLines();
const std::vector<std::string>& TableOperatorBaseLines();
const std::vector<std::string>& TableHeaderLines();
const std::vector<std::string>& TableSourceLines();
const std::vector<std::string>& ViewHeaderLines();
const std::vector<std::string>& ViewSourceLines();

#endif
