#pragma once
// The library's message dialog. For now it shows the framework's message dialog (through the
// one dialog hook), centred, and returns its modal result.
#include "Dialogs.h"
#include "Strings.h"

int sMessageDlg(const UnicodeString& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx);
