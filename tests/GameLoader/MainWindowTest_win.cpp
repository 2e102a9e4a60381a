// The main window and the message box in this test process, built from the
// real skins in the real archive: custom messages, the close procedure to
// the platform-client stand-in, the exit menu, the boxes of the package
// messages, and ShowMsgBox's results.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CustomMsgBox/CustomMsgBox.h"
#include "GameLoaderWnd/GameLoaderWnd.h"
#include "Main/WindowMessages.h"
#include "core/Container.h"
#include "core/Label.h"
#include "MainWindowFixture_win.h"
#include "support/Process_win.h"
#include "support/StandIns_win.h"
#include "win/Shadow_win.h"

namespace {

const std::wstring kReleasing = L"\x6B63\x5728\x91CA\x653E\x6587\x4EF6";        // 正在释放文件
const std::wstring kDownloading = L"\x6B63\x5728\x4E0B\x8F7D\x6E38\x620F\x6587\x4EF6\xFF0C\x8BF7\x8010\x5FC3\x7B49\x5F85.";
const std::wstring kNetwork = L"\x7F51\x7EDC\x5F02\x5E38";                      // 网络异常
const std::wstring kUnpackFailed = L"\x91CA\x653E\x6587\x4EF6\x51FA\x9519";     // 释放文件出错

// ShowMsgBox runs its own loop: the test speaks to the box from a timer of
// the owner, as a user would while it is up.
struct BoxScript {
    static BoxScript* current;
    HWND owner = nullptr;
    int ticks = 0;
    std::wstring text;
    std::wstring title;
    std::vector<POINT> positions;
    // What the script does once it has looked: click a button, press
    // Escape, post WM_CLOSE with a wParam of no button, or post quit.
    enum class Ending { Ok, Close, Escape, ForeignClose, Quit } ending = Ending::Ok;
    bool shake = false;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD)
    {
        BoxScript& script = *current;
        HWND box = FindWindowW(L"CustomMsgBoxClass", nullptr);
        if (!box)
            return;
        ++script.ticks;
        RECT rect = {};
        GetWindowRect(box, &rect);
        script.positions.push_back(POINT{rect.left, rect.top});
        if (script.ticks == 1) {
            script.text = TextOf(box, L"labelTip");
            WindowImplBase* skinned = SkinnedWindowOf(box);
            auto* root = dynamic_cast<CContainerUI*>(skinned->PaintManager().GetRoot());
            auto* firstRow = dynamic_cast<CContainerUI*>(root->GetItemAt(0));
            script.title = firstRow->GetItemAt(0)->GetText();
            if (script.shake)
                SendMessageW(script.owner, WM_SETCURSOR, reinterpret_cast<WPARAM>(script.owner),
                             MAKELPARAM(HTERROR, WM_LBUTTONDOWN));
        }
        // Looked long enough (a shake lasts 8 ticks of 80 ms).
        if (script.ticks == (script.shake ? 60 : 2)) {
            KillTimer(script.owner, id);
            switch (script.ending) {
            case Ending::Ok: ClickAt(box, 220, 224); break;
            case Ending::Close: ClickAt(box, 420, 20); break;
            case Ending::Escape:
                SetFocus(box);
                PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
                break;
            case Ending::ForeignClose: PostMessageW(box, WM_CLOSE, IDCANCEL, 0); break;
            case Ending::Quit: PostQuitMessage(7); break;
            }
        }
    }
};
BoxScript* BoxScript::current = nullptr;

}  // namespace

TEST_F(MainWindow, ProgressMessagesMoveTheBarAndTheTextFollowsOneLate)
{
    HWND window = Open(L"{\"source\":\"KV\",\"token\":\"abc\"}");
    ASSERT_TRUE(IsWindow(window));
    auto* bar = Find<CProgressUI>(L"progress");
    ASSERT_NE(nullptr, bar);
    struct Step {
        WPARAM sent;
        int value;
        const std::wstring* text;
    } const steps[] = {
        {60, 60, &kDownloading},
        {60, 60, &kDownloading},   // the current value: nothing changes
        {101, 60, &kDownloading},  // outside 0 to 100
        {static_cast<WPARAM>(-1), 60, &kDownloading},
        {100, 100, &kDownloading}, // the text waits for the next message
        {100, 100, &kReleasing},   // any value after 100
    };
    for (const Step& step : steps) {
        SendMessageW(window, WM_UNPACK_PROGRESS, step.sent, 0);
        EXPECT_EQ(step.value, bar->GetValue()) << step.sent;
        EXPECT_EQ(*step.text, TextOf(window, L"progTip")) << step.sent;
    }
    // The launcher never brings the download page into view.
    EXPECT_EQ(0, Find<CTabLayoutUI>(L"wizardTab")->GetCurSel());
}

TEST_F(MainWindow, PageLoadedShowsTheWindowUnlessTheTokenIsOne)
{
    struct Case {
        const wchar_t* token;
        bool visible;
    } const cases[] = {{L"abc", true}, {L"1", false}};
    for (const Case& c : cases) {
        HWND window = Open(std::wstring(L"{\"source\":\"KV\",\"token\":\"") + c.token + L"\"}");
        EXPECT_FALSE(IsWindowVisible(window));
        SendMessageW(window, WM_WEB_LOADED, 0, 0);
        EXPECT_EQ(c.visible, IsWindowVisible(window) != FALSE) << c.token;
        DestroyWindow(window);
        Pump();
    }
}

TEST_F(MainWindow, UnknownCustomMessagesAreIgnored)
{
    HWND window = Open(L"{\"source\":\"KV\",\"token\":\"abc\"}");
    for (UINT message : {WM_USER + 100u, WM_USER + 101u, WM_USER + 103u, WM_USER + 114u})
        EXPECT_EQ(0, SendMessageW(window, message, 1, 2)) << message;
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindow, TaskbarCloseSendsOneRecordOnlyWhenStartedByThePlatform)
{
    PlatformClientStandIn platform(L"KorvaneTest");
    ASSERT_NE(nullptr, platform.window());
    struct Case {
        const wchar_t* source;
        int records;
    } const cases[] = {{L"KV", 1}, {L"desktop", 0}, {L"", 0}};
    int total = 0;
    for (const Case& c : cases) {
        HWND window = Open(std::wstring(L"{\"source\":\"") + c.source + L"\",\"token\":\"abc\",\"winid\":\"" +
                           platform.id() + L"\"}");
        SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(PumpUntil(5000, [&] { return !IsWindow(window); })) << c.source;
        total += c.records;
        EXPECT_EQ(total, platform.count("copydata 1 528 ")) << c.source;
    }
    // Game id 1, text "1", flag 1.
    EXPECT_NE(std::string::npos, platform.record().find("copydata 1 528 0100000031000000"));
}

TEST_F(MainWindow, LoaderReadyGoesToTheGameManagerForTypeMode1)
{
    PlatformClientStandIn platform(L"KorvaneTest");
    ASSERT_NE(nullptr, platform.window());
    Open(L"{\"source\":\"KV\",\"token\":\"abc\",\"typeMode\":\"2\",\"gameMgrId\":\"" + platform.id() + L"\"}");
    DestroyWindow(m_hwnd);
    Open(L"{\"source\":\"KV\",\"token\":\"abc\",\"typeMode\":\"1\",\"gameMgrId\":\"" + platform.id() + L"\"}");
    EXPECT_TRUE(WaitUntil(5000, [&] { return platform.count("message 1348 0 0") == 1; })) << platform.record();
    Sleep(200);
    EXPECT_EQ(1, platform.count("message 1348"));
}

TEST_F(MainWindow, ExitMenuOnlyForARightButtonPress)
{
    HWND window = Open(L"{\"source\":\"KV\",\"token\":\"abc\"}");
    ShowWindow(window, SW_SHOWNORMAL);
    // Any other lParam: no menu at all.
    SendMessageW(window, WM_SHOW_EXIT_MENU, 0, WM_LBUTTONDOWN);
    EXPECT_EQ(nullptr, FindWindowW(L"#32768", nullptr));

    // A right-button press: the menu with its one item; choosing it runs the
    // close procedure.  The menu is modal, so a thread reads and chooses it.
    std::wstring item;
    HANDLE chooser = CreateThread(nullptr, 0, &ChooseExitItem, &item, 0, nullptr);
    SendMessageW(window, WM_SHOW_EXIT_MENU, 0, WM_RBUTTONDOWN);
    WaitForSingleObject(chooser, 10000);
    CloseHandle(chooser);
    EXPECT_EQ(L"\x9000\x51FA", item);
    EXPECT_TRUE(PumpUntil(5000, [&] { return !IsWindow(window); }));
}

TEST_F(MainWindow, FailedPackageMessagesShowTheirBoxAndEitherButtonClosesBoth)
{
    // The box's loop runs inside the handling of the message: the script
    // acts from a timer of the window.
    struct Case {
        UINT message;
        WPARAM wParam;
        const std::wstring* text;
        BoxScript::Ending ending;
    } const cases[] = {
        {WM_DOWNLOAD_RESULT, 1, &kNetwork, BoxScript::Ending::Ok},
        {WM_UNPACK_DONE, 2, &kUnpackFailed, BoxScript::Ending::Close},
    };
    for (const Case& c : cases) {
        HWND window = Open(L"{\"source\":\"KV\",\"token\":\"abc\"}");
        BoxScript script;
        script.owner = window;
        script.ending = c.ending;
        BoxScript::current = &script;
        SetTimer(window, 1, 50, &BoxScript::Tick);
        PostMessageW(window, c.message, c.wParam, 0);
        EXPECT_TRUE(PumpUntil(20000, [&] { return !IsWindow(window); })) << c.message;
        EXPECT_EQ(*c.text, script.text);
        EXPECT_EQ(nullptr, FindWindowW(L"CustomMsgBoxClass", nullptr));
    }
}

TEST(MsgBox, ResultsTextsAndTheOwnerClosing)
{
    CoInitialize(nullptr);
    CWindowWnd::SetInstance(GetModuleHandleW(nullptr));
    CShadowUI::RegisterShadowWindowClass(GetModuleHandleW(nullptr));
    struct Case {
        const wchar_t* text;
        BoxScript::Ending ending;
        int result;
        bool ownerCloses;
    } const cases[] = {
        {L"\x91CA\x653E\x6587\x4EF6\x51FA\x9519", BoxScript::Ending::Ok, kMsgBoxOk, true},
        {L"", BoxScript::Ending::Close, kMsgBoxClose, true},
        {L"x", BoxScript::Ending::Escape, kMsgBoxClose, true},
        {L"x", BoxScript::Ending::ForeignClose, kMsgBoxOther, false},
        {L"x", BoxScript::Ending::Quit, kMsgBoxOther, false},
    };
    for (const Case& c : cases) {
        HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 600, 400,
                                     nullptr, nullptr, nullptr, nullptr);
        BoxScript script;
        script.owner = owner;
        script.ending = c.ending;
        BoxScript::current = &script;
        SetTimer(owner, 1, 50, &BoxScript::Tick);
        const int result = ShowMsgBox(owner, c.text);
        EXPECT_EQ(c.result, result) << int(c.ending);
        EXPECT_EQ(std::wstring(c.text), script.text);
        EXPECT_EQ(L"\x63D0\x793A", script.title);
        EXPECT_TRUE(IsWindowEnabled(owner));
        EXPECT_EQ(nullptr, FindWindowW(L"CustomMsgBoxClass", nullptr));
        // The owner's WM_CLOSE was posted after the box's: it is still queued.
        MSG message;
        bool ownerClose = false;
        bool quit = false;
        WPARAM quitCode = 0;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_CLOSE && message.hwnd == owner)
                ownerClose = true;
            if (message.message == WM_QUIT)
                quit = true, quitCode = message.wParam;
        }
        EXPECT_EQ(c.ownerCloses, ownerClose);
        // A quit message that ended the box's loop is posted again.
        EXPECT_EQ(c.ending == BoxScript::Ending::Quit, quit);
        if (quit)
            EXPECT_EQ(7u, quitCode);
        DestroyWindow(owner);
    }
}

TEST(MsgBox, ClickOnTheDisabledOwnerShakesTheBoxInPlace)
{
    CoInitialize(nullptr);
    CWindowWnd::SetInstance(GetModuleHandleW(nullptr));
    CShadowUI::RegisterShadowWindowClass(GetModuleHandleW(nullptr));
    // The owner must be a skinned window: the window base answers the click.
    auto* owner = new GameLoaderWnd(L"{\"source\":\"KV\",\"token\":\"abc\"}");
    SettingsFileGuard settings;
    HWND ownerWindow = owner->Create(nullptr, L"ZelkmarTest", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 0);
    ASSERT_TRUE(IsWindow(ownerWindow));
    BoxScript script;
    script.owner = ownerWindow;
    script.shake = true;
    BoxScript::current = &script;
    SetTimer(ownerWindow, 1, 20, &BoxScript::Tick);
    EXPECT_EQ(kMsgBoxOk, ShowMsgBox(ownerWindow, L"x"));
    ASSERT_GE(script.positions.size(), 10u);
    const POINT rest = script.positions.front();
    int displaced = 0;
    for (const POINT& at : script.positions) {
        EXPECT_TRUE((at.x == rest.x && at.y == rest.y) || (at.x == rest.x - 1 && at.y == rest.y - 1));
        displaced += at.x != rest.x;
    }
    EXPECT_GT(displaced, 0);
    EXPECT_EQ(rest.x, script.positions.back().x);
    EXPECT_EQ(rest.y, script.positions.back().y);
    // OK closed the owner as well.
    PumpUntil(5000, [&] { return !IsWindow(ownerWindow); });
    EXPECT_FALSE(IsWindow(ownerWindow));
}
