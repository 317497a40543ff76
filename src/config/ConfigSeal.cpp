#include "config/ConfigSeal.h"

#include "base/ProfileText.h"
#include "digest/untMD5.h"
#include "digest/untMD5FileLib.h"
#include "platform/CodePage.h"

namespace {

const char16_t kConfigSection[] = u"CONFIG";
const char16_t kConfigIDKey[] = u"ConfigID";

// The code page is asked for only when a name or value is not ASCII.
ProfileText Parse(std::string_view fileBytes) {
    return ProfileText(std::string(fileBytes),
                       {[](std::string_view ansi) { return CodePage::Get().FromAnsi(ansi); },
                        [](StringView text) { return CodePage::Get().ToAnsi(text); }});
}

} // namespace

std::optional<ProfileKeyLocation> FindProfileKey(std::string_view fileBytes, StringView section,
                                                 StringView key) {
    const ProfileText text = Parse(fileBytes);
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
    const ProfileText text = Parse(fileBytes);
    const ProfileText::Section* s = text.FindSection(TrimSpaces(section));
    if (!s) return std::nullopt;
    return text.ByteOffset(text.Lines()[s->header].begin);
}

std::size_t ProfileLineNumber(std::string_view fileBytes, std::size_t offset) {
    return Parse(fileBytes).LineAt(offset) + 1;
}

std::optional<String> ReadProfileValue(std::string_view fileBytes, StringView section,
                                       StringView key) {
    return Parse(fileBytes).Value(TrimSpaces(section), TrimSpaces(key));
}

std::string WriteProfileValue(std::string_view fileBytes, StringView section, StringView key,
                              StringView value) {
    return Parse(fileBytes).WithValue(TrimSpaces(section), TrimSpaces(key), value);
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
