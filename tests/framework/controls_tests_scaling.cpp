// Services the skin library builds on: scaling a form and its children to another pixel
// density.
#include "controls_test_classes.h"

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
