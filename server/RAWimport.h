#pragma once
// The RAW import window (TFormImportRAW): created at start-up as the program's third window;
// the RAW import page of the main window shows it.
#include "Forms.h"

class TFormImportRAW : public TForm {
public:
    explicit TFormImportRAW(TComponent* owner);
    ~TFormImportRAW() override;
    UnicodeString ClassName() const override { return L"TFormImportRAW"; }
};

extern TFormImportRAW* FormImportRAW;
