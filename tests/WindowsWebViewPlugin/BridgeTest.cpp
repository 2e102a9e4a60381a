#include <gtest/gtest.h>

#include <rapidjson/document.h>

#include <atomic>
#include <functional>
#include <future>
#include <stdexcept>
#include <thread>

#include "PluginFixture.h"
#include "bridge/MultiPartMessage.h"

namespace {

using Bridge = PluginTest;

std::shared_ptr<RecordingBridge> startBridge() {
    WebView_getCookies("https://a", "n", "first");
    auto bridge = RecordingBridges::current();
    EXPECT_TRUE(bridge);
    return bridge;
}

// "ProcessInitialized", and the held-back messages written (by the writer,
// on a thread of its own).
void initialize(const std::shared_ptr<RecordingBridge>& bridge) {
    bridge->handleIncomingMessage("ProcessInitialized");
    ASSERT_TRUE(bridge->waitForInitialized());
}

struct Packet {
    std::string messageId;
    unsigned numberOfPackets = 0, packetNumber = 0;
    std::string data;
};

Packet readPacket(const std::string& text) {
    EXPECT_EQ(text.rfind(kMultiPartPrefix, 0), 0u);
    rapidjson::Document document;
    document.Parse(text.c_str() + 16, text.size() - 16);
    EXPECT_TRUE(document.IsObject());
    // Members in their fixed order.
    auto member = document.MemberBegin();
    EXPECT_STREQ(member[0].name.GetString(), "messageId");
    EXPECT_STREQ(member[1].name.GetString(), "numberOfPackets");
    EXPECT_STREQ(member[2].name.GetString(), "packetNumber");
    EXPECT_STREQ(member[3].name.GetString(), "data");
    return {document["messageId"].GetString(), document["numberOfPackets"].GetUint(),
            document["packetNumber"].GetUint(),
            std::string(document["data"].GetString(), document["data"].GetStringLength())};
}

TEST_F(Bridge, HeldBackMessagesLeaveFirstAndInOrder) {
    auto bridge = startBridge();
    WebView_setCookie("c", "second");
    EXPECT_EQ(bridge->writtenCount(), 0u);  // nothing before "ProcessInitialized"
    initialize(bridge);
    WebView_deleteCookies("u", "n", "third");
    ASSERT_TRUE(bridge->waitForWritten(3));
    const auto written = bridge->written();
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[0], R"({"type":14,"url":"https://a","cookieName":"n","resultCallbackId":"first"})");
    EXPECT_EQ(written[1], R"({"type":35,"serializedCookie":"c","resultCallbackId":"second"})");
    EXPECT_EQ(written[2], R"({"type":10,"url":"u","cookieName":"n","resultCallbackId":"third"})");
}

// Several threads send while the browser process reports it is ready: every
// message arrives once, and each thread's messages keep their order.
TEST_F(Bridge, NoMessageLostOrReorderedAcrossTheFlush) {
    auto bridge = startBridge();
    constexpr int kThreads = 4, kPerThread = 300;
    std::atomic<bool> go{false};
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t) {
        senders.emplace_back([&, t] {
            while (!go) std::this_thread::yield();
            for (int i = 0; i < kPerThread; ++i) bridge->sendMessage(std::to_string(t) + ":" + std::to_string(i));
        });
    }
    go = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    bridge->handleIncomingMessage("ProcessInitialized");
    for (auto& sender : senders) sender.join();

    ASSERT_TRUE(bridge->waitForWritten(1u + kThreads * kPerThread));
    const auto written = bridge->written();
    ASSERT_EQ(written.size(), 1u + kThreads * kPerThread);
    std::vector<int> next(kThreads, 0);
    for (size_t i = 1; i < written.size(); ++i) {
        const auto colon = written[i].find(':');
        const int t = std::stoi(written[i].substr(0, colon));
        EXPECT_EQ(std::stoi(written[i].substr(colon + 1)), next[t]++) << written[i];
    }
}

// Issue 17, fault 6: senders that never pause must not keep the held-back
// messages from going out: they all leave, and the bridge counts as
// initialised, while the senders are still sending faster than the pipe
// takes their messages.
TEST_F(Bridge, TheFlushEndsWhileThreadsKeepSending) {
    auto bridge = startBridge();
    constexpr int kHeldBack = 50;
    for (int i = 0; i < kHeldBack; ++i) WebView_setCookie(std::to_string(i).c_str(), "held");
    bridge->writeMicroseconds = 200;
    std::atomic<bool> sending{true};
    std::vector<std::thread> senders;
    for (int t = 0; t < 3; ++t)
        senders.emplace_back([&] {
            while (sending) {
                bridge->sendMessage("busy");  // faster, together, than the pipe takes them
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    bridge->handleIncomingMessage("ProcessInitialized");
    const bool flushedWhileSending = bridge->waitForInitialized(5000) && sending;
    sending = false;
    for (auto& sender : senders) sender.join();
    EXPECT_TRUE(flushedWhileSending);
    const auto written = bridge->writtenSoFar();
    ASSERT_GE(written.size(), 1u + kHeldBack);
    for (int i = 0; i < kHeldBack; ++i)
        EXPECT_EQ(written[1 + i], R"({"type":35,"serializedCookie":")" + std::to_string(i) + R"(","resultCallbackId":"held"})");
}

TEST_F(Bridge, OneMegabyteIsTheLargestSinglePipeMessage) {
    auto bridge = startBridge();
    initialize(bridge);
    const std::string fits(1048576 / 2 - 1, 'a');  // 2 * 524287 + 2 = 1 048 576 bytes
    bridge->sendMessage(fits);
    bridge->sendMessage(fits + "a");
    ASSERT_TRUE(bridge->waitForWritten(4));
    const auto written = bridge->written();
    ASSERT_GE(written.size(), 4u);
    EXPECT_EQ(written[1], fits);
    EXPECT_EQ(readPacket(written[2]).numberOfPackets, 2u);
    EXPECT_EQ(written.size(), 4u);
}

TEST_F(Bridge, LongMessagesAreCutIntoNumberedPackets) {
    auto bridge = startBridge();
    initialize(bridge);
    std::string text(2097152, 'x');
    for (size_t i = 0; i < text.size(); i += 7) text[i] = static_cast<char>('a' + i % 26);
    bridge->sendMessage(text);
    bridge->sendMessage(std::string(1048576, 'y'));

    const auto written = bridge->written();
    ASSERT_EQ(written.size(), 1u + 5u + 3u);
    std::string joined;
    for (unsigned i = 1; i <= 5; ++i) {
        const Packet packet = readPacket(written[i]);
        EXPECT_EQ(packet.messageId, "1");
        EXPECT_EQ(packet.numberOfPackets, 5u);
        EXPECT_EQ(packet.packetNumber, i);
        EXPECT_EQ(packet.data.size(), i < 5 ? 442360u : 327712u);
        joined += packet.data;
    }
    EXPECT_EQ(joined, text);
    EXPECT_EQ(readPacket(written[6]).messageId, "2");

    // A new bridge counts from 1 again.
    resetPlugin(true);
    bridge = startBridge();
    initialize(bridge);
    bridge->sendMessage(text);
    ASSERT_EQ(bridge->written().size(), 6u);
    EXPECT_EQ(readPacket(bridge->written()[1]).messageId, "1");
}

// Every packet fits a pipe message and carries valid UTF-8 of its own, even
// for text whose characters need escaping or take four bytes.
TEST(MultiPartPackets, EveryPacketFitsAndCutsFallBetweenCharacters) {
    const std::string samples[] = {
        [] { std::string s; while (s.size() < 3000000) s += "\xE4\xB8\xAD\xF0\x9F\x98\x80" "a"; return s; }(),
        [] { std::string s; while (s.size() < 2500000) s += "\"\\\n\x01" "\xC3\xA9"; return s; }(),
    };
    for (const std::string& text : samples) {
        const auto packets = buildMultiPartPackets(9, text);
        ASSERT_GE(packets.size(), 2u);
        std::string joined;
        for (const std::string& packet : packets) {
            EXPECT_LE(utf16Length(packet) * 2 + 2, kMaxPipeMessageBytes);
            const Packet p = readPacket(packet);
            EXPECT_EQ(p.messageId, "9");
            EXPECT_EQ(sanitizeUtf8(p.data), p.data) << "a packet splits a character";
            joined += p.data;
        }
        EXPECT_EQ(joined, text);
    }
}

// With the prefix counted, packets stay within the limit also from 100
// packets on, where the placeholders alone would leave no room for it.
TEST(MultiPartPackets, HundredsOfPacketsStillFit) {
    // Control characters escape to six bytes each, so a packet holds few of them.
    const std::string text(120 * 87381, '\x01');
    const auto packets = buildMultiPartPackets(1, text);
    ASSERT_GE(packets.size(), 100u);
    for (const std::string& packet : packets) EXPECT_LE(packet.size() * 2 + 2, kMaxPipeMessageBytes);
}

TEST_F(Bridge, TerminateBeforeInitializedResetsOnlyThroughTheWatchdog) {
    setTerminationWatchdogDelay(std::chrono::milliseconds(300));
    auto bridge = startBridge();
    void* handle = WebView_new("v", 1, 1, 1.0f, "");
    EXPECT_TRUE(WebView_terminateBrowserProcess());
    WebView_setCookie("dropped", "x");
    bridge->handleIncomingMessage("ProcessInitialized");
    // The held-back terminate request is dropped with everything else.
    EXPECT_EQ(bridge->writtenCount(), 0u);
    EXPECT_TRUE(WebView_browserProcessIsRunning());
    ASSERT_TRUE(EngineRecorder::instance().waitFor(
        [](const std::vector<EngineCall>& calls) { return !calls.empty(); }, 5000));
    EXPECT_FALSE(WebView_browserProcessIsRunning());
    const auto calls = EngineRecorder::instance().calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].callback, "terminated");
    EXPECT_NE(calls[0].thread, std::this_thread::get_id());
    WebView_destroy(handle);
}

TEST_F(Bridge, TerminateProcessFinishedResetsOnceAndTheWatchdogStaysQuiet) {
    setTerminationWatchdogDelay(std::chrono::milliseconds(200));
    auto bridge = startBridge();
    initialize(bridge);
    void* handle = WebView_new("v", 1, 1, 1.0f, "");
    ASSERT_TRUE(WebView_setCachePath("ignored") == false);
    EXPECT_TRUE(WebView_terminateBrowserProcess());
    ASSERT_TRUE(bridge->waitForWritten(2));
    ASSERT_EQ(bridge->written().size(), 2u);
    EXPECT_EQ(bridge->written()[1], "{\"type\": 47}");

    // After terminate: registry empty, log slots empty, results still flow.
    handleBridgeMessage(R"({"type":52,"webViewId":"v","message":"X"})");
    handleBridgeMessage(R"({"type":51,"success":true,"resultCallbackId":"r"})");
    WebView_setCookie("dropped", "x");
    EXPECT_EQ(bridge->written().size(), 2u);

    bridge->handleIncomingMessage("TerminateProcessFinished");
    EXPECT_FALSE(WebView_browserProcessIsRunning());
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const auto calls = EngineRecorder::instance().calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].callback, "bool");
    EXPECT_EQ(calls[1].callback, "terminated");
    // Options are open again and back at their defaults.
    EXPECT_EQ(bridge->getCommandLineArguments(), std::vector<std::string>{"--log-severity=warning"});
    EXPECT_TRUE(WebView_setCachePath("now"));
    WebView_destroy(handle);
}

TEST_F(Bridge, BuiltInTextsAreWholeAndCaseSensitive) {
    auto bridge = startBridge();
    for (const char* text : {"processinitialized", "ProcessInitialized ", "Heartbeat", "MultiPartMessage{}"})
        bridge->handleIncomingMessage(text);
    EXPECT_EQ(bridge->writtenCount(), 0u);
    EXPECT_EQ(EngineRecorder::instance().callsOf("error").size(), 4u);
    EXPECT_TRUE(WebView_browserProcessIsRunning());
}

TEST_F(Bridge, HeartbeatGoesToTheBridgeUntilTerminate) {
    auto bridge = startBridge();
    bridge->setHeartbeatInterval(std::chrono::milliseconds(20));
    bridge->handleIncomingMessage("ProcessInitialized");
    ASSERT_TRUE(bridge->waitForWritten(4));
    for (size_t i = 1; i < 4; ++i) EXPECT_EQ(bridge->writtenSoFar()[i], "Heartbeat");
    WebView_terminateBrowserProcess();
    const size_t afterTerminate = bridge->writtenCount();
    EXPECT_EQ(bridge->writtenSoFar().back(), "{\"type\": 47}");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(bridge->writtenCount(), afterTerminate);
}

// A reset on another thread while heartbeats and senders are busy: nobody
// touches the destroyed bridge (the sanitizers watch).
TEST_F(Bridge, ResetWhileThreadsSend) {
    for (int round = 0; round < 20; ++round) {
        auto bridge = startBridge();
        bridge->setHeartbeatInterval(std::chrono::milliseconds(1));
        bridge->handleIncomingMessage("ProcessInitialized");
        bridge.reset();
        std::thread sender([] {
            for (int i = 0; i < 200; ++i) WebView_setCookie("c", "r");
        });
        std::thread resetter([] { resetPlugin(false); });
        sender.join();
        resetter.join();
        resetPlugin(true);
    }
    EXPECT_FALSE(WebView_browserProcessIsRunning());
}

}  // namespace

namespace {

// Runs `body` on a detached thread; false when it has not returned within
// `timeoutMs` (a thread that waits for ever is left behind, not joined).
template <typename Body>
bool returnsWithin(int timeoutMs, Body body) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread([done, body] {
        body();
        done->set_value();
    }).detach();
    return finished.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready;
}

double millisecondsOf(const std::function<void()>& body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Issue 12, fault 4: a write that throws inside the flush used to leave the
// flag set that makes senders wait, so every later send waited for ever.
TEST_F(Bridge, AFlushThatThrowsLeavesNoSenderWaiting) {
    auto bridge = startBridge();
    WebView_setCookie("boom", "x");
    bridge->onWrite = [](const std::string& text) {
        if (text.find("boom") != std::string::npos) throw std::runtime_error("write failed");
    };
    EXPECT_NO_THROW(bridge->handleIncomingMessage("ProcessInitialized"));
    EXPECT_TRUE(returnsWithin(5000, [] { WebView_setCookie("later", "y"); }));
    ASSERT_TRUE(bridge->waitForWritten(2));
    const auto written = bridge->written();
    EXPECT_EQ(written[0], R"({"type":14,"url":"https://a","cookieName":"n","resultCallbackId":"first"})");
    EXPECT_EQ(written[1], R"({"type":35,"serializedCookie":"later","resultCallbackId":"y"})");
    ASSERT_TRUE(EngineRecorder::instance().waitFor([](const std::vector<EngineCall>& calls) {
        for (const auto& call : calls)
            if (call.callback == "error" &&
                call.texts[0] == "[WindowsPluginToChromiumBridge] A message was not sent: write failed")
                return true;
        return false;
    }));
}

// Issue 12, fault 4: the flush of a long held-back list ran on the pipe
// server thread, which read nothing meanwhile, and every sender waited for
// the whole flush.  Now reading goes on at once, a sender waits for at most
// its own write, and every message still leaves in its thread's order.
TEST_F(Bridge, ReadingGoesOnAndSendersDoNotWaitDuringALongFlush) {
    auto bridge = startBridge();
    constexpr int kHeldBack = 400;
    for (int i = 0; i < kHeldBack; ++i) WebView_setCookie(std::to_string(i).c_str(), "");
    bridge->writeMicroseconds = 2000;  // the whole flush takes 0.8 s at least
    EXPECT_LT(millisecondsOf([&] { bridge->handleIncomingMessage("ProcessInitialized"); }), 200.0);
    EXPECT_LT(millisecondsOf([] { WebView_setCookie("during", ""); }), 200.0);
    EXPECT_FALSE(bridge->isProcessInitialized()) << "the flush was expected to be still running";
    ASSERT_TRUE(bridge->waitForWritten(kHeldBack + 2, 20000));
    const auto written = bridge->written();
    for (int i = 0; i < kHeldBack; ++i)
        EXPECT_EQ(written[1 + i], R"({"type":35,"serializedCookie":")" + std::to_string(i) + R"(","resultCallbackId":""})");
    EXPECT_EQ(written.back(), R"({"type":35,"serializedCookie":"during","resultCallbackId":""})");
}

// Issue 12, fault 6: terminationPending was set only after command 47 was
// written, so a "TerminateProcessFinished" that came back at once left the
// watchdog armed: 4 s later it reset the next browser process and told the
// engine a second time.
TEST_F(Bridge, AnImmediateConfirmationResetsOnceAndTheWatchdogStaysQuiet) {
    setTerminationWatchdogDelay(std::chrono::milliseconds(200));
    auto bridge = startBridge();
    initialize(bridge);
    RecordingBridge* raw = bridge.get();
    bridge->onWrite = [raw](const std::string& text) {
        if (text == "{\"type\": 47}") raw->handleIncomingMessage("TerminateProcessFinished");
    };
    EXPECT_TRUE(WebView_terminateBrowserProcess());
    ASSERT_TRUE(EngineRecorder::instance().waitFor(
        [](const std::vector<EngineCall>& calls) { return !calls.empty(); }));
    EXPECT_FALSE(WebView_browserProcessIsRunning());
    EXPECT_EQ(EngineRecorder::instance().callsOf("terminated").size(), 1u);
    WebView_getCookies("u", "n", "next");
    const auto next = RecordingBridges::current();
    ASSERT_NE(next, bridge);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(WebView_browserProcessIsRunning()) << "the watchdog reset the next browser process";
    EXPECT_EQ(EngineRecorder::instance().callsOf("terminated").size(), 1u);
}

// Issue 12, fault 7: the instance used to be cleared before the old bridge
// had shut down; meanwhile the plug-in said no browser process ran, setters
// succeeded and a command started a second browser process.
TEST_F(Bridge, TheBridgeShutsDownWhileItIsStillTheInstance) {
    auto bridge = startBridge();
    auto inShutdown = std::make_shared<std::promise<void>>();
    auto release = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    bridge->onShutdown = [inShutdown, released] {
        inShutdown->set_value();
        released.wait();
    };
    std::thread resetter([] { resetPlugin(false); });
    inShutdown->get_future().wait();
    EXPECT_TRUE(WebView_browserProcessIsRunning());
    EXPECT_FALSE(WebView_setCachePath("refused while the old browser process still runs"));
    const int before = RecordingBridges::created();
    std::thread sender([] { WebView_getCookies("u", "n", "during"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(RecordingBridges::created(), before) << "a second browser process started during the shutdown";
    release->set_value();
    resetter.join();
    sender.join();
    // The command waited for the reset and started the next browser process.
    EXPECT_EQ(RecordingBridges::created(), before + 1);
    EXPECT_TRUE(WebView_browserProcessIsRunning());
    EXPECT_EQ(EngineRecorder::instance().callsOf("terminated").size(), 1u);
}

// Issue 12, fault 9: the watchdog thread had no catch; whatever escaped it
// ended the game through std::terminate.
TEST_F(Bridge, AWatchdogThatFailsDoesNotEndTheGame) {
    setTerminationWatchdogDelay(std::chrono::milliseconds(100));
    auto bridge = startBridge();
    bridge->onShutdown = [] { throw std::runtime_error("shutdown failed"); };
    EXPECT_TRUE(WebView_terminateBrowserProcess());
    ASSERT_TRUE(EngineRecorder::instance().waitFor(
        [](const std::vector<EngineCall>& calls) { return !calls.empty(); }));
    EXPECT_EQ(EngineRecorder::instance().calls()[0].callback, "terminated");
    EXPECT_FALSE(WebView_browserProcessIsRunning());
}

// Issue 12, fault 9: nor had the heartbeat thread.  The heartbeat's write
// is now the writer's, which logs it and goes on.
TEST_F(Bridge, AHeartbeatThatFailsIsLoggedAndDoesNotEndTheGame) {
    auto bridge = startBridge();
    bridge->setHeartbeatInterval(std::chrono::milliseconds(10));
    bridge->onWrite = [](const std::string& text) {
        if (text == "Heartbeat") throw std::runtime_error("heartbeat write failed");
    };
    initialize(bridge);
    ASSERT_TRUE(EngineRecorder::instance().waitFor([](const std::vector<EngineCall>& calls) {
        for (const auto& call : calls)
            if (call.callback == "error" &&
                call.texts[0] == "[WindowsPluginToChromiumBridge] A message was not sent: heartbeat write failed")
                return true;
        return false;
    }));
    WebView_setCookie("after", "");
    ASSERT_TRUE(bridge->waitForWritten(2));
    EXPECT_EQ(bridge->written().back(), R"({"type":35,"serializedCookie":"after","resultCallbackId":""})");
}

// Issue 12, fault 9: no log line under a plug-in lock.  A bridge whose
// threads cannot start logs "CreateThread failed"; an engine whose log
// callback calls back into the plug-in must not deadlock on it.
TEST_F(Bridge, ALogCallbackThatCallsAnExportDoesNotDeadlock) {
    std::atomic<bool> calledBack{false};
    EngineRecorder::instance().setHook([&calledBack](const EngineCall& call) {
        if (call.callback == "error" && !calledBack.exchange(true)) {
            WebView_setCookie("from the log callback", "");
            (void)WebView_browserProcessIsRunning();
            (void)WebView_setCachePath("x");
        }
    });
    RecordingBridges::failNextStart();
    EXPECT_TRUE(returnsWithin(5000, [] { WebView_getCookies("u", "n", "r"); }));
    EXPECT_TRUE(calledBack);
    ASSERT_TRUE(EngineRecorder::instance().waitFor([](const std::vector<EngineCall>& calls) {
        for (const auto& call : calls)
            if (call.callback == "terminated") return true;
        return false;
    }));
    EngineRecorder::instance().setHook(nullptr);
}

bool hasCall(const std::string& callback, const std::string& text) {
    for (const auto& call : EngineRecorder::instance().callsOf(callback))
        if (!call.texts.empty() && call.texts[0] == text) return true;
    return false;
}

std::string setCookieText(const std::string& cookie, const std::string& id = "") {
    return R"({"type":35,"serializedCookie":")" + cookie + R"(","resultCallbackId":")" + id + R"("})";
}

// Issue 17, fault 1: terminate handed command 47 over while the held-back
// messages were still being written; the flush saw `terminating` and dropped
// 47 and everything queued before it.  Now everything handed over before
// terminate is written, in order, and 47 last.
TEST_F(Bridge, TerminateDuringTheFlushWritesEverythingBeforeIt) {
    auto bridge = startBridge();
    constexpr int kHeldBack = 100;
    for (int i = 0; i < kHeldBack; ++i) WebView_setCookie(std::to_string(i).c_str(), "");
    bridge->writeMicroseconds = 1000;  // the held-back messages take 0.1 s at least
    bridge->handleIncomingMessage("ProcessInitialized");
    WebView_setCookie("just before terminate", "");
    EXPECT_FALSE(bridge->isProcessInitialized()) << "the held-back messages were expected to be still going out";
    EXPECT_TRUE(WebView_terminateBrowserProcess());
    WebView_setCookie("after terminate", "");
    ASSERT_TRUE(bridge->waitForWritten(kHeldBack + 3, 10000)) << bridge->writtenSoFar().size() << " written";
    const auto written = bridge->written();
    ASSERT_EQ(written.size(), kHeldBack + 3u);
    for (int i = 0; i < kHeldBack; ++i) EXPECT_EQ(written[1 + i], setCookieText(std::to_string(i)));
    EXPECT_EQ(written[kHeldBack + 1], setCookieText("just before terminate"));
    EXPECT_EQ(written[kHeldBack + 2], "{\"type\": 47}");
}

// Issue 17, fault 2: a terminate while the old bridge was being reset armed
// a watchdog that the reset never cleared; it then reset the next bridge and
// the engine heard of a second termination.
TEST_F(Bridge, ATerminateDuringAResetArmsNoWatchdog) {
    setTerminationWatchdogDelay(std::chrono::milliseconds(200));
    auto bridge = startBridge();
    initialize(bridge);
    auto inShutdown = std::make_shared<std::promise<void>>();
    auto release = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    bridge->onShutdown = [inShutdown, released] {
        inShutdown->set_value();
        released.wait();
    };
    std::thread resetter([] { resetPlugin(false); });
    inShutdown->get_future().wait();
    EXPECT_TRUE(WebView_terminateBrowserProcess());  // the old bridge is still the instance
    release->set_value();
    resetter.join();
    WebView_getCookies("u", "n", "next");
    const auto next = RecordingBridges::current();
    ASSERT_NE(next, bridge);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_TRUE(WebView_browserProcessIsRunning()) << "the watchdog reset the next browser process";
    EXPECT_EQ(EngineRecorder::instance().callsOf("terminated").size(), 1u);
}

// Issue 17, fault 4: a browser process that never reported itself ready kept
// every command held back for ever.  After the start-up limit the held-back
// commands are dropped with one log line and the plug-in resets, so the
// engine hears of it and the next command starts a fresh browser process.
TEST_F(Bridge, ABrowserProcessThatNeverReportsReadyIsGivenUpAfterTheStartupLimit) {
    PluginToChromiumBridge::setStartupLimit(std::chrono::milliseconds(300));
    auto bridge = startBridge();
    for (int i = 0; i < 20; ++i) WebView_setCookie(std::string(1000, 'h').c_str(), "");
    ASSERT_TRUE(EngineRecorder::instance().waitFor([](const std::vector<EngineCall>& calls) {
        for (const auto& call : calls)
            if (call.callback == "terminated") return true;
        return false;
    }));
    EXPECT_FALSE(WebView_browserProcessIsRunning());
    const auto errors = EngineRecorder::instance().callsOf("error");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].texts[0],
              "[WindowsPluginToChromiumBridge] The browser process did not report itself initialized within 300 ms "
              "of its launch; it is ended and 21 held-back messages were dropped");
    EXPECT_EQ(bridge->queuedBytes(), 0u);
    EXPECT_EQ(bridge->writtenCount(), 0u);
    const int before = RecordingBridges::created();
    WebView_getCookies("u", "n", "again");
    EXPECT_EQ(RecordingBridges::created(), before + 1);
    EXPECT_TRUE(WebView_browserProcessIsRunning());
}

// Issue 17, fault 5: a cookie command sent from an engine callback on one of
// the bridge's threads while the plug-in resets cannot wait for the reset
// (which waits for that thread); it used to vanish without a word.
TEST_F(Bridge, ACommandFromABridgeThreadDuringAResetIsDroppedWithALogLine) {
    auto bridge = startBridge();
    auto inShutdown = std::make_shared<std::promise<void>>();
    auto release = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    bridge->onShutdown = [inShutdown, released] {
        inShutdown->set_value();
        released.wait();
    };
    std::thread resetter([] { resetPlugin(false); });
    inShutdown->get_future().wait();
    EXPECT_TRUE(returnsWithin(5000, [] {
        bridgeHost().markBridgeThread();
        WebView_setCookie("from a callback", "");
    }));
    release->set_value();
    resetter.join();
    EXPECT_TRUE(hasCall("error", "[ChromiumWebViewProxy] A command sent while the plug-in resets was dropped; type 35"));
}

// Once the browser process is up, an engine call only queues its message:
// with every write taking 5 ms, 200 calls still return at once, and the
// messages leave in order.
TEST_F(Bridge, SendersDoNotWaitForThePipe) {
    auto bridge = startBridge();
    initialize(bridge);
    bridge->writeMicroseconds = 5000;
    const double ms = millisecondsOf([] {
        for (int i = 0; i < 200; ++i) WebView_setCookie(std::to_string(i).c_str(), "");
    });
    EXPECT_LT(ms, 200.0) << "the calls waited for the writes (1 s in all)";
    ASSERT_TRUE(bridge->waitForWritten(201, 20000));
    const auto written = bridge->written();
    for (int i = 0; i < 200; ++i) EXPECT_EQ(written[1 + i], setCookieText(std::to_string(i)));
}

// Beyond the byte limit a sender waits for room and nothing is dropped; the
// queue's bytes are back to 0 once it has drained.
TEST_F(Bridge, AFullQueueMakesSendersWaitAndDropsNothing) {
    setBridgeFactory([](BridgeHost& host) -> std::shared_ptr<PluginToChromiumBridge> {
        auto bridge = std::make_shared<RecordingBridge>(host);
        bridge->setQueueByteLimit(10000);
        RecordingBridges::adopt(bridge);
        return bridge;
    });
    auto bridge = startBridge();
    initialize(bridge);
    auto release = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    bridge->onWrite = [released](const std::string& text) {
        if (text == setCookieText("blocker")) released.wait();
    };
    WebView_setCookie("blocker", "");
    const std::string cookie(1000, 'c');
    std::atomic<int> sent{0};
    std::thread sender([&] {
        for (int i = 0; i < 30; ++i) {
            WebView_setCookie(cookie.c_str(), std::to_string(i).c_str());
            ++sent;
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int sentWhileBlocked = sent;
    EXPECT_GE(sentWhileBlocked, 5);
    EXPECT_LT(sentWhileBlocked, 30) << "the sender did not wait for room";
    EXPECT_LE(bridge->queuedBytes(), 10000u + cookie.size() + 100);
    release->set_value();
    sender.join();
    ASSERT_TRUE(bridge->waitForWritten(32, 10000));
    const auto written = bridge->written();
    ASSERT_EQ(written.size(), 32u);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(written[2 + i], setCookieText(cookie, std::to_string(i)));
    EXPECT_EQ(bridge->queuedBytes(), 0u);
}

// Once a write finds the browser process gone, the bridge refuses every
// further message in one place: nothing more is written or queued.
TEST_F(Bridge, AfterTheBrowserProcessIsGoneMessagesAreRefused) {
    auto bridge = startBridge();
    initialize(bridge);
    bridge->goneAfter = 2;
    WebView_setCookie("written", "");
    WebView_setCookie("finds the pipe gone", "");
    ASSERT_TRUE(returnsWithin(5000, [bridge] {
        while (!bridge->hasWrittenEverythingQueued()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }));
    for (int i = 0; i < 100; ++i) WebView_setCookie("refused", "");
    EXPECT_EQ(bridge->queuedBytes(), 0u);
    EXPECT_EQ(bridge->written(), (std::vector<std::string>{
                                     R"({"type":14,"url":"https://a","cookieName":"n","resultCallbackId":"first"})",
                                     setCookieText("written")}));
}

}  // namespace
