#include "ui/Layout.h"

#include <stdexcept>

namespace ui {

const ControlPlace& FindPlace(const ControlPlace* begin, const ControlPlace* end, StringView name) {
    for (const ControlPlace* p = begin; p != end; ++p)
        if (name == p->name) return *p;
    throw std::logic_error("no place for control " + ToUtf8(name));
}

} // namespace ui
