#pragma once
// MD5 (RFC 1321) of bytes and texts. The program's one compute kernel: it digests the
// settings file at every start, so the bulk path compresses straight from the caller's bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/Text.h"

using TMD5Digest = std::array<std::uint8_t, 16>;

// The 0x80 byte and 63 zeros that close every message.
extern const std::array<std::uint8_t, 64> padding;
// Upper-case hexadecimal digits of the text forms.
extern const char16_t XD[17];

class IMD5 {
public:
    virtual ~IMD5() = default;
    virtual void Init() = 0;
    // Takes in the first `Len` bytes of `Input`.
    virtual void Update(const void* Input, std::uint32_t Len) = 0;
    // Takes in the UTF-8 form of the text.
    virtual void Update(const String& Input) = 0;
    // Closes the message. Exactly one of Final, AsString and AsGUID per message; a further
    // message on the same object starts with Init.
    virtual TMD5Digest Final() = 0;
    // 32 upper-case hexadecimal digits.
    virtual String AsString() = 0;
    // The same digits as {8-4-4-4-12}, bytes in digest order.
    virtual String AsGUID() = 0;
};

class TMD5 final : public IMD5 {
public:
    TMD5() { Init(); }
    void Init() override;
    void Update(const void* Input, std::uint32_t Len) override;
    void Update(const String& Input) override;
    TMD5Digest Final() override;
    String AsString() override;
    String AsGUID() override;

    // Takes in any number of bytes (the interface's count is 32-bit).
    void UpdateBytes(const std::uint8_t* Input, std::size_t Len);
    // One compression of the 64 bytes at block + shift.
    void Transform(const std::uint8_t* block, std::size_t shift);
    // Len bytes from the words of Src, each little-endian.
    static void Encode(std::uint8_t* Dst, const std::uint32_t* Src, std::size_t Len);
    // Word i of Dst from the four bytes at Src + shift + 4i, for each i with 4i below Len.
    static void Decode(std::uint32_t* Dst, const std::uint8_t* Src, std::size_t Len,
                       std::size_t shift);

private:
    std::uint32_t FContextState[4];
    std::uint32_t FContextCount[2]; // message bits mod 2^64, low word first
    std::uint8_t FContextBuffer[64];
};

// A new digest object, already initialised; released with its last reference.
std::shared_ptr<IMD5> GetMD5();

// Upper-case hexadecimal digits of a digest.
String DigestToHex(const TMD5Digest& digest);
