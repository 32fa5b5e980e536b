#pragma once
// What the form-skinning tests share: a fixture with the house skin (optionally with its FORM
// section) behind an active manager, a form that logs what reaches its own window procedure, a
// provider whose message handlers are spies, clicks at absolute screen points, and a recording
// stand-in for the fixed waits.
#include "../framework/controls_test_support.h"
#include "../framework/controls_tests_widgets_support.h"
#include "../framework/runtime_test_tempdir.h"
#include "../support/PumpUntil.h"
#include "skin_graphics_test_png.h"
#include "skin_test_house_manager.h"
#include "skin_wrappers_test_support.h"

#include "Forms.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerStartup.h"
#include "sSkinProvider.h"
#include "sStyleSimply.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// A form that logs every message its own window procedure receives (after any provider).
class TLoggedForm : public TForm {
public:
    explicit TLoggedForm(TComponent* owner) : TForm(owner) {}
    void WndProc(TMessage& message) override
    {
        Log.Add(message.Msg, message.WParam, message.LParam);
        TForm::WndProc(message);
    }
    MessageLog Log;
};

// A provider whose handlers note their names, so a test reads which handler a message reached;
// while Swallow is set they do nothing else (the form's procedure sees nothing of theirs).
class TSpyProvider : public TsSkinProvider {
public:
    using TsSkinProvider::TsSkinProvider;
#define SPY_HANDLER(name) \
    void name(TMessage& message) override                 \
    {                                                     \
        Calls.push_back(#name);                           \
        if (!Swallow) TsSkinProvider::name(message);      \
    }
    AC_PROVIDER_HANDLERS(SPY_HANDLER)
    AC_PROVIDER_BUILT_HANDLERS(SPY_HANDLER)
    AC_PROVIDER_UNSKINNED_STEPS(SPY_HANDLER)
#undef SPY_HANDLER
    void UpdateSkinCaption() override { ++CaptionUpdates; }
    void InitSysParams(int PPI) override
    {
        SysParamsPPI.push_back(PPI);
        TsSkinProvider::InitSysParams(PPI);
        if (OnInitSysParams) OnInitSysParams(PPI);
    }
    std::vector<std::string> Calls;
    bool Swallow = false;
    int CaptionUpdates = 0;
    std::vector<int> SysParamsPPI;
    std::function<void(int)> OnInitSysParams;
};

// The fixed waits of form skinning, recorded instead of waited.
inline std::vector<DWORD>& RecordedDelays()
{
    static std::vector<DWORD> delays;
    return delays;
}
inline void RecordDelay(DWORD ms) { RecordedDelays().push_back(ms); }

class SkinFormsTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        sSkinManagerInitialization();
        acCurrentScaleMode = smVCL;
        RecordedDelays().clear();
        previousDelay_ = acReplaceFormDelay(&RecordDelay);
        SetIsFluentOSOverride(std::nullopt);
    }
    void TearDown() override
    {
        manager.reset();
        DefaultManager = nullptr;
        HookedComponents.clear();
        acReplaceFormDelay(previousDelay_);
        SetIsFluentOSOverride(std::nullopt);
        sSkinManagerFinalization();
        ControlsTest::TearDown();
    }

    // An active manager over the house skin, with its FORM section when withForm.
    TsSkinManager& UseHouseSkin(bool withForm = true)
    {
        house_skin::Options options;
        options.withForm = withForm;
        manager = ActiveHouseSkinManager(dir.Path(), options);
        EXPECT_TRUE(manager && manager->IsActive());
        return *manager;
    }

    // A shown logged form at a known place with a spy provider.
    TSpyProvider& ProvidedForm(int width = 300, int height = 200)
    {
        form = new TLoggedForm(Application);
        form->SetBounds(60, 60, width, height);
        auto* provider = new TSpyProvider(form);
        form->Show();
        PumpUntil([this] { return IsWindowVisible(form->Handle()) != FALSE; });
        return *provider;
    }

    TestTempDir dir;
    std::unique_ptr<TsSkinManager> manager;
    TLoggedForm* form = nullptr;

private:
    TacFormDelay previousDelay_ = nullptr;
};
