#pragma once
// The integrity value of a settings file, computed from the file's bytes without writing
// the file: the digest covers the bytes exactly as the profile writer would leave them
// after writing an empty `ConfigID`, so the value matches one sealed by blank-then-hash.
//
// Files are read as the Windows profile functions read them (ProfileText); non-ASCII names and
// values go through the installed CodePage service.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/ProfileText.h"
#include "base/Text.h"

// The file as the profile functions read it, names and values decoded through the installed
// CodePage service.
ProfileText ReadProfileText(std::string_view fileBytes);

// Where a key's value lies in a file's bytes.
struct ProfileKeyLocation {
    std::size_t valueBegin = 0; // just after the first '=' of the key's line
    std::size_t valueEnd = 0;   // the line's end (its CR or LF), or the end of the file
    bool lineEnded = false;     // false for a last line without a line end
};

// The key as the profile functions would find it; nullopt when the section or key is missing.
std::optional<ProfileKeyLocation> FindProfileKey(std::string_view fileBytes, StringView section,
                                                 StringView key);

// The byte offset where the header line of the section's first copy begins; nullopt when
// the file has no such section.
std::optional<std::size_t> FindProfileSection(std::string_view fileBytes, StringView section);

// The number (from 1) of the line that holds the byte at `offset`; CR LF, LF and CR end lines.
std::size_t ProfileLineNumber(std::string_view fileBytes, std::size_t offset);

// The value as the profile functions read it: blanks at both ends and one pair of enclosing
// quotes removed, decoded through the ANSI code page (CodePage service) or as UTF-16LE.
// nullopt when the section or key is missing.
std::optional<String> ReadProfileValue(std::string_view fileBytes, StringView section,
                                       StringView key);

// The file after the profile writer has written `value` to section/key: an existing key's
// line keeps its text up to and including its first '=' and gets the value in place of the
// rest (a last line without a line end gets CR LF); a missing key goes on its own line after
// the last key line of the section's first copy; a missing section is appended at the end.
// New lines end with CR LF; a UTF-16LE file stays UTF-16LE. Every other byte is unchanged.
std::string WriteProfileValue(std::string_view fileBytes, StringView section, StringView key,
                              StringView value);

// The bytes the integrity digest covers: the file with an empty `ConfigID` value in the first
// [CONFIG]. nullopt when the file has no [CONFIG] section or no `ConfigID` key in it.
std::optional<std::string> BlankConfigID(std::string_view fileBytes);

// lower-case(MD5String(Trim(oemid) + MD5 of the blanked bytes in upper-case hex + "Dornel")).
// A file without [CONFIG] or without `ConfigID` is refused with nullopt: the check never adds
// the key itself. MD5String uses the installed CodePage service.
std::optional<String> ComputeConfigID(std::string_view fileBytes, const String& oemid);

// The file with its `ConfigID` set to the value computed for it (adding the key, and the
// section, when missing); every other byte is unchanged. `oemid` is the file's OEMID value.
std::string SealConfigID(std::string_view fileBytes, const String& oemid);

// The stored `ConfigID` of the file as the wizard reads it: nullopt when the key is missing.
std::optional<String> StoredConfigID(std::string_view fileBytes);
