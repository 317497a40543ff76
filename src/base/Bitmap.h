#pragma once
#include <cstdint>
#include <vector>

// A decoded picture: 32-bit pixels 0xAARRGGBB, rows from top to bottom.
struct Bitmap {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};
