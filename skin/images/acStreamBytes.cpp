#include "acStreamBytes.h"

#include <vector>

std::span<const std::uint8_t> MemoryStreamBytes(TMemoryStream& stream)
{
    return {stream.Memory(), static_cast<std::size_t>(stream.Size())};
}

void SetMemoryStreamBytes(TMemoryStream& stream, std::span<const std::uint8_t> bytes)
{
    // Copy first: the bytes may be this stream's own.
    const std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
    stream.Clear();
    if (!copy.empty()) stream.WriteBuffer(copy.data(), static_cast<long long>(copy.size()));
    stream.SetPosition(0);
}
