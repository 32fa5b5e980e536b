#include "sGraphUtilsRotate.h"

#include "SysUtils.h"
#include "sGraphUtils.h"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace {

// Entry i: (sine, cosine) of i degrees; built by the main thread on first use.
std::vector<std::pair<float, float>> g_sinCos;

const std::pair<float, float>& SinCos(int angle)
{
    if (g_sinCos.empty()) {
        g_sinCos.resize(360);
        for (int i = 0; i < 360; ++i) {
            const double rad = i * std::numbers::pi / 180.0;
            g_sinCos[static_cast<size_t>(i)] = {static_cast<float>(std::sin(rad)), static_cast<float>(std::cos(rad))};
        }
    }
    return g_sinCos[static_cast<size_t>(acAngleIndex(angle))];
}

// new (H - 1 - y, x) = old (x, y) clockwise; new (y, x) = old (W - 1 - x, y) the other way.
std::unique_ptr<TBitmap> RotateQuarter(std::unique_ptr<TBitmap>& bmp, bool clockwise, bool killSource)
{
    if (!bmp || bmp->PixelFormat() != pf32bit) return nullptr;
    const int w = bmp->Width(), h = bmp->Height();
    auto result = CreateBmp32(h, w);
    TacBmpRows s(bmp.get()), d(result.get());
    if (s.Valid() && d.Valid())
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (clockwise) d.At(h - 1 - y, x) = s.At(x, y);
                else d.At(y, x) = s.At(w - 1 - x, y);
            }
    if (killSource) bmp.reset();
    return result;
}

} // namespace

int acAngleIndex(int angle)
{
    return angle >= 0 ? angle % 360 : (360 - (-(angle % 360))) % 360;
}

double acSin(int angle) { return SinCos(angle).first; }
double acCos(int angle) { return SinCos(angle).second; }

void FreeSinCosTable()
{
    g_sinCos.clear();
    g_sinCos.shrink_to_fit();
}

TPrlgram::TPrlgram(const TPoint* points, int count)
{
    for (int i = 0; points && i < std::min(4, count); ++i)
        Points[static_cast<size_t>(i)] = {static_cast<double>(points[i].X), static_cast<double>(points[i].Y)};
}

TPoint TPrlgram::GetPoint(int i) const
{
    if (i < 0 || i >= 4) return {};
    const TPointD& p = Points[static_cast<size_t>(i)];
    return {static_cast<LONG>(Round(p.X)), static_cast<LONG>(Round(p.Y))};
}

void TPrlgram::Rotate(int angle)
{
    const float cx = static_cast<float>((Points[0].X + Points[2].X) / 2);
    const float cy = static_cast<float>((Points[0].Y + Points[2].Y) / 2);
    const auto [s, k] = SinCos(angle);
    for (TPointD& p : Points) {
        const double dx = p.X - cx, dy = p.Y - cy;
        p.X = cx + static_cast<float>(dx * k + dy * s);
        p.Y = cy + static_cast<float>(dy * k - dx * s);
    }
}

std::unique_ptr<TBitmap> sMakerotated90(std::unique_ptr<TBitmap>& bmp, bool clockwise, bool killSource)
{
    return RotateQuarter(bmp, clockwise, killSource);
}

std::unique_ptr<TBitmap> Makerotated90(std::unique_ptr<TBitmap>& bmp, bool clockwise, bool killSource)
{
    return RotateQuarter(bmp, clockwise, killSource);
}

void BitBltRotated(HDC dc, TBitmap* bmp, TPoint center, int angle)
{
    if (!dc || !bmp || bmp->Empty()) return;
    int a = 360 - angle;
    if (a < 0) a = 720 - angle;
    else if (a >= 360) a = -angle;
    const int w = bmp->Width(), h = bmp->Height();
    const TPoint p0{center.X - w / 2, center.Y - h / 2};
    const TPoint corners[4] = {p0, {p0.X + w, p0.Y}, {p0.X + w, p0.Y + h}, {p0.X, p0.Y + h}};
    TPrlgram prl(corners, 4);
    prl.Rotate(a);
    const POINT dest[3] = {prl.GetPoint(1), prl.GetPoint(2), prl.GetPoint(0)};
    PlgBlt(dc, dest, bmp->Canvas()->Handle(), 0, 0, w, h, nullptr, 0, 0);
}
