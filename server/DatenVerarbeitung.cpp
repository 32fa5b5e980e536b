#include "DatenVerarbeitung.h"

#include "DateUtils.h"
#include "DbQuery.h"
#include "FirmwareImage.h"
#include "GatewaySetupDb.h"
#include "Helpfunktion.h"
#include "SysUtils.h"
#include "TelegramStorage.h"
#include "Threads.h"
#include "WindowChangeQueue.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

namespace {
// A memo that holds more than this many lines is cleared before the next logged line.
constexpr int MemoLineLimit = 200;

constexpr uint8_t RecordStartByte = 0x68;
constexpr uint8_t WmbusClosingByte = 0x16;

bool StopFlagSet(TIdContext* context)
{
    return context->Connection()->Tag() != 0;
}

bool FrameTypeAccepted(uint8_t type)
{
    return type == FrameTypeSetup || type == 0x15 || type == FrameTypeWmbus || type == FrameTypeSetupRequest ||
           type == FrameTypeFirmware;
}

// "dd.mm hh:nn:ss" of the local time, the time stamp of the error lines.
AnsiString ErrorTimeStamp()
{
    return UnicodeToAnsi(FormatDateTime(L"dd.mm hh:nn:ss", Now()));
}

void PutBigEndian16(std::span<uint8_t> buffer, std::size_t offset, uint32_t value)
{
    buffer[offset] = static_cast<uint8_t>(value >> 8);
    buffer[offset + 1] = static_cast<uint8_t>(value);
}

// Moves every byte waiting in the input buffer into destination from offset count on, as far as
// it has room; the rest is dropped. Returns the new count.
int TakeBuffered(TIdIOHandler* io, std::span<uint8_t> destination, int count)
{
    const int waiting = io->InputBuffer()->Size();
    if (waiting <= 0) return count;
    TIdBytes bytes;
    io->ReadBytes(bytes, waiting, false);
    const int room = static_cast<int>(destination.size()) - count;
    const int taken = std::min(waiting, std::max(room, 0));
    std::copy_n(bytes.begin(), taken, destination.begin() + count);
    return count + taken;
}

// The number of bytes a frame needs before it can be analysed: the whole frame when its length
// field is plausible, otherwise the header (the analysis refuses such a frame).
int BytesWanted(std::span<const uint8_t> received, int count)
{
    if (count < 2) return GatewayFrameHeaderSize;
    const int length = received[0] * 256 + received[1];
    if (length < MinGatewayFrameLength || length > static_cast<int>(MaxFrameBytes)) return GatewayFrameHeaderSize;
    return length;
}

void SendFrame(TIdTCPConnection* connection, std::span<const uint8_t> frame)
{
    connection->IOHandler()->Write(TIdBytes(frame.begin(), frame.end()));
}

} // namespace

TMyClass::TMyClass(TContactHost& host, TIdContext* context)
    : TIdSync(context), StorageMode(host.DatabaseMode()), host_(host), context_(context)
{
}

TMyClass::~TMyClass()
{
    try {
        FlushWindowChanges();
    } catch (...) {
        // Out of memory: the window misses these lines.
    }
    // The lease unbinds the queries when it goes back; then they can go.
    DbConnection.Release();
}

// ---------------------------------------------------------------------------------------------
// Window changes

void TMyClass::QueueWindowChange(std::function<void()> change)
{
    CloseMemoBatch();
    windowChanges_.push_back(std::move(change));
}

void TMyClass::FlushWindowChanges()
{
    CloseMemoBatch();
    if (windowChanges_.empty()) return;
    // One queued change for the bunch; its failures are raised on the main thread.
    host_.QueueWindowChanges([changes = std::move(windowChanges_)] { RunEachChange(changes); });
    windowChanges_.clear();
}

void TMyClass::SynchronizeAfterChanges(const std::function<void()>& method)
{
    FlushWindowChanges();
    SynchronizeMethod([this, &method] {
        host_.RunQueuedWindowChanges();
        method();
    });
}

TTelegramLogSinks TMyClass::TelegramLogSinks()
{
    return {.ShowPath = [this](const UnicodeString& path) {
                QueueWindowChange([host = &host_, path] { host->ShowTelegramLogPath(path); });
            },
            .ReportFailure = [this](const UnicodeString& path, int lostLines) {
                SynchronizeAfterChanges([&] { host_.ReportTelegramLogFailure(path, lostLines); });
            }};
}

// ---------------------------------------------------------------------------------------------
// Log marshalling

namespace {
// Main thread: a memo of more than 200 lines is cleared before the next line. Returns whether it
// was cleared.
bool ClearAtLineLimit(TContactHost& host, TContactMemo memo)
{
    if (memo == TContactMemo::VerLog) {
        // With its log-file option the window saves the memo first; when that fails the memo
        // keeps its lines for the next try, so none is missing from the file.
        try {
            host.ConnectionMemoLimitReached();
        } catch (...) {
            return false;
        }
    }
    host.ClearMemo(memo);
    return true;
}

// Main thread: appends text to memo, clearing a memo of more than 200 lines first.
void AppendWithLineLimit(TContactHost& host, TContactMemo memo, const UnicodeString& text)
{
    if (host.MemoLineCount(memo) > MemoLineLimit) ClearAtLineLimit(host, memo);
    host.AppendMemoLine(memo, text);
}

// Main thread: appends lines (each a single line of text) to memo as AppendWithLineLimit one by
// one would, with one change of the window for the lines between two clears.
void AppendLinesWithLineLimit(TContactHost& host, TContactMemo memo, const std::vector<UnicodeString>& lines)
{
    int count = host.MemoLineCount(memo);
    std::vector<UnicodeString> run;
    for (const UnicodeString& line : lines) {
        if (count > MemoLineLimit) {
            // The memo holds what came before the clear (the connection log saves it).
            host.AppendMemoLines(memo, run);
            run.clear();
            if (ClearAtLineLimit(host, memo)) count = 0;
        }
        run.push_back(line);
        ++count;
    }
    host.AppendMemoLines(memo, run);
}
} // namespace

void TMyClass::CloseMemoBatch()
{
    if (!memoBatch_) return;
    auto change = [host = &host_, batch = std::move(*memoBatch_)] {
        if (batch.LineLimit)
            AppendLinesWithLineLimit(*host, batch.Memo, batch.Lines);
        else
            host->AppendMemoLines(batch.Memo, batch.Lines);
    };
    memoBatch_.reset();
    windowChanges_.push_back(std::move(change));
}

void TMyClass::AppendWithLineLimit(TContactMemo memo)
{
    ::AppendWithLineLimit(host_, memo, AnsiToUnicode(Message));
}

void TMyClass::DoSynchronize()
{
    host_.RunQueuedWindowChanges();
    AppendWithLineLimit(TContactMemo::Time);
}

void TMyClass::LogToVerLog()
{
    AppendWithLineLimit(TContactMemo::VerLog);
}

void TMyClass::LogToMemoLog()
{
    AppendWithLineLimit(TContactMemo::Log);
}

void TMyClass::LogLine(TContactMemo memo, const AnsiString& line)
{
    Message = line;
    AddToMemoBatch(memo, true, AnsiToUnicode(line));
}

void TMyClass::LogLineDirect(TContactMemo memo, const AnsiString& line)
{
    Message = line;
    AddToMemoBatch(memo, false, AnsiToUnicode(line));
}

void TMyClass::AddToMemoBatch(TContactMemo memo, bool lineLimit, UnicodeString line)
{
    if (memoBatch_ && (memoBatch_->Memo != memo || memoBatch_->LineLimit != lineLimit)) CloseMemoBatch();
    if (!memoBatch_) memoBatch_ = MemoBatch{memo, lineLimit, {}};
    memoBatch_->Lines.push_back(std::move(line));
}

void TMyClass::UpdateStatusRow(const AnsiString& lastData, const AnsiString& status, const AnsiString& firmware)
{
    QueueWindowChange([host = &host_, id = AnsiToUnicode(GatewayIdDotted()), address = AnsiToUnicode(PeerAddress),
                       last = AnsiToUnicode(lastData), state = AnsiToUnicode(status),
                       version = AnsiToUnicode(firmware)] {
        host->UpdateGatewayStatusRow(id, address, last, state, version);
    });
}

void TMyClass::ShowConnectionStatus()
{
    QueueWindowChange([host = &host_, address = L"IP: " + AnsiToUnicode(PeerAddress),
                       connections = L"Verbindungen: " + IntToStr(host_.LiveConnectionCount())] {
        host->SetStatusPanelText(0, address);
        host->SetStatusPanelText(3, connections);
        host->RepaintStatusBar();
    });
    // Shown while the contact waits for its frame.
    FlushWindowChanges();
}

AnsiString TMyClass::GatewayIdDotted() const
{
    return GatewayIdText(GatewayId, '.');
}

// ---------------------------------------------------------------------------------------------
// Database connection of the contact

void TMyClass::OpenDatabase()
{
    DbConnection = host_.AcquireDatabaseConnection();
    if (!DbConnection) {
        dbError_ = L"keine Datenbankverbindung";
        return;
    }
    TFDConnection* connection = DbConnection.Connection();
    connection->OnError = [this](TObject*, TObject*, Exception*& error) {
        const UnicodeString message = error ? error->Message() : UnicodeString();
        if (heldDbError_) {
            *heldDbError_ = message;
            return;
        }
        SynchronizeAfterChanges([this, &message] { host_.ShowDatabaseError(message); });
    };
    LogQuery = std::make_unique<TFDQuery>(nullptr);
    SetupQuery = std::make_unique<TFDQuery>(nullptr);
    TelegramQuery = std::make_unique<TFDQuery>(nullptr);
    LogQuery->SetConnection(connection);
    SetupQuery->SetConnection(connection);
    TelegramQuery->SetConnection(connection);
    try {
        connection->Open();
    } catch (const std::exception& e) {
        // The contact goes on without database work.
        dbError_ = AnsiToUnicode(e.what());
        if (const auto* error = dynamic_cast<const Exception*>(&e)) dbError_ = error->Message();
    }
}

void TMyClass::CloseDatabase()
{
    // Giving the connection back is its close for this contact: the pool keeps it open for the
    // next one, unbound from these queries.
    DbConnection.Release();
}

bool TMyClass::DatabaseOpen() const
{
    return DbConnection && DbConnection->Connected();
}

void TMyClass::StoreTelegramInCsvLog(std::optional<TTelegramLogBatch>& csvLog, std::span<const uint8_t> record,
                                     int recordLength)
{
    if (!csvFallbackReported_) {
        csvFallbackReported_ = true;
        LogLine(TContactMemo::Time, "DB Error IP=" + PeerAddress + " " + ErrorTimeStamp() + " ID:" +
                                        GatewayIdDotted() + " Telegramme im CSV-Log: " + UnicodeToAnsi(dbError_));
    }
    if (!csvLog) csvLog.emplace(MakeTelegramLogPath(GatewayId), TelegramLogSinks());
    csvLog->Add(recordLength, record);
}

// ---------------------------------------------------------------------------------------------
// Frame analysis

void TMyClass::AnalyseFrame()
{
    AnsiString aesField = "N";
    AnsiString dataType = "unknown";
    AnsiString telegramCountField = "0";
    AnsiString lastData, status, firmware;

    const int length = ReceiveBuffer[0] * 256 + ReceiveBuffer[1];
    const uint8_t type = ReceiveBuffer[2];
    std::copy_n(ReceiveBuffer.begin() + 3, 3, GatewayId.begin());
    std::copy_n(ReceiveBuffer.begin() + 6, 4, DerivationValue.begin());
    const AnsiString idText = GatewayIdDotted();
    const AnsiString byteCountText = Format(AnsiString(" %.4d"), ReceiveCount);

    AnsiString line = UnicodeToAnsi(DateTimeToStr(Now())) + "   IP:" + PeerAddress;
    if (PeerAddress.size() < 15) line.append(15 - PeerAddress.size(), ' ');
    line += "   ID:" + idText + "  Anzahl Byte:" + byteCountText;

    DeriveFrameKey(Cipher, DerivationValue, GatewayId, host_.MasterKey());

    // The length field is the gateway's word only: it must cover at least one block, lie within
    // what arrived and fit the buffers, or the frame is refused like a wrong key.
    const int cipherLength = length - GatewayFrameHeaderSize;
    bool ok = length >= MinGatewayFrameLength && length <= ReceiveCount && length <= static_cast<int>(MaxFrameBytes);
    if (ok) {
        ok = AesCbcDecryptFrame(Cipher, std::span<const uint8_t>(ReceiveBuffer).subspan(GatewayFrameHeaderSize),
                                PlainBuffer, static_cast<uint32_t>(cipherLength));
    }
    if (GatewayId[0] == 0) ok = false;

    // The payload runs from plaintext offset 3 to the padding; it must lie within what was
    // decrypted.
    int payloadEnd = 0;
    bool payloadInside = false;
    if (ok) {
        const int decrypted = cipherLength / static_cast<int>(AesBlockSize) * static_cast<int>(AesBlockSize);
        payloadEnd = cipherLength - PlainBuffer[0];
        payloadInside = payloadEnd >= 3 && payloadEnd <= decrypted;
        if (type == FrameTypeSetup &&
            (!payloadInside || payloadEnd - 3 < static_cast<int>(GatewaySetupRecordSize)))
            ok = false;
    }

    if (!ok) {
        line += " AES    Error!";
    } else {
        line += " AES    OK!";
        aesField = "Y";
        if (type == FrameTypeSetup) {
            lastData = "SETUP Daten";
            dataType = "SETUP";
        } else if (type == FrameTypeWmbus) {
            lastData = "WMBUS Daten";
            dataType = "WMBUS";
        }

        if (type == FrameTypeWmbus) {
            line += "  Datentype: WMBUS";
            if (ReceiveCount > 7) {
                RecordCount = PlainBuffer[3];
                line += " Protokolle: " + std::to_string(RecordCount);
                telegramCountField = std::to_string(RecordCount);
                if (RecordCount > 0) {
                    const int closing = payloadEnd - 1;
                    if (payloadInside && closing >= 4 && PlainBuffer[closing] == WmbusClosingByte)
                        ProcessTelegrams(RecordCount, closing);
                    else
                        LogLine(TContactMemo::VerLog, "<--- keine 0x16");

                    if (StorageMode) {
                        if (DatabaseOpen()) ReplyAction = ReadSetupFromDb(GatewayId, SetupRecord);
                    } else {
                        ReplyAction = ReadSetupRecord(host_.SetupFolder(), GatewayId, SetupRecord);
                    }
                }
            }
        } else if (type == FrameTypeSetup) {
            line += "  Datentype: SETUP";
            line += " Setup Daten erhalten";
            SetupRecord = GatewaySetupRecord::FromBytes(
                std::span<const uint8_t>(PlainBuffer).subspan<3, GatewaySetupRecordSize>());
            firmware = SetupRecord.FirmwareVersionText();

            bool compared = false;
            bool match = false;
            TReplyAction action = ReplyNone;
            if (StorageMode) {
                if (DatabaseOpen()) {
                    compared = true;
                    match = CompareSetupWithDb(GatewayId, StoredSetup, action, SetupRecord);
                    if (match) {
                        StoreReceivedSetup(GatewayId, SetupRecord, action);
                        ClearSetupRequest(GatewayId, true);
                    } else if (action == ReplyFetchSetup) {
                        // The report answers the fetch that outranks the queued send here; asking
                        // again would loop for ever. The queued setup is this contact's reply.
                        ClearSetupRequest(GatewayId, false);
                        action = ReplySendSetup;
                    }
                }
            } else {
                compared = true;
                match = CompareAndStoreReportedSetup(host_.SetupFolder(), GatewayId, StoredSetup, SetupRecord, action);
            }
            if (compared) {
                status = match ? "SETUP ok" : "SETUP empfangen";
                if (!match) {
                    // The gateway differs from the setup waiting for it: send it the stored one.
                    SetupRecord = StoredSetup;
                    ReplyAction = action;
                } else if (action == ReplyFirmwareUpdate) {
                    ReplyAction = action;
                } else {
                    // The report confirms a sent setup or answers a fetch: nothing is left to send.
                    ReplyAction = ReplyNone;
                }
            }
        } else {
            line += "  Datentype: ?????";
        }
    }

    if (StorageMode && DatabaseOpen())
        WriteFrameLog(PeerAddress, idText, byteCountText, aesField, dataType, telegramCountField);
    if (ok) UpdateStatusRow(lastData, status, firmware);
    LogLine(TContactMemo::VerLog, line);
    FlushWindowChanges();
}

void TMyClass::ProcessTelegrams(int32_t recordCount, int recordEnd)
{
    const AnsiString idText = GatewayIdDotted();
    const int end = std::min(recordEnd, static_cast<int>(PlainBuffer.size()));
    // File mode, and database mode for what the database could not take: the frame's lines go to
    // the log in one append, made when the walk ends however it ends (so a locked log is
    // reported once per frame). The path (and the month folder) is made at its first line.
    std::optional<TTelegramLogBatch> csvLog;
    // Database mode: the frame's rows, stored in one statement when the walk ends.
    std::vector<TRxRow> rows;
    int p = 4;
    for (int32_t i = 0; i < recordCount; ++i) {
        // A count or a length that runs past the closing byte ends the walk.
        if (p + 6 >= end) {
            LogLine(TContactMemo::VerLog, "<---keine 0x68");
            break;
        }
        std::array<uint8_t, MaxTelegramRecordSize> record{};
        std::copy_n(PlainBuffer.begin() + p, 6, record.begin());
        for (int k = 0; k < 6; ++k) RecordTime[k] = record[5 - k];
        p += 6;

        if (PlainBuffer[p] != RecordStartByte) {
            // The next record is read from here: the walk has moved on by the time bytes only.
            LogLine(TContactMemo::VerLog, "<---keine 0x68");
            continue;
        }
        if (p + 1 >= end || p + 2 + PlainBuffer[p + 1] + 1 > end) {
            LogLine(TContactMemo::VerLog, "<---keine 0x68");
            break;
        }
        const int telegramLength = PlainBuffer[p + 1];
        const int recordLength = telegramLength + 9;
        std::copy_n(PlainBuffer.begin() + p, telegramLength + 3, record.begin() + 6);
        p += 2 + telegramLength + 1;

        const int year = 2000 + record[0];
        const int month = record[1];
        const int day = record[2];
        const int hour = record[3];
        const int minute = record[4];
        const int second = record[5];
        const AnsiString manufacturer = ManufacturerToString(record[9], record[10]);
        const AnsiString deviceId = DeviceIdToString(record[11], record[12], record[13], record[14]);
        const int medium = record[16];
        const int rssi = -(record[telegramLength + 7] >> 1);

        TDateTime receiveTime = 0;
        if (!TryEncodeDateTime(year, month, day, hour, minute, second, 0, receiveTime)) {
            // The gateway's clock gave no real time: report the record, store nothing, go on.
            LogLine(TContactMemo::VerLog,
                    Format(AnsiString("<---ungueltige Empfangszeit %s RID: %s RxTime: %.2d.%.2d.%.4d %.2d:%.2d:%.2d"),
                           idText, deviceId, day, month, year, hour, minute, second));
            continue;
        }

        const int number = host_.NextTelegramNumber();
        LogLine(TContactMemo::Log,
                Format(AnsiString("%d %s RID: %s %s  RxTime: %.2d.%.2d.%.4d %.2d:%.2d:%.2d %ddBm"), number, idText,
                       deviceId, manufacturer, day, month, year, hour, minute, second, rssi));

        const std::span<const uint8_t> recordBytes(record.data(), static_cast<std::size_t>(recordLength));
        if (StorageMode) {
            rows.push_back({deviceId,
                            Format(AnsiString("%.4d-%.2d-%.2d %.2d:%.2d:%.2d"), year, month, day, hour, minute, second),
                            manufacturer, medium, rssi, record, recordLength});
        } else {
            if (!csvLog) csvLog.emplace(MakeTelegramLogPath(GatewayId), TelegramLogSinks());
            csvLog->Add(recordLength, recordBytes);
        }
    }
    if (!rows.empty()) StoreTelegramRows(idText, rows, csvLog);
}

void TMyClass::StoreTelegramRows(const AnsiString& idText, const std::vector<TRxRow>& rows,
                                 std::optional<TTelegramLogBatch>& csvLog)
{
    // One statement for the frame; should it fail, each row on its own, so that a row the
    // database refuses costs only that row its place in the table (it goes to the CSV log).
    // The labels show the errors of the rows' own statements, as without the batch; the batch's
    // error is shown only when no row statement could follow it (the connection is gone).
    std::optional<UnicodeString> batchError;
    if (DatabaseOpen()) {
        heldDbError_.emplace();
        const bool stored = StoreTelegramBatch(idText, rows);
        batchError = std::move(heldDbError_);
        heldDbError_.reset();
        if (stored) return;
    }
    bool rowStatements = false;
    for (const TRxRow& row : rows) {
        const std::span<const uint8_t> recordBytes(row.Record.data(), static_cast<std::size_t>(row.RecordLength));
        bool stored = false;
        if (DatabaseOpen()) {
            rowStatements = true;
            stored = StoreTelegram(idText, row.DeviceId, row.ReceiveTime, row.Manufacturer, row.Medium, row.Rssi,
                                   recordBytes, row.RecordLength);
        }
        if (!stored) StoreTelegramInCsvLog(csvLog, recordBytes, row.RecordLength);
    }
    if (batchError && !batchError->empty() && !rowStatements)
        SynchronizeAfterChanges([this, &batchError] { host_.ShowDatabaseError(*batchError); });
}

// ---------------------------------------------------------------------------------------------
// Replies

void TMyClass::BuildReply()
{
    std::copy_n(ReceiveBuffer.begin() + 3, 3, GatewayId.begin());
    const auto frame = std::span<uint8_t>(SendBuffer);

    switch (ReplyAction) {
    case ReplySendSetup: {
        DeriveFrameKey(Cipher, DerivationValue, GatewayId, host_.MasterKey());
        frame[2] = FrameTypeSetup;
        frame[3] = 0;
        frame[4] = FrameCheckByte1;
        frame[5] = FrameCheckByte2;
        SetupRecord.ToBytes(frame.subspan<6, GatewaySetupRecordSize>());
        const uint8_t pad = AesCbcEncryptPadded(Cipher, frame.subspan(3), 3 + GatewaySetupRecordSize);
        SendLength = static_cast<int32_t>(GatewaySetupRecordSize) + pad + 6;
        PutBigEndian16(frame, 0, static_cast<uint32_t>(SendLength));
        LogLineDirect(TContactMemo::VerLog, Format(AnsiString("%.2X.%.2X.%.2X SENDE SETUP"), GatewayId[0],
                                                   GatewayId[1], GatewayId[2]));
        break;
    }
    case ReplyFetchSetup: {
        DeriveFrameKey(Cipher, DerivationValue, GatewayId, host_.MasterKey());
        const uint8_t request[] = {0x00, 0x13, FrameTypeSetupRequest, 0x00, FrameCheckByte1, FrameCheckByte2, 0x01};
        std::copy(std::begin(request), std::end(request), frame.begin());
        AesCbcEncryptPadded(Cipher, frame.subspan(3), 4);
        SendLength = 19;
        break;
    }
    case ReplyFirmwareUpdate: {
        TFirmwareImage& firmwareFile = host_.Firmware();
        std::optional<TBytes> image;
        if (firmwareFile.FirmwareValid())
            image = firmwareFile.ReadFirmwareImage();
        else
            firmwareFile.CheckFirmwareFile();
        if (!image) {
            // Missing, empty or too large for 16-bit packet numbers: nothing can be sent. What
            // else waits for the gateway goes out instead of waiting behind the update.
            LogLineDirect(TContactMemo::VerLog, "Kein gueltiges Firmware File im Verzeichnis gefunden!");
            ReplyAction = PendingActionBesideFirmware();
            if (ReplyAction == ReplySendSetup || ReplyAction == ReplyFetchSetup)
                BuildReply();
            else
                ReplyAction = ReplyNone;
            break;
        }
        FirmwareImage = std::move(*image);
        ImageSize = static_cast<int32_t>(FirmwareImage.size());
        LastPacket = ImageSize / static_cast<int32_t>(FirmwarePacketSize) +
                     (ImageSize % static_cast<int32_t>(FirmwarePacketSize) != 0 ? 1 : 0);
        CurrentPacket = 1;
        FirmwareCrc = CalcCrc16(FirmwareImage);
        LogLineDirect(TContactMemo::VerLog,
                      Format(AnsiString("Sende Software an :%.2X.%.2X.%.2X  Anzahl Byte:%.4d  Packete: %d CRC:%X"),
                             GatewayId[0], GatewayId[1], GatewayId[2], ImageSize, LastPacket, FirmwareCrc));
        DeriveFrameKey(Cipher, DerivationValue, GatewayId, host_.MasterKey());
        BuildFirmwarePacket();
        FirmwareStarted = true;
        break;
    }
    default:
        break;
    }
}

TReplyAction TMyClass::PendingActionBesideFirmware()
{
    const bool setupReported = ReceiveBuffer[2] == FrameTypeSetup;
    if (StorageMode) return ReadSetupFromDbBesideFirmware(GatewayId, SetupRecord, setupReported);
    // In the file store a send outranks a fetch, and a stored report has cleared the fetch.
    return ReadSetupRecordBesideFirmware(host_.SetupFolder(), GatewayId, SetupRecord);
}

void TMyClass::BuildFirmwarePacket()
{
    DeriveFrameKey(Cipher, DerivationValue, GatewayId, host_.MasterKey());
    const auto frame = std::span<uint8_t>(SendBuffer);
    const bool last = CurrentPacket >= LastPacket;
    const int32_t offset = (CurrentPacket - 1) * static_cast<int32_t>(FirmwarePacketSize);
    const int32_t count = last ? ImageSize - offset : static_cast<int32_t>(FirmwarePacketSize);
    if (CurrentPacket < 1 || count < 1 || count > static_cast<int32_t>(FirmwarePacketSize) ||
        offset + count > static_cast<int32_t>(FirmwareImage.size()))
        throw ERangeError(L"Firmware packet outside the image");

    frame[2] = FrameTypeFirmware;
    frame[3] = 0;
    frame[4] = FrameCheckByte1;
    frame[5] = FrameCheckByte2;
    PutBigEndian16(frame, 6, static_cast<uint32_t>(LastPacket));
    PutBigEndian16(frame, 8, static_cast<uint32_t>(CurrentPacket));
    std::copy_n(FirmwareImage.begin() + offset, count, frame.begin() + 10);
    int32_t plainLength = count + 7;
    if (last) {
        PutBigEndian16(frame, 10 + static_cast<std::size_t>(count), FirmwareCrc);
        plainLength += 2;
    }
    const uint8_t pad = AesCbcEncryptPadded(Cipher, frame.subspan(3), plainLength);
    SendLength = 3 + plainLength + pad;
    PutBigEndian16(frame, 0, static_cast<uint32_t>(SendLength));

    UpdateStatusRow("Soft.Update " + std::to_string(CurrentPacket) + "/" + std::to_string(LastPacket), "Soft.Update",
                    "");
}

void TMyClass::LogFirmwareNak()
{
    LogLineDirect(TContactMemo::VerLog, Format(AnsiString("NAK bei SoftwareUdate an :%.2X.%.2X.%.2X bei Packet: %d "),
                                               GatewayId[0], GatewayId[1], GatewayId[2], CurrentPacket));
}

void TMyClass::FinishFirmwareUpdate()
{
    if (StorageMode) {
        // Without an open connection nothing is cleared and nothing reported.
        if (DatabaseOpen()) {
            try {
                SetupQuery->SQL()->Clear();
                SetupQuery->SQL()->Add(ClearFirmwareUpdateStatement(GatewayId));
                SetupQuery->ExecSQL();
            } catch (const std::exception&) {
                // The request stays; the gateway gets the image again at its next contact.
            }
            LogLineDirect(TContactMemo::VerLog, "Software Update fertig gesendet.");
        }
    } else {
        ClearFirmwareUpdateFlag(host_.SetupFolder(), GatewayId);
        LogLineDirect(TContactMemo::VerLog, "Software Update fertig gesendet.");
    }
}

// ---------------------------------------------------------------------------------------------
// Worker

namespace {
using Clock = std::chrono::steady_clock;

// Reads one gateway frame into ReceiveBuffer. True when all bytes that the length field
// announces are in (or, for an implausible length, the header), or when the type byte is
// already refused; false after the deadline, a lost connection or the stop flag.
bool ReadFrame(TMyClass& contact, const TContactTiming& timing)
{
    TIdTCPConnection* connection = contact.Context()->Connection();
    TIdIOHandler* io = connection->IOHandler();
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timing.FrameDeadlineMs);
    for (;;) {
        contact.ReceiveCount = TakeBuffered(io, contact.ReceiveBuffer, contact.ReceiveCount);
        if (contact.ReceiveCount >= 3 && !FrameTypeAccepted(contact.ReceiveBuffer[2])) return true;
        if (contact.ReceiveCount >= BytesWanted(contact.ReceiveBuffer, contact.ReceiveCount)) return true;
        if (StopFlagSet(contact.Context()) || !connection->Connected()) return false;
        // The look at the connection reads in what the socket holds: a frame already in hand is
        // analysed now, not after a wait for bytes that are not going to come.
        if (!io->InputBufferIsEmpty()) continue;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        // Waits short enough that the stop flag is seen well within the stop's grace time, and
        // long enough that hundreds of silent peers do not keep the machine busy with wake-ups
        // (each one a round trip to the Wine server, which slowed accepting to a crawl).
        io->CheckForDataOnSource(static_cast<int>(std::min<long long>(left, 250)));
    }
}

// Sends the packets and waits for each answer: ACK moves on, anything else sends the packet
// again. Returns when the transfer is complete, the gateway stays silent, the connection is
// lost or the stop flag is set.
void RunFirmwareTransfer(TMyClass& contact, const TContactTiming& timing)
{
    TIdContext* context = contact.Context();
    TIdTCPConnection* connection = context->Connection();
    TIdIOHandler* io = connection->IOHandler();
    while (contact.CurrentPacket <= contact.LastPacket && !StopFlagSet(context)) {
        contact.FlushWindowChanges();
        SendFrame(connection, std::span<const uint8_t>(contact.SendBuffer).first(contact.SendLength));
        contact.ReceiveCount = 0;
        if (!connection->Connected() || StopFlagSet(context)) return;

        int waits = 0;
        while (io->InputBufferIsEmpty()) {
            io->CheckForDataOnSource(timing.AckWaitMs);
            if (!io->InputBufferIsEmpty()) break;
            if (++waits >= timing.AckWaits) return;
            if (StopFlagSet(context) || !connection->Connected()) return;
        }
        contact.ReceiveCount = TakeBuffered(io, contact.ReceiveBuffer, 0);

        const uint8_t answer = contact.ReceiveBuffer[0];
        if (answer == FirmwareAck)
            ++contact.CurrentPacket;
        else if (answer == FirmwareNak)
            contact.LogFirmwareNak();

        if (contact.CurrentPacket > contact.LastPacket) {
            contact.FirmwareDone = true;
            contact.FinishFirmwareUpdate();
            connection->SetTag(1);
        }
        if (!StopFlagSet(context)) contact.BuildFirmwarePacket();
    }
}

// Ends a contact however the worker is left: disconnects, closes the contact's database
// connection and destroys the contact.
class TContactEnd {
public:
    TContactEnd(TIdTCPConnection* connection, std::unique_ptr<TMyClass>& contact)
        : connection_(connection), contact_(contact)
    {
    }
    TContactEnd(const TContactEnd&) = delete;
    TContactEnd& operator=(const TContactEnd&) = delete;
    ~TContactEnd()
    {
        try {
            connection_->Disconnect();
        } catch (...) {
            // Already gone.
        }
        try {
            if (contact_->StorageMode) contact_->CloseDatabase();
        } catch (...) {
            // The connection is given up with the contact.
        }
        contact_.reset();
    }

private:
    TIdTCPConnection* connection_;
    std::unique_ptr<TMyClass>& contact_;
};
} // namespace

void RunGatewayContact(TContactHost& host, TIdContext* context, const TContactTiming& timing)
{
    TIdTCPConnection* connection = context->Connection();
    auto contact = std::make_unique<TMyClass>(host, context);
    TContactEnd end(connection, contact);
    TMyClass& c = *contact;
    c.PeerAddress = UnicodeToAnsi(connection->Socket()->Binding()->PeerIP());

    if (StopFlagSet(context)) return;
    if (c.StorageMode) c.OpenDatabase();
    c.ShowConnectionStatus();

    const bool complete = ReadFrame(c, timing);
    if (!complete) {
        c.Message = "Timeout " + ErrorTimeStamp() + " IP=" + c.PeerAddress + " Byte=" + std::to_string(c.ReceiveCount);
        c.FlushWindowChanges();
        c.Synchronize();
    }
    if (!FrameTypeAccepted(c.ReceiveBuffer[2])) {
        c.Message = "Data Error IP=" + c.PeerAddress + " " + ErrorTimeStamp();
        c.FlushWindowChanges();
        c.Synchronize();
        return;
    }
    if (StopFlagSet(context) || c.ReceiveCount <= 0) return;
    c.AnalyseFrame();

    if (StopFlagSet(context)) return;
    c.BuildReply();
    c.FlushWindowChanges();
    switch (c.ReplyAction) {
    case ReplySendSetup:
    case ReplyFetchSetup:
        SendFrame(connection, std::span<const uint8_t>(c.SendBuffer).first(c.SendLength));
        break;
    case ReplyFirmwareUpdate:
        RunFirmwareTransfer(c, timing);
        break;
    default:
        break;
    }
}
