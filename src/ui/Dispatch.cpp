#include "ui/Dispatch.h"

#include "base/Errors.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"

namespace ui {

void DispatchEvent(const std::function<void()>& event) {
    try {
        event();
    } catch (const Exception& e) {
        ShowStandardErrorBox(e.Message());
    } catch (const std::exception& e) {
        ShowStandardErrorBox(FromUtf8(e.what()));
    }
}

String ApplicationTitleFrom(StringView modulePath) {
    size_t start = modulePath.find_last_of(u"\\/:");
    start = (start == StringView::npos) ? 0 : start + 1;
    StringView name = modulePath.substr(start);
    name = name.substr(0, name.find(u'.'));
    if (name.empty()) return {};
    return String(1, name[0]) + LowerCase(name.substr(1));
}

String ApplicationTitle() {
    return Files::Installed() ? ApplicationTitleFrom(Files::Get().ModuleFileName()) : String();
}

void ShowStandardErrorBox(const String& message) {
    String text = message;
    if (!text.empty() && text.back() > u'.') text += u'.';
    Dialogs::Get().MessageBox(text, ApplicationTitle(), mb::OK | mb::ICONERROR);
}

} // namespace ui
