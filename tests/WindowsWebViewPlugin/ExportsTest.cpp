#include <gtest/gtest.h>

#include <thread>

#include "PluginFixture.h"
#include "bridge/BrowserOptions.h"
#include "webview/ChromiumWebViewProxy.h"
#include "webview/WebViewRegistry.h"

namespace {

using Exports = PluginTest;
using Options = PluginTest;

class QuotingBridge : public RecordingBridge {
public:
    using RecordingBridge::RecordingBridge;
    bool shouldQuoteArguments() const override { return true; }
};

TEST_F(Exports, InitializeLogsTheStartUpLineAndResetsQuietly) {
    initializeWithRecorder();
    auto calls = EngineRecorder::instance().calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].callback, "info");
    EXPECT_EQ(calls[0].texts[0], "Using Telvio Panelight for Windows v4.2");

    // With a browser process running: destroyed, registry emptied, no
    // termination callback.
    void* handle = WebView_new("old", 1, 1, 1.0f, "");
    WebView_getCookies("u", "n", "r");
    ASSERT_TRUE(WebView_browserProcessIsRunning());
    EngineRecorder::instance().clear();
    initializeWithRecorder();
    EXPECT_FALSE(WebView_browserProcessIsRunning());
    EXPECT_TRUE(EngineRecorder::instance().callsOf("terminated").empty());
    handleBridgeMessage(R"({"type":52,"webViewId":"old","message":"X"})");
    ASSERT_EQ(EngineRecorder::instance().callsOf("warning").size(), 1u);
    WebView_destroy(handle);
}

TEST_F(Exports, SameIdTwiceRegistersTheNewerRecord) {
    void* first = WebView_new("same", 1, 2, 1.5f, "pop");
    void* second = WebView_new("same", 3, 4, 2.0f, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(webViewRegistry().find("same").get(), second);
    auto* record = static_cast<WindowsChromiumWebViewProxy*>(first);
    EXPECT_EQ(record->popupId, "pop");
    EXPECT_EQ(record->width, 1);
    EXPECT_EQ(record->height, 2);
    EXPECT_EQ(record->pixelDensity, 1.5f);
    EXPECT_EQ(static_cast<WindowsChromiumWebViewProxy*>(second)->popupId, "");
    WebView_destroy(first);  // removes the entry, whichever record it names
    EXPECT_EQ(webViewRegistry().find("same").get(), nullptr);
    WebView_destroy(second);

    void* unnamed = WebView_new(nullptr, 0, 0, 0.0f, nullptr);
    EXPECT_EQ(static_cast<ChromiumWebViewProxy*>(unnamed)->webViewId, "");
    WebView_destroy(unnamed);
}

TEST_F(Exports, DestroySendsCommand11OnlyWhileABrowserProcessRuns) {
    void* handle = WebView_new("v", 1, 1, 1.0f, "");
    WebView_destroy(handle);  // nothing runs: nothing is sent, nothing started
    EXPECT_FALSE(WebView_browserProcessIsRunning());

    WebView_getCookies("u", "n", "r");
    auto bridge = RecordingBridges::current();
    bridge->handleIncomingMessage("ProcessInitialized");
    ASSERT_TRUE(bridge->waitForInitialized());  // the writer writes on a thread of its own
    WebView_destroy(WebView_new("w\"1", 1, 1, 1.0f, ""));
    ASSERT_EQ(bridge->written().size(), 2u);
    EXPECT_EQ(bridge->written()[1], R"({"type":11,"webViewId":"w\"1"})");
}

TEST_F(Exports, TerminateWithoutABrowserProcessReturnsFalse) {
    EXPECT_FALSE(WebView_terminateBrowserProcess());
    EXPECT_TRUE(EngineRecorder::instance().calls().empty());
    EXPECT_TRUE(WebView_setAutoplayEnabled(true));
}

TEST_F(Exports, CookieCommandsCarryTheirTextsAndNullsAsEmpty) {
    WebView_getCookies(nullptr, "n\xC3\xA9", "id");
    WebView_deleteCookies("u", nullptr, nullptr);
    WebView_setCookie(nullptr, "r");
    auto bridge = RecordingBridges::current();
    bridge->handleIncomingMessage("ProcessInitialized");
    ASSERT_TRUE(bridge->waitForInitialized());  // the writer writes on a thread of its own
    const std::vector<std::string> expected = {
        "{\"type\":14,\"url\":\"\",\"cookieName\":\"n\xC3\xA9\",\"resultCallbackId\":\"id\"}",
        R"({"type":10,"url":"u","cookieName":"","resultCallbackId":""})",
        R"({"type":35,"serializedCookie":"","resultCallbackId":"r"})",
    };
    EXPECT_EQ(bridge->written(), expected);
}

TEST_F(Exports, LogLinesReachTheEngineAsValidUtf8) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"caf\xC3\xA9 \xF0\x9F\x98\x80", "caf\xC3\xA9 \xF0\x9F\x98\x80"},
        {"bad\xFFtail", "bad\xEF\xBF\xBDtail"},
        {"cut\xE4\xB8", "cut\xEF\xBF\xBD"},
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // an encoded surrogate
    };
    for (const auto& c : cases) {
        EngineRecorder::instance().clear();
        logError(c.in);
        const auto calls = EngineRecorder::instance().callsOf("error");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].texts[0], c.out);
    }
}

TEST_F(Options, CommandLineElementsFollowTheOptions) {
    const std::string mobile = mobileUserAgent();
    EXPECT_EQ(mobile,
              "Mozilla/5.0 (Linux; Android 8.0.0; SM-G950U) AppleWebKit/537.36 (KHTML, like Gecko) "
              "Chrome/100.0.4896.127 Mobile Safari/537.36");
    const struct {
        const char* name;
        void (*set)();
        std::vector<std::string> unquoted;
    } cases[] = {
        {"defaults", [] {}, {"--log-severity=warning"}},
        {"frame rate 60", [] { WebView_setTargetFrameRate(60); }, {"--log-severity=warning"}},
        {"frame rate 0", [] { WebView_setTargetFrameRate(0); }, {"--log-severity=warning", "--target-frame-rate=0"}},
        {"level 7", [] { WebView_setChromiumLogLevel(7); }, {"--log-severity=warning"}},
        {"level -1", [] { WebView_setChromiumLogLevel(-1); }, {"--log-severity=warning"}},
        {"level 5", [] { WebView_setChromiumLogLevel(5); }, {"--log-severity=disable"}},
        {"level 0", [] { WebView_setChromiumLogLevel(0); }, {"--log-severity=verbose"}},
        {"port -1", [] { WebView_enableRemoteDebugging(-1); }, {"--log-severity=warning", "--remote-debugging-port=-1"}},
        {"port 0", [] { WebView_enableRemoteDebugging(0); }, {"--log-severity=warning"}},
        {"null agent", [] { WebView_globallySetUserAgent("x"); WebView_globallySetUserAgent(nullptr); },
         {"--log-severity=warning"}},
        {"mobile off", [] { WebView_globallySetUserAgent("x"); WebView_globallySetUserAgentToMobile(false); },
         {"--log-severity=warning"}},
        {"media twice", [] { WebView_setCameraAndMicrophoneEnabled(true); WebView_setScreenSharingEnabled(true); },
         {"--log-severity=warning", "--enable-media-stream", "--enable-media-stream --use-fake-ui-for-media-stream"}},
        {"everything",
         [] {
             WebView_setChromiumLogLevel(1);
             WebView_setTargetFrameRate(30);
             WebView_setAutoplayEnabled(true);
             WebView_setCachePath("C:\\My Data\\cache");
             WebView_setCameraAndMicrophoneEnabled(true);
             WebView_globallySetUserAgentToMobile(true);
             WebView_enableRemoteDebugging(9222);
             WebView_setScreenSharingEnabled(true);
             WebView_setIgnoreCertificateErrors(true);
             WebView_setCommandLineArguments("--cache-path=\"C:\\My Data\\cache\" --x");
         },
         {"--log-severity=info", "--target-frame-rate=30", "--autoplay-policy=no-user-gesture-required",
          "--cache-path=C:\\My Data\\cache", "--enable-media-stream",
          "--user-agent=" + mobileUserAgent(), "--remote-debugging-port=9222",
          "--enable-media-stream --use-fake-ui-for-media-stream", "--ignore-certificate-errors",
          "--cache-path=\"C:\\My Data\\cache\" --x"}},
    };
    RecordingBridge plain(bridgeHost());
    QuotingBridge quoting(bridgeHost());
    for (const auto& c : cases) {
        browserOptions() = BrowserOptions{};
        c.set();
        EXPECT_EQ(plain.getCommandLineArguments(), c.unquoted) << c.name;
        // Only the cache path and the user agent are quoted, each as a whole.
        std::vector<std::string> quoted = c.unquoted;
        for (auto& element : quoted)
            if (element.rfind("--cache-path=C", 0) == 0 || element.rfind("--user-agent=", 0) == 0)
                element = "\"" + element + "\"";
        EXPECT_EQ(quoting.getCommandLineArguments(), quoted) << c.name;
    }
}

TEST_F(Options, SettersRefuseWhileABrowserProcessRunsAndResetRestoresDefaults) {
    ASSERT_TRUE(WebView_setCachePath("kept"));
    WebView_getCookies("u", "n", "r");
    const std::vector<bool (*)()> setters = {
        [] { return WebView_enableRemoteDebugging(1); },
        [] { return WebView_globallySetUserAgent("a"); },
        [] { return WebView_globallySetUserAgentToMobile(true); },
        [] { return WebView_setAutoplayEnabled(true); },
        [] { return WebView_setCachePath("kept"); },  // even the same value
        [] { return WebView_setCameraAndMicrophoneEnabled(true); },
        [] { return WebView_setChromiumLogLevel(0); },
        [] { return WebView_setCommandLineArguments("--x"); },
        [] { return WebView_setIgnoreCertificateErrors(true); },
        [] { return WebView_setScreenSharingEnabled(true); },
        [] { return WebView_setTargetFrameRate(1); },
    };
    for (auto setter : setters) EXPECT_FALSE(setter());
    RecordingBridge probe(bridgeHost());
    EXPECT_EQ(probe.getCommandLineArguments(),
              (std::vector<std::string>{"--log-severity=warning", "--cache-path=kept"}));

    resetPlugin(false);
    EXPECT_EQ(probe.getCommandLineArguments(), std::vector<std::string>{"--log-severity=warning"});
    for (auto setter : setters) EXPECT_TRUE(setter());
    EXPECT_EQ(EngineRecorder::instance().callsOf("terminated").size(), 1u);
}

}  // namespace

namespace {

// The watchdog or the pipe server thread may reset the plug-in while the
// engine's thread sets options (the sanitizers watch the values).
TEST_F(Options, SettersRaceResetsOnAnotherThreadSafely) {
    std::thread resetter([] {
        for (int i = 0; i < 300; ++i) resetPlugin(true);
    });
    for (int i = 0; i < 300; ++i) {
        WebView_setCachePath("C:\\cache\\with a longer path than any short string buffer");
        WebView_globallySetUserAgentToMobile(true);
    }
    resetter.join();
    resetPlugin(true);
    RecordingBridge probe(bridgeHost());
    EXPECT_EQ(probe.getCommandLineArguments(), std::vector<std::string>{"--log-severity=warning"});
}

}  // namespace
