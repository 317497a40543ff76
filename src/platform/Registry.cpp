#include "platform/Registry.h"

std::string RegSzBytes(StringView text) {
    std::string bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    bytes.append(2, '\0');
    return bytes;
}

std::string RegDwordBytes(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}
