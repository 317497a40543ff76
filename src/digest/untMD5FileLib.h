#pragma once
// The digest of a whole file.
#include <string>
#include <string_view>

#include "base/Text.h"
#include "digest/untMD5StringLib.h"

// Hashes a byte stream from its current position to its end in one pass; the same digest
// as TMD5 gives for the same bytes.
class TFileMD5 {
public:
    // 32 upper-case hexadecimal digits of the stream's bytes.
    String HashStream(std::string_view stream);

private:
    TMD5 FHasher;
};

// The whole file, read with no sharing (so it fails while another process holds it open).
// Raises EFOpenError "Cannot open file "<full path>". <system's reason>" when it cannot be read.
std::string ReadFileExclusive(const String& fileName);

// Reads the file with no sharing (so it fails while another process holds it open) and
// returns its digest as 32 upper-case hexadecimal digits. Raises EFOpenError
// "Cannot open file "<full path>". <system's reason>" when it cannot be read.
String FileStreamToMD5(const String& fileName);
