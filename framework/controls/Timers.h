#pragma once
// TTimer: calls OnTimer every Interval milliseconds on the main thread, through a window timer
// (so it ticks while the message loop runs, also inside modal loops).
#include "Components.h"

#include <windows.h>

class TTimer : public TComponent {
public:
    // Enabled, 1000 ms. Create it on the main thread.
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    UnicodeString ClassName() const override { return L"TTimer"; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    unsigned Interval() const { return interval_; }
    // 0 stops the timer.
    void SetInterval(unsigned value);

    // Each tick; an exception goes to the application's exception handling.
    TNotifyEvent OnTimer;

    void Loaded() override;

protected:
    virtual void Timer();

private:
    void UpdateTimer();

    HWND window_ = nullptr;
    bool enabled_ = true;
    unsigned interval_ = 1000;
    bool running_ = false;
};

void RegisterTimerClasses();
