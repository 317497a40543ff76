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

ModelTableBuild BuildModelTable(const StringList& lines) {
    ModelTableBuild table;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const StringList pieces = CutModelLine(lines[i]);
        if (pieces.size() < 3) {
            // The first piece the line lacks is the index read past the end.
            table.fault =
                u"List index out of bounds (" + IntToStr(static_cast<int>(pieces.size())) + u")";
            table.faultLine = i;
            break;
        }
        table.models.push_back({pieces[0], pieces[1], pieces[2], String()});
    }
    return table;
}

std::vector<TPrintModelInfo> ModelTable(const StringList& lines) {
    ModelTableBuild table = BuildModelTable(lines);
    if (table.fault) throw EListError(*table.fault);
    return std::move(table.models);
}
