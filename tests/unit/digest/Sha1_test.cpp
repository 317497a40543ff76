#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <random>
#include <string>

#include "digest/Sha1.h"

namespace {

std::string Hex(const std::array<std::uint8_t, 20>& d) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (std::uint8_t b : d) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

std::string Reference(const std::string& bytes) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned len = 0;
    EXPECT_EQ(EVP_Digest(bytes.data(), bytes.size(), out, &len, EVP_sha1(), nullptr), 1);
    std::array<std::uint8_t, 20> d{};
    for (unsigned i = 0; i < 20 && i < len; ++i)
        d[i] = out[i];
    return Hex(d);
}

} // namespace

TEST(Sha1, KnownVectorsAndEveryTailLength) {
    EXPECT_EQ(Hex(Sha1("")), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(Hex(Sha1("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Hex(Sha1("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    // Lengths around the block and padding edges (55, 56, 63, 64, 119, 120 ...).
    std::mt19937 random(7);
    for (std::size_t length = 0; length <= 200; ++length) {
        std::string bytes(length, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        EXPECT_EQ(Hex(Sha1(bytes)), Reference(bytes)) << length;
    }
}
