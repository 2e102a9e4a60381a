// The portal page in a skinned window: the launcher's browser control hosts
// the stand-in WebBrowser control, which plays the page and the browser.
#include <gtest/gtest.h>

#include <exdispid.h>
#include <malloc.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "BrowserControlStandin_win.h"
#include "CIeBrowserUI/PortalUrl.h"
#include "Common/Text.h"
#include "core/Container.h"
#include "PortalPageWindow_win.h"
#include "common/win/ScopedHandles.h"
#include "support/Process_win.h"
#include "support/StandIns_win.h"

using browser_standin::Page;
using browser_standin::Record;
using browser_standin::RecordLines;

// Freed memory is overwritten at once in this program, so that a call into
// an object that is gone crashes here instead of running on stale bytes by
// luck.
void operator delete(void* block) noexcept
{
    if (!block)
        return;
    std::memset(block, 0xDD, _msize(block));
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

namespace {

constexpr LONG kResourceNotFound = static_cast<LONG>(0x800C0005);

void Pump(DWORD milliseconds = 50)
{
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!CPaintManagerUI::TranslateMessage(&message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

class PortalPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_com.succeeded());
        ASSERT_TRUE(m_registration.registered());
        Record().clear();
        CWindowWnd::SetInstance(GetModuleHandleW(nullptr));
        CShadowUI::RegisterShadowWindowClass(GetModuleHandleW(nullptr));
        window = std::make_unique<PortalPageWindow>();
        ASSERT_TRUE(window->Create(nullptr, L"Zelkmar", WS_POPUP | WS_VISIBLE, 0, 0, 0, 960, 620));
        Pump();
        browser = window->Browser();
        ASSERT_NE(nullptr, browser);
        ASSERT_TRUE(Page::Exists());
    }
    void TearDown() override { Close(); }

    void Close()
    {
        if (window && !window->destroyed)
            DestroyWindow(window->GetHWND());
        Pump();
    }
    // The portal document, as after LoadWeb's navigation.
    void ShowPortal(const std::wstring& query = L"?fileparam=")
    {
        ASSERT_EQ(S_OK, Page::NavigateComplete(PortalBaseUrl() + query));
    }
    std::vector<UINT> Messages()
    {
        Pump();
        std::vector<UINT> messages;
        for (const auto& entry : window->posted)
            messages.push_back(entry.message);
        window->posted.clear();
        return messages;
    }

    ScopedComInit m_com;
    browser_standin::ClassRegistration m_registration;
    std::unique_ptr<PortalPageWindow> window;
    CIeBrowserUI* browser = nullptr;
};

std::wstring Bstr(const VARIANT& value)
{
    return value.vt == VT_BSTR && value.bstrVal ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal))
                                                 : std::wstring(L"<not text>");
}

// The lines this process's log gained while `action` ran, and how long it took.
struct LogGrowth {
    std::string text;
    double seconds;
    size_t Count(const std::string& part) const
    {
        size_t count = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
            ++count;
        return count;
    }
};

template <typename Action>
LogGrowth WatchLog(Action&& action)
{
    const size_t before = ReadFileBytes(TestLogFile()).size();
    const auto start = std::chrono::steady_clock::now();
    action();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::string after = ReadFileBytes(TestLogFile());
    return LogGrowth{after.size() > before ? after.substr(before) : std::string(), seconds};
}

// A few lines a second, and a summary line where lines were left out.
size_t MostRefusalLines(double seconds) { return 2 * 3 * (static_cast<size_t>(seconds) + 2); }

}  // namespace

TEST_F(PortalPage, ControlIsHostedInPlaceAndFollowsItsRectangleAndVisibility)
{
    // The skin's homepage with autonavi, at once (delaycreate false).
    EXPECT_EQ(std::vector<std::wstring>{L"Navigate2 about:blank flags=null target=null post=null headers=null"},
              RecordLines(L"Navigate2"));
    EXPECT_EQ(1u, RecordLines(L"Advise").size());
    EXPECT_EQ(1u, RecordLines(L"inplace").size());
    EXPECT_NE(std::wstring::npos, RecordLines(L"inplace")[0].find(L"frame=parent"));
    const HWND control = Page::Window();
    ASSERT_TRUE(IsWindow(control));
    EXPECT_EQ(window->GetHWND(), GetParent(control));
    RECT rect = {};
    GetClientRect(control, &rect);
    EXPECT_EQ(960, rect.right);
    EXPECT_EQ(620, rect.bottom);
    EXPECT_TRUE(IsWindowVisible(control));

    browser->SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(control));
    browser->SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(control));
    // Page 1 of the tab hides page 0 and the browser with it.
    auto* tab = window->Find<CTabLayoutUI>(L"wizardTab");
    ASSERT_NE(nullptr, tab);
    tab->SelectItem(1);
    EXPECT_FALSE(IsWindowVisible(control));
    tab->SelectItem(0);
    EXPECT_TRUE(IsWindowVisible(control));

    DOCHOSTUIINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_EQ(S_OK, Page::HostInfo(&info));
    EXPECT_EQ(static_cast<DWORD>(DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_NO3DOUTERBORDER),
              info.dwFlags);
    EXPECT_EQ(static_cast<DWORD>(DOCHOSTUIDBLCLK_DEFAULT), info.dwDoubleClick);
    EXPECT_EQ(S_FALSE, Page::ContextMenu()) << "the browser's own menu";
}

TEST_F(PortalPage, LoadWebNavigatesSilentlyToThePortalAndHidesTheControl)
{
    const struct {
        const wchar_t* token;
        const wchar_t* query;
    } cases[] = {
        {L"", L"?fileparam="},
        {L"abc", L"?fileparam=&token=abc"},
    };
    CWebBrowserEvent events(window->GetHWND());
    for (const auto& entry : cases) {
        Record().clear();
        browser->SetVisible(true);
        LaunchParams params;
        params.token = entry.token;
        LoadWeb(params, browser, &events);
        EXPECT_EQ(&events, browser->GetWebBrowserEventHandler());
        EXPECT_EQ(std::vector<std::wstring>{L"put_Silent -1"}, RecordLines(L"put_Silent"));
        EXPECT_EQ(std::vector<std::wstring>{L"Navigate2 " + PortalBaseUrl() + entry.query +
                                            L" flags=null target=null post=null headers=null"},
                  RecordLines(L"Navigate2"));
        EXPECT_FALSE(browser->IsVisible());
        EXPECT_FALSE(IsWindowVisible(Page::Window()));
    }
    LoadWeb(LaunchParams(), nullptr, &events);  // a skin without "ie"
    browser->SetWebBrowserEventHandler(nullptr);
}

TEST_F(PortalPage, NavigateCompleteInstallsTheUIHandlerOnEachDocument)
{
    ShowPortal();
    ShowPortal(L"?second");
    EXPECT_EQ(2u, RecordLines(L"SetUIHandler set").size());
    DISPID id = 0;
    EXPECT_EQ(S_OK, Page::LookUp(L"g_callCppFunc", &id));
    EXPECT_EQ(1000, id);
    for (const wchar_t* name : {L"G_callCppFunc", L"g_callCppFunc2", L"close"}) {
        EXPECT_EQ(DISP_E_UNKNOWNNAME, Page::LookUp(name, &id)) << name;
        EXPECT_EQ(DISPID_UNKNOWN, id);
    }
}

TEST_F(PortalPage, BridgeRequestsBecomeTheMainWindowsMessages)
{
    ShowPortal();
    const std::wstring chineseKvext = L"{\"funcation_name\":\"open_game\",\"token\":\"fresh\",\"kvext\":\"区服=1&a=2\"}";
    const struct {
        std::wstring request;
        std::vector<UINT> messages;
    } cases[] = {
        {L"{\"funcation_name\":\"min_wnd\"}", {WM_MIN_WND}},
        {L"{\"funcation_name\":\"close_wnd\"}", {WM_CLOSE_WND}},
        {L"{\"funcation_name\":\"wnd_mousemove\"}", {WM_WND_MOUSEMOVE}},
        {chineseKvext, {WM_OPEN_GAME}},
        {L"{\"function_name\":\"min_wnd\"}", {}},
        {L"{\"funcation_name\":\"Min_Wnd\"}", {}},
        {L"[\"min_wnd\"]", {}},
        {L"42", {}},
        {L"min_wnd", {}},
        {L"{\"funcation_name\":7,\"token\":[1]}", {}},
        {L"{\"a\":" + std::wstring(5000, L'[') + std::wstring(5000, L']') + L",\"funcation_name\":\"min_wnd\"}", {}},
    };
    for (const auto& entry : cases) {
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(S_OK, Page::CallCppFunc(entry.request, &result)) << entry.request.substr(0, 60);
        EXPECT_EQ(L"{}", Bstr(result));
        VariantClear(&result);
        EXPECT_EQ(entry.messages, Messages()) << entry.request.substr(0, 60);
    }
    // The whole request reaches OnOpenGame, in the ANSI code page.
    ASSERT_EQ(S_OK, Page::CallCppFunc(chineseKvext));
    Pump();
    ASSERT_EQ(1u, window->posted.size());
    EXPECT_EQ(WideToMultiByte(chineseKvext, CP_ACP), window->posted[0].request);
}

TEST_F(PortalPage, ArgumentsThatAreNotOneTextRunNoCommand)
{
    ShowPortal();
    // A number becomes text first, which is no request.
    VARIANT number;
    VariantInit(&number);
    number.vt = VT_I4;
    number.lVal = 42;
    EXPECT_EQ(S_OK, Page::CallCppFunc(&number, 1));
    // A by-reference text is taken by its value.
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"{\"funcation_name\":\"min_wnd\"}");
    VARIANT byRef;
    byRef.vt = VT_VARIANT | VT_BYREF;
    byRef.pvarVal = &text;
    EXPECT_EQ(S_OK, Page::CallCppFunc(&byRef, 1));
    EXPECT_EQ(std::vector<UINT>{WM_MIN_WND}, Messages());
    // Null cannot become text.
    VARIANT null;
    VariantInit(&null);
    null.vt = VT_NULL;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Page::CallCppFunc(&null, 1));
    // Zero or two arguments are no bridge call: the event dispatch answers.
    VARIANT two[2] = {text, text};
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Page::CallCppFunc(two, 2));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Page::CallCppFunc(nullptr, 0));
    // Ten megabytes of page text.
    EXPECT_EQ(S_OK, Page::CallCppFunc(std::wstring(10 * 1024 * 1024, L'{')));
    VariantClear(&text);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(PortalPage, BridgeAnswersOnlyWhileThePortalIsShown)
{
    const std::wstring request = L"{\"funcation_name\":\"open_game\",\"token\":\"stolen\"}";
    const struct {
        std::wstring location;
        HRESULT result;
    } cases[] = {
        {L"https://elsewhere.example/client/index/zelk", E_ACCESSDENIED},
        {L"http://" + std::wstring(PortalHost()) + L"/client/index/zelk", E_ACCESSDENIED},
        {L"https://" + std::wstring(PortalHost()) + L".elsewhere.example/", E_ACCESSDENIED},
        {L"https://" + std::wstring(PortalHost()) + L":8443/client/index/zelk", E_ACCESSDENIED},
        {L"https://" + std::wstring(PortalHost()) + L":80/client/index/zelk", E_ACCESSDENIED},
        {L"https://" + std::wstring(PortalHost()) + L":443/client/index/zelk", S_OK},
        {PortalBaseUrl() + L"?fileparam=&token=abc", S_OK},
        {L"https://" + std::wstring(PortalHost()) + L"/another/page", S_OK},
    };
    for (const auto& entry : cases) {
        ASSERT_EQ(S_OK, Page::NavigateComplete(entry.location));
        EXPECT_EQ(entry.result, Page::CallCppFunc(request)) << entry.location;
        EXPECT_EQ(entry.result == S_OK ? std::vector<UINT>{WM_OPEN_GAME} : std::vector<UINT>{}, Messages())
            << entry.location;
    }
}

TEST_F(PortalPage, PageEventsShowTheWindowUntilThePortalCannotBeReached)
{
    CWebBrowserEvent events(window->GetHWND());
    // No handler attached: events are dropped.
    EXPECT_EQ(S_OK, Page::DocumentComplete(L"about:blank"));
    EXPECT_TRUE(Messages().empty());
    browser->SetWebBrowserEventHandler(&events);

    EXPECT_EQ(S_OK, Page::DocumentComplete(PortalBaseUrl()));
    EXPECT_EQ(std::vector<UINT>{WM_WEB_LOADED}, Messages());
    // Another error: the browser's error page shows the window as usual.
    VARIANT_BOOL cancel = VARIANT_TRUE;
    EXPECT_EQ(S_OK, Page::NavigateError(PortalBaseUrl(), L"", static_cast<LONG>(0x800C0008), &cancel));
    EXPECT_EQ(VARIANT_TRUE, cancel) << "the cancel flag is not touched";
    EXPECT_EQ(S_OK, Page::DocumentComplete(L"res://ieframe.dll/dnserror.htm"));
    EXPECT_EQ(std::vector<UINT>{WM_WEB_LOADED}, Messages());
    // The portal cannot be reached, reported for a frame and then for the
    // page: one message, and no page shows the window any more.
    cancel = VARIANT_FALSE;
    EXPECT_EQ(S_OK, Page::NavigateError(L"https://frame.example/", L"ads", kResourceNotFound, &cancel));
    EXPECT_EQ(VARIANT_FALSE, cancel);
    EXPECT_EQ(S_OK, Page::NavigateError(PortalBaseUrl(), L"", kResourceNotFound));
    EXPECT_EQ(S_OK, Page::DocumentComplete(L"res://ieframe.dll/dnserror.htm"));
    EXPECT_EQ(std::vector<UINT>{WM_WEB_NET_ERROR}, Messages());
    EXPECT_TRUE(events.m_bNavigateError);
    browser->SetWebBrowserEventHandler(nullptr);
}

TEST_F(PortalPage, BridgeRequestsBeyondTheLimitsRunNoCommand)
{
    ShowPortal();
    const auto padded = [](size_t size) {
        std::wstring request = L"{\"funcation_name\":\"min_wnd\",\"pad\":\"";
        request += std::wstring(size - request.size() - 2, L'p') + L"\"}";
        return request;
    };
    const auto nested = [](int depth) {
        return L"{\"funcation_name\":\"min_wnd\",\"a\":" + std::wstring(depth - 1, L'[') +
               std::wstring(depth - 1, L']') + L"}";
    };
    const struct {
        std::wstring request;
        std::vector<UINT> messages;
    } cases[] = {
        {padded(64 * 1024), {WM_MIN_WND}},
        {padded(64 * 1024 + 1), {}},
        {padded(4 * 1024 * 1024), {}},
        {nested(16), {WM_MIN_WND}},
        {nested(17), {}},
        {nested(900), {}},
    };
    for (const auto& entry : cases) {
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(S_OK, Page::CallCppFunc(entry.request, &result)) << entry.request.size();
        EXPECT_EQ(L"{}", Bstr(result));
        VariantClear(&result);
        EXPECT_EQ(entry.messages, Messages()) << entry.request.size() << ": " << entry.request.substr(0, 40);
    }
}

TEST_F(PortalPage, RefusedBridgeCallsAreLoggedAFewTimesASecondWithoutTheToken)
{
    ASSERT_EQ(S_OK, Page::NavigateComplete(L"https://elsewhere.example/page?fileparam=&token=Tk7secret9&source=KV"));
    const LogGrowth log = WatchLog([] {
        for (int i = 0; i < 300; ++i)
            ASSERT_EQ(E_ACCESSDENIED, Page::CallCppFunc(L"{\"funcation_name\":\"close_wnd\"}"));
    });
    const size_t lines = log.Count("g_callCppFunc refused");
    EXPECT_GE(lines, 1u);
    EXPECT_LE(lines, MostRefusalLines(log.seconds)) << log.text;
    EXPECT_EQ(std::string::npos, log.text.find("Tk7secret9")) << log.text;
    EXPECT_EQ(log.Count("g_callCppFunc refused for https://elsewhere.example/page?fileparam=&token=<10 chars>&source=KV"),
              log.Count("g_callCppFunc refused for"))
        << log.text;
    EXPECT_TRUE(Messages().empty());
}

TEST_F(PortalPage, PopupsNamingProgramsRunNothing)
{
    // What a page, a frame or an injected script may name: the shell would
    // run each of these.
    const std::wstring folder = MakeTempFolder(L"zelk_newwindow");
    std::wstring folderUrl = folder;
    for (wchar_t& c : folderUrl)
        if (c == L'\\')
            c = L'/';
    const struct {
        const wchar_t* name;
        std::wstring url;
    } cases[] = {
        {L"path", folder + L"\\path.bat"},
        {L"fileurl", L"file:///" + folderUrl + L"/fileurl.bat"},
        {L"upper", L"FILE:///" + folderUrl + L"/upper.bat"},
    };
    CWebBrowserEvent events(window->GetHWND());
    browser->SetWebBrowserEventHandler(&events);
    for (const auto& entry : cases) {
        const std::wstring marker = folder + L"\\" + entry.name + L".ran";
        const std::wstring script = entry.url.find(L"file:") == 0 || entry.url.find(L"FILE:") == 0
                                        ? folder + L"\\" + entry.name + L".bat"
                                        : entry.url;
        WriteFileBytes(script, "@echo ran> \"" + WideToMultiByte(marker, CP_ACP) + "\"\r\n");
        VARIANT_BOOL cancel = VARIANT_FALSE;
        // Flags as a signed number, which every version of the launcher takes.
        EXPECT_EQ(S_OK, Page::NewWindow3(entry.url, &cancel, VT_I4)) << entry.url;
        EXPECT_EQ(VARIANT_TRUE, cancel) << entry.url;
    }
    // A program the shell started would have written its marker by now.
    Sleep(4000);
    for (const auto& entry : cases)
        EXPECT_FALSE(FileExists(folder + L"\\" + entry.name + L".ran")) << entry.url;
    EXPECT_TRUE(RecordLines(L"NewWindow3").empty());
    EXPECT_TRUE(Messages().empty());
    browser->SetWebBrowserEventHandler(nullptr);
}

TEST_F(PortalPage, NewWindowFlagsMayComeSignedOrUnsigned)
{
    CWebBrowserEvent events(window->GetHWND());
    browser->SetWebBrowserEventHandler(&events);
    // The browser's type library declares the flags unsigned; whatever
    // type they come as, the pop-up stays out of the launcher.
    for (const VARTYPE type : {VT_UI4, VT_I4, VT_EMPTY}) {
        VARIANT_BOOL cancel = VARIANT_FALSE;
        EXPECT_EQ(S_OK, Page::NewWindow3(L"", &cancel, type)) << type;
        EXPECT_EQ(VARIANT_TRUE, cancel) << type;
    }
    // An address that is not text opens nothing and still cancels.
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EXPECT_EQ(S_OK, Page::NewWindow3(L"", &cancel, VT_UI4, false));
    EXPECT_EQ(VARIANT_TRUE, cancel);
    EXPECT_TRUE(RecordLines(L"NewWindow3").empty());
    browser->SetWebBrowserEventHandler(nullptr);
}

TEST_F(PortalPage, PopupsOpenInTheDefaultBrowserOnlyAsWebAddresses)
{
    CWebBrowserEvent events(window->GetHWND());
    std::vector<std::wstring> opened;
    events.SetBrowserOpener([&](const std::wstring& url) { opened.push_back(url); });
    browser->SetWebBrowserEventHandler(&events);
    const struct {
        std::wstring url;
        std::wstring opened;
    } cases[] = {
        {L"https://shop.example/item?id=7", L"https://shop.example/item?id=7"},
        {L"HTTP://news.example/a b", L"http://news.example/a%20b"},
        {L"https://shop.example/x\" --remote-debugging-port=1", L"https://shop.example/x%22%20--remote-debugging-port=1"},
        {L"file:///C:/windows/system32/calc.exe", L""},
        {L"C:\\windows\\system32\\calc.exe", L""},
        {L"\\\\server\\share\\setup.exe", L""},
        {L"ms-settings:privacy", L""},
        {L"javascript:alert(1)", L""},
        {L"http:\\\\server\\share\\x.exe", L""},
    };
    for (const auto& entry : cases) {
        opened.clear();
        VARIANT_BOOL cancel = VARIANT_FALSE;
        EXPECT_EQ(S_OK, Page::NewWindow3(entry.url, &cancel)) << entry.url;
        EXPECT_EQ(VARIANT_TRUE, cancel) << entry.url;
        EXPECT_EQ(entry.opened.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{entry.opened}, opened)
            << entry.url;
    }
    browser->SetWebBrowserEventHandler(nullptr);
}

TEST_F(PortalPage, RefusedPopupsAreLoggedAFewTimesASecond)
{
    CWebBrowserEvent events(window->GetHWND());
    events.SetBrowserOpener([](const std::wstring&) { ADD_FAILURE() << "nothing may be opened"; });
    browser->SetWebBrowserEventHandler(&events);
    const LogGrowth log = WatchLog([] {
        for (int i = 0; i < 300; ++i) {
            VARIANT_BOOL cancel = VARIANT_FALSE;
            Page::NewWindow3(L"file:///C:/nowhere/x" + std::to_wstring(i) + L".bat?token=Tk7secret9", &cancel,
                             VT_I4);
            ASSERT_EQ(VARIANT_TRUE, cancel);
        }
    });
    const size_t lines = log.Count("NewWindow3");
    EXPECT_GE(lines, 1u);
    EXPECT_LE(lines, MostRefusalLines(log.seconds)) << log.text;
    EXPECT_NE(std::string::npos, log.text.find("file:///C:/nowhere/x0.bat?token=<10 chars>")) << log.text;
    EXPECT_EQ(std::string::npos, log.text.find("Tk7secret9")) << log.text;
    browser->SetWebBrowserEventHandler(nullptr);
}

TEST_F(PortalPage, HostAnswersCommandsAndEventsItDoesNotKnow)
{
    const GUID otherGroup = {0x12345678, 0x1, 0x2, {0, 1, 2, 3, 4, 5, 6, 7}};
    const struct {
        const GUID* group;
        DWORD command;
        HRESULT result;
    } commands[] = {
        {&CGID_DocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, S_OK},
        {&CGID_DocHostCommandHandler, OLECMDID_SHOWMESSAGE, OLECMDERR_E_NOTSUPPORTED},
        {nullptr, OLECMDID_SHOWSCRIPTERROR, OLECMDERR_E_UNKNOWNGROUP},
        {&otherGroup, OLECMDID_SHOWSCRIPTERROR, OLECMDERR_E_UNKNOWNGROUP},
    };
    for (const auto& entry : commands) {
        VARIANT out;
        VariantInit(&out);
        EXPECT_EQ(entry.result, Page::ScriptError(entry.group, entry.command, &out)) << entry.command;
        if (entry.result == S_OK) {
            EXPECT_EQ(VT_BOOL, out.vt);
            EXPECT_EQ(VARIANT_TRUE, out.boolVal) << "scripts go on running";
        }
    }
    EXPECT_EQ(OLECMDERR_E_NOTSUPPORTED, Page::QueryStatus(&CGID_DocHostCommandHandler));

    VARIANT url;
    VariantInit(&url);
    const struct {
        DISPID id;
        UINT count;
        VARTYPE type;
        const IID* iid;
        HRESULT result;
    } events[] = {
        {DISPID_STATUSTEXTCHANGE, 1, VT_BSTR, &IID_NULL, S_OK},
        {DISPID_NAVIGATECOMPLETE2, 2, VT_BSTR, &IID_IDispatch, E_INVALIDARG},
        {DISPID_PROGRESSCHANGE, 2, VT_I4, &IID_NULL, DISP_E_MEMBERNOTFOUND},
        {1000, 0, VT_EMPTY, &IID_NULL, DISP_E_MEMBERNOTFOUND},
        // Shapes no browser sends: refused before an argument is read.
        {DISPID_NAVIGATECOMPLETE2, 2, VT_BSTR, &IID_NULL, DISP_E_BADPARAMCOUNT},
        {DISPID_NAVIGATECOMPLETE2, 1, VT_VARIANT | VT_BYREF, &IID_NULL, DISP_E_BADPARAMCOUNT},
        {DISPID_NAVIGATEERROR, 2, VT_VARIANT | VT_BYREF, &IID_NULL, DISP_E_BADPARAMCOUNT},
        {DISPID_NEWWINDOW3, 5, VT_I4, &IID_NULL, DISP_E_BADPARAMCOUNT},
        {DISPID_DOCUMENTCOMPLETE, 0, VT_EMPTY, &IID_NULL, DISP_E_BADPARAMCOUNT},
    };
    CWebBrowserEvent handler(window->GetHWND());
    browser->SetWebBrowserEventHandler(&handler);
    for (const auto& entry : events) {
        VARIANT args[5];
        for (VARIANT& arg : args) {
            VariantInit(&arg);
            arg.vt = entry.type;
            if (entry.type == (VT_VARIANT | VT_BYREF))
                arg.pvarVal = &url;
        }
        EXPECT_EQ(entry.result, Page::Fire(entry.id, entry.count ? args : nullptr, entry.count, *entry.iid))
            << entry.id << " with " << entry.count;
    }
    EXPECT_TRUE(Messages().empty());
    browser->SetWebBrowserEventHandler(nullptr);
}

TEST_F(PortalPage, KeysForThePageGoToTheBrowserFirst)
{
    const HWND control = Page::Window();
    SetFocus(control);
    ASSERT_EQ(control, GetFocus());
    MSG key = {};
    key.hwnd = control;
    key.message = WM_KEYDOWN;
    key.wParam = VK_TAB;
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&key));
    EXPECT_EQ(std::vector<std::wstring>{L"accelerator 256 9"}, RecordLines(L"accelerator"));

    SetFocus(window->GetHWND());
    MSG elsewhere = {};
    elsewhere.hwnd = window->GetHWND();
    elsewhere.message = WM_KEYDOWN;
    elsewhere.wParam = VK_RETURN;
    CPaintManagerUI::TranslateMessage(&elsewhere);
    MSG notKey = {};
    notKey.hwnd = control;
    notKey.message = WM_MOUSEMOVE;
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&notKey));
    EXPECT_EQ(1u, RecordLines(L"accelerator").size());
}

TEST_F(PortalPage, NothingIsHeldOnceTheWindowCloses)
{
    ShowPortal();
    CWebBrowserEvent events(window->GetHWND());
    browser->SetWebBrowserEventHandler(&events);
    ASSERT_EQ(S_OK, Page::CallCppFunc(L"{\"funcation_name\":\"min_wnd\"}"));
    ASSERT_EQ(S_OK, Page::DocumentComplete(PortalBaseUrl()));
    EXPECT_GT(CActiveXUI::OutstandingHostReferences(), 0);
    EXPECT_GT(browser_standin::LiveObjects(), 0);

    Close();
    EXPECT_TRUE(window->destroyed);
    EXPECT_FALSE(Page::Exists());
    EXPECT_EQ(0, CActiveXUI::OutstandingHostReferences());
    EXPECT_EQ(0, browser_standin::LiveObjects());
    for (const wchar_t* step : {L"Unadvise", L"InPlaceDeactivate", L"Close", L"SetClientSite null", L"released"})
        EXPECT_EQ(1u, RecordLines(step).size()) << step;
}

TEST_F(PortalPage, WhatThePageKeepsAnswersAfterTheControlIsGone)
{
    ShowPortal();
    // A page script keeps window.external; the document and the browser
    // keep the UI handler and the command target.
    ScopedComPtr<IDispatch> external;
    ASSERT_EQ(S_OK, Page::External(external.receiveTyped()));
    ScopedComPtr<IDocHostUIHandler> handler;
    ASSERT_EQ(S_OK, Page::UIHandler(handler.receiveTyped()));
    ScopedComPtr<IOleCommandTarget> target;
    ASSERT_EQ(S_OK, Page::CommandTarget(target.receiveTyped()));
    Close();
    ASSERT_TRUE(window->destroyed);
    ASSERT_FALSE(Page::Exists());

    LPOLESTR names[1] = {const_cast<LPOLESTR>(L"g_callCppFunc")};
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, external->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(DISPID_UNKNOWN, id);
    VARIANT request;
    VariantInit(&request);
    request.vt = VT_BSTR;
    request.bstrVal = SysAllocString(L"{\"funcation_name\":\"close_wnd\"}");
    DISPPARAMS params = {&request, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, external->Invoke(1000, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                                      &result, nullptr, nullptr));
    VariantClear(&request);
    VariantClear(&result);
    IDispatch* again = external.get();
    EXPECT_EQ(S_FALSE, handler->GetExternal(&again));
    EXPECT_EQ(nullptr, again);
    DOCHOSTUIINFO info = {};
    info.cbSize = sizeof(info);
    EXPECT_EQ(E_UNEXPECTED, handler->GetHostInfo(&info));
    EXPECT_EQ(S_FALSE, handler->ShowContextMenu(CONTEXT_MENU_DEFAULT, nullptr, nullptr, nullptr));
    VARIANT out;
    VariantInit(&out);
    EXPECT_EQ(OLECMDERR_E_NOTSUPPORTED,
              target->Exec(&CGID_DocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out));
    EXPECT_TRUE(window->posted.empty());

    EXPECT_GT(CActiveXUI::OutstandingHostReferences(), 0);
    external.reset();
    handler.reset();
    target.reset();
    EXPECT_EQ(0, CActiveXUI::OutstandingHostReferences());
}

TEST_F(PortalPage, ControlThatKeepsItsSiteIsReleasedWithTheWindow)
{
    Close();
    ASSERT_EQ(0, browser_standin::LiveObjects());
    struct Quirk {
        Quirk() { browser_standin::SetKeepsInPlaceSite(true); }
        ~Quirk() { browser_standin::SetKeepsInPlaceSite(false); }
    } quirk;
    Record().clear();
    window = std::make_unique<PortalPageWindow>();
    ASSERT_TRUE(window->Create(nullptr, L"Zelkmar", WS_POPUP | WS_VISIBLE, 0, 0, 0, 960, 620));
    Pump();
    ShowPortal();
    ASSERT_GT(browser_standin::LiveObjects(), 0);
    Close();
    // Site and control held each other: the site gives the control's
    // in-place object back when the control detaches it.
    EXPECT_EQ(0, browser_standin::LiveObjects());
    EXPECT_EQ(0, CActiveXUI::OutstandingHostReferences());
    EXPECT_EQ(1u, RecordLines(L"released").size());
}

TEST(CookiePersistence, OnlyAnInstalledGameKeepsNoCookies)
{
    EXPECT_FALSE(SuppressCookiePersistence(0));
    EXPECT_FALSE(SuppressCookiePersistence(2));
    EXPECT_TRUE(SuppressCookiePersistence(1));
}
