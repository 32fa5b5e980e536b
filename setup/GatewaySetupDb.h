#pragma once
// Database store of the gateway setups: table `setup_daten`, one row per gateway found by its
// gateway ID text in GW_ID, holding the gateway's setup and the requests pending for it
// (SOFTUPDATE firmware, GET_ENABLED fetch, SET_ENABLED send). The contact object reads and
// writes it (TMyClass::ReadSetupFromDb ... ClearSetupRequest); the statement texts are built
// here so that the setup dialog and the filter push write the same forms.
//
// Every value enters a statement as an escaped string literal. Values that would not fit their
// column under the server's strict mode are written so that nothing is lost:
//   FILT_MC1..4  the medium byte as a signed byte (b - 256 above 127); readers keep the low 8 bits
//   SOFTWARE     widened after the CREATE so that "255.255.255" fits
#include "GatewaySetupFiles.h"
#include "GatewaySetupRecord.h"
#include "Strings.h"

#include <cstdint>
#include <span>

// The CREATE TABLE IF NOT EXISTS of setup_daten, run by the schema script.
UnicodeString SetupTableStatement();
// SOFTWARE is created as varchar(8); this widens it to SetupSoftwareColumnWidth characters.
inline constexpr int SetupSoftwareColumnWidth = 11;
UnicodeString SetupSoftwareWideningStatement();

// Text forms of the record's fields in the table.
AnsiString SetupIntervalLetter(uint8_t networkFlags);     // S, H, T or M; S when no bit is set
AnsiString SetupMediumCodeText(uint8_t medium);          // signed decimal of the byte
AnsiString SetupIdListText(const GatewaySetupRecord& record); // non-zero entries, "%.8X", ','
// Fills FilterIds from a FILT_IDLIST text: empty items and items that are no radio ID
// (RadioIdFromText) are skipped, the others fill the entries in order, at most 250; the rest
// are 0.
void SetupIdListFromText(const AnsiString& text, GatewaySetupRecord& record);

// "yyyy-mm-dd hh:mm:ss" of a local time, the form of the table's times.
AnsiString SetupTimeText(double dateTime);

// The statements that store a reported setup; now is a SetupTimeText. With action
// ReplySendSetup the update also clears the send request. SOFTUPDATE is left alone: only a
// completed firmware transfer clears it.
UnicodeString SetupUpdateStatement(std::span<const uint8_t, 3> gatewayId, const GatewaySetupRecord& record,
                                   TReplyAction action, const AnsiString& now);
UnicodeString SetupInsertStatement(std::span<const uint8_t, 3> gatewayId, const GatewaySetupRecord& record,
                                   const AnsiString& now);
// Clears the send request (send) or the fetch request and stamps its time.
UnicodeString ClearSetupRequestStatement(std::span<const uint8_t, 3> gatewayId, bool send, const AnsiString& now);
// Clears the firmware update request after a completed transfer.
UnicodeString ClearFirmwareUpdateStatement(std::span<const uint8_t, 3> gatewayId);
