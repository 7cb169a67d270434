// The forms layer on the Win32 common controls: panels, bevels, labels,
// radio buttons, edits and buttons.

#include "FormsWin32.h"

#include "platform/Text.h"

namespace platform {

TPanel::TPanel(TWinControl* parent, int left, int top, int width, int height)
    : TWinControl(parent, Child(parent, kContainerClass, "", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                                left, top, width, height))
{
    // Over whatever was made before it, as the designer stacks it.
    SetWindowPos(impl()->Handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// A bevel is drawn by its parent under the controls, never over them; its
// window only keeps its place.
TBevel::TBevel(TWinControl* parent, Shape shape, int left, int top, int width, int height)
    : TControl(parent, Child(parent, L"STATIC", "", 0, 0, left, top, width, height))
{
    ShowWindow(impl()->Handle, SW_HIDE);
    EnableWindow(impl()->Handle, FALSE);
    impl()->Bevel = shape == bsFrame ? BF_RECT : BF_TOP;
}

TLabel::TLabel(TWinControl* parent, const std::string& caption, int left, int top, int width,
               int height)
    : TControl(parent,
               Child(parent, L"STATIC", caption, SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY, 0,
                     left, top, width, height))
{
}

void TLabel::SetCaption(const std::string& caption)
{
    SetWindowTextW(impl()->Handle, ToWide(caption).c_str());
    InvalidateRect(impl()->Handle, nullptr, TRUE);
}

std::string TLabel::Caption() const
{
    return WindowText(impl()->Handle);
}

// Measured as the label draws it: its own font, through DrawText, so that
// a width taken from it never cuts the text short.
int TLabel::TextWidth() const
{
    std::string text = Caption();
    HDC dc = GetDC(impl()->Handle);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(impl()->Handle, WM_GETFONT, 0, 0));
    int dpi = DpiOf(impl()->Handle);
    HGDIOBJ old = SelectObject(dc, font ? font : ControlFont(dpi));
    RECT r{0, 0, 0, 0};
    std::wstring wide = ToWide(text);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(impl()->Handle, dc);
    // Rounded up: the width given back holds the whole text.
    return (static_cast<int>(r.right - r.left) * 96 + dpi - 1) / dpi;
}

namespace {

bool Checked(HWND button)
{
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
void Check(HWND button, bool on)
{
    SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

TRadioButton::TRadioButton(TWinControl* parent, const std::string& caption, int left, int top,
                           int width, int height)
    : TControl(parent, Child(parent, L"BUTTON", caption, BS_AUTORADIOBUTTON | WS_TABSTOP, 0, left,
                             top, width, height))
{
    impl()->Command = [this](int code) {
        if (code == BN_CLICKED && OnClick)
            OnClick();
    };
}

bool TRadioButton::Checked() const
{
    return platform::Checked(impl()->Handle);
}

void TRadioButton::SetChecked(bool checked)
{
    // Radio buttons of one parent exclude each other.
    if (checked && Parent())
        for (TControl* c : Parent()->Controls())
            if (c != this && dynamic_cast<TRadioButton*>(c))
                Check(c->impl()->Handle, false);
    Check(impl()->Handle, checked);
}

void TRadioButton::Click()
{
    if (Enabled())
        SendMessageW(impl()->Handle, BM_CLICK, 0, 0);
}

TMemo::TMemo(TWinControl* parent, int left, int top, int width, int height)
    : TControl(parent, Child(parent, L"EDIT", "",
                             ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                             WS_EX_CLIENTEDGE, left, top, width, height))
{
    SubclassControl(impl());
    impl()->Subclass = [this](UINT message, WPARAM w, LPARAM l, LRESULT& result) {
        // Ctrl+A selects the whole text, as in every edit the user knows.
        if (message == WM_CHAR && w == 0x01) {
            SendMessageW(impl()->Handle, EM_SETSEL, 0, -1);
            return true;
        }
        // Text to read: Tab moves on and Enter reaches the form's default
        // button, as in any dialog; the arrows still scroll.
        if (message == WM_GETDLGCODE) {
            result = CallWindowProcW(impl()->Previous, impl()->Handle, message, w, l) &
                     ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
            return true;
        }
        return false;
    };
}

void TMemo::SetText(const std::string& text)
{
    // The EDIT class breaks lines at CR LF only.
    std::string lines;
    for (char c : text) {
        if (c == '\n')
            lines += '\r';
        lines += c;
    }
    SetWindowTextW(impl()->Handle, ToWide(lines).c_str());
}

std::string TMemo::Text() const
{
    std::string text;
    for (char c : WindowText(impl()->Handle))
        if (c != '\r')
            text += c;
    return text;
}

TEdit::TEdit(TWinControl* parent, int left, int top, int width, int height)
    : TControl(parent, Child(parent, L"EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
                             left, top, width, height))
{
    SubclassControl(impl());
    impl()->Subclass = [this](UINT message, WPARAM w, LPARAM, LRESULT& result) {
        // Enter belongs to an edit that tells of it; in any other it is
        // the form's (OK in a dialog).
        if (message == WM_GETDLGCODE && w == VK_RETURN && OnEnter) {
            result = DLGC_WANTALLKEYS;
            return true;
        }
        if (message == WM_KEYDOWN && w == VK_RETURN) {
            if (OnEnter)
                OnEnter();
            return true;
        }
        // Ctrl+A selects the whole text, as in every edit the user knows
        // (the EDIT class only beeps).
        if (message == WM_CHAR && w == 0x01) {
            SendMessageW(impl()->Handle, EM_SETSEL, 0, -1);
            return true;
        }
        if (message == WM_CHAR && w == '\r')
            return true;
        return false;
    };
}

std::string TEdit::Text() const
{
    return WindowText(impl()->Handle);
}
void TEdit::SetText(const std::string& text)
{
    SetWindowTextW(impl()->Handle, ToWide(text).c_str());
}

void TEdit::SetPassword(bool password)
{
    SendMessageW(impl()->Handle, EM_SETPASSWORDCHAR, password ? '*' : 0, 0);
    InvalidateRect(impl()->Handle, nullptr, TRUE);
}

bool TEdit::Password() const
{
    return SendMessageW(impl()->Handle, EM_GETPASSWORDCHAR, 0, 0) != 0;
}
void TEdit::SetReadOnly(bool readOnly)
{
    SendMessageW(impl()->Handle, EM_SETREADONLY, readOnly, 0);
}

bool TEdit::ReadOnly() const
{
    return (GetWindowLongPtrW(impl()->Handle, GWL_STYLE) & ES_READONLY) != 0;
}

void TEdit::PressEnter()
{
    if (Enabled())
        SendMessageW(impl()->Handle, WM_KEYDOWN, VK_RETURN, 0);
}

TButton::TButton(TWinControl* parent, const std::string& caption, int left, int top, int width,
                 int height)
    : TControl(parent, Child(parent, L"BUTTON", caption, BS_PUSHBUTTON | WS_TABSTOP, 0, left, top,
                             width, height))
{
    impl()->Command = [this](int code) {
        if (code == BN_CLICKED && OnClick)
            OnClick();
    };
    // Enter presses a focused button, as Space does: the dialog keys give
    // it to no button of a window that is not a dialog.
    SubclassControl(impl());
    impl()->Subclass = [this](UINT message, WPARAM w, LPARAM, LRESULT& result) {
        if (message == WM_GETDLGCODE && w == VK_RETURN) {
            result = DLGC_WANTALLKEYS;
            return true;
        }
        if (message == WM_KEYDOWN && w == VK_RETURN) {
            Click();
            result = 0;
            return true;
        }
        return false;
    };
}

std::string TButton::Caption() const
{
    return WindowText(impl()->Handle);
}

void TButton::Click()
{
    if (Enabled())
        SendMessageW(impl()->Handle, BM_CLICK, 0, 0);
}

namespace {

// A button with its glyph beside the caption, drawn as the system draws a
// push button: the glyph and the text centred together, grey when disabled.
void DrawGlyphButton(const DRAWITEMSTRUCT* item, const TBitmap& glyph)
{
    HDC dc = item->hDC;
    RECT r = item->rcItem;
    bool pushed = (item->itemState & ODS_SELECTED) != 0;
    bool disabled = (item->itemState & ODS_DISABLED) != 0;
    DrawFrameControl(dc, &r, DFC_BUTTON,
                     DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0) | (disabled ? DFCS_INACTIVE : 0));
    std::wstring text = ToWide(WindowText(item->hwndItem));
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item->hwndItem, WM_GETFONT, 0, 0)));
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    // The glyph at the form's DPI, each of its pixels a block.
    int dpi = DpiOf(item->hwndItem);
    int glyphWidth = Scaled(glyph.Width(), dpi), glyphHeight = Scaled(glyph.Height(), dpi);
    int gap = Scaled(4, dpi);
    int shift = pushed ? 1 : 0;
    int left = (r.right - r.left - glyphWidth - gap - size.cx) / 2 + shift;
    int top = (r.bottom - r.top - glyphHeight) / 2 + shift;
    for (int y = 0; y < glyph.Height(); ++y)
        for (int x = 0; x < glyph.Width(); ++x) {
            TColor c = glyph.Pixel(x, y);
            if (c.A == 0)
                continue;
            if (disabled) {
                unsigned char grey = static_cast<unsigned char>((c.R + c.G + c.B) / 3 / 2 + 100);
                c = {grey, grey, grey, 255};
            }
            RECT block{left + Scaled(x, dpi), top + Scaled(y, dpi), left + Scaled(x + 1, dpi),
                       top + Scaled(y + 1, dpi)};
            HBRUSH brush = CreateSolidBrush(ToColorRef(c));
            FillRect(dc, &block, brush);
            DeleteObject(brush);
        }
    RECT textBox{left + glyphWidth + gap, r.top + shift, r.right, r.bottom + shift};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    // "&X" draws X underlined: the button's access key.
    DrawTextW(dc, text.c_str(), -1, &textBox, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    if (item->itemState & ODS_FOCUS) {
        RECT focus = r;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(dc, &focus);
    }
}

}  // namespace

TBitBtn::TBitBtn(TWinControl* parent, const std::string& caption, Kind kind, int left, int top,
                 int width, int height)
    : TButton(parent, caption, left, top, width, height), glyph_(StockGlyph(kind))
{
    LONG_PTR style = GetWindowLongPtrW(impl()->Handle, GWL_STYLE);
    SetWindowLongPtrW(impl()->Handle, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
    impl()->Draw = [this](const DRAWITEMSTRUCT* item) { DrawGlyphButton(item, glyph_); };
    InvalidateRect(impl()->Handle, nullptr, TRUE);
}

}  // namespace platform
