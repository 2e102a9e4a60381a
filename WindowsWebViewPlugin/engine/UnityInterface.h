#pragma once
// The part of the engine's native plug-in interface that the plug-in uses.
// Layouts and calling conventions must match the engine's binary exactly.
#include "engine/EngineCallbacks.h"

struct UnityInterfaceGUID {
    unsigned long long high;
    unsigned long long low;
};

struct IUnityInterfaces {
    void*(WEBVIEW_STDCALL* GetInterface)(UnityInterfaceGUID guid);
    void(WEBVIEW_STDCALL* RegisterInterface)(UnityInterfaceGUID guid, void* iface);
    void*(WEBVIEW_STDCALL* GetInterfaceSplit)(unsigned long long high, unsigned long long low);
    void(WEBVIEW_STDCALL* RegisterInterfaceSplit)(unsigned long long high, unsigned long long low, void* iface);
};

// The engine's Direct3D 11 graphics interface; only its first member is used.
// GetDevice answers an ID3D11Device* that the engine keeps its reference to.
struct IUnityGraphicsD3D11 {
    void*(WEBVIEW_STDCALL* GetDevice)();
};

constexpr UnityInterfaceGUID kUnityGraphicsD3D11Guid{0xAAB37EF87A87D748ULL, 0xBF76967F07EFB177ULL};

// The registry pointer handed to UnityPluginLoad; null before it.  Kept here
// rather than with the exports, so that the device calls below them can read
// it without reaching up.  Any thread.
IUnityInterfaces* unityInterfaces();
void setUnityInterfaces(IUnityInterfaces* interfaces);
