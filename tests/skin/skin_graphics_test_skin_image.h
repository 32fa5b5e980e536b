#pragma once
// Skin images for the painter tests: a manager with a master bitmap, and images drawn pixel by
// pixel (their states side by side, a mask below the pictures when they have one).
#include "skin_graphics_test_pixels.h"

#include "sConst.h"
#include "sMaskData.h"
#include "sSkinManager.h"

#include <functional>
#include <memory>

// Picture or mask pixel of state s at (x, y) inside the state.
using PixelOf = std::function<Word(int s, int x, int y)>;

// A bitmap of `count` states of w x h side by side, the mask (when given) h rows below.
inline std::unique_ptr<TBitmap> DrawImage(int w, int h, int count, const PixelOf& picture, const PixelOf& mask = {})
{
    auto bmp = CreateBmp32(w * count, mask ? 2 * h : h);
    for (int s = 0; s < count; ++s)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                SetPx(*bmp, s * w + x, y, picture(s, x, y));
                if (mask) SetPx(*bmp, s * w + x, h + y, mask(s, x, y));
            }
    return bmp;
}

// A grey mask value as a pixel.
constexpr Word Grey(int v) { return Argb(255, v, v, v); }

// The record of an image lying at r of bmp (its own bitmap) or, with bmp null, of the manager's
// master bitmap.
inline TsMaskData ImageRecord(TsSkinManager* manager, TBitmap* bmp, const TRect& r, int count, bool masked,
                              int drawMode, int wl, int wt, int wr, int wb)
{
    TsMaskData md;
    md.Manager = manager;
    md.Bmp = bmp;
    md.R = r;
    md.ImageCount = static_cast<std::int16_t>(count);
    md.MaskType = masked ? 1 : 0;
    md.DrawMode = static_cast<std::int16_t>(drawMode);
    md.WL = static_cast<std::int16_t>(wl);
    md.WT = static_cast<std::int16_t>(wt);
    md.WR = static_cast<std::int16_t>(wr);
    md.WB = static_cast<std::int16_t>(wb);
    md.Width = WidthOf(r) / count;
    md.Height = masked ? HeightOf(r) / 2 : HeightOf(r);
    return md;
}

// A ready cache record over bmp with the control at (x, y) of it.
inline TCacheInfo ReadyCache(TBitmap* bmp, int x, int y)
{
    TCacheInfo ci;
    ci.Bmp = bmp;
    ci.X = x;
    ci.Y = y;
    ci.FillColor = sFuchsia;
    ci.Ready = true;
    return ci;
}
