#pragma once
// The skin library's one timer component: a plain periodic notification (OnTimer) or a
// step-counted animation of a control's state change, whose step routine is called once per
// tick until it reports that it is done or the steps are used up. Ticks come from a
// window-message timer the component owns, so every tick runs on the main thread and step
// routines may paint directly.
#include "Components.h"
#include "Graphics.h"
#include "Threads.h"
#include "Types.h"
#include "acntTypes.h"

#include <memory>

class TTimer;

class TacThreadedTimer : public TComponent {
public:
    // Enabled, 1000 ms; the message timer starts unless the application is terminating.
    explicit TacThreadedTimer(TComponent* AOwner);
    // Disabled, working for AOwner; with useTimeHandler every tick calls TimeHandler.
    TacThreadedTimer(TComponent* AOwner, bool useTimeHandler);
    ~TacThreadedTimer() override;
    TacThreadedTimer(const TacThreadedTimer&) = delete;
    TacThreadedTimer& operator=(const TacThreadedTimer&) = delete;
    UnicodeString ClassName() const override { return L"TacThreadedTimer"; }

    // --- published
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    unsigned Interval() const { return FInterval; }
    // 0 stops ticking.
    void SetInterval(unsigned value);
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    // Always stored; the message timer follows.
    void SetOnTimer(TNotifyEvent value);
    // Kept for compatibility: a change only applies the timer state again.
    TThreadPriority ThreadPriority() const { return FThreadPriority; }
    void SetThreadPriority(TThreadPriority value);

    virtual void TimeHandler();
    virtual void PrepareImage() {}
    virtual void DisableTimer() { SetEnabled(false); }

    // Creates the owned message timer with the current interval; a new one is enabled.
    void StartTimer();
    // Disables and frees the message timer.
    void KillTimer();
    // The message timer runs only with an interval, Enabled and a handler (OnTimer or AnimProc).
    void UpdateTimer();
    void Reset();
    // Prepares and starts an animation of Data to NewState (0 normal, 1 hot, 2 pressed).
    void InitData(TObject* Data, int StartIteration, TacAnimProc AnimProc, int NewState, bool Fast);
    // Dst becomes the rectangle R of Src (made as a 32-bit bitmap when missing).
    static void CopyFrom(std::unique_ptr<TBitmap>& Dst, TBitmap* Src, const TRect& R);

    // One tick of the message timer: ignored while disabled, re-entered or destroyed.
    void TimerTick(TObject* Sender);
    // The message timer, or null (none while the application was terminating at creation).
    TTimer* MessageTimer() const { return FTimerThread; }

    bool InHandler = false;
    bool Executing = false; // a tick is being handled
    TObject* FOwner = nullptr;
    double Glow = 0;  // glow / blend level 0..255
    double Value = 0; // output level 0..255
    double GlowStep = 0, ValueStep = 0;
    int State = -1; // state animated to: 0 normal, 1 hot, 2 pressed, -1 none
    int Iteration = 0;
    int IntState = -1;
    int OldState = -1;
    int Iterations = 6;
    int ThreadType = 0;
    std::unique_ptr<TBitmap> BmpTo, BmpOut, BmpFrom;
    TRect AnimRect;
    TObject* AnimData = nullptr; // given to the step routine (usually a TsCommonData)
    bool Destroyed = false;
    TControl* AnimControl = nullptr;
    TacAnimProc AnimProc = nullptr; // null: a plain timer

protected:
    // Step 2 of a tick.
    void Timer();
    // Frees what an animation kept when the timer is switched off (nothing here).
    virtual void ClearBitmaps() {}

private:
    bool FEnabled = true;
    unsigned FInterval = 1000;
    TNotifyEvent FOnTimer;
    TTimer* FTimerThread = nullptr; // owned (as a component of this one)
    TThreadPriority FThreadPriority = tpNormal;
};

// Whether p is a TacThreadedTimer that exists now.
bool ThreadedTimerIsLive(const void* p);

// With a timer: the steps it still has to go (Max(0, 18 or 6 - Iteration)). Without: a new one
// owned by Owner (Glow 255 when KeepGlow is 0) and 0.
int GetNewTimer(TacThreadedTimer*& Timer, TComponent* Owner, int KeepGlow);
