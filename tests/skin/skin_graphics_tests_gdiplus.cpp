// Drawing through GDI+: binding the entry table at start-up (also without the library or one
// export), anti-aliased shapes, stretching with the alpha rule, rotated bitmaps, text, blur with
// its fallback and the quick blur.
#include "skin_graphics_test_pixels.h"
#include "skin_graphics_test_units.h"

#include "../framework/graphics_png.h"
#include "SysUtils.h"
#include "acGPUtils.h"
#include "acGPUtilsEntries.h"
#include "sGraphUtilsBlur.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr Word kWhite = 0xFFFFFFFF;

// Restores the library source when a test that changed it ends.
struct SourceGuard {
    ~SourceGuard() { acgpLibrarySource() = TacgpLibrarySource(); }
};

using Drawing = std::function<void(HDC)>;
struct Shape {
    const char* name;
    Drawing draw;
    TRect box; // where the shape may leave ink
};

std::vector<Shape> Shapes()
{
    const std::array<TacPointF, 4> quad{{{4, 4}, {30, 8}, {26, 30}, {8, 26}}};
    const std::array<TacPointF, 4> bezier{{{4, 30}, {10, 2}, {24, 2}, {30, 30}}};
    const std::array<TPoint, 3> triangle{{{4, 4}, {30, 16}, {4, 30}}};
    return {
        {"ellipse", [](HDC dc) { acgpDrawEllipse(dc, 4, 6, 26, 20, clBlack, 2); }, TRect(2, 4, 33, 29)},
        {"line", [](HDC dc) { acgpDrawLine(dc, 4, 4, 30, 22, clBlack, 1.5f); }, TRect(2, 2, 33, 25)},
        {"filled ellipse", [](HDC dc) { acgpFillEllipse(dc, 6, 6, 20, 24, clBlack); }, TRect(5, 5, 27, 31)},
        {"arc", [](HDC dc) { acgpDrawArc(dc, 4, 4, 26, 26, 0, 90, clBlack, 2); }, TRect(15, 15, 32, 32)},
        {"round rectangle", [](HDC dc) { acgpRoundRect(dc, 4, 4, 26, 22, 6, 1, clRed, clBlack); }, TRect(3, 3, 32, 28)},
        {"rectangle at alpha", [](HDC dc) { acgpFillRect(dc, clRed, TRect(5, 6, 20, 26), 128); }, TRect(5, 6, 20, 26)},
        {"gradient ring", [](HDC dc) { acgpGradientRing(dc, 6, 6, 22, 22, clRed, clBlue, 3); }, TRect(4, 4, 30, 30)},
        {"gradient ellipse", [](HDC dc) { acgpGradientEllipse(dc, 6, 4, 22, 26, clRed, clBlue); }, TRect(5, 3, 29, 31)},
        {"gradient rectangle across",
         [](HDC dc) { acgpGradientRectangleH(dc, 4, 6, 26, 20, static_cast<TColor>(0xFF0000FF), static_cast<TColor>(0xFFFF0000)); },
         TRect(4, 6, 30, 26)},
        {"gradient rectangle down",
         [](HDC dc) { acgpGradientRectangleV(dc, 4, 6, 26, 20, static_cast<TColor>(0xFF0000FF), static_cast<TColor>(0xFFFF0000)); },
         TRect(4, 6, 30, 26)},
        {"four-corner rectangle",
         [](HDC dc) {
             TsColor c[4];
             c[0].I = static_cast<std::int32_t>(0xFF0000FF);
             c[1].I = static_cast<std::int32_t>(0xFF00FF00);
             c[2].I = static_cast<std::int32_t>(0xFFFF0000);
             c[3].I = static_cast<std::int32_t>(0xFF00FFFF);
             TsColor centre;
             centre.I = static_cast<std::int32_t>(0xFF808080);
             acgpGradientRectangle(dc, 4, 4, 26, 26, {TPoint(4, 4), TPoint(30, 4), TPoint(30, 30), TPoint(4, 30)},
                                   {c[0], c[1], c[2], c[3]}, centre);
         },
         TRect(4, 4, 30, 30)},
        {"polygon", [quad](HDC dc) { acgpDrawPolygon(dc, clBlack, quad, 1); }, TRect(3, 3, 32, 32)},
        {"beziers", [bezier](HDC dc) { acgpDrawBeziers(dc, clBlack, bezier, 1); }, TRect(3, 6, 32, 32)},
        {"filled polygon", [quad](HDC dc) { acgpFillPolygon(dc, clBlack, quad); }, TRect(4, 4, 31, 31)},
        {"filled integer polygon", [triangle](HDC dc) { acgpFillPolygon(dc, clBlack, triangle); }, TRect(4, 4, 31, 31)},
        {"gradient polygon",
         [triangle](HDC dc) { acgpGradientPolygon(dc, clRed, static_cast<TColor>(0x20FF0000), asRight, triangle); },
         TRect(4, 4, 31, 31)},
        {"string", [](HDC dc) { acgpDrawString(dc, L"Hi", TRect(4, 4, 30, 24), clBlack, taCenter, taVerticalCenter, 0, false); },
         TRect(4, 4, 31, 25)},
    };
}

int InkOutside(TBitmap& bmp, const TRect& box, int& inside)
{
    int outside = 0;
    inside = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (Px(bmp, x, y) != kWhite) (box.Contains(TPoint(x, y)) ? inside : outside)++;
    return outside;
}

int Grey(Word w) { return (ByteR(w) + ByteG(w) + ByteB(w)) / 3; }

bool Near(Word a, Word b, int tolerance)
{
    return std::abs(ByteR(a) - ByteR(b)) <= tolerance && std::abs(ByteG(a) - ByteG(b)) <= tolerance &&
           std::abs(ByteB(a) - ByteB(b)) <= tolerance;
}

// ---------------------------------------------------------------------------------------------
// A stand-in for the blur effect: records what it is asked for and "blurs" into one colour.
namespace fake {
Gdiplus::CGpEffect effect;
int created = 0, deleted = 0;
float radius = -1;
UINT paramSize = 0;
int applyWidth = 0, applyHeight = 0;
std::vector<std::uint32_t> pixels;

Gdiplus::GpStatus WINGDIPAPI CreateEffect(const GUID guid, Gdiplus::CGpEffect** out)
{
    static const GUID blur = {0x633C80A4, 0x1843, 0x482B, {0x9E, 0xF2, 0xBE, 0x28, 0x34, 0xC5, 0xFD, 0xD4}};
    if (!IsEqualGUID(guid, blur)) return Gdiplus::InvalidParameter;
    ++created;
    *out = &effect;
    return Gdiplus::Ok;
}
Gdiplus::GpStatus WINGDIPAPI SetParameters(Gdiplus::CGpEffect*, const VOID* params, UINT size)
{
    paramSize = size;
    Gdiplus::BlurParams p;
    std::memcpy(&p, params, sizeof(p));
    radius = p.radius;
    return p.expandEdge ? Gdiplus::InvalidParameter : Gdiplus::Ok;
}
Gdiplus::GpStatus WINGDIPAPI Apply(Gdiplus::GpBitmap**, INT count, Gdiplus::CGpEffect*, RECT* roi, RECT*,
                                  Gdiplus::GpBitmap** out, BOOL, VOID**, INT*)
{
    if (count != 1 || !roi) return Gdiplus::InvalidParameter;
    applyWidth = roi->right - roi->left;
    applyHeight = roi->bottom - roi->top;
    pixels.assign(static_cast<size_t>(applyWidth) * applyHeight, 0xFF204080);
    return acgpEntries().GdipCreateBitmapFromScan0(applyWidth, applyHeight, applyWidth * 4, PixelFormat32bppARGB,
                                                   reinterpret_cast<BYTE*>(pixels.data()), out);
}
Gdiplus::GpStatus WINGDIPAPI DeleteEffect(Gdiplus::CGpEffect*)
{
    ++deleted;
    return Gdiplus::Ok;
}
} // namespace fake

template <class F>
FARPROC Proc(F f)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(f));
}

FARPROC FakeEffects(HMODULE module, const char* name)
{
    const std::string n(name);
    if (n == "GdipCreateEffect") return Proc(&fake::CreateEffect);
    if (n == "GdipSetEffectParameters") return Proc(&fake::SetParameters);
    if (n == "GdipBitmapCreateApplyEffect") return Proc(&fake::Apply);
    if (n == "GdipDeleteEffect") return Proc(&fake::DeleteEffect);
    return GetProcAddress(module, name);
}

// A bitmap black on the left half and white on the right, opaque.
std::unique_ptr<TBitmap> SharpEdge(int size)
{
    auto bmp = Bmp32(size, size, 0xFF000000);
    for (int y = 0; y < size; ++y)
        for (int x = size / 2; x < size; ++x) SetPx(*bmp, x, y, kWhite);
    return bmp;
}

class SkinGdiplus : public ::testing::Test {
protected:
    GdiplusUnit unit;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Binding

TEST(SkinGdiplusTable, BindsEveryEntryOnceAndStartsGdiplus)
{
    SourceGuard guard;
    int lookups = 0;
    acgpLibrarySource().GetProc = [&](HMODULE module, const char* name) {
        ++lookups;
        return GetProcAddress(module, name);
    };
    EXPECT_FALSE(acgpLibrary());
    acGPUtilsInitialization();
    ASSERT_TRUE(acgpLibrary());
    EXPECT_EQ(acgpEntryNames().size(), 53u);
    EXPECT_EQ(acgpEntryNames().front(), "GdipDrawArc");
    EXPECT_EQ(acgpEntryNames().back(), "GdipRotateWorldTransform");
    for (std::string_view name : acgpEntryNames()) EXPECT_TRUE(acgpEntryBound(name)) << name;
    EXPECT_TRUE(acgpReleaseEntries().GdipDeleteEffect);
    EXPECT_TRUE(acgpStarted());
    EXPECT_TRUE(acgpStartup(false));
    const int bound = lookups;
    EXPECT_EQ(bound, 53 + 3);

    acGPUtilsInitialization(); // a second start-up binds nothing
    EXPECT_EQ(lookups, bound);
    acGPUtilsFinalization();
    EXPECT_TRUE(acgpStarted());
    acGPUtilsFinalization();
    EXPECT_FALSE(acgpStarted());
    EXPECT_FALSE(acgpLibrary());
    EXPECT_FALSE(acgpEntries().GdipCreateFromHDC);
    EXPECT_FALSE(acgpStartup(false));
    // An unmatched shut-down does nothing, and the start-up after it only balances it.
    acGPUtilsFinalization();
    acGPUtilsInitialization();
    EXPECT_FALSE(acgpLibrary());
    EXPECT_FALSE(acgpStarted());

    // One export missing leaves only its slot empty.
    acgpLibrarySource().GetProc = [](HMODULE module, const char* name) {
        return std::string_view(name) == "GdipDrawBeziers" ? nullptr : GetProcAddress(module, name);
    };
    acGPUtilsInitialization();
    for (std::string_view name : acgpEntryNames()) EXPECT_EQ(acgpEntryBound(name), name != "GdipDrawBeziers") << name;
    auto bmp = Bmp32(34, 34, kWhite);
    const std::array<TacPointF, 4> curve{{{4, 30}, {10, 2}, {24, 2}, {30, 30}}};
    acgpDrawBeziers(bmp->Canvas()->Handle(), clBlack, curve, 2);
    acgpDrawLine(bmp->Canvas()->Handle(), 2, 2, 30, 30, clBlack, 2);
    int inside = 0;
    EXPECT_EQ(InkOutside(*bmp, TRect(0, 0, 34, 34), inside), 0);
    EXPECT_EQ(Px(*bmp, 20, 5), kWhite); // no curve
    EXPECT_NE(Px(*bmp, 16, 16), kWhite); // the line
    acGPUtilsFinalization();
}

TEST(SkinGdiplusTable, WithoutTheLibraryNothingIsDrawn)
{
    SourceGuard guard;
    acgpLibrarySource().FileName = L"no-such-gdiplus.dll";
    acGPUtilsInitialization();
    EXPECT_FALSE(acgpLibrary());
    EXPECT_FALSE(acgpStarted());
    for (std::string_view name : acgpEntryNames()) EXPECT_FALSE(acgpEntryBound(name)) << name;
    for (const Shape& shape : Shapes()) {
        SCOPED_TRACE(shape.name);
        auto bmp = Bmp32(34, 34, kWhite);
        shape.draw(bmp->Canvas()->Handle());
        int inside = 0;
        EXPECT_EQ(InkOutside(*bmp, TRect(), inside), 0);
    }
    auto canvasBmp = Bmp32(8, 8, kWhite);
    const TSize none = acgpMeasureString(canvasBmp->Canvas()->Handle(), L"Hi", false, 0);
    EXPECT_EQ(none.cx, 0);
    EXPECT_EQ(none.cy, 0);
    EXPECT_EQ(acgpGetFontName(L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf"), L"");
    EXPECT_FALSE(acgpCreateLineBrush(nullptr, TPoint(0, 0), TPoint(1, 1), 0xFF000000, 0xFFFFFFFF));
    // No blur and no quick blur: the stretches it would use need GDI+ too.
    auto edge = SharpEdge(40);
    acgpBlur(edge.get(), 5);
    QBlur(edge.get());
    EXPECT_EQ(Px(*edge, 19, 5), 0xFF000000u);
    EXPECT_EQ(Px(*edge, 20, 5), kWhite);
    acGPUtilsFinalization();
    EXPECT_FALSE(acgpLibrary());
}

// ---------------------------------------------------------------------------------------------
// Shapes

TEST_F(SkinGdiplus, ShapesDrawInsideTheirBoxes)
{
    for (const Shape& shape : Shapes()) {
        SCOPED_TRACE(shape.name);
        auto bmp = Bmp32(34, 34, kWhite);
        shape.draw(bmp->Canvas()->Handle());
        int inside = 0;
        EXPECT_EQ(InkOutside(*bmp, shape.box, inside), 0);
        EXPECT_GT(inside, 10);
    }
}

namespace {
std::vector<int> smoothingModes;
Gdiplus::GpStatus WINGDIPAPI RecordSmoothing(Gdiplus::GpGraphics* g, Gdiplus::SmoothingMode mode)
{
    smoothingModes.push_back(mode);
    return Gdiplus::DllExports::GdipSetSmoothingMode(g, mode);
}
} // namespace

TEST(SkinGdiplusShapes, ShapesAskForTheSmoothingMode)
{
    // Wine's GDI+ fills and strokes without anti-aliasing whatever the mode, so the request is
    // what can be checked here: every shape asks for the process-wide mode.
    SourceGuard guard;
    acgpLibrarySource().GetProc = [](HMODULE module, const char* name) {
        return std::string_view(name) == "GdipSetSmoothingMode" ? Proc(&RecordSmoothing) : GetProcAddress(module, name);
    };
    GdiplusUnit unit;
    for (std::uint8_t mode : {std::uint8_t(Gdiplus::SmoothingModeHighQuality), std::uint8_t(Gdiplus::SmoothingModeAntiAlias)}) {
        acgpSmoothingMode = mode;
        for (const Shape& shape : Shapes()) {
            if (std::string_view(shape.name) == "string") continue;
            SCOPED_TRACE(shape.name);
            smoothingModes.clear();
            auto bmp = Bmp32(34, 34, kWhite);
            shape.draw(bmp->Canvas()->Handle());
            ASSERT_EQ(smoothingModes.size(), 1u);
            EXPECT_EQ(smoothingModes[0], mode);
        }
    }
    acgpSmoothingMode = Gdiplus::SmoothingModeHighQuality;
    // The triangle is solid inside and leaves the rest alone.
    auto triangle = Bmp32(24, 24, kWhite);
    const std::array<TPoint, 3> points{{{2, 2}, {21, 6}, {7, 21}}};
    acgpFillPolygon(triangle->Canvas()->Handle(), clBlack, points);
    EXPECT_EQ(Px(*triangle, 10, 9), 0xFF000000u);
    EXPECT_EQ(Px(*triangle, 20, 20), kWhite);
}

TEST_F(SkinGdiplus, RoundRectangleAndAlphaFill)
{
    auto bmp = Bmp32(40, 30, kWhite);
    HDC dc = bmp->Canvas()->Handle();
    acgpRoundRect(dc, 5, 5, 30, 20, 8, 1, clRed, clBlue);
    EXPECT_EQ(Px(*bmp, 20, 15) & 0xFFFFFF, 0xFF0000u); // body
    EXPECT_EQ(Px(*bmp, 6, 6), kWhite);                 // outside the corner arc
    const Word edge = Px(*bmp, 20, 5);                 // the border, centred on the edge
    EXPECT_GT(ByteB(edge), ByteG(edge) + 60);
    acgpFillRect(dc, clGreen, TRect(0, 0, 4, 4), 128);
    const Word half = Px(*bmp, 1, 1);
    EXPECT_NEAR(ByteG(half), (128 * 128 + 255 * 127) / 255, 3);
    EXPECT_NEAR(ByteR(half), 127, 3);
}

TEST_F(SkinGdiplus, RotatedBitmapTurnsAboutTheCentre)
{
    // Red top-left quarter, blue elsewhere; a quarter turn moves red to the top right.
    auto src = Bmp32(10, 10, 0xFF0000FF);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) SetPx(*src, x, y, 0xFFFF0000);
    const struct {
        int angle;
        TPoint red;
    } cases[] = {{0, {2, 2}}, {90, {7, 2}}, {180, {7, 7}}, {-90, {2, 7}}, {450, {7, 2}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.angle);
        auto dst = Bmp32(20, 20, kWhite);
        acgpDrawRotatedBitmap(dst->Canvas()->Handle(), src.get(), TRect(5, 5, 15, 15), c.angle);
        for (TPoint p : {TPoint(2, 2), TPoint(7, 2), TPoint(7, 7), TPoint(2, 7)}) {
            const Word w = Px(*dst, 5 + p.X, 5 + p.Y);
            const bool red = p.X == c.red.X && p.Y == c.red.Y;
            EXPECT_EQ(w, red ? 0xFFFF0000u : 0xFF0000FFu) << p.X << "," << p.Y;
        }
        EXPECT_EQ(Px(*dst, 2, 2), kWhite);
    }
}

TEST_F(SkinGdiplus, StretchTakesHalfTheAlpha)
{
    // One to one and doubled: each source alpha a lands as a div 2 + 127, the colour unchanged.
    auto src = CreateBmp32(4, 1);
    const int alphas[4] = {0, 64, 128, 255};
    for (int x = 0; x < 4; ++x) SetPx(*src, x, 0, Argb(alphas[x], 200, 100, 50));
    auto same = Bmp32(4, 1, 0);
    acgpStretchRect(same.get(), src.get(), TRect(0, 0, 4, 1), TRect(0, 0, 4, 1));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(ByteA(Px(*same, x, 0)), alphas[x] / 2 + 127) << x;

    auto plain = Bmp32(6, 6, 0xFF3060C0);
    auto big = Bmp32(12, 12, 0);
    acgpStretchRect(big.get(), plain.get(), 0, 0, 6, 6);
    for (int y = 2; y < 10; ++y)
        for (int x = 2; x < 10; ++x) {
            // Premultiplying on the way loses up to two steps of a channel.
            EXPECT_EQ(ByteA(Px(*big, x, y)), 254);
            EXPECT_TRUE(Near(Px(*big, x, y), 0xFE3060C0u, 2)) << x << "," << y;
        }
    // Empty rectangles and bitmaps do nothing.
    acgpStretchRect(big.get(), plain.get(), TRect(0, 0, 0, 5), TRect(0, 0, 6, 6));
    acgpStretchRect(big.get(), nullptr, 0, 0, 6, 6);
    EXPECT_TRUE(Near(Px(*big, 0, 0), 0xFF3060C0, 2));
}

// ---------------------------------------------------------------------------------------------
// Text

TEST_F(SkinGdiplus, MeasureStringIsTheGdiplusSizeRoundedPlusOne)
{
    auto bmp = Bmp32(8, 8, kWhite);
    bmp->Canvas()->Font()->SetName(L"DejaVu Sans");
    bmp->Canvas()->Font()->SetSize(12);
    HDC dc = bmp->Canvas()->Handle();
    SelectObject(dc, bmp->Canvas()->Font()->Handle());
    // What GDI+ itself says for the same font and format.
    const TacgpEntries& e = acgpEntries();
    Gdiplus::GpGraphics* g = nullptr;
    Gdiplus::GpFont* font = nullptr;
    Gdiplus::GpStringFormat* format = nullptr;
    ASSERT_EQ(e.GdipCreateFromHDC(dc, &g), Gdiplus::Ok);
    ASSERT_EQ(e.GdipCreateFontFromDC(dc, &font), Gdiplus::Ok);
    ASSERT_EQ(e.GdipCreateStringFormat(0, LANG_NEUTRAL, &format), Gdiplus::Ok);
    e.GdipSetStringFormatFlags(format, Gdiplus::StringFormatFlagsNoWrap);
    const Gdiplus::RectF layout(0, 0, 2147483648.0f, 2147483648.0f);
    Gdiplus::RectF box;
    ASSERT_EQ(e.GdipMeasureString(g, L"Hi", 2, font, &layout, format, &box, nullptr, nullptr), Gdiplus::Ok);
    e.GdipDeleteStringFormat(format);
    e.GdipDeleteFont(font);
    e.GdipDeleteGraphics(g);

    const TSize size = acgpMeasureString(dc, L"Hi", false, 0);
    EXPECT_EQ(size.cx, Round(box.Width) + 1);
    EXPECT_EQ(size.cy, Round(box.Height) + 1);
    EXPECT_GT(size.cx, 8);
    const TSize none = acgpMeasureString(dc, L"", false, 0);
    EXPECT_EQ(none.cx + none.cy, 0);
    // Wrapping at a narrow width gives more lines; a bigger font a bigger size.
    const TSize wrapped = acgpMeasureString(dc, L"Hi there Hi there", true, size.cx * 2);
    EXPECT_GE(wrapped.cy, 2 * size.cy - 2);
    TFont big;
    big.SetName(L"DejaVu Sans");
    big.SetSize(24);
    const TSize large = acgpMeasureString(dc, L"Hi", &big, false, 0);
    EXPECT_GT(large.cx, size.cx + 5);
    EXPECT_GT(large.cy, size.cy + 5);
}

TEST_F(SkinGdiplus, DrawStringAlignsAndTurns)
{
    const auto inkBox = [](TBitmap& bmp) {
        TRect box(1000, 1000, -1, -1);
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x)
                if (Grey(Px(bmp, x, y)) < 128) {
                    box.Left = std::min<LONG>(box.Left, x);
                    box.Top = std::min<LONG>(box.Top, y);
                    box.Right = std::max<LONG>(box.Right, x + 1);
                    box.Bottom = std::max<LONG>(box.Bottom, y + 1);
                }
        return box;
    };
    const auto draw = [](TAlignment h, TVerticalAlignment v, int angle) {
        auto bmp = Bmp32(120, 120, kWhite);
        bmp->Canvas()->Font()->SetName(L"DejaVu Sans");
        bmp->Canvas()->Font()->SetSize(14);
        HDC dc = bmp->Canvas()->Handle();
        SelectObject(dc, bmp->Canvas()->Font()->Handle());
        acgpDrawString(dc, L"Hello", TRect(10, 10, 110, 110), clBlack, h, v, angle, false);
        return bmp;
    };
    const TRect left = inkBox(*draw(taLeftJustify, taAlignTop, 0));
    const TRect right = inkBox(*draw(taRightJustify, taAlignBottom, 0));
    const TRect centre = inkBox(*draw(taCenter, taVerticalCenter, 0));
    const TRect turned = inkBox(*draw(taCenter, taVerticalCenter, 90));
    EXPECT_LT(left.Left, 16);
    EXPECT_LT(left.Top, 20);
    EXPECT_GT(right.Right, 104);
    EXPECT_GT(right.Bottom, 96);
    EXPECT_NEAR((centre.Left + centre.Right) / 2, 60, 4);
    EXPECT_NEAR((centre.Top + centre.Bottom) / 2, 60, 6);
    EXPECT_GT(centre.Width(), centre.Height() * 2);
    // Turned a quarter: as tall as the text was wide, about the same centre.
    EXPECT_GT(turned.Height(), turned.Width() * 2);
    EXPECT_NEAR(turned.Height(), centre.Width(), 3);
    EXPECT_NEAR((turned.Top + turned.Bottom) / 2, 60, 4);
    EXPECT_NEAR((turned.Left + turned.Right) / 2, 60, 6);
    // Left-aligned text turns about the rectangle's top-left corner: by -90 it reads downwards
    // from there, right of the corner.
    const TRect down = inkBox(*draw(taLeftJustify, taAlignTop, -90));
    EXPECT_GE(down.Top, 10);
    EXPECT_LT(down.Top, 16);
    EXPECT_LT(down.Right, 40);
    EXPECT_GT(down.Height(), down.Width() * 2);
}

TEST_F(SkinGdiplus, FontNameOfAFontFile)
{
    EXPECT_EQ(acgpGetFontName(L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf"), L"DejaVu Sans");
    EXPECT_EQ(acgpGetFontName(L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSerif-Bold.ttf"), L"DejaVu Serif");
    EXPECT_EQ(acgpGetFontName(L"Z:\\no\\such\\font.ttf"), L"");
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(acgpGetFontName(self), L"");
}

// ---------------------------------------------------------------------------------------------
// Blur

TEST(SkinGdiplusBlur, RadiusAndSizeChooseTheWay)
{
    SourceGuard guard;
    acgpLibrarySource().GetProc = FakeEffects;
    GdiplusUnit unit;
    const struct {
        double radius;
        int size;
        float effectRadius;
        int blurredSize;
    } cases[] = {
        {17, 200, 20, 200}, {10, 200, 10, 200}, {25, 50, 25, 50}, {20, 10, 20, 10},
        {17, 50, 17, 212},  {3, 50, 3, 50},     {8, 60, 8, 120},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.radius);
        SCOPED_TRACE(c.size);
        fake::created = fake::deleted = 0;
        auto bmp = Bmp32(c.size, c.size, 0xFF000000);
        acgpBlur(bmp.get(), c.radius);
        EXPECT_EQ(fake::radius, c.effectRadius);
        EXPECT_EQ(fake::paramSize, 8u);
        EXPECT_EQ(fake::applyWidth, c.blurredSize);
        EXPECT_EQ(fake::applyHeight, c.blurredSize);
        EXPECT_EQ(fake::created, 1);
        EXPECT_EQ(fake::deleted, 1);
        // The effect's picture reaches the bitmap (scaled back when it was enlarged).
        EXPECT_EQ(bmp->Width(), c.size);
        EXPECT_EQ(bmp->PixelFormat(), pf32bit);
        EXPECT_TRUE(Near(Px(*bmp, c.size / 2, c.size / 2), 0x204080, 2));
    }
    fake::created = 0;
    auto bmp = Bmp32(20, 20, 0xFF000000);
    acgpBlur(bmp.get(), 0);
    acgpBlur(bmp.get(), -3);
    EXPECT_EQ(fake::created, 0);
    EXPECT_EQ(Px(*bmp, 10, 10), 0xFF000000u);
}

TEST_F(SkinGdiplus, QuickBlurStandsInWhereGdiplusCannotBlur)
{
    // Wine refuses the blur effect; the quick blur softens the edge instead. The same happens
    // when the effect functions are not exported.
    const auto softened = [](TBitmap& bmp) {
        int grey = 0;
        for (int x = 0; x < bmp.Width(); ++x) {
            const int g = Grey(Px(bmp, x, bmp.Height() / 2));
            if (g > 20 && g < 235) ++grey;
        }
        return grey;
    };
    auto edge = SharpEdge(40);
    acgpBlur(edge.get(), 5);
    EXPECT_GE(softened(*edge), 1);
    EXPECT_LT(Grey(Px(*edge, 2, 20)), 20);
    EXPECT_GT(Grey(Px(*edge, 37, 20)), 235);

    acGPUtilsFinalization();
    {
        SourceGuard guard;
        acgpLibrarySource().GetProc = [](HMODULE module, const char* name) {
            return std::string_view(name) == "GdipCreateEffect" ? nullptr : GetProcAddress(module, name);
        };
        GdiplusUnit withoutEffect;
        EXPECT_FALSE(acgpEntries().GdipCreateEffect);
        auto big = SharpEdge(200);
        acgpBlur(big.get(), 30);
        EXPECT_GE(softened(*big), 1);
    }
    acGPUtilsInitialization();
}

TEST_F(SkinGdiplus, QuickBlurHalvesAndRestores)
{
    // A one-pixel checker keeps its size and no pixel inside stays black or white; a plain colour
    // stays that colour. Opaque pixels come back with alpha 254 (the stretch's alpha rule).
    auto checker = Bmp32(16, 16, 0xFF000000);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if ((x + y) % 2) SetPx(*checker, x, y, kWhite);
    QBlur(checker.get());
    ASSERT_EQ(checker->Width(), 16);
    ASSERT_EQ(checker->Height(), 16);
    for (int y = 2; y < 14; ++y)
        for (int x = 2; x < 14; ++x) {
            const int g = Grey(Px(*checker, x, y));
            EXPECT_TRUE(g > 0x20 && g < 0xE0) << x << "," << y << ": " << g;
        }

    auto plain = Bmp32(16, 16, 0xFF3060C0);
    QBlur(plain.get());
    for (int y = 2; y < 14; ++y)
        for (int x = 2; x < 14; ++x) {
            EXPECT_TRUE(Near(Px(*plain, x, y), 0x3060C0, 2)) << x << "," << y;
            EXPECT_EQ(ByteA(Px(*plain, x, y)), 254);
        }

    auto tiny = Bmp32(1, 5, kWhite);
    QBlur(tiny.get());
    EXPECT_EQ(Px(*tiny, 0, 2), kWhite);
}

TEST_F(SkinGdiplus, PictureForALook)
{
    auto picture = Bmp32(34 * 6, 34 * 3, kWhite);
    const std::vector<Shape> shapes = Shapes();
    for (size_t i = 0; i < shapes.size(); ++i) {
        auto cell = Bmp32(34, 34, kWhite);
        shapes[i].draw(cell->Canvas()->Handle());
        const int ox = static_cast<int>(i % 6) * 34, oy = static_cast<int>(i / 6) * 34;
        for (int y = 0; y < 34; ++y)
            for (int x = 0; x < 34; ++x) SetPx(*picture, ox + x, oy + y, Px(*cell, x, y));
    }
    EXPECT_TRUE(SaveBitmapAsPng(*picture, BuildFolderFile(L"skin_gdiplus.png")));
}
