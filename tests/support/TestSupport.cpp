#include "TestSupport.h"

#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testsupport {

TempDir::TempDir()
{
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate =
            fs::temp_directory_path() / ("pellam-test-" + std::to_string(random()));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path_ = platform::FromFileSystemPath(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

std::string TempDir::File(const std::string& name) const
{
    std::string native = name;
    for (char& c : native)
        if (c == '/')
            c = platform::kPathSeparator;
    return path_ + platform::kPathSeparator + native;
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(platform::FileSystemPath(path_), ec);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(platform::FileSystemPath(path), std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(platform::FileSystemPath(path), std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void MakeDir(const std::string& path)
{
    fs::create_directories(platform::FileSystemPath(path));
}

namespace {

// An expected file's text with CR LF, without its stored last line feed.
std::string ExpectedText(const std::string& name)
{
    std::string text = ReadFile(std::string(PELLAM_EXPECTED_DIR) + "/" + name);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    std::string crlf;
    for (char c : text) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    return crlf;
}

}  // namespace

std::string Expected(const std::string& name)
{
    return platform::Utf8ToGbk(ExpectedText(name));
}

std::string ExpectedUnicode(const std::string& name)
{
    return "\xEF\xBB\xBF" + ExpectedText(name);
}

std::vector<std::string> ListFiles(const std::string& folder)
{
    std::vector<std::string> files;
    fs::path root = platform::FileSystemPath(folder);
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) {
            std::string name = platform::FromFileSystemPath(fs::relative(entry.path(), root));
            std::replace(name.begin(), name.end(), '\\', '/');
            files.push_back(name);
        }
    std::sort(files.begin(), files.end());
    return files;
}

namespace {

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

std::string Show(const std::string& gbk)
{
    std::string utf8;
    if (platform::TryGbkToUtf8(gbk, utf8))
        return "\"" + utf8 + "\"";
    return "(not GBK) \"" + gbk + "\"";
}

}  // namespace

std::string FirstDifference(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return std::string();
    std::vector<std::string> e = SplitLines(expected), a = SplitLines(actual);
    for (std::size_t i = 0; i < std::max(e.size(), a.size()); ++i) {
        std::string el = i < e.size() ? Show(e[i]) : "(no line)";
        std::string al = i < a.size() ? Show(a[i]) : "(no line)";
        if (el != al)
            return "line " + std::to_string(i + 1) + ": expected " + el + ", got " + al;
    }
    return "the texts differ in their line ends";
}

const char* const kLogStaffViewDatabase = R"({"name": "NOLK", "objects": [
  {"name": "Staff", "columns": [
    {"name": "ID", "type": "int", "identity": true},
    {"name": "Name", "type": "varchar"}, {"name": "Joined", "type": "datetime"},
    {"name": "Photo", "type": "image"}]},
  {"name": "Log", "columns": [{"name": "ID", "type": "int", "identity": true}]},
  {"name": "V_Users", "xtype": "V", "columns": [
    {"name": "UserName", "type": "nvarchar"}, {"name": "Age", "type": "int"}]}
]})";

const std::vector<std::pair<std::string, std::string>> kLogStaffUsersFiles = {
    {"DBComm/DBComm.cpp", "DBComm.cpp.LogStaffUsers.expected"},
    {"DBComm/DBComm.h", "DBComm.h.LogStaffUsers.expected"},
    {"DBComm/DBStoredProc/DBStoredProc.cpp", "DBStoredProc.cpp.expected"},
    {"DBComm/DBStoredProc/DBStoredProc.h", "DBStoredProc.h.expected"},
    {"DBComm/DBTables/DBTableOperator.h", "DBTableOperator.h.expected"},
    {"DBComm/DBTables/LogOperator.cpp", "LogOperator.cpp.expected"},
    {"DBComm/DBTables/LogOperator.h", "LogOperator.h.expected"},
    {"DBComm/DBTables/StaffOperator.cpp", "StaffOperator.cpp.expected"},
    {"DBComm/DBTables/StaffOperator.h", "StaffOperator.h.expected"},
    {"DBComm/DBTables/UsersOperator.cpp", "UsersOperator.cpp.relabelled.expected"},
    {"DBComm/DBTables/UsersOperator.h", "UsersOperator.h.relabelled.expected"},
};

}  // namespace testsupport
