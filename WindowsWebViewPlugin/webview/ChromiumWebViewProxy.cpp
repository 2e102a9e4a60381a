#include "webview/ChromiumWebViewProxy.h"

#include <cmath>

#include "engine/EngineCallbacks.h"
#include "engine/GraphicsManager.h"
#include "webview/CommandSending.h"

void ChromiumWebViewProxy::handleMessage(const std::string& type, const std::string& data) {
    if (type == "ResizeFinished") {
        handleResizeFinished();
        return;
    }
    notifyEngine(type, data);
}

void ChromiumWebViewProxy::setDownloadsEnabled(const std::string& path) {
    rapidjson::Document command = newCommand(SetDownloadsEnabled);
    command.AddMember("downloadsDirectoryPath", rapidjson::StringRef(path.data(), path.size()),
                      command.GetAllocator());
    sendCommand(command);
}

namespace {

// The members commands 8 and 27 share, in their order.
void addTexture(rapidjson::Document& command, int64_t textureHandle, int32_t width, int32_t height,
                float pixelDensity) {
    auto& allocator = command.GetAllocator();
    command.AddMember("textureHandle", textureHandle, allocator);
    command.AddMember("width", width, allocator);
    command.AddMember("height", height, allocator);
    command.AddMember("pixelDensity", static_cast<double>(pixelDensity), allocator);
}

}  // namespace

void ChromiumWebViewProxy::sendCreateCommand(int64_t textureHandle, int32_t width, int32_t height,
                                             float pixelDensity, const std::string& popupId) const {
    rapidjson::Document command = newCommand(CreateWebView);
    addTexture(command, textureHandle, width, height, pixelDensity);
    command.AddMember("popupId", rapidjson::StringRef(popupId.data(), popupId.size()), command.GetAllocator());
    sendCommandStartingBrowser(command);
}

rapidjson::Document ChromiumWebViewProxy::newCommand(CommandType type) const {
    rapidjson::Document command;
    command.SetObject();
    auto& allocator = command.GetAllocator();
    command.AddMember("type", static_cast<int>(type), allocator);
    command.AddMember("webViewId",
                      rapidjson::Value(webViewId.data(), static_cast<rapidjson::SizeType>(webViewId.size()),
                                       allocator),
                      allocator);
    return command;
}

void ChromiumWebViewProxy::notifyEngine(const std::string& type, const std::string& data) const {
    if (const auto callback = engineCallbacks().webViewMessage.load())
        callback(webViewId.c_str(), type.c_str(), data.c_str());
}

WindowsChromiumWebViewProxy::WindowsChromiumWebViewProxy(std::string webViewId, int32_t width, int32_t height,
                                                         float pixelDensity, std::string popupId)
    : ChromiumWebViewProxy(std::move(webViewId)),
      width(width),
      height(height),
      pixelDensity(pixelDensity),
      popupId(std::move(popupId)) {}

void WindowsChromiumWebViewProxy::resize(int32_t newWidth, int32_t newHeight, float newPixelDensity) {
    // The sizes first, published by the flag's release: the render thread
    // takes the flag before it reads them, so a flag it sees set is never
    // older than the sizes.
    width.store(newWidth, std::memory_order_relaxed);
    height.store(newHeight, std::memory_order_relaxed);
    pixelDensity.store(newPixelDensity, std::memory_order_relaxed);
    resizePending.store(true, std::memory_order_release);
}

void WindowsChromiumWebViewProxy::setDownloadsEnabled(const std::string& path) {
    std::string windowsPath = path;
    for (char& c : windowsPath)
        if (c == '/') c = '\\';
    ChromiumWebViewProxy::setDownloadsEnabled(windowsPath);
}

void WindowsChromiumWebViewProxy::handleMessage(const std::string& type, const std::string& data) {
    if (type == "HandleInitFinished")
        notifyEngine("HandleTextureChanged", textureViewText(textureView.load(std::memory_order_acquire)));
    ChromiumWebViewProxy::handleMessage(type, data);
}

void WindowsChromiumWebViewProxy::handleResizeFinished() {
    notifyEngine("HandleTextureChanged", textureViewText(textureView.load(std::memory_order_acquire)));
    awaitingTexture.store(false, std::memory_order_release);
}

void WindowsChromiumWebViewProxy::onRenderEvent() {
    // Only this thread writes textureCreated once the record is out.
    if (!textureCreated.load(std::memory_order_relaxed)) {
        textureCreated.store(true, std::memory_order_relaxed);
        // Read once, so that the texture and the command describe one size.
        // A resize landing meanwhile leaves resizePending set for below.
        const int32_t logicalWidth = width.load(std::memory_order_relaxed);
        const int32_t logicalHeight = height.load(std::memory_order_relaxed);
        const float density = pixelDensity.load(std::memory_order_relaxed);
        const int64_t handle = replaceTexture(logicalWidth, logicalHeight, density);
        sendCreateCommand(handle, logicalWidth, logicalHeight, density, popupId);
    }
    updateTexture();
}

void WindowsChromiumWebViewProxy::updateTexture() {
    // Nearly every event ends here, having read the first word of the
    // record's render line and nothing else of it.
    if (!resizePending.load(std::memory_order_acquire) || awaitingTexture.load(std::memory_order_acquire)) return;
    awaitingTexture.store(true, std::memory_order_relaxed);
    // Cleared before the sizes are read: a resize that lands from here on
    // sets it again and is served after "ResizeFinished".  An exchange, not
    // a store: a plain store could be seen after the loads below (a store
    // may wait in the processor's buffer while later loads go ahead), and a
    // resize that landed in between would be neither read nor left pending.
    // The exchange reads the latest flag and acquires the sizes its release
    // published.
    resizePending.exchange(false, std::memory_order_acquire);
    const int32_t logicalWidth = width.load(std::memory_order_relaxed);
    const int32_t logicalHeight = height.load(std::memory_order_relaxed);
    const float density = pixelDensity.load(std::memory_order_relaxed);
    if (!std::isfinite(density)) {
        // Command 27 could not carry it: no texture, nothing to wait for.
        awaitingTexture.store(false, std::memory_order_relaxed);
        logError("[WindowsChromiumWebViewProxy] A resize with a pixel density that is not finite is ignored");
        return;
    }
    const int64_t handle = replaceTexture(logicalWidth, logicalHeight, density);
    rapidjson::Document command = newCommand(Resize);
    addTexture(command, handle, logicalWidth, logicalHeight, density);
    sendCommand(command);
}

int64_t WindowsChromiumWebViewProxy::replaceTexture(int32_t logicalWidth, int32_t logicalHeight, float density) {
    const TextureOperations device = textureOperations();
    // The previous view is only forgotten: the engine still shows it and
    // destroys it once it has switched.
    void* view = device.createTexture(pixelSize(logicalWidth, density), pixelSize(logicalHeight, density));
    // Released before the command that names it goes out: the pipe server
    // thread reads it when the browser process answers.
    textureView.store(view, std::memory_order_release);
    return view ? device.getSharedTextureHandle(view) : 0;
}

std::string textureViewText(const void* textureView) {
    const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(textureView));
    const auto widened = static_cast<int64_t>(static_cast<int32_t>(address));
    return std::to_string(static_cast<uint64_t>(widened));
}
