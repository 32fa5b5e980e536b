// Writes the skin library's PNG pictures (resources/glyphs/*.png) with the project's PNG writer:
// the five glyphs of the old-glyphs mode, each 32 x 16, a normal and a hot state of 16 x 16 side
// by side, and ACHINT, the 27 x 27 bubble of the default hint template.
// Run once after a design change: tools/wine-run build/tests/skin/skin_glyphs_tool.exe <folder>
#include "skin_images_png_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

namespace {

// Coverage (0..255) of pixel (x, y) of a 16 x 16 glyph.
using Shape = std::function<unsigned(int x, int y)>;

unsigned Box(int x, int y, int l, int t, int r, int b) { return x >= l && x < r && y >= t && y < b ? 255 : 0; }

unsigned Ring(int x, int y, double cx, double cy, double r0, double r1)
{
    const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
    return d >= r0 && d <= r1 ? 255 : 0;
}

const Shape kFolder = [](int x, int y) { return Box(x, y, 1, 4, 15, 14) | Box(x, y, 1, 2, 7, 4); };
const Shape kRefresh = [](int x, int y) { return (Ring(x, y, 8, 8, 4, 6.5) & (x < 9 || y > 6 ? 255u : 0u)) | Box(x, y, 10, 2, 15, 7); };
const Shape kDate = [](int x, int y) {
    const bool grid = (x - 2) % 4 == 0 || (y - 4) % 4 == 0;
    return Box(x, y, 2, 2, 15, 15) & (grid || y < 5 ? 255u : 0u);
};
const Shape kEllipsis = [](int x, int y) { return Box(x, y, 2, 7, 4, 9) | Box(x, y, 7, 7, 9, 9) | Box(x, y, 12, 7, 14, 9); };
const Shape kCalc = [](int x, int y) {
    return Box(x, y, 3, 1, 13, 15) & ((Box(x, y, 4, 2, 12, 6) || (Box(x, y, 4, 7, 12, 14) && (x - 4) % 3 != 2 && (y - 7) % 3 != 2)) ? 0u : 255u);
};

png_writer::Bytes Glyph(const Shape& shape)
{
    png_writer::Image img;
    img.width = 32;
    img.height = 16;
    img.colourType = 6;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool hot = x >= 16;
            const unsigned a = shape(x % 16, y);
            // Normal: dark slate; hot: the same glyph in blue.
            img.samples.insert(img.samples.end(), {hot ? 0x20u : 0x40u, hot ? 0x60u : 0x48u, hot ? 0xD0u : 0x50u, a});
        }
    return png_writer::Write(img);
}

// Signed distance of a pixel centre to a rounded rectangle (negative inside).
double RoundRectDistance(double px, double py, double l, double t, double r, double b, double radius)
{
    const double cx = std::clamp(px, l + radius, r - radius);
    const double cy = std::clamp(py, t + radius, b - radius);
    return std::hypot(px - cx, py - cy) - radius;
}

// The default hint picture: a pale bubble with a thin grey frame inside the shadow bands of the
// template (left 6, top 5, right 7, bottom 8) and a soft shadow falling to the right and down,
// so that the borders 11/10/14/15 and margins 11/8/16/15 of the template fit it.
png_writer::Bytes HintBubble()
{
    constexpr int size = 27;
    png_writer::Image img;
    img.width = size;
    img.height = size;
    img.colourType = 6;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double body = RoundRectDistance(px, py, 6, 5, size - 7, size - 8, 4);
            const double shadow = RoundRectDistance(px, py, 8, 8, size - 4, size - 4, 5);
            const double shadowA = 90.0 * std::clamp(0.5 - shadow / 4.0, 0.0, 1.0);
            const double cover = std::clamp(0.5 - body, 0.0, 1.0);  // anti-aliased edge
            const double frame = std::clamp(1.5 + body, 0.0, 1.0);  // the outer pixel of the body
            // Body colour: pale cream, its frame grey.
            const double br = 255 * (1 - frame) + 128 * frame;
            const double bg = 253 * (1 - frame) + 128 * frame;
            const double bb = 232 * (1 - frame) + 128 * frame;
            // Body over shadow (the shadow is black).
            const double a = cover * 255 + shadowA * (1 - cover);
            auto channel = [&](double c) { return a > 0 ? static_cast<unsigned>(std::lround(c * cover * 255 / a)) : 0u; };
            img.samples.insert(img.samples.end(), {channel(br), channel(bg), channel(bb), static_cast<unsigned>(std::lround(a))});
        }
    return png_writer::Write(img);
}

void WriteFile(const std::string& path, const png_writer::Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::printf("written: %s\n", path.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin_glyphs_tool <folder>\n");
        return 2;
    }
    const std::pair<const char*, const Shape*> glyphs[] = {
        {"SF", &kFolder}, {"SR", &kRefresh}, {"SD", &kDate}, {"SE", &kEllipsis}, {"SC", &kCalc}};
    for (const auto& [name, shape] : glyphs) WriteFile(std::string(argv[1]) + "\\" + name + ".png", Glyph(*shape));
    WriteFile(std::string(argv[1]) + "\\ACHINT.png", HintBubble());
    return 0;
}
