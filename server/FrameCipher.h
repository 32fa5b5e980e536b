#pragma once
// AES-128 (FIPS-197) in CBC mode for the frames exchanged with the gateways, with the per-frame
// key and IV derived from the frame's derivation value, the gateway ID and the master key.
//
// Plaintext envelope of every frame (both directions):
//   byte 0      pad count (0..15)
//   bytes 1, 2  check bytes 0xAA 0x55
//   bytes 3..   payload, then pad count bytes '/'
// The padded plaintext is a whole number of 16-byte blocks; the ciphertext has the same length.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

inline constexpr std::size_t AesBlockSize = 16;
inline constexpr std::size_t AesKeySize = 16;
inline constexpr std::size_t AesRoundKeySize = 176; // 11 round keys, Nk = 4, Nr = 10

// Largest frame buffer of a contact: no frame plaintext or ciphertext may exceed it.
inline constexpr std::size_t MaxFrameBytes = 2096;

inline constexpr uint8_t FramePadByte = '/';
inline constexpr uint8_t FrameCheckByte1 = 0xAA;
inline constexpr uint8_t FrameCheckByte2 = 0x55;

using AesBlock = std::array<uint8_t, AesBlockSize>;
using AesKey = std::array<uint8_t, AesKeySize>;
using AesRoundKeys = std::array<uint8_t, AesRoundKeySize>;

// Cipher state of one contact. Every frame starts from a fresh DeriveFrameKey; within a frame
// Iv is the CBC chaining value (the last ciphertext block).
struct FrameCipherState {
    AesKey Key{};
    AesBlock Iv{};
    AesRoundKeys RoundKeys{};
};

// Sets key, IV and round keys from the 4-byte derivation value and the 3-byte gateway ID (both
// in frame order) and the 16-byte master key.
void DeriveFrameKey(FrameCipherState& state, std::span<const uint8_t, 4> derivationValue,
                    std::span<const uint8_t, 3> gatewayId, std::span<const uint8_t, AesKeySize> masterKey);

// Decrypts the first length / 16 whole blocks of source into destination (trailing bytes are
// ignored) and returns true when the check bytes 0xAA 0x55 are found at destination[1..2].
// Returns false without touching state or destination when there is no whole block, or when
// length exceeds source or the blocks do not fit into destination.
bool AesCbcDecryptFrame(FrameCipherState& state, std::span<const uint8_t> source, std::span<uint8_t> destination,
                        uint32_t length);

// Pads the plaintext buffer[0..length) in place with '/' to a multiple of 16, writes the pad
// count into buffer[0], encrypts the padded plaintext in place and returns the pad count.
// The caller has written 0xAA 0x55 into bytes 1 and 2. Throws ERangeError (nothing changed)
// when length is below 3, or when the padded plaintext exceeds buffer or MaxFrameBytes.
uint8_t AesCbcEncryptPadded(FrameCipherState& state, std::span<uint8_t> buffer, int32_t length);

// One CBC step: destination = AesCipher(source XOR Iv), then Iv = destination.
// Source and destination may be the same block.
void AesCbcEncryptBlock(FrameCipherState& state, std::span<const uint8_t, AesBlockSize> source,
                        std::span<uint8_t, AesBlockSize> destination);

AesBlock AesCipher(const AesBlock& input, const AesRoundKeys& roundKeys);
AesBlock AesInvCipher(const AesBlock& input, const AesRoundKeys& roundKeys);
AesRoundKeys AesKeyExpansion(std::span<const uint8_t, AesKeySize> key);
