#pragma once
// Message pumping for tests that drive real windows: wait for a condition without fixed sleeps.
#include "Forms.h"

#include <windows.h>

#include <chrono>
#include <functional>

// Handles messages and synchronised calls until pred holds or the time is over; returns pred's
// last value.
inline bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 10000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        Application->ProcessMessages();
        if (pred()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// PumpUntil, then the calls other threads queued before pred came true: a gateway contact
// queues its window changes and may end before the main thread has run them.
inline bool PumpUntilSettled(const std::function<bool()>& pred, int timeoutMs = 10000)
{
    const bool held = PumpUntil(pred, timeoutMs);
    Application->ProcessMessages();
    return held;
}

// Dispatches whatever is queued for this thread's windows.
inline void DrainQueue()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) DispatchMessageW(&msg);
    }
}
