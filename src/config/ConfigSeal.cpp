#include "config/ConfigSeal.h"

#include "base/ProfileText.h"
#include "digest/untMD5.h"
#include "digest/untMD5FileLib.h"
#include "platform/CodePage.h"

namespace {

const char16_t kConfigSection[] = u"CONFIG";
const char16_t kConfigIDKey[] = u"ConfigID";

} // namespace

// The code page is asked for only when a name or value is not ASCII.
ProfileText ReadProfileText(std::string_view fileBytes) {
    return ProfileText(std::string(fileBytes),
                       {[](std::string_view ansi) { return CodePage::Get().FromAnsi(ansi); },
                        [](StringView text) { return CodePage::Get().ToAnsi(text); }});
}

std::optional<ProfileKeyLocation> FindProfileKey(std::string_view fileBytes, StringView section,
                                                 StringView key) {
    const ProfileText text = ReadProfileText(fileBytes);
    const ProfileText::Section* s = text.FindSection(TrimSpaces(section));
    const ProfileText::Line* line = s ? text.FindKey(*s, TrimSpaces(key)) : nullptr;
    if (!line) return std::nullopt;
    ProfileKeyLocation loc;
    loc.valueBegin = text.ByteOffset(line->equals + 1);
    loc.valueEnd = text.ByteOffset(line->end);
    loc.lineEnded = line->Ended();
    return loc;
}

std::optional<std::size_t> FindProfileSection(std::string_view fileBytes, StringView section) {
    const ProfileText text = ReadProfileText(fileBytes);
    const ProfileText::Section* s = text.FindSection(TrimSpaces(section));
    if (!s) return std::nullopt;
    return text.ByteOffset(text.Lines()[s->header].begin);
}

std::size_t ProfileLineNumber(std::string_view fileBytes, std::size_t offset) {
    return ReadProfileText(fileBytes).LineAt(offset) + 1;
}

std::optional<String> ReadProfileValue(std::string_view fileBytes, StringView section,
                                       StringView key) {
    return ReadProfileText(fileBytes).Value(TrimSpaces(section), TrimSpaces(key));
}

std::string WriteProfileValue(std::string_view fileBytes, StringView section, StringView key,
                              StringView value) {
    return ReadProfileText(fileBytes).WithValue(TrimSpaces(section), TrimSpaces(key), value);
}

std::optional<std::string> BlankConfigID(std::string_view fileBytes) {
    const ProfileText text = ReadProfileText(fileBytes);
    const ProfileText::Section* section = text.FindSection(kConfigSection);
    if (!section || !text.FindKey(*section, kConfigIDKey)) return std::nullopt;
    return text.WithValue(kConfigSection, kConfigIDKey, u"");
}

namespace {

String DigestOfBlanked(const std::string& blanked, const String& oemid) {
    TFileMD5 fileDigest;
    const String joined = Trim(oemid) + Trim(fileDigest.HashStream(blanked)) + Trim(u"Dornel");
    return LowerCase(MD5String(joined));
}

} // namespace

std::optional<String> ComputeConfigID(std::string_view fileBytes, const String& oemid) {
    const std::optional<std::string> blanked = BlankConfigID(fileBytes);
    if (!blanked) return std::nullopt;
    return DigestOfBlanked(*blanked, oemid);
}

std::string SealConfigID(std::string_view fileBytes, const String& oemid) {
    // Writing the value over the blanked line gives the same bytes as over the old value.
    std::optional<std::string> blanked = BlankConfigID(fileBytes);
    if (!blanked) blanked = WriteProfileValue(fileBytes, kConfigSection, kConfigIDKey, u"");
    return WriteProfileValue(*blanked, kConfigSection, kConfigIDKey,
                             DigestOfBlanked(*blanked, oemid));
}

std::optional<String> StoredConfigID(std::string_view fileBytes) {
    return ReadProfileValue(fileBytes, kConfigSection, kConfigIDKey);
}
