#include "sComboEdit.h"

#include "TypInfo.h"
#include "acUnitCounter.h"

namespace {

TacUnitCounter unitCounter;

} // namespace

TsComboEdit::TsComboEdit(TComponent* owner) : TsCustomComboEdit(owner)
{
    SkinData()->COC = 138;
    FDefBmpID = 3;
}

void RegisterComboEditClasses()
{
    const UnicodeString c = L"TsComboEdit";
    if (IsPublishedClass(c)) return;
    RegisterPublishedClass(c, L"TMaskEdit");
    using E = TsCustomComboEdit;
    RegisterEditDesignProperties<E>(c);
    RegisterPublishedProperty(c, OrdProp(L"ClickKey", pkInteger, &E::ClickKey, &E::SetClickKey, int64_t{0x8028}));
    RegisterPublishedProperty(c, OrdProp(L"ButtonMode", pkBool, &E::ButtonMode, &E::SetButtonMode, int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"ButtonWidth", pkInteger, &E::ButtonWidth, &E::SetButtonWidth, int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"DirectInput", pkBool, &E::DirectInput, &E::SetDirectInput, int64_t{1}));
    RegisterPublishedProperty(c, OrdProp(L"ShowButton", pkBool, &E::ShowButton, &E::SetShowButton, int64_t{1}));
    RegisterPublishedProperty(c, OrdProp(L"ShowFocus", pkBool, &E::ShowFocus, &E::SetShowFocus, int64_t{1}));
    RegisterPublishedProperty(c, OrdProp(L"ReadOnly", pkBool, &E::GetReadOnly, &E::SetReadOnly, int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"CheckOnExit", pkBool, &E::CheckOnExit, &E::SetCheckOnExit, int64_t{1}));
    RegisterPublishedProperty(c, EventProp(L"OnButtonClick", &E::OnButtonClick));
    RegisterComponentClass(c, [](TComponent* owner) -> TComponent* {
        auto* edit = new TsComboEdit(owner);
        edit->AfterConstruction();
        return edit;
    });
}

void sComboEditInitialization()
{
    if (!unitCounter.StartUp()) return;
    RegisterComboEditClasses();
}

void sComboEditFinalization() { unitCounter.ShutDown(); }
