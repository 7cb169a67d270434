// Takes a picture of the main window after a login to the stand-in, with
// both trees filled:  pellam_screenshot HOST PASSWORD OUT.png [--renaming]
// With --renaming the second view is being renamed through the popup while
// the first was selected, as a right click and 修改名称 leave it.

#include "app/Main.h"
#include "catalog/Dbmodule.h"
#include "platform/Forms.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    bool renaming = argc == 5 && std::strcmp(argv[4], "--renaming") == 0;
    if (argc != 4 && !renaming) {
        std::fprintf(stderr, "usage: %s HOST PASSWORD OUT.png [--renaming]\n", argv[0]);
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
    platform::TTreeView* views = MainForm->TreeView2;
    if (renaming && views->Count() >= 2) {
        views->Select(views->Item(0));
        int x = 0, y = 0;
        views->NodePoint(views->Item(1), x, y);
        views->MouseDown(platform::mbRight, x, y);
        MainForm->M1->Click();
    } else {
        MainForm->TreeView1->Item(0)->Expand();
        views->Item(0)->Expand();
    }
    platform::ProcessMessagesFor(300);
    bool ok = platform::SaveFormPicture(MainForm, argv[3]);
    delete DBData;
    delete MainForm;
    return ok ? 0 : 1;
}
