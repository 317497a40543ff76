// The address field's editing model under any sequence of keys, selections, pastes and program
// texts: the text stays 15 characters with its points in place and nothing but digits and
// blanks in the digit places, and every returned caret lies inside the field.
#include "FuzzCommon.h"
#include "ui/Form.h"

namespace {

void CheckMask(const ui::MaskEdit& edit) {
    const String& text = edit.Text();
    FUZZ_CHECK(edit.MaxLength() == 15);
    FUZZ_CHECK(text.size() == 15);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == 3 || i == 7 || i == 11) {
            FUZZ_CHECK(text[i] == u'.');
            FUZZ_CHECK(edit.IsLiteral(static_cast<int>(i)));
        } else {
            FUZZ_CHECK(text[i] == u' ' || (text[i] >= u'0' && text[i] <= u'9'));
            FUZZ_CHECK(!edit.IsLiteral(static_cast<int>(i)));
        }
    }
    const String shown = edit.EditText();
    FUZZ_CHECK(shown.size() == 15);
    for (std::size_t i = 0; i < 15; ++i)
        FUZZ_CHECK(shown[i] == (text[i] == u' ' ? u'_' : text[i]));
}

char16_t Key(FuzzedDataProvider& in) {
    static const char16_t kKeys[] = u"0123456789. -_a\u4E2D\t";
    const auto k = in.ConsumeIntegralInRange<std::size_t>(0, sizeof kKeys / sizeof kKeys[0] - 1);
    return kKeys[k]; // the last one is the zero character
}

String Text(FuzzedDataProvider& in) {
    String out;
    const auto length = in.ConsumeIntegralInRange<std::size_t>(0, 24);
    for (std::size_t i = 0; i < length && in.remaining_bytes() > 0; ++i)
        out += Key(in);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InstallCodePage();
    FuzzedDataProvider in(data, size);
    ui::Form form(u"frm", 100, 100);
    ui::MaskEdit* edit =
        form.Add<ui::MaskEdit>(u"meText", &form, ui::Rect{}, String(u"999\\.999\\.999\\.999;1;_"));
    FUZZ_CHECK(edit->Text() == u"   .   .   .   ");
    int caret = 0;
    for (int steps = 0; steps < 256 && in.remaining_bytes() > 0; ++steps) {
        // Carets come from the editor, or from a click anywhere (including outside the field).
        if (in.ConsumeIntegralInRange<int>(0, 7) == 0)
            caret = in.ConsumeIntegralInRange<int>(-2, 17);
        const int op = in.ConsumeIntegralInRange<int>(0, 6);
        if (op == 6) {
            edit->SetText(Text(in)); // the program's text moves no caret
            CheckMask(*edit);
            continue;
        }
        switch (op) {
        case 0:
        case 1:
            caret = edit->TypeChar(caret, Key(in));
            break;
        case 2:
            caret = edit->Backspace(caret);
            break;
        case 3:
            caret = edit->Delete(caret);
            break;
        case 4: {
            const int end = in.ConsumeIntegralInRange<int>(-2, 17);
            caret = edit->ClearRange(std::min(caret, end), std::max(caret, end));
            break;
        }
        default:
            caret = edit->Paste(caret, Text(in));
            break;
        }
        CheckMask(*edit);
        FUZZ_CHECK(caret >= 0 && caret <= 15);
    }
    return 0;
}
