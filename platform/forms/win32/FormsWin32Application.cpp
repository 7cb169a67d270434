// The forms layer on the Win32 common controls: pictures, the application,
// the message pump, the cursor and the shell.

#include "FormsWin32.h"

#include <commdlg.h>

#include "platform/Text.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <exception>

namespace platform {

// ---------------------------------------------------------------- picture

namespace {

std::uint32_t Argb(TColor c)
{
    return static_cast<std::uint32_t>(c.A) << 24 | static_cast<std::uint32_t>(c.R) << 16 |
           static_cast<std::uint32_t>(c.G) << 8 | c.B;
}

std::uint32_t Blend(std::uint32_t under, TColor over)
{
    auto mix = [&](int shift, int value) {
        int u = static_cast<int>(under >> shift & 0xFF);
        return static_cast<std::uint32_t>(u + (value - u) * over.A / 255) << shift;
    };
    return 0xFF000000u | mix(16, over.R) | mix(8, over.G) | mix(0, over.B);
}

}  // namespace

TBitmap::TBitmap(int width, int height)
    : impl_(new Impl{width, height,
                     std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height,
                                                0xFF000000u)})
{
}
TBitmap::TBitmap(const TBitmap& other) : impl_(new Impl(*other.impl_))
{
}
TBitmap& TBitmap::operator=(const TBitmap& other)
{
    *impl_ = *other.impl_;
    return *this;
}
TBitmap::~TBitmap() = default;
int TBitmap::Width() const
{
    return impl_->Width;
}
int TBitmap::Height() const
{
    return impl_->Height;
}

void TBitmap::FillGradient(TColor from, TColor to)
{
    double w = Width(), h = Height(), length = w * w + h * h;
    for (int y = 0; y < Height(); ++y)
        for (int x = 0; x < Width(); ++x) {
            double t = std::clamp((x * w + y * h) / length, 0.0, 1.0);
            auto lerp = [t](unsigned char a, unsigned char b) {
                return static_cast<unsigned char>(a + (b - a) * t + 0.5);
            };
            impl_->Pixels[static_cast<std::size_t>(y) * Width() + x] =
                Argb({lerp(from.R, to.R), lerp(from.G, to.G), lerp(from.B, to.B), 255});
        }
}

void TBitmap::SetPixel(int x, int y, TColor color)
{
    if (x >= 0 && y >= 0 && x < Width() && y < Height())
        impl_->Pixels[static_cast<std::size_t>(y) * Width() + x] = Argb(color);
}

TColor TBitmap::Pixel(int x, int y) const
{
    std::uint32_t p = impl_->Pixels[static_cast<std::size_t>(y) * Width() + x];
    return {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
            static_cast<unsigned char>(p), static_cast<unsigned char>(p >> 24)};
}

void TBitmap::Line(int x1, int y1, int x2, int y2, TColor color)
{
    int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
    int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1, error = dx + dy;
    for (;;) {
        if (x1 >= 0 && y1 >= 0 && x1 < Width() && y1 < Height()) {
            std::uint32_t& p = impl_->Pixels[static_cast<std::size_t>(y1) * Width() + x1];
            p = Blend(p, color);
        }
        if (x1 == x2 && y1 == y2)
            break;
        int e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            x1 += sx;
        }
        if (e2 <= dx) {
            error += dx;
            y1 += sy;
        }
    }
}

namespace {

// A DIB section holding a copy of the picture's pixels.
HBITMAP Section(const TBitmap::Impl& image, void** bits)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.Width;
    info.bmiHeader.biHeight = -image.Height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
    if (section && *bits)
        std::copy(image.Pixels.begin(), image.Pixels.end(), static_cast<std::uint32_t*>(*bits));
    return section;
}

}  // namespace

void TBitmap::Text(const TRect& box, const std::string& text, const std::string& font,
                   int pixelSize, bool bold, TColor color)
{
    void* bits = nullptr;
    HBITMAP section = Section(*impl_, &bits);
    if (!section)
        return;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldBitmap = SelectObject(dc, section);
    HFONT f = MakeFont(font, pixelSize, bold);
    HGDIOBJ oldFont = SelectObject(dc, f);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(color));
    RECT r{box.Left, box.Top, box.Left + box.Width, box.Top + box.Height};
    std::wstring wide = ToWide(text);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    GdiFlush();
    const auto* drawn = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < impl_->Pixels.size(); ++i)
        impl_->Pixels[i] = drawn[i] | 0xFF000000u;
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(f);
    DeleteDC(dc);
    DeleteObject(section);
}

TBitmap TBitmap::Part(const TRect& part, int width, int height) const
{
    TBitmap out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int sx = std::clamp(part.Left + x * part.Width / width, 0, Width() - 1);
            int sy = std::clamp(part.Top + y * part.Height / height, 0, Height() - 1);
            out.impl_->Pixels[static_cast<std::size_t>(y) * width + x] =
                impl_->Pixels[static_cast<std::size_t>(sy) * Width() + sx];
        }
    return out;
}

// Pictures are saved by the Qt backend's tools only.
bool TBitmap::SavePng(const std::string&) const
{
    return false;
}

HBITMAP ToHBitmap(const TBitmap& picture)
{
    void* bits = nullptr;
    return Section(*picture.impl_, &bits);
}

// ------------------------------------------------------------- application

namespace {

// The message box of the application object: the system's own.
class Win32MessageBoxService : public MessageBoxService {
public:
    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        return MessageBoxW(GetActiveWindow(), ToWide(text).c_str(), ToWide(caption).c_str(),
                           static_cast<UINT>(flags));
    }
};

int& WaitCount()
{
    static int count = 0;
    return count;
}

// A button's caption as the system's message boxes show it.
std::string MessageBoxButton(UINT which)
{
    using Getter = const wchar_t*(WINAPI*)(UINT);
    auto get = reinterpret_cast<Getter>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "MB_GetString")));
    const wchar_t* text = get ? get(which) : nullptr;
    if (!text)
        return std::string();
    return FromWide(text);
}

}  // namespace

struct TFormsApplication::Impl {
    Win32MessageBoxService Service;
    MessageBoxService* Previous = nullptr;
};

TFormsApplication::TFormsApplication(int&, char**) : impl_(new Impl)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES |
                                                       ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS |
                                                       ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const wchar_t* name : {kFormClass, kContainerClass, kImageClass}) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = name == kImageClass ? ImageProc : ContainerProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        // The program's own icon (resource 1) where it has one.
        if (name == kFormClass)
            wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        wc.lpszClassName = name;
        RegisterClassW(&wc);
    }
    impl_->Previous = platform::Application.SetMessageBoxService(&impl_->Service);
}

TFormsApplication::~TFormsApplication()
{
    platform::Application.SetMessageBoxService(impl_->Previous);
}

void DispatchOne(MSG& msg)
{
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && IsDialogMessageW(root, &msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

int TFormsApplication::Run()
{
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchOne(msg);
    return 0;
}

std::string TFormsApplication::YesCaption()
{
    return MessageBoxButton(IDYES - 1);
}
std::string TFormsApplication::NoCaption()
{
    return MessageBoxButton(IDNO - 1);
}

namespace {

void PumpPending()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchOne(msg);
}

}  // namespace

void ProcessMessages()
{
    static DWORD last = 0;
    RunProcessMessagesHook();
    DWORD now = GetTickCount();
    if (last == 0 || now - last >= 16) {
        PumpPending();
        last = now;
    }
}

void ProcessMessagesFor(int milliseconds)
{
    DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        PumpPending();
        Sleep(5);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

void SetWaitCursor(bool waiting)
{
    WaitCount() += waiting ? 1 : -1;
    SetCursor(LoadCursor(nullptr, WaitCount() > 0 ? IDC_WAIT : IDC_ARROW));
}

bool WaitCursorShown()
{
    return WaitCount() > 0;
}

void PressKey(TControl* control, TKey key, bool shift)
{
    // Shift held as the keyboard state says, for the time of the key.
    BYTE state[256];
    GetKeyboardState(state);
    BYTE before = state[VK_SHIFT];
    state[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(state);
    HWND window = control->impl()->Handle;
    WPARAM code = key == TKey::F10 ? VK_F10 : key == TKey::Escape ? VK_ESCAPE : VK_RETURN;
    MSG msg{window, static_cast<UINT>(key == TKey::F10 ? WM_SYSKEYDOWN : WM_KEYDOWN), code, 1, 0,
            {0, 0}};
    DispatchOne(msg);
    state[VK_SHIFT] = before;
    SetKeyboardState(state);
}

std::string ChooseSaveFile(TForm* owner, const std::string& caption,
                           const std::string& suggestedName)
{
    std::wstring file = ToWide(suggestedName);
    file.resize(std::max<std::size_t>(file.size() + 1, 32768), L'\0');
    std::wstring title = ToWide(caption);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner ? owner->impl()->Handle : nullptr;
    dialog.lpstrFilter = L"*.txt\0*.txt\0*.*\0*.*\0";
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&dialog))
        return std::string();
    return FromWide(file.c_str());
}

bool OpenFolderInShell(const std::string& path)
{
    return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", ToWide(path).c_str(), nullptr,
                                                   nullptr, SW_SHOWNORMAL)) > 32;
}

// A 24-bit BMP of the form's client area, whatever the path's extension.
bool SaveFormPicture(TForm* form, const std::string& path)
{
    HWND window = form->impl()->Handle;
    RECT r;
    GetClientRect(window, &r);
    int width = r.right, height = r.bottom;
    HDC screen = GetDC(window);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom row first, as BMP files hold it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, section);
    BitBlt(dc, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
    std::FILE* out = _wfopen(ToWide(path).c_str(), L"wb");
    bool ok = out && std::fwrite(&file, sizeof file, 1, out) == 1 &&
              std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
              std::fwrite(bits, static_cast<std::size_t>(stride * height), 1, out) == 1;
    if (out)
        ok = std::fclose(out) == 0 && ok;
    SelectObject(dc, old);
    DeleteObject(section);
    DeleteDC(dc);
    ReleaseDC(window, screen);
    return ok;
}

}  // namespace platform
