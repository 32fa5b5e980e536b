#include "Objects.h"

#include "Exceptions.h"

void TPersistent::Assign(const TPersistent* source)
{
    if (source) source->AssignTo(this);
    else AssignTo(this); // nil source: same error text as the framework's
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    const UnicodeString sourceName = this == dest ? UnicodeString(L"nil") : ClassName();
    throw EConvertError(L"Cannot assign a " + sourceName + L" to a " + dest->ClassName());
}
