// The change notifier and its worker thread.
//
// The worker waits on the folder's change notification and on a wake event. New options and the
// end of a notifier only set state and signal the wake event; the worker itself closes and
// reopens its watch (closing a handle another thread waits on wakes nothing under Wine).
#include "acShellCtrls.h"

#include "Forms.h"
#include "Strings.h"
#include "acShellCtrlsInternal.h"

#include <algorithm>
#include <mutex>

namespace {

// Guards the options and watch handles of every worker, and the registry.
TCriticalSection& ChangeThreadLock()
{
    static TCriticalSection lock;
    return lock;
}

// Live workers; a freed worker's slot is emptied and reused.
std::vector<TacShellChangeThread*> changeThreadRegistry;

// Frees the workers that have ended and whose change event is not running.
void FreeFinishedThreads()
{
    std::vector<TacShellChangeThread*> finished;
    {
        std::lock_guard guard(ChangeThreadLock());
        for (TacShellChangeThread* thread : changeThreadRegistry)
            if (thread && thread->Finished()) finished.push_back(thread);
    }
    for (TacShellChangeThread* thread : finished) delete thread;
}

} // namespace

int acLiveChangeThreadCount()
{
    std::lock_guard guard(ChangeThreadLock());
    return static_cast<int>(std::count_if(changeThreadRegistry.begin(), changeThreadRegistry.end(),
                                          [](const TacShellChangeThread* t) { return t != nullptr; }));
}

// Ends and frees every worker left; called at shut-down on the main thread.
void acFreeChangeThreads()
{
    std::vector<TacShellChangeThread*> threads;
    {
        std::lock_guard guard(ChangeThreadLock());
        for (TacShellChangeThread* thread : changeThreadRegistry)
            if (thread) threads.push_back(thread);
    }
    for (TacShellChangeThread* thread : threads) {
        if (thread->FNotifier) thread->FNotifier->FThread = nullptr;
        thread->FNotifier = nullptr;
        thread->SetChangeEvent(nullptr);
        thread->Terminate();
        thread->Wake();
        thread->WaitFor();
        delete thread;
    }
    std::lock_guard guard(ChangeThreadLock());
    changeThreadRegistry.clear();
}

// ---------------------------------------------------------------------------------------------
// TacShellChangeThread

TacShellChangeThread::TacShellChangeThread(TacChangeEvent changeEvent)
    : TThread(true), FChangeEvent(std::move(changeEvent))
{
    FWakeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!FWakeEvent) throw EThread(L"Thread creation error: no wake event");
    std::lock_guard guard(ChangeThreadLock());
    auto slot = std::find(changeThreadRegistry.begin(), changeThreadRegistry.end(), nullptr);
    if (slot != changeThreadRegistry.end()) *slot = this;
    else changeThreadRegistry.push_back(this);
}

TacShellChangeThread::~TacShellChangeThread()
{
    {
        std::lock_guard guard(ChangeThreadLock());
        auto slot = std::find(changeThreadRegistry.begin(), changeThreadRegistry.end(), this);
        if (slot != changeThreadRegistry.end()) *slot = nullptr;
    }
    // Every worker is started right after it is made: end it before its members go.
    if (!Finished()) {
        Terminate();
        Wake();
        WaitFor();
    }
    std::lock_guard guard(ChangeThreadLock());
    CloseWatch();
    CloseHandle(FWakeEvent);
}

void TacShellChangeThread::SetDirectoryOptions(const UnicodeString& directory, bool watchSubTree, DWORD notifyOptionFlags)
{
    {
        std::lock_guard guard(ChangeThreadLock());
        FDirectory = directory;
        FWatchSubTree = watchSubTree;
        FNotifyOptionFlags = notifyOptionFlags;
        FWaitChanged = true;
    }
    Wake();
}

void TacShellChangeThread::SetChangeEvent(TacChangeEvent changeEvent)
{
    std::lock_guard guard(ChangeThreadLock());
    FChangeEvent = std::move(changeEvent);
}

void TacShellChangeThread::Wake() { SetEvent(FWakeEvent); }

bool TacShellChangeThread::OpenWatch()
{
    CloseWatch();
    FWaitChanged = false;
    if (FDirectory.empty()) return false;
    FWaitHandle = FindFirstChangeNotificationW(FDirectory.c_str(), FWatchSubTree, FNotifyOptionFlags);
    if (FWaitHandle == INVALID_HANDLE_VALUE) return false;
    ++FWatchesOpened;
    return true;
}

void TacShellChangeThread::CloseWatch()
{
    if (FWaitHandle != INVALID_HANDLE_VALUE) FindCloseChangeNotification(FWaitHandle);
    FWaitHandle = INVALID_HANDLE_VALUE;
}

void TacShellChangeThread::Execute()
{
    {
        std::lock_guard guard(ChangeThreadLock());
        OpenWatch();
    }
    while (!Terminated()) {
        // Only this thread opens and closes the watch, so the handle stays valid while it waits.
        HANDLE handles[2];
        DWORD count = 0;
        {
            std::lock_guard guard(ChangeThreadLock());
            if (FWaitHandle != INVALID_HANDLE_VALUE) handles[count++] = FWaitHandle;
        }
        const bool watching = count == 1;
        handles[count++] = FWakeEvent;
        // A watch that cannot be opened leaves the worker waiting for new options.
        const DWORD result = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
        if (result == WAIT_FAILED) break;
        if (watching && result == WAIT_OBJECT_0) {
            // Armed again before the event runs: a watch that is not armed (Wine's) drops the
            // changes made meanwhile, those the event's handler makes among them.
            FindNextChangeNotification(handles[0]);
            if (!Terminated() && !(Application && Application->Terminated())) {
                Synchronize([this] {
                    TacChangeEvent event;
                    {
                        std::lock_guard guard(ChangeThreadLock());
                        event = FChangeEvent;
                    }
                    if (!event) return;
                    FInChangeEvent = true;
                    try {
                        event();
                    } catch (...) {
                        FInChangeEvent = false;
                        throw;
                    }
                    FInChangeEvent = false;
                });
            }
        }
        std::lock_guard guard(ChangeThreadLock());
        if (FWaitChanged) OpenWatch();
    }
    std::lock_guard guard(ChangeThreadLock());
    CloseWatch();
}

// ---------------------------------------------------------------------------------------------
// TacCustomShellChangeNotifier

TacCustomShellChangeNotifier::TacCustomShellChangeNotifier(TComponent* owner)
    : TComponent(owner), FFilters{nfFileNameChange, nfDirNameChange}, FRoot(L"C:\\")
{
    Start();
}

TacCustomShellChangeNotifier::~TacCustomShellChangeNotifier()
{
    if (TacShellChangeThread* thread = std::exchange(FThread, nullptr)) {
        thread->FNotifier = nullptr;
        thread->SetChangeEvent(nullptr);
        thread->Terminate();
        thread->Wake();
        // Inside the worker's own change event the worker waits for us: it ends once the event
        // returns and is freed by a later notifier or at shut-down.
        if (!thread->InChangeEvent()) {
            thread->WaitFor();
            delete thread;
        }
    }
    FOnChange = nullptr;
    FreeFinishedThreads();
}

void TacCustomShellChangeNotifier::SetFilters(TacNotifyFilters value)
{
    FFilters = value;
    Change();
}

void TacCustomShellChangeNotifier::SetRoot(const TacRoot& value)
{
    if (SameText(value, FRoot)) return;
    FRoot = value;
    Change();
}

void TacCustomShellChangeNotifier::SetWatchSubTree(bool value)
{
    FWatchSubTree = value;
    Change();
}

void TacCustomShellChangeNotifier::SetOnChange(TacChangeEvent value)
{
    FOnChange = std::move(value);
    if (FThread) FThread->SetChangeEvent(FOnChange);
    else Start();
}

void TacCustomShellChangeNotifier::Start()
{
    if (!FOnChange) return;
    FThread = new TacShellChangeThread(FOnChange);
    FThread->FNotifier = this;
    FThread->SetDirectoryOptions(FRoot, FWatchSubTree, FiltersToNotifyFlags(FFilters));
    FThread->Start();
}

void TacCustomShellChangeNotifier::Change()
{
    if (FThread) FThread->SetDirectoryOptions(FRoot, FWatchSubTree, FiltersToNotifyFlags(FFilters));
}
