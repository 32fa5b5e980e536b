#pragma once
// The setup dialog's values as texts, and the rules a text must follow before the dialog stores
// it. The stores read every value again at a gateway's next contact; a value they cannot read
// would make each of those contacts fail, so nothing is written until every text passes.
#include "Strings.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

// What the dialog's controls hold, as a save takes it.
struct TSetupDialogTexts {
    std::array<UnicodeString, 3> GatewayId; // AA, BB, CC
    UnicodeString SoftwareVersion;
    bool SendEnabled = false;
    bool UpdateEnabled = false;
    UnicodeString Anbauort;
    UnicodeString ServerName;
    UnicodeString Port;
    bool Dhcp = true;
    UnicodeString FixedIp, GatewayIp, SubnetMask, DnsIp, NtpIp;
    bool Sofort = false, ProH = true, ProTag = false, ProMonat = false;
    UnicodeString MasterKey;
    bool ModeT = true;
    bool ManufacturerFilter = false;
    std::array<UnicodeString, 4> Manufacturers;
    bool MediumFilter = false;
    std::array<UnicodeString, 4> Media;
    bool IdFilter = false;
    std::vector<UnicodeString> Ids; // the list's entries
};

// Which texts a save writes and how its store reads them back.
struct TSetupTextRules {
    // The file store reads an empty address as 0.0.0.0; the table store cannot read one.
    bool EmptyAddressAllowed = true;
    // The master key is written (file store, or a new row of the table).
    bool MasterKeyWritten = true;
};

// The message for the first text a store could not read back, naming its field; nothing when
// every text is fine.
std::optional<UnicodeString> FindInvalidSetupText(const TSetupDialogTexts& texts, const TSetupTextRules& rules);

// A port text: 1 to 5 decimal digits, 0 to 65535.
std::optional<int> SetupPortFromText(std::wstring_view text);
// A medium code text: 1 to 3 decimal digits, 0 to 255.
std::optional<int> SetupMediumFromText(std::wstring_view text);

// A typed or imported radio ID as the list holds it: 1 to 8 decimal digits, not all zero,
// filled up to 8 digits with leading zeros. Nothing for any other text (ID 0 marks an unused
// entry of the gateway's list).
std::optional<UnicodeString> RadioIdEntryFromInput(std::wstring_view text);
// A stored radio ID (a setup file's value, an item of FILT_IDLIST) as the list shows it: what
// the stores read (RadioIdFromText), as its eight digits. Nothing for what the stores skip.
std::optional<UnicodeString> RadioIdEntryFromStore(std::wstring_view text);
// A list entry as a setup file's WM-BUS_IDS value: decimal digits without leading zeros, an
// entry with hexadecimal digits as it stands.
UnicodeString RadioIdFileValue(const UnicodeString& entry);
