#include "usb/UsbAnswer.h"

#include <algorithm>
#include <cstring>

#include "platform/CodePage.h"

namespace {

String Piece(const String& entry, StringView letters) {
    const size_t at = entry.find(letters);
    return entry.substr(at == String::npos ? 0 : at, 8);
}

} // namespace

String UsbAnswerText(const char* buffer, std::size_t size) {
    const std::size_t limit = std::min<std::size_t>(size, 255);
    const void* zero = std::memchr(buffer, 0, limit);
    const std::size_t length = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - buffer) : limit;
    return CodePage::Get().FromAnsi(std::string_view(buffer, length));
}

std::vector<UsbPrinterEntry> ParseUsbAnswer(const String& text, std::int32_t count) {
    std::vector<UsbPrinterEntry> entries;
    if (count <= 0) return entries;
    size_t start = 0;
    while (start <= text.size() && entries.size() < static_cast<size_t>(count)) {
        size_t end = text.find(u';', start);
        if (end == String::npos) end = text.size();
        size_t b = start;
        while (b < end && text[b] == u' ') ++b;
        if (b < end) {
            UsbPrinterEntry e;
            e.text = text.substr(b, end - b);
            e.port = e.text.substr(0, 6);
            e.vid = Piece(e.text, u"VID");
            e.pid = Piece(e.text, u"PID");
            entries.push_back(std::move(e));
        }
        start = end + 1;
    }
    return entries;
}
