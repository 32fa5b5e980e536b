#include "acThdTimer.h"

#include "Forms.h"
#include "SysUtils.h"
#include "Timers.h"
#include "sCommonData.h"
#include "sGraphUtils.h"

#include <algorithm>
#include <vector>

namespace {

// Timers live on the main thread only; a short list is enough.
std::vector<const TacThreadedTimer*>& LiveTimers()
{
    static std::vector<const TacThreadedTimer*> list;
    return list;
}

bool ApplicationTerminating() { return Application && Application->Terminated(); }

} // namespace

bool ThreadedTimerIsLive(const void* p)
{
    if (!p) return false;
    const auto& live = LiveTimers();
    return std::find(live.begin(), live.end(), p) != live.end();
}

TacThreadedTimer::TacThreadedTimer(TComponent* AOwner) : TComponent(AOwner)
{
    LiveTimers().push_back(this);
    if (ApplicationTerminating()) return;
    FEnabled = true;
    FInterval = 1000;
    StartTimer();
    // Without a handler the message timer stays off although Enabled is set.
    UpdateTimer();
}

TacThreadedTimer::TacThreadedTimer(TComponent* AOwner, bool useTimeHandler) : TacThreadedTimer(AOwner)
{
    SetEnabled(false);
    FOwner = AOwner;
    if (useTimeHandler) SetOnTimer([this](TObject*) { TimeHandler(); });
}

TacThreadedTimer::~TacThreadedTimer()
{
    auto& live = LiveTimers();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    DisableTimer();
    // The skin data animated by this timer must not keep a pointer to it.
    if (CommonDataIsLive(AnimData)) {
        auto* data = static_cast<TsCommonData*>(AnimData);
        if (data->AnimTimer == this) data->AnimTimer = nullptr;
    }
    if (!Destroyed) {
        Destroyed = true;
        KillTimer();
        BmpFrom.reset();
        BmpTo.reset();
        BmpOut.reset();
    }
}

void TacThreadedTimer::SetEnabled(bool value)
{
    if (value == FEnabled) return;
    FEnabled = value;
    UpdateTimer();
    if (!value) ClearBitmaps();
}

void TacThreadedTimer::SetInterval(unsigned value)
{
    if (value == FInterval) return;
    FInterval = value;
    if (FTimerThread) FTimerThread->SetInterval(value);
    UpdateTimer();
}

void TacThreadedTimer::SetOnTimer(TNotifyEvent value)
{
    FOnTimer = std::move(value);
    UpdateTimer();
}

void TacThreadedTimer::SetThreadPriority(TThreadPriority value)
{
    if (value == FThreadPriority) return;
    FThreadPriority = value;
    UpdateTimer();
}

void TacThreadedTimer::StartTimer()
{
    KillTimer();
    FTimerThread = new TTimer(this);
    FTimerThread->SetInterval(FInterval);
    FTimerThread->OnTimer = [this](TObject* sender) { TimerTick(sender); };
    FTimerThread->SetEnabled(true);
}

void TacThreadedTimer::KillTimer()
{
    if (!FTimerThread) return;
    FTimerThread->SetEnabled(false);
    TTimer* timer = FTimerThread;
    FTimerThread = nullptr;
    delete timer;
}

void TacThreadedTimer::UpdateTimer()
{
    if (!FTimerThread) return;
    FTimerThread->SetEnabled(false);
    if (FInterval != 0 && FEnabled && (FOnTimer || AnimProc)) FTimerThread->SetEnabled(true);
}

void TacThreadedTimer::Reset()
{
    KillTimer();
    StartTimer();
    UpdateTimer();
}

void TacThreadedTimer::TimerTick(TObject*)
{
    if (!FTimerThread || !FTimerThread->Enabled() || Executing || Destroyed) return;
    Executing = true;
    try {
        Timer();
    } catch (...) {
        Executing = false;
        throw;
    }
    Executing = false;
}

void TacThreadedTimer::Timer()
{
    if (Destroyed || !FEnabled) return;
    if (!AnimProc) {
        if (FOnTimer) FOnTimer(this);
        return;
    }
    ++Iteration;
    if (Iteration <= Iterations && AnimProc(AnimData, Iteration)) return;
    SetEnabled(false); // the animation has ended
}

void TacThreadedTimer::TimeHandler()
{
    if (!FEnabled || !AnimProc || Destroyed) return;
    if (!AnimProc(AnimData, Iteration)) {
        DisableTimer();
        State = -1;
    }
}

void TacThreadedTimer::InitData(TObject* Data, int StartIteration, TacAnimProc aAnimProc, int NewState, bool Fast)
{
    SetEnabled(false);
    AnimData = Data;
    Value = 0;
    Glow = std::clamp(Glow, 0.0, 255.0);
    Iterations = Fast ? 6 / 2 : 6;
    switch (NewState) {
    case 0:
        Iterations *= 3;
        GlowStep = Glow / Iterations;
        break;
    case 1:
        if (Iterations <= StartIteration || StartIteration == 0) Glow = 255;
        GlowStep = Glow / Iterations;
        break;
    default:
        Iterations = State < 1 ? static_cast<int>(Round((255 - Glow) * 6 / 255)) : 6;
        Iterations = std::max(Iterations, 1);
        GlowStep = (255 - Glow) / Iterations;
        break;
    }
    ValueStep = (255 - Value) / Iterations;
    if ((NewState == 2 || (NewState == 1 && State == 2)) && BmpOut)
        CopyFrom(BmpFrom, BmpOut.get(), TRect(0, 0, BmpOut->Width(), BmpOut->Height()));
    if (NewState == 1 && State < 1)
        Iteration = static_cast<int>(Round(6 * Glow / 255));
    else if (NewState == 0 && State == 1)
        Iteration = Glow != 0 ? static_cast<int>(Round((255 - Glow) * Iterations / 255)) : 0;
    else
        Iteration = BmpOut ? 0 : StartIteration;
    if (FInterval == 1000) SetInterval(12);
    AnimProc = aAnimProc;
    OldState = State;
    State = NewState;
    SetEnabled(true);
}

void TacThreadedTimer::CopyFrom(std::unique_ptr<TBitmap>& Dst, TBitmap* Src, const TRect& R)
{
    if (!Src) return;
    if (Dst)
        Dst->SetSize(R.Width(), R.Height());
    else
        Dst = CreateBmp32(R.Width(), R.Height());
    BitBlt(Dst->Canvas()->Handle(), 0, 0, R.Width(), R.Height(), Src->Canvas()->Handle(), R.Left, R.Top, SRCCOPY);
}

int GetNewTimer(TacThreadedTimer*& Timer, TComponent* Owner, int KeepGlow)
{
    if (Timer) return std::max(0, (Timer->State == 0 ? 18 : 6) - Timer->Iteration);
    Timer = new TacThreadedTimer(Owner);
    if (KeepGlow == 0) Timer->Glow = 255;
    return 0;
}
