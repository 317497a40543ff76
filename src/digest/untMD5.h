#pragma once
// The two digests the settings integrity check uses.
#include "base/Text.h"

// 32 upper-case hexadecimal digits of the file's bytes (FileStreamToMD5).
String MD5File(const String& fileName);

// 32 upper-case hexadecimal digits of the text's form in the system ANSI code page, cut to as
// many bytes as the text has UTF-16 code units: every byte of an ASCII text, but only the
// first half of a text of double-byte characters.
String MD5String(const String& MD5Str);
