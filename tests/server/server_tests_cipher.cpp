#include "Exceptions.h"
#include "FrameCipher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {
std::vector<uint8_t> Hex(const std::string& text)
{
    std::vector<uint8_t> out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return out;
}

template <std::size_t N>
std::array<uint8_t, N> HexArray(const std::string& text)
{
    const auto v = Hex(text);
    std::array<uint8_t, N> out{};
    EXPECT_EQ(v.size(), N);
    std::copy_n(v.begin(), std::min(N, v.size()), out.begin());
    return out;
}

FrameCipherState StateWith(const std::string& keyHex, const std::string& ivHex)
{
    FrameCipherState s;
    s.Key = HexArray<16>(keyHex);
    s.Iv = HexArray<16>(ivHex);
    s.RoundKeys = AesKeyExpansion(s.Key);
    return s;
}

const std::array<uint8_t, 16> kMaster = HexArray<16>("000102030405060708090a0b0c0d0e0f");
const std::array<uint8_t, 3> kGateway = {0x0A, 0x1B, 0x2C};
const std::array<uint8_t, 4> kDerivation = {0x12, 0x34, 0x56, 0x78};

// A plaintext envelope of the given length in a frame buffer: header, counting payload.
std::vector<uint8_t> Envelope(std::size_t length, std::size_t bufferSize = MaxFrameBytes)
{
    std::vector<uint8_t> buf(bufferSize, 0xEE);
    buf[0] = 0;
    buf[1] = 0xAA;
    buf[2] = 0x55;
    for (std::size_t i = 3; i < length; ++i) buf[i] = static_cast<uint8_t>(i * 7);
    return buf;
}
} // namespace

TEST(Aes, Fips197AppendixC1)
{
    const auto key = HexArray<16>("000102030405060708090a0b0c0d0e0f");
    const auto plain = HexArray<16>("00112233445566778899aabbccddeeff");
    const auto cipher = HexArray<16>("69c4e0d86a7b0430d8cdb78070b4c55a");
    const AesRoundKeys w = AesKeyExpansion(key);
    EXPECT_EQ(AesCipher(plain, w), cipher);
    EXPECT_EQ(AesInvCipher(cipher, w), plain);
}

TEST(Aes, KeyExpansionLastRoundKeyOfFips197AppendixA1)
{
    const AesRoundKeys w = AesKeyExpansion(HexArray<16>("2b7e151628aed2a6abf7158809cf4f3c"));
    const auto last = Hex("d014f9a8c9ee2589e13f0cc8b6630ca6");
    EXPECT_TRUE(std::equal(last.begin(), last.end(), w.begin() + 160));
}

// NIST SP 800-38A, F.2.1 / F.2.2 (CBC-AES128), all four blocks.
namespace {
const std::string kCbcKey = "2b7e151628aed2a6abf7158809cf4f3c";
const std::string kCbcIv = "000102030405060708090a0b0c0d0e0f";
const std::string kCbcPlain = "6bc1bee22e409f96e93d7e117393172a"
                              "ae2d8a571e03ac9c9eb76fac45af8e51"
                              "30c81c46a35ce411e5fbc1191a0a52ef"
                              "f69f2445df4f9b17ad2b417be66c3710";
const std::string kCbcCipher = "7649abac8119b246cee98e9b12e9197d"
                               "5086cb9b507219ee95db113a917678b2"
                               "73bed6b8e3c1743b7116e69e22229516"
                               "3ff1caa1681fac09120eca307586e1a7";
} // namespace

TEST(AesCbc, Sp80038aEncrypt)
{
    FrameCipherState s = StateWith(kCbcKey, kCbcIv);
    std::vector<uint8_t> data = Hex(kCbcPlain);
    for (std::size_t off = 0; off < data.size(); off += 16) {
        auto block = std::span(data).subspan(off).first<16>();
        AesCbcEncryptBlock(s, block, block);
    }
    EXPECT_EQ(data, Hex(kCbcCipher));
    EXPECT_TRUE(std::equal(s.Iv.begin(), s.Iv.end(), data.end() - 16)); // chaining value = last block
}

TEST(AesCbc, Sp80038aDecryptThroughFrameRoutine)
{
    FrameCipherState s = StateWith(kCbcKey, kCbcIv);
    const std::vector<uint8_t> cipher = Hex(kCbcCipher);
    std::vector<uint8_t> plain(64, 0);
    // The vector carries no check bytes, so the frame check says false; the blocks must still be right.
    EXPECT_FALSE(AesCbcDecryptFrame(s, cipher, plain, 64));
    EXPECT_EQ(plain, Hex(kCbcPlain));
}

TEST(FrameKey, DerivationValueZero)
{
    FrameCipherState s;
    const std::array<uint8_t, 4> zero{};
    DeriveFrameKey(s, zero, kGateway, kMaster);
    const uint8_t g0 = 0x0A, g1 = 0x1B, g2 = 0x2C;
    EXPECT_EQ(s.Iv, (AesBlock{0, 0, 0, 0, 0, 0, g0, g2, 0, 0, 0, g0, g0, 0, g1, g0}));
    AesKey expected = kMaster;
    expected[1] ^= g0;
    expected[2] ^= g2;
    expected[3] ^= g1;
    EXPECT_EQ(s.Key, expected);
    EXPECT_EQ(s.RoundKeys, AesKeyExpansion(expected));
}

TEST(FrameKey, WorkedExample)
{
    // v = 0x12345678: b(0)=78 b(1)=3C b(2)=9E b(3)=CF b(5)=B3 b(6)=59 b(7)=AC b(8)=56 b(11)=8A b(13)=A2
    FrameCipherState s;
    DeriveFrameKey(s, kDerivation, kGateway, kMaster);
    EXPECT_EQ(s.Iv, HexArray<16>("56785678ac8a0a2c5656560a0a561b0a"));
    EXPECT_EQ(s.Key, HexArray<16>("560b2e18a86f988d7035b9a9557576c0"));
}

TEST(FrameKey, FirstDerivationByteTakesNoPart)
{
    FrameCipherState a, b;
    DeriveFrameKey(a, std::array<uint8_t, 4>{0x00, 0x34, 0x56, 0x78}, kGateway, kMaster);
    DeriveFrameKey(b, std::array<uint8_t, 4>{0xFF, 0x34, 0x56, 0x78}, kGateway, kMaster);
    EXPECT_EQ(a.Key, b.Key);
    EXPECT_EQ(a.Iv, b.Iv);
    // ...while the second byte does, through b(11) and b(13).
    DeriveFrameKey(b, std::array<uint8_t, 4>{0x00, 0x35, 0x56, 0x78}, kGateway, kMaster);
    EXPECT_NE(a.Key, b.Key);
}

TEST(FrameCipher, PaddingAndRoundTrip)
{
    struct Case {
        int32_t length;
        uint8_t pad;
    };
    for (const Case c : {Case{1119, 1}, Case{4, 12}, Case{272, 0}, Case{3, 13}, Case{17, 15}, Case{2081, 15}, Case{2096, 0}}) {
        SCOPED_TRACE(c.length);
        std::vector<uint8_t> buf = Envelope(static_cast<std::size_t>(c.length));
        const std::vector<uint8_t> original = buf;
        FrameCipherState tx;
        DeriveFrameKey(tx, kDerivation, kGateway, kMaster);
        const uint8_t pad = AesCbcEncryptPadded(tx, buf, c.length);
        EXPECT_EQ(pad, c.pad);
        const std::size_t padded = static_cast<std::size_t>(c.length) + pad;
        ASSERT_EQ(padded % 16, 0u);
        // The largest setup frame: its 1119 plaintext bytes go out as 70 blocks.
        if (c.length == 1119) {
            EXPECT_EQ(padded / 16, 70u);
        }
        // The last padded block is encrypted, nothing beyond it is touched.
        const auto end = static_cast<std::ptrdiff_t>(padded);
        EXPECT_FALSE(std::equal(buf.begin() + end - 16, buf.begin() + end, original.begin() + end - 16));
        EXPECT_TRUE(std::equal(buf.begin() + end, buf.end(), original.begin() + end));

        FrameCipherState rx;
        DeriveFrameKey(rx, kDerivation, kGateway, kMaster);
        std::vector<uint8_t> plain(MaxFrameBytes, 0);
        ASSERT_TRUE(AesCbcDecryptFrame(rx, buf, plain, static_cast<uint32_t>(padded)));
        EXPECT_EQ(plain[0], pad);
        EXPECT_TRUE(std::equal(plain.begin() + 1, plain.begin() + c.length, original.begin() + 1));
        EXPECT_TRUE(std::all_of(plain.begin() + c.length, plain.begin() + static_cast<std::ptrdiff_t>(padded),
                                [](uint8_t b) { return b == '/'; }));
    }
}

TEST(FrameCipher, EveryFrameStartsFromTheDerivedIv)
{
    FrameCipherState s;
    std::vector<uint8_t> first = Envelope(40), second = Envelope(40);
    DeriveFrameKey(s, kDerivation, kGateway, kMaster);
    AesCbcEncryptPadded(s, first, 40);
    DeriveFrameKey(s, kDerivation, kGateway, kMaster);
    AesCbcEncryptPadded(s, second, 40);
    EXPECT_TRUE(std::equal(first.begin(), first.begin() + 48, second.begin()));
}

TEST(FrameCipher, DecryptIgnoresTrailingBytesAndRejectsWrongKey)
{
    std::vector<uint8_t> frame = Envelope(30, 37);
    FrameCipherState tx;
    DeriveFrameKey(tx, kDerivation, kGateway, kMaster);
    ASSERT_EQ(AesCbcEncryptPadded(tx, frame, 30), 2);
    frame[32] = 0x01; // five bytes after the last whole block

    std::vector<uint8_t> plain(64, 0x77);
    FrameCipherState rx;
    DeriveFrameKey(rx, kDerivation, kGateway, kMaster);
    EXPECT_TRUE(AesCbcDecryptFrame(rx, frame, plain, 37));
    EXPECT_TRUE(std::all_of(plain.begin() + 32, plain.end(), [](uint8_t b) { return b == 0x77; }));

    std::array<uint8_t, 16> otherMaster = kMaster;
    otherMaster[15] ^= 0x01;
    DeriveFrameKey(rx, kDerivation, kGateway, otherMaster);
    EXPECT_FALSE(AesCbcDecryptFrame(rx, frame, plain, 32));

    DeriveFrameKey(rx, std::array<uint8_t, 4>{0x12, 0x34, 0x56, 0x79}, kGateway, kMaster);
    EXPECT_FALSE(AesCbcDecryptFrame(rx, frame, plain, 32));
}

TEST(FrameCipher, DecryptRefusesWhatDoesNotFit)
{
    std::vector<uint8_t> frame = Envelope(32, 32);
    FrameCipherState tx;
    DeriveFrameKey(tx, kDerivation, kGateway, kMaster);
    AesCbcEncryptPadded(tx, frame, 32);

    FrameCipherState rx;
    DeriveFrameKey(rx, kDerivation, kGateway, kMaster);
    const AesBlock iv = rx.Iv;

    // A destination still holding a good plaintext must not make a short frame pass.
    std::vector<uint8_t> plain = {0, 0xAA, 0x55};
    plain.resize(32, 0);
    EXPECT_FALSE(AesCbcDecryptFrame(rx, frame, plain, 15));
    EXPECT_FALSE(AesCbcDecryptFrame(rx, frame, plain, 0));
    // Length beyond the source, destination too small for the blocks.
    EXPECT_FALSE(AesCbcDecryptFrame(rx, frame, plain, 48));
    std::vector<uint8_t> small(31, 0x11);
    EXPECT_FALSE(AesCbcDecryptFrame(rx, frame, small, 32));
    EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](uint8_t b) { return b == 0x11; }));
    EXPECT_EQ(rx.Iv, iv);

    EXPECT_TRUE(AesCbcDecryptFrame(rx, frame, plain, 32));
}

TEST(FrameCipher, EncryptRefusesWhatDoesNotFit)
{
    FrameCipherState s;
    DeriveFrameKey(s, kDerivation, kGateway, kMaster);
    const AesBlock iv = s.Iv;

    std::vector<uint8_t> big = Envelope(2097, 2112);
    const std::vector<uint8_t> bigBefore = big;
    EXPECT_THROW(AesCbcEncryptPadded(s, big, 2097), ERangeError); // beyond the largest frame buffer
    EXPECT_EQ(big, bigBefore);

    std::vector<uint8_t> tight = Envelope(20, 30); // 20 bytes need 12 bytes of padding: 32 > 30
    const std::vector<uint8_t> tightBefore = tight;
    EXPECT_THROW(AesCbcEncryptPadded(s, tight, 20), ERangeError);
    EXPECT_EQ(tight, tightBefore);
    EXPECT_THROW(AesCbcEncryptPadded(s, tight, 2), ERangeError);
    EXPECT_THROW(AesCbcEncryptPadded(s, tight, -16), ERangeError);
    EXPECT_EQ(s.Iv, iv);

    std::vector<uint8_t> exact = Envelope(32, 32);
    EXPECT_EQ(AesCbcEncryptPadded(s, exact, 32), 0);
}
