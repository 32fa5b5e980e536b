// Database store of the gateway setups (table `setup_daten`), read and written around a
// gateway contact over the contact's own connection.
#include "GatewaySetupDb.h"

#include "DatenVerarbeitung.h"
#include "DateUtils.h"
#include "DbEscape.h"
#include "DbQuery.h"
#include "Encoding.h"
#include "Helpfunktion.h"
#include "StringList.h"
#include "SysUtils.h"

#include <algorithm>

namespace {

// An escaped string literal of an 8-bit text.
UnicodeString Literal(const AnsiString& value)
{
    return L"'" + MySqlEscape(AnsiToUnicode(value)) + L"'";
}

UnicodeString GatewayIdLiteral(std::span<const uint8_t, 3> gatewayId)
{
    return Literal(GatewayIdText(gatewayId, '.'));
}

const wchar_t* Flag(bool on)
{
    return on ? L"'Y'" : L"'N'";
}

AnsiString VersionText(const GatewaySetupRecord& record)
{
    return Format(AnsiString("%u.%u.%u"), unsigned{record.FirmwareVersion[0]}, unsigned{record.FirmwareVersion[1]},
                  unsigned{record.FirmwareVersion[2]});
}

AnsiString PortText(const GatewaySetupRecord& record)
{
    return Format(AnsiString("%hu"), static_cast<unsigned short>(record.ServerPort));
}

// The three characters as they stand in the record; NUL bytes are kept (escaped).
AnsiString ManufacturerText(const ManufacturerCode& code)
{
    return AnsiString(code.data(), code.size());
}

// The value texts of the setup columns, in the order both statements list them.
struct SetupValues {
    AnsiString Version, ServerName, FixedIp, GatewayIp, SubnetMask, NtpIp, DnsIp, Port, Interval, Key, IdList;
    bool Dhcp, ModeT, ManufacturerFilter, MediumFilter, IdFilter;
    std::array<AnsiString, FilterManufacturerCount> Manufacturers;
    std::array<AnsiString, FilterMediumCount> Media;

    explicit SetupValues(const GatewaySetupRecord& r)
        : Version(VersionText(r)), ServerName(r.ServerNameText()), FixedIp(FormatDottedIp(r.FixedIp)),
          GatewayIp(FormatDottedIp(r.GatewayIp)), SubnetMask(FormatDottedIp(r.SubnetMask)),
          NtpIp(FormatDottedIp(r.NtpIp)), DnsIp(FormatDottedIp(r.DnsIp)), Port(PortText(r)),
          Interval(SetupIntervalLetter(r.NetworkFlags)), Key(MasterKeyToText(r.MasterKey)), IdList(SetupIdListText(r)),
          Dhcp((r.NetworkFlags & NetworkDhcp) != 0), ModeT((r.WmbusFlags & WmbusModeT) != 0),
          ManufacturerFilter((r.WmbusFlags & WmbusManufacturerFilter) != 0),
          MediumFilter((r.WmbusFlags & WmbusMediumFilter) != 0), IdFilter((r.WmbusFlags & WmbusIdFilter) != 0)
    {
        for (std::size_t k = 0; k < FilterManufacturerCount; ++k) Manufacturers[k] = ManufacturerText(r.FilterManufacturers[k]);
        for (std::size_t k = 0; k < FilterMediumCount; ++k) Media[k] = SetupMediumCodeText(r.FilterMedia[k]);
    }
};

bool FieldIs(const TFDQuery& query, const wchar_t* name, const wchar_t* value)
{
    return query.FieldByName(name)->AsString() == value;
}

AnsiString FieldText(const TFDQuery& query, const wchar_t* name)
{
    return query.FieldByName(name)->AsAnsiString();
}

// Fills the record's setup fields from the current row of a `select *` on setup_daten. A bad
// address or a key shorter than 32 characters raise, as the record cannot be formed;
// FirmwareVersion and the bytes without a column are kept.
void FillRecordFromRow(const TFDQuery& q, GatewaySetupRecord& r)
{
    ParseDottedIp(FieldText(q, L"NW_FEST_IP"), r.FixedIp);
    ParseDottedIp(FieldText(q, L"NW_GW_IP"), r.GatewayIp);
    ParseDottedIp(FieldText(q, L"NW_SUB_IP"), r.SubnetMask);
    ParseDottedIp(FieldText(q, L"NW_NTP_IP"), r.NtpIp);
    ParseDottedIp(FieldText(q, L"NW_DNS_IP"), r.DnsIp);
    r.ServerPort = static_cast<uint16_t>(q.FieldByName(L"NW_PORT")->AsInteger() & 0xFFFF);
    r.MasterKey = MasterKeyFromText(FieldText(q, L"NW_MASTERKEY"));

    unsigned short year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    DecodeDateTime(q.FieldByName(L"SET_TIME")->AsDateTime(), year, month, day, hour, minute, second, msec);
    r.SetTime.Year = year;
    r.SetTime.Month = static_cast<uint8_t>(month);
    r.SetTime.Day = static_cast<uint8_t>(day);
    r.SetTime.Hour = static_cast<uint8_t>(hour);
    r.SetTime.Minute = static_cast<uint8_t>(minute);
    r.SetTime.Second = static_cast<uint8_t>(second);

    r.NetworkFlags = 0;
    r.SetServerName(FieldText(q, L"NW_SRV"));
    if (FieldIs(q, L"NW_DHCP", L"Y")) r.NetworkFlags |= NetworkDhcp;
    const UnicodeString interval = q.FieldByName(L"NW_INTERVALL")->AsString();
    if (interval == L"S")
        r.NetworkFlags |= NetworkIntervalImmediate;
    else if (interval == L"H")
        r.NetworkFlags |= NetworkIntervalHourly;
    else if (interval == L"T")
        r.NetworkFlags |= NetworkIntervalDaily;
    else if (interval == L"M")
        r.NetworkFlags |= NetworkIntervalMonthly;

    r.WmbusFlags = 0;
    if (FieldIs(q, L"FILT_MODE", L"T")) r.WmbusFlags |= WmbusModeT;
    if (FieldIs(q, L"FILT_HERST", L"Y")) r.WmbusFlags |= WmbusManufacturerFilter;
    if (FieldIs(q, L"FILT_MEDIUM", L"Y")) r.WmbusFlags |= WmbusMediumFilter;
    if (FieldIs(q, L"FILT_IDS", L"Y")) r.WmbusFlags |= WmbusIdFilter;

    static const wchar_t* const hs[] = {L"FILT_HS1", L"FILT_HS2", L"FILT_HS3", L"FILT_HS4"};
    static const wchar_t* const mc[] = {L"FILT_MC1", L"FILT_MC2", L"FILT_MC3", L"FILT_MC4"};
    for (std::size_t k = 0; k < FilterManufacturerCount; ++k) {
        // A code is NUL-padded in the record (an unused filter entry is all NUL) and stored so;
        // the text read back ends before the first NUL, so the padding is restored here rather
        // than the contact ended.
        AnsiString code = FieldText(q, hs[k]);
        if (code.size() < ManufacturerCode{}.size()) code.resize(ManufacturerCode{}.size(), '\0');
        r.FilterManufacturers[k] = ManufacturerCodeFromText(code);
    }
    for (std::size_t k = 0; k < FilterMediumCount; ++k)
        r.FilterMedia[k] = static_cast<uint8_t>(q.FieldByName(mc[k])->AsInteger() & 0xFF);

    SetupIdListFromText(FieldText(q, L"FILT_IDLIST"), r);
}

struct PendingRequests {
    TReplyAction Action = ReplyNone; // firmware update, then fetch, then send
    bool SendPending = false;        // some row has SET_ENABLED 'Y'
};

// Reads the gateway's rows. The last row with a request decides the action. fillForSend:
// the record is filled from every row with a send request (the last one wins); otherwise only
// from rows whose deciding request is the send. skipFirmware: SOFTUPDATE is passed over.
PendingRequests ReadRows(TFDQuery& query, std::span<const uint8_t, 3> gatewayId, GatewaySetupRecord& record,
                         bool fillForSend, bool skipFirmware = false)
{
    PendingRequests pending;
    query.SQL()->Clear();
    query.Open(L"select * from setup_daten where GW_ID like " + GatewayIdLiteral(gatewayId));
    while (!query.Eof()) {
        std::copy(gatewayId.begin(), gatewayId.end(), record.GatewayId.begin());
        const bool send = FieldIs(query, L"SET_ENABLED", L"Y");
        bool fill = false;
        if (!skipFirmware && FieldIs(query, L"SOFTUPDATE", L"Y")) {
            pending.Action = ReplyFirmwareUpdate;
        } else if (FieldIs(query, L"GET_ENABLED", L"Y")) {
            pending.Action = ReplyFetchSetup;
        } else if (send) {
            pending.Action = ReplySendSetup;
            fill = true;
        }
        if (send) pending.SendPending = true;
        if (fill || (send && fillForSend)) FillRecordFromRow(query, record);
        query.Next();
    }
    query.Close();
    return pending;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Table and text forms

UnicodeString SetupTableStatement()
{
    return L"CREATE TABLE IF NOT EXISTS `setup_daten` ("
           L" `GW_ID` varchar(8) NOT NULL,"
           L"  `GET_TIME` datetime NOT NULL,"
           L"  `MEMOTEXT` mediumtext,"
           L"  `GET_ENABLED` enum('Y','N') NOT NULL,"
           L"  `SET_TIME` datetime NOT NULL,"
           L"  `SET_ENABLED` enum('Y','N') NOT NULL,"
           L"  `SOFTWARE` varchar(8) NOT NULL,"
           L"  `SOFTUPDATE` enum('Y','N') NOT NULL DEFAULT 'N',"
           L"  `NW_SRV` varchar(50) NOT NULL,"
           L"  `NW_FEST_IP` varchar(15) NOT NULL,"
           L"  `NW_GW_IP` varchar(15) NOT NULL,"
           L"  `NW_SUB_IP` varchar(15) NOT NULL,"
           L"  `NW_NTP_IP` varchar(15) NOT NULL,"
           L"  `NW_DNS_IP` varchar(15) NOT NULL,"
           L"  `NW_DHCP` enum('Y','N') NOT NULL DEFAULT 'Y',"
           L"  `NW_PORT` smallint(5) unsigned NOT NULL,"
           L"  `NW_INTERVALL` enum('S','H','T','M') NOT NULL DEFAULT 'S',"
           L"  `FILT_MODE` enum('T','S') NOT NULL DEFAULT 'T',"
           L"  `FILT_HERST` enum('Y','N') NOT NULL DEFAULT 'N',"
           L"  `FILT_MEDIUM` enum('Y','N') NOT NULL DEFAULT 'N',"
           L"  `FILT_IDS` enum('Y','N') NOT NULL DEFAULT 'N',"
           L"  `FILT_HS1` varchar(3) NOT NULL DEFAULT 'QXZ',"
           L"  `FILT_HS2` varchar(3) NOT NULL DEFAULT 'QXZ',"
           L"  `FILT_HS3` varchar(3) NOT NULL DEFAULT 'QXZ',"
           L"  `FILT_HS4` varchar(3) NOT NULL DEFAULT 'QXZ',"
           L"  `FILT_MC1` tinyint(4) NOT NULL DEFAULT '8',"
           L"  `FILT_MC2` tinyint(4) NOT NULL DEFAULT '8',"
           L"  `FILT_MC3` tinyint(4) NOT NULL DEFAULT '8',"
           L"  `FILT_MC4` tinyint(4) NOT NULL DEFAULT '8',"
           L"  `FILT_IDLIST` text,"
           L"  `NW_MASTERKEY` varchar(32) DEFAULT NULL"
           L") ENGINE=InnoDB DEFAULT CHARSET=latin1;";
}

UnicodeString SetupSoftwareWideningStatement()
{
    return L"ALTER TABLE `setup_daten` MODIFY `SOFTWARE` varchar(" + IntToStr(SetupSoftwareColumnWidth) +
           L") NOT NULL";
}

AnsiString SetupIntervalLetter(uint8_t networkFlags)
{
    AnsiString letter = "S";
    if (networkFlags & NetworkIntervalImmediate) letter = "S";
    if (networkFlags & NetworkIntervalHourly) letter = "H";
    if (networkFlags & NetworkIntervalDaily) letter = "T";
    if (networkFlags & NetworkIntervalMonthly) letter = "M";
    return letter;
}

AnsiString SetupMediumCodeText(uint8_t medium)
{
    return std::to_string(static_cast<int>(static_cast<int8_t>(medium)));
}

AnsiString SetupIdListText(const GatewaySetupRecord& record)
{
    AnsiString text;
    for (const LittleEndian32& entry : record.FilterIds) {
        const uint32_t value = entry;
        if (value == 0) continue;
        if (!text.empty()) text += ',';
        text += RadioIdToText(value);
    }
    return text;
}

void SetupIdListFromText(const AnsiString& text, GatewaySetupRecord& record)
{
    for (LittleEndian32& entry : record.FilterIds) entry = 0;
    TStringList items;
    SplitString(text, ",", &items, true);
    std::size_t next = 0;
    for (int i = 0; i < items.Count() && next < FilterIdCount; ++i) {
        const AnsiString item = UnicodeToAnsi(items[i]);
        if (item.empty()) continue;
        if (const std::optional<uint32_t> id = RadioIdFromText(item)) record.FilterIds[next++] = *id;
    }
}

AnsiString SetupTimeText(double dateTime)
{
    unsigned short year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    DecodeDateTime(dateTime, year, month, day, hour, minute, second, msec);
    return Format(AnsiString("%.4d-%.2d-%.2d %.2d:%.2d:%.2d"), int{year}, int{month}, int{day}, int{hour},
                  int{minute}, int{second});
}

// ---------------------------------------------------------------------------------------------
// Statements

UnicodeString SetupUpdateStatement(std::span<const uint8_t, 3> gatewayId, const GatewaySetupRecord& record,
                                   TReplyAction action, const AnsiString& now)
{
    const SetupValues v(record);
    UnicodeString s = L"UPDATE `setup_daten` SET ";
    s += L"GET_TIME=" + Literal(now) + L",";
    s += L"GET_ENABLED='N',";
    if (action == ReplySendSetup) {
        s += L"SET_TIME=" + Literal(now) + L",";
        s += L"SET_ENABLED='N',";
    }
    s += L"SOFTWARE=" + Literal(v.Version) + L",";
    s += L"NW_SRV=" + Literal(v.ServerName) + L",";
    s += L"NW_FEST_IP=" + Literal(v.FixedIp) + L",";
    s += L"NW_GW_IP=" + Literal(v.GatewayIp) + L",";
    s += L"NW_SUB_IP=" + Literal(v.SubnetMask) + L",";
    s += L"NW_NTP_IP=" + Literal(v.NtpIp) + L",";
    s += L"NW_DNS_IP=" + Literal(v.DnsIp) + L",";
    s += UnicodeString(L"NW_DHCP=") + Flag(v.Dhcp) + L",";
    s += L"NW_PORT=" + Literal(v.Port) + L",";
    s += L"NW_INTERVALL=" + Literal(v.Interval) + L",";
    s += L"NW_MASTERKEY=" + Literal(v.Key) + L",";
    s += v.ModeT ? L"FILT_MODE='T'," : L"FILT_MODE='S',";
    s += UnicodeString(L"FILT_HERST=") + Flag(v.ManufacturerFilter) + L",";
    s += UnicodeString(L"FILT_MEDIUM=") + Flag(v.MediumFilter) + L",";
    s += UnicodeString(L"FILT_IDS=") + Flag(v.IdFilter) + L",";
    for (std::size_t k = 0; k < FilterManufacturerCount; ++k)
        s += L"FILT_HS" + IntToStr(static_cast<int>(k + 1)) + L"=" + Literal(v.Manufacturers[k]) + L",";
    for (std::size_t k = 0; k < FilterMediumCount; ++k)
        s += L"FILT_MC" + IntToStr(static_cast<int>(k + 1)) + L"=" + Literal(v.Media[k]) + L",";
    s += L"FILT_IDLIST=" + Literal(v.IdList);
    s += L" WHERE GW_ID=" + GatewayIdLiteral(gatewayId);
    return s;
}

UnicodeString SetupInsertStatement(std::span<const uint8_t, 3> gatewayId, const GatewaySetupRecord& record,
                                   const AnsiString& now)
{
    const SetupValues v(record);
    UnicodeString s = L"INSERT INTO `setup_daten` ("
                      L"GW_ID,GET_TIME,MEMOTEXT,GET_ENABLED,SET_TIME,SET_ENABLED,SOFTWARE,SOFTUPDATE,"
                      L"NW_SRV,NW_FEST_IP,NW_GW_IP,NW_SUB_IP,NW_NTP_IP,NW_DNS_IP,NW_DHCP,"
                      L"NW_PORT,NW_INTERVALL,NW_MASTERKEY,FILT_MODE,FILT_HERST,FILT_MEDIUM,FILT_IDS,"
                      L"FILT_HS1,FILT_HS2,FILT_HS3,FILT_HS4,"
                      L"FILT_MC1,FILT_MC2,FILT_MC3,FILT_MC4,"
                      L"FILT_IDLIST) value(";
    s += GatewayIdLiteral(gatewayId) + L",";
    s += Literal(now) + L",";
    s += L"'',";
    s += L"'N',";
    s += Literal(now) + L",";
    s += L"'N',";
    s += Literal(v.Version) + L",";
    s += L"'N',";
    s += Literal(v.ServerName) + L",";
    s += Literal(v.FixedIp) + L",";
    s += Literal(v.GatewayIp) + L",";
    s += Literal(v.SubnetMask) + L",";
    s += Literal(v.NtpIp) + L",";
    s += Literal(v.DnsIp) + L",";
    s += UnicodeString(Flag(v.Dhcp)) + L",";
    s += Literal(v.Port) + L",";
    s += Literal(v.Interval) + L",";
    s += Literal(v.Key) + L",";
    s += v.ModeT ? L"'T'," : L"'S',";
    s += UnicodeString(Flag(v.ManufacturerFilter)) + L",";
    s += UnicodeString(Flag(v.MediumFilter)) + L",";
    s += UnicodeString(Flag(v.IdFilter)) + L",";
    for (const AnsiString& code : v.Manufacturers) s += Literal(code) + L",";
    for (const AnsiString& code : v.Media) s += Literal(code) + L",";
    s += Literal(v.IdList) + L")";
    return s;
}

UnicodeString ClearSetupRequestStatement(std::span<const uint8_t, 3> gatewayId, bool send, const AnsiString& now)
{
    const UnicodeString head = send ? L"UPDATE `setup_daten` SET SET_ENABLED='N', SET_TIME="
                                    : L"UPDATE `setup_daten` SET GET_ENABLED='N', GET_TIME=";
    return head + Literal(now) + L" WHERE GW_ID=" + GatewayIdLiteral(gatewayId);
}

UnicodeString ClearFirmwareUpdateStatement(std::span<const uint8_t, 3> gatewayId)
{
    return L"UPDATE `setup_daten` SET SOFTUPDATE='N' WHERE GW_ID=" + GatewayIdLiteral(gatewayId);
}

// ---------------------------------------------------------------------------------------------
// The contact's side

TReplyAction TMyClass::ReadSetupFromDb(std::span<const uint8_t, 3> gatewayId, GatewaySetupRecord& record)
{
    if (!DatabaseOpen()) return ReplyNone;
    return ReadRows(*SetupQuery, gatewayId, record, false).Action;
}

TReplyAction TMyClass::ReadSetupFromDbBesideFirmware(std::span<const uint8_t, 3> gatewayId, GatewaySetupRecord& record,
                                                     bool setupReported)
{
    if (!DatabaseOpen()) return ReplyNone;
    const PendingRequests pending = ReadRows(*SetupQuery, gatewayId, record, setupReported, true);
    if (pending.Action != ReplyFetchSetup || !setupReported) return pending.Action;
    // The gateway's report in this contact answers the fetch; a queued setup (the record holds
    // it) is what is left to send.
    ClearSetupRequest(gatewayId, false);
    return pending.SendPending ? ReplySendSetup : ReplyNone;
}

bool TMyClass::CompareSetupWithDb(std::span<const uint8_t, 3> gatewayId, GatewaySetupRecord& stored,
                                  TReplyAction& action, const GatewaySetupRecord& reported)
{
    action = ReplyNone;
    if (!DatabaseOpen()) return true;
    // A pending send is compared whichever request wins: a gateway that does not carry the
    // setup waiting for it must not have its report stored over that setup.
    const PendingRequests pending = ReadRows(*SetupQuery, gatewayId, stored, true);
    action = pending.Action;
    if (!pending.SendPending) return true;
    return SetupComparedFieldsEqual(stored, reported);
}

void TMyClass::StoreReceivedSetup(std::span<const uint8_t, 3> gatewayId, const GatewaySetupRecord& record,
                                  TReplyAction action)
{
    if (!DatabaseOpen()) return;
    const UnicodeString existing =
        DbConnection->ExecSQLScalar(L"SELECT GW_ID from setup_daten WHERE GW_ID=" + GatewayIdLiteral(gatewayId));
    if (existing > L"0")
        UpdateSetupRow(gatewayId, record, action);
    else
        InsertSetupRow(gatewayId, record);
}

void TMyClass::UpdateSetupRow(std::span<const uint8_t, 3> gatewayId, const GatewaySetupRecord& record,
                              TReplyAction action)
{
    if (!DatabaseOpen()) return;
    SetupQuery->SQL()->Clear();
    SetupQuery->SQL()->Add(SetupUpdateStatement(gatewayId, record, action, SetupTimeText(Now())));
    SetupQuery->ExecSQL();
    SetupQuery->Close();
}

void TMyClass::InsertSetupRow(std::span<const uint8_t, 3> gatewayId, const GatewaySetupRecord& record)
{
    if (!DatabaseOpen()) return;
    SetupQuery->SQL()->Clear();
    SetupQuery->SQL()->Add(SetupInsertStatement(gatewayId, record, SetupTimeText(Now())));
    SetupQuery->ExecSQL();
}

void TMyClass::ClearSetupRequest(std::span<const uint8_t, 3> gatewayId, bool send)
{
    if (!DatabaseOpen()) return;
    SetupQuery->SQL()->Clear();
    SetupQuery->SQL()->Add(ClearSetupRequestStatement(gatewayId, send, SetupTimeText(Now())));
    SetupQuery->ExecSQL();
}
