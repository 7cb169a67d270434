// Takes a picture of the main window after a login to the stand-in, with
// both trees filled:
//   pellam_screenshot HOST PASSWORD OUT.png [--renaming | --maximised | --report]
// With --renaming the second view is being renamed through the popup while
// the first was selected, as a right click and 修改名称 leave it. With
// --maximised the window fills the screen. With --report the picture is of
// the report that 生成 opens on the Chinese school database (学校).

#include "app/Main.h"
#include "app/Report.h"
#include "catalog/Dbmodule.h"
#include "platform/Forms.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

int main(int argc, char** argv)
{
    std::string mode = argc == 5 ? argv[4] : "";
    if ((argc != 4 && argc != 5) ||
        (argc == 5 && mode != "--renaming" && mode != "--maximised" && mode != "--report")) {
        std::fprintf(stderr,
                     "usage: %s HOST PASSWORD OUT.png [--renaming | --maximised | --report]\n",
                     argv[0]);
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
    platform::TForm* pictured = MainForm;
    std::unique_ptr<TReportDialog> report;
    if (mode == "--renaming" && views->Count() >= 2) {
        views->Select(views->Item(0));
        int x = 0, y = 0;
        views->NodePoint(views->Item(1), x, y);
        views->MouseDown(platform::mbRight, x, y);
        MainForm->M1->Click();
    } else if (mode == "--report") {
        for (int i = 0; i < MainForm->ComboBox1->Count(); ++i)
            if (MainForm->ComboBox1->Item(i) == "学校")
                MainForm->ComboBox1->Choose(i);
        // The report shown without waiting for it to close, to be pictured.
        MainForm->ShowReport = [&](const RunNotice& notice) {
            report = std::make_unique<TReportDialog>(notice, MainForm);
            report->ShowForm();
        };
        MainForm->BitBtn1Click();
        if (!report) {
            std::fprintf(stderr, "no report: 学校 generated without a problem\n");
            return 1;
        }
        pictured = report.get();
    } else {
        MainForm->TreeView1->Item(0)->Expand();
        views->Item(0)->Expand();
        if (mode == "--maximised")
            MainForm->SetMaximized(true);
    }
    platform::ProcessMessagesFor(300);
    bool ok = platform::SaveFormPicture(pictured, argv[3]);
    report.reset();
    delete DBData;
    delete MainForm;
    return ok ? 0 : 1;
}
