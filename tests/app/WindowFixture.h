#ifndef WindowFixtureH
#define WindowFixtureH

// The window's tests share one fixture: a stand-in with the NOLK database
// and another, a window whose output goes to a fresh folder, and every
// message box and report recorded.

#include "app/DataLink.h"
#include "app/Main.h"
#include "app/Options.h"
#include "app/Report.h"
#include "app/Settings.h"
#include "catalog/Dbmodule.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "support/StandIn.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>

#include <algorithm>
#include <memory>

using testsupport::Expected;
using testsupport::FirstDifference;
using testsupport::Fixture;
using testsupport::ReadFile;
using testsupport::RecordingMessageBoxes;
using testsupport::StandIn;
using testsupport::TempDir;

const char* const kNolk = testsupport::kLogStaffViewDatabase;

class Window : public ::testing::Test {
protected:
    explicit Window(const std::string& databases = std::string(kNolk) + R"(, {"name": "Other"})")
        : server(Fixture(databases))
    {
        form = std::make_unique<TMainForm>();
        MainForm = form.get();
        DBData = new TDBData;
        form->ProgramFolder = dir.Path();
        form->OpenFolder = [this](const std::string& path) {
            opened.push_back(path);
            return openSucceeds;
        };
        // The report of a refused run, kept as a box would be.
        form->ShowReport = [this](const RunNotice& report) {
            reports.push_back(report);
            boxes.Shown.push_back({report.Text, "report", 0});
        };
        form->ShowForm();
    }
    ~Window() override
    {
        platform::SetProcessMessagesHook(nullptr);
        delete DBData;
        DBData = nullptr;
        MainForm = nullptr;
    }

    // SQL Server authentication with the host and password typed in.
    void FillSqlLogin(const std::string& password, const std::string& host)
    {
        form->RadioButton2->Click();
        form->LabeledEdit1->SetText(host);
        form->LabeledEdit2->SetText(password);
    }
    void SqlLogin(const std::string& password = "Pellam#2026", const StandIn* to = nullptr)
    {
        FillSqlLogin(password, (to ? *to : server).Host());
        form->BitBtn2->Click();
    }

    static std::vector<std::string> TopLevel(platform::TTreeView* tree)
    {
        std::vector<std::string> texts;
        for (int i = 0; i < tree->Count(); ++i)
            texts.push_back(tree->Item(i)->Text());
        return texts;
    }
    using Texts = std::vector<std::string>;

    // Presses a mouse button over a node of a tree.
    static void PressOver(platform::TTreeView* tree, platform::TTreeNode* node,
                          platform::TMouseButton button)
    {
        int x = 0, y = 0;
        tree->NodePoint(node, x, y);
        tree->MouseDown(button, x, y);
    }

    StandIn server;
    TempDir dir;
    RecordingMessageBoxes boxes;
    std::unique_ptr<TMainForm> form;
    std::vector<std::string> opened;
    std::vector<RunNotice> reports;
    bool openSucceeds = true;
};

// Opens the popup over a node of a tree and chooses an entry.
inline void Choose(TMainForm* form, platform::TTreeView* tree, platform::TTreeNode* node,
                   platform::TMenuItem* entry)
{
    int x = 0, y = 0;
    tree->NodePoint(node, x, y);
    tree->MouseDown(platform::mbRight, x, y);
    ASSERT_EQ(tree == form->TreeView1   ? form->TreeView1PopupMenu
              : tree == form->TreeView2 ? form->TreeView2PopupMenu
                                        : form->TreeView3PopupMenu,
              form->PopupMenu1);
    ASSERT_EQ(form->PopupNode, node) << "the node is not where the click went";
    entry->Click();
}

#endif
