// Model lines of [model_POS] through CutModelLine: pieces are never empty, never start with a
// blank or line end, appear in the line in order, and hold a separator only inside quotes.
// Without quotes the cut is a plain split at commas and line ends.
#include "FuzzCommon.h"
#include "install/untModels.h"

namespace {

bool Separates(char16_t c) {
    return c == u',' || c == u'\r' || c == u'\n';
}

// The cut of a line without quote marks, written from its rule.
StringList PlainCut(StringView line) {
    StringList pieces;
    String piece;
    bool leading = true;
    for (char16_t c : line) {
        if (Separates(c)) {
            if (!piece.empty()) pieces.push_back(piece);
            piece.clear();
            leading = true;
        } else if (!(leading && c == u' ')) {
            piece += c;
            leading = false;
        }
    }
    if (!piece.empty()) pieces.push_back(piece);
    return pieces;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InstallCodePage();
    const String line =
        fuzz::Latin1Text(std::string_view(reinterpret_cast<const char*>(data), size));
    const StringList pieces = CutModelLine(line);

    std::size_t from = 0;
    for (const String& piece : pieces) {
        FUZZ_CHECK(!piece.empty());
        FUZZ_CHECK(piece[0] != u' ' && piece[0] != u'\r' && piece[0] != u'\n');
        const std::size_t at = line.find(piece, from);
        FUZZ_CHECK(at != String::npos);
        from = at + piece.size();
        // Separators only inside a quoted stretch; an unclosed quote runs to the line's end.
        for (std::size_t i = 0; i < piece.size(); ++i) {
            const char16_t c = piece[i];
            if (c == u'"' || c == u'\'') {
                const std::size_t close = piece.find(c, i + 1);
                if (close == String::npos) {
                    FUZZ_CHECK(from == line.size());
                    break;
                }
                i = close;
            } else {
                FUZZ_CHECK(!Separates(c));
            }
        }
    }
    if (line.find_first_of(u"\"'") == String::npos) FUZZ_CHECK(pieces == PlainCut(line));
    return 0;
}
