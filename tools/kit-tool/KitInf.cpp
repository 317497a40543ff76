#include "kit-tool/KitInf.h"

#include <algorithm>
#include <map>
#include <system_error>

#include "platform/CodePage.h"

namespace fs = std::filesystem;

namespace kit {

namespace {

bool Blank(char16_t c) {
    return c == u' ' || c == u'\t';
}

// A line without its comment: ';' outside quotes starts one.
StringView WithoutComment(StringView line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == u'"') quoted = !quoted;
        if (line[i] == u';' && !quoted) return line.substr(0, i);
    }
    return line;
}

// `text` cut at the commas outside quotes, each piece without the blanks around it and its
// quotes; blanks inside quotes stay.
StringList Fields(StringView text) {
    StringList fields;
    String current;
    std::size_t kept = 0; // what stays of `current` when the field ends here
    bool quoted = false, started = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'"') {
            if (quoted && i + 1 < text.size() && text[i + 1] == u'"') {
                current += u'"';
                kept = current.size();
                ++i;
                continue;
            }
            quoted = !quoted;
            started = true;
            kept = current.size();
            continue;
        }
        if (!quoted && c == u',') {
            fields.push_back(current.substr(0, kept));
            current.clear();
            kept = 0;
            started = false;
            continue;
        }
        if (!quoted && Blank(c) && !started) continue;
        current += c;
        started = true;
        if (quoted || !Blank(c)) kept = current.size();
    }
    fields.push_back(current.substr(0, kept));
    return fields;
}

std::size_t FindOutsideQuotes(StringView text, char16_t wanted) {
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'"') quoted = !quoted;
        if (text[i] == wanted && !quoted) return i;
    }
    return StringView::npos;
}

} // namespace

InfFile::InfFile(StringView text) {
    std::map<String, std::size_t> index; // upper-case name -> sections_
    Section* current = nullptr;
    std::size_t number = 0, from = 0;
    String joined;
    std::size_t joinedLine = 0;
    while (from <= text.size()) {
        std::size_t end = text.find_first_of(u"\r\n", from);
        if (end == StringView::npos) end = text.size();
        ++number;
        String line = TrimRight(WithoutComment(text.substr(from, end - from)));
        if (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n') ++end;
        from = end + 1;
        if (joined.empty()) joinedLine = number;
        if (!line.empty() && line.back() == u'\\') {
            line.pop_back();
            joined += line;
            continue;
        }
        joined += line;
        const String entry = Trim(joined);
        joined.clear();
        if (entry.empty()) continue;
        if (entry[0] == u'[') {
            const std::size_t close = entry.find(u']');
            const String name =
                Trim(entry.substr(1, close == String::npos ? String::npos : close - 1));
            const auto [at, fresh] = index.emplace(UpperCase(name), sections_.size());
            if (fresh) sections_.push_back({name, joinedLine, {}});
            current = &sections_[at->second];
            continue;
        }
        if (!current) continue;
        Entry e{joinedLine, std::nullopt, {}};
        const std::size_t equals = FindOutsideQuotes(entry, u'=');
        if (equals == String::npos) {
            e.fields = Fields(entry);
        } else {
            e.key = Fields(StringView(entry).substr(0, equals)).front();
            e.fields = Fields(StringView(entry).substr(equals + 1));
        }
        current->entries.push_back(std::move(e));
    }
    // Strings are replaced once every [Strings] entry is known, wherever the section stands.
    for (Section& section : sections_) {
        const bool strings = SameText(section.name, u"Strings") ||
                             UpperCase(section.name).rfind(u"STRINGS.", 0) == 0;
        if (strings) continue;
        for (Entry& e : section.entries) {
            if (e.key) e.key = Replaced(*e.key);
            for (String& field : e.fields)
                field = Replaced(field);
        }
    }
}

String InfFile::Replaced(StringView text) const {
    String out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t close = text[i] == u'%' ? text.find(u'%', i + 1) : StringView::npos;
        if (close == StringView::npos) {
            out += text[i];
            continue;
        }
        const StringView key = text.substr(i + 1, close - i - 1);
        std::optional<String> value;
        if (key.empty()) {
            value = String(u"%");
        } else {
            // [Strings] first, then a language's own.
            for (const Section& section : sections_)
                if (!value && SameText(section.name, u"Strings")) value = Value(section.name, key);
            for (const Section& section : sections_)
                if (!value && UpperCase(section.name).rfind(u"STRINGS.", 0) == 0)
                    value = Value(section.name, key);
        }
        if (!value) {
            out += text[i];
            continue;
        }
        out += *value;
        i = close;
    }
    return out;
}

const InfFile::Section* InfFile::Find(StringView name) const {
    for (const Section& section : sections_)
        if (SameText(section.name, name)) return &section;
    return nullptr;
}

const InfFile::Entry* InfFile::EntryOf(StringView section, StringView key) const {
    const Section* s = Find(section);
    if (!s) return nullptr;
    for (const Entry& e : s->entries)
        if (e.key && SameText(*e.key, key)) return &e;
    return nullptr;
}

std::optional<String> InfFile::Value(StringView section, StringView key) const {
    const Entry* e = EntryOf(section, key);
    if (!e) return std::nullopt;
    return e->fields.empty() ? String() : e->fields.front();
}

namespace {

// A file in `folder` by its Windows name, whose letter case the file system here may keep.
bool PresentIn(const fs::path& folder, const String& relative) {
    fs::path at = folder;
    std::size_t from = 0;
    while (from <= relative.size()) {
        std::size_t end = relative.find_first_of(u"\\/", from);
        if (end == String::npos) end = relative.size();
        const String part = relative.substr(from, end - from);
        from = end + 1;
        if (part.empty() || part == u".") continue;
        std::error_code ec;
        if (fs::exists(at / PathOf(part), ec)) {
            at /= PathOf(part);
            continue;
        }
        bool found = false;
        for (fs::directory_iterator it(at, ec), done; !ec && it != done; it.increment(ec)) {
            if (!SameText(TextOf(it->path().filename()), part)) continue;
            at = it->path();
            found = true;
            break;
        }
        if (!found) return false;
    }
    std::error_code ec;
    return fs::is_regular_file(at, ec);
}

// A manufacturer of [Manufacturer] and its models sections' names: "%Vendor%=ODAX,NTamd64"
// lists [ODAX] and [ODAX.NTamd64]; a name alone is its own section.
struct Manufacturer {
    String base;
    std::size_t line;
    StringList decorations;
};

std::vector<Manufacturer> ManufacturersOf(const InfFile& inf) {
    std::vector<Manufacturer> makers;
    const InfFile::Section* list = inf.Find(u"Manufacturer");
    if (!list) return makers;
    for (const InfFile::Entry& e : list->entries) {
        if (e.fields.empty() || Trim(e.fields.front()).empty()) continue;
        Manufacturer m{Trim(e.fields.front()), e.line, {}};
        for (std::size_t i = 1; i < e.fields.size(); ++i)
            if (!Trim(e.fields[i]).empty()) m.decorations.push_back(Trim(e.fields[i]));
        makers.push_back(m);
    }
    return makers;
}

bool SectionNames(const InfFile& inf, const String& section, StringView model) {
    const InfFile::Section* s = inf.Find(section);
    if (!s) return false;
    return std::any_of(s->entries.begin(), s->entries.end(), [&](const InfFile::Entry& e) {
        return e.key && SameText(Trim(*e.key), model);
    });
}

enum class Platform { X64, X86 };

// A decoration of [Manufacturer] ("NTamd64", "NTx86.6.0") and the Windows it is for.
bool DecorationFor(StringView decoration, StringView platform) {
    const String upper = UpperCase(decoration);
    const String wanted = UpperCase(platform);
    return upper == wanted || upper.rfind(wanted + u".", 0) == 0;
}

class PackageCheck {
  public:
    PackageCheck(const fs::path& inf, const String& shown, const StringList& models)
        : folder_(inf.parent_path()), shown_(shown), models_(models),
          inf_(DecodeMarkedText(ReadBytes(inf))) {}

    std::vector<Finding> Run() {
        Version();
        Models();
        SourceFiles();
        Catalog();
        return std::move(findings_);
    }

  private:
    void Add(std::size_t line, String message) {
        findings_.push_back({shown_, line, std::move(message)});
    }
    void Warn(std::size_t line, String message) {
        findings_.push_back({shown_, line, std::move(message), true});
    }
    std::size_t VersionLine() const {
        const InfFile::Section* version = inf_.Find(u"Version");
        return version ? version->line : 0;
    }

    void Version() {
        if (!inf_.Find(u"Version")) {
            Add(0, u"has no [Version] section: Windows takes it for no INF file");
            return;
        }
        const std::size_t at = VersionLine();
        auto lineOf = [&](const char16_t* key) {
            const InfFile::Entry* e = inf_.EntryOf(u"Version", key);
            return e ? e->line : at;
        };
        const std::optional<String> signature = inf_.Value(u"Version", u"Signature");
        if (!signature)
            Add(at, u"[Version] has no Signature: Windows takes it for no INF file");
        else if (!SameText(*signature, u"$Windows NT$") && !SameText(*signature, u"$Chicago$"))
            Add(lineOf(u"Signature"), u"[Version] Signature '" + *signature +
                                          u"' is neither $Windows NT$ nor $Chicago$: Windows "
                                          u"takes it for no INF file");
        const std::optional<String> cls = inf_.Value(u"Version", u"Class");
        if (!cls || !SameText(*cls, u"Printer"))
            Add(lineOf(u"Class"), (cls ? u"[Version] Class is '" + *cls + u"', not Printer"
                                       : String(u"[Version] has no Class=Printer")) +
                                      u": the printer setup takes no driver from it");
        const std::optional<String> driverVer = inf_.Value(u"Version", u"DriverVer");
        if (!driverVer)
            Add(at, u"[Version] has no DriverVer: the driver store refuses the package");
        else if (!IsDriverDate(*driverVer))
            Add(lineOf(u"DriverVer"), u"[Version] DriverVer '" + *driverVer +
                                          u"' is no date mm/dd/yyyy: the driver store refuses "
                                          u"the package");
    }

    static bool IsDriverDate(const String& date) {
        // mm/dd/yyyy, months and days of one or two digits
        const StringList parts = Split(date, u'/');
        if (parts.size() != 3) return false;
        const std::size_t widths[][2] = {{1, 2}, {1, 2}, {4, 4}};
        for (std::size_t i = 0; i < 3; ++i) {
            const String& p = parts[i];
            if (p.size() < widths[i][0] || p.size() > widths[i][1]) return false;
            if (!std::all_of(p.begin(), p.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }))
                return false;
        }
        const int month = std::stoi(ToUtf8(parts[0])), day = std::stoi(ToUtf8(parts[1]));
        return month >= 1 && month <= 12 && day >= 1 && day <= 31;
    }

    // A manufacturer's models sections, by the Windows they are for.
    StringList SectionsFor(const Manufacturer& m, Platform platform) const {
        StringList sections;
        auto add = [&](StringView wanted) {
            for (const String& d : m.decorations)
                if (DecorationFor(d, wanted)) sections.push_back(m.base + u"." + d);
        };
        if (platform == Platform::X64) {
            add(u"NTamd64");
            return sections;
        }
        // 32-bit Windows takes an NTx86 or NT section over the undecorated one.
        add(u"NTx86");
        add(u"NT");
        if (sections.empty()) sections.push_back(m.base);
        return sections;
    }

    bool Names(const String& section, const String& model) const {
        return SectionNames(inf_, section, model);
    }

    void Models() {
        const InfFile::Section* list = inf_.Find(u"Manufacturer");
        if (!list) {
            Add(0, u"has no [Manufacturer] section: the printer setup finds no model in it");
            return;
        }
        const std::vector<Manufacturer> makers = ManufacturersOf(inf_);
        for (const Manufacturer& m : makers) {
            StringList named = {m.base};
            for (const String& d : m.decorations)
                named.push_back(m.base + u"." + d);
            for (std::size_t i = 0; i < named.size(); ++i) {
                // The undecorated section is only missing when nothing else is there.
                if (inf_.Find(named[i]) || (i == 0 && named.size() > 1)) continue;
                Add(m.line, u"[Manufacturer] names [" + named[i] +
                                u"], which the file lacks: Windows finds no model there");
            }
        }
        for (const String& model : models_) {
            Cover(makers, model, Platform::X64);
            Cover(makers, model, Platform::X86);
        }
    }

    // Windows takes the models section that fits it best, so a model must be in each one
    // listed for that Windows.
    void Cover(const std::vector<Manufacturer>& makers, const String& model, Platform platform) {
        const bool x64 = platform == Platform::X64;
        const String windows = x64 ? u"64-bit Windows" : u"32-bit Windows";
        const String needed = x64 ? u"NTamd64" : u"NTx86";
        bool offered = false;
        for (const Manufacturer& m : makers) {
            const StringList sections = SectionsFor(m, platform);
            const bool any = std::any_of(sections.begin(), sections.end(),
                                         [&](const String& s) { return Names(s, model); });
            if (!any) continue;
            offered = true;
            for (const String& s : sections) {
                if (Names(s, model) || !inf_.Find(s)) continue;
                const String message = u"[" + s + u"] does not name the model " + model +
                                       u": installing it fails on the " + windows +
                                       u" versions that take that section";
                x64 ? Add(inf_.Find(s)->line, message) : Warn(inf_.Find(s)->line, message);
            }
        }
        if (offered) return;
        const String message = u"no models section for " + windows + u" (" + needed +
                               u" in [Manufacturer]) names the model " + model +
                               u": installing it on " + windows + u" fails";
        const std::size_t at = inf_.Find(u"Manufacturer")->line;
        x64 ? Add(at, message) : Warn(at, message);
    }

    void SourceFiles() {
        for (const InfFile::Section& section : inf_.Sections()) {
            const String upper = UpperCase(section.name);
            if (upper != u"SOURCEDISKSFILES" && upper.rfind(u"SOURCEDISKSFILES.", 0) != 0) continue;
            const String decoration = section.name.substr(16); // "" or ".amd64"
            for (const InfFile::Entry& e : section.entries) {
                if (!e.key || e.key->empty()) continue;
                // file = disk[,subfolder]; the disk's own folder is the fourth field of its
                // [SourceDisksNames] entry.
                String relative;
                const String disk = e.fields.empty() ? String() : Trim(e.fields.front());
                const InfFile::Entry* name = inf_.EntryOf(u"SourceDisksNames" + decoration, disk);
                if (!name) name = inf_.EntryOf(u"SourceDisksNames", disk);
                if (name && name->fields.size() > 3) relative += Trim(name->fields[3]) + u"\\";
                if (e.fields.size() > 1) relative += Trim(e.fields[1]) + u"\\";
                relative += *e.key;
                if (PresentIn(folder_, relative)) continue;
                Add(e.line, u"[" + section.name + u"] " + *e.key +
                                u" is missing beside the INF file: the printer setup fails "
                                u"to copy it");
            }
        }
    }

    void Catalog() {
        bool forX64 = false;
        const InfFile::Section* version = inf_.Find(u"Version");
        if (!version) return;
        for (const InfFile::Entry& e : version->entries) {
            if (!e.key) continue;
            const String key = UpperCase(*e.key);
            if (key != u"CATALOGFILE" && key.rfind(u"CATALOGFILE.", 0) != 0) continue;
            const String decoration = e.key->substr(std::min<std::size_t>(12, e.key->size()));
            if (key == u"CATALOGFILE" || DecorationFor(decoration, u"NTamd64") ||
                SameText(decoration, u"NT"))
                forX64 = true;
            const String file = e.fields.empty() ? String() : Trim(e.fields.front());
            if (!file.empty() && !PresentIn(folder_, file))
                Warn(e.line, u"[Version] " + *e.key + u" " + file +
                                 u" is missing beside the INF file: the package is unsigned, "
                                 u"which the driver store of 64-bit Windows refuses");
        }
        if (!forX64)
            Warn(version->line, u"[Version] names no CatalogFile: the package is unsigned, which "
                                u"the driver store of 64-bit Windows refuses");
    }

    fs::path folder_;
    String shown_;
    const StringList& models_;
    InfFile inf_;
    std::vector<Finding> findings_;
};

} // namespace

bool OffersModel(const InfFile& inf, StringView model) {
    for (const Manufacturer& m : ManufacturersOf(inf)) {
        if (SectionNames(inf, m.base, model)) return true;
        for (const String& d : m.decorations)
            if (SectionNames(inf, m.base + u"." + d, model)) return true;
    }
    return false;
}

std::vector<Finding> CheckDriverPackage(const fs::path& inf, const String& shown,
                                        const StringList& models) {
    return PackageCheck(inf, shown, models).Run();
}

} // namespace kit
