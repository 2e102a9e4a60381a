#pragma once
// The engine's side of the plug-in: binds the exports by the names the
// engine uses and records every callback with the thread that made it.
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
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
    bool loaded() const { return module != nullptr; }
    // Names that GetProcAddress did not find; empty when all are bound.
    const std::vector<std::string>& missingExports() const { return missing; }

    // Calls UnityPluginLoad with the interface registry and initialises the
    // plug-in with the recording callbacks.
    void initialize();

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

    // The recorded callbacks (shared by every host in the process).
    static std::vector<HostCall> calls();
    static std::vector<HostCall> callsOf(const std::string& callback);
    static void clearCalls();
    static bool waitFor(const std::function<bool(const std::vector<HostCall>&)>& predicate, DWORD timeoutMs = 20000);
    // Called with every call as it is recorded (on the plug-in's thread).
    static void setObserver(std::function<void(const HostCall&)> observer);

private:
    HMODULE module = nullptr;
    std::vector<std::string> missing;
};
