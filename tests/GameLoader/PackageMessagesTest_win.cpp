// The package messages from the outside: the clean-up of game processes
// after a download against the game stand-in, and the package-updater
// stand-in against a window that carries the launcher's title.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <utility>
#include <vector>

#include "common/win/ScopedHandles.h"
#include "GameLoaderWnd/PackageMessages_win.h"
#include "Process/ProcessUtils.h"
#include "support/Process_win.h"
#include "support/StandIns_win.h"

namespace {

bool ProcessRuns(const wchar_t* imageName)
{
    ScopedSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, imageName) == 0)
            return true;
    }
    return false;
}

}  // namespace

TEST(GameProcessCleanup, StopsWhenNoGameIsLeftOrAfterThirtyAttempts)
{
    const struct {
        const char* what;
        bool game;
        bool resists;
        int pauses;  // one per kill attempt
    } cases[] = {
        {"no game", false, false, 0},
        {"a game that ends at the first kill", true, false, 1},
        {"a game that never ends", true, true, 30},
    };
    for (const auto& c : cases) {
        std::unique_ptr<RunningProcess> game;
        if (c.game) {
            SetEnvironmentVariableW(L"ZELK_GAME_RESIST", c.resists ? L"1" : nullptr);
            game = std::make_unique<RunningProcess>(QuotedStandIn(L"zelk.exe"));
            SetEnvironmentVariableW(L"ZELK_GAME_RESIST", nullptr);
            // The window comes after the game has made itself unkillable.
            ASSERT_NE(nullptr, WaitForProcessWindow(game->id(), L"zelk", 20000)) << c.what;
        }
        ASSERT_EQ(c.game, GeneralProcessExist()) << c.what;

        // The pause stands for the second between attempts; it lasts until
        // a killed game is really gone, so the next check cannot see it
        // dying, and only briefly for a game that does not die.
        std::atomic<int> pauses(0);
        RunGameProcessCleanup([&] {
            ++pauses;
            if (game)
                game->waitForExit(c.resists ? 10 : 10000);
        });

        EXPECT_EQ(c.pauses, pauses.load()) << c.what;
        if (game) {
            EXPECT_EQ(!c.resists, game->waitForExit(0)) << c.what;
            // The test's own handle was opened before the game locked
            // itself, so it still ends it.
            game->terminate();
        }
        // taskkill was started for every failed attempt; none may live on
        // to end a later test's game.
        EXPECT_TRUE(WaitUntil(60000, [] { return !ProcessRuns(L"taskkill.exe"); })) << c.what;
    }
}

namespace {

LRESULT CALLBACK LauncherTitleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

TEST(PackageUpdaterStandIn, PostsTheMessagesInTheirOrderToTheLauncherTitle)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = LauncherTitleProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZelkUpdaterTestLauncher";
    RegisterClassW(&windowClass);
    HWND launcher = CreateWindowExW(0, windowClass.lpszClassName, L"Zelkmar", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                    nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, launcher);

    const ProcessResult run =
        RunProcess(QuotedStandIn(L"package_updater.exe") + L" download 0 progress 0 60 100 7 unpack 0 download 1");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(0u, run.exitCode);

    std::vector<std::pair<UINT, WPARAM>> received;
    MSG message;
    while (PeekMessageW(&message, launcher, WM_USER, WM_USER + 0x7FFF, PM_REMOVE))
        received.emplace_back(message.message, message.wParam);
    const std::vector<std::pair<UINT, WPARAM>> expected = {
        {1135, 0}, {1136, 0}, {1136, 60}, {1136, 100}, {1136, 7}, {1134, 0}, {1135, 1}};
    EXPECT_EQ(expected, received);

    EXPECT_EQ(2u, RunProcess(QuotedStandIn(L"package_updater.exe") + L" progress sixty").exitCode);
    DestroyWindow(launcher);
}
