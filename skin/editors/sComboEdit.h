#pragma once
// The published combo edit with a button: the custom combo edit with its own control-class code
// and the default glyph, and the properties a form definition sets.
#include "sCustomComboEdit.h"

class TsComboEdit : public TsCustomComboEdit {
public:
    explicit TsComboEdit(TComponent* owner);
    UnicodeString ClassName() const override { return L"TsComboEdit"; }
};

// Registers TsComboEdit's published properties and reader factory.
void RegisterComboEditClasses();
void sComboEditInitialization();
void sComboEditFinalization();
