#pragma once
// The bytes of a memory stream as binary properties (image items, stored fonts) read and write them.
#include "Streams.h"

#include <cstdint>
#include <span>

// A memory stream's bytes.
std::span<const std::uint8_t> MemoryStreamBytes(TMemoryStream& stream);
// Replaces a memory stream's bytes (they may be its own) and rewinds it.
void SetMemoryStreamBytes(TMemoryStream& stream, std::span<const std::uint8_t> bytes);
