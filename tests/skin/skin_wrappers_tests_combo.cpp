// Combo-box wrappers on Wine's combo box: where the button lies by style, mode and reading order,
// the drop-down list wrapped on its first colour request (one brush, a flat frame in the border
// colour, one pixel wider, layered), the button painted pressed while dropped, and the list given
// its border back and freed when the skin goes.
#include "skin_graphics_test_png.h"
#include "skin_wrappers_test_edit.h"

#include "PumpUntil.h"
#include "acSBUtilsCombo.h"
#include "acntUtils.h"
#include "sGraphUtilsLayered.h"
#include "sCommonData.h"
#include "sMessages.h"
#include "sSkinManager.h"

namespace {

class ComboWrapperTest : public EditWrapperTest {
protected:
    static HWND ListOf(HWND combo)
    {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(combo, &info);
        return info.hwndList;
    }
    static std::unique_ptr<ForeignWrapped> NewCombo(DWORD style, DWORD exStyle = 0)
    {
        auto f = std::make_unique<ForeignWrapped>(L"COMBOBOX", style | WS_VSCROLL, exStyle, RECT{10, 10, 190, 200});
        for (int i = 0; i < 30; ++i)
            SendMessageW(f->Handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>((L"item " + std::to_wstring(i)).c_str()));
        SendMessageW(f->Handle, CB_SETCURSEL, 0, 0);
        return f;
    }
};

TEST_F(ComboWrapperTest, TheButtonRectangleByStyleModeAndReadingOrder)
{
    const int size = GetComboBtnSize(manager.get(), 96);
    const int margin = manager->CommonSkinData(96)->ComboBoxMargin;
    struct Case {
        const char* Name;
        DWORD Style, ExStyle;
        bool Dialog;
        int Width;
        bool Left;
    };
    const Case cases[] = {
        {"drop-down", CBS_DROPDOWN, 0, false, size + 1, false},
        {"drop-down list in dialog mode", CBS_DROPDOWNLIST, 0, true, size + 1, false},
        {"drop-down in dialog mode", CBS_DROPDOWN, 0, true, size, false},
        {"simple in dialog mode", CBS_SIMPLE, 0, true, 0, false},
        {"right-to-left reading", CBS_DROPDOWNLIST, WS_EX_RTLREADING, false, size + 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto f = NewCombo(c.Style, c.ExStyle);
        f->Wrap(&WrapperFactory<TacComboBoxWnd>, manager.get(), L"COMBOBOX");
        auto* combo = dynamic_cast<TacComboBoxWnd*>(f->sw);
        ASSERT_NE(combo, nullptr);
        combo->DlgMode = c.Dialog;
        RECT w{};
        GetWindowRect(f->Handle, &w);
        const TRect r = combo->ButtonRect();
        EXPECT_EQ(r.Width(), c.Width);
        EXPECT_EQ(r.Left, c.Left ? margin : (w.right - w.left) - c.Width - margin);
        EXPECT_EQ(r.Top, margin);
        EXPECT_EQ(r.Bottom, (w.bottom - w.top) - margin);
    }
}

TEST_F(ComboWrapperTest, TheDropDownListIsWrappedOnceAndGivenBack)
{
    auto f = NewCombo(CBS_DROPDOWNLIST);
    f->Wrap(&WrapperFactory<TacComboBoxWnd>, manager.get(), L"COMBOBOX");
    auto* combo = dynamic_cast<TacComboBoxWnd*>(f->sw);
    ASSERT_NE(combo, nullptr);
    RedrawWindow(f->Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
    auto closed = PrintCapture(f->Handle);
    SaveEnlargedPng(*closed, L"combo_closed.png", 2);

    const HWND list = ListOf(f->Handle);
    ASSERT_NE(list, nullptr);
    // A combo box opens its list only while it has the focus.
    SetForegroundWindow(f->Parent().Handle());
    SetFocus(f->Handle);
    SendMessageW(f->Handle, CB_SHOWDROPDOWN, TRUE, 0);
    PumpUntil([&] { return IsWindowVisible(list) && combo->ListSW != nullptr; }, 2000);
    ASSERT_TRUE(IsWindowVisible(list));
    ASSERT_GT(f->Recorder->Log.Count(WM_CTLCOLORLISTBOX), 0);
    ASSERT_NE(combo->ListSW, nullptr);
    RECT before{};
    GetWindowRect(list, &before);
    EXPECT_EQ(combo->FListHandle, list);
    auto* listSW = dynamic_cast<TacComboListWnd*>(combo->ListSW);
    ASSERT_NE(listSW, nullptr);
    EXPECT_FALSE(listSW->SimplyBox);
    EXPECT_TRUE(listSW->KeepsCaptureOnButtonUp());
    EXPECT_EQ(listSW->FrameColor, manager->Palette[pcBorder]);
    EXPECT_EQ((GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_LAYERED) != 0, IsWinVistaUp() && acLayered());

    // The colour answer is one brush, asked again and again.
    HDC dc = GetDC(list);
    const LRESULT first = SendMessageW(f->Handle, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(list));
    const LRESULT second = SendMessageW(f->Handle, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(list));
    ReleaseDC(list, dc);
    EXPECT_NE(first, 0);
    EXPECT_EQ(first, second);
    EXPECT_EQ(combo->ListSW, listSW) << "wrapped once";

    // The list's frame is one pixel of the border colour; the button is pressed while dropped.
    auto shot = PrintCapture(list);
    SaveEnlargedPng(*shot, L"combo_list.png", 2);
    EXPECT_EQ(PixelOf(*shot, 0, shot->Height() / 2), static_cast<COLORREF>(ColorToRGB(listSW->FrameColor)));
    HDC wdc = GetWindowDC(f->Handle);
    combo->PaintButton(wdc);
    ReleaseDC(f->Handle, wdc);
    auto dropped = PrintCapture(f->Handle);
    SaveEnlargedPng(*dropped, L"combo_dropped.png", 2);

    SendMessageW(f->Handle, CB_SHOWDROPDOWN, FALSE, 0);
    SendMessageW(f->Handle, SM_ALPHACMD, MakeAlphaCmd(AC_REMOVESKIN, 0), reinterpret_cast<LPARAM>(manager.get()));
    EXPECT_EQ(combo->ListSW, nullptr);
    EXPECT_EQ(combo->FListHandle, nullptr);
    EXPECT_NE(GetWindowLongPtrW(list, GWL_STYLE) & WS_BORDER, 0);
    EXPECT_EQ(Ac_GetScrollWndFromHwnd(list), nullptr);
}

} // namespace

namespace {

TEST_F(ComboWrapperTest, OwnerDrawnItemsTakeTheListColourOrTheSelection)
{
    auto f = NewCombo(CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS);
    f->Wrap(&WrapperFactory<TacComboBoxWnd>, manager.get(), L"COMBOBOX");
    auto* combo = dynamic_cast<TacComboBoxWnd*>(f->sw);
    ASSERT_NE(combo, nullptr);
    const TsGeneralData& edit = manager->CommonSkinData(96)->gd[static_cast<size_t>(manager->GetSkinIndex(L"EDIT"))];
    for (bool selected : {false, true}) {
        SCOPED_TRACE(selected ? "selected" : "not selected");
        TBitmap bmp(120, 20, pf32bit);
        combo->DrawItem(3, TRect(0, 0, 120, 20), selected ? ODS_SELECTED : 0, bmp.Canvas()->Handle());
        const COLORREF corner = PixelOf(bmp, 119, 0);
        if (selected)
            EXPECT_TRUE(corner == house_skin::kSelectionBG || corner == house_skin::kSelectionFocusedBG)
                << std::hex << corner;
        else
            EXPECT_EQ(corner, static_cast<COLORREF>(ColorToRGB(edit.Props[0].Color)));
        // The text starts two pixels in: nothing of it in the first two columns.
        int inked = 0;
        for (int x = 0; x < 40; ++x)
            for (int y = 0; y < 20; ++y) inked += PixelOf(bmp, x, y) != PixelOf(bmp, 119, 0);
        EXPECT_GT(inked, 0);
        for (int y = 0; y < 20; ++y) EXPECT_EQ(PixelOf(bmp, 1, y), PixelOf(bmp, 119, 0));
    }
}

} // namespace
