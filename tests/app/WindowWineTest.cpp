// The window on the Win32 controls, under Wine, against the stand-in that
// window-wine.sh started (PELLAM_TEST_HOST): a login fills both trees, the
// popup renames and translates, and 生成 with Yes to clearing writes the
// expected tree each time.

#include "app/DataLink.h"
#include "app/Main.h"
#include "app/Report.h"
#include "catalog/Dbmodule.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "support/TestSupport.h"
#include "WineWindows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>

#include <windows.h>
#include <commctrl.h>

using testsupport::Expected;
using testsupport::FirstDifference;
using testsupport::ListFiles;
using testsupport::ReadFile;

namespace {

// Answers every question Yes and records what was shown.
class YesToAll : public platform::MessageBoxService {
public:
    int MessageBox(const std::string& text, const std::string&, int flags) override
    {
        Shown.push_back(text);
        return (flags & 0x0F) == platform::MB_YESNO ? platform::IDYES : platform::IDOK;
    }
    std::vector<std::string> Shown;
};

// Chooses a popup entry over a node, as a right click and a choice would.
void Choose(TMainForm& form, platform::TTreeView* tree, platform::TTreeNode* node,
            platform::TMenuItem* entry)
{
    int x = 0, y = 0;
    tree->NodePoint(node, x, y);
    tree->MouseDown(platform::mbRight, x, y);
    ASSERT_EQ(tree == form.TreeView1 ? form.TreeView1PopupMenu : form.TreeView2PopupMenu,
              form.PopupMenu1);
    ASSERT_EQ(form.PopupNode, node) << "the node is not where the click went";
    entry->Click();
}

std::vector<std::string> TopLevel(platform::TTreeView* tree)
{
    std::vector<std::string> texts;
    for (int i = 0; i < tree->Count(); ++i)
        texts.push_back(tree->Item(i)->Text());
    return texts;
}

void ExpectTree(const std::string& output,
                const std::vector<std::pair<std::string, std::string>>& files)
{
    std::vector<std::string> names;
    for (const auto& [file, expected] : files) {
        names.push_back(file);
        EXPECT_EQ(FirstDifference(Expected(expected), ReadFile(output + "/" + file)), "") << file;
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(ListFiles(output), names);
}

// A window's text read through the wide API, as the system holds it.
std::wstring WideText(HWND window)
{
    wchar_t buffer[512] = {0};
    GetWindowTextW(window, buffer, 512);
    return buffer;
}

// The texts of a top-level window and of every window inside it.
std::vector<std::wstring> WideTexts(HWND top)
{
    std::vector<std::wstring> texts{WideText(top)};
    for (HWND window : Descendants(top))
        texts.push_back(WideText(window));
    return texts;
}

}  // namespace

TEST(WindowUnderWine, ShowsItsChineseTextsWhateverTheCodePage)
{
    // The code page the prefix was made with, when the test was told it.
    if (const char* acp = std::getenv("PELLAM_EXPECT_ACP")) {
        EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(acp)));
    }
    TMainForm form;
    form.ShowForm();
    HWND top = FindWindowW(L"PellamForm", nullptr);
    ASSERT_NE(top, nullptr);
    std::vector<std::wstring> texts = WideTexts(top);
    for (const wchar_t* text :
         {L"Pellam - 代码生成器 ", L"Windows 身份验证(&W)", L"SQL Server 身份验证(&S)", L"登录(&L)",
          L"生成(&G)", L"获取数据库连接字符串(&A)"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end())
            << "a Chinese text is not shown as itself";
    // And back: a text the user types in reads as typed.
    form.LabeledEdit1->SetText("服务器");
    EXPECT_EQ(form.LabeledEdit1->Text(), "服务器");
}

namespace {

// A window's size and place in its parent, as the system has them.
RECT PlaceOf(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int FontHeight(HWND window)
{
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

HWND WindowWithText(HWND top, const wchar_t* text)
{
    for (HWND window : Descendants(top))
        if (WideText(window) == text)
            return window;
    return nullptr;
}

}  // namespace

// The window is laid out in pixels at 96 DPI and placed at the monitor's:
// at 150 % each control and the font are half as large again, while the
// program still reads its own units. A move to a monitor of another DPI
// rescales it all, and a move back leaves it as it was.
TEST(WindowUnderWine, PlacesAndDrawsItselfAtTheMonitorsDpi)
{
    int dpi = 96;
    if (const char* expected = std::getenv("PELLAM_EXPECT_DPI"))
        dpi = std::atoi(expected);
    {
        HDC screen = GetDC(nullptr);
        ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), dpi) << "the prefix has another DPI";
        ReleaseDC(nullptr, screen);
    }
    TMainForm form;
    form.ShowForm();
    platform::ProcessMessagesFor(20);
    HWND top = FindWindowW(L"PellamForm", nullptr);
    ASSERT_NE(top, nullptr);
    HWND generate = WindowWithText(top, L"生成(&G)");
    ASSERT_NE(generate, nullptr);
    const wchar_t* const kLabelText = L"架构：销售.客户订单明细 Sales";
    // The panel owns it.
    auto& label =
        *new platform::TLabel(form.Panel1, "架构：销售.客户订单明细 Sales", 9, 500, 10, 13);

    auto expectAt = [&](int at) {
        RECT client;
        GetClientRect(top, &client);
        EXPECT_EQ(client.right, MulDiv(TMainForm::kWidth, at, 96)) << at;
        EXPECT_EQ(client.bottom, MulDiv(TMainForm::kHeight, at, 96)) << at;
        EXPECT_EQ(form.ClientWidth(), TMainForm::kWidth) << at;
        EXPECT_EQ(form.ClientHeight(), TMainForm::kHeight) << at;
        // 生成 is where the program placed it in its own units, scaled.
        RECT button = PlaceOf(generate);
        platform::TRect b = form.BitBtn1->Bounds();
        EXPECT_EQ(std::vector<int>({b.Left, b.Top, b.Width, b.Height}),
                  std::vector<int>({572, 284, 98, 66}))
            << at;
        EXPECT_EQ(button.right - button.left, MulDiv(b.Width, at, 96)) << at;
        EXPECT_EQ(button.bottom - button.top, MulDiv(b.Height, at, 96)) << at;
        EXPECT_EQ(button.left, MulDiv(b.Left, at, 96)) << at;
        // The font, 11 pixels at 96 DPI, in every control.
        EXPECT_EQ(FontHeight(generate), -MulDiv(11, at, 96)) << at;
        EXPECT_EQ(FontHeight(WindowWithText(top, L"登录(&L)")), -MulDiv(11, at, 96)) << at;
        // A label as wide as its text in the program's units holds the whole
        // text as drawn.
        label.SetBounds(9, 500, label.TextWidth(), 13);
        HWND shown = WindowWithText(top, kLabelText);
        ASSERT_NE(shown, nullptr);
        HDC dc = GetDC(shown);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(shown, WM_GETFONT, 0, 0)));
        SIZE drawn{0, 0};
        GetTextExtentPoint32W(dc, kLabelText, static_cast<int>(std::wcslen(kLabelText)), &drawn);
        SelectObject(dc, old);
        ReleaseDC(shown, dc);
        RECT place = PlaceOf(shown);
        EXPECT_GE(place.right - place.left, drawn.cx) << at;
    };
    expectAt(dpi);

    // What Windows sends when the window moves to a monitor at twice the
    // DPI, with the size it suggests, and then back.
    auto move = [&](int to) {
        RECT frame{0, 0, MulDiv(TMainForm::kWidth, to, 96), MulDiv(TMainForm::kHeight, to, 96)};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(top, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(top, GWL_EXSTYLE)));
        RECT suggested{0, 0, frame.right - frame.left, frame.bottom - frame.top};
        SendMessageW(top, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
        platform::ProcessMessagesFor(20);
    };
    move(2 * dpi);
    expectAt(2 * dpi);
    move(dpi);
    expectAt(dpi);

    // The common controls 6 that the manifest asks for: only their buttons
    // tell their ideal size.
    HWND probe = CreateWindowExW(0, L"BUTTON", L"生成", WS_CHILD | BS_PUSHBUTTON, 0, 0, 10, 10, top,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    SIZE ideal{0, 0};
    EXPECT_TRUE(SendMessageW(probe, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)))
        << "the common controls 6 are not active";
    DestroyWindow(probe);
}

// The report of a refused run with hundreds of problems is a dialog that
// fits the work area at any DPI, in the window's font, its list Unicode
// whatever the code page, scrollable and selectable.
TEST(WindowUnderWine, TheReportOfHundredsOfProblemsFitsTheScreen)
{
    std::vector<RunProblem> problems;
    for (int k = 0; k < 150; ++k)
        problems.push_back({RunProblem::NonAscii, std::string("学生")
                                                      .append(std::to_string(k))
                                                      .append(":含有汉字或其他非 ASCII "
                                                              "字符（翻译或改名后可生成）")});
    for (int k = 0; k < 60; ++k)
        problems.push_back(
            {RunProblem::Type,
             std::string("T").append(std::to_string(k)).append(":g:数据类型 geography 不支持")});
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    TMainForm form;
    form.ShowForm();
    TReportDialog dialog(RefusalReport(problems, ReportReader::Window), &form);
    dialog.ShowForm();
    platform::ProcessMessagesFor(20);
    HWND top = FindWindowW(nullptr, L"210 处问题，没有生成");
    ASSERT_NE(top, nullptr);
    RECT work{}, frame{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(top, &frame);
    EXPECT_GE(frame.left, work.left);
    EXPECT_GE(frame.top, work.top);
    EXPECT_LE(frame.right, work.right);
    EXPECT_LE(frame.bottom, work.bottom);
    // Both buttons inside the client area, below the list.
    RECT client{};
    GetClientRect(top, &client);
    HWND list = nullptr;
    for (HWND window : Descendants(top)) {
        wchar_t name[32] = {0};
        GetClassNameW(window, name, 32);
        if (_wcsicmp(name, L"Edit") == 0)
            list = window;
    }
    ASSERT_NE(list, nullptr);
    RECT listPlace = PlaceOf(list);
    for (const wchar_t* caption : {L"确定", L"保存到文件..."}) {
        HWND button = WindowWithText(top, caption);
        ASSERT_NE(button, nullptr) << "no button";
        RECT place = PlaceOf(button);
        EXPECT_LE(place.right, client.right);
        EXPECT_LE(place.bottom, client.bottom);
        EXPECT_GE(place.top, listPlace.bottom);
        // The window's font: 11 pixels at 96 DPI.
        EXPECT_EQ(FontHeight(button), -MulDiv(11, dpi, 96));
    }
    // The whole list, as the system holds it (UTF-16, no code page), with
    // a scroll bar, and selectable.
    std::wstring shown(static_cast<std::size_t>(GetWindowTextLengthW(list)) + 1, L'\0');
    shown.resize(
        static_cast<std::size_t>(GetWindowTextW(list, &shown[0], static_cast<int>(shown.size()))));
    EXPECT_EQ(std::count(shown.begin(), shown.end(), L'\n'), 209);
    EXPECT_EQ(shown.rfind(L"学生0:含有汉字", 0), 0u);
    EXPECT_TRUE(GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL);
    SendMessageW(list, EM_SETSEL, 0, 2);
    DWORD from = 0, to = 0;
    SendMessageW(list, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(to - from, 2u);
}

// The dialog keys of the connection dialog, pressed from a timer inside
// its modal loop.
platform::TControl* keyTarget = nullptr;
platform::TKey keyPressed = platform::TKey::Enter;

TEST(WindowUnderWine, EscCancelsAndEnterConfirmsTheConnectionDialog)
{
    TMainForm form;
    form.ShowForm();
    for (platform::TKey key : {platform::TKey::Escape, platform::TKey::Enter}) {
        TDataLinkDialog dialog("Provider=SQLOLEDB.1;User ID=sa;Data Source=h", &form);
        keyTarget = dialog.ServerName;
        keyPressed = key;
        UINT_PTR timer = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            platform::PressKey(keyTarget, keyPressed);
        });
        bool ok = dialog.ShowModal();
        KillTimer(nullptr, timer);
        EXPECT_EQ(ok, key == platform::TKey::Enter);
    }
}

TEST(WindowUnderWine, LogsInRenamesTranslatesAndGenerates)
{
    const char* host = std::getenv("PELLAM_TEST_HOST");
    ASSERT_NE(host, nullptr);
    YesToAll answers;
    platform::MessageBoxService* previous = platform::Application.SetMessageBoxService(&answers);
    testsupport::TempDir dir;
    TMainForm form;
    MainForm = &form;
    DBData = new TDBData;
    form.ProgramFolder = dir.Path();
    std::vector<std::string> opened;
    form.OpenFolder = [&](const std::string& path) {
        opened.push_back(path);
        return true;
    };
    form.ShowForm();

    form.RadioButton2->Click();
    EXPECT_TRUE(form.LabeledEdit1->Enabled());
    form.LabeledEdit1->SetText(host);
    form.LabeledEdit2->SetText("Pellam#2026");
    // While the trees fill, the panel's controls look as unusable as they
    // are, under the wait cursor; afterwards each is as it was.
    int busyLooks = 0, calls = 0;
    platform::SetProcessMessagesHook([&] {
        ++calls;
        if (!form.BitBtn1->LooksEnabled() && !form.ComboBox1->LooksEnabled() &&
            !form.LabeledEdit1->LooksEnabled() && platform::WaitCursorShown())
            ++busyLooks;
    });
    form.BitBtn2->Click();
    platform::SetProcessMessagesHook(nullptr);
    EXPECT_GT(calls, 0);
    EXPECT_EQ(busyLooks, calls);
    EXPECT_TRUE(form.BitBtn1->LooksEnabled());
    EXPECT_TRUE(form.LabeledEdit1->LooksEnabled());
    EXPECT_FALSE(platform::WaitCursorShown());
    EXPECT_TRUE(form.Label4->Visible());
    EXPECT_EQ(form.ComboBox1->Text(), "NOLK");
    EXPECT_EQ(TopLevel(form.TreeView1), (std::vector<std::string>{"Log", "Staff"}));
    ASSERT_EQ(form.TreeView1->Item(1)->Count(), 4);
    EXPECT_EQ(form.Label5->Caption(), "更新完成。          ");

    // A node's children read and renamed before the node was ever opened.
    EXPECT_EQ(form.TreeView1->Item(1)->Item(2)->Text(), "Joined");
    EXPECT_EQ(form.TreeView1->Item(1)->Hint(), "dbo.Staff");
    // The window grows, and its trees with it.
    int treeWidth = form.TreeView1->Bounds().Width;
    // (to a size a laptop's screen at 150 % holds too)
    form.SetResizableClientSize(800, 480, TMainForm::kWidth, TMainForm::kHeight);
    platform::ProcessMessagesFor(20);
    EXPECT_EQ(form.ClientWidth(), 800);
    EXPECT_EQ(form.TreeView1->Bounds().Width, treeWidth + 60);
    // Never below the least size, however it is asked.
    form.SetResizableClientSize(400, 300, TMainForm::kWidth, TMainForm::kHeight);
    platform::ProcessMessagesFor(20);
    EXPECT_GE(form.ClientWidth(), TMainForm::kWidth);
    EXPECT_GE(form.ClientHeight(), TMainForm::kHeight);
    form.SetResizableClientSize(TMainForm::kWidth, TMainForm::kHeight, TMainForm::kWidth,
                                TMainForm::kHeight);
    platform::ProcessMessagesFor(20);

    // The schema shows in a status line too, as the selection changes.
    form.TreeView1->Select(form.TreeView1->Item(1));
    EXPECT_EQ(form.Label7->Caption(), "架构：dbo.Staff");

    // The node renamed is the one shown selected, whichever was before; the
    // common controls draw a selected node beside the editor white on white.
    form.TreeView1->Item(1)->Expand();
    form.TreeView1->Select(form.TreeView1->Item(0));
    ASSERT_EQ(form.TreeView1->Selected(), form.TreeView1->Item(0));
    Choose(form, form.TreeView1, form.TreeView1->Item(1)->Item(2), form.M1);
    EXPECT_EQ(form.TreeView1->Selected(), form.TreeView1->Item(1)->Item(2));
    ASSERT_TRUE(form.TreeView1->FinishEditing("Joined"));

    // F2, the key itself sent to the tree control, opens the editor on the
    // selected node.
    {
        std::vector<HWND> trees;
        for (HWND window : Descendants(FindWindowW(L"PellamForm", nullptr))) {
            wchar_t name[64] = {0};
            GetClassNameW(window, name, 64);
            if (std::wstring(name) == L"SysTreeView32")
                trees.push_back(window);
        }
        // The tables', the views' and the (hidden) procedures'.
        ASSERT_EQ(trees.size(), 3u);
        form.TreeView2->Select(form.TreeView2->Item(0));
        SendMessageW(trees[1], WM_KEYDOWN, VK_F2, 0);
        ASSERT_TRUE(form.TreeView2->Editing());
        ASSERT_TRUE(form.TreeView2->FinishEditing("V_Users"));
    }

    // A right click anywhere on a row finds its node, beside a short name too.
    {
        int x = 0, y = 0;
        form.TreeView1->NodePoint(form.TreeView1->Item(0), x, y);
        int right = form.TreeView1->Bounds().Width - 30;
        EXPECT_EQ(form.TreeView1->GetNodeAt(right, y), form.TreeView1->Item(0));
        EXPECT_EQ(form.TreeView1->GetNodeAt(2, y), form.TreeView1->Item(0));
    }

    // Shift+F10, the keys themselves, opens the popup over the selected
    // node (closed again at once by a timer in the popup's own loop).
    form.TreeView1->Select(form.TreeView1->Item(0));
    form.PopupNode = nullptr;
    UINT_PTR closer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
    platform::PressKey(form.TreeView1, platform::TKey::F10, true);
    KillTimer(nullptr, closer);
    EXPECT_EQ(form.PopupNode, form.TreeView1->Item(0));

    // The view renamed in place through the popup.
    Choose(form, form.TreeView2, form.TreeView2->Item(0), form.M1);
    ASSERT_TRUE(form.TreeView2->FinishEditing("Users"));
    EXPECT_EQ(form.TreeView2->Item(0)->Text(), "Users");
    // Enter on the focused 生成 button presses it.
    platform::PressKey(form.BitBtn1, platform::TKey::Enter);
    EXPECT_TRUE(answers.Shown.empty());  // nothing earlier to clear: no question
    ExpectTree(dir.File("Output"), testsupport::kLogStaffUsersFiles);
    EXPECT_EQ(form.Label5->Caption(), "生成完毕。   ");

    // The Chinese database, its table translated; clearing leaves only its files.
    int chinese = -1;
    for (int i = 0; i < form.ComboBox1->Count(); ++i)
        if (form.ComboBox1->Item(i) == "中文")
            chinese = i;
    ASSERT_GE(chinese, 0);
    answers.Shown.clear();
    form.ComboBox1->Choose(chinese);
    ASSERT_EQ(form.TreeView1->Count(), 1) << (answers.Shown.empty() ? "" : answers.Shown[0]);
    Choose(form, form.TreeView1, form.TreeView1->Item(0), form.N1);
    EXPECT_EQ(form.TreeView1->Item(0)->Text(), "YongHuBiao");
    EXPECT_EQ(form.TreeView1->Item(0)->Item(0)->Text(), "BianHao");
    form.BitBtn1->Click();
    // Log, Staff and Users are not written again: six files to clear.
    ASSERT_EQ(answers.Shown.size(), 1u);
    EXPECT_NE(answers.Shown[0].find("将删除 6 个这次不再生成的文件"), std::string::npos)
        << answers.Shown[0];
    ExpectTree(dir.File("Output"),
               {{"DBComm/DBComm.cpp", "DBComm.cpp.YongHuBiao.expected"},
                {"DBComm/DBComm.h", "DBComm.h.YongHuBiao.expected"},
                {"DBComm/DBStoredProc/DBStoredProc.cpp", "DBStoredProc.cpp.expected"},
                {"DBComm/DBStoredProc/DBStoredProc.h", "DBStoredProc.h.expected"},
                {"DBComm/DBTables/DBTableOperator.h", "DBTableOperator.h.expected"},
                {"DBComm/DBTables/YongHuBiaoOperator.cpp",
                 "YongHuBiaoOperator.cpp.translated.expected"},
                {"DBComm/DBTables/YongHuBiaoOperator.h",
                 "YongHuBiaoOperator.h.translated.expected"}});
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_FALSE(platform::FileExists(dir.File("output_clear.bat")));

    // The connection dialog: its four pages, seeded, and the 全部 page's
    // list taken back into the other pages.
    TDataLinkDialog dialog("Provider=SQLOLEDB.1;Password=pw;User ID=sa;Data Source=" +
                               std::string(host),
                           &form);
    ASSERT_EQ(dialog.Sheet->PageCount(), 4);
    EXPECT_EQ(dialog.Sheet->PageCaption(3), "全部");
    EXPECT_EQ(dialog.ServerName->Text(), host);
    EXPECT_TRUE(dialog.SqlLogin->Checked());
    dialog.Sheet->SetPageIndex(3);
    ASSERT_GT(dialog.AllProperties->RowCount(), 0);
    dialog.AllProperties->SetCell(1, 0, "SQLOLEDB");
    dialog.Sheet->SetPageIndex(1);
    EXPECT_EQ(dialog.Properties().Provider, "SQLOLEDB");

    delete DBData;
    DBData = nullptr;
    MainForm = nullptr;
    platform::Application.SetMessageBoxService(previous);
}

int main(int argc, char** argv)
{
    platform::TFormsApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
