#pragma once
// The platform-neutral half of the bridge to the browser process: holding
// messages back until the browser process is ready, handing long ones to
// multi-part sending, the built-in incoming messages, the heartbeat and the
// termination request.  The platform half writes the pipe.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/BridgeHost.h"

class PluginToChromiumBridge : public std::enable_shared_from_this<PluginToChromiumBridge> {
public:
    explicit PluginToChromiumBridge(BridgeHost& host) : host(host) {}
    PluginToChromiumBridge(const PluginToChromiumBridge&) = delete;
    PluginToChromiumBridge& operator=(const PluginToChromiumBridge&) = delete;
    virtual ~PluginToChromiumBridge();

    // Any thread.  Holds the text back until "ProcessInitialized", drops it
    // once terminate() has run, otherwise writes it (as packets when long).
    void sendMessage(const std::string& text);

    virtual bool shouldQuoteArguments() const { return false; }

    // Starts the bridge's threads, outside every plug-in lock; false after
    // logging why not.  The bridge without a transport of its own has none.
    virtual bool start() { return true; }

    // The engine's thread.  Asks the browser process to end and arms the
    // watchdog; every later message is dropped.
    void terminate();

    // Ends the bridge's threads and the browser process.  Runs once, from
    // resetPlugin, possibly on the bridge's own pipe server thread; the
    // destructor runs it too in case nobody did.
    virtual void shutdown();

    // Elements 2 to 11 of the browser process's command line.
    std::vector<std::string> getCommandLineArguments() const;

    // The pipe server thread: one incoming text, already in UTF-8.
    void handleIncomingMessage(const std::string& text);

    // Whether "ProcessInitialized" has come and the held-back messages have
    // all been written.  Any thread.
    bool isProcessInitialized();

    // Between heartbeats; tests shorten it.  Set before the first
    // "ProcessInitialized".
    void setHeartbeatInterval(std::chrono::milliseconds interval) { heartbeatInterval = interval; }

protected:
    // The plug-in around the bridge; it outlives every bridge.
    BridgeHost& host;

    // Writes one pipe message: UTF-16 text and its 16-bit NUL.  Called on the
    // sender's thread, concurrently from several threads; returns once the
    // write has finished or failed (failures are logged by the writer).
    virtual void writePipeMessage(const std::u16string& messageWithTerminator) = 0;

    // Converts a UTF-8 text that fits one pipe message and writes it, with the
    // same guarantees as writePipeMessage.  This default converts into a new
    // string; the platform half may convert into a buffer it keeps per thread.
    virtual void writePipeText(std::string_view text);

private:
    struct Heartbeat {
        std::mutex mutex;
        std::condition_variable wake;
        bool running = true;  // guarded by mutex
    };

    void deliver(const std::string& text);
    void sendMultiPartMessage(const std::string& text);
    void startFlush();
    void flushPendingMessages();
    void startHeartbeat();
    void stopHeartbeat();

    // Set by terminate() on the engine's thread, read by every sender.
    std::atomic<bool> terminating{false};
    // Set by shutdown() on the thread that resets; from then on nothing is
    // written (the flush ends, senders drop their messages).
    std::atomic<bool> stopped{false};

    // The check of processInitialized and the append to pendingMessages
    // exclude the flush's taking of the list and its setting of
    // processInitialized, under sendStateMutex.  The flush runs on a thread
    // of its own, not the pipe server thread, so that reading goes on while
    // held-back messages are written (a browser process that answers on the
    // thread that reads would otherwise fill both pipes and wait with us).
    // Senders that arrive during the flush append to the list and return at
    // once; the flush takes the list again until it is empty and only then
    // sets processInitialized, so held-back messages leave first, every
    // thread's messages keep their order, and no sender waits for more than
    // its own write.
    std::mutex sendStateMutex;
    std::deque<std::string> pendingMessages;  // guarded by sendStateMutex
    bool processInitialized = false;          // guarded by sendStateMutex
    bool flushingPendingMessages = false;     // guarded by sendStateMutex

    // Shared with the detached heartbeat threads, which keep it alive after
    // the bridge is gone; they wake on it instead of sleeping blindly.
    std::shared_ptr<Heartbeat> heartbeat = std::make_shared<Heartbeat>();
    std::chrono::milliseconds heartbeatInterval{15000};

    // Incremented by whichever thread sends a long message.
    std::atomic<uint64_t> lastMultiPartMessageId{0};
};
