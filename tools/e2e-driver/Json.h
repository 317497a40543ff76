#pragma once
// A small JSON value with a strict reader and a compact writer: the driver's line protocol.
// Texts are UTF-8; \u escapes (surrogate pairs included) are decoded to UTF-8 on reading.
// Portable on purpose, so the host unit tests cover it.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace json {

class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Value {
  public:
    enum class Type { Null, Bool, Int, Double, String, Array, Object };
    using Array = std::vector<Value>;
    using Object = std::vector<std::pair<std::string, Value>>; // keeps the order written

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : type_(Type::Bool), bool_(b) {}
    Value(int i) : type_(Type::Int), int_(i) {}
    Value(long i) : type_(Type::Int), int_(i) {}
    Value(long long i) : type_(Type::Int), int_(i) {}
    Value(unsigned i) : type_(Type::Int), int_(i) {}
    Value(unsigned long i) : type_(Type::Int), int_(static_cast<std::int64_t>(i)) {}
    Value(unsigned long long i) : type_(Type::Int), int_(static_cast<std::int64_t>(i)) {}
    Value(double d) : type_(Type::Double), double_(d) {}
    Value(const char* s) : type_(Type::String), string_(s) {}
    Value(std::string s) : type_(Type::String), string_(std::move(s)) {}
    Value(std::string_view s) : type_(Type::String), string_(s) {}
    Value(Array a) : type_(Type::Array), array_(std::move(a)) {}
    Value(Object o) : type_(Type::Object), object_(std::move(o)) {}

    static Value MakeObject() { return Value(Object{}); }
    static Value MakeArray() { return Value(Array{}); }

    Type type() const { return type_; }
    bool IsNull() const { return type_ == Type::Null; }
    bool IsNumber() const { return type_ == Type::Int || type_ == Type::Double; }
    bool IsString() const { return type_ == Type::String; }
    bool IsObject() const { return type_ == Type::Object; }
    bool IsArray() const { return type_ == Type::Array; }

    bool AsBool() const {
        if (type_ != Type::Bool) throw Error("expected true or false");
        return bool_;
    }
    std::int64_t AsInt() const {
        if (type_ == Type::Int) return int_;
        if (type_ == Type::Double && std::floor(double_) == double_ && std::fabs(double_) < 9e15)
            return static_cast<std::int64_t>(double_);
        throw Error("expected an integer");
    }
    double AsDouble() const {
        if (type_ == Type::Int) return static_cast<double>(int_);
        if (type_ == Type::Double) return double_;
        throw Error("expected a number");
    }
    const std::string& AsString() const {
        if (type_ != Type::String) throw Error("expected a text");
        return string_;
    }
    const Array& AsArray() const {
        if (type_ != Type::Array) throw Error("expected an array");
        return array_;
    }
    const Object& AsObject() const {
        if (type_ != Type::Object) throw Error("expected an object");
        return object_;
    }

    // Object member or nullptr.
    const Value* Find(std::string_view key) const {
        if (type_ != Type::Object) return nullptr;
        for (const auto& [k, v] : object_)
            if (k == key) return &v;
        return nullptr;
    }
    bool Has(std::string_view key) const {
        const Value* v = Find(key);
        return v && !v->IsNull();
    }
    // Sets or replaces an object member; a null value becomes an object first.
    Value& Set(std::string key, Value value) {
        if (type_ == Type::Null) type_ = Type::Object;
        if (type_ != Type::Object) throw Error("not an object");
        for (auto& [k, v] : object_)
            if (k == key) return v = std::move(value);
        object_.emplace_back(std::move(key), std::move(value));
        return object_.back().second;
    }
    void Push(Value value) {
        if (type_ == Type::Null) type_ = Type::Array;
        if (type_ != Type::Array) throw Error("not an array");
        array_.push_back(std::move(value));
    }

    bool operator==(const Value& o) const {
        if (IsNumber() && o.IsNumber()) return AsDouble() == o.AsDouble();
        if (type_ != o.type_) return false;
        switch (type_) {
        case Type::Null:
            return true;
        case Type::Bool:
            return bool_ == o.bool_;
        case Type::String:
            return string_ == o.string_;
        case Type::Array:
            return array_ == o.array_;
        case Type::Object:
            return object_ == o.object_;
        default:
            return false;
        }
    }
    bool operator!=(const Value& o) const { return !(*this == o); }

  private:
    Type type_ = Type::Null;
    bool bool_ = false;
    std::int64_t int_ = 0;
    double double_ = 0;
    std::string string_;
    Array array_;
    Object object_;
};

namespace detail {

inline void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

class Reader {
  public:
    explicit Reader(std::string_view text) : s_(text) {}

    Value Document() {
        Value v = Parse(0);
        SkipBlanks();
        if (pos_ != s_.size()) Fail("unexpected text after the value");
        return v;
    }

  private:
    static constexpr int kMaxDepth = 64;

    [[noreturn]] void Fail(const std::string& what) const {
        throw Error(what + " at offset " + std::to_string(pos_));
    }
    void SkipBlanks() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n'))
            ++pos_;
    }
    bool Consume(char c) {
        SkipBlanks();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    void Expect(char c) {
        if (!Consume(c)) Fail(std::string("expected '") + c + "'");
    }
    void Word(std::string_view w) {
        if (s_.substr(pos_, w.size()) != w) Fail("unknown word");
        pos_ += w.size();
    }

    Value Parse(int depth) {
        if (depth > kMaxDepth) Fail("nested too deeply");
        SkipBlanks();
        if (pos_ >= s_.size()) Fail("unexpected end");
        const char c = s_[pos_];
        if (c == '{') return ParseObject(depth);
        if (c == '[') return ParseArray(depth);
        if (c == '"') return Value(ParseString());
        if (c == 't') {
            Word("true");
            return Value(true);
        }
        if (c == 'f') {
            Word("false");
            return Value(false);
        }
        if (c == 'n') {
            Word("null");
            return Value();
        }
        if (c == '-' || (c >= '0' && c <= '9')) return ParseNumber();
        Fail("unexpected character");
    }

    Value ParseObject(int depth) {
        ++pos_;
        Value v = Value::MakeObject();
        if (Consume('}')) return v;
        do {
            SkipBlanks();
            if (pos_ >= s_.size() || s_[pos_] != '"') Fail("expected a member name");
            std::string key = ParseString();
            Expect(':');
            v.Set(std::move(key), Parse(depth + 1));
        } while (Consume(','));
        Expect('}');
        return v;
    }

    Value ParseArray(int depth) {
        ++pos_;
        Value v = Value::MakeArray();
        if (Consume(']')) return v;
        do {
            v.Push(Parse(depth + 1));
        } while (Consume(','));
        Expect(']');
        return v;
    }

    std::uint32_t Hex4() {
        if (pos_ + 4 > s_.size()) Fail("short \\u escape");
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = s_[pos_++];
            v <<= 4;
            if (h >= '0' && h <= '9')
                v |= static_cast<std::uint32_t>(h - '0');
            else if (h >= 'a' && h <= 'f')
                v |= static_cast<std::uint32_t>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F')
                v |= static_cast<std::uint32_t>(h - 'A' + 10);
            else
                Fail("bad hex digit in \\u escape");
        }
        return v;
    }

    std::string ParseString() {
        ++pos_; // opening quote
        std::string out;
        for (;;) {
            if (pos_ >= s_.size()) Fail("unterminated text");
            const char c = s_[pos_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) Fail("control character in text");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= s_.size()) Fail("unterminated escape");
            const char e = s_[pos_++];
            switch (e) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                std::uint32_t cp = Hex4();
                if (cp >= 0xDC00 && cp <= 0xDFFF) Fail("lone low surrogate");
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    if (s_.substr(pos_, 2) != "\\u") Fail("lone high surrogate");
                    pos_ += 2;
                    const std::uint32_t low = Hex4();
                    if (low < 0xDC00 || low > 0xDFFF) Fail("lone high surrogate");
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                }
                AppendUtf8(out, cp);
                break;
            }
            default:
                Fail("unknown escape");
            }
        }
    }

    Value ParseNumber() {
        const size_t start = pos_;
        bool integral = true;
        if (s_[pos_] == '-') ++pos_;
        auto digits = [&] {
            const size_t from = pos_;
            while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9')
                ++pos_;
            if (pos_ == from) Fail("expected a digit");
        };
        if (pos_ < s_.size() && s_[pos_] == '0')
            ++pos_;
        else
            digits();
        if (pos_ < s_.size() && s_[pos_] == '.') {
            integral = false;
            ++pos_;
            digits();
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            integral = false;
            ++pos_;
            if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
            digits();
        }
        const std::string text(s_.substr(start, pos_ - start));
        if (integral) {
            try {
                return Value(std::stoll(text));
            } catch (const std::out_of_range&) {
                // falls through to a double
            }
        }
        return Value(std::stod(text));
    }

    std::string_view s_;
    size_t pos_ = 0;
};

inline void WriteString(std::string& out, const std::string& s) {
    out += '"';
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

inline void Write(std::string& out, const Value& v) {
    switch (v.type()) {
    case Value::Type::Null:
        out += "null";
        break;
    case Value::Type::Bool:
        out += v.AsBool() ? "true" : "false";
        break;
    case Value::Type::Int:
        out += std::to_string(v.AsInt());
        break;
    case Value::Type::Double: {
        const double d = v.AsDouble();
        if (!std::isfinite(d)) {
            out += "null"; // JSON has no infinities
            break;
        }
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.17g", d);
        out += buf;
        break;
    }
    case Value::Type::String:
        WriteString(out, v.AsString());
        break;
    case Value::Type::Array: {
        out += '[';
        bool first = true;
        for (const Value& e : v.AsArray()) {
            if (!first) out += ',';
            first = false;
            Write(out, e);
        }
        out += ']';
        break;
    }
    case Value::Type::Object: {
        out += '{';
        bool first = true;
        for (const auto& [k, e] : v.AsObject()) {
            if (!first) out += ',';
            first = false;
            WriteString(out, k);
            out += ':';
            Write(out, e);
        }
        out += '}';
        break;
    }
    }
}

} // namespace detail

// Reads one complete JSON text; raises json::Error with the offset of the first fault.
inline Value Parse(std::string_view text) {
    return detail::Reader(text).Document();
}

// Compact JSON on one line: line breaks inside texts are escaped.
inline std::string Write(const Value& v) {
    std::string out;
    detail::Write(out, v);
    return out;
}

} // namespace json
