#pragma once
// Bits of a skin provider's form-state word that code outside the provider sets or tests.
#include <cstdint>

inline constexpr std::uint32_t FS_COPYING = 0x1000;        // the stored form image is being copied
inline constexpr std::uint32_t FS_BLENDMOVING = 0x10000;   // frozen for a skin or scale change
inline constexpr std::uint32_t FS_SCALING = 0x1180;        // painting and moving held during a scale change
inline constexpr std::uint32_t FS_ANIMSCALING = FS_SCALING | FS_BLENDMOVING; // 0x11180
