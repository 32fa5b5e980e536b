#pragma once
// Shared by the pop-up controller tests: the controller unit started over the control layer, a
// recording UpdateLayeredWindow entry (nothing of a layered window can be read back from the
// screen without a compositor), an active parent form holding the owning control (whose
// messages a spy records), and pop-up forms made in code.
#include "../framework/controls_test_classes.h"
#include "../framework/controls_tests_widgets_support.h"
#include "acPopupController.h"
#include "sConst.h"
#include "sGraphUtils.h"
#include "sGraphUtilsSystem.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerStartup.h"
#include "sVclUtils.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// One UpdateLayeredWindow call: the window, its constant alpha and a copy of the image.
struct PopupLayeredCall {
    HWND Wnd = nullptr;
    int Alpha = -1;
    SIZE Size{};
    std::unique_ptr<TBitmap> Image;
};

inline std::vector<PopupLayeredCall>& PopupLayeredCalls()
{
    static std::vector<PopupLayeredCall> calls;
    return calls;
}

inline TUpdateLayeredWindow& PopupSystemLayered()
{
    static TUpdateLayeredWindow system = nullptr;
    return system;
}

inline BOOL WINAPI RecordPopupLayered(HWND wnd, HDC screen, POINT* pos, SIZE* size, HDC source, POINT* sourcePoint,
                                      COLORREF key, BLENDFUNCTION* blend, DWORD flags)
{
    PopupLayeredCall call;
    call.Wnd = wnd;
    call.Alpha = blend ? blend->SourceConstantAlpha : -1;
    if (size) call.Size = *size;
    if (size && source) {
        call.Image = CreateBmp32(size->cx, size->cy);
        BitBlt(call.Image->Canvas()->Handle(), 0, 0, size->cx, size->cy, source, 0, 0, SRCCOPY);
        GdiFlush();
    }
    PopupLayeredCalls().push_back(std::move(call));
    return PopupSystemLayered() ? PopupSystemLayered()(wnd, screen, pos, size, source, sourcePoint, key, blend, flags)
                                : TRUE;
}

// A plain owning control: its own window class, focusable, no skin.
class TOwnerCtrl : public TCustomControl {
public:
    explicit TOwnerCtrl(TComponent* owner) : TCustomControl(owner)
    {
        SetBounds(0, 0, 80, 20);
        SetTabStop(true);
    }
    UnicodeString ClassName() const override { return L"TOwnerCtrl"; }
};

// A pop-up form that counts how often it is destroyed.
class TCountedForm : public TForm {
public:
    TCountedForm(TComponent* owner, int* destroyed) : TForm(owner), destroyed_(destroyed) {}
    ~TCountedForm() override
    {
        if (destroyed_) ++*destroyed_;
    }

private:
    int* destroyed_;
};

class PopupTest : public WidgetsTest {
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        sSkinManagerInitialization();
        sGraphUtilsInitialization();
        TacSystemEntries entries = acSystemEntries();
        PopupSystemLayered() = entries.UpdateLayeredWindow;
        entries.UpdateLayeredWindow = &RecordPopupLayered;
        previousEntries_ = acReplaceSystemEntries(entries);
        PopupLayeredCalls().clear();
        acPopupControllerInitialization();
        InAnimationProcess = false;
        SysPopupCount = 0;

        parent = NewForm(400, 300);
        ctrl = MakeCtrl(parent, 20, 30);
        parent->Show();
        ASSERT_TRUE(PumpUntil([this] { return IsWindowVisible(parent->Handle()) && Application->Active(); }));
        spy = std::make_unique<MessageSpy>(ctrl);
    }
    void TearDown() override
    {
        ReleaseCapture();
        acPopupControllerFinalization();
        spy.reset();
        acReplaceSystemEntries(previousEntries_);
        DefaultManager = nullptr;
        sGraphUtilsFinalization();
        sSkinManagerFinalization();
        WidgetsTest::TearDown();
    }

    static TOwnerCtrl* MakeCtrl(TWinControl* parentControl, int left, int top)
    {
        auto* c = new TOwnerCtrl(parentControl);
        c->SetParent(parentControl);
        c->SetBounds(left, top, 80, 20);
        return c;
    }

    // A borderless pop-up form made in code, with a coloured panel filling it.
    TForm* NewPopup(int width = 200, int height = 120, TColor color = clYellow)
    {
        auto* form = new TForm(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(0, 0, width, height);
        form->SetColor(color);
        return form;
    }

    TsPopupController* Controller() const { return GetIntController(); }
    TacFormHandler* HandlerOf(TForm* form) const
    {
        const int i = Controller()->GetFormIndex(form);
        return i < 0 ? nullptr : Controller()->FormHandlers[static_cast<size_t>(i)];
    }
    void ShowBelow(TForm* form, TWinControl* owner = nullptr)
    {
        Controller()->ShowForm(form, owner ? owner : ctrl, -1, -1, false);
    }
    static bool Shown(TForm* form) { return form->HandleAllocated() && IsWindowVisible(form->Handle()); }

    // Codes of the library commands the owning control received, in order, with the
    // messages given (as 0x10000 + message) between them.
    std::vector<unsigned> CtrlTrail(std::initializer_list<UINT> messages) const
    {
        std::vector<unsigned> trail;
        for (const TMessage& m : spy->log) {
            if (m.Msg == SM_ALPHACMD) trail.push_back(AlphaCmdCode(m.WParam));
            for (UINT msg : messages)
                if (m.Msg == msg) trail.push_back(0x10000 + msg);
        }
        return trail;
    }

    TForm* parent = nullptr;
    TOwnerCtrl* ctrl = nullptr;
    std::unique_ptr<MessageSpy> spy;

private:
    TacSystemEntries previousEntries_;
};
