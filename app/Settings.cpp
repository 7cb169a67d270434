#include "Settings.h"

#include "platform/Files.h"

#include <cstdlib>
#include <sstream>

WindowSettings ReadWindowSettings(const std::string& path)
{
    WindowSettings settings;
    std::string text;
    if (path.empty() || !platform::ReadWholeFile(path, text))
        return settings;
    // A file saved by an editor that writes UTF-8 with a byte-order mark.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "sqlLogin")
            settings.SqlLogin = value == "1";
        else if (key == "host")
            settings.Host = value;
        else if (key == "user" && !value.empty())
            settings.User = value;
        else if (key == "extendedTypes")
            settings.ExtendedTypes = value == "1";
        else if (key == "keyMethods")
            settings.KeyMethods = value == "1";
        else if (key == "relations")
            settings.Relations = value == "1";
        else if (key == "rows")
            settings.Rows = value == "1";
        else if (key == "procedures")
            settings.Procedures = value == "1";
        else if (key == "openFolder")
            settings.OpenFolder = value == "1";
        else if (key == "unicode")
            settings.Unicode = value == "1";
        else if (key == "typeGroups")
            settings.TypeGroups = value;
        else if (key == "width")
            settings.Width = std::atoi(value.c_str());
        else if (key == "height")
            settings.Height = std::atoi(value.c_str());
        else if (key == "maximized")
            settings.Maximized = value == "1";
    }
    return settings;
}

namespace {

// A value on one line: line breaks cannot be kept, and are left out.
std::string OneLine(const std::string& value)
{
    std::string out;
    for (char c : value)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

}  // namespace

bool WriteWindowSettings(const std::string& path, const WindowSettings& settings)
{
    if (path.empty())
        return false;
    std::string folder = platform::FolderOfPath(path);
    if (!folder.empty() && !platform::DirectoryExists(folder)) {
        std::string parent = platform::FolderOfPath(folder);
        if (!parent.empty() && !platform::DirectoryExists(parent))
            platform::MakeDirectory(parent);
        platform::MakeDirectory(folder);
    }
    std::string text = std::string("sqlLogin=") + (settings.SqlLogin ? "1" : "0") + "\n" +
                       "host=" + OneLine(settings.Host) + "\n" + "user=" + OneLine(settings.User) +
                       "\n" + "extendedTypes=" + (settings.ExtendedTypes ? "1" : "0") + "\n" +
                       "typeGroups=" + OneLine(settings.TypeGroups) + "\n" +
                       "keyMethods=" + (settings.KeyMethods ? "1" : "0") + "\n" +
                       "relations=" + (settings.Relations ? "1" : "0") + "\n" +
                       "rows=" + (settings.Rows ? "1" : "0") + "\n" +
                       "procedures=" + (settings.Procedures ? "1" : "0") + "\n" +
                       "openFolder=" + (settings.OpenFolder ? "1" : "0") + "\n" +
                       "unicode=" + (settings.Unicode ? "1" : "0") + "\n" +
                       "width=" + std::to_string(settings.Width) + "\n" +
                       "height=" + std::to_string(settings.Height) + "\n" +
                       "maximized=" + (settings.Maximized ? "1" : "0") + "\n";
    return platform::WriteWholeFile(path, text) == 0;
}

std::string DefaultSettingsFile()
{
    std::string folder = platform::UserSettingsFolder();
    if (folder.empty())
        return std::string();
    return folder + platform::kPathSeparator + "pellam" + platform::kPathSeparator + "pellam.ini";
}
