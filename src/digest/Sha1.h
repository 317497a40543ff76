#pragma once
// SHA-1 (FIPS 180-4), for name-based UUIDs only: nothing relies on it for security.
#include <array>
#include <cstdint>
#include <string_view>

std::array<std::uint8_t, 20> Sha1(std::string_view bytes);
