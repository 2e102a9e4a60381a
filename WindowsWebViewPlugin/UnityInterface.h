#pragma once
// The part of the engine's native plug-in interface that the plug-in uses.
// Layouts and calling conventions must match the engine's binary exactly.
#include "EngineCallbacks.h"

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
