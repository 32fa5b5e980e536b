#pragma once
// Shared by the skinned edit tests: the house skin, a shown form, a glyph image list, and probes
// of the cache bitmap and of the window as shown.
#include "../framework/controls_tests_widgets_support.h"
#include "BuildFolder.h"
#include "ImageList.h"
#include "sCtrlStates.h"
#include "sEdit.h"
#include "sMaskEdit.h"
#include "sGlyphUtils.h"
#include "sMessages.h"
#include "skin_core_test_skinload.h"

#include <gtest/gtest.h>

class EditTest : public SkinLoadTest {
protected:
    void SetUp() override
    {
        SkinLoadTest::SetUp();
        RegisterAcntTypesClasses(); // the padding object's properties
        sEditInitialization();
        sMaskEditInitialization();
        form = new TForm(Application);
        form->SetBounds(40, 40, 420, 260);
        form->SetColor(static_cast<TColor>(0xC0C0C0));
        form->Show();
        ASSERT_TRUE(PumpUntil([this] { return form->HandleAllocated() && IsWindowVisible(form->Handle()); }));
        glyphs = std::make_unique<TImageList>(nullptr, 12, 12);
        TBitmap img(12, 12, pf32bit);
        FillRect(img.Canvas()->Handle(), &kWhole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        glyphs->Add(&img, nullptr);
    }
    void TearDown() override
    {
        delete form;
        glyphs.reset();
        sMaskEditFinalization();
        sEditFinalization();
        SkinLoadTest::TearDown();
    }
    template <class E>
    E* Make(const TRect& bounds)
    {
        auto* e = new E(form);
        e->AfterConstruction();
        e->SetParent(form);
        e->SetBoundsRect(bounds);
        return e;
    }
    // The window as painted now, frame included.
    static std::unique_ptr<TBitmap> Shown(TWinControl* c)
    {
        RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        Application->ProcessMessages();
        return GrabWindow(c->Handle());
    }
    static void SavePng(TBitmap& bmp, const wchar_t* name)
    {
        EXPECT_TRUE(SaveBitmapAsPng(bmp, BuildFolderFile(name)));
    }
    static inline const RECT kWhole{0, 0, 12, 12};
    TForm* form = nullptr;
    std::unique_ptr<TImageList> glyphs;
};
