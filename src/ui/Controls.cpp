#include "ui/Controls.h"

#include <algorithm>

#include "ui/Form.h"

namespace ui {

Control::Control(String name, Control* parent, Rect bounds)
    : name_(std::move(name)), parent_(parent), bounds_(bounds) {
    if (parent_) parent_->children_.push_back(this);
}

Control::~Control() = default;

Form* Control::OwnerForm() {
    for (Control* c = this; c; c = c->parent_)
        if (auto* f = dynamic_cast<Form*>(c)) return f;
    return nullptr;
}

void Control::SetBounds(const Rect& r) {
    bounds_ = r;
    Notify(Change::Bounds);
}

void Control::SetCaption(const String& text) {
    if (caption_ == text) return;
    caption_ = text;
    Notify(Change::Text);
}

void Control::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Notify(Change::Enabled);
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Notify(Change::Visible);
}

void Control::SetFont(const Font& font) {
    font_ = font;
    Notify(Change::Font);
}

void Control::SetCursor(Cursor cursor) {
    cursor_ = cursor;
    Notify(Change::Cursor);
}

void Control::SetFocus() {
    if (Form* f = OwnerForm()) f->focused_ = this;
    Notify(Change::Focus);
}

bool Control::Focused() {
    Form* f = OwnerForm();
    return f && f->FocusedControl() == this;
}

void Control::Click() {
    if (OnClick) OnClick(this);
}

// Radio buttons ---------------------------------------------------------------------------

RadioButton::RadioButton(String name, Control* parent, Rect bounds, RadioGroup& group)
    : Control(std::move(name), parent, bounds), group_(group) {
    group_.members.push_back(this);
}

void RadioButton::SetChecked(bool checked) {
    if (checked_ == checked) return;
    if (!checked) {
        checked_ = false;
        Notify(Change::Checked);
        return;
    }
    for (RadioButton* other : group_.members) {
        if (other != this && other->checked_) {
            other->checked_ = false;
            other->Notify(Change::Checked);
        }
    }
    checked_ = true;
    Notify(Change::Checked);
    Control::Click();
}

// Lists -------------------------------------------------------------------------------------

void ComboBox::SetItems(StringList items) {
    items_ = std::move(items);
    itemIndex_ = -1;
    Notify(Change::Items);
}

void ComboBox::AddItem(const String& item) {
    items_.push_back(item);
    Notify(Change::Items);
}

void ComboBox::Clear() {
    items_.clear();
    itemIndex_ = -1;
    Notify(Change::Items);
}

void ComboBox::SetItemIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
    itemIndex_ = index;
    Notify(Change::ItemIndex);
}

String ComboBox::Text() const {
    return itemIndex_ < 0 ? String() : items_[static_cast<size_t>(itemIndex_)];
}

void CheckListBox::AddItem(const String& text) {
    items_.push_back({text, false});
    Notify(Change::Items);
}

void CheckListBox::Clear() {
    items_.clear();
    itemIndex_ = -1;
    Notify(Change::Items);
}

void CheckListBox::SetChecked(int i, bool marked) {
    auto& entry = items_.at(static_cast<size_t>(i));
    if (entry.marked == marked) return;
    entry.marked = marked;
    Notify(Change::Marks);
}

void CheckListBox::SetItemIndex(int index) {
    if (index < -1 || index >= Count()) index = -1;
    itemIndex_ = index;
    Notify(Change::ItemIndex);
}

void CheckListBox::UserClickItem(int i, bool onCheckBox) {
    if (i < 0 || i >= Count()) return;
    SetItemIndex(i);
    if (onCheckBox) {
        SetChecked(i, !Checked(i));
        if (OnClickCheck) OnClickCheck(this);
    }
    Click();
}

void CheckListBox::UserToggleCurrent() {
    // The same events as a click on the box: a list whose handlers keep one item marked (and
    // undo the list's own flip on the check event) then marks it from the keyboard too.
    UserClickItem(itemIndex_, true);
}

// Masked edit -------------------------------------------------------------------------------

MaskEdit::MaskEdit(String name, Control* parent, Rect bounds, const String& mask)
    : Control(std::move(name), parent, bounds) {
    // "edit mask;save literals;blank char"
    const size_t end = mask.find(u';');
    const StringView editMask = StringView(mask).substr(0, end);
    for (size_t i = 0; i < editMask.size(); ++i) {
        if (editMask[i] == u'\\' && i + 1 < editMask.size()) {
            template_ += editMask[++i];
        } else {
            template_ += editMask[i];
        }
    }
    const size_t last = mask.rfind(u';');
    if (end != String::npos && last != end && last + 1 < mask.size()) blankChar = mask[last + 1];
    for (char16_t c : template_) text_ += (c == u'9') ? u' ' : c;
}

bool MaskEdit::IsLiteral(int pos) const {
    return pos >= 0 && pos < MaxLength() && template_[static_cast<size_t>(pos)] != u'9';
}

namespace {
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
} // namespace

void MaskEdit::SetText(const String& text) {
    // Each group takes the text up to the literal that ends it, so "192.168.1.100" lands
    // as "192.168.1  .100": short groups are padded, long ones cut, other characters blank.
    skipEnd_ = -1;
    String next;
    size_t i = 0;
    for (size_t t = 0; t < template_.size();) {
        if (template_[t] != u'9') {
            if (i < text.size() && text[i] == template_[t]) ++i;
            next += template_[t++];
            continue;
        }
        size_t groupEnd = t;
        while (groupEnd < template_.size() && template_[groupEnd] == u'9') ++groupEnd;
        const bool closed = groupEnd < template_.size();
        const char16_t literal = closed ? template_[groupEnd] : u'\0';
        for (; t < groupEnd; ++t) {
            const bool take = i < text.size() && !(closed && text[i] == literal);
            const char16_t c = take ? text[i++] : u' ';
            next += IsDigit(c) ? c : u' ';
        }
        if (closed)
            while (i < text.size() && text[i] != literal) ++i;
    }
    if (next == text_) return;
    text_ = std::move(next);
    Notify(Change::Text);
}

int MaskEdit::TypeChar(int caret, char16_t ch) {
    const int len = MaxLength();
    caret = std::clamp(caret, 0, len);
    if (!IsDigit(ch)) {
        // A full group moved the caret past the point by itself; the point the user types
        // next belongs to that same move and must not skip the following group.
        if (caret == skipEnd_ && template_[static_cast<size_t>(caret - 1)] == ch) {
            skipEnd_ = -1;
            return caret;
        }
        skipEnd_ = -1;
        for (int p = caret; p < len; ++p)
            if (IsLiteral(p) && template_[static_cast<size_t>(p)] == ch) return p + 1;
        return caret;
    }
    skipEnd_ = -1;
    while (caret < len && IsLiteral(caret)) ++caret;
    if (caret >= len) return caret;
    text_[static_cast<size_t>(caret)] = ch;
    Notify(Change::Text);
    ++caret;
    const int typedEnd = caret;
    while (caret < len && IsLiteral(caret)) ++caret;
    if (caret != typedEnd && caret < len) skipEnd_ = caret;
    return caret;
}

int MaskEdit::Backspace(int caret) {
    skipEnd_ = -1;
    int pos = std::min(caret, MaxLength()) - 1;
    while (pos >= 0 && IsLiteral(pos)) --pos;
    if (pos < 0) return std::max(0, std::min(caret, MaxLength()));
    text_[static_cast<size_t>(pos)] = u' ';
    Notify(Change::Text);
    return pos;
}

int MaskEdit::Delete(int caret) {
    skipEnd_ = -1;
    caret = std::clamp(caret, 0, MaxLength());
    int pos = caret;
    while (pos < MaxLength() && IsLiteral(pos)) ++pos;
    if (pos >= MaxLength()) return caret;
    text_[static_cast<size_t>(pos)] = u' ';
    Notify(Change::Text);
    return caret;
}

int MaskEdit::ClearRange(int start, int end) {
    skipEnd_ = -1;
    start = std::clamp(start, 0, MaxLength());
    end = std::clamp(end, start, MaxLength());
    bool changed = false;
    for (int p = start; p < end; ++p) {
        if (IsLiteral(p) || text_[static_cast<size_t>(p)] == u' ') continue;
        text_[static_cast<size_t>(p)] = u' ';
        changed = true;
    }
    if (changed) Notify(Change::Text);
    return start;
}

int MaskEdit::Paste(int caret, const String& text) {
    // A whole dotted address replaces every group; anything else is typed key by key, so
    // nothing is silently cut.
    caret = std::clamp(caret, 0, MaxLength());
    const String trimmed = Trim(text);
    std::vector<int> groupLengths;
    for (int p = 0; p < MaxLength(); ++p) {
        if (IsLiteral(p)) continue;
        if (p == 0 || IsLiteral(p - 1)) groupLengths.push_back(0);
        ++groupLengths.back();
    }
    std::vector<int> pieces{0};
    bool whole = true;
    for (char16_t c : trimmed) {
        if (c == u'.')
            pieces.push_back(0);
        else if (IsDigit(c))
            ++pieces.back();
        else
            whole = false;
    }
    whole = whole && pieces.size() == groupLengths.size();
    for (size_t g = 0; whole && g < pieces.size(); ++g)
        whole = pieces[g] > 0 && pieces[g] <= groupLengths[g];
    if (whole) {
        SetText(trimmed);
        return MaxLength();
    }
    for (char16_t c : text) caret = TypeChar(caret, c);
    return caret;
}

String MaskEdit::EditText() const {
    String shown = text_;
    for (size_t i = 0; i < shown.size(); ++i)
        if (template_[i] == u'9' && shown[i] == u' ') shown[i] = blankChar;
    return shown;
}

// Memo, progress, status, image, pages --------------------------------------------------------

void Memo::Append(const String& line) {
    lines_.push_back(line);
    Notify(Change::Lines);
}

void Memo::Clear() {
    lines_.clear();
    Notify(Change::Lines);
}

void ProgressBar::SetMin(int v) {
    min_ = v;
    if (position_ < min_) SetPosition(min_);
    Notify(Change::Range);
}

void ProgressBar::SetMax(int v) {
    max_ = v;
    if (position_ > max_) SetPosition(max_);
    Notify(Change::Range);
}

void ProgressBar::SetPosition(int v) {
    v = std::max(min_, std::min(v, max_));
    if (v == position_) return;
    position_ = v;
    history_.push_back(v);
    Notify(Change::Position);
}

void ProgressBar::StepIt() {
    // Like the common control: stepping past the end starts again from the minimum.
    int next = position_ + step_;
    if (next > max_) next = min_ + (next - max_);
    SetPosition(next);
}

void StatusBar::AddPanel(int width, Alignment alignment) {
    panels_.push_back({width, alignment, {}});
    Notify(Change::Panels);
}

void StatusBar::SetPanelText(int i, const String& text) {
    panels_.at(static_cast<size_t>(i)).text = text;
    Notify(Change::Panels);
}

void Image::SetPicture(std::optional<Bitmap> picture) {
    picture_ = std::move(picture);
    Notify(Change::Picture);
}

void PageControl::AddPage(TabSheet* page) {
    page->pageIndex_ = static_cast<int>(pages_.size());
    pages_.push_back(page);
}

void PageControl::SetActivePageIndex(int index) {
    if (index < 0 || index >= PageCount() || index == active_) return;
    active_ = index;
    for (TabSheet* p : pages_) p->SetVisible(p->PageIndex() == index);
    Notify(Change::ActivePage);
    if (pages_[static_cast<size_t>(index)]->OnShow) pages_[static_cast<size_t>(index)]->OnShow(pages_[static_cast<size_t>(index)]);
}

} // namespace ui
