#include "bridge/PluginToChromiumBridge.h"

#include "bridge/BrowserOptions.h"
#include "bridge/MultiPartMessage.h"
#include "engine/EngineCallbacks.h"
#include "text/Utf.h"

namespace {

std::atomic<long long> startupLimitMs{PluginToChromiumBridge::kDefaultStartupLimit.count()};

// Set on the writer thread, and on the reading thread while it hands an
// incoming message on (whose engine callback may call an export that sends):
// such a thread never waits for room in the queue, because the room would
// only come from the writer, which may itself be waiting for the browser
// process to read, which may be waiting for us to read.
thread_local bool mustNotWaitForRoom = false;

// A batch of up to this many messages leaves its deque's index to the next
// one; a longer one gives it back.
constexpr size_t kBatchKeptIndex = 4096;

class NoWaitingForRoom {
public:
    NoWaitingForRoom() : previous(mustNotWaitForRoom) { mustNotWaitForRoom = true; }
    ~NoWaitingForRoom() { mustNotWaitForRoom = previous; }

private:
    bool previous;
};

// A text has at most as many UTF-16 units as UTF-8 bytes, so only a long one
// needs counting, and every unit takes at most three bytes, so a very long
// one needs no counting either.
bool fitsOnePipeMessage(const std::string& text) {
    if (text.size() * 2 + 2 <= kMaxPipeMessageBytes) return true;
    if ((text.size() + 2) / 3 * 2 + 2 > kMaxPipeMessageBytes) return false;
    return utf16Length(text) * 2 + 2 <= kMaxPipeMessageBytes;
}

}  // namespace

void PluginToChromiumBridge::setStartupLimit(std::chrono::milliseconds limit) { startupLimitMs = limit.count(); }

PluginToChromiumBridge::~PluginToChromiumBridge() {
    stopHeartbeat();
    // The writer keeps the bridge alive while it runs, so a writer that is
    // still joinable here is this very thread letting go of the bridge.
    if (writer.joinable()) writer.detach();
}

bool PluginToChromiumBridge::start() {
    std::shared_ptr<PluginToChromiumBridge> self = weak_from_this().lock();
    if (!self) {
        logError("[WindowsPluginToChromiumBridge] A bridge that nobody owns cannot start");
        return false;
    }
    {
        std::lock_guard<SlimMutex> lock(queueMutex);
        if (stopped) return true;  // reset before it started: nothing to start
        startupLimit = std::chrono::milliseconds(startupLimitMs.load());
        startupDeadline = std::chrono::steady_clock::now() + startupLimit;
    }
    if (!startTransport()) return false;
    try {
        std::lock_guard<SlimMutex> lock(queueMutex);
        if (stopped) return true;
        // The writer holds the bridge until it ends: a reset made on it (the
        // start-up limit) must not free the bridge under its feet.
        writer = std::thread([self] {
            self->host.markBridgeThread();
            mustNotWaitForRoom = true;
            logFailures("[WindowsPluginToChromiumBridge] The writer failed: ", [&] { self->runWriter(); });
            {
                std::lock_guard<SlimMutex> ended(self->queueMutex);
                self->writerEnded = true;
            }
            self->queueChanged.notify_all();
        });
    } catch (const std::exception&) {
        logError("CreateThread failed");
        return false;
    }
    return true;
}

void PluginToChromiumBridge::sendMessage(std::string text) {
    const size_t size = text.size();
    std::unique_lock<SlimMutex> lock(queueMutex);
    const auto refused = [this] { return terminating || stopped || peerGone; };
    const auto overLimit = [&] {
        const size_t bytes = queueBytes.load();
        return bytes != 0 && bytes + size > queueByteLimit;
    };
    if (refused()) return;
    if (overLimit() && !mustNotWaitForRoom) {
        ++roomWaiters;
        roomAvailable.wait(lock, [&] { return refused() || !overLimit(); });
        --roomWaiters;
        if (refused()) return;
    }
    const bool wakeWriter = appendLocked(std::move(text));
    lock.unlock();
    if (wakeWriter) queueChanged.notify_one();
}

// Under queueMutex.  True when the writer sleeps and has something to write
// now: the caller wakes it once the lock is let go.
bool PluginToChromiumBridge::appendLocked(std::string text) {
    queueBytes += text.size();
    queue.push_back(std::move(text));
    ++messagesQueued;
    return writerWaiting && processInitialized;
}

// Under queueMutex.  Drops everything queued, counted as written, and gives
// its memory back.
void PluginToChromiumBridge::discardQueueLocked() {
    messagesWritten.fetch_add(queue.size());
    queue = std::deque<std::string>();
    queueBytes = 0;
}

// The writer thread.  Takes the whole queue at once and writes it outside
// the lock; sleeps while there is nothing to write.
void PluginToChromiumBridge::runWriter() {
    std::deque<std::string> batch;
    std::unique_lock<SlimMutex> lock(queueMutex);
    for (;;) {
        if (stopped) return;
        if (!processInitialized) {
            writerWaiting = true;
            const bool ready =
                queueChanged.wait_until(lock, startupDeadline, [this] { return stopped || processInitialized; });
            writerWaiting = false;
            if (ready) continue;
            // Never reported ready: everything held back goes, the browser
            // process is ended by the reset, and the engine hears of it; the
            // next command starts a fresh one.
            std::deque<std::string> dropped;
            dropped.swap(queue);
            peerGone = true;
            queueBytes = 0;
            lock.unlock();
            roomAvailable.notify_all();
            const size_t count = dropped.size();
            dropped = std::deque<std::string>();
            logError("[WindowsPluginToChromiumBridge] The browser process did not report itself initialized within " +
                     std::to_string(startupLimit.count()) + " ms of its launch; it is ended and " +
                     std::to_string(count) + " held-back messages were dropped");
            host.terminationFinished(this);  // may shut this bridge down, here on its writer
            return;
        }
        if (queue.empty()) {
            writerWaiting = true;
            queueChanged.wait(lock, [this] { return stopped || !queue.empty(); });
            writerWaiting = false;
            continue;
        }
        // The queue left behind is the emptied deque of the last batch, which
        // kept one block: senders append a short batch without allocating
        // under the lock.
        batch.swap(queue);
        lock.unlock();
        bool gone = false;
        for (const std::string& text : batch) {
            if (!gone && !stopped.load()) gone = !writeQueued(text);
            messagesWritten.fetch_add(1);
            releaseRoom(text.size());
        }
        // The texts are freed here, so that a queue that drains gives its
        // memory back; only a long batch's index goes with them, as the
        // short one's is all that a steady flow needs.
        if (batch.size() > kBatchKeptIndex)
            batch = std::deque<std::string>();
        else
            batch.clear();
        lock.lock();
        if (gone) {
            // The browser process is gone: from now on sendMessage refuses
            // every message, and what is queued goes with it.
            peerGone = true;
            discardQueueLocked();
            lock.unlock();
            roomAvailable.notify_all();
            lock.lock();
        }
    }
}

// The writer thread.  False when the browser process is gone.  A message
// whose write throws is logged and lost; the writer goes on.
bool PluginToChromiumBridge::writeQueued(const std::string& text) {
    bool alive = true;
    logFailures("[WindowsPluginToChromiumBridge] A message was not sent: ", [&] {
        if (fitsOnePipeMessage(text)) {
            alive = writePipeText(text);
            return;
        }
        // Packets go out back to back, in packet order, and nothing else is
        // written between them.
        const uint64_t messageId = ++lastMultiPartMessageId;
        forEachMultiPartPacket(messageId, text, [&](std::string_view packet) {
            if (stopped.load()) return false;
            alive = writePipeText(packet);
            return alive;
        });
    });
    return alive;
}

void PluginToChromiumBridge::releaseRoom(size_t bytes) {
    queueBytes -= bytes;
    if (roomWaiters.load() == 0) return;
    // A sender counts itself before it looks at the bytes, under the lock:
    // taking the lock here means it is either still to look or waiting.
    { std::lock_guard<SlimMutex> lock(queueMutex); }
    roomAvailable.notify_all();
}

bool PluginToChromiumBridge::writePipeText(std::string_view text) {
    std::u16string message(text.size() + 1, u'\0');
    message.resize(utf8ToUtf16(text, message.data()));
    message.push_back(u'\0');
    return writePipeMessage(message);
}

void PluginToChromiumBridge::shutdown() {
    {
        std::lock_guard<SlimMutex> lock(queueMutex);
        stopped = true;
        discardQueueLocked();
    }
    queueChanged.notify_all();
    roomAvailable.notify_all();
    stopHeartbeat();
    stopWriter();
}

// Waits for the writer to end, waking a write that waits for the pipe; on
// the writer itself (a reset made by the start-up limit) it is let go.
void PluginToChromiumBridge::stopWriter() {
    std::unique_lock<SlimMutex> lock(queueMutex);
    if (!writer.joinable()) return;
    if (writer.get_id() == std::this_thread::get_id()) {
        writer.detach();
        return;
    }
    while (!queueChanged.wait_for(lock, std::chrono::milliseconds(20), [this] { return writerEnded; })) {
        lock.unlock();
        cancelPendingWrite();
        lock.lock();
    }
    std::thread ended = std::move(writer);
    lock.unlock();
    ended.join();
}

bool PluginToChromiumBridge::isProcessInitialized() {
    std::lock_guard<SlimMutex> lock(queueMutex);
    return processInitialized && messagesWritten.load() >= heldBackEnd;
}

bool PluginToChromiumBridge::hasWrittenEverythingQueued() {
    std::lock_guard<SlimMutex> lock(queueMutex);
    return !processInitialized || stopped || peerGone || messagesWritten.load() >= messagesQueued;
}

void PluginToChromiumBridge::handleIncomingMessage(const std::string& text) {
    NoWaitingForRoom onTheReadingThread;
    if (text == "ProcessInitialized") {
        startHeartbeat();
        bool wakeWriter = false;
        {
            std::lock_guard<SlimMutex> lock(queueMutex);
            if (!processInitialized) {
                processInitialized = true;
                heldBackEnd = messagesQueued;
                if (terminating) {
                    // A terminate request held back goes with everything
                    // before it; the watchdog ends the browser process.
                    discardQueueLocked();
                }
                wakeWriter = writerWaiting;
            }
        }
        if (wakeWriter) queueChanged.notify_all();
        roomAvailable.notify_all();
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
            logFailures("[WindowsPluginToChromiumBridge] The heartbeat failed: ", [&] {
                std::unique_lock<std::mutex> lock(control->mutex);
                while (!control->wake.wait_for(lock, interval, [&] { return !control->running; })) {
                    lock.unlock();
                    // Whichever bridge is the instance now; this thread never
                    // holds on to the one that started it.
                    if (const auto bridge = plugin->currentBridge()) bridge->sendMessage("Heartbeat");
                    lock.lock();
                }
            });
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
    // The host also empties the registry.  No watchdog while this bridge is
    // already being reset (or no longer the instance): that reset ends it.
    auto token = host.beginTermination(this);
    stopHeartbeat();
    bool wakeWriter = false;
    {
        // Behind everything handed over before it, and the last message
        // this bridge takes; it does not wait for room.
        std::lock_guard<SlimMutex> lock(queueMutex);
        if (!terminating && !stopped && !peerGone) wakeWriter = appendLocked("{\"type\": 47}");
        terminating = true;
    }
    if (wakeWriter) queueChanged.notify_one();
    roomAvailable.notify_all();  // senders waiting for room are refused now
    if (token) host.startTerminationWatchdog(std::move(token));
}

std::vector<std::string> PluginToChromiumBridge::getCommandLineArguments() const {
    BrowserOptions options;
    {
        std::lock_guard<std::mutex> lock(browserOptionsMutex());
        options = browserOptions();
    }
    return browserSwitches(options, shouldQuoteArguments());
}
