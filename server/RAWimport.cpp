#include "RAWimport.h"

#include "DateUtils.h"
#include "DbSchema.h"
#include "GatewaySetupDb.h"
#include "Marlindo.h"
#include "RawTelegramLine.h"
#include "SysUtils.h"
#include "TelegramStorage.h"
#include "TelegramStorageDb.h"

#include <vector>

TFormImportRAW* FormImportRAW = nullptr;

namespace {
// The table rx_FF.FF.FF holds the imported telegrams, apart from the real gateways' tables.
const char* const ImportGateway = "FF.FF.FF";
// TelegramInsertStatement reads a telegram record: receive-time bytes, then the frame. The
// receive time of an imported row is its text; these bytes stay unread.
constexpr size_t RecordTimeBytes = 6;
} // namespace

TFormImportRAW::TFormImportRAW(TComponent* owner) : TForm(owner)
{
    FDConn1 = new TFDConnection(this);
    FDConn1->SetName(L"FDConn1");
    FDConn1->SetLoginPrompt(false);

    BindField(L"Label17", Label17);
    BindField(L"LabeFileName", LabeFileName);
    BindField(L"Label1", Label1);
    BindField(L"LabelAnzahlRAW", LabelAnzahlRAW);
    BindField(L"Label2", Label2);
    BindField(L"LabelAnzahlProtokolle", LabelAnzahlProtokolle);
    BindField(L"MemoRAW", MemoRAW);
    BindField(L"Label3", Label3);
    BindField(L"MemoRAWdevice", MemoRAWdevice);
    BindField(L"Label4", Label4);
    BindField(L"ButtonImportStart", ButtonImportStart);
    BindHandler(L"ButtonImportStartClick", &TFormImportRAW::ButtonImportStartClick);

    ReadDefinition(L"TFormImportRAW");
}

TFormImportRAW::~TFormImportRAW()
{
    if (FormImportRAW == this) FormImportRAW = nullptr;
    RawQuery.reset();
}

void TFormImportRAW::LoadRawFile(const UnicodeString& fileName)
{
    MemoRAW->Lines()->Clear();
    MemoRAWdevice->Lines()->Clear();
    MemoRAW->Lines()->LoadFromFile(fileName);
    LabeFileName->SetCaption(fileName);
    TStrings* lines = MemoRAW->Lines();
    const int count = lines->Count();
    LabelAnzahlRAW->SetCaption(IntToStr(count));

    TStrings* devices = MemoRAWdevice->Lines();
    devices->BeginUpdate();
    try {
        for (int i = 0; i < count; ++i) {
            if (const auto telegram = ParseRawTelegramLine(lines->Strings(i)))
                devices->Add(AnsiToUnicode(telegram->DeviceId + ", " + telegram->Manufacturer));
        }
    } catch (...) {
        devices->EndUpdate();
        throw;
    }
    devices->EndUpdate();
}

void TFormImportRAW::ButtonImportStartClick(TObject*)
{
    int written = 0;
    // Runs however the import ends: the connection is only the import's, and the label tells
    // what reached the table.
    auto finish = [&] {
        try {
            FDConn1->Close();
        } catch (...) {
        }
        LabelAnzahlProtokolle->SetCaption(IntToStr(written));
    };

    try {
        const bool databaseMode = FormSRV && FormSRV->DatabaseMode();
        TStrings* lines = MemoRAW->Lines();
        for (int i = 0; i < lines->Count(); ++i) {
            const AnsiString importTime = SetupTimeText(Now());
            const auto telegram = ParseRawTelegramLine(lines->Strings(i));
            if (!telegram || !databaseMode) continue;
            if (!FDConn1->Connected()) {
                ConnectRawDb();
                if (!FDConn1->Connected()) throw Exception(L"Keine DB Verbindung!");
            }
            if (WriteRawRecord(ImportGateway, telegram->DeviceId, importTime, telegram->Manufacturer,
                               telegram->Medium, telegram->Rssi, telegram->Frame))
                ++written;
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TFormImportRAW::ConnectRawDb()
{
    FDConn1->Close();
    if (FormSRV) {
        ApplyDbSettings(*FDConn1, TDbSettings{FormSRV->EditDBServer->Text(), FormSRV->EditDBName->Text(),
                                              FormSRV->EditDBUser->Text(), FormSRV->EditDBPassword->Text()});
        try {
            FDConn1->Open();
        } catch (const Exception&) {
            // The connection stays closed; the import stops with its own message.
        }
    }
    RawQuery = std::make_unique<TFDQuery>(nullptr);
    RawQuery->SetConnection(FDConn1);
}

bool TFormImportRAW::WriteRawRecord(const AnsiString& gateway, const AnsiString& idText,
                                    const AnsiString& receiveTime, const AnsiString& manufacturer, int medium,
                                    int rssi, std::span<const uint8_t> frame)
{
    if (!FDConn1->Connected() || !RawQuery) return false;
    std::vector<uint8_t> record(RecordTimeBytes, 0);
    record.insert(record.end(), frame.begin(), frame.end());
    const int recordLength = static_cast<int>(record.size());

    RawQuery->SQL()->Clear();
    for (const UnicodeString& line : RxTableStatementLines(gateway)) RawQuery->SQL()->Add(line);
    RawQuery->ExecSQL();
    RawQuery->SQL()->Clear();
    RawQuery->SQL()->Add(AnsiToUnicode(TelegramInsertStatement(gateway, RxIdColumnText(idText, record, recordLength),
                                                               receiveTime, manufacturer, RxMediumColumnValue(medium),
                                                               rssi, record, recordLength)));
    RawQuery->ExecSQL();
    return true;
}
