#include "ImageList.h"
#include "TypInfo.h"
#include "graphics_png.h"
#include "graphics_test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// A 32-bit image of one colour with a transparent (mask bit set) top-left quarter.
struct MaskedImage {
    TBitmap image;
    TBitmap mask;
    MaskedImage(int w, int h, TColor color) : image(w, h, pf32bit), mask(w, h, pf1bit)
    {
        image.Canvas()->Brush()->SetColor(color);
        image.Canvas()->FillRect(Rect(0, 0, w, h));
        mask.Canvas()->Brush()->SetColor(clBlack);
        mask.Canvas()->FillRect(Rect(0, 0, w, h));
        mask.Canvas()->Brush()->SetColor(clWhite);
        mask.Canvas()->FillRect(Rect(0, 0, w / 2, h / 2));
        image.Canvas()->Brush()->SetColor(clBlack);
        image.Canvas()->FillRect(Rect(0, 0, w / 2, h / 2));
    }
};

// Colour at the centre of image index drawn onto green.
TColor Drawn(TCustomImageList& list, int index, bool enabled = true, int x = -1, int y = -1)
{
    TBitmap target(list.Width(), list.Height(), pf32bit);
    target.Canvas()->Brush()->SetColor(clGreen);
    target.Canvas()->FillRect(Rect(0, 0, list.Width(), list.Height()));
    list.Draw(target.Canvas(), 0, 0, index, enabled);
    return ScanPixel(target, x < 0 ? list.Width() * 3 / 4 : x, y < 0 ? list.Height() * 3 / 4 : y);
}

} // namespace

TEST(ImageList, AddDrawReplaceDelete)
{
    TImageList list(nullptr);
    EXPECT_EQ(list.ClassName(), L"TImageList");
    EXPECT_EQ(list.Width(), 16);
    EXPECT_EQ(list.Count(), 0);
    MaskedImage red(16, 16, clRed), blue(16, 16, clBlue), yellow(16, 16, clYellow);
    EXPECT_EQ(list.Add(&red.image, &red.mask), 0);
    EXPECT_EQ(list.Add(&blue.image, &blue.mask), 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(Drawn(list, 0), clRed);
    EXPECT_EQ(Drawn(list, 1), clBlue);
    EXPECT_EQ(Drawn(list, 1, true, 2, 2), clGreen) << "masked pixels stay transparent";

    list.Replace(0, &yellow.image, &yellow.mask);
    EXPECT_EQ(Drawn(list, 0), clYellow);
    list.Add(&red.image, &red.mask);
    list.Move(0, 2);  // yellow, blue, red -> blue, red, yellow
    EXPECT_EQ(Drawn(list, 0), clBlue);
    EXPECT_EQ(Drawn(list, 1), clRed);
    EXPECT_EQ(Drawn(list, 2), clYellow);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(Drawn(list, 0), clRed);
    EXPECT_THROW(list.Delete(2), EInvalidGraphicOperation);
    EXPECT_THROW(list.Replace(-1, &red.image, nullptr), EInvalidGraphicOperation);
    list.Draw(red.image.Canvas(), 0, 0, 7);  // an index outside the list draws nothing
    list.Clear();
    EXPECT_EQ(list.Count(), 0);

    // A strip twice as wide adds two images.
    MaskedImage strip(32, 16, clAqua);
    EXPECT_EQ(list.Add(&strip.image, &strip.mask), 0);
    EXPECT_EQ(list.Count(), 2);
}

TEST(ImageList, AddMaskedAndIcons)
{
    TImageList list(nullptr, 49, 48);  // the tray animation frames
    EXPECT_EQ(list.Width(), 49);
    EXPECT_EQ(list.Height(), 48);
    TBitmap frame(49, 48, pf24bit);
    frame.Canvas()->Brush()->SetColor(clFuchsia);
    frame.Canvas()->FillRect(Rect(0, 0, 49, 48));
    frame.Canvas()->Brush()->SetColor(clNavy);
    frame.Canvas()->FillRect(Rect(20, 20, 49, 48));
    EXPECT_EQ(list.AddMasked(&frame, clFuchsia), 0);
    EXPECT_EQ(frame.Canvas()->Pixels(0, 0), clFuchsia) << "the caller's bitmap is left alone";
    EXPECT_EQ(Drawn(list, 0, true, 40, 40), clNavy);
    EXPECT_EQ(Drawn(list, 0, true, 5, 5), clGreen);
    EXPECT_EQ(list.AddMasked(&frame, clDefault), 1);  // bottom-left pixel is fuchsia
    EXPECT_EQ(Drawn(list, 1, true, 5, 5), clGreen);

    TIcon icon;
    ASSERT_TRUE(list.GetIcon(0, &icon));
    EXPECT_EQ(icon.Width(), 49);
    EXPECT_EQ(icon.Height(), 48);
    EXPECT_EQ(list.AddIcon(&icon), 2);
    EXPECT_EQ(Drawn(list, 2, true, 40, 40), clNavy);
    EXPECT_EQ(Drawn(list, 2, true, 5, 5), clGreen);
    EXPECT_FALSE(list.GetIcon(3, &icon));

    TBitmap copy;
    ASSERT_TRUE(list.GetBitmap(2, &copy));
    EXPECT_EQ(copy.Width(), 49);
    EXPECT_EQ(copy.Canvas()->Pixels(40, 40), clNavy);
    TIcon empty;
    EXPECT_THROW(list.AddIcon(&empty), EInvalidGraphicOperation);
}

TEST(ImageList, DisabledImagesAreGreyAndAlphaBlends)
{
    TImageList list(nullptr);
    MaskedImage red(16, 16, clRed);
    list.Add(&red.image, &red.mask);
    const TColor disabled = Drawn(list, 0, false);
    const int r = disabled & 0xFF, g = (disabled >> 8) & 0xFF, b = (disabled >> 16) & 0xFF;
    EXPECT_NE(disabled, clRed);
    EXPECT_LE(std::abs(r - g) + std::abs(g - b), 6) << std::hex << disabled;

    // 32-bit images blend by their (straight, not premultiplied) alpha.
    TBitmap half(16, 16, pf32bit);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) SetScanPixel(half, x, y, clRed, 128);
    list.Add(&half, nullptr);
    const TColor blended = Drawn(list, 1);
    EXPECT_NEAR(blended & 0xFF, 0x80, 4);
    EXPECT_NEAR((blended >> 8) & 0xFF, 0x40, 4);  // half of the green background

    TBitmap sheet(16 * 3, 16, pf32bit);
    sheet.Canvas()->Brush()->SetColor(clGreen);
    sheet.Canvas()->FillRect(Rect(0, 0, 48, 16));
    list.Draw(sheet.Canvas(), 0, 0, 0);
    list.Draw(sheet.Canvas(), 16, 0, 0, false);
    list.Draw(sheet.Canvas(), 32, 0, 1);
    EXPECT_TRUE(SaveBitmapAsPng(sheet, L"graphics_tests_imagelist.png"));
}

TEST(ImageList, ChangeNotificationsAndOwnership)
{
    TComponent owner(nullptr);
    auto* list = new TImageList(&owner);
    int listChanges = 0, linkChanges = 0;
    list->OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, list);
        ++listChanges;
    };
    TChangeLink link;
    link.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, list);
        ++linkChanges;
    };
    list->RegisterChanges(&link);
    EXPECT_EQ(link.Sender(), list);
    {
        TChangeLink shortLived;
        list->RegisterChanges(&shortLived);
    }  // unregisters itself
    MaskedImage red(16, 16, clRed);
    list->Add(&red.image, &red.mask);
    list->SetBkColor(clWhite);
    EXPECT_EQ(listChanges, 2);
    EXPECT_EQ(linkChanges, 2);

    list->SetSize(24, 24);  // a new size empties the list
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(linkChanges, 3);

    MaskedImage large(24, 24, clBlue);
    list->Add(&large.image, &large.mask);
    HIMAGELIST handle = list->Handle();
    EXPECT_EQ(::ImageList_GetImageCount(handle), 1);
    owner.DestroyComponents();  // the owner frees the list
    EXPECT_EQ(link.Sender(), nullptr);
    EXPECT_LE(::ImageList_GetImageCount(handle), 0) << "the list handle is destroyed";
}

TEST(ImageList, NoHandlesLeak)
{
    GdiSlotDrain drain;
    ASSERT_TRUE(drain.Drained());
    MaskedImage red(16, 16, clRed);
    for (int i = 0; i < 300; ++i) {
        TImageList list(nullptr);
        list.Add(&red.image, &red.mask);
        list.AddMasked(&red.image, clBlack);
        TIcon icon;
        list.GetIcon(0, &icon);
        list.AddIcon(&icon);
        TBitmap target(16, 16, pf32bit);
        list.Draw(target.Canvas(), 0, 0, 2, false);
    }
    GdiSlotDrain after;
    ASSERT_TRUE(after.Drained());
    EXPECT_LT(after.FirstFreshSlot(), drain.NextFreshSlot() + 64) << "GDI handles pile up";
}

TEST(ImageListData, NativeImagesRoundTripThroughTheBinaryProperty)
{
    RegisterImageListClasses();
    TImageList list(nullptr, 8, 8);
    TBitmap red(8, 8, pf32bit);
    red.Canvas()->Brush()->SetColor(clRed);
    red.Canvas()->FillRect(TRect(0, 0, 8, 8));
    list.Add(&red, nullptr);
    list.Add(&red, nullptr);
    list.SetBkColor(clBlue);

    const TPropInfo* data = GetPropInfo(&list, L"Bitmap");
    ASSERT_TRUE(data);
    EXPECT_EQ(data->Kind, pkBinary);
    const TBytes bytes = data->GetBin(&list);
    ASSERT_FALSE(bytes.empty());
    EXPECT_TRUE(IsStoredProp(&list, *data));

    TImageList copy(nullptr);
    data->SetBin(&copy, bytes);
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Width(), 8);
    TBitmap out(8, 8, pf32bit);
    copy.Draw(out.Canvas(), 0, 0, 1);
    EXPECT_EQ(ScanPixel(out, 4, 4), clRed);
    // Empty data leave a list alone; an empty list stores nothing; bad data raise.
    data->SetBin(&copy, {});
    EXPECT_EQ(copy.Count(), 2);
    TImageList empty(nullptr);
    EXPECT_TRUE(data->GetBin(&empty).empty());
    EXPECT_FALSE(IsStoredProp(&empty, *data));
    const TBytes junk{1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_THROW(data->SetBin(&empty, junk), EReadError);

    // The published properties by name, with their defaults.
    EXPECT_EQ(GetPropValue(&empty, L"Width"), UnicodeString(L"16"));
    EXPECT_EQ(GetPropValue(&empty, L"DrawingStyle"), UnicodeString(L"dsNormal"));
    EXPECT_EQ(GetPropValue(&empty, L"ColorDepth"), UnicodeString(L"cd32Bit"));
    SetPropValue(&empty, L"Masked", L"False");
    SetPropValue(&empty, L"AllocBy", L"9");
    SetPropValue(&empty, L"ImageType", L"itMask");
    EXPECT_FALSE(empty.Masked());
    EXPECT_EQ(empty.AllocBy(), 9);
    EXPECT_EQ(empty.ImageType(), itMask);
    for (const wchar_t* name : {L"Height", L"BkColor", L"BlendColor", L"ShareImages"})
        EXPECT_TRUE(HasProperty(&empty, name)) << name;
}

TEST(ImageListData, ANewSizeKeepsTheHandleAndEmptiesIt)
{
    TImageList list(nullptr, 8, 8);
    TBitmap red(8, 8, pf32bit);
    list.Add(&red, nullptr);
    HIMAGELIST handle = list.Handle();
    list.SetSize(12, 10);
    EXPECT_EQ(list.Handle(), handle);
    EXPECT_EQ(list.Count(), 0);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(handle, &cx, &cy);
    EXPECT_EQ(cx, 12);
    EXPECT_EQ(cy, 10);
}
