// The skinned label, web label and sticky label under Xvfb.
#include "skin_controls_test_label.h"

#include "sMessages.h"
#include "sGraphUtils.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

namespace {

TEST_F(LabelTest, EllipsisLoopEndsForOneLongWord)
{
    auto* l = Make<TsLabel>(L"Supercalifragilisticexpialidocious");
    l->SetAutoSize(false);
    l->SetWordWrap(true);
    l->SetEllipsisPosition(epEndEllipsis);
    l->SetBounds(10, 10, 30, 4);
    auto shown = ShownLabel(l);
    EXPECT_EQ(shown->Width(), 30);
}

} // namespace
