#pragma once
// The forms a setting's text is used in: Boolean, integer and upper-cased compare. The text
// form needs no conversion and the list form is TIniOptions::GetAllIdentValue. Conversions
// raise EConvertError with the message the user sees.
#include <cstdint>

#include "base/Text.h"

// A number (any number other than zero is true, fractions and exponents included; blanks
// and tabs around it allowed), else "True" or "False" in any letter case and nothing else.
// Otherwise: "'%s' is not a valid boolean value".
bool StrToBool(const String& S);
bool TryStrToBool(const String& S, bool& Value);

// Leading spaces, an optional sign, then decimal digits or hexadecimal digits after "$",
// "x", "X", "0x" or "0X"; nothing may follow. A decimal number must fit in 32 bits with its
// sign; a hexadecimal one in 32 bits, read as their two's complement ($FFFFFFFF is -1).
// Otherwise: "'%s' is not a valid integer value".
std::int32_t StrToInt(const String& S);
bool TryStrToInt(const String& S, std::int32_t& Value);

// The setting equals `text` once both are in upper case (ASCII letters).
bool SameUpperCase(const String& setting, const String& text);

// The vendor's web address may be opened: it starts with "http://" or "https://" in any letter
// case. Anything else (a program, a file on a share, a "file:" address) would be started by
// the shell, with the wizard's administrator rights.
bool IsWebAddress(const String& text);
