// The caption label of a bound label.
#include "sLabel.h"

#include "sCommonData.h"

TsEditLabel::~TsEditLabel()
{
    if (BoundLabel && BoundLabel->FTheLabel.get() == this) static_cast<void>(BoundLabel->FTheLabel.release());
}

void TsEditLabel::Click()
{
    TLabel::Click();
    if (BoundLabel) BoundLabel->DoClick(this);
}
