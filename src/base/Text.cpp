#include "base/Text.h"

std::string ToUtf8(StringView text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD; // a lone surrogate has no UTF-8 form
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

String FromUtf8(std::string_view utf8) {
    String out;
    out.reserve(utf8.size());
    size_t i = 0;
    const size_t n = utf8.size();
    auto cont = [&](size_t k) {
        return k < n && (static_cast<unsigned char>(utf8[k]) & 0xC0) == 0x80;
    };
    while (i < n) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        std::uint32_t c = 0xFFFD;
        size_t len = 1;
        if (b < 0x80) {
            c = b;
        } else if (b >= 0xC2 && b < 0xE0 && cont(i + 1)) {
            c = ((b & 0x1Fu) << 6) | (utf8[i + 1] & 0x3F);
            len = 2;
        } else if (b >= 0xE0 && b < 0xF0 && cont(i + 1) && cont(i + 2)) {
            c = ((b & 0x0Fu) << 12) | ((utf8[i + 1] & 0x3Fu) << 6) | (utf8[i + 2] & 0x3F);
            len = 3;
            if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        } else if (b >= 0xF0 && b < 0xF5 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
            c = ((b & 0x07u) << 18) | ((utf8[i + 1] & 0x3Fu) << 12) | ((utf8[i + 2] & 0x3Fu) << 6) |
                (utf8[i + 3] & 0x3F);
            len = 4;
            if (c < 0x10000 || c > 0x10FFFF) c = 0xFFFD;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += len;
    }
    return out;
}

String FromAscii(std::string_view ascii) {
    String out;
    out.reserve(ascii.size());
    for (char ch : ascii) out += static_cast<char16_t>(static_cast<unsigned char>(ch));
    return out;
}

std::string ToUtf16Le(StringView text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char16_t unit : text) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out;
}

String FromUtf16Le(std::string_view bytes) {
    String out(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return out;
}

String TrimLeft(StringView text) {
    size_t b = 0;
    while (b < text.size() && text[b] <= u' ') ++b;
    return String(text.substr(b));
}

String TrimRight(StringView text) {
    size_t e = text.size();
    while (e > 0 && text[e - 1] <= u' ') --e;
    return String(text.substr(0, e));
}

String Trim(StringView text) { return TrimLeft(TrimRight(text)); }

String TrimSpaces(StringView text) {
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == u' ') ++b;
    while (e > b && text[e - 1] == u' ') --e;
    return String(text.substr(b, e - b));
}

StringList Split(StringView text, char16_t separator) {
    StringList pieces;
    std::size_t from = 0;
    while (true) {
        const std::size_t end = text.find(separator, from);
        pieces.emplace_back(
            text.substr(from, end == StringView::npos ? StringView::npos : end - from));
        if (end == StringView::npos) return pieces;
        from = end + 1;
    }
}

String Joined(const StringList& items, StringView separator) {
    String text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i != 0) text += separator;
        text += items[i];
    }
    return text;
}

String Quoted(StringView text) {
    return u"\"" + String(text) + u"\"";
}

String UpperCase(StringView text) {
    String out(text);
    for (auto& ch : out)
        if (ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - 32);
    return out;
}

String LowerCase(StringView text) {
    String out(text);
    for (auto& ch : out)
        if (ch >= u'A' && ch <= u'Z') ch = static_cast<char16_t>(ch + 32);
    return out;
}

bool SameText(StringView a, StringView b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
        if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
        if (x != y) return false;
    }
    return true;
}

String IntToStr(std::int64_t value) { return FromAscii(std::to_string(value)); }

bool StartsWith(StringView text, StringView prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}
