// The launcher's two roads to the game, told as they happen: (1) a direct
// start by the platform client, (2) the package updater's messages, then
// registration and the game.  Runs from the folder where the build copies
// zelk_main.exe and the stand-ins together.
#include <windows.h>

#include <cstdio>
#include <string>

#include "Common/Text.h"
#include "demo/DemoOutput_win.h"
#include "GameLoader/InstallRegistration.h"
#include "Settings/LocalSettings.h"
#include "support/Process_win.h"
#include "support/StandIns_win.h"

namespace {

std::string Utf8(const std::wstring& text) { return WideToMultiByte(text, CP_UTF8); }

void RemoveEntry()
{
    LaunchParams params;
    params.gameCode = L"zelk";
    RemoveUninstallEntry(params);
}

}  // namespace

int main()
{
    const std::wstring dir = TestBinaryDir();
    const std::wstring launcher = L"\"" + dir + L"\\zelk_main.exe\"";
    const std::wstring work = MakeTempFolder(L"demo-roads");
    RemoveEntry();

    const std::wstring platformRecord = work + L"\\platform.txt";
    RunningProcess platform(QuotedStandIn(L"Korvane.exe") + L" \"" + platformRecord + L"\" Korvane");
    HWND platformWindow = WaitForProcessWindow(platform.id(), L"Korvane", 20000);
    const std::wstring id = std::to_wstring(reinterpret_cast<uintptr_t>(platformWindow));

    std::printf("1. direct game start: zelk_main.exe --tokenLogin=1 --token=abc --source=KV --winid=%s "
                "--gameMgrId=%s --typeMode=1\n",
                Utf8(id).c_str(), Utf8(id).c_str());
    const std::wstring gameRecord = work + L"\\game-direct.txt";
    SetEnvironmentVariableW(L"ZELK_GAME_RECORD", gameRecord.c_str());
    const DWORD began = GetTickCount();
    const ProcessResult direct = RunProcess(launcher + L" --tokenLogin=1 --token=abc --source=KV --winid=" + id +
                                                L" --gameMgrId=" + id + L" --typeMode=1",
                                            60000);
    std::printf("   launcher exited with code %lu after %lu ms\n", direct.exitCode, GetTickCount() - began);
    std::printf("   the game was started with:\n");
    PrintFileLines(gameRecord, "", "     ", 120);
    HWND game = FindWindowW(nullptr, L"zelk");
    std::printf("   game window \"zelk\": %s, foreground: %s\n", game && IsWindowVisible(game) ? "visible" : "missing",
                game == GetForegroundWindow() ? "yes" : "no");
    std::printf("   the platform client received (1348 = launcher ready; no record: WM_CLOSE sends none):\n");
    PrintFileLines(platformRecord, "", "     ", 120);
    CloseGameStandIn();

    std::printf("2. package road: zelk_main.exe --source=KV --token=abc --instGamePath=<folder>, then the updater\n");
    const std::wstring root = MakeTempFolder(L"demo-package");
    CreateDirectoryW((root + L"\\zelk").c_str(), nullptr);
    CopyFileW((dir + L"\\zelk.exe").c_str(), (root + L"\\zelk\\zelk.exe").c_str(), FALSE);
    const std::wstring packageRecord = root + L"\\game.txt";
    SetEnvironmentVariableW(L"ZELK_GAME_RECORD", packageRecord.c_str());
    RunningProcess page(launcher + L" --source=KV --token=abc --instGamePath=" + root);
    HWND window = WaitForProcessWindow(page.id(), L"Zelkmar", 20000);
    std::printf("   launcher window: %s (it waits for its page)\n",
                window ? (IsWindowVisible(window) ? "visible" : "hidden") : "missing");
    const wchar_t* const steps[] = {L"download 0", L"progress 0 25 50 75 100", L"progress 100", L"unpack 0"};
    for (const wchar_t* step : steps) {
        const ProcessResult posted = RunProcess(QuotedStandIn(L"package_updater.exe") + L" " + step, 30000);
        std::printf("   updater posted \"%s\": exit %lu\n", Utf8(step).c_str(), posted.exitCode);
        Sleep(300);
    }
    DWORD exitCode = 0;
    const bool ended = page.waitForExit(60000, &exitCode);
    std::printf("   launcher %s (code %lu)\n", ended ? "exited" : "still runs", exitCode);
    std::printf("   uninstall entry's game folder: %s\n", Utf8(GetGameDirFromUninstall(L"zelk")).c_str());
    std::printf("   the game was started with:\n");
    PrintFileLines(packageRecord, "", "     ", 120);
    CloseGameStandIn();
    RemoveEntry();
    return 0;
}
