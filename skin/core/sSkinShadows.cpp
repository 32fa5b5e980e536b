// The window shadows of a skin data: the soft drop shadow of windows and the shadow templates
// and margins of the extended form border.
#include "sSkinManager.h"

#include "acntUtils.h"
#include "sGradient.h"
#include "sGraphUtils.h"

#include <algorithm>

namespace {

// A width x height 32-bit bitmap holding the pixels of src from origin on (zero where src ends).
std::unique_ptr<TBitmap> CopyFrame(TBitmap* src, TPoint origin, int width, int height)
{
    auto frame = CreateBmp32(width, height);
    TacBmpRows d(frame.get()), s(src);
    if (!d.Valid() || !s.Valid()) return frame;
    for (int y = 0; y < d.Height(); ++y)
        for (int x = 0; x < d.Width(); ++x)
            if (s.Contains(origin.X + x, origin.Y + y)) d.At(x, y) = s.At(origin.X + x, origin.Y + y);
    return frame;
}

// A 32-bit copy of a shadow image.
std::unique_ptr<TBitmap> CopyOf(TBitmap* src)
{
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(src);
    return copy;
}

// A window's drop shadow: soft over its whole radius. Without a blur the shadow would be a
// hard-edged cross of full-strength lines instead of a fading shadow.
std::unique_ptr<TBitmap> MakeWindowShadow(TColor color, int radius, int offset, int size)
{
    return MakeShadow(color, radius, offset, 2 * size, 2 * size, radius, false, true);
}

} // namespace

TBitmap* TacSkinData::GetActiveShadow()
{
    if (!rsta)
        rsta = MakeWindowShadow(WndShadowColorA, WndShadowRadius, WndShadowOffset, WndShadowSize);
    return rsta.get();
}

TBitmap* TacSkinData::GetPassiveShadow()
{
    if (!rsti)
        rsti = MakeWindowShadow(WndShadowColorN, WndShadowRadius, WndShadowOffset, WndShadowSize);
    return rsti.get();
}

void TacSkinData::CheckShadows()
{
    if (!FOwner || !FOwner->IsActive() || !FOwner->ExtendedBorders()) {
        FormShadowSize = TRect();
        return;
    }
    // An index outside the mask array is no mask.
    if (!IsValidIndex(ExBorder, static_cast<int>(ma.size()))) {
        ShdaTemplate = CopyOf(GetActiveShadow());
        ShdiTemplate = CopyOf(GetPassiveShadow());
        const int s = WndShadowSize, o = WndShadowOffset;
        FormShadowSize = TRect(s, std::max(0, s - o), s, std::max(0, s + o));
        return;
    }
    const TsMaskData& m = ma[static_cast<size_t>(ExBorder)];
    if (ExDrawMode != 0) {
        FormShadowSize = TRect(ExContentOffs, ExContentOffs, ExContentOffs, ExContentOffs);
    } else {
        FormShadowSize = TRect(std::max(0, m.WL - ExContentOffs), std::max(0, m.WT - ExContentOffs),
                               std::max(0, m.WR - ExContentOffs), std::max(0, m.WB - ExContentOffs));
    }
    // The frames lie at the origin of the mask's own bitmap, or at R in the master bitmap.
    TBitmap* source = m.Bmp;
    TPoint origin(0, 0);
    if (!source) {
        source = FOwner->MasterBitmap.get();
        origin = m.R.TopLeft();
    }
    ShdiTemplate = CopyFrame(source, origin, m.Width, m.Height);
    if (m.ImageCount != 1)
        ShdaTemplate = CopyFrame(source, TPoint(origin.X + m.Width, origin.Y), m.Width, m.Height);
    else
        ShdaTemplate = CopyOf(ShdiTemplate.get());
}
