#pragma once
// The part of the package messages that is not window handling: after a
// successful download, ending the game processes that still run, so that
// the unpack can replace their files.
#include <functional>

// The wait between two attempts.  The launcher waits one second; tests
// count the calls and wait less.
using CleanupPause = std::function<void()>;
void WaitOneSecond();

// Up to 30 attempts: while a game process runs, end the game processes
// (KillGeneralProcess) and pause.  Stops at the first check that finds none;
// whatever still runs after the last attempt is left running.  Any thread.
void GameProcessCleanup(const CleanupPause& pause = &WaitOneSecond);

// OnDownloadResult's success branch: GameProcessCleanup on a task of its
// own thread, waited for before returning, so the calling (UI) thread
// handles no messages meanwhile, for up to about 30 seconds.
void RunGameProcessCleanup(const CleanupPause& pause = &WaitOneSecond);
