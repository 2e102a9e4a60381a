#include <gtest/gtest.h>

#include "ChromiumWebViewProxy.h"
#include "PluginFixture.h"
#include "WebViewMessages.h"

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
