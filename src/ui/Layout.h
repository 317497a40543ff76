#pragma once
// A form's controls in one table: name, parent and 96-DPI geometry. The form creates its
// controls from the table, so its pixels are written in one place.
#include <utility>

#include "ui/Form.h"

namespace ui {

struct ControlPlace {
    const char16_t* name;
    const char16_t* parent; // nullptr: the form itself
    Rect bounds;
};

// The named control's row of a form's table; std::logic_error when the table has none.
const ControlPlace& FindPlace(const ControlPlace* begin, const ControlPlace* end, StringView name);
template <std::size_t N>
const ControlPlace& FindPlace(const ControlPlace (&table)[N], StringView name) {
    return FindPlace(table, table + N, name);
}

// Adds a control of kind T at its place, under its parent (which must exist already).
template <class T, class... Extra>
T* AddPlaced(Form& form, const ControlPlace& place, Extra&&... extra) {
    Control* parent = place.parent ? form.FindControl(place.parent) : &form;
    return form.Add<T>(place.name, parent, place.bounds, std::forward<Extra>(extra)...);
}

} // namespace ui
