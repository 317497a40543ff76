#include "config/AccessKeys.h"

namespace {

// The button row: About, Previous, Next, Install, Quit (the About dialog's button shows the
// Quit caption too, alone), with what a page adds to it.
std::vector<const CaptionKey*> WithButtonRow(std::initializer_list<const CaptionKey*> page) {
    std::vector<const CaptionKey*> keys{&caption::kAboutButton, &caption::kPreviousButton,
                                        &caption::kNextButton, &caption::kInstallButton,
                                        &caption::kQuitButton};
    keys.insert(keys.end(), page);
    return keys;
}

} // namespace

const std::vector<AccessKeyScreen>& AccessKeyScreens() {
    static const std::vector<AccessKeyScreen> screens{
        {u"the main window's buttons", WithButtonRow({})},
        {u"the connection page", WithButtonRow({&caption::kNetworkRadio, &caption::kUsbRadio,
                                                &caption::kSerialRadio, &caption::kParallelRadio})},
        {u"the USB page", WithButtonRow({&caption::kFindUsbButton})},
        {u"the wait dialog", {&caption::kWaitButton}},
    };
    return screens;
}
