#pragma once
// What the system-menu, menu-line and MDI tests of form skinning share: a fixture with a skinned
// form, a recorder of the form's system commands (swallowed, so no move or size loop starts)
// and a timer that acts while a modal menu runs.
#include "skin_forms_test_support.h"

#include "Menus.h"
#include "sSkinMenus.h"
#include "sSkinProviderSysMenu.h"

#include <functional>
#include <vector>

// Sits in front of the form's window procedure (after the provider) and keeps WM_SYSCOMMAND
// with whether the provider's SkipAnimation was set at that moment.
class TSysCommandRecorder : public TObject {
public:
    TSysCommandRecorder(TControl* control, TsSkinProvider* provider)
        : control_(control), provider_(provider), previous_(control->WindowProc)
    {
        control->WindowProc = TWndMethod(this, &TSysCommandRecorder::Proc);
    }
    ~TSysCommandRecorder() override { control_->WindowProc = previous_; }
    UnicodeString ClassName() const override { return L"TSysCommandRecorder"; }

    void Proc(TMessage& message)
    {
        if (message.Msg == WM_SYSCOMMAND) {
            Commands.push_back(static_cast<UINT>(message.WParam));
            Skipping.push_back(provider_->SkipAnimation);
            return;
        }
        previous_(message);
    }
    std::vector<UINT> Commands;
    std::vector<bool> Skipping;

private:
    TControl* control_;
    TsSkinProvider* provider_;
    TWndMethod previous_;
};

// Runs an action once from a thread timer, so it runs inside a modal menu loop.
class TMenuLoopAction {
public:
    explicit TMenuLoopAction(std::function<void()> action, UINT ms = 100)
    {
        Current() = std::move(action);
        id_ = SetTimer(nullptr, 0, ms, &TMenuLoopAction::Tick);
    }
    ~TMenuLoopAction()
    {
        if (id_) KillTimer(nullptr, id_);
        Current() = nullptr;
    }

private:
    static std::function<void()>& Current()
    {
        static std::function<void()> action;
        return action;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(nullptr, id);
        if (auto action = std::exchange(Current(), nullptr)) action();
    }
    UINT_PTR id_ = 0;
};

class SysMenuTest : public SkinFormsTest {
protected:
    TSpyProvider& Skinned(TFormBorderStyle style = bsSizeable, TBorderIcons icons = {biSystemMenu, biMinimize, biMaximize})
    {
        UseHouseSkin();
        form = new TLoggedForm(Application);
        form->SetBorderStyle(style);
        form->SetBorderIcons(icons);
        form->SetBounds(60, 60, 320, 220);
        auto* provider = new TSpyProvider(form);
        form->Show();
        PumpUntil([this] { return IsWindowVisible(form->Handle()) != FALSE; });
        provider->PrepareForm();
        return *provider;
    }
    // The captions of the menu's items, "-" for lines.
    static std::vector<UnicodeString> Captions(TMenuItem* parent)
    {
        std::vector<UnicodeString> list;
        for (int i = 0; i < parent->Count(); ++i) list.push_back(parent->Items(i)->Caption());
        return list;
    }
};
