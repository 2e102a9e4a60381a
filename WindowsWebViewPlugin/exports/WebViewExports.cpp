// The per-webview command exports: each call builds one command on the
// engine's calling thread and hands it to sendCommand, which drops it while
// no browser process runs.
#include <cmath>
#include <stdexcept>
#include <string>

#include "exports/ExportGuard.h"
#include "exports/Exports.h"
#include "webview/ChromiumWebViewProxy.h"
#include "webview/CommandSending.h"

namespace {

// Texts are referenced, not copied: the engine's text lives until the
// command has been serialised within the same call.
void addText(rapidjson::Document& command, const char* name, const char* value) {
    command.AddMember(rapidjson::StringRef(name), rapidjson::StringRef(value ? value : ""), command.GetAllocator());
}

void addInteger(rapidjson::Document& command, const char* name, int32_t value) {
    command.AddMember(rapidjson::StringRef(name), value, command.GetAllocator());
}

// Widened to double, so that the writer prints 1 as 1.0.  JSON has no word
// for NaN or infinity, and the writer would stop in the middle of the text
// and leave a truncated command behind; such a value refuses the command.
void addNumber(rapidjson::Document& command, const char* name, float value) {
    if (!std::isfinite(value))
        throw std::invalid_argument(std::string("\"") + name + "\" is not a finite number; the command is not sent");
    command.AddMember(rapidjson::StringRef(name), static_cast<double>(value), command.GetAllocator());
}

void addBoolean(rapidjson::Document& command, const char* name, WebViewBool value) {
    command.AddMember(rapidjson::StringRef(name), (value & 0xFF) != 0, command.GetAllocator());
}

// The handle is the address WebView_new returned for a Windows record; the
// calls below go through the record's virtual slots.
ChromiumWebViewProxy* recordOf(void* handle) {
    return static_cast<WindowsChromiumWebViewProxy*>(handle);
}

// Builds command `type` for the record, lets `addMembers` add the
// operation's own members in their order, and sends it.
template <typename AddMembers>
void sendWebViewCommand(const char* exportName, void* handle, CommandType type, AddMembers addMembers) noexcept {
    guardedVoid(exportName, [&] {
        const ChromiumWebViewProxy* record = recordOf(handle);
        if (!record) return;
        rapidjson::Document command = record->newCommand(type);
        addMembers(command);
        sendCommand(command);
    });
}

void sendWebViewCommand(const char* exportName, void* handle, CommandType type) noexcept {
    sendWebViewCommand(exportName, handle, type, [](rapidjson::Document&) {});
}

void sendBooleanCommand(const char* exportName, void* handle, CommandType type, WebViewBool value) noexcept {
    sendWebViewCommand(exportName, handle, type, [&](rapidjson::Document& c) { addBoolean(c, "value", value); });
}

void sendPointerCommand(const char* exportName, void* handle, CommandType type, int32_t x, int32_t y,
                        int32_t mouseButton, int32_t clickCount) noexcept {
    sendWebViewCommand(exportName, handle, type, [&](rapidjson::Document& c) {
        addInteger(c, "x", x);
        addInteger(c, "y", y);
        addInteger(c, "mouseButton", mouseButton);
        addInteger(c, "clickCount", clickCount);
    });
}

void sendKeyCommand(const char* exportName, void* handle, CommandType type, const char* key,
                    int32_t modifiers) noexcept {
    sendWebViewCommand(exportName, handle, type, [&](rapidjson::Document& c) {
        addText(c, "key", key);
        addInteger(c, "modifiers", modifiers);
    });
}

}  // namespace

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_cancelAuth(void* handle) {
    sendWebViewCommand("WebView_cancelAuth", handle, CancelAuth);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_cancelFileSelection(void* handle) {
    sendWebViewCommand("WebView_cancelFileSelection", handle, CancelFileSelection);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_canGoBack(void* handle) {
    sendWebViewCommand("WebView_canGoBack", handle, CanGoBack);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_canGoForward(void* handle) {
    sendWebViewCommand("WebView_canGoForward", handle, CanGoForward);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_copy(void* handle) { sendWebViewCommand("WebView_copy", handle, Copy); }

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_cut(void* handle) { sendWebViewCommand("WebView_cut", handle, Cut); }

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_goBack(void* handle) {
    sendWebViewCommand("WebView_goBack", handle, GoBack);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_goForward(void* handle) {
    sendWebViewCommand("WebView_goForward", handle, GoForward);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_paste(void* handle) { sendWebViewCommand("WebView_paste", handle, Paste); }

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_reload(void* handle) {
    sendWebViewCommand("WebView_reload", handle, Reload);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_selectAll(void* handle) {
    sendWebViewCommand("WebView_selectAll", handle, SelectAll);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_stopLoad(void* handle) {
    sendWebViewCommand("WebView_stopLoad", handle, StopLoad);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_zoomIn(void* handle) {
    sendWebViewCommand("WebView_zoomIn", handle, ZoomIn);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_zoomOut(void* handle) {
    sendWebViewCommand("WebView_zoomOut", handle, ZoomOut);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_click(void* handle, int32_t x, int32_t y) {
    sendWebViewCommand("WebView_click", handle, Click, [&](rapidjson::Document& c) {
        addInteger(c, "x", x);
        addInteger(c, "y", y);
    });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_movePointer(void* handle, int32_t x, int32_t y) {
    sendWebViewCommand("WebView_movePointer", handle, MovePointer, [&](rapidjson::Document& c) {
        addInteger(c, "x", x);
        addInteger(c, "y", y);
    });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_scroll(void* handle, int32_t x, int32_t y) {
    sendWebViewCommand("WebView_scroll", handle, ExecuteJavaScript, [&](rapidjson::Document& c) {
        // Kept in the document's allocator: the text is made here, not by the engine.
        const std::string script = "window.scrollBy(" + std::to_string(x) + ", " + std::to_string(y) + ");";
        c.AddMember("javaScript",
                    rapidjson::Value(script.data(), static_cast<rapidjson::SizeType>(script.size()), c.GetAllocator()),
                    c.GetAllocator());
    });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_pointerDown(void* handle, int32_t x, int32_t y, int32_t mouseButton,
                                                        int32_t clickCount) {
    sendPointerCommand("WebView_pointerDown", handle, PointerDown, x, y, mouseButton, clickCount);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_pointerUp(void* handle, int32_t x, int32_t y, int32_t mouseButton,
                                                      int32_t clickCount) {
    sendPointerCommand("WebView_pointerUp", handle, PointerUp, x, y, mouseButton, clickCount);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_scrollAtPoint(void* handle, int32_t deltaX, int32_t deltaY,
                                                          int32_t mouseX, int32_t mouseY) {
    sendWebViewCommand("WebView_scrollAtPoint", handle, ScrollAtPoint, [&](rapidjson::Document& c) {
        addInteger(c, "deltaX", deltaX);
        addInteger(c, "deltaY", deltaY);
        addInteger(c, "mouseX", mouseX);
        addInteger(c, "mouseY", mouseY);
    });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_sendTouchEvent(void* handle, int32_t id, int32_t touchEventType,
                                                           float pointX, float pointY, float radiusX, float radiusY,
                                                           float rotationAngle, float pressure) {
    sendWebViewCommand("WebView_sendTouchEvent", handle, SendTouchEvent, [&](rapidjson::Document& c) {
        addInteger(c, "id", id);
        addInteger(c, "touchEventType", touchEventType);
        addNumber(c, "pointX", pointX);
        addNumber(c, "pointY", pointY);
        addNumber(c, "radiusX", radiusX);
        addNumber(c, "radiusY", radiusY);
        addNumber(c, "rotationAngle", rotationAngle);
        addNumber(c, "pressure", pressure);
    });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_keyDown(void* handle, const char* key, int32_t modifiers) {
    sendKeyCommand("WebView_keyDown", handle, KeyDown, key, modifiers);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_keyUp(void* handle, const char* key, int32_t modifiers) {
    sendKeyCommand("WebView_keyUp", handle, KeyUp, key, modifiers);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_sendKey(void* handle, const char* key) {
    sendWebViewCommand("WebView_sendKey", handle, SendKey, [&](rapidjson::Document& c) { addText(c, "key", key); });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_loadUrl(void* handle, const char* url) {
    sendWebViewCommand("WebView_loadUrl", handle, LoadUrl, [&](rapidjson::Document& c) { addText(c, "url", url); });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_loadHtml(void* handle, const char* html) {
    sendWebViewCommand("WebView_loadHtml", handle, LoadHtml, [&](rapidjson::Document& c) { addText(c, "html", html); });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_loadUrlWithHeaders(void* handle, const char* url, const char* headers) {
    sendWebViewCommand("WebView_loadUrlWithHeaders", handle, LoadUrlWithHeaders, [&](rapidjson::Document& c) {
        addText(c, "url", url);
        addText(c, "headers", headers);
    });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_executeJavaScript(void* handle, const char* javaScript,
                                                              const char* resultCallbackId) {
    const CommandType type = resultCallbackId ? ExecuteJavaScriptWithResult : ExecuteJavaScript;
    sendWebViewCommand("WebView_executeJavaScript", handle, type, [&](rapidjson::Document& c) {
        addText(c, "javaScript", javaScript);
        if (resultCallbackId) addText(c, "resultCallbackId", resultCallbackId);
    });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_continueAuth(void* handle, const char* username, const char* password) {
    sendWebViewCommand("WebView_continueAuth", handle, ContinueAuth, [&](rapidjson::Document& c) {
        addText(c, "username", username);
        addText(c, "password", password);
    });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_continueFileSelection(void* handle, const char* serializedFilePaths) {
    sendWebViewCommand("WebView_continueFileSelection", handle, ContinueFileSelection,
                       [&](rapidjson::Document& c) { addText(c, "serializedFilePaths", serializedFilePaths); });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setAudioMuted(void* handle, WebViewBool muted) {
    sendBooleanCommand("WebView_setAudioMuted", handle, SetAudioMuted, muted);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setAuthEnabled(void* handle, WebViewBool enabled) {
    sendBooleanCommand("WebView_setAuthEnabled", handle, SetAuthEnabled, enabled);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setConsoleMessageEventsEnabled(void* handle, WebViewBool enabled) {
    sendBooleanCommand("WebView_setConsoleMessageEventsEnabled", handle, SetConsoleMessageEventsEnabled, enabled);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setCursorTypeEventsEnabled(void* handle, WebViewBool enabled) {
    sendBooleanCommand("WebView_setCursorTypeEventsEnabled", handle, SetCursorTypeEventsEnabled, enabled);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setFileSelectionEnabled(void* handle, WebViewBool enabled) {
    sendBooleanCommand("WebView_setFileSelectionEnabled", handle, SetFileSelectionEnabled, enabled);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setFocused(void* handle, WebViewBool focused) {
    sendBooleanCommand("WebView_setFocused", handle, SetFocused, focused);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setFocusedInputFieldEventsEnabled(void* handle, WebViewBool enabled) {
    sendBooleanCommand("WebView_setFocusedInputFieldEventsEnabled", handle, SetFocusedInputFieldEventsEnabled,
                       enabled);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setNativeFileDialogEnabled(void* handle, WebViewBool enabled) {
    sendBooleanCommand("WebView_setNativeFileDialogEnabled", handle, SetNativeFileDialogEnabled, enabled);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setNativeScriptDialogEnabled(void* handle, WebViewBool enabled) {
    sendBooleanCommand("WebView_setNativeScriptDialogEnabled", handle, SetNativeScriptDialogEnabled, enabled);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setRenderingEnabled(void* handle, WebViewBool enabled) {
    sendBooleanCommand("WebView_setRenderingEnabled", handle, SetRenderingEnabled, enabled);
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setPopupMode(void* handle, int32_t mode) {
    sendWebViewCommand("WebView_setPopupMode", handle, SetPopupMode,
                       [&](rapidjson::Document& c) { addInteger(c, "value", mode); });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setZoomLevel(void* handle, float zoomLevel) {
    sendWebViewCommand("WebView_setZoomLevel", handle, SetZoomLevel,
                       [&](rapidjson::Document& c) { addNumber(c, "value", zoomLevel); });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_setDownloadsEnabled(void* handle, const char* downloadsDirectoryPath) {
    guardedVoid("WebView_setDownloadsEnabled", [&] {
        if (auto* record = recordOf(handle))
            record->setDownloadsEnabled(downloadsDirectoryPath ? downloadsDirectoryPath : "");
    });
}

WEBVIEW_EXPORT void WEBVIEW_STDCALL WebView_resizeWithPixelDensity(void* handle, int32_t width, int32_t height,
                                                                   float pixelDensity) {
    guardedVoid("WebView_resizeWithPixelDensity", [&] {
        if (auto* record = recordOf(handle)) record->resize(width, height, pixelDensity);
    });
}
