#ifndef PlatformFormsH
#define PlatformFormsH

// The form framework the window and the connection dialog are written
// against: the application object, forms and the controls they hold, a
// picture, a popup menu, the message pump and the shell. All text is UTF-8;
// positions are pixels in the parent's client area. Two backends build it:
// Qt Widgets (forms/qt) on Linux and the Win32 common controls
// (forms/win32) on Windows; nothing above this header knows which one it
// runs on.
// Controls are made with `new` on a parent, which owns and deletes them.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Application.h"

namespace platform {

struct TColor {
    unsigned char R = 0, G = 0, B = 0, A = 255;
    bool operator==(const TColor& o) const { return R == o.R && G == o.G && B == o.B && A == o.A; }
};
const TColor clBlack{0, 0, 0};
const TColor clWhite{255, 255, 255};
const TColor clRed{255, 0, 0};
const TColor clGreen{0, 128, 0};

struct TRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool Contains(const TRect& r) const
    {
        return r.Left >= Left && r.Top >= Top && r.Left + r.Width <= Left + Width &&
               r.Top + r.Height <= Top + Height;
    }
    bool Intersects(const TRect& r) const
    {
        return r.Left < Left + Width && Left < r.Left + r.Width && r.Top < Top + Height &&
               Top < r.Top + r.Height;
    }
};

// A picture drawn in memory.
class TBitmap {
public:
    TBitmap(int width, int height);
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    ~TBitmap();
    int Width() const;
    int Height() const;
    // From the top-left corner's colour to the bottom-right corner's.
    void FillGradient(TColor from, TColor to);
    void Line(int x1, int y1, int x2, int y2, TColor color);
    // Text left-aligned and centred top to bottom in the rectangle.
    void Text(const TRect& box, const std::string& text, const std::string& font, int pixelSize,
              bool bold, TColor color);
    // A part of the picture, scaled to the size.
    TBitmap Part(const TRect& part, int width, int height) const;
    // One pixel replaced, its alpha included (0 is see-through).
    void SetPixel(int x, int y, TColor color);
    TColor Pixel(int x, int y) const;
    bool SavePng(const std::string& path) const;

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class TWinControl;
class TButton;

class TControl {
public:
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    void SetBounds(int left, int top, int width, int height);
    TRect Bounds() const;
    virtual void SetEnabled(bool enabled);
    // Enabled itself and in every parent, as the user finds it.
    bool Enabled() const;
    // Drawn as enabled: false also for a control greyed with its disabled
    // container.
    bool LooksEnabled() const;
    void Show();
    void Hide();
    // Shown, with every parent shown.
    bool Visible() const;
    void SetHint(const std::string& hint);
    std::string Hint() const;
    void SetColor(TColor color);
    TColor Color() const;
    void SetFontColor(TColor color);
    // Takes the keyboard focus; whether it has it.
    void SetFocus();
    bool Focused() const;
    TWinControl* Parent() const { return parent_; }

    struct Impl;
    Impl* impl() const { return impl_.get(); }

protected:
    TControl(TWinControl* parent, std::unique_ptr<Impl> impl);

private:
    TWinControl* parent_;
    std::unique_ptr<Impl> impl_;
};

// A control that holds others.
class TWinControl : public TControl {
public:
    ~TWinControl() override;
    // The controls made on it, in the order made.
    const std::vector<TControl*>& Controls() const { return children_; }

protected:
    using TControl::TControl;

private:
    friend class TControl;
    std::vector<TControl*> children_;
};

// The order in which Tab moves through the controls.
void SetTabOrder(const std::vector<TControl*>& controls);
// The control Tab goes to from the given one, among the form's controls.
TControl* NextInTabOrder(TControl* from);

class TForm : public TWinControl {
public:
    explicit TForm(const std::string& caption, TForm* owner = nullptr);
    std::string Caption() const;
    // A size the user cannot change, with no maximise button.
    void SetFixedClientSize(int width, int height);
    // A size the user can change and maximise, never below the minimum.
    void SetResizableClientSize(int width, int height, int minWidth, int minHeight);
    int ClientWidth() const;
    int ClientHeight() const;
    // Shrinks the form, never below its minimum, until it fits the work
    // area of the screen it is on (the one it will open on, before it is
    // shown), and moves it wholly onto that area.
    void FitOnScreen();
    // Maximised, or shown so; a form not yet shown opens so.
    void SetMaximized(bool maximized);
    bool Maximized() const;
    // The client size the form has when it is not maximised.
    void RestoredClientSize(int& width, int& height) const;
    // After the client area changed size.
    std::function<void()> OnResize;
    // The button Enter presses wherever the focus is, but in a control
    // that takes Enter itself (a focused button presses itself).
    void SetDefaultButton(TButton* button);
    // The work area of the screen the form is on, in the units of the
    // form's own bounds.
    TRect WorkArea() const;
    void MoveTo(int left, int top);
    void SetFont(const std::string& name, int pixelSize);
    void ShowForm();
    void Close();
    // Paints at once, before a call that blocks.
    void Repaint();
    // A form with an owner is a dialog: shown until EndModal; true for OK.
    bool ShowModal();
    void EndModal(bool ok);
    // Before the form paints.
    std::function<void()> OnPaint;
};

class TPanel : public TWinControl {
public:
    TPanel(TWinControl* parent, int left, int top, int width, int height);
};

class TBevel : public TControl {
public:
    enum Shape { bsFrame, bsTopLine };
    TBevel(TWinControl* parent, Shape shape, int left, int top, int width, int height);
};

class TLabel : public TControl {
public:
    TLabel(TWinControl* parent, const std::string& caption, int left, int top, int width,
           int height);
    void SetCaption(const std::string& caption);
    std::string Caption() const;
    // The width the caption needs.
    int TextWidth() const;
    // The control the caption's access key ("&X") gives the focus to; the
    // key then shows underlined (a caption without one shows "&" as it is).
    void SetFocusControl(TControl* control);
};

class TRadioButton : public TControl {
public:
    TRadioButton(TWinControl* parent, const std::string& caption, int left, int top, int width,
                 int height);
    bool Checked() const;
    void SetChecked(bool checked);
    // As a click of the user's.
    void Click();
    std::function<void()> OnClick;
};

class TCheckBox : public TControl {
public:
    TCheckBox(TWinControl* parent, const std::string& caption, int left, int top, int width,
              int height);
    bool Checked() const;
    void SetChecked(bool checked);  // without OnClick
    // After the user toggles it (a click, or the space bar).
    std::function<void()> OnClick;
    // Toggles it as a click does, OnClick included.
    void Click();
};

class TEdit : public TControl {
public:
    TEdit(TWinControl* parent, int left, int top, int width, int height);
    std::string Text() const;
    void SetText(const std::string& text);
    void SetPassword(bool password);  // shows '*' for each character
    bool Password() const;
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const;
    // As the user pressing Enter in it.
    void PressEnter();
    std::function<void()> OnEnter;
};

// An edit with its label above it or to its left, 3 pixels apart.
// Text of many lines the user reads, selects and copies but cannot change,
// with a scroll bar when it does not fit.
class TMemo : public TControl {
public:
    TMemo(TWinControl* parent, int left, int top, int width, int height);
    // Lines apart by "\n".
    void SetText(const std::string& text);
    std::string Text() const;
};

class TLabeledEdit : public TEdit {
public:
    enum LabelPosition { lpAbove, lpLeft };
    TLabeledEdit(TWinControl* parent, const std::string& caption, int left, int top, int width,
                 int height, int labelWidth, LabelPosition position);
    // The caption greys with its edit.
    void SetEnabled(bool enabled) override;
    TLabel* EditLabel;
};

class TButton : public TControl {
public:
    TButton(TWinControl* parent, const std::string& caption, int left, int top, int width,
            int height);
    std::string Caption() const;
    void Click();
    std::function<void()> OnClick;
};

// A button with a stock glyph.
class TBitBtn : public TButton {
public:
    enum Kind { bkOK, bkHelp };
    TBitBtn(TWinControl* parent, const std::string& caption, Kind kind, int left, int top,
            int width, int height);
    // The glyph shown beside the caption.
    const TBitmap& Glyph() const { return glyph_; }

private:
    TBitmap glyph_;
};

// The glyph of a kind of button: a 16 x 16 picture drawn for Pellam (a
// green tick for OK, a blue question mark for help), the same on every
// platform.
TBitmap StockGlyph(TBitBtn::Kind kind);

class TComboBox : public TControl {
public:
    // A list-only box, or one whose text can be typed too.
    TComboBox(TWinControl* parent, int left, int top, int width, int height, bool editable);
    void Clear();
    void Add(const std::string& item);
    int Count() const;
    std::string Item(int index) const;
    int ItemIndex() const;  // -1: none
    void SetItemIndex(int index);
    std::string Text() const;
    void SetText(const std::string& text);
    // As the user choosing entry `index`.
    void Choose(int index);
    std::function<void()> OnSelect;
};

class TListBox : public TControl {
public:
    TListBox(TWinControl* parent, int left, int top, int width, int height);
    void Add(const std::string& item);
    int ItemIndex() const;
    void SetItemIndex(int index);
};

class TSpinEdit : public TControl {
public:
    TSpinEdit(TWinControl* parent, int left, int top, int width, int height, int minimum,
              int maximum);
    int Value() const;
    void SetValue(int value);
};

// A grid of two columns of editable text under a header.
class TStringGrid : public TControl {
public:
    TStringGrid(TWinControl* parent, int left, int top, int width, int height,
                const std::vector<std::string>& header);
    int RowCount() const;
    void SetRowCount(int rows);
    std::string Cell(int column, int row) const;
    void SetCell(int column, int row, const std::string& text);
};

class TTabSheet : public TWinControl {
private:
    friend class TPageControl;
    TTabSheet(TWinControl* parent, std::unique_ptr<Impl> impl);
};

class TPageControl : public TWinControl {
public:
    TPageControl(TWinControl* parent, int left, int top, int width, int height);
    TTabSheet* AddPage(const std::string& caption);
    int PageCount() const;
    std::string PageCaption(int index) const;
    int PageIndex() const;
    void SetPageIndex(int index);
    // After the page shown changed.
    std::function<void(int)> OnChange;
};

class TMenuItem {
public:
    std::string Caption;
    std::function<void()> OnClick;
    void Click()
    {
        if (OnClick)
            OnClick();
    }
};

class TPopupMenu {
public:
    explicit TPopupMenu(TForm* owner);
    ~TPopupMenu();
    TMenuItem* Add(const std::string& caption);
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
    // Shows the menu at a point of the control.
    void Popup(TControl* over, int x, int y);
    bool Visible() const;
    void CloseUp();

    struct Impl;
    std::unique_ptr<Impl> impl_;

private:
    std::vector<std::unique_ptr<TMenuItem>> items_;
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };

class TTreeView;

class TTreeNode {
public:
    std::string Text() const;
    void SetText(const std::string& text);
    int Count() const;
    TTreeNode* Item(int index) const;
    TTreeNode* Parent() const { return parent_; }
    TTreeNode* AddChild(const std::string& text);
    // The text shown when the mouse rests on the node.
    void SetHint(const std::string& hint);
    std::string Hint() const { return hint_; }
    // Selects the node and opens the in-place editor on it.
    void EditText();
    void Expand();

private:
    friend class TTreeView;
    friend struct TreeNodes;  // a backend's own access
    TTreeNode(TTreeView* tree, TTreeNode* parent, void* handle);
    TTreeView* tree_;
    TTreeNode* parent_;
    void* handle_;  // the backend's item; null while it has none yet
    std::vector<std::unique_ptr<TTreeNode>> children_;
    // For a backend that makes native items on demand: the text of a node
    // without one, and whether the children have theirs.
    std::string text_;
    bool childrenMade_ = false;
    std::string hint_;
};

class TTreeView : public TControl {
public:
    TTreeView(TWinControl* parent, int left, int top, int width, int height);
    ~TTreeView() override;
    void Clear();
    TTreeNode* Add(const std::string& text);
    int Count() const;
    TTreeNode* Item(int index) const;
    // While many nodes go in: the tree is not redrawn until EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    // Whether the user may edit node texts in place.
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const;
    // True while a node's in-place editor is open.
    bool Editing() const;
    // As the user typing the text into the open editor and pressing Enter;
    // false when no editor is open.
    bool FinishEditing(const std::string& text);
    void SetIndent(int pixels);
    // The node whose row holds a point, or null.
    TTreeNode* GetNodeAt(int x, int y) const;
    // The selected node, or null; selecting one shows it selected.
    TTreeNode* Selected() const;
    void Select(TTreeNode* node);
    // The middle of a node's row.
    void NodePoint(TTreeNode* node, int& x, int& y) const;
    // As the user pressing a mouse button at a point.
    void MouseDown(TMouseButton button, int x, int y);
    // As the user asking for the context menu at a point.
    void ContextPopup(int x, int y);
    // As the user asking for the context menu from the keyboard (Shift+F10,
    // the menu key): a right click on the selected node's row.
    void ContextKey();
    // As the user pressing F2 in the tree: OnRenameKey runs.
    void RenameKey();
    std::function<void(TMouseButton, int, int)> OnMouseDown;
    std::function<void()> OnRenameKey;
    // After the selected node changed, by the user or the program.
    std::function<void()> OnChange;
    // Asked on a context request: the menu to show there, if any.
    std::function<TPopupMenu*()> PopupMenu;

private:
    friend class TTreeNode;
    // The node of a backend's item handle, or null.
    TTreeNode* NodeOf(void* handle) const;
    std::vector<std::unique_ptr<TTreeNode>> nodes_;
};

class TImage : public TControl {
public:
    TImage(TWinControl* parent, int left, int top, int width, int height);
    void SetPicture(const TBitmap& picture);
    int PictureWidth() const;
    int PictureHeight() const;
};

// The application: shows any exception that escapes an event handler in a
// message box and goes on.
class TFormsApplication {
public:
    TFormsApplication(int& argc, char** argv);
    ~TFormsApplication();
    TFormsApplication(const TFormsApplication&) = delete;
    TFormsApplication& operator=(const TFormsApplication&) = delete;
    // Runs the message loop until the last form closes.
    int Run();
    // The standard exception display.
    static void ShowException(const std::string& message);
    // The captions of the Yes and No buttons of a question.
    static std::string YesCaption();
    static std::string NoCaption();

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Processes pending window messages, at most once per 16 ms: long loops call
// it after every item, and the window still repaints at frame rate.
void ProcessMessages();
// Called whenever ProcessMessages is (tests use it to act in mid-loop).
void SetProcessMessagesHook(std::function<void()> hook);
// What a backend's ProcessMessages calls first.
void RunProcessMessagesHook();
// Lets messages through for a while (tests and pictures).
void ProcessMessagesFor(int milliseconds);

// The wait cursor over the whole application, or the normal one again.
void SetWaitCursor(bool waiting);
bool WaitCursorShown();

// Opens a folder in the desktop's file manager; false when it cannot.
bool OpenFolderInShell(const std::string& path);

// A key pressed on the control as the user's keys reach it (its handlers
// and filters first), for the keys the window acts on.
enum class TKey { Enter, Escape, F10 };
void PressKey(TControl* control, TKey key, bool shift = false);

// Asks where to save a file, starting from the suggested name; the path,
// or "" when the user cancels.
std::string ChooseSaveFile(TForm* owner, const std::string& caption,
                           const std::string& suggestedName);

// A picture of a form as it shows now.
bool SaveFormPicture(TForm* form, const std::string& path);

}  // namespace platform

#endif
