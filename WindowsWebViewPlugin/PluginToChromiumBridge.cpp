#include "PluginToChromiumBridge.h"

#include <thread>

#include "BrowserOptions.h"
#include "EngineCallbacks.h"
#include "MultiPartMessage.h"
#include "Plugin.h"
#include "Utf.h"
#include "WebViewRegistry.h"
#include "WebViewMessages.h"

PluginToChromiumBridge::~PluginToChromiumBridge() { stopHeartbeat(); }

void PluginToChromiumBridge::shutdown() { stopHeartbeat(); }

void PluginToChromiumBridge::sendMessage(const std::string& text) {
    if (terminating) return;
    {
        std::unique_lock<std::mutex> lock(sendStateMutex);
        sendStateChanged.wait(lock, [this] { return !flushingPendingMessages; });
        if (!processInitialized) {
            pendingMessages.push_back(text);
            return;
        }
    }
    deliver(text);
}

void PluginToChromiumBridge::deliver(const std::string& text) {
    if (terminating) return;
    // A text has at most as many UTF-16 units as UTF-8 bytes, so only a long
    // one needs counting; counting first keeps a long message from being
    // converted whole only to be cut into packets.
    // Every unit takes at most three bytes, so a text that long needs no
    // counting either.
    if (text.size() * 2 + 2 > kMaxPipeMessageBytes &&
        ((text.size() + 2) / 3 * 2 + 2 > kMaxPipeMessageBytes || utf16Length(text) * 2 + 2 > kMaxPipeMessageBytes)) {
        sendMultiPartMessage(text);
        return;
    }
    writePipeText(text);
}

void PluginToChromiumBridge::writePipeText(std::string_view text) {
    std::u16string message(text.size() + 1, u'\0');
    message.resize(utf8ToUtf16(text, message.data()));
    message.push_back(u'\0');
    writePipeMessage(message);
}

void PluginToChromiumBridge::sendMultiPartMessage(const std::string& text) {
    const uint64_t messageId = ++lastMultiPartMessageId;
    // Packets go out back to back on this thread, each as soon as it is
    // built; each write waits for its completion, so they leave in packet
    // order.  Every packet fits one pipe message by construction.
    forEachMultiPartPacket(messageId, text, [this](std::string_view packet) {
        if (terminating) return false;
        writePipeText(packet);
        return true;
    });
}

void PluginToChromiumBridge::flushPendingMessages() {
    std::vector<std::string> batch;
    {
        std::lock_guard<std::mutex> lock(sendStateMutex);
        if (processInitialized || flushingPendingMessages) return;
        flushingPendingMessages = true;
        batch.swap(pendingMessages);
    }
    for (const std::string& text : batch) deliver(text);
    {
        std::lock_guard<std::mutex> lock(sendStateMutex);
        processInitialized = true;
        flushingPendingMessages = false;
    }
    sendStateChanged.notify_all();
}

void PluginToChromiumBridge::handleIncomingMessage(const std::string& text) {
    if (text == "ProcessInitialized") {
        startHeartbeat();
        flushPendingMessages();
    } else if (text == "TerminateProcessFinished") {
        // May destroy this instance: nothing here touches it afterwards.
        resetPluginWhileInstance(this);
    } else {
        handleBridgeMessage(text);
    }
}

void PluginToChromiumBridge::startHeartbeat() {
    const std::shared_ptr<Heartbeat> control = heartbeat;
    {
        std::lock_guard<std::mutex> lock(control->mutex);
        control->running = true;
    }
    const std::chrono::milliseconds interval = heartbeatInterval;
    try {
        std::thread([control, interval] {
            std::unique_lock<std::mutex> lock(control->mutex);
            while (!control->wake.wait_for(lock, interval, [&] { return !control->running; })) {
                lock.unlock();
                // Whichever bridge is the instance now; this thread never
                // holds on to the one that started it.
                if (const auto bridge = bridgeInstance()) bridge->sendMessage("Heartbeat");
                lock.lock();
            }
        }).detach();
    } catch (const std::exception&) {
        logError("CreateThread failed");
    }
}

void PluginToChromiumBridge::stopHeartbeat() {
    {
        std::lock_guard<std::mutex> lock(heartbeat->mutex);
        heartbeat->running = false;
    }
    heartbeat->wake.notify_all();
}

void PluginToChromiumBridge::terminate() {
    stopHeartbeat();
    webViewRegistry().clear();
    sendMessage("{\"type\": 47}");
    terminating = true;
    startTerminationWatchdog();
}

std::vector<std::string> PluginToChromiumBridge::getCommandLineArguments() const {
    BrowserOptions options;
    {
        std::lock_guard<std::mutex> lock(browserOptionsMutex());
        options = browserOptions();
    }
    const auto quoted = [this](const std::string& element) {
        return shouldQuoteArguments() ? "\"" + element + "\"" : element;
    };
    static const std::string targetFrameRateKey = "target-frame-rate";
    static const std::string cachePathKey = "cache-path";

    std::vector<std::string> arguments;
    arguments.push_back("--log-severity=" + options.logSeverity);
    if (options.targetFrameRate != 60)
        arguments.push_back("--" + targetFrameRateKey + "=" + std::to_string(options.targetFrameRate));
    if (options.autoplayEnabled) arguments.push_back("--autoplay-policy=no-user-gesture-required");
    if (!options.cachePath.empty()) arguments.push_back(quoted("--" + cachePathKey + "=" + options.cachePath));
    if (options.cameraAndMicrophoneEnabled) arguments.push_back("--enable-media-stream");
    if (!options.userAgent.empty()) arguments.push_back(quoted("--user-agent=" + options.userAgent));
    if (options.remoteDebuggingPort != 0)
        arguments.push_back("--remote-debugging-port=" + std::to_string(options.remoteDebuggingPort));
    if (options.screenSharingEnabled)
        arguments.push_back("--enable-media-stream --use-fake-ui-for-media-stream");
    if (options.ignoreCertificateErrors) arguments.push_back("--ignore-certificate-errors");
    if (!options.commandLineArguments.empty()) arguments.push_back(options.commandLineArguments);
    return arguments;
}
