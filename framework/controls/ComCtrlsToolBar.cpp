// The tool bar over the comctl32 tool bar window.
#include "ComCtrls.h"

void TToolBar::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, TOOLBARCLASSNAMEW);
    params.Style |= TBSTYLE_FLAT | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
}
