// Database store of the gateway setups (table `setup_daten`), read and written around a
// gateway contact over the contact's own connection.
#include "DatenVerarbeitung.h"

TReplyAction TMyClass::ReadSetupFromDb(std::span<const uint8_t, 3> /*gatewayId*/, GatewaySetupRecord& /*record*/)
{
    return ReplyNone;
}

bool TMyClass::CompareSetupWithDb(std::span<const uint8_t, 3> /*gatewayId*/, GatewaySetupRecord& /*stored*/,
                                  TReplyAction& action, const GatewaySetupRecord& /*reported*/)
{
    action = ReplyNone;
    return true;
}

void TMyClass::StoreReceivedSetup(std::span<const uint8_t, 3> /*gatewayId*/, const GatewaySetupRecord& /*record*/,
                                  TReplyAction /*action*/)
{
}

void TMyClass::ClearSetupRequest(std::span<const uint8_t, 3> /*gatewayId*/, bool /*send*/)
{
}
