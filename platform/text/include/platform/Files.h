#ifndef PlatformFilesH
#define PlatformFilesH

// Files and processes. Paths are UTF-8 inside; each call hands them to the
// file system as it takes them: UTF-8 here, UTF-16 through the wide calls
// on Windows.

#include <cstddef>
#include <filesystem>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace platform {

// The path separator of this platform: '\' on Windows, '/' elsewhere.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// The longest path the file system's calls take, in bytes: Windows' MAX_PATH
// less its terminating NUL (long paths aside), PATH_MAX elsewhere; and the
// longest file name.
#ifdef _WIN32
constexpr std::size_t kMaxPathLength = 259;
#else
constexpr std::size_t kMaxPathLength = 4095;
#endif
constexpr std::size_t kMaxFileNameLength = 255;
// A path's length as the file system counts it against kMaxPathLength: the
// full path (a relative one from the working folder), in UTF-16 units on
// Windows, in bytes elsewhere.
std::size_t PathLength(const std::string& path);

// What WriteWholeFile adds to a file's name for the new file it writes
// first: ".pellam-XXXXXX" here, ".pellam-<process id>.tmp" on Windows (ten
// digits at most), and the longest such addition.
constexpr char kTemporaryMark[] = ".pellam-";
#ifdef _WIN32
constexpr std::size_t kTemporarySuffixLength = sizeof kTemporaryMark - 1 + 10 + 4;
#else
constexpr std::size_t kTemporarySuffixLength = sizeof kTemporaryMark - 1 + 6;
#endif
// Whether a file name is one of WriteWholeFile's new files, left behind
// when a write was cut short.
bool IsTemporaryFileName(const std::string& name);

// Joins the Windows-style suffix of the output tree ("\Output\DBComm\")
// with this platform's separator.
std::string NativeSuffix(const std::string& windowsSuffix);

// The running executable's full path.
std::string ExecutablePath();

// The folder of an executable path: cut at the last separator (or, on
// Windows, a colon), dropping it, except that a root keeps its separator.
std::string FolderOfPath(const std::string& executablePath);

// The folder that holds the running executable.
std::string ProgramFolder();

bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);

// The names of a folder's entries, read in one pass, so that whether a
// file is there needs no question to the file system per name (Wine looks
// a missing name up through the whole folder). Where the file system
// ignores case, so does MayHold.
class FolderNames {
public:
    explicit FolderNames(const std::string& folder);
    // False only when the folder was read (or is not there) and holds no
    // entry of that name.
    bool MayHold(const std::string& name) const;

private:
    bool read_ = false;
    std::unordered_set<std::string> names_;
};

// Creates one directory level; false when it cannot.
bool MakeDirectory(const std::string& path);

// Creates or replaces the file with the bytes, through a new file beside it
// that takes its name once everything is written: on failure the old file
// stays whole and nothing partial is left.
// Returns 0 on success, 1 when the file cannot be created, 2 when the
// bytes cannot be written.
int WriteWholeFile(const std::string& path, const std::string& bytes);
// The same, the new file made in a small folder on the same volume and
// moved into place: Wine looks a new name up through its whole folder, and
// a folder of thousands of files makes that dear. Beside the target, as
// WriteWholeFile does, when the new file cannot be made or moved there.
int WriteWholeFileStaged(const std::string& path, const std::string& bytes,
                         const std::string& stagingFolder);
// The same for two files at most that must change together: each one's
// bytes are written whole beside it before any takes its name, so a
// failure (a full disk) leaves both old. `failed` is the index of the file
// that could not be written.
int WriteWholeFiles(const std::vector<std::pair<std::string, std::string>>& files,
                    std::size_t& failed);

// From now on SIGINT, SIGTERM and SIGHUP remove the new file that
// WriteWholeFile is writing, if any, and then end the program as the signal
// would have: a cut-short run leaves every file old or new, nothing half.
// Nothing happens on Windows.
void RemoveTemporaryFileOnSignals();

// Reads a whole file; false when it cannot.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// The program's arguments (argv[0] first) in UTF-8. On Windows they are
// read from the wide command line, so that no code page stands between
// what was typed and the program; elsewhere they are argv as given.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// An environment variable's value in UTF-8 (read wide on Windows); false
// when it is not set.
bool EnvironmentValue(const std::string& utf8Name, std::string& utf8Value);

// The folder where a program keeps a user's settings: $XDG_CONFIG_HOME, or
// ~/.config, here; %APPDATA% on Windows. "" when there is none.
std::string UserSettingsFolder();

// The path as the file system's own calls take it (UTF-8 here, UTF-16 on
// Windows, whatever its code page).
std::filesystem::path FileSystemPath(const std::string& path);
// A name or path the file system gave, as UTF-8.
std::string FromFileSystemPath(const std::filesystem::path& path);

}  // namespace platform

#endif
