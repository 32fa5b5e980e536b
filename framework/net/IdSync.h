#pragma once
// Hands work from a connection thread to the main thread and waits there until it has run.
#include "Objects.h"

#include <functional>

class TIdSync : public TObject {
public:
    // thread is the object the sync works for (a connection's context); kept, not owned.
    explicit TIdSync(TObject* thread = nullptr) : thread_(thread) {}

    UnicodeString ClassName() const override { return L"TIdSync"; }

    // Runs DoSynchronize on the main thread and returns when it has run; an exception it raises
    // is raised again here. On the main thread it runs at once.
    void Synchronize();
    // The same for any call.
    static void SynchronizeMethod(const std::function<void()>& method);

    TObject* Thread() const { return thread_; }

protected:
    virtual void DoSynchronize() = 0;

private:
    TObject* thread_;
};
