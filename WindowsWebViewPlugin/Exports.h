#pragma once
// The flat interface that the engine binds.  On 32-bit Windows every function
// is standard-call and exported under the engine's decorated name (see
// TelvioWebViewWindows.def).
#include <cstdint>

#include "EngineCallbacks.h"
#include "UnityInterface.h"

#define WEBVIEW_EXPORT extern "C"

WEBVIEW_EXPORT void WEBVIEW_STDCALL UnityPluginLoad(IUnityInterfaces* interfaces);
WEBVIEW_EXPORT void WEBVIEW_STDCALL UnityPluginUnload();

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_initializePlugin(
    BrowserProcessTerminatedCallback terminated, LogCallback info, LogCallback warning, LogCallback error,
    WebViewMessageCallback webViewMessage, CookiesResultCallback cookiesResult, BoolResultCallback boolResult);
WEBVIEW_EXPORT void* WEBVIEW_STDCALL WebView_new(const char* webViewId, int32_t width, int32_t height,
                                                 float pixelDensity, const char* popupId);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_destroy(void* handle);
WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_browserProcessIsRunning();
WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_terminateBrowserProcess();

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_getCookies(const char* url, const char* cookieName,
                                                       const char* resultCallbackId);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_deleteCookies(const char* url, const char* cookieName,
                                                          const char* resultCallbackId);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setCookie(const char* serializedCookie, const char* resultCallbackId);

WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_enableRemoteDebugging(int32_t port);
WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_globallySetUserAgent(const char* userAgent);
WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_globallySetUserAgentToMobile(bool mobile);
WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setAutoplayEnabled(bool enabled);
WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setCachePath(const char* path);
WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setCameraAndMicrophoneEnabled(bool enabled);
WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setChromiumLogLevel(int32_t level);
WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setCommandLineArguments(const char* arguments);
WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setIgnoreCertificateErrors(bool ignore);
WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setScreenSharingEnabled(bool enabled);
WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setTargetFrameRate(uint64_t framesPerSecond);

// The registry pointer handed to UnityPluginLoad.
IUnityInterfaces* unityInterfaces();
