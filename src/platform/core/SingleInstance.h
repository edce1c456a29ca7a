#pragma once

#include <QString>

// A named system-wide mutex that lets one copy of a program run. On Windows it is a named mutex
// (the "Global\" prefix reaching across logons); elsewhere a lock file, named after the mutex, held
// with flock in a directory all users share ("Global\" names) or in the user's own runtime
// directory. The system releases the lock when the holder ends, even by a crash, so a crashed copy
// never locks out the next start.
class SingleInstance {
public:
    enum class TState {
        Created,       // this copy holds the mutex
        AlreadyExists, // another copy holds it
        Failed,        // the system gave no mutex
    };

    explicit SingleInstance(const QString &name);
    ~SingleInstance(); // releases the mutex
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    TState State() const { return FState; }
    static QString LockFilePath(const QString &name); // where the lock file of a name lies

private:
    TState FState = TState::Failed;
#ifdef _WIN32
    void *FHandle = nullptr;
#else
    int FDescriptor = -1;
#endif
};
