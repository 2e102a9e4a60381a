#pragma once
// The engine's seven callbacks and the plug-in's log path into the engine.
// Texts handed to a callback are NUL-terminated UTF-8, valid during the call.
#include <atomic>
#include <exception>
#include <string>

#ifdef _WIN32
#define WEBVIEW_STDCALL __stdcall
#else
#define WEBVIEW_STDCALL
#endif

using BrowserProcessTerminatedCallback = void(WEBVIEW_STDCALL*)();
using LogCallback = void(WEBVIEW_STDCALL*)(const char* text);
using WebViewMessageCallback = void(WEBVIEW_STDCALL*)(const char* webViewId, const char* type,
                                                      const char* data);
using CookiesResultCallback = void(WEBVIEW_STDCALL*)(const char* resultCallbackId,
                                                     const char* serializedCookies);
using BoolResultCallback = void(WEBVIEW_STDCALL*)(const char* resultCallbackId, int success);

// Set by WebView_initializePlugin on the engine's thread, read on every
// thread that reports something; atomics, so no lock is ever held around a
// callback.  An empty slot is never called.
struct EngineCallbacks {
    std::atomic<BrowserProcessTerminatedCallback> browserProcessTerminated{nullptr};
    std::atomic<LogCallback> logInfo{nullptr};
    std::atomic<LogCallback> logWarning{nullptr};
    std::atomic<LogCallback> logError{nullptr};
    std::atomic<WebViewMessageCallback> webViewMessage{nullptr};
    std::atomic<CookiesResultCallback> cookiesResult{nullptr};
    std::atomic<BoolResultCallback> boolResult{nullptr};
};

EngineCallbacks& engineCallbacks();

void logInfo(const std::string& text);
void logWarning(const std::string& text);
void logError(const std::string& text);

// Runs `body` and logs as an error whatever escapes it, `where` first, so
// that a thread entry or a cleanup step ends with a log line instead of
// ending the process.  The log call itself may throw (no memory): that is
// swallowed too.
template <typename Body>
void logFailures(const char* where, Body body) noexcept {
    try {
        body();
    } catch (const std::exception& exception) {
        try {
            logError(std::string(where) + exception.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            logError(std::string(where) + "unknown exception");
        } catch (...) {
        }
    }
}
