#include "Graphics.h"
#include "TypInfo.h"
#include "graphics_test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

// A 32-bit bitmap whose pixel (x, y) is colors[(x + y * w) % n], alpha (x * 40 + y) & 0xFF.
void Paint(TBitmap& bmp, int w, int h, const std::vector<TColor>& colors)
{
    bmp.SetPixelFormat(pf32bit);
    bmp.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            SetScanPixel(bmp, x, y, colors[(x + y * w) % colors.size()], static_cast<std::uint8_t>(x * 40 + y));
}

void ExpectPixels(TBitmap& bmp, const std::vector<TColor>& colors, const char* what)
{
    TBitmap check;
    check.Assign(&bmp);
    check.SetPixelFormat(pf32bit);
    for (int y = 0; y < check.Height(); ++y)
        for (int x = 0; x < check.Width(); ++x)
            ASSERT_EQ(ScanPixel(check, x, y), colors[(x + y * check.Width()) % colors.size()])
                << what << " at " << x << "," << y;
}

std::vector<std::uint8_t> Bytes(TMemoryStream& stream)
{
    return {stream.Memory(), stream.Memory() + stream.Size()};
}

void Load(TBitmap& bmp, const std::vector<std::uint8_t>& bytes)
{
    TMemoryStream stream;
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<long long>(bytes.size()));
    stream.SetPosition(0);
    bmp.LoadFromStream(stream);
}

template <class T>
void Put(std::vector<std::uint8_t>& bytes, size_t offset, T value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof(value));
}

} // namespace

TEST(Bitmap, PixelFormatConversionsKeepPixels)
{
    const std::vector<TColor> twoTone = {clBlack, clWhite};
    const std::vector<TColor> standard = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray,
                                          clSilver, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite};
    std::vector<TColor> cube = standard;
    cube.insert(cube.end(), {0x336699, 0xCC9966, 0x585858});  // cube and grey entries
    const std::vector<TColor> corners = {clBlack, clRed, clLime, clBlue, clYellow, clFuchsia, clAqua, clWhite};
    const std::vector<TColor> anyRgb = {0x123456, 0xFEDCBA, 0x010203, 0x7F8081, clWhite, clBlack, 0xA0B0C0};
    struct Case {
        TPixelFormat format;
        const std::vector<TColor>* colors;
        const char* name;
    };
    const Case cases[] = {
        {pf1bit, &twoTone, "pf1bit"},  {pf4bit, &standard, "pf4bit"},   {pf8bit, &cube, "pf8bit"},
        {pf15bit, &corners, "pf15bit"}, {pf16bit, &corners, "pf16bit"}, {pf24bit, &anyRgb, "pf24bit"},
        {pf32bit, &anyRgb, "pf32bit"}, {pfDevice, &anyRgb, "pfDevice"},
    };
    for (const auto& c : cases) {
        TBitmap bmp;
        Paint(bmp, 9, 5, *c.colors);
        bmp.SetPixelFormat(c.format);
        EXPECT_EQ(bmp.PixelFormat(), c.format) << c.name;
        EXPECT_EQ(bmp.HandleType(), c.format == pfDevice ? bmDDB : bmDIB) << c.name;
        EXPECT_EQ(bmp.Width(), 9);
        EXPECT_EQ(bmp.Height(), 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 9; ++x)
                ASSERT_EQ(bmp.Canvas()->Pixels(x, y), (*c.colors)[(x + y * 9) % c.colors->size()])
                    << c.name << " at " << x << "," << y;
        ExpectPixels(bmp, *c.colors, c.name);
    }

    // Nearest palette colour when a colour is not in the table.
    TBitmap mono;
    Paint(mono, 2, 1, {0x202020, 0xE0E0E0});
    mono.SetPixelFormat(pf1bit);
    EXPECT_EQ(mono.Canvas()->Pixels(0, 0), clBlack);
    EXPECT_EQ(mono.Canvas()->Pixels(1, 0), clWhite);
    EXPECT_THROW(mono.SetPixelFormat(pfCustom), EInvalidGraphic);
}

TEST(Bitmap, AlphaSurvivesSizeChangesAndCopies)
{
    TBitmap bmp;
    Paint(bmp, 6, 4, {0x112233, 0x445566});
    bmp.SetSize(8, 3);  // keeps the top-left 6 x 3, new pixels all zero
    EXPECT_EQ(ScanAlpha(bmp, 5, 2), 5 * 40 + 2);
    EXPECT_EQ(ScanPixel(bmp, 5, 2), (5 + 2 * 6) % 2 ? 0x445566 : 0x112233);
    EXPECT_EQ(ScanPixel(bmp, 7, 0), clBlack);
    EXPECT_EQ(ScanAlpha(bmp, 7, 0), 0);

    TBitmap copy;
    copy.Assign(&bmp);
    EXPECT_EQ(copy.PixelFormat(), pf32bit);
    EXPECT_EQ(ScanAlpha(copy, 3, 1), 3 * 40 + 1);
    SetScanPixel(copy, 0, 0, clRed, 9);
    EXPECT_EQ(ScanPixel(bmp, 0, 0), 0x112233) << "Assign makes an independent copy";

    copy.SetPixelFormat(pf24bit);
    copy.SetPixelFormat(pf32bit);
    EXPECT_EQ(ScanPixel(copy, 0, 0), clRed);
    EXPECT_EQ(ScanAlpha(copy, 0, 0), 0) << "24-bit pixels carry no alpha";

    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
    EXPECT_EQ(copy.PixelFormat(), pfDevice);
    EXPECT_FALSE(copy.HandleAllocated());
}

TEST(Bitmap, SizeCanBeSetOneSideAtATime)
{
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetWidth(10);
    EXPECT_TRUE(bmp.Empty());
    EXPECT_FALSE(bmp.HandleAllocated());
    EXPECT_EQ(bmp.Width(), 10);
    bmp.SetHeight(4);
    EXPECT_FALSE(bmp.Empty());
    EXPECT_EQ(bmp.PixelFormat(), pf24bit);
    EXPECT_TRUE(bmp.HandleAllocated());
    bmp.SetSize(-3, 4);
    EXPECT_TRUE(bmp.Empty());
    EXPECT_EQ(bmp.PixelFormat(), pf24bit);
}

TEST(Bitmap, BmpRoundTripPerFormat)
{
    const std::vector<TColor> corners = {clBlack, clRed, clLime, clBlue, clYellow, clFuchsia, clAqua, clWhite};
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfDevice}) {
        const std::vector<TColor> colors = format == pf1bit ? std::vector<TColor>{clBlack, clWhite} : corners;
        TBitmap bmp;
        Paint(bmp, 13, 7, colors);  // odd width: row padding matters
        bmp.SetPixelFormat(format);
        TMemoryStream stream;
        bmp.SaveToStream(stream);
        const auto bytes = Bytes(stream);
        ASSERT_GT(bytes.size(), 54u);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');

        TBitmap loaded;
        Load(loaded, bytes);
        EXPECT_EQ(loaded.PixelFormat(), format == pfDevice ? pf32bit : format) << format;
        EXPECT_EQ(loaded.Width(), 13);
        EXPECT_EQ(loaded.Height(), 7);
        ExpectPixels(loaded, colors, "reloaded");
    }

    // 32-bit files keep the fourth byte.
    TBitmap alpha;
    Paint(alpha, 5, 5, {0x102030});
    SetScanPixel(alpha, 4, 4, 0x405060, 255);
    SetScanPixel(alpha, 0, 0, 0x708090, 128);
    TMemoryStream stream;
    alpha.SaveToStream(stream);
    TBitmap loaded;
    Load(loaded, Bytes(stream));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(ScanAlpha(loaded, x, y), ScanAlpha(alpha, x, y)) << x << "," << y;
            EXPECT_EQ(ScanPixel(loaded, x, y), ScanPixel(alpha, x, y)) << x << "," << y;
        }
}

TEST(Bitmap, DataPropertyIsTheBmpFile)
{
    RegisterGraphicsClasses();
    TBitmap alpha;
    Paint(alpha, 5, 3, {0x102030, 0x405060});
    SetScanPixel(alpha, 4, 2, 0x708090, 128);
    const TPropInfo* data = GetPropInfo(&alpha, L"Data");
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->Kind, pkBinary);
    TMemoryStream stream;
    alpha.SaveToStream(stream);
    const TBytes bytes = data->GetBin(&alpha);
    EXPECT_EQ(bytes, Bytes(stream));
    EXPECT_TRUE(IsStoredProp(&alpha, *data));

    TBitmap copy(2, 2, pf24bit);
    data->SetBin(&copy, bytes);
    EXPECT_EQ(copy.PixelFormat(), pf32bit);
    ASSERT_EQ(copy.Width(), 5);
    ASSERT_EQ(copy.Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(ScanPixel(copy, x, y), ScanPixel(alpha, x, y)) << x << "," << y;
            EXPECT_EQ(ScanAlpha(copy, x, y), ScanAlpha(alpha, x, y)) << x << "," << y;
        }

    // An empty bitmap has no bytes, which is the default: it is not stored; no bytes empty a bitmap.
    TBitmap empty;
    EXPECT_TRUE(data->GetBin(&empty).empty());
    EXPECT_FALSE(IsStoredProp(&empty, *data));
    data->SetBin(&copy, {});
    EXPECT_TRUE(copy.Empty());
    EXPECT_THROW(data->SetBin(&copy, TBytes{'B', 'M', 0, 0}), EInvalidGraphic);
}

TEST(Bitmap, ReadsTopDownAndEmptyData)
{
    // 2 x 2, 24-bit, top-down (negative height): first stored row is the top row.
    std::vector<std::uint8_t> bytes(14 + 40 + 2 * 8, 0);
    Put<WORD>(bytes, 0, 0x4D42);
    Put<DWORD>(bytes, 2, static_cast<DWORD>(bytes.size()));
    Put<DWORD>(bytes, 10, 54);
    Put<DWORD>(bytes, 14, 40);
    Put<LONG>(bytes, 18, 2);
    Put<LONG>(bytes, 22, -2);
    Put<WORD>(bytes, 26, 1);
    Put<WORD>(bytes, 28, 24);
    const std::uint8_t rows[2][6] = {{0, 0, 255, 0, 255, 0}, {255, 0, 0, 255, 255, 255}};  // BGR
    std::memcpy(&bytes[54], rows[0], 6);
    std::memcpy(&bytes[62], rows[1], 6);
    TBitmap bmp;
    Load(bmp, bytes);
    EXPECT_EQ(bmp.PixelFormat(), pf24bit);
    EXPECT_EQ(bmp.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(bmp.Canvas()->Pixels(1, 0), clLime);
    EXPECT_EQ(bmp.Canvas()->Pixels(0, 1), clBlue);
    EXPECT_EQ(bmp.Canvas()->Pixels(1, 1), clWhite);
    EXPECT_GT(bmp.ScanLine(0), bmp.ScanLine(1)) << "kept bottom-up in memory";

    // An empty bitmap stores nothing and reads back from nothing.
    TBitmap empty;
    TMemoryStream stream;
    empty.SaveToStream(stream);
    EXPECT_EQ(stream.Size(), 0);
    Load(bmp, {});
    EXPECT_TRUE(bmp.Empty());
}

TEST(Bitmap, InvalidBmpDataIsRejectedAndLeavesTheBitmapAlone)
{
    TBitmap good;
    Paint(good, 4, 4, {clRed, clBlue});
    good.SetPixelFormat(pf8bit);
    TMemoryStream stream;
    good.SaveToStream(stream);
    const std::vector<std::uint8_t> valid = Bytes(stream);

    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> corrupt;
    };
    const Case cases[] = {
        {"magic", [](auto& b) { b[0] = 'X'; }},
        {"header size", [](auto& b) { Put<DWORD>(b, 14, 7); }},
        {"bit count", [](auto& b) { Put<WORD>(b, 28, 3); }},
        {"planes", [](auto& b) { Put<WORD>(b, 26, 2); }},
        {"compression RLE", [](auto& b) { Put<DWORD>(b, 30, BI_RLE8); }},
        {"negative width", [](auto& b) { Put<LONG>(b, 18, -4); }},
        {"huge size, little data", [](auto& b) { Put<LONG>(b, 18, 30000); Put<LONG>(b, 22, 30000); }},
        {"height overflow", [](auto& b) { Put<LONG>(b, 22, static_cast<LONG>(0x80000000u)); }},
        {"colour table too long", [](auto& b) { Put<DWORD>(b, 46, 300); }},
        {"offset before the header end", [](auto& b) { Put<DWORD>(b, 10, 20); }},
        {"offset past the end", [](auto& b) { Put<DWORD>(b, 10, 0x7FFFFFF0); }},
        {"truncated pixels", [](auto& b) { b.resize(b.size() - 3); }},
        {"truncated header", [](auto& b) { b.resize(30); }},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> bytes = valid;
        c.corrupt(bytes);
        TBitmap bmp;
        Paint(bmp, 3, 2, {clYellow});
        EXPECT_THROW(Load(bmp, bytes), EInvalidGraphic) << c.what;
        EXPECT_EQ(bmp.Width(), 3) << c.what;
        EXPECT_EQ(ScanPixel(bmp, 2, 1), clYellow) << c.what;
    }
    TBitmap bmp;
    EXPECT_NO_THROW(Load(bmp, valid));
    EXPECT_EQ(bmp.Canvas()->Pixels(1, 0), clBlue);
}

TEST(Bitmap, HandleCanBeSelectedElsewhereAfterCanvasUse)
{
    TBitmap bmp(8, 8, pf32bit);
    bmp.Canvas()->Brush()->SetColor(clRed);
    bmp.Canvas()->FillRect(Rect(0, 0, 8, 8));
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, bmp.Handle());
    EXPECT_NE(old, nullptr) << "the canvas must let go of the bitmap";
    EXPECT_EQ(::GetPixel(dc, 3, 3), static_cast<COLORREF>(clRed));
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    bmp.Canvas()->SetPixels(0, 0, clBlue);  // the canvas comes back on demand
    EXPECT_EQ(ScanPixel(bmp, 0, 0), clBlue);
}

TEST(Bitmap, AdoptsHandlesAndPalettes)
{
    HDC screen = ::GetDC(nullptr);
    HBITMAP ddb = ::CreateCompatibleBitmap(screen, 5, 3);
    ::ReleaseDC(nullptr, screen);
    TBitmap bmp;
    bmp.SetHandle(ddb);
    EXPECT_EQ(bmp.HandleType(), bmDDB);
    EXPECT_EQ(bmp.PixelFormat(), pfDevice);
    EXPECT_EQ(bmp.Width(), 5);
    bmp.Canvas()->SetPixels(4, 2, clAqua);
    ASSERT_NE(bmp.ScanLine(2), nullptr);  // converts to a DIB
    EXPECT_EQ(bmp.HandleType(), bmDIB);
    EXPECT_EQ(::GetObjectType(ddb), 0u) << "the replaced handle is deleted";
    EXPECT_EQ(bmp.Canvas()->Pixels(4, 2), clAqua);
    bmp.SetHandle(nullptr);
    EXPECT_TRUE(bmp.Empty());
    EXPECT_EQ(bmp.PixelFormat(), pfDevice);

    // A palette given to an empty 8-bit bitmap becomes the colour table of the image made later.
    struct {
        LOGPALETTE header;
        PALETTEENTRY more[1];
    } lp{{0x300, 2, {{255, 0, 0, 0}}}, {{0, 0, 255, 0}}};
    HPALETTE palette = ::CreatePalette(&lp.header);
    TBitmap indexed;
    indexed.SetPixelFormat(pf8bit);
    indexed.SetPalette(palette);
    EXPECT_EQ(indexed.Palette(), palette);
    indexed.SetSize(3, 1);
    EXPECT_EQ(indexed.Canvas()->Pixels(0, 0), clRed);  // index 0
    static_cast<std::uint8_t*>(indexed.ScanLine(0))[1] = 1;
    EXPECT_EQ(indexed.Canvas()->Pixels(1, 0), clBlue);
    indexed.SetPixelFormat(pf24bit);
    EXPECT_EQ(::GetObjectType(palette), 0u) << "the bitmap owns its palette";
    EXPECT_EQ(indexed.Canvas()->Pixels(1, 0), clBlue);
}

TEST(Bitmap, LoadsBitmapResources)
{
    HMODULE comctl = ::LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    constexpr int kStdSmallColor = 120;  // standard toolbar images
    TBitmap fromResource;
    fromResource.LoadFromResourceID(comctl, kStdSmallColor);
    ASSERT_FALSE(fromResource.Empty());
    HBITMAP reference =
        static_cast<HBITMAP>(::LoadImageW(comctl, MAKEINTRESOURCEW(kStdSmallColor), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(reference, nullptr);
    TBitmap expected;
    expected.SetHandle(reference);
    ASSERT_EQ(fromResource.Width(), expected.Width());
    ASSERT_EQ(fromResource.Height(), expected.Height());
    int differences = 0;
    for (int y = 0; y < expected.Height(); ++y)
        for (int x = 0; x < expected.Width(); ++x)
            if (fromResource.Canvas()->Pixels(x, y) != expected.Canvas()->Pixels(x, y)) ++differences;
    EXPECT_EQ(differences, 0);

    TBitmap missing;
    EXPECT_THROW(missing.LoadFromResourceName(comctl, L"NO_SUCH_BITMAP"), EResNotFound);
    ::FreeLibrary(comctl);
}

TEST(Bitmap, NoHandlesLeak)
{
    GdiSlotDrain drain;
    ASSERT_TRUE(drain.Drained());

    std::vector<HGDIOBJ> seen;
    for (int i = 0; i < 1500; ++i) {
        TBitmap bmp(16, 16, i % 3 == 0 ? pfDevice : pf32bit);
        TCanvas* c = bmp.Canvas();
        c->Font()->SetSize(8 + i % 5);
        c->Brush()->SetColor(clRed);
        c->Pen()->SetStyle(psDot);
        c->Ellipse(0, 0, 16, 16);
        c->TextOut(1, 1, L"x");
        c->Font()->SetStyle({fsBold});
        c->TextOut(1, 1, L"y");
        bmp.SetPixelFormat(pf8bit);
        TBitmap copy;
        copy.Assign(&bmp);
        copy.Canvas()->FillRect(Rect(0, 0, 4, 4));
        TBitmap mask(16, 16, pf1bit);
        TIcon icon;
        ICONINFO info{TRUE, 0, 0, mask.Handle(), copy.Handle()};
        icon.SetHandle(::CreateIconIndirect(&info));
        TMemoryStream stream;
        icon.SaveToStream(stream);
        if (i == 0)
            seen = {c->Handle(), c->Font()->Handle(), c->Brush()->Handle(), c->Pen()->Handle(), bmp.Palette(),
                    bmp.Handle(), copy.Handle(), copy.Canvas()->Handle()};
    }
    for (HGDIOBJ handle : seen) EXPECT_EQ(::GetObjectType(handle), 0u) << handle;
    GdiSlotDrain after;
    ASSERT_TRUE(after.Drained());
    EXPECT_LT(after.FirstFreshSlot(), drain.NextFreshSlot() + 64) << "GDI handles pile up";
}
