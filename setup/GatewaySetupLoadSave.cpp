// The setup dialog's load and save: the controls filled from, and written to, the gateway's row
// of setup_daten (database mode, over the main window's connection) or its setup file (file
// mode, under the file store's lock).
#include "GatewaySetup.h"

#include "DataFolders.h"
#include "DateUtils.h"
#include "DbEscape.h"
#include "DbQuery.h"
#include "DbSchema.h"
#include "Dialogs.h"
#include "Files.h"
#include "GatewaySetupDb.h"
#include "GatewaySetupDefaults.h"
#include "GatewaySetupDialogValues.h"
#include "GatewaySetupFiles.h"
#include "Helpfunktion.h"
#include "IniFiles.h"
#include "Marlindo.h"
#include "SysUtils.h"

#include <mutex>
#include <optional>

namespace {

constexpr int MaxListEntries = static_cast<int>(FilterIdCount);
const wchar_t* const SetupSubfolder = L"W_MBUS_SRV_GWSETUPS";
const wchar_t* const NoConnectionText = L"Keine DB Verbindung!";

UnicodeString Numbered(const wchar_t* prefix, std::size_t n) { return prefix + std::to_wstring(n); }

// The main window's connection for one load or save. A connection the server has not set up
// yet is configured from the settings edits and opened here, and closed again at the end, so
// that an open connection of the running server is never closed under it.
class TDialogDbSession {
public:
    explicit TDialogDbSession(TFDConnection& connection) : connection_(connection)
    {
        if (connection_.Connected()) return;
        opened_ = true;
        try {
            const TFormSRV& main = *FormSRV;
            ConfigureDbConnection(connection_, TDbSettings{main.EditDBServer->Text(), main.EditDBName->Text(),
                                                           main.EditDBUser->Text(), main.EditDBPassword->Text()});
        } catch (...) {
            Close();
            throw;
        }
    }
    ~TDialogDbSession() { Close(); }
    TDialogDbSession(const TDialogDbSession&) = delete;
    TDialogDbSession& operator=(const TDialogDbSession&) = delete;

private:
    void Close() noexcept
    {
        if (!opened_) return;
        try {
            connection_.Close();
        } catch (...) {
        }
    }

    TFDConnection& connection_;
    bool opened_ = false;
};

UnicodeString Literal(const UnicodeString& value) { return L"'" + MySqlEscape(value) + L"'"; }

UnicodeString GatewayIdKey(const TSetupDialogTexts& t)
{
    return t.GatewayId[0] + L"." + t.GatewayId[1] + L"." + t.GatewayId[2];
}

const wchar_t* Flag(bool on) { return on ? L"'Y'" : L"'N'"; }

const wchar_t* IntervalLetter(const TSetupDialogTexts& t)
{
    if (t.Sofort) return L"'S'";
    if (t.ProH) return L"'H'";
    if (t.ProTag) return L"'T'";
    return L"'M'";
}

// The medium code as the table keeps it: a signed byte.
UnicodeString MediumLiteral(const UnicodeString& text)
{
    return Literal(AnsiToUnicode(SetupMediumCodeText(static_cast<uint8_t>(*SetupMediumFromText(text)))));
}

UnicodeString PortLiteral(const UnicodeString& text) { return Literal(IntToStr(*SetupPortFromText(text))); }

UnicodeString IdListLiteral(const TSetupDialogTexts& t)
{
    UnicodeString list;
    for (const UnicodeString& id : t.Ids) {
        if (!list.empty()) list += L",";
        list += id;
    }
    return Literal(list);
}

// The dialog's values for an existing row; the master key, the firmware version and the times
// stay as the row holds them.
UnicodeString UpdateStatement(const TSetupDialogTexts& t)
{
    UnicodeString s = L"UPDATE `setup_daten` SET ";
    s += UnicodeString(L"SET_ENABLED=") + Flag(t.SendEnabled) + L",";
    s += UnicodeString(L"SOFTUPDATE=") + Flag(t.UpdateEnabled) + L",";
    s += L"MEMOTEXT=" + Literal(t.Anbauort) + L",";
    s += L"NW_SRV=" + Literal(t.ServerName) + L",";
    s += L"NW_PORT=" + PortLiteral(t.Port) + L",";
    s += L"NW_FEST_IP=" + Literal(t.FixedIp) + L",";
    s += L"NW_GW_IP=" + Literal(t.GatewayIp) + L",";
    s += L"NW_SUB_IP=" + Literal(t.SubnetMask) + L",";
    s += L"NW_DNS_IP=" + Literal(t.DnsIp) + L",";
    s += L"NW_NTP_IP=" + Literal(t.NtpIp) + L",";
    s += UnicodeString(L"NW_DHCP=") + Flag(t.Dhcp) + L",";
    s += UnicodeString(L"NW_INTERVALL=") + IntervalLetter(t) + L",";
    s += t.ModeT ? L"FILT_MODE='T'," : L"FILT_MODE='S',";
    s += UnicodeString(L"FILT_HERST=") + Flag(t.ManufacturerFilter) + L",";
    for (std::size_t k = 0; k < t.Manufacturers.size(); ++k)
        s += L"FILT_HS" + IntToStr(k + 1) + L"=" + Literal(t.Manufacturers[k]) + L",";
    s += UnicodeString(L"FILT_MEDIUM=") + Flag(t.MediumFilter) + L",";
    for (std::size_t k = 0; k < t.Media.size(); ++k)
        s += L"FILT_MC" + IntToStr(k + 1) + L"=" + MediumLiteral(t.Media[k]) + L",";
    s += UnicodeString(L"FILT_IDS=") + Flag(t.IdFilter) + L",";
    s += L"FILT_IDLIST=" + IdListLiteral(t);
    s += L" WHERE GW_ID=" + Literal(GatewayIdKey(t));
    return s;
}

// A new row for a gateway that has none yet, every column from the dialog. The times are those
// of the save; no fetch is pending.
UnicodeString InsertStatement(const TSetupDialogTexts& t, const UnicodeString& now)
{
    UnicodeString s = L"INSERT INTO `setup_daten` ("
                      L"GW_ID,GET_TIME,MEMOTEXT,GET_ENABLED,SET_TIME,SET_ENABLED,SOFTWARE,SOFTUPDATE,"
                      L"NW_SRV,NW_FEST_IP,NW_GW_IP,NW_SUB_IP,NW_NTP_IP,NW_DNS_IP,NW_DHCP,"
                      L"NW_PORT,NW_INTERVALL,NW_MASTERKEY,FILT_MODE,FILT_HERST,FILT_MEDIUM,FILT_IDS,"
                      L"FILT_HS1,FILT_HS2,FILT_HS3,FILT_HS4,FILT_MC1,FILT_MC2,FILT_MC3,FILT_MC4,"
                      L"FILT_IDLIST) VALUES (";
    s += Literal(GatewayIdKey(t)) + L",";
    s += Literal(now) + L",";
    s += Literal(t.Anbauort) + L",";
    s += L"'N',";
    s += Literal(now) + L",";
    s += UnicodeString(Flag(t.SendEnabled)) + L",";
    s += Literal(t.SoftwareVersion) + L",";
    s += UnicodeString(Flag(t.UpdateEnabled)) + L",";
    s += Literal(t.ServerName) + L",";
    s += Literal(t.FixedIp) + L",";
    s += Literal(t.GatewayIp) + L",";
    s += Literal(t.SubnetMask) + L",";
    s += Literal(t.NtpIp) + L",";
    s += Literal(t.DnsIp) + L",";
    s += UnicodeString(Flag(t.Dhcp)) + L",";
    s += PortLiteral(t.Port) + L",";
    s += UnicodeString(IntervalLetter(t)) + L",";
    s += Literal(t.MasterKey) + L",";
    s += t.ModeT ? L"'T'," : L"'S',";
    s += UnicodeString(Flag(t.ManufacturerFilter)) + L",";
    s += UnicodeString(Flag(t.MediumFilter)) + L",";
    s += UnicodeString(Flag(t.IdFilter)) + L",";
    for (const UnicodeString& code : t.Manufacturers) s += Literal(code) + L",";
    for (const UnicodeString& code : t.Media) s += MediumLiteral(code) + L",";
    s += IdListLiteral(t) + L")";
    return s;
}

void ShowSaveError(const UnicodeString& text) { MessageDlg(text, mtError, {mbOK}, 0); }

// A MySQL LIKE pattern that matches text only.
UnicodeString LikeLiteral(const UnicodeString& text)
{
    UnicodeString escaped = MySqlEscape(text);
    escaped = StringReplace(escaped, L"%", L"\\%", rfReplaceAll);
    escaped = StringReplace(escaped, L"_", L"\\_", rfReplaceAll);
    return L"'" + escaped + L"'";
}

// The dialog's keys of a setup file; the two filter sections are written anew.
void WriteSetupFileKeys(TIniFile& ini, const TSetupDialogTexts& t)
{
    using namespace SetupKeys;

    ini.WriteBool(Senden, SetupKeys::Enabled, t.SendEnabled);
    ini.WriteBool(SetupKeys::Update, SetupKeys::Enabled, t.UpdateEnabled);

    ini.WriteString(Netzwerk, GwId2, t.GatewayId[0]);
    ini.WriteString(Netzwerk, GwId1, t.GatewayId[1]);
    ini.WriteString(Netzwerk, GwId0, t.GatewayId[2]);
    ini.WriteString(Netzwerk, Aort, t.Anbauort);
    ini.WriteString(Netzwerk, SrvDns, t.ServerName);
    ini.WriteInteger(Netzwerk, Port, *SetupPortFromText(t.Port));
    ini.WriteBool(Netzwerk, Dhcp, t.Dhcp);
    ini.WriteString(Netzwerk, FestIp, t.FixedIp);
    ini.WriteString(Netzwerk, GwIp, t.GatewayIp);
    ini.WriteString(Netzwerk, SubIp, t.SubnetMask);
    ini.WriteString(Netzwerk, DnsIp, t.DnsIp);
    ini.WriteString(Netzwerk, NtpIp, t.NtpIp);
    ini.WriteBool(Netzwerk, Sofort, t.Sofort);
    ini.WriteBool(Netzwerk, ProH, t.ProH);
    ini.WriteBool(Netzwerk, ProTag, t.ProTag);
    ini.WriteBool(Netzwerk, ProMonat, t.ProMonat);
    ini.WriteString(Netzwerk, MasterKey, t.MasterKey);

    ini.EraseSection(Wmbus);
    ini.WriteBool(Wmbus, ModeT, t.ModeT);
    ini.WriteBool(Wmbus, ModeS, !t.ModeT);
    ini.WriteBool(Wmbus, FilterHersteller, t.ManufacturerFilter);
    for (std::size_t k = 0; k < t.Manufacturers.size(); ++k)
        ini.WriteString(Wmbus, Numbered(FilterHsPrefix, k), t.Manufacturers[k]);
    ini.WriteBool(Wmbus, FilterMedium, t.MediumFilter);
    for (std::size_t k = 0; k < t.Media.size(); ++k)
        ini.WriteString(Wmbus, Numbered(FilterMcPrefix, k), IntToStr(*SetupMediumFromText(t.Media[k])));
    ini.WriteBool(Wmbus, FilterIds, t.IdFilter);

    ini.EraseSection(WmbusIds);
    for (std::size_t i = 0; i < t.Ids.size(); ++i)
        ini.WriteString(WmbusIds, Numbered(IdPrefix, i), RadioIdFileValue(t.Ids[i]));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Loading

bool TFormGWsetup::LoadSetup(const UnicodeString& path, AnsiString AA, AnsiString BB, AnsiString CC)
{
    if (FormSRV && FormSRV->DatabaseMode()) return LoadSetupFromDb(AA, BB, CC);
    return LoadSetupFromFile(path, AA, BB, CC);
}

bool TFormGWsetup::LoadSetupFromDb(AnsiString AA, AnsiString BB, AnsiString CC)
{
    TFDConnection& connection = *FormSRV->FDConn1;
    dbConnection_ = &connection;
    TDialogDbSession session(connection);
    if (!connection.Connected()) return false;

    TFDQuery query(nullptr);
    query.SetConnection(&connection);
    query.Open(L"select * from setup_daten where GW_ID like " + LikeLiteral(AnsiToUnicode(AA + "." + BB + "." + CC)));
    const auto text = [&query](const wchar_t* column) { return query.FieldByName(column)->AsString(); };
    const auto is = [&text](const wchar_t* column, const wchar_t* value) { return text(column) == value; };

    bool found = false;
    // A later row overwrites what an earlier one set.
    for (; !query.Eof(); query.Next()) {
        EditSendTime->SetText(DateTimeToStr(query.FieldByName(L"SET_TIME")->AsDateTime()));
        EditEmpfTime->SetText(DateTimeToStr(query.FieldByName(L"GET_TIME")->AsDateTime()));
        CheckBoxEnableSend->SetChecked(is(L"SET_ENABLED", L"Y"));
        CheckBoxEnableSoftUpdate->SetChecked(is(L"SOFTUPDATE", L"Y"));
        EditGWID2->SetText(AnsiToUnicode(AA));
        EditGWID1->SetText(AnsiToUnicode(BB));
        EditGWID0->SetText(AnsiToUnicode(CC));
        EditSoftVer->SetText(text(L"SOFTWARE"));
        EditAnbauort->SetText(text(L"MEMOTEXT"));
        EditServerDNS->SetText(text(L"NW_SRV"));
        EditPort->SetText(text(L"NW_PORT"));
        CheckBoxDHCP->SetChecked(is(L"NW_DHCP", L"Y"));
        EditFestIP->SetText(text(L"NW_FEST_IP"));
        EditGW->SetText(text(L"NW_GW_IP"));
        EditSubMsk->SetText(text(L"NW_SUB_IP"));
        EditDNSSrv->SetText(text(L"NW_DNS_IP"));
        EditNTP->SetText(text(L"NW_NTP_IP"));
        RadioButtonSofort->SetChecked(is(L"NW_INTERVALL", L"S"));
        RadioButtonProH->SetChecked(is(L"NW_INTERVALL", L"H"));
        RadioButtonProTag->SetChecked(is(L"NW_INTERVALL", L"T"));
        RadioButtonProMonat->SetChecked(is(L"NW_INTERVALL", L"M"));
        RadioButtonT->SetChecked(is(L"FILT_MODE", L"T"));
        RadioButtonS->SetChecked(is(L"FILT_MODE", L"S"));
        CheckBoxFiltManCode->SetChecked(is(L"FILT_HERST", L"Y"));
        TEdit* const manufacturers[] = {EditHS0, EditHS1, EditHS2, EditHS3};
        for (std::size_t k = 0; k < 4; ++k) manufacturers[k]->SetText(text(Numbered(L"FILT_HS", k + 1).c_str()));
        EditMasterKey->SetText(text(L"NW_MASTERKEY"));
        CheckBoxFiltMC->SetChecked(is(L"FILT_MEDIUM", L"Y"));
        TEdit* const media[] = {EditMC0, EditMC1, EditMC2, EditMC3};
        for (std::size_t k = 0; k < 4; ++k) {
            // The table keeps a medium byte signed; the dialog shows the byte.
            const UnicodeString stored = text(Numbered(L"FILT_MC", k + 1).c_str());
            int value = 0;
            media[k]->SetText(TryStrToInt(stored, value) ? IntToStr(value & 0xFF) : stored);
        }
        CheckBoxFiltFunkID->SetChecked(is(L"FILT_IDS", L"Y"));

        ListBoxFiltIDs->Items()->Clear();
        TStringList items;
        SplitString(UnicodeToAnsi(text(L"FILT_IDLIST")), ",", &items, true);
        for (int i = 0; i < items.Count() && ListBoxFiltIDs->Count() < MaxListEntries; ++i)
            if (const std::optional<UnicodeString> entry = RadioIdEntryFromStore(items[i]))
                ListBoxFiltIDs->Items()->Add(*entry);
        ShowIdCount();
        found = true;
    }
    query.Close();
    return found;
}

bool TFormGWsetup::LoadSetupFromFile(const UnicodeString& path, const AnsiString& AA, const AnsiString& BB,
                                     const AnsiString& CC)
{
    using namespace SetupKeys;
    namespace Def = SetupDefaults;

    std::lock_guard<std::recursive_mutex> guard(SetupFileStoreLock());
    if (!FileExists(path)) return false;
    const TIniFile ini(path);

    EditSendTime->SetText(ini.ReadString(Senden, SendTime, Def::SendTime));
    EditEmpfTime->SetText(ini.ReadString(Get, GetTime, Def::GetTime));
    CheckBoxEnableSend->SetChecked(ini.ReadBool(Senden, SetupKeys::Enabled, Def::SendEnabled));
    CheckBoxEnableSoftUpdate->SetChecked(ini.ReadBool(SetupKeys::Update, SetupKeys::Enabled, Def::UpdateEnabled));
    if (AA.empty() || BB.empty() || CC.empty()) {
        EditGWID2->SetText(ini.ReadString(Netzwerk, GwId2, Def::GatewayIdByte));
        EditGWID1->SetText(ini.ReadString(Netzwerk, GwId1, Def::GatewayIdByte));
        EditGWID0->SetText(ini.ReadString(Netzwerk, GwId0, Def::GatewayIdByte));
    } else {
        EditGWID2->SetText(AnsiToUnicode(AA));
        EditGWID1->SetText(AnsiToUnicode(BB));
        EditGWID0->SetText(AnsiToUnicode(CC));
    }
    EditSoftVer->SetText(IntToStr(ini.ReadInteger(Software, V1, Def::V1)) + L"." +
                         IntToStr(ini.ReadInteger(Software, V2, Def::V2)) + L"." +
                         IntToStr(ini.ReadInteger(Software, V3, Def::V3)));

    EditAnbauort->SetText(ini.ReadString(Netzwerk, Aort, Def::Aort));
    EditServerDNS->SetText(ini.ReadString(Netzwerk, SrvDns, Def::SrvDns));
    EditPort->SetText(IntToStr(ini.ReadInteger(Netzwerk, Port, Def::Port)));
    CheckBoxDHCP->SetChecked(ini.ReadBool(Netzwerk, Dhcp, Def::Dhcp));
    EditFestIP->SetText(ini.ReadString(Netzwerk, FestIp, Def::FestIp));
    EditGW->SetText(ini.ReadString(Netzwerk, GwIp, Def::GwIp));
    EditSubMsk->SetText(ini.ReadString(Netzwerk, SubIp, Def::SubIp));
    EditDNSSrv->SetText(ini.ReadString(Netzwerk, DnsIp, Def::DnsIp));
    EditNTP->SetText(ini.ReadString(Netzwerk, NtpIp, Def::NtpIp));
    // One key per button: of several set ones the last wins.
    RadioButtonSofort->SetChecked(ini.ReadBool(Netzwerk, Sofort, Def::Sofort));
    RadioButtonProH->SetChecked(ini.ReadBool(Netzwerk, ProH, Def::ProH));
    RadioButtonProTag->SetChecked(ini.ReadBool(Netzwerk, ProTag, Def::ProTag));
    RadioButtonProMonat->SetChecked(ini.ReadBool(Netzwerk, ProMonat, Def::ProMonat));

    RadioButtonT->SetChecked(ini.ReadBool(Wmbus, ModeT, Def::ModeT));
    RadioButtonS->SetChecked(ini.ReadBool(Wmbus, ModeS, !RadioButtonT->Checked()));
    CheckBoxFiltManCode->SetChecked(ini.ReadBool(Wmbus, FilterHersteller, Def::FilterHersteller));
    TEdit* const manufacturers[] = {EditHS0, EditHS1, EditHS2, EditHS3};
    for (std::size_t k = 0; k < 4; ++k)
        manufacturers[k]->SetText(ini.ReadString(Wmbus, Numbered(FilterHsPrefix, k), Def::FilterHs));
    EditMasterKey->SetText(ini.ReadString(Netzwerk, MasterKey, Def::MasterKey));
    CheckBoxFiltMC->SetChecked(ini.ReadBool(Wmbus, FilterMedium, Def::FilterMedium));
    TEdit* const media[] = {EditMC0, EditMC1, EditMC2, EditMC3};
    for (std::size_t k = 0; k < 4; ++k)
        media[k]->SetText(ini.ReadString(Wmbus, Numbered(FilterMcPrefix, k), Def::FilterMc));
    CheckBoxFiltFunkID->SetChecked(ini.ReadBool(Wmbus, FilterIds, Def::FilterIds));

    // Every key of the list section in file order, whatever its name, read as the store reads it.
    ListBoxFiltIDs->Items()->Clear();
    TStringList keys;
    ini.ReadSection(WmbusIds, &keys);
    for (int k = 0; k < keys.Count() && ListBoxFiltIDs->Count() < MaxListEntries; ++k)
        if (const std::optional<UnicodeString> entry = RadioIdEntryFromStore(ini.ReadString(WmbusIds, keys[k], L"")))
            ListBoxFiltIDs->Items()->Add(*entry);
    ShowIdCount();
    return true;
}

void TFormGWsetup::ButtonLOADClick(TObject*)
{
    OpenDialog->SetInitialDir(DataSubfolder(SetupSubfolder));
    OpenDialog->SetFilter(L"Gateway Setup  (*.gwini)|*.GWINI");
    if (OpenDialog->Execute()) LoadSetup(OpenDialog->FileName(), "", "", "");
}

// ---------------------------------------------------------------------------------------------
// Saving

TSetupDialogTexts TFormGWsetup::ReadControls() const
{
    TSetupDialogTexts t;
    // Hexadecimal texts are stored in upper case, as the contacts write and read them (a key's
    // lower-case digits would not give its bytes back).
    t.GatewayId = {UpperCase(EditGWID2->Text()), UpperCase(EditGWID1->Text()), UpperCase(EditGWID0->Text())};
    t.SoftwareVersion = EditSoftVer->Text();
    t.SendEnabled = CheckBoxEnableSend->Checked();
    t.UpdateEnabled = CheckBoxEnableSoftUpdate->Checked();
    t.Anbauort = EditAnbauort->Text();
    t.ServerName = EditServerDNS->Text();
    t.Port = EditPort->Text();
    t.Dhcp = CheckBoxDHCP->Checked();
    t.FixedIp = EditFestIP->Text();
    t.GatewayIp = EditGW->Text();
    t.SubnetMask = EditSubMsk->Text();
    t.DnsIp = EditDNSSrv->Text();
    t.NtpIp = EditNTP->Text();
    t.Sofort = RadioButtonSofort->Checked();
    t.ProH = RadioButtonProH->Checked();
    t.ProTag = RadioButtonProTag->Checked();
    t.ProMonat = RadioButtonProMonat->Checked();
    t.MasterKey = UpperCase(EditMasterKey->Text());
    t.ModeT = RadioButtonT->Checked();
    t.ManufacturerFilter = CheckBoxFiltManCode->Checked();
    t.Manufacturers = {EditHS0->Text(), EditHS1->Text(), EditHS2->Text(), EditHS3->Text()};
    t.MediumFilter = CheckBoxFiltMC->Checked();
    t.Media = {EditMC0->Text(), EditMC1->Text(), EditMC2->Text(), EditMC3->Text()};
    t.IdFilter = CheckBoxFiltFunkID->Checked();
    for (int i = 0; i < ListBoxFiltIDs->Count(); ++i) t.Ids.push_back(ListBoxFiltIDs->Items()->Strings(i));
    return t;
}

void TFormGWsetup::ButtonSAVEClick(TObject*)
{
    const TSetupDialogTexts texts = ReadControls();
    const bool saved = FormSRV && FormSRV->DatabaseMode() ? SaveToDb(texts) : SaveToFile(texts);
    if (saved) Close();
}

bool TFormGWsetup::SaveToDb(const TSetupDialogTexts& texts)
{
    // The table's reader cannot take an empty address; the master key goes only into a new row.
    if (const auto error = FindInvalidSetupText(texts, {.EmptyAddressAllowed = false, .MasterKeyWritten = false})) {
        ShowSaveError(*error);
        return false;
    }
    TFDConnection& connection = *FormSRV->FDConn1;
    dbConnection_ = &connection;
    std::optional<TDialogDbSession> session;
    try {
        session.emplace(connection);
    } catch (const EDatabaseError& e) {
        const UnicodeString reason = e.Message();
        ShowSaveError(reason.empty() ? UnicodeString(NoConnectionText) : NoConnectionText + (L"\r\n" + reason));
        return false;
    }
    if (!connection.Connected()) {
        ShowSaveError(NoConnectionText);
        return false;
    }
    try {
        // Affected rows count changed rows only: whether the row exists is asked first.
        const UnicodeString count = connection.ExecSQLScalar(L"SELECT COUNT(*) FROM `setup_daten` WHERE GW_ID=" +
                                                             Literal(GatewayIdKey(texts)));
        const bool exists = StrToIntDef(count, 0) > 0;
        const TSetupTextRules newRow{.EmptyAddressAllowed = false, .MasterKeyWritten = true};
        if (!exists) {
            if (const auto error = FindInvalidSetupText(texts, newRow)) {
                ShowSaveError(*error);
                return false;
            }
        }
        TFDQuery query(nullptr);
        query.SetConnection(&connection);
        query.ExecSQL(exists ? UpdateStatement(texts) : InsertStatement(texts, AnsiToUnicode(SetupTimeText(Now()))));
    } catch (const EDatabaseError& e) {
        ShowSaveError(e.Message());
        return false;
    }
    return true;
}

bool TFormGWsetup::SaveToFile(const TSetupDialogTexts& t)
{
    // Every text is checked before the first key is written: a file stopped halfway would leave
    // the gateway a setup no contact can read.
    if (const auto error = FindInvalidSetupText(t, {.EmptyAddressAllowed = true, .MasterKeyWritten = true})) {
        ShowSaveError(*error);
        return false;
    }
    const UnicodeString folder = DataSubfolder(SetupSubfolder);
    ForceDataFolder(folder);
    // The whole file replaces the old one in one step: a failure leaves the old setup, and no
    // contact can send a mixture of both.
    try {
        ReplaceSetupFile(folder + L"SETUPGW_" + t.GatewayId[0] + L"_" + t.GatewayId[1] + L"_" + t.GatewayId[2] +
                             L".GWINI",
                         [&t](TIniFile& ini) { WriteSetupFileKeys(ini, t); });
    } catch (const Exception& e) {
        ShowSaveError(e.Message());
        return false;
    }
    return true;
}
