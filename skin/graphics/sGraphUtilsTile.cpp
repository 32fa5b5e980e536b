#include "sGraphUtilsTile.h"

#include "JPEGImage.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sGraphUtilsFill.h"
#include "sSkinManager.h"

#include <algorithm>

namespace {

constexpr TRect NothingLeft{-1, -1, -1, -1};

// One tile: its source DC and rectangle (clipped to the source bitmap).
struct Tile {
    HDC dc = nullptr;
    TRect r;
    int Width() const { return WidthOf(r); }
    int Height() const { return HeightOf(r); }
};

// The piece (dx, dy, w, h) of the tile, starting at (sx, sy) inside it.
void CopyPiece(HDC dst, const Tile& tile, int dx, int dy, int w, int h, int sx = 0, int sy = 0)
{
    if (w > 0 && h > 0) BitBlt(dst, dx, dy, w, h, tile.dc, tile.r.Left + sx, tile.r.Top + sy, SRCCOPY);
}

void StretchTile(HDC dst, const Tile& tile, int dx, int dy, int w, int h)
{
    if (w > 0 && h > 0)
        StretchBlt(dst, dx, dy, w, h, tile.dc, tile.r.Left, tile.r.Top, tile.Width(), tile.Height(), SRCCOPY);
}

// Whole tiles from R's top-left, the last of each row and column cut to R; with wholeRows only
// rows that fit entirely.
void TileArea(HDC dst, const Tile& tile, const TRect& r, bool wholeRows)
{
    const int w = tile.Width(), h = tile.Height();
    for (int y = r.Top; y < r.Bottom; y += h) {
        if (wholeRows && y + h > r.Bottom) break;
        for (int x = r.Left; x < r.Right; x += w)
            CopyPiece(dst, tile, x, y, std::min<int>(w, r.Right - x), std::min<int>(h, r.Bottom - y));
    }
}

// Clips a DC to a rectangle for one drawing pass and gives it back its former state.
class SavedClip {
public:
    SavedClip(HDC dc, const TRect& r) : dc_(dc), saved_(SaveDC(dc))
    {
        IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
    }
    ~SavedClip() { RestoreDC(dc_, saved_); }
    SavedClip(const SavedClip&) = delete;
    SavedClip& operator=(const SavedClip&) = delete;

private:
    HDC dc_;
    int saved_;
};

} // namespace

void TileBitmap(TCanvas* canvas, const TRect& r, TGraphic* graphic)
{
    if (!canvas || !graphic || graphic->Empty()) return;
    if (auto* bmp = dynamic_cast<TBitmap*>(graphic)) {
        const Tile tile{bmp->Canvas()->Handle(), MkRectWH(bmp->Width(), bmp->Height())};
        TileArea(canvas->Handle(), tile, r, false);
    } else if (dynamic_cast<TJPEGImage*>(graphic)) {
        // The picture only draws itself whole: a clip region cuts the tiles at R. An empty or
        // inverted R paints nothing, whatever the system makes of an inverted clip rectangle.
        const int w = graphic->Width(), h = graphic->Height();
        if (WidthOf(r) <= 0 || HeightOf(r) <= 0) return;
        const SavedClip clip(canvas->Handle(), r);
        for (int i = 0; i <= WidthOf(r) / w; ++i)
            for (int j = 0; j <= HeightOf(r) / h; ++j) canvas->Draw(r.Left + i * w, r.Top + j * h, graphic);
    }
}

void TileBitmap(TCanvas* canvas, TRect& r, TGraphic*, const TsMaskData& maskData, TacFillMode fillMode)
{
    TBitmap* src = maskData.Bmp;
    if (!src) {
        auto* manager = dynamic_cast<TsSkinManager*>(maskData.Manager);
        if (manager) src = manager->MasterBitmap.get();
    }
    if (!canvas || !src || src->Empty()) return;
    Tile tile{src->Canvas()->Handle(), maskData.R};
    tile.r = {std::max<LONG>(tile.r.Left, 0), std::max<LONG>(tile.r.Top, 0), std::min<LONG>(tile.r.Right, src->Width()),
              std::min<LONG>(tile.r.Bottom, src->Height())};
    const int w = tile.Width(), h = tile.Height();
    if (w <= 0 || h <= 0) return;
    HDC dc = canvas->Handle();
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    const int areaW = WidthOf(r), areaH = HeightOf(r);
    switch (fillMode) {
    case fmTiled:
        TileArea(dc, tile, r, false);
        r = NothingLeft;
        break;
    case fmDisTiled:
        TileArea(dc, tile, r, true);
        r = NothingLeft;
        break;
    case fmStretched:
        StretchTile(dc, tile, r.Left, r.Top, areaW, areaH);
        r = NothingLeft;
        break;
    case fmTiledHorz:
        TileArea(dc, tile, {r.Left, r.Top, r.Right, std::min<LONG>(r.Bottom, r.Top + h)}, false);
        r.Top += h;
        break;
    case fmTiledVert:
        TileArea(dc, tile, {r.Left, r.Top, std::min<LONG>(r.Right, r.Left + w), r.Bottom}, false);
        r.Left += w;
        break;
    case fmTileHorBtm:
        TileArea(dc, tile, {r.Left, r.Bottom - h, r.Right, r.Bottom}, false);
        r.Bottom -= h;
        break;
    case fmTileVertRight:
        TileArea(dc, tile, {r.Right - w, r.Top, r.Right, r.Bottom}, false);
        r.Right -= w;
        break;
    case fmStretchHorBtm:
    case fmStretchVertRight:
    case fmReserved1:
        r.Left = r.Right - w;
        TileArea(dc, tile, r, false);
        break;
    case fmStretchHorzTop:
        StretchTile(dc, tile, r.Left, r.Top, areaW, h);
        r.Top += h;
        break;
    case fmStretchVertLeft:
        StretchTile(dc, tile, r.Left, r.Top, w, areaH);
        r.Left += w;
        break;
    case fmStretchHorz:
        // Rows of the tile's height across the full width; the last one cut to R.
        for (int y = r.Top; y < r.Bottom; y += h) StretchTile(dc, tile, r.Left, y, areaW, std::min<int>(h, r.Bottom - y));
        r = NothingLeft;
        break;
    case fmStretchVert:
        for (int x = r.Left; x < r.Right; x += w) StretchTile(dc, tile, x, r.Top, std::min<int>(w, r.Right - x), areaH);
        r = NothingLeft;
        break;
    case fmFromBottomToTop:
        // From the bottom-right corner; the pieces at the top and left are the tile's lower or
        // right part.
        for (int y = r.Bottom - h; y + h > r.Top; y -= h) {
            const int top = std::max<int>(y, r.Top);
            for (int x = r.Right - w; x + w > r.Left; x -= w) {
                const int left = std::max<int>(x, r.Left);
                CopyPiece(dc, tile, left, top, x + w - left, y + h - top, left - x, top - y);
            }
        }
        r = NothingLeft;
        break;
    }
    SetStretchBltMode(dc, oldMode);
}

void TileMasked(TBitmap* bmp, TRect& r, const TCacheInfo& ci, const TsMaskData& maskData, TacFillMode fillMode)
{
    if (!bmp || !maskData.Manager || (fillMode != fmTiled && fillMode != fmDisTiled)) return;
    const int w = maskData.Width, h = HeightOf(maskData.R) / 2;
    if (w <= 0 || h <= 0) return;
    int x = r.Left, y = r.Top;
    for (; y < r.Bottom - h; y += h) {
        for (x = r.Left; x < r.Right - w; x += w) CopyMasterRect(MkRectWH(w, h, x, y), maskData.R, bmp, ci, maskData);
        if (fillMode == fmTiled) {
            const int cut = r.Right - x;
            const TRect src{maskData.R.Left, maskData.R.Top, maskData.R.Left + cut, maskData.R.Bottom};
            CopyMasterRect(MkRectWH(cut, h, x, y), src, bmp, ci, maskData);
        }
    }
    if (fillMode == fmDisTiled) {
        for (const TRect strip : {TRect(r.Left, y, r.Right, r.Bottom), TRect(x, r.Top, r.Right, r.Bottom)}) {
            if (ci.Ready && ci.Bmp)
                BitBlt(bmp->Canvas()->Handle(), strip.Left, strip.Top, WidthOf(strip), HeightOf(strip),
                       ci.Bmp->Canvas()->Handle(), strip.Left + ci.X, strip.Top + ci.Y, SRCCOPY);
            else if (bmp->PixelFormat() == pf32bit)
                FillRect32(bmp, strip, ci.FillColor, 255);
            else
                FillDC(bmp->Canvas()->Handle(), strip, ci.FillColor, 0);
        }
    }
    r = NothingLeft;
}
