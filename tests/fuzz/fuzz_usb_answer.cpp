// The USB library's answer on both sides. The library's simulation file parser keeps only
// valid printers; its answer writer never touches more than the caller's 255 bytes and never
// reports more entries than it wrote; and what it writes reads back in the wizard's parser
// (UsbAnswerText + ParseUsbAnswer) as exactly the printers it wrote. Raw answers of any bytes
// parse within their bounds.
#include <cstring>
#include <memory>

#include "FuzzCommon.h"
#include "UsbPrinterList.h"
#include "usb/UsbAnswer.h"

namespace {

bool IsUpperHex4(const std::string& s) {
    if (s.size() != 4) return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

// The wizard's view of the answer: bytes to the first zero (at most 255), entries split.
void CheckParse(const char* buffer, std::size_t size, std::int32_t count) {
    const String text = UsbAnswerText(buffer, size);
    const std::size_t limit = std::min<std::size_t>(size, 255);
    const std::size_t length = strnlen(buffer, limit);
    FUZZ_CHECK_TEXT(text, CodePage::Get().FromAnsi(std::string_view(buffer, length)));

    const std::vector<UsbPrinterEntry> entries = ParseUsbAnswer(text, count);
    FUZZ_CHECK(entries.size() <= static_cast<std::size_t>(std::max(count, 0)));
    std::size_t pieces = 1;
    for (char16_t c : text)
        pieces += c == u';';
    FUZZ_CHECK(entries.size() <= pieces);
    for (const UsbPrinterEntry& e : entries) {
        FUZZ_CHECK(!e.text.empty() && e.text[0] != u' ');
        FUZZ_CHECK(e.text.find(u';') == String::npos);
        FUZZ_CHECK(text.find(e.text) != String::npos);
        FUZZ_CHECK_TEXT(e.port, e.text.substr(0, 6));
        for (const String* piece : {&e.vid, &e.pid}) {
            FUZZ_CHECK(piece->size() <= 8 && e.text.find(*piece) != String::npos);
        }
        if (e.text.find(u"VID") != String::npos) FUZZ_CHECK(e.vid.compare(0, 3, u"VID") == 0);
        if (e.text.find(u"PID") != String::npos) FUZZ_CHECK(e.pid.compare(0, 3, u"PID") == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InstallCodePage();
    FuzzedDataProvider in(data, size);
    const auto mode = in.ConsumeIntegralInRange<int>(0, 1);
    const auto capacity = in.ConsumeIntegralInRange<std::size_t>(0, 300);
    const auto count = in.ConsumeIntegral<std::int32_t>();
    const std::string bytes = in.ConsumeRemainingBytesAsString();

    if (mode == 0) {
        // The simulation file: only valid, distinct printers come out.
        const usblib::SimulationFile file = usblib::ParseSimulationFile(bytes);
        std::size_t lines = 1;
        for (char c : bytes)
            lines += c == '\n';
        FUZZ_CHECK(file.printers.size() + file.problems.size() <= lines);
        std::vector<std::string> names;
        for (const usblib::UsbPrinter& p : file.printers) {
            FUZZ_CHECK(usblib::IsPortName(p.port));
            FUZZ_CHECK(IsUpperHex4(p.vid) && IsUpperHex4(p.pid));
            for (const std::string& other : names)
                FUZZ_CHECK(other.compare(0, 6, p.port) != 0);
            names.push_back(usblib::NameListEntry(p));
        }
        // The answer as the DLL writes it into the wizard's 255 bytes, and read back.
        std::unique_ptr<char[]> answer(new char[usblib::kAnswerBufferSize]);
        const int written =
            usblib::WriteEntries(names, ';', answer.get(), usblib::kAnswerBufferSize);
        FUZZ_CHECK(written >= 0 && static_cast<std::size_t>(written) <= names.size());
        FUZZ_CHECK(strnlen(answer.get(), usblib::kAnswerBufferSize) < usblib::kAnswerBufferSize);
        const std::vector<UsbPrinterEntry> entries =
            ParseUsbAnswer(UsbAnswerText(answer.get(), usblib::kAnswerBufferSize), written);
        FUZZ_CHECK(entries.size() == static_cast<std::size_t>(written));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            FUZZ_CHECK(ToUtf8(entries[i].text) == names[i]);
            FUZZ_CHECK(ToUtf8(entries[i].port) == file.printers[i].port);
            FUZZ_CHECK(ToUtf8(entries[i].vid) == "VID_" + file.printers[i].vid);
            FUZZ_CHECK(ToUtf8(entries[i].pid) == "PID_" + file.printers[i].pid);
        }
        // Only an entry that did not fit is left out, and then the rest too.
        if (static_cast<std::size_t>(written) < names.size()) {
            std::size_t used = 0;
            for (int i = 0; i < written; ++i)
                used += names[static_cast<std::size_t>(i)].size() + 1;
            FUZZ_CHECK(used + names[static_cast<std::size_t>(written)].size() + 1 >
                       usblib::kAnswerBufferSize);
        }
        return 0;
    }

    // Any entries (blank, with separators or zeros) into a buffer of any size: the writer stays
    // inside it, and the count it reports is what a reader finds.
    std::vector<std::string> entries;
    for (std::size_t start = 0; start <= bytes.size();) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        entries.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    std::unique_ptr<char[]> out(new char[capacity ? capacity : 1]);
    const int written =
        usblib::WriteEntries(entries, ';', capacity ? out.get() : nullptr, capacity);
    FUZZ_CHECK(written >= 0 && static_cast<std::size_t>(written) <= entries.size());
    if (capacity > 0) {
        const std::size_t length = strnlen(out.get(), capacity);
        FUZZ_CHECK(length < capacity);
        std::size_t separators = 0;
        for (std::size_t i = 0; i < length; ++i)
            separators += out[i] == ';';
        FUZZ_CHECK(written == 0 ? length == 0
                                : separators + 1 == static_cast<std::size_t>(written));
        CheckParse(out.get(), capacity, count);
    } else {
        FUZZ_CHECK(written == 0);
    }
    CheckParse(bytes.data(), bytes.size(), count);
    return 0;
}
