#pragma once
// Shared by the plug-in's portable tests: engine callbacks that record every
// call with its thread, and a bridge whose pipe is a list of written messages.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bridge/PluginToChromiumBridge.h"
#include "exports/Exports.h"
#include "text/Utf.h"
#include "webview/CommandSending.h"
#include "webview/Plugin.h"
#include "webview/WebViewMessages.h"

struct EngineCall {
    std::string callback;  // "terminated", "info", "warning", "error", "message", "cookies", "bool"
    std::vector<std::string> texts;
    int number = 0;
    std::thread::id thread;
};

class EngineRecorder {
public:
    static EngineRecorder& instance();
    void record(EngineCall call);
    std::vector<EngineCall> calls();
    std::vector<EngineCall> callsOf(const std::string& callback);
    void clear();
    // Called with every call after it is recorded, on the calling thread
    // (null: none).  Set it while no plug-in thread reports.
    void setHook(std::function<void(const EngineCall&)> hook);
    void callHook(const EngineCall& call);
    // Waits until `predicate(calls)` holds; false after `timeoutMs`.
    template <typename Predicate>
    bool waitFor(Predicate predicate, int timeoutMs = 5000) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return predicate(recorded); });
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<EngineCall> recorded;
    std::mutex hookMutex;
    std::function<void(const EngineCall&)> hook;  // guarded by hookMutex
};

void initializeWithRecorder();

// The messages written to the "pipe", in the order their writes happened.
// The writer writes on a thread of its own: written() and writtenCount()
// first wait (up to 5 s) until it has written everything handed over so far,
// so that a test reads what its sends have led to.
class RecordingBridge : public PluginToChromiumBridge {
public:
    explicit RecordingBridge(BridgeHost& host) : PluginToChromiumBridge(host) {}
    std::vector<std::string> written();
    size_t writtenCount();
    // The same without waiting for the writer.
    std::vector<std::string> writtenSoFar();
    bool waitForWritten(size_t count, int timeoutMs = 5000);
    // How long each write takes, as a pipe write waits for its reader.
    std::atomic<int> writeMicroseconds{0};
    // Called with each text before it is written, on the writing thread; may
    // throw, as a failing write would.  Set before the writes begin.
    std::function<void(const std::string&)> onWrite;
    // From this many writes on, every write finds the browser process gone.
    std::atomic<size_t> goneAfter{SIZE_MAX};
    // Called when the bridge shuts down, before the base part does.
    std::function<void()> onShutdown;
    void shutdown() override;
    // Waits until the held-back messages are flushed; false after `timeoutMs`.
    bool waitForInitialized(int timeoutMs = 5000);

protected:
    bool startTransport() override;
    bool writePipeMessage(const std::u16string& messageWithTerminator) override;

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> messages;
};

// Installs a factory that creates RecordingBridges; `current()` is the last one made.
struct RecordingBridges {
    static void install();
    static std::shared_ptr<RecordingBridge> current();
    static int created();
    // The next bridge's start() logs "CreateThread failed" and fails.
    static void failNextStart();
    // For a factory of a test's own: counts `bridge` and makes it current().
    static void adopt(const std::shared_ptr<RecordingBridge>& bridge);
};

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};
