#include "platform/emulated/ProfileDocument.h"

namespace {

// Upper case of the letters that have a simple one: ASCII, Latin-1, Latin Extended-A, Greek,
// Cyrillic and the full-width Latin letters. Windows folds with a full table; names in
// settings files are ASCII in practice, this keeps the common European letters right too.
char16_t Upcase(char16_t c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return static_cast<char16_t>(c & ~1u);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1u) ? c : static_cast<char16_t>(c - 1);
    if (c >= 0x3B1 && c <= 0x3C9)
        return c == 0x3C2 ? char16_t{0x3A3} : static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);
    return c;
}

String TrimBlanks(StringView text) {
    std::size_t b = 0, e = text.size();
    while (b < e && ProfileDocument::IsBlank(text[b]))
        ++b;
    while (e > b && ProfileDocument::IsBlank(text[e - 1]))
        --e;
    return String(text.substr(b, e - b));
}

// One pair of the same quote marks around the whole value goes; a lone quote stays.
String Unquote(String value) {
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == u'"' || value.front() == u'\''))
        return value.substr(1, value.size() - 2);
    return value;
}

bool IsLineEnd(char16_t unit) {
    return unit == u'\r' || unit == u'\n';
}

} // namespace

bool ProfileDocument::SameName(StringView a, StringView b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upcase(a[i]) != Upcase(b[i])) return false;
    return true;
}

ProfileDocument::ProfileDocument(std::string bytes, ICodePage& codePage)
    : bytes_(std::move(bytes)), codePage_(codePage) {
    utf16_ = bytes_.size() >= 2 && static_cast<unsigned char>(bytes_[0]) == 0xFF &&
             static_cast<unsigned char>(bytes_[1]) == 0xFE;
    if (utf16_) {
        start_ = 2;
        width_ = 2;
        // An odd last byte is no unit: it is not read and stays at the end on writes.
        units_ = FromUtf16Le(std::string_view(bytes_).substr(start_));
    } else {
        units_.resize(bytes_.size());
        for (std::size_t i = 0; i < units_.size(); ++i)
            units_[i] = static_cast<unsigned char>(bytes_[i]);
    }

    std::size_t lineEnds = 0;
    for (char16_t unit : units_)
        lineEnds += IsLineEnd(unit);
    lines_.reserve(lineEnds + 1);
    // Lines end at CR LF, LF or CR.
    for (std::size_t i = 0; i < Units();) {
        Line line;
        line.begin = i;
        while (i < Units() && !IsLineEnd(units_[i]))
            ++i;
        line.end = i;
        if (i < Units())
            i += (units_[i] == u'\r' && i + 1 < Units() && units_[i + 1] == u'\n') ? 2 : 1;
        line.next = i;
        ParseLine(line);
        if (line.kind == Kind::Header) {
            if (!sections_.empty()) sections_.back().end = lines_.size();
            sections_.push_back({lines_.size(), lines_.size() + 1});
        }
        lines_.push_back(std::move(line));
    }
    if (!sections_.empty()) sections_.back().end = lines_.size();
}

String ProfileDocument::Decode(std::size_t begin, std::size_t end) const {
    if (utf16_) return units_.substr(begin, end - begin);
    bool ascii = true;
    for (std::size_t i = begin; i < end && ascii; ++i)
        ascii = units_[i] < 0x80;
    if (ascii) return units_.substr(begin, end - begin);
    return codePage_.FromAnsi(std::string_view(bytes_).substr(begin, end - begin));
}

std::string ProfileDocument::Encode(StringView text) const {
    return utf16_ ? ToUtf16Le(text) : codePage_.ToAnsi(text);
}

void ProfileDocument::ParseLine(Line& line) const {
    std::size_t p = line.begin;
    while (p < line.end && IsBlank(units_[p]))
        ++p;
    if (p == line.end) return;
    if (units_[p] == u'[') {
        // The name ends at the first ']' or at the line end; text after ']' is ignored.
        String rest = Decode(p + 1, line.end);
        const std::size_t close = rest.find(u']');
        if (close != String::npos) rest.resize(close);
        line.kind = Kind::Header;
        line.name = TrimBlanks(rest);
        return;
    }
    if (units_[p] == u';') {
        line.kind = Kind::Comment;
        return;
    }
    for (std::size_t q = p; q < line.end; ++q) {
        if (units_[q] != u'=') continue;
        line.kind = Kind::Key;
        line.equals = q;
        line.name = TrimBlanks(Decode(p, q));
        return;
    }
}

String ProfileDocument::ValueOf(const Line& line) const {
    // Blanks are single units in every encoding here, so they can go before decoding.
    std::size_t b = line.equals + 1, e = line.end;
    while (b < e && IsBlank(units_[b]))
        ++b;
    while (e > b && IsBlank(units_[e - 1]))
        --e;
    return Unquote(Decode(b, e));
}

const ProfileDocument::Section* ProfileDocument::FindSection(StringView name) const {
    for (const auto& section : sections_)
        if (SameName(lines_[section.header].name, name)) return &section;
    return nullptr;
}

const ProfileDocument::Line* ProfileDocument::FindKey(const Section& section,
                                                      StringView key) const {
    for (std::size_t i = section.header + 1; i < section.end; ++i)
        if (lines_[i].kind == Kind::Key && SameName(lines_[i].name, key)) return &lines_[i];
    return nullptr;
}

std::optional<String> ProfileDocument::Value(StringView section, StringView key) const {
    const Section* s = FindSection(section);
    if (!s) return std::nullopt;
    const Line* line = FindKey(*s, key);
    if (!line) return std::nullopt;
    return ValueOf(*line);
}

StringList ProfileDocument::SectionNames() const {
    StringList names;
    for (const auto& section : sections_)
        names.push_back(lines_[section.header].name);
    return names;
}

std::optional<StringList> ProfileDocument::KeyNames(StringView section) const {
    const Section* s = FindSection(section);
    if (!s) return std::nullopt;
    StringList names;
    for (std::size_t i = s->header + 1; i < s->end; ++i)
        if (lines_[i].kind == Kind::Key) names.push_back(lines_[i].name);
    return names;
}

std::string ProfileDocument::Spliced(std::size_t from, std::size_t to,
                                     const std::string& insert) const {
    std::string out;
    out.reserve(bytes_.size() - (to - from) + insert.size());
    out.append(bytes_, 0, from);
    out += insert;
    out.append(bytes_, to, std::string::npos);
    return out;
}

std::string ProfileDocument::WithValue(StringView section, StringView key, StringView value) const {
    const String entry = String(key) + u"=" + String(value) + u"\r\n";
    const Section* s = FindSection(section);
    if (!s) {
        // A new section goes at the end, on a line of its own.
        String text;
        if (Units() > 0 && !IsLineEnd(units_.back())) text = u"\r\n";
        text += u"[" + String(section) + u"]\r\n" + entry;
        const std::size_t end = Offset(Units());
        return Spliced(end, end, Encode(text));
    }
    if (const Line* line = FindKey(*s, key)) {
        // The line keeps its text up to its first '=' and its own line end.
        const bool ended = line->next > line->end;
        return Spliced(Offset(line->equals + 1), Offset(line->end),
                       Encode(ended ? String(value) : String(value) + u"\r\n"));
    }
    // A new key follows the section's last key (or its header), before any comments.
    std::size_t after = s->header;
    for (std::size_t i = s->header + 1; i < s->end; ++i)
        if (lines_[i].kind == Kind::Key) after = i;
    const Line& anchor = lines_[after];
    if (anchor.next > anchor.end)
        return Spliced(Offset(anchor.next), Offset(anchor.next), Encode(entry));
    return Spliced(Offset(anchor.end), Offset(anchor.end), Encode(u"\r\n" + entry));
}

std::string ProfileDocument::WithoutKey(StringView section, StringView key) const {
    const Section* s = FindSection(section);
    const Line* line = s ? FindKey(*s, key) : nullptr;
    if (!line) return bytes_;
    return Spliced(Offset(line->begin), Offset(line->next), {});
}

std::string ProfileDocument::WithoutSection(StringView section) const {
    const Section* s = FindSection(section);
    if (!s) return bytes_;
    // The header and the keys go; comments and other lines stay where they are.
    std::string out(bytes_, 0, Offset(lines_[s->header].begin));
    for (std::size_t i = s->header + 1; i < s->end; ++i)
        if (lines_[i].kind != Kind::Key)
            out.append(bytes_, Offset(lines_[i].begin),
                       Offset(lines_[i].next) - Offset(lines_[i].begin));
    const std::size_t tail =
        s->end < lines_.size() ? Offset(lines_[s->end].begin) : Offset(lines_.back().next);
    out.append(bytes_, tail, std::string::npos);
    return out;
}
