#include "bridge/SlimLock.h"

#include <windows.h>

#include <algorithm>

// SRWLOCK and CONDITION_VARIABLE are one pointer each, all zero when free,
// so the header keeps them as a void* and no <windows.h> reaches the core.
static_assert(sizeof(SRWLOCK) == sizeof(void*) && sizeof(CONDITION_VARIABLE) == sizeof(void*),
              "slim locks are one pointer");

namespace {

PSRWLOCK srw(void*& slim) { return reinterpret_cast<PSRWLOCK>(&slim); }
PCONDITION_VARIABLE condition(void*& slim) { return reinterpret_cast<PCONDITION_VARIABLE>(&slim); }

}  // namespace

// The locks are held for a copy or an append, so a short spin nearly always
// finds them free.  A thread that blocks instead gives up its processor and
// waits until the scheduler runs it again, which on a busy machine is a whole
// time slice: an engine call held for milliseconds.
constexpr int kSpinsBeforeBlocking = 64;

void SlimMutex::lock() {
    for (int spin = 0; spin < kSpinsBeforeBlocking; ++spin) {
        if (TryAcquireSRWLockExclusive(srw(slim))) return;
        YieldProcessor();
    }
    AcquireSRWLockExclusive(srw(slim));
}
void SlimMutex::unlock() { ReleaseSRWLockExclusive(srw(slim)); }
bool SlimMutex::try_lock() { return TryAcquireSRWLockExclusive(srw(slim)) != 0; }
void SlimMutex::lock_shared() { AcquireSRWLockShared(srw(slim)); }
void SlimMutex::unlock_shared() { ReleaseSRWLockShared(srw(slim)); }

void SlimConditionVariable::notify_one() { WakeConditionVariable(condition(slim)); }
void SlimConditionVariable::notify_all() { WakeAllConditionVariable(condition(slim)); }

void SlimConditionVariable::wait(std::unique_lock<SlimMutex>& lock) {
    SleepConditionVariableSRW(condition(slim), srw(lock.mutex()->slim), INFINITE, 0);
}

bool SlimConditionVariable::waitUntil(std::unique_lock<SlimMutex>& lock,
                                      std::chrono::steady_clock::time_point deadline) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return false;
    // Rounded up, so that a wait never ends just before its deadline and
    // spins; below INFINITE, which would never end.
    const long long ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    const DWORD timeout = static_cast<DWORD>(std::min<long long>(ms, INFINITE - 1));
    SleepConditionVariableSRW(condition(slim), srw(lock.mutex()->slim), timeout, 0);
    return std::chrono::steady_clock::now() < deadline;
}
