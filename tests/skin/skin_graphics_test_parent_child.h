#pragma once
// A painting fixture with the house skin loaded: a shown form whose panel answers background
// requests with a cache of the test's own pixel pattern, and one skinned child panel in it.
#include "Forms.h"
#include "sGraphUtils.h"
#include "skin_core_test_skinload.h"
#include "skin_graphics_test_controls.h"
#include "skin_graphics_test_pixels.h"

#include <gtest/gtest.h>

class ParentChildSkinTest : public SkinLoadTest {
protected:
    // Loads the skin and shows the form: the parent's 280 x 160 cache holds parentPx(x, y); the
    // child sits at childBounds in the parent.
    void MakeParentAndChild(Word (*parentPx)(int, int), const TRect& childBounds)
    {
        Load();
        ASSERT_TRUE(manager && manager->IsActive());
        form = new TForm(Application);
        form->SetBounds(60, 60, 300, 200);
        parent = new TBgPanel(form);
        parent->SetParent(form);
        parent->SetBounds(0, 0, 280, 160);
        parent->Cache = CreateBmp32(280, 160);
        for (int y = 0; y < 160; ++y)
            for (int x = 0; x < 280; ++x) SetPx(*parent->Cache, x, y, parentPx(x, y));
        child = new TSkinnedPanel(form);
        child->SetParent(parent);
        child->SetBounds(childBounds.Left, childBounds.Top, childBounds.Width(), childBounds.Height());
        form->Show();
        data = child->SkinData.get();
        data->Loading = false;
    }
    void TearDown() override
    {
        delete form;
        SkinLoadTest::TearDown();
    }

    TForm* form = nullptr;
    TBgPanel* parent = nullptr;
    TSkinnedPanel* child = nullptr;
    TsCtrlSkinData* data = nullptr;
};
