// Command output of any bytes as text: every line ends with CR LF and no CR or LF stands
// alone; the text between the line ends is the decoded output's, in order.
#include "FuzzCommon.h"
#include "printing/untFuction.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InstallCodePage();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const String text = DecodeCommandOutput(bytes);

    if (bytes.empty()) FUZZ_CHECK(text.empty());
    if (!text.empty())
        FUZZ_CHECK(text.size() >= 2 && text.compare(text.size() - 2, 2, u"\r\n") == 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') FUZZ_CHECK(i + 1 < text.size() && text[i + 1] == u'\n');
        if (text[i] == u'\n') FUZZ_CHECK(i > 0 && text[i - 1] == u'\r');
    }
    // Plain ASCII output (no byte-order mark): the same characters, only the line ends differ.
    bool ascii = !(size >= 2 && data[0] == 0xFF && data[1] == 0xFE);
    for (unsigned char b : bytes)
        ascii = ascii && b < 0x80;
    if (ascii) {
        String kept, expected;
        for (char16_t c : text)
            if (c != u'\r' && c != u'\n') kept += c;
        for (char c : bytes)
            if (c != '\r' && c != '\n') expected += static_cast<char16_t>(c);
        FUZZ_CHECK_TEXT(kept, expected);
        // One line for each line end of the output, plus one for an unended last line.
        std::size_t ends = 0;
        for (std::size_t i = 0; i < size; ++i)
            ends +=
                bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == size || bytes[i + 1] != '\n'));
        const bool unended = size > 0 && bytes.back() != '\n' && bytes.back() != '\r';
        std::size_t lines = 0;
        for (std::size_t i = 0; i + 1 < text.size(); ++i)
            lines += text[i] == u'\r';
        FUZZ_CHECK(lines == ends + (unended ? 1 : 0));
    }
    return 0;
}
