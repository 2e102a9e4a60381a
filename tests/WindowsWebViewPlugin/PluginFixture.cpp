#include "PluginFixture.h"

#include <chrono>
#include <thread>

#include <atomic>

EngineRecorder& EngineRecorder::instance() {
    // Never destroyed: detached plug-in threads may still report while the
    // test program exits.
    static EngineRecorder* recorder = new EngineRecorder;
    return *recorder;
}

void EngineRecorder::record(EngineCall call) {
    call.thread = std::this_thread::get_id();
    std::lock_guard<std::mutex> lock(mutex);
    recorded.push_back(std::move(call));
    changed.notify_all();
}

std::vector<EngineCall> EngineRecorder::calls() {
    std::lock_guard<std::mutex> lock(mutex);
    return recorded;
}

std::vector<EngineCall> EngineRecorder::callsOf(const std::string& callback) {
    std::vector<EngineCall> result;
    for (auto& call : calls())
        if (call.callback == callback) result.push_back(call);
    return result;
}

void EngineRecorder::clear() {
    std::lock_guard<std::mutex> lock(mutex);
    recorded.clear();
}

namespace {
void WEBVIEW_STDCALL onTerminated() { EngineRecorder::instance().record({"terminated", {}, 0, {}}); }
void WEBVIEW_STDCALL onInfo(const char* text) { EngineRecorder::instance().record({"info", {text}, 0, {}}); }
void WEBVIEW_STDCALL onWarning(const char* text) { EngineRecorder::instance().record({"warning", {text}, 0, {}}); }
void WEBVIEW_STDCALL onError(const char* text) { EngineRecorder::instance().record({"error", {text}, 0, {}}); }
void WEBVIEW_STDCALL onMessage(const char* id, const char* type, const char* data) {
    EngineRecorder::instance().record({"message", {id, type, data}, 0, {}});
}
void WEBVIEW_STDCALL onCookies(const char* id, const char* cookies) {
    EngineRecorder::instance().record({"cookies", {id, cookies}, 0, {}});
}
void WEBVIEW_STDCALL onBool(const char* id, int success) {
    EngineRecorder::instance().record({"bool", {id}, success, {}});
}

std::mutex bridgesMutex;
std::shared_ptr<RecordingBridge> lastBridge;  // guarded by bridgesMutex
std::atomic<int> bridgesCreated{0};

std::shared_ptr<PluginToChromiumBridge> makeRecordingBridge() {
    auto bridge = std::make_shared<RecordingBridge>();
    std::lock_guard<std::mutex> lock(bridgesMutex);
    lastBridge = bridge;
    ++bridgesCreated;
    return bridge;
}
}  // namespace

void initializeWithRecorder() {
    WebView_initializePlugin(onTerminated, onInfo, onWarning, onError, onMessage, onCookies, onBool);
}

void RecordingBridge::writePipeMessage(const std::u16string& messageWithTerminator) {
    if (const int micros = writeMicroseconds) std::this_thread::sleep_for(std::chrono::microseconds(micros));
    EXPECT_FALSE(messageWithTerminator.empty());
    EXPECT_EQ(messageWithTerminator.back(), u'\0');
    std::string text = utf16ToUtf8(std::u16string_view(messageWithTerminator.data(), messageWithTerminator.size() - 1));
    {
        std::lock_guard<std::mutex> lock(mutex);
        messages.push_back(std::move(text));
    }
    changed.notify_all();
}

std::vector<std::string> RecordingBridge::written() {
    std::lock_guard<std::mutex> lock(mutex);
    return messages;
}

size_t RecordingBridge::writtenCount() {
    std::lock_guard<std::mutex> lock(mutex);
    return messages.size();
}

bool RecordingBridge::waitForWritten(size_t count, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return messages.size() >= count; });
}

void RecordingBridges::install() { setBridgeFactory(&makeRecordingBridge); }

std::shared_ptr<RecordingBridge> RecordingBridges::current() {
    std::lock_guard<std::mutex> lock(bridgesMutex);
    return lastBridge;
}

int RecordingBridges::created() { return bridgesCreated; }

void PluginTest::SetUp() {
    RecordingBridges::install();
    setTerminationWatchdogDelay(std::chrono::milliseconds(4000));
    initializeWithRecorder();
    EngineRecorder::instance().clear();
}

void PluginTest::TearDown() {
    resetPlugin(true);
    {
        std::lock_guard<std::mutex> lock(bridgesMutex);
        lastBridge.reset();
    }
    EngineRecorder::instance().clear();
}
