// The library command message: direct calls of a skinned control's stored window procedure,
// SendMessageW for every other window, and the broadcasts through control trees and windows.
#include "../framework/controls_test_support.h"
#include "ExtCtrls.h"
#include "sCommonData.h"
#include "sMessages.h"
#include "sVclUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

// Names of the receivers of library commands, in delivery order.
std::vector<std::string>& Deliveries()
{
    static std::vector<std::string> log;
    return log;
}

// Library commands that travelled as window messages, by window.
std::map<HWND, int>& WindowMessages()
{
    static std::map<HWND, int> counts;
    return counts;
}

LRESULT CALLBACK CountWindowMessages(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == SM_ALPHACMD) ++WindowMessages()[sent->hwnd];
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A control class that logs the library commands it handles under its name.
template <class Base>
class TRecorded : public Base {
public:
    TRecorded(TWinControl* parent, std::string name) : Base(parent), name_(std::move(name))
    {
        if (parent) this->SetParent(parent);
    }
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) != AC_CTRLHANDLED) {
            Deliveries().push_back(name_);
            if (OnCommand) OnCommand(message);
        }
        Base::WndProc(message);
    }
    std::function<void(TMessage&)> OnCommand;

private:
    std::string name_;
};

// Stands in for a skinned control: keeps skin data on its window and answers the
// handled-control command itself.
class TSkinnedCtl : public TCustomControl {
public:
    explicit TSkinnedCtl(TWinControl* parent) : TCustomControl(parent)
    {
        SetControlStyle(ControlStyle() << csAcceptsControls);
        if (parent) SetParent(parent);
        SetBounds(0, 0, 40, 20);
    }
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD) {
            ++handled;
            Deliveries().push_back("skinned");
            if (AlphaCmdCode(message.WParam) == AC_CTRLHANDLED) {
                message.Result = 1;
                message.LParam = SkinData.SkinIndex >= 0 ? 1 : 0;
                return;
            }
        }
        TCustomControl::WndProc(message);
    }
    TsCommonData SkinData{this};
    int handled = 0;

protected:
    void CreateWnd() override
    {
        TCustomControl::CreateWnd();
        SkinData.InitCommonProp();
    }
};

class SkinMessages : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        Deliveries().clear();
        WindowMessages().clear();
        hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &CountWindowMessages, nullptr, GetCurrentThreadId());
        form = NewForm();
        edit = new TRecorded<TEdit>(form, "edit");
        skinned = new TSkinnedCtl(form);
        form->Show();
        ASSERT_TRUE(PumpUntil([&] { return skinned->HandleAllocated() && IsWindowVisible(form->Handle()); }));
    }
    void TearDown() override
    {
        UnhookWindowsHookEx(hook_);
        InAnimationProcess = false;
        ControlsTest::TearDown();
    }
    static TMessage Command(WORD code) { return TMessage{SM_ALPHACMD, MakeAlphaCmd(code), 0, 0}; }

    TForm* form = nullptr;
    TRecorded<TEdit>* edit = nullptr;
    TSkinnedCtl* skinned = nullptr;

private:
    HHOOK hook_ = nullptr;
};

} // namespace

TEST_F(SkinMessages, DeliveryChoosesTheStoredProcedureOnlyForLiveSkinDataOfThisProcess)
{
    auto* unparented = new TSkinnedCtl(nullptr); // windowed, never given a window
    auto* graphic = new TRecorded<TGraphicControl>(form, "graphic");
    TWinControl dying(nullptr);
    dying.SetParent(form);
    dying.HandleNeeded();
    dying.Destroying();

    // Plain EDIT windows carrying an "ACSDATA" value that is no live skin data: one points at
    // something else, one at skin data that is gone.
    auto* foreign = new TRecorded<TEdit>(form, "foreign");
    auto* stale = new TRecorded<TEdit>(form, "stale");
    int notSkinData = 0;
    SetPropW(foreign->Handle(), L"ACSDATA", &notSkinData);
    auto* gone = new TsCommonData(nullptr);
    SetPropW(stale->Handle(), L"ACSDATA", gone);
    delete gone;

    struct Case {
        const char* what;
        std::function<LRESULT()> send;
        LRESULT answer;
        std::vector<std::string> reached;
        HWND byWindowMessage; // the window the command travelled to as a message, or null
    };
    const Case cases[] = {
        {"plain edit, by window", [&] { return LRESULT{GetBoolMsg(edit->Handle(), AC_CTRLHANDLED)}; }, 0, {},
         edit->Handle()},
        {"skinned, by window", [&] { return LRESULT{GetBoolMsg(skinned->Handle(), AC_CTRLHANDLED)}; }, 1,
         {"skinned"}, nullptr},
        {"plain edit, by control", [&] { return LRESULT{GetBoolMsg(edit, AC_CTRLHANDLED)}; }, 0, {},
         edit->Handle()},
        {"skinned, by control", [&] { return LRESULT{GetBoolMsg(skinned, AC_CTRLHANDLED)}; }, 1, {"skinned"},
         nullptr},
        {"other code to skinned", [&] { return SendAMessage(skinned, AC_REFRESH); }, 0, {"skinned"}, nullptr},
        {"no window", [&] { return SendAMessage(unparented, AC_CTRLHANDLED); }, 0, {}, nullptr},
        {"being destroyed", [&] { return SendAMessage(&dying, AC_CTRLHANDLED); }, 0, {}, nullptr},
        {"windowless", [&] { return SendAMessage(graphic, AC_REFRESH); }, 0, {"graphic"}, nullptr},
        {"foreign value", [&] { return SendAMessage(foreign->Handle(), AC_REFRESH); }, 0, {"foreign"},
         foreign->Handle()},
        {"stale value", [&] { return SendAMessage(stale->Handle(), AC_REFRESH); }, 0, {"stale"}, stale->Handle()},
    };
    for (const Case& c : cases) {
        Deliveries().clear();
        WindowMessages().clear();
        EXPECT_EQ(c.send(), c.answer) << c.what;
        EXPECT_EQ(Deliveries(), c.reached) << c.what;
        int messages = 0;
        for (const auto& [window, count] : WindowMessages()) messages += count;
        EXPECT_EQ(messages, c.byWindowMessage ? 1 : 0) << c.what;
        if (c.byWindowMessage) {
            EXPECT_EQ(WindowMessages()[c.byWindowMessage], 1) << c.what;
        }
    }
    EXPECT_EQ(GetCommonData(skinned->Handle()), &skinned->SkinData);
    EXPECT_EQ(GetCommonData(foreign->Handle()), nullptr);
    EXPECT_EQ(GetCommonData(stale->Handle()), nullptr);
    EXPECT_TRUE(WndIsSkinned(skinned->Handle()));
    EXPECT_FALSE(WndIsSkinned(foreign->Handle()));

    // The handled-control command writes LParam into the caller's record by the skin index.
    for (int index : {-1, 0}) {
        skinned->SkinData.SkinIndex = index;
        TMessage message = Command(AC_CTRLHANDLED);
        EXPECT_EQ(TrySendMessage(skinned, message), 1);
        EXPECT_EQ(message.LParam, index >= 0 ? 1 : 0);
    }
    delete unparented;
}

TEST_F(SkinMessages, ARecordSentToAControlGetsTheAnswerOnEveryPath)
{
    auto* label = new TLabel(form);
    label->SetParent(form);
    struct Case {
        TControl* control;
        const wchar_t* text;
    };
    // Through the window system (an edit without skin data) and through Perform (windowless).
    for (const Case& c : {Case{edit, L"hello"}, Case{label, L"a label"}}) {
        c.control->SetText(c.text);
        TMessage length{WM_GETTEXTLENGTH, 0, 0, 0};
        const LRESULT answer = TrySendMessage(c.control, length);
        EXPECT_EQ(answer, static_cast<LRESULT>(std::wcslen(c.text))) << c.text;
        EXPECT_EQ(length.Result, answer) << c.text;
    }
}

TEST_F(SkinMessages, BroadcastsReachChildrenByTheirKind)
{
    auto* graphic = new TRecorded<TGraphicControl>(form, "graphic");
    auto* panel = new TRecorded<TPanel>(form, "panel");
    new TRecorded<TEdit>(panel, "grandchild");
    new TRecorded<TEdit>(skinned, "inside skinned");
    skinned->BringToFront();
    auto* hidden = new TRecorded<TPanel>(nullptr, "hidden");
    hidden->SetVisible(false);
    hidden->SetParent(form);
    ASSERT_TRUE(PumpUntil([&] { return panel->HandleAllocated() && panel->Showing(); }));
    const bool hiddenHasWindow = hidden->HandleAllocated();

    // Tree: controls in index order, unskinned windowed children entered depth first, the
    // skinned child reached once and its own children left to it.
    TMessage message = Command(AC_REFRESH);
    AlphaBroadCast(form, message);
    EXPECT_EQ(Deliveries(), (std::vector<std::string>{"edit", "graphic", "panel", "grandchild", "skinned", "hidden"}));
    EXPECT_EQ(skinned->handled, 1);

    // The count is read again each step: a child added by a receiver is reached too.
    Deliveries().clear();
    graphic->OnCommand = [&](TMessage&) {
        graphic->OnCommand = nullptr;
        new TRecorded<TGraphicControl>(form, "added");
    };
    AlphaBroadCast(form, message);
    EXPECT_EQ(Deliveries().back(), "added");

    // A window: direct children only. In z-order: the one brought to front first.
    Deliveries().clear();
    AlphaBroadCast(form->Handle(), message);
    EXPECT_EQ(std::count(Deliveries().begin(), Deliveries().end(), "grandchild"), 0);
    EXPECT_EQ(std::count(Deliveries().begin(), Deliveries().end(), "panel"), 1);
    EXPECT_EQ(std::count(Deliveries().begin(), Deliveries().end(), "skinned"), 1);
    Deliveries().clear();
    BroadCastMsg(form->Handle(), message);
    ASSERT_FALSE(Deliveries().empty());
    EXPECT_EQ(Deliveries().front(), "skinned");
    EXPECT_EQ(std::count(Deliveries().begin(), Deliveries().end(), "grandchild"), 0);
    EXPECT_EQ(std::count(Deliveries().begin(), Deliveries().end(), "edit"), 1);

    // Parent updated: showing windowed children and windowless ones, no recursion; nothing
    // while an animation runs.
    Deliveries().clear();
    SetParentUpdated(form);
    EXPECT_EQ(Deliveries(), (std::vector<std::string>{"edit", "graphic", "panel", "skinned", "added"}))
        << "hidden child with window: " << hiddenHasWindow;
    Deliveries().clear();
    InAnimationProcess = true;
    SetParentUpdated(form);
    EXPECT_TRUE(Deliveries().empty());
    InAnimationProcess = false;

    // A child that starts being destroyed ends the walk over its parent's children.
    Deliveries().clear();
    panel->Destroying();
    AlphaBroadCast(form, message);
    EXPECT_EQ(Deliveries(), (std::vector<std::string>{"edit", "graphic"}));
}
