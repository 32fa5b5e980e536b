// The nine-slice painters: a skin image cut into four corners, four sides and a centre, laid over
// a rectangle of any size with corners at their size and sides and centre tiled or stretched.
// One geometry serves all of them; how a piece is copied depends on the painter and on the
// image's kind (image over mask, own alpha, key colour).
#include "sAlphaGraph.h"

#include "acntUtils.h"
#include "sAlphaGraphPieces.h"
#include "sGraphUtils.h"

#include <algorithm>

using namespace alphagraph_detail;

namespace {

// A source piece (x, y, w, h) of the image's bitmap.
struct TSrc {
    int x = 0, y = 0, w = 0, h = 0;
};

// How the pieces of one painting are copied.
class TPieceCopier {
public:
    virtual ~TPieceCopier() = default;
    virtual void Corner(const TSrc& s, int dx, int dy) = 0;
    // One tile of a side or of the centre (the last one of a row or column may be cut).
    virtual void Tile(const TSrc& s, int dx, int dy) = 0;
    virtual void Stretch(bool centre, const TSrc& s, const TRect& d) = 0;
};

// Where the pieces lie. Border spans (wl, wt, wr, wb) place the pieces; the drawn thickness of
// each border (lc, tc, rc, bc) may be less, taking the border's outer part.
struct TSliceGeometry {
    int sx = 0, sy = 0, w = 0, h = 0; // one state's picture in the source
    int wl = 0, wt = 0, wr = 0, wb = 0;
    int lc = 0, tc = 0, rc = 0, bc = 0;
    int midX = 0, midY = 0, mw = 0, mh = 0; // the source's middles that sides and centre repeat
};

// Whole tiles of `step` from `from` while one still ends before `to`, then one cut tile up to
// `to`; no whole tiles for a middle of no length.
template <class Place>
void TileSpan(int from, int to, int step, Place place)
{
    int p = from;
    if (step > 0)
        for (; to - step > p; p += step) place(p, step);
    if (p < to) place(p, to - p);
}

void LaySlices(const TSliceGeometry& g, const TRect& d, bool stretch, bool centre, TPieceCopier& copy)
{
    auto corner = [&](int sx, int sy, int w, int h, int dx, int dy) {
        if (w > 0 && h > 0) copy.Corner({sx, sy, w, h}, dx, dy);
    };
    // A side along y (left, right) or along x (top, bottom).
    auto vertical = [&](int sx, int w, int dx) {
        const int from = d.Top + g.wt, to = d.Bottom - g.wb;
        if (w <= 0 || to <= from) return;
        if (stretch) {
            if (g.mh > 0) copy.Stretch(false, {sx, g.midY, w, g.mh}, TRect(dx, from, dx + w, to));
            return;
        }
        TileSpan(from, to, g.mh, [&](int y, int len) { copy.Tile({sx, g.midY, w, len}, dx, y); });
    };
    auto horizontal = [&](int sy, int h, int dy) {
        const int from = d.Left + g.wl, to = d.Right - g.wr;
        if (h <= 0 || to <= from) return;
        if (stretch) {
            if (g.mw > 0) copy.Stretch(false, {g.midX, sy, g.mw, h}, TRect(from, dy, to, dy + h));
            return;
        }
        TileSpan(from, to, g.mw, [&](int x, int len) { copy.Tile({g.midX, sy, len, h}, x, dy); });
    };

    corner(g.sx, g.sy, g.lc, g.tc, d.Left, d.Top);
    vertical(g.sx, g.lc, d.Left);
    horizontal(g.sy, g.tc, d.Top);
    corner(g.sx, g.sy + g.h - g.bc, g.lc, g.bc, d.Left, d.Bottom - g.bc);
    horizontal(g.sy + g.h - g.bc, g.bc, d.Bottom - g.bc);
    corner(g.sx + g.w - g.rc, g.sy + g.h - g.bc, g.rc, g.bc, d.Right - g.rc, d.Bottom - g.bc);
    corner(g.sx + g.w - g.rc, g.sy, g.rc, g.tc, d.Right - g.rc, d.Top);
    vertical(g.sx + g.w - g.rc, g.rc, d.Right - g.rc);

    if (!centre) return;
    const TRect area(d.Left + g.wl, d.Top + g.wt, d.Right - g.wr, d.Bottom - g.wb);
    if (area.IsEmpty()) return;
    if (stretch) {
        if (g.mw > 0 && g.mh > 0) copy.Stretch(true, {g.midX, g.midY, g.mw, g.mh}, area);
        return;
    }
    TileSpan(area.Top, area.Bottom, g.mh, [&](int y, int h) {
        TileSpan(area.Left, area.Right, g.mw, [&](int x, int w) { copy.Tile({g.midX, g.midY, w, h}, x, y); });
    });
}

enum class TPainter { Gdi, Alpha32, Alpha32Ex };
enum class TImageKind { Masked, OwnAlpha, Keyed };

// The copies of DrawSkinRect, DrawSkinRect32 and DrawSkinRect32Ex by the image's kind.
class TSkinRectCopier final : public TPieceCopier {
public:
    TSkinRectCopier(TPainter painter, TBitmap* dst, TBitmap* src, const TCacheInfo& ci, const TsMaskData& maskData,
                    bool updateCorners, int opacity)
        : painter_(painter), dst_(dst), src_(src), ci_(ci), md_(maskData), updateCorners_(updateCorners),
          opacity_(opacity),
          kind_(maskData.MaskType != 0         ? TImageKind::Masked
                : (maskData.DrawMode & 0x10) ? TImageKind::OwnAlpha
                                             : TImageKind::Keyed)
    {
    }

    void Corner(const TSrc& s, int dx, int dy) override
    {
        switch (kind_) {
        case TImageKind::Masked:
            Masked(s, dx, dy, ci_, updateCorners_);
            break;
        case TImageKind::OwnAlpha:
            PaintBmpRect32(dst_, src_, Inclusive(s), TPoint{dx, dy}, Opacity());
            break;
        case TImageKind::Keyed:
            CopyTransRect(dst_, src_, dx, dy, Inclusive(s), sFuchsia, ci_,
                          painter_ == TPainter::Gdi ? updateCorners_ : true);
            break;
        }
    }

    void Tile(const TSrc& s, int dx, int dy) override
    {
        if (kind_ == TImageKind::Masked) {
            Masked(s, dx, dy, EmptyCI, false);
            return;
        }
        // Tiles of an image with its own alpha are composed by alpha in DrawSkinRect and, at
        // its opacity like every other piece, in DrawSkinRect32Ex; DrawSkinRect32 copies them.
        const bool composed =
            kind_ == TImageKind::OwnAlpha && (painter_ == TPainter::Gdi || painter_ == TPainter::Alpha32Ex);
        if (composed)
            PaintBmpRect32(dst_, src_, Inclusive(s), TPoint{dx, dy}, Opacity());
        else
            BitBlt(dst_->Canvas()->Handle(), dx, dy, s.w, s.h, src_->Canvas()->Handle(), s.x, s.y, SRCCOPY);
    }

    void Stretch(bool centre, const TSrc& s, const TRect& d) override
    {
        const int w = WidthOf(d), h = HeightOf(d);
        switch (kind_) {
        case TImageKind::Masked: {
            const int maskOffset = md_.Height;
            if (painter_ == TPainter::Gdi)
                StretchBltMask(d.Left, d.Top, w, h, s.x, s.y, s.w, s.h, dst_, src_, maskOffset, centre);
            else if (painter_ == TPainter::Alpha32)
                StretchBltMask32(d.Left, d.Top, w, h, s.x, s.y, s.w, s.h, dst_, src_, maskOffset, centre);
            else
                StretchBltMask32Ex(d.Left, d.Top, w, h, s.x, s.y, s.w, s.h, dst_, src_, maskOffset, centre, opacity_);
            break;
        }
        case TImageKind::OwnAlpha:
            StretchBmpRect32(dst_, d.Left, d.Top, w, h, src_, s.x, s.y, s.w, s.h, Opacity());
            break;
        case TImageKind::Keyed:
            StretchBlt(dst_->Canvas()->Handle(), d.Left, d.Top, w, h, src_->Canvas()->Handle(), s.x, s.y, s.w, s.h,
                       SRCCOPY);
            break;
        }
    }

private:
    static TRect Inclusive(const TSrc& s) { return TRect(s.x, s.y, s.x + s.w - 1, s.y + s.h - 1); }
    std::uint8_t Opacity() const
    {
        return static_cast<std::uint8_t>(painter_ == TPainter::Alpha32Ex ? std::clamp(opacity_, 0, 255) : 255);
    }
    void Masked(const TSrc& s, int dx, int dy, const TCacheInfo& ci, bool updateTrans)
    {
        const TRect d = MkRectWH(s.w, s.h, dx, dy);
        const TRect r = MkRectWH(s.w, s.h, s.x, s.y);
        if (painter_ == TPainter::Gdi) CopyByMask(d, r, dst_, src_, ci, updateTrans, md_);
        else if (painter_ == TPainter::Alpha32) CopyByMask32(d, r, dst_, src_, ci, md_);
        else CopyByMask32Ex(d, r, dst_, src_, ci, md_, opacity_);
    }

    TPainter painter_;
    TBitmap* dst_;
    TBitmap* src_;
    const TCacheInfo& ci_;
    const TsMaskData& md_;
    bool updateCorners_;
    int opacity_;
    TImageKind kind_;
};

// Two borders that do not fit share the overflow: each loses half, the second one the odd pixel.
void ShareOverflow(int& first, int& second, int length)
{
    const int d = first + second - length;
    if (d <= 0) return;
    first = std::max(0, first - d / 2);
    second = std::max(0, second - d / 2 - d % 2);
}

void PaintSkinRect(TPainter painter, TBitmap* bmp, const TRect& r, const TCacheInfo& ci, const TsMaskData& md,
                   int state, bool updateCorners, const TRect* limits, int opacity)
{
    if (state == 0 && (md.DrawMode & 2)) return;
    if (!bmp || WidthOf(r) < 2 || HeightOf(r) < 2 || !md.Manager) return;
    TBitmap* src = ImageBitmap(md);
    if (!src || src->Empty()) return;

    TSliceGeometry g;
    g.wl = std::max<int>(0, md.WL);
    g.wt = std::max<int>(0, md.WT);
    g.wr = std::max<int>(0, md.WR);
    g.wb = std::max<int>(0, md.WB);
    ShareOverflow(g.wl, g.wr, WidthOf(r));
    ShareOverflow(g.wt, g.wb, HeightOf(r));
    g.lc = g.wl, g.tc = g.wt, g.rc = g.wr, g.bc = g.wb;
    if (limits) {
        g.lc = std::clamp<int>(limits->Left, 0, g.wl);
        g.tc = std::clamp<int>(limits->Top, 0, g.wt);
        g.rc = std::clamp<int>(limits->Right, 0, g.wr);
        g.bc = std::clamp<int>(limits->Bottom, 0, g.wb);
    }
    const int index = std::max(0, std::min<int>(state, md.ImageCount - 1));
    g.w = md.Width;
    g.h = md.Height;
    const bool stretch = (md.DrawMode & 1) != 0;
    if (stretch) SetStretchBltMode(bmp->Canvas()->Handle(), COLORONCOLOR);
    g.mw = g.w - g.wl - g.wr;
    g.mh = g.h - g.wt - g.wb;
    if (g.mw < 0 || g.mh < 0) return;
    g.sx = md.R.Left + g.w * index;
    g.sy = md.R.Top;
    g.midX = g.sx + g.wl;
    g.midY = g.sy + g.wt;

    const bool corners = painter != TPainter::Gdi || (updateCorners && (md.Cfg & 3) != 0);
    TSkinRectCopier copier(painter, bmp, src, ci, md, corners, opacity);
    LaySlices(g, r, stretch, (md.DrawMode & 4) != 0, copier);
}

// The copies of DrawSmallSkinRect: from the master bitmap, by mask or plainly.
class TSmallRectCopier final : public TPieceCopier {
public:
    TSmallRectCopier(TBitmap* dst, TBitmap* master, const TCacheInfo& ci, const TsMaskData& maskData)
        : dst_(dst), master_(master), ci_(ci), md_(maskData)
    {
    }

    void Corner(const TSrc& s, int dx, int dy) override
    {
        if (md_.MaskType != 0)
            CopyMasterRect(MkRectWH(s.w + 1, s.h + 1, dx, dy), MkRectWH(s.w, s.h, s.x, s.y), dst_, ci_, md_);
        else
            CopyTransRect(dst_, master_, dx, dy, TRect(s.x, s.y, s.x + s.w - 1, s.y + s.h - 1), sFuchsia, ci_, true);
    }
    void Tile(const TSrc& s, int dx, int dy) override
    {
        if (md_.MaskType != 0)
            CopyMasterRect(MkRectWH(s.w, s.h, dx, dy), MkRectWH(s.w, s.h, s.x, s.y), dst_, ci_, md_);
        else
            BitBlt(dst_->Canvas()->Handle(), dx, dy, s.w, s.h, master_->Canvas()->Handle(), s.x, s.y, SRCCOPY);
    }
    void Stretch(bool, const TSrc& s, const TRect& d) override
    {
        StretchBlt(dst_->Canvas()->Handle(), d.Left, d.Top, WidthOf(d), HeightOf(d), master_->Canvas()->Handle(), s.x,
                   s.y, s.w, s.h, SRCCOPY);
    }

private:
    TBitmap* dst_;
    TBitmap* master_;
    const TCacheInfo& ci_;
    const TsMaskData& md_;
};

// A border of a third that does not fit takes half of the length, the second one the odd pixel.
void ShareThirds(int& first, int& second, int third, int length)
{
    if (length < 2 * third) {
        first = length / 2;
        second = first + length % 2;
    } else {
        first = second = third;
    }
}

} // namespace

void DrawSkinRect(TBitmap* bmp, const TRect& r, const TCacheInfo& ci, const TsMaskData& maskData, int state,
                  bool updateCorners)
{
    PaintSkinRect(TPainter::Gdi, bmp, r, ci, maskData, state, updateCorners, nullptr, 255);
}

void DrawSkinRect32(TBitmap* bmp, const TRect& r, const TCacheInfo& ci, const TsMaskData& maskData, int state)
{
    PaintSkinRect(TPainter::Alpha32, bmp, r, ci, maskData, state, true, nullptr, 255);
}

void DrawSkinRect32Ex(TBitmap* bmp, const TRect& r, const TCacheInfo& ci, const TsMaskData& maskData, int state,
                      const TRect& limits, int opacity)
{
    PaintSkinRect(TPainter::Alpha32Ex, bmp, r, ci, maskData, state, true, &limits, opacity);
}

void DrawSmallSkinRect(TBitmap* bmp, const TRect& r, const TCacheInfo& ci, const TsMaskData& maskData, int state)
{
    if (!bmp || maskData.Bmp || !maskData.Manager || WidthOf(r) < 2 || HeightOf(r) < 2 || maskData.ImageCount <= 0)
        return;
    TBitmap* master = ImageBitmap(maskData);
    if (!master || master->Empty()) return;
    const int count = maskData.ImageCount;
    const int rows = std::max(1, maskData.MaskType + 1);
    const int index = std::max(0, std::min(state, count - 1));
    const int width = WidthOf(maskData.R), height = HeightOf(maskData.R);

    TSliceGeometry g;
    g.w = width / count;
    g.h = height / rows;
    g.sx = maskData.R.Left + width * index / count;
    g.sy = maskData.R.Top;
    const int bw = width / (count * 3), bh = height / (rows * 3);
    ShareThirds(g.wl, g.wr, bw, WidthOf(r));
    ShareThirds(g.wt, g.wb, bh, HeightOf(r));
    g.lc = g.wl, g.tc = g.wt, g.rc = g.wr, g.bc = g.wb;
    g.midX = g.sx + bw;
    g.midY = g.sy + bh;
    g.mw = bw;
    g.mh = bh;

    const bool stretch = maskData.MaskType == 0 && (maskData.DrawMode & 1) != 0;
    TSmallRectCopier copier(bmp, master, ci, maskData);
    LaySlices(g, r, stretch, (maskData.DrawMode & 4) != 0, copier);
}
