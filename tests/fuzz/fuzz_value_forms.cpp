// The Boolean and integer forms of a setting. The throwing and the Try forms agree, the only
// error is EConvertError with the user's message, and results match a reading of the rules
// written here independently: integers against 64-bit arithmetic, numbers as Booleans against
// "has a non-zero digit".
#include <optional>

#include "FuzzCommon.h"
#include "base/Errors.h"
#include "config/ValueForms.h"

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Leading spaces, sign, then decimal digits or hex after $, x, X, 0x, 0X, nothing else.
std::optional<std::int32_t> ReferenceInt(const String& s) {
    std::size_t i = s.find_first_not_of(u' ');
    if (i == String::npos) return std::nullopt;
    bool negative = false;
    if (s[i] == u'+' || s[i] == u'-') negative = s[i++] == u'-';
    int base = 10;
    if (s.compare(i, 2, u"0x") == 0 || s.compare(i, 2, u"0X") == 0) {
        base = 16;
        i += 2;
    } else if (i < s.size() && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
        base = 16;
        ++i;
    }
    if (i == s.size()) return std::nullopt;
    unsigned __int128 v = 0;
    for (; i < s.size(); ++i) {
        int d = -1;
        if (IsDigit(s[i]))
            d = s[i] - u'0';
        else if (base == 16 && s[i] >= u'a' && s[i] <= u'f')
            d = s[i] - u'a' + 10;
        else if (base == 16 && s[i] >= u'A' && s[i] <= u'F')
            d = s[i] - u'A' + 10;
        if (d < 0) return std::nullopt;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (v > 0xFFFFFFFFu) return std::nullopt;
    }
    if (base == 16) {
        const auto bits = static_cast<std::uint32_t>(v);
        return static_cast<std::int32_t>(negative ? 0u - bits : bits);
    }
    const std::int64_t signedValue =
        negative ? -static_cast<std::int64_t>(v) : static_cast<std::int64_t>(v);
    if (signedValue < INT32_MIN || signedValue > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(signedValue);
}

template <class T, class F> std::optional<T> Thrown(F&& f, const String& s, const char16_t* form) {
    try {
        return f();
    } catch (const EConvertError& e) {
        FUZZ_CHECK_TEXT(e.Message(), u"'" + s + u"' is not a valid " + form + u" value");
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InstallCodePage();
    const String s = fuzz::Latin1Text(std::string_view(reinterpret_cast<const char*>(data), size));

    std::int32_t tried = 0;
    const bool intOk = TryStrToInt(s, tried);
    const std::optional<std::int32_t> thrownInt =
        Thrown<std::int32_t>([&] { return StrToInt(s); }, s, u"integer");
    FUZZ_CHECK(intOk == thrownInt.has_value());
    const std::optional<std::int32_t> reference = ReferenceInt(s);
    FUZZ_CHECK(intOk == reference.has_value());
    if (intOk) {
        FUZZ_CHECK(tried == *thrownInt && tried == *reference);
        // A value reads back from its decimal form.
        FUZZ_CHECK(StrToInt(IntToStr(tried)) == tried);
    }

    bool triedBool = false;
    const bool boolOk = TryStrToBool(s, triedBool);
    const std::optional<bool> thrownBool =
        Thrown<bool>([&] { return StrToBool(s); }, s, u"boolean");
    FUZZ_CHECK(boolOk == thrownBool.has_value());
    if (boolOk) FUZZ_CHECK(triedBool == *thrownBool);
    if (SameText(s, u"True")) FUZZ_CHECK(boolOk && triedBool);
    if (SameText(s, u"False")) FUZZ_CHECK(boolOk && !triedBool);
    // Every integer is a Boolean: true exactly when it is not zero. (Hex forms are not numbers
    // for the Boolean form.)
    const std::size_t first = s.find_first_not_of(u" ");
    const bool decimal =
        first != String::npos &&
        s.find_first_not_of(u"0123456789", first + (s[first] == u'+' || s[first] == u'-')) ==
            String::npos;
    if (intOk && decimal && s.back() != u'+' && s.back() != u'-')
        FUZZ_CHECK(boolOk && triedBool == (tried != 0));
    if (boolOk && !SameText(s, u"True") && !SameText(s, u"False"))
        FUZZ_CHECK(s.find_first_of(u"0123456789") != String::npos); // a number has a digit
    return 0;
}
