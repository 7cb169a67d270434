#ifndef PlatformApplicationH
#define PlatformApplicationH

// The application object's message box: every message to the user goes
// through it. The window answers with a real dialog; tests and the command
// line put their own service in its place.

#include <string>

#ifdef _WIN32
// windows.h names MessageBox and the MB_ and ID constants as macros; ours
// are members and enumerators of the same values.
#include <windows.h>
#undef MessageBox
#undef MB_OK
#undef MB_YESNO
#undef MB_ICONERROR
#undef MB_ICONQUESTION
#undef MB_ICONWARNING
#undef MB_ICONINFORMATION
#undef IDOK
#undef IDCANCEL
#undef IDYES
#undef IDNO
#endif

namespace platform {

enum MessageBoxFlags {
    MB_OK = 0,
    MB_YESNO = 4,
    MB_ICONERROR = 16,
    MB_ICONQUESTION = 32,
    MB_ICONWARNING = 48,
    MB_ICONINFORMATION = 64,
};

enum MessageBoxResult { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // Shows text and caption with the Windows flags; returns the
    // pressed button's ID.
    virtual int MessageBox(const std::string& text, const std::string& caption, int flags) = 0;
};

class TApplication {
public:
    int MessageBox(const std::string& text, const std::string& caption, int flags);
    // Installs a service and returns the one it replaces (null: none).
    MessageBoxService* SetMessageBoxService(MessageBoxService* service);

private:
    MessageBoxService* service_ = nullptr;
};

extern TApplication Application;

}  // namespace platform

#endif
