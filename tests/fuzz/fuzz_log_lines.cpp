// The install log's lines from any text a run shows or a command prints: whatever the text
// holds, every line the log gets ends in CR LF, none starts at the margin but the entry's first
// (so nothing a command prints can pass for an entry of the log's own), a command's lines are
// all marked, and the bytes are valid UTF-8 for any editor support opens the log in.
#include "FuzzCommon.h"
#include "session/InstallLog.h"

namespace {

String AnyText(FuzzedDataProvider& in) {
    String text;
    while (in.remaining_bytes() >= 2)
        text += static_cast<char16_t>(in.ConsumeIntegral<std::uint16_t>());
    return text;
}

bool ValidUtf8(const std::string& bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        std::size_t n = c < 0x80         ? 1
                        : (c >> 5) == 6  ? 2
                        : (c >> 4) == 14 ? 3
                        : (c >> 3) == 30 ? 4
                                         : 0;
        if (n == 0 || i + n > bytes.size()) return false;
        std::uint32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto d = static_cast<unsigned char>(bytes[i + k]);
            if ((d >> 6) != 2) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((n == 2 && cp < 0x80) || (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) ||
            cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n;
    }
    return true;
}

void CheckLines(const std::string& lines, bool marked) {
    FUZZ_CHECK(lines.size() >= 2 && lines.compare(lines.size() - 2, 2, "\r\n") == 0);
    FUZZ_CHECK(ValidUtf8(lines));
    std::size_t start = 0;
    bool first = true;
    while (start < lines.size()) {
        const std::size_t end = lines.find("\r\n", start);
        FUZZ_CHECK(end != std::string::npos);
        const std::string line = lines.substr(start, end - start);
        FUZZ_CHECK(line.find('\r') == std::string::npos && line.find('\n') == std::string::npos);
        if (!first) FUZZ_CHECK(line.compare(0, 4, "    ") == 0);
        if (marked) FUZZ_CHECK(line.compare(first ? 0 : 4, 2, "| ") == 0);
        first = false;
        start = end + 2;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const String text = AnyText(in);
    CheckLines(installlog::EntryLines(text), false);
    CheckLines(installlog::EntryLines(installlog::MarkedOutput(text)), true);
    return 0;
}
