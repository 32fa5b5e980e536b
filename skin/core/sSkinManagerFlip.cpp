// Mirroring of the title-bar button images for right-to-left applications.
#include "sSkinManager.h"

#include "Graphics.h"

#include <algorithm>
#include <cstring>

namespace {

// Swaps every frame of the mask's rectangle left to right, row by row, in the bitmap that holds
// it. The middle column of an odd frame stays where it is.
void MirrorFrames(TBitmap& bmp, const TsMaskData& mask)
{
    const int count = std::max<int>(1, mask.ImageCount);
    const TRect r(std::max<LONG>(0, mask.R.Left), std::max<LONG>(0, mask.R.Top),
                  std::min<LONG>(bmp.Width(), mask.R.Right), std::min<LONG>(bmp.Height(), mask.R.Bottom));
    const int frameWidth = static_cast<int>(mask.R.Right - mask.R.Left) / count;
    if (frameWidth < 2 || r.Right <= r.Left || r.Bottom <= r.Top) return;
    const int bits = BitsPerPixel(bmp.PixelFormat());
    if (bits < 8 || bits % 8 != 0) {
        TCanvas& canvas = *bmp.Canvas();
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int f = 0; f < count; ++f) {
                const int left = mask.R.Left + f * frameWidth;
                for (int k = 0; k < frameWidth / 2; ++k) {
                    const int a = left + k, b = left + frameWidth - 1 - k;
                    if (a < r.Left || b >= r.Right) continue;
                    const TColor ca = canvas.Pixels(a, y);
                    canvas.SetPixels(a, y, canvas.Pixels(b, y));
                    canvas.SetPixels(b, y, ca);
                }
            }
        return;
    }
    const size_t bytes = static_cast<size_t>(bits / 8);
    for (int y = r.Top; y < r.Bottom; ++y) {
        auto* row = static_cast<std::uint8_t*>(bmp.ScanLine(y));
        for (int f = 0; f < count; ++f) {
            const int left = mask.R.Left + f * frameWidth;
            for (int k = 0; k < frameWidth / 2; ++k) {
                const int a = left + k, b = left + frameWidth - 1 - k;
                if (a < r.Left || b >= r.Right) continue;
                std::swap_ranges(row + static_cast<size_t>(a) * bytes, row + static_cast<size_t>(a + 1) * bytes,
                                 row + static_cast<size_t>(b) * bytes);
            }
        }
    }
}

} // namespace

void TsSkinManager::FlipImages(bool Flip)
{
    if (!ButtonsOptions() || !ButtonsOptions()->AllowRTLSysButtons) return;
    if (Flip == ManagerState.Contains(msRTLFlipped)) return;
    if (Flip)
        ManagerState.Include(msRTLFlipped);
    else
        ManagerState.Exclude(msRTLFlipped);

    for (const auto& data : SkinDataArray) {
        if (!data) continue;
        auto mirror = [&](int index) {
            if (index < 0 || index >= static_cast<int>(data->ma.size())) return;
            const TsMaskData& mask = data->ma[static_cast<size_t>(index)];
            TBitmap* bmp = mask.Bmp ? mask.Bmp : MasterBitmap.get();
            if (bmp) MirrorFrames(*bmp, mask);
        };
        for (int i = 1; i <= 4; ++i) {
            mirror(data->TitleGlyphs[static_cast<size_t>(i)]);
            const TacIntArray& glows = data->TitleGlows[static_cast<size_t>(i)];
            if (!glows.empty()) mirror(glows.front());
        }
    }
}
