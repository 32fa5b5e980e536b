// Services the skin library builds on: scaling a form and its children to another pixel
// density, hooks on the application window, and the reading-order property.
#include "controls_test_classes.h"

#include <string>

using ControlScaling = ControlsTest;

TEST_F(ControlScaling, FormWithChildrenScalesBoundsClientAndOwnFontsOnly)
{
    for (const bool withWindows : {false, true}) {
        SCOPED_TRACE(withWindows ? "with windows" : "before the windows exist");
        TForm* form = NewForm(400, 300);
        form->Font()->SetHeight(-12);
        auto* panel = new TTestCustom(form); // parent font
        panel->SetParent(form);
        panel->SetBounds(10, 20, 100, 50);
        auto* label = new TTestGraphic(panel); // own font, odd values: halves round away from zero
        label->SetParent(panel);
        label->SetBounds(3, 5, 21, 33);
        label->Font()->SetHeight(-11);
        auto* bar = new TTestCustom(form); // aligned: laid out in the scaled client area
        bar->SetParent(form);
        bar->SetHeight(30);
        bar->SetAlign(alBottom);
        if (withWindows) form->HandleNeeded();
        const TRect client = form->ClientRect();
        const int frameWidth = form->Width() - client.Width();

        form->ChangeScale(144, 96);

        EXPECT_EQ(form->Left(), 75);
        EXPECT_EQ(form->Top(), 75);
        EXPECT_EQ(form->ClientWidth(), MulDiv(client.Width(), 144, 96));
        EXPECT_EQ(form->ClientHeight(), MulDiv(client.Height(), 144, 96));
        EXPECT_EQ(form->Width() - form->ClientWidth(), frameWidth) << "the window frame keeps its size";
        EXPECT_EQ(form->Font()->Height(), -18);
        EXPECT_EQ(panel->BoundsRect(), Bounds(15, 30, 150, 75));
        EXPECT_TRUE(panel->ParentFont());
        EXPECT_EQ(panel->Font()->Height(), -18) << "follows the form's scaled font, not scaled twice";
        EXPECT_EQ(label->BoundsRect(), Bounds(5, 8, 32, 50));
        EXPECT_FALSE(label->ParentFont());
        EXPECT_EQ(label->Font()->Height(), -17);
        EXPECT_EQ(bar->BoundsRect(), Bounds(0, form->ClientHeight() - 45, form->ClientWidth(), 45));
        if (withWindows) {
            RECT r{};
            GetWindowRect(panel->Handle(), &r);
            MapWindowPoints(HWND_DESKTOP, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
            EXPECT_EQ(TRect(r), Bounds(15, 30, 150, 75)) << "the child window itself moved";
        }

        form->ChangeScale(96, 144);
        EXPECT_EQ(panel->BoundsRect(), Bounds(10, 20, 100, 50));
        EXPECT_EQ(form->ClientWidth(), client.Width());
        EXPECT_EQ(form->Font()->Height(), -12);
        form->ChangeScale(144, 0);
        EXPECT_EQ(panel->BoundsRect(), Bounds(10, 20, 100, 50)) << "no divisor: nothing changes";
        delete form;
    }
}

namespace {
class HookRecorder : public TObject {
public:
    explicit HookRecorder(std::vector<std::wstring>& log) : log_(log) {}
    bool A(TMessage& m) { return Record(L"A", m); }
    bool B(TMessage& m) { return Record(L"B", m); }
    bool C(TMessage& m) { return Record(L"C", m); }
    UINT handles = 0; // B answers this message with 7
    TWindowHook unhookFromA;

private:
    bool Record(const wchar_t* name, TMessage& m)
    {
        if (m.Msg < WM_APP) return false;
        log_.push_back(name + std::to_wstring(m.Msg - WM_APP));
        if (*name == L'A' && unhookFromA) Application->UnhookMainWindow(unhookFromA);
        if (*name == L'B' && m.Msg == handles) {
            m.Result = 7;
            return true;
        }
        return false;
    }
    std::vector<std::wstring>& log_;
};
} // namespace

using MainWindowHooks = ControlsTest;

TEST_F(MainWindowHooks, SeeMessagesInHookOrderUntilOneHandlesIt)
{
    std::vector<std::wstring> log;
    HookRecorder r(log);
    r.handles = WM_APP + 2;
    HWND window = Application->Handle();
    Application->HookMainWindow(TWindowHook(&r, &HookRecorder::A));
    Application->HookMainWindow(TWindowHook(&r, &HookRecorder::B));
    Application->HookMainWindow(TWindowHook(&r, &HookRecorder::C));
    Application->HookMainWindow(TWindowHook(&r, &HookRecorder::A)); // already hooked

    EXPECT_EQ(SendMessageW(window, WM_APP + 1, 0, 0), 0);
    EXPECT_EQ(SendMessageW(window, WM_APP + 2, 0, 0), 7);
    PostMessageW(window, WM_APP + 3, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= 8; }));
    EXPECT_EQ(log, (std::vector<std::wstring>{L"A1", L"B1", L"C1", L"A2", L"B2", L"A3", L"B3", L"C3"}));

    log.clear();
    EXPECT_TRUE(Application->IsMainWindowHooked(TWindowHook(&r, &HookRecorder::B)));
    Application->UnhookMainWindow(TWindowHook(&r, &HookRecorder::B));
    EXPECT_FALSE(Application->IsMainWindowHooked(TWindowHook(&r, &HookRecorder::B)));
    EXPECT_EQ(SendMessageW(window, WM_APP + 2, 0, 0), 0) << "no longer handled";
    r.unhookFromA = TWindowHook(&r, &HookRecorder::C); // a hook unhooking the next one
    SendMessageW(window, WM_APP + 4, 0, 0);
    SendMessageW(window, WM_APP + 5, 0, 0);
    Application->UnhookMainWindow(TWindowHook(&r, &HookRecorder::A));
    SendMessageW(window, WM_APP + 6, 0, 0);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"A2", L"C2", L"A4", L"A5"}));
}

using BiDiModeProperty = ControlsTest;

TEST_F(BiDiModeProperty, ChangeIsAnnouncedOnceAndAnUnchangedValueNotAtAll)
{
    TForm* form = NewForm();
    auto* windowed = new TTestCustom(form);
    windowed->SetParent(form);
    auto* windowless = new TTestGraphic(form);
    windowless->SetParent(form);
    form->HandleNeeded();
    for (TControl* control : {static_cast<TControl*>(windowed), static_cast<TControl*>(windowless)}) {
        SCOPED_TRACE(control->ClassName().c_str());
        EXPECT_EQ(control->BiDiMode(), bdLeftToRight);
        MessageSpy spy(control);
        control->SetBiDiMode(bdRightToLeft);
        control->SetBiDiMode(bdRightToLeft);
        EXPECT_EQ(control->BiDiMode(), bdRightToLeft);
        EXPECT_EQ(spy.Count(CM_BIDIMODECHANGED), 1);
        control->SetBiDiMode(bdRightToLeftReadingOnly);
        EXPECT_EQ(spy.Count(CM_BIDIMODECHANGED), 2);
    }
    EXPECT_EQ(form->BiDiMode(), bdLeftToRight) << "the parent is not touched";

    EXPECT_EQ(Application->BiDiMode(), bdLeftToRight);
    Application->SetBiDiMode(bdRightToLeftNoAlign);
    EXPECT_EQ(Application->BiDiMode(), bdRightToLeftNoAlign);
}
