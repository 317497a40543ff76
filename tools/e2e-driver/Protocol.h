#pragma once
// The driver's line protocol: one JSON object per line each way, texts in UTF-8.
// Free of Windows on purpose, so the host unit tests cover it.
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace protocol {

// Answers keep their fields in the order they were set, which keeps the log readable.
using Json = nlohmann::ordered_json;

// A malformed request or a field of the wrong type; its text becomes the answer's "error".
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads one complete JSON text. Nesting is bounded: a request is a flat object.
inline Json Parse(std::string_view text) {
    constexpr int kMaxDepth = 64;
    const Json::parser_callback_t bounded = [](int depth, nlohmann::json::parse_event_t, Json&) {
        if (depth > kMaxDepth) throw Error("nested too deeply");
        return true;
    };
    try {
        return Json::parse(text, bounded);
    } catch (const nlohmann::json::exception& e) {
        throw Error(e.what());
    }
}

// Compact JSON on one line (line breaks inside texts are escaped); bytes that are not UTF-8
// become U+FFFD rather than failing the answer.
inline std::string Write(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The member `key` of an object, or nullptr.
inline const Json* Find(const Json& object, const char* key) {
    if (!object.is_object()) return nullptr;
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}
// Present and not null.
inline bool Has(const Json& object, const char* key) {
    const Json* v = Find(object, key);
    return v && !v->is_null();
}

// Whole numbers only: 150 and 1.5e2 are both 150, 1.5 is refused.
inline std::int64_t AsInt(const Json& v) {
    if (v.is_number_integer()) return v.get<std::int64_t>();
    if (v.is_number_float()) {
        const double d = v.get<double>();
        if (std::floor(d) == d && std::fabs(d) < 9e15) return static_cast<std::int64_t>(d);
    }
    throw Error("expected an integer");
}
inline const std::string& AsString(const Json& v) {
    if (!v.is_string()) throw Error("expected a text");
    return v.get_ref<const std::string&>();
}
inline bool AsBool(const Json& v) {
    if (!v.is_boolean()) throw Error("expected true or false");
    return v.get<bool>();
}

} // namespace protocol
