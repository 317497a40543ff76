#include "dialogs/DialogLayouts.h"

namespace {

const ui::ControlPlace kAboutPlaces[] = {
    {u"Panel1", nullptr, {8, 8, 553, 281}},
    {u"imgLogo", u"Panel1", {8, 8, 81, 73}},
    {u"lblCompanyName", u"Panel1", {95, 19, 386, 25}},
    {u"lblCompanyNameEN", u"Panel1", {95, 50, 386, 25}},
    {u"imgQR", u"Panel1", {351, 88, 186, 183}},
    {u"Memo1", u"Panel1", {8, 96, 337, 183}},
    {u"lblWeb", nullptr, {16, 307, 329, 18}},
    {u"OKButton", nullptr, {470, 306, 75, 25}},
};

const ui::ControlPlace kWaitPlaces[] = {
    {u"Label1", nullptr, {24, 14, 481, 51}},
    {u"mmoWait", nullptr, {24, 71, 481, 218}},
    {u"pbWait", nullptr, {24, 305, 391, 17}},
    {u"BitBtn1", nullptr, {421, 300, 84, 27}},
    // Below the bar, clear of the button: the existing controls keep their places.
    {u"lblLog", nullptr, {24, 327, 240, 14}},
};

} // namespace

const ui::ControlPlace& AboutPlace(StringView name) {
    return ui::FindPlace(kAboutPlaces, name);
}

const ui::ControlPlace& WaitPlace(StringView name) {
    return ui::FindPlace(kWaitPlaces, name);
}
