// Skinned windows under Wine, built from the real skins in the real archive:
// controls, pixels read back from the screen, the modal shake, and the two
// ways a skin can be missing.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "TestSkinWindow_win.h"
#include "core/Container.h"
#include "core/Label.h"
#include "win/PictureCache_win.h"
#include "win/RenderEngine_win.h"
#include "win/Shadow_win.h"
#include "common/win/ScopedHandles.h"

namespace {

void Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!CPaintManagerUI::TranslateMessage(&message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

void PumpFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        Pump();
        Sleep(5);
    }
}

// The window's pixels as the screen shows them, BGRA rows.
std::vector<uint32_t> Grab(HWND window, int width, int height)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpFor(100);
    ScopedWindowDc screen(window);
    ScopedMemoryDc memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    ScopedBitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        ScopedSelectObject selected(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
    }
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> result(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
    for (uint32_t& pixel : result)
        pixel &= 0xFFFFFF;
    return result;
}

class SkinnedWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitialize(nullptr);
        CWindowWnd::SetInstance(GetModuleHandleW(nullptr));
        CShadowUI::RegisterShadowWindowClass(GetModuleHandleW(nullptr));
    }

    TestSkinWindow* Open(const wchar_t* skin, UINT resourceId = 130, HWND owner = nullptr)
    {
        auto window = std::make_unique<TestSkinWindow>(skin, resourceId);
        window->Create(owner, L"skin test", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 0);
        window->CenterWindow();
        PumpFor(50);
        m_windows.push_back(std::move(window));
        return m_windows.back().get();
    }

    void TearDown() override
    {
        for (auto& window : m_windows)
            if (IsWindow(window->GetHWND()))
                DestroyWindow(window->GetHWND());
        Pump();
    }

    std::vector<std::unique_ptr<TestSkinWindow>> m_windows;
};

RECT WindowRect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

}  // namespace

TEST_F(SkinnedWindow, MainSkinBuildsWithItsControlsAndSize)
{
    TestSkinWindow* window = Open(L"GameLoader.xml");
    ASSERT_TRUE(IsWindow(window->GetHWND()));
    EXPECT_EQ(1, window->initCalls);
    const RECT rect = WindowRect(window->GetHWND());
    EXPECT_EQ(960, rect.right - rect.left);
    EXPECT_EQ(620, rect.bottom - rect.top);
    EXPECT_EQ(0, GetWindowLongW(window->GetHWND(), GWL_STYLE) & WS_CAPTION);
    for (const wchar_t* name : {L"ie", L"wizardTab", L"progress", L"progTip", L"vLayoutDownload", L"btnMin", L"btnClose"})
        EXPECT_NE(nullptr, window->Find<CControlUI>(name)) << name;
    // "正在下载游戏文件，请耐心等待."
    EXPECT_EQ(std::wstring(L"\x6B63\x5728\x4E0B\x8F7D\x6E38\x620F\x6587\x4EF6\xFF0C\x8BF7\x8010\x5FC3\x7B49\x5F85."),
              window->Find<CLabelUI>(L"progTip")->GetText());
    EXPECT_EQ(100, window->Find<CProgressUI>(L"progress")->GetMaxValue());
    // The shadow window follows the visible window.
    HWND shadow = FindWindowW(CShadowUI::kClassName, nullptr);
    ASSERT_NE(nullptr, shadow);
    EXPECT_TRUE(IsWindowVisible(shadow));
    const RECT around = WindowRect(shadow);
    EXPECT_EQ(rect.left - 9, around.left);
    EXPECT_EQ(rect.bottom + 9, around.bottom);
    window->ShowWindow(false);
    Pump();
    EXPECT_FALSE(IsWindowVisible(shadow));
}

TEST_F(SkinnedWindow, ProgressForePictureCoversExactlyTheLeftHalf)
{
    TestSkinWindow* window = Open(L"GameLoader.xml");
    window->Find<CTabLayoutUI>(L"wizardTab")->SelectItem(1);
    auto* bar = window->Find<CProgressUI>(L"progress");
    ASSERT_NE(nullptr, bar);
    const auto pixels = [&](int value) {
        bar->SetAttribute(L"value", std::to_wstring(value));
        return Grab(window->GetHWND(), 960, 620);
    };
    const auto empty = pixels(0);
    const auto full = pixels(100);
    const auto half = pixels(50);
    int differing = 0;
    for (int y = 320; y < 333; ++y) {
        for (int x = 320; x < 850; ++x) {
            const size_t at = static_cast<size_t>(y) * 960 + static_cast<size_t>(x);
            const uint32_t expected = x < 585 ? full[at] : empty[at];
            if (half[at] != expected)
                ++differing;
        }
    }
    EXPECT_EQ(0, differing);
    // And the two halves really look different.
    EXPECT_NE(full[326 * 960 + 400], empty[326 * 960 + 400]);
}

TEST_F(SkinnedWindow, ButtonShowsItsHotPictureUnderTheMouse)
{
    TestSkinWindow* window = Open(L"GameLoader.xml");
    window->Find<CTabLayoutUI>(L"wizardTab")->SelectItem(1);
    const size_t center = 18 * 960 + 914;
    const uint32_t normal = Grab(window->GetHWND(), 960, 620)[center];
    SendMessageW(window->GetHWND(), WM_MOUSEMOVE, 0, MAKELPARAM(914, 18));
    const uint32_t hot = Grab(window->GetHWND(), 960, 620)[center];
    EXPECT_NE(normal, hot);
    EXPECT_TRUE(window->Find<CButtonUI>(L"btnMin")->IsHot());
    SendMessageW(window->GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(914, 18));
    SendMessageW(window->GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(914, 18));
    ASSERT_EQ(1u, window->clicked.size());
    EXPECT_EQ(L"btnMin", window->clicked[0]);
}

TEST_F(SkinnedWindow, NineGridKeepsCornersUnscaled)
{
    // A 6 by 6 opaque picture: a 2-pixel frame of one colour per corner and
    // edge, and a middle of its own.
    CPicture picture;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 6, -6, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    ScopedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(bitmap);
    auto* source = static_cast<uint32_t*>(bits);
    const auto zone = [](int v) { return v < 2 ? 0 : v < 4 ? 1 : 2; };
    const uint32_t colours[3][3] = {{0xFF110000, 0xFF220000, 0xFF330000},
                                    {0xFF440000, 0xFF550000, 0xFF660000},
                                    {0xFF770000, 0xFF880000, 0xFF990000}};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            source[y * 6 + x] = colours[zone(y)][zone(x)];
    picture.bitmap = bitmap.get();
    picture.width = picture.height = 6;

    CRenderEngine engine;
    ScopedWindowDc screen(nullptr);
    ASSERT_TRUE(engine.Prepare(screen.get(), 60, 40));
    DrawNineGrid(engine.GetDC(), UIRect{0, 0, 60, 40}, picture, UIRect{2, 2, 2, 2}, UIRect{0, 0, 60, 40});
    GdiFlush();
    std::vector<uint32_t> out(60 * 40);
    info.bmiHeader.biWidth = 60;
    info.bmiHeader.biHeight = -40;
    ScopedMemoryDc copy(CreateCompatibleDC(screen.get()));
    void* outBits = nullptr;
    ScopedBitmap target(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &outBits, nullptr, 0));
    {
        ScopedSelectObject selected(copy.get(), target.get());
        BitBlt(copy.get(), 0, 0, 60, 40, engine.GetDC(), 0, 0, SRCCOPY);
    }
    GdiFlush();
    const auto at = [&](int x, int y) { return static_cast<const uint32_t*>(outBits)[y * 60 + x] & 0xFFFFFF; };
    // Corners: exactly 2 by 2.
    EXPECT_EQ(0x110000u, at(0, 0));
    EXPECT_EQ(0x110000u, at(1, 1));
    EXPECT_EQ(0x220000u, at(2, 0));
    EXPECT_EQ(0x330000u, at(58, 1));
    EXPECT_EQ(0x990000u, at(59, 39));
    EXPECT_EQ(0x990000u, at(58, 38));
    EXPECT_EQ(0x660000u, at(58, 20));
    // Edges and middle stretched.
    EXPECT_EQ(0x220000u, at(30, 1));
    EXPECT_EQ(0x440000u, at(1, 20));
    EXPECT_EQ(0x550000u, at(30, 20));
    EXPECT_EQ(0x880000u, at(30, 39));
}

TEST_F(SkinnedWindow, ClickOnTheDisabledOwnerShakesTheBoxAndLeavesItInPlace)
{
    TestSkinWindow* owner = Open(L"GameLoader.xml");
    TestSkinWindow* box = Open(L"CustomMsgBox.xml", 130, owner->GetHWND());
    ASSERT_TRUE(IsWindow(box->GetHWND()));
    EnableWindow(owner->GetHWND(), FALSE);
    SendMessageW(owner->GetHWND(), WM_UI_MODAL_BOX, 0, reinterpret_cast<LPARAM>(box->GetHWND()));
    const RECT start = WindowRect(box->GetHWND());

    std::vector<std::pair<DWORD, LONG>> moves;
    SendMessageW(owner->GetHWND(), WM_SETCURSOR, reinterpret_cast<WPARAM>(owner->GetHWND()),
                 MAKELPARAM(HTERROR, WM_LBUTTONDOWN));
    const DWORD began = GetTickCount();
    LONG last = start.left;
    while (GetTickCount() - began < 1500) {
        Pump();
        const LONG left = WindowRect(box->GetHWND()).left;
        if (left != last) {
            moves.emplace_back(GetTickCount() - began, left);
            last = left;
        }
        Sleep(2);
    }
    ASSERT_EQ(8u, moves.size());
    for (size_t i = 0; i < moves.size(); ++i)
        EXPECT_EQ(i % 2 == 0 ? start.left - 1 : start.left, moves[i].second) << "step " << i + 1;
    // Eight ticks of about 80 ms.
    EXPECT_GE(moves.back().first, 7u * 60u);
    const RECT end = WindowRect(box->GetHWND());
    EXPECT_EQ(start.left, end.left);
    EXPECT_EQ(start.top, end.top);

    // A second click in the middle of a shake restarts it from the resting place.
    SendMessageW(owner->GetHWND(), WM_SETCURSOR, 0, MAKELPARAM(HTERROR, WM_LBUTTONDOWN));
    PumpFor(90);
    SendMessageW(owner->GetHWND(), WM_SETCURSOR, 0, MAKELPARAM(HTERROR, WM_LBUTTONDOWN));
    PumpFor(900);
    EXPECT_EQ(start.left, WindowRect(box->GetHWND()).left);
    EXPECT_EQ(start.top, WindowRect(box->GetHWND()).top);
    // A click that is not a button press does nothing.
    SendMessageW(owner->GetHWND(), WM_SETCURSOR, 0, MAKELPARAM(HTERROR, WM_MOUSEMOVE));
    PumpFor(120);
    EXPECT_EQ(start.left, WindowRect(box->GetHWND()).left);
}

TEST_F(SkinnedWindow, MissingResourceGivesAWindowWithoutControls)
{
    TestSkinWindow* window = Open(L"GameLoader.xml", 999);
    ASSERT_TRUE(IsWindow(window->GetHWND()));
    EXPECT_EQ(nullptr, window->PaintManager().GetRoot());
    EXPECT_EQ(0, window->initCalls);
}

// A skin that cannot be built: a skin file the archive lacks, or a ZIPRES
// resource that is there but is no archive (131 of the probe).  An empty
// resource (132) is no skin at all and the window just goes on.
TEST_F(SkinnedWindow, BrokenSkinShowsTheBoxAndEndsWithCode1)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring probe(path);
    probe = probe.substr(0, probe.find_last_of(L'\\') + 1) + L"skin_window_probe.exe";
    struct Case {
        const wchar_t* skin;
        const wchar_t* resource;
        bool box;
    };
    const Case cases[] = {
        {L"Missing.xml", L"130", true},
        {L"GameLoader.xml", L"131", true},
        {L"GameLoader.xml", L"132", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.skin << " in " << c.resource);
        std::wstring command = L"\"" + probe + L"\" " + c.skin + L" " + c.resource;
        STARTUPINFOW startup = {sizeof startup};
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(
            CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
        ScopedHandle processHandle(process.hProcess);
        ScopedHandle threadHandle(process.hThread);
        HWND box = nullptr;
        for (int i = 0; i < (c.box ? 200 : 40) && !box; ++i) {
            box = FindWindowW(L"#32770", c.skin);
            if (!box && WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0)
                break;
        }
        DWORD code = 0;
        if (!c.box) {
            EXPECT_EQ(nullptr, box);
            ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 10000));
            GetExitCodeProcess(process.hProcess, &code);
            EXPECT_EQ(0u, code);
            continue;
        }
        ASSERT_NE(nullptr, box) << "no error box";
        wchar_t text[64] = {};
        HWND label = FindWindowExW(box, nullptr, L"Static", nullptr);
        while (label && GetWindowTextW(label, text, 64) == 0)
            label = FindWindowExW(box, label, L"Static", nullptr);
        // "加载资源失败！"
        EXPECT_STREQ(L"\x52A0\x8F7D\x8D44\x6E90\x5931\x8D25\xFF01", text);
        // Still running while the box is up.
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(process.hProcess, 0));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 10000));
        GetExitCodeProcess(process.hProcess, &code);
        EXPECT_EQ(1u, code);
    }
}
