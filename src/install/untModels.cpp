#include "install/untModels.h"

#include "base/Errors.h"

StringList CutModelLine(StringView line) {
    StringList pieces;
    const size_t n = line.size();
    size_t i = 0;
    auto separates = [](char16_t c) { return c == u',' || c == u'\r' || c == u'\n'; };
    while (i < n) {
        while (i < n && (line[i] == u' ' || line[i] == u'\r' || line[i] == u'\n')) ++i;
        if (i >= n) break;
        String piece;
        while (i < n && !separates(line[i])) {
            const char16_t c = line[i];
            if (c == u'"' || c == u'\'') {
                // A quoted stretch keeps its quotes and its commas.
                const size_t close = line.find(c, i + 1);
                const size_t end = close == StringView::npos ? n : close + 1;
                piece.append(line.substr(i, end - i));
                i = end;
            } else {
                piece += c;
                ++i;
            }
        }
        if (i < n) ++i; // the separator
        if (!piece.empty()) pieces.push_back(std::move(piece));
    }
    return pieces;
}

std::vector<TPrintModelInfo> ModelTable(const StringList& lines) {
    std::vector<TPrintModelInfo> table;
    for (const String& line : lines) {
        const StringList pieces = CutModelLine(line);
        if (pieces.size() < 3)
            throw EListError(u"List index out of bounds (" +
                             IntToStr(static_cast<int>(pieces.size())) + u")");
        table.push_back({pieces[0], pieces[1], pieces[2], String()});
    }
    return table;
}
