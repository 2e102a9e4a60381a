#include "bridge/PluginToChromiumBridge.h"

#include <thread>

#include "bridge/BrowserOptions.h"
#include "bridge/MultiPartMessage.h"
#include "engine/EngineCallbacks.h"
#include "text/Utf.h"

PluginToChromiumBridge::~PluginToChromiumBridge() { stopHeartbeat(); }

void PluginToChromiumBridge::shutdown() {
    stopped = true;
    stopHeartbeat();
}

void PluginToChromiumBridge::sendMessage(const std::string& text) {
    if (terminating || stopped) return;
    {
        std::lock_guard<std::mutex> lock(sendStateMutex);
        if (!processInitialized) {
            pendingMessages.push_back(text);
            return;
        }
    }
    deliver(text);
}

void PluginToChromiumBridge::deliver(const std::string& text) {
    if (terminating || stopped) return;
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
        if (terminating || stopped) return false;
        writePipeText(packet);
        return true;
    });
}

// The pipe server thread.  Hands the flush to a thread of its own, which
// keeps the bridge alive until it is done.
void PluginToChromiumBridge::startFlush() {
    {
        std::lock_guard<std::mutex> lock(sendStateMutex);
        if (processInitialized || flushingPendingMessages) return;
        flushingPendingMessages = true;
    }
    std::shared_ptr<PluginToChromiumBridge> self = weak_from_this().lock();
    if (self) {
        try {
            std::thread([self] {
                self->host.markBridgeThread();
                self->flushPendingMessages();
            }).detach();
            return;
        } catch (const std::exception&) {
            logError("CreateThread failed");
        }
    }
    // No thread (or a bridge that nobody shares): flush here.
    flushPendingMessages();
}

// Takes the held-back list until it is empty; whatever a write throws is
// logged and costs that one message, and the flag is cleared on every path,
// so no sender is ever left behind a flush that cannot end.
void PluginToChromiumBridge::flushPendingMessages() {
    for (;;) {
        std::deque<std::string> batch;
        {
            std::lock_guard<std::mutex> lock(sendStateMutex);
            if (pendingMessages.empty() || stopped) {
                pendingMessages.clear();
                processInitialized = true;
                flushingPendingMessages = false;
                return;
            }
            batch.swap(pendingMessages);
        }
        for (const std::string& text : batch) {
            try {
                deliver(text);
            } catch (const std::exception& exception) {
                try {
                    logError(std::string("[WindowsPluginToChromiumBridge] A held-back message was not sent: ") +
                             exception.what());
                } catch (...) {
                }
            } catch (...) {
                try {
                    logError("[WindowsPluginToChromiumBridge] A held-back message was not sent: unknown exception");
                } catch (...) {
                }
            }
        }
    }
}

bool PluginToChromiumBridge::isProcessInitialized() {
    std::lock_guard<std::mutex> lock(sendStateMutex);
    return processInitialized;
}

void PluginToChromiumBridge::handleIncomingMessage(const std::string& text) {
    if (text == "ProcessInitialized") {
        startHeartbeat();
        startFlush();
    } else if (text == "TerminateProcessFinished") {
        // May destroy this instance: nothing here touches it afterwards.
        host.terminationFinished(this);
    } else {
        host.handleIncomingText(text);
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
        BridgeHost* plugin = &host;
        std::thread([control, interval, plugin] {
            // Nothing may leave a thread body: std::terminate would end the game.
            try {
                std::unique_lock<std::mutex> lock(control->mutex);
                while (!control->wake.wait_for(lock, interval, [&] { return !control->running; })) {
                    lock.unlock();
                    // Whichever bridge is the instance now; this thread never
                    // holds on to the one that started it.
                    if (const auto bridge = plugin->currentBridge()) bridge->sendMessage("Heartbeat");
                    lock.lock();
                }
            } catch (const std::exception& exception) {
                try {
                    logError(std::string("[WindowsPluginToChromiumBridge] The heartbeat failed: ") + exception.what());
                } catch (...) {
                }
            } catch (...) {
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
    // Pending before command 47 can be written: a "TerminateProcessFinished"
    // that comes back at once then resets once and disarms the watchdog.
    // The host also empties the registry.
    auto token = host.beginTermination();
    stopHeartbeat();
    sendMessage("{\"type\": 47}");
    terminating = true;
    host.startTerminationWatchdog(std::move(token));
}

std::vector<std::string> PluginToChromiumBridge::getCommandLineArguments() const {
    BrowserOptions options;
    {
        std::lock_guard<std::mutex> lock(browserOptionsMutex());
        options = browserOptions();
    }
    return browserSwitches(options, shouldQuoteArguments());
}
