#include "WebViewRegistry.h"

#include "EngineCallbacks.h"

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

ChromiumWebViewProxy* WebViewRegistry::find(const std::string& webViewId) {
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = records.find(webViewId);
    return it == records.end() ? nullptr : it->second;
}

WebViewRegistry& webViewRegistry() {
    static WebViewRegistry registry;
    return registry;
}

ChromiumWebViewProxy* lookupWebView(const std::string& webViewId) {
    ChromiumWebViewProxy* record = webViewRegistry().find(webViewId);
    if (!record) logWarning("[ChromiumWebViewProxy] message sent to nonexistent webview: " + webViewId);
    return record;
}
