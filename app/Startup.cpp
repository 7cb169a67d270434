// Start-up: the application object, the main window, then the data module,
// and the message loop until the window closes.

#include "Main.h"
#include "Settings.h"
#include "catalog/Dbmodule.h"
#include "platform/Forms.h"

namespace {

int RunPellam(int argc, char** argv)
{
    platform::TFormsApplication* app = nullptr;
    try {
        app = new platform::TFormsApplication(argc, argv);
        MainForm = new TMainForm;
        DBData = new TDBData;
        // What the user chose last time.
        MainForm->LoadSettings(DefaultSettingsFile());
        MainForm->ShowForm();
        app->Run();
    } catch (const platform::Exception& e) {
        platform::TFormsApplication::ShowException(e.Message);
    } catch (...) {
        platform::TFormsApplication::ShowException(std::string());
    }
    delete DBData;
    delete MainForm;
    delete app;
    return 0;
}

}  // namespace

#ifdef _WIN32
#include <windows.h>

// A window program has no console; its arguments are the C runtime's.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return RunPellam(__argc, __argv);
}
#else
int main(int argc, char** argv)
{
    return RunPellam(argc, argv);
}
#endif
