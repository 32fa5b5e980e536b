#include "sGraphUtilsBlur.h"

#include "SysUtils.h"
#include "acGPUtils.h"
#include "sGraphUtils.h"

#include <cmath>
#include <vector>

void MakeGaussianKernel(TacBlurKernel& kernel, double radius, double maxData, double dataGranularity)
{
    for (int j = -16; j <= 16; ++j) {
        const double t = j / radius;
        kernel.At(j) = static_cast<float>(Round(std::exp(-t * t / 2.0)));
    }
    double sum = 0;
    for (float w : kernel.Weights) sum += w;
    for (float& w : kernel.Weights) w = static_cast<float>(w / sum);
    const double delta = dataGranularity / (2.0 * maxData);
    double s = 0;
    int size = 16;
    while (s < delta && size > 1) {
        s += 2.0 * kernel.At(size);
        --size;
    }
    kernel.Size = static_cast<TKernelSize>(size);
    sum = 0;
    for (int j = -size; j <= size; ++j) sum += kernel.At(j);
    for (int j = -size; j <= size; ++j) kernel.At(j) = static_cast<float>(kernel.At(j) / sum);
}

void BlurRow(std::span<std::uint8_t> row, const TacBlurKernel& kernel, std::span<std::uint8_t> work)
{
    const int count = static_cast<int>(row.size());
    if (count == 0 || work.size() < row.size()) return;
    for (int j = 0; j < count; ++j) {
        double sum = 0;
        for (int i = -kernel.Size; i <= kernel.Size; ++i) {
            const int k = std::clamp(j + i, 0, count - 1);
            sum += row[static_cast<size_t>(k)] * static_cast<double>(kernel.At(i));
        }
        work[static_cast<size_t>(j)] = sum > 255 ? 255 : sum < 0 ? 0 : static_cast<std::uint8_t>(Round(sum));
    }
    std::copy_n(work.begin(), count, row.begin());
}

void Blur8(TBitmap* bmp, double radius)
{
    if (!bmp || bmp->Empty() || bmp->HandleType() != bmDIB || bmp->PixelFormat() != pf8bit || radius <= 0) return;
    TacBlurKernel kernel;
    MakeGaussianKernel(kernel, radius, 255.0, 1.0);
    const int width = bmp->Width(), height = bmp->Height();
    std::vector<std::uint8_t*> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) rows[static_cast<size_t>(y)] = static_cast<std::uint8_t*>(bmp->ScanLine(y));
    std::vector<std::uint8_t> work(static_cast<size_t>(std::max(width, height)));
    for (std::uint8_t* row : rows) BlurRow({row, static_cast<size_t>(width)}, kernel, work);
    std::vector<std::uint8_t> column(static_cast<size_t>(height));
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) column[static_cast<size_t>(y)] = rows[static_cast<size_t>(y)][x];
        BlurRow(column, kernel, work);
        for (int y = 0; y < height; ++y) rows[static_cast<size_t>(y)][x] = column[static_cast<size_t>(y)];
    }
}

void QBlur(TBitmap* bmp)
{
    if (!bmp || bmp->Width() < 2 || bmp->Height() < 2) return;
    auto half = CreateBmp32(bmp->Width() / 2, bmp->Height() / 2);
    acgpStretchRect(half.get(), bmp, 0, 0, bmp->Width() - 1, bmp->Height() - 1);
    acgpStretchRect(bmp, half.get(), 0, 0, half->Width() - 1, half->Height() - 1);
}
