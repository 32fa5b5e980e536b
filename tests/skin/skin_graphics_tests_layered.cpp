// The layered-window and DC-layout wrappers over the entries bound at start-up. Without a
// compositor nothing of a layered window can be read back from the screen: a recording entry
// takes the call, reads what it was given and passes it on to the system's function.
#include "skin_graphics_test_pixels.h"

#include "sGraphUtilsLayered.h"
#include "sGraphUtilsSystem.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

struct LayeredCall {
    HWND wnd = nullptr;
    HDC screen = nullptr;
    std::optional<POINT> pos;
    std::optional<SIZE> size;
    HDC source = nullptr;
    COLORREF sourcePixel = 0;
    std::optional<POINT> sourcePoint;
    COLORREF key = 0;
    std::optional<BLENDFUNCTION> blend;
    DWORD flags = 0;
    BOOL result = FALSE;
};

std::vector<LayeredCall> g_calls;
TUpdateLayeredWindow g_system = nullptr;
bool g_fail = false;

template <class T>
std::optional<T> Read(const T* p)
{
    return p ? std::optional<T>(*p) : std::nullopt;
}

BOOL WINAPI RecordUpdate(HWND wnd, HDC screen, POINT* pos, SIZE* size, HDC source, POINT* sourcePoint, COLORREF key,
                         BLENDFUNCTION* blend, DWORD flags)
{
    LayeredCall call{wnd, screen, Read(pos), Read(size), source, source ? GetPixel(source, 3, 2) : 0,
                     Read(sourcePoint), key, Read(blend), flags};
    call.result = g_fail ? FALSE : g_system(wnd, screen, pos, size, source, sourcePoint, key, blend, flags);
    g_calls.push_back(call);
    return call.result;
}

class SkinLayered : public ::testing::Test {
protected:
    void SetUp() override
    {
        sGraphUtilsInitialization();
        g_calls.clear();
        g_fail = false;
        g_system = acSystemEntries().UpdateLayeredWindow;
    }
    void TearDown() override { sGraphUtilsFinalization(); }
};

// A layered pop-up window, destroyed with the test.
struct LayeredWindow {
    LayeredWindow()
        : wnd(CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 20, 10, nullptr,
                              nullptr, nullptr, nullptr))
    {
    }
    ~LayeredWindow()
    {
        if (wnd) DestroyWindow(wnd);
    }
    HWND wnd;
};

} // namespace

TEST_F(SkinLayered, AvailabilityAndLayoutFollowTheBoundEntries)
{
    EXPECT_TRUE(acLayered());
    HDC dc = CreateCompatibleDC(nullptr);
    acSetLayout(dc, LAYOUT_RTL);
    EXPECT_EQ(acGetLayout(dc), static_cast<DWORD>(LAYOUT_RTL));
    EXPECT_EQ(GetLayout(dc), static_cast<DWORD>(LAYOUT_RTL));

    // Without the entries nothing is set, the layout reads 0 and layered windows are off.
    const TacSystemEntries bound = acReplaceSystemEntries({});
    EXPECT_FALSE(acLayered());
    EXPECT_EQ(acGetLayout(dc), 0u);
    acSetLayout(dc, 0);
    EXPECT_EQ(GetLayout(dc), static_cast<DWORD>(LAYOUT_RTL)) << "nothing set without the entry";
    auto bmp = Bmp32(4, 4);
    UpdateLayeredWnd(nullptr, bmp.get(), nullptr, nullptr, nullptr); // no entry: no call, no crash
    acReplaceSystemEntries(bound);
    DeleteDC(dc);
}

TEST_F(SkinLayered, UpdateLayeredWndHandsOverTheBitmapAndReleasesTheScreenDC)
{
    // Under Wine a screen DC that is not released is not handed out again.
    HDC held = GetDC(nullptr);
    HDC other = GetDC(nullptr);
    ASSERT_NE(held, other);
    ReleaseDC(nullptr, other);
    ReleaseDC(nullptr, held);

    TacSystemEntries entries = acSystemEntries();
    entries.UpdateLayeredWindow = &RecordUpdate;
    const TacSystemEntries bound = acReplaceSystemEntries(entries);

    LayeredWindow window;
    ASSERT_NE(window.wnd, nullptr);
    auto bmp = Bmp32(20, 10, Argb(128, 64, 0, 0)); // premultiplied half-transparent red
    SetPx(*bmp, 3, 2, Argb(255, 0, 0, 255));
    const TSize size(20, 10);
    const TPoint pos(100, 50);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 200, AC_SRC_ALPHA};
    UpdateLayeredWnd(window.wnd, bmp.get(), &size, &blend, &pos);
    g_fail = true;
    UpdateLayeredWnd(window.wnd, bmp.get(), nullptr, nullptr, nullptr);
    g_fail = false;
    UpdateLayeredWnd(window.wnd, bmp.get(), &size, &blend, &pos);
    UpdateLayeredWnd(window.wnd, nullptr, &size, &blend, &pos); // no bitmap: no call
    acReplaceSystemEntries(bound);

    ASSERT_EQ(g_calls.size(), 3u);
    const LayeredCall& first = g_calls[0];
    EXPECT_EQ(first.wnd, window.wnd);
    EXPECT_NE(first.screen, nullptr);
    ASSERT_TRUE(first.pos && first.size && first.blend && first.sourcePoint);
    EXPECT_EQ(TPoint(*first.pos), pos);
    EXPECT_EQ(TSize(*first.size), size);
    EXPECT_EQ(TPoint(*first.sourcePoint), TPoint(0, 0));
    EXPECT_EQ(first.blend->SourceConstantAlpha, 200);
    EXPECT_EQ(first.blend->AlphaFormat, AC_SRC_ALPHA);
    EXPECT_EQ(first.source, bmp->Canvas()->Handle());
    EXPECT_EQ(first.sourcePixel, static_cast<COLORREF>(RGB(0, 0, 255))) << "the bitmap is selected in the source DC";
    EXPECT_EQ(first.key, static_cast<COLORREF>(clNone));
    EXPECT_EQ(first.flags, static_cast<DWORD>(ULW_ALPHA));
    EXPECT_TRUE(first.result) << "the system takes the call";

    const LayeredCall& failed = g_calls[1];
    EXPECT_FALSE(failed.pos || failed.size || failed.blend) << "null pointers are passed on as null";
    EXPECT_FALSE(failed.result);
    // Each call got the screen DC back that the one before released, failed or not.
    EXPECT_EQ(failed.screen, first.screen);
    EXPECT_EQ(g_calls[2].screen, first.screen);
}
