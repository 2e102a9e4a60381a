#pragma once
// Webview id -> record.  The registry only refers to records; the engine owns
// them through their handles, and a message being handled for a record holds
// a reference of its own (WebViewReference), so that WebView_destroy on
// another thread never frees a record under the pipe server thread.
#include <map>
#include <mutex>
#include <string>

class ChromiumWebViewProxy;

// One reference to a record; the record goes when the engine has destroyed
// it and the last reference has been let go.
class WebViewReference {
public:
    WebViewReference() = default;
    explicit WebViewReference(ChromiumWebViewProxy* retained) : record(retained) {}
    ~WebViewReference();
    WebViewReference(WebViewReference&& other) noexcept : record(other.record) { other.record = nullptr; }
    WebViewReference(const WebViewReference&) = delete;
    WebViewReference& operator=(const WebViewReference&) = delete;
    WebViewReference& operator=(WebViewReference&&) = delete;

    ChromiumWebViewProxy* get() const { return record; }
    ChromiumWebViewProxy* operator->() const { return record; }
    explicit operator bool() const { return record != nullptr; }

private:
    ChromiumWebViewProxy* record = nullptr;
};

class WebViewRegistry {
public:
    // Any thread.  The mutex is held only for the map operation itself.
    void insert(const std::string& webViewId, ChromiumWebViewProxy* record);
    void remove(const std::string& webViewId);
    void clear();
    // The registered record with a reference taken under the mutex, or none.
    WebViewReference find(const std::string& webViewId);

private:
    std::mutex mutex;
    std::map<std::string, ChromiumWebViewProxy*> records;  // guarded by mutex
};

WebViewRegistry& webViewRegistry();

// The registered record, or none after logging the "nonexistent webview"
// warning.  Runs on the pipe server thread.
WebViewReference lookupWebView(const std::string& webViewId);
