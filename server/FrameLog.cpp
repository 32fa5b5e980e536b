// The row of table `log` written for every analysed frame in database mode.
#include "DatenVerarbeitung.h"

bool TMyClass::WriteFrameLog(const AnsiString& /*ip*/, const AnsiString& /*gatewayIdText*/,
                             const AnsiString& /*byteCountText*/, const AnsiString& /*aesFlag*/,
                             const AnsiString& /*dataType*/, const AnsiString& /*telegramCountText*/)
{
    // Nothing is written while the contact has no database connection.
    return true;
}
