#include "IdSync.h"

#include "Threads.h"

void TIdSync::Synchronize()
{
    TThread::Synchronize(nullptr, [this] { DoSynchronize(); });
}

void TIdSync::SynchronizeMethod(const std::function<void()>& method)
{
    TThread::Synchronize(nullptr, method);
}
