#pragma once
// A driver package's INF file as Windows reads it, and the checks a package must pass before
// the printer setup can install a model from it.
#include <filesystem>
#include <optional>
#include <vector>

#include "base/Text.h"
#include "kit-tool/KitTool.h"

namespace kit {

// The INF syntax: sections, "key = value" entries (or values alone), fields between commas,
// quotes ("" for one inside them), ';' comments, a '\' at the end joining the next line, and
// %strkey% replaced from [Strings] (%% for one %).
class InfFile {
  public:
    struct Entry {
        std::size_t line;
        std::optional<String> key; // unquoted, strings replaced
        StringList fields;         // the same
    };
    struct Section {
        String name;
        std::size_t line;
        std::vector<Entry> entries;
    };

    explicit InfFile(StringView text);

    // A section by name, without regard to letter case; sections of one name are one section.
    const Section* Find(StringView name) const;
    const std::vector<Section>& Sections() const { return sections_; }
    // The first field of a key's entry in a section, or nothing.
    std::optional<String> Value(StringView section, StringView key) const;
    const Entry* EntryOf(StringView section, StringView key) const;

  private:
    String Replaced(StringView text) const;
    std::vector<Section> sections_;
};

// Whether a models section the file's [Manufacturer] lists has `model` as a device, with its
// strings replaced ("R&D 50%%" is R&D 50%), without regard to letter case.
bool OffersModel(const InfFile& inf, StringView model);

// What keeps the package at `inf` (shown as `shown`) from installing: its [Version], the
// models of `models` in its models sections for 64-bit (an error when missing) and 32-bit
// Windows (a warning), the files of [SourceDisksFiles] beside it, and a catalog (a warning).
std::vector<Finding> CheckDriverPackage(const std::filesystem::path& inf, const String& shown,
                                        const StringList& models);

} // namespace kit
