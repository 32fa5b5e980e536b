// Writes the skin library's five PNG glyphs of the old-glyphs mode (resources/glyphs/*.png) with
// the project's PNG writer: each 32 x 16, a normal and a hot state of 16 x 16 side by side.
// Run once after a design change: tools/wine-run build/tests/skin/skin_glyphs_tool.exe <folder>
#include "skin_images_png_writer.h"

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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin_glyphs_tool <folder>\n");
        return 2;
    }
    const std::pair<const char*, const Shape*> glyphs[] = {
        {"SF", &kFolder}, {"SR", &kRefresh}, {"SD", &kDate}, {"SE", &kEllipsis}, {"SC", &kCalc}};
    for (const auto& [name, shape] : glyphs) {
        const std::string path = std::string(argv[1]) + "\\" + name + ".png";
        const png_writer::Bytes bytes = Glyph(*shape);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        std::printf("written: %s\n", path.c_str());
    }
    return 0;
}
