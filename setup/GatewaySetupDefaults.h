#pragma once
// Section and key names of a gateway setup file (SETUPGW_<G0>_<G1>_<G2>.GWINI) and the value
// that a missing key stands for. The file store and the setup dialog read the same files, so
// they share this one table: a file means the same setup whoever reads it.
#include "Strings.h"

namespace SetupKeys {
// Sections
inline constexpr const wchar_t* Senden = L"SENDEN";
inline constexpr const wchar_t* Get = L"GET";
inline constexpr const wchar_t* Update = L"UPDATE";
inline constexpr const wchar_t* Netzwerk = L"NETZWERK";
inline constexpr const wchar_t* Software = L"SOFTWARE";
inline constexpr const wchar_t* Wmbus = L"WM-BUS";
inline constexpr const wchar_t* WmbusIds = L"WM-BUS_IDS";

// SENDEN, GET, UPDATE
inline constexpr const wchar_t* Enabled = L"ENABLED";
inline constexpr const wchar_t* SendTime = L"SENDTIME";
inline constexpr const wchar_t* GetTime = L"GETTIME";

// NETZWERK
inline constexpr const wchar_t* GwId2 = L"GW_ID2"; // gateway ID byte 0
inline constexpr const wchar_t* GwId1 = L"GW_ID1"; // byte 1
inline constexpr const wchar_t* GwId0 = L"GW_ID0"; // byte 2
inline constexpr const wchar_t* Aort = L"AORT";
inline constexpr const wchar_t* SrvDns = L"SRV_DNS";
inline constexpr const wchar_t* Port = L"PORT";
inline constexpr const wchar_t* Dhcp = L"DHCP";
inline constexpr const wchar_t* FestIp = L"FEST_IP";
inline constexpr const wchar_t* GwIp = L"GW_IP";
inline constexpr const wchar_t* SubIp = L"SUB_IP";
inline constexpr const wchar_t* DnsIp = L"DNS_IP";
inline constexpr const wchar_t* NtpIp = L"NTP_IP";
inline constexpr const wchar_t* Sofort = L"SOFORT";
inline constexpr const wchar_t* ProH = L"PROH";
inline constexpr const wchar_t* ProTag = L"PROTAG";
inline constexpr const wchar_t* ProMonat = L"PROMONAT";
inline constexpr const wchar_t* MasterKey = L"MASTERKEY";

// SOFTWARE
inline constexpr const wchar_t* V1 = L"V1";
inline constexpr const wchar_t* V2 = L"V2";
inline constexpr const wchar_t* V3 = L"V3";

// WM-BUS; the four list keys end in their entry number 0 to 3.
inline constexpr const wchar_t* ModeT = L"MODET";
inline constexpr const wchar_t* ModeS = L"MODES";
inline constexpr const wchar_t* FilterHersteller = L"FILTER_HERSTELLER";
inline constexpr const wchar_t* FilterMedium = L"FILTER_MEDIUM";
inline constexpr const wchar_t* FilterIds = L"FILTER_IDS";
inline constexpr const wchar_t* FilterHsPrefix = L"FILTER_HS";
inline constexpr const wchar_t* FilterMcPrefix = L"FILTER_MC";

// WM-BUS_IDS: "ID" + slot number; readers take the keys by position, whatever their names.
inline constexpr const wchar_t* IdPrefix = L"ID";
} // namespace SetupKeys

// The value a reader takes for a missing key. MODES has none of its own: it is the complement
// of MODET as read. A WM-BUS_IDS key without a usable radio ID stands for no entry at all.
namespace SetupDefaults {
inline constexpr bool SendEnabled = false;
inline constexpr bool GetEnabled = false;
inline constexpr bool UpdateEnabled = false;
inline constexpr const wchar_t* SendTime = L"0.0.0 00:00:00";
inline constexpr const wchar_t* GetTime = L"0.0.0 00:00:00";

inline constexpr const wchar_t* GatewayIdByte = L"00";
inline constexpr const wchar_t* Aort = L"";
inline constexpr const wchar_t* SrvDns = L"";
inline constexpr int Port = 23;
inline constexpr bool Dhcp = true;
// An address key that is missing or empty reads as 0.0.0.0.
inline constexpr const wchar_t* FestIp = L"";
inline constexpr const wchar_t* GwIp = L"";
inline constexpr const wchar_t* SubIp = L"255.255.255.0";
inline constexpr const wchar_t* DnsIp = L"8.8.8.8";
inline constexpr const wchar_t* NtpIp = L"82.96.64.2";
inline constexpr bool Sofort = false;
inline constexpr bool ProH = true;
inline constexpr bool ProTag = false;
inline constexpr bool ProMonat = false;
inline constexpr const wchar_t* MasterKey = L"7C3A91E05B2F4D86A0C9E1374B5D2F68";

inline constexpr int V1 = 1;
inline constexpr int V2 = 0;
inline constexpr int V3 = 0;

inline constexpr bool ModeT = true;
inline constexpr bool FilterHersteller = false;
inline constexpr bool FilterMedium = false;
inline constexpr bool FilterIds = false;
inline constexpr const wchar_t* FilterHs = L"QXZ"; // each of FILTER_HS0 to FILTER_HS3
inline constexpr const wchar_t* FilterMc = L"8";   // each of FILTER_MC0 to FILTER_MC3
} // namespace SetupDefaults
