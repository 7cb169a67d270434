// The parts of the forms layer that are the same on every backend.

#include "platform/Forms.h"

namespace platform {

TWinControl::~TWinControl()
{
    for (auto it = children_.rbegin(); it != children_.rend(); ++it)
        delete *it;
}

TLabeledEdit::TLabeledEdit(TWinControl* parent, const std::string& caption, int left, int top,
                           int width, int height, int labelWidth, LabelPosition position)
    : TEdit(parent, left, top, width, height),
      EditLabel(position == lpAbove
                    ? new TLabel(parent, caption, left, top - 3 - 13, labelWidth, 13)
                    : new TLabel(parent, caption, left - 3 - labelWidth, top + (height - 13) / 2,
                                 labelWidth, 13))
{
    // Its caption's access key reaches the edit.
    EditLabel->SetFocusControl(this);
}

void TLabeledEdit::SetEnabled(bool enabled)
{
    TEdit::SetEnabled(enabled);
    EditLabel->SetEnabled(enabled);
}

int TTreeNode::Count() const
{
    return static_cast<int>(children_.size());
}

TTreeNode* TTreeNode::Item(int index) const
{
    return children_.at(static_cast<std::size_t>(index)).get();
}

TTreeView::~TTreeView() = default;

int TTreeView::Count() const
{
    return static_cast<int>(nodes_.size());
}

TTreeNode* TTreeView::Item(int index) const
{
    return nodes_.at(static_cast<std::size_t>(index)).get();
}

TTreeNode* TTreeView::NodeOf(void* handle) const
{
    std::function<TTreeNode*(const std::vector<std::unique_ptr<TTreeNode>>&)> find =
        [&](const std::vector<std::unique_ptr<TTreeNode>>& nodes) -> TTreeNode* {
        for (const auto& n : nodes) {
            if (n->handle_ == handle)
                return n.get();
            if (TTreeNode* c = find(n->children_))
                return c;
        }
        return nullptr;
    };
    return find(nodes_);
}

void TTreeView::MouseDown(TMouseButton button, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(button, x, y);
}

void TTreeView::ContextPopup(int x, int y)
{
    if (TPopupMenu* menu = PopupMenu ? PopupMenu() : nullptr)
        menu->Popup(this, x, y);
}

void TTreeView::ContextKey()
{
    TTreeNode* node = Selected();
    if (!node)
        return;
    int x = 0, y = 0;
    NodePoint(node, x, y);
    MouseDown(mbRight, x, y);
    ContextPopup(x, y);
}

void TTreeView::RenameKey()
{
    if (OnRenameKey)
        OnRenameKey();
}

void TFormsApplication::ShowException(const std::string& message)
{
    Application.MessageBox(message, "Pellam", MB_OK | MB_ICONERROR);
}

namespace {

std::function<void()>& Hook()
{
    static std::function<void()> hook;
    return hook;
}

}  // namespace

void SetProcessMessagesHook(std::function<void()> hook)
{
    Hook() = std::move(hook);
}

void RunProcessMessagesHook()
{
    if (Hook())
        Hook()();
}

namespace {

// The glyphs, a character a pixel: '.' see-through, 'o' the outline, 'x'
// the fill.
const char* const kOkGlyph[16] = {
    "................", "................", "............oo..", "...........oxxo.",
    "..........oxxxo.", ".........oxxxo..", "..oo....oxxxo...", ".oxxo..oxxxo....",
    ".oxxxooxxxo.....", "..oxxxxxxo......", "...oxxxxo.......", "....oxxo........",
    ".....oo.........", "................", "................", "................",
};
const char* const kHelpGlyph[16] = {
    ".....oooooo.....", "....oxxxxxxo....", "...oxxooooxxo...", "...oxxo..oxxo...",
    "....oo...oxxo...", ".........oxxo...", "........oxxo....", ".......oxxo.....",
    "......oxxo......", "......oxxo......", "......oooo......", "................",
    "......oooo......", "......oxxo......", "......oxxo......", "......oooo......",
};

}  // namespace

TBitmap StockGlyph(TBitBtn::Kind kind)
{
    const char* const* art = kind == TBitBtn::bkOK ? kOkGlyph : kHelpGlyph;
    TColor fill = kind == TBitBtn::bkOK ? TColor{46, 160, 67} : TColor{36, 92, 186};
    TColor outline = kind == TBitBtn::bkOK ? TColor{20, 90, 32} : TColor{18, 46, 110};
    TBitmap glyph(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            char c = art[y][x];
            glyph.SetPixel(x, y, c == 'x' ? fill : c == 'o' ? outline : TColor{0, 0, 0, 0});
        }
    return glyph;
}

}  // namespace platform
