// Every editing call of the address field returns a caret inside the field, whatever caret it
// was given (a paste of nothing used to hand an outside caret back unchanged).
#include <gtest/gtest.h>

#include "ui/Form.h"

TEST(MaskEditCaret, PasteReturnsACaretInsideTheField) {
    ui::Form form(u"frm", 100, 100);
    ui::MaskEdit* edit =
        form.Add<ui::MaskEdit>(u"meText", &form, ui::Rect{}, String(u"999\\.999\\.999\\.999;1;_"));
    const struct {
        int caret;
        const char16_t* text;
        int after;
    } cases[] = {
        {-2, u"", 0}, {17, u"", 15}, {20, u"x", 15}, {-1, u"1", 1}, {-5, u"1.2.3.4", 15},
    };
    for (const auto& c : cases)
        EXPECT_EQ(edit->Paste(c.caret, c.text), c.after) << c.caret << " " << ToUtf8(c.text);
    EXPECT_EQ(edit->Text(), u"1  .2  .3  .4  ");
}
