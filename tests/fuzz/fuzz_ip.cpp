// IsValidIP on any text. A piece that is not an integer may raise EConvertError (that is the
// routine's contract); anything else escaping is a finding. The answer must follow the rule
// as stated: four pieces after dropping empty ones, not all zero, none above 255, pieces
// converted only as far as the tests reach.
#include <optional>

#include "FuzzCommon.h"
#include "base/Errors.h"
#include "config/ValueForms.h"
#include "printing/untFuction.h"

namespace {

enum class Outcome { False, True, Raises };

Outcome Rule(const String& ip) {
    StringList pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = ip.find(u'.', start);
        String piece = ip.substr(start, dot == String::npos ? String::npos : dot - start);
        const std::size_t b = piece.find_first_not_of(u' ');
        if (b != String::npos) pieces.push_back(piece.substr(b));
        if (dot == String::npos) break;
        start = dot + 1;
    }
    if (pieces.size() != 4) return Outcome::False;
    std::int32_t v[4];
    bool allZero = true;
    std::size_t i = 0;
    for (; i < 4 && allZero; ++i) {
        if (!TryStrToInt(pieces[i], v[i])) return Outcome::Raises;
        allZero = v[i] == 0;
    }
    if (allZero) return Outcome::False;
    for (std::size_t k = 0; k < 4; ++k) {
        if (k >= i && !TryStrToInt(pieces[k], v[k])) return Outcome::Raises;
        if (v[k] > 255) return Outcome::False;
    }
    return Outcome::True;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InstallCodePage();
    const String ip = fuzz::Latin1Text(std::string_view(reinterpret_cast<const char*>(data), size));
    Outcome got;
    try {
        got = IsValidIP(ip) ? Outcome::True : Outcome::False;
    } catch (const EConvertError& e) {
        FUZZ_CHECK(e.Message().find(u"is not a valid integer value") != String::npos);
        got = Outcome::Raises;
    }
    FUZZ_CHECK(got == Rule(ip));
    return 0;
}
