#include "platform/Files.h"

#include "platform/Text.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#else
#include <cerrno>
#include <climits>
#include <fcntl.h>
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

std::string FileSystemPath(const std::string& path)
{
#ifdef _WIN32
    return path;  // the ANSI calls take GBK paths as they are
#else
    std::string utf8;
    if (!TryGbkToUtf8(path, utf8))
        return std::string();  // an empty path fails every call
    return utf8;
#endif
}

std::string ExecutablePath()
{
#ifdef _WIN32
    char buffer[MAX_PATH + 1] = {0};
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return std::string(buffer, n);
#else
    char buffer[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0)
        throw Exception("Cannot find the program's folder");
    return Utf8ToGbk(std::string(buffer, static_cast<std::size_t>(n)));
#endif
}

std::string FolderOfPath(const std::string& executablePath)
{
    // Walk by characters so that a GBK trail byte 0x5C is not taken for '\'.
    std::size_t cut = std::string::npos;
    char cutChar = 0;
    for (std::size_t i = 0; i < executablePath.size(); i += CharLength(executablePath, i)) {
        char c = executablePath[i];
        if (CharLength(executablePath, i) == 1 && (c == kPathSeparator
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
    std::string fs = FileSystemPath(path);
    if (fs.empty())
        return false;
#ifdef _WIN32
    DWORD attrs = GetFileAttributesA(fs.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat st;
    return stat(fs.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

bool FileExists(const std::string& path)
{
    std::string fs = FileSystemPath(path);
    if (fs.empty())
        return false;
#ifdef _WIN32
    DWORD attrs = GetFileAttributesA(fs.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat st;
    return stat(fs.c_str(), &st) == 0 && S_ISREG(st.st_mode);
#endif
}

bool CreateDirectoryA(const std::string& path)
{
    std::string fs = FileSystemPath(path);
    if (fs.empty())
        return false;
#ifdef _WIN32
    return ::CreateDirectoryA(fs.c_str(), nullptr) != FALSE;
#else
    return mkdir(fs.c_str(), 0777) == 0;
#endif
}

int WriteWholeFile(const std::string& path, const std::string& bytes)
{
    // The bytes go to a new file beside the target, which replaces the
    // target only once they are all written: a failed write leaves the old
    // file whole and no partial one.
    std::string fs = FileSystemPath(path);
    if (fs.empty() || DirectoryExists(path))
        return 1;
#ifdef _WIN32
    std::string temp = fs + kTemporaryMark + std::to_string(GetCurrentProcessId()) + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        return 1;
#else
    std::string temp = fs + kTemporaryMark + "XXXXXX";
    int fd = mkstemp(&temp[0]);
    if (fd < 0)
        return 1;
    // mkstemp makes the file private; give it the mode a plain create would.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* f = fdopen(fd, "wb");
    if (!f) {
        close(fd);
        unlink(temp.c_str());
        return 1;
    }
#endif
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    if (std::fclose(f) != 0)
        ok = false;
    if (!ok) {
        std::remove(temp.c_str());
        return 2;
    }
#ifdef _WIN32
    bool placed = MoveFileExA(temp.c_str(), fs.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
#else
    bool placed = std::rename(temp.c_str(), fs.c_str()) == 0;
#endif
    if (!placed) {
        std::remove(temp.c_str());
        return 1;
    }
    return 0;
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
    std::string fs = FileSystemPath(path);
    if (fs.empty())
        return false;
    std::FILE* f = std::fopen(fs.c_str(), "rb");
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

bool RunScriptAndWait(const std::string& script, const std::string& workingFolder)
{
    if (!FileExists(script))
        return false;
#ifdef _WIN32
    // cmd.exe /c with the script's full path in quotes, the whole command in
    // a further pair of quotes, so that the batch sees its own full path as
    // %0 even when it holds blanks.
    char comspec[MAX_PATH + 1] = {0};
    if (GetEnvironmentVariableA("ComSpec", comspec, MAX_PATH) == 0)
        lstrcpyA(comspec, "cmd.exe");
    std::string commandLine = std::string("\"") + comspec + "\" /c \"\"" + script + "\"\"";
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof pi);
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          workingFolder.c_str(), &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
#else
    std::string fsProgram = FileSystemPath(script);
    std::string fsFolder = FileSystemPath(workingFolder);
    if (fsProgram.empty() || fsFolder.empty())
        return false;
    // A pipe closed on exec tells the parent whether exec succeeded.
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
        if (chdir(fsFolder.c_str()) == 0) {
            ::fcntl(fds[1], F_SETFD, FD_CLOEXEC);
            execl("/bin/sh", "sh", fsProgram.c_str(), static_cast<char*>(nullptr));
        }
        char failed = 1;
        (void)!write(fds[1], &failed, 1);
        _exit(127);
    }
    close(fds[1]);
    char failed = 0;
    ssize_t got;
    do {
        got = read(fds[0], &failed, 1);
    } while (got < 0 && errno == EINTR);
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    return got == 0;
#endif
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
