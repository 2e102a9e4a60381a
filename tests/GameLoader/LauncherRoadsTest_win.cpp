// zelk_main.exe as the platform client and the package updater drive it:
// the direct game start, and the package road from progress to the game.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Common/Text.h"
#include "GameLoader/InstallRegistration.h"
#include "Settings/LocalSettings.h"
#include "support/Process_win.h"
#include "support/StandIns_win.h"

namespace {

// The game's uninstall entry is the launcher's source for the game folder:
// none before a road starts, none left after it.
struct NoUninstallEntry {
    NoUninstallEntry() { Remove(); }
    ~NoUninstallEntry() { Remove(); }
    static void Remove()
    {
        LaunchParams params;
        params.gameCode = L"zelk";
        RemoveUninstallEntry(params);
    }
};

struct EnvironmentValue {
    EnvironmentValue(const wchar_t* name, const std::wstring& value) : m_name(name)
    {
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~EnvironmentValue() { SetEnvironmentVariableW(m_name, nullptr); }
    const wchar_t* m_name;
};

std::wstring Launcher() { return L"\"" + TestBinaryDir() + L"\\" ZELK_MAIN_EXE L"\""; }

}  // namespace

TEST(LauncherRoads, DirectGameStartRaisesTheGameTellsTheManagerAndCloses)
{
    SettingsFileGuard settings;
    NoUninstallEntry noEntry;
    PlatformClientStandIn platform(L"KorvaneRoad");
    ASSERT_NE(nullptr, platform.window());
    const std::wstring gameRecord = MakeTempFolder(L"roads-direct") + L"\\game.txt";
    EnvironmentValue recordTo(L"ZELK_GAME_RECORD", gameRecord);

    const std::wstring arguments = L" --tokenLogin=1 --token=abc --source=KV --winid=" + platform.id() +
                                   L" --gameMgrId=" + platform.id() + L" --typeMode=1";
    const ProcessResult launcher = RunProcess(Launcher() + arguments, 60000);
    EXPECT_TRUE(launcher.started);
    EXPECT_EQ(0u, launcher.exitCode);
    ASSERT_TRUE(FileExists(gameRecord));
    const std::string expected = WideToMultiByte(L"\"" + TestBinaryDir() + L"\\zelk.exe\" --source=KV --tokenLogin=1 "
                                                 L"--token=abc --winid=" + platform.id() + L" --typeMode=1",
                                                 CP_UTF8);
    EXPECT_EQ(expected, ReadFileBytes(gameRecord));
    HWND game = FindWindowW(nullptr, L"zelk");
    EXPECT_NE(nullptr, game);
    EXPECT_TRUE(game && IsWindowVisible(game));
    // Ready at start; closed through WM_CLOSE, which sends no record.
    EXPECT_EQ(1, platform.count("message 1348 0 0"));
    EXPECT_EQ(0, platform.count("copydata"));
    CloseGameStandIn();
}

TEST(LauncherRoads, PackageRoadRegistersStartsTheGameAndCloses)
{
    SettingsFileGuard settings;
    NoUninstallEntry noEntry;
    PlatformClientStandIn platform(L"KorvaneRoad");
    ASSERT_NE(nullptr, platform.window());
    // The unpacked game, where the registration will say it is.
    const std::wstring root = MakeTempFolder(L"roads-package");
    CreateDirectoryW((root + L"\\zelk").c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((TestBinaryDir() + L"\\zelk.exe").c_str(), (root + L"\\zelk\\zelk.exe").c_str(), FALSE));
    const std::wstring gameRecord = root + L"\\game.txt";
    EnvironmentValue recordTo(L"ZELK_GAME_RECORD", gameRecord);

    RunningProcess launcher(Launcher() + L" --source=KV --token=abc --winid=" + platform.id() +
                            L" --instGamePath=" + root);
    HWND window = WaitForProcessWindow(launcher.id(), L"Zelkmar", 20000);
    ASSERT_NE(nullptr, window);
    const ProcessResult updater =
        RunProcess(QuotedStandIn(L"package_updater.exe") + L" download 0 progress 0 60 100 unpack 0", 60000);
    EXPECT_EQ(0u, updater.exitCode);
    DWORD exitCode = 99;
    EXPECT_TRUE(launcher.waitForExit(60000, &exitCode));
    EXPECT_EQ(0u, exitCode);
    // The page never showed: the window stayed hidden all along.
    ASSERT_TRUE(FileExists(gameRecord));
    EXPECT_NE(std::string::npos, ReadFileBytes(gameRecord).find(" --token=abc"));
    EXPECT_EQ(root + L"\\zelk\\", GetGameDirFromUninstall(L"zelk"));
    EXPECT_EQ(0, platform.count("copydata"));
    CloseGameStandIn();
}

TEST(LauncherRoads, APageThatNeverCompletesShowsTheLauncherAfterTwentySeconds)
{
    // Wine's own browser control never completes a document: the portal
    // that accepts the connection and never answers.
    SettingsFileGuard settings;
    RunningProcess launcher(Launcher() + L" --source=KV --token=abc");
    HWND window = WaitForProcessWindow(launcher.id(), L"Zelkmar", 20000);
    ASSERT_NE(nullptr, window);
    const DWORD start = GetTickCount();
    EXPECT_TRUE(WaitUntil(40000, [&] { return IsWindowVisible(window) != FALSE; }));
    const DWORD waited = GetTickCount() - start;
    std::printf("the window was shown %lu ms after it was created\n", static_cast<unsigned long>(waited));
    EXPECT_GE(waited, 18000u);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(launcher.waitForExit(10000));
}

TEST(LauncherRoads, TheLoginTokenNeverReachesTheLog)
{
    SettingsFileGuard settings;
    NoUninstallEntry noEntry;
    const std::wstring secret = L"S3cr3tT0ken";  // 11 characters
    const struct {
        const char* what;
        std::wstring arguments;
        std::vector<std::string> lines;
    } cases[] = {
        {"switches, the game started at once",
         L" --tokenLogin=1 --source=KV --token=" + secret,
         {"szArgList:--token=<11 chars>\r\n", "IsGameExit:{\"source\":\"KV\",\"token\":\"<11 chars>\",\"tokenLogin\":\"1\"}",
          "m_strCmdJson is:{\"source\":\"KV\",\"token\":\"<11 chars>\",\"tokenLogin\":\"1\"}"}},
        {"one JSON argument",
         L" \"{\\\"tokenLogin\\\":\\\"1\\\",\\\"token\\\":\\\"" + secret + L"\\\"}\"",
         {"IsGameExit:{\"tokenLogin\":\"1\",\"token\":\"<11 chars>\"}\r\n",
          "m_strCmdJson is:{\"tokenLogin\":\"1\",\"token\":\"<11 chars>\"}\r\n"}},
        {"one switch, taken whole as the command text",
         L" --token=" + secret,
         {"IsGameExit:--token=<11 chars>\r\n", "m_strCmdJson is:--token=<11 chars>\r\n"}},
    };
    for (const auto& c : cases) {
        const size_t logBefore = ReadFileBytes(LauncherLogFile()).size();
        RunningProcess launcher(Launcher() + c.arguments);
        if (!launcher.waitForExit(15000)) {
            // Page mode: the window waits for its page; close it.
            if (HWND window = WaitForProcessWindow(launcher.id(), L"Zelkmar", 5000))
                PostMessageW(window, WM_CLOSE, 0, 0);
            EXPECT_TRUE(launcher.waitForExit(10000)) << c.what;
        }
        CloseGameStandIn();
        const std::string log = ReadFileBytes(LauncherLogFile()).substr(logBefore);
        EXPECT_EQ(std::string::npos, log.find(WideToMultiByte(secret, CP_UTF8))) << c.what << "\n" << log;
        for (const std::string& line : c.lines)
            EXPECT_NE(std::string::npos, log.find(line)) << c.what << ": " << line << "\n" << log;
    }
}
