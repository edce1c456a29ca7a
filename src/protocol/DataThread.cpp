#include "DataThread.h"

TDataThread::TDataThread() : FThread([this] { Execute(); }) {}

TDataThread::~TDataThread()
{
    Terminate();
    if (FThread.joinable())
        FThread.join();
}

void TDataThread::SetOnThreadEvent(TNotifyEvent step)
{
    if (FHasStep.load())
        return; // the running thread reads the step without a lock: it is attached once
    FOnThreadEvent = std::move(step);
    FHasStep.store(true);
}

void TDataThread::Terminate()
{
    FTerminated.store(true);
    Wake();
}

void TDataThread::Wake()
{
    {
        std::lock_guard<std::mutex> locker(FSleepLock);
        FWakeRequested = true;
    }
    FSleepSignal.notify_all();
}

void TDataThread::Sleep(int milliseconds)
{
    std::unique_lock<std::mutex> locker(FSleepLock);
    FSleepSignal.wait_for(locker, std::chrono::milliseconds(milliseconds),
                          [this] { return FWakeRequested || FTerminated.load(); });
    FWakeRequested = false;
}

void TDataThread::Execute()
{
    while (!FTerminated.load()) {
        if (!FHasStep.load()) {
            Sleep(10);
            continue;
        }
        try {
            FOnThreadEvent(this);
        } catch (...) {
            Sleep(50);
        }
    }
}
