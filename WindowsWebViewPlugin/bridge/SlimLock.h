#pragma once
// The locks on the paths that every engine call takes: the bridge's queue and
// the bridge instance.  On Windows they are the system's slim reader/writer
// lock and its condition variable, which wait on an address and need no
// kernel object; the standard ones of the toolchain sit on kernel events, and
// under Wine every contended lock, every wait and every wake-up of those is a
// round trip to the server that all processes of the prefix share, the same
// server that carries every pipe write.  Elsewhere (native builds and their
// sanitizers) they are the standard ones.
#include <chrono>
#include <mutex>

#ifndef _WIN32
#include <condition_variable>
#include <shared_mutex>
#endif

// Exclusive (lock) or shared (lock_shared) ownership; not recursive.
class SlimMutex {
public:
    SlimMutex() = default;
    SlimMutex(const SlimMutex&) = delete;
    SlimMutex& operator=(const SlimMutex&) = delete;

#ifdef _WIN32
    void lock();
    void unlock();
    bool try_lock();
    void lock_shared();
    void unlock_shared();

private:
    friend class SlimConditionVariable;
    void* slim = nullptr;  // the SRWLOCK, initially unlocked
#else
    void lock() { mutex.lock(); }
    void unlock() { mutex.unlock(); }
    bool try_lock() { return mutex.try_lock(); }
    void lock_shared() { mutex.lock_shared(); }
    void unlock_shared() { mutex.unlock_shared(); }

private:
    std::shared_mutex mutex;
#endif
};

// Waits with a SlimMutex held exclusively, as std::condition_variable does
// with a std::mutex.
class SlimConditionVariable {
public:
    SlimConditionVariable() = default;
    SlimConditionVariable(const SlimConditionVariable&) = delete;
    SlimConditionVariable& operator=(const SlimConditionVariable&) = delete;

#ifdef _WIN32
    void notify_one();
    void notify_all();
    void wait(std::unique_lock<SlimMutex>& lock);
    // False once `deadline` has passed; may also return true early.
    bool waitUntil(std::unique_lock<SlimMutex>& lock, std::chrono::steady_clock::time_point deadline);
#else
    void notify_one() { condition.notify_one(); }
    void notify_all() { condition.notify_all(); }
    void wait(std::unique_lock<SlimMutex>& lock) { condition.wait(lock); }
    bool waitUntil(std::unique_lock<SlimMutex>& lock, std::chrono::steady_clock::time_point deadline) {
        return condition.wait_until(lock, deadline) == std::cv_status::no_timeout;
    }
#endif

    template <typename Predicate>
    void wait(std::unique_lock<SlimMutex>& lock, Predicate ready) {
        while (!ready()) wait(lock);
    }
    // The predicate's value when the wait ends, at `deadline` at the latest.
    template <typename Predicate>
    bool wait_until(std::unique_lock<SlimMutex>& lock, std::chrono::steady_clock::time_point deadline,
                    Predicate ready) {
        while (!ready()) {
            if (!waitUntil(lock, deadline)) return ready();
        }
        return true;
    }
    template <typename Rep, typename Period, typename Predicate>
    bool wait_for(std::unique_lock<SlimMutex>& lock, std::chrono::duration<Rep, Period> duration, Predicate ready) {
        return wait_until(lock, std::chrono::steady_clock::now() + duration, ready);
    }

private:
#ifdef _WIN32
    void* slim = nullptr;  // the CONDITION_VARIABLE
#else
    std::condition_variable_any condition;
#endif
};
