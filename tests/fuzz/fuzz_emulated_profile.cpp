// The Linux profile functions on a real file: the input is the file's bytes and, in its last
// bytes, one call with its arguments and the caller's buffer size. The buffer is exactly that
// size, so any write past it is caught; what the call returns must be what the parser reads,
// laid out as the Windows contract says (values cut to size-1, listings with two NULs).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>

#include "FuzzCommon.h"
#include "platform/emulated/EmulatedProfile.h"
#include "platform/emulated/ProfileDocument.h"

namespace {

// One folder for the whole run; tmpfs when there is one, as the writer syncs every change.
const std::string& Folder() {
    static const std::string folder = [] {
        std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        if (const char* t = std::getenv("TMPDIR")) base = t;
        std::string pattern = base + "/wiz-fuzz-profile-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    return folder;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

std::string ReadFile(const std::string& path) {
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    FUZZ_CHECK(fd >= 0);
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<std::size_t>(got));
    ::close(fd);
    return bytes;
}

// An argument as a caller may pass it: with spaces around it, which the functions drop.
String Padded(FuzzedDataProvider& in, const String& name) {
    const auto pad = in.ConsumeIntegralInRange<int>(0, 3);
    return String(static_cast<std::size_t>(pad & 1), u' ') + name +
           String(static_cast<std::size_t>(pad >> 1), u' ');
}

// What a listing must leave in a buffer of `size` places, and its count.
std::uint32_t ExpectedList(const StringList& names, std::uint32_t size, String& shown) {
    String all;
    for (const String& n : names)
        all += n + u'\0';
    if (size < 3) {
        shown = String(size, u'\0');
        return 0;
    }
    if (all.size() + 2 <= size) {
        shown = all + u'\0';
        return static_cast<std::uint32_t>(all.size());
    }
    shown = all.substr(0, size - 2) + String(2, u'\0');
    return size - 2;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InstallCodePage();
    FuzzedDataProvider in(data, size);
    const auto op = in.ConsumeIntegralInRange<int>(0, 5);
    const auto sectionChoice = in.ConsumeIntegral<std::uint16_t>();
    const auto keyChoice = in.ConsumeIntegral<std::uint16_t>();
    const auto bufferChoice = in.ConsumeIntegralInRange<std::uint32_t>(0, 40);
    const std::uint32_t bufferSize = bufferChoice == 40 ? 2048 : bufferChoice;
    const bool withDefault = in.ConsumeBool();
    const String defaultValue =
        fuzz::PlainValue(in, 6) + String(in.ConsumeIntegralInRange<std::size_t>(0, 2), u' ');
    const String value = fuzz::PlainValue(in, 12);
    const String sectionArg = Padded(in, u"");
    const String keyArg = Padded(in, u"");
    const std::string bytes = in.ConsumeRemainingBytesAsString();

    const std::string path = Folder() + "/t.ini";
    WriteFile(path, bytes);
    EmulatedProfile profile(Folder() + "/win.ini");
    const ProfileDocument doc(bytes, CodePage::Get());

    StringList sections = doc.SectionNames();
    sections.insert(sections.end(), {u"CONFIG", u"\u4E2D"});
    const String section = sections[sectionChoice % sections.size()];
    StringList keys = doc.KeyNames(section).value_or(StringList{});
    keys.insert(keys.end(), {u"ConfigID", u"\u6587"});
    const String key = keys[keyChoice % keys.size()];
    // The call sees the names with the spaces a caller may have left around them.
    const String sectionPadded = sectionArg.substr(0, sectionArg.size() / 2) + section +
                                 sectionArg.substr(sectionArg.size() / 2);
    const String keyPadded =
        keyArg.substr(0, keyArg.size() / 2) + key + keyArg.substr(keyArg.size() / 2);

    std::unique_ptr<char16_t[]> buffer(new char16_t[bufferSize]);
    std::fill_n(buffer.get(), bufferSize, char16_t{0xFFFF});
    const ProfileArg noArg;
    switch (op) {
    case 0: { // a value
        const std::uint32_t n = profile.GetPrivateProfileStringW(
            sectionPadded, keyPadded, withDefault ? ProfileArg(defaultValue) : noArg, buffer.get(),
            bufferSize, u"t.ini");
        String expected = doc.Value(section, key).value_or(withDefault ? defaultValue : String());
        if (!doc.Value(section, key))
            while (!expected.empty() && expected.back() == u' ')
                expected.pop_back();
        if (bufferSize == 0) {
            FUZZ_CHECK(n == 0);
            break;
        }
        FUZZ_CHECK(n == std::min<std::size_t>(expected.size(), bufferSize - 1));
        FUZZ_CHECK_TEXT(String(buffer.get(), n + 1), expected.substr(0, n) + u'\0');
        break;
    }
    case 1:   // the section names
    case 2: { // the key names of a section
        const std::uint32_t n =
            profile.GetPrivateProfileStringW(op == 1 ? noArg : ProfileArg(sectionPadded), noArg,
                                             noArg, buffer.get(), bufferSize, u"t.ini");
        const std::optional<StringList> names =
            op == 1 ? doc.SectionNames() : doc.KeyNames(section);
        if (!names) { // no such section
            FUZZ_CHECK(n == 0);
            FUZZ_CHECK_TEXT(String(buffer.get(), std::min<std::uint32_t>(bufferSize, 2)),
                            String(std::min<std::uint32_t>(bufferSize, 2), u'\0'));
            break;
        }
        String shown;
        FUZZ_CHECK(n == ExpectedList(*names, bufferSize, shown));
        FUZZ_CHECK_TEXT(String(buffer.get(), shown.size()), shown);
        break;
    }
    case 3: { // a write, read back through the functions
        FUZZ_CHECK(profile.WritePrivateProfileStringW(sectionPadded, keyPadded, value, u"t.ini"));
        const std::string after = ReadFile(path);
        FUZZ_CHECK(after == doc.WithValue(section, key, value));
        char16_t back[64];
        const std::uint32_t n =
            profile.GetPrivateProfileStringW(section, key, u"-", back, 64, u"t.ini");
        FUZZ_CHECK_TEXT(String(back, n), value);
        break;
    }
    case 4: // a key deleted
        FUZZ_CHECK(profile.WritePrivateProfileStringW(sectionPadded, keyPadded, noArg, u"t.ini"));
        FUZZ_CHECK(ReadFile(path) == doc.WithoutKey(section, key));
        break;
    default: // a section deleted
        FUZZ_CHECK(profile.WritePrivateProfileStringW(sectionPadded, noArg, noArg, u"t.ini"));
        FUZZ_CHECK(ReadFile(path) == doc.WithoutSection(section));
        break;
    }
    return 0;
}
