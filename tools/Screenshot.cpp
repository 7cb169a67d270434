// Takes a picture of the main window after a login to the stand-in, with
// both trees filled:  pellam_screenshot HOST PASSWORD OUT.png

#include "app/Main.h"
#include "catalog/Dbmodule.h"
#include "platform/Forms.h"

#include <QTest>

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
    MainForm->show();
    if (!QTest::qWaitForWindowExposed(MainForm))
        return 1;
    MainForm->RadioButton2->click();
    MainForm->LabeledEdit1->setText(QString::fromLocal8Bit(argv[1]));
    MainForm->LabeledEdit2->setText(QString::fromLocal8Bit(argv[2]));
    MainForm->BitBtn2Click();
    MainForm->TreeView1->expandItem(MainForm->TreeView1->topLevelItem(0));
    MainForm->TreeView2->expandItem(MainForm->TreeView2->topLevelItem(0));
    QTest::qWait(300);
    bool ok = MainForm->grab().save(QString::fromLocal8Bit(argv[3]));
    delete DBData;
    delete MainForm;
    return ok ? 0 : 1;
}
