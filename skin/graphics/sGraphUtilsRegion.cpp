#include "sGraphUtilsRegion.h"

#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sGraphUtils.h"
#include "sGraphUtilsMix.h"
#include "sSkinManager.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace {

using graphutils_detail::Bitmap32;
using graphutils_detail::KeyPixel;

// Collects the runs of one row: a matching pixel opens a run or lengthens the open one, any
// other pixel (and the row's end) closes it.
class RunCollector {
public:
    RunCollector(TRects& rects, int y) : rects_(rects), y_(y) {}
    ~RunCollector() { Close(); }
    RunCollector(const RunCollector&) = delete;
    RunCollector& operator=(const RunCollector&) = delete;

    void Pixel(int x, bool matches)
    {
        if (!matches) {
            Close();
        } else if (open_) {
            open_->Right = x + 1;
        } else {
            open_ = TRect(x, y_, x + 1, y_ + 1);
        }
    }

private:
    void Close()
    {
        if (open_) rects_.push_back(*open_);
        open_.reset();
    }

    TRects& rects_;
    int y_;
    std::optional<TRect> open_;
};

// The key runs of columns [firstColumn, firstColumn + count) of the image rows, column c of
// row r placed at (c + dx, r + dy); columns outside the bitmap are not key pixels.
void AddCornerRuns(TRects& rects, const TacBmpRows& rows, int imageLeft, int firstRow, int rowCount, int firstColumn,
                   int count, int dx, int dy)
{
    for (int r = 0; r < rowCount; ++r) {
        RunCollector runs(rects, r + dy);
        for (int c = firstColumn; c < firstColumn + count; ++c) {
            const int x = imageLeft + c, y = firstRow + r;
            runs.Pixel(c + dx, rows.Contains(x, y) && rows.At(x, y).I == KeyPixel);
        }
    }
}

} // namespace

void AddRgnBmp(TRects& rects, TBitmap* bmp, TsColor transColor)
{
    std::unique_ptr<TBitmap> holder;
    const TacBmpRows rows(Bitmap32(bmp, holder));
    if (!rows.Valid()) return;
    for (int y = 0; y < rows.Height(); ++y) {
        RunCollector runs(rects, y);
        const auto row = rows.Row(y);
        for (int x = 0; x < rows.Width(); ++x) runs.Pixel(x, row[static_cast<size_t>(x)].I == transColor.I);
    }
}

void GetRgnFromBmp(HRGN& rgn, TBitmap* bmp, TColor transColor)
{
    if (!bmp) {
        rgn = nullptr;
        return;
    }
    TRects runs;
    TsColor key;
    key.C = transColor;
    AddRgnBmp(runs, bmp, key);
    rgn = CreateRectRgn(0, 0, bmp->Width(), bmp->Height());
    if (!rgn) return;
    for (const TRect& run : runs) {
        HRGN piece = CreateRectRgn(run.Left, run.Top, run.Right, run.Bottom);
        if (!piece) continue;
        CombineRgn(rgn, rgn, piece, RGN_DIFF);
        DeleteObject(piece);
    }
}

void AddRgn(TRects& rects, int width, const TsMaskData& maskData, int vertOffset, bool bottom, int horzOffset)
{
    if (!maskData.Manager) return;
    TBitmap* bmp = maskData.Bmp;
    if (!bmp) {
        if (auto* manager = dynamic_cast<TsSkinManager*>(maskData.Manager)) bmp = manager->MasterBitmap.get();
    }
    const TacBmpRows rows(bmp);
    if (!rows.Valid()) return;

    const TRect& r = maskData.R;
    // A mask type below 0 has no second half: the first state is the whole height.
    const int stateHeight = HeightOf(r) / std::max(maskData.MaskType + 1, 1);
    const int rowCount = bottom ? maskData.WB : maskData.WT;
    const int firstRow = bottom ? r.Top + stateHeight - maskData.WB : r.Top;
    if (rowCount <= 0 || firstRow < 0 || firstRow + rowCount > rows.Height()) return;
    const int dy = vertOffset - (bottom ? horzOffset : 0);

    AddCornerRuns(rects, rows, r.Left, firstRow, rowCount, 0, maskData.WL, horzOffset, dy);
    AddCornerRuns(rects, rows, r.Left, firstRow, rowCount, maskData.Width - maskData.WR, maskData.WR,
                  width - maskData.Width - horzOffset, dy);
}
