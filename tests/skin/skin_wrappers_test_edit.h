#pragma once
// Support of the edit and list-view wrapper tests: the house skin with its scroll and column-header
// sections, a foreign child window of any class wrapped through a wrapper factory (recorder
// installed before), and the predicates over captures: the skinned border band, bars painted in
// skin colours only.
#include "skin_wrappers_test_scrollwnd.h"

#include "acSBUtilsEdit.h"
#include "acSBUtilsListView.h"

#include <set>
#include <string>

// A colour of the house skin's images (0xRRGGBB) as a GDI colour; the colours of its options are
// TColor values already.
inline COLORREF HouseRgb(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// A foreign child window of a top-level recording parent, wrapped by a factory of the kind table.
class ForeignWrapped {
public:
    ForeignWrapped(const wchar_t* cls, DWORD style, DWORD exStyle = WS_EX_CLIENTEDGE,
                   const RECT& bounds = {10, 10, 230, 170}, const wchar_t* text = L"")
        : parent_(nullptr, RECT{40, 40, 440, 340})
    {
        Handle = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, bounds.left, bounds.top,
                                 bounds.right - bounds.left, bounds.bottom - bounds.top, parent_.Handle(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        Recorder = std::make_unique<RecordingSubclass>(Handle);
    }
    ~ForeignWrapped()
    {
        if (GetCapture() == Handle) ReleaseCapture();
        for (UINT_PTR id : {kHoverTimerId, kFirstRepeatTimerId, kRepeatTimerId}) KillTimer(Handle, id);
        Unwrap();
        Recorder.reset();
        DestroyWindow(Handle);
    }
    ForeignWrapped(const ForeignWrapped&) = delete;
    ForeignWrapped& operator=(const ForeignWrapped&) = delete;

    void Wrap(TacWrapperFactory factory, TsSkinManager* manager, const UnicodeString& section = {})
    {
        TacSkinParams params;
        params.SkinSection = section;
        sw = static_cast<TacScrollWnd*>(factory(Handle, nullptr, manager, params, true));
    }
    void Unwrap() { UninitializeACScroll(Handle, true, false, sw); }
    TacEditWnd* Edit() const { return dynamic_cast<TacEditWnd*>(sw); }
    RecordingWindow& Parent() { return parent_; }

    HWND Handle = nullptr;
    std::unique_ptr<RecordingSubclass> Recorder;
    TacScrollWnd* sw = nullptr;

private:
    RecordingWindow parent_;
};

// Every colour (GDI) the house skin's scroll elements paint with.
inline const std::set<COLORREF>& ScrollGdiColours()
{
    static const std::set<COLORREF> colours = [] {
        std::set<COLORREF> s;
        for (const auto* list : {&house_skin::kScrollBar1H, &house_skin::kScrollBar2H, &house_skin::kScrollBar1V,
                                 &house_skin::kScrollBar2V, &house_skin::kScrollBtn, &house_skin::kScrollBtnArrow,
                                 &house_skin::kScrollSlider})
            for (std::uint32_t c : *list) s.insert(static_cast<COLORREF>(c));
        return s;
    }();
    return colours;
}

// The first pixel of the shown bars and their corner box (window coordinates of the capture) in
// no scroll colour, or an empty string.
inline std::string ForeignBarPixel(TacScrollWnd* sw, HWND wnd, TBitmap& shot)
{
    RECT window{};
    GetWindowRect(wnd, &window);
    std::vector<TRect> areas;
    TRect h, v;
    const bool hasH = GetScrollRect(sw, SB_HORZ, wnd, h) && sw->sBarHorz->fScrollVisible;
    const bool hasV = GetScrollRect(sw, SB_VERT, wnd, v) && sw->sBarVert->fScrollVisible;
    if (hasH) areas.push_back(h);
    if (hasV) areas.push_back(v);
    if (hasH && hasV) areas.push_back(TRect(v.Left, h.Top, v.Right, h.Bottom));
    for (TRect r : areas) {
        r.Offset(-window.left, -window.top);
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (!ScrollGdiColours().count(PixelOf(shot, x, y))) {
                    char text[96];
                    snprintf(text, sizeof text, "(%d,%d) is %06lX", x, y, static_cast<unsigned long>(PixelOf(shot, x, y)));
                    return text;
                }
    }
    return {};
}

// The house skin with its scroll sections and the column header.
class EditWrapperTest : public ScrollWndTest {
protected:
    void SetUp() override
    {
        ScrollBarTest::SetUp();
        house_skin::Options o;
        o.withScrollBars = true;
        o.withColHeader = true;
        Load(o);
        ASSERT_TRUE(manager && manager->IsActive());
    }
};
