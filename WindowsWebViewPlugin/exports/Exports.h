#pragma once
// The flat interface that the engine binds.  On 32-bit Windows every function
// is standard-call and exported under the engine's decorated name (see
// TelvioWebViewWindows.def).
#include <cstdint>

#include "engine/EngineCallbacks.h"
#include "engine/UnityInterface.h"

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

// Per-webview commands.  "handle" is the record returned by WebView_new; a
// null handle does nothing.  Each call becomes one command for the browser
// process, dropped while none runs; none of them waits for an answer.
//
// Booleans arrive in a 32-bit argument slot of which only the low byte is
// set by the engine (the upper bytes may hold anything), so they are taken
// as the whole slot and only that byte is read.
using WebViewBool = int32_t;

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_cancelAuth(void* handle);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_cancelFileSelection(void* handle);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_canGoBack(void* handle);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_canGoForward(void* handle);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_copy(void* handle);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_cut(void* handle);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_goBack(void* handle);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_goForward(void* handle);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_paste(void* handle);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_reload(void* handle);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_selectAll(void* handle);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_stopLoad(void* handle);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_zoomIn(void* handle);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_zoomOut(void* handle);

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_click(void* handle, int32_t x, int32_t y);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_movePointer(void* handle, int32_t x, int32_t y);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_scroll(void* handle, int32_t x, int32_t y);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_pointerDown(void* handle, int32_t x, int32_t y, int32_t mouseButton,
                                                        int32_t clickCount);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_pointerUp(void* handle, int32_t x, int32_t y, int32_t mouseButton,
                                                      int32_t clickCount);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_scrollAtPoint(void* handle, int32_t deltaX, int32_t deltaY,
                                                          int32_t mouseX, int32_t mouseY);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_sendTouchEvent(void* handle, int32_t id, int32_t touchEventType,
                                                           float pointX, float pointY, float radiusX, float radiusY,
                                                           float rotationAngle, float pressure);

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_keyDown(void* handle, const char* key, int32_t modifiers);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_keyUp(void* handle, const char* key, int32_t modifiers);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_sendKey(void* handle, const char* key);

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_loadUrl(void* handle, const char* url);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_loadHtml(void* handle, const char* html);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_loadUrlWithHeaders(void* handle, const char* url, const char* headers);
// A null resultCallbackId runs the script without an answer (command 12);
// any other, even an empty text, asks for its result (command 13).
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_executeJavaScript(void* handle, const char* javaScript,
                                                              const char* resultCallbackId);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_continueAuth(void* handle, const char* username, const char* password);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_continueFileSelection(void* handle, const char* serializedFilePaths);

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setAudioMuted(void* handle, WebViewBool muted);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setAuthEnabled(void* handle, WebViewBool enabled);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setConsoleMessageEventsEnabled(void* handle, WebViewBool enabled);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setCursorTypeEventsEnabled(void* handle, WebViewBool enabled);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setFileSelectionEnabled(void* handle, WebViewBool enabled);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setFocused(void* handle, WebViewBool focused);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setFocusedInputFieldEventsEnabled(void* handle, WebViewBool enabled);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setNativeFileDialogEnabled(void* handle, WebViewBool enabled);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setNativeScriptDialogEnabled(void* handle, WebViewBool enabled);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setRenderingEnabled(void* handle, WebViewBool enabled);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setPopupMode(void* handle, int32_t mode);
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setZoomLevel(void* handle, float zoomLevel);
// Through the record, which writes the path the platform's way.
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setDownloadsEnabled(void* handle, const char* downloadsDirectoryPath);
// Only stores the new size; the next render event sends it.
WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_resizeWithPixelDensity(void* handle, int32_t width, int32_t height,
                                                                   float pixelDensity);
