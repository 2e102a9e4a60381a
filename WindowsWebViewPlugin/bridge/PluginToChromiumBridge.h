#pragma once
// The platform-neutral half of the bridge to the browser process: the one
// queue of outgoing messages and the writer thread that owns the pipe,
// holding messages back until the browser process is ready, cutting long
// ones into multi-part packets, the built-in incoming messages, the
// heartbeat, the start-up limit and the termination request.  The platform
// half writes one pipe message at a time for the writer.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "bridge/BridgeHost.h"
#include "bridge/SlimLock.h"

class PluginToChromiumBridge : public std::enable_shared_from_this<PluginToChromiumBridge> {
public:
    // Beyond this many bytes queued, senders wait for room (never drop).
    static constexpr size_t kDefaultQueueByteLimit = 64u * 1024 * 1024;
    // How long the browser process has, from its launch, to report
    // "ProcessInitialized".
    static constexpr std::chrono::milliseconds kDefaultStartupLimit{30000};

    explicit PluginToChromiumBridge(BridgeHost& host) : host(host) {}
    PluginToChromiumBridge(const PluginToChromiumBridge&) = delete;
    PluginToChromiumBridge& operator=(const PluginToChromiumBridge&) = delete;
    virtual ~PluginToChromiumBridge();

    // Any thread.  Appends the text to the queue and returns: the writer
    // writes it once the browser process is ready.  Waits only while the
    // queue holds more than its byte limit.  Refused once terminate() has
    // queued its request, once the bridge stops, and once the browser
    // process has gone away.  Taken by value: the copy (or the move) is made
    // before the queue's lock, which is then held only to append.
    void sendMessage(std::string text);

    virtual bool shouldQuoteArguments() const { return false; }

    // Starts the writer thread and then the transport's threads, outside
    // every plug-in lock; false after logging why not.  The bridge must be
    // owned by a shared_ptr by then.
    bool start();

    // The engine's thread.  Queues the terminate request behind everything
    // handed over before it and arms the watchdog; every later message is
    // refused.
    void terminate();

    // Ends the bridge's threads and the browser process.  Runs once, from
    // resetPlugin, possibly on one of the bridge's own threads; the
    // destructor runs it too in case nobody did.
    virtual void shutdown();

    // Elements 2 to 11 of the browser process's command line.
    std::vector<std::string> getCommandLineArguments() const;

    // The pipe server thread: one incoming text, already in UTF-8.
    void handleIncomingMessage(const std::string& text);

    // Whether "ProcessInitialized" has come and every message held back
    // before it has been written.  Any thread.
    bool isProcessInitialized();

    // Bytes handed over and not yet written.  Any thread.
    size_t queuedBytes() const { return queueBytes.load(); }

    // Whether the writer has nothing left to write: everything queued is
    // written (or dropped), or nothing is to be written yet.  Any thread.
    bool hasWrittenEverythingQueued();

    // Between heartbeats; tests shorten it.  Set before the first
    // "ProcessInitialized".
    void setHeartbeatInterval(std::chrono::milliseconds interval) { heartbeatInterval = interval; }
    // Tests only; set before start().
    void setQueueByteLimit(size_t bytes) { queueByteLimit = bytes; }
    // Tests only: the start-up limit of bridges started from now on.
    static void setStartupLimit(std::chrono::milliseconds limit);

protected:
    // The plug-in around the bridge; it outlives every bridge.
    BridgeHost& host;

    // The transport's own threads; the bridge without one has none.
    virtual bool startTransport() { return true; }

    // The writer thread only.  Writes one pipe message: UTF-16 text and its
    // 16-bit NUL, and returns once the write has finished or failed.  A
    // failure is logged by the transport; false means the browser process
    // is gone and nothing more can be written.
    virtual bool writePipeMessage(const std::u16string& messageWithTerminator) = 0;

    // The writer thread only.  Converts a UTF-8 text that fits one pipe
    // message and writes it, as writePipeMessage.  This default converts into
    // a new string; the platform half converts into a buffer it keeps.
    virtual bool writePipeText(std::string_view text);

    // Any thread, during shutdown: makes a write that waits for the pipe
    // return, so that the writer can end.  Called until the writer has ended.
    virtual void cancelPendingWrite() {}

private:
    struct Heartbeat {
        std::mutex mutex;
        std::condition_variable wake;
        bool running = true;  // guarded by mutex
    };

    void runWriter();
    bool writeQueued(const std::string& text);
    void startHeartbeat();
    void stopHeartbeat();
    void stopWriter();
    void releaseRoom(size_t bytes);
    bool appendLocked(std::string text);
    void discardQueueLocked();

    // The queue and its state, under queueMutex.  Senders append; the writer
    // takes the whole queue at once and writes it outside the lock, so a
    // sender never waits for a write, one FIFO keeps every thread's order,
    // and a multi-part message (cut by the writer) stays in one piece.
    // Before "ProcessInitialized" the queue is the held-back list and the
    // writer leaves it alone; at "ProcessInitialized" it is simply the front
    // of the queue.
    SlimMutex queueMutex;
    SlimConditionVariable queueChanged;   // wakes the writer
    SlimConditionVariable roomAvailable;  // wakes senders over the byte limit
    std::deque<std::string> queue;          // guarded by queueMutex
    bool processInitialized = false;        // guarded by queueMutex
    bool terminating = false;               // guarded by queueMutex: the terminate request is queued
    std::atomic<bool> stopped{false};       // written under queueMutex: shutdown has begun
    bool peerGone = false;                  // guarded by queueMutex: a write found the browser process gone
    bool writerWaiting = false;             // guarded by queueMutex: the writer sleeps on queueChanged
    bool writerEnded = false;               // guarded by queueMutex
    // Messages queued in all, and the count that had been queued when
    // "ProcessInitialized" came (the held-back ones); guarded by queueMutex.
    uint64_t messagesQueued = 0;
    uint64_t heldBackEnd = UINT64_MAX;
    // Written by the writer, read by anyone.
    std::atomic<uint64_t> messagesWritten{0};
    // Bytes queued and not yet written: added by senders under queueMutex,
    // taken off by the writer without it; senders waiting for room count
    // themselves in roomWaiters first, so the writer knows to wake them.
    std::atomic<size_t> queueBytes{0};
    std::atomic<int> roomWaiters{0};
    size_t queueByteLimit = kDefaultQueueByteLimit;

    std::thread writer;  // started and taken under queueMutex
    std::chrono::milliseconds startupLimit{0};           // set by start()
    std::chrono::steady_clock::time_point startupDeadline;  // set by start()

    // Shared with the detached heartbeat threads, which keep it alive after
    // the bridge is gone; they wake on it instead of sleeping blindly.
    std::shared_ptr<Heartbeat> heartbeat = std::make_shared<Heartbeat>();
    std::chrono::milliseconds heartbeatInterval{15000};

    // The writer's only: ids of multi-part messages.
    uint64_t lastMultiPartMessageId = 0;
};
