#include "platform/Registry.h"

std::string RegSzBytes(StringView text) {
    return ToUtf16Le(text).append(2, '\0');
}

std::string RegDwordBytes(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}
