#include "GameLoaderWnd/PackageMessages_win.h"

#include <windows.h>

#include <chrono>
#include <exception>
#include <future>
#include <system_error>
#include <thread>

#include "common/win/BoundaryGuard.h"
#include "Log/Log.h"
#include "Process/ProcessUtils.h"

namespace {

constexpr int kCleanupAttempts = 30;

}  // namespace

void WaitOneSecond()
{
    // To a point in time, not for a duration: a wake-up that comes early
    // sleeps on until the second is over.
    std::this_thread::sleep_until(std::chrono::steady_clock::now() + std::chrono::nanoseconds(1000000000));
}

void GameProcessCleanup(const CleanupPause& pause)
{
    for (int attempt = 1; attempt <= kCleanupAttempts; ++attempt) {
        if (!GeneralProcessExist())
            return;
        KillGeneralProcess();
        pause();
    }
}

void RunGameProcessCleanup(const CleanupPause& pause)
{
    std::future<void> task;
    try {
        task = std::async(std::launch::async, [&pause] {
            GuardBoundary(
                false, [](const char* what) { LOG_CALL(0, L"GameProcessCleanup failed: " << what); },
                [&pause] {
                    GameProcessCleanup(pause);
                    return true;
                });
            LOG_CALL(2, L"GameProcessCleanup done");
        });
    } catch (const std::system_error& error) {
        // No thread to be had: the clean-up is skipped, as the unpack that
        // follows reports its own failure if a game still holds its files.
        LOG_CALL(0, L"GameProcessCleanup not started: " << error.what());
        return;
    }
    task.wait();
}
