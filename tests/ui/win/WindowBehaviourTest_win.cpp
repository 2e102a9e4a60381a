// What the window base does with real windows under Wine: closing from
// inside a handler, the keyboard, sizes, hit testing, capture, layout of
// hidden windows, visibility of hosted windows, the box's place, plain-file
// skins, and the drawing edges that must fail safely.
#include <gtest/gtest.h>
#include <wincodec.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "TestSkinWindow_win.h"
#include "common/win/ScopedHandles.h"
#include "core/Container.h"
#include "core/Label.h"
#include "win/PictureCache_win.h"
#include "win/RenderEngine_win.h"
#include "win/Shadow_win.h"
#include "win/UILog.h"

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

uint32_t PixelAt(HWND window, int x, int y)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpFor(60);
    ScopedWindowDc dc(window);
    return GetPixel(dc.get(), x, y);
}

// A main-skin window that records how it was closed.
class RecordingWindow : public TestSkinWindow {
public:
    using TestSkinWindow::TestSkinWindow;
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override
    {
        closes.push_back(wParam);
        return TestSkinWindow::OnClose(message, wParam, lParam, handled);
    }
    std::vector<WPARAM> closes;
};

// Deletes itself when its window goes, as the launcher's main window does,
// and lets the base's OnClick act: its close button is renamed "closebtn".
// Its memory is poisoned on delete and kept, so that anything read from
// the object afterwards is garbage that crashes, not a stale copy.
class SelfDeletingWindow : public WindowImplBase {
public:
    static bool destroyed;
    ~SelfDeletingWindow() override { destroyed = true; }
    static void operator delete(void* memory, std::size_t size) { std::memset(memory, 0xDD, size); }

    const wchar_t* GetWindowClassName() const override { return L"ZelkTestSelfDeleting"; }
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return L"GameLoader.xml"; }
    UIResourceType GetResourceType() const override { return UIResourceType::ZipResource; }
    UINT GetResourceID() const override { return 130; }
    CControlUI* CreateControl(const std::wstring&) override { return new CControlUI; }
    void InitWindow() override
    {
        dynamic_cast<CTabLayoutUI*>(m_PaintManager.FindControl(L"wizardTab"))->SelectItem(1);
        m_PaintManager.FindControl(L"btnClose")->SetName(L"closebtn");
    }
    void OnFinalMessage(HWND window) override
    {
        WindowImplBase::OnFinalMessage(window);
        delete this;
    }
};
bool SelfDeletingWindow::destroyed = false;

// Stands in for a control that hosts a window of its own (the browser):
// its child window shows exactly while the control can be seen.
class HostedWindowControl : public CControlUI {
public:
    explicit HostedWindowControl(HWND parent)
    {
        m_window = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, parent, nullptr, nullptr, nullptr);
    }
    ~HostedWindowControl() override { DestroyWindow(m_window); }
    void SetVisible(bool visible) override
    {
        CControlUI::SetVisible(visible);
        Show();
    }
    void SetInternVisible(bool visible) override
    {
        CControlUI::SetInternVisible(visible);
        Show();
    }
    HWND Window() const { return m_window; }

private:
    void Show() { ShowWindow(m_window, IsVisible() ? SW_SHOWNA : SW_HIDE); }
    HWND m_window = nullptr;
};

class HostingWindow : public TestSkinWindow {
public:
    HostingWindow() : TestSkinWindow(L"GameLoader.xml") {}
    CControlUI* CreateControl(const std::wstring& tag) override
    {
        return _wcsicmp(tag.c_str(), L"IeBrowser") == 0 ? new HostedWindowControl(m_hWnd) : nullptr;
    }
};

class Recorder : public ITranslateAcceleratorUI {
public:
    bool TranslateAccelerator(MSG*) override
    {
        ++calls;
        if (onCall)
            onCall();
        return false;
    }
    int calls = 0;
    std::function<void()> onCall;
};

std::vector<std::wstring>& LogLines()
{
    static std::vector<std::wstring> lines;
    return lines;
}

class WindowBase : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitialize(nullptr);
        CWindowWnd::SetInstance(GetModuleHandleW(nullptr));
        CShadowUI::RegisterShadowWindowClass(GetModuleHandleW(nullptr));
    }

    template <typename Window = TestSkinWindow, typename... Arguments>
    Window* Open(DWORD style, HWND owner, Arguments&&... arguments)
    {
        auto window = std::make_unique<Window>(std::forward<Arguments>(arguments)...);
        window->Create(owner, L"window test", style, 0, 0, 0, 0);
        Pump();
        Window* raw = window.get();
        m_windows.push_back(std::move(window));
        return raw;
    }

    void TearDown() override
    {
        SetUILogSink(nullptr);
        for (auto& window : m_windows)
            if (IsWindow(window->GetHWND()))
                DestroyWindow(window->GetHWND());
        Pump();
    }

    std::vector<std::unique_ptr<TestSkinWindow>> m_windows;
};

constexpr DWORD kShown = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
constexpr DWORD kHidden = WS_OVERLAPPEDWINDOW;

LPARAM ScreenPoint(HWND window, int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(window, &point);
    return MAKELPARAM(point.x, point.y);
}

}  // namespace

TEST_F(WindowBase, CloseButtonClosesAWindowThatDeletesItselfWithoutTouchingIt)
{
    SelfDeletingWindow::destroyed = false;
    auto* window = new SelfDeletingWindow;
    ASSERT_TRUE(window->Create(nullptr, L"self deleting", kShown, 0, 0, 0, 0));
    const HWND hwnd = window->GetHWND();
    Pump();
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(942, 19));
    // The click closes the window and deletes the object inside this call.
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(942, 19));
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(SelfDeletingWindow::destroyed);
    Pump();
}

TEST_F(WindowBase, EscapeClosesWithCancelAndEnterIsLeftToTheWindow)
{
    struct Case {
        WPARAM key;
        bool focusOnChild;
        bool closes;
    };
    const Case cases[] = {
        {VK_ESCAPE, false, true},
        {VK_RETURN, false, false},
        // A key typed into a hosted window belongs to it.
        {VK_ESCAPE, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << (c.focusOnChild ? " in a child" : ""));
        auto* window = Open<RecordingWindow>(kShown, nullptr, L"CustomMsgBox.xml");
        HWND child = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, window->GetHWND(),
                                     nullptr, nullptr, nullptr);
        SetForegroundWindow(window->GetHWND());
        SetFocus(c.focusOnChild ? child : window->GetHWND());
        ASSERT_EQ(c.focusOnChild ? child : window->GetHWND(), GetFocus());
        PostMessageW(GetFocus(), WM_KEYDOWN, c.key, 1);
        PumpFor(50);
        if (c.closes) {
            EXPECT_FALSE(IsWindow(window->GetHWND()));
            EXPECT_EQ(std::vector<WPARAM>{IDCANCEL}, window->closes);
        } else {
            EXPECT_TRUE(IsWindow(window->GetHWND()));
            EXPECT_TRUE(window->closes.empty());
        }
    }
}

TEST_F(WindowBase, MinMaxInfoHoldsTheSkinsSizesForTheResizeBorders)
{
    struct Case {
        const wchar_t* skin;
        POINT minimum;  // 0: left to the system
        POINT maximum;
    };
    const Case cases[] = {
        {L"GameLoader.xml", {960, 620}, {960, 620}},
        {L"CustomMsgBox.xml", {0, 0}, {440, 260}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.skin);
        TestSkinWindow* window = Open(kHidden, nullptr, c.skin);
        MINMAXINFO info = {};
        info.ptMaxTrackSize = {5000, 5000};
        SendMessageW(window->GetHWND(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        if (c.minimum.x) {
            EXPECT_EQ(c.minimum.x, info.ptMinTrackSize.x);
            EXPECT_EQ(c.minimum.y, info.ptMinTrackSize.y);
        }
        EXPECT_EQ(c.maximum.x, info.ptMaxTrackSize.x);
        EXPECT_EQ(c.maximum.y, info.ptMaxTrackSize.y);
        // The system holds a resize to the same limits.
        SetWindowPos(window->GetHWND(), nullptr, 0, 0, c.maximum.x + 200, c.maximum.y + 100,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT rect = {};
        GetWindowRect(window->GetHWND(), &rect);
        EXPECT_EQ(c.maximum.x, rect.right - rect.left);
        EXPECT_EQ(c.maximum.y, rect.bottom - rect.top);
    }
}

TEST_F(WindowBase, HitTestingThroughTheWindowFindsBordersCaptionAndButtons)
{
    TestSkinWindow* window = Open(kShown, nullptr, L"GameLoader.xml");
    window->Find<CTabLayoutUI>(L"wizardTab")->SelectItem(1);
    struct Case {
        int x, y;
        LRESULT code;
    };
    const Case cases[] = {
        {2, 2, HTTOPLEFT},      {957, 2, HTTOPRIGHT},      {2, 617, HTBOTTOMLEFT}, {957, 617, HTBOTTOMRIGHT},
        {480, 2, HTTOP},        {480, 617, HTBOTTOM},      {2, 300, HTLEFT},       {957, 300, HTRIGHT},
        {480, 100, HTCAPTION},  {914, 18, HTCLIENT} /* btnMin */,                  {480, 400, HTCLIENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(c.code, SendMessageW(window->GetHWND(), WM_NCHITTEST, 0, ScreenPoint(window->GetHWND(), c.x, c.y)));
    }
}

TEST_F(WindowBase, LosingTheMouseDuringAPressEndsItWithoutAClick)
{
    TestSkinWindow* window = Open(kShown, nullptr, L"GameLoader.xml");
    window->Find<CTabLayoutUI>(L"wizardTab")->SelectItem(1);
    HWND hwnd = window->GetHWND();
    auto* minimise = window->Find<CButtonUI>(L"btnMin");
    auto* close = window->Find<CButtonUI>(L"btnClose");
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(914, 18));
    ASSERT_TRUE(minimise->IsPushed());
    ASSERT_EQ(hwnd, GetCapture());

    // Another window takes the mouse (Alt+Tab, a box coming up).
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
    SetCapture(other);
    Pump();
    EXPECT_FALSE(minimise->IsPushed());
    // Hover works again at once, and a late button release clicks nothing.
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(942, 19));
    EXPECT_TRUE(close->IsHot());
    EXPECT_FALSE(minimise->IsHot());
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(914, 18));
    EXPECT_TRUE(window->clicked.empty());
    ReleaseCapture();
    DestroyWindow(other);
}

TEST_F(WindowBase, HiddenWindowIsLaidOutAtEverySizeChange)
{
    TestSkinWindow* window = Open(kHidden, nullptr, L"GameLoader.xml");
    ASSERT_FALSE(IsWindowVisible(window->GetHWND()));
    EXPECT_EQ((UIRect{0, 0, 960, 620}), window->Find<CTabLayoutUI>(L"wizardTab")->GetPos());
    EXPECT_EQ((UIRect{0, 0, 960, 620}), window->Find<CControlUI>(L"ie")->GetPos());
    // Hit testing of the never painted window finds the page under the caption.
    EXPECT_EQ(HTCAPTION, SendMessageW(window->GetHWND(), WM_NCHITTEST, 0, ScreenPoint(window->GetHWND(), 480, 100)));

    TestSkinWindow* box = Open(kHidden, nullptr, L"CustomMsgBox.xml");
    SetWindowPos(box->GetHWND(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ((UIRect{0, 0, 300, 200}), box->Find<CControlUI>(L"verLayout")->GetPos());
    // Rows of 134 and 28, the rest to the third.
    EXPECT_EQ((UIRect{10, 134, 290, 162}), box->Find<CControlUI>(L"labelTip")->GetPos());
}

TEST_F(WindowBase, PushedPictureShowsWhilePressedWhereverTheMouseIs)
{
    TestSkinWindow* window = Open(kShown, nullptr, L"GameLoader.xml");
    window->Find<CTabLayoutUI>(L"wizardTab")->SelectItem(1);
    HWND hwnd = window->GetHWND();
    const uint32_t normal = PixelAt(hwnd, 914, 18);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(914, 18));
    const uint32_t hot = PixelAt(hwnd, 914, 18);
    ASSERT_NE(normal, hot);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(914, 18));
    // Pressed, then the mouse moves off the button: still pressed.
    SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(600, 200));
    EXPECT_FALSE(window->Find<CButtonUI>(L"btnMin")->IsHot());
    EXPECT_EQ(hot, PixelAt(hwnd, 914, 18)) << "the pushed picture (the skin's hover picture)";
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(600, 200));
    EXPECT_EQ(normal, PixelAt(hwnd, 914, 18));
    EXPECT_TRUE(window->clicked.empty());
}

TEST_F(WindowBase, BoxCentresOnTheWorkAreaWhereverItsOwnerStands)
{
    TestSkinWindow* owner = Open(kShown, nullptr, L"GameLoader.xml");
    SetWindowPos(owner->GetHWND(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    TestSkinWindow* box = Open(kShown, owner->GetHWND(), L"CustomMsgBox.xml");
    box->CenterWindow();
    MONITORINFO monitor = {sizeof monitor};
    GetMonitorInfoW(MonitorFromWindow(owner->GetHWND(), MONITOR_DEFAULTTONEAREST), &monitor);
    RECT rect = {};
    GetWindowRect(box->GetHWND(), &rect);
    EXPECT_EQ((monitor.rcWork.left + monitor.rcWork.right) / 2 - 220, rect.left);
    EXPECT_EQ((monitor.rcWork.top + monitor.rcWork.bottom) / 2 - 130, rect.top);
}

TEST_F(WindowBase, HidingAContainerHidesTheWindowsHostedInsideIt)
{
    HostingWindow* window = Open<HostingWindow>(kShown, nullptr);
    auto* hosted = dynamic_cast<HostedWindowControl*>(window->Find<CControlUI>(L"ie"));
    ASSERT_NE(nullptr, hosted);
    ASSERT_TRUE(IsWindowVisible(hosted->Window()));
    CControlUI* page = hosted->GetParent();
    page->SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(hosted->Window()));
    page->SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(hosted->Window()));
    // The other page of the tab stays hidden when the whole tab hides and shows.
    CControlUI* root = window->PaintManager().GetRoot();
    root->SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(hosted->Window()));
    root->SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(hosted->Window()));
    EXPECT_FALSE(window->Find<CControlUI>(L"vLayoutDownload")->IsVisible());
}

TEST_F(WindowBase, TranslatorRemovedByAnotherIsNotCalled)
{
    TestSkinWindow* window = Open(kShown, nullptr, L"CustomMsgBox.xml");
    CPaintManagerUI& manager = window->PaintManager();
    Recorder first;
    Recorder second;
    first.onCall = [&] { manager.RemoveTranslateAccelerator(&second); };
    manager.AddTranslateAccelerator(&first);
    manager.AddTranslateAccelerator(&second);
    MSG message = {window->GetHWND(), WM_KEYDOWN, 'A', 1};
    CPaintManagerUI::TranslateMessage(&message);
    EXPECT_EQ(1, first.calls);
    EXPECT_EQ(0, second.calls);
    manager.RemoveTranslateAccelerator(&first);
}

TEST_F(WindowBase, BackBufferThatCannotBeRemadeDrawsNothing)
{
    CRenderEngine engine;
    ScopedWindowDc screen(nullptr);
    ASSERT_TRUE(engine.Prepare(screen.get(), 60, 40));
    // Far beyond what a 32-bit process can allocate.
    EXPECT_FALSE(engine.Prepare(screen.get(), 60000, 60000));
    EXPECT_EQ(nullptr, engine.GetDC());
    // Would write into the freed pixels of the first buffer.
    engine.FillColor(UIRect{0, 0, 60, 40}, 0xFF123456);
    engine.FillColor(UIRect{0, 0, 60, 40}, 0x80123456);
    EXPECT_TRUE(engine.Prepare(screen.get(), 60, 40));
}

TEST_F(WindowBase, ShadowThatCannotBeDrawnIsNotTriedAgainAtEveryMove)
{
    TestSkinWindow* window = Open(kShown, nullptr, L"CustomMsgBox.xml");
    HWND shadow = FindWindowW(CShadowUI::kClassName, nullptr);
    ASSERT_NE(nullptr, shadow);
    // Without the layered style every fill of the shadow fails.
    SetWindowLongW(shadow, GWL_EXSTYLE, GetWindowLongW(shadow, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    LogLines().clear();
    SetUILogSink([](int, const std::wstring& line) { LogLines().push_back(line); });
    SetWindowPos(window->GetHWND(), nullptr, 0, 0, 400, 250, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int i = 0; i < 10; ++i)
        SetWindowPos(window->GetHWND(), nullptr, 10 + i, 10 + i, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    SetUILogSink(nullptr);
    size_t shadowLines = 0;
    for (const std::wstring& line : LogLines())
        shadowLines += line.find(L"shadow") != std::wstring::npos;
    EXPECT_EQ(1u, shadowLines);
}

TEST(ShadowGeometry, StaysWithinWhatAWindowCanBe)
{
    struct Case {
        RECT window;
        UIRect margin;
        bool placed;
        RECT shadow;
    };
    const Case cases[] = {
        {{100, 100, 1060, 720}, {9, 9, 9, 9}, true, {91, 91, 1069, 729}},
        {{0, 0, 440, 260}, {-5, 3, 0, -1}, true, {0, -3, 440, 260}},
        {{0, 0, 960, 620}, {2147483647, 0, 2147483647, 0}, false, {}},
        {{0, 0, 960, 620}, {0, 40000, 0, 0}, false, {}},
        {{-2147483000, 0, -2147482000, 10}, {1000, 0, 0, 0}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.margin.left << "," << c.margin.top);
        RECT shadow = {};
        ASSERT_EQ(c.placed, CShadowUI::Geometry(c.window, c.margin, shadow));
        if (c.placed)
            EXPECT_TRUE(EqualRect(&c.shadow, &shadow));
    }
}

namespace {

// A PNG of `width` by `height`, encoded by WIC.
std::vector<unsigned char> EncodePng(UINT width, UINT height)
{
    ScopedComPtr<IWICImagingFactory> factory;
    ScopedComPtr<IStream> stream;
    ScopedComPtr<IWICBitmapEncoder> encoder;
    ScopedComPtr<IWICBitmapFrameEncode> frame;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.receive())) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.receiveTyped())) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.receiveTyped())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.receiveTyped(), nullptr)) || FAILED(frame->Initialize(nullptr)) ||
        FAILED(frame->SetSize(width, height)))
        return {};
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    std::vector<BYTE> pixels(static_cast<size_t>(width) * height * 4, 0xFF);
    if (FAILED(frame->SetPixelFormat(&format)) ||
        FAILED(frame->WritePixels(height, width * 4, static_cast<UINT>(pixels.size()), pixels.data())) ||
        FAILED(frame->Commit()) || FAILED(encoder->Commit()))
        return {};
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::vector<unsigned char> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER start = {};
    ULONG read = 0;
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    return bytes;
}

}  // namespace

TEST(PictureCache, PicturesLargerThan4096OnASideAreRefused)
{
    CoInitialize(nullptr);
    struct Case {
        UINT width, height;
        bool decoded;
    };
    const Case cases[] = {{4096, 1, true}, {1, 4096, true}, {4097, 1, false}, {1, 4097, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const std::vector<unsigned char> png = EncodePng(c.width, c.height);
        ASSERT_FALSE(png.empty());
        CPicture picture;
        EXPECT_EQ(c.decoded, DecodePicture(png.data(), png.size(), picture));
        if (picture.bitmap)
            DeleteObject(picture.bitmap);
    }
    ReleasePictures();
    CoUninitialize();
}

namespace {

std::vector<std::wstring>& WorkerLog()
{
    static std::vector<std::wstring> lines;
    return lines;
}

// Called from the worker as well; the test reads the lines only after
// ReleasePictures has waited for it.
void RecordWorkerLine(int, const std::wstring& line)
{
    static CRITICAL_SECTION* lock = [] {
        static CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return &section;
    }();
    EnterCriticalSection(lock);
    WorkerLog().push_back(line);
    LeaveCriticalSection(lock);
}

}  // namespace

// The worker decodes a PNG and a JPEG of its own while the UI thread
// decodes at the same time; it ends, with its line in the log, when the
// pictures are released, and can start again after that.
TEST(PictureCache, DecodingPreparedOnAWorkerEndsWithThePictures)
{
    SetUILogSink(&RecordWorkerLine);
    CoInitialize(nullptr);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        WorkerLog().clear();
        PrepareDecodingInBackground();
        PrepareDecodingInBackground();  // a second call while it runs starts nothing more
        const std::vector<unsigned char> png = EncodePng(64, 64);
        CPicture picture;
        EXPECT_TRUE(DecodePicture(png.data(), png.size(), picture));
        if (picture.bitmap)
            DeleteObject(picture.bitmap);
        ReleasePictures();
        // One worker ran, and it said how it ended.
        EXPECT_EQ(std::vector<std::wstring>{L"picture decoding prepared"}, WorkerLog());
    }
    CoUninitialize();
    SetUILogSink(nullptr);
}

namespace {

// A window whose skin and pictures are plain files in a folder.
class PlainFileWindow : public TestSkinWindow {
public:
    explicit PlainFileWindow(std::wstring skin) : TestSkinWindow(std::move(skin)) {}
    UIResourceType GetResourceType() const override { return UIResourceType::File; }
};

std::wstring TempFolder()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"zelk-plain-skin\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void WriteFile(const std::wstring& path, const std::string& bytes)
{
    std::ofstream file(path.c_str(), std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

TEST_F(WindowBase, PlainFileSkinBuildsWithItsPicturesAndTheTabPageItNames)
{
    const std::wstring folder = TempFolder();
    const std::vector<unsigned char> png = EncodePng(8, 8);  // opaque white
    WriteFile(folder + L"white.png", std::string(png.begin(), png.end()));
    WriteFile(folder + L"Plain.xml",
              "<Window size=\"200,100\">"
              "<TabLayout name=\"tab\" selectedid=\"1\" bkcolor=\"#FF000000\">"
              "<Control name=\"first\"/>"
              "<Control name=\"second\" bkimage=\"white.png\"/>"
              "</TabLayout></Window>");
    CPaintManagerUI::SetResourcePath(folder);
    PlainFileWindow* window = Open<PlainFileWindow>(kShown, nullptr, L"Plain.xml");
    ASSERT_EQ(1, window->initCalls);
    auto* tab = window->Find<CTabLayoutUI>(L"tab");
    ASSERT_NE(nullptr, tab);
    EXPECT_EQ(1, tab->GetCurSel());
    EXPECT_FALSE(window->Find<CControlUI>(L"first")->IsVisible());
    EXPECT_TRUE(window->Find<CControlUI>(L"second")->IsVisible());
    EXPECT_EQ(RGB(255, 255, 255), PixelAt(window->GetHWND(), 100, 50));
}
