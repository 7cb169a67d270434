#include "OutputCheck.h"

#include "platform/Files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace fs = std::filesystem;

namespace {

const char* const kTreeFolders[] = {"DBComm", "DBComm/DBTables", "DBComm/DBStoredProc",
                                    "DBComm/DBProcedures"};

// The regular files directly in the DBComm tree's folders, by relative
// path (as the file system spells it).
std::map<std::string, fs::path> TreeFiles(const std::string& root)
{
    std::map<std::string, fs::path> files;
    fs::path base(platform::FileSystemPath(root));
    for (const char* folder : kTreeFolders) {
        std::error_code ec;
        for (auto it = fs::directory_iterator(base / folder, ec);
             !ec && it != fs::directory_iterator(); it.increment(ec))
            if (it->is_regular_file(ec))
                files[std::string(folder) + "/" +
                      platform::FromFileSystemPath(it->path().filename())] = it->path();
    }
    return files;
}

std::string Bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Generated(const std::string& file)
{
    auto endsWith = [&](const char* tail) {
        std::string t(tail);
        return file.size() >= t.size() && file.compare(file.size() - t.size(), t.size(), t) == 0;
    };
    std::string name = file.substr(file.rfind('/') + 1);
    return endsWith(".h") || endsWith(".cpp") || platform::IsTemporaryFileName(name);
}

}  // namespace

std::string Relative(const std::string& path, const std::string& root)
{
    std::string rest = path.compare(0, root.size(), root) == 0 ? path.substr(root.size()) : path;
    std::string out;
    for (char c : rest) {
        if (c == '\\')
            c = '/';
        if (c == '/' && (out.empty() || out.back() == '/'))
            continue;
        out += c;
    }
    return out;
}

std::vector<OutputDifference> CompareOutput(const std::map<std::string, std::string>& rendered,
                                            const std::string& root)
{
    // The rendered files by relative path, '/' between names.
    std::map<std::string, const std::string*> want;
    for (const auto& [path, bytes] : rendered)
        want[Relative(path, root)] = &bytes;
    std::map<std::string, fs::path> have = TreeFiles(root);
    std::vector<OutputDifference> out;
    for (const auto& [file, bytes] : want) {
        auto it = have.find(file);
        if (it == have.end())
            out.push_back({OutputDifference::Missing, file});
        else if (*bytes != Bytes(it->second))
            out.push_back({OutputDifference::Changed, file});
    }
    for (const auto& [file, path] : have)
        if (!want.count(file) && Generated(file))
            out.push_back({OutputDifference::Extra, file});
    std::sort(out.begin(), out.end(),
              [](const OutputDifference& a, const OutputDifference& b) { return a.File < b.File; });
    return out;
}
