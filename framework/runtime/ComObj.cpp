#include "ComObj.h"

HRESULT OleCheck(HRESULT result)
{
    if (FAILED(result)) RaiseOleSysError(result);
    return result;
}
