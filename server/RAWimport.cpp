#include "RAWimport.h"

TFormImportRAW* FormImportRAW = nullptr;

TFormImportRAW::TFormImportRAW(TComponent* owner) : TForm(owner) { ReadDefinition(L"TFormImportRAW"); }

TFormImportRAW::~TFormImportRAW()
{
    if (FormImportRAW == this) FormImportRAW = nullptr;
}
