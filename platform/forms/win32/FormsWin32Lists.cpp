// The forms layer on the Win32 common controls: combo and list boxes, the
// grid, tab pages, check boxes and spin edits.

#include "FormsWin32.h"

namespace platform {

namespace {

bool IsChecked(HWND button)
{
    return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

TCheckBox::TCheckBox(TWinControl* parent, const std::string& caption, int left, int top, int width,
                     int height)
    : TControl(parent, Child(parent, "BUTTON", caption, BS_AUTOCHECKBOX | WS_TABSTOP, 0, left, top,
                             width, height))
{
}

bool TCheckBox::Checked() const
{
    return IsChecked(impl()->Handle);
}
void TCheckBox::SetChecked(bool checked)
{
    SendMessageA(impl()->Handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

TListBox::TListBox(TWinControl* parent, int left, int top, int width, int height)
    : TControl(parent, Child(parent, "LISTBOX", "", LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP,
                             WS_EX_CLIENTEDGE, left, top, width, height))
{
}

void TListBox::Add(const std::string& item)
{
    SendMessageA(impl()->Handle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int TListBox::ItemIndex() const
{
    return static_cast<int>(SendMessageA(impl()->Handle, LB_GETCURSEL, 0, 0));
}

void TListBox::SetItemIndex(int index)
{
    SendMessageA(impl()->Handle, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

TSpinEdit::TSpinEdit(TWinControl* parent, int left, int top, int width, int height, int minimum,
                     int maximum)
    : TControl(parent, Child(parent, "EDIT", "", ES_NUMBER | WS_TABSTOP, WS_EX_CLIENTEDGE, left,
                             top, width, height))
{
    impl()->Buddy = CreateChild(parent, UPDOWN_CLASSA, "",
                                UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 0, 0, 0, 0, 0);
    SendMessageA(impl()->Buddy, UDM_SETBUDDY, reinterpret_cast<WPARAM>(impl()->Handle), 0);
    SendMessageA(impl()->Buddy, UDM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
}

int TSpinEdit::Value() const
{
    return static_cast<int>(SendMessageA(impl()->Buddy, UDM_GETPOS32, 0, 0));
}

void TSpinEdit::SetValue(int value)
{
    SendMessageA(impl()->Buddy, UDM_SETPOS32, 0, value);
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
        std::string text = WindowText(editor);
        LVITEMA item{};
        item.iSubItem = cell->Column;
        item.pszText = const_cast<char*>(text.c_str());
        SendMessageA(cell->List, LVM_SETITEMTEXTA, static_cast<WPARAM>(cell->Row),
                     reinterpret_cast<LPARAM>(&item));
    }
    PostMessageA(editor, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK CellEditorProc(HWND editor, UINT message, WPARAM w, LPARAM l)
{
    auto* cell = reinterpret_cast<CellEditor*>(GetWindowLongPtrA(editor, GWLP_USERDATA));
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
    return CallWindowProcA(previous, editor, message, w, l);
}

// Opens an editor over a cell of a report list.
void EditCell(HWND list, int row, int column)
{
    RECT r{};
    r.top = column;
    r.left = LVIR_LABEL;
    if (!SendMessageA(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(&r)))
        return;
    if (column == 0)
        r.right = r.left + static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
    char buffer[1024] = {0};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    HWND editor =
        CreateWindowExA(0, "EDIT", buffer, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                        r.left, r.top, r.right - r.left, r.bottom - r.top, list, nullptr,
                        GetModuleHandleA(nullptr), nullptr);
    SendMessageA(editor, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
    auto* cell = new CellEditor{list, row, column, nullptr};
    SetWindowLongPtrA(editor, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cell));
    cell->Previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CellEditorProc)));
    SendMessageA(editor, EM_SETSEL, 0, -1);
    SetFocus(editor);
}

}  // namespace

// A double click on a cell opens an editor over it; Enter or leaving it
// keeps the text, Escape drops it.
TStringGrid::TStringGrid(TWinControl* parent, int left, int top, int width, int height,
                         const std::vector<std::string>& header)
    : TControl(parent, Child(parent, WC_LISTVIEWA, "", LVS_REPORT | LVS_SINGLESEL | WS_TABSTOP,
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
    SendMessageA(impl()->Handle, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (std::size_t i = 0; i < header.size(); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = i == 0 ? 140 : width - 150;
        column.pszText = const_cast<char*>(header[i].c_str());
        SendMessageA(impl()->Handle, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

int TStringGrid::RowCount() const
{
    return static_cast<int>(SendMessageA(impl()->Handle, LVM_GETITEMCOUNT, 0, 0));
}

void TStringGrid::SetRowCount(int rows)
{
    while (RowCount() > rows)
        SendMessageA(impl()->Handle, LVM_DELETEITEM, static_cast<WPARAM>(RowCount() - 1), 0);
    while (RowCount() < rows) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = RowCount();
        item.pszText = const_cast<char*>("");
        SendMessageA(impl()->Handle, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

std::string TStringGrid::Cell(int column, int row) const
{
    char buffer[1024] = {0};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(impl()->Handle, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    return buffer;
}

void TStringGrid::SetCell(int column, int row, const std::string& text)
{
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(impl()->Handle, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

TTabSheet::TTabSheet(TWinControl* parent, std::unique_ptr<Impl> impl)
    : TWinControl(parent, std::move(impl))
{
}

TPageControl::TPageControl(TWinControl* parent, int left, int top, int width, int height)
    : TWinControl(parent, Child(parent, WC_TABCONTROLA, "", WS_CLIPCHILDREN | WS_TABSTOP,
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
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(caption.c_str());
    SendMessageA(impl()->Handle, TCM_INSERTITEMA, static_cast<WPARAM>(PageCount()),
                 reinterpret_cast<LPARAM>(&item));
    RECT area;
    GetClientRect(impl()->Handle, &area);
    SendMessageA(impl()->Handle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    HWND sheet = CreateChild(this, kContainerClass, "", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                             area.left, area.top, area.right - area.left, area.bottom - area.top);
    auto* page = new TTabSheet(this, std::unique_ptr<Impl>(NewImpl(sheet)));
    if (PageCount() > 1)
        ShowWindow(sheet, SW_HIDE);
    return page;
}

int TPageControl::PageCount() const
{
    return static_cast<int>(SendMessageA(impl()->Handle, TCM_GETITEMCOUNT, 0, 0));
}

std::string TPageControl::PageCaption(int index) const
{
    char buffer[256] = {0};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(impl()->Handle, TCM_GETITEMA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
    return buffer;
}

int TPageControl::PageIndex() const
{
    return static_cast<int>(SendMessageA(impl()->Handle, TCM_GETCURSEL, 0, 0));
}

void TPageControl::SetPageIndex(int index)
{
    SendMessageA(impl()->Handle, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    int page = 0;
    for (TControl* c : Controls())
        if (dynamic_cast<TTabSheet*>(c))
            ShowWindow(c->impl()->Handle, page++ == index ? SW_SHOW : SW_HIDE);
    if (OnChange)
        OnChange(index);
}

TComboBox::TComboBox(TWinControl* parent, int left, int top, int width, int height, bool editable)
    : TControl(parent, Child(parent, "COMBOBOX", "",
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
    SendMessageA(impl()->Handle, CB_RESETCONTENT, 0, 0);
}

void TComboBox::Add(const std::string& item)
{
    SendMessageA(impl()->Handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int TComboBox::Count() const
{
    return static_cast<int>(SendMessageA(impl()->Handle, CB_GETCOUNT, 0, 0));
}

std::string TComboBox::Item(int index) const
{
    LRESULT length = SendMessageA(impl()->Handle, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR)
        return std::string();
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(impl()->Handle, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

int TComboBox::ItemIndex() const
{
    return static_cast<int>(SendMessageA(impl()->Handle, CB_GETCURSEL, 0, 0));
}

void TComboBox::SetItemIndex(int index)
{
    SendMessageA(impl()->Handle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string TComboBox::Text() const
{
    return WindowText(impl()->Handle);
}
void TComboBox::SetText(const std::string& text)
{
    SetWindowTextA(impl()->Handle, text.c_str());
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
