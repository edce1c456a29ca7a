#pragma once

#include "TObject.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// A worker thread that runs one step over and over until it is told to terminate. It starts
// running when it is created; the owner attaches the step right afterwards, once. A step that
// raises an error is retried after 50 milliseconds. Steps sleep through Sleep, which termination
// (and Wake) cut short, so the owner never waits out a sleeping step.
class TDataThread : public TObject {
public:
    TDataThread();
    ~TDataThread() override; // terminates and joins

    void SetOnThreadEvent(TNotifyEvent step);
    void Terminate();
    bool Terminated() const { return FTerminated.load(); }

    void Sleep(int milliseconds);
    void Wake();

private:
    void Execute();

    TNotifyEvent FOnThreadEvent;
    std::atomic<bool> FHasStep{false};
    std::atomic<bool> FTerminated{false};
    std::mutex FSleepLock;
    std::condition_variable FSleepSignal;
    bool FWakeRequested = false;
    std::thread FThread; // last: started once everything above exists
};
