// The caption label of a bound label.
#include "sLabel.h"

#include "sCommonData.h"

void TsEditLabel::Click()
{
    TLabel::Click();
    if (BoundLabel) BoundLabel->DoClick(this);
}
