#include "platform/windows/WinServices.h"

namespace {

class WinCodePage final : public ICodePage {
public:
    unsigned AnsiCodePage() override { return GetACP(); }

    std::string ToAnsi(StringView text) override { return ToCodePage(CP_ACP, text); }

    std::string ToCodePage(unsigned codePage, StringView text) override {
        if (text.empty()) return {};
        // Windows has GB18030 since XP; Wine 8 lacks it. Its two-byte codes are GBK's (936),
        // so every character GBK has gets the same bytes; the rest become '?'.
        if (codePage == kCodePageGb18030 && !IsValidCodePage(codePage)) codePage = 936;
        const auto* w = reinterpret_cast<const wchar_t*>(text.data());
        const int n = WideCharToMultiByte(codePage, 0, w, static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
        std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
        if (n > 0)
            WideCharToMultiByte(codePage, 0, w, static_cast<int>(text.size()), out.data(), n,
                                nullptr, nullptr);
        return out;
    }

    String FromAnsi(std::string_view bytes) override {
        if (bytes.empty()) return {};
        const int n =
            MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        String out(static_cast<size_t>(n > 0 ? n : 0), u'\0');
        if (n > 0)
            MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                reinterpret_cast<wchar_t*>(out.data()), n);
        return out;
    }
};

} // namespace

ICodePage& WindowsCodePage() {
    static WinCodePage instance;
    return instance;
}
