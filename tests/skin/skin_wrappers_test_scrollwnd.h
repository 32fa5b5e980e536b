#pragma once
// Support of the scrolling wrapper tests: a child window of any class in a top-level recording
// parent, with a recorder installed before any wrapper and the skin data a skinned control would
// give its TacBaseWnd (bars of a given thickness).
#include "skin_wrappers_test_scrollbar.h"

#include "acScrollWnd.h"
#include "sVclUtils.h"

// A child window of a top-level recording parent, with a recorder installed before any wrapper
// and the skin data a skinned control would give its wrapper.
class Wrapped {
public:
    Wrapped(TsSkinManager* manager, const wchar_t* cls, DWORD style, DWORD exStyle = WS_EX_CLIENTEDGE,
            const RECT& bounds = {10, 10, 230, 170}, BYTE coc = 0, int thickness = 24,
            const RECT& parentBounds = {40, 40, 440, 340})
        : manager_(manager), parent_(nullptr, parentBounds)
    {
        Handle = CreateWindowExW(exStyle, cls ? cls : RecordingWindow::ClassName(), L"", WS_CHILD | WS_VISIBLE | style,
                                 bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                                 parent_.Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        Recorder = std::make_unique<RecordingSubclass>(Handle);
        Data = std::make_unique<TsScrollWndData>(nullptr, true);
        Data->SetSkinManager(manager);
        Data->SetSkinSection(L"EDIT");
        Data->COC = coc;
        // Bars of another thickness than the system's, so their room and paint can be told apart.
        Data->FHorzScrollData->FScrollWidth = thickness;
        Data->FVertScrollData->FScrollWidth = thickness;
        Data->UpdateIndexes(true);
    }
    ~Wrapped()
    {
        if (GetCapture() == Handle) ReleaseCapture();
        for (UINT_PTR id : {kHoverTimerId, kFirstRepeatTimerId, kRepeatTimerId}) KillTimer(Handle, id);
        UninitializeACScroll(Handle, true, false, sw);
        Recorder.reset();
        DestroyWindow(Handle);
    }
    Wrapped(const Wrapped&) = delete;
    Wrapped& operator=(const Wrapped&) = delete;

    void Wrap() { sw = CreateWrapper<TacBaseWnd>(Handle, Data.get(), manager_, TacSkinParams(), true); }
    TacScrollBar* Bar(int bar) const { return bar == SB_HORZ ? sw->sBarHorz.get() : sw->sBarVert.get(); }
    TRect ScreenRect(int bar) const
    {
        TRect r;
        GetScrollRect(sw, bar, Handle, r);
        return r;
    }
    TRect Client() const
    {
        RECT r{};
        GetClientRect(Handle, &r);
        return TRect(r.left, r.top, r.right, r.bottom);
    }
    // The client's rectangle on the screen.
    TRect ClientOnScreen() const
    {
        RECT r{};
        GetClientRect(Handle, &r);
        MapWindowPoints(Handle, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return TRect(r.left, r.top, r.right, r.bottom);
    }
    LPARAM ClientAt(int x, int y) const
    {
        POINT p{x, y};
        ScreenToClient(Handle, &p);
        return MAKELPARAM(static_cast<short>(p.x), static_cast<short>(p.y));
    }
    LONG_PTR Style() const { return GetWindowLongPtrW(Handle, GWL_STYLE); }
    LRESULT Command(WORD code, LPARAM lParam = 0, WORD low = 0) const
    {
        // Delivered as the library's own senders deliver, so pointer arguments count.
        const TacOwnSend own;
        return SendMessageW(Handle, SM_ALPHACMD, MakeAlphaCmd(code, low), lParam);
    }

    HWND Handle = nullptr;
    std::unique_ptr<RecordingSubclass> Recorder;
    std::unique_ptr<TsScrollWndData> Data;
    TacScrollWnd* sw = nullptr;
    RecordingWindow& Parent() { return parent_; }

private:
    TsSkinManager* manager_;
    RecordingWindow parent_;
};

inline LPARAM At(int x, int y) { return MAKELPARAM(static_cast<short>(x), static_cast<short>(y)); }

class ScrollWndTest : public ScrollBarTest {
protected:
    void SetUp() override
    {
        ScrollBarTest::SetUp();
        LoadScrollSkin();
    }
    void TearDown() override
    {
        SetCursorPos(0, 0);
        Ac_InitializeFlatSB = nullptr;
        Ac_UninitializeFlatSB = nullptr;
        ScrollBarTest::TearDown();
    }
};

