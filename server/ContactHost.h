#pragma once
// What a gateway contact needs from the main window and the program. The main window
// implements it; tests implement a fake.
//
// The contact runs on its connection's thread and hands every window change to the main thread
// itself (through TIdSync); the methods marked "main thread" are only ever called there, the
// others from any connection thread.
#include "DbPool.h"
#include "Strings.h"
#include "Threads.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class TFirmwareImage;

// The three log memos of the main window.
enum class TContactMemo {
    VerLog, // MemoVerLog: connection lines of the frames, record-walk and reply lines
    Log,    // MemoLog: one line per received telegram
    Time,   // MemoTime: time-outs and refused frames
};

class TContactHost {
public:
    virtual ~TContactHost() = default;

    // Fixed while the server runs.
    virtual std::array<uint8_t, 16> MasterKey() const = 0;
    // The gateway setup folder, with its trailing backslash.
    virtual UnicodeString SetupFolder() const = 0;
    virtual bool DatabaseMode() const = 0;

    // The running telegram number: returns the current value and increments it, atomically, so
    // that concurrent contacts never share a number.
    virtual int NextTelegramNumber() = 0;

    // Live connections of the TCP server, counted under its connection-list lock.
    virtual int LiveConnectionCount() = 0;

    // The firmware image file (it serialises its own access).
    virtual TFirmwareImage& Firmware() = 0;

    // Any thread: a contact's window changes, run on the main thread in order after those
    // handed over before (the main window runs them in bunches, once per tick).
    virtual void QueueWindowChanges(std::function<void()> changes) { TThread::Queue(nullptr, std::move(changes)); }
    // Main thread: runs the window changes handed over so far now; a contact's call that waits
    // for the main thread comes after its changes.
    virtual void RunQueuedWindowChanges() {}

    // Main thread: the memos.
    virtual int MemoLineCount(TContactMemo memo) = 0;
    virtual void ClearMemo(TContactMemo memo) = 0;
    virtual void AppendMemoLine(TContactMemo memo, const UnicodeString& line) = 0;
    // Main thread: appends lines in order, as AppendMemoLine one by one would; the window takes
    // them in one change.
    virtual void AppendMemoLines(TContactMemo memo, const std::vector<UnicodeString>& lines)
    {
        for (const UnicodeString& line : lines) AppendMemoLine(memo, line);
    }
    // Main thread: a contact's 200-line rule is about to clear MemoVerLog. With "schreibe in
    // Log-Datei" ticked the window appends the memo to the connection log first
    // (AppendConnectionLog), so no connection line is missing from the file. When this raises,
    // the memo keeps its lines (the new line is still added) and the next line tries again.
    virtual void ConnectionMemoLimitReached() {}

    // Main thread: LabelLogDatei shows the CSV log a telegram line goes to.
    virtual void ShowTelegramLogPath(const UnicodeString& /*path*/) {}
    // Main thread: lostLines telegram lines of one frame could not be appended to the CSV log
    // at path in three attempts each; the window tells the operator (a message box naming the
    // path and the count) and returns when it has been closed.
    virtual void ReportTelegramLogFailure(const UnicodeString& /*path*/, int /*lostLines*/) {}

    // Main thread: one gateway's row of the status grid.
    virtual void UpdateGatewayStatusRow(const UnicodeString& gatewayId, const UnicodeString& address,
                                        const UnicodeString& lastData, const UnicodeString& status,
                                        const UnicodeString& firmware) = 0;

    // Main thread: status bar panel texts, and the repaint after them (it may wait for the next paint).
    virtual void SetStatusPanelText(int panel, const UnicodeString& text) = 0;
    virtual void RepaintStatusBar() = 0;

    // Database mode, any connection thread: a connection for one contact alone, with the main
    // connection's parameters as they were at switch-on (TFDConnectionPool::Acquire), open or
    // closed; the contact opens it and gives it back when it ends. An empty lease leaves the
    // contact without database work.
    virtual TFDPooledConnection AcquireDatabaseConnection() { return {}; }

    // Database mode, any connection thread: the rx_ tables known to exist since the switch-on. A
    // contact sends the table statement only for a table not known; a table that turns out to be
    // gone (an insert failed) is forgotten and made again.
    virtual bool RxTableKnown(const AnsiString& /*gatewayIdText*/) { return false; }
    virtual void SetRxTableKnown(const AnsiString& /*gatewayIdText*/, bool /*known*/) {}

    // Main thread: a database error on a contact's connection, shown like one of the main
    // connection (LabelDBStatus "ERROR", LabelDBerror the message; ShowDbError in DbSchema.h).
    virtual void ShowDatabaseError(const UnicodeString& /*message*/) {}
};
