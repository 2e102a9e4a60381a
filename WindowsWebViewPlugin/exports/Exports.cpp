#include "exports/Exports.h"

#include <exception>
#include <string>

#include "bridge/BrowserOptions.h"
#include "bridge/PluginToChromiumBridge.h"
#include "exports/ExportGuard.h"
#include "webview/ChromiumWebViewProxy.h"
#include "webview/CommandSending.h"
#include "webview/Plugin.h"
#include "webview/WebViewRegistry.h"

namespace {

std::string text(const char* value) { return value ? std::string(value) : std::string(); }

// Every option setter: refused while a browser process runs.
template <typename Store>
bool setOption(const char* exportName, Store store) noexcept {
    return guarded(exportName, false, [&] { return setBrowserOptionsWhileStopped(store); });
}

// Not copied: the engine's text lives until the command has been serialised
// within the same call.
void addText(rapidjson::Document& command, const char* name, const char* value) {
    command.AddMember(rapidjson::StringRef(name), rapidjson::StringRef(value ? value : ""), command.GetAllocator());
}

rapidjson::Document cookieCommand(CommandType type) {
    rapidjson::Document command;
    command.SetObject();
    command.AddMember("type", static_cast<int>(type), command.GetAllocator());
    return command;
}

}  // namespace

WEBVIEW_EXPORT void WEBVIEW_STDCALL UnityPluginLoad(IUnityInterfaces* interfaces) { setUnityInterfaces(interfaces); }

// Nothing to do, and nothing may wait here: once a browser process has been
// started the module is pinned, so the library stays loaded while the
// bridge's, heartbeat and watchdog threads may run, and the job that holds
// the browser process ends it with the game.
WEBVIEW_EXPORT void WEBVIEW_STDCALL UnityPluginUnload() {}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_initializePlugin(
    BrowserProcessTerminatedCallback terminated, LogCallback info, LogCallback warning, LogCallback error,
    WebViewMessageCallback webViewMessage, CookiesResultCallback cookiesResult, BoolResultCallback boolResult) {
    guardedVoid("WebView_initializePlugin", [&] {
        EngineCallbacks& callbacks = engineCallbacks();
        callbacks.browserProcessTerminated = terminated;
        callbacks.logInfo = info;
        callbacks.logWarning = warning;
        callbacks.logError = error;
        callbacks.webViewMessage = webViewMessage;
        callbacks.cookiesResult = cookiesResult;
        callbacks.boolResult = boolResult;
        logInfo(std::string("Using Telvio Panelight for ") + "Windows" + " " + "v4.2");
        resetPlugin(true);
    });
}

WEBVIEW_EXPORT void* WEBVIEW_STDCALL WebView_new(const char* webViewId, int32_t width, int32_t height,
                                                 float pixelDensity, const char* popupId) {
    try {
        auto* record = new WindowsChromiumWebViewProxy(text(webViewId), width, height, pixelDensity, text(popupId));
        webViewRegistry().insert(record->webViewId, record);
        return record;
    } catch (const std::exception& exception) {
        const std::string message = exception.what();
        logError("[WebView_new] An exception occurred while creating a new webview: " +
                 (message.empty() ? std::string("Unknown exception") : message));
    } catch (...) {
        logError("[WebView_new] An exception occurred while creating a new webview: Unknown exception");
    }
    return nullptr;
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_destroy(void* handle) {
    guardedVoid("WebView_destroy", [&] {
        auto* record = static_cast<ChromiumWebViewProxy*>(handle);
        if (!record) return;
        sendCommand(record->newCommand(Destroy));
        webViewRegistry().remove(record->webViewId);
        // Freed now, or by the pipe server thread once the message it is
        // handling for this record is done.
        record->release();
    });
}

WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_browserProcessIsRunning() {
    return guarded("WebView_browserProcessIsRunning", false, [] { return bridgeInstance() != nullptr; });
}

WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_terminateBrowserProcess() {
    return guarded("WebView_terminateBrowserProcess", false, [] {
        const auto bridge = bridgeInstance();
        if (!bridge) return false;
        bridge->terminate();
        EngineCallbacks& callbacks = engineCallbacks();
        callbacks.logInfo = nullptr;
        callbacks.logWarning = nullptr;
        callbacks.logError = nullptr;
        return true;
    });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_getCookies(const char* url, const char* cookieName,
                                                       const char* resultCallbackId) {
    guardedVoid("WebView_getCookies", [&] {
        rapidjson::Document command = cookieCommand(GetCookies);
        addText(command, "url", url);
        addText(command, "cookieName", cookieName);
        addText(command, "resultCallbackId", resultCallbackId);
        sendCommandStartingBrowser(command);
    });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_deleteCookies(const char* url, const char* cookieName,
                                                          const char* resultCallbackId) {
    guardedVoid("WebView_deleteCookies", [&] {
        rapidjson::Document command = cookieCommand(DeleteCookies);
        addText(command, "url", url);
        addText(command, "cookieName", cookieName);
        addText(command, "resultCallbackId", resultCallbackId);
        sendCommandStartingBrowser(command);
    });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setCookie(const char* serializedCookie, const char* resultCallbackId) {
    guardedVoid("WebView_setCookie", [&] {
        rapidjson::Document command = cookieCommand(SetCookie);
        addText(command, "serializedCookie", serializedCookie);
        addText(command, "resultCallbackId", resultCallbackId);
        sendCommandStartingBrowser(command);
    });
}

WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_enableRemoteDebugging(int32_t port) {
    return setOption("WebView_enableRemoteDebugging", [&](BrowserOptions& o) { o.remoteDebuggingPort = port; });
}

WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_globallySetUserAgent(const char* userAgent) {
    return setOption("WebView_globallySetUserAgent", [&](BrowserOptions& o) { o.userAgent = text(userAgent); });
}

WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_globallySetUserAgentToMobile(bool mobile) {
    return setOption("WebView_globallySetUserAgentToMobile",
                     [&](BrowserOptions& o) { o.userAgent = mobile ? mobileUserAgent() : std::string(); });
}

WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setAutoplayEnabled(bool enabled) {
    return setOption("WebView_setAutoplayEnabled", [&](BrowserOptions& o) { o.autoplayEnabled = enabled; });
}

WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setCachePath(const char* path) {
    return setOption("WebView_setCachePath", [&](BrowserOptions& o) { o.cachePath = text(path); });
}

WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setCameraAndMicrophoneEnabled(bool enabled) {
    return setOption("WebView_setCameraAndMicrophoneEnabled",
                     [&](BrowserOptions& o) { o.cameraAndMicrophoneEnabled = enabled; });
}

WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setChromiumLogLevel(int32_t level) {
    return setOption("WebView_setChromiumLogLevel",
                     [&](BrowserOptions& o) { o.logSeverity = logSeverityForLevel(level); });
}

WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setCommandLineArguments(const char* arguments) {
    return setOption("WebView_setCommandLineArguments",
                     [&](BrowserOptions& o) { o.commandLineArguments = text(arguments); });
}

WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setIgnoreCertificateErrors(bool ignore) {
    return setOption("WebView_setIgnoreCertificateErrors",
                     [&](BrowserOptions& o) { o.ignoreCertificateErrors = ignore; });
}

WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setScreenSharingEnabled(bool enabled) {
    return setOption("WebView_setScreenSharingEnabled", [&](BrowserOptions& o) { o.screenSharingEnabled = enabled; });
}

WEBVIEW_EXPORT bool WEBVIEW_STDCALL WebView_setTargetFrameRate(uint64_t framesPerSecond) {
    return setOption("WebView_setTargetFrameRate",
                     [&](BrowserOptions& o) { o.targetFrameRate = framesPerSecond; });
}
