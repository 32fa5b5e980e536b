// The MDI main-form support: what the MDI client's wrapper asks of it.
#include "sSkinProvider.h"

void TsMDIForm::UpdateMDIIconItem()
{
    if (FOwner) FOwner->RepaintMenu();
}
