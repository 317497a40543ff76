#include "config/untIni.h"

#include <memory>

#include "base/Errors.h"
#include "base/ProfileText.h"
#include "config/ConfigSeal.h"
#include "digest/untMD5FileLib.h"
#include "language/Languages.h"
#include "language/untLanguages.h"
#include "platform/Files.h"
#include "platform/Profile.h"

TIniOptions* IniOptions = nullptr;

namespace {

const char16_t kIniFileName[] = u".\\install.dat";
// A single value is read into a buffer of this size: at most 2047 characters come back.
constexpr std::uint32_t kValueBuffer = 2048;
constexpr std::uint32_t kFirstListBuffer = 1024;
// Past this the buffer would not fit the size argument; a list this long is taken as it is.
constexpr std::uint32_t kLargestListBuffer = 1u << 30;

// The flush that closes every operation, also when it failed.
class FlushOnExit {
  public:
    explicit FlushOnExit(const TIniFile& ini) : ini_(ini) {}
    ~FlushOnExit() { ini_.UpdateFile(); }
    FlushOnExit(const FlushOnExit&) = delete;
    FlushOnExit& operator=(const FlushOnExit&) = delete;

  private:
    const TIniFile& ini_;
};

} // namespace

String TIniFile::ReadString(const String& Section, const String& Ident,
                            const String& Default) const {
    String buffer(kValueBuffer, u'\0');
    const std::uint32_t n = Profile::Get().GetPrivateProfileStringW(
        Section, Ident, Default, buffer.data(), kValueBuffer, FFileName);
    buffer.resize(n < kValueBuffer ? n : kValueBuffer - 1);
    return buffer;
}

StringList TIniFile::ReadNames(const String* Section) const {
    const ProfileArg section = Section ? ProfileArg(*Section) : std::nullopt;
    String buffer;
    std::uint32_t size = kFirstListBuffer;
    std::uint32_t n = 0;
    // A count of at least the size minus 2 means the list was cut: try a larger buffer.
    for (;;) {
        buffer.assign(size, u'\0');
        n = Profile::Get().GetPrivateProfileStringW(section, std::nullopt, std::nullopt,
                                                    buffer.data(), size, FFileName);
        if (n < size - 2 || size >= kLargestListBuffer) break;
        size *= 4;
    }
    if (n > size) n = size;
    // Each name ends with its NUL; the count covers them all.
    StringList names;
    std::size_t start = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (buffer[i] != u'\0') continue;
        names.push_back(buffer.substr(start, i - start));
        start = i + 1;
    }
    return names;
}

StringList TIniFile::ReadSection(const String& Section) const {
    return ReadNames(&Section);
}

StringList TIniFile::ReadSections() const {
    return ReadNames(nullptr);
}

StringList TIniFile::ReadSectionValues(const String& Section) const {
    StringList lines;
    for (const auto& key : ReadSection(Section))
        lines.push_back(key + u"=" + ReadString(Section, key, String()));
    return lines;
}

void TIniFile::WriteString(const String& Section, const String& Ident, const String& Value) const {
    if (!Profile::Get().WritePrivateProfileStringW(Section, Ident, Value, FFileName))
        throw EIniFileException(u"Unable to write to " + FFileName);
}

void TIniFile::UpdateFile() const {
    Profile::Get().WritePrivateProfileStringW(std::nullopt, std::nullopt, std::nullopt, FFileName);
}

namespace {

// A held file's value as ReadString gives it.
String HeldValue(const ProfileText& text, const String& section, const String& key) {
    String value = text.Value(TrimSpaces(section), TrimSpaces(key)).value_or(String());
    if (value.size() > kValueBuffer - 1) value.resize(kValueBuffer - 1);
    return value;
}

} // namespace

StringList NonEmptyValues(const StringList& nameValueLines) {
    StringList values;
    for (const auto& line : nameValueLines) {
        // Only the first '=' separates: a value may hold more of them.
        const std::size_t equals = line.find(u'=');
        String value =
            Trim(StringView(line).substr(equals == String::npos ? line.size() : equals + 1));
        if (!value.empty()) values.push_back(std::move(value));
    }
    return values;
}

String TIniOptions::GetIdentValue(const String& tSection, const String& tIdent) {
    FSection = tSection;
    FIdent = tIdent;
    if (held_) {
        FValue = HeldValue(*held_, FSection, FIdent);
        return FValue;
    }
    const TIniFile ini(GetINIFileName());
    FlushOnExit flush(ini);
    LoadSettings(&ini);
    return FValue;
}

void TIniOptions::LoadSettings(const TIniFile* ini) {
    FValue = ini ? ini->ReadString(FSection, FIdent, String()) : String();
}

void TIniOptions::SetIdentValue(const String& tSection, const String& tIdent,
                                const String& tValue) {
    const TIniFile ini(GetINIFileName());
    FlushOnExit flush(ini);
    ini.WriteString(tSection, tIdent, tValue);
}

StringList TIniOptions::GetAllIdentValue(const String& tSection) {
    StringList lines;
    if (held_) {
        for (const auto& key : held_->KeyNames(TrimSpaces(tSection)).value_or(StringList()))
            lines.push_back(key + u"=" + HeldValue(*held_, tSection, key));
    } else {
        const TIniFile ini(GetINIFileName());
        FlushOnExit flush(ini);
        lines = ini.ReadSectionValues(tSection);
    }
    return NonEmptyValues(lines);
}

StringList TIniOptions::GetIdentList(const String& tSection) {
    const TIniFile ini(GetINIFileName());
    FlushOnExit flush(ini);
    return ini.ReadSection(tSection);
}

StringList TIniOptions::GetSectionList() {
    const TIniFile ini(GetINIFileName());
    FlushOnExit flush(ini);
    return ini.ReadSections();
}

String TIniOptions::GetINIFileName() {
    return kIniFileName;
}

bool TIniOptions::GetCheckIniFile() {
    return Files::Get().FileExists(GetINIFileName());
}

String TIniOptions::GetCaptionLanguage() {
    return DisplayLanguage().captionSection;
}

String TIniOptions::GetMessageLanguage() {
    return DisplayLanguage().messageSection;
}

String TIniOptions::GetCompanyLOGO() {
    return DisplayLanguage().logoKey;
}

namespace {

// Stands for the value of a file without `ConfigID`. A profile read never returns a line
// break, so no stored value can equal it and the file is refused.
const char16_t kNoConfigIDValue[] = u"\n";

} // namespace

String TIniOptions::GetCheckIniMD5ID() {
    // One exclusive read, like the digest of the file: it fails while another process holds
    // the file open, with the open error. Held settings are such a read.
    const std::string bytes = held_ ? held_->Bytes() : ReadFileExclusive(GetINIFileName());
    const String oemid = GetIdentValue(u"CONFIG", u"OEMID");
    const std::optional<String> value = ComputeConfigID(bytes, oemid);
    return value ? *value : String(kNoConfigIDValue);
}

HeldSettings::HeldSettings(TIniOptions& options) : options_(options) {
    options_.held_ = std::make_shared<const ProfileText>(
        ReadProfileText(ReadFileExclusive(options_.GetINIFileName())));
}

HeldSettings::~HeldSettings() {
    options_.held_.reset();
}

String KitVersionForLog() {
    if (!IniOptions) return u"(no settings)";
    const String version = IniOptions->GetIdentValue(u"CONFIG", u"SoftVer");
    const String oem = IniOptions->GetIdentValue(u"CONFIG", u"OEMID");
    return u"SoftVer " + (version.empty() ? String(u"(none)") : version) + u", OEMID " +
           (oem.empty() ? String(u"(none)") : oem);
}

String KitLogFormat() {
    return IniOptions ? Trim(IniOptions->GetIdentValue(u"CONFIG", u"LogFormat")) : String();
}

void CreateIniOptions() {
    auto options = std::make_unique<TIniOptions>();
    options->SetSection(u"CONFIG");
    options->SetIdent(u"OEMID");
    delete IniOptions;
    IniOptions = options.release();
}

void FreeIniOptions() {
    delete IniOptions;
    IniOptions = nullptr;
}
