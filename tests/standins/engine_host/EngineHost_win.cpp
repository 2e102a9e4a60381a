#include "EngineHost_win.h"

#include <atomic>
#include <chrono>

namespace {

std::mutex callsMutex;
std::condition_variable callsChanged;
std::vector<HostCall> recorded;                 // guarded by callsMutex
std::function<void(const HostCall&)> observer;  // set before the plug-in runs

void recordCall(HostCall call) {
    call.thread = GetCurrentThreadId();
    if (observer) observer(call);
    {
        std::lock_guard<std::mutex> lock(callsMutex);
        recorded.push_back(std::move(call));
    }
    callsChanged.notify_all();
}

std::string text(const char* value) { return value ? value : "<null>"; }

void __stdcall onTerminated() { recordCall({"terminated", {}, 0, 0}); }
void __stdcall onInfo(const char* line) { recordCall({"info", {text(line)}, 0, 0}); }
void __stdcall onWarning(const char* line) { recordCall({"warning", {text(line)}, 0, 0}); }
void __stdcall onError(const char* line) { recordCall({"error", {text(line)}, 0, 0}); }
void __stdcall onMessage(const char* id, const char* type, const char* data) {
    recordCall({"message", {text(id), text(type), text(data)}, 0, 0});
}
void __stdcall onCookies(const char* id, const char* cookies) { recordCall({"cookies", {text(id), text(cookies)}, 0, 0}); }
void __stdcall onBool(const char* id, int success) { recordCall({"bool", {text(id)}, success, 0}); }

// The engine's Direct3D 11 interface; only GetDevice is used.
std::atomic<void*> currentDevice{nullptr};
void* __stdcall getDevice() { return currentDevice.load(); }
struct GraphicsD3D11Table {
    void*(__stdcall* GetDevice)();
} graphicsD3D11{getDevice};
constexpr unsigned long long kD3D11High = 0xAAB37EF87A87D748ULL;
constexpr unsigned long long kD3D11Low = 0xBF76967F07EFB177ULL;

// The engine's interface registry: the Direct3D 11 interface and nothing else.
void* __stdcall getInterface(unsigned long long high, unsigned long long low) {
    return high == kD3D11High && low == kD3D11Low ? &graphicsD3D11 : nullptr;
}
void __stdcall registerInterface(unsigned long long, unsigned long long, void*) {}
IUnityInterfacesTable interfaces{getInterface, registerInterface, getInterface, registerInterface};

}  // namespace

const std::vector<std::string>& EngineHost::exportNames() {
    static const std::vector<std::string> names = {
        "UnityPluginLoad",
        "UnityPluginUnload",
        "_WebView_initializePlugin@28",
        "_WebView_new@20",
        "_WebView_destroy@4",
        "_WebView_browserProcessIsRunning@0",
        "_WebView_terminateBrowserProcess@0",
        "_WebView_getCookies@12",
        "_WebView_deleteCookies@12",
        "_WebView_setCookie@8",
        "_WebView_enableRemoteDebugging@4",
        "_WebView_globallySetUserAgent@4",
        "_WebView_globallySetUserAgentToMobile@4",
        "_WebView_setAutoplayEnabled@4",
        "_WebView_setCachePath@4",
        "_WebView_setCameraAndMicrophoneEnabled@4",
        "_WebView_setChromiumLogLevel@4",
        "_WebView_setCommandLineArguments@4",
        "_WebView_setIgnoreCertificateErrors@4",
        "_WebView_setScreenSharingEnabled@4",
        "_WebView_setTargetFrameRate@8",
        "_WebView_cancelAuth@4",
        "_WebView_cancelFileSelection@4",
        "_WebView_canGoBack@4",
        "_WebView_canGoForward@4",
        "_WebView_copy@4",
        "_WebView_cut@4",
        "_WebView_goBack@4",
        "_WebView_goForward@4",
        "_WebView_paste@4",
        "_WebView_reload@4",
        "_WebView_selectAll@4",
        "_WebView_stopLoad@4",
        "_WebView_zoomIn@4",
        "_WebView_zoomOut@4",
        "_WebView_click@12",
        "_WebView_movePointer@12",
        "_WebView_scroll@12",
        "_WebView_pointerDown@20",
        "_WebView_pointerUp@20",
        "_WebView_scrollAtPoint@20",
        "_WebView_sendTouchEvent@36",
        "_WebView_keyDown@12",
        "_WebView_keyUp@12",
        "_WebView_sendKey@8",
        "_WebView_loadUrl@8",
        "_WebView_loadHtml@8",
        "_WebView_loadUrlWithHeaders@12",
        "_WebView_executeJavaScript@12",
        "_WebView_continueAuth@12",
        "_WebView_continueFileSelection@8",
        "_WebView_setAudioMuted@8",
        "_WebView_setAuthEnabled@8",
        "_WebView_setConsoleMessageEventsEnabled@8",
        "_WebView_setCursorTypeEventsEnabled@8",
        "_WebView_setFileSelectionEnabled@8",
        "_WebView_setFocused@8",
        "_WebView_setFocusedInputFieldEventsEnabled@8",
        "_WebView_setNativeFileDialogEnabled@8",
        "_WebView_setNativeScriptDialogEnabled@8",
        "_WebView_setRenderingEnabled@8",
        "_WebView_setPopupMode@8",
        "_WebView_setZoomLevel@8",
        "_WebView_setDownloadsEnabled@8",
        "_WebView_resizeWithPixelDensity@16",
        "_WebView_getRenderFunction@0",
        "_WebView_depositPointer@4",
        "_WebView_removePointer@4",
        "_WebView_destroyTexture@8",
    };
    return names;
}

EngineHost::EngineHost(const std::wstring& dllPath) : module(LoadLibraryW(dllPath.c_str())) {
    renderThread = std::thread([this] { renderLoop(); });
    {
        std::unique_lock<std::mutex> lock(renderMutex);
        renderChanged.wait(lock, [this] { return renderThreadIdentifier != 0; });
    }
    if (!module) return;
    const auto bind = [this](auto& pointer, const char* name) {
        FARPROC address = GetProcAddress(module, name);
        if (!address) missing.push_back(name);
        pointer = reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(reinterpret_cast<void*>(address));
    };
    const auto& n = exportNames();
    bind(UnityPluginLoad, n[0].c_str());
    bind(UnityPluginUnload, n[1].c_str());
    bind(initializePlugin, n[2].c_str());
    bind(newWebView, n[3].c_str());
    bind(destroy, n[4].c_str());
    bind(browserProcessIsRunning, n[5].c_str());
    bind(terminateBrowserProcess, n[6].c_str());
    bind(getCookies, n[7].c_str());
    bind(deleteCookies, n[8].c_str());
    bind(setCookie, n[9].c_str());
    bind(enableRemoteDebugging, n[10].c_str());
    bind(globallySetUserAgent, n[11].c_str());
    bind(globallySetUserAgentToMobile, n[12].c_str());
    bind(setAutoplayEnabled, n[13].c_str());
    bind(setCachePath, n[14].c_str());
    bind(setCameraAndMicrophoneEnabled, n[15].c_str());
    bind(setChromiumLogLevel, n[16].c_str());
    bind(setCommandLineArguments, n[17].c_str());
    bind(setIgnoreCertificateErrors, n[18].c_str());
    bind(setScreenSharingEnabled, n[19].c_str());
    bind(setTargetFrameRate, n[20].c_str());
    bind(cancelAuth, n[21].c_str());
    bind(cancelFileSelection, n[22].c_str());
    bind(canGoBack, n[23].c_str());
    bind(canGoForward, n[24].c_str());
    bind(copy, n[25].c_str());
    bind(cut, n[26].c_str());
    bind(goBack, n[27].c_str());
    bind(goForward, n[28].c_str());
    bind(paste, n[29].c_str());
    bind(reload, n[30].c_str());
    bind(selectAll, n[31].c_str());
    bind(stopLoad, n[32].c_str());
    bind(zoomIn, n[33].c_str());
    bind(zoomOut, n[34].c_str());
    bind(click, n[35].c_str());
    bind(movePointer, n[36].c_str());
    bind(scroll, n[37].c_str());
    bind(pointerDown, n[38].c_str());
    bind(pointerUp, n[39].c_str());
    bind(scrollAtPoint, n[40].c_str());
    bind(sendTouchEvent, n[41].c_str());
    bind(keyDown, n[42].c_str());
    bind(keyUp, n[43].c_str());
    bind(sendKey, n[44].c_str());
    bind(loadUrl, n[45].c_str());
    bind(loadHtml, n[46].c_str());
    bind(loadUrlWithHeaders, n[47].c_str());
    bind(executeJavaScript, n[48].c_str());
    bind(continueAuth, n[49].c_str());
    bind(continueFileSelection, n[50].c_str());
    bind(setAudioMuted, n[51].c_str());
    bind(setAuthEnabled, n[52].c_str());
    bind(setConsoleMessageEventsEnabled, n[53].c_str());
    bind(setCursorTypeEventsEnabled, n[54].c_str());
    bind(setFileSelectionEnabled, n[55].c_str());
    bind(setFocused, n[56].c_str());
    bind(setFocusedInputFieldEventsEnabled, n[57].c_str());
    bind(setNativeFileDialogEnabled, n[58].c_str());
    bind(setNativeScriptDialogEnabled, n[59].c_str());
    bind(setRenderingEnabled, n[60].c_str());
    bind(setPopupMode, n[61].c_str());
    bind(setZoomLevel, n[62].c_str());
    bind(setDownloadsEnabled, n[63].c_str());
    bind(resizeWithPixelDensity, n[64].c_str());
    bind(getRenderFunction, n[65].c_str());
    bind(depositPointer, n[66].c_str());
    bind(removePointer, n[67].c_str());
    bind(destroyTexture, n[68].c_str());
}

void EngineHost::unload() {
    if (!module) return;
    UnityPluginUnload();
    FreeLibrary(module);
    module = nullptr;
}

EngineHost::~EngineHost() {
    {
        std::lock_guard<std::mutex> lock(renderMutex);
        renderStopping = true;
    }
    renderChanged.notify_all();
    renderThread.join();
}

void EngineHost::renderLoop() {
    {
        std::lock_guard<std::mutex> lock(renderMutex);
        renderThreadIdentifier = GetCurrentThreadId();
    }
    renderChanged.notify_all();
    for (;;) {
        int32_t eventId = 0;
        {
            std::unique_lock<std::mutex> lock(renderMutex);
            renderChanged.wait(lock, [this] { return renderStopping || !renderQueue.empty(); });
            if (renderQueue.empty()) return;
            eventId = renderQueue.front();
            renderQueue.pop_front();
        }
        // As the engine does: the function is asked for, then called.
        getRenderFunction()(eventId);
        {
            std::lock_guard<std::mutex> lock(renderMutex);
            ++renderDone;
        }
        renderChanged.notify_all();
    }
}

void EngineHost::queueRenderEvent(int32_t eventId) {
    {
        std::lock_guard<std::mutex> lock(renderMutex);
        renderQueue.push_back(eventId);
        ++renderIssued;
    }
    renderChanged.notify_all();
}

void EngineHost::flushRenderEvents() {
    std::unique_lock<std::mutex> lock(renderMutex);
    renderChanged.wait(lock, [this] { return renderDone == renderIssued; });
}

void EngineHost::renderEvent(int32_t eventId) {
    queueRenderEvent(eventId);
    flushRenderEvents();
}

void EngineHost::setDevice(void* device) { currentDevice = device; }

void* EngineHost::createHardwareDevice(long* result) {
    ID3D11Device* device = nullptr;
    const HRESULT created = D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0,
                                              D3D11_SDK_VERSION, &device, nullptr, nullptr);
    if (result) *result = created;
    return SUCCEEDED(created) ? device : nullptr;
}

void* EngineHost::textureViewAt(const std::string& text) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(static_cast<uint32_t>(std::stoull(text))));
}

D3D11_TEXTURE2D_DESC EngineHost::describeTexture(void* view) {
    D3D11_TEXTURE2D_DESC description{};
    ID3D11Resource* resource = nullptr;
    static_cast<ID3D11ShaderResourceView*>(view)->GetResource(&resource);
    ID3D11Texture2D* texture = nullptr;
    if (resource && SUCCEEDED(resource->QueryInterface(__uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&texture)))) {
        texture->GetDesc(&description);
        texture->Release();
    }
    if (resource) resource->Release();
    return description;
}

void EngineHost::initialize() {
    UnityPluginLoad(&interfaces);
    initializePlugin(reinterpret_cast<void*>(&onTerminated), reinterpret_cast<void*>(&onInfo),
                     reinterpret_cast<void*>(&onWarning), reinterpret_cast<void*>(&onError),
                     reinterpret_cast<void*>(&onMessage), reinterpret_cast<void*>(&onCookies),
                     reinterpret_cast<void*>(&onBool));
}

std::vector<HostCall> EngineHost::calls() {
    std::lock_guard<std::mutex> lock(callsMutex);
    return recorded;
}

std::vector<HostCall> EngineHost::callsOf(const std::string& callback) {
    std::vector<HostCall> result;
    for (auto& call : calls())
        if (call.callback == callback) result.push_back(call);
    return result;
}

void EngineHost::clearCalls() {
    std::lock_guard<std::mutex> lock(callsMutex);
    recorded.clear();
}

bool EngineHost::waitFor(const std::function<bool(const std::vector<HostCall>&)>& predicate, DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(callsMutex);
    return callsChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return predicate(recorded); });
}

void EngineHost::setObserver(std::function<void(const HostCall&)> newObserver) { observer = std::move(newObserver); }
