#include "webview/Plugin.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <shared_mutex>
#include <thread>
#include <utility>

#include "bridge/BridgeHost.h"
#include "bridge/BrowserOptions.h"
#include "bridge/PlatformBridge.h"
#include "bridge/PluginToChromiumBridge.h"
#include "bridge/SlimLock.h"
#include "engine/EngineCallbacks.h"
#include "engine/GraphicsManager.h"
#include "webview/WebViewMessages.h"
#include "webview/WebViewRegistry.h"

namespace {

void resetPluginIf(bool quiet, const std::shared_ptr<std::atomic<bool>>& requiredToken,
                   const PluginToChromiumBridge* requiredBridge);

// The plug-in as the bridge sees it (BridgeHost.h).
class PluginBridgeHost final : public BridgeHost {
public:
    void handleIncomingText(const std::string& text) override { handleBridgeMessage(text); }
    void terminationFinished(const PluginToChromiumBridge* bridge) override { resetPluginIf(false, nullptr, bridge); }
    std::shared_ptr<PluginToChromiumBridge> currentBridge() override { return bridgeInstance(); }
    std::shared_ptr<std::atomic<bool>> beginTermination(const PluginToChromiumBridge* bridge) override;
    void startTerminationWatchdog(std::shared_ptr<std::atomic<bool>> token) override;
    void markBridgeThread() override;
};

// The process-wide state of this file.  Made once and never destroyed: at
// process exit the loader runs static destructors with the other threads
// already gone, holding whatever they held, so nothing here may lock, wait
// or end a bridge then.  The browser process ends with the job that holds it.
struct PluginState {
    // Guards the bridge instance's creation and clearing, the reset in
    // progress, terminationPending and the watchdog token.  Held only for
    // those fields: never while a bridge shuts down, a log line is written
    // or an engine callback runs.  Lock order: resetMutex, then
    // browserOptionsMutex(), then the registry's mutex.
    std::mutex resetMutex;
    std::condition_variable resetFinished;
    bool resetRunning = false;                         // guarded by resetMutex
    bool terminationPending = false;                   // guarded by resetMutex
    std::shared_ptr<std::atomic<bool>> watchdogToken;  // guarded by resetMutex
    PluginBridgeHost host;

    // The instance and whether a reset runs, as every engine call reads them:
    // under instanceLock, shared to read and exclusive to change, which is
    // done under resetMutex as well.  instanceLock is taken last and nothing
    // else is taken or called while it is held, so a reader holds it only for
    // the copy and never waits for anything but another copy or a change.
    SlimMutex instanceLock;
    std::shared_ptr<PluginToChromiumBridge> instance;  // guarded by instanceLock
    bool instanceResetting = false;                    // guarded by instanceLock; mirrors resetRunning
};
PluginState& state = *new PluginState;

std::shared_ptr<PluginToChromiumBridge> readInstance() {
    std::shared_lock<SlimMutex> lock(state.instanceLock);
    return state.instance;
}

// Under resetMutex.
void storeInstance(std::shared_ptr<PluginToChromiumBridge> bridge) {
    std::shared_ptr<PluginToChromiumBridge> previous;
    {
        std::lock_guard<SlimMutex> lock(state.instanceLock);
        previous = std::exchange(state.instance, std::move(bridge));
    }
    // `previous` is let go of outside instanceLock: its destructor may run.
}

// Under resetMutex.
void setResetRunning(bool running) {
    state.resetRunning = running;
    std::lock_guard<SlimMutex> lock(state.instanceLock);
    state.instanceResetting = running;
}

// How long a termination may take before the watchdog resets by itself.
constexpr long long kTerminationWatchdogDelayMs = 4000;
std::atomic<long long> watchdogDelayMs{kTerminationWatchdogDelayMs};
std::atomic<BridgeFactory> bridgeFactory{&createPlatformBridge};
thread_local bool onBridgeThread = false;

void PluginBridgeHost::markBridgeThread() { onBridgeThread = true; }

// The reset, in this order: the bridge shuts down while it
// is still the instance (so browserProcessIsRunning stays true, setters
// refuse and no command starts a second browser process meanwhile); only
// then is the instance cleared, the options and the registry returned to
// their initial state, and the engine told.
// `requiredToken`/`requiredBridge`: reset only while this watchdog is still
// armed, or while this bridge is still the instance and nobody resets it.
void resetPluginIf(bool quiet, const std::shared_ptr<std::atomic<bool>>& requiredToken,
                   const PluginToChromiumBridge* requiredBridge) {
    std::shared_ptr<PluginToChromiumBridge> bridge;
    {
        std::unique_lock<std::mutex> lock(state.resetMutex);
        if (requiredToken && (!requiredToken->load() || !state.terminationPending)) return;
        if (requiredBridge && (state.resetRunning || readInstance().get() != requiredBridge)) return;
        if (state.resetRunning) {
            // A bridge thread must not wait: the running reset waits for it.
            // That reset leaves the same state behind.
            if (onBridgeThread) return;
            state.resetFinished.wait(lock, [] { return !state.resetRunning; });
        }
        setResetRunning(true);
        state.terminationPending = false;
        if (state.watchdogToken) {
            state.watchdogToken->exchange(false);
            state.watchdogToken.reset();
        }
        bridge = readInstance();
    }
    if (bridge) {
        // Ends the threads and the browser process now; the storage goes
        // when the last caller still inside the bridge lets go of it.
        logFailures("[WindowsPluginToChromiumBridge] Shutting the bridge down failed: ", [&] { bridge->shutdown(); });
    }
    {
        std::lock_guard<std::mutex> lock(state.resetMutex);
        {
            std::lock_guard<std::mutex> optionsLock(browserOptionsMutex());
            storeInstance(nullptr);
            browserOptions() = BrowserOptions{};
        }
        webViewRegistry().clear();
        setResetRunning(false);
    }
    state.resetFinished.notify_all();
    bridge.reset();
    if (!quiet) {
        if (const auto callback = engineCallbacks().browserProcessTerminated.load()) callback();
    }
}

}  // namespace

void setBridgeFactory(BridgeFactory factory) { bridgeFactory = factory; }

std::shared_ptr<PluginToChromiumBridge> bridgeInstance() { return readInstance(); }

void resetPlugin(bool quiet) { resetPluginIf(quiet, nullptr, nullptr); }

void resetPluginWhileInstance(const PluginToChromiumBridge* bridge) {
    resetPluginIf(false, nullptr, bridge);
}

BridgeHost& bridgeHost() { return state.host; }

bool setBrowserOptionsWhileStopped(const std::function<void(BrowserOptions&)>& store) {
    std::lock_guard<std::mutex> lock(browserOptionsMutex());
    if (readInstance()) return false;
    store(browserOptions());
    return true;
}

void setTerminationWatchdogDelay(std::chrono::milliseconds delay) { watchdogDelayMs = delay.count(); }

void restorePluginDefaults() {
    resetPlugin(true);
    bridgeFactory = &createPlatformBridge;
    watchdogDelayMs = kTerminationWatchdogDelayMs;
    PluginToChromiumBridge::setStartupLimit(PluginToChromiumBridge::kDefaultStartupLimit);
    setTextureOperations({&GraphicsManager::createTexture, &GraphicsManager::getSharedTextureHandle});
}

std::shared_ptr<std::atomic<bool>> PluginBridgeHost::beginTermination(const PluginToChromiumBridge* bridge) {
    auto token = std::make_shared<std::atomic<bool>>(true);
    {
        std::lock_guard<std::mutex> lock(state.resetMutex);
        // A reset under way has already cleared terminationPending and the
        // token, and would not clear what is armed now: 4 s later the
        // watchdog would reset whichever bridge is current by then.
        if (state.resetRunning || readInstance().get() != bridge) {
            token.reset();
        } else {
            state.terminationPending = true;
            if (state.watchdogToken) state.watchdogToken->exchange(false);
            state.watchdogToken = token;
        }
    }
    webViewRegistry().clear();
    return token;
}

void PluginBridgeHost::startTerminationWatchdog(std::shared_ptr<std::atomic<bool>> token) {
    const std::chrono::milliseconds delay(watchdogDelayMs.load());
    try {
        std::thread([token, delay] {
            // Nothing may leave a thread body: std::terminate would end the game.
            logFailures("[WindowsPluginToChromiumBridge] The termination watchdog failed: ", [&] {
                if (!token->load()) return;
                std::this_thread::sleep_for(delay);
                resetPluginIf(false, token, nullptr);
            });
        }).detach();
    } catch (const std::exception&) {
        // Without a watchdog only "TerminateProcessFinished" resets the plug-in.
        logError("CreateThread failed");
    }
}

std::shared_ptr<PluginToChromiumBridge> bridgeInstanceOrNew(std::shared_ptr<PluginToChromiumBridge>& created,
                                                            bool& droppedDuringReset) {
    droppedDuringReset = false;
    {
        // The common case, a bridge that runs and no reset, without
        // resetMutex, which every engine thread would otherwise queue on.
        std::shared_lock<SlimMutex> lock(state.instanceLock);
        if (state.instance && !state.instanceResetting) return state.instance;
    }
    std::shared_ptr<PluginToChromiumBridge> bridge;
    {
        // Under the lock, so that the engine's thread and the render thread
        // never start two browser processes.  A reset that runs is waited
        // for, so the command goes to the next browser process rather than
        // to the one that is going away (a bridge thread cannot wait: the
        // reset waits for it; its command is dropped, and the caller says so).
        std::unique_lock<std::mutex> lock(state.resetMutex);
        if (state.resetRunning) {
            if (onBridgeThread) {
                droppedDuringReset = true;
                return nullptr;
            }
            state.resetFinished.wait(lock, [] { return !state.resetRunning; });
        }
        bridge = readInstance();
        if (!bridge) {
            created = bridgeFactory.load()(state.host);
            if (created) {
                std::lock_guard<std::mutex> optionsLock(browserOptionsMutex());
                storeInstance(created);
            }
            bridge = created;
        }
    }
    // No bridge for this platform: the engine hears that nothing runs.
    if (!bridge) resetPlugin(false);
    return bridge;
}

void startNewBridge(const std::shared_ptr<PluginToChromiumBridge>& bridge) {
    // Threads start outside the lock: a failure is logged, and the log
    // callback may call back into the plug-in.
    if (!bridge->start()) resetPluginWhileInstance(bridge.get());
}
