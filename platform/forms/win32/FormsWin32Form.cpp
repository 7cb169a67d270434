// The forms layer on the Win32 common controls: the forms, their size,
// font and modal loop.

#include "FormsWin32.h"

#include "platform/Text.h"

#include <algorithm>

namespace platform {

// ------------------------------------------------------------------- forms

TForm::TForm(const std::string& caption, TForm* owner)
    : TWinControl(nullptr,
                  std::unique_ptr<Impl>(NewImpl(
                      CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, ToWide(caption).c_str(),
                                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                                          WS_CLIPCHILDREN,
                                      CW_USEDEFAULT, CW_USEDEFAULT, 400, 300,
                                      owner ? owner->impl()->Handle : nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr))))
{
    impl()->Owned = owner != nullptr;
    impl()->OnPaint = &OnPaint;
    impl()->Dpi = WindowDpi(impl()->Handle);
}

std::string TForm::Caption() const
{
    return WindowText(impl()->Handle);
}

void TForm::SetFixedClientSize(int width, int height)
{
    int dpi = impl()->Dpi;
    RECT r = FrameAround(impl()->Handle, Scaled(width, dpi), Scaled(height, dpi), dpi);
    SetWindowPos(impl()->Handle, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetResizableClientSize(int width, int height, int minWidth, int minHeight)
{
    HWND window = impl()->Handle;
    impl()->MinWidth = minWidth;
    impl()->MinHeight = minHeight;
    impl()->OnResize = &OnResize;
    SetWindowLongPtrW(window, GWL_STYLE,
                      GetWindowLongPtrW(window, GWL_STYLE) | WS_THICKFRAME | WS_MAXIMIZEBOX);
    // The thicker frame first, so that the size below is measured with it.
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    int dpi = impl()->Dpi;
    // Never below the least size, whoever asks (WM_GETMINMAXINFO holds the
    // user's resizing only).
    width = std::max(width, minWidth);
    height = std::max(height, minHeight);
    RECT r = FrameAround(window, Scaled(width, dpi), Scaled(height, dpi), dpi);
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TForm::ClientWidth() const
{
    RECT r{};
    GetClientRect(impl()->Handle, &r);
    return Unscaled(r.right, impl()->Dpi);
}

int TForm::ClientHeight() const
{
    RECT r{};
    GetClientRect(impl()->Handle, &r);
    return Unscaled(r.bottom, impl()->Dpi);
}

void TForm::MoveTo(int left, int top)
{
    SetWindowPos(impl()->Handle, nullptr, left, top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::FitOnScreen()
{
    HWND window = impl()->Handle;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor))
        return;
    const RECT& area = monitor.rcWork;
    RECT r{};
    GetWindowRect(window, &r);
    int dpi = impl()->Dpi;
    // The least size the window may take, frame included.
    RECT least =
        FrameAround(window, Scaled(impl()->MinWidth, dpi), Scaled(impl()->MinHeight, dpi), dpi);
    int width = std::max<int>(least.right - least.left,
                              std::min<int>(r.right - r.left, area.right - area.left));
    int height = std::max<int>(least.bottom - least.top,
                               std::min<int>(r.bottom - r.top, area.bottom - area.top));
    int x = std::max<int>(area.left, std::min<int>(r.left, area.right - width));
    int y = std::max<int>(area.top, std::min<int>(r.top, area.bottom - height));
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetMaximized(bool maximized)
{
    impl()->StartMaximized = maximized;
    if (IsWindowVisible(impl()->Handle))
        ShowWindow(impl()->Handle, maximized ? SW_MAXIMIZE : SW_RESTORE);
}

bool TForm::Maximized() const
{
    HWND window = impl()->Handle;
    return IsWindowVisible(window) ? IsZoomed(window) != FALSE : impl()->StartMaximized;
}

void TForm::RestoredClientSize(int& width, int& height) const
{
    width = ClientWidth();
    height = ClientHeight();
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!Maximized() || !GetWindowPlacement(impl()->Handle, &placement))
        return;
    // The restored window rectangle, less the frame around a client area.
    int dpi = impl()->Dpi;
    RECT frame = FrameAround(impl()->Handle, 0, 0, dpi);
    const RECT& normal = placement.rcNormalPosition;
    width = Unscaled((normal.right - normal.left) - (frame.right - frame.left), dpi);
    height = Unscaled((normal.bottom - normal.top) - (frame.bottom - frame.top), dpi);
}

namespace {

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(const std::string& face)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, ToWide(face).c_str(), LF_FACESIZE);
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &wanted, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

}  // namespace

// A face the system lacks gives way to the system's own "MS Sans Serif" at
// 8 points, which Windows has.
void TForm::SetFont(const std::string& name, int pixelSize)
{
    if (FaceInstalled(name))
        SetControlFont(name, pixelSize);
    else
        SetControlFont("MS Sans Serif", 11);
}

void TForm::ShowForm()
{
    ShowWindow(impl()->Handle, impl()->StartMaximized ? SW_SHOWMAXIMIZED : SW_SHOW);
    UpdateWindow(impl()->Handle);
}

void TForm::Close()
{
    SendMessageW(impl()->Handle, WM_CLOSE, 0, 0);
}

void TForm::Repaint()
{
    RedrawWindow(impl()->Handle, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool TForm::ShowModal()
{
    HWND owner = GetWindow(impl()->Handle, GW_OWNER);
    if (owner) {
        // Centred on the window it belongs to, kept on the screen.
        RECT o, self;
        GetWindowRect(owner, &o);
        GetWindowRect(impl()->Handle, &self);
        int width = self.right - self.left, height = self.bottom - self.top;
        int x = std::max(0, static_cast<int>(o.left + (o.right - o.left - width) / 2));
        int y = std::max(0, static_cast<int>(o.top + (o.bottom - o.top - height) / 2));
        SetWindowPos(impl()->Handle, nullptr, x, y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EnableWindow(owner, FALSE);
    }
    impl()->Modal = true;
    impl()->ModalResult = false;
    ShowForm();
    MSG msg;
    while (impl()->Modal && GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchOne(msg);
    if (owner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    ShowWindow(impl()->Handle, SW_HIDE);
    return impl()->ModalResult;
}

void TForm::EndModal(bool ok)
{
    impl()->ModalResult = ok;
    impl()->Modal = false;
    PostMessageW(impl()->Handle, WM_NULL, 0, 0);
}

}  // namespace platform
