#pragma once
// The webview record.  Its address is the handle that the engine passes to
// every per-webview export; the engine owns it through that handle.
#include <atomic>
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
    mutable std::atomic<int> references{1};
};

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

    // The render thread writes the texture and resize fields; the exports
    // and the pipe server thread read or clear them.  Single words, atomic.
    std::atomic<bool> textureCreated{false};
    std::atomic<float> pixelDensity{0};
    std::atomic<int32_t> height{0};
    std::atomic<int32_t> width{0};
    const std::string popupId;
    std::atomic<bool> awaitingTexture{false};
    std::atomic<bool> resizePending{false};
    std::atomic<void*> textureView{nullptr};

private:
    // A texture of the logical size times the density becomes the current
    // view; returns its shared handle (0 without a texture).
    int64_t replaceTexture(int32_t logicalWidth, int32_t logicalHeight, float density);
};

// The data of "HandleTextureChanged": the view's address taken as a signed
// 32-bit value, widened with its sign and printed as unsigned decimal.
std::string textureViewText(const void* textureView);
