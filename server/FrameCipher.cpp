#include "FrameCipher.h"

#include "Exceptions.h"

#include <algorithm>

namespace {
constexpr int Rounds = 10;

constexpr uint8_t XTime(uint8_t x) { return static_cast<uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0x00)); }

constexpr uint8_t GfMul(uint8_t a, uint8_t b)
{
    uint8_t r = 0;
    while (b != 0) {
        if (b & 1) r ^= a;
        a = XTime(a);
        b >>= 1;
    }
    return r;
}

constexpr uint8_t RotL8(uint8_t x, int n) { return static_cast<uint8_t>((x << n) | (x >> (8 - n))); }

// S-box built from its definition (multiplicative inverse in GF(2^8), then the affine map),
// so no hand-typed table can carry a wrong entry.
constexpr std::array<uint8_t, 256> MakeSBox()
{
    std::array<uint8_t, 256> box{};
    for (int x = 0; x < 256; ++x) {
        uint8_t inv = 0;
        for (int y = 1; x != 0 && y < 256; ++y) {
            if (GfMul(static_cast<uint8_t>(x), static_cast<uint8_t>(y)) == 1) {
                inv = static_cast<uint8_t>(y);
                break;
            }
        }
        box[x] = static_cast<uint8_t>(inv ^ RotL8(inv, 1) ^ RotL8(inv, 2) ^ RotL8(inv, 3) ^ RotL8(inv, 4) ^ 0x63);
    }
    return box;
}

constexpr std::array<uint8_t, 256> MakeInvSBox(const std::array<uint8_t, 256>& box)
{
    std::array<uint8_t, 256> inv{};
    for (int x = 0; x < 256; ++x) inv[box[x]] = static_cast<uint8_t>(x);
    return inv;
}

constexpr std::array<uint8_t, 256> MakeMulTable(uint8_t factor)
{
    std::array<uint8_t, 256> t{};
    for (int x = 0; x < 256; ++x) t[x] = GfMul(static_cast<uint8_t>(x), factor);
    return t;
}

constexpr std::array<uint8_t, 256> SBox = MakeSBox();
constexpr std::array<uint8_t, 256> InvSBox = MakeInvSBox(SBox);
constexpr std::array<uint8_t, 256> Mul9 = MakeMulTable(9);
constexpr std::array<uint8_t, 256> Mul11 = MakeMulTable(11);
constexpr std::array<uint8_t, 256> Mul13 = MakeMulTable(13);
constexpr std::array<uint8_t, 256> Mul14 = MakeMulTable(14);
constexpr std::array<uint8_t, 10> RoundConstants = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x1B, 0x36};

static_assert(SBox[0x00] == 0x63 && SBox[0x53] == 0xED && SBox[0xFF] == 0x16);
static_assert(InvSBox[0x63] == 0x00);

// The state is held column by column, as the input bytes come: byte r + 4c is row r, column c.
void AddRoundKey(AesBlock& s, const AesRoundKeys& w, int round)
{
    for (std::size_t i = 0; i < AesBlockSize; ++i) s[i] ^= w[static_cast<std::size_t>(round) * AesBlockSize + i];
}

void SubBytes(AesBlock& s)
{
    for (auto& b : s) b = SBox[b];
}

void InvSubBytes(AesBlock& s)
{
    for (auto& b : s) b = InvSBox[b];
}

void ShiftRows(AesBlock& s)
{
    const AesBlock t = s;
    for (std::size_t r = 1; r < 4; ++r)
        for (std::size_t c = 0; c < 4; ++c) s[r + 4 * c] = t[r + 4 * ((c + r) % 4)];
}

void InvShiftRows(AesBlock& s)
{
    const AesBlock t = s;
    for (std::size_t r = 1; r < 4; ++r)
        for (std::size_t c = 0; c < 4; ++c) s[r + 4 * ((c + r) % 4)] = t[r + 4 * c];
}

void MixColumns(AesBlock& s)
{
    for (std::size_t c = 0; c < 4; ++c) {
        const auto col = std::span(s).subspan(4 * c).first<4>();
        const uint8_t a0 = col[0], a1 = col[1], a2 = col[2], a3 = col[3];
        col[0] = static_cast<uint8_t>(XTime(a0) ^ XTime(a1) ^ a1 ^ a2 ^ a3);
        col[1] = static_cast<uint8_t>(a0 ^ XTime(a1) ^ XTime(a2) ^ a2 ^ a3);
        col[2] = static_cast<uint8_t>(a0 ^ a1 ^ XTime(a2) ^ XTime(a3) ^ a3);
        col[3] = static_cast<uint8_t>(XTime(a0) ^ a0 ^ a1 ^ a2 ^ XTime(a3));
    }
}

void InvMixColumns(AesBlock& s)
{
    for (std::size_t c = 0; c < 4; ++c) {
        const auto col = std::span(s).subspan(4 * c).first<4>();
        const uint8_t a0 = col[0], a1 = col[1], a2 = col[2], a3 = col[3];
        col[0] = static_cast<uint8_t>(Mul14[a0] ^ Mul11[a1] ^ Mul13[a2] ^ Mul9[a3]);
        col[1] = static_cast<uint8_t>(Mul9[a0] ^ Mul14[a1] ^ Mul11[a2] ^ Mul13[a3]);
        col[2] = static_cast<uint8_t>(Mul13[a0] ^ Mul9[a1] ^ Mul14[a2] ^ Mul11[a3]);
        col[3] = static_cast<uint8_t>(Mul11[a0] ^ Mul13[a1] ^ Mul9[a2] ^ Mul14[a3]);
    }
}

[[noreturn]] void RefuseFrame(const wchar_t* why) { throw ERangeError(why); }
} // namespace

AesRoundKeys AesKeyExpansion(std::span<const uint8_t, AesKeySize> key)
{
    AesRoundKeys w{};
    std::copy(key.begin(), key.end(), w.begin());
    for (std::size_t i = 4; i < 4 * (Rounds + 1); ++i) {
        std::array<uint8_t, 4> temp = {w[4 * (i - 1)], w[4 * (i - 1) + 1], w[4 * (i - 1) + 2], w[4 * (i - 1) + 3]};
        if (i % 4 == 0) {
            temp = {SBox[temp[1]], SBox[temp[2]], SBox[temp[3]], SBox[temp[0]]}; // SubWord(RotWord)
            temp[0] ^= RoundConstants[i / 4 - 1];
        }
        for (std::size_t j = 0; j < 4; ++j) w[4 * i + j] = static_cast<uint8_t>(w[4 * (i - 4) + j] ^ temp[j]);
    }
    return w;
}

AesBlock AesCipher(const AesBlock& input, const AesRoundKeys& roundKeys)
{
    AesBlock s = input;
    AddRoundKey(s, roundKeys, 0);
    for (int round = 1; round < Rounds; ++round) {
        SubBytes(s);
        ShiftRows(s);
        MixColumns(s);
        AddRoundKey(s, roundKeys, round);
    }
    SubBytes(s);
    ShiftRows(s);
    AddRoundKey(s, roundKeys, Rounds);
    return s;
}

AesBlock AesInvCipher(const AesBlock& input, const AesRoundKeys& roundKeys)
{
    AesBlock s = input;
    AddRoundKey(s, roundKeys, Rounds);
    for (int round = Rounds - 1; round > 0; --round) {
        InvShiftRows(s);
        InvSubBytes(s);
        AddRoundKey(s, roundKeys, round);
        InvMixColumns(s);
    }
    InvShiftRows(s);
    InvSubBytes(s);
    AddRoundKey(s, roundKeys, 0);
    return s;
}

void DeriveFrameKey(FrameCipherState& state, std::span<const uint8_t, 4> derivationValue,
                    std::span<const uint8_t, 3> gatewayId, std::span<const uint8_t, AesKeySize> masterKey)
{
    const uint32_t v = (uint32_t{derivationValue[0]} << 24) | (uint32_t{derivationValue[1]} << 16) |
                       (uint32_t{derivationValue[2]} << 8) | uint32_t{derivationValue[3]};
    auto b = [v](int k) { return static_cast<uint8_t>(v >> k); };
    const uint8_t g0 = gatewayId[0], g1 = gatewayId[1], g2 = gatewayId[2];

    // The byte selection is shared with the gateways' firmware; it is not a general KDF.
    state.Iv = {b(8), b(0), b(8), b(0), b(7), b(11), g0, g2, b(8), b(8), b(8), g0, g0, b(8), g1, g0};
    state.Key = {b(8), g0, g2, g1, b(7), b(1), b(2), b(11), b(0), b(1), b(5), b(13), b(6), b(0), b(0), b(3)};
    for (std::size_t i = 0; i < AesKeySize; ++i) state.Key[i] ^= masterKey[i];
    state.Key[5] ^= b(8);
    state.RoundKeys = AesKeyExpansion(state.Key);
}

bool AesCbcDecryptFrame(FrameCipherState& state, std::span<const uint8_t> source, std::span<uint8_t> destination,
                        uint32_t length)
{
    const std::size_t blocks = length / AesBlockSize;
    const std::size_t bytes = blocks * AesBlockSize;
    // Without a whole block the destination would only hold what an earlier frame left there.
    if (blocks == 0 || length > source.size() || bytes > destination.size()) return false;

    for (std::size_t k = 0; k < blocks; ++k) {
        AesBlock c;
        std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(k * AesBlockSize), AesBlockSize, c.begin());
        const AesBlock p = AesInvCipher(c, state.RoundKeys);
        for (std::size_t i = 0; i < AesBlockSize; ++i)
            destination[k * AesBlockSize + i] = static_cast<uint8_t>(p[i] ^ state.Iv[i]);
        state.Iv = c;
    }
    return destination[1] == FrameCheckByte1 && destination[2] == FrameCheckByte2;
}

void AesCbcEncryptBlock(FrameCipherState& state, std::span<const uint8_t, AesBlockSize> source,
                        std::span<uint8_t, AesBlockSize> destination)
{
    AesBlock p;
    for (std::size_t i = 0; i < AesBlockSize; ++i) p[i] = static_cast<uint8_t>(source[i] ^ state.Iv[i]);
    state.Iv = AesCipher(p, state.RoundKeys);
    std::copy(state.Iv.begin(), state.Iv.end(), destination.begin());
}

uint8_t AesCbcEncryptPadded(FrameCipherState& state, std::span<uint8_t> buffer, int32_t length)
{
    if (length < 3) RefuseFrame(L"Frame plaintext shorter than its header");
    const std::size_t plain = static_cast<std::size_t>(length);
    const std::size_t rest = plain % AesBlockSize;
    const std::size_t pad = rest == 0 ? 0 : AesBlockSize - rest;
    const std::size_t padded = plain + pad;
    if (padded > MaxFrameBytes) RefuseFrame(L"Frame plaintext larger than the frame buffer");
    if (padded > buffer.size()) RefuseFrame(L"Frame plaintext does not fit its buffer");

    std::fill_n(buffer.begin() + static_cast<std::ptrdiff_t>(plain), pad, FramePadByte);
    buffer[0] = static_cast<uint8_t>(pad);
    for (std::size_t offset = 0; offset < padded; offset += AesBlockSize) {
        const auto block = buffer.subspan(offset).first<AesBlockSize>();
        AesCbcEncryptBlock(state, block, block);
    }
    return static_cast<uint8_t>(pad);
}
