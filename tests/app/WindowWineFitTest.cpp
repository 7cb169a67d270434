// The Win32 window on the screen it is given (window-wine.sh's Xvfb screen
// at the prefix's DPI): every control inside the work area at the least
// size and maximised, a maximised window remembered, and hints shown as
// tooltips over a label and over a tree node.

#include "app/Main.h"
#include "app/Settings.h"
#include "catalog/Dbmodule.h"
#include "support/TestSupport.h"
#include "WineWindows.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

namespace {

RECT WorkAreaOf(HWND window)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    return monitor.rcWork;
}

bool Inside(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The form's tooltip window, when one shows.
HWND ShownTooltip()
{
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM into) -> BOOL {
            wchar_t name[64] = {0};
            GetClassNameW(window, name, 64);
            if (_wcsicmp(name, TOOLTIPS_CLASSW) == 0 && IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(into) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The text the tooltip shows now.
std::wstring TooltipText(HWND tip)
{
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    if (!SendMessageW(tip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&tool)))
        return std::wstring();
    wchar_t text[1024] = {0};
    tool.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
    return text;
}

// Rests the mouse over a point of a window until a tooltip shows; its text.
std::wstring HintAt(HWND window, POINT at)
{
    ClientToScreen(window, &at);
    SetCursorPos(at.x - 1, at.y);
    platform::ProcessMessagesFor(50);
    SetCursorPos(at.x, at.y);
    for (int k = 0; k < 60; ++k) {
        platform::ProcessMessagesFor(50);
        if (HWND tip = ShownTooltip())
            return TooltipText(tip);
    }
    return std::wstring();
}

}  // namespace

TEST(WindowUnderWine, EveryControlIsInTheWorkAreaAtTheLeastSizeAndMaximised)
{
    TMainForm form;
    form.CheckBox3->SetChecked(true);
    form.FormResize();
    form.FitOnScreen();
    form.ShowForm();
    HWND top = FindWindowW(L"PellamForm", nullptr);
    ASSERT_NE(top, nullptr);
    RECT work = WorkAreaOf(top);
    for (bool maximised : {false, true}) {
        form.SetMaximized(maximised);
        platform::ProcessMessagesFor(100);
        RECT frame{};
        GetWindowRect(top, &frame);
        EXPECT_EQ(form.Maximized(), maximised);
        if (!maximised) {
            EXPECT_TRUE(Inside(work, frame))
                << frame.right - frame.left << "x" << frame.bottom - frame.top << " in "
                << work.right - work.left << "x" << work.bottom - work.top;
        }
        RECT client{};
        GetClientRect(top, &client);
        MapWindowPoints(top, nullptr, reinterpret_cast<POINT*>(&client), 2);
        int checked = 0;
        for (HWND child : Descendants(top)) {
            if (!IsWindowVisible(child))
                continue;
            RECT r{};
            GetWindowRect(child, &r);
            // The banner and the frame around the panel may reach the edge.
            if (r.right - r.left >= client.right - client.left - 8)
                continue;
            ++checked;
            EXPECT_TRUE(Inside(work, r) && Inside(client, r))
                << (maximised ? "maximised " : "least size ") << r.left << "," << r.top << "-"
                << r.right << "," << r.bottom;
        }
        EXPECT_GT(checked, 25);
    }
}

// Closed maximised, it opens maximised again, at the size it had before
// it was maximised.
TEST(WindowUnderWine, AWindowClosedMaximisedIsRememberedSo)
{
    testsupport::TempDir dir;
    std::string settings = dir.File("pellam.ini");
    {
        auto shown = std::make_unique<TMainForm>();
        shown->LoadSettings(settings);
        shown->ShowForm();
        platform::ProcessMessagesFor(100);
        shown->SetMaximized(true);
        platform::ProcessMessagesFor(100);
        ASSERT_TRUE(shown->Maximized());
        shown->Close();
        EXPECT_TRUE(shown->Maximized()) << "closed, it still knows it was maximised";
        // The quit the closed main window posts is not this test's.
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) { }
    }
    WindowSettings kept = ReadWindowSettings(settings);
    EXPECT_TRUE(kept.Maximized);
    EXPECT_EQ(kept.Width, TMainForm::kWidth);
}

TEST(WindowUnderWine, HintsShowOverALabelAndATreeNode)
{
    TMainForm form;
    form.ShowForm();
    HWND top = FindWindowW(L"PellamForm", nullptr);
    ASSERT_NE(top, nullptr);
    SetForegroundWindow(top);
    // A left-out label's hint, as a run leaves it, and a node's.
    form.Label5->SetCaption("生成完毕。1 个数据表无主键方法");
    form.Label5->SetBounds(10, form.Label5->Bounds().Top, 200, 13);
    form.Label5->SetHint("1 个数据表没有可用的主键：\n数据表 Log：没有主键");
    platform::TTreeNode* node = form.TreeView1->Add("Staff");
    node->SetHint("dbo.Staff");
    platform::ProcessMessagesFor(50);

    HWND label = nullptr, tree = nullptr;
    for (HWND child : Descendants(top)) {
        wchar_t name[64] = {0}, text[128] = {0};
        GetClassNameW(child, name, 64);
        GetWindowTextW(child, text, 128);
        if (std::wstring(text) == L"生成完毕。1 个数据表无主键方法")
            label = child;
        if (_wcsicmp(name, L"SysTreeView32") == 0 && !tree)
            tree = child;
    }
    ASSERT_NE(label, nullptr);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(HintAt(label, {20, 6}), L"1 个数据表没有可用的主键：\n数据表 Log：没有主键");
    int x = 0, y = 0;
    form.TreeView1->NodePoint(node, x, y);
    UINT dpi = GetDpiForWindow(tree);
    EXPECT_EQ(HintAt(tree,
                     {MulDiv(x, static_cast<int>(dpi), 96), MulDiv(y, static_cast<int>(dpi), 96)}),
              L"dbo.Staff");
}
