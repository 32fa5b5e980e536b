// Style services: the seam that chooses themed or classic drawing, push-button details, and
// drawing that reports what it could do.
#include "Themes.h"

#include "graphics_test_util.h"

#include <gtest/gtest.h>

TEST(StyleServices, OverrideChoosesTheBranchAndDetailsNameTheState)
{
    TStyleServices& s = StyleServices();
    TStyleServices::OverrideEnabled(true);
    EXPECT_TRUE(s.Enabled());
    TStyleServices::OverrideEnabled(false);
    EXPECT_FALSE(s.Enabled());
    TStyleServices::OverrideEnabled(std::nullopt);

    struct Case {
        TThemedButton element;
        int state;
    };
    for (const Case c : {Case{tbPushButtonNormal, 1}, {tbPushButtonHot, 2}, {tbPushButtonPressed, 3},
                         {tbPushButtonDisabled, 4}, {tbPushButtonDefaulted, 5}}) {
        const TThemedElementDetails d = s.GetElementDetails(c.element);
        EXPECT_STREQ(d.ClassList, L"BUTTON");
        EXPECT_EQ(d.Part, 1);
        EXPECT_EQ(d.State, c.state);
    }
}

// Whether or not a theme is loaded, drawing and the content rectangle agree with the answer.
TEST(StyleServices, DrawElementAndContentRect)
{
    TBitmap bmp(20, 12, pf32bit);
    HDC dc = bmp.Canvas()->Handle();
    const TThemedElementDetails d = StyleServices().GetElementDetails(tbPushButtonNormal);
    const bool drawn = StyleServices().DrawElement(dc, d, TRect(0, 0, 20, 12));
    const TRect content = StyleServices().ContentRect(dc, d, TRect(0, 0, 20, 12));
    if (drawn) {
        EXPECT_GE(content.Left, 0);
        EXPECT_LE(content.Right, 20);
    } else {
        EXPECT_EQ(content, TRect(0, 0, 20, 12));
    }
}
