#include "sGraphUtils.h"
#include "sGraphUtilsStretch.h"

#include "SysUtils.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

double FilterSupport(TFilterType filter)
{
    switch (filter) {
    case ftBox: return 0.51;
    case ftTriangle:
    case ftHermite: return 1.0;
    case ftBell: return 1.5;
    case ftSpline:
    case ftMitchell: return 2.0;
    case ftLanczos3: return 3.0;
    }
    return 1.0;
}

namespace {

double Sinc(double x)
{
    if (x == 0.0) return 1.0;
    x *= std::numbers::pi;
    return std::sin(x) / x;
}

} // namespace

double FilterValue(TFilterType filter, double x)
{
    if (filter == ftBox) return x > -0.5 && x <= 0.5 ? 1.0 : 0.0; // half-open: one neighbour wins a tie
    x = std::fabs(x);
    switch (filter) {
    case ftTriangle: return x < 1.0 ? 1.0 - x : 0.0;
    case ftHermite: return x < 1.0 ? (2.0 * x - 3.0) * x * x + 1.0 : 0.0;
    case ftBell:
        if (x < 0.5) return 0.75 - x * x;
        if (x < 1.5) return 0.5 * (x - 1.5) * (x - 1.5);
        return 0.0;
    case ftSpline:
        if (x < 1.0) return 0.5 * x * x * x - x * x + 2.0 / 3.0;
        if (x < 2.0) return (2.0 - x) * (2.0 - x) * (2.0 - x) / 6.0;
        return 0.0;
    case ftLanczos3: return x < 3.0 ? Sinc(x) * Sinc(x / 3.0) : 0.0;
    case ftMitchell: {
        constexpr double B = 1.0 / 3.0, C = 1.0 / 3.0;
        if (x < 1.0)
            return ((12.0 - 9.0 * B - 6.0 * C) * x * x * x + (-18.0 + 12.0 * B + 6.0 * C) * x * x + (6.0 - 2.0 * B)) /
                   6.0;
        if (x < 2.0)
            return ((-B - 6.0 * C) * x * x * x + (6.0 * B + 30.0 * C) * x * x + (-12.0 * B - 48.0 * C) * x +
                    (8.0 * B + 24.0 * C)) /
                   6.0;
        return 0.0;
    }
    case ftBox: break;
    }
    return 0.0;
}

namespace {

struct Contributor {
    int pixel;
    int weight; // 16.16
};
using ContributorList = std::vector<std::vector<Contributor>>;

// Mirrors an index at the edges; a wide kernel over a tiny source could mirror past the other
// edge, so the result is kept inside.
int MirrorIndex(int j, int size)
{
    if (j < 0) j = -j >= size ? 2 * size + j - 1 : -j;
    else if (j >= size) j = 2 * size - j - 1;
    return std::clamp(j, 0, size - 1);
}

ContributorList Contributors(int oldSize, int newSize, TFilterType filter)
{
    const double support = FilterSupport(filter);
    const double scale = static_cast<double>(newSize) / oldSize;
    const bool shrink = scale < 1.0;
    const double halfWidth = shrink ? support / scale : support;
    ContributorList list(static_cast<size_t>(newSize));
    for (int i = 0; i < newSize; ++i) {
        const double centre = static_cast<double>(i) * oldSize / newSize;
        const int right = static_cast<int>(std::ceil(centre + halfWidth));
        const int left = static_cast<int>(std::floor(centre - halfWidth));
        for (int j = right; j >= left; --j) {
            const double distance = shrink ? (centre - j) * scale : centre - j;
            if (std::fabs(distance) >= support) continue;
            const double weight = shrink ? FilterValue(filter, distance) * scale : FilterValue(filter, distance);
            list[static_cast<size_t>(i)].push_back(
                {MirrorIndex(j, oldSize), static_cast<int>(Round(weight * 65536.0))});
        }
    }
    return list;
}

TsColor_ Apply(const std::vector<Contributor>& contributors, auto&& sourcePixel)
{
    long long sum[4] = {};
    for (const Contributor& c : contributors) {
        const TsColor_ p = sourcePixel(c.pixel);
        sum[0] += static_cast<long long>(p.B) * c.weight;
        sum[1] += static_cast<long long>(p.G) * c.weight;
        sum[2] += static_cast<long long>(p.R) * c.weight;
        sum[3] += static_cast<long long>(p.A) * c.weight;
    }
    std::uint8_t out[4];
    for (int k = 0; k < 4; ++k)
        out[k] = sum[k] < 0 ? 0 : sum[k] > 0xFF0000 ? 255 : static_cast<std::uint8_t>(sum[k] >> 16);
    TsColor_ result{};
    result.B = out[0];
    result.G = out[1];
    result.R = out[2];
    result.A = out[3];
    return result;
}

} // namespace

void Stretch(TBitmap* src, TBitmap* dst, int newWidth, int newHeight, TFilterType filter)
{
    if (!src || !dst || newWidth < 1 || newHeight < 1 || src->Width() <= 1 || src->Height() <= 1) return;
    if (newWidth == src->Width() && newHeight == src->Height()) {
        if (dst != src) dst->Assign(src);
        return;
    }
    std::unique_ptr<TBitmap> copy;
    if (src->PixelFormat() != pf32bit) {
        copy = CreateBmp32(src->Width(), src->Height());
        BitBlt(copy->Canvas()->Handle(), 0, 0, src->Width(), src->Height(), src->Canvas()->Handle(), 0, 0, SRCCOPY);
        src = copy.get();
    }
    const int oldWidth = src->Width(), oldHeight = src->Height();
    auto work = CreateBmp32(newWidth, oldHeight);
    TacBmpRows s(src), w(work.get());
    if (!s.Valid() || !w.Valid()) return;
    const ContributorList horizontal = Contributors(oldWidth, newWidth, filter);
    for (int y = 0; y < oldHeight; ++y) {
        const auto srcRow = s.Row(y);
        const auto workRow = w.Row(y);
        for (int x = 0; x < newWidth; ++x)
            workRow[static_cast<size_t>(x)] =
                Apply(horizontal[static_cast<size_t>(x)], [&](int j) { return srcRow[static_cast<size_t>(j)]; });
    }
    dst->SetPixelFormat(pf32bit);
    dst->SetSize(newWidth, newHeight);
    TacBmpRows d(dst);
    if (!d.Valid()) return;
    const ContributorList vertical = Contributors(oldHeight, newHeight, filter);
    for (int y = 0; y < newHeight; ++y)
        for (int x = 0; x < newWidth; ++x)
            d.At(x, y) = Apply(vertical[static_cast<size_t>(y)], [&](int j) { return w.At(x, j); });
}
