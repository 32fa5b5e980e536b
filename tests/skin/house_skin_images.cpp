// The house skin's pictures: the master image, the edit frames and the preview, drawn in flat
// colours, and their PNG and BMP files.
#include "house_skin.h"

#include "Graphics.h"
#include "Streams.h"
#include "skin_images_png_writer.h"

#include <algorithm>
#include <cstring>

namespace house_skin {
namespace {

class Canvas {
public:
    Canvas(int width, int height, Argb fill)
        : width_(width), pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill)
    {
    }
    void Set(int x, int y, Argb value)
    {
        pixels_.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) = value;
    }
    void Fill(const Rect& r, Argb value)
    {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) Set(x, y, value);
    }
    std::vector<Argb> Take() { return std::move(pixels_); }

private:
    int width_;
    std::vector<Argb> pixels_;
};

// Distance of a pixel to the nearest edge of a w x h frame.
constexpr int EdgeDistance(int x, int y, int w, int h) { return std::min(std::min(x, y), std::min(w - 1 - x, h - 1 - y)); }

// Inside one of the four s x s corner squares of a w x h frame.
constexpr bool InCorner(int x, int y, int w, int h, int s)
{
    return (x < s || x >= w - s) && (y < s || y >= h - s);
}

Argb WithAlpha(std::uint32_t rgb, std::uint8_t alpha) { return static_cast<Argb>(alpha) << 24 | (rgb & 0xFFFFFF); }

void DrawButton(Canvas& c)
{
    const int f = kButtonFrame;
    for (int frame = 0; frame < 3; ++frame)
        for (int y = 0; y < f; ++y)
            for (int x = 0; x < f; ++x) {
                const int px = kButton.left + frame * f + x, py = kButton.top + y;
                if (InCorner(x, y, f, f, kCornerSize)) {
                    c.Set(px, py, kKey);
                    c.Set(px, py + f, kMaskWhite);
                } else if (EdgeDistance(x, y, f, f) == 0) {
                    c.Set(px, py, kButtonBorder[frame]);
                    c.Set(px, py + f, kMaskGrey);
                } else {
                    c.Set(px, py, kButtonFace[frame]);
                    c.Set(px, py + f, kMaskBlack);
                }
            }
}

void DrawTile(Canvas& c)
{
    for (int y = 0; y < kTile.Height(); ++y)
        for (int x = 0; x < kTile.Width(); ++x)
            c.Set(kTile.left + x, kTile.top + y, (x < 8) == (y < 8) ? kTileA : kTileB);
}

void DrawCheck(Canvas& c)
{
    for (int frame = 0; frame < 2; ++frame)
        for (int y = 0; y < kCheckFrame; ++y)
            for (int x = 0; x < kCheckFrame; ++x)
                c.Set(kCheck.left + frame * kCheckFrame + x, kCheck.top + y, IsTickPixel(x, y) ? kCheckInk[frame] : kKey);
}

void DrawGlows(Canvas& c)
{
    for (int frame = 0; frame < 2; ++frame)
        for (int y = 0; y < kGlowFrame; ++y)
            for (int x = 0; x < kGlowFrame; ++x) {
                const int ring = std::min(EdgeDistance(x, y, kGlowFrame, kGlowFrame) / 2, 3);
                c.Set(kGlow.left + frame * kGlowFrame + x, kGlow.top + y, WithAlpha(kGlowRgb[frame], kGlowAlpha[ring]));
            }
    for (int y = 0; y < kCloseGlow.Height(); ++y)
        for (int x = 0; x < kCloseGlow.Width(); ++x) {
            const int ring = std::min(EdgeDistance(x, y, kCloseGlow.Width(), kCloseGlow.Height()) / 2, 2);
            c.Set(kCloseGlow.left + x, kCloseGlow.top + y, WithAlpha(kCloseGlowRgb, kCloseGlowAlpha[ring]));
        }
}

void DrawExBorder(Canvas& c)
{
    const int f = kExBorderFrame;
    for (int frame = 0; frame < 2; ++frame)
        for (int y = 0; y < f; ++y)
            for (int x = 0; x < f; ++x) {
                const int d = EdgeDistance(x, y, f, f);
                const Argb value = InCorner(x, y, f, f, kCornerSize) ? kKey
                                   : d == 0                          ? kExEdge[frame]
                                   : d < kExBorderMargin             ? kExFill[frame]
                                                                     : kExCentre;
                c.Set(kExBorder.left + frame * f + x, kExBorder.top + y, value);
            }
}

void DrawTitleGlyphs(Canvas& c)
{
    for (TitleGlyph g : {TitleGlyph::Close, TitleGlyph::Max, TitleGlyph::Min, TitleGlyph::Norm}) {
        const Rect r = TitleRect(g);
        for (int frame = 0; frame < 3; ++frame)
            for (int y = 0; y < kTitleFrameHeight; ++y)
                for (int x = 0; x < kTitleFrameWidth; ++x)
                    c.Set(r.left + frame * kTitleFrameWidth + x, r.top + y,
                          IsTitlePixel(g, x, y) ? kTitleInk[frame] : kKey);
    }
}

void DrawTrackBarImages(Canvas& c)
{
    const int f = kTrackChannelFrame;
    for (int frame = 0; frame < 2; ++frame)
        for (int y = 0; y < f; ++y)
            for (int x = 0; x < f; ++x)
                c.Set(kTrackChannel.left + frame * f + x, kTrackChannel.top + y,
                      EdgeDistance(x, y, f, f) == 0 ? kTrackChannelEdge : kTrackChannelFill[frame]);
    for (int frame = 0; frame < 3; ++frame)
        for (int along = 0; along < kTrackThumbLength; ++along)
            for (int across = 0; across < kTrackThumbDepth; ++across) {
                const Argb ink = across >= kTrackThumbDepth - kTrackThumbPoint ? kTrackThumbPointInk : kTrackThumb[frame];
                c.Set(kTrackThumbH.left + frame * kTrackThumbLength + along, kTrackThumbH.top + across, ink);
                c.Set(kTrackThumbV.left + frame * kTrackThumbDepth + across, kTrackThumbV.top + along, ink);
            }
    c.Fill(kTickHorz, kTrackTick);
    c.Fill(kTickVert, kTrackTick);
}

void DrawMenuImages(Canvas& c)
{
    for (int frame = 0; frame < 2; ++frame)
        for (int y = 0; y < kRadioFrame; ++y)
            for (int x = 0; x < kRadioFrame; ++x)
                c.Set(kRadio.left + frame * kRadioFrame + x, kRadio.top + y, IsRadioPixel(x, y) ? kRadioInk[frame] : kKey);
    const int f = kMenuBorder.Width();
    for (int y = 0; y < f; ++y)
        for (int x = 0; x < f; ++x) {
            const int d = EdgeDistance(x, y, f, f);
            const Argb value = InCorner(x, y, f, f, kCornerSize) ? kKey
                               : d == 0                          ? kMenuEdge
                               : d < kMenuBorderMargin           ? kMenuFrame
                                                                 : kKey;
            c.Set(kMenuBorder.left + x, kMenuBorder.top + y, value);
        }
    c.Fill(kDivider, kDividerInk);
}

png_writer::Image ToPngImage(int width, int height, const std::vector<Argb>& pixels)
{
    png_writer::Image img;
    img.width = width;
    img.height = height;
    img.colourType = 6;
    img.samples.reserve(pixels.size() * 4);
    for (Argb p : pixels) {
        img.samples.push_back(p >> 16 & 0xFF);
        img.samples.push_back(p >> 8 & 0xFF);
        img.samples.push_back(p & 0xFF);
        img.samples.push_back(p >> 24);
    }
    return img;
}

} // namespace

std::vector<Argb> MasterPixels()
{
    Canvas c(kMasterSize, kMasterSize, kBackground);
    DrawButton(c);
    DrawTile(c);
    DrawCheck(c);
    DrawGlows(c);
    DrawExBorder(c);
    DrawTitleGlyphs(c);
    DrawTrackBarImages(c);
    DrawMenuImages(c);
    c.Set(kAlphaZeroPixel.x, kAlphaZeroPixel.y, 0x00000000);
    c.Set(kKeyPixel.x, kKeyPixel.y, kKey);
    return c.Take();
}

std::vector<Argb> EditFramePixels(const EditFrameLayout& l)
{
    Canvas c(2 * l.frame, l.frame, 0);
    for (int frame = 0; frame < 2; ++frame)
        for (int y = 0; y < l.frame; ++y)
            for (int x = 0; x < l.frame; ++x) {
                const int d = EdgeDistance(x, y, l.frame, l.frame);
                const std::uint8_t alpha = InCorner(x, y, l.frame, l.frame, l.corner) ? 0
                                           : d < l.edge                                ? 0xFF
                                           : d < l.edge + l.half                       ? 0x80
                                           : d < l.margin                              ? 0x40
                                                                                       : 0;
                c.Set(frame * l.frame + x, y, alpha ? WithAlpha(kEditRgb[frame], alpha) : 0);
            }
    return c.Take();
}

Bytes MasterPng() { return png_writer::Write(ToPngImage(kMasterSize, kMasterSize, MasterPixels())); }

Bytes FlatButtonPng()
{
    Canvas c(4 * kFlatButtonFrame, kFlatButtonFrame, 0);
    for (int frame = 0; frame < 4; ++frame)
        for (int y = 0; y < kFlatButtonFrame; ++y)
            for (int x = 0; x < kFlatButtonFrame; ++x) c.Set(frame * kFlatButtonFrame + x, y, WithAlpha(kFlatButton[frame], 0xFF));
    return png_writer::Write(ToPngImage(4 * kFlatButtonFrame, kFlatButtonFrame, c.Take()));
}

Bytes EditFramePng(const EditFrameLayout& layout)
{
    return png_writer::Write(ToPngImage(2 * layout.frame, layout.frame, EditFramePixels(layout)));
}

Bytes MasterBmp()
{
    const std::vector<Argb> pixels = MasterPixels();
    TBitmap bmp(kMasterSize, kMasterSize, pf24bit);
    for (int y = 0; y < kMasterSize; ++y) {
        auto* row = static_cast<std::uint8_t*>(bmp.ScanLine(y));
        for (int x = 0; x < kMasterSize; ++x) {
            const Argb p = MasterPixel(pixels, x, y);
            row[3 * x] = static_cast<std::uint8_t>(p);
            row[3 * x + 1] = static_cast<std::uint8_t>(p >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(p >> 16);
        }
    }
    TMemoryStream stream;
    bmp.SaveToStream(stream);
    const auto* data = stream.Memory();
    return Bytes(data, data + stream.Size());
}

Bytes PreviewPng()
{
    // A small window: the inactive border, a title of the active border colour, the main colour
    // inside, and a button face.
    constexpr int w = 140, h = 100;
    Canvas c(w, h, 0xFF000000 | kExFill[1]);
    c.Fill({4, 4, w - 4, 22}, kExFill[0]);
    const auto bgr = [](std::uint32_t tcolor) {
        return 0xFF000000 | (tcolor & 0xFF) << 16 | (tcolor & 0xFF00) | (tcolor >> 16 & 0xFF);
    };
    c.Fill({4, 22, w - 4, h - 4}, bgr(kMainColor));
    c.Fill({w - 64, h - 30, w - 12, h - 12}, kButtonBorder[0]);
    c.Fill({w - 63, h - 29, w - 13, h - 13}, kButtonFace[0]);
    return png_writer::Write(ToPngImage(w, h, c.Take()));
}

} // namespace house_skin
