#pragma once
// File store of the gateway setups: one SETUPGW_<G0>_<G1>_<G2>.GWINI per gateway in the setup
// folder, holding the gateway's setup and the actions pending for it (sections and defaults in
// GatewaySetupDefaults.h). The gateway protocol calls these from its connection threads; the
// setup dialog and the filter push use the same files from the main thread.
//
// Every routine works under SetupFileStoreLock, so that the keys of two writers of one file
// never interleave; whoever reads, compares and writes a file in several calls holds the lock
// around all of them.
#include "GatewaySetupRecord.h"
#include "Strings.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <span>

class TIniFile;

// What a contact answers with.
using TReplyAction = int8_t;
inline constexpr TReplyAction ReplyNone = 0;
inline constexpr TReplyAction ReplySendSetup = 1;  // the stored setup
inline constexpr TReplyAction ReplyFetchSetup = 2; // a request for the gateway's setup
inline constexpr TReplyAction ReplyFirmwareUpdate = 3;

// The one lock of the file store, process-wide. Recursive, so a holder may call the routines
// below.
std::recursive_mutex& SetupFileStoreLock();

// folder (with its trailing backslash) + "SETUPGW_G0_G1_G2.GWINI".
UnicodeString SetupFilePath(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId);

// The pending action of a gateway: firmware update, then send, then fetch; none without a file.
// With ReplySendSetup the record has been filled with the stored setup to send (fields the file
// does not map keep their values). A value the record cannot take (an address part, a medium
// code that is not a number, a master key of fewer than 32 digits) raises its conversion or
// range error.
TReplyAction ReadSetupRecord(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId,
                             GatewaySetupRecord& record);

// The action behind a firmware update that cannot be sent: ReadSetupRecord with the file's
// update flag passed over (send, then fetch; the record filled for a send).
TReplyAction ReadSetupRecordBesideFirmware(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId,
                                           GatewaySetupRecord& record);

// For a gateway that reported its setup: action = the pending action. Whenever a send is
// pending (also behind a firmware update), storedRecord is filled with the queued setup and the
// result tells whether the reported setup equals it in the ranges a gateway keeps (addresses,
// server name, port, radio-ID, manufacturer and medium filters, network flags). Without a
// pending send the result is true.
bool SetupMatches(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId,
                  GatewaySetupRecord& storedRecord, const GatewaySetupRecord& reportedRecord,
                  TReplyAction& action);

// Writes a reported setup (creating the folder and the file when missing) with a new GETTIME,
// and clears the fetch flag; after a send (action ReplySendSetup) also clears the send flag and
// stamps SENDTIME.
void StoreGatewaySetup(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId,
                       const GatewaySetupRecord& record, TReplyAction action);

// A contact's handling of a reported setup as one step under the lock: SetupMatches, then on a
// match StoreGatewaySetup, where a matched pending send counts as confirmed whichever action
// won. On a mismatch nothing is written, so the queued setup and its flag stay.
bool CompareAndStoreReportedSetup(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId,
                                  GatewaySetupRecord& storedRecord, const GatewaySetupRecord& reportedRecord,
                                  TReplyAction& action);

// Clears the gateway's firmware-update flag after a complete transfer; creates the folder (an
// error with the folder path as its message when that fails) and the file when missing.
void ClearFirmwareUpdateFlag(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId);

// Every writer of a setup file goes through this, under the lock: write gets the file's keys
// in a copy of the file (a temporary file in the same folder, empty when the file is missing),
// which then replaces the file in one step. A write or replacement that fails raises and
// leaves the file as it was, so no contact ever reads a setup that is half old and half new.
// The folder must exist.
void ReplaceSetupFile(const UnicodeString& path, const std::function<void(TIniFile& ini)>& write);

// Test seam, for tests only: while a hook is set, the matching call goes to it instead of the
// files (SetupMatches reaches the ReadSetupRecord hook through ReadSetupRecord). Set them
// before contacts run; an empty set restores the files. BeforeReplace runs in ReplaceSetupFile
// when the copy is complete, before it replaces the file; what it raises ends the write.
struct TSetupFileStoreTestHooks {
    std::function<TReplyAction(std::span<const uint8_t, 3> gatewayId, GatewaySetupRecord& record)> ReadSetupRecord{};
    std::function<void(std::span<const uint8_t, 3> gatewayId, const GatewaySetupRecord& record, TReplyAction action)>
        StoreGatewaySetup{};
    std::function<void(std::span<const uint8_t, 3> gatewayId)> ClearFirmwareUpdateFlag{};
    std::function<void(const UnicodeString& temporaryPath)> BeforeReplace{};
};
void SetSetupFileStoreTestHooks(TSetupFileStoreTestHooks hooks);
