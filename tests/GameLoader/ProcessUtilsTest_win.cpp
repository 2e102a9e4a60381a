// Process and window utilities against the game stand-in (zelk.exe).
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>

#include "Process/ProcessUtils.h"
#include "support/Process_win.h"
#include "support/StandIns_win.h"

namespace {

// Starts zelk.exe with the window mode `mode` and waits for its main window.
class Game {
public:
    explicit Game(const wchar_t* mode)
    {
        SetEnvironmentVariableW(L"ZELK_GAME_WINDOW", mode);
        m_process = std::make_unique<RunningProcess>(QuotedStandIn(L"zelk.exe"));
        SetEnvironmentVariableW(L"ZELK_GAME_WINDOW", nullptr);
        if (m_process->started() && lstrcmpW(mode, L"none") != 0)
            m_window = WaitForProcessWindow(m_process->id(), L"zelk", 20000);
        else
            m_process->waitForExit(1000);  // give it time to start
    }
    RunningProcess& process() { return *m_process; }
    HWND window() const { return m_window; }

private:
    std::unique_ptr<RunningProcess> m_process;
    HWND m_window = nullptr;
};

// Refuses every open, as for a process of another user, and counts the tries.
class RefusingOpener : public ProcessTerminationOpener {
public:
    HANDLE open(DWORD) override
    {
        ++calls;
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    int calls = 0;
};

}  // namespace

TEST(ProcessUtils, FindsByNameWithCaseAndByPathWithoutCase)
{
    Game game(L"visible");
    ASSERT_NE(nullptr, game.window());
    const size_t logBefore = ReadFileBytes(TestLogFile()).size();
    EXPECT_EQ(game.process().id(), GetProcessIdByName(L"zelk.exe"));
    const std::string log = ReadFileBytes(TestLogFile()).substr(logBefore);
    EXPECT_NE(std::string::npos, log.find("] : Process32Next processName:zelk.exe\r\n")) << log;
    EXPECT_EQ(kNoProcessByName, GetProcessIdByName(L"ZELK.EXE"));
    EXPECT_EQ(kNoProcessByName, GetProcessIdByName(L""));
    EXPECT_TRUE(GeneralProcessExist());

    std::wstring path = TestBinaryDir() + L"\\zelk.exe";
    for (wchar_t& c : path)
        c = static_cast<wchar_t>(std::towupper(c));
    EXPECT_EQ(game.process().id(), GetProcessIdByPath(path));
    EXPECT_EQ(kNoProcessByPath, GetProcessIdByPath(TestBinaryDir() + L"\\nothing.exe"));
}

TEST(ProcessUtils, KillProcessEndsTheGame)
{
    Game game(L"none");
    DWORD exitCode = 99;
    EXPECT_TRUE(KillProcess(game.process().id()));
    ASSERT_TRUE(game.process().waitForExit(10000, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_FALSE(GeneralProcessExist());
}

TEST(ProcessUtils, AProcessThatCannotBeOpenedGoesToTaskkill)
{
    Game game(L"none");
    RefusingOpener refusing;
    const size_t logBefore = ReadFileBytes(TestLogFile()).size();
    EXPECT_FALSE(KillProcess(game.process().id(), refusing));
    const std::string log = ReadFileBytes(TestLogFile()).substr(logBefore);
    const std::string pid = std::to_string(game.process().id());
    EXPECT_NE(std::string::npos, log.find("KillProcess] : OpenProcess1 " + pid +
                                          " falsed code:5\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("] : EnableDebugPrivilege " + pid + " ")) << log;
    EXPECT_NE(std::string::npos, log.find("] : OpenProcess2 " + pid + " falsed code:5\r\n")) << log;
    EXPECT_EQ(2, refusing.calls) << "opened once more after the debug privilege";
    EXPECT_FALSE(game.process().waitForExit(0));

    refusing.calls = 0;
    KillGeneralProcess(refusing);
    EXPECT_EQ(2, refusing.calls);
    EXPECT_TRUE(game.process().waitForExit(20000)) << "taskkill ends it";
}

TEST(ProcessUtils, FindProcessWindowTakesOnlyVisibleUnownedWindows)
{
    const struct {
        const wchar_t* mode;
        bool found;
    } cases[] = {{L"visible", true}, {L"hidden", false}, {L"owned", false}};
    for (const auto& c : cases) {
        Game game(c.mode);
        ASSERT_NE(nullptr, game.window()) << c.mode;
        // The owned window appears after the main one.
        Sleep(200);
        EXPECT_EQ(c.found ? game.window() : nullptr, FindProcessWindow(game.process().id())) << c.mode;
    }
}

TEST(ProcessUtils, ShowWindowToFrontRestoresAMinimisedWindow)
{
    Game game(L"visible");
    ASSERT_NE(nullptr, game.window());
    ShowWindow(game.window(), SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil(5000, [&] { return IsIconic(game.window()) != FALSE; }));
    ShowWindowToFront(game.window());
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsIconic(game.window()) && IsWindowVisible(game.window()); }));
    EXPECT_EQ(0, GetWindowLongW(game.window(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "does not stay on top";
    ShowWindowToFront(nullptr);
}
