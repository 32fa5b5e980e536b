#pragma once
// File store of the gateway setups: one SETUPGW_<G0>_<G1>_<G2>.GWINI per gateway in the setup
// folder, holding the gateway's setup and the actions pending for it. The gateway protocol calls
// these from its connection threads.
//
// Only the parts the protocol needs so far are in place: no file is read or written yet, so no
// action is ever pending.
#include "GatewaySetupRecord.h"
#include "Strings.h"

#include <cstdint>
#include <functional>
#include <span>

// What a contact answers with.
using TReplyAction = int8_t;
inline constexpr TReplyAction ReplyNone = 0;
inline constexpr TReplyAction ReplySendSetup = 1;  // the stored setup
inline constexpr TReplyAction ReplyFetchSetup = 2; // a request for the gateway's setup
inline constexpr TReplyAction ReplyFirmwareUpdate = 3;

// The pending action of a gateway (firmware update, then send, then fetch); with
// ReplySendSetup the record has been filled with the stored setup to send.
TReplyAction ReadSetupRecord(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId,
                             GatewaySetupRecord& record);

// For a gateway that reported its setup: action = ReadSetupRecord(..., storedRecord). True when
// no send is pending or the reported setup equals the stored one in the ranges a gateway keeps
// (addresses, server name, port low byte, ID, manufacturer and medium filters, network flags).
bool SetupMatches(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId,
                  GatewaySetupRecord& storedRecord, const GatewaySetupRecord& reportedRecord,
                  TReplyAction& action);

// Writes a reported setup and, after a send (action ReplySendSetup), clears the send flag.
void StoreGatewaySetup(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId,
                       const GatewaySetupRecord& record, TReplyAction action);

// Clears the gateway's firmware-update flag after a complete transfer.
void ClearFirmwareUpdateFlag(std::span<const uint8_t, 3> gatewayId);

// Test seam, for tests only: while a hook is set, the matching call goes to it instead of the
// files (SetupMatches reaches the ReadSetupRecord hook through ReadSetupRecord). Set them
// before contacts run; an empty set restores the files.
struct TSetupFileStoreTestHooks {
    std::function<TReplyAction(std::span<const uint8_t, 3> gatewayId, GatewaySetupRecord& record)> ReadSetupRecord{};
    std::function<void(std::span<const uint8_t, 3> gatewayId, const GatewaySetupRecord& record, TReplyAction action)>
        StoreGatewaySetup{};
    std::function<void(std::span<const uint8_t, 3> gatewayId)> ClearFirmwareUpdateFlag{};
};
void SetSetupFileStoreTestHooks(TSetupFileStoreTestHooks hooks);
