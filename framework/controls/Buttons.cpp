#include "Buttons.h"

#include "FormReader.h"
#include "TypInfo.h"

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(Left(), Top(), 23, 22);
}

void RegisterButtonsClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    RegisterPublishedClass(L"TSpeedButton", L"TGraphicControl");
    RegisterComponentClass<TSpeedButton>(L"TSpeedButton");
}
