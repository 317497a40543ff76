// The integrity value of the settings file, computed in memory: the file is never written,
// so the kit works from read-only media and an interrupted check cannot lose the stored
// value.
#include "base/ProfileText.h"
#include "config/ConfigSeal.h"
#include "config/untIni.h"
#include "digest/untMD5FileLib.h"

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
