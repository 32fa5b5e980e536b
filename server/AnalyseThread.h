#pragma once
// The analysis thread of the statistics page in database mode (TAnalyseClass): over a database
// connection of its own it lists the telegram tables rx_<AA.BB.CC>, reads the rows of one day
// from each and counts them into devices and gateway columns, which it hands to the page.
//
// The hand-over runs on the main thread (Synchronize): the page's arrays are only ever written
// there, and the running flag is cleared in the same call. A cancelled analysis ends early and
// hands over nothing; only the flag is cleared. (Terminate is no way to cancel: a thread
// terminated before it got to run never runs Execute, so nobody would clear the flag.)
#include "DateUtils.h"
#include "DbSchema.h"
#include "Statistik.h"
#include "StringList.h"
#include "Threads.h"

#include <atomic>

class TAnalyseClass : public TThread {
public:
    // Where the result goes and what the thread reports to: the page's arrays, its running flag
    // (cleared after the hand-over) and its counter of new devices (one per new device, raised
    // on the main thread).
    struct TTargets {
        std::atomic<bool>* Running = nullptr;
        int* DeviceCount = nullptr;
    };

    // baseParams: connection parameters the settings leave alone (copied here, on the creating
    // thread); settings: the texts of the settings edits, taken on the main thread.
    TAnalyseClass(TDeviceStats* targetDevices, TDateTime day, TGatewayColumns* targetColumns, bool createSuspended,
                  const TStrings& baseParams, const TDbSettings& settings, TTargets targets);
    ~TAnalyseClass() override;
    UnicodeString ClassName() const override { return L"TAnalyseClass"; }

    TDateTime Day() const { return day_; }
    // Asks the analysis to stop early and to drop its result; the flag is still cleared.
    void Cancel() { cancelled_.store(true); }
    bool Cancelled() const { return cancelled_.load(); }

protected:
    void Execute() override;

private:
    // Runs on the main thread: one more new device.
    void CountAnalysedDevice();
    void Analyse();
    void HandOver();
    bool Stopping() const { return Cancelled() || Terminated(); }

    TDateTime day_;
    TDeviceStats devices_;
    TGatewayColumns columns_;
    TDeviceStats* targetDevices_;
    TGatewayColumns* targetColumns_;
    AnsiString columnCaption_;
    TStringList baseParams_;
    TDbSettings settings_;
    TTargets targets_;
    std::atomic<bool> cancelled_{false};
};
