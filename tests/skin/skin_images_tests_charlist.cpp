// Glyph image list: the icon font registered at start-up, glyph rendering (colour, coverage,
// gradient, blend, rotation, corner glyph, contour), the per-item cache and colour rules, stored
// fonts, form streaming, copying, and drawing through the image-list routines.
#include "../framework/graphics_png.h"
#include "../framework/runtime_test_tempdir.h"
#include "FormReader.h"
#include "FormWriter.h"
#include "acAlphaImageListChar.h"
#include "acAlphaImageListOutline.h"
#include "acGPUtils.h"
#include "sGraphUtilsRotate.h"
#include "sSkinManager.h"
#include "sThirdParty.h"
#include "sVclUtils.h"
#include "skin_graphics_test_pixels.h"
#include "skin_test_house_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr std::uint16_t kCheck = 0xF00C;  // check mark
constexpr std::uint16_t kArrow = 0xF07E;  // horizontal double arrow, wide and flat
constexpr std::uint16_t kSquare = 0xF0C8; // filled square
constexpr std::uint16_t kTimes = 0xF00D;  // cross
constexpr TColor kRed = static_cast<TColor>(0x0000FF);
constexpr TColor kBlue = static_cast<TColor>(0xFF0000);
constexpr TColor kGreen = static_cast<TColor>(0x00FF00);

// The face a font of that name gets.
UnicodeString FaceOf(const UnicodeString& name)
{
    TFont font;
    font.SetName(name);
    font.SetHeight(-20);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font.Handle());
    wchar_t face[LF_FACESIZE]{};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    DeleteDC(dc);
    return face;
}

std::vector<std::uint8_t> ContourFontBytes()
{
    TResourceStream res(GetModuleHandleW(nullptr), L"SKINCONTOURFONT");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(res.Size()));
    res.ReadBuffer(bytes.data(), static_cast<long long>(bytes.size()));
    return bytes;
}

std::unique_ptr<TsCharImageList> NewList(int w, int h)
{
    auto list = std::make_unique<TsCharImageList>(nullptr);
    list->AfterConstruction();
    list->SetDimension(0, h);
    list->SetDimension(1, w);
    list->Handle();
    return list;
}

TacCharItemData Glyph(std::uint16_t ch, TColor color = kRed)
{
    TacCharItemData d;
    d.CharCode = ch;
    d.Color = color;
    return d;
}

struct Ink {
    TRect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    int count = 0;
    int maxAlpha = 0;
    bool partial = false;
    bool oneColour = true;
};

// Where the bitmap has alpha, and whether every such pixel has the colour word rgb.
Ink InkOf(TBitmap& bmp, Word rgb)
{
    Ink ink;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) {
            const Word px = Px(bmp, x, y);
            if (ByteA(px) == 0) continue;
            ++ink.count;
            ink.maxAlpha = std::max(ink.maxAlpha, ByteA(px));
            ink.partial |= ByteA(px) < 255;
            ink.oneColour &= (px & 0xFFFFFF) == rgb;
            ink.box.Left = std::min<LONG>(ink.box.Left, x);
            ink.box.Top = std::min<LONG>(ink.box.Top, y);
            ink.box.Right = std::max<LONG>(ink.box.Right, x + 1);
            ink.box.Bottom = std::max<LONG>(ink.box.Bottom, y + 1);
        }
    return ink;
}

TBitmap* ImageOf(TsCharImageList& list, int index, std::unique_ptr<TBitmap>& owned)
{
    return list.Items()->Items(index)->GetImage(0, owned);
}

class SkinCharImageList : public ::testing::Test {
protected:
    void SetUp() override
    {
        acGPUtilsInitialization();
        acAlphaImageListInitialization();
    }
    void TearDown() override
    {
        acAlphaImageListFinalization();
        acGPUtilsFinalization();
    }
    TestTempDir dir;
};

} // namespace

TEST_F(SkinCharImageList, IconFontIsRegisteredOnceFromTheProgramResource)
{
    // Wine's RemoveFontMemResourceEx leaves the family known, so the shut-down is seen
    // through the registration's handle.
    acAlphaImageListFinalization();
    EXPECT_EQ(acIconFontHandle(), nullptr);

    acAlphaImageListInitialization();
    HANDLE handle = acIconFontHandle();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(acIconFontCount(), 1u);
    EXPECT_TRUE(FaceKnown(L"FontAwesome"));
    EXPECT_EQ(FaceOf(L"FontAwesome"), UnicodeString(L"FontAwesome"));
    acAlphaImageListInitialization(); // a second start-up registers nothing more
    EXPECT_EQ(acIconFontHandle(), handle);
    acAlphaImageListFinalization();
    EXPECT_EQ(acIconFontHandle(), handle);

    // A program without the resource registers nothing, silently.
    acAlphaImageListFinalization();
    acIconFontModule = GetModuleHandleW(L"kernel32.dll");
    acAlphaImageListInitialization();
    acIconFontModule = nullptr;
    EXPECT_EQ(acIconFontHandle(), nullptr);
    acAlphaImageListFinalization();
    acAlphaImageListInitialization();
    EXPECT_NE(acIconFontHandle(), nullptr);
}

TEST_F(SkinCharImageList, GlyphsTakeTheColourWithAlphaFromCoverage)
{
    struct Case {
        int size;
        TFontQuality quality;
    } cases[] = {{24, fqClearType}, {25, fqAntialiased}, {48, fqAntialiased}};
    for (const Case& c : cases) {
        auto list = NewList(c.size, c.size);
        ASSERT_EQ(list->AddItem(Glyph(kCheck)), 0);
        std::unique_ptr<TBitmap> owned;
        TBitmap* bmp = ImageOf(*list, 0, owned);
        ASSERT_TRUE(bmp) << c.size;
        ASSERT_EQ(bmp->Width(), c.size);
        EXPECT_EQ(bmp->Canvas()->Font()->Quality(), c.quality) << c.size;
        const Ink ink = InkOf(*bmp, 0xFF0000);
        EXPECT_GT(ink.count, c.size * c.size / 8) << c.size;
        EXPECT_TRUE(ink.oneColour) << c.size << " every inked pixel is red (B, G, R order)";
        EXPECT_TRUE(ink.partial) << c.size << " edges have partial coverage";
        EXPECT_EQ(ink.maxAlpha, 255) << c.size;
        // The glyph is centred: its margins differ by little.
        EXPECT_LE(std::abs(ink.box.Left - (c.size - ink.box.Right)), c.size / 6) << c.size;
        EXPECT_LE(std::abs(ink.box.Top - (c.size - ink.box.Bottom)), c.size / 4) << c.size;
        SaveBitmapAsPng(*bmp, L"skin_char_check_" + std::to_wstring(c.size) + L".png", true);
    }
}

TEST_F(SkinCharImageList, GradientRunsFromTheTopColourToTheBottomColour)
{
    auto list = NewList(48, 48);
    TacCharItemData d = Glyph(kSquare);
    d.SecondColor = kBlue;
    list->AddItem(d);
    std::unique_ptr<TBitmap> owned;
    TBitmap* bmp = ImageOf(*list, 0, owned);
    ASSERT_TRUE(bmp);
    const Ink ink = InkOf(*bmp, 0);
    ASSERT_GT(ink.count, 0);
    const Word top = Px(*bmp, 24, ink.box.Top + 1), bottom = Px(*bmp, 24, ink.box.Bottom - 2);
    EXPECT_GT(ByteR(top), 200);
    EXPECT_LT(ByteB(top), 60);
    EXPECT_GT(ByteB(bottom), 200);
    EXPECT_LT(ByteR(bottom), 60);
    SaveBitmapAsPng(*bmp, L"skin_char_gradient.png", true);

    // One row: the main colour, no division by zero.
    auto row = CreateBmp32(48, 1);
    list->PrepareBmp(row.get(), 0, TRect(0, 0, 48, 1), 48, 0);
    const Ink rowInk = InkOf(*row, 0xFF0000);
    EXPECT_GT(rowInk.count, 0);
    EXPECT_TRUE(rowInk.oneColour);
}

TEST_F(SkinCharImageList, BlendHalvesAlphaOnlyInTheNormalState)
{
    auto list = NewList(32, 32);
    list->AddItem(Glyph(kSquare));
    list->SetBlendValue(128);
    struct Case {
        int state;
        int maxAlpha;
    } cases[] = {{0, 255 * 128 >> 8}, {1, 255}};
    for (const Case& c : cases) {
        SetImagesState(list.get(), c.state);
        auto bmp = list->CreateBitmap32(0, 32, 32, 0);
        ASSERT_TRUE(bmp);
        EXPECT_EQ(InkOf(*bmp, 0xFF0000).maxAlpha, c.maxAlpha) << c.state;
    }
    SetImagesState(list.get(), 0);
}

TEST_F(SkinCharImageList, AngleTurnsTheGlyphAndWidensTheRotatedBox)
{
    auto list = NewList(40, 24);
    list->AddItem(Glyph(kArrow));
    TacCharListItem& item = *list->Items()->Items(0);
    EXPECT_EQ(item.ActualWidth(true), 40);
    item.SetAngle(90);
    EXPECT_EQ(item.ActualWidth(false), 40);
    EXPECT_EQ(item.ActualWidth(true), 25) << "Trunc(|cos 90 x 40| + |sin 90 x 24|) + 1";
    item.SetAngle(30);
    EXPECT_EQ(item.ActualWidth(true), static_cast<int>(std::abs(acCos(30) * 40) + std::abs(acSin(30) * 24)) + 1);

    auto square = NewList(48, 48);
    square->AddItem(Glyph(kArrow));
    std::unique_ptr<TBitmap> owned;
    const Ink flat = InkOf(*ImageOf(*square, 0, owned), 0xFF0000);
    square->Items()->Items(0)->SetAngle(90);
    TBitmap* turned = ImageOf(*square, 0, owned);
    const Ink up = InkOf(*turned, 0xFF0000);
    SaveBitmapAsPng(*turned, L"skin_char_rotated.png", true);
    ASSERT_GT(flat.count, 0);
    ASSERT_GT(up.count, 0);
    EXPECT_GT(flat.box.Width(), flat.box.Height());
    EXPECT_GT(up.box.Height(), up.box.Width()) << "the arrow now points up or down";
}

TEST_F(SkinCharImageList, CornerGlyphSitsBottomRightWithASoftGap)
{
    auto list = NewList(48, 48);
    list->AddItem(Glyph(kSquare));
    std::unique_ptr<TBitmap> owned;
    auto plain = std::make_unique<TBitmap>();
    plain->Assign(ImageOf(*list, 0, owned));

    TacCharListItem& item = *list->Items()->Items(0);
    item.SetAddedChar(kTimes);
    item.SetColor(2, kGreen);
    TBitmap* marked = ImageOf(*list, 0, owned);
    SaveBitmapAsPng(*marked, L"skin_char_corner.png", true);
    int green = 0, greenOutside = 0, gap = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) {
            const Word px = Px(*marked, x, y);
            const bool isGreen = ByteG(px) > 200 && ByteR(px) < 60 && ByteA(px) > 0;
            if (isGreen) {
                ++green;
                if (x < 24 || y < 24) ++greenOutside;
            }
            if (!isGreen && ByteA(px) < ByteA(Px(*plain, x, y))) ++gap;
        }
    EXPECT_GT(green, 20);
    EXPECT_EQ(greenOutside, 0) << "the corner glyph stays in the bottom-right quarter";
    EXPECT_GT(gap, 20) << "a gap is cut around it";

    // Larger than the image: skipped.
    item.SetInteger(4, 300);
    TBitmap* skipped = ImageOf(*list, 0, owned);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) ASSERT_EQ(Px(*skipped, x, y), Px(*plain, x, y)) << x << "," << y;
}

// The first test here to register the contour font: it is unknown before.
TEST_F(SkinCharImageList, StoredFontsFormsAndCopies)
{
    const UnicodeString file = dir.Write(L"contour.ttf", ContourFontBytes());
    TComponent root(nullptr);
    root.SetName(L"Root");
    auto* list = new TsCharImageList(&root);
    list->AfterConstruction();
    list->SetName(L"Glyphs");
    list->SetDimension(0, 32);
    list->SetDimension(1, 32);
    EXPECT_FALSE(list->AddEmbeddedFont(dir.File(L"missing.ttf"), L"Contour Test"));
    EXPECT_FALSE(FaceKnown(L"Contour Test"));
    ASSERT_TRUE(list->AddEmbeddedFont(file, L"Contour Test"));
    EXPECT_TRUE(FaceKnown(L"Contour Test"));
    EXPECT_TRUE(list->AddEmbeddedFont(file, L"contour test"));
    EXPECT_EQ(list->EmbeddedFonts()->Count(), 1);
    EXPECT_EQ(list->FontIndex(L"CONTOUR TEST"), 0);
    EXPECT_EQ(list->FontIndex(L"Other"), -1);
    TacCharItemData d = Glyph(L'B', kGreen);
    d.FontName = L"Contour Test";
    d.ScalingFactor = 0.75;
    list->AddItem(d);
    list->AddItem(Glyph(kCheck));
    EXPECT_EQ(ImageList_GetImageCount(list->Handle()), 2);

    const UnicodeString text = WriteComponentToText(&root);
    EXPECT_NE(text.find(L"FontData = {"), UnicodeString::npos);
    EXPECT_NE(text.find(L"ScalingFactor = 0.75"), UnicodeString::npos);
    list->UnLoadAllFonts();
    EXPECT_EQ(list->EmbeddedFonts()->Items(0)->Handle, nullptr);

    TComponent copyRoot(nullptr);
    copyRoot.SetName(L"Root");
    ReadComponentFromText(&copyRoot, text);
    auto* copy = dynamic_cast<TsCharImageList*>(copyRoot.FindComponent(L"Glyphs"));
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->EmbeddedFonts()->Items(0)->Handle, nullptr) << "registered again when loaded";
    ASSERT_EQ(copy->Items()->Count(), 2);
    EXPECT_EQ(copy->Items()->Items(0)->Char(), L'B');
    EXPECT_EQ(copy->Items()->Items(0)->ScalingFactor(), 0.75);
    EXPECT_EQ(copy->Items()->Items(0)->Color(), kGreen);
    const auto span = copy->EmbeddedFonts()->Items(0)->FontDataBytes();
    EXPECT_EQ(std::vector<std::uint8_t>(span.begin(), span.end()), ContourFontBytes());
    EXPECT_EQ(ImageList_GetImageCount(copy->Handle()), 2);
    EXPECT_EQ(WriteComponentToText(&copyRoot), text);

    // Copying between lists: items and fonts, after the icon font's entry.
    auto other = NewList(16, 16);
    other->Assign(copy);
    ASSERT_EQ(other->Items()->Count(), 2);
    EXPECT_EQ(other->Items()->Items(0)->FontName(), UnicodeString(L"Contour Test"));
    EXPECT_EQ(other->Width(), 32);
    ASSERT_EQ(other->EmbeddedFonts()->Count(), 2);
    EXPECT_EQ(other->EmbeddedFonts()->Items(0)->FontName(), UnicodeString(L"FontAwesome"));
    EXPECT_EQ(other->EmbeddedFonts()->Items(1)->FontDataBytes().size(), span.size());
    EXPECT_EQ(ImageList_GetImageCount(other->Handle()), 2);
    copy->UnLoadAllFonts();

    // Stored with ScalingFactor 0: the font's default scaling, and no colour.
    UnicodeString zero = text;
    zero.replace(zero.find(L"ScalingFactor = 0.75"), 20, L"ScalingFactor = 0.0");
    TComponent zeroRoot(nullptr);
    zeroRoot.SetName(L"Root");
    ReadComponentFromText(&zeroRoot, zero);
    auto* repaired = dynamic_cast<TsCharImageList*>(zeroRoot.FindComponent(L"Glyphs"));
    ASSERT_TRUE(repaired);
    EXPECT_DOUBLE_EQ(repaired->Items()->Items(0)->ScalingFactor(), GetDefScaling(DEFAULT_CHARSET, L"Contour Test"));
    EXPECT_EQ(repaired->Items()->Items(0)->Color(), clNone);
    repaired->UnLoadAllFonts();
}

TEST_F(SkinCharImageList, ContourFontGivesStrokesAndAClosedOutline)
{
    const auto bytes = ContourFontBytes();
    DWORD count = 0;
    HANDLE font = AddFontMemResourceEx(const_cast<std::uint8_t*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                                       nullptr, &count);
    ASSERT_TRUE(font);
    TFont f;
    f.SetName(L"Contour Test");
    struct Case {
        wchar_t ch;
        int contours;
        int firstStrokes;
        int secondStrokes;
    } cases[] = {{L'A', 1, 4, -1}, {L'B', 2, 28, 4}};
    for (const Case& c : cases) {
        TacStrokeCollection strokes;
        ASSERT_TRUE(GetCharStrokes(&f, c.ch, strokes)) << char(c.ch);
        EXPECT_EQ(strokes.StartOfGlyph(0), 0);
        EXPECT_EQ(strokes.GlyphNumStrokes(0), c.firstStrokes) << char(c.ch);
        EXPECT_EQ(strokes.GlyphNumStrokes(1), c.secondStrokes) << char(c.ch);
        EXPECT_EQ(strokes.StartOfGlyph(1), c.contours > 1 ? c.firstStrokes : -1);
        EXPECT_EQ(strokes.StartOfGlyph(c.contours), -1);
        EXPECT_THROW(strokes.GetFontStroke(-1), EListError);
        EXPECT_THROW(strokes.GetFontStroke(strokes.Count()), EListError);
        // Every contour is closed: its last stroke ends where its first begins.
        const TacFontStroke first = strokes.GetFontStroke(0), last = strokes.GetFontStroke(c.firstStrokes - 1);
        EXPECT_EQ(last.X2, first.X1);
        EXPECT_EQ(last.Y2, first.Y1);
    }

    auto list = NewList(48, 48);
    TacCharItemData d = Glyph(L'A');
    d.FontName = L"Contour Test";
    d.DrawContour = true;
    list->AddItem(d);
    std::unique_ptr<TBitmap> owned;
    TBitmap* bmp = ImageOf(*list, 0, owned);
    SaveBitmapAsPng(*bmp, L"skin_char_contour.png", true);
    const Ink ink = InkOf(*bmp, 0xFF0000);
    ASSERT_GT(ink.count, 0);
    EXPECT_TRUE(ink.oneColour);
    // A closed line: the middle is empty and the middle row and column cross the line twice.
    const int cx = (ink.box.Left + ink.box.Right) / 2, cy = (ink.box.Top + ink.box.Bottom) / 2;
    EXPECT_EQ(ByteA(Px(*bmp, cx, cy)), 0);
    auto crossings = [&](bool row) {
        int n = 0;
        bool inside = false;
        for (int i = 0; i < 48; ++i) {
            const bool inked = ByteA(row ? Px(*bmp, i, cy) : Px(*bmp, cx, i)) > 64;
            if (inked && !inside) ++n;
            inside = inked;
        }
        return n;
    };
    EXPECT_EQ(crossings(true), 2);
    EXPECT_EQ(crossings(false), 2);
    list.reset();
    RemoveFontMemResourceEx(font);
}

TEST_F(SkinCharImageList, MalformedOutlinesGiveNoStrokes)
{
    // A valid one-contour outline: header (cb, type, start) and a line record of two points.
    auto fx = [](int v) { return static_cast<std::uint32_t>(v) << 16; };
    auto valid = [&] {
        std::vector<std::uint32_t> words{0, TT_POLYGON_TYPE, fx(0), fx(0), TT_PRIM_LINE | 2u << 16, fx(10), fx(0),
                                         fx(10), fx(10)};
        words[0] = static_cast<std::uint32_t>(words.size() * 4);
        std::vector<std::uint8_t> bytes(words.size() * 4);
        std::memcpy(bytes.data(), words.data(), bytes.size());
        return bytes;
    };
    TacStrokeCollection strokes;
    ASSERT_TRUE(ReadGlyphOutline(valid(), strokes));
    EXPECT_EQ(strokes.Count(), 3);
    struct Case {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> spoil;
    } cases[] = {
        {"wrong type", [](auto& b) { b[4] = 25; }},
        {"size beyond the buffer", [](auto& b) { b[0] = 200; }},
        {"size below the header", [](auto& b) { b[0] = 4; }},
        {"too many points", [](auto& b) { b[18] = 9; }},
        {"no points", [](auto& b) { b[18] = 0; }},
        {"cut short", [](auto& b) { b.resize(30); }},
    };
    for (const Case& c : cases) {
        auto bytes = valid();
        c.spoil(bytes);
        strokes.Add({});
        EXPECT_FALSE(ReadGlyphOutline(bytes, strokes)) << c.name;
        EXPECT_EQ(strokes.Count(), 0) << c.name;
    }
}

TEST_F(SkinCharImageList, CacheIsKeyedBySizeColourStateAndBlend)
{
    auto list = NewList(24, 24);
    list->AddItem(Glyph(kCheck, clNone));
    list->SetBlendingMode(bmAlways);
    TacCharListItem& item = *list->Items()->Items(0);
    std::unique_ptr<TBitmap> owned;
    // A marked pixel survives as long as the cached rendering is reused.
    constexpr Word kMark = 0x12345678;
    auto mark = [&] {
        TBitmap* bmp = item.GetImage(0, owned);
        SetPx(*bmp, 0, 0, kMark);
    };
    auto marked = [&] { return Px(*item.GetImage(0, owned), 0, 0) == kMark; };
    mark();
    EXPECT_TRUE(marked()) << "no second rendering";
    EXPECT_FALSE(owned);

    struct Case {
        const char* name;
        std::function<void()> change, undo;
    } cases[] = {
        {"size", [&] { list->PixelsPerInch = 192; }, [&] { list->PixelsPerInch = 96; }},
        {"colour", [&] { list->ForeColor = kBlue; }, [&] { list->ForeColor = clNone; }},
        {"state", [&] { list->State = 1; }, [&] { list->State = 0; }},
        {"blend", [&] { list->SetBlendValue(100); }, [&] { list->SetBlendValue(255); }},
    };
    for (const Case& c : cases) {
        mark();
        c.change();
        EXPECT_FALSE(marked()) << c.name;
        mark();
        EXPECT_TRUE(marked()) << c.name << " cached again";
        c.undo();
    }
    EXPECT_EQ(item.GetImage(0, owned)->Width(), 24);

    // Outside bmAlways other states are rendered each time, owned by the caller.
    list->SetBlendingMode(bmInactive);
    list->State = 1;
    TBitmap* uncached = item.GetImage(0, owned);
    EXPECT_TRUE(owned);
    EXPECT_EQ(uncached, owned.get());
    list->State = 0;
}

TEST_F(SkinCharImageList, SetCharColorRules)
{
    auto list = NewList(24, 24);
    list->AddItem(Glyph(kCheck, kGreen));
    list->AddItem(Glyph(kCheck, clNone));
    struct Case {
        int index;
        bool isDefault;
        TColor fore, fore2;
    } cases[] = {
        {0, true, kBlue, kBlue},   {1, true, kBlue, kBlue},   {0, false, kGreen, clNone},
        {1, false, kBlue, clNone}, {-1, false, kBlue, clNone}, {7, false, kBlue, clNone},
    };
    for (const Case& c : cases) {
        list->ForeColor2 = kRed;
        list->SetCharColor(kBlue, c.index, c.isDefault);
        EXPECT_EQ(list->ForeColor, c.fore) << c.index << c.isDefault;
        EXPECT_EQ(list->ForeColor2, c.fore2) << c.index << c.isDefault;
    }
}

TEST_F(SkinCharImageList, DrawnThroughTheListRoutinesInTheCanvasColour)
{
    auto list = NewList(24, 24);
    list->AddItem(Glyph(kSquare, clNone));
    list->AddItem(Glyph(kSquare, kGreen));
    struct Case {
        int index;
        int fontSize;
        int ppi;
        int r, g;
    } cases[] = {{0, 9, 96, 255, 0}, {1, 9, 96, 0, 255}, {1, 0, 96, 255, 0}, {0, 9, 192, 255, 0}};
    for (const Case& c : cases) {
        auto dest = Bmp32(60, 60, Argb(255, 255, 255, 255));
        dest->Canvas()->Font()->SetColor(kRed);
        dest->Canvas()->Font()->SetSize(c.fontSize);
        const TSize size = DrawAlphaImgList(list.get(), dest.get(), 2, 2, c.index, 0, clNone, 0, 1, false, c.ppi);
        EXPECT_EQ(size, TSize(24 * c.ppi / 96, 24 * c.ppi / 96)) << c.index;
        const Word mid = Px(*dest, 2 + size.cx / 2, 2 + size.cy / 2);
        EXPECT_EQ(ByteR(mid), c.r) << c.index << " " << c.fontSize;
        EXPECT_EQ(ByteG(mid), c.g) << c.index << " " << c.fontSize;
        EXPECT_EQ(list->ForeColor, clNone);
    }
}

TEST_F(SkinCharImageList, BaseColourDuringASkinChangeAndScaling)
{
    auto manager = std::make_unique<TsSkinManager>(nullptr);
    auto list = NewList(24, 24);
    list->AddItem(Glyph(kSquare, clNone));
    list->AddItem(Glyph(kSquare, kGreen));
    auto nativeMid = [&](int index) {
        auto bmp = Bmp32(24, 24);
        HICON icon = ImageList_GetIcon(list->Handle(), index, ILD_NORMAL);
        DrawIconEx(bmp->Canvas()->Handle(), 0, 0, icon, 24, 24, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
        return Px(*bmp, 12, 12) & 0xFFFFFF;
    };
    {
        TacManagerStateScope changing(*manager, msSkinChanging);
        SetBaseColor(list.get(), static_cast<std::intptr_t>(kBlue));
    }
    EXPECT_EQ(ImageList_GetImageCount(list->Handle()), 2);
    EXPECT_EQ(nativeMid(0), 0x0000FFu) << "blue";
    EXPECT_EQ(nativeMid(1), 0x00FF00u) << "the item's own green";

    ScaleImageList(list.get(), 144);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list->Handle(), &cx, &cy);
    EXPECT_EQ(cx, 36);
    EXPECT_EQ(cy, 36);
    EXPECT_EQ(ImageList_GetImageCount(list->Handle()), 2);
    list.reset();
    manager.reset();
}

TEST_F(SkinCharImageList, WithoutAManagerTheApplicationsDensityCounts)
{
    // The application's density is not 96 here: the list starts at it and makes its native
    // list and images for it (the native list made again, as after loading).
    struct DensityScope {
        DensityScope() { SetDefaultPPIOverride(144); }
        ~DensityScope() { SetDefaultPPIOverride(std::nullopt); }
    };
    std::optional<DensityScope> density(std::in_place);
    auto list = NewList(24, 24);
    list->AddItem(Glyph(kSquare, kGreen));
    EXPECT_EQ(list->PixelsPerInch, 144);
    list->KillImgList();
    list->GenerateStdList(clNone);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list->Handle(), &cx, &cy);
    EXPECT_EQ(cx, 36);
    EXPECT_EQ(cy, 36);
    ASSERT_EQ(ImageList_GetImageCount(list->Handle()), 1);
    auto bmp = Bmp32(36, 36);
    ImageList_Draw(list->Handle(), 0, bmp->Canvas()->Handle(), 0, 0, ILD_NORMAL);
    EXPECT_EQ(Px(*bmp, 18, 18) & 0xFFFFFF, 0x00FF00u);

    // A new size of a list with a native list, and a list assigned over one that has its own,
    // keep the native images at the density.
    auto nativeSize = [](TsCharImageList& l) {
        int w = 0, h = 0;
        ImageList_GetIconSize(l.Handle(), &w, &h);
        return TSize(w, h);
    };
    list->SetDimension(0, 20);
    list->SetDimension(1, 20);
    EXPECT_EQ(nativeSize(*list), TSize(30, 30));
    auto copy = NewList(16, 16);
    copy->Assign(list.get());
    EXPECT_EQ(nativeSize(*copy), TSize(30, 30));
    ASSERT_EQ(ImageList_GetImageCount(copy->Handle()), 1);
    auto copied = Bmp32(30, 30);
    ImageList_Draw(copy->Handle(), 0, copied->Canvas()->Handle(), 0, 0, ILD_NORMAL);
    EXPECT_EQ(Px(*copied, 15, 15) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(Px(*copied, 1, 1) & 0xFFFFFF, 0u) << "the square fills the image, not a corner of it";

    density.reset();
    EXPECT_EQ(NewList(24, 24)->PixelsPerInch, DefaultPPI());
}
