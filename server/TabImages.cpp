#include "TabImages.h"

#include "Graphics.h"

#include <array>

namespace {

// Drawn on this colour, which the list makes transparent.
constexpr TColor kMask = static_cast<TColor>(0xFF00FF);
constexpr TColor kNavy = static_cast<TColor>(0x800000);
constexpr TColor kWhite = static_cast<TColor>(0xFFFFFF);
constexpr TColor kGray = static_cast<TColor>(0x808080);
constexpr TColor kDark = static_cast<TColor>(0x404040);
constexpr TColor kGreen = static_cast<TColor>(0x30A030);
constexpr TColor kOrange = static_cast<TColor>(0x30B0FF);
constexpr TColor kBlue = static_cast<TColor>(0xD07020);

void Pen(TCanvas& c, TColor color) { c.Pen()->SetColor(color); }
void Brush(TCanvas& c, TColor color) { c.Brush()->SetColor(color); }

void Line(TCanvas& c, int x1, int y1, int x2, int y2)
{
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
}

// A table with a title row: the gateway status grid.
void DrawGrid(TCanvas& c)
{
    Pen(c, kNavy);
    Brush(c, kWhite);
    c.Rectangle(1, 2, 15, 14);
    Brush(c, kNavy);
    c.FillRect(TRect(1, 2, 15, 5));
    Line(c, 1, 8, 15, 8);
    Line(c, 1, 11, 15, 11);
    Line(c, 6, 5, 6, 14);
}

// A page of lines: the connection log.
void DrawLog(TCanvas& c)
{
    Pen(c, kGray);
    Brush(c, kWhite);
    c.Rectangle(3, 1, 13, 15);
    Pen(c, kNavy);
    for (int y = 4; y <= 11; y += 2) Line(c, 5, y, y % 4 == 0 ? 11 : 9, y);
}

// An envelope: the received telegrams.
void DrawTelegrams(TCanvas& c)
{
    Pen(c, kDark);
    Brush(c, kWhite);
    c.Rectangle(1, 3, 15, 13);
    Line(c, 1, 3, 8, 9);
    Line(c, 14, 3, 7, 9);
}

// Three bars: the statistics.
void DrawStatistics(TCanvas& c)
{
    Pen(c, kDark);
    Line(c, 1, 14, 15, 14);
    Brush(c, kGreen);
    c.Rectangle(2, 8, 5, 14);
    Brush(c, kOrange);
    c.Rectangle(7, 3, 10, 14);
    Brush(c, kBlue);
    c.Rectangle(12, 6, 15, 14);
}

// An "i" in a circle: the information page.
void DrawInfo(TCanvas& c)
{
    Pen(c, kBlue);
    Brush(c, kBlue);
    c.Ellipse(1, 1, 15, 15);
    Brush(c, kWhite);
    c.FillRect(TRect(7, 4, 9, 6));
    c.FillRect(TRect(7, 7, 9, 12));
}

// A cog wheel: the settings.
void DrawSetup(TCanvas& c)
{
    Pen(c, kDark);
    Brush(c, kDark);
    c.FillRect(TRect(7, 1, 9, 15));
    c.FillRect(TRect(1, 7, 15, 9));
    const std::array<TPoint, 4> diagonal1{TPoint{3, 4}, TPoint{4, 3}, TPoint{13, 12}, TPoint{12, 13}};
    const std::array<TPoint, 4> diagonal2{TPoint{12, 3}, TPoint{13, 4}, TPoint{4, 13}, TPoint{3, 12}};
    c.Polygon(diagonal1);
    c.Polygon(diagonal2);
    c.Ellipse(3, 3, 13, 13);
    Pen(c, kMask);
    Brush(c, kMask);
    c.Ellipse(6, 6, 10, 10);
}

// An arrow into a tray: the import.
void DrawImport(TCanvas& c)
{
    Pen(c, kGreen);
    Brush(c, kGreen);
    c.FillRect(TRect(7, 1, 10, 7));
    const std::array<TPoint, 3> head{TPoint{4, 7}, TPoint{12, 7}, TPoint{8, 11}};
    c.Polygon(head);
    Pen(c, kDark);
    Line(c, 1, 10, 1, 14);
    Line(c, 1, 14, 15, 14);
    Line(c, 15, 14, 15, 9);
}

} // namespace

void AddTabImages(TCustomImageList& list)
{
    static const std::array<void (*)(TCanvas&), TabImageCount> painters{
        DrawGrid, DrawLog, DrawTelegrams, DrawStatistics, DrawInfo, DrawSetup, DrawImport};
    for (const auto paint : painters) {
        TBitmap image(TabImageSize, TabImageSize, pf24bit);
        TCanvas& canvas = *image.Canvas();
        canvas.Brush()->SetColor(kMask);
        canvas.FillRect(TRect(0, 0, TabImageSize, TabImageSize));
        paint(canvas);
        list.AddMasked(&image, kMask);
    }
}
