#ifndef AppSettingsH
#define AppSettingsH

// What the window remembers between runs: the authentication, the host and
// the login last used, and the type rules chosen. Kept as "key=value" lines
// (UTF-8) in a file of the user's own.

#include <string>

struct WindowSettings {
    bool SqlLogin = false;
    std::string Host;
    std::string User = "sa";
    bool ExtendedTypes = false;
    std::string TypeGroups;  // the window's "NAME=GROUP; ..." line
    bool KeyMethods = false;
    bool Relations = false;  // lookups and master-detail by foreign keys
    bool Rows = false;  // a typed row per table and view
    bool Procedures = false;  // the stored procedures read, shown and generated
    bool OpenFolder = true;  // the output folder opened after a run
    bool Unicode = false;  // the Unicode VCL's form (C++Builder 2009 and later)
    int Width = 0, Height = 0;  // the window's client size (restored); 0 when unknown
    bool Maximized = false;
};

// The settings in the file, or the defaults for what it does not hold (or
// when there is no file).
WindowSettings ReadWindowSettings(const std::string& path);
// Writes them, making the file's folder when it is missing; false when they
// could not be written.
bool WriteWindowSettings(const std::string& path, const WindowSettings& settings);

// The file in the user's settings folder ("" when there is none).
std::string DefaultSettingsFile();

#endif
