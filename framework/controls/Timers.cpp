#include "Timers.h"

#include "Controls.h"
#include "FormReader.h"
#include "TypInfo.h"

namespace {
constexpr UINT_PTR kTimerId = 1;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    window_ = AllocateHWnd([this](TMessage& message) {
        if (message.Msg != WM_TIMER) return false;
        try {
            Timer();
        } catch (...) {
            HandleCallbackException(this);
        }
        return true;
    });
    UpdateTimer();
}

TTimer::~TTimer()
{
    if (running_) KillTimer(window_, kTimerId);
    DeallocateHWnd(window_);
}

void TTimer::SetEnabled(bool value)
{
    if (enabled_ == value) return;
    enabled_ = value;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned value)
{
    if (interval_ == value) return;
    interval_ = value;
    UpdateTimer();
}

void TTimer::Loaded()
{
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::Timer()
{
    if (OnTimer) OnTimer(this);
}

void TTimer::UpdateTimer()
{
    if (running_) {
        KillTimer(window_, kTimerId);
        running_ = false;
    }
    if (!enabled_ || interval_ == 0 || ComponentState().Contains(csLoading)) return;
    if (!SetTimer(window_, kTimerId, interval_, nullptr)) throw EOutOfResources(L"Not enough timers available");
    running_ = true;
}

void RegisterTimerClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    const UnicodeString c = L"TTimer";
    RegisterPublishedClass(c, L"TComponent");
    RegisterPublishedProperty(c, OrdProp(L"Enabled", pkBool, &TTimer::Enabled, &TTimer::SetEnabled, int64_t{1}));
    RegisterPublishedProperty(c, OrdProp(L"Interval", pkInteger, &TTimer::Interval, &TTimer::SetInterval, int64_t{1000}));
    RegisterPublishedProperty(c, EventProp(L"OnTimer", &TTimer::OnTimer));
    RegisterComponentClass<TTimer>(c);
}
