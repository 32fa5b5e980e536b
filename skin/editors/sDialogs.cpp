#include "sDialogs.h"

int sMessageDlg(const UnicodeString& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx)
{
    return MessageDlg(msg, dlgType, buttons, helpCtx);
}
