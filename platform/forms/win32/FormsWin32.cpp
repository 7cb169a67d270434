// The forms layer on the Win32 common controls: forms, containers and the
// controls the window and the connection dialog use.

#include "FormsWin32.h"

#include "platform/Text.h"

#include <cwchar>

#include <algorithm>
#include <map>

namespace platform {

const wchar_t* const kFormClass = L"PellamForm";
const wchar_t* const kContainerClass = L"PellamContainer";
const wchar_t* const kImageClass = L"PellamImage";

std::wstring ToWide(const std::string& text)
{
    std::u16string wide = Utf8ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

std::string FromWide(const wchar_t* text, std::size_t length)
{
    return Utf16ToUtf8(std::u16string(text, text + length));
}

std::string FromWide(const wchar_t* text)
{
    return FromWide(text, std::wcslen(text));
}

namespace {

const wchar_t* const kControlProperty = L"PellamControl";

// The controls' face and size, and the fonts made of them for each DPI.
struct ControlFonts {
    std::string Face = "MS Sans Serif";
    int PixelSize = 11;
    std::map<int, HFONT> Made;
};

ControlFonts& Fonts()
{
    static ControlFonts fonts;
    return fonts;
}

// An entry point of user32 that older Windows lacks, or null there.
template <class Function> Function User32Entry(const char* name)
{
    FARPROC entry = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
}

int SystemDpi()
{
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

// The background a control shows: its own colour, else its parent's.
TControl::Impl* PaintedBy(TControl* control)
{
    for (TControl* c = control; c; c = c->Parent())
        if (c->impl()->HasColor)
            return c->impl();
    return nullptr;
}

}  // namespace

// The DPI of the monitor a window is on (Windows 10 and later tell it for
// each monitor; before, the system's).
int WindowDpi(HWND window)
{
    using GetDpiForWindowEntry = UINT(WINAPI*)(HWND);
    static const auto getDpi = User32Entry<GetDpiForWindowEntry>("GetDpiForWindow");
    UINT dpi = getDpi ? getDpi(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

// The window rectangle around a client area: the frame the window has now
// (after a change of DPI, the system has already scaled it, or not, as it
// draws it), or, for a minimised window, the frame its style has at the DPI.
RECT FrameAround(HWND window, int clientWidth, int clientHeight, int dpi)
{
    RECT outer, inner;
    if (!IsIconic(window) && GetWindowRect(window, &outer) && GetClientRect(window, &inner)) {
        int width = (outer.right - outer.left) - inner.right;
        int height = (outer.bottom - outer.top) - inner.bottom;
        return {0, 0, clientWidth + width, clientHeight + height};
    }
    using AdjustForDpiEntry = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = User32Entry<AdjustForDpiEntry>("AdjustWindowRectExForDpi");
    RECT r{0, 0, clientWidth, clientHeight};
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return r;
}

TControl::Impl* NewImpl(HWND handle)
{
    auto* impl = new TControl::Impl;
    impl->Handle = handle;
    return impl;
}

std::unique_ptr<TControl::Impl> Child(TWinControl* parent, const wchar_t* windowClass,
                                      const std::string& text, DWORD style, DWORD exStyle, int left,
                                      int top, int width, int height)
{
    std::unique_ptr<TControl::Impl> impl(
        NewImpl(CreateChild(parent, windowClass, text, style, exStyle, left, top, width, height)));
    impl->Placed = true;
    impl->Logical = {left, top, width, height};
    return impl;
}

std::string WindowText(HWND window)
{
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    length = GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return FromWide(text.c_str(), text.size());
}

int DpiOf(HWND window)
{
    HWND root = GetAncestor(window, GA_ROOT);
    TControl* form = root ? ControlOf(root) : nullptr;
    return form ? form->impl()->Dpi : WindowDpi(window);
}

RECT PlaceInParent(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HFONT ControlFont(int dpi)
{
    ControlFonts& fonts = Fonts();
    HFONT& font = fonts.Made[dpi];
    if (!font)
        font = MakeFont(fonts.Face, Scaled(fonts.PixelSize, dpi), false);
    return font;
}

// Fonts made before stay: controls may still be drawn with them.
void SetControlFont(const std::string& face, int pixelSize)
{
    ControlFonts& fonts = Fonts();
    fonts.Face = face;
    fonts.PixelSize = pixelSize;
    fonts.Made.clear();
}

HFONT MakeFont(const std::string& face, int pixelSize, bool bold)
{
    return CreateFontW(-pixelSize, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, ToWide(face).c_str());
}

TControl* ControlOf(HWND window)
{
    return static_cast<TControl*>(GetPropW(window, kControlProperty));
}

void Guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const Exception& e) {
        TFormsApplication::ShowException(e.Message);
    } catch (const std::exception&) {
        TFormsApplication::ShowException(std::string());
    }
}

HWND CreateChild(TWinControl* parent, const wchar_t* windowClass, const std::string& text,
                 DWORD style, DWORD exStyle, int left, int top, int width, int height)
{
    int dpi = DpiOf(parent->impl()->Handle);
    HWND window =
        CreateWindowExW(exStyle, windowClass, ToWide(text).c_str(),
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, Scaled(left, dpi),
                        Scaled(top, dpi), Scaled(width, dpi), Scaled(height, dpi),
                        parent->impl()->Handle, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont(dpi)), FALSE);
    return window;
}

namespace {

LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    TControl* control = ControlOf(window);
    if (!control)
        return DefWindowProcW(window, message, w, l);
    TControl::Impl* impl = control->impl();
    LRESULT result = 0;
    bool handled = false;
    if (impl->Subclass)
        Guarded([&] { handled = impl->Subclass(message, w, l, result); });
    return handled ? result : CallWindowProcW(impl->Previous, window, message, w, l);
}

}  // namespace

void SubclassControl(TControl::Impl* impl)
{
    impl->Previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(impl->Handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
}

// ------------------------------------------------------------- containers

namespace {

// Each control of a container placed and given its font again for the DPI
// its form moved to, from where the program placed it (or, for one it did
// not, from where it was at the old DPI).
void Rescale(TWinControl* container, int from, int to)
{
    for (TControl* c : container->Controls()) {
        TControl::Impl* impl = c->impl();
        TRect at = impl->Logical;
        if (!impl->Placed) {
            RECT r = PlaceInParent(impl->Handle);
            at = {Unscaled(r.left, from), Unscaled(r.top, from), Unscaled(r.right - r.left, from),
                  Unscaled(r.bottom - r.top, from)};
        }
        MoveWindow(impl->Handle, Scaled(at.Left, to), Scaled(at.Top, to), Scaled(at.Width, to),
                   Scaled(at.Height, to), TRUE);
        SendMessageW(impl->Handle, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont(to)), TRUE);
        if (impl->Buddy) {
            SendMessageW(impl->Buddy, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont(to)), TRUE);
            SendMessageW(impl->Buddy, UDM_SETBUDDY, reinterpret_cast<WPARAM>(impl->Handle), 0);
        }
        if (impl->Rescaled)
            impl->Rescaled(from, to);
        if (auto* inner = dynamic_cast<TWinControl*>(c))
            Rescale(inner, from, to);
    }
}

// A form moved to a monitor of another DPI, or the DPI was changed: its
// controls follow, and the form takes the size the system suggests.
void MoveToDpi(TControl* form, int dpi, const RECT& suggested)
{
    int from = form->impl()->Dpi;
    form->impl()->Dpi = dpi;
    if (from != dpi)
        Rescale(static_cast<TWinControl*>(form), from, dpi);
    SetWindowPos(form->impl()->Handle, nullptr, suggested.left, suggested.top,
                 suggested.right - suggested.left, suggested.bottom - suggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(form->impl()->Handle, nullptr, TRUE);
}

}  // namespace

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    TControl* self = ControlOf(window);
    switch (message) {
    case WM_COMMAND:
        if (TControl* from = l ? ControlOf(reinterpret_cast<HWND>(l)) : nullptr) {
            if (from->impl()->Command)
                Guarded([&] { from->impl()->Command(HIWORD(w)); });
            return 0;
        }
        // Enter where no control takes it: the form's default button, when
        // it has one.
        if (!l && self && !self->Parent() && LOWORD(w) == IDOK && self->impl()->DefaultButton) {
            if (auto* button = dynamic_cast<TButton*>(self->impl()->DefaultButton))
                Guarded([&] { button->Click(); });
            return 0;
        }
        // The dialog keys of a form shown modally: Esc cancels, Enter
        // (where no control takes it) is OK.
        if (!l && self && !self->Parent() && self->impl()->Modal &&
            (LOWORD(w) == IDCANCEL || LOWORD(w) == IDOK)) {
            static_cast<TForm*>(self)->EndModal(LOWORD(w) == IDOK);
            return 0;
        }
        break;
    case WM_SIZE:
        if (self && self->impl()->OnResize && *self->impl()->OnResize)
            Guarded([&] { (*self->impl()->OnResize)(); });
        break;
    case WM_DPICHANGED:
        if (self && !self->Parent()) {
            Guarded([&] { MoveToDpi(self, HIWORD(w), *reinterpret_cast<const RECT*>(l)); });
            return 0;
        }
        break;
    case WM_GETMINMAXINFO:
        if (self && (self->impl()->MinWidth > 0 || self->impl()->MinHeight > 0)) {
            int dpi = self->impl()->Dpi;
            RECT r = FrameAround(window, Scaled(self->impl()->MinWidth, dpi),
                                 Scaled(self->impl()->MinHeight, dpi), dpi);
            auto* info = reinterpret_cast<MINMAXINFO*>(l);
            info->ptMinTrackSize.x = r.right - r.left;
            info->ptMinTrackSize.y = r.bottom - r.top;
            return 0;
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(l);
        if (header->code == TTN_GETDISPINFOW) {
            // A hint the tooltip asks for: the control's (or node's) own.
            static std::wstring text;
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(l);
            Guarded([&] { text = ToWide(TipText(reinterpret_cast<HWND>(header->idFrom))); });
            info->lpszText = text.empty() ? nullptr : &text[0];
            info->hinst = nullptr;
            return 0;
        }
        TControl* from = ControlOf(header->hwndFrom);
        LRESULT result = 0;
        if (from && from->impl()->Notify)
            Guarded([&] { result = from->impl()->Notify(header); });
        return result;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        TControl* from = ControlOf(item->hwndItem);
        if (from && from->impl()->Draw) {
            Guarded([&] { from->impl()->Draw(item); });
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        TControl* from = ControlOf(reinterpret_cast<HWND>(l));
        TControl::Impl* painter = from ? PaintedBy(from) : nullptr;
        if (!painter)
            break;
        HDC dc = reinterpret_cast<HDC>(w);
        SetBkColor(dc, ToColorRef(painter->Background));
        if (from->impl()->HasFontColor)
            SetTextColor(dc, ToColorRef(from->impl()->FontColor));
        return reinterpret_cast<LRESULT>(painter->Brush);
    }
    case WM_ERASEBKGND:
        if (self) {
            TControl::Impl* painter = PaintedBy(self);
            RECT r;
            GetClientRect(window, &r);
            FillRect(reinterpret_cast<HDC>(w), &r,
                     painter ? painter->Brush : GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        break;
    case WM_PAINT:
        if (self && self->impl()->OnPaint && *self->impl()->OnPaint)
            Guarded([&] { (*self->impl()->OnPaint)(); });
        if (auto* container = dynamic_cast<TWinControl*>(self)) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            for (TControl* c : container->Controls())
                if (c->impl()->Bevel) {
                    RECT r = PlaceInParent(c->impl()->Handle);
                    DrawEdge(dc, &r, EDGE_ETCHED, c->impl()->Bevel);
                }
            EndPaint(window, &ps);
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (WaitCursorShown()) {
            SetCursor(LoadCursor(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_CLOSE:
        if (self) {
            // Whether it was maximised, kept for after it is hidden.
            if (!self->Parent())
                self->impl()->StartMaximized = IsZoomed(window) != FALSE;
            if (self->impl()->Modal)
                static_cast<TForm*>(self)->EndModal(false);
            else if (!self->impl()->Owned)
                PostQuitMessage(0);
            ShowWindow(window, SW_HIDE);
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, w, l);
}

// ---------------------------------------------------------------- controls

TControl::TControl(TWinControl* parent, std::unique_ptr<Impl> impl)
    : parent_(parent), impl_(std::move(impl))
{
    impl_->Control = this;
    SetPropW(impl_->Handle, kControlProperty, this);
    if (parent_)
        parent_->children_.push_back(this);
}

TControl::~TControl()
{
    RemovePropW(impl_->Handle, kControlProperty);
    if (impl_->Brush)
        DeleteObject(impl_->Brush);
    if (impl_->Picture)
        DeleteObject(impl_->Picture);
    // A child's window goes with its parent's; a form destroys its own.
    if (!parent_)
        DestroyWindow(impl_->Handle);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    impl_->Placed = true;
    impl_->Logical = {left, top, width, height};
    int dpi = DpiOf(impl_->Handle);
    // A bevel is drawn by its parent: where it was and where it goes are
    // painted again, so that no line of it stays behind.
    RECT before = impl_->Bevel && parent_ ? PlaceInParent(impl_->Handle) : RECT{0, 0, 0, 0};
    MoveWindow(impl_->Handle, Scaled(left, dpi), Scaled(top, dpi), Scaled(width, dpi),
               Scaled(height, dpi), TRUE);
    if (impl_->Bevel && parent_) {
        HWND parent = GetParent(impl_->Handle);
        RECT after = PlaceInParent(impl_->Handle);
        InvalidateRect(parent, &before, TRUE);
        InvalidateRect(parent, &after, TRUE);
    }
}

// In the layout's units; a form's origin is where it is on the screen.
TRect TControl::Bounds() const
{
    int dpi = DpiOf(impl_->Handle);
    RECT r;
    if (!parent_) {
        GetClientRect(impl_->Handle, &r);
        POINT origin{0, 0};
        ClientToScreen(impl_->Handle, &origin);
        return {origin.x, origin.y, Unscaled(r.right, dpi), Unscaled(r.bottom, dpi)};
    }
    r = PlaceInParent(impl_->Handle);
    return {Unscaled(r.left, dpi), Unscaled(r.top, dpi), Unscaled(r.right - r.left, dpi),
            Unscaled(r.bottom - r.top, dpi)};
}

namespace {

// A container's controls disabled with it, so that they look as unusable as
// they are (Win32 does not grey the children of a disabled window); each
// one held so is marked, and only those are enabled again.
const wchar_t* const kHeldByParent = L"PellamHeldByParent";

BOOL CALLBACK HoldChild(HWND child, LPARAM)
{
    if (IsWindowEnabled(child)) {
        SetPropW(child, kHeldByParent, reinterpret_cast<HANDLE>(1));
        EnableWindow(child, FALSE);
    }
    return TRUE;
}

BOOL CALLBACK ReleaseChild(HWND child, LPARAM)
{
    if (RemovePropW(child, kHeldByParent))
        EnableWindow(child, TRUE);
    return TRUE;
}

}  // namespace

void TControl::SetEnabled(bool enabled)
{
    EnumChildWindows(impl_->Handle, enabled ? ReleaseChild : HoldChild, 0);
    EnableWindow(impl_->Handle, enabled);
}

bool TControl::LooksEnabled() const
{
    return IsWindowEnabled(impl_->Handle) != 0;
}

bool TControl::Enabled() const
{
    for (const TControl* c = this; c; c = c->Parent())
        if (!IsWindowEnabled(c->impl()->Handle))
            return false;
    return true;
}

void TControl::Show()
{
    ShowWindow(impl_->Handle, SW_SHOW);
}
void TControl::Hide()
{
    ShowWindow(impl_->Handle, SW_HIDE);
}
bool TControl::Visible() const
{
    return IsWindowVisible(impl_->Handle) != 0;
}
void TControl::SetHint(const std::string& hint)
{
    impl_->Hint = hint;
    if (!hint.empty())
        RegisterTip(this);
}
std::string TControl::Hint() const
{
    return impl_->Hint;
}

void TControl::SetColor(TColor color)
{
    if (impl_->HasColor && impl_->Background == color)
        return;
    impl_->HasColor = true;
    impl_->Background = color;
    if (impl_->Brush)
        DeleteObject(impl_->Brush);
    impl_->Brush = CreateSolidBrush(ToColorRef(color));
    InvalidateRect(impl_->Handle, nullptr, TRUE);
}

TColor TControl::Color() const
{
    if (impl_->HasColor)
        return impl_->Background;
    COLORREF c = GetSysColor(COLOR_BTNFACE);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

void TControl::SetFontColor(TColor color)
{
    impl_->HasFontColor = true;
    impl_->FontColor = color;
    InvalidateRect(impl_->Handle, nullptr, TRUE);
}

void SetTabOrder(const std::vector<TControl*>& controls)
{
    // A label whose access key moves to a control stands right before it.
    auto labelOf = [](TControl* control) -> TControl* {
        if (TWinControl* parent = control->Parent())
            for (TControl* c : parent->Controls())
                if (c->impl()->FocusControl == control)
                    return c;
        return nullptr;
    };
    for (std::size_t i = 1; i < controls.size(); ++i) {
        HWND after = controls[i - 1]->impl()->Handle;
        if (TControl* label = labelOf(controls[i])) {
            SetWindowPos(label->impl()->Handle, after, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            after = label->impl()->Handle;
        }
        SetWindowPos(controls[i]->impl()->Handle, after, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

TControl* NextInTabOrder(TControl* from)
{
    HWND root = GetAncestor(from->impl()->Handle, GA_ROOT);
    HWND next = GetNextDlgTabItem(root, from->impl()->Handle, FALSE);
    TControl* control = next ? ControlOf(next) : nullptr;
    return control ? control : from;
}

}  // namespace platform
