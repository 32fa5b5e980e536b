#pragma once
// The project's PNG writer for test fixtures: writes a pixel array in any colour type and depth,
// with chosen row filters, Adam7 or not, and IDAT data split as asked. Chunks come as a list so
// that tests can add, change, break or cut them before the file is put together.
#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace png_writer {

using Bytes = std::vector<std::uint8_t>;

struct Image {
    int width = 1;
    int height = 1;
    int colourType = 6; // 0 grey, 2 RGB, 3 indexed, 4 grey + alpha, 6 RGBA
    int depth = 8;
    // Row by row, pixel by pixel, sample by sample, each at the image's depth (an index for 3).
    std::vector<unsigned> samples;
    std::vector<std::array<std::uint8_t, 3>> palette; // PLTE of colour type 3

    int Channels() const
    {
        switch (colourType) {
        case 2: return 3;
        case 4: return 2;
        case 6: return 4;
        default: return 1;
        }
    }
    unsigned Sample(int x, int y, int channel) const
    {
        return samples[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) *
                           static_cast<std::size_t>(Channels()) +
                       static_cast<std::size_t>(channel)];
    }
};

struct Options {
    bool interlace = false;
    std::vector<int> filters = {0}; // per row, cycled (over every pass's rows when interlaced)
    // IDAT data sizes, cycled until the data is used up; 0 writes an empty chunk. Empty: one chunk.
    std::vector<std::size_t> idatSplit;
    int compressionMethod = 0;
    int interlaceByte = -1; // overrides the IHDR interlace byte when not -1
};

struct Chunk {
    Chunk(std::string t, Bytes d = {}, bool bad = false, std::optional<std::uint32_t> len = {})
        : type(std::move(t)), data(std::move(d)), badCrc(bad), length(len)
    {
    }
    std::string type;
    Bytes data;
    bool badCrc = false;
    std::optional<std::uint32_t> length; // a length other than the data's
};

inline void Put32(Bytes& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline std::uint32_t Crc(const std::string& type, const Bytes& data)
{
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
    if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    return static_cast<std::uint32_t>(crc);
}

inline Bytes File(const std::vector<Chunk>& chunks)
{
    Bytes out = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    for (const Chunk& c : chunks) {
        Put32(out, c.length.value_or(static_cast<std::uint32_t>(c.data.size())));
        out.insert(out.end(), c.type.begin(), c.type.begin() + 4);
        out.insert(out.end(), c.data.begin(), c.data.end());
        Put32(out, Crc(c.type, c.data) ^ (c.badCrc ? 1u : 0u));
    }
    return out;
}

inline Bytes Zlib(const Bytes& raw)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
        throw std::runtime_error("compress2");
    out.resize(size);
    return out;
}

inline std::uint8_t Paeth(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Filter byte + filtered bytes of one packed row.
inline Bytes FilterRow(int filter, const Bytes& row, const Bytes& prev, std::size_t bpp)
{
    Bytes out{static_cast<std::uint8_t>(filter)};
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
        int pred = 0;
        switch (filter) {
        case 1: pred = a; break;
        case 2: pred = b; break;
        case 3: pred = (a + b) / 2; break;
        case 4: pred = Paeth(a, b, c); break;
        default: break;
        }
        out.push_back(static_cast<std::uint8_t>(row[i] - pred));
    }
    return out;
}

// Samples of the given columns of row y, packed at the image's depth (16 bits big-endian).
inline Bytes PackRow(const Image& img, int y, int firstColumn, int columnStep)
{
    Bytes out;
    int bitPos = 0;
    for (int x = firstColumn; x < img.width; x += columnStep)
        for (int ch = 0; ch < img.Channels(); ++ch) {
            const unsigned v = img.Sample(x, y, ch);
            if (img.depth == 16) {
                out.push_back(static_cast<std::uint8_t>(v >> 8));
                out.push_back(static_cast<std::uint8_t>(v));
            } else if (img.depth == 8) {
                out.push_back(static_cast<std::uint8_t>(v));
            } else {
                if (bitPos == 0) out.push_back(0);
                out.back() |= static_cast<std::uint8_t>(v << (8 - img.depth - bitPos));
                bitPos = (bitPos + img.depth) % 8;
            }
        }
    return out;
}

// The filtered, uncompressed image data.
inline Bytes RawData(const Image& img, const Options& opt)
{
    const std::size_t bpp = std::max<std::size_t>(1, static_cast<std::size_t>(img.Channels() * img.depth / 8));
    struct Pass {
        int firstRow, rowStep, firstColumn, columnStep;
    };
    const std::vector<Pass> passes = opt.interlace
        ? std::vector<Pass>{{0, 8, 0, 8}, {0, 8, 4, 8}, {4, 8, 0, 4}, {0, 4, 2, 4}, {2, 4, 0, 2}, {0, 2, 1, 2}, {1, 2, 0, 1}}
        : std::vector<Pass>{{0, 1, 0, 1}};
    Bytes raw;
    std::size_t rowNumber = 0;
    for (const Pass& p : passes) {
        if (img.width <= p.firstColumn) continue;
        Bytes prev;
        for (int y = p.firstRow; y < img.height; y += p.rowStep) {
            const Bytes row = PackRow(img, y, p.firstColumn, p.columnStep);
            if (prev.size() != row.size()) prev.assign(row.size(), 0);
            const Bytes filtered = FilterRow(opt.filters[rowNumber++ % opt.filters.size()], row, prev, bpp);
            raw.insert(raw.end(), filtered.begin(), filtered.end());
            prev = row;
        }
    }
    return raw;
}

inline Bytes Ihdr(const Image& img, const Options& opt)
{
    Bytes d;
    Put32(d, static_cast<std::uint32_t>(img.width));
    Put32(d, static_cast<std::uint32_t>(img.height));
    d.push_back(static_cast<std::uint8_t>(img.depth));
    d.push_back(static_cast<std::uint8_t>(img.colourType));
    d.push_back(static_cast<std::uint8_t>(opt.compressionMethod));
    d.push_back(0);
    d.push_back(static_cast<std::uint8_t>(opt.interlaceByte >= 0 ? opt.interlaceByte : opt.interlace ? 1 : 0));
    return d;
}

// IHDR, PLTE (colour type 3), the IDAT chunks, IEND.
inline std::vector<Chunk> Chunks(const Image& img, const Options& opt = {})
{
    std::vector<Chunk> chunks{{"IHDR", Ihdr(img, opt)}};
    if (img.colourType == 3) {
        Bytes plte;
        for (const auto& c : img.palette) plte.insert(plte.end(), c.begin(), c.end());
        chunks.push_back({"PLTE", plte});
    }
    const Bytes data = Zlib(RawData(img, opt));
    if (opt.idatSplit.empty()) {
        chunks.push_back({"IDAT", data});
    } else {
        std::size_t at = 0, piece = 0;
        while (at < data.size()) {
            const std::size_t n = std::min(opt.idatSplit[piece++ % opt.idatSplit.size()], data.size() - at);
            chunks.push_back({"IDAT", Bytes(data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + n))});
            at += n;
        }
    }
    chunks.push_back({"IEND", {}});
    return chunks;
}

inline Bytes Write(const Image& img, const Options& opt = {}) { return File(Chunks(img, opt)); }

} // namespace png_writer
