#pragma once
// Shared by the alpha hints tests: the hint unit started over the control layer, a recording
// UpdateLayeredWindow entry (layered windows cannot be read back from the screen without a
// compositor), a shown form with a control, a hints manager made in code, and the house skin on
// request.
#include "../framework/controls_tests_widgets_support.h"
#include "../framework/runtime_test_tempdir.h"
#include "ExtCtrls.h"
#include "acAlphaHints.h"
#include "sGraphUtils.h"
#include "sGraphUtilsSystem.h"
#include "sSkinManager.h"
#include "sSkinManagerStartup.h"
#include "skin_test_house_manager.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// One UpdateLayeredWindow call: the window, its constant alpha, place and a copy of the image.
struct HintLayeredCall {
    HWND Wnd = nullptr;
    int Alpha = -1;
    POINT Pos{-1, -1};
    SIZE Size{};
    std::unique_ptr<TBitmap> Image;
};

inline std::vector<HintLayeredCall>& HintLayeredCalls()
{
    static std::vector<HintLayeredCall> calls;
    return calls;
}

inline BOOL WINAPI RecordHintLayered(HWND wnd, HDC, POINT* pos, SIZE* size, HDC source, POINT*, COLORREF,
                                     BLENDFUNCTION* blend, DWORD)
{
    HintLayeredCall call;
    call.Wnd = wnd;
    call.Alpha = blend ? blend->SourceConstantAlpha : -1;
    if (pos) call.Pos = *pos;
    if (size) call.Size = *size;
    if (size && source) {
        call.Image = CreateBmp32(size->cx, size->cy);
        BitBlt(call.Image->Canvas()->Handle(), 0, 0, size->cx, size->cy, source, 0, 0, SRCCOPY);
        GdiFlush();
    }
    HintLayeredCalls().push_back(std::move(call));
    return TRUE;
}

class HintsTest : public WidgetsTest {
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        sSkinManagerInitialization();
        sGraphUtilsInitialization();
        acAlphaHintsInitialization();
        TacSystemEntries entries = acSystemEntries();
        entries.UpdateLayeredWindow = &RecordHintLayered;
        previousEntries_ = acReplaceSystemEntries(entries);
        HintLayeredCalls().clear();
        form = ShownForm(400, 300);
        ctrl = new TPanel(form);
        ctrl->SetParent(form);
        ctrl->SetBounds(40, 60, 120, 50);
        ctrl->SetShowHint(true);
        ctrl->SetHint(L"Panel hint");
    }
    void TearDown() override
    {
        hints.reset();
        skin.reset();
        DefaultManager = nullptr;
        acReplaceSystemEntries(previousEntries_);
        acAlphaHintsFinalization();
        sGraphUtilsFinalization();
        sSkinManagerFinalization();
        WidgetsTest::TearDown();
    }

    // A manager placed in code (it takes over the application's hints at once).
    TsAlphaHints& MakeHints()
    {
        hints = std::make_unique<TsAlphaHints>(nullptr);
        hints->AfterConstruction();
        return *hints;
    }
    // The house skin active, hints drawn from its HINT section.
    void UseHouseSkin()
    {
        house_skin::Options options;
        options.withHintShape = true;
        skin = ActiveHouseSkinManager(dir.Path(), options);
        ASSERT_NE(skin, nullptr);
        ASSERT_TRUE(skin->IsActive());
        if (hints) hints->SetUseSkinData(true);
    }
    TsGeneralData& HintSectionData()
    {
        TacSkinData* sd = skin->CommonSkinData();
        return sd->gd[static_cast<size_t>(skin->GetSkinIndex(L"HINT"))];
    }
    // The last layered call for that window, or null.
    static const HintLayeredCall* LastCall(HWND wnd)
    {
        const HintLayeredCall* last = nullptr;
        for (const HintLayeredCall& c : HintLayeredCalls())
            if (c.Wnd == wnd) last = &c;
        return last;
    }
    static RECT WindowRect(HWND wnd)
    {
        RECT r{};
        GetWindowRect(wnd, &r);
        return r;
    }

    TestTempDir dir;
    TForm* form = nullptr;
    TPanel* ctrl = nullptr;
    std::unique_ptr<TsSkinManager> skin;
    std::unique_ptr<TsAlphaHints> hints;

private:
    TacSystemEntries previousEntries_;
};
