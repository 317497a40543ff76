#include "config/AccessKeys.h"

namespace {

// The button row: About, Previous, Next, Install, Quit (the About dialog's button shows
// CAPTION_16 too, alone), with what a page adds to it.
std::vector<const char16_t*> WithButtonRow(std::initializer_list<const char16_t*> page) {
    std::vector<const char16_t*> keys{u"CAPTION_12", u"CAPTION_13", u"CAPTION_14", u"CAPTION_15",
                                      u"CAPTION_16"};
    keys.insert(keys.end(), page);
    return keys;
}

} // namespace

const std::vector<AccessKeyScreen>& AccessKeyScreens() {
    static const std::vector<AccessKeyScreen> screens{
        {u"the main window's buttons", WithButtonRow({})},
        {u"the connection page",
         WithButtonRow({u"CAPTION_2", u"CAPTION_3", u"CAPTION_4", u"CAPTION_5"})},
        {u"the USB page", WithButtonRow({u"CAPTION_17"})},
        {u"the wait dialog", {u"CAPTION_51"}},
    };
    return screens;
}
