#pragma once
// Window changes that connection threads hand to the main thread, run there in bunches: the
// first change after a bunch asks the main thread to run the next bunch (the main window does
// so one tick later), so a burst of contacts costs the main thread one wake-up and one paint of
// each changed window per tick instead of several per contact. Changes run in the order they
// were posted.
#include <functional>
#include <mutex>
#include <vector>

// Runs every change in order, each even when one before it fails; the first failure is raised
// afterwards, as a single change's would be.
void RunEachChange(const std::vector<std::function<void()>>& changes);

class TWindowChangeQueue {
public:
    // askForRun is called on the posting thread, at most once per bunch; it must have the main
    // thread call RunPending.
    explicit TWindowChangeQueue(std::function<void()> askForRun);
    TWindowChangeQueue(const TWindowChangeQueue&) = delete;
    TWindowChangeQueue& operator=(const TWindowChangeQueue&) = delete;

    // Any thread; on the main thread the change runs at once. Dropped after Close.
    void Post(std::function<void()> change);
    // Main thread: runs every change posted so far, in order. Each runs even when one before it
    // fails; the first failure is raised afterwards.
    void RunPending();
    // Main thread: runs what is pending; later posts are dropped.
    void Close();

private:
    std::function<void()> askForRun_;
    std::mutex mutex_;
    std::vector<std::function<void()>> changes_;
    bool asked_ = false;
    bool closed_ = false;
};
