#ifndef PlatformFormsWin32H
#define PlatformFormsWin32H

// What the Win32 backend's files of the forms layer share. Every call is a
// wide ("W") one: the forms layer's text goes to the controls as UTF-16 and
// comes back from them so, and the system code page plays no part.

#include "platform/Exception.h"
#include "platform/Forms.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

inline COLORREF ToColorRef(TColor c)
{
    return RGB(c.R, c.G, c.B);
}

struct TControl::Impl {
    HWND Handle = nullptr;
    TControl* Control = nullptr;
    // Where the program placed it, in pixels at 96 DPI (the layout's own
    // units), when it did; the window itself is placed at the form's DPI.
    bool Placed = false;
    TRect Logical;
    // A form's: the DPI of the monitor it is on.
    int Dpi = 96;
    // The colours it paints with, when set.
    bool HasColor = false, HasFontColor = false;
    TColor Background, FontColor;
    HBRUSH Brush = nullptr;
    std::string Hint;
    // Window procedure the control's own messages pass through first, and
    // the standard one it replaces.
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> Subclass;
    WNDPROC Previous = nullptr;
    // A command (WM_COMMAND code) or notification addressed to the control.
    std::function<void(int)> Command;
    std::function<LRESULT(NMHDR*)> Notify;
    // An owner-drawn control's painting (WM_DRAWITEM addressed to it).
    std::function<void(const DRAWITEMSTRUCT*)> Draw;
    // Control-specific state.
    HWND Buddy = nullptr;  // a spin edit's arrows
    bool Modal = false;  // a form running ShowModal
    int MinWidth = 0, MinHeight = 0;  // a resizable form's smallest client size
    bool StartMaximized = false;  // a form to open maximised
    std::function<void()>* OnResize = nullptr;  // a form's
    bool ModalResult = false;
    bool Owned = false;  // a form with an owner
    bool EditAllowed = false;  // a tree: an edit the program asked for
    bool ReadOnlyTree = true;  // a tree: the user may not start edits
    UINT Bevel = 0;  // a bevel: the edges its parent draws
    HBITMAP Picture = nullptr;
    int PictureWidth = 0, PictureHeight = 0;
    std::function<void()>* OnPaint = nullptr;
    // What a control does beyond moving and taking the font when its form
    // goes from one DPI to another.
    std::function<void(int from, int to)> Rescaled;
    // A form's tooltip window, which shows its controls' hints, and its
    // default button; a control's place among the tooltip's tools.
    HWND Tooltip = nullptr;
    TControl* DefaultButton = nullptr;
    bool TipAdded = false;
    // A tree: the item under the mouse, whose hint the tooltip shows.
    HTREEITEM TipItem = nullptr;
    // A label: the control its access key gives the focus to.
    TControl* FocusControl = nullptr;
};

struct TBitmap::Impl {
    int Width, Height;
    std::vector<std::uint32_t> Pixels;  // 0xAARRGGBB, rows top to bottom
};

// The window classes of forms and of containers (panels, tab sheets).
extern const wchar_t* const kFormClass;
extern const wchar_t* const kContainerClass;
extern const wchar_t* const kImageClass;

// The forms layer's text as UTF-16 for the controls, and back.
std::wstring ToWide(const std::string& text);
std::string FromWide(const wchar_t* text, std::size_t length);
std::string FromWide(const wchar_t* text);

// The window procedures of forms and containers, and of images.
LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM w, LPARAM l);
LRESULT CALLBACK ImageProc(HWND window, UINT message, WPARAM w, LPARAM l);

// The layout is made in pixels at 96 DPI; each form's windows are placed
// and drawn at the DPI of the monitor the form is on.
int DpiOf(HWND window);  // of the form the window belongs to
inline int Scaled(int logical, int dpi)
{
    return MulDiv(logical, dpi, 96);
}
inline int Unscaled(int physical, int dpi)
{
    return MulDiv(physical, 96, dpi);
}
// The DPI of the monitor a window is on.
int WindowDpi(HWND window);
// The window rectangle around a client area at the DPI.
RECT FrameAround(HWND window, int clientWidth, int clientHeight, int dpi);
// A window's place in its parent, as the window has it.
RECT PlaceInParent(HWND window);

// The font every control is given (the form's, once it sets one), made for
// the DPI.
HFONT ControlFont(int dpi);
void SetControlFont(const std::string& face, int pixelSize);

// A control's state around its window.
TControl::Impl* NewImpl(HWND handle);
// A child window made into a control's state.
std::unique_ptr<TControl::Impl> Child(TWinControl* parent, const wchar_t* windowClass,
                                      const std::string& text, DWORD style, DWORD exStyle, int left,
                                      int top, int width, int height);
std::string WindowText(HWND window);

// A standard or own control as a child of the parent's window, placed in
// the layout's units.
HWND CreateChild(TWinControl* parent, const wchar_t* windowClass, const std::string& text,
                 DWORD style, DWORD exStyle, int left, int top, int width, int height);
// Routes the window's messages through impl->Subclass first.
void SubclassControl(TControl::Impl* impl);
// The control a window belongs to, or null.
TControl* ControlOf(HWND window);
// Runs a handler; an exception is shown as the application shows one.
void Guarded(const std::function<void()>& handler);
// The message loop's step for one message: dialog keys first.
void DispatchOne(MSG& msg);
// An HBITMAP of a picture.
HBITMAP ToHBitmap(const TBitmap& picture);
// A font of the face, pixel height and weight, for Chinese text.
HFONT MakeFont(const std::string& face, int pixelSize, bool bold);

// The form a control is on.
TForm* FormOf(TControl* control);
// Makes the control one of its form's tooltip's tools, once: its hint
// (a tree's: the hint of the node under the mouse) shows over it.
void RegisterTip(TControl* control);
// The text of the tooltip's tool for a control's window; "" for none.
std::string TipText(HWND tool);
// The tree's node under the mouse changed: its tip is taken away, so that
// the next one shows the new node's hint.
void TipItemChanged(TControl* tree, HTREEITEM item);

}  // namespace platform

#endif
