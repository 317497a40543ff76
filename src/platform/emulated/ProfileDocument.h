#pragma once
// One profile (INI) file as the Windows profile functions read and edit it, in the code page
// the profile functions use. The format itself is ProfileText's.
#include <optional>
#include <string>

#include "base/ProfileText.h"
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
    std::optional<String> Value(StringView section, StringView key) const {
        return text_.Value(section, key);
    }
    StringList SectionNames() const { return text_.SectionNames(); } // duplicates too
    std::optional<StringList> KeyNames(StringView section) const {   // none: no such section
        return text_.KeyNames(section);
    }

    // The file's complete new bytes after a write; every byte the change does not concern
    // stays as it was.
    std::string WithValue(StringView section, StringView key, StringView value) const {
        return text_.WithValue(section, key, value);
    }
    std::string WithoutKey(StringView section, StringView key) const {
        return text_.WithoutKey(section, key);
    }
    std::string WithoutSection(StringView section) const { return text_.WithoutSection(section); }
    const std::string& Bytes() const { return text_.Bytes(); }

    static bool SameName(StringView a, StringView b) { return ProfileText::SameName(a, b); }

  private:
    ProfileText text_;
};
