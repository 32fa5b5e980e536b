#include "WindowChangeQueue.h"

#include "Threads.h"

#include <windows.h>

#include <exception>
#include <utility>

void RunEachChange(const std::vector<std::function<void()>>& changes)
{
    std::exception_ptr error;
    for (const auto& change : changes) {
        try {
            change();
        } catch (...) {
            if (!error) error = std::current_exception();
        }
    }
    if (error) std::rethrow_exception(error);
}

TWindowChangeQueue::TWindowChangeQueue(std::function<void()> askForRun) : askForRun_(std::move(askForRun)) {}

void TWindowChangeQueue::Post(std::function<void()> change)
{
    // On the main thread a change runs at once, as a queued call does there.
    if (GetCurrentThreadId() == MainThreadID) {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            if (closed_) return;
        }
        change();
        return;
    }
    bool ask = false;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (closed_) return;
        changes_.push_back(std::move(change));
        ask = !asked_;
        asked_ = true;
    }
    if (ask) askForRun_();
}

void TWindowChangeQueue::RunPending()
{
    std::vector<std::function<void()>> changes;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        changes.swap(changes_);
        asked_ = false;
    }
    RunEachChange(changes);
}

void TWindowChangeQueue::Close()
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        closed_ = true;
    }
    RunPending();
}
