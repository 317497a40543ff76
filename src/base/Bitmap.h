#pragma once
#include <cstdint>
#include <vector>

// A decoded picture: 32-bit pixels 0xAARRGGBB, rows from top to bottom.
struct Bitmap {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

// The largest picture decoded. A header may claim any size (65500 x 65500 in a file of a few
// bytes); the limit is checked before memory is taken, in 64-bit arithmetic so that the 32-bit
// build cannot overflow, and keeps a picture's pixels within 64 MB.
constexpr std::uint32_t kMaxPictureSide = 16384;
constexpr std::uint64_t kMaxPicturePixels = 16u * 1024 * 1024;
inline bool PictureSizeAllowed(std::uint64_t width, std::uint64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}
