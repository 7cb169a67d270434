// Focus, access keys, the default button, hints and the screen's work
// area, for the Win32 backend.

#include "FormsWin32.h"

namespace platform {

void TControl::SetFocus()
{
    ::SetFocus(impl_->Handle);
}

bool TControl::Focused() const
{
    return GetFocus() == impl_->Handle;
}

void TLabel::SetFocusControl(TControl* control)
{
    impl()->FocusControl = control;
    // The caption's "&X" now shows underlined, and the dialog keys move
    // the focus on from the label to the control placed right after it.
    LONG_PTR style = GetWindowLongPtrW(impl()->Handle, GWL_STYLE);
    SetWindowLongPtrW(impl()->Handle, GWL_STYLE, style & ~static_cast<LONG_PTR>(SS_NOPREFIX));
    SetWindowPos(impl()->Handle, control->impl()->Handle, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(control->impl()->Handle, impl()->Handle, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    InvalidateRect(impl()->Handle, nullptr, TRUE);
}

void TForm::SetDefaultButton(TButton* button)
{
    impl()->DefaultButton = button;
}

TRect TForm::WorkArea() const
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(impl()->Handle, MONITOR_DEFAULTTOPRIMARY), &monitor))
        return {};
    // In the units of the form's own bounds: screen pixels.
    const RECT& area = monitor.rcWork;
    return {area.left, area.top, area.right - area.left, area.bottom - area.top};
}

TForm* FormOf(TControl* control)
{
    while (control && control->Parent())
        control = control->Parent();
    return static_cast<TForm*>(control);
}

void RegisterTip(TControl* control)
{
    TForm* form = FormOf(control);
    if (!form || control->impl()->TipAdded)
        return;
    TControl::Impl* owner = form->impl();
    if (!owner->Tooltip) {
        owner->Tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                         WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner->Handle,
                                         nullptr, GetModuleHandleW(nullptr), nullptr);
        // Lines apart by "\n" show as lines; a long one wraps.
        SendMessageW(owner->Tooltip, TTM_SETMAXTIPWIDTH, 0, 640);
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner->Handle;
    tool.uId = reinterpret_cast<UINT_PTR>(control->impl()->Handle);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    if (SendMessageW(owner->Tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)))
        control->impl()->TipAdded = true;
}

std::string TipText(HWND tool)
{
    TControl* control = ControlOf(tool);
    if (!control)
        return std::string();
    if (dynamic_cast<TTreeView*>(control)) {
        // The node under the mouse.
        TVHITTESTINFO hit{};
        GetCursorPos(&hit.pt);
        ScreenToClient(tool, &hit.pt);
        HTREEITEM item = TreeView_HitTest(tool, &hit);
        if (!item || !(hit.flags & TVHT_ONITEM))
            return std::string();
        TVITEMW tv{};
        tv.mask = TVIF_PARAM;
        tv.hItem = item;
        TreeView_GetItem(tool, &tv);
        auto* node = reinterpret_cast<TTreeNode*>(tv.lParam);
        return node ? node->Hint() : std::string();
    }
    return control->Hint();
}

void TipItemChanged(TControl* tree, HTREEITEM item)
{
    if (tree->impl()->TipItem == item)
        return;
    tree->impl()->TipItem = item;
    if (TForm* form = FormOf(tree))
        if (HWND tip = form->impl()->Tooltip)
            SendMessageW(tip, TTM_POP, 0, 0);
}

}  // namespace platform
