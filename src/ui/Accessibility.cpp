#include "ui/Accessibility.h"

#include "ui/Form.h"

namespace ui {

std::optional<AccessKeyMark> AccessKeyOf(StringView caption) {
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != u'&') continue;
        if (i + 1 < caption.size() && caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        return AccessKeyMark{i + 1, i + 1 < caption.size() ? caption[i + 1] : char16_t{0}};
    }
    return std::nullopt;
}

bool IsTypableAccessKey(char16_t key) {
    return (key >= u'0' && key <= u'9') || (key >= u'A' && key <= u'Z') ||
           (key >= u'a' && key <= u'z');
}

String WithoutAccessKey(StringView caption) {
    String out;
    out.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            if (i + 1 < caption.size() && caption[i + 1] == u'&') out += u'&';
            if (i + 1 < caption.size()) ++i;
            if (caption[i] == u'&') continue;
        }
        out += caption[i];
    }
    return out;
}

namespace {

bool Shows(const Control& control, const Form* form) {
    for (const Control* c = &control; c; c = c->Parent())
        if (!c->Visible() && c != form) return false;
    return !form || form->Visible();
}

bool TakesFocus(const Control& c) {
    return dynamic_cast<const Button*>(&c) || dynamic_cast<const RadioButton*>(&c) ||
           dynamic_cast<const MaskEdit*>(&c) || dynamic_cast<const Memo*>(&c) ||
           dynamic_cast<const ComboBox*>(&c) || dynamic_cast<const CheckListBox*>(&c);
}

bool ClickOpens(const Control& c) {
    return c.GetCursor() == Cursor::HandPoint && c.OnClick;
}

AccessibleRole RoleOf(const Control& c) {
    if (dynamic_cast<const Form*>(&c)) return AccessibleRole::Window;
    if (dynamic_cast<const Button*>(&c)) return AccessibleRole::PushButton;
    if (dynamic_cast<const RadioButton*>(&c)) return AccessibleRole::RadioButton;
    if (dynamic_cast<const MaskEdit*>(&c) || dynamic_cast<const Memo*>(&c))
        return AccessibleRole::Text;
    if (dynamic_cast<const CheckListBox*>(&c)) return AccessibleRole::List;
    if (dynamic_cast<const ComboBox*>(&c)) return AccessibleRole::ComboBox;
    if (dynamic_cast<const Image*>(&c)) return AccessibleRole::Graphic;
    if (dynamic_cast<const Label*>(&c))
        return ClickOpens(c) ? AccessibleRole::Link : AccessibleRole::StaticText;
    if (dynamic_cast<const GroupBox*>(&c)) return AccessibleRole::Grouping;
    if (dynamic_cast<const ProgressBar*>(&c)) return AccessibleRole::ProgressBar;
    if (dynamic_cast<const StatusBar*>(&c)) return AccessibleRole::StatusBar;
    return AccessibleRole::Pane;
}

String NameOf(const Control& c) {
    if (!c.AccessibleName().empty()) return c.AccessibleName();
    const Control& named = c.labelledBy ? *c.labelledBy : c;
    String name = WithoutAccessKey(named.Caption());
    // A label's text often ends in a colon that a listener does not need ("IP:", "端口：").
    if (c.labelledBy)
        while (!name.empty() &&
               (name.back() == u':' || name.back() == u'：' || name.back() == u' '))
            name.pop_back();
    return name;
}

String ShortcutOf(const Control& c) {
    // Buttons show their mark; a labelled field's label draws its '&' as it is.
    if (!dynamic_cast<const Button*>(&c) && !dynamic_cast<const RadioButton*>(&c)) return {};
    const auto mark = AccessKeyOf(c.Caption());
    if (!mark || !IsTypableAccessKey(mark->key)) return {};
    char16_t key = mark->key;
    if (key >= u'a' && key <= u'z') key = static_cast<char16_t>(key - u'a' + u'A');
    return String(u"Alt+") + key;
}

} // namespace

int AccessibleItemCount(const Control& control) {
    if (const auto* list = dynamic_cast<const CheckListBox*>(&control)) return list->Count();
    return 0;
}

std::optional<AccessibleInfo> Describe(const Control& control, int child) {
    if (child < 0 || child > AccessibleItemCount(control)) return std::nullopt;
    // Read-only: the form is found by walking up, as OwnerForm does.
    const Form* form = nullptr;
    for (const Control* c = &control; c && !form; c = c->Parent())
        form = dynamic_cast<const Form*>(c);
    const bool shown = Shows(control, form);
    const bool focused = form && form->FocusedControl() == &control && shown;

    AccessibleInfo info;
    if (child == 0) {
        info.role = RoleOf(control);
        info.name = NameOf(control);
        info.shortcut = ShortcutOf(control);
        info.state.focusable = TakesFocus(control);
        info.state.focused = focused && info.state.focusable;
        info.state.unavailable = !control.Enabled();
        info.state.invisible = !shown;
        info.state.linked = ClickOpens(control);
        if (const auto* radio = dynamic_cast<const RadioButton*>(&control))
            info.state.checked = radio->Checked();
        if (const auto* edit = dynamic_cast<const MaskEdit*>(&control)) info.value = edit->Text();
        if (const auto* combo = dynamic_cast<const ComboBox*>(&control)) info.value = combo->Text();
        if (const auto* memo = dynamic_cast<const Memo*>(&control))
            info.state.readOnly = memo->readOnly;
        return info;
    }
    const auto& list = static_cast<const CheckListBox&>(control);
    const int item = child - 1;
    const bool current = list.ItemIndex() == item;
    info.role = AccessibleRole::CheckButton;
    info.name = list.Item(item);
    info.state.checked = list.Checked(item);
    info.state.focusable = true;
    info.state.selectable = true;
    info.state.selected = current;
    info.state.focused = current && focused;
    info.state.unavailable = !list.Enabled();
    info.state.invisible = !shown;
    info.defaultAction = info.state.checked ? u"Uncheck" : u"Check";
    return info;
}

bool DoItemDefaultAction(Control& control, int child) {
    auto* list = dynamic_cast<CheckListBox*>(&control);
    if (!list || child < 1 || child > list->Count() || !list->Enabled()) return false;
    list->SetItemIndex(child - 1);
    list->UserToggleCurrent();
    return true;
}

} // namespace ui
