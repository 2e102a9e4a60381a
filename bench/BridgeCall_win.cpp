// Cost of one bridge call: the page's Invoke of g_callCppFunc with a 1 KiB
// open_game request until the message is posted to the main window, against
// a bare PostMessageW of the same text copy.  Both run in this process on
// the same window and drain their messages the same way.  Then what a page
// costs the UI thread with a 4 MiB request, which runs no command.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "BrowserControlStandin_win.h"
#include "CIeBrowserUI/PortalUrl.h"
#include "Common/Text.h"
#include "GameLoaderWnd/OpenGameRequests_win.h"
#include "Log/Log.h"
#include "PortalPageWindow_win.h"
#include "common/win/ScopedHandles.h"

namespace {

constexpr int kBatch = 1000;  // below the thread's posted-message limit
constexpr int kBatches = 2;

long g_received = 0;
// The bridge's requests for the sink.  The bare post's copies are not kept
// there; they come marked with this lParam.
constexpr LPARAM kBarePost = 1;
OpenGameRequests g_sinkRequests;

LRESULT CALLBACK SinkProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_OPEN_GAME) {
        if (lParam == kBarePost)
            delete[] reinterpret_cast<char*>(wParam);
        else
            g_sinkRequests.Take(wParam);
        ++g_received;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Drain()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}

template <typename Call>
double MicrosecondsPerCall(Call&& call)
{
    g_received = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int batch = 0; batch < kBatches; ++batch) {
        for (int i = 0; i < kBatch; ++i)
            call();
        Drain();
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (g_received != kBatch * kBatches)
        std::printf("  (only %ld of %d messages arrived)\n", g_received, kBatch * kBatches);
    return std::chrono::duration<double, std::micro>(elapsed).count() / (kBatch * kBatches);
}

}  // namespace

int main()
{
    ScopedComInit com;
    browser_standin::ClassRegistration registration;
    if (!com.succeeded() || !registration.registered()) {
        std::printf("COM or the stand-in browser control is not available\n");
        return 1;
    }
    CWindowWnd::SetInstance(GetModuleHandleW(nullptr));
    CShadowUI::RegisterShadowWindowClass(GetModuleHandleW(nullptr));
    PortalPageWindow window;
    if (!window.Create(nullptr, L"Zelkmar", WS_POPUP, 0, 0, 960, 620) || !window.Browser()) {
        std::printf("the portal page window cannot be created\n");
        return 1;
    }
    WNDCLASSW sinkClass = {};
    sinkClass.lpfnWndProc = SinkProcedure;
    sinkClass.hInstance = GetModuleHandleW(nullptr);
    sinkClass.lpszClassName = L"ZelkBridgeBenchSink";
    RegisterClassW(&sinkClass);
    const HWND sink = CreateWindowW(sinkClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    sinkClass.hInstance, nullptr);
    g_sinkRequests.Attach(sink);
    CIeBrowserUI* browser = window.Browser();
    browser->m_hMainWnd = sink;
    browser_standin::Page::NavigateComplete(PortalBaseUrl() + L"?fileparam=");

    std::wstring request = L"{\"funcation_name\":\"open_game\",\"token\":\"fresh\",\"kvext\":\"";
    request += std::wstring(1024 - request.size() - 2, L'k') + L"\"}";
    const std::string narrow = WideToMultiByte(request, CP_ACP);

    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = SysAllocStringLen(request.data(), static_cast<UINT>(request.size()));
    DISPPARAMS params = {&argument, nullptr, 1, 0};
    IDispatch* external = nullptr;
    browser->GetExternal(&external);

    const auto bridge = [&] {
        VARIANT result;
        VariantInit(&result);
        external->Invoke(kCallCppFuncDispId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                         nullptr, nullptr);
        VariantClear(&result);
    };
    const auto bare = [&] {
        char* copy = new char[narrow.size() + 1];
        std::memcpy(copy, narrow.c_str(), narrow.size() + 1);
        if (!PostMessageW(sink, WM_OPEN_GAME, reinterpret_cast<WPARAM>(copy), kBarePost))
            delete[] copy;
    };
    // Warm both paths (first log line, heap, message queue).
    bridge();
    bare();
    Drain();

    std::printf("bridge call, %zu-byte open_game request, %d calls per side\n", narrow.size(),
                kBatch * kBatches);
    const double baseline = MicrosecondsPerCall(bare);
    const double measured = MicrosecondsPerCall(bridge);
    // The command's log line is part of every call; its share on its own.
    g_received = kBatch * kBatches;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kBatch * kBatches; ++i)
        LOG_CALL(0, L"open_game call");
    const double logLine =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() /
        (kBatch * kBatches);
    std::printf("  bare PostMessageW of the text copy   %8.2f us per call\n", baseline);
    std::printf("  Invoke g_callCppFunc to the message  %8.2f us per call  (%.1f x the baseline)\n", measured,
                measured / baseline);
    std::printf("  of which the command's log line       %8.2f us per call\n", logLine);

    // A request far beyond what any command needs.
    const std::wstring huge = L"{\"funcation_name\":\"min_wnd\",\"pad\":\"" + std::wstring(4 * 1024 * 1024, L'p') + L"\"}";
    VARIANT hugeArgument;
    VariantInit(&hugeArgument);
    hugeArgument.vt = VT_BSTR;
    hugeArgument.bstrVal = SysAllocStringLen(huge.data(), static_cast<UINT>(huge.size()));
    DISPPARAMS hugeParams = {&hugeArgument, nullptr, 1, 0};
    constexpr int kHugeCalls = 20;
    const auto hugeStart = std::chrono::steady_clock::now();
    for (int i = 0; i < kHugeCalls; ++i) {
        VARIANT result;
        VariantInit(&result);
        external->Invoke(kCallCppFuncDispId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &hugeParams, &result,
                         nullptr, nullptr);
        VariantClear(&result);
    }
    Drain();
    const double hugeCall =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - hugeStart).count() / kHugeCalls;
    std::printf("  Invoke with a 4 MiB request          %8.2f us per call  (%.1f x the baseline)\n", hugeCall,
                hugeCall / baseline);
    VariantClear(&hugeArgument);

    external->Release();
    VariantClear(&argument);
    DestroyWindow(sink);
    DestroyWindow(window.GetHWND());
    Drain();
    return 0;
}
