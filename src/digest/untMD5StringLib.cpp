#include "digest/untMD5StringLib.h"

#include <cstring>

namespace {

constexpr std::array<std::uint8_t, 64> MakePadding() {
    std::array<std::uint8_t, 64> p{};
    p[0] = 0x80;
    return p;
}

// Byte-wise little-endian load: right on any host byte order and alignment; compilers turn
// it into one plain load on little-endian machines.
inline std::uint32_t LoadLE(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline std::uint32_t RL(std::uint32_t x, unsigned n) { return (x << n) | (x >> (32 - n)); }

// Round functions in forms with short dependency chains. In G the two terms never share a
// set bit, so adding them equals or-ing them and lets the additions start earlier.
inline std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return z ^ (x & (y ^ z));
}
inline std::uint32_t G(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return (x & z) + (y & ~z);
}
inline std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; }
inline std::uint32_t I(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return y ^ (x | ~z);
}

#define MD5_STEP(f, a, b, c, d, x, s, ac)                                                     \
    a += f(b, c, d) + (x) + static_cast<std::uint32_t>(ac);                                  \
    (a) = RL(a, s) + (b);

// Compresses `blocks` consecutive 64-byte blocks, keeping the state in registers between them.
void Compress(std::uint32_t state[4], const std::uint8_t* p, std::size_t blocks) {
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (; blocks > 0; --blocks, p += 64) {
        const std::uint32_t x0 = LoadLE(p), x1 = LoadLE(p + 4), x2 = LoadLE(p + 8),
                            x3 = LoadLE(p + 12), x4 = LoadLE(p + 16), x5 = LoadLE(p + 20),
                            x6 = LoadLE(p + 24), x7 = LoadLE(p + 28), x8 = LoadLE(p + 32),
                            x9 = LoadLE(p + 36), x10 = LoadLE(p + 40), x11 = LoadLE(p + 44),
                            x12 = LoadLE(p + 48), x13 = LoadLE(p + 52), x14 = LoadLE(p + 56),
                            x15 = LoadLE(p + 60);
        const std::uint32_t aa = a, bb = b, cc = c, dd = d;

        MD5_STEP(F, a, b, c, d, x0, 7, 0xd76aa478)
        MD5_STEP(F, d, a, b, c, x1, 12, 0xe8c7b756)
        MD5_STEP(F, c, d, a, b, x2, 17, 0x242070db)
        MD5_STEP(F, b, c, d, a, x3, 22, 0xc1bdceee)
        MD5_STEP(F, a, b, c, d, x4, 7, 0xf57c0faf)
        MD5_STEP(F, d, a, b, c, x5, 12, 0x4787c62a)
        MD5_STEP(F, c, d, a, b, x6, 17, 0xa8304613)
        MD5_STEP(F, b, c, d, a, x7, 22, 0xfd469501)
        MD5_STEP(F, a, b, c, d, x8, 7, 0x698098d8)
        MD5_STEP(F, d, a, b, c, x9, 12, 0x8b44f7af)
        MD5_STEP(F, c, d, a, b, x10, 17, 0xffff5bb1)
        MD5_STEP(F, b, c, d, a, x11, 22, 0x895cd7be)
        MD5_STEP(F, a, b, c, d, x12, 7, 0x6b901122)
        MD5_STEP(F, d, a, b, c, x13, 12, 0xfd987193)
        MD5_STEP(F, c, d, a, b, x14, 17, 0xa679438e)
        MD5_STEP(F, b, c, d, a, x15, 22, 0x49b40821)

        MD5_STEP(G, a, b, c, d, x1, 5, 0xf61e2562)
        MD5_STEP(G, d, a, b, c, x6, 9, 0xc040b340)
        MD5_STEP(G, c, d, a, b, x11, 14, 0x265e5a51)
        MD5_STEP(G, b, c, d, a, x0, 20, 0xe9b6c7aa)
        MD5_STEP(G, a, b, c, d, x5, 5, 0xd62f105d)
        MD5_STEP(G, d, a, b, c, x10, 9, 0x02441453)
        MD5_STEP(G, c, d, a, b, x15, 14, 0xd8a1e681)
        MD5_STEP(G, b, c, d, a, x4, 20, 0xe7d3fbc8)
        MD5_STEP(G, a, b, c, d, x9, 5, 0x21e1cde6)
        MD5_STEP(G, d, a, b, c, x14, 9, 0xc33707d6)
        MD5_STEP(G, c, d, a, b, x3, 14, 0xf4d50d87)
        MD5_STEP(G, b, c, d, a, x8, 20, 0x455a14ed)
        MD5_STEP(G, a, b, c, d, x13, 5, 0xa9e3e905)
        MD5_STEP(G, d, a, b, c, x2, 9, 0xfcefa3f8)
        MD5_STEP(G, c, d, a, b, x7, 14, 0x676f02d9)
        MD5_STEP(G, b, c, d, a, x12, 20, 0x8d2a4c8a)

        MD5_STEP(H, a, b, c, d, x5, 4, 0xfffa3942)
        MD5_STEP(H, d, a, b, c, x8, 11, 0x8771f681)
        MD5_STEP(H, c, d, a, b, x11, 16, 0x6d9d6122)
        MD5_STEP(H, b, c, d, a, x14, 23, 0xfde5380c)
        MD5_STEP(H, a, b, c, d, x1, 4, 0xa4beea44)
        MD5_STEP(H, d, a, b, c, x4, 11, 0x4bdecfa9)
        MD5_STEP(H, c, d, a, b, x7, 16, 0xf6bb4b60)
        MD5_STEP(H, b, c, d, a, x10, 23, 0xbebfbc70)
        MD5_STEP(H, a, b, c, d, x13, 4, 0x289b7ec6)
        MD5_STEP(H, d, a, b, c, x0, 11, 0xeaa127fa)
        MD5_STEP(H, c, d, a, b, x3, 16, 0xd4ef3085)
        MD5_STEP(H, b, c, d, a, x6, 23, 0x04881d05)
        MD5_STEP(H, a, b, c, d, x9, 4, 0xd9d4d039)
        MD5_STEP(H, d, a, b, c, x12, 11, 0xe6db99e5)
        MD5_STEP(H, c, d, a, b, x15, 16, 0x1fa27cf8)
        MD5_STEP(H, b, c, d, a, x2, 23, 0xc4ac5665)

        MD5_STEP(I, a, b, c, d, x0, 6, 0xf4292244)
        MD5_STEP(I, d, a, b, c, x7, 10, 0x432aff97)
        MD5_STEP(I, c, d, a, b, x14, 15, 0xab9423a7)
        MD5_STEP(I, b, c, d, a, x5, 21, 0xfc93a039)
        MD5_STEP(I, a, b, c, d, x12, 6, 0x655b59c3)
        MD5_STEP(I, d, a, b, c, x3, 10, 0x8f0ccc92)
        MD5_STEP(I, c, d, a, b, x10, 15, 0xffeff47d)
        MD5_STEP(I, b, c, d, a, x1, 21, 0x85845dd1)
        MD5_STEP(I, a, b, c, d, x8, 6, 0x6fa87e4f)
        MD5_STEP(I, d, a, b, c, x15, 10, 0xfe2ce6e0)
        MD5_STEP(I, c, d, a, b, x6, 15, 0xa3014314)
        MD5_STEP(I, b, c, d, a, x13, 21, 0x4e0811a1)
        MD5_STEP(I, a, b, c, d, x4, 6, 0xf7537e82)
        MD5_STEP(I, d, a, b, c, x11, 10, 0xbd3af235)
        MD5_STEP(I, c, d, a, b, x2, 15, 0x2ad7d2bb)
        MD5_STEP(I, b, c, d, a, x9, 21, 0xeb86d391)

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
}

#undef MD5_STEP

} // namespace

// Constant-initialised, so it is ready before any other unit's start-up code runs.
const std::array<std::uint8_t, 64> padding = MakePadding();
const char16_t XD[17] = u"0123456789ABCDEF";

void TMD5::Init() {
    FContextState[0] = 0x67452301;
    FContextState[1] = 0xefcdab89;
    FContextState[2] = 0x98badcfe;
    FContextState[3] = 0x10325476;
    FContextCount[0] = 0;
    FContextCount[1] = 0;
    std::memset(FContextBuffer, 0, sizeof FContextBuffer);
}

void TMD5::Update(const void* Input, std::uint32_t Len) {
    UpdateBytes(static_cast<const std::uint8_t*>(Input), Len);
}

void TMD5::Update(const String& Input) {
    const std::string utf8 = ToUtf8(Input);
    UpdateBytes(reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size());
}

void TMD5::UpdateBytes(const std::uint8_t* Input, std::size_t Len) {
    if (Len == 0) return;
    std::size_t index = (FContextCount[0] >> 3) & 0x3F;
    const std::uint64_t bits =
        ((static_cast<std::uint64_t>(FContextCount[1]) << 32) | FContextCount[0]) +
        (static_cast<std::uint64_t>(Len) << 3);
    FContextCount[0] = static_cast<std::uint32_t>(bits);
    FContextCount[1] = static_cast<std::uint32_t>(bits >> 32);

    if (index != 0) {
        const std::size_t part = 64 - index;
        if (Len < part) {
            std::memcpy(FContextBuffer + index, Input, Len);
            return;
        }
        std::memcpy(FContextBuffer + index, Input, part);
        Compress(FContextState, FContextBuffer, 1);
        Input += part;
        Len -= part;
    }
    // Whole blocks straight from the caller's bytes: no copy.
    const std::size_t blocks = Len / 64;
    if (blocks != 0) {
        Compress(FContextState, Input, blocks);
        Input += blocks * 64;
        Len -= blocks * 64;
    }
    if (Len != 0) std::memcpy(FContextBuffer, Input, Len);
}

TMD5Digest TMD5::Final() {
    std::uint8_t bits[8];
    Encode(bits, FContextCount, 8);
    const std::uint32_t index = (FContextCount[0] >> 3) & 0x3F;
    const std::uint32_t padLen = index < 56 ? 56 - index : 120 - index;
    Update(padding.data(), padLen);
    Update(bits, 8);
    TMD5Digest digest;
    Encode(digest.data(), FContextState, 16);
    return digest;
}

String TMD5::AsString() { return DigestToHex(Final()); }

String TMD5::AsGUID() {
    const String hex = AsString();
    String guid;
    guid.reserve(38);
    guid += u'{';
    for (std::size_t byte = 0; byte < 16; ++byte) {
        if (byte == 4 || byte == 6 || byte == 8 || byte == 10) guid += u'-';
        guid.append(hex, byte * 2, 2);
    }
    guid += u'}';
    return guid;
}

void TMD5::Transform(const std::uint8_t* block, std::size_t shift) {
    Compress(FContextState, block + shift, 1);
}

void TMD5::Encode(std::uint8_t* Dst, const std::uint32_t* Src, std::size_t Len) {
    for (std::size_t i = 0; i < Len; ++i)
        Dst[i] = static_cast<std::uint8_t>(Src[i / 4] >> (8 * (i % 4)));
}

void TMD5::Decode(std::uint32_t* Dst, const std::uint8_t* Src, std::size_t Len,
                  std::size_t shift) {
    for (std::size_t i = 0; i < 16 && 4 * i < Len; ++i) Dst[i] = LoadLE(Src + shift + 4 * i);
}

std::shared_ptr<IMD5> GetMD5() { return std::make_shared<TMD5>(); }

String DigestToHex(const TMD5Digest& digest) {
    String hex(32, u'0');
    for (std::size_t i = 0; i < 16; ++i) {
        hex[2 * i] = XD[digest[i] >> 4];
        hex[2 * i + 1] = XD[digest[i] & 0x0F];
    }
    return hex;
}
