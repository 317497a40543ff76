#pragma once
// The portable control model: plain objects holding what a window shows (text, enabled,
// visible, checked, items, position ...) and raising events. A window backend mirrors them
// onto real windows and turns user input into calls on them; tests read them directly.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Bitmap.h"
#include "base/Text.h"

namespace ui {

class Control;
class Form;

using Event = std::function<void(Control* sender)>;

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
};

struct Font {
    String face;          // empty: the form's font
    int height = 0;       // pixels; 0: the form's font size
    bool bold = false;
    bool underline = false;
    std::uint32_t color = 0; // 0x00RRGGBB; 0 is the default text colour
};

// The form's font face at another pixel height.
inline Font PixelFont(int height) {
    Font f;
    f.height = height;
    return f;
}

enum class Cursor : std::uint8_t { Default, HandPoint };
enum class Alignment : std::uint8_t { Left, Center, Right };

// What changed, so a backend updates only that.
enum class Change : std::uint8_t {
    Text, Enabled, Visible, Checked, Items, ItemIndex, Marks, Position, Range, Panels, Picture,
    Font, Cursor, ActivePage, Focus, Lines, Bounds
};

// The backend's side of one control.
class Peer {
public:
    virtual ~Peer() = default;
    virtual void Changed(Change what) = 0;
};

class Control {
public:
    Control(String name, Control* parent, Rect bounds);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const String& Name() const { return name_; }
    Control* Parent() const { return parent_; }
    Form* OwnerForm();
    const Rect& Bounds() const { return bounds_; }
    void SetBounds(const Rect& r);

    const String& Caption() const { return caption_; }
    void SetCaption(const String& text);
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    const Font& GetFont() const { return font_; }
    void SetFont(const Font& font);
    Cursor GetCursor() const { return cursor_; }
    void SetCursor(Cursor cursor);
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order) { tabOrder_ = order; }
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool stop) { tabStop_ = stop; }

    // The name assistive technology reads, for a control whose caption does not say what it is
    // (a picture's meaning); empty: the caption of `labelledBy`, else its own caption.
    const String& AccessibleName() const { return accessibleName_; }
    void SetAccessibleName(const String& name) { accessibleName_ = name; }
    // The label that names an edit field or a list, as a sighted user reads it beside it.
    Control* labelledBy = nullptr;

    // Gives the keyboard focus to this control (the form remembers it).
    void SetFocus();
    bool Focused();

    // Runs the click handler as a program call: an error propagates to the caller.
    virtual void Click();
    Event OnClick;

    // Controls placed directly on this one, in creation order.
    const std::vector<Control*>& Children() const { return children_; }

    Peer* GetPeer() const { return peer_.get(); }
    void AttachPeer(std::unique_ptr<Peer> peer) { peer_ = std::move(peer); }
    void DetachPeer() { peer_.reset(); }

protected:
    void Notify(Change what) {
        if (peer_) peer_->Changed(what);
    }

private:
    String name_;
    Control* parent_;
    Rect bounds_;
    String caption_;
    bool enabled_ = true;
    bool visible_ = true;
    Font font_;
    Cursor cursor_ = Cursor::Default;
    int tabOrder_ = -1;
    bool tabStop_ = false;
    String accessibleName_;
    std::vector<Control*> children_;
    std::unique_ptr<Peer> peer_;
};

class Button : public Control {
public:
    using Control::Control;
    bool isDefault = false; // Enter presses it
    bool isCancel = false;  // Esc presses it (while enabled)
    bool cancelGlyph = false;
};

class Label : public Control {
public:
    using Control::Control;
    bool autoSize = true;
    bool wordWrap = false;
    bool opaque = false;
    Alignment alignment = Alignment::Left;
};

class GroupBox : public Control {
public:
    using Control::Control;
};

class Panel : public Control {
public:
    using Control::Control;
    bool bevel = true;
};

// Radio buttons check each other off within their group only.
class RadioGroup {
public:
    std::vector<class RadioButton*> members;
};

class RadioButton : public Control {
public:
    RadioButton(String name, Control* parent, Rect bounds, RadioGroup& group);
    bool Checked() const { return checked_; }
    // Checking an unchecked button behaves as a click: the others of its group are
    // unchecked and the click handler runs. Checking a checked one does nothing.
    void SetChecked(bool checked);
    // A user's click is the same as checking it.
    void Click() override { SetChecked(true); }
    const RadioGroup& Group() const { return group_; }

private:
    RadioGroup& group_;
    bool checked_ = false;
};

// A list holder with a selection: drop-down lists and lists that are never shown.
class ComboBox : public Control {
public:
    using Control::Control;
    const StringList& Items() const { return items_; }
    void SetItems(StringList items);
    void AddItem(const String& item);
    void Clear();
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    // The text the list shows: the selected item, or empty.
    String Text() const;

private:
    StringList items_;
    int itemIndex_ = -1;
};

class CheckListBox : public Control {
public:
    using Control::Control;
    int itemHeight = 0;
    int Count() const { return static_cast<int>(items_.size()); }
    const String& Item(int i) const { return items_.at(static_cast<size_t>(i)).text; }
    void AddItem(const String& text);
    void Clear();
    bool Checked(int i) const { return items_.at(static_cast<size_t>(i)).marked; }
    void SetChecked(int i, bool marked);
    // The current item, -1 for none.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);

    // What a user's mouse click on item i does: the item becomes current; on its check box
    // the mark flips and the check-mark event follows; then the click event.
    void UserClickItem(int i, bool onCheckBox);
    // The space bar on the current item: what a click on its check box does.
    void UserToggleCurrent();
    Event OnClickCheck;

private:
    struct Entry {
        String text;
        bool marked = false;
    };
    std::vector<Entry> items_;
    int itemIndex_ = -1;
};

// Text edit with an input mask of fixed literal characters and optional digit places.
// Text() is the text with an unfilled place read as a blank and the literals in place.
// SetText aligns each group of the given text to its literal ("1.2.3.4" fills four groups).
class MaskEdit : public Control {
public:
    // `mask` uses '9' for an optional digit and '\x' for the literal x.
    MaskEdit(String name, Control* parent, Rect bounds, const String& mask);
    const String& Text() const { return text_; }
    void SetText(const String& text);
    int MaxLength() const { return static_cast<int>(template_.size()); }
    bool IsLiteral(int pos) const;
    char16_t blankChar = u'_';

    // Editing as a user types: each returns the caret position afterwards.
    // Typing a literal jumps past its next occurrence, unless typing a digit has just moved
    // the caret past that literal (so "192." stays at the start of the second group).
    int TypeChar(int caret, char16_t ch);
    int Backspace(int caret);
    int Delete(int caret);
    // Blanks the places of a selection [start, end); the caret goes to its start.
    int ClearRange(int start, int end);
    // Pastes text at the caret; a whole dotted address fills every group, anything else is
    // typed character by character.
    int Paste(int caret, const String& text);
    // The text as shown while editing: unfilled places as `blankChar`.
    String EditText() const;

private:
    String template_; // one char per position: '9' digit place, else the literal
    String text_;
    int skipEnd_ = -1; // where the last typed digit's skip over a literal ended
};

class Memo : public Control {
public:
    using Control::Control;
    bool readOnly = false;
    bool border = true;
    const StringList& Lines() const { return lines_; }
    void Append(const String& line);
    void Clear();

private:
    StringList lines_;
};

class ProgressBar : public Control {
public:
    using Control::Control;
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Step() const { return step_; }
    int Position() const { return position_; }
    void SetMin(int v);
    void SetMax(int v);
    void SetStep(int v) { step_ = v; }
    void SetPosition(int v); // kept within min..max
    void StepIt();
    // Every position it has shown, for tests and diagnostics.
    const std::vector<int>& History() const { return history_; }

private:
    int min_ = 0, max_ = 100, step_ = 10, position_ = 0;
    std::vector<int> history_{0};
};

class StatusBar : public Control {
public:
    struct PanelSpec {
        int width = 0;
        Alignment alignment = Alignment::Left;
        String text;
    };
    using Control::Control;
    void AddPanel(int width, Alignment alignment);
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    const PanelSpec& GetPanel(int i) const { return panels_.at(static_cast<size_t>(i)); }
    const String& PanelText(int i) const { return GetPanel(i).text; }
    void SetPanelText(int i, const String& text);

private:
    std::vector<PanelSpec> panels_;
};

using ::Bitmap;

class Image : public Control {
public:
    using Control::Control;
    bool stretch = false;
    bool transparent = false;
    const std::optional<Bitmap>& Picture() const { return picture_; }
    void SetPicture(std::optional<Bitmap> picture);

private:
    std::optional<Bitmap> picture_;
};

class TabSheet : public Control {
public:
    using Control::Control;
    int PageIndex() const { return pageIndex_; }
    Event OnShow; // runs when the sheet becomes the shown page

private:
    friend class PageControl;
    int pageIndex_ = -1;
};

// Pages without visible tabs; the program switches them.
class PageControl : public Control {
public:
    using Control::Control;
    void AddPage(TabSheet* page);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TabSheet* Page(int i) const { return pages_.at(static_cast<size_t>(i)); }
    int ActivePageIndex() const { return active_; }
    TabSheet* ActivePage() const { return active_ < 0 ? nullptr : Page(active_); }
    // Showing another page runs its OnShow; showing the shown one does nothing.
    void SetActivePageIndex(int index);
    bool tabsVisible = false;

private:
    std::vector<TabSheet*> pages_;
    int active_ = -1;
};

} // namespace ui
