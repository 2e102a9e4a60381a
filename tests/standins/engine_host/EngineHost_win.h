#pragma once
// The engine's side of the plug-in: binds the exports by the names the
// engine uses and records every callback with the thread that made it.
#include <windows.h>

#include <d3d11.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct HostCall {
    std::string callback;  // terminated, info, warning, error, message, cookies, bool
    std::vector<std::string> texts;
    int number = 0;
    DWORD thread = 0;
};

struct IUnityInterfacesTable {
    void*(__stdcall* GetInterface)(unsigned long long high, unsigned long long low);  // GUID passed by value
    void(__stdcall* RegisterInterface)(unsigned long long high, unsigned long long low, void* iface);
    void*(__stdcall* GetInterfaceSplit)(unsigned long long high, unsigned long long low);
    void(__stdcall* RegisterInterfaceSplit)(unsigned long long high, unsigned long long low, void* iface);
};

class EngineHost {
public:
    // Every name the engine binds, as it binds them.
    static const std::vector<std::string>& exportNames();

    explicit EngineHost(const std::wstring& dllPath);
    ~EngineHost();
    EngineHost(const EngineHost&) = delete;
    EngineHost& operator=(const EngineHost&) = delete;
    bool loaded() const { return module != nullptr; }
    // Names that GetProcAddress did not find; empty when all are bound.
    const std::vector<std::string>& missingExports() const { return missing; }

    // Calls UnityPluginLoad with the interface registry and initialises the
    // plug-in with the recording callbacks.
    void initialize();

    // As the engine unloads a plug-in: UnityPluginUnload, then FreeLibrary.
    // The exports are not to be called afterwards.
    void unload();

    void (__stdcall* UnityPluginLoad)(IUnityInterfacesTable*) = nullptr;
    void (__stdcall* UnityPluginUnload)() = nullptr;
    void (__stdcall* initializePlugin)(void*, void*, void*, void*, void*, void*, void*) = nullptr;
    void*(__stdcall* newWebView)(const char*, int32_t, int32_t, float, const char*) = nullptr;
    void (__stdcall* destroy)(void*) = nullptr;
    bool (__stdcall* browserProcessIsRunning)() = nullptr;
    bool (__stdcall* terminateBrowserProcess)() = nullptr;
    void (__stdcall* getCookies)(const char*, const char*, const char*) = nullptr;
    void (__stdcall* deleteCookies)(const char*, const char*, const char*) = nullptr;
    void (__stdcall* setCookie)(const char*, const char*) = nullptr;
    bool (__stdcall* enableRemoteDebugging)(int32_t) = nullptr;
    bool (__stdcall* globallySetUserAgent)(const char*) = nullptr;
    bool (__stdcall* globallySetUserAgentToMobile)(bool) = nullptr;
    bool (__stdcall* setAutoplayEnabled)(bool) = nullptr;
    bool (__stdcall* setCachePath)(const char*) = nullptr;
    bool (__stdcall* setCameraAndMicrophoneEnabled)(bool) = nullptr;
    bool (__stdcall* setChromiumLogLevel)(int32_t) = nullptr;
    bool (__stdcall* setCommandLineArguments)(const char*) = nullptr;
    bool (__stdcall* setIgnoreCertificateErrors)(bool) = nullptr;
    bool (__stdcall* setScreenSharingEnabled)(bool) = nullptr;
    bool (__stdcall* setTargetFrameRate)(uint64_t) = nullptr;
    // Per-webview commands.  Booleans go as the whole 32-bit argument slot, so
    // that a test can set bytes above the low one.
    void (__stdcall* cancelAuth)(void*) = nullptr;
    void (__stdcall* cancelFileSelection)(void*) = nullptr;
    void (__stdcall* canGoBack)(void*) = nullptr;
    void (__stdcall* canGoForward)(void*) = nullptr;
    void (__stdcall* copy)(void*) = nullptr;
    void (__stdcall* cut)(void*) = nullptr;
    void (__stdcall* goBack)(void*) = nullptr;
    void (__stdcall* goForward)(void*) = nullptr;
    void (__stdcall* paste)(void*) = nullptr;
    void (__stdcall* reload)(void*) = nullptr;
    void (__stdcall* selectAll)(void*) = nullptr;
    void (__stdcall* stopLoad)(void*) = nullptr;
    void (__stdcall* zoomIn)(void*) = nullptr;
    void (__stdcall* zoomOut)(void*) = nullptr;
    void (__stdcall* click)(void*, int32_t, int32_t) = nullptr;
    void (__stdcall* movePointer)(void*, int32_t, int32_t) = nullptr;
    void (__stdcall* scroll)(void*, int32_t, int32_t) = nullptr;
    void (__stdcall* pointerDown)(void*, int32_t, int32_t, int32_t, int32_t) = nullptr;
    void (__stdcall* pointerUp)(void*, int32_t, int32_t, int32_t, int32_t) = nullptr;
    void (__stdcall* scrollAtPoint)(void*, int32_t, int32_t, int32_t, int32_t) = nullptr;
    void (__stdcall* sendTouchEvent)(void*, int32_t, int32_t, float, float, float, float, float, float) = nullptr;
    void (__stdcall* keyDown)(void*, const char*, int32_t) = nullptr;
    void (__stdcall* keyUp)(void*, const char*, int32_t) = nullptr;
    void (__stdcall* sendKey)(void*, const char*) = nullptr;
    void (__stdcall* loadUrl)(void*, const char*) = nullptr;
    void (__stdcall* loadHtml)(void*, const char*) = nullptr;
    void (__stdcall* loadUrlWithHeaders)(void*, const char*, const char*) = nullptr;
    void (__stdcall* executeJavaScript)(void*, const char*, const char*) = nullptr;
    void (__stdcall* continueAuth)(void*, const char*, const char*) = nullptr;
    void (__stdcall* continueFileSelection)(void*, const char*) = nullptr;
    void (__stdcall* setAudioMuted)(void*, uint32_t) = nullptr;
    void (__stdcall* setAuthEnabled)(void*, uint32_t) = nullptr;
    void (__stdcall* setConsoleMessageEventsEnabled)(void*, uint32_t) = nullptr;
    void (__stdcall* setCursorTypeEventsEnabled)(void*, uint32_t) = nullptr;
    void (__stdcall* setFileSelectionEnabled)(void*, uint32_t) = nullptr;
    void (__stdcall* setFocused)(void*, uint32_t) = nullptr;
    void (__stdcall* setFocusedInputFieldEventsEnabled)(void*, uint32_t) = nullptr;
    void (__stdcall* setNativeFileDialogEnabled)(void*, uint32_t) = nullptr;
    void (__stdcall* setNativeScriptDialogEnabled)(void*, uint32_t) = nullptr;
    void (__stdcall* setRenderingEnabled)(void*, uint32_t) = nullptr;
    void (__stdcall* setPopupMode)(void*, int32_t) = nullptr;
    void (__stdcall* setZoomLevel)(void*, float) = nullptr;
    void (__stdcall* setDownloadsEnabled)(void*, const char*) = nullptr;
    void (__stdcall* resizeWithPixelDensity)(void*, int32_t, int32_t, float) = nullptr;

    using RenderEventFunction = void(__stdcall*)(int32_t);
    RenderEventFunction(__stdcall* getRenderFunction)() = nullptr;
    int32_t(__stdcall* depositPointer)(void*) = nullptr;
    void(__stdcall* removePointer)(void*) = nullptr;
    void(__stdcall* destroyTexture)(void*, int32_t) = nullptr;

    // The engine's render thread: the plug-in's render function is called
    // there, in the order the events were issued.  renderEvent waits until
    // the event has run; queueRenderEvent does not, flushRenderEvents waits
    // for everything queued.
    void renderEvent(int32_t eventId);
    void queueRenderEvent(int32_t eventId);
    void flushRenderEvents();
    DWORD renderThreadId() const { return renderThreadIdentifier; }

    // The device the engine's Direct3D 11 interface hands out; null means
    // none.  The host does not own it.
    static void setDevice(void* device);
    // A Direct3D 11 device as the engine makes one (hardware driver type),
    // or null with the failure code in `result`.
    static void* createHardwareDevice(long* result = nullptr);
    // The view a "HandleTextureChanged" message names, read from its text as
    // the engine reads it (the low 32 bits of the number).
    static void* textureViewAt(const std::string& text);
    // The description of the texture behind a view; all zero when the view
    // has no 2D texture.
    static D3D11_TEXTURE2D_DESC describeTexture(void* view);

    // The recorded callbacks (shared by every host in the process).
    static std::vector<HostCall> calls();
    static std::vector<HostCall> callsOf(const std::string& callback);
    static void clearCalls();
    static bool waitFor(const std::function<bool(const std::vector<HostCall>&)>& predicate, DWORD timeoutMs = 20000);
    // Called with every call as it is recorded (on the plug-in's thread).
    static void setObserver(std::function<void(const HostCall&)> observer);

private:
    void renderLoop();

    HMODULE module = nullptr;
    std::vector<std::string> missing;

    std::mutex renderMutex;
    std::condition_variable renderChanged;
    std::deque<int32_t> renderQueue;  // guarded by renderMutex
    size_t renderIssued = 0;          // guarded by renderMutex
    size_t renderDone = 0;            // guarded by renderMutex
    bool renderStopping = false;      // guarded by renderMutex
    DWORD renderThreadIdentifier = 0;
    std::thread renderThread;
};
