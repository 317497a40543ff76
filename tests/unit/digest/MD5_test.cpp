#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "digest/ScriptedFiles.h"
#include "digest/untMD5.h"
#include "digest/untMD5FileLib.h"
#include "digest/untMD5StringLib.h"
#include "fakes/FakeSystem.h"

namespace {

// The reference: OpenSSL's MD5, upper-case hexadecimal.
String ReferenceHex(const std::string& bytes) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), out, &len, EVP_md5(), nullptr) != 1 || len != 16)
        throw std::runtime_error("OpenSSL MD5 failed");
    TMD5Digest d;
    std::copy(out, out + 16, d.begin());
    return DigestToHex(d);
}

String OurHex(const std::string& bytes) {
    TMD5 md5;
    md5.Update(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return md5.AsString();
}

// RFC 1321, appendix A.5.
const struct {
    const char* text;
    const char16_t* digest;
} kRfcSuite[] = {
    {"", u"D41D8CD98F00B204E9800998ECF8427E"},
    {"a", u"0CC175B9C0F1B6A831C399E269772661"},
    {"abc", u"900150983CD24FB0D6963F7D28E17F72"},
    {"message digest", u"F96B697D7CB7938D525A2F31AAF161D0"},
    {"abcdefghijklmnopqrstuvwxyz", u"C3FCD3D76192E4007DFB496CCA67E13B"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     u"D174AB98D277D9F5A5611C2C9F419D9F"},
    {"1234567890123456789012345678901234567890"
     "1234567890123456789012345678901234567890",
     u"57EDF4A22BE3C955AC49DA2E2107B67A"},
};

} // namespace

TEST(MD5String, GivesTheRfcSuiteDigests) {
    FakeSystem sys;
    for (const auto& c : kRfcSuite) EXPECT_EQ(MD5String(FromAscii(c.text)), c.digest) << c.text;
}

TEST(MD5File, GivesTheRfcSuiteDigestsOfTheFilesBytes) {
    FakeSystem sys;
    ScriptedFiles files;
    ScopedService<IFiles> installed(files);
    for (const auto& c : kRfcSuite) {
        files.files[u".\\install.dat"] = c.text;
        EXPECT_EQ(MD5File(u".\\install.dat"), c.digest) << c.text;
    }
}

TEST(MD5, PaddingBoundaryLengths) {
    // Messages of n letters "a"; digests from an independent implementation (md5sum).
    const struct {
        std::size_t n;
        const char16_t* digest;
    } cases[] = {
        {55, u"EF1772B6DFF9A122358552954AD0DF65"}, {56, u"3B0C8AC703F828B04C6C197006D17218"},
        {63, u"B06521F39153D618550606BE297466D5"}, {64, u"014842D480B571495A4A0363793F7367"},
        {65, u"C743A45E0D2E6A95CB859ADAE0248435"},
    };
    for (const auto& c : cases) EXPECT_EQ(OurHex(std::string(c.n, 'a')), c.digest) << c.n;
}

TEST(MD5, UpdatesInPiecesEqualOneUpdate) {
    std::string message(65 + 128, '\0');
    for (std::size_t i = 0; i < message.size(); ++i) message[i] = static_cast<char>(i * 7 + 1);
    for (std::size_t len : {std::size_t{65}, message.size()}) {
        const std::string whole = message.substr(0, len);
        const String expected = OurHex(whole);
        EXPECT_EQ(expected, ReferenceHex(whole));

        TMD5 split;
        split.Update(whole.data(), 63);
        split.Update(whole.data() + 63, static_cast<std::uint32_t>(len - 63));
        EXPECT_EQ(split.AsString(), expected) << "63 + rest of " << len;

        TMD5 bytewise;
        for (char ch : whole) bytewise.Update(&ch, 1);
        EXPECT_EQ(bytewise.AsString(), expected) << "byte by byte of " << len;
    }
}

TEST(MD5, InitStartsAFreshMessageOnTheSameObject) {
    const std::shared_ptr<IMD5> md5 = GetMD5();
    md5->Update("something else", 14);
    (void)md5->Final();
    md5->Init();
    md5->Update("abc", 3);
    EXPECT_EQ(md5->AsString(), u"900150983CD24FB0D6963F7D28E17F72");
}

TEST(MD5, AsGUIDGroupsTheDigestDigitsInDigestOrder) {
    const std::shared_ptr<IMD5> md5 = GetMD5();
    md5->Init();
    md5->Update(String(u"abc"));
    EXPECT_EQ(md5->AsGUID(), u"{90015098-3CD2-4FB0-D696-3F7D28E17F72}");
}

TEST(MD5, EncodeAndDecodeAreLittleEndian) {
    const std::uint32_t words[2] = {0x04030201u, 0xA0B0C0D0u};
    std::uint8_t bytes[8];
    TMD5::Encode(bytes, words, 8);
    const std::uint8_t expected[8] = {1, 2, 3, 4, 0xD0, 0xC0, 0xB0, 0xA0};
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 8),
              std::vector<std::uint8_t>(expected, expected + 8));

    // From an odd offset, and only the words that Len covers.
    std::uint8_t src[9] = {0xEE, 1, 2, 3, 4, 0xD0, 0xC0, 0xB0, 0xA0};
    std::uint32_t back[16] = {};
    back[2] = 0x5A5A5A5Au;
    TMD5::Decode(back, src, 8, 1);
    EXPECT_EQ(back[0], words[0]);
    EXPECT_EQ(back[1], words[1]);
    EXPECT_EQ(back[2], 0x5A5A5A5Au);
}

TEST(MD5String, DigestsOnlyAsManyAnsiBytesAsTheTextHasCharacters) {
    FakeSystem sys; // code page 936
    // 中文 is D6 D0 CE C4 in code page 936.
    EXPECT_EQ(MD5String(u"中文"), ReferenceHex("\xD6\xD0"));
    EXPECT_EQ(MD5String(u"中"), ReferenceHex("\xD6"));
    // Mixed: 4 characters, 6 bytes: "ab" and the first character's bytes.
    EXPECT_EQ(MD5String(u"ab中文"), ReferenceHex("ab\xD6\xD0"));
    // A character the code page lacks becomes its default character, one byte.
    EXPECT_EQ(MD5String(u"a\u0E01"), ReferenceHex("a?"));
}

TEST(MD5, TextUpdateUsesUtf8AndDiffersFromTheAnsiDigest) {
    FakeSystem sys;
    const std::shared_ptr<IMD5> md5 = GetMD5();
    md5->Update(String(u"é中"));
    const String utf8Digest = md5->AsString();
    EXPECT_EQ(utf8Digest, ReferenceHex("\xC3\xA9\xE4\xB8\xAD"));
    EXPECT_NE(utf8Digest, MD5String(u"é中"));

    // For ASCII both forms are the same bytes.
    const std::shared_ptr<IMD5> ascii = GetMD5();
    ascii->Update(String(u"Dornel"));
    EXPECT_EQ(ascii->AsString(), MD5String(u"Dornel"));
}

TEST(MD5, AgreesWithOpenSslOnRandomInputsAndSplits) {
    std::mt19937 rng(20240607);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> length(0, 5000);
    for (int round = 0; round < 300; ++round) {
        const std::size_t len = round < 130 ? static_cast<std::size_t>(round) : length(rng);
        std::string bytes(len, '\0');
        for (char& ch : bytes) ch = static_cast<char>(byte(rng));

        // Fed from an odd offset in random pieces, to exercise unaligned loads and every
        // buffer fill level.
        std::string shifted = "x" + bytes;
        TMD5 md5;
        std::size_t pos = 0;
        while (pos < len) {
            const std::size_t piece =
                std::min(len - pos, std::uniform_int_distribution<std::size_t>(0, 200)(rng));
            md5.Update(shifted.data() + 1 + pos, static_cast<std::uint32_t>(piece));
            pos += piece;
        }
        ASSERT_EQ(md5.AsString(), ReferenceHex(bytes)) << "length " << len;
    }
}

TEST(FileStreamToMD5, ReportsTheFullPathAndTheSystemsReason) {
    FakeSystem sys;
    sys.processes.texts[ScriptedFiles::kSharingViolation] =
        u"The process cannot access the file because it is being used by another process.\r\n";
    ScriptedFiles files;
    ScopedService<IFiles> installed(files);
    files.files[u".\\install.dat"] = "abc";
    files.heldOpen.insert(u".\\install.dat");

    const struct {
        const char16_t* name;
        const char16_t* message;
    } cases[] = {
        {u".\\install.dat",
         u"Cannot open file \"C:\\kit\\install.dat\". The process cannot access the file because "
         u"it is being used by another process"},
        {u".\\missing.dat",
         u"Cannot open file \"C:\\kit\\missing.dat\". The system cannot find the file specified"},
    };
    for (const auto& c : cases) {
        try {
            FileStreamToMD5(c.name);
            ADD_FAILURE() << "no error for " << ToUtf8(c.name);
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST(FileStreamToMD5, WithoutASystemTextTheMessageEndsAtTheName) {
    FakeSystem sys;
    sys.processes.texts.clear();
    ScriptedFiles files;
    ScopedService<IFiles> installed(files);
    try {
        FileStreamToMD5(u"x.dat");
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), u"Cannot open file \"C:\\kit\\x.dat\".");
    }
}
