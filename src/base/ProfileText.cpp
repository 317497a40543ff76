#include "base/ProfileText.h"

#include <algorithm>
#include <utility>

namespace {

// Windows folds names with its own upper-case table: Unicode's simple upper case of the BMP,
// except that dotless i (U+0131) stays as it is. Runs of {first, last, delta, step}: every
// step-th unit from first to last has its upper case at unit + delta.
struct CaseRun {
    char16_t first, last;
    std::int32_t delta;
    std::uint8_t step;
};
constexpr CaseRun kUpperCase[] = {
    {0x0061, 0x007A, -32, 1},    {0x00B5, 0x00B5, 743, 1},   {0x00E0, 0x00F6, -32, 1},
    {0x00F8, 0x00FE, -32, 1},    {0x00FF, 0x00FF, 121, 1},   {0x0101, 0x012F, -1, 2},
    {0x0133, 0x0137, -1, 2},     {0x013A, 0x0148, -1, 2},    {0x014B, 0x0177, -1, 2},
    {0x017A, 0x017E, -1, 2},     {0x017F, 0x017F, -300, 1},  {0x0180, 0x0180, 195, 1},
    {0x0183, 0x0185, -1, 2},     {0x0188, 0x0188, -1, 1},    {0x018C, 0x018C, -1, 1},
    {0x0192, 0x0192, -1, 1},     {0x0195, 0x0195, 97, 1},    {0x0199, 0x0199, -1, 1},
    {0x019A, 0x019A, 163, 1},    {0x019E, 0x019E, 130, 1},   {0x01A1, 0x01A5, -1, 2},
    {0x01A8, 0x01A8, -1, 1},     {0x01AD, 0x01AD, -1, 1},    {0x01B0, 0x01B0, -1, 1},
    {0x01B4, 0x01B6, -1, 2},     {0x01B9, 0x01B9, -1, 1},    {0x01BD, 0x01BD, -1, 1},
    {0x01BF, 0x01BF, 56, 1},     {0x01C5, 0x01C5, -1, 1},    {0x01C6, 0x01C6, -2, 1},
    {0x01C8, 0x01C8, -1, 1},     {0x01C9, 0x01C9, -2, 1},    {0x01CB, 0x01CB, -1, 1},
    {0x01CC, 0x01CC, -2, 1},     {0x01CE, 0x01DC, -1, 2},    {0x01DD, 0x01DD, -79, 1},
    {0x01DF, 0x01EF, -1, 2},     {0x01F2, 0x01F2, -1, 1},    {0x01F3, 0x01F3, -2, 1},
    {0x01F5, 0x01F5, -1, 1},     {0x01F9, 0x021F, -1, 2},    {0x0223, 0x0233, -1, 2},
    {0x023C, 0x023C, -1, 1},     {0x023F, 0x0240, 10815, 1}, {0x0242, 0x0242, -1, 1},
    {0x0247, 0x024F, -1, 2},     {0x0250, 0x0250, 10783, 1}, {0x0251, 0x0251, 10780, 1},
    {0x0252, 0x0252, 10782, 1},  {0x0253, 0x0253, -210, 1},  {0x0254, 0x0254, -206, 1},
    {0x0256, 0x0257, -205, 1},   {0x0259, 0x0259, -202, 1},  {0x025B, 0x025B, -203, 1},
    {0x025C, 0x025C, 42319, 1},  {0x0260, 0x0260, -205, 1},  {0x0261, 0x0261, 42315, 1},
    {0x0263, 0x0263, -207, 1},   {0x0265, 0x0265, 42280, 1}, {0x0266, 0x0266, 42308, 1},
    {0x0268, 0x0268, -209, 1},   {0x0269, 0x0269, -211, 1},  {0x026A, 0x026A, 42308, 1},
    {0x026B, 0x026B, 10743, 1},  {0x026C, 0x026C, 42305, 1}, {0x026F, 0x026F, -211, 1},
    {0x0271, 0x0271, 10749, 1},  {0x0272, 0x0272, -213, 1},  {0x0275, 0x0275, -214, 1},
    {0x027D, 0x027D, 10727, 1},  {0x0280, 0x0280, -218, 1},  {0x0282, 0x0282, 42307, 1},
    {0x0283, 0x0283, -218, 1},   {0x0287, 0x0287, 42282, 1}, {0x0288, 0x0288, -218, 1},
    {0x0289, 0x0289, -69, 1},    {0x028A, 0x028B, -217, 1},  {0x028C, 0x028C, -71, 1},
    {0x0292, 0x0292, -219, 1},   {0x029D, 0x029D, 42261, 1}, {0x029E, 0x029E, 42258, 1},
    {0x0345, 0x0345, 84, 1},     {0x0371, 0x0373, -1, 2},    {0x0377, 0x0377, -1, 1},
    {0x037B, 0x037D, 130, 1},    {0x03AC, 0x03AC, -38, 1},   {0x03AD, 0x03AF, -37, 1},
    {0x03B1, 0x03C1, -32, 1},    {0x03C2, 0x03C2, -31, 1},   {0x03C3, 0x03CB, -32, 1},
    {0x03CC, 0x03CC, -64, 1},    {0x03CD, 0x03CE, -63, 1},   {0x03D0, 0x03D0, -62, 1},
    {0x03D1, 0x03D1, -57, 1},    {0x03D5, 0x03D5, -47, 1},   {0x03D6, 0x03D6, -54, 1},
    {0x03D7, 0x03D7, -8, 1},     {0x03D9, 0x03EF, -1, 2},    {0x03F0, 0x03F0, -86, 1},
    {0x03F1, 0x03F1, -80, 1},    {0x03F2, 0x03F2, 7, 1},     {0x03F3, 0x03F3, -116, 1},
    {0x03F5, 0x03F5, -96, 1},    {0x03F8, 0x03F8, -1, 1},    {0x03FB, 0x03FB, -1, 1},
    {0x0430, 0x044F, -32, 1},    {0x0450, 0x045F, -80, 1},   {0x0461, 0x0481, -1, 2},
    {0x048B, 0x04BF, -1, 2},     {0x04C2, 0x04CE, -1, 2},    {0x04CF, 0x04CF, -15, 1},
    {0x04D1, 0x052F, -1, 2},     {0x0561, 0x0586, -48, 1},   {0x13F8, 0x13FD, -8, 1},
    {0x1C80, 0x1C80, -6254, 1},  {0x1C81, 0x1C81, -6253, 1}, {0x1C82, 0x1C82, -6244, 1},
    {0x1C83, 0x1C84, -6242, 1},  {0x1C85, 0x1C85, -6243, 1}, {0x1C86, 0x1C86, -6236, 1},
    {0x1C87, 0x1C87, -6181, 1},  {0x1C88, 0x1C88, 35266, 1}, {0x1D79, 0x1D79, 35332, 1},
    {0x1D7D, 0x1D7D, 3814, 1},   {0x1D8E, 0x1D8E, 35384, 1}, {0x1E01, 0x1E95, -1, 2},
    {0x1E9B, 0x1E9B, -59, 1},    {0x1EA1, 0x1EFF, -1, 2},    {0x1F00, 0x1F07, 8, 1},
    {0x1F10, 0x1F15, 8, 1},      {0x1F20, 0x1F27, 8, 1},     {0x1F30, 0x1F37, 8, 1},
    {0x1F40, 0x1F45, 8, 1},      {0x1F51, 0x1F57, 8, 2},     {0x1F60, 0x1F67, 8, 1},
    {0x1F70, 0x1F71, 74, 1},     {0x1F72, 0x1F75, 86, 1},    {0x1F76, 0x1F77, 100, 1},
    {0x1F78, 0x1F79, 128, 1},    {0x1F7A, 0x1F7B, 112, 1},   {0x1F7C, 0x1F7D, 126, 1},
    {0x1FB0, 0x1FB1, 8, 1},      {0x1FBE, 0x1FBE, -7205, 1}, {0x1FD0, 0x1FD1, 8, 1},
    {0x1FE0, 0x1FE1, 8, 1},      {0x1FE5, 0x1FE5, 7, 1},     {0x214E, 0x214E, -28, 1},
    {0x2170, 0x217F, -16, 1},    {0x2184, 0x2184, -1, 1},    {0x24D0, 0x24E9, -26, 1},
    {0x2C30, 0x2C5F, -48, 1},    {0x2C61, 0x2C61, -1, 1},    {0x2C65, 0x2C65, -10795, 1},
    {0x2C66, 0x2C66, -10792, 1}, {0x2C68, 0x2C6C, -1, 2},    {0x2C73, 0x2C73, -1, 1},
    {0x2C76, 0x2C76, -1, 1},     {0x2C81, 0x2CE3, -1, 2},    {0x2CEC, 0x2CEE, -1, 2},
    {0x2CF3, 0x2CF3, -1, 1},     {0x2D00, 0x2D25, -7264, 1}, {0x2D27, 0x2D27, -7264, 1},
    {0x2D2D, 0x2D2D, -7264, 1},  {0xA641, 0xA66D, -1, 2},    {0xA681, 0xA69B, -1, 2},
    {0xA723, 0xA72F, -1, 2},     {0xA733, 0xA76F, -1, 2},    {0xA77A, 0xA77C, -1, 2},
    {0xA77F, 0xA787, -1, 2},     {0xA78C, 0xA78C, -1, 1},    {0xA791, 0xA793, -1, 2},
    {0xA794, 0xA794, 48, 1},     {0xA797, 0xA7A9, -1, 2},    {0xA7B5, 0xA7C3, -1, 2},
    {0xA7C8, 0xA7CA, -1, 2},     {0xA7D1, 0xA7D1, -1, 1},    {0xA7D7, 0xA7D9, -1, 2},
    {0xA7F6, 0xA7F6, -1, 1},     {0xAB53, 0xAB53, -928, 1},  {0xAB70, 0xABBF, -38864, 1},
    {0xFF41, 0xFF5A, -32, 1},
};

char16_t UpperOf(char16_t c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
    const CaseRun* run =
        std::upper_bound(std::begin(kUpperCase), std::end(kUpperCase), c,
                         [](char16_t unit, const CaseRun& r) { return unit < r.first; });
    if (run == std::begin(kUpperCase)) return c;
    --run;
    if (c > run->last || (c - run->first) % run->step != 0) return c;
    return static_cast<char16_t>(c + run->delta);
}

String TrimBlanks(StringView text) {
    std::size_t b = 0, e = text.size();
    while (b < e && ProfileText::IsBlank(text[b]))
        ++b;
    while (e > b && ProfileText::IsBlank(text[e - 1]))
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

bool ProfileText::SameName(StringView a, StringView b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && UpperOf(a[i]) != UpperOf(b[i])) return false;
    return true;
}

ProfileText::ProfileText(std::string bytes, Ansi ansi)
    : bytes_(std::move(bytes)), ansi_(std::move(ansi)) {
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

String ProfileText::Decode(std::size_t begin, std::size_t end) const {
    if (utf16_) return units_.substr(begin, end - begin);
    bool ascii = true;
    for (std::size_t i = begin; i < end && ascii; ++i)
        ascii = units_[i] < 0x80;
    if (ascii) return units_.substr(begin, end - begin);
    return ansi_.decode(std::string_view(bytes_).substr(begin, end - begin));
}

std::string ProfileText::Encode(StringView text) const {
    if (utf16_) return ToUtf16Le(text);
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x80) return ansi_.encode(text);
        out += static_cast<char>(c);
    }
    return out;
}

void ProfileText::ParseLine(Line& line) const {
    std::size_t p = line.begin;
    while (p < line.end && IsBlank(units_[p]))
        ++p;
    if (p == line.end) return;
    if (units_[p] == u'[') {
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

std::size_t ProfileText::LineAt(std::size_t offset) const {
    const auto found = std::upper_bound(
        lines_.begin(), lines_.end(), offset,
        [this](std::size_t at, const Line& line) { return at < ByteOffset(line.next); });
    if (found != lines_.end()) return static_cast<std::size_t>(found - lines_.begin());
    return lines_.size() - ((lines_.empty() || lines_.back().Ended()) ? 0 : 1);
}

String ProfileText::ValueOf(const Line& key) const {
    // Blanks are single units in every encoding here, so they can go before decoding.
    std::size_t b = key.equals + 1, e = key.end;
    while (b < e && IsBlank(units_[b]))
        ++b;
    while (e > b && IsBlank(units_[e - 1]))
        --e;
    return Unquote(Decode(b, e));
}

const ProfileText::Section* ProfileText::FindSection(StringView name) const {
    for (const auto& section : sections_)
        if (SameName(lines_[section.header].name, name)) return &section;
    return nullptr;
}

const ProfileText::Line* ProfileText::FindKey(const Section& section, StringView key) const {
    for (std::size_t i = section.header + 1; i < section.end; ++i)
        if (lines_[i].kind == Kind::Key && SameName(lines_[i].name, key)) return &lines_[i];
    return nullptr;
}

std::optional<String> ProfileText::Value(StringView section, StringView key) const {
    const Section* s = FindSection(section);
    if (!s) return std::nullopt;
    const Line* line = FindKey(*s, key);
    if (!line) return std::nullopt;
    return ValueOf(*line);
}

StringList ProfileText::SectionNames() const {
    StringList names;
    for (const auto& section : sections_)
        names.push_back(lines_[section.header].name);
    return names;
}

std::optional<StringList> ProfileText::KeyNames(StringView section) const {
    const Section* s = FindSection(section);
    if (!s) return std::nullopt;
    StringList names;
    for (std::size_t i = s->header + 1; i < s->end; ++i)
        if (lines_[i].kind == Kind::Key) names.push_back(lines_[i].name);
    return names;
}

std::string ProfileText::Spliced(std::size_t from, std::size_t to,
                                 const std::string& insert) const {
    std::string out;
    out.reserve(bytes_.size() - (to - from) + insert.size());
    out.append(bytes_, 0, from);
    out += insert;
    out.append(bytes_, to, std::string::npos);
    return out;
}

std::string ProfileText::WithValue(StringView section, StringView key, StringView value) const {
    const String entry = String(key) + u"=" + String(value) + u"\r\n";
    const Section* s = FindSection(section);
    if (!s) {
        // A new section goes at the end, on a line of its own; an odd last byte of a UTF-16LE
        // file stays last.
        String text;
        if (Units() > 0 && !IsLineEnd(units_.back())) text = u"\r\n";
        text += u"[" + String(section) + u"]\r\n" + entry;
        const std::size_t end = ByteOffset(Units());
        return Spliced(end, end, Encode(text));
    }
    if (const Line* line = FindKey(*s, key)) {
        // The line keeps its text up to its first '=' and its own line end.
        return Spliced(ByteOffset(line->equals + 1), ByteOffset(line->end),
                       Encode(line->Ended() ? String(value) : String(value) + u"\r\n"));
    }
    // A new key follows the section's last key (or its header), before any comments.
    std::size_t after = s->header;
    for (std::size_t i = s->header + 1; i < s->end; ++i)
        if (lines_[i].kind == Kind::Key) after = i;
    const Line& anchor = lines_[after];
    if (anchor.Ended())
        return Spliced(ByteOffset(anchor.next), ByteOffset(anchor.next), Encode(entry));
    return Spliced(ByteOffset(anchor.end), ByteOffset(anchor.end), Encode(u"\r\n" + entry));
}

std::string ProfileText::WithoutKey(StringView section, StringView key) const {
    const Section* s = FindSection(section);
    const Line* line = s ? FindKey(*s, key) : nullptr;
    if (!line) return bytes_;
    return Spliced(ByteOffset(line->begin), ByteOffset(line->next), {});
}

std::string ProfileText::WithoutSection(StringView section) const {
    const Section* s = FindSection(section);
    if (!s) return bytes_;
    // The header and every line of the section go but its comments and blank lines. A line
    // without '=' is the section's too: left behind, it could come first in the file, and an
    // ANSI file whose first bytes became FF FE would be read as UTF-16LE.
    std::string out(bytes_, 0, ByteOffset(lines_[s->header].begin));
    for (std::size_t i = s->header + 1; i < s->end; ++i) {
        const Line& line = lines_[i];
        const bool blank =
            line.kind == Kind::Other &&
            std::all_of(units_.begin() + static_cast<std::ptrdiff_t>(line.begin),
                        units_.begin() + static_cast<std::ptrdiff_t>(line.end), IsBlank);
        if (line.kind == Kind::Comment || blank)
            out.append(bytes_, ByteOffset(line.begin),
                       ByteOffset(line.next) - ByteOffset(line.begin));
    }
    const std::size_t tail =
        s->end < lines_.size() ? ByteOffset(lines_[s->end].begin) : ByteOffset(lines_.back().next);
    out.append(bytes_, tail, std::string::npos);
    return out;
}
