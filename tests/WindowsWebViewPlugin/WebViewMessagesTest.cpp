#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "PluginFixture.h"
#include "webview/ChromiumWebViewProxy.h"
#include "webview/WebViewMessages.h"

namespace {

TEST(SplitMessage, TypeAndDataAtTheFirstCommaAfterLeadingCommas) {
    const struct {
        std::string text, type, data;
    } cases[] = {
        {"Type,a,b", "Type", "a,b"},
        {",X,Y", "X", "Y"},
        {",,,X", "X", ""},
        {"ResizeFinished", "ResizeFinished", ""},
        {"Type,", "Type", ""},
        {"Type,,", "Type", ","},
        {"", "", ""},
        {",,,", "", ""},
    };
    for (const auto& c : cases) {
        const auto [type, data] = splitMessage(c.text);
        EXPECT_EQ(type, c.type) << c.text;
        EXPECT_EQ(data, c.data) << c.text;
    }
}

TEST(TextureViewText, AddressIsSignExtendedFrom32Bits) {
    EXPECT_EQ(textureViewText(nullptr), "0");
    EXPECT_EQ(textureViewText(reinterpret_cast<void*>(0x1234)), "4660");
    EXPECT_EQ(textureViewText(reinterpret_cast<void*>(0x7FFFFFFF)), "2147483647");
    EXPECT_EQ(textureViewText(reinterpret_cast<void*>(0x80000000)), "18446744071562067968");
}

using Dispatch = PluginTest;

struct ExpectedCall {
    std::string callback;
    std::vector<std::string> texts;
    int number;
};

TEST_F(Dispatch, EachIncomingTypeReachesItsCallback) {
    void* handle = WebView_new("view-1", 100, 50, 1.0f, "");
    static_cast<WindowsChromiumWebViewProxy*>(handle)->textureView = reinterpret_cast<void*>(0x5000);
    const std::string unrecognized = "[ChromiumWebViewProxy] Unrecognized bridge message: ";

    const struct {
        std::string text;
        std::vector<ExpectedCall> calls;
    } cases[] = {
        {R"({"type":50,"serializedCookies":"a=b","resultCallbackId":"r1"})", {{"cookies", {"r1", "a=b"}, 0}}},
        {R"({"resultCallbackId":"r2","type":51,"success":true})", {{"bool", {"r2"}, 1}}},
        {R"({"type":51,"success":false,"resultCallbackId":"r3"})", {{"bool", {"r3"}, 0}}},
        {R"({"type":51,"resultCallbackId":"r4"})", {{"bool", {"r4"}, 0}}},
        {R"({"type":51,"success":1,"resultCallbackId":"r5"})", {{"bool", {"r5"}, 0}}},
        {R"({"type":52,"webViewId":"view-1","message":"HandleInitFinished"})",
         {{"message", {"view-1", "HandleTextureChanged", "20480"}, 0},
          {"message", {"view-1", "HandleInitFinished", ""}, 0}}},
        {R"({"type":52,"webViewId":"view-1","message":"ResizeFinished"})",
         {{"message", {"view-1", "HandleTextureChanged", "20480"}, 0}}},
        {R"({"type":52,"webViewId":"view-1","message":"UrlChanged,{\"url\":\"a,b\"}"})",
         {{"message", {"view-1", "UrlChanged", R"({"url":"a,b"})"}, 0}}},
        {R"({"type":52,"webViewId":"nobody","message":"X"})",
         {{"warning", {"[ChromiumWebViewProxy] message sent to nonexistent webview: nobody"}, 0}}},
        {R"({"type":9})", {{"error", {unrecognized + R"({"type":9})"}, 0}}},
        {"not json", {{"error", {unrecognized + "not json"}, 0}}},
        {"ProcessInitialized", {{"error", {unrecognized + "ProcessInitialized"}, 0}}},
        {R"({"message":"x"})", {{"error", {unrecognized + R"({"message":"x"})"}, 0}}},
        // Left to us: never hand the engine a text that is not there.
        {"[50]", {{"error", {unrecognized + "[50]"}, 0}}},
        {R"({"type":50,"resultCallbackId":"r6"})", {{"error", {unrecognized + R"({"type":50,"resultCallbackId":"r6"})"}, 0}}},
        {R"({"type":51,"success":true,"resultCallbackId":7})",
         {{"error", {unrecognized + R"({"type":51,"success":true,"resultCallbackId":7})"}, 0}}},
        {R"({"type":52,"webViewId":"view-1","message":",,"})",
         {{"error", {unrecognized + R"({"type":52,"webViewId":"view-1","message":",,"})"}, 0}}},
        {R"({"type":52,"webViewId":"view-1"})", {{"error", {unrecognized + R"({"type":52,"webViewId":"view-1"})"}, 0}}},
    };
    for (const auto& c : cases) {
        EngineRecorder::instance().clear();
        handleBridgeMessage(c.text);
        const auto calls = EngineRecorder::instance().calls();
        ASSERT_EQ(calls.size(), c.calls.size()) << c.text;
        for (size_t i = 0; i < calls.size(); ++i) {
            EXPECT_EQ(calls[i].callback, c.calls[i].callback) << c.text;
            EXPECT_EQ(calls[i].texts, c.calls[i].texts) << c.text;
            EXPECT_EQ(calls[i].number, c.calls[i].number) << c.text;
        }
    }
    WebView_destroy(handle);
}

TEST_F(Dispatch, ResizeFinishedEndsTheWaitForATexture) {
    auto* record = static_cast<WindowsChromiumWebViewProxy*>(WebView_new("v", 1, 1, 1.0f, "p"));
    record->awaitingTexture = true;
    handleBridgeMessage(R"({"type":52,"webViewId":"v","message":"ResizeFinished"})");
    EXPECT_FALSE(record->awaitingTexture);
    WebView_destroy(record);
}

// Issue 12, fault 1: half a million "[" used to use up the reader's stack.
// Too deep is unrecognized; a text at the limit is still a message, and the
// next text is read as usual.
TEST_F(Dispatch, DeeplyNestedTextIsUnrecognizedAndTheNextOneIsHandled) {
    const std::string unrecognized = "[ChromiumWebViewProxy] Unrecognized bridge message: ";
    for (const std::string& deep : {std::string(500000, '['), std::string(500000, '{'),
                                    R"({"type":51,"resultCallbackId":"r","x":)" + std::string(64, '[') +
                                        std::string(64, ']') + "}"}) {
        EngineRecorder::instance().clear();
        handleBridgeMessage(deep);
        const auto errors = EngineRecorder::instance().callsOf("error");
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].texts[0], unrecognized + deep);
    }
    // 63 levels inside the object, 64 in all: the limit itself is accepted.
    EngineRecorder::instance().clear();
    handleBridgeMessage(R"({"type":51,"success":true,"resultCallbackId":"r","x":)" + std::string(63, '[') +
                        std::string(63, ']') + "}");
    ASSERT_EQ(EngineRecorder::instance().callsOf("bool").size(), 1u);
    // Brackets inside strings do not count.
    EngineRecorder::instance().clear();
    handleBridgeMessage(R"({"type":50,"serializedCookies":")" + std::string(1000, '[') + R"(\"[","resultCallbackId":"c"})");
    ASSERT_EQ(EngineRecorder::instance().callsOf("cookies").size(), 1u);
}

// Issue 12, fault 5: lookupWebView handed the pipe server thread a bare
// record; WebView_destroy on the engine's thread deleted it while the engine
// was still being told of its message.  Now the message holds the record,
// and the destroy neither waits nor frees it under the handler.
TEST_F(Dispatch, DestroyWhileAMessageIsBeingHandledForTheRecord) {
    void* handle = WebView_new("v", 1, 1, 1.0f, "");
    auto entered = std::make_shared<std::promise<void>>();
    auto release = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    std::atomic<bool> first{true};
    EngineRecorder::instance().setHook([&, entered, released](const EngineCall& call) {
        if (call.callback == "message" && first.exchange(false)) {
            entered->set_value();
            released.wait();
        }
    });
    std::thread pipe([] { handleBridgeMessage(R"({"type":52,"webViewId":"v","message":"HandleInitFinished"})"); });
    entered->get_future().wait();
    WebView_destroy(handle);
    release->set_value();
    pipe.join();
    EngineRecorder::instance().setHook(nullptr);
    const auto messages = EngineRecorder::instance().callsOf("message");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].texts, (std::vector<std::string>{"v", "HandleTextureChanged", "0"}));
    EXPECT_EQ(messages[1].texts, (std::vector<std::string>{"v", "HandleInitFinished", ""}));
    // Gone from the registry: the next message for it is only warned about.
    handleBridgeMessage(R"({"type":52,"webViewId":"v","message":"X"})");
    EXPECT_EQ(EngineRecorder::instance().callsOf("warning").size(), 1u);
}

TEST_F(Dispatch, EmptyCallbackSlotsAreNotCalled) {
    WebView_initializePlugin(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    void* handle = WebView_new("v", 1, 1, 1.0f, "");
    handleBridgeMessage(R"({"type":50,"serializedCookies":"","resultCallbackId":"r"})");
    handleBridgeMessage(R"({"type":52,"webViewId":"v","message":"HandleInitFinished"})");
    handleBridgeMessage("junk");
    EXPECT_TRUE(EngineRecorder::instance().calls().empty());
    WebView_destroy(handle);
}

}  // namespace
