// The manager's foreign class-name lists, the mirroring of the title-button images and the
// preview picture of packed skin files.
#include "skin_core_test_manager.h"

#include "../framework/runtime_test_tempdir.h"
#include "FormReader.h"
#include "StringList.h"
#include "sDefaults.h"
#include "sGraphUtils.h"
#include "sSkinManagerPreview.h"
#include "sSkinManagerThird.h"
#include "skin_images_png_writer.h"

#include <cstring>

TEST_F(SkinManagerTest, ForeignNamesTakeTheDefaultOnlyForAnEmptyStoredTextAndAreWrittenBack)
{
    auto* form = new TForm(Application);
    ReadComponentFromText(form, L"object Form1: TForm\n"
                                L"  object sSkinManager1: TsSkinManager\n"
                                L"    ThirdParty.ThirdEdits = 'TMyEdit'\n"
                                L"    ThirdParty.ThirdButtons = ''\n"
                                L"  end\n"
                                L"end\n");
    auto* manager = dynamic_cast<TsSkinManager*>(form->FindComponent(L"sSkinManager1"));
    ASSERT_NE(manager, nullptr);
    ASSERT_EQ(manager->ThirdLists.size(), 23u);
    EXPECT_EQ(manager->ThirdParty()->GetString(0), L"TMyEdit");
    EXPECT_EQ(manager->ThirdLists[0]->Text(), L"TMyEdit\r\n");
    EXPECT_EQ(manager->ThirdParty()->GetString(1), L"TButton") << "empty text replaced by the default";
    EXPECT_EQ(manager->ThirdLists[1]->Strings(0), L"TButton");

    EXPECT_TRUE(SearchSupport(manager->ThirdLists, L"TMyEdit"));
    EXPECT_FALSE(SearchSupport(manager->ThirdLists, L"TMYEDIT")) << "class names are case-sensitive";
    EXPECT_FALSE(SearchSupport(manager->ThirdLists, L"TOther"));

    // Forcing puts every default back.
    LoadThirdNames(manager, true);
    EXPECT_EQ(manager->ThirdParty()->GetString(0), L" ");

    // The destructor writes the run-time lists back into the stored texts.
    TsSkinManager other(nullptr);
    other.AfterConstruction();
    TsThirdPartyList* stored = other.ThirdParty();
    other.ThirdLists[7]->Add(L"TFancyList");
    UpdateThirdNames(&other);
    EXPECT_NE(stored->GetString(7).find(L"TFancyList"), UnicodeString::npos);
}

TEST_F(SkinManagerTest, Load3rdNamesCopiesTheTextsAndTellsWhetherAnyWasSet)
{
    std::vector<std::unique_ptr<TStringList>> lists;
    for (int i = 0; i < acThirdKindCount; ++i) lists.push_back(std::make_unique<TStringList>());
    TsThirdPartyList stored;
    bool changed = true;
    Load3rdNames(stored, lists, changed);
    EXPECT_FALSE(changed);
    stored.SetString(22, L"TPainted\r\nTOther");
    Load3rdNames(stored, lists, changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ(lists[22]->Count(), 2);
    EXPECT_TRUE(SearchSupport(lists, L"TOther"));
}

namespace {

// Fills a 32-bit bitmap with the pixel value x + 100 * y.
std::unique_ptr<TBitmap> Numbered(int w, int h)
{
    auto bmp = CreateBmp32(w, h);
    TacBmpRows rows(bmp.get());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) rows.At(x, y).I = x + 100 * y;
    return bmp;
}

int Px(TBitmap* bmp, int x, int y) { return TacBmpRows(bmp).At(x, y).I; }

} // namespace

TEST_F(SkinManagerTest, FlippingMirrorsEachFrameOfTheTitleButtonsOnceAndRestoresThem)
{
    TsSkinManager manager(nullptr);
    manager.MasterBitmap = Numbered(20, 4);
    auto own = Numbered(8, 2);
    auto data = std::make_unique<TacSkinData>(&manager);
    data->TitleGlyphs.fill(-1);
    TsMaskData close; // two frames of 5 (odd) in the master
    close.R = TRect(0, 0, 10, 2);
    close.ImageCount = 2;
    TsMaskData glow; // one frame of 4 in its own bitmap
    glow.R = TRect(2, 0, 6, 2);
    glow.ImageCount = 1;
    glow.Bmp = own.get();
    TsMaskData other; // not a title button
    other.R = TRect(10, 0, 20, 2);
    other.ImageCount = 1;
    data->ma = {close, glow, other};
    data->TitleGlyphs[1] = 0;
    data->TitleGlyphs[0] = 2;
    data->TitleGlows[2] = {1, 2};
    manager.SkinDataArray.clear();
    manager.SkinDataArray.push_back(std::move(data));
    TBitmap* master = manager.MasterBitmap.get();

    manager.FlipImages(true);
    EXPECT_TRUE(manager.ManagerState.Contains(msRTLFlipped));
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(Px(master, 0, y), 4 + 100 * y);
        EXPECT_EQ(Px(master, 2, y), 2 + 100 * y) << "the middle column of an odd frame stays";
        EXPECT_EQ(Px(master, 4, y), 0 + 100 * y);
        EXPECT_EQ(Px(master, 5, y), 9 + 100 * y) << "second frame mirrored on its own";
        EXPECT_EQ(Px(master, 9, y), 5 + 100 * y);
        EXPECT_EQ(Px(master, 12, y), 12 + 100 * y) << "other masks untouched";
        EXPECT_EQ(Px(own.get(), 2, y), 5 + 100 * y);
        EXPECT_EQ(Px(own.get(), 5, y), 2 + 100 * y);
        EXPECT_EQ(Px(own.get(), 0, y), 0 + 100 * y) << "outside the glow's rectangle";
    }
    EXPECT_EQ(Px(master, 0, 2), 0 + 200) << "rows below the rectangle untouched";

    manager.FlipImages(true); // already mirrored
    EXPECT_EQ(Px(master, 0, 0), 4);
    manager.FlipImages(false);
    EXPECT_FALSE(manager.ManagerState.Contains(msRTLFlipped));
    for (int x = 0; x < 20; ++x) EXPECT_EQ(Px(master, x, 1), x + 100);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Px(own.get(), x, 1), x + 100);

    manager.ButtonsOptions()->AllowRTLSysButtons = false;
    manager.FlipImages(true);
    EXPECT_FALSE(manager.ManagerState.Contains(msRTLFlipped));
    EXPECT_EQ(Px(master, 0, 0), 0);
}

namespace {

std::vector<std::uint8_t> PackedWithPreview(const std::vector<std::uint8_t>& image, std::uint32_t length)
{
    std::vector<std::uint8_t> file{'P', 'K', 0, 1, 'p', 'r', 'e', 'v'};
    for (char c : std::string("previewimg")) file.push_back(static_cast<std::uint8_t>(c));
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    file.insert(file.end(), image.begin(), image.end());
    return file;
}

} // namespace

TEST_F(SkinManagerTest, PreviewIsReadFromThePackedFileOnlyWhenItIsComplete)
{
    TestTempDir dir;
    png_writer::Image img;
    img.width = 3;
    img.height = 2;
    img.samples.assign(3 * 2 * 4, 0);
    for (size_t i = 0; i < img.samples.size(); i += 4) img.samples[i + 2] = img.samples[i + 3] = 255; // blue
    const png_writer::Bytes png = png_writer::Write(img);
    const std::vector<std::uint8_t>& bytes = png;

    TBitmap bitmap;
    EXPECT_TRUE(GetPreviewImage(bitmap, dir.Write(L"skin.asz", PackedWithPreview(bytes, bytes.size()))));
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(static_cast<std::uint32_t>(Px(&bitmap, 1, 1)) & 0xFFFFFF, 0x0000FFu);

    TMemoryStream dest;
    EXPECT_TRUE(GetPreviewStream(dest, dir.File(L"skin.asz")));
    EXPECT_EQ(dest.Size(), static_cast<long long>(bytes.size()));
    EXPECT_EQ(dest.Position(), 0);
    EXPECT_EQ(std::memcmp(dest.Memory(), bytes.data(), bytes.size()), 0);

    // No marker: false and an empty bitmap.
    EXPECT_FALSE(GetPreviewImage(bitmap, dir.Write(L"plain.asz", std::vector<std::uint8_t>{'P', 'K', 1, 2, 3})));
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_FALSE(GetPreviewImage(bitmap, dir.File(L"missing.asz")));

    // A length beyond the end of the file: false, Dest untouched.
    const UnicodeString oversized = dir.Write(L"cut.asz", PackedWithPreview(bytes, bytes.size() + 1));
    EXPECT_FALSE(GetPreviewStream(dest, oversized));
    EXPECT_EQ(dest.Size(), static_cast<long long>(bytes.size()));
    EXPECT_FALSE(GetPreviewImage(bitmap, oversized));
    EXPECT_FALSE(GetPreviewStream(dest, dir.Write(L"short.asz", std::vector<std::uint8_t>{'p', 'r', 'e', 'v', 'i', 'e', 'w', 'i', 'm', 'g', 1})));
}
