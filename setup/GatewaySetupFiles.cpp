#include "GatewaySetupFiles.h"

#include "DataFolders.h"
#include "DateUtils.h"
#include "Encoding.h"
#include "Exceptions.h"
#include "Files.h"
#include "GatewaySetupDefaults.h"
#include "IniFiles.h"
#include "StringList.h"
#include "SysUtils.h"

#include <algorithm>
#include <array>

#include <windows.h>

namespace {
std::mutex hooksLock;
TSetupFileStoreTestHooks hooks;

TSetupFileStoreTestHooks CurrentHooks()
{
    std::lock_guard<std::mutex> guard(hooksLock);
    return hooks;
}

UnicodeString Numbered(const wchar_t* prefix, std::size_t n)
{
    return prefix + std::to_wstring(n);
}

// A missing or empty address reads as 0.0.0.0; any other text goes through ParseDottedIp.
void ReadAddress(const TIniFile& ini, const wchar_t* key, const wchar_t* def, Ipv4Address& address)
{
    const AnsiString text = Trim(UnicodeToAnsi(ini.ReadString(SetupKeys::Netzwerk, key, def)));
    if (text.empty())
        address = {};
    else
        ParseDottedIp(text, address);
}

// The first three characters; a shorter text is padded with NUL bytes.
ManufacturerCode ManufacturerFromSetupText(const AnsiString& text)
{
    ManufacturerCode code{};
    std::copy_n(text.begin(), std::min(text.size(), code.size()), code.begin());
    return code;
}

// Bytes that came from a gateway, as a value the INI file can hold: a line break or any other
// control character would end the value and start keys of the gateway's choosing.
UnicodeString ProfileValue(std::string_view bytes)
{
    AnsiString text(bytes);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    return AnsiToUnicode(text);
}

void FillRecord(const TIniFile& ini, std::span<const uint8_t, 3> gatewayId, GatewaySetupRecord& record)
{
    using namespace SetupKeys;
    namespace Def = SetupDefaults;

    std::copy(gatewayId.begin(), gatewayId.end(), record.GatewayId.begin());
    record.SetServerName(UnicodeToAnsi(ini.ReadString(Netzwerk, SrvDns, Def::SrvDns)));
    record.ServerPort = static_cast<uint16_t>(ini.ReadInteger(Netzwerk, Port, Def::Port));
    record.NetworkFlags = 0;
    record.WmbusFlags = 0;
    if (ini.ReadBool(Netzwerk, Dhcp, Def::Dhcp)) record.NetworkFlags |= NetworkDhcp;

    ReadAddress(ini, FestIp, Def::FestIp, record.FixedIp);
    ReadAddress(ini, GwIp, Def::GwIp, record.GatewayIp);
    ReadAddress(ini, SubIp, Def::SubIp, record.SubnetMask);
    ReadAddress(ini, DnsIp, Def::DnsIp, record.DnsIp);
    ReadAddress(ini, NtpIp, Def::NtpIp, record.NtpIp);

    if (ini.ReadBool(Netzwerk, Sofort, Def::Sofort)) record.NetworkFlags |= NetworkIntervalImmediate;
    if (ini.ReadBool(Netzwerk, ProH, Def::ProH)) record.NetworkFlags |= NetworkIntervalHourly;
    if (ini.ReadBool(Netzwerk, ProTag, Def::ProTag)) record.NetworkFlags |= NetworkIntervalDaily;
    if (ini.ReadBool(Netzwerk, ProMonat, Def::ProMonat)) record.NetworkFlags |= NetworkIntervalMonthly;

    record.MasterKey = MasterKeyFromText(UnicodeToAnsi(ini.ReadString(Netzwerk, MasterKey, Def::MasterKey)));

    if (ini.ReadBool(Wmbus, ModeT, Def::ModeT)) record.WmbusFlags |= WmbusModeT;
    if (ini.ReadBool(Wmbus, FilterHersteller, Def::FilterHersteller)) record.WmbusFlags |= WmbusManufacturerFilter;
    if (ini.ReadBool(Wmbus, FilterMedium, Def::FilterMedium)) record.WmbusFlags |= WmbusMediumFilter;
    if (ini.ReadBool(Wmbus, FilterIds, Def::FilterIds)) record.WmbusFlags |= WmbusIdFilter;

    for (std::size_t n = 0; n < FilterManufacturerCount; ++n)
        record.FilterManufacturers[n] =
            ManufacturerFromSetupText(UnicodeToAnsi(ini.ReadString(Wmbus, Numbered(FilterHsPrefix, n), Def::FilterHs)));
    for (std::size_t n = 0; n < FilterMediumCount; ++n)
        record.FilterMedia[n] =
            static_cast<uint8_t>(StrToInt(ini.ReadString(Wmbus, Numbered(FilterMcPrefix, n), Def::FilterMc)));

    // The list by position, whatever the key names; a value that is no radio ID takes no slot.
    record.FilterIds.fill(LittleEndian32{});
    TStringList keys;
    ini.ReadSection(WmbusIds, &keys);
    std::size_t slot = 0;
    for (int k = 0; k < keys.Count() && slot < FilterIdCount; ++k) {
        const AnsiString value = Trim(UnicodeToAnsi(ini.ReadString(WmbusIds, keys[k], L"")));
        const std::optional<uint32_t> id = RadioIdFromText(value);
        if (id && *id != 0) record.FilterIds[slot++] = *id;
    }
}

struct TPending {
    TReplyAction Action = ReplyNone;
    bool SendPending = false;
};

// The flags of the gateway's file. The record is filled when a send is pending and either it
// is the action or forCompare asks for the queued setup behind a firmware update too.
// skipUpdate: the firmware flag is passed over (a hook's firmware update then stands alone).
TPending ReadPending(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId, GatewaySetupRecord& record,
                     bool forCompare, bool skipUpdate = false)
{
    if (const auto hook = CurrentHooks().ReadSetupRecord) {
        TReplyAction action = hook(gatewayId, record);
        if (skipUpdate && action == ReplyFirmwareUpdate) action = ReplyNone;
        return {action, action == ReplySendSetup};
    }
    const UnicodeString path = SetupFilePath(folder, gatewayId);
    if (!FileExists(path)) return {};
    const TIniFile ini(path);
    const bool update =
        !skipUpdate && ini.ReadBool(SetupKeys::Update, SetupKeys::Enabled, SetupDefaults::UpdateEnabled);
    const bool send = ini.ReadBool(SetupKeys::Senden, SetupKeys::Enabled, SetupDefaults::SendEnabled);
    if (update && !forCompare) return {ReplyFirmwareUpdate, send};
    if (send) FillRecord(ini, gatewayId, record);
    if (update) return {ReplyFirmwareUpdate, send};
    if (send) return {ReplySendSetup, true};
    if (ini.ReadBool(SetupKeys::Get, SetupKeys::Enabled, SetupDefaults::GetEnabled)) return {ReplyFetchSetup, false};
    return {};
}

void WriteSetupKeys(TIniFile& ini, std::span<const uint8_t, 3> gatewayId, const GatewaySetupRecord& record,
                    bool sendConfirmed)
{
    using namespace SetupKeys;

    ini.WriteString(Get, GetTime, DateTimeToStr(Now()));
    // The reported setup answers a fetch as well: nothing is left to ask for.
    ini.WriteBool(Get, Enabled, false);
    if (sendConfirmed) {
        ini.WriteBool(Senden, Enabled, false);
        ini.WriteString(Senden, SendTime, DateTimeToStr(Now()));
    }
    ini.WriteString(Netzwerk, GwId2, Format(UnicodeString(L"%.2X"), gatewayId[0]));
    ini.WriteString(Netzwerk, GwId1, Format(UnicodeString(L"%.2X"), gatewayId[1]));
    ini.WriteString(Netzwerk, GwId0, Format(UnicodeString(L"%.2X"), gatewayId[2]));
    ini.WriteInteger(Software, V1, record.FirmwareVersion[0]);
    ini.WriteInteger(Software, V2, record.FirmwareVersion[1]);
    ini.WriteInteger(Software, V3, record.FirmwareVersion[2]);

    ini.WriteString(Netzwerk, SrvDns, ProfileValue(record.ServerNameText()));
    ini.WriteInteger(Netzwerk, Port, static_cast<uint16_t>(record.ServerPort));
    ini.WriteBool(Netzwerk, Dhcp, (record.NetworkFlags & NetworkDhcp) != 0);
    ini.WriteString(Netzwerk, FestIp, AnsiToUnicode(FormatDottedIp(record.FixedIp)));
    ini.WriteString(Netzwerk, GwIp, AnsiToUnicode(FormatDottedIp(record.GatewayIp)));
    ini.WriteString(Netzwerk, SubIp, AnsiToUnicode(FormatDottedIp(record.SubnetMask)));
    ini.WriteString(Netzwerk, DnsIp, AnsiToUnicode(FormatDottedIp(record.DnsIp)));
    ini.WriteString(Netzwerk, NtpIp, AnsiToUnicode(FormatDottedIp(record.NtpIp)));
    ini.WriteBool(Netzwerk, Sofort, (record.NetworkFlags & NetworkIntervalImmediate) != 0);
    ini.WriteBool(Netzwerk, ProH, (record.NetworkFlags & NetworkIntervalHourly) != 0);
    ini.WriteBool(Netzwerk, ProTag, (record.NetworkFlags & NetworkIntervalDaily) != 0);
    ini.WriteBool(Netzwerk, ProMonat, (record.NetworkFlags & NetworkIntervalMonthly) != 0);

    const bool modeT = (record.WmbusFlags & WmbusModeT) != 0;
    ini.WriteBool(Wmbus, ModeT, modeT);
    ini.WriteBool(Wmbus, ModeS, !modeT);
    ini.WriteBool(Wmbus, FilterHersteller, (record.WmbusFlags & WmbusManufacturerFilter) != 0);
    ini.WriteBool(Wmbus, FilterMedium, (record.WmbusFlags & WmbusMediumFilter) != 0);
    ini.WriteBool(Wmbus, FilterIds, (record.WmbusFlags & WmbusIdFilter) != 0);
    for (std::size_t n = 0; n < FilterManufacturerCount; ++n)
        ini.WriteString(Wmbus, Numbered(FilterHsPrefix, n),
                        ProfileValue(ManufacturerCodeToText(record.FilterManufacturers[n])));

    ini.WriteString(Netzwerk, MasterKey, AnsiToUnicode(MasterKeyToText(record.MasterKey)));

    for (std::size_t n = 0; n < FilterMediumCount; ++n)
        ini.WriteInteger(Wmbus, Numbered(FilterMcPrefix, n), record.FilterMedia[n]);

    ini.EraseSection(WmbusIds);
    for (std::size_t k = 0; k < FilterIdCount; ++k) {
        const uint32_t entry = record.FilterIds[k];
        if (entry != 0) ini.WriteString(WmbusIds, Numbered(IdPrefix, k), AnsiToUnicode(RadioIdToText(entry)));
    }
}

void WriteSetup(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId, const GatewaySetupRecord& record,
                TReplyAction action, bool sendConfirmed)
{
    if (const auto hook = CurrentHooks().StoreGatewaySetup) {
        hook(gatewayId, record, action);
        return;
    }
    ForceDataFolder(folder);
    ReplaceSetupFile(SetupFilePath(folder, gatewayId),
                     [&](TIniFile& ini) { WriteSetupKeys(ini, gatewayId, record, sendConfirmed); });
}

[[noreturn]] void RaiseReplaceError(const UnicodeString& path, DWORD error)
{
    throw EIniFileException(L"Unable to write to " + path + L": " + SystemErrorText(error));
}

// A temporary file that is removed unless it has replaced its target.
class TTemporarySetupFile {
public:
    explicit TTemporarySetupFile(const UnicodeString& target)
    {
        std::array<wchar_t, MAX_PATH> name{};
        if (GetTempFileNameW(ExtractFilePath(target).c_str(), L"GWI", 0, name.data()) == 0)
            RaiseReplaceError(target, GetLastError());
        path_ = name.data();
    }
    ~TTemporarySetupFile()
    {
        if (path_.empty()) return;
        // A copy of a read-only file is read-only too.
        ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path_.c_str());
    }
    TTemporarySetupFile(const TTemporarySetupFile&) = delete;
    TTemporarySetupFile& operator=(const TTemporarySetupFile&) = delete;

    const UnicodeString& Path() const { return path_; }
    void Replace(const UnicodeString& target)
    {
        if (!MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            RaiseReplaceError(target, GetLastError());
        path_.clear();
    }

private:
    UnicodeString path_;
};
} // namespace

void ReplaceSetupFile(const UnicodeString& path, const std::function<void(TIniFile& ini)>& write)
{
    std::lock_guard<std::recursive_mutex> guard(SetupFileStoreLock());
    // A read-only file is refused as a write into it would be (a rename would not ask).
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        RaiseReplaceError(path, ERROR_ACCESS_DENIED);
    TTemporarySetupFile copy(path);
    if (FileExists(path) && !CopyFileW(path.c_str(), copy.Path().c_str(), FALSE)) RaiseReplaceError(path, GetLastError());
    {
        TIniFile ini(copy.Path());
        // The system keeps a cached copy of a profile by name; it is let go however the writing
        // ends, so that a later file of the same temporary name is read afresh.
        try {
            write(ini);
        } catch (...) {
            ini.UpdateFile();
            throw;
        }
        ini.UpdateFile();
    }
    if (const auto hook = CurrentHooks().BeforeReplace) hook(copy.Path());
    copy.Replace(path);
    // A cached copy of the old file could pass for the new one: file times are coarse, and the
    // new file may carry the same time as the old one had when it was cached.
    TIniFile(path).UpdateFile();
}

void SetSetupFileStoreTestHooks(TSetupFileStoreTestHooks newHooks)
{
    std::lock_guard<std::mutex> guard(hooksLock);
    hooks = std::move(newHooks);
}

std::recursive_mutex& SetupFileStoreLock()
{
    static std::recursive_mutex lock;
    return lock;
}

UnicodeString SetupFilePath(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId)
{
    return folder + L"SETUPGW_" + AnsiToUnicode(GatewayIdText(gatewayId, '_')) + L".GWINI";
}

TReplyAction ReadSetupRecord(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId,
                             GatewaySetupRecord& record)
{
    std::lock_guard<std::recursive_mutex> guard(SetupFileStoreLock());
    return ReadPending(folder, gatewayId, record, false).Action;
}

TReplyAction ReadSetupRecordBesideFirmware(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId,
                                           GatewaySetupRecord& record)
{
    std::lock_guard<std::recursive_mutex> guard(SetupFileStoreLock());
    return ReadPending(folder, gatewayId, record, false, true).Action;
}

bool SetupMatches(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId, GatewaySetupRecord& storedRecord,
                  const GatewaySetupRecord& reportedRecord, TReplyAction& action)
{
    std::lock_guard<std::recursive_mutex> guard(SetupFileStoreLock());
    const TPending pending = ReadPending(folder, gatewayId, storedRecord, true);
    action = pending.Action;
    return !pending.SendPending || SetupComparedFieldsEqual(storedRecord, reportedRecord);
}

void StoreGatewaySetup(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId,
                       const GatewaySetupRecord& record, TReplyAction action)
{
    std::lock_guard<std::recursive_mutex> guard(SetupFileStoreLock());
    WriteSetup(folder, gatewayId, record, action, action == ReplySendSetup);
}

bool CompareAndStoreReportedSetup(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId,
                                  GatewaySetupRecord& storedRecord, const GatewaySetupRecord& reportedRecord,
                                  TReplyAction& action)
{
    std::lock_guard<std::recursive_mutex> guard(SetupFileStoreLock());
    const TPending pending = ReadPending(folder, gatewayId, storedRecord, true);
    action = pending.Action;
    if (pending.SendPending && !SetupComparedFieldsEqual(storedRecord, reportedRecord)) return false;
    WriteSetup(folder, gatewayId, reportedRecord, action, pending.SendPending);
    return true;
}

void ClearFirmwareUpdateFlag(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId)
{
    if (const auto hook = CurrentHooks().ClearFirmwareUpdateFlag) {
        hook(gatewayId);
        return;
    }
    std::lock_guard<std::recursive_mutex> guard(SetupFileStoreLock());
    ForceDataFolder(folder);
    ReplaceSetupFile(SetupFilePath(folder, gatewayId),
                     [](TIniFile& ini) { ini.WriteBool(SetupKeys::Update, SetupKeys::Enabled, false); });
}
