#ifndef TestSupportH
#define TestSupportH

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// A fresh folder under /tmp, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // A path in the folder, joined with this platform's separator.
    std::string File(const std::string& name) const;

private:
    std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
void MakeDir(const std::string& path);

// An expected file from tests/expected: UTF-8 with LF line ends in the
// repository, returned as the GBK bytes with CR LF that the generator must
// write. The last line feed of the stored file is not part of the text.
std::string Expected(const std::string& name);
// The same for a file of the Unicode form: UTF-8 after its byte-order mark.
std::string ExpectedUnicode(const std::string& name);

// Every file below a folder, as paths relative to it, sorted.
std::vector<std::string> ListFiles(const std::string& folder);

// Readable difference of two texts: the first differing line of each, or
// an empty text when they are equal.
std::string FirstDifference(const std::string& expected, const std::string& actual);

// A database NOLK with the tables Log and Staff and the view V_Users, as
// stand-in fixture JSON.
extern const char* const kLogStaffViewDatabase;

// The files generated for it with V_Users relabelled Users (paths under the
// output root), each with its expected file.
extern const std::vector<std::pair<std::string, std::string>> kLogStaffUsersFiles;

}  // namespace testsupport

#endif
