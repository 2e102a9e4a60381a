// The main window against what another process, a modal loop or a slow
// page can do to it: WM_OPEN_GAME with numbers the launcher never handed
// out, the window closed while a message box, the exit menu or the close
// procedure's send is running, Escape, a page that never completes.  The
// window object is a block of the freed-memory trap (see the fixture): a
// handler that touches it after the window deleted it ends the test.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "CIeBrowserUI/IeBrowserUI_win.h"
#include "GameLoader/InstallRegistration.h"
#include "Main/WindowMessages.h"
#include "MainWindowFixture_win.h"
#include "core/Container.h"
#include "support/FreedMemoryTrap_win.h"
#include "support/StandIns_win.h"

namespace {

const std::wstring kStartedByPlatform = L"{\"source\":\"KV\",\"token\":\"abc\"}";

std::string LogSince(size_t from)
{
    const std::string log = ReadFileBytes(TestLogFile());
    return log.size() > from ? log.substr(from) : std::string();
}

int CountOf(const std::string& text, const std::string& what)
{
    int found = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++found;
    return found;
}

BOOL CALLBACK CountBox(HWND window, LPARAM count)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (lstrcmpW(name, L"CustomMsgBoxClass") == 0 && IsWindowVisible(window))
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int VisibleBoxes()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), &CountBox, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Dismisses, after a while, any system message box this process still
// shows, so that a box whose owner went away cannot hold the test for good.
class DialogWatchdog {
public:
    DialogWatchdog() : m_thread(CreateThread(nullptr, 0, &DialogWatchdog::Run, this, 0, nullptr)) {}
    ~DialogWatchdog()
    {
        m_stop = true;
        WaitForSingleObject(m_thread, 20000);
        CloseHandle(m_thread);
    }
    bool hadToDismiss() const { return m_dismissed; }

private:
    static BOOL CALLBACK Dismiss(HWND window, LPARAM self)
    {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (process == GetCurrentProcessId() && lstrcmpW(name, L"#32770") == 0) {
            PostMessageW(window, WM_COMMAND, IDOK, 0);
            reinterpret_cast<DialogWatchdog*>(self)->m_dismissed = true;
        }
        return TRUE;
    }
    static DWORD WINAPI Run(void* parameter)
    {
        auto* self = static_cast<DialogWatchdog*>(parameter);
        for (int tick = 0; !self->m_stop; ++tick) {
            Sleep(100);
            if (tick >= 100 && tick % 10 == 0)
                EnumWindows(&Dismiss, reinterpret_cast<LPARAM>(self));
        }
        return 0;
    }

    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_dismissed{false};
    HANDLE m_thread;
};

// A platform client on a thread of its own: counts the records it gets and,
// when asked to, closes the launcher's window from inside the send, as a
// client that answers "go away" at once would.
class PlatformPeer {
public:
    explicit PlatformPeer(bool closesLauncher) : m_closesLauncher(closesLauncher)
    {
        m_ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = CreateThread(nullptr, 0, &PlatformPeer::Run, this, 0, nullptr);
        WaitForSingleObject(m_ready, 10000);
    }
    ~PlatformPeer()
    {
        PostMessageW(m_window, WM_CLOSE, 0, 0);
        WaitForSingleObject(m_thread, 10000);
        CloseHandle(m_thread);
        CloseHandle(m_ready);
    }
    std::wstring id() const { return std::to_wstring(reinterpret_cast<uintptr_t>(m_window)); }
    void setLauncher(HWND launcher) { m_launcher = launcher; }
    int records() const { return m_records; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<PlatformPeer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_COPYDATA && self) {
            ++self->m_records;
            if (self->m_closesLauncher)
                SendMessageW(self->m_launcher, WM_CLOSE, 0, 0);
            return TRUE;
        }
        if (message == WM_DESTROY)
            PostQuitMessage(0);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    static DWORD WINAPI Run(void* parameter)
    {
        auto* self = static_cast<PlatformPeer*>(parameter);
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &PlatformPeer::Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"ZelkTestPlatformPeer";
        RegisterClassW(&windowClass);
        self->m_window = CreateWindowW(windowClass.lpszClassName, L"peer", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                       nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrW(self->m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        SetEvent(self->m_ready);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
        return 0;
    }

    const bool m_closesLauncher;
    HWND m_window = nullptr;
    std::atomic<HWND> m_launcher{nullptr};
    std::atomic<int> m_records{0};
    HANDLE m_ready = nullptr;
    HANDLE m_thread = nullptr;
};

// Two failed unpacks: the second box comes up over the first, and OK on the
// top one closes the window while the first box's loop still runs.
struct NestedBoxes {
    static NestedBoxes* current;
    HWND owner = nullptr;
    bool secondPosted = false;
    bool clicked = false;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        NestedBoxes& script = *current;
        const int boxes = VisibleBoxes();
        if (boxes == 1 && !script.secondPosted) {
            script.secondPosted = true;
            PostMessageW(script.owner, WM_UNPACK_DONE, 3, 0);
        } else if (boxes == 2 && !script.clicked) {
            script.clicked = true;
            ClickAt(FindWindowW(L"CustomMsgBoxClass", nullptr), 220, 224);
        }
    }
};
NestedBoxes* NestedBoxes::current = nullptr;

// The game's uninstall entry written by a successful unpack, removed again.
struct UninstallEntryCleanup {
    ~UninstallEntryCleanup()
    {
        LaunchParams params;
        params.gameCode = L"zelk";
        RemoveUninstallEntry(params);
        DeleteDesktopShortcut();
    }
};

}  // namespace

TEST_F(MainWindow, OpenGameIsHonouredOnlyForTheWindowsOwnRequests)
{
    HWND window = Open(kStartedByPlatform);
    ASSERT_TRUE(IsWindow(window));
    // What another process could post: any number, the address of a text
    // of its own choosing among them.
    static char foreign[] = "{\"token\":\"stolen\"}";
    const size_t logBefore = ReadFileBytes(TestLogFile()).size();
    for (WPARAM number : {reinterpret_cast<WPARAM>(foreign), WPARAM(0), WPARAM(1), WPARAM(0x7FFE0000)}) {
        PostMessageW(window, WM_OPEN_GAME, number, 0);
        Pump();
        ASSERT_TRUE(IsWindow(window)) << number;
    }
    // And a flood, all within a second.
    for (int i = 0; i < 20; ++i)
        PostMessageW(window, WM_OPEN_GAME, 0x10000 + i, 0);
    Pump();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(L"abc", m_window->GetLaunchParams().token);
    EXPECT_STREQ("{\"token\":\"stolen\"}", foreign);
    // Each is logged, but a few lines a second at most.
    const int lines = CountOf(LogSince(logBefore), "WM_OPEN_GAME ignored: ");
    EXPECT_GE(lines, 3) << LogSince(logBefore);
    EXPECT_LE(lines, 9) << LogSince(logBefore);

    // The page's own request is taken (an empty token starts no game).
    CallCppFunc(L"{\"funcation_name\":\"open_game\",\"token\":\"\",\"kvext\":\"k\"}", window);
    Pump();
    EXPECT_EQ(L"", m_window->GetLaunchParams().token);
    EXPECT_EQ(L"k", m_window->GetLaunchParams().kvext);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindow, OpenGameRequestsNotTakenAreFreedWithTheWindow)
{
    HWND window = Open(kStartedByPlatform);
    const std::wstring request = L"{\"funcation_name\":\"open_game\",\"kvext\":\"" + std::wstring(300, L'k') + L"\"}";
    freed_memory_trap::Watch(request.size() + 1);  // the kept text
    const size_t kept = request.size() + 1;
    CallCppFunc(request, window);
    CallCppFunc(request, window);
    freed_memory_trap::Watch(0);
    EXPECT_EQ(2, freed_memory_trap::LiveBlocks(kept));
    // The window goes before its messages are dispatched.
    DestroyWindow(window);
    EXPECT_EQ(0, freed_memory_trap::LiveBlocks(kept));
    Pump();
}

TEST_F(MainWindow, ASecondUnpackFailureWhileTheFirstBoxIsUp)
{
    HWND window = Open(kStartedByPlatform);
    NestedBoxes script;
    script.owner = window;
    NestedBoxes::current = &script;
    SetTimer(window, 1, 50, &NestedBoxes::Tick);
    PostMessageW(window, WM_UNPACK_DONE, 2, 0);
    EXPECT_TRUE(PumpUntil(20000, [&] { return !IsWindow(window); }));
    EXPECT_TRUE(script.secondPosted && script.clicked);
    EXPECT_EQ(0, VisibleBoxes());
}

TEST_F(MainWindow, TheWindowClosedWhileTheNetworkErrorBoxIsUp)
{
    // The system box runs its own loop, which dispatches whatever comes.
    UninstallEntryCleanup cleanup;
    const struct {
        const char* what;
        UINT message;
    } cases[] = {{"the page's close_wnd", WM_CLOSE_WND}, {"a successful unpack", WM_UNPACK_DONE}};
    for (const auto& c : cases) {
        DialogWatchdog watchdog;
        HWND window = Open(kStartedByPlatform);
        PostMessageW(window, WM_WEB_NET_ERROR, 0, 0);
        PostMessageW(window, c.message, 0, 0);
        EXPECT_TRUE(PumpUntil(20000, [&] { return !IsWindow(window); })) << c.what;
    }
}

TEST_F(MainWindow, EveryRoadToTheCloseProcedureSendsOneRecordEvenWhenThePeerClosesTheWindow)
{
    enum class Road { CloseWndMessage, TaskbarClose, CloseButton, Escape, ExitMenu };
    const struct {
        const char* what;
        Road road;
    } roads[] = {{"WM_CLOSE_WND", Road::CloseWndMessage},
                 {"taskbar close", Road::TaskbarClose},
                 {"btnClose", Road::CloseButton},
                 {"Escape", Road::Escape},
                 {"exit menu", Road::ExitMenu}};
    for (bool peerCloses : {false, true}) {
        for (const auto& r : roads) {
            const std::string what = std::string(r.what) + (peerCloses ? ", the peer closes the window" : "");
            PlatformPeer peer(peerCloses);
            HWND window = Open(L"{\"source\":\"KV\",\"token\":\"abc\",\"winid\":\"" + peer.id() + L"\"}");
            peer.setLauncher(window);
            ShowWindow(window, SW_SHOWNORMAL);
            SetForegroundWindow(window);
            UpdateWindow(window);
            Pump();
            std::wstring item;
            HANDLE chooser = nullptr;
            switch (r.road) {
            case Road::CloseWndMessage: PostMessageW(window, WM_CLOSE_WND, 0, 0); break;
            case Road::TaskbarClose: PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); break;
            case Road::CloseButton:
                // The button stands on the download page.
                Find<CTabLayoutUI>(L"wizardTab")->SelectItem(1);
                UpdateWindow(window);
                Pump();
                ClickAt(window, 942, 19);
                break;
            case Road::Escape:
                SetFocus(window);
                ASSERT_EQ(window, GetFocus());
                PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
                break;
            case Road::ExitMenu:
                chooser = CreateThread(nullptr, 0, &ChooseExitItem, &item, 0, nullptr);
                PostMessageW(window, WM_SHOW_EXIT_MENU, 0, WM_RBUTTONDOWN);
                break;
            }
            EXPECT_TRUE(PumpUntil(15000, [&] { return !IsWindow(window); })) << what;
            if (chooser) {
                WaitForSingleObject(chooser, 10000);
                CloseHandle(chooser);
            }
            EXPECT_EQ(1, peer.records()) << what;
        }
    }
}

TEST_F(MainWindow, APageThatNeverCompletesShowsTheWindowAsIfItHadLoaded)
{
    // Wine's own browser control never completes a document.
    const struct {
        const wchar_t* token;
        bool shown;
    } cases[] = {{L"abc", true}, {L"1", false}};
    for (const auto& c : cases) {
        const size_t logBefore = ReadFileBytes(TestLogFile()).size();
        HWND window = Open(std::wstring(L"{\"source\":\"KV\",\"token\":\"") + c.token + L"\"}", 5000);
        CControlUI* page = Find<CControlUI>(L"ie");
        ASSERT_NE(nullptr, page);
        EXPECT_FALSE(page->IsVisible());
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_TRUE(PumpUntil(10000, [&] { return page->IsVisible(); })) << c.token;
        EXPECT_EQ(c.shown, IsWindowVisible(window) != FALSE) << c.token;
        EXPECT_EQ(1, CountOf(LogSince(logBefore), "no document complete 5000 ms after the navigation"))
            << LogSince(logBefore);
        DestroyWindow(window);
        Pump();
    }
}
