// Takes a picture of the main window after a login to the stand-in, with
// both trees filled:  pellam_screenshot HOST PASSWORD OUT.png

#include "app/Main.h"
#include "catalog/Dbmodule.h"
#include "platform/Forms.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s HOST PASSWORD OUT.png\n", argv[0]);
        return 2;
    }
    platform::TFormsApplication app(argc, argv);
    MainForm = new TMainForm;
    DBData = new TDBData;
    MainForm->ShowForm();
    platform::ProcessMessagesFor(300);
    MainForm->RadioButton2->Click();
    MainForm->LabeledEdit1->SetText(argv[1]);
    MainForm->LabeledEdit2->SetText(argv[2]);
    MainForm->BitBtn2Click();
    MainForm->TreeView1->Item(0)->Expand();
    MainForm->TreeView2->Item(0)->Expand();
    platform::ProcessMessagesFor(300);
    bool ok = platform::SaveFormPicture(MainForm, argv[3]);
    delete DBData;
    delete MainForm;
    return ok ? 0 : 1;
}
