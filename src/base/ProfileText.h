#pragma once
// A profile (INI) file as the Windows profile functions read and edit it: its lines, sections,
// keys and values with their positions, and the bytes a write or a deletion leaves. The seal
// and the profile functions both use it, so they agree on every file.
//
// A file that starts with FF FE is UTF-16LE; anything else is in the ANSI code page. The
// structure is found on the file's code units (bytes of an ANSI file, 16-bit units of a
// UTF-16LE file); only names and values are decoded. That is safe for every ANSI code page
// Windows uses: CR, LF, blanks, '=' and ';' are below 0x40 and never the second byte of a
// double-byte character, and a line's first non-blank unit always starts a character. ']'
// can be a second byte (in code page 936 too), so a header's name is cut on decoded text.
//
// Lines end at CR LF, LF or CR. A line whose first non-blank is '[' is a header; its name ends
// at the first ']' or the line end, text after ']' is ignored. A line whose first non-blank is
// ';' is a comment. Any other line with an '=' is a key named by the text before its first '='.
// Blanks (space, tab, vertical tab) around names and values are ignored. Lines before the first
// header belong to no section. Only the first copy of a section and the first key of a name
// count. Names compare with Windows' letter-case rule (SameName).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Text.h"

class ProfileText {
  public:
    // The ANSI code page, which this layer cannot reach itself. Called for non-ASCII text only.
    struct Ansi {
        std::function<String(std::string_view)> decode;
        std::function<std::string(StringView)> encode;
    };

    enum class Kind : std::uint8_t { Other, Comment, Header, Key };
    // Positions are code units from the start of the text (after a byte-order mark).
    struct Line {
        Kind kind = Kind::Other;
        std::size_t begin = 0;  // first unit
        std::size_t end = 0;    // first unit of the line end, or the end of the text
        std::size_t next = 0;   // first unit of the following line
        std::size_t equals = 0; // keys: the unit of the first '='
        String name;            // headers and keys, blanks around it removed
        bool Ended() const { return next > end; }
    };
    struct Section {
        std::size_t header = 0; // line index of the header
        std::size_t end = 0;    // line index after its last line
    };

    ProfileText(std::string bytes, Ansi ansi);

    bool Utf16() const { return utf16_; }
    const std::string& Bytes() const { return bytes_; }
    std::size_t Units() const { return units_.size(); }
    std::size_t ByteOffset(std::size_t unit) const { return start_ + unit * width_; }
    const std::vector<Line>& Lines() const { return lines_; }
    // The index of the line that holds the byte at `offset`; past the end, the index a line
    // starting there would have.
    std::size_t LineAt(std::size_t offset) const;

    // Names are given without the blanks the caller's arguments may carry.
    const Section* FindSection(StringView name) const;
    const Line* FindKey(const Section& section, StringView key) const;
    // Blanks around the value and one pair of enclosing quotes removed.
    String ValueOf(const Line& key) const;

    std::optional<String> Value(StringView section, StringView key) const;
    StringList SectionNames() const;                              // every header, duplicates too
    std::optional<StringList> KeyNames(StringView section) const; // none: no such section

    // The file's complete new bytes after a write; every byte the change does not concern
    // stays as it was. New lines end with CR LF; a UTF-16LE file stays UTF-16LE.
    std::string WithValue(StringView section, StringView key, StringView value) const;
    std::string WithoutKey(StringView section, StringView key) const;
    std::string WithoutSection(StringView section) const;

    static bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t' || unit == u'\v'; }
    // Names match without regard to letter case, as Windows compares them.
    static bool SameName(StringView a, StringView b);

  private:
    String Decode(std::size_t begin, std::size_t end) const;
    std::string Encode(StringView text) const;
    void ParseLine(Line& line) const;
    std::string Spliced(std::size_t from, std::size_t to, const std::string& insert) const;

    std::string bytes_;
    Ansi ansi_;
    bool utf16_ = false;
    std::size_t start_ = 0; // bytes before the first unit (the byte-order mark)
    std::size_t width_ = 1; // bytes per unit
    std::u16string units_;  // the code units, one per byte of an ANSI file
    std::vector<Line> lines_;
    std::vector<Section> sections_;
};
