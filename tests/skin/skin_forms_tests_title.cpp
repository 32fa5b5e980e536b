// The provider's title settings: user title buttons, the added title, the form header's extra
// height, and the adapter's item for a skinned graphic control.
#include "skin_forms_test_support.h"

#include "Buttons.h"
#include "acSBUtils.h"
#include "acThdTimer.h"
#include "sGraphUtils.h"

TEST_F(SkinFormsTest, TitleButtonsNameCopyAndRepaint)
{
    TSpyProvider& provider = ProvidedForm();
    TsTitleButton* button = provider.TitleButtons()->Add();
    EXPECT_EQ(button->Name(), L"TsTitleButton");
    EXPECT_EQ(button->GetDisplayName(), L"TsTitleButton");
    EXPECT_TRUE(button->Enabled() && button->Visible() && button->UseSkinData());
    EXPECT_EQ(button->Provider(), &provider);
    EXPECT_EQ(button->Data.cpGlowID, -1);

    // Everything but Visible is copied.
    int downs = 0;
    TsTitleButton* source = provider.TitleButtons()->Add();
    source->SetName(L"Pin");
    source->SetHint(L"Keep on top");
    source->SetEnabled(false);
    source->SetUseSkinData(false);
    source->OnMouseDown = [&](TObject* sender, TMouseButton, TShiftState, int, int) {
        EXPECT_EQ(sender, button);
        ++downs;
    };
    auto glyph = CreateBmp32(6, 4);
    source->SetGlyph(glyph.get());
    provider.CaptionUpdates = 0;
    source->SetVisible(false);
    EXPECT_EQ(provider.CaptionUpdates, 1) << "a visibility change shows at once";
    source->SetVisible(false);
    EXPECT_EQ(provider.CaptionUpdates, 1) << "no change, no repaint";
    button->Assign(source);
    EXPECT_EQ(button->Name(), L"Pin");
    EXPECT_EQ(button->Hint(), L"Keep on top");
    EXPECT_FALSE(button->Enabled());
    EXPECT_FALSE(button->UseSkinData());
    EXPECT_EQ(button->Glyph()->Width(), 6);
    EXPECT_EQ(button->Glyph()->Height(), 4);
    EXPECT_TRUE(button->Visible()) << "Visible is not copied";
    button->MouseDown(0, mbLeft, TShiftState(), 1, 2);
    EXPECT_EQ(downs, 1);
    button->MouseUp(0, mbLeft, TShiftState(), 1, 2); // no handler: nothing happens

    // A new picture drops the running fade, so the next paint shows it.
    auto* fade = new TacThreadedTimer(nullptr, false);
    button->Data.cpTimer = fade;
    button->SetGlyph(glyph.get());
    EXPECT_EQ(button->Data.cpTimer, nullptr);
    EXPECT_FALSE(ThreadedTimerIsLive(fade));
    fade = new TacThreadedTimer(nullptr, false);
    button->Data.cpTimer = fade;
    button->Glyph()->SetSize(3, 3);
    EXPECT_EQ(button->Data.cpTimer, nullptr) << "also when the picture itself changes";

    // The collection copies into the provider's own.
    TsTitleButtons copy(nullptr);
    copy.Add()->SetName(L"A");
    copy.Add()->SetName(L"B");
    provider.SetTitleButtons(&copy);
    ASSERT_EQ(provider.TitleButtons()->Count(), 2);
    EXPECT_EQ(provider.TitleButtons()->Items(1)->Name(), L"B");
}

TEST_F(SkinFormsTest, AddedTitleAndHeaderHeight)
{
    TSpyProvider& provider = ProvidedForm();
    TacAddedTitle& title = *provider.AddedTitle();
    EXPECT_EQ(title.Font()->Color(), clNone);
    EXPECT_TRUE(title.ShowMainCaption());
    provider.CaptionUpdates = 0;
    title.SetText(L"beta");
    title.SetText(L"beta");
    title.SetShowMainCaption(false);
    EXPECT_EQ(provider.CaptionUpdates, 2);

    UseHouseSkin();
    provider.PrepareForm();
    provider.AllowScale = false;
    provider.FormHeader()->SetAdditionalHeight(10);
    EXPECT_EQ(provider.FormHeader()->ScaledAddHeight(), 10);
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
    EXPECT_EQ(provider.FormHeader()->ScaledAddHeight(), 15) << "10 x 144 / 96";
}

TEST_F(SkinFormsTest, GraphicItemsOfExceptedControlsGetNoHandler)
{
    auto* f = new TLoggedForm(Application);
    struct Case {
        intptr_t tag;
        bool handled;
    };
    for (const Case& c : {Case{0, true}, Case{ExceptTag, false}, Case{ExceptTag | 1, false}, Case{0x200, true}}) {
        auto* button = new TSpeedButton(f);
        button->SetTag(c.tag);
        TacGraphItem item(nullptr);
        EXPECT_EQ(item.SkinData->COC, COC_TacGraphItem);
        item.DoHook(button);
        EXPECT_EQ(item.Ctrl, button);
        EXPECT_EQ(item.Handler != nullptr, c.handled) << c.tag;
        if (item.Handler) {
            EXPECT_EQ(item.Handler->Ctrl, button);
        }
        EXPECT_EQ(item.SkinData->FOwnerControl == button, c.handled);
    }
    delete f;
}
