// The filter-list push of the statistics page: the devices marked for a gateway column become
// that gateway's radio-ID filter list, stored with the filter on and the setup queued for
// sending, in setup_daten (database mode) or in the gateway's setup file (file mode). Every
// gateway whose setup could not be changed is named to the operator.
#include "GatewaySetup.h"

#include "DataFolders.h"
#include "DbEscape.h"
#include "DbQuery.h"
#include "DbSchema.h"
#include "Dialogs.h"
#include "Encoding.h"
#include "Files.h"
#include "GatewaySetupDefaults.h"
#include "GatewaySetupFiles.h"
#include "GatewaySetupRecord.h"
#include "Helpfunktion.h"
#include "IniFiles.h"
#include "Marlindo.h"
#include "SysUtils.h"

#include <array>
#include <mutex>
#include <optional>

namespace {

using TGatewayIdBytes = std::array<uint8_t, 3>;

// A device marked for a column: its index in the device list and its radio ID.
struct TMarkedDevice {
    std::size_t Index;
    uint32_t RadioId;
};

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// The gateway ID bytes of a column's identifier: characters 1-2, 4-5 and 7-8 ("AA.BB.CC" or
// "AA_BB_CC"). Nothing when they are not hexadecimal pairs: such a text names no gateway and
// must not reach a file name or a statement.
std::optional<TGatewayIdBytes> GatewayIdBytes(const AnsiString& text)
{
    if (text.size() < 8) return std::nullopt;
    TGatewayIdBytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::size_t at = 3 * i;
        if (!IsHexDigit(text[at]) || !IsHexDigit(text[at + 1])) return std::nullopt;
        bytes[i] = HexPairToByte(text.substr(at, 2));
    }
    return bytes;
}

// The devices marked for column, in device order, at most one filter list's worth. Radio ID 0
// stands for an ID that is no decimal number: no device has it, so it is left out.
std::vector<TMarkedDevice> MarkedDevices(const TDeviceStats& devices, std::size_t column)
{
    std::vector<TMarkedDevice> marked;
    for (std::size_t d = 0; d < devices.size() && marked.size() < MaxMarkedDevicesPerGateway; ++d) {
        const auto& gateways = devices[d].Gateways;
        if (column < gateways.size() && gateways[column].Selected && devices[d].RadioId != 0)
            marked.push_back({d, devices[d].RadioId});
    }
    return marked;
}

UnicodeString JoinNames(const std::vector<UnicodeString>& names)
{
    UnicodeString text;
    for (const UnicodeString& name : names) text += (text.empty() ? L"" : L", ") + name;
    return text;
}

void ReportUnchanged(const std::vector<UnicodeString>& gateways, const UnicodeString& reason)
{
    UnicodeString text = L"Die Filterlisten folgender Gateways wurden nicht ge\u00E4ndert: " + JoinNames(gateways);
    if (!reason.empty()) text += L"\n" + reason;
    ShowMessage(text);
}

UnicodeString IdListText(const std::vector<TMarkedDevice>& marked)
{
    UnicodeString list;
    for (const TMarkedDevice& m : marked) {
        if (!list.empty()) list += L",";
        list += Format(UnicodeString(L"%.8d"), static_cast<int>(m.RadioId));
    }
    return list;
}

// Database mode: one UPDATE per gateway over a connection of the definition MARLINDO2.
bool PushToDatabase(const TDeviceStats& devices, const TGatewayColumns& columns)
{
    std::vector<std::size_t> work;
    for (std::size_t g = 0; g < columns.size(); ++g)
        if (columns[g].SelectedCount > 0) work.push_back(g);
    if (work.empty()) return true;

    std::vector<UnicodeString> unchanged;
    // Before the first switch-on nothing has registered the definition yet.
    if (FormSRV)
        EnsureMainConnectionDef(*FormSRV->FDConn1->Params(),
                                TDbSettings{FormSRV->EditDBServer->Text(), FormSRV->EditDBName->Text(),
                                            FormSRV->EditDBUser->Text(), FormSRV->EditDBPassword->Text()});
    TFDConnection connection(nullptr);
    connection.SetDriverName(L"MySQL");
    connection.SetConnectionDefName(MainConnectionDefName);
    connection.SetLoginPrompt(false);
    TFDQuery query(nullptr);
    query.SetConnection(&connection);
    try {
        connection.Open();
    } catch (const Exception& e) {
        for (std::size_t g : work) unchanged.push_back(AnsiToUnicode(columns[g].GatewayId));
        ReportUnchanged(unchanged, e.Message());
        return false;
    }

    for (std::size_t g : work) {
        const std::optional<TGatewayIdBytes> id = GatewayIdBytes(columns[g].GatewayId);
        const std::vector<TMarkedDevice> marked = MarkedDevices(devices, g);
        if (!id || marked.empty()) {
            unchanged.push_back(AnsiToUnicode(columns[g].GatewayId));
            continue;
        }
        const UnicodeString gatewayText = MySqlEscape(AnsiToUnicode(GatewayIdText(*id, '.')));
        try {
            query.SQL()->Clear();
            query.SQL()->Add(L"UPDATE `setup_daten` SET SET_ENABLED='Y',FILT_IDS='Y',FILT_IDLIST='" + IdListText(marked) +
                             L"' WHERE GW_ID='" + gatewayText + L"'");
            query.ExecSQL();
            const long long changed = query.RowsAffected();
            query.Close();
            // A row that already held this list is not changed, yet it is there.
            if (changed == 0 &&
                StrToIntDef(connection.ExecSQLScalar(L"SELECT COUNT(*) FROM `setup_daten` WHERE GW_ID='" + gatewayText + L"'"),
                            0) == 0)
                unchanged.push_back(gatewayText);
        } catch (const Exception&) {
            unchanged.push_back(gatewayText);
        }
    }
    connection.Close();
    if (unchanged.empty()) return true;
    ReportUnchanged(unchanged, UnicodeString());
    return false;
}

// File mode: the gateway's setup file, replaced as a whole under the file store's lock. A
// missing file is not made here: it would hold nothing but the filter.
bool PushToFiles(const TDeviceStats& devices, const TGatewayColumns& columns)
{
    using namespace SetupKeys;
    const UnicodeString folder = FormSRV ? FormSRV->SetupFolder() : DataSubfolder(L"W_MBUS_SRV_GWSETUPS");
    bool result = true;
    std::vector<UnicodeString> unchanged;
    UnicodeString reason; // why the first file that could not be written was left as it was
    for (std::size_t g = 0; g < columns.size(); ++g) {
        if (columns[g].SelectedCount <= 0) continue;
        const std::optional<TGatewayIdBytes> id = GatewayIdBytes(columns[g].GatewayId);
        const std::vector<TMarkedDevice> marked = MarkedDevices(devices, g);
        if (!id || marked.empty()) {
            unchanged.push_back(AnsiToUnicode(columns[g].GatewayId));
            continue;
        }
        ForceDataFolder(folder);
        const UnicodeString path = SetupFilePath(folder, *id);
        bool present = false;
        try {
            std::lock_guard<std::recursive_mutex> guard(SetupFileStoreLock());
            present = FileExists(path);
            if (present) {
                ReplaceSetupFile(path, [&marked](TIniFile& ini) {
                    ini.WriteBool(Wmbus, FilterIds, true);
                    ini.WriteBool(Senden, Enabled, true);
                    ini.EraseSection(WmbusIds);
                    for (const TMarkedDevice& m : marked)
                        ini.WriteString(WmbusIds, IdPrefix + IntToStr(m.Index), FormatUnsigned(m.RadioId));
                });
            }
        } catch (const Exception& e) {
            unchanged.push_back(AnsiToUnicode(columns[g].GatewayId));
            if (reason.empty()) reason = e.Message();
            continue;
        }
        if (!present) {
            ShowMessage(L"SETUP File " + ExtractFileName(path) + L" ist noch nicht vorhanden!");
            result = false;
        }
    }
    if (!unchanged.empty()) {
        ReportUnchanged(unchanged, reason);
        result = false;
    }
    return result;
}

} // namespace

bool TFormGWsetup::PushFilterIdList(const TDeviceStats& deviceStats, const TGatewayColumns& gatewayColumns,
                                    bool databaseMode)
{
    return databaseMode ? PushToDatabase(deviceStats, gatewayColumns) : PushToFiles(deviceStats, gatewayColumns);
}
