#include "Graphics.h"
#include "graphics_test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A square icon of one colour whose top-left pixel is transparent (mask bit set).
HICON MakeIcon(int size, TColor color)
{
    TBitmap image(size, size, pf32bit);
    image.Canvas()->Brush()->SetColor(color);
    image.Canvas()->FillRect(Rect(0, 0, size, size));
    image.Canvas()->SetPixels(0, 0, clBlack);
    TBitmap mask(size, size, pf1bit);
    mask.Canvas()->Brush()->SetColor(clBlack);
    mask.Canvas()->FillRect(Rect(0, 0, size, size));
    mask.Canvas()->SetPixels(0, 0, clWhite);
    ICONINFO info{TRUE, 0, 0, mask.Handle(), image.Handle()};
    return ::CreateIconIndirect(&info);
}

std::vector<std::uint8_t> IcoBytes(TIcon& icon)
{
    TMemoryStream stream;
    icon.SaveToStream(stream);
    return {stream.Memory(), stream.Memory() + stream.Size()};
}

void Load(TIcon& icon, const std::vector<std::uint8_t>& bytes)
{
    TMemoryStream stream;
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<long long>(bytes.size()));
    stream.SetPosition(0);
    icon.LoadFromStream(stream);
}

// Colour at (x, y) after drawing icon at its own size onto green.
TColor DrawnPixel(TIcon& icon, int x, int y)
{
    TBitmap target(icon.Width(), icon.Height(), pf32bit);
    target.Canvas()->Brush()->SetColor(clGreen);
    target.Canvas()->FillRect(Rect(0, 0, target.Width(), target.Height()));
    target.Canvas()->Draw(0, 0, &icon);
    return ScanPixel(target, x, y);
}

// One ICO file holding the images of two single-image files.
std::vector<std::uint8_t> Merge(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    const size_t imageA = a.size() - 22, imageB = b.size() - 22;
    std::vector<std::uint8_t> out(6 + 32);
    out[2] = 1;
    out[4] = 2;
    std::memcpy(&out[6], &a[6], 16);
    std::memcpy(&out[22], &b[6], 16);
    const DWORD offsetA = 38, offsetB = static_cast<DWORD>(38 + imageA);
    std::memcpy(&out[6 + 12], &offsetA, 4);
    std::memcpy(&out[22 + 12], &offsetB, 4);
    out.insert(out.end(), a.begin() + 22, a.begin() + 22 + static_cast<long>(imageA));
    out.insert(out.end(), b.begin() + 22, b.begin() + 22 + static_cast<long>(imageB));
    return out;
}

} // namespace

TEST(Icon, HandleSavesAsIcoAndLoadsBack)
{
    TIcon icon;
    EXPECT_TRUE(icon.Empty());
    EXPECT_TRUE(icon.Transparent());
    icon.SetHandle(MakeIcon(24, clRed));
    EXPECT_EQ(icon.Width(), 24);
    EXPECT_EQ(icon.Height(), 24);
    const auto bytes = IcoBytes(icon);
    ASSERT_GT(bytes.size(), 22u);
    EXPECT_EQ(bytes[2], 1);  // icon resource type
    EXPECT_EQ(bytes[4], 1);  // one image
    EXPECT_EQ(bytes[6], 24);

    TIcon loaded;
    Load(loaded, bytes);
    EXPECT_FALSE(loaded.Empty());
    EXPECT_EQ(loaded.Width(), 24);
    EXPECT_EQ(loaded.Height(), 24);
    EXPECT_EQ(DrawnPixel(loaded, 5, 5), clRed);
    EXPECT_EQ(DrawnPixel(loaded, 0, 0), clGreen) << "masked pixel stays transparent";
    EXPECT_EQ(IcoBytes(loaded), bytes) << "loaded data are saved unchanged";

    TIcon copy;
    copy.Assign(&icon);
    EXPECT_NE(copy.Handle(), icon.Handle());
    EXPECT_EQ(DrawnPixel(copy, 5, 5), clRed);

    HICON owned = icon.Handle();
    icon.SetHandle(nullptr);
    ICONINFO info{};
    EXPECT_FALSE(::GetIconInfo(owned, &info)) << "the icon owns its handle";
    EXPECT_TRUE(icon.Empty());
}

TEST(Icon, PicksTheImageOfTheRequestedSize)
{
    TIcon small, large;
    small.SetHandle(MakeIcon(16, clRed));
    large.SetHandle(MakeIcon(32, clBlue));
    const auto both = Merge(IcoBytes(small), IcoBytes(large));

    TIcon icon;
    Load(icon, both);
    icon.SetSize(16, 16);
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_EQ(DrawnPixel(icon, 8, 8), clRed);
    icon.SetSize(32, 32);
    EXPECT_EQ(icon.Width(), 32);
    EXPECT_EQ(DrawnPixel(icon, 8, 8), clBlue);
    icon.SetSize(30, 30);  // nearest: the 32 image, scaled
    EXPECT_EQ(icon.Width(), 30);
    EXPECT_EQ(DrawnPixel(icon, 8, 8), clBlue);
    EXPECT_EQ(IcoBytes(icon), both);
}

TEST(Icon, InvalidIcoDataIsRejected)
{
    TIcon source;
    source.SetHandle(MakeIcon(16, clRed));
    const auto valid = IcoBytes(source);
    struct Case {
        const char* what;
        size_t offset;
        std::vector<std::uint8_t> patch;
        size_t truncateTo;
    };
    const Case cases[] = {
        {"cursor type", 2, {2, 0}, 0},
        {"no images", 4, {0, 0}, 0},
        {"reserved word", 0, {1, 0}, 0},
        {"image offset past the end", 18, {0xF0, 0xFF, 0xFF, 0x7F}, 0},
        {"image size past the end", 14, {0xFF, 0xFF, 0x00, 0x01}, 0},
        {"image inside the directory", 18, {4, 0, 0, 0}, 0},
        {"many directory entries", 4, {0xFF, 0xFF}, 0},
        {"truncated image", 0, {}, 100},
        {"truncated header", 0, {}, 4},
    };
    for (const auto& c : cases) {
        auto bytes = valid;
        std::copy(c.patch.begin(), c.patch.end(), bytes.begin() + static_cast<long>(c.offset));
        if (c.truncateTo) bytes.resize(c.truncateTo);
        TIcon icon;
        icon.SetHandle(MakeIcon(20, clBlue));
        EXPECT_THROW(Load(icon, bytes), EInvalidGraphic) << c.what;
        EXPECT_EQ(icon.Width(), 20) << c.what;
    }
}

TEST(Icon, LoadsIconResources)
{
    TIcon icon;
    icon.LoadFromResourceID(::GetModuleHandleW(L"user32.dll"), 32512);  // the application icon
    ASSERT_FALSE(icon.Empty());
    EXPECT_EQ(icon.Width(), ::GetSystemMetrics(SM_CXICON));
    TIcon missing;
    EXPECT_THROW(missing.LoadFromResourceName(nullptr, L"NO_SUCH_ICON"), EResNotFound);
}
