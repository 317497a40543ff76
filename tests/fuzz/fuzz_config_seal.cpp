// The seal of a settings file. Sealing then computing verifies; the seal changes only the
// ConfigID value (the blanked bytes stay the same); a computed value is 32 lower-case hex
// digits; and the seal's own reading of ConfigID agrees with the profile functions', since the
// wizard compares what the one reads with what the other computes.
#include "FuzzCommon.h"
#include "config/ConfigSeal.h"
#include "platform/emulated/ProfileDocument.h"

namespace {

bool IsLowerHex32(const String& s) {
    if (s.size() != 32) return false;
    for (char16_t c : s)
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'))) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InstallCodePage();
    FuzzedDataProvider in(data, size);
    const String oemid =
        fuzz::Latin1Text(in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 8)));
    const std::string file = in.ConsumeRemainingBytesAsString();

    const ProfileDocument doc(file, CodePage::Get());
    FUZZ_CHECK(StoredConfigID(file) == doc.Value(u"CONFIG", u"ConfigID"));
    const auto section = FindProfileSection(file, u"CONFIG");
    FUZZ_CHECK(section.has_value() == doc.KeyNames(u"CONFIG").has_value());

    const std::optional<String> computed = ComputeConfigID(file, oemid);
    FUZZ_CHECK(computed.has_value() == StoredConfigID(file).has_value());
    if (computed) FUZZ_CHECK(IsLowerHex32(*computed));

    const std::string sealed = SealConfigID(file, oemid);
    const std::optional<String> stored = StoredConfigID(sealed);
    const std::optional<String> recomputed = ComputeConfigID(sealed, oemid);
    FUZZ_CHECK(stored.has_value() && recomputed.has_value());
    FUZZ_CHECK_TEXT(*stored, *recomputed);
    // The profile functions read the same stored value the check compares.
    const std::optional<String> read =
        ProfileDocument(sealed, CodePage::Get()).Value(u"CONFIG", u"ConfigID");
    FUZZ_CHECK(read.has_value());
    FUZZ_CHECK_TEXT(*read, *stored);
    // A file that had the key changes in its value only: blanked, both are the same bytes.
    if (computed) {
        FUZZ_CHECK_TEXT(*recomputed, *computed);
        FUZZ_CHECK(BlankConfigID(sealed) == BlankConfigID(file));
    }
    // Sealing a sealed file changes nothing.
    FUZZ_CHECK(SealConfigID(sealed, oemid) == sealed);
    return 0;
}
