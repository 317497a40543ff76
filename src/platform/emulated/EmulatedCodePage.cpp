#include "platform/emulated/EmulatedCodePage.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace {

class Converter {
public:
    Converter(const std::string& to, const std::string& from)
        : cd_(iconv_open(to.c_str(), from.c_str())) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("no converter from " + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as it can; returns false at an input it cannot take.
    bool Convert(const char*& in, size_t& inLeft, std::string& out) {
        char buffer[4096];
        while (inLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            const size_t r = iconv(cd_, const_cast<char**>(&in), &inLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<size_t>(dst - buffer));
            if (r == static_cast<size_t>(-1) && errno != E2BIG) return false;
        }
        return true;
    }

private:
    iconv_t cd_;
};

std::string CharsetOf(unsigned cp) {
    switch (cp) {
    case 65001: return "UTF-8";
    case 20127: return "ASCII";
    case 28591: return "ISO-8859-1";
    case kCodePageGb18030:
        return "GB18030";
    default: return "CP" + std::to_string(cp);
    }
}

} // namespace

EmulatedCodePage::EmulatedCodePage(unsigned codePage)
    : codePage_(codePage), charset_(CharsetOf(codePage)) {
    Converter probe(charset_, "UTF-16LE"); // fails early for a code page the C library lacks
}

std::string EmulatedCodePage::ToAnsi(StringView text) {
    return ToCodePage(codePage_, text);
}

std::string EmulatedCodePage::ToCodePage(unsigned codePage, StringView text) {
    Converter conv(codePage == codePage_ ? charset_ : CharsetOf(codePage), "UTF-16LE");
    std::string out;
    const char* in = reinterpret_cast<const char*>(text.data());
    size_t left = text.size() * 2;
    while (!conv.Convert(in, left, out)) {
        // Like Windows: a character the code page lacks becomes the default character.
        out += '?';
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(in[0]) |
                                                (static_cast<unsigned char>(in[1]) << 8));
        const size_t skip = (unit >= 0xD800 && unit <= 0xDBFF && left >= 4) ? 4 : 2;
        in += skip;
        left -= skip;
    }
    return out;
}

String EmulatedCodePage::FromAnsi(std::string_view bytes) {
    Converter conv("UTF-16LE", charset_);
    std::string out;
    const char* in = bytes.data();
    size_t left = bytes.size();
    while (!conv.Convert(in, left, out)) {
        out += "?";
        out += '\0';
        ++in;
        --left;
    }
    return FromUtf16Le(out);
}
