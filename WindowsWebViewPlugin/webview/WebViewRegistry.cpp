#include "webview/WebViewRegistry.h"

#include "engine/EngineCallbacks.h"
#include "webview/ChromiumWebViewProxy.h"

WebViewReference::~WebViewReference() {
    if (record) record->release();
}

void WebViewRegistry::insert(const std::string& webViewId, ChromiumWebViewProxy* record) {
    std::lock_guard<std::mutex> lock(mutex);
    records[webViewId] = record;
}

void WebViewRegistry::remove(const std::string& webViewId) {
    std::lock_guard<std::mutex> lock(mutex);
    records.erase(webViewId);
}

void WebViewRegistry::clear() {
    std::lock_guard<std::mutex> lock(mutex);
    records.clear();
}

WebViewReference WebViewRegistry::find(const std::string& webViewId) {
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = records.find(webViewId);
    if (it == records.end()) return WebViewReference();
    // Taken under the mutex: WebView_destroy removes the entry under it
    // before it lets go of the engine's reference.
    it->second->retain();
    return WebViewReference(it->second);
}

WebViewRegistry& webViewRegistry() {
    static WebViewRegistry registry;
    return registry;
}

WebViewReference lookupWebView(const std::string& webViewId) {
    WebViewReference record = webViewRegistry().find(webViewId);
    if (!record) logWarning("[ChromiumWebViewProxy] message sent to nonexistent webview: " + webViewId);
    return record;
}
