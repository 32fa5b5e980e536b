#pragma once
// Shared by the tests of the shared message handlers: framework controls whose window procedure
// runs the skin data's handlers first (as every skinned control does), on a form over the house
// skin, recording the library commands and the window messages the tests look for.
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "sCommonData.h"
#include "sMessages.h"
#include "sVclUtils.h"
#include "skin_core_test_skinload.h"

#include <algorithm>
#include <memory>
#include <vector>

template <class Base, class Data = TsCtrlSkinData>
class TRouted : public Base {
public:
    explicit TRouted(TComponent* owner) : Base(owner) { SkinData = std::make_unique<Data>(this); }
    ~TRouted() override
    {
        BoundLabel.reset();
        SkinData.reset();
    }
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD) {
            const WORD code = AlphaCmdCode(message.WParam);
            if (code != AC_CTRLHANDLED) Codes.push_back({code, message.LParam});
            if (code == AC_GETBGCOLOR && BGColor != clNone) {
                message.Result = BGColor;
                return;
            }
            if (OnCommand) OnCommand(message);
        }
        Messages.push_back(message.Msg);
        if (CommonWndProc(message, SkinData.get())) return;
        Base::WndProc(message);
        if (BoundLabel) BoundLabel->HandleOwnerMsg(message, this);
    }
    int Count(WORD code) const
    {
        return static_cast<int>(std::count_if(Codes.begin(), Codes.end(), [&](const auto& c) { return c.first == code; }));
    }
    int CountMsg(UINT msg) const { return static_cast<int>(std::count(Messages.begin(), Messages.end(), msg)); }
    void Forget()
    {
        Codes.clear();
        Messages.clear();
    }

    std::unique_ptr<Data> SkinData;
    std::unique_ptr<TsBoundLabel> BoundLabel;
    std::vector<std::pair<WORD, LPARAM>> Codes;
    std::vector<UINT> Messages;
    TColor BGColor = clNone; // a fixed answer to AC_GETBGCOLOR
    std::function<void(TMessage&)> OnCommand;

protected:
    void CreateWnd() override
    {
        Base::CreateWnd();
        if (SkinData) SkinData->InitCommonProp();
    }
    void DestroyWnd() override
    {
        if (SkinData) SkinData->RemoveCommonProp();
        Base::DestroyWnd();
    }
};

using TRoutedPanel = TRouted<TPanel>;
using TRoutedEdit = TRouted<TEdit>;

// A form with a skinned panel holding a skinned child panel, over the house skin.
class RoutedTest : public SkinLoadTest {
protected:
    void SetUp() override
    {
        SkinLoadTest::SetUp();
        Load();
        ASSERT_TRUE(manager && manager->IsActive());
        form = new TForm(Application);
        form->SetBounds(60, 60, 400, 300);
        parent = Make<TRoutedPanel>(form, L"PANEL", TRect(10, 10, 330, 250));
        child = Make<TRoutedPanel>(parent, L"PANEL", TRect(20, 30, 140, 90));
        form->Show();
        parent->Forget();
        child->Forget();
    }
    void TearDown() override
    {
        delete form;
        SkinLoadTest::TearDown();
    }
    template <class C>
    C* Make(TWinControl* on, const wchar_t* section, const TRect& r, BYTE coc = 0)
    {
        auto* c = new C(form);
        c->SetParent(on);
        c->SetBoundsRect(r);
        c->SkinData->COC = coc;
        c->SkinData->Loading = false;
        c->SkinData->SetSkinSection(section);
        return c;
    }
    // The control's answer to a command through its window procedure, delivered as the
    // library's own senders deliver (so pointer arguments count).
    static LRESULT Command(TControl* c, WORD code, WORD lo = 0, LPARAM lParam = 0)
    {
        const TacOwnSend own;
        return c->Perform(SM_ALPHACMD, MakeAlphaCmd(code, lo), lParam);
    }
    LPARAM Manager() const { return reinterpret_cast<LPARAM>(manager.get()); }
    TsGeneralData& Section(const wchar_t* name) { return Data().gd[static_cast<size_t>(manager->GetSkinIndex(name))]; }

    TForm* form = nullptr;
    TRoutedPanel* parent = nullptr;
    TRoutedPanel* child = nullptr;
};
