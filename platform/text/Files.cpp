#include "platform/Files.h"

#include "platform/Text.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#else
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace platform {

std::string NativeSuffix(const std::string& windowsSuffix)
{
    std::string out = windowsSuffix;
    for (char& c : out)
        if (c == '\\')
            c = kPathSeparator;
    return out;
}

std::filesystem::path FileSystemPath(const std::string& path)
{
#ifdef _WIN32
    // Wide, as the file system names it: no code page stands between.
    std::u16string wide = Utf8ToUtf16(path);
    return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
#else
    return std::filesystem::path(path);
#endif
}

std::size_t PathLength(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(FileSystemPath(path), ec);
    if (ec)
        full = FileSystemPath(path);
    // native() is UTF-16 on Windows, bytes elsewhere: the units the calls count.
    return full.native().size();
}

std::string FromFileSystemPath(const std::filesystem::path& path)
{
#ifdef _WIN32
    std::wstring wide = path.native();
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
#else
    return path.native();
#endif
}

std::string ExecutablePath()
{
#ifdef _WIN32
    std::wstring buffer(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
    buffer.resize(n);
    return FromFileSystemPath(std::filesystem::path(buffer));
#else
    char buffer[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0)
        throw Exception("Cannot find the program's folder");
    return std::string(buffer, static_cast<std::size_t>(n));
#endif
}

std::string FolderOfPath(const std::string& executablePath)
{
    // Byte by byte: no byte of a multi-byte UTF-8 character is a separator.
    std::size_t cut = std::string::npos;
    char cutChar = 0;
    for (std::size_t i = 0; i < executablePath.size(); ++i) {
        char c = executablePath[i];
        if ((c == kPathSeparator
#ifdef _WIN32
             || c == ':'
#endif
             )) {
            cut = i;
            cutChar = c;
        }
    }
    if (cut == std::string::npos)
        return std::string();
    std::string folder = executablePath.substr(0, cut);
#ifdef _WIN32
    // "C:\pellam.exe": the drive root keeps its backslash.
    if (cutChar == '\\' && folder.size() == 2 && folder[1] == ':')
        return folder + '\\';
#else
    (void)cutChar;
    if (folder.empty())
        return "/";
#endif
    return folder;
}

std::string ProgramFolder()
{
    return FolderOfPath(ExecutablePath());
}

bool DirectoryExists(const std::string& path)
{
    std::filesystem::path fs = FileSystemPath(path);
    if (fs.empty())
        return false;
#ifdef _WIN32
    DWORD attrs = GetFileAttributesW(fs.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat st;
    return stat(fs.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

bool FileExists(const std::string& path)
{
    std::filesystem::path fs = FileSystemPath(path);
    if (fs.empty())
        return false;
#ifdef _WIN32
    DWORD attrs = GetFileAttributesW(fs.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat st;
    return stat(fs.c_str(), &st) == 0 && S_ISREG(st.st_mode);
#endif
}

namespace {

// A name as the file system compares it: Windows' names fold the case of
// their ASCII letters (a name with other letters is not folded here, and
// MayHold answers true for it).
std::string NameKey(std::string name)
{
#ifdef _WIN32
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
#endif
    return name;
}

bool FoldsOnlyAscii(const std::string& name)
{
#ifdef _WIN32
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
#endif
    (void)name;
    return true;
}

}  // namespace

FolderNames::FolderNames(const std::string& folder)
{
    std::error_code ec;
    std::filesystem::path fs = FileSystemPath(folder);
    std::filesystem::directory_iterator it(fs, ec);
    if (ec) {
        // A folder that is not there holds nothing; one unread, anything.
        read_ = ec == std::errc::no_such_file_or_directory;
        return;
    }
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        names_.insert(NameKey(FromFileSystemPath(it->path().filename())));
    read_ = !ec;
}

bool FolderNames::MayHold(const std::string& name) const
{
    return !read_ || !FoldsOnlyAscii(name) || names_.count(NameKey(name)) != 0;
}

bool MakeDirectory(const std::string& path)
{
    std::filesystem::path fs = FileSystemPath(path);
    if (fs.empty())
        return false;
#ifdef _WIN32
    return ::CreateDirectoryW(fs.c_str(), nullptr) != FALSE;
#else
    return mkdir(fs.c_str(), 0777) == 0;
#endif
}

#ifndef _WIN32
namespace {

// The new files being written (two at most: a pair written together), and
// the earlier first file of a pair kept while the pair is placed, for a
// signal handler to remove.
constexpr int kPendingSlots = 3;
constexpr int kBackupSlot = 2;
char pendingTemporary[kPendingSlots][PATH_MAX + 1];
volatile sig_atomic_t pendingSet[kPendingSlots] = {0, 0, 0};

// A signal may be taken by any thread of the program (the window has
// several). While one thread makes and notes a new file, or places a pair,
// a handler on another thread waits for it to finish; once a handler has
// begun, no new file is begun. Both are lock-free, as a handler needs.
std::atomic<int> writesHeld{0};
std::atomic<int> ending{0};

// The ending signals held off in this thread, and the handlers of the
// others kept waiting, while the new file is made and noted (or a pair
// placed).
class EndingSignalsHeld {
public:
    EndingSignalsHeld()
    {
        sigset_t set;
        sigemptyset(&set);
        for (int s : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&set, s);
        pthread_sigmask(SIG_BLOCK, &set, &previous_);
        writesHeld.fetch_add(1);
        if (ending.load()) {
            // The program is ending on another thread: begin nothing.
            writesHeld.fetch_sub(1);
            for (;;)
                pause();
        }
    }
    ~EndingSignalsHeld()
    {
        writesHeld.fetch_sub(1);
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

private:
    sigset_t previous_;
};

void RemovePendingAndDie(int signal)
{
    ending.store(1);
    while (writesHeld.load() != 0) {
        struct timespec wait = {0, 1000000};
        nanosleep(&wait, nullptr);
    }
    for (int k = 0; k < kPendingSlots; ++k)
        if (pendingSet[k])
            unlink(pendingTemporary[k]);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Notes a path in a slot for the handler (within EndingSignalsHeld).
void NotePending(int slot, const std::string& path)
{
    if (path.size() < sizeof pendingTemporary[slot]) {
        std::memcpy(pendingTemporary[slot], path.c_str(), path.size() + 1);
        pendingSet[slot] = 1;
    }
}

}  // namespace
#endif

void RemoveTemporaryFileOnSignals()
{
#ifndef _WIN32
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action { };
        action.sa_handler = RemovePendingAndDie;
        sigemptyset(&action.sa_mask);
        sigaction(s, &action, nullptr);
    }
#endif
}

namespace {

// A new file with all the bytes in it, named `fs` with the temporary mark
// added: 0 and its path, or 1 (cannot be created) or 2 (the bytes cannot
// be written), with nothing left. The file stays noted in the pending slot
// until Forget.
int WriteTemporary(const std::filesystem::path& fs, const std::string& bytes, int slot,
                   std::filesystem::path& made)
{
#ifdef _WIN32
    (void)slot;
    // The second of a pair gets a second number, digits still.
    std::wstring temp = fs.native() + L".pellam-" + std::to_wstring(GetCurrentProcessId()) +
                        (slot ? L"1" : L"") + L".tmp";
    std::FILE* f = _wfopen(temp.c_str(), L"wb");
    if (!f)
        return 1;
    auto removeTemp = [&] { _wremove(temp.c_str()); };
#else
    std::string temp = fs.native() + kTemporaryMark + "XXXXXX";
    auto removeTemp = [&] {
        std::remove(temp.c_str());
        pendingSet[slot] = 0;
    };
    int fd;
    {
        EndingSignalsHeld held;
        fd = mkstemp(&temp[0]);
        if (fd >= 0)
            NotePending(slot, temp);
    }
    if (fd < 0)
        return 1;
    // mkstemp makes the file private; give it the mode a plain create would.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* f = fdopen(fd, "wb");
    if (!f) {
        close(fd);
        removeTemp();
        return 1;
    }
#endif
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    if (std::fclose(f) != 0)
        ok = false;
    if (!ok) {
        removeTemp();
        return 2;
    }
    made = temp;
    return 0;
}

void Forget(const std::filesystem::path& temp, int slot, bool remove)
{
    std::error_code ec;
    if (remove)
        std::filesystem::remove(temp, ec);
#ifndef _WIN32
    pendingSet[slot] = 0;
#else
    (void)slot;
#endif
}

bool Place(const std::filesystem::path& temp, const std::filesystem::path& fs)
{
#ifdef _WIN32
    return MoveFileExW(temp.c_str(), fs.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
#else
    return std::rename(temp.c_str(), fs.c_str()) == 0;
#endif
}

// The earlier file of a path, kept under a new file's name beside it (a
// second name of the same file where the file system has them, else a
// copy) so that a pair whose second file cannot be placed takes its first
// back. False when there is none to keep or it cannot be kept.
bool KeepEarlier(const std::filesystem::path& fs, std::filesystem::path& kept)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fs, ec))
        return false;
#ifdef _WIN32
    kept = fs.native() + L".pellam-" + std::to_wstring(GetCurrentProcessId()) + L"2.tmp";
    DeleteFileW(kept.c_str());
    if (CreateHardLinkW(kept.c_str(), fs.c_str(), nullptr))
        return true;
    return CopyFileW(fs.c_str(), kept.c_str(), FALSE) != FALSE;
#else
    std::string name = fs.native() + kTemporaryMark + "XXXXXX";
    int fd = mkstemp(&name[0]);
    if (fd < 0)
        return false;
    close(fd);
    unlink(name.c_str());
    kept = name;
    if (link(fs.c_str(), name.c_str()) == 0 ||
        std::filesystem::copy_file(fs, kept, std::filesystem::copy_options::overwrite_existing,
                                   ec)) {
        NotePending(kBackupSlot, name);
        return true;
    }
    return false;
#endif
}

void ForgetEarlier(const std::filesystem::path& kept)
{
    std::error_code ec;
    std::filesystem::remove(kept, ec);
#ifndef _WIN32
    pendingSet[kBackupSlot] = 0;
#endif
}

}  // namespace

int WriteWholeFiles(const std::vector<std::pair<std::string, std::string>>& files,
                    std::size_t& failed)
{
    // Every file's bytes go to a new file beside it first; only when all
    // are whole do they take their names, so that a failure leaves every
    // old file as it was and nothing partial.
    std::vector<std::filesystem::path> targets, temps;
    for (std::size_t k = 0; k < files.size(); ++k) {
        failed = k;
        std::filesystem::path fs = FileSystemPath(files[k].first);
        // A folder where one of a pair goes is found before either is
        // placed; a single file's placement fails on it by itself.
        bool folder = files.size() > 1 && DirectoryExists(files[k].first);
        int rc = fs.empty() || folder || k >= 2 ? 1 : 0;
        std::filesystem::path temp;
        if (rc == 0)
            rc = WriteTemporary(fs, files[k].second, static_cast<int>(k), temp);
        if (rc != 0) {
            for (std::size_t i = 0; i < temps.size(); ++i)
                Forget(temps[i], static_cast<int>(i), true);
            return rc;
        }
        targets.push_back(fs);
        temps.push_back(temp);
    }
    // The pair's places are taken together: no signal ends the program
    // between them, and when the second cannot be placed (held open, an
    // immutable file) the first takes its earlier file back.
#ifndef _WIN32
    EndingSignalsHeld held;
#endif
    std::filesystem::path earlier;
    bool pair = temps.size() == 2;
    bool kept = pair && KeepEarlier(targets[0], earlier);
    int rc = 0;
    for (std::size_t k = 0; k < temps.size(); ++k) {
        bool placed = rc == 0 && Place(temps[k], targets[k]);
        if (!placed && rc == 0) {
            failed = k;
            rc = 1;
        }
        Forget(temps[k], static_cast<int>(k), !placed);
    }
    if (pair && rc != 0 && failed == 1) {
        std::error_code ec;
        if (kept)
            Place(earlier, targets[0]);
        else
            std::filesystem::remove(targets[0], ec);  // there was none before
    }
    if (kept)
        ForgetEarlier(earlier);
    return rc;
}

int WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::size_t failed = 0;
    return WriteWholeFiles({{path, bytes}}, failed);
}

int WriteWholeFileStaged(const std::string& path, const std::string& bytes,
                         const std::string& stagingFolder)
{
    std::filesystem::path fs = FileSystemPath(path);
    if (!stagingFolder.empty() && !fs.empty() && fs.has_filename()) {
        std::filesystem::path temp;
        if (WriteTemporary(FileSystemPath(stagingFolder) / fs.filename(), bytes, 0, temp) == 0) {
            bool placed = Place(temp, fs);
            Forget(temp, 0, !placed);
            if (placed)
                return 0;
        }
    }
    // Not made or not moved from there (another volume, a folder in the
    // way): beside the target, which says what is wrong if anything is.
    return WriteWholeFile(path, bytes);
}

bool IsTemporaryFileName(const std::string& name)
{
    std::size_t mark = name.rfind(kTemporaryMark);
    if (mark == std::string::npos || mark == 0)
        return false;
    std::string tail = name.substr(mark + sizeof kTemporaryMark - 1);
#ifdef _WIN32
    if (tail.size() < 5 || tail.compare(tail.size() - 4, 4, ".tmp") != 0)
        return false;
    tail.resize(tail.size() - 4);
    for (char c : tail)
        if (c < '0' || c > '9')
            return false;
    return true;
#else
    if (tail.size() != 6)
        return false;
    for (char c : tail)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    return true;
#endif
}

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    std::filesystem::path fs = FileSystemPath(path);
    if (fs.empty())
        return false;
#ifdef _WIN32
    std::FILE* f = _wfopen(fs.c_str(), L"rb");
#else
    std::FILE* f = std::fopen(fs.c_str(), "rb");
#endif
    if (!f)
        return false;
    bytes.clear();
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

#ifdef _WIN32
namespace {

// A wide (UTF-16) text of the system as UTF-8.
std::string WideToUtf8(const wchar_t* wide)
{
    std::u16string text;
    for (const wchar_t* p = wide; *p; ++p)
        text += static_cast<char16_t>(*p);
    return Utf16ToUtf8(text);
}

}  // namespace
#endif

std::string UserSettingsFolder()
{
    std::string folder;
#ifdef _WIN32
    if (EnvironmentValue("APPDATA", folder) && !folder.empty())
        return folder;
#else
    if (EnvironmentValue("XDG_CONFIG_HOME", folder) && !folder.empty())
        return folder;
    if (EnvironmentValue("HOME", folder) && !folder.empty())
        return folder + "/.config";
#endif
    return std::string();
}

std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    std::vector<std::string> arguments;
#ifdef _WIN32
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide) {
        for (int i = 0; i < count; ++i)
            arguments.push_back(WideToUtf8(wide[i]));
        LocalFree(wide);
        return arguments;
    }
#endif
    arguments.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return arguments;
}

bool EnvironmentValue(const std::string& utf8Name, std::string& utf8Value)
{
#ifdef _WIN32
    std::u16string name = Utf8ToUtf16(utf8Name);
    std::wstring wideName(name.begin(), name.end());
    const wchar_t* value = _wgetenv(wideName.c_str());
    if (!value)
        return false;
    utf8Value = WideToUtf8(value);
    return true;
#else
    const char* value = std::getenv(utf8Name.c_str());
    if (!value)
        return false;
    utf8Value = value;
    return true;
#endif
}

}  // namespace platform
