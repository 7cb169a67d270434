// Start-up: the application object, the main window, then the data module,
// and the message loop until the window closes.

#include "Main.h"
#include "catalog/Dbmodule.h"
#include "platform/Forms.h"

int main(int argc, char** argv)
{
    platform::TFormsApplication* app = nullptr;
    try {
        app = new platform::TFormsApplication(argc, argv);
        MainForm = new TMainForm;
        DBData = new TDBData;
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
