// The game start against the game stand-in (zelk.exe) and the platform
// client stand-in (Korvane.exe): what the game reads from its command line,
// what the game-manager window and the launcher's window receive.  A plain
// window of the test plays the launcher's main window.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

#include "common/win/ScopedHandles.h"
#include "GameLoaderWnd/GameCommandLine.h"
#include "GameLoaderWnd/GameStart_win.h"
#include "Main/WindowMessages.h"
#include "Process/ProcessUtils.h"
#include "support/Process_win.h"
#include "support/StandIns_win.h"

namespace {

std::vector<std::wstring> SplitBySystem(const std::wstring& commandLine)
{
    std::vector<std::wstring> items;
    int count = 0;
    ScopedLocal arguments(reinterpret_cast<HLOCAL>(CommandLineToArgvW(commandLine.c_str(), &count)));
    if (!arguments)
        return items;
    for (int i = 0; i < count; ++i)
        items.push_back(static_cast<LPWSTR*>(arguments.get())[i]);
    return items;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    std::wstring wide(text.size(), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                           static_cast<int>(wide.size()));
    wide.resize(static_cast<size_t>(length > 0 ? length : 0));
    return wide;
}

// The switches the game must read back, one item each.
std::vector<std::wstring> ExpectedItems(const LaunchParams& p)
{
    std::vector<std::wstring> items = {L"--source=" + p.source};
    const std::pair<const wchar_t*, const std::wstring*> pieces[] = {
        {L"--tokenLogin=", &p.tokenLogin}, {L"--token=", &p.token},         {L"--kvext=", &p.kvext},
        {L"--winid=", &p.gameMgrId},       {L"--typeMode=", &p.typeMode},   {L"--instGamePath=", &p.instGamePath},
        {L"--cacheGamePath=", &p.cacheGamePath}};
    for (const auto& piece : pieces) {
        if (!piece.second->empty())
            items.push_back(piece.first + *piece.second);
    }
    return items;
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

// A top-level window of the test thread, standing in for the launcher's.
HWND MakeMainWindow(bool visible)
{
    static const bool registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = PlainWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"ZelkGameStartTestMain";
        return RegisterClassW(&windowClass) != 0;
    }();
    if (!registered)
        return nullptr;
    return CreateWindowExW(0, L"ZelkGameStartTestMain", L"zelk launcher test",
                           WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 100, 100, 300, 200, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// The wParams of the WM_CLOSE messages posted to `window` so far.
std::vector<WPARAM> TakeCloses(HWND window)
{
    std::vector<WPARAM> closes;
    MSG message;
    while (PeekMessageW(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE))
        closes.push_back(message.wParam);
    return closes;
}

std::wstring UpperCase(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

class GameStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::wstring folder = MakeTempFolder(L"zelk_game_start");
        m_gameRecord = folder + L"\\game.txt";
        m_clientRecord = folder + L"\\client.txt";
        SetEnvironmentVariableW(L"ZELK_GAME_RECORD", m_gameRecord.c_str());
        m_client = std::make_unique<RunningProcess>(QuotedStandIn(L"Korvane.exe") + L" \"" + m_clientRecord +
                                                    L"\" \"Korvane game manager\"");
        ASSERT_TRUE(m_client->started());
        m_gameManager = WaitForProcessWindow(m_client->id(), L"Korvane game manager", 20000);
        ASSERT_NE(nullptr, m_gameManager);
        m_main = MakeMainWindow(true);
        ASSERT_NE(nullptr, m_main);
        m_params.gameCode = L"zelk";
        m_params.gameExePath = TestBinaryDir() + L"\\zelk.exe";
        m_params.source = L"KV";
        m_params.token = L"abc";
        m_params.gameMgrId = std::to_wstring(reinterpret_cast<UINT_PTR>(m_gameManager));
    }
    void TearDown() override
    {
        EndGame();
        SetEnvironmentVariableW(L"ZELK_GAME_RECORD", nullptr);
        SetEnvironmentVariableW(L"ZELK_GAME_WINDOW", nullptr);
        DestroyWindow(m_main);
        PostMessageW(m_gameManager, WM_CLOSE, 0, 0);
        m_client->waitForExit(5000);
    }

    // Ends the game the launcher started, so that the next start is a new one.
    void EndGame()
    {
        const DWORD id = GetProcessIdByPath(m_params.gameExePath);
        if (id == 0)
            return;
        ScopedHandle game(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (game.valid()) {
            TerminateProcess(game.get(), 0);
            WaitForSingleObject(game.get(), 10000);
        }
    }

    // The game's own command line, read back as the game's splitting sees it.
    std::vector<std::wstring> GameItems() const
    {
        std::vector<std::wstring> items = SplitBySystem(FromUtf8(ReadFileBytes(m_gameRecord)));
        if (!items.empty())
            items.erase(items.begin());  // the program path
        return items;
    }
    std::string ClientRecord() const { return ReadFileBytes(m_clientRecord); }

    std::wstring m_gameRecord, m_clientRecord;
    std::unique_ptr<RunningProcess> m_client;
    HWND m_gameManager = nullptr;
    HWND m_main = nullptr;
    LaunchParams m_params;
};

}  // namespace

TEST(GameCommandLine, TheSystemsSplittingReadsBackEveryValue)
{
    const std::wstring values[] = {
        L"abc", L"a b", L"a\tb", L"a\"b", L"x\" --winid=\"5", L"C:\\Program Files\\", L"C:\\dir\\", L"a\\\\\"b",
        L"\\\"", L"\"", L"\\", L"a\\b\\\\c", L"--typeMode=1 --token=evil", L"\u73a9\u5bb6 x",
    };
    for (const std::wstring& value : values) {
        for (const wchar_t* source : {L"KV", L""}) {
            LaunchParams params;
            params.source = source;
            params.token = value;
            params.kvext = value;
            params.instGamePath = value;
            const std::vector<std::wstring> items =
                SplitBySystem(L"\"C:\\Games\\zelk.exe\" " + MakeGameCommandLine(params));
            ASSERT_FALSE(items.empty());
            EXPECT_EQ(ExpectedItems(params), std::vector<std::wstring>(items.begin() + 1, items.end()))
                << MakeGameCommandLine(params).c_str();
        }
    }
}

TEST_F(GameStart, TheGameReadsItsSwitchesBack)
{
    const std::wstring manager = m_params.gameMgrId;
    const struct {
        const wchar_t* source;
        const wchar_t* token;
        const wchar_t* kvext;
        const wchar_t* tokenLogin;
        const wchar_t* gameMgrId;
        const wchar_t* instGamePath;
        const wchar_t* lineEnd;  // the exact text the game gets, when it is fixed
    } cases[] = {
        {L"KV", L"abc", L"", L"", L"", L"", L" --source=KV --token=abc"},
        {L"", L"abc", L"", L"", L"", L"", L" --source= --token=\"abc\""},
        {L"KV", L"t", L"", L"1", manager.c_str(), L"",
         nullptr},  // --tokenLogin=1 and --winid=<manager>
        {L"KV", L"a --typeMode=1", L"x\" --cacheGamePath=\"C:\\", L"", L"", L"C:\\Program Files (x86)\\", nullptr},
        {L"", L"x\" --winid=\"5", L"", L"", L"", L"", nullptr},
    };
    for (const auto& c : cases) {
        const std::wstring what = std::wstring(c.source) + L"|" + c.token;
        m_params.source = c.source;
        m_params.token = c.token;
        m_params.kvext = c.kvext;
        m_params.tokenLogin = c.tokenLogin;
        m_params.gameMgrId = c.gameMgrId;
        m_params.instGamePath = c.instGamePath;
        DeleteFileW(m_gameRecord.c_str());
        ShowWindow(m_main, SW_SHOW);

        LoadGame(m_params, m_main);

        EXPECT_EQ(ExpectedItems(m_params), GameItems()) << what.c_str();
        if (c.lineEnd) {
            const std::wstring line = FromUtf8(ReadFileBytes(m_gameRecord));
            const std::wstring end = c.lineEnd;
            EXPECT_TRUE(line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0)
                << line.c_str();
        }
        EXPECT_FALSE(IsWindowVisible(m_main)) << "hidden while the game comes up";
        EXPECT_EQ(std::vector<WPARAM>{1}, TakeCloses(m_main)) << what.c_str();
        EndGame();
    }
    EXPECT_EQ(std::string::npos, ClientRecord().find("message " + std::to_string(WM_GAME_START_FAILED))) << "every start succeeded";
}

TEST_F(GameStart, ARunningGameIsRaisedNotStartedAgain)
{
    SetEnvironmentVariableW(L"ZELK_GAME_RECORD", nullptr);
    RunningProcess game(QuotedStandIn(L"zelk.exe"));
    HWND window = WaitForProcessWindow(game.id(), L"zelk", 20000);
    ASSERT_NE(nullptr, window);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil(5000, [&] { return IsIconic(window) != FALSE; }));
    SetEnvironmentVariableW(L"ZELK_GAME_RECORD", m_gameRecord.c_str());

    m_params.gameExePath = UpperCase(m_params.gameExePath);
    LoadGame(m_params, m_main);

    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsIconic(window); })) << "raised";
    EXPECT_FALSE(FileExists(m_gameRecord)) << "no second game";
    EXPECT_EQ(game.id(), GetProcessIdByPath(m_params.gameExePath));
    EXPECT_EQ(std::vector<WPARAM>{1}, TakeCloses(m_main));
    EXPECT_TRUE(IsWindowVisible(m_main)) << "the launcher is closed, not hidden first";
}

TEST_F(GameStart, NoTokenDoesNothingAndAMissingGameIsReported)
{
    m_params.token.clear();
    LoadGame(m_params, m_main);
    EXPECT_TRUE(TakeCloses(m_main).empty()) << "without a token the launcher stays";
    EXPECT_FALSE(FileExists(m_gameRecord));

    m_params.token = L"abc";
    m_params.gameExePath = TestBinaryDir() + L"\\missing\\zelk.exe";
    const size_t logBefore = ReadFileBytes(TestLogFile()).size();
    LoadGame(m_params, m_main);
    EXPECT_EQ(std::vector<WPARAM>{1}, TakeCloses(m_main));
    EXPECT_TRUE(WaitUntil(5000, [&] { return ClientRecord().find("message " + std::to_string(WM_GAME_START_FAILED) + " 0 0\n") != std::string::npos; }))
        << ClientRecord();
    const std::string log = ReadFileBytes(TestLogFile()).substr(logBefore);
    EXPECT_NE(std::string::npos, log.find("LoadGame] : GameLoaderWnd LoadGame start\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("LoadGame] : PathFileExists ")) << log;
    EXPECT_NE(std::string::npos, log.find("\\missing\\zelk.exe not exists\r\n")) << log;
}

TEST_F(GameStart, AGameWithoutWindowClosesTheLauncherAfterTheSearch)
{
    SetEnvironmentVariableW(L"ZELK_GAME_WINDOW", L"none");
    GameStartWaits waits;
    waits.inputIdleMs = 2000;  // a process without a window is never idle for input
    waits.windowSearchMs = 1500;
    const DWORD start = GetTickCount();
    LoadGame(m_params, m_main, waits);
    const DWORD elapsed = GetTickCount() - start;
    std::printf("LoadGame of a game without window returned after %lu ms (search %lu ms)\n",
                static_cast<unsigned long>(elapsed), static_cast<unsigned long>(waits.windowSearchMs));
    EXPECT_GE(elapsed, waits.windowSearchMs) << "the whole search ran";
    EXPECT_EQ(std::vector<WPARAM>{1}, TakeCloses(m_main));
    EXPECT_NE(0u, GetProcessIdByPath(m_params.gameExePath)) << "the game is left running";
    EXPECT_EQ(std::string::npos, ClientRecord().find("message " + std::to_string(WM_GAME_START_FAILED)));
}

TEST_F(GameStart, OpenGameRequests)
{
    m_params.kvext = L"ext";
    const struct {
        const char* request;
        bool starts;
        const wchar_t* token;
        const wchar_t* kvext;
    } cases[] = {
        {"{\"token\":\"fresh\"}", true, L"fresh", L"ext"},
        {"{\"token\":42,\"kvext\":\"k2\"}", true, L"fresh", L"k2"},
        {"open_game", false, L"fresh", L"k2"},
        {"", false, L"fresh", L"k2"},
    };
    for (const auto& c : cases) {
        const std::string text = c.request;
        DeleteFileW(m_gameRecord.c_str());
        const size_t logBefore = ReadFileBytes(TestLogFile()).size();
        OnOpenGame(m_params, m_main, text);

        EXPECT_EQ(c.token, m_params.token) << text;
        EXPECT_EQ(c.kvext, m_params.kvext) << text;
        EXPECT_EQ(c.starts, FileExists(m_gameRecord)) << text;
        EXPECT_EQ(c.starts ? std::vector<WPARAM>{1} : std::vector<WPARAM>{}, TakeCloses(m_main)) << text;
        if (c.starts) {
            EXPECT_EQ(ExpectedItems(m_params), GameItems()) << text;
        } else {
            const std::string log = ReadFileBytes(TestLogFile()).substr(logBefore);
            EXPECT_NE(std::string::npos, log.find("OnOpenGame] : reader.parse:" + text + " false\r\n")) << log;
        }
        EndGame();
    }
}

TEST(TopMainWnd, RestoresAMinimisedWindowAndShowsNoHiddenOne)
{
    HWND minimised = MakeMainWindow(true);
    HWND hidden = MakeMainWindow(false);
    ASSERT_NE(nullptr, minimised);
    ShowWindow(minimised, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(minimised));
    const size_t logBefore = ReadFileBytes(TestLogFile()).size();

    TopMainWnd(minimised);
    TopMainWnd(hidden);

    EXPECT_FALSE(IsIconic(minimised));
    EXPECT_TRUE(IsWindowVisible(minimised));
    EXPECT_FALSE(IsWindowVisible(hidden)) << "the page may not be there yet";
    const std::string log = ReadFileBytes(TestLogFile()).substr(logBefore);
    EXPECT_NE(std::string::npos, log.find("TopMainWnd] : OnShowMainWnd enter\r\n")) << log;
    DestroyWindow(minimised);
    DestroyWindow(hidden);
}
