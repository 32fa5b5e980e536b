// Skin data per pixel density: its level and metrics, new masks and sections, the bitmaps made
// for its density (shared by masks of one file or one master rectangle, read from the skin's
// folder or a packed skin), freeing them, and the key-pixel fill through a mask's corners.
#include "skin_graphics_test_pixels.h"

#include "../framework/graphics_jpeg.h"
#include "../framework/graphics_png.h"
#include "../framework/runtime_test_tempdir.h"
#include "sAlphaGraph.h"
#include "skin_core_test_layered.h"
#include "sSkinManager.h"
#include "skin_images_png_writer.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr Word kKey = 0x00FF00FF;

std::vector<std::uint8_t> BytesOf(TGraphic& graphic)
{
    TMemoryStream stream;
    graphic.SaveToStream(stream);
    return {stream.Memory(), stream.Memory() + stream.Size()};
}

// A 32-bit BMP file image: red with alpha 0 (the file's alpha must not count), a key pixel at
// (0, 0) and a blue one at (1, 0).
std::unique_ptr<TBitmap> FileImage(int w, int h)
{
    auto bmp = Bmp32(w, h, Argb(0, 255, 0, 0));
    SetPx(*bmp, 0, 0, kKey);
    SetPx(*bmp, 1, 0, Argb(0, 0, 0, 255));
    return bmp;
}

// A manager of a skin in a folder of its own, active, with a 40 x 20 master bitmap.
class SkinDataTest : public ::testing::Test {
protected:
    SkinDataTest() : manager(nullptr)
    {
        manager.SkinCommonInfo.SkinPath = dir.Path() + L"\\";
        manager.SkinCommonInfo.Active = true;
        manager.MasterBitmap = Numbered(40, 20, 0xFF102000);
    }

    // A mask of a section in the skin data, drawn at 96 PPI, with borders of 3.
    int NewMask(TacSkinData& data, const wchar_t* section, const TRect& r, int drawMode = 0)
    {
        const int i = data.MakeNewItem(0, L"BORDERSMASK", section, itisaBorder, r, 1, drawMode, 0);
        TsMaskData& m = data.ma[static_cast<size_t>(i)];
        m.WL = m.WT = m.WR = m.WB = 3;
        return i;
    }

    TestTempDir dir;
    TsSkinManager manager;
};

} // namespace

TEST(SkinData, DensityLevelPercentAndScaledValues)
{
    const struct {
        int ppi, level, percent, seven;
    } cases[] = {
        {96, 0, 100, 7}, {110, 0, 115, 8}, {120, 1, 125, 9}, {144, 2, 150, 11}, {192, 3, 200, 14},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ppi);
        TacSkinData data(nullptr, c.ppi);
        EXPECT_EQ(data.PPI, c.ppi);
        EXPECT_EQ(data.ScaleValue, c.level);
        EXPECT_EQ(data.ScalePercent, c.percent);
        EXPECT_EQ(data.ScaleIntValue(7), c.seven) << "rounded, not truncated";
        EXPECT_EQ(data.FormShadowSize, TRect());
        EXPECT_TRUE(data.ma.empty() && data.gd.empty() && data.oe.empty() && data.BmpArray.empty());
        EXPECT_FALSE(data.Initializing);
    }
}

TEST(SkinData, BuiltInMetricsFollowTheDensity)
{
    const int stored = acScrollBtnLength;
    acScrollBtnLength = 17; // as start-up may set it from the system
    TacSkinData at96(nullptr, 96), at144(nullptr, 144);
    at96.LoadParams();
    at144.LoadParams();
    acScrollBtnLength = stored;
    EXPECT_EQ(at96.Spacing, 4);
    EXPECT_EQ(at96.LineWidth, acLineWidth);
    EXPECT_EQ(at96.ArrowSize, 5);
    EXPECT_EQ(at96.SmallArrowSize, 4);
    EXPECT_EQ(at96.ScrollBtnLength, 17);
    EXPECT_EQ(at144.Spacing, 6);
    EXPECT_EQ(at144.LineWidth, acLineWidth * 3 / 2);
    EXPECT_EQ(at144.ArrowSize, 7);
    EXPECT_EQ(at144.SmallArrowSize, 6);
    EXPECT_EQ(at144.ScrollBtnLength, 25);

    // Without an owner nothing is read from a manager.
    EXPECT_FALSE(at144.Active());
    EXPECT_EQ(at144.BrightMin(), 0);
    EXPECT_EQ(at144.BrightMax(), 0);
    at144.Init();
    EXPECT_FALSE(at144.Initializing);
}

TEST(SkinData, NewMasksAndSections)
{
    TsSkinManager manager(nullptr);
    TacSkinData data(&manager, 144);
    data.ma.emplace_back();
    EXPECT_EQ(data.MakeNewItem(5, L"GLYPHMASK", L"BUTTON", itisaGlyph, {1, 2, 30, 40}, 3, 0x10, 1), 1);
    const TsMaskData& m = data.ma[1];
    EXPECT_EQ(m.PropertyName, L"GLYPHMASK");
    EXPECT_EQ(m.ClassName, L"BUTTON");
    EXPECT_EQ(m.SkinIndex, 5);
    EXPECT_EQ(m.ImgType, itisaGlyph);
    EXPECT_EQ(m.R, TRect(1, 2, 30, 40));
    EXPECT_EQ(m.ImageCount, 3);
    EXPECT_EQ(m.DrawMode, 0x10);
    EXPECT_EQ(m.MaskType, 1);
    EXPECT_EQ(m.Manager, &manager);
    EXPECT_EQ(m.DivPPI, 96);
    EXPECT_EQ(m.MulPPi, 144);
    EXPECT_EQ(m.Bmp, nullptr);
    EXPECT_TRUE(m.WL == 0 && m.WT == 0 && m.WR == 0 && m.WB == 0 && m.Cfg == 0 && m.Width == 0 && m.Height == 0);

    // Without a parent: the given looks in all three states, no text contour.
    EXPECT_EQ(data.AddNewSection(L"MAINCOLOR", -1, 1, 40, 0x123456, 0x654321), 0);
    const TsGeneralData& plain = data.gd[0];
    EXPECT_EQ(plain.ClassName, L"MAINCOLOR");
    EXPECT_EQ(plain.States, 1);
    for (const TsGenState& s : plain.Props) {
        EXPECT_EQ(s.Transparency, 40);
        EXPECT_EQ(s.Color, 0x123456);
        EXPECT_EQ(s.FontColor.Color, 0x654321);
        EXPECT_TRUE(s.FontColor.Left == -1 && s.FontColor.Top == -1 && s.FontColor.Right == -1 &&
                    s.FontColor.Bottom == -1);
        EXPECT_TRUE(s.GradientArray.empty());
    }
    EXPECT_EQ(plain.BorderIndex, 0);

    // With a parent: a full copy under its own name, with gradients of its own.
    TsGeneralData& parent = data.gd[0];
    parent.ParentClass = L"EDIT";
    parent.BorderIndex = 7;
    parent.Props[2].GradientArray.resize(2);
    parent.Props[2].GradientArray[1].Percent = 60;
    EXPECT_EQ(data.AddNewSection(L"COLHEADER", 0, 3, 0, 0, 0), 1);
    TsGeneralData& copy = data.gd[1];
    EXPECT_EQ(copy.ClassName, L"COLHEADER");
    EXPECT_EQ(copy.ParentClass, L"");
    EXPECT_EQ(copy.States, 1) << "the parent's, not the argument";
    EXPECT_EQ(copy.BorderIndex, 7);
    EXPECT_EQ(copy.Props[0].Color, 0x123456);
    ASSERT_EQ(copy.Props[2].GradientArray.size(), 2u);
    EXPECT_EQ(copy.Props[2].GradientArray[1].Percent, 60);
    copy.Props[2].GradientArray[1].Percent = 10;
    EXPECT_EQ(data.gd[0].Props[2].GradientArray[1].Percent, 60) << "changing the copy leaves the parent";

    // A parent index past the array counts as none.
    EXPECT_EQ(data.AddNewSection(L"HINT", 9, 2, 5, 1, 2), 2);
    EXPECT_EQ(data.gd[2].States, 2);
    EXPECT_EQ(data.gd[2].Props[1].Transparency, 5);
}

TEST(SkinData, ImageListEntriesAndTheirSearch)
{
    TacSkinData data(nullptr, 120);
    auto first = CreateBmp32(7, 5);
    TBitmap* firstBmp = first.get();
    data.AddImage(std::move(first), L"A.BMP", L"BUTTON-PATTERN", {}, {1, 1, 2, 2}, 96, 0, true);
    data.AddImage(CreateBmp32(9, 9), L"", L"EDIT-BORDERSMASK", {0, 0, 4, 4}, {10, 0, 16, 6}, 144, 1, false);
    data.AddImage(nullptr, L"", L"PANEL-BORDERSMASK", {}, {20, 0, 26, 6}, 96, 0, false);
    ASSERT_EQ(data.BmpArray.size(), 3u);
    const TacBmpData& e = data.BmpArray[0];
    EXPECT_EQ(e.Bmp.get(), firstBmp);
    EXPECT_EQ(e.R, TRect(0, 0, 7, 5)) << "an empty R takes the bitmap's size";
    EXPECT_EQ(e.FileName, L"A.BMP");
    EXPECT_EQ(e.Path, L"BUTTON-PATTERN");
    EXPECT_EQ(e.SrcRect, TRect(1, 1, 2, 2));
    EXPECT_EQ(e.MulPPI, 120);
    EXPECT_EQ(e.DivPPI, 96);
    EXPECT_TRUE(e.Ext);
    EXPECT_EQ(data.BmpArray[1].R, TRect(0, 0, 4, 4));
    EXPECT_EQ(data.BmpArray[1].MaskType, 1);
    EXPECT_EQ(data.BmpArray[2].R, TRect()) << "no bitmap: R as given";

    EXPECT_EQ(data.SearchBmpIndex(L"A.BMP", {5, 5, 6, 6}), 0) << "a name alone decides";
    EXPECT_EQ(data.SearchBmpIndex(L"", {10, 0, 16, 6}), 1);
    EXPECT_EQ(data.SearchBmpIndex(L"", {20, 0, 26, 6}), 2);
    EXPECT_EQ(data.SearchBmpIndex(L"", {10, 0, 16, 7}), -1);
    EXPECT_EQ(data.SearchBmpIndex(L"B.BMP", {10, 0, 16, 6}), -1);
    EXPECT_EQ(data.SearchBmpIndex(L"a.bmp", {}), -1) << "names as stored";
}

TEST_F(SkinDataTest, MasksOfOneFileShareItsBitmapAndTakeItsDensity)
{
    dir.Write(L"FRAME.BMP", BytesOf(*FileImage(12, 12)));
    TacSkinData data(&manager, 144);
    const int a = NewMask(data, L"BUTTON", {0, 0, 12, 12});
    ASSERT_TRUE(data.DefineBmp(data.ma[static_cast<size_t>(a)], L"FRAME.BMP", {0, 0, 12, 12}, false));
    ASSERT_EQ(data.BmpArray.size(), 1u);
    const TacBmpData& entry = data.BmpArray[0];
    EXPECT_EQ(entry.FileName, L"FRAME.BMP");
    EXPECT_EQ(entry.Path, L"BUTTON-BORDERSMASK");
    EXPECT_TRUE(entry.Ext);
    EXPECT_EQ(entry.MulPPI, 144);
    EXPECT_EQ(entry.DivPPI, 96);
    ASSERT_TRUE(entry.Bmp);
    EXPECT_EQ(entry.Bmp->Width(), 18) << "scaled to the density";
    EXPECT_EQ(entry.Bmp->Canvas()->LockCount(), 1) << "held while the skin data has it";
    TsMaskData& first = data.ma[static_cast<size_t>(a)];
    EXPECT_EQ(first.Bmp, entry.Bmp.get());
    EXPECT_EQ(first.R, TRect(0, 0, 18, 18));
    EXPECT_EQ(first.WL, 5);

    // A mask of another section naming the same file: the same bitmap, its widths brought to
    // the entry's density and kept inside the image.
    const int b = data.MakeNewItem(0, L"BORDERSMASK", L"EDIT", itisaBorder, {0, 0, 12, 12}, 1, 0, 0);
    TsMaskData& second = data.ma[static_cast<size_t>(b)];
    second.WL = 4;
    second.WT = 2;
    second.WR = 9;
    second.WB = 9;
    second.DivPPI = 120;
    second.MulPPi = 0;
    ASSERT_TRUE(data.DefineBmp(second, L"FRAME.BMP", {0, 0, 12, 12}, false));
    EXPECT_EQ(data.BmpArray.size(), 1u);
    EXPECT_EQ(second.Bmp, entry.Bmp.get());
    EXPECT_EQ(second.R, TRect(0, 0, 18, 18));
    EXPECT_EQ(second.Width, 18);
    EXPECT_EQ(second.Height, 18);
    EXPECT_EQ(second.MulPPi, 144);
    EXPECT_EQ(second.DivPPI, 96);
    EXPECT_EQ(second.WL, 6);
    EXPECT_EQ(second.WT, 3);
    EXPECT_EQ(second.WR, 18 - 1 - 6) << "14 kept inside the frame";
    EXPECT_EQ(second.WB, 14);
    EXPECT_EQ(entry.Bmp->Canvas()->LockCount(), 1) << "locked once";

    // Frame count 0 and mask type -1 come from skin text: taken as one frame of one half, no
    // division by zero. An index outside the array leaves the mask as it is.
    const int t = data.MakeNewItem(0, L"BORDERSMASK", L"COMBOBOX", itisaBorder, {0, 0, 12, 12}, 0, 0, -1);
    TsMaskData& third = data.ma[static_cast<size_t>(t)];
    third.WL = third.WT = 4;
    third.WR = third.WB = 20;
    ASSERT_TRUE(data.DefineBmp(third, L"FRAME.BMP", {0, 0, 12, 12}, false));
    EXPECT_EQ(third.Bmp, entry.Bmp.get());
    EXPECT_EQ(third.WL, 6);
    EXPECT_EQ(third.WR, 18 - 1 - 6) << "the whole width is one frame";
    EXPECT_EQ(third.WB, 18 - 1 - 6) << "the whole height is one half";
    for (const int outside : {-1, 1}) {
        TsMaskData untouched = third;
        untouched.WL = 9;
        data.UpdateItem(untouched, outside);
        EXPECT_EQ(untouched.WL, 9) << outside;
        EXPECT_EQ(untouched.WR, third.WR) << outside;
    }

    // The same file at another density is read again for it.
    TacSkinData at96(&manager, 96);
    const int c = NewMask(at96, L"BUTTON", {0, 0, 12, 12});
    ASSERT_TRUE(at96.DefineBmp(at96.ma[static_cast<size_t>(c)], L"FRAME.BMP", {0, 0, 12, 12}, false));
    EXPECT_EQ(at96.ma[static_cast<size_t>(c)].Bmp->Width(), 12);
}

TEST_F(SkinDataTest, MasterImagesAreScaledOnceUnlessTheyKeepTheirSize)
{
    TacSkinData data(&manager, 144);
    const int a = NewMask(data, L"BUTTON", {4, 2, 16, 14});
    const int b = NewMask(data, L"COMBOBTN", {4, 2, 16, 14});
    const int fixed = NewMask(data, L"CHECKBOX", {20, 2, 32, 14}, 8);
    ASSERT_TRUE(data.DefineBmp(data.ma[static_cast<size_t>(a)], L"", {4, 2, 16, 14}, false));
    ASSERT_TRUE(data.DefineBmp(data.ma[static_cast<size_t>(b)], L"", {4, 2, 16, 14}, false));
    ASSERT_TRUE(data.DefineBmp(data.ma[static_cast<size_t>(fixed)], L"", {20, 2, 32, 14}, false));
    ASSERT_EQ(data.BmpArray.size(), 1u) << "one scaled copy for one rectangle; none for the fixed image";
    const TacBmpData& entry = data.BmpArray[0];
    EXPECT_EQ(entry.FileName, L"");
    EXPECT_EQ(entry.Path, L"BUTTON-BORDERSMASK");
    EXPECT_EQ(entry.SrcRect, TRect(4, 2, 16, 14));
    EXPECT_FALSE(entry.Ext);
    EXPECT_EQ(entry.Bmp->Canvas()->LockCount(), 0);
    EXPECT_EQ(data.ma[static_cast<size_t>(a)].Bmp, entry.Bmp.get());
    EXPECT_EQ(data.ma[static_cast<size_t>(b)].Bmp, entry.Bmp.get());
    EXPECT_EQ(data.ma[static_cast<size_t>(b)].R, TRect(0, 0, 18, 18));
    const TsMaskData& kept = data.ma[static_cast<size_t>(fixed)];
    EXPECT_EQ(kept.Bmp, nullptr);
    EXPECT_EQ(kept.R, TRect(20, 2, 32, 14));

    // At the density it was drawn at an image stays in the master bitmap.
    TacSkinData at96(&manager, 96);
    const int c = NewMask(at96, L"BUTTON", {4, 2, 16, 14});
    ASSERT_TRUE(at96.DefineBmp(at96.ma[static_cast<size_t>(c)], L"", {4, 2, 16, 14}, false));
    EXPECT_TRUE(at96.BmpArray.empty());
    EXPECT_EQ(at96.ma[static_cast<size_t>(c)].Bmp, nullptr);
}

TEST_F(SkinDataTest, ImageFilesByKindFolderOrPackedSkin)
{
    // A PNG with its own alpha, a JPEG, a BMP given by a full path, and files that cannot be read.
    png_writer::Image png;
    png.width = png.height = 4;
    for (int i = 0; i < 16; ++i) png.samples.insert(png.samples.end(), {0u, 0u, 255u, i < 8 ? 80u : 255u});
    dir.Write(L"GLYPH.PNG", png_writer::Write(png));
    auto blocks = BlockPicture(1, {clLime});
    dir.Write(L"TEXTURE.JPG", JpegBytes(*blocks));
    dir.Write(L"ANYWHERE.BMP", BytesOf(*FileImage(4, 4)));
    dir.Write(L"BROKEN.BMP", std::string("BM not a bitmap"));
    dir.Write(L"PICTURE.GIF", BytesOf(*FileImage(4, 4)));

    TacSkinData data(&manager, 96);
    auto define = [&](const UnicodeString& file, TacImgType type, bool keepAlpha) -> TsMaskData* {
        const int i = data.MakeNewItem(0, L"KEY", L"SECTION", type, {}, 1, 0, 0);
        TsMaskData& m = data.ma[static_cast<size_t>(i)];
        if (!data.DefineBmp(m, file, m.R, keepAlpha)) return nullptr;
        return &m;
    };
    TsMaskData* glyph = define(L"GLYPH.PNG", itisaGlyph, true);
    ASSERT_TRUE(glyph);
    EXPECT_EQ(glyph->R, TRect(0, 0, 4, 4));
    EXPECT_EQ(Px(*glyph->Bmp, 0, 0), Argb(80, 0, 0, 255)) << "the file's alpha";
    EXPECT_EQ(ByteA(Px(*glyph->Bmp, 0, 3)), 255);

    TsMaskData* texture = define(L"TEXTURE.JPG", itisaTexture, false);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->R, TRect(0, 0, 16, 16));
    const Word green = Px(*texture->Bmp, 8, 8);
    EXPECT_EQ(ByteA(green), 255);
    EXPECT_GT(ByteG(green), 240);
    EXPECT_LT(ByteR(green), 16);

    TsMaskData* anywhere = define(dir.File(L"ANYWHERE.BMP"), itisaBorder, false);
    ASSERT_TRUE(anywhere);
    EXPECT_EQ(Px(*anywhere->Bmp, 0, 0), kKey) << "the key colour stays transparent";
    EXPECT_EQ(Px(*anywhere->Bmp, 1, 0), Argb(255, 0, 0, 255)) << "every other pixel opaque";
    EXPECT_EQ(Px(*anywhere->Bmp, 3, 3), Argb(255, 255, 0, 0));

    const size_t entries = data.BmpArray.size();
    EXPECT_EQ(define(L"MISSING.BMP", itisaBorder, false), nullptr);
    EXPECT_EQ(define(L"BROKEN.BMP", itisaBorder, false), nullptr);
    EXPECT_EQ(define(L"PICTURE.GIF", itisaBorder, false), nullptr);
    EXPECT_EQ(data.BmpArray.size(), entries);
    EXPECT_EQ(data.ma.back().Bmp, nullptr);

    // A packed skin's file, found by its upper-cased name and read for every density.
    manager.SkinIsPacked = true;
    manager.sc = std::make_unique<TacSkinConvertor>();
    TacFileItem& item = manager.sc->Files.emplace_back();
    item.Name = L"Packed.Bmp";
    item.FileType = ftBmp;
    item.Stream = std::make_unique<TMemoryStream>();
    const auto bytes = BytesOf(*FileImage(6, 6));
    item.Stream->Write(bytes.data(), static_cast<long long>(bytes.size()));
    TsMaskData* packed = define(L"PACKED.BMP", itisaBorder, false);
    ASSERT_TRUE(packed);
    EXPECT_EQ(packed->Bmp->Width(), 6);
    TacSkinData at120(&manager, 120);
    const int i = at120.MakeNewItem(0, L"KEY", L"SECTION", itisaTexture, {0, 0, 6, 6}, 1, 0, 0);
    ASSERT_TRUE(at120.DefineBmp(at120.ma[static_cast<size_t>(i)], L"PACKED.BMP", {0, 0, 6, 6}, false));
    EXPECT_EQ(at120.ma[static_cast<size_t>(i)].Bmp->Width(), 7) << "6 x 120 / 96, truncated";
}

TEST_F(SkinDataTest, ResetAndTheDestructorFreeEveryBitmap)
{
    dir.Write(L"FRAME.BMP", BytesOf(*FileImage(12, 12)));
    manager.SetExtendedBorders(true);
    LayeredCallBound bound;
    auto fill = [&](TacSkinData& data) {
        const int a = NewMask(data, L"BUTTON", {0, 0, 12, 12});
        ASSERT_TRUE(data.DefineBmp(data.ma[static_cast<size_t>(a)], L"FRAME.BMP", {0, 0, 12, 12}, false));
        const int b = NewMask(data, L"EDIT", {12, 0, 24, 12});
        ASSERT_TRUE(data.DefineBmp(data.ma[static_cast<size_t>(b)], L"", {12, 0, 24, 12}, false));
        data.ExBorder = -1;
        data.WndShadowSize = 4;
        data.CheckShadows();
        ASSERT_TRUE(data.ShdaTemplate && data.ShdiTemplate && data.rsta && data.rsti);
        data.ma[static_cast<size_t>(b)].Bmp->Canvas()->Handle();
    };

    GdiSlotDrain drain;
    ASSERT_TRUE(drain.Drained());
    std::vector<HGDIOBJ> seen;
    for (int i = 0; i < 300; ++i) {
        TacSkinData data(&manager, 144);
        fill(data);
        if (i == 0) seen = {data.BmpArray[0].Bmp->Handle(), data.BmpArray[1].Bmp->Handle(), data.rsta->Handle()};
        data.Reset();
        EXPECT_TRUE(data.BmpArray.empty() && data.ma.empty() && !data.rsta && !data.rsti && !data.ShdaTemplate &&
                    !data.ShdiTemplate);
        fill(data); // and the destructor frees the second set
    }
    for (HGDIOBJ handle : seen) EXPECT_EQ(::GetObjectType(handle), 0u) << handle;
    GdiSlotDrain after;
    ASSERT_TRUE(after.Drained());
    EXPECT_LT(after.FirstFreshSlot(), drain.NextFreshSlot() + 64) << "GDI handles pile up";
}

TEST_F(SkinDataTest, FreedBitmapsLeaveNoMaskPointingAtThem)
{
    TacSkinData data(&manager, 144);
    const int a = NewMask(data, L"BUTTON", {4, 2, 16, 14});
    ASSERT_TRUE(data.DefineBmp(data.ma[static_cast<size_t>(a)], L"", {4, 2, 16, 14}, false));
    ASSERT_TRUE(data.ma[0].Bmp);
    data.FreeBitmaps();
    EXPECT_TRUE(data.BmpArray.empty());
    EXPECT_EQ(data.ma[0].Bmp, nullptr);
}

TEST_F(SkinDataTest, KeyPixelsAtAMasksCornerTakeTheSource)
{
    // A 10 x 8 border image at (20, 4) of the master bitmap, borders 3, with one key pixel in
    // the top-left corner area and one in the bottom-right one.
    TacSkinData data(&manager, 96);
    const int i = NewMask(data, L"FORM", {20, 4, 30, 12});
    TsMaskData& m = data.ma[static_cast<size_t>(i)];
    m.Width = 10;
    m.Height = 8;
    SetPx(*manager.MasterBitmap, 21, 5, 0xFFFF00FF); // key once its alpha is cleared
    SetPx(*manager.MasterBitmap, 29, 11, kKey);
    auto src = Numbered(6, 6, 0x40000000);
    const struct {
        int corner;
        bool seen;
        int x, y; // the key pixel seen in the 3 x 3 corner painted at (1, 1)
    } cases[] = {{13, true, 1, 1}, {14, false, 0, 0}, {16, false, 0, 0}, {17, true, 2, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.corner);
        auto dst = Bmp32(6, 6, Argb(77, 1, 2, 3));
        FillTransPixels32(dst.get(), src.get(), {1, 1, 4, 4}, {2, 2}, i, &data, c.corner);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x) {
                const bool taken = c.seen && x == 1 + c.x && y == 1 + c.y;
                const Word expected = taken ? (Px(*src, 2 + c.x, 2 + c.y) & 0x00FFFFFF) | Argb(77, 0, 0, 0)
                                            : Argb(77, 1, 2, 3);
                EXPECT_EQ(Px(*dst, x, y), expected) << x << "," << y << ": the destination's alpha stays";
            }
    }

    // A mask with its own bitmap is tested there; a skin data of the manager serves the
    // manager's overload only once the manager has one.
    auto own = Bmp32(10, 8, Argb(255, 9, 9, 9));
    SetPx(*own, 0, 0, kKey);
    m.Bmp = own.get();
    m.R = TRect(0, 0, 10, 8);
    auto dst = Bmp32(2, 2, Argb(5, 1, 2, 3));
    FillTransPixels32(dst.get(), src.get(), {0, 0, 2, 2}, {0, 0}, i, &data, 0);
    EXPECT_EQ(Px(*dst, 0, 0), (Px(*src, 0, 0) & 0x00FFFFFF) | Argb(5, 0, 0, 0));
    EXPECT_EQ(Px(*dst, 1, 1), Argb(5, 1, 2, 3));
    FillTransPixels32(dst.get(), src.get(), {0, 0, 2, 2}, {0, 0}, 99, &data, 0); // no such mask
    EXPECT_EQ(Px(*dst, 1, 1), Argb(5, 1, 2, 3));
}
