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
    {
        std::lock_guard<std::mutex> lock(mutex);
        recorded.push_back(call);
        changed.notify_all();
    }
    callHook(call);
}

void EngineRecorder::setHook(std::function<void(const EngineCall&)> newHook) {
    std::lock_guard<std::mutex> lock(hookMutex);
    hook = std::move(newHook);
}

void EngineRecorder::callHook(const EngineCall& call) {
    std::function<void(const EngineCall&)> current;
    {
        std::lock_guard<std::mutex> lock(hookMutex);
        current = hook;
    }
    if (current) current(call);
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
std::atomic<bool> failStart{false};

std::shared_ptr<PluginToChromiumBridge> makeRecordingBridge(BridgeHost& host) {
    auto bridge = std::make_shared<RecordingBridge>(host);
    RecordingBridges::adopt(bridge);
    return bridge;
}
}  // namespace

void RecordingBridges::adopt(const std::shared_ptr<RecordingBridge>& bridge) {
    std::lock_guard<std::mutex> lock(bridgesMutex);
    lastBridge = bridge;
    ++bridgesCreated;
}

void initializeWithRecorder() {
    WebView_initializePlugin(onTerminated, onInfo, onWarning, onError, onMessage, onCookies, onBool);
}

bool RecordingBridge::writePipeMessage(const std::u16string& messageWithTerminator) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (messages.size() >= goneAfter) return false;
    }
    if (const int micros = writeMicroseconds) std::this_thread::sleep_for(std::chrono::microseconds(micros));
    EXPECT_FALSE(messageWithTerminator.empty());
    EXPECT_EQ(messageWithTerminator.back(), u'\0');
    std::string text = utf16ToUtf8(std::u16string_view(messageWithTerminator.data(), messageWithTerminator.size() - 1));
    if (onWrite) onWrite(text);
    {
        std::lock_guard<std::mutex> lock(mutex);
        messages.push_back(std::move(text));
    }
    changed.notify_all();
    return true;
}

void RecordingBridge::shutdown() {
    if (onShutdown) onShutdown();
    PluginToChromiumBridge::shutdown();
}

bool RecordingBridge::startTransport() {
    if (!failStart.exchange(false)) return true;
    logError("CreateThread failed");
    return false;
}

bool RecordingBridge::waitForInitialized(int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; ++waited) {
        if (isProcessInitialized()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

namespace {
void waitForTheWriter(RecordingBridge& bridge) {
    for (int waited = 0; waited < 5000 && !bridge.hasWrittenEverythingQueued(); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
}  // namespace

std::vector<std::string> RecordingBridge::written() {
    waitForTheWriter(*this);
    return writtenSoFar();
}

std::vector<std::string> RecordingBridge::writtenSoFar() {
    std::lock_guard<std::mutex> lock(mutex);
    return messages;
}

size_t RecordingBridge::writtenCount() {
    waitForTheWriter(*this);
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

void RecordingBridges::failNextStart() { failStart = true; }

void PluginTest::SetUp() {
    restorePluginDefaults();
    RecordingBridges::install();
    initializeWithRecorder();
    EngineRecorder::instance().clear();
}

void PluginTest::TearDown() {
    EngineRecorder::instance().setHook(nullptr);
    restorePluginDefaults();
    {
        std::lock_guard<std::mutex> lock(bridgesMutex);
        lastBridge.reset();
    }
    EngineRecorder::instance().clear();
}
