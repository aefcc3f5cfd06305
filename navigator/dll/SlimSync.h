#pragma once
// A lock and a condition of the system's slim kind, for the streaming threads' waits. Under Wine
// their waits and wakes stay in the process, where the C++ library's condition variable takes a
// trip through Wine's server for every wait, and another when a timed one runs out. The lock is
// also a shared one: MinGW's own shared mutex leaves kernel handles behind with every one made.

#include <windows.h>

#include <mutex>

namespace lumanav {

class SlimLock {
public:
    SlimLock() = default;
    SlimLock(const SlimLock&) = delete;
    SlimLock& operator=(const SlimLock&) = delete;
    void lock() { AcquireSRWLockExclusive(&lock_); }
    void unlock() { ReleaseSRWLockExclusive(&lock_); }
    void lock_shared() { AcquireSRWLockShared(&lock_); }
    void unlock_shared() { ReleaseSRWLockShared(&lock_); }

private:
    friend class SlimCondition;
    SRWLOCK lock_ = SRWLOCK_INIT;
};

class SlimCondition {
public:
    SlimCondition() = default;
    SlimCondition(const SlimCondition&) = delete;
    SlimCondition& operator=(const SlimCondition&) = delete;

    // Waits for a wake, or until `milliseconds` have passed; it may also return without either.
    void waitFor(std::unique_lock<SlimLock>& lock, DWORD milliseconds)
    {
        SleepConditionVariableSRW(&condition_, &lock.mutex()->lock_, milliseconds, 0);
    }
    void wait(std::unique_lock<SlimLock>& lock) { waitFor(lock, INFINITE); }
    template <typename Done>
    void wait(std::unique_lock<SlimLock>& lock, Done done)
    {
        while (!done()) wait(lock);
    }
    void notifyAll() { WakeAllConditionVariable(&condition_); }

private:
    CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
};

}  // namespace lumanav
