// The forms layer on the Win32 common controls: combo and list boxes, the
// grid, tab pages, check boxes and spin edits.

#include "FormsWin32.h"

namespace platform {

namespace {

bool IsChecked(HWND button)
{
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

TCheckBox::TCheckBox(TWinControl* parent, const std::string& caption, int left, int top, int width,
                     int height)
    : TControl(parent, Child(parent, L"BUTTON", caption, BS_AUTOCHECKBOX | WS_TABSTOP, 0, left, top,
                             width, height))
{
    impl()->Command = [this](int code) {
        if (code == BN_CLICKED && OnClick)
            OnClick();
    };
}

void TCheckBox::Click()
{
    SendMessageW(impl()->Handle, BM_CLICK, 0, 0);
}

bool TCheckBox::Checked() const
{
    return IsChecked(impl()->Handle);
}
void TCheckBox::SetChecked(bool checked)
{
    SendMessageW(impl()->Handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

TListBox::TListBox(TWinControl* parent, int left, int top, int width, int height)
    : TControl(parent, Child(parent, L"LISTBOX", "", LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP,
                             WS_EX_CLIENTEDGE, left, top, width, height))
{
}

void TListBox::Add(const std::string& item)
{
    std::wstring wide = ToWide(item);
    SendMessageW(impl()->Handle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

int TListBox::ItemIndex() const
{
    return static_cast<int>(SendMessageW(impl()->Handle, LB_GETCURSEL, 0, 0));
}

void TListBox::SetItemIndex(int index)
{
    SendMessageW(impl()->Handle, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

TSpinEdit::TSpinEdit(TWinControl* parent, int left, int top, int width, int height, int minimum,
                     int maximum)
    : TControl(parent, Child(parent, L"EDIT", "", ES_NUMBER | WS_TABSTOP, WS_EX_CLIENTEDGE, left,
                             top, width, height))
{
    impl()->Buddy = CreateChild(parent, UPDOWN_CLASSW, "",
                                UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 0, 0, 0, 0, 0);
    SendMessageW(impl()->Buddy, UDM_SETBUDDY, reinterpret_cast<WPARAM>(impl()->Handle), 0);
    SendMessageW(impl()->Buddy, UDM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
}

int TSpinEdit::Value() const
{
    return static_cast<int>(SendMessageW(impl()->Buddy, UDM_GETPOS32, 0, 0));
}

void TSpinEdit::SetValue(int value)
{
    SendMessageW(impl()->Buddy, UDM_SETPOS32, 0, value);
}

namespace {

// The editor of one grid cell, over it while the user types.
struct CellEditor {
    HWND List;
    int Row, Column;
    WNDPROC Previous;
    bool Done = false;
};

void EndCellEdit(HWND editor, CellEditor* cell, bool keep)
{
    if (cell->Done)
        return;
    cell->Done = true;
    if (keep) {
        std::wstring text = ToWide(WindowText(editor));
        LVITEMW item{};
        item.iSubItem = cell->Column;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(cell->List, LVM_SETITEMTEXTW, static_cast<WPARAM>(cell->Row),
                     reinterpret_cast<LPARAM>(&item));
    }
    PostMessageW(editor, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK CellEditorProc(HWND editor, UINT message, WPARAM w, LPARAM l)
{
    auto* cell = reinterpret_cast<CellEditor*>(GetWindowLongPtrW(editor, GWLP_USERDATA));
    WNDPROC previous = cell->Previous;
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        if (w == VK_RETURN || w == VK_ESCAPE) {
            EndCellEdit(editor, cell, w == VK_RETURN);
            return 0;
        }
        break;
    case WM_CHAR:
        if (w == '\r' || w == 27)
            return 0;
        break;
    case WM_KILLFOCUS:
        EndCellEdit(editor, cell, true);
        break;
    case WM_CLOSE:
        DestroyWindow(editor);
        return 0;
    case WM_NCDESTROY:
        delete cell;
        break;
    default:
        break;
    }
    return CallWindowProcW(previous, editor, message, w, l);
}

// Opens an editor over a cell of a report list.
void EditCell(HWND list, int row, int column)
{
    RECT r{};
    r.top = column;
    r.left = LVIR_LABEL;
    if (!SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(&r)))
        return;
    if (column == 0)
        r.right = r.left + static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));
    wchar_t buffer[1024] = {0};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(std::size(buffer));
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    HWND editor =
        CreateWindowExW(0, L"EDIT", buffer, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                        r.left, r.top, r.right - r.left, r.bottom - r.top, list, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
    SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont(DpiOf(list))), FALSE);
    auto* cell = new CellEditor{list, row, column, nullptr};
    SetWindowLongPtrW(editor, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cell));
    cell->Previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CellEditorProc)));
    SendMessageW(editor, EM_SETSEL, 0, -1);
    SetFocus(editor);
}

}  // namespace

// A double click on a cell opens an editor over it; Enter or leaving it
// keeps the text, Escape drops it.
TStringGrid::TStringGrid(TWinControl* parent, int left, int top, int width, int height,
                         const std::vector<std::string>& header)
    : TControl(parent, Child(parent, WC_LISTVIEWW, "", LVS_REPORT | LVS_SINGLESEL | WS_TABSTOP,
                             WS_EX_CLIENTEDGE, left, top, width, height))
{
    impl()->Notify = [this](NMHDR* header) -> LRESULT {
        if (header->code == NM_DBLCLK) {
            auto* activate = reinterpret_cast<NMITEMACTIVATE*>(header);
            if (activate->iItem >= 0)
                EditCell(impl()->Handle, activate->iItem, activate->iSubItem);
        }
        return 0;
    };
    SendMessageW(impl()->Handle, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    impl()->Rescaled = [this, columns = header.size()](int from, int to) {
        for (std::size_t i = 0; i < columns; ++i) {
            int width = static_cast<int>(SendMessageW(impl()->Handle, LVM_GETCOLUMNWIDTH, i, 0));
            SendMessageW(impl()->Handle, LVM_SETCOLUMNWIDTH, i, MulDiv(width, to, from));
        }
    };
    int dpi = DpiOf(impl()->Handle);
    for (std::size_t i = 0; i < header.size(); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = Scaled(i == 0 ? 140 : width - 150, dpi);
        std::wstring text = ToWide(header[i]);
        column.pszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(impl()->Handle, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

int TStringGrid::RowCount() const
{
    return static_cast<int>(SendMessageW(impl()->Handle, LVM_GETITEMCOUNT, 0, 0));
}

void TStringGrid::SetRowCount(int rows)
{
    while (RowCount() > rows)
        SendMessageW(impl()->Handle, LVM_DELETEITEM, static_cast<WPARAM>(RowCount() - 1), 0);
    while (RowCount() < rows) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = RowCount();
        item.pszText = const_cast<wchar_t*>(L"");
        SendMessageW(impl()->Handle, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

std::string TStringGrid::Cell(int column, int row) const
{
    wchar_t buffer[1024] = {0};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(std::size(buffer));
    SendMessageW(impl()->Handle, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    return FromWide(buffer);
}

void TStringGrid::SetCell(int column, int row, const std::string& text)
{
    LVITEMW item{};
    item.iSubItem = column;
    std::wstring wide = ToWide(text);
    item.pszText = const_cast<wchar_t*>(wide.c_str());
    SendMessageW(impl()->Handle, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

TTabSheet::TTabSheet(TWinControl* parent, std::unique_ptr<Impl> impl)
    : TWinControl(parent, std::move(impl))
{
}

TPageControl::TPageControl(TWinControl* parent, int left, int top, int width, int height)
    : TWinControl(parent, Child(parent, WC_TABCONTROLW, "", WS_CLIPCHILDREN | WS_TABSTOP,
                                WS_EX_CONTROLPARENT, left, top, width, height))
{
    impl()->Notify = [this](NMHDR* header) -> LRESULT {
        if (header->code == TCN_SELCHANGE)
            SetPageIndex(PageIndex());
        return 0;
    };
}

TTabSheet* TPageControl::AddPage(const std::string& caption)
{
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    std::wstring wide = ToWide(caption);
    item.pszText = const_cast<wchar_t*>(wide.c_str());
    SendMessageW(impl()->Handle, TCM_INSERTITEMW, static_cast<WPARAM>(PageCount()),
                 reinterpret_cast<LPARAM>(&item));
    RECT area;
    GetClientRect(impl()->Handle, &area);
    SendMessageW(impl()->Handle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    int dpi = DpiOf(impl()->Handle);
    HWND sheet =
        CreateChild(this, kContainerClass, "", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                    Unscaled(area.left, dpi), Unscaled(area.top, dpi),
                    Unscaled(area.right - area.left, dpi), Unscaled(area.bottom - area.top, dpi));
    auto* page = new TTabSheet(this, std::unique_ptr<Impl>(NewImpl(sheet)));
    if (PageCount() > 1)
        ShowWindow(sheet, SW_HIDE);
    return page;
}

int TPageControl::PageCount() const
{
    return static_cast<int>(SendMessageW(impl()->Handle, TCM_GETITEMCOUNT, 0, 0));
}

std::string TPageControl::PageCaption(int index) const
{
    wchar_t buffer[256] = {0};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(std::size(buffer));
    SendMessageW(impl()->Handle, TCM_GETITEMW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
    return FromWide(buffer);
}

int TPageControl::PageIndex() const
{
    return static_cast<int>(SendMessageW(impl()->Handle, TCM_GETCURSEL, 0, 0));
}

void TPageControl::SetPageIndex(int index)
{
    SendMessageW(impl()->Handle, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    int page = 0;
    for (TControl* c : Controls())
        if (dynamic_cast<TTabSheet*>(c))
            ShowWindow(c->impl()->Handle, page++ == index ? SW_SHOW : SW_HIDE);
    if (OnChange)
        OnChange(index);
}

TComboBox::TComboBox(TWinControl* parent, int left, int top, int width, int height, bool editable)
    : TControl(parent, Child(parent, L"COMBOBOX", "",
                             (editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST) |
                                 WS_VSCROLL | WS_TABSTOP,
                             0, left, top, width, height + 200))
{
    impl()->Command = [this](int code) {
        if (code == CBN_SELCHANGE && OnSelect)
            OnSelect();
    };
}

void TComboBox::Clear()
{
    SendMessageW(impl()->Handle, CB_RESETCONTENT, 0, 0);
}

void TComboBox::Add(const std::string& item)
{
    std::wstring wide = ToWide(item);
    SendMessageW(impl()->Handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

int TComboBox::Count() const
{
    return static_cast<int>(SendMessageW(impl()->Handle, CB_GETCOUNT, 0, 0));
}

std::string TComboBox::Item(int index) const
{
    LRESULT length = SendMessageW(impl()->Handle, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR)
        return std::string();
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(impl()->Handle, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<std::size_t>(length));
    return FromWide(text.c_str(), text.size());
}

int TComboBox::ItemIndex() const
{
    return static_cast<int>(SendMessageW(impl()->Handle, CB_GETCURSEL, 0, 0));
}

void TComboBox::SetItemIndex(int index)
{
    SendMessageW(impl()->Handle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string TComboBox::Text() const
{
    return WindowText(impl()->Handle);
}
void TComboBox::SetText(const std::string& text)
{
    SetWindowTextW(impl()->Handle, ToWide(text).c_str());
}

void TComboBox::Choose(int index)
{
    if (!Enabled())
        return;
    SetItemIndex(index);
    if (OnSelect)
        OnSelect();
}

}  // namespace platform
