#include <gtest/gtest.h>

#include <rapidjson/document.h>

#include <atomic>
#include <thread>

#include "MultiPartMessage.h"
#include "PluginFixture.h"

namespace {

using Bridge = PluginTest;

std::shared_ptr<RecordingBridge> startBridge() {
    WebView_getCookies("https://a", "n", "first");
    auto bridge = RecordingBridges::current();
    EXPECT_TRUE(bridge);
    return bridge;
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
    bridge->handleIncomingMessage("ProcessInitialized");
    WebView_deleteCookies("u", "n", "third");
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

    const auto written = bridge->written();
    ASSERT_EQ(written.size(), 1u + kThreads * kPerThread);
    std::vector<int> next(kThreads, 0);
    for (size_t i = 1; i < written.size(); ++i) {
        const auto colon = written[i].find(':');
        const int t = std::stoi(written[i].substr(0, colon));
        EXPECT_EQ(std::stoi(written[i].substr(colon + 1)), next[t]++) << written[i];
    }
}

// Senders that never pause must not keep the flush of the held-back list
// going: the pipe server thread does the flush and reads nothing meanwhile.
TEST_F(Bridge, TheFlushEndsWhileThreadsKeepSending) {
    auto bridge = startBridge();
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
    std::atomic<bool> flushed{false};
    std::thread server([&] {
        bridge->handleIncomingMessage("ProcessInitialized");
        flushed = true;
    });
    for (int waited = 0; !flushed && waited < 5000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const bool flushedWhileSending = flushed;
    sending = false;
    for (auto& sender : senders) sender.join();
    server.join();
    EXPECT_TRUE(flushedWhileSending);
}

TEST_F(Bridge, OneMegabyteIsTheLargestSinglePipeMessage) {
    auto bridge = startBridge();
    bridge->handleIncomingMessage("ProcessInitialized");
    const std::string fits(1048576 / 2 - 1, 'a');  // 2 * 524287 + 2 = 1 048 576 bytes
    bridge->sendMessage(fits);
    bridge->sendMessage(fits + "a");
    const auto written = bridge->written();
    ASSERT_GE(written.size(), 4u);
    EXPECT_EQ(written[1], fits);
    EXPECT_EQ(readPacket(written[2]).numberOfPackets, 2u);
    EXPECT_EQ(written.size(), 4u);
}

TEST_F(Bridge, LongMessagesAreCutIntoNumberedPackets) {
    auto bridge = startBridge();
    bridge->handleIncomingMessage("ProcessInitialized");
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
    bridge->handleIncomingMessage("ProcessInitialized");
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
    bridge->handleIncomingMessage("ProcessInitialized");
    void* handle = WebView_new("v", 1, 1, 1.0f, "");
    ASSERT_TRUE(WebView_setCachePath("ignored") == false);
    EXPECT_TRUE(WebView_terminateBrowserProcess());
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
    for (size_t i = 1; i < 4; ++i) EXPECT_EQ(bridge->written()[i], "Heartbeat");
    WebView_terminateBrowserProcess();
    const size_t afterTerminate = bridge->writtenCount();
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
