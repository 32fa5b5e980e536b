// The pop-up's layered shadow (size, place in the z-order, following and hiding with its form,
// giving the chain back) and the unrolling opening animation with the house skin active.
#include "../framework/runtime_test_tempdir.h"
#include "skin_editors_test_popup.h"
#include "skin_graphics_test_pixels.h"
#include "skin_test_house_manager.h"
#include "sSkinManagerOptions.h"

#include <algorithm>

namespace {

// The box around the pixels of an image whose alpha is not 0 (empty when there are none).
TRect InkBox(TBitmap& image)
{
    TRect box(image.Width(), image.Height(), 0, 0);
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (Px(image, x, y) >> 24) {
                box.Left = std::min<LONG>(box.Left, x);
                box.Top = std::min<LONG>(box.Top, y);
                box.Right = std::max<LONG>(box.Right, x + 1);
                box.Bottom = std::max<LONG>(box.Bottom, y + 1);
            }
    return box.Left < box.Right ? box : TRect();
}

// Records the animation's command AC_POPUPSHOWING at the form's window, in the order of the
// layered calls: a subclass in front of the framework's procedure.
struct FrameCommand {
    size_t AfterCall; // number of layered calls recorded before it
    TacPopupFrame Frame;
};
std::vector<FrameCommand> g_commands;
WNDPROC g_formProc = nullptr;
size_t g_destroyAfter = 0; // the form's window is destroyed after this many commands (0: never)

LRESULT CALLBACK RecordCommands(HWND wnd, UINT msg, WPARAM w, LPARAM l)
{
    const bool command = msg == SM_ALPHACMD && AlphaCmdCode(w) == AC_POPUPSHOWING && l;
    if (command) g_commands.push_back({PopupLayeredCalls().size(), *reinterpret_cast<const TacPopupFrame*>(l)});
    const LRESULT result = CallWindowProcW(g_formProc, wnd, msg, w, l);
    if (command && g_commands.size() == g_destroyAfter) DestroyWindow(wnd);
    return result;
}

} // namespace

TEST_F(PopupTest, WithoutASkinTheShadowIs13PixelsLargerAndStandsDirectlyBehindTheForm)
{
    TForm* form = NewPopup();
    ShowBelow(form);
    TacShadowForm* shadow = HandlerOf(form)->ShadowForm;
    ASSERT_NE(shadow, nullptr);
    HWND shadowWnd = shadow->Handle();
    auto expectAround = [&](const char* when) {
        SCOPED_TRACE(when);
        RECT f{}, s{};
        GetWindowRect(form->Handle(), &f);
        GetWindowRect(shadowWnd, &s);
        EXPECT_EQ(TRect(s), TRect(f.left - 13, f.top - 13, f.right + 13, f.bottom + 13));
        EXPECT_TRUE(IsWindowVisible(shadowWnd));
        EXPECT_EQ(GetWindow(form->Handle(), GW_HWNDNEXT), shadowWnd) << "directly behind the form";
        EXPECT_TRUE(GetWindowLongPtrW(shadowWnd, GWL_EXSTYLE) & WS_EX_LAYERED);
        EXPECT_EQ(SendMessageW(shadowWnd, WM_NCHITTEST, 0, 0), HTTRANSPARENT);
    };
    expectAround("shown");

    // The image handed to the layered window: transparent at its outer corner, shadow near
    // the form's edge.
    const PopupLayeredCall* last = nullptr;
    for (const PopupLayeredCall& call : PopupLayeredCalls())
        if (call.Wnd == shadowWnd && call.Image) last = &call;
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->Size.cx, form->Width() + 26);
    EXPECT_EQ(last->Size.cy, form->Height() + 26);
    EXPECT_EQ(last->Alpha, 255);
    EXPECT_EQ(Px(*last->Image, 0, 0) >> 24, 0u);
    EXPECT_GT(Px(*last->Image, last->Size.cx / 2, last->Size.cy - 12) >> 24, 0u);

    // A composed picture of what a compositor would show: the shadow over a light background
    // with the form's own pixels on top.
    auto picture = Bmp32(last->Size.cx, last->Size.cy);
    for (int y = 0; y < picture->Height(); ++y)
        for (int x = 0; x < picture->Width(); ++x) {
            const Word s = Px(*last->Image, x, y);
            const Word a = s >> 24;
            auto channel = [&](int shift) {
                const Word bg = 0xF0;
                return (((s >> shift) & 0xFF) + bg * (255 - a) / 255) & 0xFF;
            };
            SetPx(*picture, x, y, 0xFF000000u | channel(16) << 16 | channel(8) << 8 | channel(0));
        }
    auto formPixels = CaptureWindow(form->Handle());
    BitBlt(picture->Canvas()->Handle(), 13, 13, form->Width(), form->Height(), formPixels->Canvas()->Handle(), 0, 0,
           SRCCOPY);
    GdiFlush();
    EXPECT_TRUE(SaveCapture(*picture, L"popup_shadow"));
    EXPECT_EQ(PixelOf(*picture, 13 + form->Width() / 2, 13 + form->Height() / 2), RGB(255, 255, 0));
    const COLORREF outer = PixelOf(*picture, picture->Width() / 2, picture->Height() - 1);
    const COLORREF inner = PixelOf(*picture, picture->Width() / 2, picture->Height() - 12);
    EXPECT_LT(GetGValue(inner), GetGValue(outer)) << "darker near the form";

    // It follows a move of the form.
    form->SetBounds(form->Left() + 30, form->Top() + 20, form->Width(), form->Height());
    expectAround("moved");

    // Hiding messages take it away; they still reach the form.
    SendMessageW(form->Handle(), WM_SHOWWINDOW, FALSE, 0);
    EXPECT_FALSE(IsWindowVisible(shadowWnd));
    EXPECT_TRUE(shadow->Locked);
    shadow->Locked = false;
    shadow->UpdateShadowPos();
    expectAround("shown again");
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(shadowWnd));
    EXPECT_FALSE(Shown(form)) << "the form closed as well";
}

TEST_F(PopupTest, KillShadowGivesTheChainBackAndIgnoresLaterUpdates)
{
    TForm* form = NewPopup();
    const TWndMethod formOwn = form->WindowProc;
    TacShadowForm* shadow = AttachShadowForm(form, true);
    EXPECT_FALSE(shadow->Locked);
    EXPECT_EQ(form->WindowProc, TWndMethod(shadow, &TacShadowForm::NewWndProc));
    EXPECT_EQ(shadow->OldWndProc, formOwn);

    shadow->SetNewPos(100, 100, 50, 40, 200);
    HWND wnd = shadow->Handle();
    EXPECT_TRUE(IsWindowVisible(wnd));
    EXPECT_EQ(shadow->FUserBlend, 200);
    const size_t calls = PopupLayeredCalls().size();
    // A frame of the animation without height only unlocks.
    shadow->Locked = true;
    TacPopupFrame empty{100, 100, 50, 0, 255};
    SendMessageW(form->Handle(), SM_ALPHACMD, MakeAlphaCmd(AC_POPUPSHOWING), reinterpret_cast<LPARAM>(&empty));
    EXPECT_FALSE(shadow->Locked);
    EXPECT_EQ(PopupLayeredCalls().size(), calls);

    shadow->KillShadow();
    EXPECT_EQ(form->WindowProc, formOwn);
    EXPECT_FALSE(IsWindowVisible(wnd));
    shadow->SetNewPos(100, 100, 50, 40, 255);
    EXPECT_EQ(PopupLayeredCalls().size(), calls) << "a killed shadow shows nothing";
    shadow->KillShadow(); // once only
    EXPECT_TRUE(PumpUntil([wnd] { return !IsWindow(wnd); })) << "released";
}

class PopupAnimationTest : public PopupTest {
protected:
    void SetUp() override
    {
        PopupTest::SetUp();
        manager = ActiveHouseSkinManager(dir.Path());
        ASSERT_TRUE(manager && manager->IsActive());
        ASSERT_TRUE(manager->Effects()->AllowAnimation());
        g_commands.clear();
        g_destroyAfter = 0;
    }
    void TearDown() override
    {
        Controller()->KillAllForms();
        manager.reset();
        PopupTest::TearDown();
    }

    TestTempDir dir;
    std::unique_ptr<TsSkinManager> manager;
};

TEST_F(PopupAnimationTest, TheFormUnrollsFromItsControlInAGrowingBandWithARisingAlpha)
{
    TForm* form = NewPopup(200, 120);
    form->HandleNeeded();
    g_formProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(form->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordCommands)));
    PopupLayeredCalls().clear();
    Controller()->ShowForm(form, ctrl, -1, -1, true);
    HWND formWnd = form->Handle();
    SetWindowLongPtrW(formWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_formProc));

    TacShadowForm* shadow = HandlerOf(form)->ShadowForm;
    ASSERT_NE(shadow, nullptr);
    HWND shadowWnd = shadow->Handle();
    // The cover: the first window the animation gives an image that is neither form nor shadow.
    HWND cover = nullptr;
    for (const PopupLayeredCall& call : PopupLayeredCalls())
        if (call.Wnd != shadowWnd && call.Wnd != formWnd) {
            cover = call.Wnd;
            break;
        }
    ASSERT_NE(cover, nullptr);
    std::vector<size_t> coverCalls;
    for (size_t i = 0; i < PopupLayeredCalls().size(); ++i)
        if (PopupLayeredCalls()[i].Wnd == cover) coverCalls.push_back(i);
    // The whole picture at alpha 0, 7 frames, the whole picture at full alpha.
    ASSERT_EQ(coverCalls.size(), 9u);
    ASSERT_EQ(g_commands.size(), 7u);
    const std::vector<int> alphas = {42, 85, 128, 170, 212, 255, 255}; // 255/6 a step, halves to even
    int lastHeight = -1, lastWidth = -1;
    for (size_t k = 0; k < 7; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        const PopupLayeredCall& frame = PopupLayeredCalls()[coverCalls[k + 1]];
        EXPECT_EQ(frame.Alpha, alphas[k]);
        ASSERT_TRUE(frame.Image);
        const TRect band = InkBox(*frame.Image);
        // Below its control the band grows down from the top edge, widening from the control's width.
        if (k > 0) {
            EXPECT_EQ(band.Top, 0);
            EXPECT_EQ(band.Left, 0);
            EXPECT_GT(band.Height(), lastHeight);
            EXPECT_GT(band.Width(), lastWidth);
        }
        lastHeight = band.Height();
        lastWidth = band.Width();
        // Each frame is followed by its command, naming the band and the alpha.
        const FrameCommand& command = g_commands[k];
        EXPECT_EQ(command.AfterCall, coverCalls[k + 1] + 1);
        EXPECT_EQ(command.Frame.Alpha, alphas[k]);
        EXPECT_EQ(command.Frame.Left, form->Left());
        EXPECT_EQ(command.Frame.Top, form->Top());
        EXPECT_EQ(command.Frame.Height, k == 0 ? 0 : static_cast<int>(band.Height()));
        EXPECT_EQ(command.Frame.Width, k == 0 ? ctrl->Width() : static_cast<int>(band.Width()));
    }
    EXPECT_EQ(PopupLayeredCalls()[coverCalls.front()].Alpha, 0);
    EXPECT_EQ(PopupLayeredCalls()[coverCalls.back()].Alpha, 255);
    EXPECT_EQ(InkBox(*PopupLayeredCalls()[coverCalls.back()].Image), TRect(0, 0, 200, 120));

    // Afterwards: the form layered with its blend, the cover gone, the flag down, the shadow
    // around the form.
    EXPECT_TRUE(GetWindowLongPtrW(formWnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(formWnd, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 255);
    EXPECT_FALSE(IsWindow(cover));
    EXPECT_FALSE(InAnimationProcess);
    EXPECT_TRUE(IsWindowVisible(formWnd));
    EXPECT_TRUE(IsWindowVisible(shadowWnd));
    EXPECT_FALSE(shadow->Locked);
    RECT f{}, s{};
    GetWindowRect(formWnd, &f);
    GetWindowRect(shadowWnd, &s);
    const TRect size = shadow->ShadowSize();
    EXPECT_EQ(TRect(s), TRect(f.left - size.Left, f.top - size.Top, f.right + size.Right, f.bottom + size.Bottom));
    EXPECT_EQ(size.Left, manager->CommonSkinData(96)->WndShadowSize) << "the skin's shadow size";
}

TEST_F(PopupAnimationTest, AFormWhoseWindowGoesDuringTheAnimationEndsItCleanly)
{
    TForm* form = NewPopup(200, 120);
    HWND formWnd = form->Handle();
    g_formProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(formWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordCommands)));
    g_destroyAfter = 3;
    PopupLayeredCalls().clear();
    Controller()->ShowForm(form, ctrl, -1, -1, true);

    EXPECT_EQ(g_commands.size(), 3u);
    EXPECT_FALSE(IsWindow(formWnd));
    EXPECT_FALSE(InAnimationProcess);
    EXPECT_EQ(Controller()->GetFormIndex(form), -1) << "detached by the window's end";
    for (const PopupLayeredCall& call : PopupLayeredCalls()) EXPECT_FALSE(IsWindowVisible(call.Wnd));
    EXPECT_FALSE(form->HandleAllocated());
}
