#include "config/ValueForms.h"

#include "base/Errors.h"

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// A decimal floating-point number as Pascal's Val reads it: blanks and tabs before it,
// spaces after it. Only whether it is zero matters here.
bool ParseNumber(StringView s, bool& isZero) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t'))
        ++i;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ++i;
    bool digits = false;
    isZero = true;
    for (; i < s.size() && IsDigit(s[i]); ++i) {
        digits = true;
        if (s[i] != u'0') isZero = false;
    }
    if (i < s.size() && s[i] == u'.') {
        for (++i; i < s.size() && IsDigit(s[i]); ++i) {
            digits = true;
            if (s[i] != u'0') isZero = false;
        }
    }
    if (!digits) return false;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ++i;
        if (i == s.size() || !IsDigit(s[i])) return false;
        while (i < s.size() && IsDigit(s[i]))
            ++i;
    }
    while (i < s.size() && s[i] == u' ')
        ++i;
    return i == s.size();
}

} // namespace

bool TryStrToBool(const String& S, bool& Value) {
    bool isZero = false;
    if (ParseNumber(S, isZero)) {
        Value = !isZero;
        return true;
    }
    if (SameText(S, u"True")) {
        Value = true;
        return true;
    }
    if (SameText(S, u"False")) {
        Value = false;
        return true;
    }
    return false;
}

bool StrToBool(const String& S) {
    bool value = false;
    if (!TryStrToBool(S, value)) throw EConvertError(u"'" + S + u"' is not a valid boolean value");
    return value;
}

bool TryStrToInt(const String& S, std::int32_t& Value) {
    std::size_t i = 0;
    while (i < S.size() && S[i] == u' ')
        ++i;
    bool negative = false;
    if (i < S.size() && (S[i] == u'+' || S[i] == u'-')) negative = S[i++] == u'-';
    bool hex = false;
    if (i < S.size() && (S[i] == u'$' || S[i] == u'x' || S[i] == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < S.size() && S[i] == u'0' && (S[i + 1] == u'x' || S[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i == S.size()) return false;
    std::uint64_t magnitude = 0;
    // Decimal: up to 2^31 for a negative number, 2^31 - 1 otherwise. Hexadecimal: 32 bits.
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    for (; i < S.size(); ++i) {
        const int digit = hex ? HexDigit(S[i]) : (IsDigit(S[i]) ? S[i] - u'0' : -1);
        if (digit < 0) return false;
        magnitude = magnitude * (hex ? 16 : 10) + static_cast<unsigned>(digit);
        if (magnitude > limit) return false;
    }
    auto bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    Value = static_cast<std::int32_t>(bits);
    return true;
}

std::int32_t StrToInt(const String& S) {
    std::int32_t value = 0;
    if (!TryStrToInt(S, value)) throw EConvertError(u"'" + S + u"' is not a valid integer value");
    return value;
}

bool SameUpperCase(const String& setting, const String& text) {
    return UpperCase(setting) == UpperCase(text);
}

bool IsWebAddress(const String& text) {
    const StringView t(text);
    for (StringView scheme : {StringView(u"http://"), StringView(u"https://")})
        if (t.size() >= scheme.size() && SameText(t.substr(0, scheme.size()), scheme)) return true;
    return false;
}
