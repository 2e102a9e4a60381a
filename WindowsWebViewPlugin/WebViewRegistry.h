#pragma once
// Webview id -> record.  The registry only refers to records; the engine owns
// them through their handles.
#include <map>
#include <mutex>
#include <string>

class ChromiumWebViewProxy;

class WebViewRegistry {
public:
    // Any thread.  The mutex is held only for the map operation itself.
    void insert(const std::string& webViewId, ChromiumWebViewProxy* record);
    void remove(const std::string& webViewId);
    void clear();
    ChromiumWebViewProxy* find(const std::string& webViewId);

private:
    std::mutex mutex;
    std::map<std::string, ChromiumWebViewProxy*> records;  // guarded by mutex
};

WebViewRegistry& webViewRegistry();

// The registered record, or null after logging the "nonexistent webview"
// warning.  Runs on the pipe server thread.
ChromiumWebViewProxy* lookupWebView(const std::string& webViewId);
