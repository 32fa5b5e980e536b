// Skinned edit: border and text geometry, the client margin, the cache (hint, password, disabled
// look), the glyph's clicks and repaints, selection events, commands and unskinned painting.
#include "skin_editors_test_edit.h"

#include "sGraphUtilsText.h"

namespace {

// The colour of a cache pixel (0x00BBGGRR).
COLORREF CachePixel(TsEdit* e, int x, int y)
{
    return GetPixel(e->SkinData()->FCacheBmp->Canvas()->Handle(), x, y) & 0xFFFFFF;
}

// Pixels in rect of bmp that differ from colour.
int Differing(TBitmap& bmp, const TRect& r, COLORREF colour)
{
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if ((GetPixel(bmp.Canvas()->Handle(), x, y) & 0xFFFFFF) != colour) ++n;
    return n;
}

LRESULT Command(TControl* c, WORD code, LPARAM lParam = 0) { return c->Perform(SM_ALPHACMD, MakeAlphaCmd(code, 0), lParam); }

TEST_F(EditTest, BorderWidthAndTextRectTables)
{
    Load();
    auto* e = Make<TsEdit>(TRect(10, 10, 130, 31));
    struct Border {
        TBorderStyle style;
        bool ctl3D;
        TBevelKind kind;
        int width;
    };
    for (const Border b : {Border{bsSingle, true, bkNone, 2}, {bsSingle, false, bkNone, 1}, {bsNone, true, bkNone, 0},
                           {bsSingle, true, bkFlat, 4}, {bsNone, false, bkTile, 2}}) {
        e->SetBorderStyle(b.style);
        e->SetCtl3D(b.ctl3D);
        e->SetBevelKind(b.kind);
        EXPECT_EQ(EditBorderWidth(e), b.width) << b.style << b.ctl3D << b.kind;
    }
    e->SetBevelKind(bkNone);
    e->SetBorderStyle(bsSingle);

    // 120 x 21; spacing 4 at 96 PPI, a 12-pixel glyph takes 14.
    struct Text {
        bool rtl, glyph, ctl3D;
        TRect rect;
    };
    for (const Text t : {Text{false, false, true, TRect(3, 3, 117, 19)}, {false, true, true, TRect(17, 3, 117, 19)},
                         {false, false, false, TRect(2, 2, 118, 20)}, {true, false, true, TRect(2, 3, 117, 19)},
                         {true, true, true, TRect(2, 3, 103, 19)}, {true, false, false, TRect(3, 2, 118, 20)}}) {
        e->SetBiDiMode(t.rtl ? bdRightToLeft : bdLeftToRight);
        e->SetCtl3D(t.ctl3D);
        e->AddedGlyph()->SetImages(t.glyph ? glyphs.get() : nullptr);
        e->AddedGlyph()->SetImageIndex(t.glyph ? 0 : -1);
        TRect r;
        EXPECT_EQ(Command(e, AC_GETTEXTRECT, reinterpret_cast<LPARAM>(&r)), 1);
        EXPECT_EQ(r, t.rect) << t.rtl << t.glyph << t.ctl3D;
    }
}

TEST_F(EditTest, PaddingAndVerticalAlignmentCarveTheClientArea)
{
    Load();
    auto* e = Make<TsEdit>(TRect(10, 10, 130, 40));
    const int h = e->Height(), t = GetFontHeight(e->Font()->Handle(), false);
    const TRect plain = e->ClientRect();
    e->SetVisible(false); // no paint in between
    e->Padding()->SetLeft(5);
    e->Padding()->SetTop(2);
    EXPECT_TRUE(e->SkinData()->CtrlSkinState & ACS_FRAMECHANGED) << "a margin change asks for a new frame";
    e->SetVisible(true);
    e->Update();
    Application->ProcessMessages();
    EXPECT_FALSE(e->SkinData()->CtrlSkinState & ACS_FRAMECHANGED) << "the paint recalculated it";
    EXPECT_EQ(e->AddedPadding(), TRect(5, 2, 0, 0));
    EXPECT_EQ(e->ClientRect().Width(), plain.Width() - 5);
    EXPECT_EQ(e->ClientRect().Height(), plain.Height() - 2);

    e->Padding()->SetLeft(0);
    e->Padding()->SetTop(0);
    e->SetVerticalAlignment(taVerticalCenter);
    SetWindowPos(e->Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    const int d = (h - t) / 2;
    EXPECT_EQ(e->AddedPadding(), TRect(0, d, 0, d)) << "centre: equal extra top and bottom";
    e->SetVerticalAlignment(taAlignBottom);
    SetWindowPos(e->Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    EXPECT_EQ(e->AddedPadding().Top, h - t);
}

TEST_F(EditTest, CacheShowsHintPasswordAndDisabledLook)
{
    Load();
    auto* e = Make<TsEdit>(TRect(10, 10, 150, 33));
    e->SetTextHint(L"WWWW");
    ASSERT_TRUE(e->PrepareCache());
    const TRect text = e->TextRect();
    auto darkIn = [&](const TRect& r) {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (GetRValue(CachePixel(e, x, y)) < 0xC0) ++n;
        return n;
    };
    EXPECT_GT(darkIn(text), 10) << "an empty unfocused edit shows its hint";
    e->SkinData()->FFocused = true;
    e->PrepareCache();
    EXPECT_EQ(darkIn(text), 0) << "a focused one shows nothing";
    e->SkinData()->FFocused = false;

    // One U+25CF per character for '*', the character itself otherwise: the ink of that text.
    auto inkWidth = [&] {
        int left = 10000, right = -1;
        for (int y = text.Top; y < text.Bottom; ++y)
            for (int x = text.Left; x < text.Right; ++x)
                if (GetRValue(CachePixel(e, x, y)) < 0x80) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return right - left + 1;
    };
    auto widthOf = [&](const UnicodeString& s) {
        e->SetText(s);
        e->PrepareCache();
        return inkWidth();
    };
    const int dots = widthOf(L"\x25CF\x25CF\x25CF");
    const int hashes = widthOf(L"###");
    ASSERT_NE(dots, hashes);
    e->SetText(L"abc");
    e->SetPasswordChar(L'*');
    e->PrepareCache();
    EXPECT_EQ(inkWidth(), dots);
    e->SetPasswordChar(L'#');
    e->PrepareCache();
    EXPECT_EQ(inkWidth(), hashes);

    const COLORREF enabledBg = CachePixel(e, text.Right - 3, text.Top + 2);
    e->SetEnabled(false);
    e->PrepareCache();
    EXPECT_NE(CachePixel(e, text.Right - 3, text.Top + 2), enabledBg) << "the disabled look blends the cache";
}

TEST_F(EditTest, GlyphHitTestClicksAndRepaints)
{
    Load();
    auto* e = Make<TsEdit>(TRect(10, 10, 150, 33));
    e->AddedGlyph()->SetImages(glyphs.get());
    e->AddedGlyph()->SetImageIndex(0);
    Application->ProcessMessages();
    RECT wr{};
    GetWindowRect(e->Handle(), &wr);
    const TRect g = e->AddedGlyphRect();
    const LPARAM onGlyph = MAKELPARAM(wr.left + g.Left + 3, wr.top + g.Top + 3);
    const LPARAM onText = MAKELPARAM(wr.left + 60, wr.top + 8);
    EXPECT_EQ(SendMessageW(e->Handle(), WM_NCHITTEST, 0, onGlyph), HTBORDER);
    EXPECT_EQ(SendMessageW(e->Handle(), WM_NCHITTEST, 0, onText), HTCLIENT);

    int clicks = 0, doubles = 0;
    e->OnClick = [&](TObject*) { ++clicks; };
    e->OnDblClick = [&](TObject*) { ++doubles; };
    SendMessageW(e->Handle(), WM_NCLBUTTONDOWN, HTBORDER, onGlyph);
    EXPECT_EQ(clicks, 0) << "not on button-down";
    SendMessageW(e->Handle(), WM_NCLBUTTONUP, HTBORDER, onGlyph);
    EXPECT_EQ(clicks, 1);
    SendMessageW(e->Handle(), WM_NCLBUTTONUP, HTBORDER, onGlyph);
    EXPECT_EQ(clicks, 1) << "the button went down elsewhere";
    SendMessageW(e->Handle(), WM_NCLBUTTONDBLCLK, HTBORDER, onGlyph);
    EXPECT_EQ(doubles, 1);

    // A glyph change repaints through the skin data: the cache is rendered again.
    e->Repaint();
    const COLORREF clean = CachePixel(e, 80, 10);
    SetPixel(e->SkinData()->FCacheBmp->Canvas()->Handle(), 80, 10, RGB(255, 0, 0));
    e->AddedGlyph()->SetBlend(50);
    EXPECT_EQ(CachePixel(e, 80, 10), clean);

    // Freeing the list clears it from the glyph.
    e->AddedGlyph()->SetImages(nullptr);
    auto* owned = new TImageList(form, 12, 12);
    e->AddedGlyph()->SetImages(owned);
    owned->FreeNotification(e);
    delete owned;
    EXPECT_EQ(e->AddedGlyph()->Images(), nullptr);
}

TEST_F(EditTest, SelectionChangedOnlyWhenTheSelectionMoved)
{
    Load();
    auto* e = Make<TsEdit>(TRect(10, 10, 150, 33));
    e->SetText(L"abcdef");
    e->SetFocus();
    int fired = 0;
    e->OnSelectionChanged = [&](TObject*) { ++fired; };
    SendMessageW(e->Handle(), EM_SETSEL, 0, 0);
    SendMessageW(e->Handle(), WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(fired, 1);
    SendMessageW(e->Handle(), WM_KEYUP, VK_RIGHT, 1);
    EXPECT_EQ(fired, 1) << "a key-up moves nothing";
    SendMessageW(e->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(fired, 1);
    SendMessageW(e->Handle(), WM_KEYDOWN, VK_END, 1);
    EXPECT_EQ(fired, 2);
    SendMessageW(e->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 5));
    SendMessageW(e->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(1, 5));
    EXPECT_EQ(fired, 3);
}

TEST_F(EditTest, CommandsAnswerTheirCodes)
{
    Load();
    auto* e = Make<TsEdit>(TRect(10, 10, 150, 33));
    EXPECT_EQ(Command(e, AC_GETSKININDEX), manager->SkinCommonInfo.Sections[ssEdit] + 1);
    EXPECT_EQ(Command(e, AC_GETDEFSECTION), 1);
    e->SkinData()->BGChanged = true;
    Command(e, AC_PREPARECACHE);
    EXPECT_FALSE(e->SkinData()->BGChanged) << "23 prepares the cache";
    e->SkinData()->CtrlSkinState &= ~ACS_FRAMECHANGED;
    Command(e, AC_SETPPI, 96);
    EXPECT_TRUE(e->SkinData()->CtrlSkinState & ACS_FRAMECHANGED);
    manager->SetActive(false);
    e->SetColor(static_cast<TColor>(0x123456));
    EXPECT_EQ(Command(e, AC_GETBGCOLOR), 0x123456);
}

TEST_F(EditTest, UnskinnedEditPaintsOnlyPaddingAndGlyph)
{
    auto* plain = new TEdit(form);
    plain->SetParent(form);
    plain->SetBounds(10, 10, 140, 23);
    plain->SetText(L"text");
    auto* e = Make<TsEdit>(TRect(10, 50, 150, 73));
    e->SetText(L"text");
    Application->ProcessMessages();
    auto a = Shown(plain);
    auto b = Shown(e);
    ASSERT_EQ(a->Width(), b->Width());
    int diff = 0;
    for (int y = 0; y < a->Height(); ++y)
        for (int x = 0; x < a->Width(); ++x)
            if (GetPixel(a->Canvas()->Handle(), x, y) != GetPixel(b->Canvas()->Handle(), x, y)) ++diff;
    EXPECT_EQ(diff, 0) << "no skin, padding or glyph: the platform edit's own pixels";

    e->SetColor(static_cast<TColor>(0x80FFFF));
    e->Padding()->SetTop(4);
    e->AddedGlyph()->SetImages(glyphs.get());
    e->AddedGlyph()->SetImageIndex(0);
    SetWindowPos(e->Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    auto c = Shown(e);
    SavePng(*c, L"sedit_unskinned_padding_glyph.png");
    EXPECT_EQ(Differing(*c, TRect(20, 2, 120, 6), 0x80FFFF), 0) << "the top padding strip in the edit's colour";
    const TRect g = e->AddedGlyphRect();
    EXPECT_EQ(GetPixel(c->Canvas()->Handle(), g.Left + 6, g.Top + g.Height() / 2) & 0xFFFFFF, 0u) << "the glyph";
}

TEST_F(EditTest, SkinnedCapturesFocusedAndNot)
{
    Load();
    auto* hint = Make<TsEdit>(TRect(10, 10, 170, 33));
    hint->SetTextHint(L"Search");
    hint->AddedGlyph()->SetImages(glyphs.get());
    hint->AddedGlyph()->SetImageIndex(0);
    auto* text = Make<TsEdit>(TRect(10, 50, 170, 73));
    text->SetText(L"Gateway 7");
    Application->ProcessMessages();
    auto unfocused = Shown(hint);
    SavePng(*unfocused, L"sedit_skinned_hint_glyph.png");
    EXPECT_EQ(GetPixel(unfocused->Canvas()->Handle(), hint->AddedGlyphRect().Left + 6, 11) & 0xFFFFFF, 0u);
    text->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return text->Focused(); }));
    auto focused = Shown(text);
    SavePng(*focused, L"sedit_skinned_focused.png");
    EXPECT_GT(Differing(*focused, TRect(4, 4, 60, 18), house_skin::kEditHotBG & 0xFFFFFF) +
                  Differing(*focused, TRect(4, 4, 60, 18), 0xFFFFFF),
              0);
}

} // namespace

namespace {

// With LabelFromTextHint, entering an empty edit turns its hint into the bound label; leaving it
// hides the label again; the no-floating-label bit keeps it off.
TEST_F(EditTest, TextHintFloatsIntoTheBoundLabel)
{
    Load();
    auto* other = Make<TsEdit>(TRect(10, 80, 150, 103));
    auto* e = Make<TsEdit>(TRect(10, 30, 150, 53));
    e->SetTextHint(L"Port");
    e->SetLabelFromTextHint(true);
    e->SkinData()->CtrlSkinState |= ACS_NOFLOATLABEL;
    e->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return e->Focused(); }));
    EXPECT_FALSE(e->BoundLabel()->Active());
    other->SetFocus();
    e->SkinData()->CtrlSkinState &= ~ACS_NOFLOATLABEL;
    e->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return e->BoundLabel()->Active(); }));
    EXPECT_EQ(e->BoundLabel()->Caption(), L"Port");
    other->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return other->Focused(); }));
    EXPECT_FALSE(e->BoundLabel()->Active()) << "leaving the empty edit hides the label";
}

} // namespace

namespace {

// Printing a skinned edit gives its cache: frame, background and text.
TEST_F(EditTest, PrintingGivesTheCachedLook)
{
    Load();
    auto* e = Make<TsEdit>(TRect(10, 10, 150, 33));
    e->SetText(L"Printed");
    Application->ProcessMessages();
    TBitmap bmp(e->Width(), e->Height(), pf32bit);
    e->Perform(WM_PRINT, reinterpret_cast<WPARAM>(bmp.Canvas()->Handle()), PRF_NONCLIENT | PRF_ERASEBKGND);
    GdiFlush();
    int differing = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if ((GetPixel(bmp.Canvas()->Handle(), x, y) & 0xFFFFFF) != CachePixel(e, x, y)) ++differing;
    EXPECT_EQ(differing, 0);
    EXPECT_FALSE(e->SkinData()->CtrlSkinState & ACS_FRAMECHANGED);
}

} // namespace
