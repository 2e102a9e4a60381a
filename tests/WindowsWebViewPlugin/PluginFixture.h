#pragma once
// Shared by the plug-in's portable tests: engine callbacks that record every
// call with its thread, and a bridge whose pipe is a list of written messages.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Exports.h"
#include "Plugin.h"
#include "PluginToChromiumBridge.h"
#include "Utf.h"
#include "WebViewMessages.h"

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
};

void initializeWithRecorder();

// The messages written to the "pipe", in the order their writes happened.
class RecordingBridge : public PluginToChromiumBridge {
public:
    std::vector<std::string> written();
    size_t writtenCount();
    bool waitForWritten(size_t count, int timeoutMs = 5000);
    // How long each write takes, as a pipe write waits for its reader.
    std::atomic<int> writeMicroseconds{0};

protected:
    void writePipeMessage(const std::u16string& messageWithTerminator) override;

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
};

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};
