#include "TelegramStorage.h"

#include "DatenVerarbeitung.h"

UnicodeString MakeTelegramLogPath(std::span<const uint8_t, 3> /*gatewayId*/)
{
    return {};
}

void AppendTelegramLogLine(const UnicodeString& /*path*/, int /*recordLength*/, std::span<const uint8_t> /*record*/)
{
}

bool TMyClass::StoreTelegram(const AnsiString& /*gatewayIdText*/, const AnsiString& /*deviceIdText*/,
                             const AnsiString& /*receiveTime*/, const AnsiString& /*manufacturer*/, int /*medium*/,
                             int /*rssi*/, std::span<const uint8_t> /*record*/, int /*recordLength*/)
{
    // Nothing is stored while the contact has no database connection.
    return true;
}
