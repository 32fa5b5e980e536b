#pragma once
// One gateway contact: read the gateway's frame, decrypt and analyse it, store its telegrams,
// answer with what is pending (a stored setup, a setup request or a firmware image in
// acknowledged packets) and close the connection. The gateway connects anew for every report.
//
// GatewayFrame (gateway to server):
//   0  2  length of the whole frame, big-endian     6  4  derivation value
//   2  1  type (0x14 setup, 0x19 telegrams)        10     AES-CBC ciphertext of the envelope
//   3  3  gateway ID
// ServerFrame (server to gateway): length (2, big-endian), type (1), ciphertext encrypted with
// the key and IV of the gateway frame it answers.
#include "ContactHost.h"
#include "DbPool.h"
#include "Encoding.h"
#include "FrameCipher.h"
#include "GatewaySetupFiles.h"
#include "GatewaySetupRecord.h"
#include "IdContext.h"
#include "IdSync.h"
#include "TelegramStorage.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class TFDQuery;

inline constexpr uint8_t FrameTypeSetup = 0x14;
inline constexpr uint8_t FrameTypeWmbus = 0x19;
inline constexpr uint8_t FrameTypeSetupRequest = 0x1E;
inline constexpr uint8_t FrameTypeFirmware = 0x23;

// Header of a gateway frame and the smallest frame that can carry an envelope (one block).
inline constexpr int GatewayFrameHeaderSize = 10;
inline constexpr int MinGatewayFrameLength = GatewayFrameHeaderSize + 16;

// Answers of the gateway to a firmware packet.
inline constexpr uint8_t FirmwareAck = 0x06;
inline constexpr uint8_t FirmwareNak = 0x15;

// A telegram record: 6 time bytes, 0x68, L, then L + 1 bytes.
inline constexpr int MaxTelegramRecordSize = 255 + 9;

// Waiting rules of a contact. The defaults are the product's; tests may shorten them.
struct TContactTiming {
    // Reading a frame ends when the length field's bytes are in, or after this time.
    int FrameDeadlineMs = 5000;
    // A firmware packet is given up after AckWaits silent waits of AckWaitMs each.
    int AckWaitMs = 200;
    int AckWaits = 52;
};

// The contact object of one connection. Log lines and window changes go to the main thread:
// gathered while the contact works and queued in order, so a contact costs the main thread one
// wake-up per step instead of one per line; lines of one contact keep their order. Calls that
// must wait for the main thread (the MemoTime lines, the operator's message box) go through
// TIdSync after the gathered changes.
class TMyClass : public TIdSync {
public:
    TMyClass(TContactHost& host, TIdContext* context);
    ~TMyClass() override;

    UnicodeString ClassName() const override { return L"TMyClass"; }

    // Checks and decrypts the frame in ReceiveBuffer, stores its telegrams, reads the pending
    // action into ReplyAction and reports the frame.
    void AnalyseFrame();
    // Walks the telegram records of PlainBuffer that lie before the closing byte at recordEnd.
    void ProcessTelegrams(int32_t recordCount, int recordEnd);
    // Builds the reply for ReplyAction into SendBuffer / SendLength (for a firmware update the
    // first packet). A firmware update without a usable image is logged and gives way to the
    // store's next pending action; ReplyAction is 0 when nothing can be sent.
    void BuildReply();
    void BuildFirmwarePacket();
    void LogFirmwareNak();
    void FinishFirmwareUpdate();
    void ShowConnectionStatus();

    // Main thread: append Message to MemoVerLog / MemoLog, clearing a memo of more than 200
    // lines first. (DoSynchronize does the same for MemoTime.)
    void LogToVerLog();
    void LogToMemoLog();

    // Database mode: the contact's own connection, leased from the host with the main
    // connection's parameters, and the three queries on it. A connection that cannot be opened
    // leaves the contact without database work (its telegrams go to the CSV log). Errors on it
    // reach the main window's database labels.
    void OpenDatabase();
    void CloseDatabase();
    bool DatabaseOpen() const;

    // Stores, each in its own unit: telegram rows, the frame log row, the setup table.
    bool StoreTelegram(const AnsiString& gatewayIdText, const AnsiString& deviceIdText, const AnsiString& receiveTime,
                       const AnsiString& manufacturer, int medium, int rssi, std::span<const uint8_t> record,
                       int recordLength);
    // A telegram row of database mode, kept until the frame's walk ends.
    struct TRxRow {
        AnsiString DeviceId;
        AnsiString ReceiveTime;
        AnsiString Manufacturer;
        int Medium = 0;
        int Rssi = 0;
        std::array<uint8_t, MaxTelegramRecordSize> Record{};
        int RecordLength = 0;
    };
    // The frame's rows in one INSERT (after the table statement, as StoreTelegram); false when a
    // failure was caught, and then nothing of it is stored.
    bool StoreTelegramBatch(const AnsiString& gatewayIdText, const std::vector<TRxRow>& rows);
    bool WriteFrameLog(const AnsiString& ip, const AnsiString& gatewayIdText, const AnsiString& byteCountText,
                       const AnsiString& aesFlag, const AnsiString& dataType, const AnsiString& telegramCountText);
    TReplyAction ReadSetupFromDb(std::span<const uint8_t, 3> gatewayId, GatewaySetupRecord& record);
    // The action behind a firmware update that cannot be sent: the rows' requests without
    // SOFTUPDATE (fetch, then send; the record filled for a send). setupReported: this contact
    // carried the gateway's setup, which answers a fetch: the fetch request is cleared and a
    // queued setup (filled into record) is the action instead.
    TReplyAction ReadSetupFromDbBesideFirmware(std::span<const uint8_t, 3> gatewayId, GatewaySetupRecord& record,
                                               bool setupReported);
    bool CompareSetupWithDb(std::span<const uint8_t, 3> gatewayId, GatewaySetupRecord& stored, TReplyAction& action,
                            const GatewaySetupRecord& reported);
    void StoreReceivedSetup(std::span<const uint8_t, 3> gatewayId, const GatewaySetupRecord& record,
                            TReplyAction action);
    void UpdateSetupRow(std::span<const uint8_t, 3> gatewayId, const GatewaySetupRecord& record, TReplyAction action);
    void InsertSetupRow(std::span<const uint8_t, 3> gatewayId, const GatewaySetupRecord& record);
    void ClearSetupRequest(std::span<const uint8_t, 3> gatewayId, bool send);

    TIdContext* Context() const { return context_; }

    // Hands the window changes gathered so far to the main thread as one queued call. Called
    // before the contact waits on its peer, sends, or synchronises; the destructor calls it too.
    void FlushWindowChanges();

    AnsiString Message;
    TReplyAction ReplyAction = ReplyNone;
    int32_t SendLength = 0;
    std::array<uint8_t, MaxFrameBytes> SendBuffer{};
    int32_t ReceiveCount = 0;
    std::array<uint8_t, MaxFrameBytes> ReceiveBuffer{};
    std::array<uint8_t, MaxFrameBytes> PlainBuffer{};
    int32_t LastPacket = 0;
    int32_t CurrentPacket = 0;
    int32_t ImageSize = 0;
    std::array<uint8_t, 3> GatewayId{};
    AnsiString PeerAddress;
    int32_t RecordCount = 0;
    std::array<uint8_t, 6> RecordTime{}; // second, minute, hour, day, month, year - 2000
    bool FirmwareStarted = false;
    bool FirmwareDone = false;
    std::array<uint8_t, 4> DerivationValue{};
    bool StorageMode; // database mode, fixed at creation
    FrameCipherState Cipher;
    GatewaySetupRecord SetupRecord{};  // what a reply with ReplySendSetup sends
    GatewaySetupRecord StoredSetup{};  // the stored setup read for a comparison
    TBytes FirmwareImage;              // this transfer's copy of the image
    uint16_t FirmwareCrc = 0;
    TFDPooledConnection DbConnection;       // database mode: this contact's connection
    std::unique_ptr<TFDQuery> LogQuery;      // table log
    std::unique_ptr<TFDQuery> SetupQuery;    // table setup_daten
    std::unique_ptr<TFDQuery> TelegramQuery; // the rx_ tables

protected:
    // Main thread: appends Message to MemoTime (200-line rule as above).
    void DoSynchronize() override;

private:
    // Marshalled memo access from the connection thread.
    void LogLine(TContactMemo memo, const AnsiString& line);       // with the 200-line rule
    void LogLineDirect(TContactMemo memo, const AnsiString& line); // appended as it is
    void AppendWithLineLimit(TContactMemo memo);
    void UpdateStatusRow(const AnsiString& lastData, const AnsiString& status, const AnsiString& firmware);
    void QueueWindowChange(std::function<void()> change);
    void AddToMemoBatch(TContactMemo memo, bool lineLimit, UnicodeString line);
    // Ends the run of memo lines being gathered: it becomes one window change.
    void CloseMemoBatch();
    // Waits until method has run on the main thread, after the changes gathered so far.
    void SynchronizeAfterChanges(const std::function<void()>& method);
    // The window side of the CSV logs (path label, the operator's message).
    TTelegramLogSinks TelegramLogSinks();
    AnsiString GatewayIdDotted() const;
    // The store's pending action when the firmware update cannot be sent, read afresh with the
    // update passed over; a send fills SetupRecord.
    TReplyAction PendingActionBesideFirmware();
    // Database mode: a telegram that could not be inserted goes to the gateway's CSV log of the
    // day, in the frame's batch csvLog (made at the first); the contact's first such telegram
    // reports the cause in MemoTime.
    // Stores the frame's rows: one statement, or row by row when it fails (with the CSV log for
    // each row the database does not take).
    void StoreTelegramRows(const AnsiString& idText, const std::vector<TRxRow>& rows,
                           std::optional<TTelegramLogBatch>& csvLog);
    void StoreTelegramInCsvLog(std::optional<TTelegramLogBatch>& csvLog, std::span<const uint8_t> record,
                               int recordLength);

    TContactHost& host_;
    TIdContext* context_;
    UnicodeString dbError_;        // why the last database work failed (open or statement)
    // The gateway whose telegram table this contact's statements made sure of; empty after a
    // failed statement, so the next telegram makes sure of it again.
    AnsiString rxTableReady_;
    bool csvFallbackReported_ = false;
    // Set while a frame's rows go in one statement: an error of it is kept here instead of
    // being shown.
    std::optional<UnicodeString> heldDbError_;
    std::vector<std::function<void()>> windowChanges_;
    // Lines in a row for one memo go to the window as one change.
    struct MemoBatch {
        TContactMemo Memo;
        bool LineLimit; // with the 200-line rule
        std::vector<UnicodeString> Lines;
    };
    std::optional<MemoBatch> memoBatch_;
};

// The worker of one connection, called by the TCP server's execute handler: creates the
// contact, reads and analyses one frame, sends the reply or runs the firmware transfer, and on
// every way out disconnects and destroys the contact. Errors pass on to the server's exception
// handling after that.
void RunGatewayContact(TContactHost& host, TIdContext* context, const TContactTiming& timing = {});
