#pragma once
// One profile (INI) file as the Windows profile functions read and edit it. Reads and writes
// share this one parse, so a write changes exactly the line a read would have found.
//
// The structure is found on the file's code units (bytes of an ANSI file, 16-bit units of a
// UTF-16LE file); only names and values are decoded. That is safe for every ANSI code page
// Windows uses: CR, LF, blanks, '=' and ';' are below 0x40 and never the second byte of a
// double-byte character, and a line's first non-blank unit always starts a character. ']'
// can be a second byte (in code page 936 too), so a header's name is cut on decoded text.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Text.h"
#include "platform/CodePage.h"

class ProfileDocument {
  public:
    // A file that starts with FF FE is UTF-16LE; anything else is in the ANSI code page.
    ProfileDocument(std::string bytes, ICodePage& codePage);

    // The names are compared without regard to letter case; the caller has trimmed them.
    // A key's value is as the profile functions give it: blanks around it and one pair of
    // enclosing quotes removed. Only the first copy of a section and the first key of a
    // name count.
    std::optional<String> Value(StringView section, StringView key) const;
    StringList SectionNames() const;                              // every header, duplicates too
    std::optional<StringList> KeyNames(StringView section) const; // none: no such section

    // The file's complete new bytes after a write; every byte the change does not concern
    // stays as it was.
    std::string WithValue(StringView section, StringView key, StringView value) const;
    std::string WithoutKey(StringView section, StringView key) const;
    std::string WithoutSection(StringView section) const;
    const std::string& Bytes() const { return bytes_; }

    // Blanks inside the file: space, tab, vertical tab.
    static bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t' || unit == u'\v'; }
    // Case-insensitive equality of names (the letters that have a simple upper case).
    static bool SameName(StringView a, StringView b);

  private:
    enum class Kind : std::uint8_t { Other, Comment, Header, Key };
    struct Line {
        Kind kind = Kind::Other;
        std::size_t begin = 0;  // first unit
        std::size_t end = 0;    // first unit of the line end, or the end of the text
        std::size_t next = 0;   // first unit of the following line
        std::size_t equals = 0; // keys: the unit of the first '='
        String name;            // headers and keys
    };
    struct Section {
        std::size_t header = 0; // line index of the header
        std::size_t end = 0;    // line index after its last line
    };

    std::size_t Units() const { return units_.size(); }
    std::size_t Offset(std::size_t unit) const { return start_ + unit * width_; }
    String Decode(std::size_t begin, std::size_t end) const;
    std::string Encode(StringView text) const;
    void ParseLine(Line& line) const;
    // Decoded when asked for: a lookup needs one value, not all of them.
    String ValueOf(const Line& line) const;
    const Section* FindSection(StringView name) const;
    const Line* FindKey(const Section& section, StringView key) const;
    // The bytes with [from, to) replaced by `insert` (byte offsets).
    std::string Spliced(std::size_t from, std::size_t to, const std::string& insert) const;

    std::string bytes_;
    ICodePage& codePage_;
    bool utf16_ = false;
    std::size_t start_ = 0; // bytes before the first unit (the byte-order mark)
    std::size_t width_ = 1; // bytes per unit
    std::u16string units_;  // the code units, one per byte of an ANSI file
    std::vector<Line> lines_;
    std::vector<Section> sections_;
};
