#pragma once
// Shared by the glow and fade tests: the house skin active, a recording layered-window entry
// (no compositor under Xvfb, so what a glow window shows is read from the image it was handed),
// and a small windowed test control with skin data whose cache shows one flat colour per state.
#include "../framework/controls_tests_widgets_support.h"
#include "acAnimation.h"
#include "acGlow.h"
#include "acThdTimer.h"
#include "sCommonData.h"
#include "sGraphUtilsSystem.h"
#include "sMessages.h"
#include "sVclUtils.h"
#include "skin_core_test_skinload.h"
#include "skin_graphics_test_pixels.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <vector>

// One UpdateLayeredWindow call (recorded, then passed on to the system): the window, its constant alpha, size, place and a copy of the
// image.
struct LayeredCall {
    HWND Wnd = nullptr;
    int Alpha = -1;
    SIZE Size{};
    POINT Pos{};
    bool HasPos = false;
    std::unique_ptr<TBitmap> Image;
};

inline std::vector<LayeredCall>& LayeredCalls()
{
    static std::vector<LayeredCall> calls;
    return calls;
}

inline BOOL WINAPI RecordLayered(HWND wnd, HDC screen, POINT* pos, SIZE* size, HDC source, POINT* sourcePoint,
                                 COLORREF key, BLENDFUNCTION* blend, DWORD flags)
{
    LayeredCall call;
    call.Wnd = wnd;
    call.Alpha = blend ? blend->SourceConstantAlpha : -1;
    call.HasPos = pos != nullptr;
    if (pos) call.Pos = *pos;
    if (size) call.Size = *size;
    if (size && source) {
        call.Image = CreateBmp32(size->cx, size->cy);
        BitBlt(call.Image->Canvas()->Handle(), 0, 0, size->cx, size->cy, source, 0, 0, SRCCOPY);
        GdiFlush();
    }
    LayeredCalls().push_back(std::move(call));
    // The system places and sizes the window.
    return UpdateLayeredWindow(wnd, screen, pos, size, source, sourcePoint, key, blend, flags);
}

// The pointer as the library reads it, placed by the test: its screen position and whether the
// left button is held. A scope replaces the library's pointer entries while it lives.
inline POINT gFakePointer{};
inline bool gFakeButtonHeld = false;

class TFakePointerScope {
public:
    TFakePointerScope()
    {
        gFakePointer = POINT{};
        gFakeButtonHeld = false;
        TacPointerEntries entries = acPointerEntries();
        entries.GetCursorPos = [](LPPOINT p) -> BOOL {
            *p = gFakePointer;
            return TRUE;
        };
        entries.GetAsyncKeyState = [](int key) -> SHORT {
            return key == VK_LBUTTON && gFakeButtonHeld ? SHORT(0x8000) : SHORT(0);
        };
        previous_ = acReplacePointerEntries(entries);
    }
    ~TFakePointerScope() { acReplacePointerEntries(previous_); }
    TFakePointerScope(const TFakePointerScope&) = delete;
    TFakePointerScope& operator=(const TFakePointerScope&) = delete;

private:
    TacPointerEntries previous_;
};

// The picture of every state of the test control (opaque flat colours).
inline constexpr std::array<Word, 3> kStateColor = {Argb(255, 200, 40, 40), Argb(255, 40, 200, 40),
                                                    Argb(255, 40, 40, 200)};

// A windowed control with skinned-control manners: its skin data's cache holds the picture of
// State, rebuilt on command 23; command 54 answers GlowColor (when set); WM_PAINT shows the
// cache. It also serves as a combo for the combo step routines.
class TFadeControl : public TCustomControl, public TacAnimatedCombo {
public:
    explicit TFadeControl(TComponent* owner) : TCustomControl(owner)
    {
        SkinData = std::make_unique<TsCtrlSkinData>(this, true);
    }
    ~TFadeControl() override { SkinData.reset(); }
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD) {
            Codes.push_back(AlphaCmdCode(message.WParam));
            switch (AlphaCmdCode(message.WParam)) {
            case AC_PREPARECACHE:
                PaintCache();
                message.Result = 0;
                return;
            case AC_GETGLOWCOLOR:
                if (GlowColor == clNone) {
                    message.Result = 0;
                } else {
                    *reinterpret_cast<TColor*>(message.LParam) = GlowColor;
                    message.Result = 1;
                }
                return;
            default: break;
            }
        }
        if (message.Msg == WM_PAINT && SkinData->FCacheBmp) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(Handle(), &ps);
            BitBlt(dc, 0, 0, Width(), Height(), SkinData->FCacheBmp->Canvas()->Handle(), 0, 0, SRCCOPY);
            EndPaint(Handle(), &ps);
            return;
        }
        TCustomControl::WndProc(message);
    }
    void PaintCache()
    {
        auto& cache = SkinData->FCacheBmp;
        cache->SetSize(Width(), Height());
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) SetPx(*cache, x, y, kStateColor[static_cast<size_t>(State)]);
        SkinData->BGChanged = false;
    }
    bool AllowBtnStyle() const override { return BtnStyle; }
    TRect ButtonRect() const override { return TRect(20, 4, 34, 18); }

    std::unique_ptr<TsCtrlSkinData> SkinData;
    std::vector<WORD> Codes;
    int State = 0;
    TColor GlowColor = clNone;
    bool BtnStyle = true;
};

inline Word Rgb(Word w) { return w & 0x00FFFFFFu; }

// The house skin active, recorded layered calls, and a shown form with one test control in the
// BUTTON section.
class EffectsTest : public SkinLoadTest {
protected:
    void SetUp() override
    {
        SkinLoadTest::SetUp();
        TacSystemEntries entries = acSystemEntries();
        entries.UpdateLayeredWindow = &RecordLayered;
        previous_ = acReplaceSystemEntries(entries);
        LayeredCalls().clear();
        Load();
        ASSERT_TRUE(manager && manager->IsActive());
        DefaultManager = manager.get();
        form = NewForm(200, 120);
        control = MakeControl(form, 20, 20);
        form->Show();
        PumpUntil([this] { return IsWindowVisible(form->Handle()) != FALSE; });
        data = control->SkinData.get();
        ASSERT_GE(data->SkinIndex, 0);
    }
    void TearDown() override
    {
        ClearGlows(false, false);
        delete form;
        form = nullptr;
        FadingForbidden = false;
        bGlowingDestroying = false;
        acReplaceSystemEntries(previous_);
        LayeredCalls().clear();
        SkinLoadTest::TearDown();
    }

    static TFadeControl* MakeControl(TWinControl* parent, int left, int top, const wchar_t* section = L"BUTTON")
    {
        auto* c = new TFadeControl(parent);
        c->SetParent(parent);
        c->SetBounds(left, top, 40, 24);
        c->SkinData->SetSkinSection(section);
        c->SkinData->COC = 93; // a button: its glow takes the given colour
        c->HandleNeeded();
        c->PaintCache();
        return c;
    }

    // The control's rectangle on screen.
    TRect ScreenRect(HWND wnd) const
    {
        RECT r{};
        GetWindowRect(wnd, &r);
        return TRect(r.left, r.top, r.right, r.bottom);
    }

    TForm* form = nullptr;
    TFadeControl* control = nullptr;
    TsCtrlSkinData* data = nullptr;

private:
    TacSystemEntries previous_;
};
