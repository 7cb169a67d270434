// The forms layer on the Win32 common controls: trees, popup menus and
// images.

#include "FormsWin32.h"

#include <cstring>

namespace platform {

// -------------------------------------------------------------------- trees

namespace {

HTREEITEM ItemOf(void* handle)
{
    return static_cast<HTREEITEM>(handle);
}

// An item asks its node for its text whenever the control wants it
// (TVN_GETDISPINFO): the node holds the only copy, and a new text costs the
// control no copy of its own.
HTREEITEM Insert(HWND tree, HTREEITEM parent, TTreeNode* node)
{
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = LPSTR_TEXTCALLBACKW;
    insert.item.lParam = reinterpret_cast<LPARAM>(node);
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

// The node an item stands for, from the item's own data.
TTreeNode* NodeOfItem(HWND tree, HTREEITEM item)
{
    TVITEMW tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    if (!item || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)))
        return nullptr;
    return reinterpret_cast<TTreeNode*>(tv.lParam);
}

// Tells the control an item's text changed: it measures the text again and
// redraws the item, asking the node for it.
void TextChanged(HWND tree, HTREEITEM item)
{
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

}  // namespace

// A node's children become native items only when it is first expanded (or
// a child is needed): a tree of thousands of tables with their columns fills
// with one native item per table, which is what keeps it quick.
struct TreeNodes {
    static void SetHasChildren(HWND tree, HTREEITEM item)
    {
        TVITEMW tv{};
        tv.mask = TVIF_CHILDREN;
        tv.hItem = item;
        tv.cChildren = 1;
        SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    }
    // The node's own native item, its parents' first.
    static HTREEITEM Made(TTreeNode* node)
    {
        if (!node->handle_ && node->parent_)
            MakeChildren(node->parent_);
        return ItemOf(node->handle_);
    }
    static void MakeChildren(TTreeNode* node)
    {
        if (node->childrenMade_)
            return;
        HWND tree = node->tree_->impl()->Handle;
        HTREEITEM parent = Made(node);
        node->childrenMade_ = true;
        for (auto& child : node->children_) {
            child->handle_ = Insert(tree, parent, child.get());
            if (!child->children_.empty())
                SetHasChildren(tree, ItemOf(child->handle_));
        }
    }
};

TTreeNode::TTreeNode(TTreeView* tree, TTreeNode* parent, void* handle)
    : tree_(tree), parent_(parent), handle_(handle)
{
}

// The node keeps its text (set here, or by an edit the tree reports), so
// that reading thousands of them asks the control nothing.
std::string TTreeNode::Text() const
{
    return text_;
}

void TTreeNode::SetText(const std::string& text)
{
    text_ = text;
    if (handle_)
        TextChanged(tree_->impl()->Handle, ItemOf(handle_));
}

// Shown by the tree's info tip (TVN_GETINFOTIP), read when it is wanted.
void TTreeNode::SetHint(const std::string& hint)
{
    hint_ = hint;
    if (!hint.empty())
        RegisterTip(tree_);
}

TTreeNode* TTreeNode::AddChild(const std::string& text)
{
    HWND tree = tree_->impl()->Handle;
    if (!childrenMade_ && children_.empty() && handle_)
        TreeNodes::SetHasChildren(tree, ItemOf(handle_));
    children_.push_back(std::unique_ptr<TTreeNode>(new TTreeNode(tree_, this, nullptr)));
    TTreeNode* child = children_.back().get();
    child->text_ = text;
    if (childrenMade_)
        child->handle_ = Insert(tree, ItemOf(handle_), child);
    return child;
}

void TTreeNode::EditText()
{
    HWND tree = tree_->impl()->Handle;
    HTREEITEM item = TreeNodes::Made(this);
    // The node being renamed is the selected one: the common controls draw
    // another selected node's text in the highlight colour on the plain
    // background while the editor has the focus.
    tree_->Select(this);
    SetFocus(tree);
    tree_->impl()->EditAllowed = true;
    SendMessageW(tree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(item));
    tree_->impl()->EditAllowed = false;
}

void TTreeNode::Expand()
{
    TreeNodes::MakeChildren(this);
    SendMessageW(tree_->impl()->Handle, TVM_EXPAND, TVE_EXPAND,
                 reinterpret_cast<LPARAM>(ItemOf(handle_)));
}

namespace {

std::unique_ptr<TControl::Impl> TreeImpl(TWinControl* parent, int left, int top, int width,
                                         int height)
{
    auto* impl = new TControl::Impl;
    impl->Handle = CreateChild(parent, WC_TREEVIEWW, "",
                               TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_EDITLABELS |
                                   TVS_SHOWSELALWAYS | TVS_NOTOOLTIPS | WS_TABSTOP,
                               WS_EX_CLIENTEDGE, left, top, width, height);
    impl->Placed = true;
    impl->Logical = {left, top, width, height};
    return std::unique_ptr<TControl::Impl>(impl);
}

}  // namespace

TTreeView::TTreeView(TWinControl* parent, int left, int top, int width, int height)
    : TControl(parent, TreeImpl(parent, left, top, width, height))
{
    SubclassControl(impl());
    impl()->Subclass = [this](UINT message, WPARAM w, LPARAM l, LRESULT& result) {
        // F2 renames; Shift+F10 and the menu key ask for the menu with no
        // point (-1, -1): it acts on the selected node.
        if (message == WM_KEYDOWN && w == VK_F2 && !Editing()) {
            RenameKey();
            result = 0;
            return true;
        }
        if (message == WM_CONTEXTMENU && l == -1) {
            ContextKey();
            result = 0;
            return true;
        }
        // Shift+F10 itself: F10 comes as a system key, and not every
        // system (Wine, for one) turns it into WM_CONTEXTMENU.
        if ((message == WM_SYSKEYDOWN || message == WM_KEYDOWN) && w == VK_F10 &&
            (GetKeyState(VK_SHIFT) & 0x8000) && !Editing()) {
            ContextKey();
            result = 0;
            return true;
        }
        // The node under the mouse: its hint is the one the form's tooltip
        // shows over the tree.
        if (message == WM_MOUSEMOVE) {
            TVHITTESTINFO hit{};
            hit.pt = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
            HTREEITEM item = TreeView_HitTest(impl()->Handle, &hit);
            TipItemChanged(this, (hit.flags & TVHT_ONITEM) ? item : nullptr);
        }
        if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) {
            int dpi = DpiOf(impl()->Handle);
            MouseDown(message == WM_RBUTTONDOWN   ? mbRight
                      : message == WM_MBUTTONDOWN ? mbMiddle
                                                  : mbLeft,
                      Unscaled(static_cast<short>(LOWORD(l)), dpi),
                      Unscaled(static_cast<short>(HIWORD(l)), dpi));
        }
        return false;
    };
    impl()->Notify = [this](NMHDR* header) -> LRESULT {
        switch (header->code) {
        case TVN_BEGINLABELEDITW:
            // Only the view tree edits at the user's wish.
            return ReadOnly() && !impl()->EditAllowed;
        case TVN_GETDISPINFOW: {
            auto* display = reinterpret_cast<NMTVDISPINFOW*>(header);
            auto* node = reinterpret_cast<TTreeNode*>(display->item.lParam);
            if ((display->item.mask & TVIF_TEXT) && node && display->item.cchTextMax > 0)
                lstrcpynW(display->item.pszText, ToWide(node->text_).c_str(),
                          display->item.cchTextMax);
            return 0;
        }
        case TVN_ENDLABELEDITW: {
            // The node takes the edited text; the item keeps asking it
            // (answering TRUE would have the control keep a copy instead).
            auto* edit = reinterpret_cast<NMTVDISPINFOW*>(header);
            TTreeNode* node = NodeOfItem(impl()->Handle, edit->item.hItem);
            if (edit->item.pszText != nullptr && node)
                node->SetText(FromWide(edit->item.pszText));
            return FALSE;
        }
        case TVN_GETINFOTIPW: {
            auto* tip = reinterpret_cast<NMTVGETINFOTIPW*>(header);
            TTreeNode* node = NodeOfItem(impl()->Handle, tip->hItem);
            if (node && !node->hint_.empty() && tip->cchTextMax > 0)
                lstrcpynW(tip->pszText, ToWide(node->hint_).c_str(), tip->cchTextMax);
            return 0;
        }
        case TVN_SELCHANGEDW:
            if (OnChange)
                OnChange();
            return 0;
        case TVN_ITEMEXPANDINGW: {
            auto* view = reinterpret_cast<NMTREEVIEWW*>(header);
            if (view->action & TVE_EXPAND)
                if (TTreeNode* node = NodeOfItem(impl()->Handle, view->itemNew.hItem))
                    TreeNodes::MakeChildren(node);
            return FALSE;
        }
        case NM_RCLICK: {
            POINT at;
            GetCursorPos(&at);
            ScreenToClient(impl()->Handle, &at);
            int dpi = DpiOf(impl()->Handle);
            at = {Unscaled(at.x, dpi), Unscaled(at.y, dpi)};
            // The node under the mouse is the one the menu acts on, and the
            // one that shows selected.
            if (TTreeNode* node = GetNodeAt(at.x, at.y))
                Select(node);
            ContextPopup(at.x, at.y);
            return TRUE;
        }
        default:
            return 0;
        }
    };
    SetReadOnly(true);
}

void TTreeView::Clear()
{
    SendMessageW(impl()->Handle, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    nodes_.clear();
}

void TTreeView::BeginUpdate()
{
    SendMessageW(impl()->Handle, WM_SETREDRAW, FALSE, 0);
}

void TTreeView::EndUpdate()
{
    SendMessageW(impl()->Handle, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(impl()->Handle, nullptr, TRUE);
}

TTreeNode* TTreeView::Add(const std::string& text)
{
    nodes_.push_back(std::unique_ptr<TTreeNode>(new TTreeNode(this, nullptr, nullptr)));
    TTreeNode* node = nodes_.back().get();
    node->text_ = text;
    node->handle_ = Insert(impl()->Handle, nullptr, node);
    return node;
}

// The style keeps in-place editing possible for the program; the flag says
// whether the user may start it.
void TTreeView::SetReadOnly(bool readOnly)
{
    impl()->ReadOnlyTree = readOnly;
}
bool TTreeView::ReadOnly() const
{
    return impl()->ReadOnlyTree;
}

bool TTreeView::Editing() const
{
    return SendMessageW(impl()->Handle, TVM_GETEDITCONTROL, 0, 0) != 0;
}

bool TTreeView::FinishEditing(const std::string& text)
{
    HWND editor = reinterpret_cast<HWND>(SendMessageW(impl()->Handle, TVM_GETEDITCONTROL, 0, 0));
    if (!editor)
        return false;
    SetWindowTextW(editor, ToWide(text).c_str());
    SendMessageW(impl()->Handle, TVM_ENDEDITLABELNOW, FALSE, 0);
    return true;
}

void TTreeView::SetIndent(int pixels)
{
    SendMessageW(impl()->Handle, TVM_SETINDENT,
                 static_cast<WPARAM>(Scaled(pixels, DpiOf(impl()->Handle))), 0);
}

TTreeNode* TTreeView::GetNodeAt(int x, int y) const
{
    TVHITTESTINFO hit{};
    int dpi = DpiOf(impl()->Handle);
    hit.pt = {Scaled(x, dpi), Scaled(y, dpi)};
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        SendMessageW(impl()->Handle, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    // Anywhere on the node's row, as a user aims at a short name: its text,
    // icon, indent, button or the blank to its right.
    if (!item ||
        !(hit.flags & (TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT)))
        return nullptr;
    return NodeOfItem(impl()->Handle, item);
}

TTreeNode* TTreeView::Selected() const
{
    auto* item =
        reinterpret_cast<HTREEITEM>(SendMessageW(impl()->Handle, TVM_GETNEXTITEM, TVGN_CARET, 0));
    return NodeOfItem(impl()->Handle, item);
}

void TTreeView::Select(TTreeNode* node)
{
    SendMessageW(impl()->Handle, TVM_SELECTITEM, TVGN_CARET,
                 reinterpret_cast<LPARAM>(TreeNodes::Made(node)));
}

void TTreeView::NodePoint(TTreeNode* node, int& x, int& y) const
{
    // The rectangle goes in holding the item, as the message asks.
    RECT r{};
    HTREEITEM item = TreeNodes::Made(node);
    std::memcpy(&r, &item, sizeof item);
    SendMessageW(impl()->Handle, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
    int dpi = DpiOf(impl()->Handle);
    x = Unscaled((r.left + r.right) / 2, dpi);
    y = Unscaled((r.top + r.bottom) / 2, dpi);
}

// ------------------------------------------------------------ popup menus

struct TPopupMenu::Impl {
    HMENU Menu;
    HWND Owner;
    bool Shown = false;
};

TPopupMenu::TPopupMenu(TForm* owner) : impl_(new Impl{CreatePopupMenu(), owner->impl()->Handle})
{
}
TPopupMenu::~TPopupMenu()
{
    DestroyMenu(impl_->Menu);
}

TMenuItem* TPopupMenu::Add(const std::string& caption)
{
    items_.push_back(std::make_unique<TMenuItem>());
    items_.back()->Caption = caption;
    AppendMenuW(impl_->Menu, MF_STRING, items_.size(), ToWide(caption).c_str());
    return items_.back().get();
}

void TPopupMenu::Popup(TControl* over, int x, int y)
{
    int dpi = DpiOf(over->impl()->Handle);
    POINT at{Scaled(x, dpi), Scaled(y, dpi)};
    ClientToScreen(over->impl()->Handle, &at);
    impl_->Shown = true;
    UINT chosen = static_cast<UINT>(TrackPopupMenu(impl_->Menu,
                                                   TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                   at.x, at.y, 0, impl_->Owner, nullptr));
    impl_->Shown = false;
    if (chosen > 0 && chosen <= items_.size())
        Guarded([&] { items_[chosen - 1]->Click(); });
}

bool TPopupMenu::Visible() const
{
    return impl_->Shown;
}
void TPopupMenu::CloseUp()
{
    EndMenu();
}

// ------------------------------------------------------------------ images

LRESULT CALLBACK ImageProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        TControl* control = ControlOf(window);
        if (control && control->impl()->Picture) {
            // Drawn at the form's DPI.
            int dpi = DpiOf(window);
            int width = control->impl()->PictureWidth, height = control->impl()->PictureHeight;
            HDC source = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(source, control->impl()->Picture);
            SetStretchBltMode(dc, HALFTONE);
            SetBrushOrgEx(dc, 0, 0, nullptr);
            StretchBlt(dc, 0, 0, Scaled(width, dpi), Scaled(height, dpi), source, 0, 0, width,
                       height, SRCCOPY);
            SelectObject(source, old);
            DeleteDC(source);
        }
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

TImage::TImage(TWinControl* parent, int left, int top, int width, int height)
    : TControl(parent, [&] {
          auto* impl = new Impl;
          impl->Handle = CreateChild(parent, kImageClass, "", 0, 0, left, top, width, height);
          impl->Placed = true;
          impl->Logical = {left, top, width, height};
          return std::unique_ptr<Impl>(impl);
      }())
{
}

void TImage::SetPicture(const TBitmap& picture)
{
    if (impl()->Picture)
        DeleteObject(impl()->Picture);
    impl()->Picture = ToHBitmap(picture);
    impl()->PictureWidth = picture.Width();
    impl()->PictureHeight = picture.Height();
    InvalidateRect(impl()->Handle, nullptr, TRUE);
}

int TImage::PictureWidth() const
{
    return impl()->PictureWidth;
}
int TImage::PictureHeight() const
{
    return impl()->PictureHeight;
}

}  // namespace platform
