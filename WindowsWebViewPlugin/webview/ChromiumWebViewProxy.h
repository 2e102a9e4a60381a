#pragma once
// The webview record.  Its address is the handle that the engine passes to
// every per-webview export; the engine owns it through that handle.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include <rapidjson/document.h>

#include "webview/CommandType.h"

class ChromiumWebViewProxy {
public:
    explicit ChromiumWebViewProxy(std::string webViewId) : webViewId(std::move(webViewId)) {}
    ChromiumWebViewProxy(const ChromiumWebViewProxy&) = delete;
    ChromiumWebViewProxy& operator=(const ChromiumWebViewProxy&) = delete;
    virtual ~ChromiumWebViewProxy() = default;

    // The engine's calling thread.  Stores the new logical size; the next
    // render event makes the texture and sends the command.
    virtual void resize(int32_t width, int32_t height, float pixelDensity) = 0;
    // Sends the downloads folder (command 37) as given.
    virtual void setDownloadsEnabled(const std::string& path);
    // The pipe server thread.  "ResizeFinished" ends a resize, every other
    // message goes on to the engine.
    virtual void handleMessage(const std::string& type, const std::string& data);
    virtual void handleResizeFinished() = 0;

    // A command object holding "type" and "webViewId".
    rapidjson::Document newCommand(CommandType type) const;

    // Command 8 with the first texture's shared handle; starts the browser
    // process when none runs.
    void sendCreateCommand(int64_t textureHandle, int32_t width, int32_t height, float pixelDensity,
                           const std::string& popupId) const;

    // Calls the engine's webview message callback for this record.
    void notifyEngine(const std::string& type, const std::string& data) const;

    // Shared ownership: the engine's handle is one reference (given up by
    // WebView_destroy), a message being handled for the record another.
    // The last one to let go deletes the record.  Any thread.
    void retain() const { references.fetch_add(1, std::memory_order_relaxed); }
    void release() const {
        if (references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }

    const std::string webViewId;

private:
    // Written twice for every message the pipe server thread hands to the
    // record.  It stays on the record's first cache line, with the vtable
    // pointer and webViewId, which the render thread does not read; the
    // render thread's fields start on a line of their own (see below).
    mutable std::atomic<int> references{1};
};

// The line size of the processors the plug-in runs on.  Fields that one
// thread writes often and another reads on every frame keep this far apart.
constexpr std::size_t kCacheLineBytes = 64;

class WindowsChromiumWebViewProxy : public ChromiumWebViewProxy {
public:
    WindowsChromiumWebViewProxy(std::string webViewId, int32_t width, int32_t height, float pixelDensity,
                                std::string popupId);

    void resize(int32_t width, int32_t height, float pixelDensity) override;
    // Sends the path with every "/" turned into a backslash.
    void setDownloadsEnabled(const std::string& path) override;
    void handleMessage(const std::string& type, const std::string& data) override;
    void handleResizeFinished() override;

    // The render thread, for an event that named this record: the first
    // texture and the create command, then any stored resize.
    void onRenderEvent();
    // A stored resize, unless an earlier one is still awaited: a texture of
    // the new pixel size and command 27.
    void updateTexture();

    // The texture and resize fields, on a cache line of their own that
    // begins with what every render event reads (the three flags, one word),
    // followed by what a render event reads when it makes a texture.  Nothing
    // that another thread writes for every message shares the line: the
    // exports write the sizes and set resizePending once per resize, the pipe
    // server thread clears awaitingTexture once per "ResizeFinished".
    //
    // Single words, atomic.  Publication is by acquire and release:
    // resizePending (release by the exports, taken by the render thread's
    // exchange) carries the sizes; textureView (release by the render thread,
    // acquire by the pipe server thread) carries the view it names.
    alignas(kCacheLineBytes) std::atomic<bool> textureCreated{false};  // written by the render thread only
    std::atomic<bool> resizePending{false};
    std::atomic<bool> awaitingTexture{false};
    std::atomic<int32_t> width{0};
    std::atomic<int32_t> height{0};
    std::atomic<float> pixelDensity{0};
    std::atomic<void*> textureView{nullptr};
    const std::string popupId;  // read by the render thread for the create command

private:
    // A texture of the logical size times the density becomes the current
    // view; returns its shared handle (0 without a texture).
    int64_t replaceTexture(int32_t logicalWidth, int32_t logicalHeight, float density);
};

// The data of "HandleTextureChanged": the view's address taken as a signed
// 32-bit value, widened with its sign and printed as unsigned decimal.
std::string textureViewText(const void* textureView);
