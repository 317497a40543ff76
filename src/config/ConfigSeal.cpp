#include "config/ConfigSeal.h"

#include <cstdint>

#include "digest/untMD5.h"
#include "digest/untMD5FileLib.h"
#include "platform/CodePage.h"

namespace {

const char16_t kConfigSection[] = u"CONFIG";
const char16_t kConfigIDKey[] = u"ConfigID";

// The file as a sequence of code units: bytes of an ANSI file, or the 16-bit units after the
// FF FE mark of a UTF-16LE file (an odd last byte is not part of any unit).
class Units {
public:
    explicit Units(std::string_view bytes)
        : bytes_(bytes),
          wide_(bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                static_cast<unsigned char>(bytes[1]) == 0xFE),
          count_(wide_ ? (bytes.size() - 2) / 2 : bytes.size()) {}

    bool Wide() const { return wide_; }
    std::size_t Count() const { return count_; }
    std::uint32_t At(std::size_t i) const {
        if (!wide_) return static_cast<unsigned char>(bytes_[i]);
        return static_cast<unsigned char>(bytes_[2 + 2 * i]) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[3 + 2 * i])) << 8;
    }
    std::size_t ByteOffset(std::size_t i) const { return wide_ ? 2 + 2 * i : i; }

    // A text in this file's encoding. ASCII needs no code page.
    std::string Encode(StringView text) const {
        if (wide_) return ToUtf16Le(text);
        std::string out;
        for (char16_t c : text) {
            if (c >= 0x80) return CodePage::Get().ToAnsi(text);
            out += static_cast<char>(c);
        }
        return out;
    }
    String Decode(std::size_t begin, std::size_t end) const {
        if (!wide_) return CodePage::Get().FromAnsi(bytes_.substr(begin, end - begin));
        String out;
        for (std::size_t i = begin; i < end; ++i) out += static_cast<char16_t>(At(i));
        return out;
    }

private:
    std::string_view bytes_;
    bool wide_;
    std::size_t count_;
};

bool IsBlank(std::uint32_t c) { return c == u' ' || c == u'\t' || c == u'\v'; }
bool IsLineEnd(std::uint32_t c) { return c == u'\r' || c == u'\n'; }

std::uint32_t FoldAscii(std::uint32_t c) { return (c >= u'a' && c <= u'z') ? c - 0x20 : c; }

// [begin, end) of the file, blanks at both ends removed, equals `name` without regard to
// ASCII letter case. `name` is in the file's units (exact for the ASCII names used here).
bool NameIs(const Units& u, std::size_t begin, std::size_t end, const std::string& name,
            bool wideName) {
    while (begin < end && IsBlank(u.At(begin))) ++begin;
    while (end > begin && IsBlank(u.At(end - 1))) --end;
    const std::size_t unit = wideName ? 2 : 1;
    if ((end - begin) * unit != name.size()) return false;
    for (std::size_t i = begin, k = 0; i < end; ++i, k += unit) {
        std::uint32_t n = static_cast<unsigned char>(name[k]);
        if (wideName) n |= static_cast<std::uint32_t>(static_cast<unsigned char>(name[k + 1])) << 8;
        if (FoldAscii(u.At(i)) != FoldAscii(n)) return false;
    }
    return true;
}

struct ScanResult {
    bool sectionFound = false;
    std::size_t sectionBegin = 0; // unit index where the header line begins
    // Where a missing key goes: after the line end of the section's last key line (or of its
    // header when it has none), and whether that line had a line end.
    std::size_t insertAt = 0;
    bool insertLineEnded = true;
    bool keyFound = false;
    std::size_t valueBegin = 0; // unit index after '='
    std::size_t valueEnd = 0;   // unit index of the line end
    bool lineEnded = false;
};

ScanResult Scan(const Units& u, StringView section, StringView key) {
    const std::string sectionName = u.Encode(TrimSpaces(section));
    const std::string keyName = u.Encode(TrimSpaces(key));
    ScanResult r;
    bool inSection = false;
    std::size_t i = 0;
    const std::size_t n = u.Count();
    while (i < n) {
        std::size_t end = i;
        while (end < n && !IsLineEnd(u.At(end))) ++end;
        std::size_t next = end;
        if (next < n) {
            if (u.At(next) == u'\r' && next + 1 < n && u.At(next + 1) == u'\n') ++next;
            ++next;
        }
        const bool ended = end < n;

        std::size_t first = i;
        while (first < end && IsBlank(u.At(first))) ++first;
        if (first < end && u.At(first) == u'[') {
            if (inSection) return r; // only the first copy of the section counts
            std::size_t close = first + 1;
            while (close < end && u.At(close) != u']') ++close;
            if (!r.sectionFound && NameIs(u, first + 1, close, sectionName, u.Wide())) {
                r.sectionFound = inSection = true;
                r.sectionBegin = i;
                r.insertAt = next;
                r.insertLineEnded = ended;
            }
        } else if (inSection && first < end && u.At(first) != u';') {
            std::size_t eq = first;
            while (eq < end && u.At(eq) != u'=') ++eq;
            if (eq < end) {
                r.insertAt = next;
                r.insertLineEnded = ended;
                if (NameIs(u, first, eq, keyName, u.Wide())) {
                    r.keyFound = true;
                    r.valueBegin = eq + 1;
                    r.valueEnd = end;
                    r.lineEnded = ended;
                    return r;
                }
            }
        }
        i = next;
    }
    return r;
}

bool EndsWithLineEnd(const Units& u) {
    return u.Count() == 0 || IsLineEnd(u.At(u.Count() - 1));
}

} // namespace

std::optional<ProfileKeyLocation> FindProfileKey(std::string_view fileBytes, StringView section,
                                                 StringView key) {
    const Units u(fileBytes);
    const ScanResult r = Scan(u, section, key);
    if (!r.keyFound) return std::nullopt;
    ProfileKeyLocation loc;
    loc.valueBegin = u.ByteOffset(r.valueBegin);
    loc.valueEnd = u.ByteOffset(r.valueEnd);
    loc.lineEnded = r.lineEnded;
    return loc;
}

std::optional<std::size_t> FindProfileSection(std::string_view fileBytes, StringView section) {
    const Units u(fileBytes);
    const ScanResult r = Scan(u, section, u"");
    if (!r.sectionFound) return std::nullopt;
    return u.ByteOffset(r.sectionBegin);
}

std::size_t ProfileLineNumber(std::string_view fileBytes, std::size_t offset) {
    const Units u(fileBytes);
    std::size_t line = 1;
    for (std::size_t i = 0; i < u.Count() && u.ByteOffset(i) < offset; ++i) {
        const std::uint32_t c = u.At(i);
        if (c == u'\n' || (c == u'\r' && (i + 1 >= u.Count() || u.At(i + 1) != u'\n'))) ++line;
    }
    return line;
}

std::optional<String> ReadProfileValue(std::string_view fileBytes, StringView section,
                                       StringView key) {
    const Units u(fileBytes);
    const ScanResult r = Scan(u, section, key);
    if (!r.keyFound) return std::nullopt;
    std::size_t b = r.valueBegin, e = r.valueEnd;
    while (b < e && IsBlank(u.At(b))) ++b;
    while (e > b && IsBlank(u.At(e - 1))) --e;
    if (e - b >= 2 && (u.At(b) == u'"' || u.At(b) == u'\'') && u.At(e - 1) == u.At(b)) {
        ++b;
        --e;
    }
    return u.Decode(b, e);
}

std::string WriteProfileValue(std::string_view fileBytes, StringView section, StringView key,
                              StringView value) {
    const Units u(fileBytes);
    const ScanResult r = Scan(u, section, key);
    const std::string crlf = u.Encode(u"\r\n");
    std::string out;
    if (r.keyFound) {
        out.append(fileBytes.substr(0, u.ByteOffset(r.valueBegin)));
        out += u.Encode(value);
        if (!r.lineEnded) out += crlf;
        out.append(fileBytes.substr(u.ByteOffset(r.valueEnd)));
        return out;
    }
    const String line = TrimSpaces(key) + u"=" + String(value) + u"\r\n";
    if (r.sectionFound) {
        const std::size_t at = u.ByteOffset(r.insertAt);
        out.append(fileBytes.substr(0, at));
        if (!r.insertLineEnded) out += crlf;
        out += u.Encode(line);
        out.append(fileBytes.substr(at));
        return out;
    }
    // At the end of the text: an odd last byte of a UTF-16LE file stays last.
    const std::size_t end = u.ByteOffset(u.Count());
    out.append(fileBytes.substr(0, end));
    if (!EndsWithLineEnd(u)) out += crlf;
    out += u.Encode(u"[" + TrimSpaces(section) + u"]\r\n" + line);
    out.append(fileBytes.substr(end));
    return out;
}

std::optional<std::string> BlankConfigID(std::string_view fileBytes) {
    if (!FindProfileKey(fileBytes, kConfigSection, kConfigIDKey)) return std::nullopt;
    return WriteProfileValue(fileBytes, kConfigSection, kConfigIDKey, u"");
}

std::optional<String> ComputeConfigID(std::string_view fileBytes, const String& oemid) {
    const std::optional<std::string> blanked = BlankConfigID(fileBytes);
    if (!blanked) return std::nullopt;
    TFileMD5 fileDigest;
    const String joined = Trim(oemid) + Trim(fileDigest.HashStream(*blanked)) + Trim(u"Dornel");
    return LowerCase(MD5String(joined));
}

std::string SealConfigID(std::string_view fileBytes, const String& oemid) {
    std::string withKey(fileBytes);
    if (!FindProfileKey(withKey, kConfigSection, kConfigIDKey))
        withKey = WriteProfileValue(withKey, kConfigSection, kConfigIDKey, u"");
    const std::optional<String> value = ComputeConfigID(withKey, oemid);
    return WriteProfileValue(withKey, kConfigSection, kConfigIDKey, value.value());
}

std::optional<String> StoredConfigID(std::string_view fileBytes) {
    return ReadProfileValue(fileBytes, kConfigSection, kConfigIDKey);
}
