#include "Plugin.h"

#include <atomic>
#include <mutex>
#include <thread>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "BrowserOptions.h"
#include "EngineCallbacks.h"
#include "JsonWriter.h"
#include "PluginToChromiumBridge.h"
#include "WebViewRegistry.h"

std::shared_ptr<PluginToChromiumBridge> createPlatformBridge();

namespace {

// Guards the swap of the bridge instance, its creation, terminationPending
// and the watchdog token.  Never held while a running bridge shuts down or an
// engine callback runs; only a bridge whose threads could not all be started
// is shut down under it, and such a bridge's threads never take it.
std::mutex resetMutex;
std::shared_ptr<PluginToChromiumBridge> instance;  // atomic_load/atomic_store only
bool terminationPending = false;                   // guarded by resetMutex
std::shared_ptr<std::atomic<bool>> watchdogToken;  // guarded by resetMutex
std::atomic<long long> watchdogDelayMs{4000};
std::atomic<BridgeFactory> bridgeFactory{&createPlatformBridge};

// `requiredToken`/`requiredBridge`: reset only while this watchdog is still
// armed, or while this bridge is still the instance.
void resetPluginIf(bool quiet, const std::shared_ptr<std::atomic<bool>>& requiredToken,
                   const PluginToChromiumBridge* requiredBridge) {
    std::shared_ptr<PluginToChromiumBridge> bridge;
    {
        std::lock_guard<std::mutex> lock(resetMutex);
        if (requiredToken && (!requiredToken->load() || !terminationPending)) return;
        if (requiredBridge && std::atomic_load(&instance).get() != requiredBridge) return;
        terminationPending = false;
        if (watchdogToken) {
            watchdogToken->exchange(false);
            watchdogToken.reset();
        }
        bridge = std::atomic_exchange(&instance, std::shared_ptr<PluginToChromiumBridge>());
    }
    if (bridge) {
        // Ends the threads and the browser process now; the storage goes
        // when the last caller still inside the bridge lets go of it.
        bridge->shutdown();
        bridge.reset();
    }
    {
        std::lock_guard<std::mutex> lock(browserOptionsMutex());
        browserOptions() = BrowserOptions{};
    }
    webViewRegistry().clear();
    if (!quiet) {
        if (const auto callback = engineCallbacks().browserProcessTerminated.load()) callback();
    }
}

}  // namespace

void setBridgeFactory(BridgeFactory factory) { bridgeFactory = factory; }

std::shared_ptr<PluginToChromiumBridge> bridgeInstance() { return std::atomic_load(&instance); }

void resetPlugin(bool quiet) { resetPluginIf(quiet, nullptr, nullptr); }

void resetPluginWhileInstance(const PluginToChromiumBridge* bridge) {
    resetPluginIf(false, nullptr, bridge);
}

void setTerminationWatchdogDelay(std::chrono::milliseconds delay) { watchdogDelayMs = delay.count(); }

void startTerminationWatchdog() {
    auto token = std::make_shared<std::atomic<bool>>(true);
    {
        std::lock_guard<std::mutex> lock(resetMutex);
        terminationPending = true;
        if (watchdogToken) watchdogToken->exchange(false);
        watchdogToken = token;
    }
    const std::chrono::milliseconds delay(watchdogDelayMs.load());
    try {
        std::thread([token, delay] {
            if (!token->load()) return;
            std::this_thread::sleep_for(delay);
            resetPluginIf(false, token, nullptr);
        }).detach();
    } catch (const std::exception&) {
        // Without a watchdog only "TerminateProcessFinished" resets the plug-in.
        logError("CreateThread failed");
    }
}

std::string serializeCommand(const rapidjson::Document& command) {
    rapidjson::StringBuffer buffer;
    JsonWriter writer(buffer);
    // The writer stops at a number JSON cannot hold (NaN, infinity); half a
    // command must never reach the browser process.
    if (!command.Accept(writer)) {
        const auto type = command.FindMember("type");
        logError("[ChromiumWebViewProxy] A command holds a number that JSON cannot carry and is not sent; type " +
                 std::to_string(type != command.MemberEnd() && type->value.IsInt() ? type->value.GetInt() : -1));
        return {};
    }
    return std::string(buffer.GetString(), buffer.GetSize());
}

void sendCommand(const rapidjson::Document& command) {
    const std::string text = serializeCommand(command);
    if (text.empty()) return;
    if (const auto bridge = bridgeInstance()) bridge->sendMessage(text);
}

void sendCommandStartingBrowser(const rapidjson::Document& command) {
    const std::string text = serializeCommand(command);
    if (text.empty()) return;
    std::shared_ptr<PluginToChromiumBridge> bridge;
    bool startFailed = false;
    {
        // Under the lock, so that the engine's thread and the render thread
        // never start two browser processes.
        std::lock_guard<std::mutex> lock(resetMutex);
        bridge = std::atomic_load(&instance);
        if (!bridge) {
            bridge = bridgeFactory.load()();
            if (bridge) std::atomic_store(&instance, bridge);
            startFailed = !bridge;
        }
    }
    if (startFailed) {
        // The factory has logged why; the engine hears that nothing runs.
        resetPlugin(false);
        return;
    }
    bridge->sendMessage(text);
}
